#pragma once

#include <string>
#include <vector>

#include "output/Printer.h"

namespace kestrix {

// The line of one file: "OK   <path>" (with " (no LAME tag)" when it has
// none), "WARN <path>: <problems>", "BAD  <path>: <problems>",
// "--   <path>: not an MP3 file" or "ERR  <path>: <message>". Counts are
// grouped with Thousands. Control characters and lone surrogates of the
// path and message become U+FFFD, so every file is one line on any output.
std::u16string VerifyLine(const std::u16string& Path, const TFileCheck& Check,
                          const std::string& Thousands);
// "<n> files: <n> OK, <n> WARN, <n> BAD, <n> not MP3, <n> errors".
std::u16string VerifySummary(const TTally& Tally, const std::string& Thousands);
// "Library: <n> files, <n> bytes, playing time h:mm:ss", then a line for
// each group: "Encoders: 40 LAME3.100, 2 no LAME tag" ("none" for none).
std::vector<std::u16string> LibraryLines(const TLibrarySummary& Summary,
                                         const std::string& Thousands);

// One line per file for a person, then the counts; through the text
// writer like the report. Quiet leaves out the lines of the files that
// need no attention: intact ones and those that are no MP3 file.
class TVerifyPrinter final : public TPrinter {
 public:
  explicit TVerifyPrinter(TTextWriter& Output, bool Quiet = false)
      : TPrinter(Output), Quiet(Quiet) {}
  void Finish() override;

 private:
  void Print(const std::u16string& FullName, const TFileCheck& Check) override;

  bool Quiet;
};

}  // namespace kestrix
