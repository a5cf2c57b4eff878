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

// Quotes one word for the system's shell (the POSIX shell, or cmd.exe).
std::string ShellQuote(const std::string& Word);

// Runs a shell command line in Folder (the current folder when empty) with
// standard output and error captured in files.
TRunResult RunShell(const std::string& Command, const std::filesystem::path& Folder = {});

// Runs Program with the arguments (UTF-8 text), each passed as one word, in
// Folder, with the NAME=VALUE words of Environment added to its
// environment. Standard input is empty; output and errors are captured.
TRunResult RunProgram(const std::filesystem::path& Program,
                      const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder = {},
                      const std::string& Environment = "");

// A program the build made: the path as the build names it on POSIX; on
// Windows the name, found next to the running test program.
std::filesystem::path BuiltProgram(const std::string& Name);

#ifdef _WIN32
// What the started program gets as its standard output.
enum class TStandardOutput {
  Captured,      // a file, read back into TRunResult::Output
  ReadOnlyFile,  // a handle every write to fails on
  Invalid,       // INVALID_HANDLE_VALUE
};

// Starts Program with exactly this command-line text, which the program
// splits itself.
TRunResult RunCommandLine(const std::filesystem::path& Program, const std::u16string& CommandLine,
                          TStandardOutput Output = TStandardOutput::Captured,
                          const std::filesystem::path& Folder = {});

// The Windows API is wine's: some tests depend on what only wine does
// (locale from LC_ALL) or cannot run there.
bool RunsUnderWine();
#endif

}  // namespace kestrix::test
