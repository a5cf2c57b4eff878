#include "platform/Process.h"

#ifdef __linux__
#include <sched.h>
#endif
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/KestrixError.h"
#include "platform/posix/PosixFile.h"

namespace kestrix::platform {

namespace {

constexpr char SelfLink[] = "/proc/self/exe";
constexpr std::size_t FirstLinkBuffer = 256;
// Far beyond any path the system accepts; stops a link that keeps growing.
constexpr std::size_t LastLinkBuffer = std::size_t{1} << 20;

}  // namespace

TSystemCommandLine GetSystemCommandLine(int ArgumentCount, char** Arguments) {
  TSystemCommandLine commandLine;
  for (int i = 1; i < ArgumentCount && Arguments[i] != nullptr; ++i) {
    if (*Arguments[i] != '\0') {
      commandLine.Arguments.push_back(posix::FromSystemName(Arguments[i]));
    }
  }
  return commandLine;
}

std::u16string GetExecutablePath() {
  for (std::size_t size = FirstLinkBuffer; size <= LastLinkBuffer; size *= 2) {
    std::string buffer(size, '\0');
    const ssize_t length = ::readlink(SelfLink, buffer.data(), buffer.size());
    if (length < 0) {
      throw EKestrixError(std::string("Cannot find the path of the running program: ") +
                          std::strerror(errno));
    }
    // A full buffer may hold a cut path: try again with more room.
    if (static_cast<std::size_t>(length) < buffer.size()) {
      buffer.resize(static_cast<std::size_t>(length));
      return posix::FromSystemName(buffer);
    }
  }
  throw EKestrixError("Cannot find the path of the running program: the path is too long");
}

int AvailableProcessors() {
#ifdef __linux__
  cpu_set_t set;
  CPU_ZERO(&set);
  if (::sched_getaffinity(0, sizeof(set), &set) == 0 && CPU_COUNT(&set) > 0) {
    return CPU_COUNT(&set);
  }
#endif
  const long online = ::sysconf(_SC_NPROCESSORS_ONLN);
  return online > 0 ? static_cast<int>(online) : 1;
}

}  // namespace kestrix::platform
