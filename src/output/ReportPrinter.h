#pragma once

#include <cstdint>
#include <exception>

#include "describe/FieldTable.h"
#include "text/WideWriter.h"

namespace kestrix {

// The fixed-layout report of one file's tag: the revision warning, the
// field lines and the guess block; or why the file has no tag.
void PrintTagReport(TTextWriter& Output, const TTagFields& Fields);
void PrintRevisionWarning(TTextWriter& Output, std::uint8_t Revision);
// "ERROR: <message>": a file, or the run, could not be reported. The
// message is 8-bit text, widened by the code page.
void PrintError(TTextWriter& Output, const std::string& Message);
void PrintError(TTextWriter& Output, const std::exception& Error);

}  // namespace kestrix
