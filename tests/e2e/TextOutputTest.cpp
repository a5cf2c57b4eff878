// What the output is made of: UTF-8 with LF line ends on POSIX and with
// --utf8 everywhere, and the Windows program's UTF-16LE with CR LF on
// Windows and with --utf16 everywhere.
#include <gtest/gtest.h>

#include <algorithm>

#include "platform/Unicode.h"
#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;

const TBytes Untagged = {'n', 'o', ' ', 't', 'a', 'g'};

#ifdef _WIN32
const char PathSeparator = '\\';
// Windows names are always Unicode; one that is not ASCII stands in.
const std::string OddName = "caf\xC3\xA9name.mp3";
const std::string OddNameShown = OddName;
#else
const char PathSeparator = '/';
const std::string OddName = "bad\xFFname.mp3";
const std::string OddNameShown = "bad\xEF\xBF\xBDname.mp3";
#endif

#ifndef _WIN32
// Names that are not UTF-8, and a shell pipe through iconv, exist on POSIX only.
std::string Kestrix(const std::string& Arguments) {
  return "env LC_ALL=C.UTF-8 " + ShellQuote(KESTRIX_EXE) + " " + Arguments;
}

TEST(TextOutput, NameThatIsNotUtf8ConvertsCleanlyFromUtf16) {
  const TTempFolder folder;
  folder.Write("bad\xFFname.mp3", Untagged);
  const TRunResult run = RunShell(
      Kestrix("--utf16 '*.mp3' | iconv -f UTF-16LE -t UTF-8 && echo converted >&2"), folder.Path());
  EXPECT_EQ(run.Errors, "converted\n");
  EXPECT_NE(run.Output.find("/bad\xEF\xBF\xBDname.mp3\r\nLAME tag not found."), std::string::npos);
}

TEST(TextOutput, ReportIsUtf8IntoAPipe) {
  const TRunResult run = RunShell(Kestrix(
      ShellQuote((SamplesFolder() / "mpeg1-stereo-cbr128.mp3").string()) + " | grep Preset"));
  EXPECT_EQ(run.Output, "Preset:             cbr 128\n");
}
#endif

TEST(TextOutput, Utf8AndUtf16AreTheRedirectedTextInOneEncodingEach) {
  const std::string samples = SamplesFolder().u8string();
  const TRunResult native = RunKestrix({"--recursive", samples});
  ASSERT_EQ(native.ExitCode, 0);
  const TRunResult utf8 = RunKestrix({"--utf8", "-r", samples});
  EXPECT_EQ(utf8.Output, Utf8OfRedirected(native.Output));
  EXPECT_EQ(utf8.Output.find('\r'), std::string::npos);
  // UTF-16LE without a byte-order mark, every line ending in CR LF.
  const std::u16string utf16 = FromUtf16LE(RunKestrix({"-r", "--utf16", samples}).Output);
  EXPECT_EQ(Utf8WithLF(utf16), utf8.Output);
  EXPECT_EQ(std::count(utf16.begin(), utf16.end(), u'\r'),
            std::count(utf16.begin(), utf16.end(), u'\n'));
}

// Line by line, as grep -c '^Preset:  ' counts them.
int CountLinesStartingWith(const std::string& Text, const std::string& Start) {
  int count = 0;
  for (std::size_t at = 0; at < Text.size();) {
    const std::size_t end = Text.find('\n', at);
    count += Text.compare(at, Start.size(), Start) == 0;
    at = end == std::string::npos ? Text.size() : end + 1;
  }
  return count;
}

TEST(TextOutput, Utf8OutputCanBeSearchedLineByLine) {
  const TRunResult run = RunKestrix({"--utf8", "-r", "."}, SamplesFolder());
  int tagged = 0;
  for (const auto& entry : fs::directory_iterator(SamplesFolder())) {
    const std::string name = entry.path().filename().string();
    tagged +=
        name.size() > 4 && name.substr(name.size() - 4) == ".mp3" && name != "no-lame-tag.mp3";
  }
  EXPECT_EQ(CountLinesStartingWith(run.Output, "Preset:  "), tagged);
  EXPECT_EQ(run.ExitCode, 0);
}

TEST(TextOutput, Utf8CoversMessagesAndOddNamesToo) {
  const TTempFolder folder;
  folder.Write(OddName, Untagged);
  const TRunResult run = RunKestrix({"--utf8", "*.mp3", "missing.mp3"}, folder.Path());
  EXPECT_EQ(run.ExitCode, 2);
  const std::string expectedTail = PathSeparator + OddNameShown +
                                   "\nLAME tag not found.\n\n"
                                   "Usage: Kestrix [--recursive] <filename|folder>\n"
                                   "       Wildcards are supported in the filename\n\n"
                                   "FILE NOT FOUND: 'missing.mp3'\n";
  ASSERT_GE(run.Output.size(), expectedTail.size());
  EXPECT_EQ(run.Output.substr(run.Output.size() - expectedTail.size()), expectedTail);
  EXPECT_EQ(run.Output.compare(0, 9, "Kestrix -"), 0) << "the banner is UTF-8 too";

  const TRunResult refused = RunKestrix({"--bad", "--utf8"}, folder.Path());
  EXPECT_NE(refused.Output.find("\n\nUnknown option: '--bad'\nUsage: "), std::string::npos);
}

#ifndef _WIN32
// Needs a pseudo-terminal from script(1); wine's console is no terminal.
TEST(TextOutput, Utf8OnATerminalIsStillDefused) {
  if (RunShell("command -v script").ExitCode != 0) {
    GTEST_SKIP() << "no script command to give the program a terminal";
  }
  const TTempFolder folder;
  folder.Write("caf\xC3\xA9 \x1B[2J.mp3", Untagged);
  const std::string inner = "env LC_ALL=C " + ShellQuote(KESTRIX_EXE) + " --utf8 -r '*.mp3'";
  const TRunResult run = RunShell("script -qec " + ShellQuote(inner) + " /dev/null", folder.Path());
  // UTF-8 although the locale is plain ASCII, and no escape character.
  EXPECT_NE(run.Output.find("/caf\xC3\xA9 \xEF\xBF\xBD[2J.mp3"), std::string::npos);
  EXPECT_EQ(run.Output.find('\x1B'), std::string::npos);
}
#endif

}  // namespace
}  // namespace kestrix::test
