// Runs over a library as a shell user makes them: --verify --quiet shows
// only what needs attention, --summary what the library is made of.
#include <gtest/gtest.h>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::u16string>;

const std::string Sample = "mpeg1-stereo-cbr128.mp3";

// What a person reads of a run, as UTF-8 with LF line ends: standard
// output, or standard error where a JSON or CSV run put it.
std::string ShownText(const TRunResult& Run) {
  if (!Run.Output.empty()) {
    return Utf8OfRedirected(Run.Output);
  }
  std::string text;
  for (const char c : Run.Errors) {
    if (c != '\r') {
      text += c;
    }
  }
  return text;
}

// An intact sample, a copy with a bit flipped in its audio and a cover
// picture that is no MP3 file.
class LibraryRunTest : public ::testing::Test {
 protected:
  LibraryRunTest() {
    TBytes bytes = ReadFileBytes(SamplesFolder() / Sample);
    Intact = Folder.Write("a/intact.mp3", bytes);
    bytes[bytes.size() / 2] ^= 0x01;
    Flipped = Folder.Write("a/flipped.mp3", bytes);
    Cover = Folder.Write("a/cover.jpg", {'J', 'F', 'I', 'F'});
  }
  TRunResult Run(std::vector<std::string> Arguments) {
    return RunKestrix(Arguments, Folder.Path());
  }

  TTempFolder Folder;
  fs::path Intact, Flipped, Cover;
};

TEST_F(LibraryRunTest, QuietVerifyShowsOnlyWhatNeedsAttention) {
  const TRunResult run = Run({"--verify", "-q", "-r", "a", "missing.mp3"});
  TLines expected = BannerLines();
  expected.insert(
      expected.end(),
      {u"", u"BAD  " + ToU16(Flipped) + u": music CRC stored 8458, actual 044A",
       u"3 files: 1 OK, 0 WARN, 1 BAD, 1 not MP3, 0 errors",
       u"Usage: Kestrix [--recursive] <filename|folder>",
       u"       Wildcards are supported in the filename", u"", u"FILE NOT FOUND: 'missing.mp3'"});
  EXPECT_EQ(run.Output, RedirectedText(expected));
  EXPECT_EQ(run.ExitCode, 4);
}

TEST_F(LibraryRunTest, QuietBelongsToVerify) {
  for (const char* form : {"--json", "--csv", "-r"}) {
    const TRunResult run = Run({form, "--quiet", "a"});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(ShownText(run).find("Option '--quiet' works only with '--verify'\nUsage: "),
              std::string::npos)
        << form;
  }
}

}  // namespace
}  // namespace kestrix::test
