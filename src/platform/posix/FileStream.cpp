#include "platform/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

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

// Reads of a long region: few calls, into one buffer small enough
// to stay in the CPU cache while it is checksummed.
constexpr std::int64_t ReadBlock = std::int64_t{128} << 10;
// Regions at least this long are announced to the system, and kept read
// ahead by this much in steps of half of it, so that the disk stays busy.
constexpr std::int64_t AdviseThreshold = std::int64_t{256} << 10;
constexpr std::int64_t ReadAhead = std::int64_t{8} << 20;

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

// Mapping the region instead saves the copy, but measured slower here:
// every newly mapped page costs more than copying it.
void TFileStream::ReadBlocks(std::int64_t Count, std::int64_t /*BlockSize*/, TBlockSink& Sink) {
  if (!IsOpen() || Count <= 0 || Position < 0) {
    return;
  }
  Count = std::min(Count, std::numeric_limits<std::int64_t>::max() - Position);
  const int fd = static_cast<int>(Handle);
  const std::int64_t end = Position + Count;
  const bool advise = Count >= AdviseThreshold;
  if (advise) {
    posix::AdviseSequential(fd, Position, Count);
  }
  std::int64_t requested = Position;  // read ahead up to here
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(Count, ReadBlock)));
  while (Position < end) {
    if (advise && requested < std::min(end, Position + ReadAhead)) {
      const std::int64_t step = std::min(end - requested, ReadAhead / 2);
      posix::AdviseWillNeed(fd, requested, step);
      requested += step;
    }
    const std::int64_t piece = std::min(end - Position, ReadBlock);
    const std::int64_t got = posix::ReadAt(fd, Position, buffer.data(), piece);
    if (got <= 0) {
      break;
    }
    Sink.Take(buffer.data(), static_cast<std::size_t>(got));
    Position += got;
  }
}

}  // namespace kestrix::platform
