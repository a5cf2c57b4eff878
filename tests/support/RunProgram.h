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

}  // namespace kestrix::test
