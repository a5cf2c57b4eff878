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

// Every reader of a file looks at both its ends before anything else (the
// first frame and the tags behind the stream); announcing both at once
// lets the disk fetch them while the files before it are read, and the
// end while the head is read, instead of one after the other (cold, the
// median run over a library was faster in every output form).
constexpr std::int64_t TailAhead = std::int64_t{128} << 10;
constexpr std::int64_t HeadAhead = std::int64_t{1} << 20;

// Regions at least this long are announced to the system, and kept read
// ahead by this much in steps of half of it, so that the disk stays busy.
constexpr std::int64_t AdviseThreshold = std::int64_t{256} << 10;
constexpr std::int64_t ReadAhead = std::int64_t{8} << 20;

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
  struct stat status {};
  if (::fstat(fd, &status) != 0 || S_ISDIR(status.st_mode)) {
    ::close(fd);
    return false;
  }
  if (S_ISREG(status.st_mode)) {
    const std::int64_t size = status.st_size;
    const std::int64_t tail = std::min(size, TailAhead);
    posix::AdviseWillNeed(fd, 0, std::min(size - tail, HeadAhead));
    posix::AdviseWillNeed(fd, size - tail, tail);
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

// Copies out of the system's cache rather than mapping it: on the virtual
// machines measured, every newly mapped page cost more than copying it,
// and a mapping of a file cut short meanwhile raises SIGBUS.
void TFileStream::ReadBlocks(std::int64_t Count, TReadBuffer& Buffer, TBlockSink& Sink) {
  if (!IsOpen() || Count <= 0 || Position < 0) {
    return;
  }
  Count = std::min(Count, std::numeric_limits<std::int64_t>::max() - Position);
  const int fd = static_cast<int>(Handle);
  const std::int64_t end = Position + Count;
  TReadAdvice advice(fd, Position, end);
  while (Position < end) {
    advice.Reading(Position);
    const std::int64_t piece = std::min(end - Position, Buffer.Size());
    const std::int64_t got = posix::ReadAt(fd, Position, Buffer.Data(), piece);
    if (got > 0) {
      Sink.Take(Buffer.Data(), static_cast<std::size_t>(got));
      Position += got;
    }
    // ReadAt stops short only at the end of the file as it is now.
    if (got < piece) {
      return;
    }
  }
}

}  // namespace kestrix::platform
