#include "platform/Process.h"

#include "platform/KestrixError.h"
#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

// The longest path the system has: 32767 units and the terminator.
constexpr std::size_t LastModuleBuffer = 32768;

}  // namespace

TSystemCommandLine GetSystemCommandLine(int, char**) {
  // The program splits the UTF-16 line itself, by its own rules.
  TSystemCommandLine commandLine;
  commandLine.Text = win32::FromWide(::GetCommandLineW());
  return commandLine;
}

std::u16string GetExecutablePath() {
  for (std::size_t size = MAX_PATH; size <= 2 * LastModuleBuffer; size *= 2) {
    std::wstring buffer(size, L'\0');
    const DWORD length =
        ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) {
      throw EKestrixError("Cannot find the path of the running program: " +
                          win32::ErrorText(::GetLastError()));
    }
    // A full buffer holds a cut path: try again with more room.
    if (length < buffer.size()) {
      return win32::FromWide(buffer.data(), length);
    }
  }
  throw EKestrixError("Cannot find the path of the running program: the path is too long");
}

int AvailableProcessors() {
  DWORD_PTR process = 0;
  DWORD_PTR system = 0;
  if (::GetProcessAffinityMask(::GetCurrentProcess(), &process, &system) && process != 0) {
    int count = 0;
    for (; process != 0; process &= process - 1) {
      ++count;
    }
    return count;
  }
  const DWORD active = ::GetActiveProcessorCount(ALL_PROCESSOR_GROUPS);
  return active > 0 ? static_cast<int>(active) : 1;
}

}  // namespace kestrix::platform
