#pragma once

#include <string>

namespace kestrix {

// The three lines built from the executable's version data.
void ShowBanner(const std::u16string& ExeName);
void ShowUsage();
void ShowNotes();
// The options of the command lines with more than one argument.
void ShowOptions();

}  // namespace kestrix
