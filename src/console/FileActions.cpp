#include "console/FileActions.h"

#include "console/Report.h"
#include "output/ReportPrinter.h"

namespace kestrix {

bool TReportAction::Process(const std::u16string& FullName) {
  Output.WriteLine(FullName);
  PrintReport(Output, FullName, Buffer);
  Output.WriteLine();
  return true;
}

void TReportAction::Fail(const std::u16string&, const std::exception& Error) {
  PrintError(Output, Error);
  Output.WriteLine();
}

bool TCheckAction::Process(const std::u16string& FullName) {
  const TFileCheck check = CheckFile(FullName, Buffer);
  Printer->PrintFile(FullName, check);
  return check.Verdict.Kind != TVerdictKind::Error;
}

void TCheckAction::Fail(const std::u16string& FullName, const std::exception& Error) {
  Printer->PrintFile(FullName, FailedCheck(Error.what()));
}

bool TCheckAction::FolderFailed(const std::u16string& Folder, const std::string& Message) {
  Printer->PrintFile(Folder, FailedCheck(Message));
  return true;
}

}  // namespace kestrix
