#pragma once

#include <string>

#include "text/WideWriter.h"

namespace kestrix {

// The three lines built from the executable's version data.
void ShowBanner(TTextWriter& Output, const std::u16string& ExeName);
void ShowUsage(TTextWriter& Output);
void ShowNotes(TTextWriter& Output);
// The options of the command lines with more than one argument.
void ShowOptions(TTextWriter& Output);
// "kestrix <version>" and the license, as --version prints them.
void ShowVersion(TTextWriter& Output, const std::u16string& ExeName);

}  // namespace kestrix
