#pragma once

#include <array>
#include <cstdint>

#include "platform/FileStream.h"

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0, no final XOR),
// the checksum of both CRC fields of the LAME tag.
namespace kestrix {

inline constexpr std::int64_t CRCBufferSize = 4096;

extern const std::array<std::uint16_t, 256> CRC16Table;

// Adds Length bytes at Data to the running CRC; a null pointer or a length
// of 0 or less leaves it unchanged.
std::uint16_t UpdateCRC16(std::uint16_t CRC, const std::uint8_t* Data, std::int32_t Length);

// CRC of up to Count bytes read from the stream's current position; stops
// early at the end of the stream. A Count of 0 or less reads nothing.
std::uint16_t StreamCRC16(platform::TStream& Stream, std::int64_t Count);

}  // namespace kestrix
