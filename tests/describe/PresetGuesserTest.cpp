#include "describe/PresetGuesser.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace kestrix {
namespace {

// The documented preset table, kept here as written there so a slip in
// the library's copy shows up.
struct TDocumentedRow {
  std::vector<int> Groups;
  int Bitrate, Quality, Method, NoiseShaping, StereoMode, ATHType, Lowpass, Guess;
};

const std::vector<TDocumentedRow> DocumentedTable = {
    {{0}, 255, 58, 1, 1, 3, 2, 205, 0},     {{1, 3}, 255, 58, 1, 1, 3, 2, 206, 0},
    {{4}, 255, 57, 1, 1, 3, 4, 205, 0},     {{0}, 0, 78, 3, 2, 3, 2, 195, 1},
    {{1}, 0, 78, 3, 2, 3, 2, 196, 1},       {{3}, 0, 78, 3, 1, 3, 2, 196, 1},
    {{0}, 0, 78, 4, 2, 3, 2, 195, 2},       {{1, 3}, 0, 78, 4, 2, 3, 2, 196, 2},
    {{0, 1}, 0, 78, 3, 2, 3, 4, 190, 3},    {{3}, 0, 78, 3, 1, 3, 4, 190, 3},
    {{0, 1, 3}, 0, 78, 4, 2, 3, 4, 190, 4}, {{3}, 0, 68, 3, 2, 3, 4, 180, 5},
    {{3}, 0, 68, 4, 2, 3, 4, 180, 6},       {{0}, 0, 88, 4, 1, 3, 3, 195, 7},
    {{1, 3}, 0, 88, 4, 1, 3, 3, 196, 7},    {{0, 1}, 255, 99, 1, 1, 1, 2, 0, 8},
    {{3}, 255, 58, 2, 1, 3, 2, 206, 8},     {{2}, 255, 58, 2, 1, 3, 2, 205, 8},
    {{4}, 255, 57, 2, 1, 3, 4, 205, 8},     {{0, 1}, 192, 88, 1, 1, 1, 2, 0, 9},
    {{3}, 192, 58, 2, 2, 3, 2, 196, 9},     {{2}, 192, 58, 2, 2, 3, 2, 195, 9},
    {{4}, 192, 57, 2, 1, 3, 4, 195, 9},     {{0, 1}, 160, 78, 1, 1, 3, 2, 180, 10},
    {{2, 3}, 160, 58, 2, 2, 3, 2, 180, 10}, {{4}, 160, 57, 2, 1, 3, 4, 180, 10},
    {{0, 1}, 128, 67, 1, 1, 3, 2, 180, 11}, {{0, 1}, 128, 67, 1, 1, 3, 2, 150, 12},
    {{0, 1}, 112, 67, 1, 1, 3, 2, 150, 13}, {{2, 3}, 112, 58, 2, 2, 3, 2, 160, 14},
    {{4}, 112, 57, 2, 1, 3, 4, 160, 14},    {{2, 3}, 56, 58, 2, 2, 0, 2, 100, 15},
    {{4}, 56, 57, 2, 1, 0, 4, 150, 15},     {{0}, 40, 65, 1, 1, 0, 2, 75, 16},
    {{1}, 40, 65, 1, 1, 0, 2, 76, 16},      {{2, 3}, 40, 58, 2, 2, 0, 2, 70, 16},
    {{4}, 40, 57, 2, 1, 0, 4, 105, 16},     {{3}, 24, 58, 2, 2, 0, 2, 40, 17},
    {{2}, 24, 58, 2, 2, 0, 2, 39, 17},      {{4}, 24, 57, 2, 1, 0, 4, 59, 17},
    {{3}, 16, 58, 2, 2, 0, 2, 38, 18},      {{2}, 16, 58, 2, 2, 0, 2, 37, 18},
    {{4}, 16, 57, 2, 1, 0, 4, 56, 18},
};

std::uint8_t GroupMask(const std::vector<int>& Groups) {
  unsigned mask = 0;
  for (int group : Groups) {
    mask |= 1u << group;
  }
  return static_cast<std::uint8_t>(mask);
}

TPresetValues ValuesOf(const TPresetRow& Row) {
  return {Row.Bitrate,    Row.Quality, Row.EncodingMethod, Row.NoiseShaping,
          Row.StereoMode, Row.ATHType, Row.LowpassByte};
}

struct TGuessResult {
  std::uint8_t Index;
  bool Modified;
};

TGuessResult Guess(const std::string& Version, const TPresetValues& Values) {
  bool modified = true;  // must be overwritten
  const std::uint8_t index = GuessPreset(Version, Values, modified);
  return {index, modified};
}

// Table rows by their documented number (1-based).
const TPresetRow& Row(std::size_t Number) {
  return PresetTable.at(Number - 1);
}

TPresetValues WithBitrate(TPresetValues Values, std::uint8_t Bitrate) {
  Values.Bitrate = Bitrate;
  return Values;
}

// Version texts that make GuessPreset search each version group.
const std::vector<std::vector<std::string>> VersionsOfGroup = {
    {"3.90 ", "3.90a", "3.92 "},  // 0
    {"3.91 ", "3.90."},           // 1
    {"3.93 "},                    // 2, after group 3 found nothing
    {"3.93 ", "3.90."},           // 3, for "3.90." after group 1
    {"3.94b", "3.97 ", "4.0"},    // 4
};

TEST(PresetTable, MatchesTheDocumentedTableRowByRow) {
  ASSERT_EQ(PresetTable.size(), DocumentedTable.size());
  for (std::size_t i = 0; i < PresetTable.size(); ++i) {
    SCOPED_TRACE("row " + std::to_string(i + 1));
    const TPresetRow& row = PresetTable[i];
    const TDocumentedRow& documented = DocumentedTable[i];
    EXPECT_EQ(row.VersionGroups, GroupMask(documented.Groups));
    EXPECT_EQ(row.Bitrate, documented.Bitrate);
    EXPECT_EQ(row.Quality, documented.Quality);
    EXPECT_EQ(row.EncodingMethod, documented.Method);
    EXPECT_EQ(row.NoiseShaping, documented.NoiseShaping);
    EXPECT_EQ(row.StereoMode, documented.StereoMode);
    EXPECT_EQ(row.ATHType, documented.ATHType);
    EXPECT_EQ(row.LowpassByte, documented.Lowpass);
    EXPECT_EQ(row.Guess, documented.Guess);
  }
}

TEST(PresetTable, EveryRowIsReachedByAFullMatchInEachOfItsGroups) {
  for (std::size_t i = 0; i < PresetTable.size(); ++i) {
    const TPresetRow& row = PresetTable[i];
    for (unsigned group = 0; group < VersionsOfGroup.size(); ++group) {
      if ((row.VersionGroups & (1u << group)) == 0) {
        continue;
      }
      // No earlier row of the group may take the same values first.
      const TPresetGuess earlier = MatchGroup(PresetTable.data(), i, group, ValuesOf(row));
      EXPECT_FALSE(earlier.Index != NoPresetGuess && !earlier.Modified)
          << "row " << i + 1 << " is shadowed in group " << group;
      for (const std::string& version : VersionsOfGroup[group]) {
        SCOPED_TRACE("row " + std::to_string(i + 1) + ", version '" + version + "'");
        const TGuessResult guess = Guess(version, ValuesOf(row));
        EXPECT_EQ(guess.Index, row.Guess);
        EXPECT_FALSE(guess.Modified);
      }
    }
  }
}

// One case per version rule, each with values that only the rule's own
// groups can match.
struct TVersionCase {
  std::string Version;
  std::size_t Row;  // documented row number whose values are used
  std::uint8_t Expected;
};

void PrintTo(const TVersionCase& Case, std::ostream* Out) {
  *Out << "version '" << Case.Version << "', values of row " << Case.Row;
}

class VersionRule : public testing::TestWithParam<TVersionCase> {};

TEST_P(VersionRule, SearchesTheRightGroups) {
  const TVersionCase& c = GetParam();
  const TGuessResult guess = Guess(c.Version, ValuesOf(Row(c.Row)));
  EXPECT_EQ(guess.Index, c.Expected);
  EXPECT_FALSE(guess.Modified);
}

INSTANTIATE_TEST_SUITE_P(
    PresetGuesser, VersionRule,
    testing::Values(
        // 1: 3.90 with anything but a full stop searches group 0 only.
        TVersionCase{"3.90 ", 4, 1}, TVersionCase{"3.90a", 4, 1}, TVersionCase{"3.90", 4, 1},
        TVersionCase{"3.90.1", 4, 1}, TVersionCase{"3.90 ", 5, NoPresetGuess},
        // 2: 3.92 searches group 0.
        TVersionCase{"3.92 ", 7, 2}, TVersionCase{"3.92 ", 6, NoPresetGuess},
        // 3: "3.90." searches group 1, then group 3.
        TVersionCase{"3.90.", 5, 1}, TVersionCase{"3.90.", 6, 1},
        TVersionCase{"3.90.", 4, NoPresetGuess}, TVersionCase{"3.90.", 18, NoPresetGuess},
        // 4: 3.91 searches group 1 only.
        TVersionCase{"3.91 ", 35, 16}, TVersionCase{"3.91 ", 34, NoPresetGuess},
        TVersionCase{"3.91 ", 6, NoPresetGuess},
        // 5: 3.93 searches group 3, then group 2.
        TVersionCase{"3.93 ", 38, 17}, TVersionCase{"3.93 ", 39, 17},
        TVersionCase{"3.93 ", 5, NoPresetGuess}, TVersionCase{"3.93 ", 40, NoPresetGuess},
        // 6: every first four characters from "3.94" on search group 4.
        TVersionCase{"3.94", 43, 18}, TVersionCase{"3.94b", 43, 18}, TVersionCase{"3.99r", 43, 18},
        TVersionCase{"4.0", 43, 18}, TVersionCase{"\xC0\x01", 43, 18},
        TVersionCase{"3.94b", 42, NoPresetGuess},
        // 7: anything else makes no guess.
        TVersionCase{"3.89 ", 4, NoPresetGuess}, TVersionCase{"3.9", 43, NoPresetGuess},
        TVersionCase{"", 4, NoPresetGuess}, TVersionCase{"3.100", 43, NoPresetGuess},
        TVersionCase{"3.93", 43, NoPresetGuess}));

TEST(PresetGuesser, NoGuessAlwaysClearsModified) {
  // A bitrate that makes row 4 a bitrate-free match where its group is searched.
  const TPresetValues values = WithBitrate(ValuesOf(Row(4)), 128);
  EXPECT_TRUE(Guess("3.90 ", values).Modified);
  const TGuessResult none = Guess("3.89 ", values);
  EXPECT_EQ(none.Index, NoPresetGuess);
  EXPECT_FALSE(none.Modified);
}

// The documented examples.

struct TExample {
  const char* Name;
  const char* Version;
  TPresetValues Values;  // bitrate, quality, method, noise shaping, stereo, ATH, lowpass
  std::uint8_t Index;
  bool Modified;
};

class DocumentedExample : public ::testing::TestWithParam<TExample> {};

TEST_P(DocumentedExample, GivesTheDocumentedGuess) {
  const TGuessResult guess = Guess(GetParam().Version, GetParam().Values);
  EXPECT_EQ(guess.Index, GetParam().Index);
  EXPECT_EQ(guess.Modified, GetParam().Modified);
}

INSTANTIATE_TEST_SUITE_P(
    PresetGuesser, DocumentedExample,
    ::testing::Values(
        TExample{"FullMatchOfExtremeOn390", "3.90 ", {0, 78, 3, 2, 3, 2, 195}, 1, false},
        TExample{"OtherBitrateOnAVBRRowIsABitrateFreeMatch",
                 "3.90 ",
                 {128, 78, 3, 2, 3, 2, 195},
                 1,
                 true},
        TExample{"CBRRowIsNeverABitrateFreeMatch",
                 "3.90 ",
                 {254, 58, 1, 1, 3, 2, 205},
                 NoPresetGuess,
                 false},
        TExample{"ABRRowIsNeverABitrateFreeMatch",
                 "3.97 ",
                 {200, 57, 2, 1, 3, 4, 205},
                 NoPresetGuess,
                 false},
        TExample{
            "FullMatchInGroup1DecidesFor390Point", "3.90.", {0, 78, 3, 2, 3, 2, 196}, 1, false},
        TExample{"Group2DecidesFor393WhenGroup3HasNoMatch",
                 "3.93 ",
                 {255, 58, 2, 1, 3, 2, 205},
                 8,
                 false},
        TExample{
            "BitrateFreeMatchInGroup3For390Point", "3.90.", {128, 78, 3, 1, 3, 2, 196}, 1, true}),
    [](const ::testing::TestParamInfo<TExample>& Info) { return std::string(Info.param.Name); });

TEST(PresetGuesser, EachComparedValueMustAgree) {
  const TPresetValues exact = ValuesOf(Row(4));
  ASSERT_EQ(Guess("3.90 ", exact).Index, 1);
  std::uint8_t TPresetValues::*const compared[] = {
      &TPresetValues::Quality,    &TPresetValues::EncodingMethod, &TPresetValues::NoiseShaping,
      &TPresetValues::StereoMode, &TPresetValues::ATHType,        &TPresetValues::LowpassByte};
  constexpr std::uint8_t unusedInEveryColumn = 200;
  for (auto field : compared) {
    TPresetValues changed = exact;
    changed.*field = unusedInEveryColumn;
    EXPECT_EQ(Guess("3.90 ", changed).Index, NoPresetGuess);
  }
}

// The search rules themselves, on small tables of our own: the real table
// has no two rows of one group that agree in their six values.

constexpr std::uint8_t CBR = 1;
constexpr std::uint8_t ABR = 2;
constexpr std::uint8_t VBROld = 3;
constexpr std::uint8_t VBRNew = 4;
constexpr std::uint8_t VBRMT = 5;

TPresetRow MakeRow(std::uint8_t Groups, std::uint8_t Bitrate, std::uint8_t Method,
                   std::uint8_t Guess) {
  return {Groups, Bitrate, 50, Method, 1, 3, 2, 100, Guess};
}

TPresetValues Input(std::uint8_t Bitrate, std::uint8_t Method) {
  return {Bitrate, 50, Method, 1, 3, 2, 100};
}

TPresetGuess Match(const std::vector<TPresetRow>& Rows, unsigned Group,
                   const TPresetValues& Values) {
  return MatchGroup(Rows.data(), Rows.size(), Group, Values);
}

TPresetGuess MatchTwo(const std::vector<TPresetRow>& Rows, const TPresetValues& Values) {
  return MatchTwoGroups(Rows.data(), Rows.size(), 1, 2, Values);
}

constexpr std::uint8_t G1 = 1u << 1;
constexpr std::uint8_t G2 = 1u << 2;

TEST(MatchGroup, FirstFullMatchWins) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 128, CBR, 5), MakeRow(G1, 128, CBR, 6)};
  const TPresetGuess guess = Match(rows, 1, Input(128, CBR));
  EXPECT_EQ(guess.Index, 5);
  EXPECT_FALSE(guess.Modified);
}

TEST(MatchGroup, FullMatchStopsTheWalkBeforeLaterCandidates) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 128, VBROld, 5), MakeRow(G1, 0, VBROld, 6)};
  const TPresetGuess guess = Match(rows, 1, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 5);
  EXPECT_FALSE(guess.Modified);
}

TEST(MatchGroup, FullMatchBeatsAnEarlierCandidate) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 0, VBRNew, 5), MakeRow(G1, 128, VBRNew, 6)};
  const TPresetGuess guess = Match(rows, 1, Input(128, VBRNew));
  EXPECT_EQ(guess.Index, 6);
  EXPECT_FALSE(guess.Modified);
}

TEST(MatchGroup, LastCandidateWins) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 0, VBROld, 5), MakeRow(G1, 0, VBROld, 6),
                                        MakeRow(G1, 0, VBROld, 7)};
  const TPresetGuess guess = Match(rows, 1, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 7);
  EXPECT_TRUE(guess.Modified);
}

TEST(MatchGroup, OnlyTheTwoVBRMethodsGiveCandidates) {
  for (std::uint8_t method : {CBR, ABR, VBRMT}) {
    const std::vector<TPresetRow> rows = {MakeRow(G1, 0, method, 5)};
    const TPresetGuess guess = Match(rows, 1, Input(128, method));
    EXPECT_EQ(guess.Index, NoPresetGuess) << "method " << int(method);
    EXPECT_FALSE(guess.Modified);
  }
}

TEST(MatchGroup, RowsOfOtherGroupsTakeNoPart) {
  const std::vector<TPresetRow> rows = {MakeRow(G2, 128, CBR, 5), MakeRow(G2, 0, VBROld, 6),
                                        MakeRow(G1 | G2, 128, CBR, 7)};
  EXPECT_EQ(Match(rows, 1, Input(128, CBR)).Index, 7);
  EXPECT_EQ(Match(rows, 1, Input(128, VBROld)).Index, NoPresetGuess);
  EXPECT_EQ(Match(rows, 0, Input(128, CBR)).Index, NoPresetGuess);
}

// MatchTwoGroups: the first group is 1, the second 2.

TEST(MatchTwoGroups, NothingInTheFirstGroupTakesTheSecondsFullMatch) {
  const std::vector<TPresetRow> rows = {MakeRow(G2, 128, CBR, 6)};
  const TPresetGuess guess = MatchTwo(rows, Input(128, CBR));
  EXPECT_EQ(guess.Index, 6);
  EXPECT_FALSE(guess.Modified);
}

TEST(MatchTwoGroups, NothingInTheFirstGroupTakesTheSecondsBitrateFreeMatch) {
  const std::vector<TPresetRow> rows = {MakeRow(G2, 0, VBROld, 6)};
  const TPresetGuess guess = MatchTwo(rows, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 6);
  EXPECT_TRUE(guess.Modified);
}

TEST(MatchTwoGroups, NothingInEitherGroupIsNoGuess) {
  const std::vector<TPresetRow> rows = {MakeRow(G1 | G2, 64, CBR, 6)};
  const TPresetGuess guess = MatchTwo(rows, Input(128, CBR));
  EXPECT_EQ(guess.Index, NoPresetGuess);
  EXPECT_FALSE(guess.Modified);
}

TEST(MatchTwoGroups, SecondsFullMatchBeatsFirstsBitrateFreeMatch) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 0, VBROld, 5), MakeRow(G2, 128, VBROld, 6)};
  const TPresetGuess guess = MatchTwo(rows, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 6);
  EXPECT_FALSE(guess.Modified);
}

TEST(MatchTwoGroups, SecondsBitrateFreeMatchBeatsFirstsBitrateFreeMatch) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 0, VBROld, 5), MakeRow(G2, 0, VBROld, 6)};
  const TPresetGuess guess = MatchTwo(rows, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 6);
  EXPECT_TRUE(guess.Modified);
}

TEST(MatchTwoGroups, FirstsBitrateFreeMatchStandsWhenTheSecondHasNothing) {
  const std::vector<TPresetRow> rows = {MakeRow(G1, 0, VBROld, 5), MakeRow(G2, 64, CBR, 6)};
  const TPresetGuess guess = MatchTwo(rows, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 5);
  EXPECT_TRUE(guess.Modified);
}

TEST(MatchTwoGroups, FirstsFullMatchBeatsAnythingInTheSecond) {
  const std::vector<TPresetRow> full = {MakeRow(G1, 128, VBROld, 5), MakeRow(G2, 128, VBROld, 6)};
  TPresetGuess guess = MatchTwo(full, Input(128, VBROld));
  EXPECT_EQ(guess.Index, 5);
  EXPECT_FALSE(guess.Modified);

  const std::vector<TPresetRow> none = {MakeRow(G1, 128, CBR, 5)};
  guess = MatchTwo(none, Input(128, CBR));
  EXPECT_EQ(guess.Index, 5);
  EXPECT_FALSE(guess.Modified);
}

}  // namespace
}  // namespace kestrix
