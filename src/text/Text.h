#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

// Text operations every output form shares: formatting lines, and making
// any text safe for a terminal and valid in the encoding it is written in.
namespace kestrix {

// One argument of a format: an integer, UTF-16 text or 8-bit text (which
// is widened by the active code page).
class TFormatArg {
 public:
  enum class TKind { Integer, Wide, Narrow };

  template <typename TInteger, std::enable_if_t<std::is_integral_v<TInteger>, int> = 0>
  TFormatArg(TInteger Value) : Kind(TKind::Integer), Integer(static_cast<std::int64_t>(Value)) {}
  TFormatArg(std::u16string_view Value) : Kind(TKind::Wide), Wide(Value) {}
  TFormatArg(const std::u16string& Value) : Kind(TKind::Wide), Wide(Value) {}
  TFormatArg(const char16_t* Value) : Kind(TKind::Wide), Wide(Value) {}
  TFormatArg(const std::string& Value) : Kind(TKind::Narrow), Narrow(Value) {}

  // The text a directive with this conversion and precision (-1: none) makes.
  std::u16string Render(char16_t Conversion, int Precision) const;

 private:
  TKind Kind;
  std::int64_t Integer = 0;
  std::u16string_view Wide;
  std::string_view Narrow;
};

using TFormatArgs = std::initializer_list<TFormatArg>;

// Replaces the directives %s, %d and %x (with an optional precision such as
// %.4x: at least that many digits) by the arguments in order; "%%" is "%".
std::u16string FormatText(std::u16string_view Format, TFormatArgs Args);

// What a terminal is given of a text: control characters and lone
// surrogates become U+FFFD, so no file name or tag byte can drive it.
std::u16string ConsoleSafeText(std::u16string_view Text);

// Lone surrogates (such as the escaped bytes of a file name that is not
// UTF-8) become U+FFFD, so the text is valid UTF-16.
std::u16string ValidUtf16Text(std::u16string_view Text);

// UTF-8 of the text with every lone surrogate (such as an escaped byte of a
// name that is not UTF-8) as U+FFFD, so the result is always valid UTF-8.
std::string ValidUtf8(std::u16string_view Text);

// UTF-16 code units as little-endian bytes.
std::string Utf16LEBytes(std::u16string_view Text);

}  // namespace kestrix
