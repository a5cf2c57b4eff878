#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kestrix::test {

struct TRunResult {
  int ExitCode = -1;
  std::string Output;  // the bytes written to standard output
  std::string Errors;  // the bytes written to standard error
};

// Quotes one word for the POSIX shell.
std::string ShellQuote(const std::string& Word);

// Runs a shell command line in Folder (the current folder when empty) with
// standard output and error captured in files.
TRunResult RunShell(const std::string& Command, const std::filesystem::path& Folder = {});

// Runs the built kestrix with the arguments, each passed as one word.
TRunResult RunKestrix(const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder = {},
                      const std::string& Environment = "LC_ALL=C.UTF-8");

// The bytes Kestrix writes when redirected: the lines as UTF-16LE, each
// followed by CR LF.
std::string RedirectedText(const std::vector<std::u16string>& Lines);
std::vector<std::u16string> BannerLines();

}  // namespace kestrix::test
