#pragma once

#include <cstdint>
#include <string>

#include "platform/Locale.h"
#include "reader/BasicKestrixReader.h"

namespace kestrix {

enum TPresetStatus : std::uint8_t {
  psPlain = 0,          // the preset line says nothing more, no guess block
  psGuessed = 1,        // a guess exists: the report prints the guess block
  psUnableToGuess = 2,  // nothing stored and nothing guessed
};

struct TDescriptiveReplayGain {
  std::string PeakText;
  std::string TrackGainText;
  std::string AlbumGainText;
};

std::string YesNoText(bool Value);
std::string SignChar(bool Negative);
// Decimal digits grouped by three with Separator (none when it is empty).
std::string FormatThousands(std::uint64_t Value, const std::string& Separator);

// The ReplayGain name codes of the two gain words.
inline constexpr std::uint8_t TrackGainName = 1;
inline constexpr std::uint8_t AlbumGainName = 2;

// A peak of 0 (or not a number) and a gain word with another name or no
// originator hold nothing: their texts say "<not stored>".
bool IsPeakStored(float Peak);
bool IsGainStored(const TRawReplayGain& Gain, std::uint8_t ExpectedName);

std::string PeakValueText(float Peak, const std::string& DecimalSeparator);
std::string ReplayGainText(const TRawReplayGain& Gain, std::uint8_t ExpectedName);
std::string GainValueText(const TRawReplayGain& Gain);
std::string OriginatorText(std::uint8_t Code);

// The display texts of one file's LAME tag: one method per report line.
class TDescriptiveKestrixReader {
 public:
  // Texts of the tag the analysis read, with the number separators given.
  explicit TDescriptiveKestrixReader(
      TBasicKestrixReader Reader,
      const platform::TNumberSeparators& Separators = platform::GetNumberSeparators());

  std::uint8_t GetTagRevision() const;
  std::string GetEncoderString() const;
  std::string GetVersionString() const;
  std::string GetLongVersionString() const;
  std::string GetQualityText() const;
  std::string GetEncodingMethodText() const;
  std::string GetLowpassText() const;
  void GetReplayGainTexts(TDescriptiveReplayGain& Texts);
  std::string GetNSPsyTuneText() const;
  std::string GetNSSafeJointText() const;
  std::string GetNoGapContinuedText() const;
  std::string GetNoGapContinuationText() const;
  std::uint8_t GetATHType() const;
  std::string GetBitrateText() const;
  std::string GetEncoderDelayText() const;
  std::string GetEncoderPaddingText() const;
  std::uint8_t GetNoiseShaping() const;
  std::string GetStereoModeText() const;
  std::string GetUnwiseSettingsText() const;
  std::string GetSourceSampleFreqText() const;
  std::string GetMP3GainChangeText() const;
  std::string GetPresetText();
  std::string GetPresetGuessText();
  bool GetPresetGuessModified();
  TPresetStatus GetPresetStatus();
  // The preset guess of the tag's values (an index of PresetGuesser, or
  // NoPresetGuess), and whether only a modified preset matched; computed once.
  std::uint8_t GetGuessedPreset();
  bool GetGuessedPresetModified();
  std::string GetSurroundInfoText() const;
  std::string GetMusicLengthText() const;
  std::string GetMusicCRCText() const;
  std::string GetActualMusicCRCText() const;
  std::string GetInfoTagCRCText() const;
  std::string GetActualInfoTagCRCText() const;

  // The raw values behind the texts.
  TBasicKestrixReader& GetBasicReader() { return Reader; }

 private:
  void EvaluatePreset();
  std::string NamePresetValue();
  std::string NamePresetGuess();

  TBasicKestrixReader Reader;
  platform::TNumberSeparators Separators;
  bool PresetEvaluated = false;
  std::string PresetText;
  std::string PresetGuessText;
  bool PresetGuessModified = false;
  TPresetStatus PresetStatus = psPlain;
  bool PresetGuessCached = false;
  std::uint8_t GuessedPreset = 0;
  bool GuessedPresetModified = false;
};

}  // namespace kestrix
