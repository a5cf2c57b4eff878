#pragma once

#include <cstddef>
#include <cstdint>

// CRC-16/ARC by carry-less multiplication: the data is folded 128 bits at a
// time into a few accumulators that stay congruent to it modulo the
// polynomial, and the last accumulator is finished through the byte table.
// Each kernel gives the same value as the byte table for every input.
namespace kestrix {

// PCLMULQDQ on 128-bit registers. Call only where CRC16Clmul128Supported().
std::uint16_t UpdateCRC16Clmul128(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length);
bool CRC16Clmul128Supported();

// VPCLMULQDQ on 256-bit registers. Call only where CRC16Clmul256Supported().
std::uint16_t UpdateCRC16Clmul256(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length);
bool CRC16Clmul256Supported();

}  // namespace kestrix
