#include "describe/DescriptiveKestrixReader.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/KestrixError.h"
#include "support/TestFiles.h"

namespace kestrix {
namespace {

using test::TBytes;
using test::TMemoryStream;
using test::TTagFileBuilder;

using namespace test::tagindex;

const platform::TNumberSeparators Comma{",", "."};
const platform::TNumberSeparators FullStop{".", ","};
const platform::TNumberSeparators NoSeparators{"", ""};

std::unique_ptr<TDescriptiveKestrixReader> Open(
    const TBytes& File, const platform::TNumberSeparators& Separators = Comma,
    bool ComputeCRCs = true) {
  TMemoryStream stream(File);
  bool tagFound = false;
  return std::make_unique<TDescriptiveKestrixReader>(test::ReadLameTag(stream, ComputeCRCs, tagFound),
                                                     Separators);
}

// A file whose tag holds Bytes at Index and zeros elsewhere, with right CRCs.
std::unique_ptr<TDescriptiveKestrixReader> WithTagBytes(
    std::size_t Index, std::initializer_list<std::uint8_t> Bytes,
    const platform::TNumberSeparators& Separators = Comma) {
  TTagFileBuilder builder;
  builder.Version("LAME3.99r").Set(Index, Bytes);
  return Open(builder.Build(), Separators);
}

// Stored bytes kept as they are: the music length and both CRC words.
std::unique_ptr<TDescriptiveKestrixReader> WithRawTailBytes(
    std::size_t Index, std::initializer_list<std::uint8_t> Bytes) {
  TTagFileBuilder builder;
  builder.FixCRCs = false;
  builder.Version("LAME3.99r").Set(InfoTagCRCIndex, {0x12, 0x34}).Set(Index, Bytes);
  return Open(builder.Build());
}

std::uint8_t Byte(int Value) {
  return static_cast<std::uint8_t>(Value);
}

TEST(DescriptiveKestrixReader, ReadsAFileByItsPath) {
  test::TTempFolder folder;
  TTagFileBuilder builder;
  builder.Version("LAME3.99r").Set(LowpassIndex, {195});
  const auto path = folder.Write("tagged.mp3", builder.Build());
  bool tagFound = false;
  TDescriptiveKestrixReader reader(test::ReadLameTag(path, true, tagFound), Comma);
  EXPECT_TRUE(tagFound);
  EXPECT_EQ(reader.GetVersionString(), "3.99r");
  EXPECT_EQ(reader.GetLowpassText(), "19,500Hz");
}

TEST(DescriptiveKestrixReader, TextsNeverReadTheFileAgain) {
  TTagFileBuilder builder;
  builder.Version("LAME3.90 ").Set(QualityIndex, {78}).Set(RevisionMethodIndex, {0x03});
  TMemoryStream stream(builder.Build());
  bool tagFound = false;
  TDescriptiveKestrixReader reader(test::ReadLameTag(stream, true, tagFound), Comma);
  const std::size_t requests = stream.Requests.size();

  TDescriptiveReplayGain gains;
  reader.GetReplayGainTexts(gains);
  reader.GetPresetText();
  reader.GetPresetGuessText();
  reader.GetActualMusicCRCText();
  reader.GetActualInfoTagCRCText();
  reader.GetMusicLengthText();
  EXPECT_EQ(stream.Requests.size(), requests);
}

TEST(DescriptiveKestrixReader, PassesTheRawTextsAndNumbersThrough) {
  TTagFileBuilder builder;
  builder.Version("LAME3.100")
      .Set(RevisionMethodIndex, {0x5F})
      .Set(FlagsATHIndex, {0xF7})
      .Set(MiscIndex, {0x03});
  const auto reader = Open(builder.Build());
  EXPECT_EQ(reader->GetEncoderString(), "LAME");
  EXPECT_EQ(reader->GetVersionString(), "3.100");
  EXPECT_EQ(reader->GetTagRevision(), 5);
  EXPECT_EQ(reader->GetATHType(), 7);
  EXPECT_EQ(reader->GetNoiseShaping(), 3);
}

struct TNumberCase {
  int Raw;
  std::string Expected;
};

TEST(QualityText, AtItsBoundaries) {
  const std::vector<TNumberCase> cases = {
      {0, "0"},
      {1, "1 (V9 and q9)"},
      {9, "9 (V9 and q1)"},
      {10, "10 (V9 and q0)"},
      {57, "57 (V4 and q3)"},
      {78, "78 (V2 and q2)"},
      {90, "90 (V1 and q0)"},
      {99, "99 (V0 and q1)"},
      {100, "100 (V0 and q0)"},
      {101, "<unexpected value: 101>"},
      {255, "<unexpected value: 255>"},
  };
  for (const TNumberCase& c : cases) {
    EXPECT_EQ(WithTagBytes(QualityIndex, {Byte(c.Raw)})->GetQualityText(), c.Expected) << c.Raw;
  }
}

TEST(EncodingMethodText, EveryMethod) {
  const std::vector<std::string> expected = {
      "<not stored>",
      "cbr",
      "abr",
      "vbr old / vbr rh",
      "vbr new / vbr mtrh",
      "vbr mt",
      "<unrecognised value 6>",
      "<unrecognised value 7>",
      "cbr 2 pass",
      "abr 2 pass",
      "<unrecognised value 10>",
      "<unrecognised value 11>",
      "<unrecognised value 12>",
      "<unrecognised value 13>",
      "<unrecognised value 14>",
      "<unrecognised value 15>",
  };
  for (int method = 0; method < 16; ++method) {
    // A tag revision in the high half must not disturb the method.
    const auto reader = WithTagBytes(RevisionMethodIndex, {Byte(0xA0 | method)});
    EXPECT_EQ(reader->GetEncodingMethodText(), expected[static_cast<std::size_t>(method)])
        << method;
  }
}

TEST(LowpassText, InHertzWithGrouping) {
  EXPECT_EQ(WithTagBytes(LowpassIndex, {0})->GetLowpassText(), "<not stored>");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {1})->GetLowpassText(), "100Hz");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {9})->GetLowpassText(), "900Hz");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {10})->GetLowpassText(), "1,000Hz");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {195})->GetLowpassText(), "19,500Hz");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {195}, FullStop)->GetLowpassText(), "19.500Hz");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {195}, NoSeparators)->GetLowpassText(), "19500Hz");
  EXPECT_EQ(WithTagBytes(LowpassIndex, {255})->GetLowpassText(), "25,500Hz");
}

TEST(FlagTexts, EachFlagReadsItsOwnBit) {
  const auto none = WithTagBytes(FlagsATHIndex, {0x0F});
  EXPECT_EQ(none->GetNSPsyTuneText(), "no");
  EXPECT_EQ(none->GetNSSafeJointText(), "no");
  EXPECT_EQ(none->GetNoGapContinuedText(), "no");
  EXPECT_EQ(none->GetNoGapContinuationText(), "no");

  EXPECT_EQ(WithTagBytes(FlagsATHIndex, {0x10})->GetNSPsyTuneText(), "yes");
  EXPECT_EQ(WithTagBytes(FlagsATHIndex, {0x20})->GetNSSafeJointText(), "yes");
  EXPECT_EQ(WithTagBytes(FlagsATHIndex, {0x40})->GetNoGapContinuedText(), "yes");
  EXPECT_EQ(WithTagBytes(FlagsATHIndex, {0x80})->GetNoGapContinuationText(), "yes");
  EXPECT_EQ(WithTagBytes(FlagsATHIndex, {0xEF})->GetNSPsyTuneText(), "no");

  EXPECT_EQ(WithTagBytes(MiscIndex, {0x20})->GetUnwiseSettingsText(), "yes");
  EXPECT_EQ(WithTagBytes(MiscIndex, {0xDF})->GetUnwiseSettingsText(), "no");
}

struct TBitrateCase {
  int Method;
  int Bitrate;
  std::string Expected;
};

TEST(BitrateText, PrefixForTheVBRMethodsAndTopValue) {
  const std::vector<TBitrateCase> cases = {
      {1, 0, "<not stored>"},
      {4, 0, "<not stored>"},
      {1, 128, "128"},
      {2, 192, "192"},
      {1, 255, "255 or higher"},
      {2, 255, "255 or higher"},
      {2, 254, "254"},
      {3, 255, "minimal (-b) bitrate 255 or higher"},
      {4, 32, "minimal (-b) bitrate 32"},
      {5, 1, "minimal (-b) bitrate 1"},
      {6, 64, "minimal (-b) bitrate 64"},
      {7, 64, "64"},
      {0, 64, "64"},
      {8, 64, "64"},
  };
  for (const TBitrateCase& c : cases) {
    TTagFileBuilder builder;
    builder.Version("LAME3.99r")
        .Set(RevisionMethodIndex, {Byte(c.Method)})
        .Set(BitrateIndex, {Byte(c.Bitrate)});
    EXPECT_EQ(Open(builder.Build())->GetBitrateText(), c.Expected)
        << "method " << c.Method << ", bitrate " << c.Bitrate;
  }
}

TEST(DelayAndPaddingTexts, InSamplesWithGrouping) {
  const auto typical = WithTagBytes(DelayPaddingIndex, {0x24, 0x05, 0x3C});
  EXPECT_EQ(typical->GetEncoderDelayText(), "576 samples");
  EXPECT_EQ(typical->GetEncoderPaddingText(), "1,340 samples");

  const auto zero = WithTagBytes(DelayPaddingIndex, {0, 0, 0});
  EXPECT_EQ(zero->GetEncoderDelayText(), "0 samples");
  EXPECT_EQ(zero->GetEncoderPaddingText(), "0 samples");

  const auto grouped = WithTagBytes(DelayPaddingIndex, {0x45, 0x13, 0xE7});
  EXPECT_EQ(grouped->GetEncoderDelayText(), "1,105 samples");
  EXPECT_EQ(grouped->GetEncoderPaddingText(), "999 samples");

  const auto largest = WithTagBytes(DelayPaddingIndex, {0xFF, 0xFF, 0xFF}, FullStop);
  EXPECT_EQ(largest->GetEncoderDelayText(), "4.095 samples");
  EXPECT_EQ(largest->GetEncoderPaddingText(), "4.095 samples");
}

TEST(StereoModeText, EveryMode) {
  const std::vector<std::string> expected = {"mono",  "stereo", "dual",      "joint",
                                             "force", "auto",   "intensity", "<undefined>"};
  for (int mode = 0; mode < 8; ++mode) {
    // The neighbouring bits all set, to show they are masked off.
    const auto reader = WithTagBytes(MiscIndex, {Byte(0xE3 | (mode << 2))});
    EXPECT_EQ(reader->GetStereoModeText(), expected[static_cast<std::size_t>(mode)]) << mode;
  }
}

TEST(SourceSampleFreqText, EveryValue) {
  const std::vector<std::string> expected = {"32kHz or smaller", "44.1kHz", "48kHz",
                                             "higher than 48kHz"};
  for (int freq = 0; freq < 4; ++freq) {
    const auto reader = WithTagBytes(MiscIndex, {Byte(0x3F | (freq << 6))});
    EXPECT_EQ(reader->GetSourceSampleFreqText(), expected[static_cast<std::size_t>(freq)]) << freq;
  }
}

TEST(MP3GainChangeText, StepsOfOneAndAHalfDecibel) {
  const std::vector<TNumberCase> cases = {
      {0x00, "<none>"}, {0x80, "<none>"},  {0x01, "+1.5dB"},   {0x81, "-1.5dB"},   {0x84, "-6.0dB"},
      {0x03, "+4.5dB"}, {0x07, "+10.5dB"}, {0x7F, "+190.5dB"}, {0xFF, "-190.5dB"},
  };
  for (const TNumberCase& c : cases) {
    EXPECT_EQ(WithTagBytes(MP3GainIndex, {Byte(c.Raw)})->GetMP3GainChangeText(), c.Expected)
        << c.Raw;
  }
}

TEST(SurroundInfoText, EveryValue) {
  const std::vector<std::string> expected = {
      "none",
      "DPL Encoding",
      "DPL2 Encoding",
      "Ambisonic Encoding",
      "<unrecognised value 4>",
      "<unrecognised value 5>",
      "<unrecognised value 6>",
      "<unrecognised value 7>",
  };
  for (int surround = 0; surround < 8; ++surround) {
    // Bits 15-14 and the preset bits set around the three surround bits.
    const auto reader = WithTagBytes(PresetSurroundIndex, {Byte(0xC7 | (surround << 3)), 0xFF});
    EXPECT_EQ(reader->GetSurroundInfoText(), expected[static_cast<std::size_t>(surround)])
        << surround;
  }
}

TEST(MusicLengthText, InBytesWithGrouping) {
  EXPECT_EQ(WithRawTailBytes(MusicLengthIndex, {0, 0, 0, 0})->GetMusicLengthText(),
            "<unknown or larger than 4GB>");
  EXPECT_EQ(WithRawTailBytes(MusicLengthIndex, {0, 0, 0, 1})->GetMusicLengthText(), "1 bytes");
  EXPECT_EQ(WithRawTailBytes(MusicLengthIndex, {0, 0x3A, 0x8C, 0x21})->GetMusicLengthText(),
            "3,836,961 bytes");
  EXPECT_EQ(WithRawTailBytes(MusicLengthIndex, {0x80, 0, 0, 0})->GetMusicLengthText(),
            "2,147,483,648 bytes");
  EXPECT_EQ(WithRawTailBytes(MusicLengthIndex, {0xFF, 0xFF, 0xFF, 0xFF})->GetMusicLengthText(),
            "4,294,967,295 bytes");
}

TEST(CRCTexts, StoredValuesAsFourUpperCaseHexDigits) {
  const auto small = WithRawTailBytes(MusicCRCIndex, {0x00, 0xA3, 0x0B, 0xCD});
  EXPECT_EQ(small->GetMusicCRCText(), "00A3");
  EXPECT_EQ(small->GetInfoTagCRCText(), "0BCD");
  const auto large = WithRawTailBytes(MusicCRCIndex, {0xFF, 0xFF, 0xFE, 0xDC});
  EXPECT_EQ(large->GetMusicCRCText(), "FFFF");
  EXPECT_EQ(large->GetInfoTagCRCText(), "FEDC");
}

TEST(CRCTexts, RecomputedValuesMatchTheStoredOnes) {
  TTagFileBuilder builder;
  builder.Version("LAME3.99r");
  const TBytes file = builder.Build();
  const auto reader = Open(file);
  // The builder stores the right CRCs, so both pairs must agree.
  EXPECT_EQ(reader->GetActualMusicCRCText(), reader->GetMusicCRCText());
  EXPECT_EQ(reader->GetActualInfoTagCRCText(), reader->GetInfoTagCRCText());
  EXPECT_NE(reader->GetActualInfoTagCRCText(), "0000");
}

TEST(CRCTexts, ZeroWhenNotComputedOrNoTag) {
  TTagFileBuilder builder;
  builder.Version("LAME3.99r");
  const auto notComputed = Open(builder.Build(), Comma, false);
  EXPECT_EQ(notComputed->GetActualMusicCRCText(), "0000");
  EXPECT_EQ(notComputed->GetActualInfoTagCRCText(), "0000");

  builder.Magic = "info";
  const auto noTag = Open(builder.Build());
  EXPECT_EQ(noTag->GetActualMusicCRCText(), "0000");
  EXPECT_EQ(noTag->GetActualInfoTagCRCText(), "0000");
}

TEST(ReplayGainTexts, FromTheTagWords) {
  TTagFileBuilder builder;
  // Peak 1.0 as an integer scaled by 2^23; track -6.7dB automatic; album
  // +0.5dB by the user.
  builder.Version("LAME3.99r")
      .Set(12, {0x00, 0x80, 0x00, 0x00})
      .Set(16, {0x2E, 0x43})
      .Set(18, {0x48, 0x05});
  TDescriptiveReplayGain texts;
  Open(builder.Build(), FullStop)->GetReplayGainTexts(texts);
  EXPECT_EQ(texts.PeakText, "1,000000");
  EXPECT_EQ(texts.TrackGainText, "-6.7dB (determined automatically)");
  EXPECT_EQ(texts.AlbumGainText, "+0.5dB (set by user)");

  Open(builder.Build(), Comma)->GetReplayGainTexts(texts);
  EXPECT_EQ(texts.PeakText, "1.000000");
}

TEST(ReplayGainTexts, EachLineTakesOnlyItsOwnNameCode) {
  TTagFileBuilder builder;
  // Both words carry the album name code.
  builder.Version("LAME3.99r").Set(16, {0x44, 0x10}).Set(18, {0x44, 0x10});
  TDescriptiveReplayGain texts;
  Open(builder.Build())->GetReplayGainTexts(texts);
  EXPECT_EQ(texts.TrackGainText, "<not stored>");
  EXPECT_EQ(texts.AlbumGainText, "+1.6dB (set by artist)");
}

TEST(ReplayGainTexts, AllZeroIsNotStored) {
  TDescriptiveReplayGain texts{"x", "y", "z"};
  WithTagBytes(0, {0})->GetReplayGainTexts(texts);
  EXPECT_EQ(texts.PeakText, "<not stored>");
  EXPECT_EQ(texts.TrackGainText, "<not stored>");
  EXPECT_EQ(texts.AlbumGainText, "<not stored>");
}

TEST(Texts, NoBytePatternMakesAMethodFail) {
  std::mt19937 random(20240611);
  std::uniform_int_distribution<int> byte(0, 255);
  for (int round = 0; round < 300; ++round) {
    TTagFileBuilder builder;
    for (std::uint8_t& b : builder.Tag) {
      b = Byte(round == 0 ? 0xFF : byte(random));
    }
    builder.FixCRCs = round % 2 == 0;
    const auto reader = Open(builder.Build());
    TDescriptiveReplayGain gains;
    EXPECT_NO_THROW({
      reader->GetQualityText();
      reader->GetEncodingMethodText();
      reader->GetLowpassText();
      reader->GetReplayGainTexts(gains);
      reader->GetBitrateText();
      reader->GetEncoderDelayText();
      reader->GetEncoderPaddingText();
      reader->GetStereoModeText();
      reader->GetSourceSampleFreqText();
      reader->GetMP3GainChangeText();
      reader->GetSurroundInfoText();
      reader->GetMusicLengthText();
      reader->GetPresetText();
      reader->GetPresetGuessText();
      reader->GetPresetStatus();
    });
    EXPECT_FALSE(gains.PeakText.empty());
    EXPECT_FALSE(reader->GetPresetText().empty());
  }
}

TEST(YesNoText, BothValues) {
  EXPECT_EQ(YesNoText(false), "no");
  EXPECT_EQ(YesNoText(true), "yes");
}

TEST(SignChar, BothValues) {
  EXPECT_EQ(SignChar(false), "+");
  EXPECT_EQ(SignChar(true), "-");
}

TEST(FormatThousands, GroupsOfThreeFromTheRight) {
  EXPECT_EQ(FormatThousands(0, ","), "0");
  EXPECT_EQ(FormatThousands(576, ","), "576");
  EXPECT_EQ(FormatThousands(999, ","), "999");
  EXPECT_EQ(FormatThousands(1000, ","), "1,000");
  EXPECT_EQ(FormatThousands(1105, ","), "1,105");
  EXPECT_EQ(FormatThousands(100000, ","), "100,000");
  EXPECT_EQ(FormatThousands(999999, ","), "999,999");
  EXPECT_EQ(FormatThousands(1000000, ","), "1,000,000");
  EXPECT_EQ(FormatThousands(4194304, ","), "4,194,304");
  EXPECT_EQ(FormatThousands(4294967295u, ","), "4,294,967,295");
}

TEST(FormatThousands, TakesTheSeparatorAsGiven) {
  EXPECT_EQ(FormatThousands(4194304, "."), "4.194.304");
  EXPECT_EQ(FormatThousands(4194304, ""), "4194304");
  // A one-character separator that takes two bytes in UTF-8.
  EXPECT_EQ(FormatThousands(4194304, "\xC2\xA0"),
            "4\xC2\xA0"
            "194\xC2\xA0"
            "304");
}

}  // namespace
}  // namespace kestrix
