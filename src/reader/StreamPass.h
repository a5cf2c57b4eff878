#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/FileStream.h"

namespace kestrix {

// File offsets [Begin, End); empty when End is not past Begin.
struct TByteRange {
  std::int64_t Begin = 0;
  std::int64_t End = 0;

  bool IsEmpty() const { return End <= Begin; }
};

// One reader of a byte range of a file that takes its bytes from the
// file's one pass instead of reading them itself.
class TPassConsumer {
 public:
  virtual ~TPassConsumer() = default;
  // The bytes it wants; asked once, before the pass.
  virtual TByteRange Range() const = 0;
  // Its next bytes, in order from the range's beginning; Offset is the file
  // offset of Data[0]. The bytes are only lent.
  virtual void Take(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) = 0;
  // After its last bytes. End is the offset behind the last byte it got: the
  // range's end, or less when the file ended first.
  virtual void Finish(std::int64_t End) { static_cast<void>(End); }
};

// Reads what the consumers' ranges cover once, in file order, a block of
// the buffer's size at a time, and hands every consumer the part of each
// block in its range. Ranges that lie more than a block apart are read
// apart, so the bytes between them are not read at all.
void RunPass(platform::TStream& Stream, platform::TReadBuffer& Buffer,
             const std::vector<TPassConsumer*>& Consumers);
// The same through a buffer of its own, for a pass that has none at hand.
void RunPass(platform::TStream& Stream, const std::vector<TPassConsumer*>& Consumers);

}  // namespace kestrix
