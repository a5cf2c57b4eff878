#include "reader/FrameCRC.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "reader/CRC16.h"
#include "reader/CRC16Shift.h"

namespace kestrix {
namespace {

TEST(FrameCRCTest, MostSignificantBitFirstFromAllOnes) {
  // The catalogued check value of this CRC over the digits 1 to 9.
  const char* digits = "123456789";
  EXPECT_EQ(0xAEE7, UpdateFrameCRC(0xFFFF, reinterpret_cast<const std::uint8_t*>(digits),
                                   std::strlen(digits)));
}

TEST(FrameCRCTest, RealEncoderFrameCarriesTheComputedWord) {
  // Header, CRC word and side information of the second frame of a file the
  // encoder made with error protection (MPEG-1 joint stereo).
  const std::uint8_t frame[] = {0xFF, 0xFA, 0x90, 0x44, 0xF9, 0x9F, 0x00, 0x00, 0x02, 0xA4,
                                0x0D, 0x4B, 0x9D, 0x60, 0x60, 0x00, 0x54, 0x82, 0x98, 0xD1,
                                0xAD, 0x24, 0x00, 0x0B, 0xCC, 0xAD, 0x3B, 0xB9, 0xB5, 0x00,
                                0x01, 0x7A, 0x95, 0xA4, 0xE7, 0x3A, 0xD0, 0x00};
  const TFrameHeader header(frame);
  EXPECT_EQ(6u, SideInfoBegin(header));
  EXPECT_EQ(sizeof frame, SideInfoEnd(header));
  EXPECT_EQ(0xF99F, StoredFrameCRC(frame));
  EXPECT_EQ(0xF99F, ComputeFrameCRC(frame));
}

TEST(CRC16ShiftTest, EqualsFoldingZeroBytes) {
  const std::vector<std::uint8_t> zeros(200003, 0);
  for (const std::uint16_t crc : {0x0000, 0x0001, 0x8000, 0xBEEF, 0xFFFF}) {
    for (const std::size_t count : {0, 1, 2, 3, 8, 255, 4096, 131075, 200003}) {
      SCOPED_TRACE(testing::Message() << crc << " over " << count);
      EXPECT_EQ(UpdateCRC16Table(crc, zeros.data(), count),
                ShiftCRC16(crc, static_cast<std::int64_t>(count)));
    }
  }
  EXPECT_EQ(0xBEEF, ShiftCRC16(0xBEEF, -5));
}

}  // namespace
}  // namespace kestrix
