#pragma once

#include <string>

#include "platform/FileStream.h"
#include "text/WideWriter.h"

namespace kestrix {

// Reads the file's LAME tag and both its CRCs, through the caller's
// buffer, and prints every field, or why there is none. Raises when the
// file cannot be read at all.
void PrintReport(TTextWriter& Output, const std::u16string& FileName,
                 platform::TReadBuffer& Buffer);
// The same report of bytes from a stream the caller has opened.
void PrintReport(TTextWriter& Output, platform::TStream& Stream, platform::TReadBuffer& Buffer);
// The same through a buffer of its own, for a file reported alone.
void PrintReport(TTextWriter& Output, platform::TStream& Stream);

}  // namespace kestrix
