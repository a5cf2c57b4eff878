#include "platform/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/posix/PosixFile.h"

namespace kestrix::platform {

static_assert(sizeof(off_t) == sizeof(std::int64_t), "positions are 64-bit");

namespace {

// Non-blocking so that opening a FIFO can never hang the run.
constexpr int OpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

int OpenReadOnly(const std::string& Path) {
  int fd = -1;
  do {
    fd = ::open(Path.c_str(), OpenFlags);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

bool IsFolder(int Fd) {
  struct stat status {};
  return ::fstat(Fd, &status) != 0 || S_ISDIR(status.st_mode);
}

}  // namespace

TFileStream::~TFileStream() {
  Close();
}

bool TFileStream::Open(const std::u16string& Path) {
  Close();
  const std::string bytes = posix::ToSystemPath(Path);
  // A zero character would silently cut the name short.
  if (bytes.find('\0') != std::string::npos) {
    return false;
  }
  const int fd = OpenReadOnly(bytes);
  if (fd < 0) {
    return false;
  }
  if (IsFolder(fd)) {
    ::close(fd);
    return false;
  }
  Handle = fd;
  Position = 0;
  return true;
}

void TFileStream::Close() {
  if (IsOpen()) {
    // No retry on EINTR: the descriptor is released either way.
    ::close(static_cast<int>(Handle));
    Handle = InvalidHandle;
  }
  Position = 0;
}

void TFileStream::Seek(std::int64_t NewPosition) {
  Position = NewPosition;
}

std::int64_t TFileStream::Read(void* Buffer, std::int64_t Count) {
  if (!IsOpen() || Count <= 0 || Position < 0) {
    return 0;
  }
  // The position must not overflow behind the last byte read.
  Count = std::min(Count, std::numeric_limits<std::int64_t>::max() - Position);
  const std::int64_t done = posix::ReadAt(static_cast<int>(Handle), Position, Buffer, Count);
  Position += done;
  return done;
}

std::int64_t TFileStream::Size() {
  struct stat status {};
  if (!IsOpen() || ::fstat(static_cast<int>(Handle), &status) != 0) {
    return -1;
  }
  return static_cast<std::int64_t>(status.st_size);
}

}  // namespace kestrix::platform
