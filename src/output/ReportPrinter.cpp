#include "output/ReportPrinter.h"

#include <string>

namespace kestrix {

namespace {

constexpr int HighestSupportedRevision = 0;

void PrintLines(TTextWriter& Output, const TTagFields& Fields) {
  for (const TFieldLine& line : Fields.Lines) {
    Output.WriteLine(std::u16string(line.Label) + line.Text);
  }
}

void PrintVersionTextOnly(TTextWriter& Output, const TTagFields& Fields) {
  Output.WriteLine();
  Output.WriteFormatLine(u"LAME tags were introduced with LAME version %s, but ",
                         {std::string(FirstTaggedVersion)});
  Output.WriteLine(u"this file was encoded by an earlier version of LAME and");
  Output.WriteLine(u"the header only contains a version string.");
  Output.WriteLine();
  PrintLines(Output, Fields);
}

void PrintGuessBlock(TTextWriter& Output, const TPresetGuessBlock& Guess) {
  Output.WriteLine();
  Output.WriteLine(GuessIntroLine);
  if (Guess.Modified) {
    for (const std::u16string_view line : ModifiedGuessLines) {
      Output.WriteLine(line);
    }
  } else {
    for (const std::u16string_view line : PlainGuessLines) {
      Output.WriteLine(line);
    }
  }
  Output.WriteLine();
  Output.WriteLine(std::u16string(PresetGuessLabel) + Guess.Guess);
}

}  // namespace

void PrintRevisionWarning(TTextWriter& Output, std::uint8_t Revision) {
  if (Revision == 0) {
    return;
  }
  Output.WriteLine();
  Output.WriteLine(u"WARNING:");
  Output.WriteFormatLine(u"The tag revision of the LAME tag in this file is %d.", {Revision});
  Output.WriteLine(u"This version of Kestrix.exe only supports tag revisions up");
  Output.WriteFormatLine(u"to %d, so the values shown will probably be incorrect.",
                         {HighestSupportedRevision});
  Output.WriteLine();
}

void PrintTagReport(TTextWriter& Output, const TTagFields& Fields) {
  switch (Fields.Kind) {
    case TTagKind::None:
      Output.WriteLine(u"LAME tag not found.");
      return;
    case TTagKind::VersionTextOnly:
      PrintVersionTextOnly(Output, Fields);
      return;
    case TTagKind::Tag:
      break;
  }
  PrintRevisionWarning(Output, Fields.Revision);
  PrintLines(Output, Fields);
  if (Fields.Guess) {
    PrintGuessBlock(Output, *Fields.Guess);
  }
}

void PrintError(TTextWriter& Output, const std::string& Message) {
  Output.WriteFormatLine(u"ERROR: %s", {Message});
}

void PrintError(TTextWriter& Output, const std::exception& Error) {
  PrintError(Output, std::string(Error.what()));
}

}  // namespace kestrix
