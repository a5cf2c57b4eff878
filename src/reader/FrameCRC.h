#pragma once

#include <cstddef>
#include <cstdint>

#include "reader/FrameHeader.h"

// The CRC word of a protected Layer III frame: CRC-16 with polynomial
// 0x8005, initial value 0xFFFF, most significant bit first, no final XOR,
// over header bytes 2 and 3 and the side information behind the word.
// Not the reflected checksum of the LAME tag (CRC16.h).
namespace kestrix {

inline constexpr std::size_t CRCWordSize = 2;

// Offset of the side information in the frame: behind the header, and
// behind the CRC word when the frame carries one.
std::size_t SideInfoBegin(const TFrameHeader& Header);
// Offset just behind the side information.
std::size_t SideInfoEnd(const TFrameHeader& Header);

// Adds Length bytes to the running value CRC.
std::uint16_t UpdateFrameCRC(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length);

// The CRC word the frame should carry. Frame holds SideInfoEnd bytes from
// the header on.
std::uint16_t ComputeFrameCRC(const std::uint8_t* Frame);
// The CRC word as stored (big-endian behind the header).
std::uint16_t StoredFrameCRC(const std::uint8_t* Frame);

}  // namespace kestrix
