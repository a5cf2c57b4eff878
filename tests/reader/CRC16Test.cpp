#include "reader/CRC16.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

std::uint16_t CRCOfText(const std::string& Text) {
  return UpdateCRC16(0, reinterpret_cast<const std::uint8_t*>(Text.data()),
                     static_cast<std::int32_t>(Text.size()));
}

// Bit by bit, without the table: shift right, XOR 0xA001 when a 1 falls out.
std::uint16_t BitwiseCRC(const TBytes& Bytes) {
  std::uint16_t crc = 0;
  for (const std::uint8_t byte : Bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) {
      crc = (crc & 1) ? static_cast<std::uint16_t>((crc >> 1) ^ 0xA001)
                      : static_cast<std::uint16_t>(crc >> 1);
    }
  }
  return crc;
}

std::uint16_t CRCOf(const TBytes& Bytes) {
  return UpdateCRC16(0, Bytes.data(), static_cast<std::int32_t>(Bytes.size()));
}

// --- Table and UpdateCRC16 ------------------------------------------------

TEST(CRC16TableTest, TellingEntries) {
  EXPECT_EQ(0x0000, CRC16Table[0]);
  EXPECT_EQ(0xC0C1, CRC16Table[1]);
  EXPECT_EQ(0xC181, CRC16Table[2]);
  EXPECT_EQ(0x0140, CRC16Table[3]);
  EXPECT_EQ(0xA001, CRC16Table[128]);
  EXPECT_EQ(0x4040, CRC16Table[255]);
}

TEST(UpdateCRC16Test, CatalogueCheckValue) {
  EXPECT_EQ(0xBB3D, CRCOfText("123456789"));
}

TEST(UpdateCRC16Test, SmallInputs) {
  const std::uint8_t one = 0x01;
  EXPECT_EQ(0xC0C1, UpdateCRC16(0, &one, 1));
  const TBytes zeros(1000, 0);
  EXPECT_EQ(0, CRCOf(zeros));
}

TEST(UpdateCRC16Test, AgreesWithBitwiseComputation) {
  for (const std::size_t size : {1u, 2u, 7u, 8u, 9u, 15u, 16u, 17u, 255u, 256u, 4097u}) {
    SCOPED_TRACE(size);
    const TBytes bytes = Noise(size);
    EXPECT_EQ(BitwiseCRC(bytes), CRCOf(bytes));
    // Any start within the data and a running value carried in.
    for (std::size_t start = 1; start < std::min<std::size_t>(size, 9); ++start) {
      const TBytes tail(bytes.begin() + static_cast<std::ptrdiff_t>(start), bytes.end());
      const std::uint16_t head = UpdateCRC16(0, bytes.data(), static_cast<std::int32_t>(start));
      EXPECT_EQ(BitwiseCRC(bytes),
                UpdateCRC16(head, tail.data(), static_cast<std::int32_t>(tail.size())));
    }
  }
}

TEST(UpdateCRC16Test, NothingToAddLeavesValue) {
  const std::uint8_t data[] = {1, 2, 3};
  EXPECT_EQ(0x1234, UpdateCRC16(0x1234, nullptr, 3));
  EXPECT_EQ(0x1234, UpdateCRC16(0x1234, data, 0));
  EXPECT_EQ(0x1234, UpdateCRC16(0x1234, data, -1));
  EXPECT_EQ(0x1234, UpdateCRC16(0x1234, nullptr, 0));
}

TEST(UpdateCRC16Test, RunningValueContinues) {
  const TBytes bytes = Noise(1000);
  const std::uint16_t first = UpdateCRC16(0, bytes.data(), 333);
  EXPECT_EQ(CRCOf(bytes), UpdateCRC16(first, bytes.data() + 333, 667));
}

// --- StreamCRC16 -------------------------------------------------------------------

TEST(StreamCRC16Test, ReadsInBufferSizedChunks) {
  const TBytes bytes = Noise(300000);
  TMemoryStream stream(bytes);
  EXPECT_EQ(CRCOf(TBytes(bytes.begin(), bytes.begin() + 290000)), StreamCRC16(stream, 290000));
  EXPECT_EQ((std::vector<std::int64_t>{131072, 131072, 27856, 0}), stream.Requests);
}

TEST(StreamCRC16Test, ShortReadsGiveTheSameValue) {
  const TBytes bytes = Noise(10000);
  for (const std::int64_t piece : {1, 7, 1000, 4095}) {
    SCOPED_TRACE(piece);
    TMemoryStream stream(bytes, piece);
    EXPECT_EQ(CRCOf(bytes), StreamCRC16(stream, 10000));
    EXPECT_EQ(10000, stream.BytesDelivered);
  }
}

TEST(StreamCRC16Test, EmptyRegion) {
  TMemoryStream stream(Noise(100));
  EXPECT_EQ(0, StreamCRC16(stream, 0));
  EXPECT_EQ(0, StreamCRC16(stream, -5));
  EXPECT_EQ(0, stream.BytesDelivered);
}

TEST(StreamCRC16Test, RegionPastEndCoversWhatExists) {
  const TBytes bytes = Noise(100);
  TMemoryStream stream(bytes);
  stream.Seek(40);
  EXPECT_EQ(CRCOf(TBytes(bytes.begin() + 40, bytes.end())), StreamCRC16(stream, 500));
  EXPECT_EQ(60, stream.BytesDelivered);
}

TEST(StreamCRC16Test, RegionStartingPastEndIsZero) {
  TMemoryStream stream(Noise(100));
  stream.Seek(1000);
  EXPECT_EQ(0, StreamCRC16(stream, 50));
}

TEST(StreamCRC16Test, RegionLongerThan32Bits) {
  const TBytes bytes = Noise(5000);
  TMemoryStream stream(bytes);
  EXPECT_EQ(CRCOf(bytes), StreamCRC16(stream, std::int64_t{1} << 33));
}

TEST(StreamCRC16Test, StartsAtPositionAndStopsBehindRegion) {
  const TBytes bytes = Noise(100);
  TMemoryStream stream(bytes);
  stream.Seek(10);
  EXPECT_EQ(CRCOf(TBytes(bytes.begin() + 10, bytes.begin() + 30)), StreamCRC16(stream, 20));
  std::uint8_t next = 0;
  ASSERT_EQ(1, stream.Read(&next, 1));
  EXPECT_EQ(bytes[30], next);
}

}  // namespace
}  // namespace kestrix::test
