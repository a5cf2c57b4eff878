#pragma once

#include <string>

#include "output/Printer.h"

namespace kestrix {

// The version of the object layout, given in the summary object.
inline constexpr int JsonFormatVersion = 2;

// The object of one file as one line of JSON, without its line end.
std::string JsonFileLine(const std::u16string& FullName, const TFileCheck& Check);
// The object of a file that could not be read.
std::string JsonErrorLine(const std::u16string& FullName, const std::string& Message);
// With Library, the summary object holds it as "library".
std::string JsonSummaryLine(const TTally& Tally,
                            const std::optional<TLibrarySummary>& Library = std::nullopt);

// JSON Lines in UTF-8 with LF line ends: one object per file in the order
// of the walk, then one summary object.
class TJsonPrinter final : public TPrinter {
 public:
  using TPrinter::TPrinter;
  void Finish() override;

 private:
  void Print(const std::u16string& FullName, const TFileCheck& Check) override;
};

}  // namespace kestrix
