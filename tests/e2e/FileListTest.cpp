// --files-from and --files0-from: paths read from a list as if they stood
// on the command line, and lists that cannot be used.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::u16string>;

const TBytes Untagged = {'n', 'o', ' ', 't', 'a', 'g'};

class FileListTest : public ::testing::Test {
 protected:
  fs::path Put(const std::string& Name) { return Folder.Write(Name, Untagged); }
  void List(const std::string& Name, const std::string& Text) {
    Folder.Write(Name, TBytes(Text.begin(), Text.end()));
  }
  TRunResult Run(const std::vector<std::string>& Arguments) {
    return RunKestrix(Arguments, Folder.Path());
  }
  // The verify lines after the banner, as UTF-8 with LF.
  std::string Lines(const TRunResult& Run) {
    const std::string text = Utf8OfRedirected(Run.Output);
    const std::size_t start = text.find("\n\n");
    return start == std::string::npos ? text : text.substr(start + 2);
  }
  // A path as a run shows it.
  static std::string Shown(const fs::path& File) { return Utf8WithLF(ToU16(File)); }

  TTempFolder Folder;
};

TEST_F(FileListTest, PathsOfAListComeAfterTheCommandLinesInTheirOrder) {
  const fs::path first = Put("first.mp3");
  const fs::path deep = Put("a/sub/deep.mp3");
  const fs::path top = Put("a/top.mp3");
  const fs::path spaced = Put("with space.mp3");
  List("one.txt", "a\r\n\r\nmissing.mp3\r\n");
  List("two.txt", std::string("with space.mp3\0first.mp3\0", 25));
  const TRunResult run =
      Run({"--verify", "-r", "--files-from", "one.txt", "first.mp3", "--files0-from=two.txt"});
  EXPECT_EQ(Lines(run), "--   " + Shown(first) + ": not an MP3 file\n--   " + Shown(top) +
                            ": not an MP3 file\n--   " + Shown(deep) + ": not an MP3 file\n--   " +
                            Shown(spaced) + ": not an MP3 file\n--   " + Shown(first) +
                            ": not an MP3 file\n"
                            "5 files: 0 OK, 0 WARN, 0 BAD, 5 not MP3, 0 errors\n"
                            "Usage: Kestrix [--recursive] <filename|folder>\n"
                            "       Wildcards are supported in the filename\n\n"
                            "FILE NOT FOUND: 'missing.mp3'\n");
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_EQ(run.Errors, "");
}

TEST_F(FileListTest, StandardInputIsTheListNamedDash) {
  const fs::path file = Put("x.mp3");
  List("names", std::string("x.mp3\0", 6));
  const TRunResult run =
      RunShell(ShellQuote(BuiltProgram(KESTRIX_EXE).string()) + " --json --files0-from - < names",
               Folder.Path());
  EXPECT_EQ(nlohmann::json::parse(run.Output.substr(0, run.Output.find('\n')))["path"], Shown(file))
      << run.Output << run.Errors;
  EXPECT_EQ(run.ExitCode, 0);
}

// What no list may do: stop the run with a crash, or run half of it when
// it cannot be read at all.
TEST_F(FileListTest, ListsThatCannotBeUsedStopTheRunBeforeItStarts) {
  Put("x.mp3");
  Put("folder/y.mp3");
  // Not "nul.txt": Windows opens the device NUL by that name.
  List("zeros.txt", std::string("x.mp3\0x.mp3\0", 12));
  for (const auto& [list, message] : std::vector<std::pair<std::string, std::string>>{
           {"missing.txt", "Cannot read the file list 'missing.txt': "},
           {"folder", "Cannot read the file list 'folder': Is a directory"},
           {"zeros.txt",
            "The file list 'zeros.txt' holds NUL bytes: a list of names each ended by "
            "NUL is read with '--files0-from'"}}) {
    const TRunResult run = Run({"--verify", "x.mp3", "--files-from", list});
    EXPECT_EQ(run.Output, "") << list;
    EXPECT_EQ(run.Errors.compare(0, message.size(), message), 0) << run.Errors;
    EXPECT_EQ(run.Errors.find('\n'), run.Errors.size() - 1) << "one line";
    EXPECT_EQ(run.ExitCode, 2);
  }
  EXPECT_EQ(Run({"--verify", "--files-from"}).ExitCode, 2);
}

TEST_F(FileListTest, EmptyListWithoutOtherPathsGivesTheUsage) {
  List("empty.txt", "\n\r\n\n");
  const TRunResult run = Run({"--files-from", "empty.txt"});
  TLines expected = BannerLines();
  expected.insert(expected.end(), {u"", u"Usage: Kestrix [--recursive] <filename|folder>",
                                   u"       Wildcards are supported in the filename"});
  EXPECT_EQ(run.Output, RedirectedText(expected));
  EXPECT_EQ(run.ExitCode, 2);
}

TEST_F(FileListTest, LongLineIsOneLongPathThatMatchesNothing) {
  const fs::path file = Put("x.mp3");
  List("long.txt", std::string(100000, 'n') + "\nx.mp3\n");
  const TRunResult run = Run({"--verify", "--files-from", "long.txt"});
  const std::string lines = Lines(run);
  EXPECT_EQ(lines.find("--   " + Shown(file) + ": not an MP3 file\n1 files:"), 0u) << lines;
  EXPECT_NE(lines.find("FILE NOT FOUND: '" + std::string(100000, 'n') + "'\n"), std::string::npos);
  EXPECT_EQ(run.ExitCode, 2);
}

#ifndef _WIN32
// A POSIX name is bytes: one that is not UTF-8 is found by its bytes and
// shown with U+FFFD, as on the command line.
TEST_F(FileListTest, NameThatIsNotUtf8IsFoundByItsBytes) {
  Put("bad\xFFname.mp3");
  List("list.txt", "bad\xFFname.mp3\n");
  const TRunResult run = Run({"--verify", "--files-from", "list.txt"});
  EXPECT_NE(Lines(run).find("/bad\xEF\xBF\xBDname.mp3: not an MP3 file\n1 files:"),
            std::string::npos);
  EXPECT_EQ(run.ExitCode, 0);
}
#endif

}  // namespace
}  // namespace kestrix::test
