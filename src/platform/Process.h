#pragma once

#include <optional>
#include <string>
#include <vector>

namespace kestrix::platform {

// The command line as the system hands it over: either already split into
// arguments (POSIX), or one text that the program splits itself (Windows).
struct TSystemCommandLine {
  std::vector<std::u16string> Arguments;  // after the program, empty ones dropped
  std::optional<std::u16string> Text;     // the whole line, program token first
};

TSystemCommandLine GetSystemCommandLine(int ArgumentCount, char** Arguments);

// Absolute path of the running executable. Raises EKestrixError when the
// system cannot tell it.
std::u16string GetExecutablePath();

// How many processors this process may run on (its affinity, where the
// system has one); at least 1.
int AvailableProcessors();

}  // namespace kestrix::platform
