// Runs over a library as a shell user makes them: --verify --quiet shows
// only what needs attention, --summary what the library is made of.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

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

TEST_F(LibraryRunTest, SummaryTellsWhatTheLibraryIsMadeOf) {
  Folder.Write("a/mono.mp3", ReadFileBytes(SamplesFolder() / "mpeg2-mono-cbr64.mp3"));
  Folder.Write("a/untagged.mp3", ReadFileBytes(SamplesFolder() / "no-lame-tag.mp3"));
  const TRunResult verify = Run({"--verify", "--summary", "-r", "a"});
  const std::u16string text = FromRedirected(verify.Output);
  const std::u16string block =
      u"5 files: 3 OK, 0 WARN, 1 BAD, 1 not MP3, 0 errors" + std::u16string(RedirectedLineEnd());
  ASSERT_NE(text.find(block), std::u16string::npos);
  EXPECT_EQ(text.substr(text.find(block) + block.size()),
            FromRedirected(RedirectedText(
                {u"Library: 5 files, " + Grouped(u"115630") + u" bytes, playing time 0:00:08",
                 u"Encoders: 3 LAME3.100, 1 no LAME tag", u"Bitrate modes: 4 cbr",
                 u"Sample rates: 3 44100 Hz stereo, 1 16000 Hz mono",
                 u"Presets: 2 cbr 128, 1 cbr 64", u"Problems: 1 music_crc"})));

  const TRunResult json = Run({"--summary", "-r", "a", "--json"});
  const std::string last = json.Output.substr(json.Output.rfind('\n', json.Output.size() - 2) + 1);
  const auto library = nlohmann::ordered_json::parse(last)["summary"]["library"];
  EXPECT_EQ(library["bytes"], 115630);
  EXPECT_NEAR(library["duration"].get<double>(), 8.3, 0.5);
  EXPECT_EQ(library["sample_rates"].dump(), R"({"44100 Hz stereo":3,"16000 Hz mono":1})");
  EXPECT_EQ(library["problems"].dump(), R"({"music_crc":1})");
  EXPECT_EQ(json.ExitCode, 4);
}

TEST_F(LibraryRunTest, SummaryBelongsToVerifyAndJson) {
  for (const char* form : {"--csv", "-r"}) {
    const TRunResult run = Run({form, "--summary", "a"});
    EXPECT_EQ(run.ExitCode, 2);
    EXPECT_NE(
        ShownText(run).find("Option '--summary' works only with '--verify' or '--json'\nUsage: "),
        std::string::npos)
        << form;
  }
}

}  // namespace
}  // namespace kestrix::test
