#pragma once

#include <cstdint>

// Moves a CRC-16/ARC value (CRC16.h) over a run of zero bytes without
// folding them: the checksum has no initial or final XOR, so it is linear,
// and n zero bytes multiply the register by x to the power 8n modulo the
// polynomial. That power is built from squares in O(log n) steps.
namespace kestrix {

// The value UpdateCRC16 would give after ZeroBytes more zero bytes; a count
// of 0 or less leaves it unchanged.
std::uint16_t ShiftCRC16(std::uint16_t CRC, std::int64_t ZeroBytes);

// Values as polynomials modulo the CRC's: a product, and the factor by
// which ZeroBytes zero bytes multiply a value, x to the power 8 ZeroBytes.
// x is invertible modulo the polynomial, so the count may be negative: the
// factor then takes bytes back.
std::uint16_t MultiplyCRC16(std::uint16_t A, std::uint16_t B);
std::uint16_t ZeroBytesFactor(std::int64_t ZeroBytes);

}  // namespace kestrix
