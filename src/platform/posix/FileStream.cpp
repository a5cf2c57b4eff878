#include "platform/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>

#include "platform/Unicode.h"

namespace kestrix::platform {

static_assert(sizeof(off_t) == sizeof(std::int64_t), "positions are 64-bit");

namespace {

// Non-blocking so that opening a FIFO can never hang the run.
constexpr int OpenFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// Keeps one pread below what ssize_t can report on any system.
constexpr std::int64_t MaxPieceSize = std::int64_t{1} << 30;

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
  // Lone surrogates stand for the bytes of a name that is not UTF-8.
  const std::string bytes = Utf16ToUtf8(Path, TLoneSurrogate::Unescape);
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
  auto* target = static_cast<char*>(Buffer);
  std::int64_t done = 0;
  while (done < Count) {
    const std::int64_t piece = std::min(Count - done, MaxPieceSize);
    const ssize_t got = ::pread(static_cast<int>(Handle), target + done,
                                static_cast<std::size_t>(piece), Position + done);
    if (got < 0 && errno == EINTR) {
      continue;
    }
    // End of file, or an error, which counts as the end.
    if (got <= 0) {
      break;
    }
    done += got;
  }
  Position += done;
  return done;
}

}  // namespace kestrix::platform
