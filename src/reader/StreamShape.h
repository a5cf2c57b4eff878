#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "reader/FrameHeader.h"

namespace kestrix {

// What the frames of one stream share: version, sample rate, mono or not,
// free format or not, and for free format the unpadded length. Prepared once
// per stream, so that the walk checks and measures each header with a few
// byte operations.
class TStreamShape {
 public:
  TStreamShape() = default;
  // First must be a valid header; FreeLength is used when it is free format.
  TStreamShape(const TFrameHeader& First, std::int64_t FreeLength);

  const TFrameHeader& First() const { return FirstHeader; }

  // Whether the 4 header bytes at Bytes continue the stream.
  bool Continues(const std::uint8_t* Bytes) const {
    const std::uint32_t word = Word(Bytes);
    return (word & IdentityMask) == Identity && ((word & MonoBits) == MonoBits) == Mono &&
           (Bitrates >> (word >> BitrateShift & BitrateIndexMask) & 1) != 0;
  }
  // The length of the frame whose header is at Bytes when that header
  // continues the stream, else 0.
  std::int64_t Length(const std::uint8_t* Bytes) const {
    const std::uint32_t word = Word(Bytes);
    return Continues(Bytes) ? Lengths[(word >> BitrateShift & BitrateIndexMask) << 1 |
                                      (word >> PaddingShift & 1)]
                            : 0;
  }
  // The end of the side information of a frame of the stream.
  std::size_t SideInfoEnd(const std::uint8_t* Bytes) const {
    return SideInfoEnds[Word(Bytes) >> ProtectionShift & 1];
  }
  // The same as TFrameHeader's, without a call: the walk asks every frame.
  static bool IsProtected(const std::uint8_t* Bytes) {
    return (Word(Bytes) >> ProtectionShift & 1) == 0;
  }
  static unsigned BitrateIndex(const std::uint8_t* Bytes) {
    return Word(Bytes) >> BitrateShift & BitrateIndexMask;
  }

 private:
  // The header as one big-endian word.
  static std::uint32_t Word(const std::uint8_t* Bytes) {
    return std::uint32_t{Bytes[0]} << 24 | std::uint32_t{Bytes[1]} << 16 |
           std::uint32_t{Bytes[2]} << 8 | Bytes[3];
  }
  // Sync, version and layer (bits 31-17) and the sample rate (11-10).
  static constexpr std::uint32_t IdentityMask = 0xFFFE0C00;
  static constexpr std::uint32_t MonoBits = 0xC0;  // channel mode 3
  static constexpr unsigned ProtectionShift = 16;
  static constexpr unsigned BitrateShift = 12;
  static constexpr std::uint32_t BitrateIndexMask = 0xF;
  static constexpr unsigned PaddingShift = 9;

  TFrameHeader FirstHeader;
  std::uint32_t Identity = 0;
  bool Mono = false;
  // A bit per bitrate index that continues the stream: not 15, and free
  // format or not as the stream is.
  std::uint16_t Bitrates = 0;
  std::array<std::int64_t, 32> Lengths{};     // by bitrate index and padding bit
  std::array<std::size_t, 2> SideInfoEnds{};  // by the protection bit
};

}  // namespace kestrix
