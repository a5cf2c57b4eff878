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

std::u16string ProblemsText(const TVerdict& Verdict, const std::string& Thousands) {
  std::u16string text;
  for (const TProblem* problem : Verdict.Problems) {
    if (!text.empty()) {
      text += ProblemSeparator;
    }
    text += problem->Text(Verdict, Thousands);
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
