#pragma once

#include <string>

#include "console/Printer.h"
#include "describe/Verdict.h"

namespace kestrix {

// The version of the object layout, given in the summary object.
inline constexpr int JsonFormatVersion = 1;

// The object of one file as one line of JSON (without its line end), and
// the file's verdict. Raises when the file cannot be read at all.
std::string JsonFileLine(const std::u16string& FullName, TVerdictKind& Kind);
// The object of a file that could not be read.
std::string JsonErrorLine(const std::u16string& FullName, const std::string& Message);
std::string JsonSummaryLine(const TTally& Tally);

// JSON Lines in UTF-8 with LF line ends: one object per file in the order
// of the walk, then one summary object.
class TJsonPrinter final : public TPrinter {
 public:
  void PrintFile(const std::u16string& FullName) override;
  void PrintFailure(const std::u16string& FullName, const std::exception& Error) override;
  void Finish() override;
  bool AnyBad() const override { return Tally.Of(TVerdictKind::Bad) > 0; }

 private:
  TTally Tally;
};

}  // namespace kestrix
