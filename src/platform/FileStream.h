#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrix::platform {

// Takes the bytes of a sequential read, block by block, in order. The
// block is only lent: it is gone when Take returns.
class TBlockSink {
 public:
  virtual ~TBlockSink() = default;
  virtual void Take(const std::uint8_t* Data, std::size_t Size) = 0;
};

// A readable byte stream with absolute positioning. Reads never fail: they
// report how many bytes they delivered, 0 at the end and on a read error.
class TStream {
 public:
  virtual ~TStream() = default;
  // A position past the end is allowed; later reads then return 0.
  virtual void Seek(std::int64_t Position) = 0;
  virtual std::int64_t Read(void* Buffer, std::int64_t Count) = 0;
  // Length in bytes; -1 when it cannot be told.
  virtual std::int64_t Size() = 0;

  // Hands up to Count bytes from the position to Sink, in order, and moves
  // the position behind them; stops at the end. This one reads BlockSize
  // bytes at a time into one buffer until a read delivers nothing; a stream
  // may deliver the bytes in any pieces it likes.
  virtual void ReadBlocks(std::int64_t Count, std::int64_t BlockSize, TBlockSink& Sink);
};

inline void TStream::ReadBlocks(std::int64_t Count, std::int64_t BlockSize, TBlockSink& Sink) {
  const std::int64_t size = std::max<std::int64_t>(BlockSize, 1);
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(size), 0);
  std::int64_t remaining = Count;
  std::int64_t got = 0;
  do {
    const std::int64_t chunk = std::max<std::int64_t>(0, std::min(remaining, size));
    got = Read(buffer.data(), chunk);
    if (got > 0) {
      Sink.Take(buffer.data(), static_cast<std::size_t>(got));
      remaining -= got;
    }
  } while (got > 0);
}

// An existing file opened read-only; other processes may still read and
// write it. Closed when the object goes away.
class TFileStream final : public TStream {
 public:
  TFileStream() = default;
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  // False when the file cannot be opened (missing, a folder, no access).
  bool Open(const std::u16string& Path);
  void Close();
  bool IsOpen() const { return Handle != InvalidHandle; }

  void Seek(std::int64_t Position) override;
  // Reads until Count bytes are in or the file ends; interrupted and short
  // reads are continued.
  std::int64_t Read(void* Buffer, std::int64_t Count) override;
  std::int64_t Size() override;
  // Where the system allows, reads large blocks and keeps the system
  // reading ahead of them; a file that shrinks meanwhile ends the read
  // early, at its new end.
  void ReadBlocks(std::int64_t Count, std::int64_t BlockSize, TBlockSink& Sink) override;

 private:
  static constexpr std::intptr_t InvalidHandle = -1;
  std::intptr_t Handle = InvalidHandle;
  std::int64_t Position = 0;
};

}  // namespace kestrix::platform
