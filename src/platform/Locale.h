#pragma once

#include <string>

namespace kestrix::platform {

// The user's number separators as 8-bit text in the active code page: each
// one character, or empty for none.
struct TNumberSeparators {
  std::string Thousands;  // a comma when the locale's is longer than one character
  std::string Decimal;    // a full stop when the locale's is longer than one character
};

// Read from the user's locale on the first call, then kept.
const TNumberSeparators& GetNumberSeparators();

}  // namespace kestrix::platform
