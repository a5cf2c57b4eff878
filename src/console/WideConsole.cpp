#include "console/WideConsole.h"

namespace kestrix {

std::unique_ptr<TWideStdOut> StdOut;

bool IsOutputReaderClosed() {
  return StdOut && StdOut->IsReaderClosed();
}

bool PrintLine(std::u16string_view Text) {
  return StdOut && StdOut->WriteLine(Text);
}

bool PrintFormatLine(std::u16string_view Format, TFormatArgs Args) {
  return StdOut && StdOut->WriteFormatLine(Format, Args);
}

bool PrintUtf8Line(std::string_view Text, std::string_view End) {
  return StdOut && StdOut->WriteUtf8Line(Text, End);
}

void PrintError(const std::exception& Error) {
  PrintFormatLine(u"ERROR: %s", {std::string(Error.what())});
}

}  // namespace kestrix
