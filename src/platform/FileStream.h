#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrix::platform {

// The memory a sequential read goes through, a block at a time. Its owner
// keeps it from file to file (one read at a time uses it), so reading a
// file allocates nothing; a block of the default size stays in the CPU
// cache while its consumers work on it.
class TReadBuffer {
 public:
  static constexpr std::size_t DefaultSize = std::size_t{128} << 10;

  explicit TReadBuffer(std::size_t Size = DefaultSize) : Bytes(std::max<std::size_t>(Size, 1)) {}
  TReadBuffer(const TReadBuffer&) = delete;
  TReadBuffer& operator=(const TReadBuffer&) = delete;
  TReadBuffer(TReadBuffer&&) = default;
  TReadBuffer& operator=(TReadBuffer&&) = default;

  std::uint8_t* Data() { return Bytes.data(); }
  std::int64_t Size() const { return static_cast<std::int64_t>(Bytes.size()); }

 private:
  std::vector<std::uint8_t> Bytes;
};

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

  // Hands up to Count bytes from the position to Sink, in order, read into
  // Buffer a block of its size at a time, and moves the position behind
  // them; stops at the end. This one reads until a read delivers nothing.
  virtual void ReadBlocks(std::int64_t Count, TReadBuffer& Buffer, TBlockSink& Sink);
};

inline void TStream::ReadBlocks(std::int64_t Count, TReadBuffer& Buffer, TBlockSink& Sink) {
  std::int64_t remaining = Count;
  std::int64_t got = 0;
  do {
    const std::int64_t chunk = std::max<std::int64_t>(0, std::min(remaining, Buffer.Size()));
    got = Read(Buffer.Data(), chunk);
    if (got > 0) {
      Sink.Take(Buffer.Data(), static_cast<std::size_t>(got));
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
  // Where the system allows, keeps it reading ahead of the blocks; a file
  // that shrinks meanwhile ends the read early, at its new end.
  void ReadBlocks(std::int64_t Count, TReadBuffer& Buffer, TBlockSink& Sink) override;

 private:
  static constexpr std::intptr_t InvalidHandle = -1;
  std::intptr_t Handle = InvalidHandle;
  std::int64_t Position = 0;
};

}  // namespace kestrix::platform
