#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "reader/BasicKestrixReader.h"
#include "reader/ReaderTestHelpers.h"

namespace kestrix::test {
namespace {

struct TFrameKind {
  const char* Name;
  std::array<std::uint8_t, 4> Header;
  std::int64_t XingOffset;
  std::int64_t FrameLength;
  std::int64_t TagCRCRegion;  // bytes from the frame start up to the stored tag CRC
};

constexpr TFrameKind FrameKinds[] = {
    {"MPEG-1 stereo", {0xFF, 0xFB, 0x90, 0x64}, 36, 417, 190},
    {"MPEG-1 mono", {0xFF, 0xFB, 0x90, 0xC4}, 21, 417, 175},
    {"MPEG-2 stereo", {0xFF, 0xF3, 0x80, 0x44}, 21, 208, 175},
    {"MPEG-2 mono", {0xFF, 0xF3, 0x80, 0xC4}, 13, 208, 167},
    {"MPEG-2.5 mono", {0xFF, 0xE3, 0x48, 0xC4}, 13, 288, 167},
};

// Frame contents that make every byte count in a CRC.
TTagFileBuilder BuilderFor(const TFrameKind& Kind) {
  TTagFileBuilder builder;
  std::copy(Kind.Header.begin(), Kind.Header.end(), builder.Header);
  builder.XingOffset = Kind.XingOffset;
  builder.FrameLength = Kind.FrameLength;
  builder.Version("LAME3.100").Set(LowpassIndex, {195}).Set(DelayPaddingIndex, {0x24, 0x05, 0x3C});
  for (std::size_t i = 0; i < builder.Music.size(); ++i) {
    builder.Music[i] = static_cast<std::uint8_t>(i * 7 + 1);
  }
  return builder;
}

// Requests of the four reads that locate the tag.
constexpr std::size_t LocatingReads = 4;

TEST(TagCRCTest, RecomputedValuesMatchStoredOnes) {
  for (const TFrameKind& kind : FrameKinds) {
    SCOPED_TRACE(kind.Name);
    TTagFileBuilder builder = BuilderFor(kind);
    builder.Prefix = Id3v2Tag(300);
    const TReadResult result = ReadTag(builder);
    ASSERT_TRUE(result.TagFound);
    EXPECT_NE(0, result.Reader.GetInfoTagCRC());
    EXPECT_EQ(result.Reader.GetInfoTagCRC(), result.Reader.GetActualInfoTagCRC());
    EXPECT_EQ(result.Reader.GetMusicCRC(), result.Reader.GetActualMusicCRC());
  }
}

TEST(TagCRCTest, TagRegionEndsBeforeStoredTagCRC) {
  for (const TFrameKind& kind : FrameKinds) {
    SCOPED_TRACE(kind.Name);
    const TBytes bytes = BuilderFor(kind).Build();
    const TReadResult result = ReadTag(bytes);
    ASSERT_TRUE(result.TagFound);
    EXPECT_EQ(CRCOf(bytes, 0, static_cast<std::size_t>(kind.TagCRCRegion)),
              result.Reader.GetActualInfoTagCRC());
  }
}

TEST(TagCRCTest, MusicRegionRunsFromTagEndToMusicLength) {
  TTagFileBuilder builder = BuilderFor(FrameKinds[0]);
  builder.Prefix = Id3v2Tag(50);
  builder.FixCRCs = false;
  const std::uint32_t musicLength = 1000;  // counted from the frame start
  builder.Set(MusicLengthIndex, {0x00, 0x00, 0x03, 0xE8}).Set(InfoTagCRCIndex, {0x12, 0x34});
  const TBytes bytes = builder.Build();
  const TReadResult result = ReadTag(bytes);
  ASSERT_TRUE(result.TagFound);
  const std::size_t frameStart = 60;
  const std::size_t tagEnd = frameStart + 36 + TagEndInXing;
  EXPECT_EQ(CRCOf(bytes, tagEnd, frameStart + musicLength - tagEnd),
            result.Reader.GetActualMusicCRC());
}

TEST(TagCRCTest, MusicLengthZero) {
  TTagFileBuilder builder = BuilderFor(FrameKinds[0]);
  builder.FixCRCs = false;
  builder.Set(InfoTagCRCIndex, {0x12, 0x34});
  const TBytes bytes = builder.Build();
  const TReadResult result = ReadTag(bytes);
  ASSERT_TRUE(result.TagFound);
  EXPECT_EQ(0, result.Reader.GetActualMusicCRC());
  EXPECT_EQ(CRCOf(bytes, 0, 190), result.Reader.GetActualInfoTagCRC());
  // Nothing of the music is read: after the reads that locate the tag,
  // only its CRC's region.
  ASSERT_GT(result.Requests.size(), LocatingReads);
  EXPECT_EQ(190, *std::max_element(result.Requests.begin() + LocatingReads, result.Requests.end()));
}

TEST(TagCRCTest, MusicLengthInsideTagIsEmptyRegion) {
  TTagFileBuilder builder = BuilderFor(FrameKinds[0]);
  builder.FixCRCs = false;
  builder.Set(MusicLengthIndex, {0x00, 0x00, 0x00, 100}).Set(InfoTagCRCIndex, {0x12, 0x34});
  const TReadResult result = ReadTag(builder);
  ASSERT_TRUE(result.TagFound);
  EXPECT_EQ(0, result.Reader.GetActualMusicCRC());
}

TEST(TagCRCTest, MusicLengthPastEndOfFile) {
  TTagFileBuilder builder = BuilderFor(FrameKinds[0]);
  builder.FixCRCs = false;
  builder.Set(MusicLengthIndex, {0xFF, 0xFF, 0xFF, 0xFF}).Set(InfoTagCRCIndex, {0x12, 0x34});
  const TBytes bytes = builder.Build();
  const TReadResult result = ReadTag(bytes);
  ASSERT_TRUE(result.TagFound);
  const std::size_t tagEnd = 36 + TagEndInXing;
  EXPECT_EQ(CRCOf(bytes, tagEnd, bytes.size() - tagEnd), result.Reader.GetActualMusicCRC());
}

TEST(TagCRCTest, NotComputedWhenNotAsked) {
  const TReadResult result = ReadTag(BuilderFor(FrameKinds[0]).Build(), false);
  ASSERT_TRUE(result.TagFound);
  EXPECT_EQ(0, result.Reader.GetActualInfoTagCRC());
  EXPECT_EQ(0, result.Reader.GetActualMusicCRC());
  EXPECT_EQ(LocatingReads, result.Requests.size());
}

TEST(TagCRCTest, NotComputedWithoutTag) {
  TTagFileBuilder builder = BuilderFor(FrameKinds[0]);
  builder.Magic = "xing";
  const TReadResult result = ReadTag(builder.Build(), true);
  ASSERT_FALSE(result.TagFound);
  EXPECT_EQ(0, result.Reader.GetActualInfoTagCRC());
  EXPECT_EQ(0, result.Reader.GetActualMusicCRC());
  EXPECT_EQ((std::vector<std::int64_t>{10, 4, 4}), result.Requests);
}

}  // namespace
}  // namespace kestrix::test
