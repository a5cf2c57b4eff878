#include "console/Printer.h"

#include "console/Report.h"
#include "console/WideConsole.h"

namespace kestrix {

void TReportPrinter::PrintFile(const std::u16string& FullName) {
  PrintLine(FullName);
  PrintReport(FullName);
  PrintLine();
}

void TReportPrinter::PrintFailure(const std::u16string&, const std::exception& Error) {
  PrintError(Error);
  PrintLine();
}

}  // namespace kestrix
