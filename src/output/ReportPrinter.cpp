#include "output/ReportPrinter.h"

#include "console/WideConsole.h"

namespace kestrix {

namespace {

constexpr int HighestSupportedRevision = 0;

void PrintLines(const TTagFields& Fields) {
  for (const TFieldLine& line : Fields.Lines) {
    PrintLine(std::u16string(line.Label) + line.Text);
  }
}

void PrintVersionTextOnly(const TTagFields& Fields) {
  PrintLine();
  PrintFormatLine(u"LAME tags were introduced with LAME version %s, but ",
                  {std::string(FirstTaggedVersion)});
  PrintLine(u"this file was encoded by an earlier version of LAME and");
  PrintLine(u"the header only contains a version string.");
  PrintLine();
  PrintLines(Fields);
}

void PrintGuessBlock(const TPresetGuessBlock& Guess) {
  PrintLine();
  PrintLine(GuessIntroLine);
  if (Guess.Modified) {
    for (const std::u16string_view line : ModifiedGuessLines) {
      PrintLine(line);
    }
  } else {
    for (const std::u16string_view line : PlainGuessLines) {
      PrintLine(line);
    }
  }
  PrintLine();
  PrintLine(std::u16string(PresetGuessLabel) + Guess.Guess);
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

void PrintTagReport(const TTagFields& Fields) {
  switch (Fields.Kind) {
    case TTagKind::None:
      PrintLine(u"LAME tag not found.");
      return;
    case TTagKind::VersionTextOnly:
      PrintVersionTextOnly(Fields);
      return;
    case TTagKind::Tag:
      break;
  }
  PrintRevisionWarning(Fields.Revision);
  PrintLines(Fields);
  if (Fields.Guess) {
    PrintGuessBlock(*Fields.Guess);
  }
}

}  // namespace kestrix
