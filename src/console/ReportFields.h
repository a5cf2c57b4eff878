#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "describe/DescriptiveKestrixReader.h"

namespace kestrix {

// LAME wrote its first tag with this version; earlier ones left only a
// version text.
inline constexpr const char* FirstTaggedVersion = "3.90";

// Every field line of the report is a label column of this width and a text.
inline constexpr std::size_t LabelColumnWidth = 20;

// One line of the report: its label column ("Quality:" and blanks) and the
// text after it, already widened.
struct TReportField {
  std::u16string_view Label;
  std::u16string Text;
};

// The closing guess block: the introduction, one of two wordings, then the
// guess line. Empty lines go before the introduction and the guess line.
inline constexpr std::u16string_view GuessIntroLine =
    u"  Based on a combination of other values from the lame tag,";
inline constexpr std::array<std::u16string_view, 3> ModifiedGuessLines = {
    u"  it seems that this file was not created using an ",
    u"  unmodified preset.  However it could have been created",
    u"  using the following modified preset command line:"};
inline constexpr std::array<std::u16string_view, 1> PlainGuessLines = {
    u"  it is likely that the preset used to encode this file was:"};
inline constexpr std::u16string_view PresetGuessLabel = u"Preset guess:       ";

// The labels of the field lines of a file whose tag was found, in order.
inline constexpr std::array<std::u16string_view, 29> FieldLabels = {
    u"Tag revision:       ", u"Encoder string:     ", u"Version string:     ",
    u"Quality:            ", u"Encoding method:    ", u"Lowpass:            ",
    u"RG track peak:      ", u"RG track gain:      ", u"RG album gain:      ",
    u"nspsytune:          ", u"nssafejoint:        ", u"nogap continued:    ",
    u"nogap continuation: ", u"ATH type:           ", u"Bitrate:            ",
    u"Encoder delay:      ", u"Padded at end:      ", u"Noise shaping:      ",
    u"Stereo mode:        ", u"Unwise settings:    ", u"Source sample freq: ",
    u"MP3Gain change:     ", u"Preset:             ", u"Surround info:      ",
    u"Music length:       ", u"Music CRC:          ", u"Actual Music CRC:   ",
    u"Info tag CRC:       ", u"Actual InfoTag CRC: "};
inline constexpr std::u16string_view EncoderStringLabel = FieldLabels[1];
inline constexpr std::u16string_view VersionStringLabel = FieldLabels[2];

// The field lines of a file whose tag was found, in report order.
std::vector<TReportField> TagFields(TDescriptiveKestrixReader& Reader);

// A file without a tag whose encoder text says LAME before 3.90: the
// report then shows only its encoder text and long version text.
bool HasOnlyVersionText(const TDescriptiveKestrixReader& Reader);
std::vector<TReportField> VersionTextFields(const TDescriptiveKestrixReader& Reader);

// The text lines of the guess block without their indent, the guess
// line without its label, joined by a blank.
std::u16string GuessBlockText(TDescriptiveKestrixReader& Reader);

// The label in lower case, every run of other characters than letters and
// digits one "_", none at either end: "Actual InfoTag CRC: " gives
// "actual_infotag_crc".
std::string FieldKey(std::u16string_view Label);

// One text of the machine-readable forms, named by the key of its label.
struct TKeyedField {
  std::string Key;
  std::u16string Text;
};

// What the machine-readable forms show of a file: the field lines, then
// "preset_guess" when there is a guess; the encoder and long version text
// of an encoder before 3.90; nothing for a file without a tag.
std::vector<TKeyedField> KeyedFields(TDescriptiveKestrixReader& Reader, bool TagFound);
// Every key KeyedFields can give, in report order.
std::vector<std::string> AllFieldKeys();

// The C locale's separators (none for thousands, "." for decimals), under
// which the machine-readable forms give their texts.
platform::TNumberSeparators CLocaleSeparators();

}  // namespace kestrix
