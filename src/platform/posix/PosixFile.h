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

// Reads Count bytes at Offset, continuing short and interrupted reads;
// false unless all of them came in.
inline bool ReadFully(int Fd, std::int64_t Offset, void* Buffer, std::size_t Count) {
  auto* out = static_cast<unsigned char*>(Buffer);
  while (Count > 0) {
    const ssize_t got = ::pread(Fd, out, Count, static_cast<off_t>(Offset));
    if (got < 0 && errno == EINTR) {
      continue;
    }
    if (got <= 0) {
      return false;
    }
    out += got;
    Count -= static_cast<std::size_t>(got);
    Offset += got;
  }
  return true;
}

}  // namespace kestrix::platform::posix
