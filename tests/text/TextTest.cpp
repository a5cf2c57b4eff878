#include "text/Text.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(FormatText, FillsDirectivesInOrder) {
  EXPECT_EQ(FormatText(u"Tag revision:       %d", {3}), u"Tag revision:       3");
  EXPECT_EQ(FormatText(u"%d %d", {-7, 0}), u"-7 0");
  EXPECT_EQ(FormatText(u"%s\\%.4x%.4x\\%s", {std::string("\\StringFileInfo"), 0x809, 0x4E4,
                                             std::u16string(u"ProductName")}),
            u"\\StringFileInfo\\080904E4\\ProductName");
  EXPECT_EQ(FormatText(u"%.4x", {0xABCDE}), u"ABCDE");
  EXPECT_EQ(FormatText(u"100%% %s", {std::u16string(u"\u20AC")}), u"100% \u20AC");
}

TEST(FormatText, LeavesUnknownOrUnfilledDirectivesAlone) {
  EXPECT_EQ(FormatText(u"%q %s %", {}), u"%q %s %");
}

TEST(FormatText, WidensEightBitTextThroughTheCodePage) {
  EXPECT_EQ(FormatText(u"ERROR: %s", {std::string("Cannot open file /x")}),
            u"ERROR: Cannot open file /x");
}

TEST(ConsoleSafeText, ReplacesControlsAndLoneSurrogates) {
  EXPECT_EQ(ConsoleSafeText(u"a\x1B[31mb\x07\x7F\x85\u00A0"),
            u"a\uFFFD[31mb\uFFFD\uFFFD\uFFFD\u00A0");
  EXPECT_EQ(ConsoleSafeText(u"\r\n\t"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(ConsoleSafeText(u"x\xDC80y\xD83D"), u"x\uFFFDy\uFFFD");
  EXPECT_EQ(ConsoleSafeText(u"\U0001F600 \u00E9"), u"\U0001F600 \u00E9");
}

TEST(ValidUtf16Text, ReplacesOnlyLoneSurrogates) {
  EXPECT_EQ(ValidUtf16Text(u"bad\xDCFFname\xD800"), u"bad\uFFFDname\uFFFD");
  EXPECT_EQ(ValidUtf16Text(u"\xDC80\xD83D"), u"\uFFFD\uFFFD");
  EXPECT_EQ(ValidUtf16Text(u"\U0001F600\x1B\r\n"), u"\U0001F600\x1B\r\n");
}

TEST(ValidUtf8, LoneSurrogatesBecomeTheReplacementCharacter) {
  EXPECT_EQ(ValidUtf8(u"bad\xDCFFname\xD800"), "bad\xEF\xBF\xBDname\xEF\xBF\xBD");
  EXPECT_EQ(ValidUtf8(u"caf\u00E9 \U0001F600\x1B"), "caf\xC3\xA9 \xF0\x9F\x98\x80\x1B");
}

TEST(Utf16LEBytes, PutsTheLowByteFirst) {
  EXPECT_EQ(Utf16LEBytes(u"A\u20AC\r\n"), std::string("A\0\xAC\x20\r\0\n\0", 8));
}

}  // namespace
}  // namespace kestrix
