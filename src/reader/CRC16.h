#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/FileStream.h"
#include "reader/StreamPass.h"

// CRC-16/ARC (polynomial 0x8005 reflected, initial value 0, no final XOR),
// the checksum of both CRC fields of the LAME tag.
namespace kestrix {

extern const std::array<std::uint16_t, 256> CRC16Table;

// A routine that adds Length bytes at Data to the running value CRC. Every
// one gives the value of the byte table; they differ in speed only.
using TCRC16Kernel = std::uint16_t (*)(std::uint16_t CRC, const std::uint8_t* Data,
                                       std::size_t Length);

// The table, eight bytes per step; the reference, and runs on every CPU.
std::uint16_t UpdateCRC16Table(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length);

// The fastest kernel this CPU runs, chosen once by asking the CPU.
TCRC16Kernel BestCRC16Kernel();

// Adds Length bytes at Data to the running CRC; a null pointer or a length
// of 0 or less leaves it unchanged.
std::uint16_t UpdateCRC16(std::uint16_t CRC, const std::uint8_t* Data, std::int32_t Length);

// CRC of up to Count bytes read from the stream's current position, through
// a buffer of its own; stops early at the end of the stream. A Count of 0
// or less reads nothing.
std::uint16_t StreamCRC16(platform::TStream& Stream, std::int64_t Count);

// The CRC of a byte range, from 0, as the pass delivers it; covers what
// exists of the range when the file ends inside it.
class TCRC16Consumer final : public TPassConsumer {
 public:
  explicit TCRC16Consumer(TByteRange Bytes) : Bytes(Bytes) {}
  TByteRange Range() const override { return Bytes; }
  void Take(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) override;
  void Finish(std::int64_t End) override { Ended = End; }
  std::uint16_t Value() const { return CRC; }
  // Behind the last byte covered: the range's end, or the file's before it.
  std::int64_t End() const { return Ended; }

 private:
  TByteRange Bytes;
  std::uint16_t CRC = 0;
  std::int64_t Ended = 0;
};

}  // namespace kestrix
