#pragma once

#include <sys/mman.h>

#include <cstddef>
#include <cstdint>

// Reading a file through a mapping instead of copies: the bytes are used
// where the system's cache holds them.
namespace kestrix::platform::posix {

// A range of an open file mapped read-only and filled at once; unmapped
// when the object goes away. Empty when the system cannot map the file.
class TMappedWindow {
 public:
  TMappedWindow(int Fd, std::int64_t Offset, std::int64_t Length);
  ~TMappedWindow();
  TMappedWindow(const TMappedWindow&) = delete;
  TMappedWindow& operator=(const TMappedWindow&) = delete;

  bool IsMapped() const { return Start != MAP_FAILED; }
  // The pages mapped.
  const void* Pages() const { return Start; }
  std::size_t PagesSize() const { return Size; }
  // The byte at Offset of the file.
  const std::uint8_t* Data() const { return static_cast<const std::uint8_t*>(Start) + Skip; }

 private:
  void* Start = MAP_FAILED;
  std::size_t Size = 0;
  std::size_t Skip = 0;  // from the page boundary to Offset
};

// A mapped page of a file cut short after it was mapped raises SIGBUS when
// it is touched. While a guard watches a window, such a page reads as
// zeros instead and the guard says so; a SIGBUS anywhere else does what
// it did before. One guard at a time.
class TBusErrorGuard {
 public:
  TBusErrorGuard();
  ~TBusErrorGuard();
  TBusErrorGuard(const TBusErrorGuard&) = delete;
  TBusErrorGuard& operator=(const TBusErrorGuard&) = delete;

  void Watch(const TMappedWindow& Window);
  // A watched page was gone since the guard was made.
  bool Cut() const;
};

}  // namespace kestrix::platform::posix
