#include <gtest/gtest.h>

#include <array>
#include <initializer_list>
#include <string>

#include "describe/DescriptiveKestrixReader.h"
#include "describe/PresetGuesser.h"
#include "reader/BasicKestrixReader.h"
#include "reader/ReaderTestHelpers.h"

namespace kestrix::test {
namespace {

// A reader over a found tag whose bytes at Index are the given ones.
TBasicKestrixReader ReaderWith(std::size_t Index, std::initializer_list<std::uint8_t> Bytes) {
  TTagFileBuilder builder = RawTagBuilder();
  builder.Set(Index, Bytes);
  TReadResult result = ReadTag(builder);
  EXPECT_TRUE(result.TagFound);
  return result.Reader;
}

TBasicKestrixReader ReaderWithVersion(const std::string& EncoderVersion) {
  TTagFileBuilder builder = RawTagBuilder();
  builder.Version(EncoderVersion);
  return ReadTag(builder).Reader;
}

// --- Version texts --------------------------------------------------------

TEST(VersionTextTest, EncoderAndVersionStrings) {
  struct TCase {
    const char* Name;
    std::string EncoderVersion;  // the nine bytes from Xing offset 120
    std::string Encoder;
    std::string Version;
  };
  const TCase cases[] = {
      {"current LAME", "LAME3.100", "LAME", "3.100"},
      {"letter release", "LAME3.99r", "LAME", "3.99r"},
      {"zero byte cuts the encoder", std::string("LA\0E3.90a", 9), "LA", "3.90a"},
      {"zero byte cuts the version", std::string("LAME3.94\0", 9), "LAME", "3.94"},
      {"all zero", std::string(9, '\0'), "", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Name);
    const TBasicKestrixReader reader = ReaderWithVersion(c.EncoderVersion);
    EXPECT_EQ(c.Encoder, reader.GetEncoderString());
    EXPECT_EQ(c.Version, reader.GetVersionString());
  }
}

TEST(VersionTextTest, VersionIsAtMostFiveCharacters) {
  // The byte behind the version is the revision/method byte, here not zero.
  TTagFileBuilder builder = RawTagBuilder();
  builder.Version("LAME3.98r").Set(RevisionMethodIndex, {'X'});
  EXPECT_EQ("3.98r", ReadTag(builder).Reader.GetVersionString());
}

TEST(VersionTextTest, LongVersionCoversSixteenBytes) {
  TTagFileBuilder builder = RawTagBuilder();
  builder.Version("LAME");
  const std::string longText = "3.88 (beta 1234)";
  for (std::size_t i = 0; i < longText.size(); ++i) {
    builder.Tag[EncoderVersionIndex + 4 + i] = static_cast<std::uint8_t>(longText[i]);
  }
  builder.Set(BitrateIndex, {'!'});  // the byte behind the sixteen
  const TBasicKestrixReader reader = ReadTag(builder).Reader;
  EXPECT_EQ(longText, reader.GetLongVersionString());
  EXPECT_EQ("3.88 ", reader.GetVersionString());
}

TEST(VersionTextTest, LongVersionStopsAtZeroByte) {
  EXPECT_EQ("3.90.", ReaderWithVersion("LAME3.90.").GetLongVersionString());
  EXPECT_EQ("", ReaderWithVersion(std::string(9, '\0')).GetLongVersionString());
}

// --- Single-byte fields ------------------------------------------------------

TEST(TagFieldTest, RevisionAndMethod) {
  const TBasicKestrixReader reader = ReaderWith(RevisionMethodIndex, {0x53});
  EXPECT_EQ(5, reader.GetTagRevision());
  EXPECT_EQ(3, reader.GetEncodingMethod());
  const TBasicKestrixReader high = ReaderWith(RevisionMethodIndex, {0xF0});
  EXPECT_EQ(15, high.GetTagRevision());
  EXPECT_EQ(0, high.GetEncodingMethod());
}

TEST(TagFieldTest, Lowpass) {
  EXPECT_EQ(19500, ReaderWith(LowpassIndex, {195}).GetLowpass());
  EXPECT_EQ(25500, ReaderWith(LowpassIndex, {255}).GetLowpass());
  EXPECT_EQ(0, ReaderWith(LowpassIndex, {0}).GetLowpass());
}

TEST(TagFieldTest, FlagsAndATHType) {
  struct TCase {
    std::uint8_t Byte;
    bool PsyTune, SafeJoint, Continued, Continuation;
    std::uint8_t ATHType;
  };
  const TCase cases[] = {
      {0x10, true, false, false, false, 0},   {0x20, false, true, false, false, 0},
      {0x40, false, false, true, false, 0},   {0x80, false, false, false, true, 0},
      {0x0F, false, false, false, false, 15}, {0xF3, true, true, true, true, 3},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Byte));
    const TBasicKestrixReader reader = ReaderWith(FlagsATHIndex, {c.Byte});
    EXPECT_EQ(c.PsyTune, reader.GetNSPsyTune());
    EXPECT_EQ(c.SafeJoint, reader.GetNSSafeJoint());
    EXPECT_EQ(c.Continued, reader.GetNoGapContinued());
    EXPECT_EQ(c.Continuation, reader.GetNoGapContinuation());
    EXPECT_EQ(c.ATHType, reader.GetATHType());
  }
}

TEST(TagFieldTest, MiscBits) {
  struct TCase {
    std::uint8_t Byte;
    std::uint8_t SourceFreq;
    bool Unwise;
    std::uint8_t StereoMode;
    std::uint8_t NoiseShaping;
  };
  const TCase cases[] = {
      {0xC0, 3, false, 0, 0}, {0x20, 0, true, 0, 0}, {0x1C, 0, false, 7, 0},
      {0x03, 0, false, 0, 3}, {0x6D, 1, true, 3, 1},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Byte));
    const TBasicKestrixReader reader = ReaderWith(MiscIndex, {c.Byte});
    EXPECT_EQ(c.SourceFreq, reader.GetSourceSampleFreq());
    EXPECT_EQ(c.Unwise, reader.GetUnwiseSettings());
    EXPECT_EQ(c.StereoMode, reader.GetStereoMode());
    EXPECT_EQ(c.NoiseShaping, reader.GetNoiseShaping());
  }
}

TEST(TagFieldTest, MP3GainChangeIsSignAndMagnitude) {
  struct TCase {
    std::uint8_t Byte;
    int Change;
  };
  const TCase cases[] = {{0x85, -5}, {0x05, 5}, {0x80, 0}, {0x00, 0}, {0xFF, -127}, {0x7F, 127}};
  for (const TCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.Byte));
    EXPECT_EQ(c.Change, ReaderWith(MP3GainIndex, {c.Byte}).GetMP3GainChange());
  }
}

// --- Multi-byte fields ----------------------------------------------------------

TEST(TagFieldTest, EncoderDelayAndPadding) {
  struct TCase {
    std::uint8_t B0, B1, B2;
    int Delay, Padding;
  };
  const TCase cases[] = {
      {0x24, 0x05, 0x3C, 576, 1340}, {0xFF, 0xFF, 0xFF, 4095, 4095}, {0x00, 0xF0, 0x00, 15, 0},
      {0x00, 0x0F, 0xFF, 0, 4095},   {0x00, 0x00, 0x00, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.Delay << "/" << c.Padding);
    const TBasicKestrixReader reader = ReaderWith(DelayPaddingIndex, {c.B0, c.B1, c.B2});
    EXPECT_EQ(c.Delay, reader.GetEncoderDelay());
    EXPECT_EQ(c.Padding, reader.GetEncoderPadding());
  }
}

TEST(TagFieldTest, PresetAndSurround) {
  struct TCase {
    std::uint8_t B0, B1;
    int Preset, Surround;
  };
  const TCase cases[] = {
      {0x0C, 0x00, 1024, 1}, {0xC1, 0xF6, 502, 0},  // bits 15-14 are not read
      {0x3F, 0xFF, 2047, 7}, {0x01, 0xE0, 480, 0}, {0x00, 0x00, 0, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Preset);
    TBasicKestrixReader reader = ReaderWith(PresetSurroundIndex, {c.B0, c.B1});
    EXPECT_EQ(c.Preset, reader.GetPreset());
    EXPECT_EQ(c.Preset, reader.GetPreset());  // cached value
    EXPECT_EQ(c.Surround, reader.GetSurroundInfo());
  }
}

TEST(TagFieldTest, MusicLengthIsUnsigned) {
  EXPECT_EQ(3836961u, ReaderWith(MusicLengthIndex, {0x00, 0x3A, 0x8C, 0x21}).GetMusicLength());
  EXPECT_EQ(4294967295u, ReaderWith(MusicLengthIndex, {0xFF, 0xFF, 0xFF, 0xFF}).GetMusicLength());
}

TEST(TagFieldTest, StoredCRCsAreBigEndian) {
  TTagFileBuilder builder = RawTagBuilder();
  builder.Set(MusicCRCIndex, {0xAB, 0xCD, 0x01, 0x02});
  const TBasicKestrixReader reader = ReadTag(builder).Reader;
  EXPECT_EQ(0xABCD, reader.GetMusicCRC());
  EXPECT_EQ(0x0102, reader.GetInfoTagCRC());
}

TEST(TagFieldTest, AccessorsWorkWithoutTag) {
  bool found = true;
  TMemoryStream empty(TBytes{});
  TBasicKestrixReader reader = ReadLameTag(empty, true, found);
  EXPECT_FALSE(found);
  TReplayGainInfo info;
  info.Peak = -1.0f;
  reader.GetReplayGain(info);
  EXPECT_EQ(0.0f, info.Peak);
  EXPECT_EQ("", reader.GetEncoderString());
  EXPECT_EQ("", reader.GetVersionString());
  EXPECT_EQ("", reader.GetLongVersionString());
  EXPECT_EQ(0, reader.GetPreset());
  EXPECT_EQ(0u, reader.GetMusicLength());
}

// --- ReplayGain ---------------------------------------------------------------

TEST(DecodeReplayGainTest, SplitsTheWord) {
  struct TCase {
    std::uint8_t B0, B1;
    int NameCode, OriginatorCode;
    bool Negative;
    int Adjustment;
  };
  const TCase cases[] = {
      {0x2E, 0x41, 1, 3, true, 65},   {0x00, 0x00, 0, 0, false, 0}, {0xFF, 0xFF, 7, 7, true, 511},
      {0x01, 0xFF, 0, 0, false, 511}, {0x02, 0x00, 0, 0, true, 0},  {0x1C, 0x00, 0, 7, false, 0},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << int{c.B0} << " " << int{c.B1});
    const std::uint8_t bytes[] = {c.B0, c.B1};
    const TRawReplayGain gain = DecodeReplayGain(bytes);
    EXPECT_EQ(c.NameCode, gain.NameCode);
    EXPECT_EQ(c.OriginatorCode, gain.OriginatorCode);
    EXPECT_EQ(c.Negative, gain.Negative);
    EXPECT_EQ(c.Adjustment, gain.Adjustment);
  }
}

TEST(ReplayGainTest, TrackAndAlbumWordsInPlace) {
  TTagFileBuilder builder = RawTagBuilder();
  builder.Version("LAME3.100").Set(TrackGainIndex, {0x2E, 0x41}).Set(AlbumGainIndex, {0x5C, 0x07});
  TBasicKestrixReader reader = ReadTag(builder).Reader;
  TReplayGainInfo info;
  reader.GetReplayGain(info);
  EXPECT_EQ(1, info.TrackGain.NameCode);
  EXPECT_EQ(65, info.TrackGain.Adjustment);
  EXPECT_TRUE(info.TrackGain.Negative);
  EXPECT_EQ(2, info.AlbumGain.NameCode);
  EXPECT_EQ(7, info.AlbumGain.OriginatorCode);
  EXPECT_FALSE(info.AlbumGain.Negative);
  EXPECT_EQ(7, info.AlbumGain.Adjustment);

  TReplayGainInfo again;
  reader.GetReplayGain(again);
  EXPECT_EQ(info.TrackGain.Adjustment, again.TrackGain.Adjustment);
  EXPECT_EQ(info.AlbumGain.NameCode, again.AlbumGain.NameCode);
}

struct TPeakCase {
  const char* Name;
  std::string EncoderVersion;
  std::array<std::uint8_t, 4> PeakBytes;
  float Peak;
};

void CheckPeaks(std::initializer_list<TPeakCase> Cases) {
  for (const TPeakCase& c : Cases) {
    SCOPED_TRACE(c.Name);
    TTagFileBuilder builder = RawTagBuilder();
    builder.Version(c.EncoderVersion)
        .Set(PeakIndex, {c.PeakBytes[0], c.PeakBytes[1], c.PeakBytes[2], c.PeakBytes[3]});
    TBasicKestrixReader reader = ReadTag(builder).Reader;
    TReplayGainInfo info;
    reader.GetReplayGain(info);
    EXPECT_FLOAT_EQ(c.Peak, info.Peak);
  }
}

// Peak bytes that read as 1.0 on one path and as almost nothing on the other.
constexpr std::array<std::uint8_t, 4> IntegerOne = {0x00, 0x80, 0x00, 0x00};
constexpr std::array<std::uint8_t, 4> LittleEndianOne = {0x00, 0x00, 0x80, 0x3F};

TEST(ReplayGainTest, IntegerPeakFrom394b) {
  CheckPeaks({
      {"3.98r", "LAME3.98r", IntegerOne, 1.0f},
      {"3.94b itself", "LAME3.94b", IntegerOne, 1.0f},
      {"3.99r", "LAME3.99r", IntegerOne, 1.0f},
      {"3.100 is newer than 3.94b", "LAME3.100", IntegerOne, 1.0f},
      {"half scale", "LAME3.100", {0x00, 0x40, 0x00, 0x00}, 0.5f},
      {"above full scale", "LAME3.100", {0x00, 0xC0, 0x00, 0x00}, 1.5f},
  });
}

TEST(ReplayGainTest, LittleEndianSingleBefore394b) {
  CheckPeaks({
      {"3.90a", "LAME3.90a", LittleEndianOne, 1.0f},
      {"3.94a", "LAME3.94a", LittleEndianOne, 1.0f},
      {"3.94 followed by a zero byte", std::string("LAME3.94\0", 9), LittleEndianOne, 1.0f},
      {"3.94 followed by a blank", "LAME3.94 ", LittleEndianOne, 1.0f},
      {"no version text", std::string(9, '\0'), LittleEndianOne, 1.0f},
      {"0.5 as a single", "LAME3.93 ", {0x00, 0x00, 0x00, 0x3F}, 0.5f},
  });
}

TEST(ReplayGainTest, AllZeroPeakIsZero) {
  CheckPeaks({
      {"float path", std::string(9, '\0'), {0, 0, 0, 0}, 0.0f},
      {"integer path", "LAME3.100", {0, 0, 0, 0}, 0.0f},
  });
}

// --- Version comparison ----------------------------------------------------------

int Sign(int Value) {
  return (Value > 0) - (Value < 0);
}

TEST(CompareVersionTextsTest, AgainstFirstIntegerPeakVersion) {
  struct TCase {
    std::string Version;
    int Expected;  // sign of the comparison with "3.94b"
  };
  const TCase
      cases[] =
          {
              {"3.100", 1},  {"3.99r", 1},    {"3.98r", 1},  {"3.94b", 0},  {"3.94c", 1},
              {"3.94a", -1}, {"3.94", -1},    {"3.94 ", -1}, {"3.90a", -1}, {"3.9", -1},
              {"3.094", -1}, {"4.0", 1},      {"", -1},      {"3.", -1},    {"\xE9", 1},
              {"LAME", 1},   {"3.94\xE9", 1},  // rest compares as unsigned bytes
          };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.Version);
    EXPECT_EQ(c.Expected, Sign(CompareVersionTexts(c.Version, "3.94b")));
    EXPECT_EQ(-c.Expected, Sign(CompareVersionTexts("3.94b", c.Version)));
  }
}

TEST(CompareVersionTextsTest, NumbersCompareByValue) {
  EXPECT_GT(CompareVersionTexts("10.0", "9.99"), 0);
  EXPECT_GT(CompareVersionTexts("3.100", "3.99"), 0);
  EXPECT_EQ(0, CompareVersionTexts("3.090", "3.90"));
  EXPECT_GT(CompareVersionTexts("3.123456789012345678901234567890", "3.94b"), 0);
  EXPECT_LT(CompareVersionTexts("3.90", "3.90."), 0);
  EXPECT_EQ(0, CompareVersionTexts("3.90", "3.90"));
}

TEST(CompareVersionTextsTest, OtherFormsCompareByBytes) {
  // "3.x" is no number form, so the bytes decide: 'x' after '9'.
  EXPECT_GT(CompareVersionTexts("3.x", "3.94b"), 0);
  EXPECT_LT(CompareVersionTexts(".94", "3.94b"), 0);
  EXPECT_EQ(0, CompareVersionTexts("", ""));
  EXPECT_LT(CompareVersionTexts("LAM", "LAME"), 0);
}

// --- Preset guess ------------------------------------------------------------------

// The guesser's first row for current encoders, written into a tag.
const TPresetRow& CurrentEncoderRow() {
  constexpr unsigned CurrentVersionGroup = 4;
  for (const TPresetRow& row : PresetTable) {
    if ((row.VersionGroups >> CurrentVersionGroup) & 1u) {
      return row;
    }
  }
  ADD_FAILURE() << "no preset row for current encoders";
  return PresetTable[0];
}

TTagFileBuilder BuilderForRow(const TPresetRow& Row) {
  TTagFileBuilder builder = RawTagBuilder();
  builder.Version("LAME3.99r")
      .Set(QualityIndex, {Row.Quality})
      .Set(RevisionMethodIndex, {static_cast<std::uint8_t>(0x10 | Row.EncodingMethod)})
      .Set(LowpassIndex, {Row.LowpassByte})
      .Set(FlagsATHIndex, {Row.ATHType})
      .Set(BitrateIndex, {Row.Bitrate})
      .Set(MiscIndex, {static_cast<std::uint8_t>((Row.StereoMode << 2) | Row.NoiseShaping)});
  return builder;
}

TEST(GuessedPresetTest, PassesTheTagValuesToTheGuesser) {
  const TPresetRow& row = CurrentEncoderRow();
  TDescriptiveKestrixReader reader(ReadTag(BuilderForRow(row)).Reader);
  EXPECT_EQ(row.Guess, reader.GetGuessedPreset());
  EXPECT_FALSE(reader.GetGuessedPresetModified());
}

TEST(GuessedPresetTest, ModifiedFirstGivesTheSameGuess) {
  const TPresetRow& row = CurrentEncoderRow();
  TTagFileBuilder builder = BuilderForRow(row);
  builder.Set(BitrateIndex, {static_cast<std::uint8_t>(row.Bitrate + 1)});
  TDescriptiveKestrixReader reader(ReadTag(builder).Reader);
  bool modified = false;
  const TPresetValues values{static_cast<std::uint8_t>(row.Bitrate + 1),
                             row.Quality,
                             row.EncodingMethod,
                             row.NoiseShaping,
                             row.StereoMode,
                             row.ATHType,
                             row.LowpassByte};
  const std::uint8_t expected = GuessPreset("3.99r", values, modified);
  EXPECT_EQ(modified, reader.GetGuessedPresetModified());
  EXPECT_EQ(expected, reader.GetGuessedPreset());
  EXPECT_EQ(expected, reader.GetGuessedPreset());
}

}  // namespace
}  // namespace kestrix::test
