#include "reader/CRC16Shift.h"

#include <array>

namespace kestrix {

namespace {

// Polynomials in the register's reflected order: the top bit holds x^0.
constexpr std::uint16_t ReversedPolynomial = 0xA001;
constexpr std::uint16_t One = 0x8000;  // x^0
constexpr std::uint16_t X = One >> 1;  // x^1
// x^-1 = x^15 + x^14 + x, as x (x^15 + x^14 + x) = x^16 + x^15 + x^2 = 1
// modulo x^16 + x^15 + x^2 + 1.
constexpr std::uint16_t XInverse = 0x0001 | 0x0002 | X;

// A times B modulo the polynomial.
constexpr std::uint16_t MultiplyModP(std::uint16_t A, std::uint16_t B) {
  std::uint16_t product = 0;
  for (std::uint16_t bit = One; bit != 0; bit = static_cast<std::uint16_t>(bit >> 1)) {
    if ((A & bit) != 0) {
      product ^= B;
    }
    // B times x.
    B = static_cast<std::uint16_t>((B & 1) != 0 ? (B >> 1) ^ ReversedPolynomial : B >> 1);
  }
  return product;
}

// Entry k is x^(2^k): bits of a byte count times 8 reach 2^66.
constexpr std::size_t PowerCount = 67;
constexpr std::size_t BitsPerByteLog2 = 3;

static_assert(MultiplyModP(X, XInverse) == One);

// Entry k is Base^(2^k).
constexpr std::array<std::uint16_t, PowerCount> MakePowers(std::uint16_t Base) {
  std::array<std::uint16_t, PowerCount> powers{};
  powers[0] = Base;
  for (std::size_t k = 1; k < PowerCount; ++k) {
    powers[k] = MultiplyModP(powers[k - 1], powers[k - 1]);
  }
  return powers;
}

constexpr std::array<std::uint16_t, PowerCount> Powers = MakePowers(X);
constexpr std::array<std::uint16_t, PowerCount> InversePowers = MakePowers(XInverse);

}  // namespace

std::uint16_t ShiftCRC16(std::uint16_t CRC, std::int64_t ZeroBytes) {
  if (ZeroBytes <= 0) {
    return CRC;
  }
  return MultiplyModP(ZeroBytesFactor(ZeroBytes), CRC);
}

std::uint16_t MultiplyCRC16(std::uint16_t A, std::uint16_t B) {
  return MultiplyModP(A, B);
}

std::uint16_t ZeroBytesFactor(std::int64_t ZeroBytes) {
  // x^(8n), one square per bit of n.
  const auto& powers = ZeroBytes < 0 ? InversePowers : Powers;
  std::uint64_t count = ZeroBytes < 0 ? 0 - static_cast<std::uint64_t>(ZeroBytes)
                                      : static_cast<std::uint64_t>(ZeroBytes);
  std::uint16_t power = One;
  for (std::size_t k = BitsPerByteLog2; count != 0; ++k, count >>= 1) {
    if ((count & 1) != 0) {
      power = MultiplyModP(powers[k], power);
    }
  }
  return power;
}

}  // namespace kestrix
