#include "console/Report.h"

#include "describe/FieldTable.h"
#include "output/ReportPrinter.h"

namespace kestrix {

void PrintReport(const std::u16string& FileName) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(FileName, true, tagFound);
  PrintTagReport(DescribeTag(reader, tagFound));
}

void PrintReport(platform::TStream& Stream) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(Stream, true, tagFound);
  PrintTagReport(DescribeTag(reader, tagFound));
}

}  // namespace kestrix
