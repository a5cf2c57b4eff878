#include "analysis/Verdict.h"

#include <algorithm>
#include <string_view>

namespace kestrix {

namespace {

constexpr std::array<const char*, 5> VerdictNames = {"ok", "warn", "bad", "not_mp3", "error"};

// Encoder texts whose tag CRC follows LAME's definition; others (FFmpeg's
// "Lavc" and "Lavf") compute it over other bytes in some frames.
constexpr std::array<std::string_view, 2> LameEncoderTexts = {"LAME", "L3.99"};

// A stored music length of 0 means unknown (or beyond 4 GB), so nothing
// can be said about the file's end.
std::uint64_t MissingBytesOf(const TBasicKestrixReader& Reader) {
  const std::int64_t size = Reader.GetFileSize();
  const std::uint32_t musicLength = Reader.GetMusicLength();
  if (size < 0 || musicLength == 0) {
    return 0;
  }
  const std::int64_t end = Reader.GetFramePosition() + static_cast<std::int64_t>(musicLength);
  return end > size ? static_cast<std::uint64_t>(end - size) : 0;
}

// The tag's nine-byte encoder and version text.
std::string EncoderText(const TBasicKestrixReader& Reader) {
  const auto& bytes = Reader.GetTagData().EncoderVersion;
  return std::string(bytes, std::find(bytes, bytes + sizeof(bytes), 0));
}

bool IsLameText(const std::string& Text) {
  return std::any_of(LameEncoderTexts.begin(), LameEncoderTexts.end(),
                     [&Text](std::string_view Prefix) { return Text.rfind(Prefix, 0) == 0; });
}

void JudgeTagCRC(const TBasicKestrixReader& Reader, TVerdict& Verdict) {
  Verdict.StoredTagCRC = Reader.GetInfoTagCRC();
  Verdict.ActualTagCRC = Reader.GetActualInfoTagCRC();
  if (Verdict.StoredTagCRC == Verdict.ActualTagCRC) {
    return;
  }
  Verdict.Encoder = EncoderText(Reader);
  if (IsLameText(Verdict.Encoder)) {
    Verdict.TagCRCFails = true;
  } else {
    Verdict.UnverifiableTagCRC = true;
  }
}

// LAME writes the VBR header's byte count and its tag's music length
// equal. A header that agrees with the stream while the music length does
// not was rewritten for a piece of the original (a splitter, a repair
// tool); a failing tag CRC beside a music CRC and length that match means
// the header's frame was edited and the audio is as encoded.
void JudgeHeaderRewrite(const TStreamFacts& Stream, bool MusicMatches, TVerdict& Verdict) {
  const std::optional<TVbrHeader>& header = Stream.VbrHeader;
  const TVbrHeaderChecks& checks = Verdict.VbrHeader;
  // A music length of 0 is unknown, and then the music CRC covers nothing.
  if (Verdict.TagCRCFails && MusicMatches && Verdict.MusicLength > 0 &&
      Verdict.MusicLength == Stream.Bytes) {
    Verdict.HeaderRewrite = THeaderRewrite::Edited;
  } else if (header && header->Frames && header->Bytes && !checks.MissingFrames &&
             !checks.ExtraFrames && !checks.ByteCount && Verdict.MusicLength != *header->Bytes) {
    Verdict.HeaderRewrite = THeaderRewrite::OfOriginal;
    Verdict.MissingBytes = 0;
  }
  if (Verdict.HeaderRewrite != THeaderRewrite::None) {
    Verdict.TagCRCFails = false;
  }
}

bool AnyDamage(const TVerdict& Verdict) {
  return std::any_of(Problems.begin(), Problems.end(), [&Verdict](const TProblem& Problem) {
    return Problem.IsDamage && Problem.Applies(Verdict);
  });
}

// MP3Gain without a record: a CRC of 16 bits matches one of the 40 changes
// tried by chance once in some 1,600 files, so only a file of LAME's whose
// tag is intact and whose music CRC is its only damage is tried.
std::optional<int> UniformChange(const TBasicKestrixReader& Reader, const TMP3GainEvidence& MP3Gain,
                                 const TVerdict& Verdict) {
  if (MP3Gain.Record || !MP3Gain.FindChange || !IsLameEncoder(Reader) ||
      Verdict.StoredTagCRC != Verdict.ActualTagCRC || AnyDamage(Verdict)) {
    return std::nullopt;
  }
  return MP3Gain.FindChange();
}

// A gapless continuation's music CRC goes on from the file before it, and
// the LAME tag of a piece describes the original, so alone neither can be
// judged; MP3Gain's change explains a mismatch when the CRC matches with
// the change undone. Judged last, when every other damage is known.
void JudgeMusicCRC(const TBasicKestrixReader& Reader, const TMP3GainEvidence& MP3Gain,
                   TVerdict& Verdict) {
  if (Verdict.StoredMusicCRC == Verdict.ActualMusicCRC) {
    return;
  }
  if (Reader.GetNoGapContinuation() || Verdict.HeaderRewrite == THeaderRewrite::OfOriginal) {
    Verdict.UnverifiableMusicCRC = true;
  } else if (MP3Gain.Record && MP3Gain.Record->UndoneMusicCRC == Verdict.StoredMusicCRC) {
    Verdict.MP3Gain = MP3Gain.Record->Steps;
  } else if (const std::optional<int> change = UniformChange(Reader, MP3Gain, Verdict)) {
    Verdict.MP3Gain = TMP3GainSteps{-*change, -*change, false};
    Verdict.MP3GainRecord = false;
  } else {
    Verdict.MusicCRCFails = true;
  }
}

void JudgeLameTag(const TBasicKestrixReader& Reader, const TStreamFacts& Stream,
                  const TMP3GainEvidence& MP3Gain, TVerdict& Verdict) {
  JudgeTagCRC(Reader, Verdict);
  Verdict.StoredMusicCRC = Reader.GetMusicCRC();
  Verdict.ActualMusicCRC = Reader.GetActualMusicCRC();
  Verdict.MissingBytes = MissingBytesOf(Reader);
  Verdict.MusicLength = Reader.GetMusicLength();
  if (Stream.HasStream) {
    JudgeHeaderRewrite(Stream, Verdict.StoredMusicCRC == Verdict.ActualMusicCRC, Verdict);
    const std::int64_t stored = Reader.GetEncoderDelay() + Reader.GetEncoderPadding();
    if (stored > Stream.FrameSamples) {
      Verdict.GaplessSamples = TStoredActual{stored, Stream.FrameSamples};
    }
  }
  JudgeMusicCRC(Reader, MP3Gain, Verdict);
}

// Zeros at the end, where no encoder or tag tool leaves so many, are a
// download or copy that never finished.
constexpr std::int64_t UnwrittenEndZeros = 4096;

void JudgeStream(const TStreamFacts& Stream, TVerdict& Verdict) {
  Verdict.FrameMissingBytes = Stream.TruncatedFrame;
  Verdict.LostSync = Stream.LostSync;
  Verdict.FailedFrameCRCs = Stream.FrameCRC;
  Verdict.MixedStream = Stream.MixedStream;
  Verdict.JunkBefore = Stream.JunkBefore;
  Verdict.JunkAfter = Stream.JunkAfter;
  if (Stream.JunkAfter >= UnwrittenEndZeros && Stream.TrailingZeros >= Stream.JunkAfter) {
    Verdict.UnwrittenEnd = Stream.JunkAfter;
    Verdict.JunkAfter = 0;
  }
  Verdict.VbrHeader = CheckVbrHeader(Stream);
  Verdict.StreamBytes = Stream.Bytes;
  Verdict.MainDataBegin = Stream.MainDataBegin;
}

TVerdictKind KindOf(const TVerdict& Verdict, const TStreamFacts& Stream) {
  // A file that ends inside its leading tag is an MP3 file cut short.
  if (!Stream.HasStream && Verdict.TagMissingBytes == 0) {
    return TVerdictKind::NotMP3;
  }
  if (std::any_of(Verdict.Problems.begin(), Verdict.Problems.end(),
                  [](const TProblem* Problem) { return Problem->IsDamage; })) {
    return TVerdictKind::Bad;
  }
  return Verdict.Problems.empty() ? TVerdictKind::Ok : TVerdictKind::Warn;
}

}  // namespace

bool TVerdict::Has(std::string_view Name) const {
  return std::any_of(Problems.begin(), Problems.end(),
                     [Name](const TProblem* Problem) { return Problem->Name == Name; });
}

bool IsLameEncoder(const TBasicKestrixReader& Reader) {
  return IsLameText(EncoderText(Reader));
}

TVerdict JudgeFile(const TBasicKestrixReader& Reader, bool TagFound, const TTagLayout& Tags,
                   const TStreamFacts& Stream, const TMP3GainEvidence& MP3Gain) {
  TVerdict verdict;
  verdict.TagMissingBytes = Tags.TruncatedTag;
  // Without a stream only the tag's problems are told.
  if (Stream.HasStream) {
    JudgeStream(Stream, verdict);
  }
  if (TagFound) {
    JudgeLameTag(Reader, Stream, MP3Gain, verdict);
  }
  for (const TProblem& problem : Problems) {
    if (problem.Applies(verdict)) {
      verdict.Problems.push_back(&problem);
    }
  }
  verdict.Kind = KindOf(verdict, Stream);
  return verdict;
}

TVerdict ErrorVerdict(const std::string& Message) {
  TVerdict verdict;
  verdict.Kind = TVerdictKind::Error;
  verdict.Error = Message;
  return verdict;
}

std::string VerdictName(TVerdictKind Kind) {
  return VerdictNames[static_cast<std::size_t>(Kind)];
}

std::uint64_t TTally::Files() const {
  std::uint64_t files = 0;
  for (const std::uint64_t count : Counts) {
    files += count;
  }
  return files;
}

}  // namespace kestrix
