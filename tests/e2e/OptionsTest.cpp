// Command lines with options and several paths; the classic forms are
// covered by the entry tests and must not change.
#include <gtest/gtest.h>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::u16string>;

const TBytes Untagged = {'n', 'o', ' ', 't', 'a', 'g'};

const TLines Usage = {u"Usage: Kestrix [--recursive] <filename|folder>",
                      u"       Wildcards are supported in the filename"};

TLines Join(std::initializer_list<TLines> Parts) {
  TLines all;
  for (const TLines& part : Parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

TLines Block(const fs::path& File) {
  return {ToU16(File), u"LAME tag not found.", u""};
}

TLines NotFound(const TLines& Names) {
  TLines lines = Join({Usage, {u""}});
  for (const std::u16string& name : Names) {
    lines.push_back(u"FILE NOT FOUND: '" + name + u"'");
  }
  return lines;
}

class OptionsTest : public ::testing::Test {
 protected:
  fs::path Put(const std::string& Name) { return Folder.Write(Name, Untagged); }

  void ExpectRun(const std::vector<std::string>& Arguments, const TLines& AfterBanner,
                 int ExitCode) {
    const TRunResult run = RunKestrix(Arguments, Folder.Path());
    EXPECT_EQ(run.Output, RedirectedText(Join({BannerLines(), {u""}, AfterBanner})));
    EXPECT_EQ(run.ExitCode, ExitCode);
    EXPECT_EQ(run.Errors, "");
  }

  TTempFolder Folder;
};

TEST_F(OptionsTest, ShellExpandedWildcardReportsEveryFileInOrder) {
  const fs::path a = Put("a.mp3");
  const fs::path b = Put("b.mp3");
  const fs::path c = Put("c.mp3");
#ifdef _WIN32
  // No Windows shell expands wildcards: the words a POSIX shell makes of *.mp3.
  const TRunResult run = RunKestrix({"a.mp3", "b.mp3", "c.mp3"}, Folder.Path());
#else
  const std::string command = "env LC_ALL=C.UTF-8 " + ShellQuote(KESTRIX_EXE) + " *.mp3";
  const TRunResult run = RunShell(command, Folder.Path());
#endif
  EXPECT_EQ(run.Output, RedirectedText(Join({BannerLines(), {u""}, Block(a), Block(b), Block(c)})));
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(OptionsTest, RecursiveMayFollowThePath) {
  const fs::path top = Put("top.mp3");
  const fs::path deep = Put("sub/top.mp3");
  const TLines expected = Join({Block(top), Block(deep)});
  ExpectRun({"top.mp3", "--recursive"}, expected, 0);
  ExpectRun({"-r", "top.mp3", "--"}, expected, 0);
}

TEST_F(OptionsTest, SeveralPathsInTheOrderGivenRepeatsIncluded) {
  const fs::path a = Put("a.mp3");
  const fs::path b = Put("b.mp3");
  ExpectRun({"b.mp3", "a.mp3", "b.mp3"}, Join({Block(b), Block(a), Block(b)}), 0);
}

TEST_F(OptionsTest, MissingPathsAreListedAfterAllReports) {
  const fs::path a = Put("a.mp3");
  ExpectRun({"x.mp3", "a.mp3", "y*.mp3"}, Join({Block(a), NotFound({u"x.mp3", u"y*.mp3"})}), 2);
  ExpectRun({"x.mp3", "y.mp3"}, NotFound({u"x.mp3", u"y.mp3"}), 2);
  ExpectRun({"-r", "x.mp3"}, NotFound({u"x.mp3"}), 2);
}

TEST_F(OptionsTest, DoubleDashMakesEveryLaterArgumentAPath) {
  const fs::path dashed = Put("-r");
  const fs::path helpish = Put("--help");
  ExpectRun({"--", "-r", "--help"}, Join({Block(dashed), Block(helpish)}), 0);
  ExpectRun({"-r", "--", "--json"}, NotFound({u"--json"}), 2);
}

TEST_F(OptionsTest, UnknownOptionIsRefusedAndNothingRuns) {
  Put("a.mp3");
  ExpectRun({"a.mp3", "--frobnicate", "a.mp3"}, Join({{u"Unknown option: '--frobnicate'"}, Usage}),
            2);
  ExpectRun({"-x", "-y"}, Join({{u"Unknown option: '-x'"}, Usage}), 2);
}

// With --json or --csv standard output carries that form or nothing: the
// banner and what a person must read go to standard error.
TEST_F(OptionsTest, TwoOutputFormsAreRefused) {
  Put("a.mp3");
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--json", "--csv", "a.mp3"}, {"--verify", "--csv", "a.mp3"}}) {
    const TRunResult run = RunKestrix(arguments, Folder.Path());
    EXPECT_EQ(run.Output, "");
    EXPECT_EQ(run.ExitCode, 2);
    const std::string end = StdErrorLineEnd();
    EXPECT_NE(run.Errors.find(end + "Options '--" + arguments[0].substr(2) +
                              "' and '--csv' cannot be used together" + end + "Usage: Kestrix"),
              std::string::npos)
        << run.Errors;
  }
  const TRunResult help = RunKestrix({"--json", "--help"}, Folder.Path());
  EXPECT_EQ(help.Output, "");
  EXPECT_EQ(help.ExitCode, 0);
  EXPECT_NE(help.Errors.find("  --verify "), std::string::npos);
}

#ifndef _WIN32
// Standard error gets the lines a redirected output would hold: a line end
// inside a refused word splits its line, other controls are defused.
TEST_F(OptionsTest, RefusalOnStandardErrorKeepsItsLineBreaks) {
  const TRunResult run = RunKestrix({"--json", "--a\r\nb\x1B", "x"}, Folder.Path());
  EXPECT_EQ(run.Output, "");
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_NE(run.Errors.find("\nUnknown option: '--a\xEF\xBF\xBD\nb\xEF\xBF\xBD'\nUsage: Kestrix"),
            std::string::npos)
      << run.Errors;
}
#endif

TEST_F(OptionsTest, ClassicFormsTakeOptionLikeWordsAsPaths) {
  const fs::path json = Put("--json");
  ExpectRun({"--json"}, Block(json), 0);
  ExpectRun({"--utf8"}, NotFound({u"--utf8"}), 2);
  ExpectRun({"--recursive", "-r"}, NotFound({u"-r"}), 2);
  ExpectRun({"--recursive", "--json"}, Block(json), 0);
}

// Command lines that once printed the usage alone.
TEST_F(OptionsTest, FormerWrongArgumentCountsGetTheirNewMeaning) {
  ExpectRun({"--RECURSIVE", "x"}, Join({{u"Unknown option: '--RECURSIVE'"}, Usage}), 2);
  ExpectRun({"name.mp3", "--recursive"}, NotFound({u"name.mp3"}), 2);
  ExpectRun({"a", "b"}, NotFound({u"a", u"b"}), 2);
}

TEST_F(OptionsTest, OptionsWithoutPathsPrintTheUsage) {
  ExpectRun({"-r", "--recursive"}, Usage, 2);
  ExpectRun({"--", "--"}, NotFound({u"--"}), 2);
}

TEST_F(OptionsTest, VersionNeedsTheOptionsForm) {
  for (const auto& arguments : std::vector<std::vector<std::string>>{
           {"--version", "--"}, {"--json", "--version", "--bad"}}) {
    const TRunResult run = RunKestrix(arguments, Folder.Path());
    EXPECT_EQ(run.Output,
              RedirectedText({u"kestrix " + ToU16(KESTRIX_PRODUCT_VERSION), u"License: MIT"}));
    EXPECT_EQ(run.ExitCode, 0);
  }
  ExpectRun({"--version"}, NotFound({u"--version"}), 2);
}

// Help, usage and refusals of the options form honour an encoding option
// wherever it stands; a help word first keeps the classic help.
TEST_F(OptionsTest, EncodingOptionsShapeHelpAndRefusalsWhereverTheyStand) {
  const std::string help = RunKestrix({"-h", "x", "--utf8"}, Folder.Path()).Output;
  EXPECT_EQ(Utf8WithLF(FromUtf16LE(RunKestrix({"--utf16", "--help"}, Folder.Path()).Output)), help);
  const TRunResult refused = RunKestrix({"--utf16", "--bad"}, Folder.Path());
  EXPECT_EQ(Utf8WithLF(FromUtf16LE(refused.Output)),
            RunKestrix({"--bad", "--utf8"}, Folder.Path()).Output);
  EXPECT_EQ(refused.ExitCode, 2);
  EXPECT_EQ(RunKestrix({"--help", "--utf16"}, Folder.Path()).Output,
            RunKestrix({"help"}, Folder.Path()).Output);
}

TEST_F(OptionsTest, HelpAmongOptionsAddsTheOptionBlock) {
  for (const char* word : {"--help", "-help", "-?", "-h"}) {
    SCOPED_TRACE(word);
    const TRunResult run = RunKestrix({"a.mp3", word}, Folder.Path());
    const TRunResult classic = RunKestrix({"help"}, Folder.Path());
    EXPECT_EQ(run.ExitCode, 0);
    ASSERT_EQ(run.Output.compare(0, classic.Output.size(), classic.Output), 0)
        << "starts with the classic help output";
    const std::string block = run.Output.substr(classic.Output.size());
    const std::u16string text = FromRedirected(block);
    EXPECT_EQ(text.compare(0, RedirectedLineEnd().size(), RedirectedLineEnd()), 0)
        << "an empty line first";
    for (const char16_t* option :
         {u"--recursive", u"--utf8", u"--json", u"--csv", u"--verify", u"--help"}) {
      EXPECT_NE(text.find(option), std::u16string::npos);
    }
  }
}

}  // namespace
}  // namespace kestrix::test
