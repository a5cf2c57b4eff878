#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "describe/DescriptiveKestrixReader.h"
#include "support/TestFiles.h"

namespace kestrix {
namespace {

using test::TMemoryStream;
using test::TTagFileBuilder;

using namespace test::tagindex;

// The tag values that the preset guesser looks at.
struct TGuessValues {
  std::uint8_t Bitrate, Quality, Method, NoiseShaping, StereoMode, ATHType, Lowpass;
};

// Values of table row 4 ("[alt-]preset extreme" on 3.90) and of row 27
// ("preset tape", a CBR row on 3.90 to 3.92).
constexpr TGuessValues ExtremeOn390{0, 78, 3, 2, 3, 2, 195};
constexpr TGuessValues TapeOn390{128, 67, 1, 1, 3, 2, 180};

std::unique_ptr<TDescriptiveKestrixReader> Tag(const std::string& Version, int Preset,
                                               const TGuessValues& Values) {
  TTagFileBuilder builder;
  builder.Version("LAME" + Version)
      .Set(QualityIndex, {Values.Quality})
      .Set(RevisionMethodIndex, {Values.Method})
      .Set(LowpassIndex, {Values.Lowpass})
      .Set(FlagsATHIndex, {Values.ATHType})
      .Set(BitrateIndex, {Values.Bitrate})
      .Set(MiscIndex, {static_cast<std::uint8_t>((Values.StereoMode << 2) | Values.NoiseShaping)})
      .Set(PresetSurroundIndex,
           {static_cast<std::uint8_t>(Preset >> 8), static_cast<std::uint8_t>(Preset & 0xFF)});
  TMemoryStream stream(builder.Build());
  bool tagFound = false;
  auto reader = std::make_unique<TDescriptiveKestrixReader>(test::ReadLameTag(stream, true, tagFound),
                                                            platform::TNumberSeparators{",", "."});
  EXPECT_TRUE(tagFound);
  return reader;
}

TGuessValues WithMethod(TGuessValues Values, std::uint8_t Method) {
  Values.Method = Method;
  return Values;
}

TGuessValues WithBitrate(TGuessValues Values, std::uint8_t Bitrate) {
  Values.Bitrate = Bitrate;
  return Values;
}

TEST(PresetText, NothingStoredAndNoVersionGroup) {
  const auto reader = Tag("3.89 ", 0, ExtremeOn390);
  EXPECT_EQ(reader->GetPresetStatus(), psUnableToGuess);
  EXPECT_EQ(reader->GetPresetText(), "<not stored>");
  EXPECT_EQ(reader->GetPresetGuessText(), "");
  EXPECT_FALSE(reader->GetPresetGuessModified());
}

TEST(PresetText, NothingStoredAndAFullMatch) {
  const auto reader = Tag("3.90 ", 0, ExtremeOn390);
  EXPECT_EQ(reader->GetPresetStatus(), psGuessed);
  EXPECT_EQ(reader->GetPresetText(), "<not stored>");
  EXPECT_EQ(reader->GetPresetGuessText(), "[alt-]preset extreme");
  EXPECT_FALSE(reader->GetPresetGuessModified());
}

TEST(PresetText, BitrateFreeMatchOffersTheModifiedCommandLine) {
  const auto reader = Tag("3.90 ", 0, WithBitrate(ExtremeOn390, 128));
  EXPECT_EQ(reader->GetPresetStatus(), psGuessed);
  EXPECT_TRUE(reader->GetPresetGuessModified());
  EXPECT_EQ(reader->GetPresetGuessText(), "[alt-]preset extreme -b 128");
  EXPECT_EQ(Tag("3.90 ", 0, WithBitrate(ExtremeOn390, 255))->GetPresetGuessText(),
            "[alt-]preset extreme -b 255");
}

TEST(PresetText, FirstQueryDecidesNothingAboutTheResult) {
  // The cached evaluation gives the same answers whichever query runs first.
  const auto a = Tag("3.90 ", 0, WithBitrate(ExtremeOn390, 64));
  EXPECT_EQ(a->GetPresetGuessText(), "[alt-]preset extreme -b 64");
  EXPECT_EQ(a->GetPresetStatus(), psGuessed);
  EXPECT_EQ(a->GetPresetText(), "<not stored>");
  EXPECT_EQ(a->GetPresetGuessText(), "[alt-]preset extreme -b 64");
  const auto b = Tag("3.90 ", 0, WithBitrate(ExtremeOn390, 64));
  EXPECT_TRUE(b->GetPresetGuessModified());
  EXPECT_EQ(b->GetPresetGuessText(), "[alt-]preset extreme -b 64");
}

TEST(PresetText, StoredBitrateWithCBR) {
  const auto guessed = Tag("3.90 ", 128, TapeOn390);
  EXPECT_EQ(guessed->GetPresetText(), "cbr 128");
  EXPECT_EQ(guessed->GetPresetStatus(), psGuessed);
  EXPECT_EQ(guessed->GetPresetGuessText(), "preset tape");

  // A stored value is there, so no guess is just the plain line.
  const auto unguessed = Tag("3.89 ", 128, TapeOn390);
  EXPECT_EQ(unguessed->GetPresetText(), "cbr 128");
  EXPECT_EQ(unguessed->GetPresetStatus(), psPlain);
  EXPECT_EQ(unguessed->GetPresetGuessText(), "");
}

TEST(PresetText, StoredBitrateRange) {
  const TGuessValues abr = WithMethod(TapeOn390, 2);
  EXPECT_EQ(Tag("3.89 ", 128, abr)->GetPresetText(), "128");
  EXPECT_EQ(Tag("3.89 ", 8, abr)->GetPresetText(), "8");
  EXPECT_EQ(Tag("3.89 ", 320, abr)->GetPresetText(), "320");
  EXPECT_EQ(Tag("3.89 ", 8, TapeOn390)->GetPresetText(), "cbr 8");
  EXPECT_EQ(Tag("3.89 ", 320, TapeOn390)->GetPresetText(), "cbr 320");
  EXPECT_EQ(Tag("3.89 ", 7, TapeOn390)->GetPresetText(), "<unrecognised value 7>");
  EXPECT_EQ(Tag("3.89 ", 321, TapeOn390)->GetPresetText(), "<unrecognised value 321>");
}

TEST(PresetText, UnrecognisedValuesAskForAGuess) {
  for (int preset : {1, 7, 321, 409, 415, 501, 999, 1008, 1009, 1011, 1014, 1016, 2047}) {
    SCOPED_TRACE(preset);
    const auto guessed = Tag("3.90 ", preset, ExtremeOn390);
    EXPECT_EQ(guessed->GetPresetText(), "<unrecognised value " + std::to_string(preset) + ">");
    EXPECT_EQ(guessed->GetPresetStatus(), psGuessed);
    EXPECT_EQ(guessed->GetPresetGuessText(), "[alt-]preset extreme");

    const auto unguessed = Tag("3.89 ", preset, ExtremeOn390);
    EXPECT_EQ(unguessed->GetPresetStatus(), psPlain);
    EXPECT_EQ(unguessed->GetPresetGuessText(), "");
  }
}

struct TNamedPreset {
  int Value;
  std::string Text;
};

const std::vector<TNamedPreset> NamedPresets = {
    {410, "V9"},
    {420, "V8"},
    {430, "V7"},
    {440, "V6"},
    {450, "V5"},
    {460, "V4: preset medium"},
    {470, "V3"},
    {480, "V2: preset standard"},
    {490, "V1"},
    {500, "V0: preset extreme"},
    {1000, "r3mix"},
    {1001, "[alt-]preset standard"},
    {1002, "[alt-]preset extreme"},
    {1003, "[alt-]preset insane"},
    {1004, "[alt-]preset fast standard"},
    {1005, "[alt-]preset fast extreme"},
    {1006, "preset medium"},
    {1007, "preset fast medium"},
    {1010, "preset portable"},
    {1015, "preset radio"},
};

TEST(PresetText, NamedValuesNeverAskForAGuess) {
  for (const TNamedPreset& named : NamedPresets) {
    SCOPED_TRACE(named.Value);
    // Values that would give a bitrate-free guess, were one wanted.
    const auto reader = Tag("3.90 ", named.Value, WithBitrate(ExtremeOn390, 128));
    EXPECT_EQ(reader->GetPresetText(), named.Text);
    EXPECT_EQ(reader->GetPresetStatus(), psPlain);
    EXPECT_EQ(reader->GetPresetGuessText(), "");
    EXPECT_FALSE(reader->GetPresetGuessModified());
  }
}

TEST(PresetText, FastModeOnlyForTheVStepsWithTheNewVBRMethod) {
  const TGuessValues vbrNew = WithMethod(ExtremeOn390, 4);
  for (const TNamedPreset& named : NamedPresets) {
    SCOPED_TRACE(named.Value);
    const bool isVStep = named.Value <= 500;
    EXPECT_EQ(Tag("3.90 ", named.Value, vbrNew)->GetPresetText(),
              isVStep ? named.Text + " (fast mode)" : named.Text);
  }
  EXPECT_EQ(Tag("3.90 ", 480, ExtremeOn390)->GetPresetText(), "V2: preset standard");
  EXPECT_EQ(Tag("3.90 ", 480, WithMethod(ExtremeOn390, 5))->GetPresetText(), "V2: preset standard");
  // Between the steps nothing is named and nothing is appended.
  EXPECT_EQ(Tag("3.90 ", 485, vbrNew)->GetPresetText(), "<unrecognised value 485>");
}

TEST(PresetText, HighBitsOfThePresetWordAreNotPartOfIt) {
  // Bits 15-14 and the surround bits set around preset 480.
  const int word = 0xC000 | (7 << 11) | 480;
  const auto reader = Tag("3.90 ", word, WithMethod(ExtremeOn390, 4));
  EXPECT_EQ(reader->GetPresetText(), "V2: preset standard (fast mode)");
}

TEST(PresetText, EveryGuessIndexHasItsName) {
  // One tag per guess index, from a table row that yields it.
  struct TGuessCase {
    std::string Version;
    TGuessValues Values;
    std::string Name;
  };
  const std::vector<TGuessCase> cases = {
      {"3.90 ", {255, 58, 1, 1, 3, 2, 205}, "[alt-]preset insane"},
      {"3.90 ", {0, 78, 3, 2, 3, 2, 195}, "[alt-]preset extreme"},
      {"3.90 ", {0, 78, 4, 2, 3, 2, 195}, "[alt-]preset fast extreme"},
      {"3.90 ", {0, 78, 3, 2, 3, 4, 190}, "[alt-]preset standard"},
      {"3.90 ", {0, 78, 4, 2, 3, 4, 190}, "[alt-]preset fast standard"},
      {"3.93 ", {0, 68, 3, 2, 3, 4, 180}, "preset medium"},
      {"3.93 ", {0, 68, 4, 2, 3, 4, 180}, "preset fast medium"},
      {"3.90 ", {0, 88, 4, 1, 3, 3, 195}, "r3mix"},
      {"3.90 ", {255, 99, 1, 1, 1, 2, 0}, "preset studio"},
      {"3.90 ", {192, 88, 1, 1, 1, 2, 0}, "preset cd"},
      {"3.90 ", {160, 78, 1, 1, 3, 2, 180}, "preset hifi"},
      {"3.90 ", {128, 67, 1, 1, 3, 2, 180}, "preset tape"},
      {"3.90 ", {128, 67, 1, 1, 3, 2, 150}, "preset radio"},
      {"3.90 ", {112, 67, 1, 1, 3, 2, 150}, "preset fm"},
      {"3.93 ", {112, 58, 2, 2, 3, 2, 160}, "preset tape OR preset radio OR preset fm"},
      {"3.93 ", {56, 58, 2, 2, 0, 2, 100}, "preset voice"},
      {"3.90 ", {40, 65, 1, 1, 0, 2, 75}, "preset mw-us"},
      {"3.93 ", {24, 58, 2, 2, 0, 2, 40}, "preset phon+ OR preset lw OR preset mw-eu OR preset sw"},
      {"3.93 ", {16, 58, 2, 2, 0, 2, 38}, "preset phone"},
  };
  for (const TGuessCase& c : cases) {
    const auto reader = Tag(c.Version, 0, c.Values);
    EXPECT_EQ(reader->GetPresetGuessText(), c.Name);
    EXPECT_EQ(reader->GetPresetStatus(), psGuessed) << c.Name;
  }
}

}  // namespace
}  // namespace kestrix
