#pragma once

#include <string>
#include <vector>

#include "output/Printer.h"

namespace kestrix {

// One record of RFC 4180 CSV, without its record end: a cell that holds a
// comma, a quote, CR or LF is quoted, its quotes doubled.
std::string CsvRecord(const std::vector<std::string>& Cells);

// The column names: path, verdict, problems, every field key in report
// order, error.
std::vector<std::string> CsvHeader();
// The row of one file.
std::vector<std::string> CsvFileRow(const std::u16string& FullName, const TFileCheck& Check);
std::vector<std::string> CsvErrorRow(const std::u16string& FullName, const std::string& Message);

// RFC 4180 CSV in UTF-8, CR LF after every record: the header, then one row
// per file in the order of the walk.
class TCsvPrinter final : public TPrinter {
 public:
  using TPrinter::TPrinter;
  void Start() override;

 private:
  void Print(const std::u16string& FullName, const TFileCheck& Check) override;
};

}  // namespace kestrix
