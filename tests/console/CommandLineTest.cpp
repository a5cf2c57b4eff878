#include "console/CommandLine.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

using TArgs = std::vector<std::u16string>;

struct TSplitCase {
  const char16_t* Line;
  TArgs Expected;
};

class SplitCommandLine : public ::testing::TestWithParam<TSplitCase> {};

TEST_P(SplitCommandLine, GivesTheArgumentsAfterTheProgram) {
  EXPECT_EQ(kestrix::SplitCommandLine(GetParam().Line), GetParam().Expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SplitCommandLine,
    ::testing::Values(TSplitCase{u"kestrix", {}}, TSplitCase{u"kestrix a b", {u"a", u"b"}},
                      // tabs and other control characters separate like blanks
                      TSplitCase{u"kestrix\ta\x01\x1F b  ", {u"a", u"b"}},
                      TSplitCase{u"\"C:\\Program Files\\k.exe\" x", {u"x"}},
                      // a quoted run joins the text around it
                      TSplitCase{u"k a\"b c\"d", {u"ab cd"}},
                      // no escape character: a backslash before a quote is plain text
                      TSplitCase{u"k a\\\"b c\"", {u"a\\b c"}},
                      // empty pairs between tokens are separators; inside a token they add nothing
                      TSplitCase{u"k \"\" a \"\"\"\" b", {u"a", u"b"}},
                      TSplitCase{u"k a\"\"b", {u"ab"}},
                      // an unclosed quote runs to the end, blanks and controls included
                      TSplitCase{u"k \"a b\t", {u"a b\t"}},
                      // a lone quote as the last token is empty and ends the list
                      TSplitCase{u"k a \"", {u"a"}},
                      // non-ASCII characters belong to tokens
                      TSplitCase{u"k caf\u00E9 \u20AC", {u"caf\u00E9", u"\u20AC"}},
                      // the text ends at a NUL
                      TSplitCase{u"k a\0b c", {u"a"}}));

TEST(ReadToken, ReturnsWhereTheNextTokenStarts) {
  const std::u16string line = u"  one \"two three\"x  four";
  TToken token = ReadToken(line, 0);
  EXPECT_EQ(token.Text, u"one");
  token = ReadToken(line, token.Next);
  EXPECT_EQ(token.Text, u"two threex");
  token = ReadToken(line, token.Next);
  EXPECT_EQ(token.Text, u"four");
  token = ReadToken(line, token.Next);
  EXPECT_EQ(token.Text, u"");
  EXPECT_EQ(token.Next, line.size());
}

TEST(CommandLine, SplitsTheTextWhenTheSystemHandsOverOneLine) {
  platform::TSystemCommandLine system;
  system.Text = u"k.exe --recursive \"my music\"";
  const TCommandLine commandLine(system);
  EXPECT_EQ(commandLine.GetArgumentCount(), 2);
  EXPECT_EQ(commandLine.GetArgument(1), u"--recursive");
  EXPECT_EQ(commandLine.GetArgument(2), u"my music");
  EXPECT_EQ(commandLine.GetArgument(3), u"");
}

TEST(CommandLine, TakesArgumentsAlreadySplit) {
  platform::TSystemCommandLine system;
  system.Arguments = {u"a b", u"c"};
  const TCommandLine commandLine(system);
  EXPECT_EQ(commandLine.GetArgumentCount(), 2);
  EXPECT_EQ(commandLine.GetArgument(1), u"a b");
  EXPECT_EQ(commandLine.GetArgument(5), u"");
  EXPECT_FALSE(commandLine.GetArgument(0).empty());  // the running test program
}

}  // namespace
}  // namespace kestrix
