// The output sequences of the entry: help, usage, not found, and the
// banner from the executable's version data.
#include <gtest/gtest.h>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

using TLines = std::vector<std::u16string>;

const TLines Usage = {u"Usage: Kestrix [--recursive] <filename|folder>",
                      u"       Wildcards are supported in the filename"};

const TLines Notes = {
    u"Notes:",
    u"- The LAME version string in the LAME tag is only five characters",
    u"  long, so version numbers such as 3.93.1 are truncated.",
    u"- The preset field is only written by LAME version 3.93 and higher",
    u"  and some later compiles of version 3.90.3.  For files where the",
    u"  preset was not written by the encoder, an attempt will be made",
    u"  to guess the preset, based on the following fields: bitrate,",
    u"  quality, encoding method, noise shaping, stereo mode, ATH type",
    u"  and lowpass.",
    u"- The ReplayGain fields are only written by LAME version 3.94 and",
    u"  higher.",
    u"- The MP3Gain field in the LAME tag is not written by any current",
    u"  implementations of MP3Gain.",
};

TLines Join(std::initializer_list<TLines> Parts) {
  TLines all;
  for (const TLines& part : Parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

const TLines Empty = {u""};

TLines HelpOutput() {
  return Join({BannerLines(), Empty, Usage, Empty, Notes});
}
TLines UsageOutput() {
  return Join({BannerLines(), Empty, Usage});
}
TLines NotFoundOutput(const std::u16string& Name) {
  return Join({BannerLines(), Empty, Usage, Empty, {u"FILE NOT FOUND: '" + Name + u"'"}});
}

void ExpectRun(const std::vector<std::string>& Arguments, const TLines& Lines, int ExitCode,
               const std::filesystem::path& Folder = {}) {
  const TRunResult run = RunKestrix(Arguments, Folder);
  EXPECT_EQ(run.Output, RedirectedText(Lines));
  EXPECT_EQ(run.ExitCode, ExitCode);
  EXPECT_EQ(run.Errors, "");
}

TEST(Entry, EveryHelpWordPrintsUsageAndNotes) {
  for (const char* word : {"help", "-help", "--help", "?", "-?", "/?"}) {
    SCOPED_TRACE(word);
    ExpectRun({word}, HelpOutput(), 0);
  }
}

TEST(Entry, HelpWordWinsWhateverFollows) {
  ExpectRun({"help", "a", "b"}, HelpOutput(), 0);
}

TEST(Entry, WrongArgumentCountPrintsUsageAlone) {
  ExpectRun({}, UsageOutput(), 2);
  ExpectRun({"--recursive"}, UsageOutput(), 2);
}

TEST(Entry, UnknownWordsAreFileNames) {
  const TTempFolder folder;
  ExpectRun({"HELP"}, NotFoundOutput(u"HELP"), 2, folder.Path());
  ExpectRun({"-h"}, NotFoundOutput(u"-h"), 2, folder.Path());
}

TEST(Entry, NotFoundLineShowsTheArgumentAsTyped) {
  const TTempFolder folder;
  ExpectRun({"my file.mp3"}, NotFoundOutput(u"my file.mp3"), 2, folder.Path());
  ExpectRun({"../nowhere/*.mp3"}, NotFoundOutput(u"../nowhere/*.mp3"), 2, folder.Path());
  ExpectRun({"--recursive", "x.mp3"}, NotFoundOutput(u"x.mp3"), 2, folder.Path());
}

TEST(Entry, EmptyArgumentsDoNotCount) {
  const TTempFolder folder;
  ExpectRun({"", "x.mp3", ""}, NotFoundOutput(u"x.mp3"), 2, folder.Path());
}

TEST(Entry, NonAsciiArgumentIsShownExactly) {
  const TTempFolder folder;
  ExpectRun({"caf\xC3\xA9 \xE2\x82\xAC.mp3"}, NotFoundOutput(u"caf\u00E9 \u20AC.mp3"), 2,
            folder.Path());
}

#ifndef _WIN32
// Shell redirections and objcopy; e2e/win32/ has the Windows forms.
TEST(Entry, ClosedStandardOutputEndsWithCodeOne) {
  const TRunResult run = RunShell(ShellQuote(KESTRIX_EXE) + " help >&-");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_FALSE(run.Errors.empty());
  EXPECT_EQ(run.Errors.back(), '\n');
}

TEST(Entry, FailedWritesEndWithCodeOne) {
  const TRunResult run = RunShell(ShellQuote(KESTRIX_EXE) + " help >/dev/full");
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Errors, "Standard output could not be written: the report is incomplete.\n");
}

TEST(Entry, ExecutableWithoutVersionDataPrintsEmptyBannerPlaces) {
  const TTempFolder folder;
  const auto copy = folder.Path() / "kestrix-plain";
  const TRunResult strip = RunShell("objcopy --remove-section kestrix_version " +
                                    ShellQuote(KESTRIX_EXE) + " " + ShellQuote(copy.string()));
  ASSERT_EQ(strip.ExitCode, 0) << strip.Errors;
  const TRunResult run = RunShell(ShellQuote(copy.string()) + " ?");
  EXPECT_EQ(run.Output,
            RedirectedText(Join(
                {{u" - ", u"Copyright ", u"Release , compiled "}, Empty, Usage, Empty, Notes})));
  EXPECT_EQ(run.ExitCode, 0);
}

#endif

}  // namespace
}  // namespace kestrix::test
