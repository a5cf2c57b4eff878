#pragma once

#include <string>

// The 8-bit code page, chosen once at start-up from the user's locale:
// every 8-bit text of the program becomes UTF-16 through it and back.
namespace kestrix::platform {

// Bytes not valid in the code page become U+FFFD.
std::u16string Widen(const std::string& Text);
// Characters the code page lacks become "?".
std::string Narrow(const std::u16string& Text);

}  // namespace kestrix::platform
