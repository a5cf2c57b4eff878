#include "analysis/Problems.h"

#include <algorithm>

#include "analysis/Verdict.h"
#include "describe/DescriptiveKestrixReader.h"
#include "platform/CodePage.h"
#include "text/Text.h"

namespace kestrix {

namespace {

using TFigures = std::vector<TFigure>;

constexpr std::u16string_view TextSeparator = u"; ";

std::u16string Count(std::uint64_t Value, const std::string& Thousands) {
  return platform::Widen(FormatThousands(Value, Thousands));
}

std::u16string Count(std::int64_t Value, const std::string& Thousands) {
  return Count(static_cast<std::uint64_t>(std::max<std::int64_t>(Value, 0)), Thousands);
}

// "1 frame fails its CRC" but "3 frames fail their CRC".
std::u16string_view Plural(std::int64_t Count, std::u16string_view One, std::u16string_view Many) {
  return Count == 1 ? One : Many;
}

// The change MP3Gain made is the opposite of the steps that undo it.
std::u16string SignedSteps(int UndoSteps) {
  const int change = -UndoSteps;
  return (change > 0 ? u"+" : u"") + platform::Widen(std::to_string(change));
}

std::u16string HeaderRewriteText(const TVerdict& Verdict) {
  if (Verdict.HeaderRewrite == THeaderRewrite::OfOriginal) {
    return u"VBR header rewritten after encoding (a split or repaired file): the LAME tag "
           u"describes the original, so its music CRC cannot be checked";
  }
  return FormatText(
      u"VBR header rewritten after encoding (tag CRC stored %.4x, actual %.4x): the "
      u"music CRC and length match, so the audio is as encoded",
      {Verdict.StoredTagCRC, Verdict.ActualTagCRC});
}

std::u16string StoredActualText(std::u16string_view What, const TStoredActual& Figures,
                                const std::string& Thousands) {
  return FormatText(u"VBR header says %s %s, the stream has %s",
                    {Count(Figures.Stored, Thousands), What, Count(Figures.Actual, Thousands)});
}

TFigures StoredActual(const TStoredActual& Figures) {
  return {{"stored", Figures.Stored}, {"actual", Figures.Actual}};
}

std::int64_t Signed(std::uint64_t Value) {
  return static_cast<std::int64_t>(Value);
}

std::u16string UnverifiableText(const TVerdict& Verdict) {
  std::u16string text;
  if (Verdict.UnverifiableTagCRC) {
    text = FormatText(u"tag CRC from %s, which computes it differently",
                      {ConsoleSafeText(platform::Widen(Verdict.Encoder))});
  }
  if (Verdict.UnverifiableMusicCRC) {
    if (!text.empty()) {
      text += TextSeparator;
    }
    text += Verdict.HeaderRewrite == THeaderRewrite::OfOriginal
                ? u"music CRC of the file before it was split or repaired"
                : u"music CRC of a gapless continuation, which goes on from the file before it";
  }
  return text;
}

TFigures UnverifiableDetails(const TVerdict& Verdict) {
  std::vector<std::string> crcs;
  if (Verdict.UnverifiableTagCRC) {
    crcs.emplace_back("tag");
  }
  if (Verdict.UnverifiableMusicCRC) {
    crcs.emplace_back("music");
  }
  return {{"crcs", crcs}};
}

constexpr bool Damage = true;
constexpr bool Warning = false;

using V = const TVerdict&;
using T = const std::string&;

}  // namespace

const std::array<TProblem, 21> Problems = {{
    // The damage.
    {"tag_crc", Damage, [](V v) { return v.TagCRCFails; },
     [](V v, T) {
       return FormatText(u"tag CRC stored %.4x, actual %.4x", {v.StoredTagCRC, v.ActualTagCRC});
     },
     nullptr},
    {"music_crc", Damage, [](V v) { return v.MusicCRCFails; },
     [](V v, T) {
       return FormatText(u"music CRC stored %.4x, actual %.4x",
                         {v.StoredMusicCRC, v.ActualMusicCRC});
     },
     nullptr},
    {"truncated", Damage, [](V v) { return v.MissingBytes > 0; },
     [](V v, T t) {
       return FormatText(u"file ends %s bytes before the stored music length",
                         {Count(v.MissingBytes, t)});
     },
     [](V v) {
       return TFigures{{"missing", Signed(v.MissingBytes)}};
     }},
    {"truncated_tag", Damage, [](V v) { return v.TagMissingBytes > 0; },
     [](V v, T t) {
       return FormatText(u"ID3v2 tag cut short by %s bytes", {Count(v.TagMissingBytes, t)});
     },
     [](V v) {
       return TFigures{{"missing", v.TagMissingBytes}};
     }},
    {"truncated_frame", Damage, [](V v) { return v.FrameMissingBytes > 0; },
     [](V v, T t) {
       return FormatText(u"last frame cut short by %s bytes", {Count(v.FrameMissingBytes, t)});
     },
     [](V v) {
       return TFigures{{"missing", v.FrameMissingBytes}};
     }},
    {"start_lost", Damage, [](V v) { return v.JunkBefore > 0 && v.MainDataBegin > 0; },
     [](V v, T t) {
       return FormatText(
           u"the start of the stream was lost: %s bytes that are no frames, then a "
           u"frame that needs %s bytes from before it",
           {Count(v.JunkBefore, t), Count(v.MainDataBegin, t)});
     },
     nullptr},
    {"unwritten_end", Damage, [](V v) { return v.UnwrittenEnd > 0; },
     [](V v, T t) {
       return FormatText(u"the last %s bytes are zeros: the end was never written",
                         {Count(v.UnwrittenEnd, t)});
     },
     [](V v) {
       return TFigures{{"bytes", v.UnwrittenEnd}};
     }},
    {"missing_frames", Damage, [](V v) { return v.VbrHeader.MissingFrames.has_value(); },
     [](V v, T t) { return StoredActualText(u"frames", *v.VbrHeader.MissingFrames, t); },
     [](V v) { return StoredActual(*v.VbrHeader.MissingFrames); }},
    {"lost_sync", Damage, [](V v) { return v.LostSync.Events > 0; },
     [](V v, T t) {
       return FormatText(
           u"%s bytes out of sync in %s %s, first at offset %s",
           {Count(v.LostSync.Bytes, t), Count(v.LostSync.Events, t),
            Plural(v.LostSync.Events, u"place", u"places"), Count(v.LostSync.FirstOffset, t)});
     },
     [](V v) {
       return TFigures{{"events", v.LostSync.Events},
                       {"bytes", v.LostSync.Bytes},
                       {"first_offset", v.LostSync.FirstOffset}};
     }},
    {"frame_crc", Damage, [](V v) { return v.FailedFrameCRCs > 0; },
     [](V v, T t) {
       return FormatText(
           u"%s %s", {Count(v.FailedFrameCRCs, t),
                      Plural(v.FailedFrameCRCs, u"frame fails its CRC", u"frames fail their CRC")});
     },
     [](V v) {
       return TFigures{{"frames", v.FailedFrameCRCs}};
     }},
    {"mixed_stream", Damage, [](V v) { return v.MixedStream; },
     [](V, T) {
       return std::u16string(
           u"frames of another MPEG version, sample rate or channel count spliced in");
     },
     nullptr},
    // The warnings.
    {"mp3gain", Warning, [](V v) { return v.MP3Gain.has_value(); },
     [](V v, T) {
       return FormatText(v.MP3GainRecord ? u"gain changed by MP3Gain (%s, %s steps); undone, the "
                                           u"music CRC matches"
                                         : u"gain changed by MP3Gain (%s, %s steps) without an "
                                           u"undo record; undone, the music CRC matches",
                         {SignedSteps(v.MP3Gain->Left), SignedSteps(v.MP3Gain->Right)});
     },
     [](V v) {
       return TFigures{{"steps", std::vector<std::int64_t>{v.MP3Gain->Left, v.MP3Gain->Right}},
                       {"record", v.MP3GainRecord}};
     }},
    {"header_rewritten", Warning, [](V v) { return v.HeaderRewrite != THeaderRewrite::None; },
     [](V v, T) { return HeaderRewriteText(v); },
     [](V v) {
       return TFigures{{"music_length", v.MusicLength}, {"bytes", v.StreamBytes}};
     }},
    {"unverifiable_crc", Warning,
     [](V v) { return v.UnverifiableTagCRC || v.UnverifiableMusicCRC; },
     [](V v, T) { return UnverifiableText(v); }, UnverifiableDetails},
    {"starts_mid_stream", Warning, [](V v) { return v.MainDataBegin > 0; },
     [](V v, T t) {
       return FormatText(
           u"the first frame needs %s bytes from before the file: cut from a longer "
           u"stream",
           {Count(v.MainDataBegin, t)});
     },
     [](V v) {
       return TFigures{{"bytes", v.MainDataBegin}};
     }},
    {"gapless_overrun", Warning, [](V v) { return v.GaplessSamples.has_value(); },
     [](V v, T t) {
       return FormatText(u"LAME tag says %s samples of delay and padding, the frames have %s",
                         {Count(v.GaplessSamples->Stored, t), Count(v.GaplessSamples->Actual, t)});
     },
     [](V v) { return StoredActual(*v.GaplessSamples); }},
    {"extra_frames", Warning, [](V v) { return v.VbrHeader.ExtraFrames.has_value(); },
     [](V v, T t) { return StoredActualText(u"frames", *v.VbrHeader.ExtraFrames, t); },
     [](V v) { return StoredActual(*v.VbrHeader.ExtraFrames); }},
    {"byte_count", Warning, [](V v) { return v.VbrHeader.ByteCount.has_value(); },
     [](V v, T t) { return StoredActualText(u"bytes", *v.VbrHeader.ByteCount, t); },
     [](V v) { return StoredActual(*v.VbrHeader.ByteCount); }},
    {"no_vbr_header", Warning, [](V v) { return v.VbrHeader.NoVbrHeader; },
     [](V, T) {
       return std::u16string(
           u"variable bitrate without a VBR header frame count, so players "
           u"may show a wrong length");
     },
     nullptr},
    {"junk_before", Warning, [](V v) { return v.JunkBefore > 0; },
     [](V v, T t) {
       return FormatText(u"%s bytes before the first frame", {Count(v.JunkBefore, t)});
     },
     [](V v) {
       return TFigures{{"bytes", v.JunkBefore}};
     }},
    {"junk_after", Warning, [](V v) { return v.JunkAfter > 0; },
     [](V v, T t) { return FormatText(u"%s bytes after the last frame", {Count(v.JunkAfter, t)}); },
     [](V v) {
       return TFigures{{"bytes", v.JunkAfter}};
     }},
}};

const TProblem* FindProblem(std::string_view Name) {
  const auto found = std::find_if(Problems.begin(), Problems.end(),
                                  [Name](const TProblem& Problem) { return Problem.Name == Name; });
  return found != Problems.end() ? &*found : nullptr;
}

}  // namespace kestrix
