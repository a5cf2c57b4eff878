#include "output/VerifyPrinter.h"

#include "console/WideConsole.h"
#include "platform/CodePage.h"
#include "platform/Locale.h"

namespace kestrix {

namespace {

constexpr std::u16string_view ProblemSeparator = u"; ";

std::u16string Count(std::uint64_t Value, const std::string& Thousands) {
  return platform::Widen(FormatThousands(Value, Thousands));
}

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
      break;
  }
  return FormatText(u"file ends %s bytes before the stored music length",
                    {Count(Verdict.MissingBytes, Thousands)});
}

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

std::u16string VerifyLine(const std::u16string& Path, const TVerdict& Verdict,
                          const std::string& Thousands) {
  const std::u16string path = ConsoleSafeText(Path);
  switch (Verdict.Kind) {
    case TVerdictKind::Ok:
      return FormatText(u"OK   %s", {path});
    case TVerdictKind::Bad:
      return FormatText(u"BAD  %s: %s", {path, ProblemsText(Verdict, Thousands)});
    case TVerdictKind::NoTag:
      return FormatText(u"--   %s: no LAME tag", {path});
    case TVerdictKind::Error:
      break;
  }
  return FormatText(u"ERR  %s: %s", {path, ConsoleSafeText(platform::Widen(Verdict.Error))});
}

std::u16string VerifySummary(const TTally& Tally, const std::string& Thousands) {
  return FormatText(u"%s files: %s OK, %s BAD, %s without a LAME tag, %s errors",
                    {Count(Tally.Files(), Thousands), Count(Tally.Of(TVerdictKind::Ok), Thousands),
                     Count(Tally.Of(TVerdictKind::Bad), Thousands),
                     Count(Tally.Of(TVerdictKind::NoTag), Thousands),
                     Count(Tally.Of(TVerdictKind::Error), Thousands)});
}

void TVerifyPrinter::PrintFile(const std::u16string& FullName, const TFileCheck& Check) {
  PrintLine(VerifyLine(FullName, Check.Verdict, UserThousands()));
  Tally.Count(Check.Verdict.Kind);
}

void TVerifyPrinter::Finish() {
  PrintLine(VerifySummary(Tally, UserThousands()));
}

}  // namespace kestrix
