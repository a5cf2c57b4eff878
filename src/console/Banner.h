#pragma once

#include <string>

namespace kestrix {

// The three lines built from the executable's version data.
void ShowBanner(const std::u16string& ExeName);
void ShowUsage();
void ShowNotes();

}  // namespace kestrix
