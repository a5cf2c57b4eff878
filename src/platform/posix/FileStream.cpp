#include "platform/FileStream.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <limits>
#include <vector>

#include "platform/posix/MappedFile.h"
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
// Regions at least this long are used where the system's cache holds them,
// mapped a window at a time, instead of copied out of it: the copy moved
// every byte through memory twice more than the checksum and the walk need,
// and made a run slower than cat of the same files.
constexpr std::int64_t MapThreshold = std::int64_t{1} << 20;
constexpr std::int64_t MapWindow = std::int64_t{2} << 20;

// Keeps the system reading ahead of a region that is read front to back.
class TReadAdvice {
 public:
  TReadAdvice(int Fd, std::int64_t Begin, std::int64_t End)
      : Fd(Fd), End(End), Requested(Begin), Advise(End - Begin >= AdviseThreshold) {
    if (Advise) {
      posix::AdviseSequential(Fd, Begin, End - Begin);
    }
  }
  // Before the bytes from Position on are read.
  void Reading(std::int64_t Position) {
    if (Advise && Requested < std::min(End, Position + ReadAhead)) {
      const std::int64_t step = std::min(End - Requested, ReadAhead / 2);
      posix::AdviseWillNeed(Fd, Requested, step);
      Requested += step;
    }
  }

 private:
  int Fd;
  std::int64_t End;
  std::int64_t Requested;  // read ahead up to here
  bool Advise;
};

std::int64_t FileSize(int Fd) {
  struct stat status {};
  return ::fstat(Fd, &status) == 0 ? static_cast<std::int64_t>(status.st_size) : -1;
}

// The region from Position up to End, mapped a window at a time; false when
// it cannot be mapped, Position where it stopped. Filling a mapped window
// reads it in large requests, so no advice is given: asking for pages the
// cache holds already only cost time (measured warm and cold).
bool ReadMapped(int Fd, std::int64_t& Position, std::int64_t End, TBlockSink& Sink) {
  posix::TBusErrorGuard guard;
  while (Position < End) {
    // A file cut short meanwhile ends the read at its new end.
    const std::int64_t windowEnd = std::min({End, FileSize(Fd), Position + MapWindow});
    if (windowEnd <= Position) {
      return true;
    }
    const posix::TMappedWindow window(Fd, Position, windowEnd - Position);
    if (!window.IsMapped()) {
      return false;
    }
    guard.Watch(window);
    for (std::int64_t at = Position; at < windowEnd;) {
      const std::int64_t piece = std::min(windowEnd - at, ReadBlock);
      Sink.Take(window.Data() + (at - Position), static_cast<std::size_t>(piece));
      at += piece;
      if (guard.Cut()) {
        // Cut while the block was in hand: its lost bytes read as zeros.
        Position = at;
        return true;
      }
    }
    Position = windowEnd;
  }
  return true;
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
  return IsOpen() ? FileSize(static_cast<int>(Handle)) : -1;
}

void TFileStream::ReadBlocks(std::int64_t Count, std::int64_t /*BlockSize*/, TBlockSink& Sink) {
  if (!IsOpen() || Count <= 0 || Position < 0) {
    return;
  }
  Count = std::min(Count, std::numeric_limits<std::int64_t>::max() - Position);
  const std::int64_t end = Position + Count;
  // What cannot be mapped (a special file, say) is read.
  const int fd = static_cast<int>(Handle);
  if (Count >= MapThreshold && ReadMapped(fd, Position, end, Sink)) {
    return;
  }
  TReadAdvice advice(fd, Position, end);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(std::min(end - Position, ReadBlock)));
  while (Position < end) {
    advice.Reading(Position);
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
