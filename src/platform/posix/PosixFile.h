#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <string>

#include "platform/Unicode.h"

namespace kestrix::platform::posix {

// A path as the system takes it: the bytes the UTF-16 text stands for,
// escaped bytes of a name that was not UTF-8 included.
inline std::string ToSystemPath(const std::u16string& Path) {
  return Utf16ToUtf8(Path, TLoneSurrogate::Unescape);
}

inline std::u16string FromSystemName(const std::string& Name) {
  return Utf8ToUtf16(Name, TInvalidUtf8::Escape);
}

// A file descriptor, closed when the object goes away.
class TFileDescriptor {
 public:
  TFileDescriptor() = default;
  explicit TFileDescriptor(int Descriptor) : Fd(Descriptor) {}
  ~TFileDescriptor() { Close(); }
  TFileDescriptor(const TFileDescriptor&) = delete;
  TFileDescriptor& operator=(const TFileDescriptor&) = delete;

  bool IsOpen() const { return Fd >= 0; }
  int Get() const { return Fd; }
  void Close() {
    if (Fd >= 0) {
      // Retrying close after EINTR may close a descriptor reused meanwhile.
      ::close(Fd);
      Fd = -1;
    }
  }

 private:
  int Fd = -1;
};

// Reads up to Count bytes at Offset, continuing short and interrupted
// reads; stops at the end of the file or on an error, which counts as the
// end. Returns the number of bytes read.
inline std::int64_t ReadAt(int Fd, std::int64_t Offset, void* Buffer, std::int64_t Count) {
  // Keeps one pread below what ssize_t can report on any system.
  constexpr std::int64_t MaxPiece = std::int64_t{1} << 30;
  auto* out = static_cast<unsigned char*>(Buffer);
  std::int64_t done = 0;
  while (done < Count) {
    const std::int64_t piece = Count - done < MaxPiece ? Count - done : MaxPiece;
    const ssize_t got =
        ::pread(Fd, out + done, static_cast<std::size_t>(piece), static_cast<off_t>(Offset + done));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      break;
    }
    done += got;
  }
  return done;
}

// Tells the system that a range will be read once, front to back.
inline void AdviseSequential(int Fd, std::int64_t Offset, std::int64_t Size) {
  ::posix_fadvise(Fd, static_cast<off_t>(Offset), static_cast<off_t>(Size), POSIX_FADV_SEQUENTIAL);
}

// Asks the system to start reading a range into its cache now.
inline void AdviseWillNeed(int Fd, std::int64_t Offset, std::int64_t Size) {
  ::posix_fadvise(Fd, static_cast<off_t>(Offset), static_cast<off_t>(Size), POSIX_FADV_WILLNEED);
}

// False unless all Count bytes at Offset came in.
inline bool ReadFully(int Fd, std::int64_t Offset, void* Buffer, std::size_t Count) {
  const auto count = static_cast<std::int64_t>(Count);
  return ReadAt(Fd, Offset, Buffer, count) == count;
}

}  // namespace kestrix::platform::posix
