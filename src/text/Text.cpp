#include "text/Text.h"

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace kestrix {

namespace {

constexpr char16_t ReplacementCharacter = u'\uFFFD';

std::u16string Digits(std::uint64_t Value, unsigned Base, int Precision) {
  constexpr char16_t DigitChars[] = u"0123456789ABCDEF";
  std::u16string reversed;
  do {
    reversed += DigitChars[Value % Base];
    Value /= Base;
  } while (Value != 0);
  while (static_cast<int>(reversed.size()) < Precision) {
    reversed += u'0';
  }
  return std::u16string(reversed.rbegin(), reversed.rend());
}

bool IsControl(char16_t C) {
  return C < 0x20 || (C >= 0x7F && C <= 0x9F);
}
bool IsSurrogate(char16_t C) {
  return C >= 0xD800 && C <= 0xDFFF;
}
bool IsHighSurrogate(char16_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLowSurrogate(char16_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}

}  // namespace

std::u16string TFormatArg::Render(char16_t Conversion, int Precision) const {
  switch (Kind) {
    case TKind::Wide:
      return std::u16string(Wide);
    case TKind::Narrow:
      return platform::Widen(std::string(Narrow));
    case TKind::Integer:
      break;
  }
  if (Conversion == u'x' || Conversion == u'X') {
    return Digits(static_cast<std::uint64_t>(Integer), 16, Precision);
  }
  const bool negative = Integer < 0;
  // Negate in unsigned arithmetic so the smallest value survives.
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(Integer) : static_cast<std::uint64_t>(Integer);
  return (negative ? u"-" : u"") + Digits(magnitude, 10, Precision);
}

std::u16string FormatText(std::u16string_view Format, TFormatArgs Args) {
  std::u16string result;
  auto next = Args.begin();
  for (std::size_t i = 0; i < Format.size(); ++i) {
    if (Format[i] != u'%' || i + 1 >= Format.size()) {
      result += Format[i];
      continue;
    }
    std::size_t j = i + 1;
    if (Format[j] == u'%') {
      result += u'%';
      i = j;
      continue;
    }
    int precision = -1;
    if (Format[j] == u'.') {
      precision = 0;
      for (++j; j < Format.size() && Format[j] >= u'0' && Format[j] <= u'9'; ++j) {
        precision = precision * 10 + (Format[j] - u'0');
      }
    }
    const bool known = j < Format.size() && (Format[j] == u's' || Format[j] == u'd' ||
                                             Format[j] == u'x' || Format[j] == u'X');
    if (!known || next == Args.end()) {
      result += Format[i];
      continue;
    }
    result += (next++)->Render(Format[j], precision);
    i = j;
  }
  return result;
}

namespace {

// Copies Text with every lone surrogate, and each unit Replace picks,
// turned into U+FFFD; surrogate pairs pass whole.
template <typename TPredicate>
std::u16string ReplaceUnits(std::u16string_view Text, TPredicate Replace) {
  std::u16string result;
  result.reserve(Text.size());
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char16_t c = Text[i];
    if (IsHighSurrogate(c) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) {
      result += c;
      result += Text[++i];
    } else if (IsSurrogate(c) || Replace(c)) {
      result += ReplacementCharacter;
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace

std::u16string ConsoleSafeText(std::u16string_view Text) {
  return ReplaceUnits(Text, IsControl);
}

std::u16string ValidUtf16Text(std::u16string_view Text) {
  return ReplaceUnits(Text, [](char16_t) { return false; });
}

std::string ValidUtf8(std::u16string_view Text) {
  return platform::Utf16ToUtf8(ValidUtf16Text(Text), platform::TLoneSurrogate::Replace);
}

std::string Utf16LEBytes(std::u16string_view Text) {
  std::string bytes;
  bytes.reserve(Text.size() * 2);
  for (const char16_t c : Text) {
    bytes += static_cast<char>(c & 0xFF);
    bytes += static_cast<char>(c >> 8);
  }
  return bytes;
}

}  // namespace kestrix
