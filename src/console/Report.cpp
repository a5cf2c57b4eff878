#include "console/Report.h"

#include "describe/FieldTable.h"
#include "output/ReportPrinter.h"

namespace kestrix {

void PrintReport(TTextWriter& Output, const std::u16string& FileName) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(FileName, true, tagFound);
  PrintTagReport(Output, DescribeTag(reader, tagFound));
}

void PrintReport(TTextWriter& Output, platform::TStream& Stream) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(Stream, true, tagFound);
  PrintTagReport(Output, DescribeTag(reader, tagFound));
}

}  // namespace kestrix
