// Runs over a library as a shell user makes them: --verify --quiet shows
// only what needs attention, --summary what the library is made of.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "platform/Unicode.h"
#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

// An intact sample, a copy with a bit flipped in its audio and a cover
// picture that is no MP3 file.
class LibraryRunTest : public ::testing::Test {
 protected:
  LibraryRunTest() {
    TBytes bytes = ReadFileBytes(SamplesFolder() / "mpeg1-stereo-cbr128.mp3");
    Folder.Write("a/intact.mp3", bytes);
    bytes[bytes.size() / 2] ^= 0x01;
    Flipped = Folder.Write("a/flipped.mp3", bytes);
    Folder.Write("a/cover.jpg", {'J', 'F', 'I', 'F'});
  }
  TRunResult Run(std::vector<std::string> Arguments) {
    return RunKestrix(Arguments, Folder.Path());
  }

  TTempFolder Folder;
  std::filesystem::path Flipped;
};

TEST_F(LibraryRunTest, QuietVerifyShowsOnlyWhatNeedsAttention) {
  const TRunResult run = Run({"--verify", "-q", "-r", "a", "missing.mp3"});
  const std::vector<std::u16string> expected = {
      u"BAD  " + ToU16(Flipped) + u": music CRC stored 8458, actual 044A",
       u"3 files: 1 OK, 0 WARN, 1 BAD, 1 not MP3, 0 errors",
       u"Usage: Kestrix [--recursive] <filename|folder>",
      u"       Wildcards are supported in the filename", u"", u"FILE NOT FOUND: 'missing.mp3'"};
  EXPECT_EQ(run.Output, RedirectedText(expected));
  EXPECT_EQ(run.ExitCode, 4);
}

TEST_F(LibraryRunTest, QuietAndSummaryBelongToTheirForms) {
  for (const auto& [form, option, message] :
       std::vector<std::tuple<std::string, std::string, std::u16string>>{
           {"--json", "--quiet", u"Option '--quiet' works only with '--verify'"},
           {"-r", "-q", u"Option '-q' works only with '--verify'"},
           {"--csv", "--summary", u"Option '--summary' works only with '--verify' or '--json'"},
           {"-r", "--summary", u"Option '--summary' works only with '--verify' or '--json'"}}) {
    const TRunResult run = Run({form, option, "a"});
    EXPECT_EQ(run.ExitCode, 2);
    // A JSON or CSV run tells a person on standard error.
    const bool toErrors = form != "-r";
    EXPECT_NE((toErrors ? platform::Utf8ToUtf16(run.Errors, platform::TInvalidUtf8::Replace)
                        : FromRedirected(run.Output))
                  .find(message),
              std::u16string::npos)
        << form << " " << option;
  }
}

TEST_F(LibraryRunTest, SummaryTellsWhatTheLibraryIsMadeOf) {
  Folder.Write("a/mono.mp3", ReadFileBytes(SamplesFolder() / "mpeg2-mono-cbr64.mp3"));
  Folder.Write("a/untagged.mp3", ReadFileBytes(SamplesFolder() / "no-lame-tag.mp3"));
  const std::u16string text = FromRedirected(Run({"--verify", "--summary", "-r", "a"}).Output);
  const std::u16string counts = u"5 files: 3 OK, 0 WARN, 1 BAD, 1 not MP3, 0 errors";
  ASSERT_NE(text.find(counts), std::u16string::npos);
  EXPECT_EQ(
      text.substr(text.find(counts)),
      FromRedirected(RedirectedText(
          {counts, u"Library: 5 files, " + Grouped(u"115630") + u" bytes, playing time 0:00:08",
           u"Encoders: 3 LAME3.100, 1 no LAME tag", u"Bitrate modes: 4 cbr",
           u"Sample rates: 3 44100 Hz stereo, 1 16000 Hz mono", u"Presets: 2 cbr 128, 1 cbr 64",
           u"Problems: 1 music_crc"})));

  const TRunResult json = Run({"--summary", "-r", "a", "--json"});
  const std::string last = json.Output.substr(json.Output.rfind('\n', json.Output.size() - 2) + 1);
  const auto library = nlohmann::ordered_json::parse(last)["summary"]["library"];
  EXPECT_EQ(library["bytes"], 115630);
  EXPECT_NEAR(library["duration"].get<double>(), 8.3, 0.5);
  EXPECT_EQ(library["sample_rates"].dump(), R"({"44100 Hz stereo":3,"16000 Hz mono":1})");
  EXPECT_EQ(json.ExitCode, 4);
}

}  // namespace
}  // namespace kestrix::test
