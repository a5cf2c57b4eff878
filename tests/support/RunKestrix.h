#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "support/RunProgram.h"

namespace kestrix::test {

// Runs the built kestrix with the arguments, each passed as one word.
TRunResult RunKestrix(const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder = {},
                      const std::string& Environment = "LC_ALL=C.UTF-8");

#ifndef _WIN32
// As root, permissions keep nobody out, so runs that need them drop to an
// unprivileged user: the words that start a command so (empty when not
// root), or none when that cannot be done here.
std::optional<std::string> UnprivilegedPrefix();
#endif

// The bytes Kestrix writes when redirected: the lines as UTF-16LE, each
// followed by CR LF.
std::string RedirectedText(const std::vector<std::u16string>& Lines);
std::vector<std::u16string> BannerLines();

// Redirected output as the UTF-16 text it holds.
std::u16string FromUtf16LE(const std::string& Bytes);
// The same text as UTF-8, with every lone surrogate as U+FFFD.
std::string Utf8OfUtf16LE(const std::string& Bytes);
// The report lines of a redirected run of one file: what stands between
// its name line and the empty line that ends its block.
std::vector<std::u16string> ReportLines(const std::string& Output);

// A count as a run with the default environment shows it: no grouping in
// the C locale of POSIX; on Windows grouped as the user's locale groups.
std::u16string Grouped(std::u16string_view Digits);

}  // namespace kestrix::test
