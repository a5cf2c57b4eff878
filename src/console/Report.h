#pragma once

#include <cstdint>
#include <string>

#include "platform/FileStream.h"

namespace kestrix {

// Prints every field of the file's LAME tag, or why there is none. Raises
// when the file cannot be read at all.
void PrintReport(const std::u16string& FileName);
// The same report of bytes from a stream the caller has opened.
void PrintReport(platform::TStream& Stream);
void PrintRevisionWarning(std::uint8_t Revision);

}  // namespace kestrix
