#include "support/RunProgram.h"

#include <cstdlib>

#include "support/TestFiles.h"

namespace kestrix::test {

namespace {

std::string FileText(const std::filesystem::path& Path) {
  const TBytes bytes = ReadFileBytes(Path);
  return std::string(bytes.begin(), bytes.end());
}

// std::system reports a wait status on POSIX and the exit code on Windows.
int ExitCodeOf(int Status) {
#ifdef _WIN32
  return Status;
#else
  constexpr int SignalMask = 0x7F;
  return (Status & SignalMask) == 0 ? (Status >> 8) & 0xFF : 128 + (Status & SignalMask);
#endif
}

}  // namespace

std::string ShellQuote(const std::string& Word) {
  std::string quoted = "'";
  for (const char c : Word) {
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  }
  return quoted + "'";
}

TRunResult RunShell(const std::string& Command, const std::filesystem::path& Folder) {
  const TTempFolder capture;
  const auto out = capture.Path() / "stdout";
  const auto err = capture.Path() / "stderr";
  std::string line = "{ " + Command + "; } >" + ShellQuote(out.string()) + " 2>" +
                     ShellQuote(err.string()) + " </dev/null";
  if (!Folder.empty()) {
    line = "cd " + ShellQuote(Folder.string()) + " && " + line;
  }
  TRunResult result;
  result.ExitCode = ExitCodeOf(std::system(line.c_str()));
  result.Output = FileText(out);
  result.Errors = FileText(err);
  return result;
}

}  // namespace kestrix::test
