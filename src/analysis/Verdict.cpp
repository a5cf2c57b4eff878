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

bool IsLameEncoder(const std::string& Text) {
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
  if (IsLameEncoder(Verdict.Encoder)) {
    Verdict.TagCRCFails = true;
  } else {
    Verdict.UnverifiableTagCRC = true;
  }
}

// A gapless continuation's music CRC goes on from the file before it, so
// alone it cannot be judged; MP3Gain's change explains a mismatch when the
// CRC matches with the change undone.
void JudgeMusicCRC(const TBasicKestrixReader& Reader, const std::optional<TMP3GainCheck>& MP3Gain,
                   TVerdict& Verdict) {
  Verdict.StoredMusicCRC = Reader.GetMusicCRC();
  Verdict.ActualMusicCRC = Reader.GetActualMusicCRC();
  if (Verdict.StoredMusicCRC == Verdict.ActualMusicCRC) {
    return;
  }
  if (Reader.GetNoGapContinuation()) {
    Verdict.UnverifiableMusicCRC = true;
  } else if (MP3Gain && MP3Gain->UndoneMusicCRC == Verdict.StoredMusicCRC) {
    Verdict.MP3Gain = MP3Gain->Steps;
  } else {
    Verdict.MusicCRCFails = true;
  }
}

void JudgeLameTag(const TBasicKestrixReader& Reader, const std::optional<TMP3GainCheck>& MP3Gain,
                  TVerdict& Verdict) {
  JudgeTagCRC(Reader, Verdict);
  JudgeMusicCRC(Reader, MP3Gain, Verdict);
  Verdict.MissingBytes = MissingBytesOf(Reader);
}

void JudgeStream(const TStreamFacts& Stream, TVerdict& Verdict) {
  Verdict.FrameMissingBytes = Stream.TruncatedFrame;
  Verdict.LostSync = Stream.LostSync;
  Verdict.FailedFrameCRCs = Stream.FrameCRC;
  Verdict.MixedStream = Stream.MixedStream;
  Verdict.JunkBefore = Stream.JunkBefore;
  Verdict.JunkAfter = Stream.JunkAfter;
  Verdict.VbrHeader = CheckVbrHeader(Stream);
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

TVerdict JudgeFile(const TBasicKestrixReader& Reader, bool TagFound, const TTagLayout& Tags,
                   const TStreamFacts& Stream, const std::optional<TMP3GainCheck>& MP3Gain) {
  TVerdict verdict;
  verdict.TagMissingBytes = Tags.TruncatedTag;
  if (TagFound) {
    JudgeLameTag(Reader, MP3Gain, verdict);
  }
  // Without a stream only the tag's problems are told.
  if (Stream.HasStream) {
    JudgeStream(Stream, verdict);
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
