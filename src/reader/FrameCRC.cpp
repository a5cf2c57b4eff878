#include "reader/FrameCRC.h"

#include <array>

namespace kestrix {

namespace {

constexpr std::uint16_t Polynomial = 0x8005;
constexpr std::uint16_t InitialValue = 0xFFFF;
constexpr std::uint16_t TopBit = 0x8000;
// Header bytes 2 and 3 are covered; the sync word and version bits are not.
constexpr std::size_t CoveredHeaderBegin = 2;
constexpr std::size_t CoveredHeaderSize = 2;

constexpr std::array<std::uint16_t, 256> MakeTable() {
  std::array<std::uint16_t, 256> table{};
  for (unsigned i = 0; i < table.size(); ++i) {
    auto value = static_cast<std::uint16_t>(i << 8);
    for (int step = 0; step < 8; ++step) {
      const bool carry = (value & TopBit) != 0;
      value = static_cast<std::uint16_t>(value << 1);
      if (carry) {
        value ^= Polynomial;
      }
    }
    table[i] = value;
  }
  return table;
}

constexpr std::array<std::uint16_t, 256> Table = MakeTable();

}  // namespace

std::size_t SideInfoBegin(const TFrameHeader& Header) {
  return TFrameHeader::Size + (Header.IsProtected() ? CRCWordSize : 0);
}

std::size_t SideInfoEnd(const TFrameHeader& Header) {
  return SideInfoBegin(Header) + static_cast<std::size_t>(Header.SideInfoSize());
}

std::uint16_t UpdateFrameCRC(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  for (std::size_t i = 0; i < Length; ++i) {
    CRC = static_cast<std::uint16_t>((CRC << 8) ^ Table[((CRC >> 8) ^ Data[i]) & 0xFF]);
  }
  return CRC;
}

std::uint16_t ComputeFrameCRC(const std::uint8_t* Frame) {
  const TFrameHeader header(Frame);
  std::uint16_t crc = UpdateFrameCRC(InitialValue, Frame + CoveredHeaderBegin, CoveredHeaderSize);
  const std::size_t side = SideInfoBegin(header);
  return UpdateFrameCRC(crc, Frame + side, SideInfoEnd(header) - side);
}

std::uint16_t StoredFrameCRC(const std::uint8_t* Frame) {
  return static_cast<std::uint16_t>((Frame[TFrameHeader::Size] << 8) |
                                    Frame[TFrameHeader::Size + 1]);
}

}  // namespace kestrix
