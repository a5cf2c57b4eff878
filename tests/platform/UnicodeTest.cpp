#include "platform/Unicode.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrix::platform {
namespace {

using namespace std::string_literals;

std::u16string Replace(const std::string& Bytes) {
  return Utf8ToUtf16(Bytes, TInvalidUtf8::Replace);
}
std::u16string Escape(const std::string& Bytes) {
  return Utf8ToUtf16(Bytes, TInvalidUtf8::Escape);
}
std::string Unescape(const std::u16string& Text) {
  return Utf16ToUtf8(Text, TLoneSurrogate::Unescape);
}

TEST(Unicode, ValidUtf8OfEveryLengthDecodes) {
  EXPECT_EQ(Replace("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5"), u"A\u00E9\u20AC\U0001F3B5");
  EXPECT_EQ(Escape("A\xC3\xA9\xE2\x82\xAC\xF0\x9F\x8E\xB5"), u"A\u00E9\u20AC\U0001F3B5");
}

TEST(Unicode, SupplementaryCharactersBecomeSurrogatePairs) {
  const std::u16string text = Replace("\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  ASSERT_EQ(text.size(), 4u);
  EXPECT_EQ(text[0], 0xD800);
  EXPECT_EQ(text[1], 0xDC00);
  EXPECT_EQ(text[2], 0xDBFF);
  EXPECT_EQ(text[3], 0xDFFF);
  EXPECT_EQ(Utf16ToUtf8(text, TLoneSurrogate::Replace), "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
}

TEST(Unicode, BoundaryCharactersRoundTrip) {
  const std::u16string text = u"\u007F\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0010FFFF";
  const std::string utf8 = Utf16ToUtf8(text, TLoneSurrogate::Replace);
  EXPECT_EQ(utf8,
            "\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
            "\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");
  EXPECT_EQ(Replace(utf8), text);
}

TEST(Unicode, EmbeddedNulIsKept) {
  EXPECT_EQ(Replace("a\0b"s), u"a\0b"s);
  EXPECT_EQ(Unescape(u"a\0b"s), "a\0b"s);
}

TEST(Unicode, InvalidBytesBecomeLoneSurrogatesInEscapeMode) {
  EXPECT_EQ(Escape("a\xFF"
                   "b\x80"),
            u"a\xDCFF"
            u"b\xDC80");
  // A truncated sequence: each of its bytes is escaped on its own.
  EXPECT_EQ(Escape("\xE2\x82z"), u"\xDCE2\xDC82z");
}

TEST(Unicode, EscapedBytesRoundTripExactly) {
  const std::string names[] = {
      "\xFF\xFE",
      "caf\xE9.mp3",           // Latin-1 name
      "\xED\xA0\x80",          // an encoded surrogate
      "\xED\xB2\x80",          // the encoding of U+DC80 itself
      "\xC0\xAF\xE0\x80\xAF",  // overlong slashes
      "\xF4\x90\x80\x80",      // above U+10FFFF
      "\xF0\x9F\x8E",          // truncated at the end
      "ok \xC3\xA9 \xC3 \xF0\x9F\x8E\xB5",
  };
  for (const std::string& name : names) {
    EXPECT_EQ(Unescape(Escape(name)), name) << "bytes of length " << name.size();
  }
}

TEST(Unicode, EveryByteAloneRoundTrips) {
  for (int b = 0; b < 256; ++b) {
    const std::string one(1, static_cast<char>(b));
    EXPECT_EQ(Unescape(Escape(one)), one) << b;
  }
}

TEST(Unicode, ValidUtf8NeverProducesEscapes) {
  // U+DC80 cannot come from valid UTF-8, so escapes are never ambiguous.
  const std::u16string text = Escape("\xED\xB2\x80");
  EXPECT_EQ(text, u"\xDCED\xDCB2\xDC80");
}

TEST(Unicode, InvalidSequencesBecomeOneReplacementEachInReplaceMode) {
  // A truncated sequence is one invalid sequence, not one per byte.
  EXPECT_EQ(Replace("\xE2\x82z"), u"\uFFFDz");
  EXPECT_EQ(Replace("\xF0\x9F\x8E"), u"\uFFFD");
  // Overlong forms: the lead byte cannot start them, so every byte is invalid.
  EXPECT_EQ(Replace("\xC0\xAF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Replace("\xE0\x80\xAF"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Replace("\xF0\x80\x80\xAF"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  // Encoded surrogates and values above U+10FFFF.
  EXPECT_EQ(Replace("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Replace("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");
  // Stray continuation bytes and bytes that never occur.
  EXPECT_EQ(Replace("\x80\xBF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Replace("\xF5\xFF"), u"\uFFFD\uFFFD");
  // The byte after a broken sequence starts afresh.
  EXPECT_EQ(Replace("\xC3\xC3\xA9"), u"\uFFFD\u00E9");
}

TEST(Unicode, LoneSurrogatesBecomeQuestionMarksInReplaceMode) {
  EXPECT_EQ(Utf16ToUtf8(u"a\xDC80"
                        u"b\xD800",
                        TLoneSurrogate::Replace),
            "a?b?");
  // A pair in the wrong order is two lone surrogates.
  EXPECT_EQ(Utf16ToUtf8(u"\xDC00\xD800", TLoneSurrogate::Replace), "??");
}

TEST(Unicode, UnescapeTurnsOnlyTheByteRangeBack) {
  EXPECT_EQ(Unescape(u"\xDC80\xDCFF"), "\x80\xFF");
  // Below U+DC80 a surrogate would stand for an ASCII byte, which is never
  // escaped; those and high surrogates stay "?".
  EXPECT_EQ(Unescape(u"\xDC41\xDD00\xD800"), "???");
  // Before a high surrogate an escape is the second half of a pair.
  EXPECT_EQ(Unescape(u"\xD800\xDC80"), "\xF0\x90\x82\x80");
}

TEST(Unicode, Latin1MapsEveryByteAndReplacesTheRest) {
  std::string all;
  for (int b = 0; b < 256; ++b) {
    all.push_back(static_cast<char>(b));
  }
  const std::u16string wide = Latin1ToUtf16(all);
  ASSERT_EQ(wide.size(), 256u);
  for (int b = 0; b < 256; ++b) {
    EXPECT_EQ(wide[static_cast<std::size_t>(b)], static_cast<char16_t>(b));
  }
  EXPECT_EQ(Utf16ToLatin1(wide), all);
  EXPECT_EQ(Utf16ToLatin1(u"\u00FF\u0100\u20AC"), "\xFF??");
  // A supplementary character is one character, so one "?".
  EXPECT_EQ(Utf16ToLatin1(u"x\U0001F3B5y"), "x?y");
}

TEST(Unicode, Utf8LengthCountsCharactersAndInvalidBytes) {
  EXPECT_EQ(Utf8Length(""), 0u);
  EXPECT_EQ(Utf8Length("\xE2\x80\xAF"), 1u);  // a narrow no-break space
  EXPECT_EQ(Utf8Length("\xF0\x9F\x8E\xB5"), 1u);
  EXPECT_EQ(Utf8Length("ab"), 2u);
  EXPECT_EQ(Utf8Length("\xE2\x80"), 2u);
  EXPECT_EQ(Utf8Length("\xFF\xC3\xA9"), 2u);
}

}  // namespace
}  // namespace kestrix::platform
