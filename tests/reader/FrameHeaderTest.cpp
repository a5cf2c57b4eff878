#include "reader/FrameHeader.h"

#include <gtest/gtest.h>

#include <array>

namespace kestrix {
namespace {

using TBytes = std::array<std::uint8_t, TFrameHeader::Size>;

TFrameHeader Header(const TBytes& Bytes) {
  return TFrameHeader(Bytes.data());
}

TEST(FrameHeaderTest, DecodesEveryField) {
  // MPEG-1 Layer III, protected, 128 kbit/s, 44.1 kHz, padded, mono.
  const TFrameHeader h = Header({0xFF, 0xFA, 0x92, 0xC0});
  EXPECT_TRUE(h.IsValid());
  EXPECT_TRUE(h.IsMPEG1());
  EXPECT_TRUE(h.IsProtected());
  EXPECT_EQ(128, h.Bitrate());
  EXPECT_EQ(44100, h.SampleRate());
  EXPECT_EQ(1u, h.Padding());
  EXPECT_TRUE(h.IsMono());
  EXPECT_EQ(418, h.FrameLength());
  EXPECT_EQ(17, h.SideInfoSize());
  EXPECT_EQ(1152, h.SamplesPerFrame());
}

TEST(FrameHeaderTest, LowSampleRateVersions) {
  // MPEG-2, 64 kbit/s, 22.05 kHz, stereo, unprotected.
  const TFrameHeader mpeg2 = Header({0xFF, 0xF3, 0x80, 0x00});
  EXPECT_EQ(TFrameHeader::TVersion::MPEG2, mpeg2.Version());
  EXPECT_FALSE(mpeg2.IsProtected());
  EXPECT_EQ(22050, mpeg2.SampleRate());
  EXPECT_EQ(208, mpeg2.FrameLength());
  EXPECT_EQ(17, mpeg2.SideInfoSize());
  EXPECT_EQ(576, mpeg2.SamplesPerFrame());
  // MPEG-2.5, 32 kbit/s, 8 kHz, mono: the real length, 72 * 32000 / 8000.
  const TFrameHeader mpeg25 = Header({0xFF, 0xE3, 0x48, 0xC0});
  EXPECT_EQ(8000, mpeg25.SampleRate());
  EXPECT_EQ(288, mpeg25.FrameLength());
  EXPECT_EQ(9, mpeg25.SideInfoSize());
}

TEST(FrameHeaderTest, ValidityAndTheReservedVersion) {
  EXPECT_FALSE(Header({0xFF, 0xEB, 0x90, 0x00}).IsValid());          // reserved version
  EXPECT_TRUE(Header({0xFF, 0xEB, 0x90, 0x00}).IsLayerIIIHeader());  // read as MPEG-2
  EXPECT_FALSE(Header({0xFF, 0xFD, 0x90, 0x00}).IsValid());          // layer II
  EXPECT_FALSE(Header({0xFF, 0xFB, 0xF0, 0x00}).IsValid());          // bitrate index 15
  EXPECT_FALSE(Header({0xFF, 0xFB, 0x9C, 0x00}).IsValid());          // sample rate index 3
  EXPECT_FALSE(Header({0xFE, 0xFB, 0x90, 0x00}).IsValid());          // no sync
  const TFrameHeader free = Header({0xFF, 0xFB, 0x00, 0x00});
  EXPECT_TRUE(free.IsValid());
  EXPECT_TRUE(free.IsFreeFormat());
  EXPECT_EQ(0, free.FrameLength());
}

TEST(FrameHeaderTest, SameStreamIgnoresBitrateAndPaddingOnly) {
  const TFrameHeader a = Header({0xFF, 0xFB, 0x90, 0x40});
  EXPECT_TRUE(a.SameStreamAs(Header({0xFF, 0xFA, 0xA2, 0x00})));   // bitrate, padding, CRC, joint
  EXPECT_FALSE(a.SameStreamAs(Header({0xFF, 0xFB, 0x94, 0x40})));  // 48 kHz
  EXPECT_FALSE(a.SameStreamAs(Header({0xFF, 0xFB, 0x90, 0xC0})));  // mono
  EXPECT_FALSE(a.SameStreamAs(Header({0xFF, 0xF3, 0x90, 0x40})));  // MPEG-2
  EXPECT_FALSE(a.SameStreamAs(Header({0xFF, 0xFB, 0x00, 0x40})));  // free format
}

}  // namespace
}  // namespace kestrix
