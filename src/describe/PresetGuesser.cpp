#include "describe/PresetGuesser.h"

namespace kestrix {

namespace {

// Bit mask of the version groups a row applies to.
template <typename... TGroups>
constexpr std::uint8_t Groups(TGroups... groups) {
  return static_cast<std::uint8_t>(((1u << groups) | ...));
}

constexpr unsigned VersionGroupCount = 5;

// The encoding methods whose presets leave the bitrate free (-b sets only
// the minimum), so a row of theirs still fits when the bitrate differs.
constexpr std::uint8_t MethodVBROld = 3;
constexpr std::uint8_t MethodVBRNew = 4;

// Version groups, by the encoder versions that search them.
constexpr unsigned Group390 = 0;     // 3.90 (not "3.90."), 3.92
constexpr unsigned Group391 = 1;     // "3.90.", 3.91
constexpr unsigned Group393ABR = 2;  // 3.93, when group 3 finds nothing better
constexpr unsigned Group393 = 3;     // 3.93; "3.90." when group 1 finds nothing better
constexpr unsigned Group394 = 4;     // 3.94 and every later version text

constexpr std::size_t VersionPrefixLength = 4;

}  // namespace

// Groups | Bitrate | Quality | Method | Noise shaping | Stereo mode | ATH type | Lowpass | Guess
constexpr std::array<TPresetRow, 43> PresetTable = {{
    {Groups(0), 255, 58, 1, 1, 3, 2, 205, 0},     {Groups(1, 3), 255, 58, 1, 1, 3, 2, 206, 0},
    {Groups(4), 255, 57, 1, 1, 3, 4, 205, 0},     {Groups(0), 0, 78, 3, 2, 3, 2, 195, 1},
    {Groups(1), 0, 78, 3, 2, 3, 2, 196, 1},       {Groups(3), 0, 78, 3, 1, 3, 2, 196, 1},
    {Groups(0), 0, 78, 4, 2, 3, 2, 195, 2},       {Groups(1, 3), 0, 78, 4, 2, 3, 2, 196, 2},
    {Groups(0, 1), 0, 78, 3, 2, 3, 4, 190, 3},    {Groups(3), 0, 78, 3, 1, 3, 4, 190, 3},
    {Groups(0, 1, 3), 0, 78, 4, 2, 3, 4, 190, 4}, {Groups(3), 0, 68, 3, 2, 3, 4, 180, 5},
    {Groups(3), 0, 68, 4, 2, 3, 4, 180, 6},       {Groups(0), 0, 88, 4, 1, 3, 3, 195, 7},
    {Groups(1, 3), 0, 88, 4, 1, 3, 3, 196, 7},    {Groups(0, 1), 255, 99, 1, 1, 1, 2, 0, 8},
    {Groups(3), 255, 58, 2, 1, 3, 2, 206, 8},     {Groups(2), 255, 58, 2, 1, 3, 2, 205, 8},
    {Groups(4), 255, 57, 2, 1, 3, 4, 205, 8},     {Groups(0, 1), 192, 88, 1, 1, 1, 2, 0, 9},
    {Groups(3), 192, 58, 2, 2, 3, 2, 196, 9},     {Groups(2), 192, 58, 2, 2, 3, 2, 195, 9},
    {Groups(4), 192, 57, 2, 1, 3, 4, 195, 9},     {Groups(0, 1), 160, 78, 1, 1, 3, 2, 180, 10},
    {Groups(2, 3), 160, 58, 2, 2, 3, 2, 180, 10}, {Groups(4), 160, 57, 2, 1, 3, 4, 180, 10},
    {Groups(0, 1), 128, 67, 1, 1, 3, 2, 180, 11}, {Groups(0, 1), 128, 67, 1, 1, 3, 2, 150, 12},
    {Groups(0, 1), 112, 67, 1, 1, 3, 2, 150, 13}, {Groups(2, 3), 112, 58, 2, 2, 3, 2, 160, 14},
    {Groups(4), 112, 57, 2, 1, 3, 4, 160, 14},    {Groups(2, 3), 56, 58, 2, 2, 0, 2, 100, 15},
    {Groups(4), 56, 57, 2, 1, 0, 4, 150, 15},     {Groups(0), 40, 65, 1, 1, 0, 2, 75, 16},
    {Groups(1), 40, 65, 1, 1, 0, 2, 76, 16},      {Groups(2, 3), 40, 58, 2, 2, 0, 2, 70, 16},
    {Groups(4), 40, 57, 2, 1, 0, 4, 105, 16},     {Groups(3), 24, 58, 2, 2, 0, 2, 40, 17},
    {Groups(2), 24, 58, 2, 2, 0, 2, 39, 17},      {Groups(4), 24, 57, 2, 1, 0, 4, 59, 17},
    {Groups(3), 16, 58, 2, 2, 0, 2, 38, 18},      {Groups(2), 16, 58, 2, 2, 0, 2, 37, 18},
    {Groups(4), 16, 57, 2, 1, 0, 4, 56, 18},
}};

namespace {

constexpr bool TableIsWellFormed() {
  for (const TPresetRow& row : PresetTable) {
    if (row.VersionGroups == 0 || (row.VersionGroups >> VersionGroupCount) != 0 ||
        row.Guess >= NoPresetGuess) {
      return false;
    }
  }
  return true;
}
static_assert(TableIsWellFormed(), "every row names known groups and a real guess");

bool InGroup(const TPresetRow& Row, unsigned Group) {
  return ((Row.VersionGroups >> Group) & 1u) != 0;
}

bool SameApartFromBitrate(const TPresetRow& Row, const TPresetValues& Values) {
  return Row.Quality == Values.Quality && Row.EncodingMethod == Values.EncodingMethod &&
         Row.NoiseShaping == Values.NoiseShaping && Row.StereoMode == Values.StereoMode &&
         Row.ATHType == Values.ATHType && Row.LowpassByte == Values.LowpassByte;
}

bool LeavesBitrateFree(const TPresetRow& Row) {
  return Row.EncodingMethod == MethodVBROld || Row.EncodingMethod == MethodVBRNew;
}

TPresetGuess SearchGroup(unsigned Group, const TPresetValues& Values) {
  return MatchGroup(PresetTable.data(), PresetTable.size(), Group, Values);
}

TPresetGuess SearchTwoGroups(unsigned FirstGroup, unsigned SecondGroup,
                             const TPresetValues& Values) {
  return MatchTwoGroups(PresetTable.data(), PresetTable.size(), FirstGroup, SecondGroup, Values);
}

// std::string compares its bytes as unsigned char, a proper prefix first.
bool OrdinalLess(const std::string& A, const std::string& B) {
  return A.compare(B) < 0;
}

TPresetGuess GuessForVersion(const std::string& Version, const TPresetValues& Values) {
  const std::string prefix = Version.substr(0, VersionPrefixLength);
  if (prefix == "3.90" && Version != "3.90.") {
    return SearchGroup(Group390, Values);
  }
  if (prefix == "3.92") {
    return SearchGroup(Group390, Values);
  }
  if (Version == "3.90.") {
    return SearchTwoGroups(Group391, Group393, Values);
  }
  if (prefix == "3.91") {
    return SearchGroup(Group391, Values);
  }
  if (prefix == "3.93") {
    return SearchTwoGroups(Group393, Group393ABR, Values);
  }
  if (!OrdinalLess(prefix, "3.94")) {
    return SearchGroup(Group394, Values);
  }
  return {};
}

}  // namespace

TPresetGuess MatchGroup(const TPresetRow* Rows, std::size_t RowCount, unsigned Group,
                        const TPresetValues& Values) {
  std::uint8_t candidate = NoPresetGuess;
  for (std::size_t i = 0; i < RowCount; ++i) {
    const TPresetRow& row = Rows[i];
    if (!InGroup(row, Group) || !SameApartFromBitrate(row, Values)) {
      continue;
    }
    if (row.Bitrate == Values.Bitrate) {
      return {row.Guess, false};
    }
    if (LeavesBitrateFree(row)) {
      candidate = row.Guess;  // a later one wins
    }
  }
  if (candidate != NoPresetGuess) {
    return {candidate, true};
  }
  return {};
}

TPresetGuess MatchTwoGroups(const TPresetRow* Rows, std::size_t RowCount, unsigned FirstGroup,
                            unsigned SecondGroup, const TPresetValues& Values) {
  const TPresetGuess first = MatchGroup(Rows, RowCount, FirstGroup, Values);
  const TPresetGuess second = MatchGroup(Rows, RowCount, SecondGroup, Values);
  if (first.Index == NoPresetGuess) {
    return second;
  }
  // Any match of the second group beats a bitrate-free one of the first.
  if (first.Modified && second.Index != NoPresetGuess) {
    return second;
  }
  return first;
}

std::uint8_t GuessPreset(const std::string& Version, const TPresetValues& Values, bool& Modified) {
  const TPresetGuess guess = GuessForVersion(Version, Values);
  Modified = guess.Modified;
  return guess.Index;
}

}  // namespace kestrix
