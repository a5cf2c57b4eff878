#pragma once

#include <cstdint>
#include <string>

namespace kestrix::platform {

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
};

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

 private:
  static constexpr std::intptr_t InvalidHandle = -1;
  std::intptr_t Handle = InvalidHandle;
  std::int64_t Position = 0;
};

}  // namespace kestrix::platform
