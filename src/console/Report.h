#pragma once

#include <cstdint>
#include <string>

namespace kestrix {

// Prints every field of the file's LAME tag, or why there is none. Raises
// when the file cannot be read at all.
void PrintReport(const std::u16string& FileName);
void PrintRevisionWarning(std::uint8_t Revision);

}  // namespace kestrix
