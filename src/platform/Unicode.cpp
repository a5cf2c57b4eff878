#include "platform/Unicode.h"

#include <cstdint>

namespace kestrix::platform {

namespace {

constexpr char16_t ReplacementCharacter = u'\uFFFD';
constexpr char MissingCharacter = '?';
constexpr char16_t EscapeBase = 0xDC00;
constexpr char16_t FirstEscape = 0xDC80;
constexpr char16_t LastEscape = 0xDCFF;
constexpr char16_t HighSurrogateFirst = 0xD800;
constexpr char16_t HighSurrogateLast = 0xDBFF;
constexpr char16_t LowSurrogateFirst = 0xDC00;
constexpr char16_t LowSurrogateLast = 0xDFFF;
constexpr char32_t SupplementaryFirst = 0x10000;
constexpr char32_t Latin1Last = 0xFF;
constexpr unsigned char AsciiLast = 0x7F;
constexpr unsigned char ContinuationFirst = 0x80;
constexpr unsigned char ContinuationLast = 0xBF;
constexpr unsigned ContinuationBits = 6;
constexpr unsigned ContinuationMask = 0x3F;
constexpr unsigned SurrogateBits = 10;
constexpr unsigned SurrogateMask = 0x3FF;

bool IsHighSurrogate(char32_t c) {
  return c >= HighSurrogateFirst && c <= HighSurrogateLast;
}
bool IsLowSurrogate(char32_t c) {
  return c >= LowSurrogateFirst && c <= LowSurrogateLast;
}

// How a lead byte starts a sequence: its length, the payload bits it
// carries, and the range allowed for the second byte, which is what rules
// out overlong forms, encoded surrogates and values above U+10FFFF.
struct TLeadByte {
  int Length = 0;  // 0: not a lead byte
  unsigned Payload = 0;
  unsigned char SecondFirst = ContinuationFirst;
  unsigned char SecondLast = ContinuationLast;
};

TLeadByte ClassifyLead(unsigned char b) {
  if (b >= 0xC2 && b <= 0xDF) {
    return {2, b & 0x1Fu};
  }
  if (b == 0xE0) {
    return {3, b & 0x0Fu, 0xA0, ContinuationLast};
  }
  if (b == 0xED) {
    return {3, b & 0x0Fu, ContinuationFirst, 0x9F};
  }
  if (b >= 0xE1 && b <= 0xEF) {
    return {3, b & 0x0Fu};
  }
  if (b == 0xF0) {
    return {4, b & 0x07u, 0x90, ContinuationLast};
  }
  if (b == 0xF4) {
    return {4, b & 0x07u, ContinuationFirst, 0x8F};
  }
  if (b >= 0xF1 && b <= 0xF3) {
    return {4, b & 0x07u};
  }
  return {};
}

void AppendCodePoint(std::u16string& out, char32_t c) {
  if (c < SupplementaryFirst) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  const char32_t offset = c - SupplementaryFirst;
  out.push_back(static_cast<char16_t>(HighSurrogateFirst + (offset >> SurrogateBits)));
  out.push_back(static_cast<char16_t>(LowSurrogateFirst + (offset & SurrogateMask)));
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c <= AsciiLast) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & ContinuationMask)));
  } else if (c < SupplementaryFirst) {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & ContinuationMask)));
    out.push_back(static_cast<char>(0x80 | (c & ContinuationMask)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (c >> 18)));
    out.push_back(static_cast<char>(0x80 | ((c >> 12) & ContinuationMask)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & ContinuationMask)));
    out.push_back(static_cast<char>(0x80 | (c & ContinuationMask)));
  }
}

// Calls OnChar(code point) for every valid sequence and OnInvalid(first,
// count) for every maximal invalid subpart, so that both conversion modes
// and the length count share one decoder.
template <typename TChar, typename TInvalid>
void DecodeUtf8(std::string_view Text, TChar OnChar, TInvalid OnInvalid) {
  std::size_t i = 0;
  while (i < Text.size()) {
    const auto b = static_cast<unsigned char>(Text[i]);
    if (b <= AsciiLast) {
      OnChar(static_cast<char32_t>(b));
      ++i;
      continue;
    }
    const TLeadByte lead = ClassifyLead(b);
    if (lead.Length == 0) {
      OnInvalid(i, std::size_t{1});
      ++i;
      continue;
    }
    char32_t c = lead.Payload;
    std::size_t taken = 1;
    while (taken < static_cast<std::size_t>(lead.Length) && i + taken < Text.size()) {
      const auto next = static_cast<unsigned char>(Text[i + taken]);
      const unsigned char first = taken == 1 ? lead.SecondFirst : ContinuationFirst;
      const unsigned char last = taken == 1 ? lead.SecondLast : ContinuationLast;
      if (next < first || next > last) {
        break;
      }
      c = (c << ContinuationBits) | (next & ContinuationMask);
      ++taken;
    }
    if (taken == static_cast<std::size_t>(lead.Length)) {
      OnChar(c);
    } else {
      OnInvalid(i, taken);
    }
    i += taken;
  }
}

// Calls OnChar for every character: a valid pair, a single unit, or a
// lone surrogate, each as its code point.
template <typename TChar>
void DecodeUtf16(std::u16string_view Text, TChar OnChar) {
  for (std::size_t i = 0; i < Text.size(); ++i) {
    const char32_t c = Text[i];
    if (IsHighSurrogate(c) && i + 1 < Text.size() && IsLowSurrogate(Text[i + 1])) {
      const char32_t low = Text[i + 1];
      OnChar(SupplementaryFirst +
             (((c - HighSurrogateFirst) << SurrogateBits) | (low - LowSurrogateFirst)));
      ++i;
    } else {
      OnChar(c);
    }
  }
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view Text, TInvalidUtf8 Mode) {
  std::u16string out;
  out.reserve(Text.size());
  DecodeUtf8(
      Text, [&](char32_t c) { AppendCodePoint(out, c); },
      [&](std::size_t first, std::size_t count) {
        if (Mode == TInvalidUtf8::Replace) {
          out.push_back(ReplacementCharacter);
          return;
        }
        for (std::size_t k = 0; k < count; ++k) {
          out.push_back(
              static_cast<char16_t>(EscapeBase + static_cast<unsigned char>(Text[first + k])));
        }
      });
  return out;
}

std::string Utf16ToUtf8(std::u16string_view Text, TLoneSurrogate Mode) {
  std::string out;
  out.reserve(Text.size());
  DecodeUtf16(Text, [&](char32_t c) {
    if (!IsHighSurrogate(c) && !IsLowSurrogate(c)) {
      AppendUtf8(out, c);
    } else if (Mode == TLoneSurrogate::Unescape && c >= FirstEscape && c <= LastEscape) {
      out.push_back(static_cast<char>(c - EscapeBase));
    } else {
      out.push_back(MissingCharacter);
    }
  });
  return out;
}

std::u16string Latin1ToUtf16(std::string_view Text) {
  std::u16string out;
  out.reserve(Text.size());
  for (const char c : Text) {
    out.push_back(static_cast<char16_t>(static_cast<unsigned char>(c)));
  }
  return out;
}

std::string Utf16ToLatin1(std::u16string_view Text) {
  std::string out;
  out.reserve(Text.size());
  DecodeUtf16(Text, [&](char32_t c) {
    out.push_back(c <= Latin1Last ? static_cast<char>(c) : MissingCharacter);
  });
  return out;
}

std::size_t Utf8Length(std::string_view Text) {
  std::size_t count = 0;
  DecodeUtf8(
      Text, [&](char32_t) { ++count; }, [&](std::size_t, std::size_t bytes) { count += bytes; });
  return count;
}

}  // namespace kestrix::platform
