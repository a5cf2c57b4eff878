#pragma once

#include <cstdint>

#include "describe/FieldTable.h"

namespace kestrix {

// The fixed-layout report of one file's tag: the revision warning, the
// field lines and the guess block; or why the file has no tag.
void PrintTagReport(const TTagFields& Fields);
void PrintRevisionWarning(std::uint8_t Revision);

}  // namespace kestrix
