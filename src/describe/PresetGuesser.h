#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// Guesses the LAME preset of a file from the values its presets leave in
// the tag. Knows nothing of files.
namespace kestrix {

// Guess indexes 0..18 name a preset; this one means no guess.
inline constexpr std::uint8_t NoPresetGuess = 19;

struct TPresetRow {
  std::uint8_t VersionGroups;  // bit g set: the row applies to version group g
  std::uint8_t Bitrate;
  std::uint8_t Quality;
  std::uint8_t EncodingMethod;
  std::uint8_t NoiseShaping;
  std::uint8_t StereoMode;
  std::uint8_t ATHType;
  std::uint8_t LowpassByte;
  std::uint8_t Guess;
};

extern const std::array<TPresetRow, 43> PresetTable;

// The tag values a row is compared with.
struct TPresetValues {
  std::uint8_t Bitrate;
  std::uint8_t Quality;
  std::uint8_t EncodingMethod;
  std::uint8_t NoiseShaping;
  std::uint8_t StereoMode;
  std::uint8_t ATHType;
  std::uint8_t LowpassByte;  // units of 100 Hz, as stored
};

struct TPresetGuess {
  std::uint8_t Index = NoPresetGuess;
  bool Modified = false;  // matched everything but the bitrate
};

// The guess index for the tag's version text and values. Modified becomes
// true when the guess matched everything but the bitrate.
std::uint8_t GuessPreset(const std::string& Version, const TPresetValues& Values, bool& Modified);

// The search steps of GuessPreset over any rows, so their rules can be
// checked on tables that the real one cannot express.
TPresetGuess MatchGroup(const TPresetRow* Rows, std::size_t RowCount, unsigned Group,
                        const TPresetValues& Values);
TPresetGuess MatchTwoGroups(const TPresetRow* Rows, std::size_t RowCount, unsigned FirstGroup,
                            unsigned SecondGroup, const TPresetValues& Values);

}  // namespace kestrix
