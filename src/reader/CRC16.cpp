#include "reader/CRC16.h"

#include <algorithm>

#include "reader/CRC16Clmul.h"

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

// Eight bytes are folded in per step on long runs: table k gives what a
// byte does to the register when k more bytes follow it. Same value as one
// byte per step, several times faster on large files.
constexpr std::size_t SliceBytes = 8;
using TSliceTables = std::array<std::array<std::uint16_t, 256>, SliceBytes>;

constexpr TSliceTables MakeSliceTables() {
  TSliceTables tables{};
  tables[0] = MakeCRC16Table();
  for (std::size_t k = 1; k < SliceBytes; ++k) {
    for (unsigned i = 0; i < 256; ++i) {
      const std::uint16_t previous = tables[k - 1][i];
      tables[k][i] = static_cast<std::uint16_t>((previous >> 8) ^ tables[0][previous & 0xFF]);
    }
  }
  return tables;
}

constexpr TSliceTables SliceTables = MakeSliceTables();

std::uint16_t UpdateBytewise(std::uint16_t CRC, const std::uint8_t* Data, const std::uint8_t* End) {
  for (; Data != End; ++Data) {
    CRC = static_cast<std::uint16_t>((CRC >> 8) ^ SliceTables[0][(CRC ^ *Data) & 0xFF]);
  }
  return CRC;
}

}  // namespace

// Built by the compiler: part of the static data, nothing runs at start-up.
constexpr std::array<std::uint16_t, 256> CRC16Table = SliceTables[0];

std::uint16_t UpdateCRC16Table(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  const std::uint8_t* const end = Data + Length;
  const auto& t = SliceTables;
  for (; static_cast<std::size_t>(end - Data) >= SliceBytes; Data += SliceBytes) {
    const unsigned low = (CRC ^ Data[0]) & 0xFF;
    const unsigned high = ((CRC >> 8) ^ Data[1]) & 0xFF;
    CRC = static_cast<std::uint16_t>(t[7][low] ^ t[6][high] ^ t[5][Data[2]] ^ t[4][Data[3]] ^
                                     t[3][Data[4]] ^ t[2][Data[5]] ^ t[1][Data[6]] ^ t[0][Data[7]]);
  }
  return UpdateBytewise(CRC, Data, end);
}

TCRC16Kernel BestCRC16Kernel() {
  if (CRC16Clmul256Supported()) {
    return UpdateCRC16Clmul256;
  }
  if (CRC16Clmul128Supported()) {
    return UpdateCRC16Clmul128;
  }
  return UpdateCRC16Table;
}

namespace {

std::uint16_t FastUpdate(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Size) {
  // Asked once; the CPU does not change under a running program.
  static const TCRC16Kernel Kernel = BestCRC16Kernel();
  return Kernel(CRC, Data, Size);
}

}  // namespace

std::uint16_t UpdateCRC16(std::uint16_t CRC, const std::uint8_t* Data, std::int32_t Length) {
  if (Data == nullptr || Length <= 0) {
    return CRC;
  }
  return FastUpdate(CRC, Data, static_cast<std::size_t>(Length));
}

namespace {

class TCRC16Sink final : public platform::TBlockSink {
 public:
  void Take(const std::uint8_t* Data, std::size_t Size) override {
    CRC = FastUpdate(CRC, Data, Size);
  }
  std::uint16_t CRC = 0;
};

}  // namespace

std::uint16_t StreamCRC16(platform::TStream& Stream, std::int64_t Count) {
  TCRC16Sink sink;
  // Sized for the region: a tag's CRC covers less than a frame.
  platform::TReadBuffer buffer(static_cast<std::size_t>(std::clamp<std::int64_t>(
      Count, 1, static_cast<std::int64_t>(platform::TReadBuffer::DefaultSize))));
  Stream.ReadBlocks(Count, buffer, sink);
  return sink.CRC;
}

void TCRC16Consumer::Take(std::int64_t /*Offset*/, const std::uint8_t* Data, std::size_t Size) {
  CRC = FastUpdate(CRC, Data, Size);
}

}  // namespace kestrix
