#include "output/VerifyPrinter.h"

#include <cmath>

#include "platform/CodePage.h"
#include "platform/Locale.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::u16string_view ProblemSeparator = u"; ";

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

std::u16string UnverifiableText(const TVerdict& Verdict) {
  std::u16string text;
  if (Verdict.UnverifiableTagCRC) {
    text = FormatText(u"tag CRC from %s, which computes it differently",
                      {ConsoleSafeText(platform::Widen(Verdict.Encoder))});
  }
  if (Verdict.UnverifiableMusicCRC) {
    if (!text.empty()) {
      text += ProblemSeparator;
    }
    text += u"music CRC of a gapless continuation, which goes on from the file before it";
  }
  return text;
}

std::u16string StoredActualText(std::u16string_view What, const TStoredActual& Figures,
                                const std::string& Thousands) {
  return FormatText(u"VBR header says %s %s, the stream has %s",
                    {Count(Figures.Stored, Thousands), What, Count(Figures.Actual, Thousands)});
}

}  // namespace

std::u16string ProblemText(TProblem Problem, const TVerdict& Verdict,
                           const std::string& Thousands) {
  switch (Problem) {
    case TProblem::TagCRC:
      return FormatText(u"tag CRC stored %.4x, actual %.4x",
                        {Verdict.StoredTagCRC, Verdict.ActualTagCRC});
    case TProblem::MusicCRC:
      return FormatText(u"music CRC stored %.4x, actual %.4x",
                        {Verdict.StoredMusicCRC, Verdict.ActualMusicCRC});
    case TProblem::Truncated:
      return FormatText(u"file ends %s bytes before the stored music length",
                        {Count(Verdict.MissingBytes, Thousands)});
    case TProblem::TruncatedFrame:
      return FormatText(u"last frame cut short by %s bytes",
                        {Count(Verdict.FrameMissingBytes, Thousands)});
    case TProblem::MissingFrames:
    case TProblem::ExtraFrames:
      return StoredActualText(u"frames", Verdict.FrameCount, Thousands);
    case TProblem::LostSync:
      return FormatText(
          u"%s bytes out of sync in %s %s, first at offset %s",
          {Count(Verdict.LostSync.Bytes, Thousands), Count(Verdict.LostSync.Events, Thousands),
           Plural(Verdict.LostSync.Events, u"place", u"places"),
           Count(Verdict.LostSync.FirstOffset, Thousands)});
    case TProblem::FrameCRC:
      return FormatText(u"%s %s", {Count(Verdict.FailedFrameCRCs, Thousands),
                                   Plural(Verdict.FailedFrameCRCs, u"frame fails its CRC",
                                          u"frames fail their CRC")});
    case TProblem::MixedStream:
      return u"frames of another MPEG version, sample rate or channel count spliced in";
    case TProblem::MP3Gain:
      return FormatText(
          u"gain changed by MP3Gain (%s, %s steps); undone, the music CRC matches",
          {SignedSteps(Verdict.MP3GainSteps.Left), SignedSteps(Verdict.MP3GainSteps.Right)});
    case TProblem::UnverifiableCRC:
      return UnverifiableText(Verdict);
    case TProblem::ByteCount:
      return StoredActualText(u"bytes", Verdict.ByteCount, Thousands);
    case TProblem::NoVbrHeader:
      return u"variable bitrate without a VBR header frame count, so players may show a wrong "
             u"length";
    case TProblem::JunkBefore:
      return FormatText(u"%s bytes before the first frame", {Count(Verdict.JunkBefore, Thousands)});
    case TProblem::JunkAfter:
      break;
  }
  return FormatText(u"%s bytes after the last frame", {Count(Verdict.JunkAfter, Thousands)});
}

namespace {

std::u16string ProblemsText(const TVerdict& Verdict, const std::string& Thousands) {
  std::u16string text;
  for (const TProblem problem : Verdict.Problems) {
    if (!text.empty()) {
      text += ProblemSeparator;
    }
    text += ProblemText(problem, Verdict, Thousands);
  }
  return text;
}

const std::string& UserThousands() {
  return platform::GetNumberSeparators().Thousands;
}

}  // namespace

std::u16string VerifyLine(const std::u16string& Path, const TFileCheck& Check,
                          const std::string& Thousands) {
  const std::u16string path = ConsoleSafeText(Path);
  const TVerdict& verdict = Check.Verdict;
  switch (verdict.Kind) {
    case TVerdictKind::Ok:
      return FormatText(Check.HasLameTag() ? u"OK   %s" : u"OK   %s (no LAME tag)", {path});
    case TVerdictKind::Warn:
      return FormatText(u"WARN %s: %s", {path, ProblemsText(verdict, Thousands)});
    case TVerdictKind::Bad:
      return FormatText(u"BAD  %s: %s", {path, ProblemsText(verdict, Thousands)});
    case TVerdictKind::NotMP3:
      return FormatText(u"--   %s: not an MP3 file", {path});
    case TVerdictKind::Error:
      break;
  }
  return FormatText(u"ERR  %s: %s", {path, ConsoleSafeText(platform::Widen(verdict.Error))});
}

std::u16string VerifySummary(const TTally& Tally, const std::string& Thousands) {
  return FormatText(u"%s files: %s OK, %s WARN, %s BAD, %s not MP3, %s errors",
                    {Count(Tally.Files(), Thousands), Count(Tally.Of(TVerdictKind::Ok), Thousands),
                     Count(Tally.Of(TVerdictKind::Warn), Thousands),
                     Count(Tally.Of(TVerdictKind::Bad), Thousands),
                     Count(Tally.Of(TVerdictKind::NotMP3), Thousands),
                     Count(Tally.Of(TVerdictKind::Error), Thousands)});
}

namespace {

constexpr std::int64_t SecondsPerMinute = 60;
constexpr std::int64_t SecondsPerHour = 3600;

// "h:mm:ss", the hours as many as there are.
std::u16string PlayingTime(double Seconds) {
  const auto total = static_cast<std::int64_t>(std::llround(std::max(Seconds, 0.0)));
  return FormatText(u"%d:%.2d:%.2d",
                    {total / SecondsPerHour, total % SecondsPerHour / SecondsPerMinute,
                     total % SecondsPerMinute});
}

std::u16string GroupText(const std::vector<TNamedCount>& Counts, const std::string& Thousands) {
  if (Counts.empty()) {
    return u"none";
  }
  std::u16string text;
  for (const TNamedCount& count : Counts) {
    if (!text.empty()) {
      text += u", ";
    }
    text += FormatText(u"%s %s", {Count(count.Count, Thousands), ConsoleSafeText(count.Name)});
  }
  return text;
}

}  // namespace

std::vector<std::u16string> LibraryLines(const TLibrarySummary& Summary,
                                         const std::string& Thousands) {
  std::vector<std::u16string> lines = {
      FormatText(u"Library: %s files, %s bytes, playing time %s",
                 {Count(Summary.Files(), Thousands), Count(Summary.Bytes(), Thousands),
                  PlayingTime(Summary.Duration())})};
  for (const TLibraryGroupName& group : LibraryGroups) {
    lines.push_back(
        FormatText(u"%s: %s", {group.Label, GroupText(Summary.Counts(group.Group), Thousands)}));
  }
  return lines;
}

void TVerifyPrinter::Print(const std::u16string& FullName, const TFileCheck& Check) {
  const TVerdictKind kind = Check.Verdict.Kind;
  if (Quiet && (kind == TVerdictKind::Ok || kind == TVerdictKind::NotMP3)) {
    return;
  }
  Output().WriteLine(VerifyLine(FullName, Check, UserThousands()));
}

void TVerifyPrinter::Finish() {
  Output().WriteLine(VerifySummary(Tally(), UserThousands()));
  if (LibrarySummary()) {
    for (const std::u16string& line : LibraryLines(*LibrarySummary(), UserThousands())) {
      Output().WriteLine(line);
    }
  }
}

}  // namespace kestrix
