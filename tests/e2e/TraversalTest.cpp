// Which files a run reports, in which order, and how the walk ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::u16string>;

const TBytes Untagged = {'n', 'o', ' ', 't', 'a', 'g', ' ', 'h', 'e', 'r', 'e'};

// Lines of a run whose files all have no tag, in the given order.
TLines UntaggedRun(const std::vector<fs::path>& Files) {
  TLines lines = BannerLines();
  lines.push_back(u"");
  for (const fs::path& file : Files) {
    lines.push_back(ToU16(file));
    lines.push_back(u"LAME tag not found.");
    lines.push_back(u"");
  }
  return lines;
}

// The files of a folder in the order the walk reports them: sorted by the
// bytes of their names.
std::vector<fs::path> Listed(const fs::path& Folder, const std::string& Suffix = "") {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(Folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && name.size() >= Suffix.size() &&
        name.compare(name.size() - Suffix.size(), Suffix.size(), Suffix) == 0) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

void ExpectRun(const std::vector<std::string>& Arguments, const TLines& Lines, int ExitCode,
               const fs::path& Folder = {}) {
  const TRunResult run = RunKestrix(Arguments, Folder);
  EXPECT_EQ(run.Output, RedirectedText(Lines));
  EXPECT_EQ(run.ExitCode, ExitCode);
}

class TraversalTest : public ::testing::Test {
 protected:
  fs::path Put(const std::string& Name) { return Folder.Write(Name, Untagged); }
  TTempFolder Folder;
};

TEST_F(TraversalTest, FolderArgumentReportsEveryFileInIt) {
  Put("music/a.mp3");
  Put("music/b.txt");
  Put("music/.hidden.mp3");  // hidden files that match are reported
  Put("music/sub/c.mp3");    // not without --recursive
  const fs::path music = Folder.Path() / "music";
  const TLines expected = UntaggedRun(Listed(music));
  ExpectRun({music.string()}, expected, 0);
  ExpectRun({music.string() + "/"}, expected, 0);
  ExpectRun({"."}, expected, 0, music);
  ExpectRun({"../music/sub/.."}, expected, 0, music);
}

TEST_F(TraversalTest, FoldersAreWalkedInByteOrderOfTheNames) {
  // Made in reverse, so the system's own order is unlikely to be sorted.
  for (const char* name : {"root/z/b.mp3", "root/z/a.mp3", "root/b/x.mp3", "root/a/x.mp3",
                           "root/c.mp3", "root/B.mp3", "root/a.mp3"}) {
    Put(name);
  }
  const fs::path root = Folder.Path() / "root";
#ifdef _WIN32
  // Windows keeps the system's order; wine sorts without regard to case.
  const std::vector<const char*> order = {"a.mp3",   "B.mp3",   "c.mp3",  "a/x.mp3",
                                          "b/x.mp3", "z/a.mp3", "z/b.mp3"};
#else
  const std::vector<const char*> order = {"B.mp3",   "a.mp3",   "c.mp3",  "a/x.mp3",
                                          "b/x.mp3", "z/a.mp3", "z/b.mp3"};
#endif
  std::vector<fs::path> files;
  for (const char* name : order) {
    files.push_back((root / name).make_preferred());
  }
  const TLines expected = UntaggedRun(files);
  ExpectRun({"--recursive", root.string()}, expected, 0);
}

TEST_F(TraversalTest, RelativeNameIsShownAsAnAbsolutePath) {
  const fs::path file = Put("dir/one.mp3");
  ExpectRun({"dir/one.mp3"}, UntaggedRun({file}), 0, Folder.Path());
  ExpectRun({"./dir//one.mp3"}, UntaggedRun({file}), 0, Folder.Path());
}

TEST_F(TraversalTest, MaskMatchingOnlyFoldersFindsNothing) {
  fs::create_directories(Folder.Path() / "x.mp3");
  const TRunResult run = RunKestrix({"*.mp3"}, Folder.Path());
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_NE(run.Output.find(RedirectedText({u"FILE NOT FOUND: '*.mp3'"})), std::string::npos);
}

TEST_F(TraversalTest, RecursiveWalkIsDepthFirstAndSkipsHiddenFolders) {
  const fs::path top = Put("root/top.mp3");
  Put("root/.hidden/secret.mp3");
  Put("root/other.txt");
  const fs::path deep = Put("root/sub/deeper/only.mp3");
  const TLines expected = UntaggedRun({top, deep});
  ExpectRun({"--recursive", (Folder.Path() / "root" / "*.mp3").string()}, expected, 0);
}

TEST_F(TraversalTest, MatchFoundOnlyDeepDown) {
  const fs::path deep = Put("root/a/b/c/x.mp3");
  ExpectRun({"--recursive", "x.mp3"}, UntaggedRun({deep}), 0, Folder.Path() / "root");
  const TRunResult flat = RunKestrix({"x.mp3"}, Folder.Path() / "root");
  EXPECT_EQ(flat.ExitCode, 2);
}

#ifndef _WIN32
// Case-sensitive names, links, FIFOs, permissions, bytes that are not
// UTF-8 and terminals are POSIX matters; e2e/win32/ has the Windows forms.

TEST_F(TraversalTest, WildcardsMatchCaseSensitively) {
  Put("a1.mp3");
  Put("a22.mp3");
  Put("b1.MP3");
  Put("a1.txt");
  ExpectRun({"*.mp3"}, UntaggedRun(Listed(Folder.Path(), ".mp3")), 0, Folder.Path());
  ExpectRun({"a?.mp3"}, UntaggedRun({Folder.Path() / "a1.mp3"}), 0, Folder.Path());
}

TEST_F(TraversalTest, LinkLoopsAndSpecialFilesDoNotStopTheWalk) {
  const fs::path file = Put("root/a.mp3");
  fs::create_directory_symlink("..", Folder.Path() / "root" / "up");
  fs::create_directory_symlink(".", Folder.Path() / "root" / "self");
  ASSERT_EQ(
      RunShell("mkfifo " + ShellQuote((Folder.Path() / "root" / "pipe.mp3").string())).ExitCode, 0);
  fs::create_symlink("a.mp3", Folder.Path() / "root" / "link.mp3");
  fs::create_symlink("missing.mp3", Folder.Path() / "root" / "dangling.mp3");

  std::vector<fs::path> expected;
  for (const fs::path& entry : Listed(Folder.Path() / "root", ".mp3")) {
    expected.push_back(entry);  // a.mp3 and link.mp3, in listing order
  }
  ASSERT_EQ(expected.size(), 2u);
  ExpectRun({"--recursive", (Folder.Path() / "root" / "*.mp3").string()}, UntaggedRun(expected), 0);
  (void)file;
}

TEST_F(TraversalTest, UnreadableFileShowsAnErrorAndTheWalkGoesOn) {
  // Root reads any file, so the run drops to an unprivileged user there.
  std::string asUser;
  if (RunShell("test \"$(id -u)\" = 0").ExitCode == 0) {
    asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (RunShell(asUser + ShellQuote(KESTRIX_EXE) + " help").ExitCode != 0) {
      GTEST_SKIP() << "cannot run the program as an unprivileged user here";
    }
  }
  fs::permissions(Folder.Path(), fs::perms::all, fs::perm_options::add);
  const fs::path locked = Put("locked.mp3");
  fs::permissions(locked, fs::perms::none);
  const fs::path open = Put("open.mp3");

  TLines expected = BannerLines();
  expected.push_back(u"");
  for (const fs::path& file : Listed(Folder.Path())) {
    expected.push_back(ToU16(file));
    expected.push_back(file == locked ? u"ERROR: Cannot open file " + ToU16(file)
                                      : u"LAME tag not found.");
    expected.push_back(u"");
  }
  const TRunResult run = RunShell(
      "env LC_ALL=C.UTF-8 " + asUser + ShellQuote(KESTRIX_EXE) + " '*.mp3'", Folder.Path());
  EXPECT_EQ(run.Output, RedirectedText(expected));
  EXPECT_EQ(run.ExitCode, 3);
  (void)open;
}

TEST_F(TraversalTest, FileNamesThatAreNotUtf8AreShownAndOpened) {
  const fs::path odd = Folder.Write("bad\xFFname.mp3", Untagged);
  TLines expected = UntaggedRun({});
  // Shown as U+FFFD, so the output stays valid UTF-16.
  expected.push_back(ToU16(Folder.Path()) + u"/bad\uFFFDname.mp3");
  expected.push_back(u"LAME tag not found.");
  expected.push_back(u"");
  ExpectRun({"*.mp3"}, expected, 0, Folder.Path());
  (void)odd;
}

TEST_F(TraversalTest, TerminalGetsReadableTextWithControlsDefused) {
  if (RunShell("command -v script").ExitCode != 0) {
    GTEST_SKIP() << "no script command to give the program a terminal";
  }
  Folder.Write("caf\xC3\xA9 \x1B[2J.mp3", Untagged);
  const std::string inner = "env LC_ALL=C.UTF-8 " + ShellQuote(KESTRIX_EXE) + " '*.mp3'";
  const TRunResult run = RunShell("script -qec " + ShellQuote(inner) + " /dev/null", Folder.Path());
  EXPECT_EQ(run.Output.find('\0'), std::string::npos) << "UTF-16 on a terminal";
  EXPECT_NE(run.Output.find("LAME tag not found."), std::string::npos);
  // The escape character arrives as U+FFFD in UTF-8, never as itself.
  EXPECT_NE(run.Output.find("/caf\xC3\xA9 \xEF\xBF\xBD[2J.mp3"), std::string::npos);
  EXPECT_EQ(run.Output.find('\x1B'), std::string::npos);
}

#endif

}  // namespace
}  // namespace kestrix::test
