#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/RunProgram.h"

namespace kestrix::test {

// Runs the built kestrix with the arguments, each passed as one word.
TRunResult RunKestrix(const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder = {},
                      const std::string& Environment = "LC_ALL=C.UTF-8");

// The bytes Kestrix writes when redirected: the lines as UTF-16LE, each
// followed by CR LF.
std::string RedirectedText(const std::vector<std::u16string>& Lines);
std::vector<std::u16string> BannerLines();

}  // namespace kestrix::test
