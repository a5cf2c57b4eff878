#include "console/Options.h"

#include <gtest/gtest.h>

#include "console/ExitCode.h"

namespace kestrix {
namespace {

using TArgs = std::vector<std::u16string>;

TOptions Parsed(const TArgs& Arguments) {
  const TParsedOptions parsed = ParseOptions(Arguments);
  EXPECT_FALSE(parsed.Refusal) << "refused";
  return parsed.Options;
}

std::u16string RefusalOf(const TArgs& Arguments) {
  const TParsedOptions parsed = ParseOptions(Arguments);
  return parsed.Refusal ? parsed.Refusal->Message : u"<accepted>";
}

TEST(ParseOptions, OptionsCountWhereverTheyStand) {
  const TOptions options = Parsed({u"a.mp3", u"-r", u"b", u"--utf8"});
  EXPECT_TRUE(options.Recursive);
  EXPECT_EQ(options.Encoding, platform::TTextEncoding::Utf8);
  EXPECT_FALSE(options.Help);
  EXPECT_EQ(options.Form, TOutputForm::Report);
  EXPECT_EQ(options.Paths, (TArgs{u"a.mp3", u"b"}));
  EXPECT_TRUE(Parsed({u"x", u"--recursive"}).Recursive);
}

TEST(ParseOptions, EverythingAfterDoubleDashIsAPath) {
  const TOptions options = Parsed({u"-r", u"--", u"--utf8", u"-x", u"--", u"-h"});
  EXPECT_TRUE(options.Recursive);
  EXPECT_FALSE(options.Encoding);
  EXPECT_FALSE(options.Help);
  EXPECT_EQ(options.Paths, (TArgs{u"--utf8", u"-x", u"--", u"-h"}));
}

TEST(ParseOptions, PathsKeepTheirOrderAndRepeats) {
  EXPECT_EQ(Parsed({u"b", u"a", u"b", u"help", u"?"}).Paths,
            (TArgs{u"b", u"a", u"b", u"help", u"?"}));
}

TEST(ParseOptions, OutputFormsAndRepeatsOfOne) {
  EXPECT_EQ(Parsed({u"--json", u"a"}).Form, TOutputForm::Json);
  EXPECT_EQ(Parsed({u"a", u"--csv"}).Form, TOutputForm::Csv);
  EXPECT_EQ(Parsed({u"--verify", u"a", u"--verify"}).Form, TOutputForm::Verify);
}

TEST(ParseOptions, TwoFormsAreRefusedNamingBoth) {
  EXPECT_EQ(RefusalOf({u"--json", u"a", u"--csv"}),
            u"Options '--json' and '--csv' cannot be used together");
  EXPECT_EQ(RefusalOf({u"--verify", u"--json", u"a"}),
            u"Options '--verify' and '--json' cannot be used together");
}

TEST(ParseOptions, OneEncodingAtATime) {
  EXPECT_EQ(Parsed({u"--utf16", u"a", u"--utf16"}).Encoding, platform::TTextEncoding::Utf16LE);
  EXPECT_EQ(RefusalOf({u"--utf16", u"a", u"--utf8"}),
            u"Options '--utf16' and '--utf8' cannot be used together");
}

TEST(ParseOptions, UnknownOptionsAreRefusedFirstOneNamed) {
  EXPECT_EQ(RefusalOf({u"a", u"--RECURSIVE", u"-x"}), u"Unknown option: '--RECURSIVE'");
  EXPECT_EQ(RefusalOf({u"-", u"a"}), u"Unknown option: '-'");
  EXPECT_EQ(RefusalOf({u"--recursive=yes", u"a"}), u"Unknown option: '--recursive=yes'");
  // The options are still read, so --utf8 shapes the refusal's output too.
  EXPECT_EQ(ParseOptions({u"--bad", u"--utf16"}).Options.Encoding,
            platform::TTextEncoding::Utf16LE);
}

TEST(ParseOptions, HelpWordsAmongOptionsAskForHelpAndWinOverRefusals) {
  for (const char16_t* word : {u"--help", u"-help", u"-?", u"-h"}) {
    const TParsedOptions parsed = ParseOptions({u"a", word, u"--bad"});
    EXPECT_TRUE(parsed.Options.Help);
    EXPECT_FALSE(parsed.Refusal);
  }
  const TParsedOptions version = ParseOptions({u"--bad", u"--version"});
  EXPECT_TRUE(version.Options.Version);
  EXPECT_FALSE(version.Refusal);
  // Help words that do not look like options stay paths.
  EXPECT_FALSE(Parsed({u"help", u"/?", u"?"}).Help);
}

TEST(CombineExitCodes, NoOutputThenErrorThenUsage) {
  EXPECT_EQ(CombineExitCodes(ecSuccess, ecUsage), ecUsage);
  EXPECT_EQ(CombineExitCodes(ecUsage, ecErrorPrinted), ecErrorPrinted);
  EXPECT_EQ(CombineExitCodes(ecErrorPrinted, ecNoOutput), ecNoOutput);
  EXPECT_EQ(CombineExitCodes(ecNoOutput, ecUsage), ecNoOutput);
  EXPECT_EQ(CombineExitCodes(ecSuccess, ecSuccess), ecSuccess);
}

}  // namespace
}  // namespace kestrix
