#pragma once

#include <string>

#include "output/Printer.h"

namespace kestrix {

// The line of one file: "OK   <path>", "BAD  <path>: <problems>",
// "--   <path>: no LAME tag" or "ERR  <path>: <message>". Counts are grouped
// with Thousands. Control characters and lone surrogates of the path and
// message become U+FFFD, so every file is one line on any output.
std::u16string VerifyLine(const std::u16string& Path, const TVerdict& Verdict,
                          const std::string& Thousands);
// "<n> files: <n> OK, <n> BAD, <n> without a LAME tag, <n> errors".
std::u16string VerifySummary(const TTally& Tally, const std::string& Thousands);

// One line per file for a person, then the counts; through the text
// writer like the report.
class TVerifyPrinter final : public TPrinter {
 public:
  void PrintFile(const std::u16string& FullName, const TFileCheck& Check) override;
  void Finish() override;
  bool AnyBad() const override { return Tally.Of(TVerdictKind::Bad) > 0; }

 private:
  TTally Tally;
};

}  // namespace kestrix
