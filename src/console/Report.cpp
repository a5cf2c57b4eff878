#include "console/Report.h"

#include "console/ReportFields.h"
#include "console/WideConsole.h"
#include "describe/DescriptiveKestrixReader.h"

namespace kestrix {

namespace {

constexpr int HighestSupportedRevision = 0;

void PrintField(const TReportField& Field) {
  PrintLine(std::u16string(Field.Label) + Field.Text);
}

void PrintMissingTag(const TDescriptiveKestrixReader& Reader) {
  if (!HasOnlyVersionText(Reader)) {
    PrintLine(u"LAME tag not found.");
    return;
  }
  PrintLine();
  PrintFormatLine(u"LAME tags were introduced with LAME version %s, but ",
                  {std::string(FirstTaggedVersion)});
  PrintLine(u"this file was encoded by an earlier version of LAME and");
  PrintLine(u"the header only contains a version string.");
  PrintLine();
  for (const TReportField& field : VersionTextFields(Reader)) {
    PrintField(field);
  }
}

void PrintGuessBlock(TDescriptiveKestrixReader& Reader) {
  PrintLine();
  PrintLine(GuessIntroLine);
  if (Reader.GetPresetGuessModified()) {
    for (const std::u16string_view line : ModifiedGuessLines) {
      PrintLine(line);
    }
  } else {
    for (const std::u16string_view line : PlainGuessLines) {
      PrintLine(line);
    }
  }
  PrintLine();
  PrintFormatLine(std::u16string(PresetGuessLabel) + u"%s", {Reader.GetPresetGuessText()});
}

}  // namespace

void PrintRevisionWarning(std::uint8_t Revision) {
  if (Revision == 0) {
    return;
  }
  PrintLine();
  PrintLine(u"WARNING:");
  PrintFormatLine(u"The tag revision of the LAME tag in this file is %d.", {Revision});
  PrintLine(u"This version of Kestrix.exe only supports tag revisions up");
  PrintFormatLine(u"to %d, so the values shown will probably be incorrect.",
                  {HighestSupportedRevision});
  PrintLine();
}

namespace {

void PrintReaderReport(TDescriptiveKestrixReader& Reader, bool TagFound) {
  if (!TagFound) {
    PrintMissingTag(Reader);
    return;
  }
  PrintRevisionWarning(Reader.GetTagRevision());
  for (const TReportField& field : TagFields(Reader)) {
    PrintField(field);
  }
  if (Reader.GetPresetStatus() == psGuessed) {
    PrintGuessBlock(Reader);
  }
}

}  // namespace

void PrintReport(const std::u16string& FileName) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(FileName, true, tagFound);
  PrintReaderReport(reader, tagFound);
}

void PrintReport(platform::TStream& Stream) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(Stream, true, tagFound);
  PrintReaderReport(reader, tagFound);
}

}  // namespace kestrix
