#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "describe/DescriptiveKestrixReader.h"

// The fields of a LAME tag as every output form shows them: one table
// gives each report line its label, its text, the key the machine-readable
// forms name it by, and its typed values.
namespace kestrix {

// LAME wrote its first tag with this version; earlier ones left only a
// version text.
inline constexpr const char* FirstTaggedVersion = "3.90";

// Every field line of the report is a label column of this width and a text.
inline constexpr std::size_t LabelColumnWidth = 20;

// A typed value of a field. A value the tag does not store is a state of
// its own, which the machine-readable forms show as null.
class TFieldValue {
 public:
  using TData = std::variant<std::monostate, bool, std::int64_t, double, std::string>;

  TFieldValue() = default;  // not stored
  TFieldValue(bool Value) : Data(Value) {}
  TFieldValue(std::int64_t Value) : Data(Value) {}
  TFieldValue(double Value) : Data(Value) {}
  // 8-bit text, as the tag stores it.
  TFieldValue(std::string Text) : Data(std::move(Text)) {}

  bool IsStored() const { return !std::holds_alternative<std::monostate>(Data); }
  const TData& Get() const { return Data; }

 private:
  TData Data;
};

struct TNamedValue {
  std::string_view Key;
  TFieldValue Value;
};

// One row of the table. The value keys are those of JSON format 1; a row
// has one or two values.
struct TFieldRow {
  using TText = std::u16string (*)(TDescriptiveKestrixReader&);
  using TValue = TFieldValue (*)(TDescriptiveKestrixReader&);
  struct TValueColumn {
    std::string_view Key;
    TValue Value;
  };

  std::u16string_view Label;  // with the blanks that fill its column
  TText Text;
  std::array<TValueColumn, 2> Values;  // an empty key ends the list
};

// The report lines of a file whose tag was found, in order.
extern const std::array<TFieldRow, 29> TagRows;
// The two lines of a file from an encoder before 3.90.
extern const std::array<TFieldRow, 2> VersionTextRows;

inline constexpr std::u16string_view PresetGuessLabel = u"Preset guess:       ";

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

// The label in lower case, every run of other characters than letters and
// digits one "_", none at either end: "Actual InfoTag CRC: " gives
// "actual_infotag_crc".
std::string FieldKey(std::u16string_view Label);
// Every key a file's field lines can have, in report order: the tag rows,
// then "preset_guess".
std::vector<std::string> AllFieldKeys();

// What a file's LAME tag is.
enum class TTagKind : std::uint8_t {
  None,             // no tag
  VersionTextOnly,  // no tag, but the version text of LAME before 3.90
  Tag,
};

struct TFieldLine {
  std::u16string_view Label;
  std::string Key;
  std::u16string Text;
};

struct TPresetGuessBlock {
  bool Modified = false;  // the wording for a modified preset
  std::u16string Guess;   // the text of the guess line
};

// Everything the output forms show of a file's LAME tag.
struct TTagFields {
  TTagKind Kind = TTagKind::None;
  std::uint8_t Revision = 0;
  std::vector<TFieldLine> Lines;           // in report order
  std::optional<TPresetGuessBlock> Guess;  // when the preset was guessed
  std::vector<TNamedValue> Values;         // in JSON format 1 order
  // The name of the preset the tag stores; empty when it stores none.
  std::u16string StoredPreset;

  // The guess block's text lines without their indent and the guess line
  // without its label, joined by a blank; the "preset_guess" field text.
  std::u16string GuessText() const;
};

// The rows of the file's kind of tag, evaluated; the texts follow the
// reader's number separators.
TTagFields DescribeTag(TDescriptiveKestrixReader& Reader, bool TagFound);

// The C locale's separators (none for thousands, "." for decimals), under
// which the machine-readable forms give their texts.
platform::TNumberSeparators CLocaleSeparators();

}  // namespace kestrix
