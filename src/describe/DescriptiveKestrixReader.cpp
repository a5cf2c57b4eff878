#include "describe/DescriptiveKestrixReader.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "describe/PresetGuesser.h"

namespace kestrix {

namespace {

using TTextTable4 = std::array<const char*, 4>;

constexpr const char* NotStoredText = "<not stored>";

constexpr std::array<const char*, 2> YesNoTexts = {"no", "yes"};
constexpr std::array<const char*, 2> SignChars = {"+", "-"};

constexpr TTextTable4 SourceSampleFreqTexts = {"32kHz or smaller", "44.1kHz", "48kHz",
                                               "higher than 48kHz"};

constexpr std::array<const char*, 8> StereoModeTexts = {
    "mono", "stereo", "dual", "joint", "force", "auto", "intensity", "<undefined>"};

// Methods 6, 7 and 10 to 15 have no name.
constexpr std::array<const char*, 16> EncodingMethodTexts = {
    NotStoredText, "cbr",   "abr",   "vbr old / vbr rh", "vbr new / vbr mtrh",
    "vbr mt",      nullptr, nullptr, "cbr 2 pass",       "abr 2 pass"};

constexpr TTextTable4 SurroundInfoTexts = {"none", "DPL Encoding", "DPL2 Encoding",
                                           "Ambisonic Encoding"};

// Indexed by originator code minus one.
constexpr TTextTable4 OriginatorTexts = {"set by artist", "set by user", "determined automatically",
                                         "set by simple RMS average"};
constexpr std::uint8_t FirstOriginatorCode = 1;

// Indexed by the guess index of the preset guesser.
constexpr std::array<const char*, NoPresetGuess> GuessNames = {
    "[alt-]preset insane",
    "[alt-]preset extreme",
    "[alt-]preset fast extreme",
    "[alt-]preset standard",
    "[alt-]preset fast standard",
    "preset medium",
    "preset fast medium",
    "r3mix",
    "preset studio",
    "preset cd",
    "preset hifi",
    "preset tape",
    "preset radio",
    "preset fm",
    "preset tape OR preset radio OR preset fm",
    "preset voice",
    "preset mw-us",
    "preset phon+ OR preset lw OR preset mw-eu OR preset sw",
    "preset phone",
};

struct TPresetName {
  std::uint16_t Value;
  const char* Text;
};

constexpr std::array<TPresetName, 20> PresetNames = {{
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
}};

// The -V presets; the new VBR method runs them in fast mode.
constexpr std::array<std::uint16_t, 10> VBRQualityPresets = {410, 420, 430, 440, 450,
                                                             460, 470, 480, 490, 500};

// A stored preset in this range is the bitrate the user gave.
constexpr std::uint16_t LowestBitratePreset = 8;
constexpr std::uint16_t HighestBitratePreset = 320;

constexpr std::uint8_t MethodCBR = 1;
constexpr std::uint8_t MethodVBRNew = 4;
// Methods whose bitrate byte holds the minimum bitrate (-b), 6 included.
constexpr std::uint8_t FirstMinimumBitrateMethod = 3;
constexpr std::uint8_t LastMinimumBitrateMethod = 6;
constexpr std::uint8_t HighestBitrateByte = 255;

constexpr std::uint8_t HighestQuality = 100;
constexpr int QualityStepsPerV = 10;

constexpr int MP3GainTenthsPerStep = 15;  // one MP3Gain step is 1.5 dB
constexpr int TenthsPerUnit = 10;

constexpr int CRCHexDigits = 4;
constexpr unsigned BitsPerHexDigit = 4;
constexpr unsigned HexDigitMask = 0xF;

// The peak text keeps this many significant digits and decimals; from
// this many integer digits on it switches to the exponent form.
constexpr int PeakSignificantDigits = 8;
constexpr int PeakDecimals = 6;

constexpr std::size_t ThousandsGroupSize = 3;

std::string DecimalText(std::uint64_t Value) {
  std::array<char, 24> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), Value);
  return std::string(buffer.data(), result.ptr);
}

std::string UnrecognisedText(unsigned Value) {
  return "<unrecognised value " + DecimalText(Value) + ">";
}

// The table's entry for Value, or the unrecognised text when it has none.
template <std::size_t N>
std::string TableText(const std::array<const char*, N>& Table, unsigned Value) {
  if (Value < Table.size() && Table[Value] != nullptr) {
    return Table[Value];
  }
  return UnrecognisedText(Value);
}

std::string HexText(std::uint16_t Value) {
  constexpr char digits[] = "0123456789ABCDEF";
  std::string text(CRCHexDigits, '0');
  for (int i = CRCHexDigits - 1; i >= 0; --i) {
    text[static_cast<std::size_t>(i)] = digits[Value & HexDigitMask];
    Value = static_cast<std::uint16_t>(Value >> BitsPerHexDigit);
  }
  return text;
}

// "+1.5dB" style text from a count of tenths of a dB.
std::string TenthsOfDecibelText(bool Negative, unsigned Tenths) {
  return SignChar(Negative) + DecimalText(Tenths / TenthsPerUnit) + "." +
         DecimalText(Tenths % TenthsPerUnit) + "dB";
}

// A positive finite value as PeakSignificantDigits decimal digits d0 d1 ...
// and the power of ten of d0.
struct TSignificantDigits {
  std::string Digits;
  int Exponent = 0;
};

// Value in scientific form: the shortest text that reads back as the same
// float, or rounded to Precision digits after the first.
TSignificantDigits ScientificDigits(float Value, std::optional<int> Precision) {
  std::array<char, 64> buffer{};
  char* const first = buffer.data();
  char* const last = first + buffer.size();
  const auto written =
      Precision ? std::to_chars(first, last, Value, std::chars_format::scientific, *Precision)
                : std::to_chars(first, last, Value, std::chars_format::scientific);
  const std::string text(first, written.ptr);  // d[.ddd]e[+-]xx
  const std::size_t e = text.find('e');

  TSignificantDigits result;
  for (std::size_t i = 0; i < e; ++i) {
    if (text[i] != '.') {
      result.Digits += text[i];
    }
  }
  const std::size_t exponentStart = text[e + 1] == '+' ? e + 2 : e + 1;
  std::from_chars(text.data() + exponentStart, text.data() + text.size(), result.Exponent);
  return result;
}

// A positive finite peak as exactly PeakSignificantDigits digits. The
// float's shortest text is taken when it fits, so a peak of 2.5E10 is not
// shown as its exact value 24999999488; a longer one is rounded from the
// exact value, since rounding the shortest text again can go the wrong way.
TSignificantDigits PeakDigits(float Value) {
  TSignificantDigits digits = ScientificDigits(Value, std::nullopt);
  if (digits.Digits.size() > static_cast<std::size_t>(PeakSignificantDigits)) {
    digits = ScientificDigits(Value, PeakSignificantDigits - 1);
  }
  digits.Digits.resize(static_cast<std::size_t>(PeakSignificantDigits), '0');
  return digits;
}

std::uint64_t DigitsValue(const std::string& Digits, std::size_t Count) {
  std::uint64_t value = 0;
  std::from_chars(Digits.data(), Digits.data() + Count, value);
  return value;
}

std::uint64_t PowerOfTen(int Exponent) {
  std::uint64_t power = 1;
  for (int i = 0; i < Exponent; ++i) {
    power *= 10;
  }
  return power;
}

// The value times ten to the PeakDecimals, rounded half up.
std::uint64_t ToScaledInteger(const TSignificantDigits& Value) {
  const int keep = Value.Exponent + 1 + PeakDecimals;
  if (keep < 0) {
    return 0;
  }
  if (keep >= PeakSignificantDigits) {
    return DigitsValue(Value.Digits, Value.Digits.size()) *
           PowerOfTen(keep - PeakSignificantDigits);
  }
  const auto count = static_cast<std::size_t>(keep);
  return DigitsValue(Value.Digits, count) + (Value.Digits[count] >= '5' ? 1 : 0);
}

std::string FixedPeakText(const TSignificantDigits& Value, const std::string& DecimalSeparator) {
  const std::uint64_t scale = PowerOfTen(PeakDecimals);
  const std::uint64_t scaled = ToScaledInteger(Value);
  const std::string fraction = DecimalText(scaled % scale);
  return DecimalText(scaled / scale) + DecimalSeparator +
         std::string(static_cast<std::size_t>(PeakDecimals) - fraction.size(), '0') + fraction;
}

std::string ExponentPeakText(const TSignificantDigits& Value, const std::string& DecimalSeparator) {
  const std::size_t lastNonZero = Value.Digits.find_last_not_of('0');
  std::string text(1, Value.Digits[0]);
  if (lastNonZero != std::string::npos && lastNonZero > 0) {
    text += DecimalSeparator + Value.Digits.substr(1, lastNonZero);
  }
  return text + "E" + DecimalText(static_cast<std::uint64_t>(Value.Exponent));
}

}  // namespace

std::string YesNoText(bool Value) {
  return YesNoTexts[Value ? 1 : 0];
}

std::string SignChar(bool Negative) {
  return SignChars[Negative ? 1 : 0];
}

std::string FormatThousands(std::uint64_t Value, const std::string& Separator) {
  const std::string digits = DecimalText(Value);
  std::string text;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    const std::size_t remaining = digits.size() - i;
    if (i > 0 && remaining % ThousandsGroupSize == 0) {
      text += Separator;
    }
    text += digits[i];
  }
  return text;
}

bool IsPeakStored(float Peak) {
  return Peak != 0.0f && !std::isnan(Peak);
}

bool IsGainStored(const TRawReplayGain& Gain, std::uint8_t ExpectedName) {
  return Gain.NameCode == ExpectedName && Gain.OriginatorCode != 0;
}

std::string PeakValueText(float Peak, const std::string& DecimalSeparator) {
  if (!IsPeakStored(Peak)) {
    return NotStoredText;
  }
  const std::string sign = std::signbit(Peak) ? "-" : "";
  if (std::isinf(Peak)) {
    return sign + "INF";
  }
  const TSignificantDigits digits = PeakDigits(std::fabs(Peak));
  if (digits.Exponent >= PeakSignificantDigits) {
    return sign + ExponentPeakText(digits, DecimalSeparator);
  }
  return sign + FixedPeakText(digits, DecimalSeparator);
}

std::string ReplayGainText(const TRawReplayGain& Gain, std::uint8_t ExpectedName) {
  if (!IsGainStored(Gain, ExpectedName)) {
    return NotStoredText;
  }
  return GainValueText(Gain) + " (" + OriginatorText(Gain.OriginatorCode) + ")";
}

std::string GainValueText(const TRawReplayGain& Gain) {
  return TenthsOfDecibelText(Gain.Negative, Gain.Adjustment);
}

std::string OriginatorText(std::uint8_t Code) {
  const unsigned index = static_cast<unsigned>(Code) - FirstOriginatorCode;
  if (Code < FirstOriginatorCode || index >= OriginatorTexts.size()) {
    return "<set by unknown>";
  }
  return OriginatorTexts[index];
}

TDescriptiveKestrixReader::TDescriptiveKestrixReader(TBasicKestrixReader Reader,
                                                     const platform::TNumberSeparators& Separators)
    : Reader(std::move(Reader)), Separators(Separators) {}

std::uint8_t TDescriptiveKestrixReader::GetTagRevision() const {
  return Reader.GetTagRevision();
}

std::string TDescriptiveKestrixReader::GetEncoderString() const {
  return Reader.GetEncoderString();
}

std::string TDescriptiveKestrixReader::GetVersionString() const {
  return Reader.GetVersionString();
}

std::string TDescriptiveKestrixReader::GetLongVersionString() const {
  return Reader.GetLongVersionString();
}

std::string TDescriptiveKestrixReader::GetQualityText() const {
  const std::uint8_t quality = Reader.GetTagData().Quality;
  if (quality == 0) {
    return "0";
  }
  if (quality > HighestQuality) {
    return "<unexpected value: " + DecimalText(quality) + ">";
  }
  const int steps = HighestQuality - quality;
  return DecimalText(quality) + " (V" + DecimalText(steps / QualityStepsPerV) + " and q" +
         DecimalText(steps % QualityStepsPerV) + ")";
}

std::string TDescriptiveKestrixReader::GetEncodingMethodText() const {
  return TableText(EncodingMethodTexts, Reader.GetEncodingMethod());
}

std::string TDescriptiveKestrixReader::GetLowpassText() const {
  const std::uint16_t lowpass = Reader.GetLowpass();
  if (lowpass == 0) {
    return NotStoredText;
  }
  return FormatThousands(lowpass, Separators.Thousands) + "Hz";
}

void TDescriptiveKestrixReader::GetReplayGainTexts(TDescriptiveReplayGain& Texts) {
  TReplayGainInfo info;
  Reader.GetReplayGain(info);
  Texts.PeakText = PeakValueText(info.Peak, Separators.Decimal);
  Texts.TrackGainText = ReplayGainText(info.TrackGain, TrackGainName);
  Texts.AlbumGainText = ReplayGainText(info.AlbumGain, AlbumGainName);
}

std::string TDescriptiveKestrixReader::GetNSPsyTuneText() const {
  return YesNoText(Reader.GetNSPsyTune());
}

std::string TDescriptiveKestrixReader::GetNSSafeJointText() const {
  return YesNoText(Reader.GetNSSafeJoint());
}

std::string TDescriptiveKestrixReader::GetNoGapContinuedText() const {
  return YesNoText(Reader.GetNoGapContinued());
}

std::string TDescriptiveKestrixReader::GetNoGapContinuationText() const {
  return YesNoText(Reader.GetNoGapContinuation());
}

std::uint8_t TDescriptiveKestrixReader::GetATHType() const {
  return Reader.GetATHType();
}

std::string TDescriptiveKestrixReader::GetBitrateText() const {
  const std::uint8_t bitrate = Reader.GetTagData().Bitrate;
  if (bitrate == 0) {
    return NotStoredText;
  }
  const std::uint8_t method = Reader.GetEncodingMethod();
  std::string text;
  if (method >= FirstMinimumBitrateMethod && method <= LastMinimumBitrateMethod) {
    text = "minimal (-b) bitrate ";
  }
  text += DecimalText(bitrate);
  if (bitrate == HighestBitrateByte) {
    text += " or higher";
  }
  return text;
}

std::string TDescriptiveKestrixReader::GetEncoderDelayText() const {
  return FormatThousands(Reader.GetEncoderDelay(), Separators.Thousands) + " samples";
}

std::string TDescriptiveKestrixReader::GetEncoderPaddingText() const {
  return FormatThousands(Reader.GetEncoderPadding(), Separators.Thousands) + " samples";
}

std::uint8_t TDescriptiveKestrixReader::GetNoiseShaping() const {
  return Reader.GetNoiseShaping();
}

std::string TDescriptiveKestrixReader::GetStereoModeText() const {
  return TableText(StereoModeTexts, Reader.GetStereoMode());
}

std::string TDescriptiveKestrixReader::GetUnwiseSettingsText() const {
  return YesNoText(Reader.GetUnwiseSettings());
}

std::string TDescriptiveKestrixReader::GetSourceSampleFreqText() const {
  return TableText(SourceSampleFreqTexts, Reader.GetSourceSampleFreq());
}

std::string TDescriptiveKestrixReader::GetMP3GainChangeText() const {
  const int change = Reader.GetMP3GainChange();
  if (change == 0) {
    return "<none>";
  }
  return TenthsOfDecibelText(change < 0, static_cast<unsigned>(std::abs(change)) *
                                             static_cast<unsigned>(MP3GainTenthsPerStep));
}

std::string TDescriptiveKestrixReader::GetPresetText() {
  EvaluatePreset();
  return PresetText;
}

std::string TDescriptiveKestrixReader::GetPresetGuessText() {
  EvaluatePreset();
  if (!PresetGuessModified) {
    return PresetGuessText;
  }
  return PresetGuessText + " -b " + DecimalText(Reader.GetTagData().Bitrate);
}

bool TDescriptiveKestrixReader::GetPresetGuessModified() {
  EvaluatePreset();
  return PresetGuessModified;
}

TPresetStatus TDescriptiveKestrixReader::GetPresetStatus() {
  EvaluatePreset();
  return PresetStatus;
}

std::string TDescriptiveKestrixReader::GetSurroundInfoText() const {
  return TableText(SurroundInfoTexts, Reader.GetSurroundInfo());
}

std::string TDescriptiveKestrixReader::GetMusicLengthText() const {
  const std::uint32_t length = Reader.GetMusicLength();
  if (length == 0) {
    return "<unknown or larger than 4GB>";
  }
  return FormatThousands(length, Separators.Thousands) + " bytes";
}

std::string TDescriptiveKestrixReader::GetMusicCRCText() const {
  return HexText(Reader.GetMusicCRC());
}

std::string TDescriptiveKestrixReader::GetActualMusicCRCText() const {
  return HexText(Reader.GetActualMusicCRC());
}

std::string TDescriptiveKestrixReader::GetInfoTagCRCText() const {
  return HexText(Reader.GetInfoTagCRC());
}

std::string TDescriptiveKestrixReader::GetActualInfoTagCRCText() const {
  return HexText(Reader.GetActualInfoTagCRC());
}

void TDescriptiveKestrixReader::EvaluatePreset() {
  if (PresetEvaluated) {
    return;
  }
  PresetEvaluated = true;
  PresetText = NamePresetValue();
  if (PresetStatus == psPlain) {
    return;  // a named preset needs no guess
  }
  PresetGuessText = NamePresetGuess();
  PresetGuessModified = GetGuessedPresetModified();
}

std::string TDescriptiveKestrixReader::NamePresetValue() {
  const std::uint16_t preset = Reader.GetPreset();
  const std::uint8_t method = Reader.GetEncodingMethod();
  PresetStatus = psPlain;

  std::string text;
  if (preset == 0) {
    text = NotStoredText;
    PresetStatus = psGuessed;
  } else if (preset >= LowestBitratePreset && preset <= HighestBitratePreset) {
    text = (method == MethodCBR ? "cbr " : "") + DecimalText(preset);
    PresetStatus = psGuessed;
  } else {
    const auto* named =
        std::find_if(PresetNames.begin(), PresetNames.end(),
                     [preset](const TPresetName& name) { return name.Value == preset; });
    if (named != PresetNames.end()) {
      text = named->Text;
    } else {
      text = UnrecognisedText(preset);
      PresetStatus = psGuessed;
    }
  }

  const bool isVBRQuality = std::find(VBRQualityPresets.begin(), VBRQualityPresets.end(), preset) !=
                            VBRQualityPresets.end();
  if (isVBRQuality && method == MethodVBRNew) {
    text += " (fast mode)";
  }
  return text;
}

std::string TDescriptiveKestrixReader::NamePresetGuess() {
  const std::uint8_t guess = GetGuessedPreset();
  if (guess < GuessNames.size()) {
    return GuessNames[guess];
  }
  PresetStatus = Reader.GetPreset() == 0 ? psUnableToGuess : psPlain;
  return "";
}

std::uint8_t TDescriptiveKestrixReader::GetGuessedPreset() {
  if (!PresetGuessCached) {
    PresetGuessCached = true;
    const TRawTagData& tag = Reader.GetTagData();
    const TPresetValues values{tag.Bitrate,
                               tag.Quality,
                               Reader.GetEncodingMethod(),
                               Reader.GetNoiseShaping(),
                               Reader.GetStereoMode(),
                               Reader.GetATHType(),
                               tag.LowpassByte};
    GuessedPreset = GuessPreset(Reader.GetVersionString(), values, GuessedPresetModified);
  }
  return GuessedPreset;
}

bool TDescriptiveKestrixReader::GetGuessedPresetModified() {
  GetGuessedPreset();
  return GuessedPresetModified;
}

}  // namespace kestrix
