#include "platform/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/PosixFile.h"

namespace kestrix::platform {

namespace {

int Descriptor(std::intptr_t Handle) {
  return static_cast<int>(Handle);
}

}  // namespace

TInputFile::~TInputFile() {
  Close();
}

void TInputFile::Close() {
  if (Owned && Handle != InvalidHandle) {
    ::close(Descriptor(Handle));
  }
  Handle = InvalidHandle;
  Owned = false;
}

bool TInputFile::Open(const std::u16string& Path) {
  Close();
  const std::string bytes = posix::ToSystemPath(Path);
  // A zero character would silently cut the name short.
  if (bytes.empty() || bytes.find('\0') != std::string::npos) {
    Message = std::strerror(ENOENT);
    return false;
  }
  int fd = -1;
  do {
    fd = ::open(bytes.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) {
    Message = std::strerror(errno);
    return false;
  }
  struct stat status {};
  const int error = ::fstat(fd, &status) != 0 ? errno : S_ISDIR(status.st_mode) ? EISDIR : 0;
  if (error != 0) {
    Message = std::strerror(error);
    ::close(fd);
    return false;
  }
  Handle = fd;
  Owned = true;
  return true;
}

bool TInputFile::OpenStandardInput() {
  Close();
  if (::fcntl(STDIN_FILENO, F_GETFD) == -1) {
    Message = std::strerror(errno);
    return false;
  }
  Handle = STDIN_FILENO;
  return true;
}

std::int64_t TInputFile::Read(void* Buffer, std::size_t Count) {
  for (;;) {
    const ssize_t got = ::read(Descriptor(Handle), Buffer, Count);
    if (got >= 0) {
      return got;
    }
    if (errno != EINTR) {
      Message = std::strerror(errno);
      return -1;
    }
  }
}

}  // namespace kestrix::platform
