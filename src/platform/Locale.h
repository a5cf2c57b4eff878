#pragma once

#include <string>
#include <string_view>

namespace kestrix::platform {

// The user's number separators as 8-bit text in the active code page: each
// one character, or empty for none.
struct TNumberSeparators {
  std::string Thousands;  // a comma when the locale's is longer than one character
  std::string Decimal;    // a full stop when the locale's is longer than one character
};

// Read from the user's locale on the first call, then kept.
const TNumberSeparators& GetNumberSeparators();

// The separators as the user's locale has them, before ChooseSeparator;
// read afresh on every call.
struct TLocaleSeparators {
  std::u16string Thousands;
  std::u16string Decimal;
};
TLocaleSeparators ReadLocaleSeparators();

// The rule for one separator as the locale gives it: kept when it is one
// character, Fallback when it is longer, empty when empty. A surrogate pair
// is one character.
inline std::u16string ChooseSeparator(std::u16string_view LocaleText, char16_t Fallback) {
  const auto inRange = [](char16_t Unit, char16_t First, char16_t Last) {
    return Unit >= First && Unit <= Last;
  };
  constexpr char16_t HighFirst = 0xD800, HighLast = 0xDBFF, LowFirst = 0xDC00, LowLast = 0xDFFF;
  std::size_t characters = 0;
  for (std::size_t i = 0; i < LocaleText.size(); ++i) {
    const bool secondOfPair = i > 0 && inRange(LocaleText[i], LowFirst, LowLast) &&
                              inRange(LocaleText[i - 1], HighFirst, HighLast);
    if (!secondOfPair) {
      ++characters;
    }
  }
  return characters > 1 ? std::u16string(1, Fallback) : std::u16string(LocaleText);
}

}  // namespace kestrix::platform
