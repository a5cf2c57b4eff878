#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>

#include "analysis/FileCheck.h"
#include "platform/CodePage.h"
#include "platform/KestrixError.h"
#include "reader/BasicKestrixReader.h"
#include "reader/ReaderTestHelpers.h"

namespace kestrix::test {
namespace {

using THeader = std::array<std::uint8_t, 4>;

// First frame headers used below.
constexpr THeader Mpeg1JointStereo128k44100 = {0xFF, 0xFB, 0x90, 0x64};
constexpr THeader Mpeg1Mono128k44100 = {0xFF, 0xFB, 0x90, 0xC4};
constexpr THeader Mpeg1Stereo32k48000 = {0xFF, 0xFB, 0x14, 0x04};
constexpr THeader Mpeg1Stereo48k44100 = {0xFF, 0xFB, 0x30, 0x04};
constexpr THeader Mpeg1Stereo64k48000 = {0xFF, 0xFB, 0x54, 0x04};
constexpr THeader Mpeg1FreeFormat = {0xFF, 0xFB, 0x00, 0x64};
constexpr THeader Mpeg2Stereo64k22050 = {0xFF, 0xF3, 0x80, 0x44};
constexpr THeader Mpeg2Mono64k22050 = {0xFF, 0xF3, 0x80, 0xC4};
constexpr THeader Mpeg25Mono32k8000 = {0xFF, 0xE3, 0x48, 0xC4};
constexpr THeader Mpeg25Stereo32k11025 = {0xFF, 0xE3, 0x40, 0x44};

TTagFileBuilder BuilderFor(const THeader& Header, std::int64_t XingOffset,
                           std::int64_t FrameLength) {
  TTagFileBuilder builder;
  std::copy(Header.begin(), Header.end(), builder.Header);
  builder.XingOffset = XingOffset;
  builder.FrameLength = FrameLength;
  builder.Version("LAME3.100");
  return builder;
}

// --- BytesToInt, IsBitSet -------------------------------------------------

TEST(BytesToIntTest, AssemblesFirstByteMostSignificant) {
  struct TCase {
    const char* Name;
    std::array<std::uint8_t, 4> Bytes;
    int LastIndex;
    int BitsPerByte;
    std::uint32_t Expected;
  };
  const TCase cases[] = {
      {"16-bit word", {0x12, 0x34}, 1, 8, 0x1234},
      {"32-bit value", {0x00, 0x3A, 0x8C, 0x21}, 3, 8, 3836961},
      {"all ones stays unsigned", {0xFF, 0xFF, 0xFF, 0xFF}, 3, 8, 4294967295u},
      {"only bytes up to LastIndex", {0xAB, 0xCD, 0xEF, 0x01}, 0, 8, 0xAB},
      {"synchsafe size", {0x00, 0x00, 0x02, 0x01}, 3, 7, 257},
      {"largest synchsafe size", {0x7F, 0x7F, 0x7F, 0x7F}, 3, 7, 0x0FFFFFFF},
      // The high bit is not masked: it overlaps the neighbour's low bit and is ORed.
      {"overlapping high bit", {0x00, 0x00, 0x01, 0xFF}, 3, 7, 0xFF},
      {"high bit of first byte", {0x80, 0x00, 0x00, 0x00}, 3, 7, 0x80u << 21},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Expected, BytesToInt(c.Bytes.data(), c.LastIndex, c.BitsPerByte));
  }
}

TEST(IsBitSetTest, TestsOneBitCountingFromLeastSignificant) {
  EXPECT_TRUE(IsBitSet(0x01, 0));
  EXPECT_FALSE(IsBitSet(0x01, 1));
  EXPECT_TRUE(IsBitSet(0x10, 4));
  EXPECT_FALSE(IsBitSet(0xEF, 4));
  EXPECT_TRUE(IsBitSet(0x80, 7));
  EXPECT_FALSE(IsBitSet(0x7F, 7));
}

TEST(IsBitSetTest, OnlyLowThreeBitsOfBitNumberCount) {
  EXPECT_TRUE(IsBitSet(0x01, 8));
  EXPECT_TRUE(IsBitSet(0x10, 12));
  EXPECT_FALSE(IsBitSet(0x10, 11));
}

// --- ParseFrameHeader ------------------------------------------------------

struct THeaderCase {
  const char* Name;
  THeader Header;
  bool Accepted;
  std::int64_t FrameLength;
  std::int64_t XingOffset;
  bool FreeFormat;
};

void CheckHeader(const THeaderCase& c) {
  SCOPED_TRACE(c.Name);
  std::int64_t frameLength = -1;
  std::int64_t xingOffset = -1;
  bool freeFormat = !c.FreeFormat;
  EXPECT_EQ(c.Accepted, ParseFrameHeader(c.Header.data(), c.Header.size(), frameLength, xingOffset,
                                         freeFormat));
  EXPECT_EQ(c.FrameLength, frameLength);
  EXPECT_EQ(c.XingOffset, xingOffset);
  EXPECT_EQ(c.FreeFormat, freeFormat);
}

TEST(ParseFrameHeaderTest, Mpeg1LengthsAndOffsets) {
  const THeaderCase cases[] = {
      {"128 kbit/s 44100 Hz", Mpeg1JointStereo128k44100, true, 417, 36, false},
      {"with padding", {0xFF, 0xFB, 0x92, 0x64}, true, 418, 36, false},
      {"64 kbit/s 48000 Hz", Mpeg1Stereo64k48000, true, 192, 36, false},
      {"48 kbit/s 44100 Hz", Mpeg1Stereo48k44100, true, 156, 36, false},
      {"32 kbit/s 48000 Hz", Mpeg1Stereo32k48000, true, 96, 36, false},
      {"320 kbit/s 32000 Hz", {0xFF, 0xFB, 0xE8, 0x04}, true, 1440, 36, false},
      {"mono", Mpeg1Mono128k44100, true, 417, 21, false},
      {"dual channel is not mono", {0xFF, 0xFB, 0x90, 0x84}, true, 417, 36, false},
      // The protection bit is ignored: the Xing header is looked for at the same place.
      {"with CRC word", {0xFF, 0xFA, 0x90, 0x64}, true, 417, 36, false},
  };
  for (const THeaderCase& c : cases) {
    CheckHeader(c);
  }
}

TEST(ParseFrameHeaderTest, LowSampleRateLengthsAndOffsets) {
  const THeaderCase cases[] = {
      {"MPEG-2 64 kbit/s 22050 Hz", Mpeg2Stereo64k22050, true, 208, 21, false},
      {"MPEG-2 mono", Mpeg2Mono64k22050, true, 208, 13, false},
      {"MPEG-2 160 kbit/s 16000 Hz padded", {0xFF, 0xF3, 0xEA, 0x44}, true, 721, 21, false},
      // MPEG-2.5 frames have their real length, twice what an MPEG-1 rate row gives.
      {"MPEG-2.5 32 kbit/s 8000 Hz", Mpeg25Mono32k8000, true, 288, 13, false},
      {"MPEG-2.5 padded", {0xFF, 0xE3, 0x4A, 0xC4}, true, 289, 13, false},
      {"MPEG-2.5 32 kbit/s 11025 Hz", Mpeg25Stereo32k11025, true, 208, 21, false},
      {"MPEG-2.5 8 kbit/s 12000 Hz", {0xFF, 0xE3, 0x14, 0x44}, true, 48, 21, false},
      {"reserved version read as MPEG-2", {0xFF, 0xEB, 0x80, 0x44}, true, 208, 21, false},
  };
  for (const THeaderCase& c : cases) {
    CheckHeader(c);
  }
}

TEST(ParseFrameHeaderTest, FreeFormatHasNoLength) {
  CheckHeader({"free format", Mpeg1FreeFormat, true, 0, 36, true});
  CheckHeader({"MPEG-2 mono free format", {0xFF, 0xF3, 0x00, 0xC4}, true, 0, 13, true});
}

TEST(ParseFrameHeaderTest, RejectsWhatIsNotALayerIIIHeader) {
  const THeaderCase cases[] = {
      {"first byte not sync", {0xFE, 0xFB, 0x90, 0x64}, false, 0, 0, false},
      {"sync bits of second byte", {0xFF, 0xDB, 0x90, 0x64}, false, 0, 0, false},
      {"Layer I", {0xFF, 0xFF, 0x90, 0x64}, false, 0, 0, false},
      {"Layer II", {0xFF, 0xFD, 0x90, 0x64}, false, 0, 0, false},
      {"reserved layer", {0xFF, 0xF9, 0x90, 0x64}, false, 0, 0, false},
      {"bitrate index 15", {0xFF, 0xFB, 0xF0, 0x64}, false, 0, 0, false},
      {"sample-rate index 3", {0xFF, 0xFB, 0x9C, 0x64}, false, 0, 0, false},
      {"all zero", {0x00, 0x00, 0x00, 0x00}, false, 0, 0, false},
  };
  for (const THeaderCase& c : cases) {
    CheckHeader(c);
  }
}

TEST(ParseFrameHeaderTest, RejectsAnyOtherSize) {
  std::int64_t frameLength = -1;
  std::int64_t xingOffset = -1;
  bool freeFormat = true;
  EXPECT_FALSE(
      ParseFrameHeader(Mpeg1JointStereo128k44100.data(), 3, frameLength, xingOffset, freeFormat));
  EXPECT_EQ(0, frameLength);
  EXPECT_EQ(0, xingOffset);
  EXPECT_FALSE(freeFormat);
}

// --- FindFirstFrame ---------------------------------------------------------

std::int64_t FirstFrameOf(const TBytes& Bytes) {
  TMemoryStream stream(Bytes);
  return FindFirstFrame(stream);
}

TEST(FindFirstFrameTest, AtStartWithoutId3v2Tag) {
  EXPECT_EQ(0, FirstFrameOf(TTagFileBuilder().Build()));
}

TEST(FindFirstFrameTest, BehindId3v2TagAndFooter) {
  EXPECT_EQ(267, FirstFrameOf(Id3v2Tag(257)));
  EXPECT_EQ(277, FirstFrameOf(Id3v2Tag(257, true)));
}

TEST(FindFirstFrameTest, OnlyTheFooterFlagAddsTen) {
  TBytes tag = Id3v2Tag(257);
  tag[5] = 0xEF;  // every flag but the footer
  EXPECT_EQ(267, FirstFrameOf(tag));
}

TEST(FindFirstFrameTest, SizeBytesAreNotMasked) {
  TBytes tag = Id3v2Tag(0);
  tag[8] = 0x01;
  tag[9] = 0xFF;
  EXPECT_EQ(0xFF + 10, FirstFrameOf(tag));
}

TEST(FindFirstFrameTest, ExpectsFrameAtZeroOtherwise) {
  TBytes lowerCase = Id3v2Tag(257);
  lowerCase[0] = 'i';
  EXPECT_EQ(0, FirstFrameOf(lowerCase));
  TBytes withZero = Id3v2Tag(257);
  withZero[2] = 0;
  EXPECT_EQ(0, FirstFrameOf(withZero));
  // Fewer than 10 bytes: no ID3v2 header can be read.
  TBytes shortTag = Id3v2Tag(257);
  shortTag.resize(9);
  EXPECT_EQ(0, FirstFrameOf(shortTag));
  EXPECT_EQ(0, FirstFrameOf({}));
}

// --- Construction -------------------------------------------------------------

TEST(TagLocationTest, FrameAtStart) {
  const TReadResult result = ReadTag(TTagFileBuilder());
  EXPECT_TRUE(result.TagFound);
  EXPECT_EQ(0, result.Reader.GetFramePosition());
  EXPECT_EQ(36, result.Reader.GetXingOffset());
}

TEST(TagLocationTest, FrameBehindId3v2Tag) {
  TTagFileBuilder builder;
  builder.Prefix = Id3v2Tag(257);
  const TReadResult plain = ReadTag(builder);
  EXPECT_TRUE(plain.TagFound);
  EXPECT_EQ(267, plain.Reader.GetFramePosition());

  builder.Prefix = Id3v2Tag(257, true);
  const TReadResult withFooter = ReadTag(builder);
  EXPECT_TRUE(withFooter.TagFound);
  EXPECT_EQ(277, withFooter.Reader.GetFramePosition());
}

TEST(TagLocationTest, NoSearchForFrameSync) {
  TTagFileBuilder strayByte;
  strayByte.Prefix = {0x00};
  EXPECT_FALSE(ReadTag(strayByte).TagFound);

  TTagFileBuilder filler;
  filler.Prefix = Id3v2Tag(257);
  filler.Prefix.resize(filler.Prefix.size() + 16, 0);
  EXPECT_FALSE(ReadTag(filler).TagFound);
}

TEST(TagLocationTest, TinyFiles) {
  // Shorter than an ID3v2 header: the frame is expected at 0, too short for a tag.
  TBytes nine = TTagFileBuilder().Build();
  nine.resize(9);
  const TReadResult fromNine = ReadTag(nine);
  EXPECT_FALSE(fromNine.TagFound);
  EXPECT_EQ(0, fromNine.Reader.GetFramePosition());

  const TReadResult fromThree = ReadTag(TBytes{0xFF, 0xFB, 0x90});
  EXPECT_FALSE(fromThree.TagFound);
  EXPECT_EQ(0, fromThree.Reader.GetXingOffset());

  EXPECT_FALSE(ReadTag(TBytes{}).TagFound);
}

TEST(TagLocationTest, BadHeaders) {
  const THeader headers[] = {
      {0xFF, 0xFB, 0xF0, 0x64},  // bitrate index 15
      {0xFF, 0xFB, 0x9C, 0x64},  // sample-rate index 3
      {0xFF, 0xFD, 0x90, 0x64},  // Layer II
      {0xFF, 0xFF, 0x90, 0x64},  // Layer I
  };
  for (const THeader& header : headers) {
    SCOPED_TRACE(testing::PrintToString(header));
    EXPECT_FALSE(ReadTag(BuilderFor(header, 36, 417)).TagFound);
  }
}

TEST(TagLocationTest, FreeFormatSkipsLengthTest) {
  const TReadResult result = ReadTag(BuilderFor(Mpeg1FreeFormat, 36, 0));
  EXPECT_TRUE(result.TagFound);
  EXPECT_EQ(36, result.Reader.GetXingOffset());
}

TEST(TagLocationTest, FrameMustHoldTheWholeTag) {
  // The crafted frames hold the tag bytes; only the header's length decides.
  struct TCase {
    const char* Name;
    THeader Header;
    std::int64_t XingOffset;
    std::int64_t FrameLength;
    bool Found;
  };
  const TCase cases[] = {
      {"MPEG-1 96 bytes", Mpeg1Stereo32k48000, 36, 96, false},
      {"MPEG-1 156 bytes", Mpeg1Stereo48k44100, 36, 156, false},
      {"MPEG-1 192 bytes, exactly the tag end", Mpeg1Stereo64k48000, 36, 192, true},
      {"MPEG-2.5 mono 288 bytes", Mpeg25Mono32k8000, 13, 288, true},
      {"MPEG-2.5 stereo 208 bytes", Mpeg25Stereo32k11025, 21, 208, true},
      {"MPEG-2.5 8 kbit/s 12000 Hz, 48 bytes", {0xFF, 0xE3, 0x14, 0x44}, 21, 48, false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Found, ReadTag(BuilderFor(c.Header, c.XingOffset, c.FrameLength)).TagFound);
  }
}

TEST(TagLocationTest, XingOffsetFollowsVersionAndChannelMode) {
  struct TCase {
    const char* Name;
    THeader Header;
    std::int64_t XingOffset;
    std::int64_t FrameLength;
  };
  const TCase cases[] = {
      {"MPEG-1 stereo", Mpeg1JointStereo128k44100, 36, 417},
      {"MPEG-1 mono", Mpeg1Mono128k44100, 21, 417},
      {"MPEG-2 stereo", Mpeg2Stereo64k22050, 21, 208},
      {"MPEG-2 mono", Mpeg2Mono64k22050, 13, 208},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TReadResult result = ReadTag(BuilderFor(c.Header, c.XingOffset, c.FrameLength));
    EXPECT_TRUE(result.TagFound);
    EXPECT_EQ(c.XingOffset, result.Reader.GetXingOffset());
  }
}

TEST(TagLocationTest, MagicMustBeExact) {
  struct TCase {
    const char* Magic;
    bool Found;
  };
  const TCase cases[] = {
      {"Xing", true},  {"Info", true}, {"xing", false}, {"info", false},
      {"INFO", false}, {"Inf", false}, {"LAME", false}, {"\0nfo", false},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Magic);
    TTagFileBuilder builder;
    builder.Magic = std::string(c.Magic, 4);
    EXPECT_EQ(c.Found, ReadTag(builder).TagFound);
  }
}

TEST(TagLocationTest, MagicBehindCRCWordIsNotFound) {
  // A protected frame whose encoder put "Info" two bytes further on.
  TTagFileBuilder builder;
  builder.Header[1] = 0xFA;
  builder.XingOffset = 38;
  const TReadResult result = ReadTag(builder);
  EXPECT_FALSE(result.TagFound);
  EXPECT_EQ(36, result.Reader.GetXingOffset());
}

TEST(TagLocationTest, FileEndingInsideMagic) {
  TBytes bytes = TTagFileBuilder().Build();
  bytes.resize(36 + 3);
  EXPECT_FALSE(ReadTag(bytes).TagFound);
}

TEST(TagLocationTest, FileEndingInsideTagKeepsWhatWasRead) {
  TTagFileBuilder builder;
  builder.Version("LAME3.100");
  TBytes bytes = builder.Build();
  const std::size_t tagStart = 36 + 119;
  bytes.resize(tagStart + 7);  // quality byte and six of the nine version bytes
  const TReadResult result = ReadTag(bytes);
  EXPECT_FALSE(result.TagFound);
  EXPECT_EQ("LAME", result.Reader.GetEncoderString());
  EXPECT_EQ("3.", result.Reader.GetVersionString());
  EXPECT_EQ(0, result.Reader.GetTagData().EncoderVersion[6]);
}

TEST(TagLocationTest, StoredTagCRCZeroKeepsTagData) {
  TTagFileBuilder builder;
  builder.FixCRCs = false;
  builder.Version("LAME3.88 ");
  const TReadResult result = ReadTag(builder);
  EXPECT_FALSE(result.TagFound);
  EXPECT_EQ("LAME", result.Reader.GetEncoderString());
  EXPECT_EQ("3.88 ", result.Reader.GetVersionString());
  EXPECT_EQ(0, result.Reader.GetActualInfoTagCRC());
  EXPECT_EQ(0, result.Reader.GetActualMusicCRC());
}

TEST(TagLocationTest, FewSmallReadsWithoutCRCs) {
  const TReadResult result = ReadTag(TTagFileBuilder().Build(), false);
  EXPECT_TRUE(result.TagFound);
  EXPECT_EQ((std::vector<std::int64_t>{10, 4, 4, 37}), result.Requests);
}

// --- Opening a file -------------------------------------------------------------

TEST(TagFileTest, ReadsTagFromFile) {
  TTempFolder folder;
  TTagFileBuilder builder;
  builder.Prefix = Id3v2Tag(100);
  builder.Version("LAME3.100");
  const auto path = folder.Write("tagged.mp3", builder.Build());
  bool found = false;
  TBasicKestrixReader reader = ReadLameTag(path, true, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(110, reader.GetFramePosition());
  EXPECT_EQ("3.100", reader.GetVersionString());
  EXPECT_EQ(reader.GetInfoTagCRC(), reader.GetActualInfoTagCRC());
  EXPECT_EQ(reader.GetMusicCRC(), reader.GetActualMusicCRC());
}

TEST(TagFileTest, MissingFileOrFolderIsAnOpenError) {
  TTempFolder folder;
  const std::u16string path = ToU16(folder.Path() / "missing.mp3");
  EXPECT_EQ(CheckFile(path).Verdict.Error, "Cannot open file " + platform::Narrow(path));
  const TAnalysisNeeds report{false, CLocaleSeparators()};
  platform::TReadBuffer buffer;
  const TFileCheck check = CheckFile(ToU16(folder.Path()), buffer, report);
  EXPECT_EQ(check.Verdict.Kind, TVerdictKind::Error);
  EXPECT_EQ(check.Verdict.Error, "Cannot open file " + platform::Narrow(ToU16(folder.Path())));
}

}  // namespace
}  // namespace kestrix::test
