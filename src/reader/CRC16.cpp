#include "reader/CRC16.h"

#include <algorithm>
#include <vector>

namespace kestrix {

namespace {

// 0x8005 with its bits reversed, for a register that shifts right.
constexpr std::uint16_t ReversedPolynomial = 0xA001;

constexpr std::array<std::uint16_t, 256> MakeCRC16Table() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < table.size(); ++i) {
    auto value = static_cast<std::uint16_t>(i);
    for (int step = 0; step < 8; ++step) {
      const bool carry = (value & 1) != 0;
      value = static_cast<std::uint16_t>(value >> 1);
      if (carry) {
        value ^= ReversedPolynomial;
      }
    }
    table[i] = value;
  }
  return table;
}

}  // namespace

// Built by the compiler: part of the static data, nothing runs at start-up.
constexpr std::array<std::uint16_t, 256> CRC16Table = MakeCRC16Table();

std::uint16_t UpdateCRC16(std::uint16_t CRC, const std::uint8_t* Data, std::int32_t Length) {
  if (Data == nullptr || Length <= 0) {
    return CRC;
  }
  for (const std::uint8_t* end = Data + Length; Data != end; ++Data) {
    CRC = static_cast<std::uint16_t>((CRC >> 8) ^ CRC16Table[(CRC ^ *Data) & 0xFF]);
  }
  return CRC;
}

std::uint16_t StreamCRC16(platform::TStream& Stream, std::int64_t Count) {
  std::uint16_t result = 0;
  std::int64_t remaining = Count;
  std::vector<std::uint8_t> buffer(static_cast<std::size_t>(CRCBufferSize), 0);
  std::int64_t got = 0;
  do {
    const std::int64_t chunk = std::max<std::int64_t>(0, std::min(remaining, CRCBufferSize));
    got = Stream.Read(buffer.data(), chunk);
    if (got > 0) {
      result = UpdateCRC16(result, buffer.data(), static_cast<std::int32_t>(got));
      remaining -= got;
    }
  } while (got > 0);
  return result;
}

}  // namespace kestrix
