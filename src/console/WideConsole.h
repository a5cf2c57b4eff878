#pragma once

#include <exception>
#include <memory>
#include <string>
#include <string_view>

#include "text/WideWriter.h"

namespace kestrix {

// The program's one writer; empty before the main routine creates it and
// after it frees it, when the print operations write nothing.
extern std::unique_ptr<TWideStdOut> StdOut;

// The reader of the output has gone, so a walk need not go on reading files.
bool IsOutputReaderClosed();

bool PrintLine(std::u16string_view Text = {});
bool PrintFormatLine(std::u16string_view Format, TFormatArgs Args);
bool PrintUtf8Line(std::string_view Text, std::string_view End);
// "ERROR: <message>".
void PrintError(const std::exception& Error);

}  // namespace kestrix
