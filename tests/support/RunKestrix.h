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

// The bytes Kestrix writes when redirected, in the system's own encoding:
// the lines as UTF-8, each followed by LF; on Windows as UTF-16LE, each
// followed by CR LF.
std::string RedirectedText(const std::vector<std::u16string>& Lines);
// The bytes of --utf16 on every system: the lines as UTF-16LE, each
// followed by CR LF.
std::string Utf16Text(const std::vector<std::u16string>& Lines);
std::vector<std::u16string> BannerLines();

// The line end of redirected output in the system's own encoding.
std::u16string_view RedirectedLineEnd();
// The line end of a line on standard error: LF; on Windows CR LF.
std::string StdErrorLineEnd();
// Redirected output in the system's own encoding as the UTF-16 text it
// holds, its line ends as they are.
std::u16string FromRedirected(const std::string& Bytes);
// UTF-16LE bytes, as --utf16 writes them, as text.
std::u16string FromUtf16LE(const std::string& Bytes);
// Text as UTF-8 with LF line ends, every lone surrogate as U+FFFD.
std::string Utf8WithLF(std::u16string_view Text);
// Redirected output as UTF-8 with LF line ends on every system.
std::string Utf8OfRedirected(const std::string& Bytes);
// The report lines of a redirected run of one file: what stands between
// its name line and the empty line that ends its block.
std::vector<std::u16string> ReportLines(const std::string& Output);

// Whether a locale that groups digits with "," is at hand: en_US.UTF-8 on
// POSIX; on Windows the user's, which a run shares with the test (wine
// makes C.UTF-8 an English one). GroupingEnvironment selects it for a run.
bool HaveGroupingLocale();
extern const std::string GroupingEnvironment;

// A count as a run with the default environment shows it: no grouping in
// the C locale of POSIX; on Windows grouped as the user's locale groups.
std::u16string Grouped(std::u16string_view Digits);

}  // namespace kestrix::test
