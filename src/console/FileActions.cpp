#include "console/FileActions.h"

#include "output/ReportPrinter.h"
#include "platform/Locale.h"

namespace kestrix {

// The report's texts follow the user's locale, and it needs no walk.
TReportAction::TReportAction(TTextWriter& Output)
    : Output(Output), ReportNeeds{false, platform::GetNumberSeparators()} {}

bool TReportAction::Print(const std::u16string& FullName, const TFileCheck& Check) {
  Output.WriteLine(FullName);
  const bool read = Check.Verdict.Kind != TVerdictKind::Error;
  if (read) {
    PrintTagReport(Output, Check.Tag);
  } else {
    PrintError(Output, Check.Verdict.Error);
  }
  Output.WriteLine();
  return read;
}

bool TCheckAction::Print(const std::u16string& FullName, const TFileCheck& Check) {
  Printer->PrintFile(FullName, Check);
  return Check.Verdict.Kind != TVerdictKind::Error;
}

bool TCheckAction::FolderFailed(const std::u16string& Folder, const std::string& Message) {
  Printer->PrintFile(Folder, FailedCheck(Message));
  return true;
}

}  // namespace kestrix
