// The Windows program as a Windows user meets it: its own command-line
// splitting, standard handles, version resource, attributes and sharing.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using TLines = std::vector<std::u16string>;

const TLines Usage = {u"Usage: Kestrix [--recursive] <filename|folder>",
                      u"       Wildcards are supported in the filename"};
const TBytes Untagged = {'n', 'o', ' ', 't', 'a', 'g'};

TLines NotFound(std::initializer_list<std::u16string> Names, TLines Banner = BannerLines()) {
  TLines lines = std::move(Banner);
  lines.push_back(u"");
  lines.insert(lines.end(), Usage.begin(), Usage.end());
  lines.push_back(u"");
  for (const std::u16string& name : Names) {
    lines.push_back(u"FILE NOT FOUND: '" + name + u"'");
  }
  return lines;
}

TLines UsageOnly() {
  TLines lines = BannerLines();
  lines.push_back(u"");
  lines.insert(lines.end(), Usage.begin(), Usage.end());
  return lines;
}

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

const wchar_t* W(const std::u16string& Text) {
  return reinterpret_cast<const wchar_t*>(Text.c_str());
}

// The program reads GetCommandLineW and splits it by its own rules; the
// program token may be anything.
struct TLineCase {
  const char16_t* Line;
  TLines Expected;
};

TEST(WindowsCommandLine, SplitsTheSystemsTextByItsOwnRules) {
  const TTempFolder folder;
  const TLineCase cases[] = {
      {u"\"C:\\Program Files\\k.exe\" a\"b c\"d", NotFound({u"ab cd"})},
      {u"kestrix \"\" x.mp3 \"\"\"\"", NotFound({u"x.mp3"})},
      {u"kestrix a\"\"b", NotFound({u"ab"})},
      {u"kestrix \"never closed\t.mp3", NotFound({u"never closed\t.mp3"})},
      {u"kestrix a \"", NotFound({u"a"})},
      {u"kestrix a\\\"b c\"", NotFound({u"a\\b c"})},
      // Two paths, each one looked for.
      {u"kestrix\ta\x01\x1F b", NotFound({u"a", u"b"})},
      {u"kestrix", UsageOnly()},
      {u"kestrix \"--recursive\" caf\u00E9.mp3", NotFound({u"caf\u00E9.mp3"})},
  };
  for (const TLineCase& c : cases) {
    SCOPED_TRACE(std::string(c.Line, c.Line + std::char_traits<char16_t>::length(c.Line)));
    const TRunResult run =
        RunCommandLine(BuiltProgram(KESTRIX_EXE), c.Line, TStandardOutput::Captured, folder.Path());
    EXPECT_EQ(run.Output, RedirectedText(c.Expected));
    EXPECT_EQ(run.ExitCode, 2);
  }
}

TEST(WindowsStandardOutput, InvalidHandleEndsWithCodeOneAndAMessage) {
  const TRunResult run =
      RunCommandLine(BuiltProgram(KESTRIX_EXE), u"kestrix help", TStandardOutput::Invalid);
  // Wine hands the program a handle every write fails on instead (the unit
  // tests reach the invalid one); either way the run cannot end as a success.
  EXPECT_EQ(run.ExitCode, 1);
  const bool invalid = run.Errors.rfind("Standard output is not available: ", 0) == 0;
  EXPECT_TRUE(invalid ||
              run.Errors == "Standard output could not be written: the report is incomplete.\r\n")
      << run.Errors;
  EXPECT_EQ(run.Errors.substr(run.Errors.size() - 2), "\r\n");
}

TEST(WindowsStandardOutput, FailedWritesEndWithCodeOne) {
  const TRunResult run =
      RunCommandLine(BuiltProgram(KESTRIX_EXE), u"kestrix help", TStandardOutput::ReadOnlyFile);
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(run.Errors, "Standard output could not be written: the report is incomplete.\r\n");
}

TEST(WindowsBanner, ProgramWithoutVersionResourceLeavesThePlacesEmpty) {
  const TRunResult run = RunProgram(BuiltProgram(KESTRIX_PLAIN_EXE), {"x.mp3", "y"});
  const TLines expected =
      NotFound({u"x.mp3", u"y"}, {u" - ", u"Copyright ", u"Release , compiled "});
  EXPECT_EQ(run.Output, RedirectedText(expected));
  EXPECT_EQ(run.ExitCode, 2);
}

class WindowsWalk : public ::testing::Test {
 protected:
  fs::path Put(const std::string& Name) { return Folder.Write(Name, Untagged); }
  void SetAttributes(const fs::path& Path, DWORD Attributes) {
    ASSERT_NE(::SetFileAttributesW(Path.c_str(), Attributes), 0);
  }
  void ExpectRun(const std::vector<std::string>& Arguments, const TLines& Lines, int ExitCode,
                 const fs::path& In = {}) {
    const TRunResult run = RunKestrix(Arguments, In);
    EXPECT_EQ(run.Output, RedirectedText(Lines));
    EXPECT_EQ(run.ExitCode, ExitCode);
  }
  TTempFolder Folder;
};

TEST_F(WindowsWalk, BackslashPathsAndMasksWithoutRegardToCase) {
  const fs::path a1 = Put("a1.mp3");
  const fs::path b1 = Put("b1.MP3");
  Put("a22.mp3");
  Put("a1.txt");
  const std::string root = Folder.Path().string();
  ExpectRun({root + "\\?1.mp3"}, UntaggedRun({a1, b1}), 0);
  ExpectRun({"A?.MP3"}, UntaggedRun({a1}), 0, Folder.Path());
  ExpectRun({".\\sub\\..\\a1.MP3"}, UntaggedRun({a1}), 0, Folder.Path());
}

TEST_F(WindowsWalk, HiddenAndSystemFilesAreReportedButSuchFoldersNotEntered) {
  const fs::path plain = Put("music\\plain.mp3");
  const fs::path secret = Put("music\\secret.mp3");
  Put("music\\hidden\\inside.mp3");
  Put("music\\system\\inside.mp3");
  const fs::path deep = Put("music\\open\\inside.mp3");
  SetAttributes(secret, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
  SetAttributes(Folder.Path() / "music" / "hidden", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(Folder.Path() / "music" / "system", FILE_ATTRIBUTE_SYSTEM);
  ExpectRun({"--recursive", (Folder.Path() / "music" / "*.mp3").string()},
            UntaggedRun({plain, secret, deep}), 0);
  ExpectRun({(Folder.Path() / "music").string() + "\\"}, UntaggedRun({plain, secret}), 0);
}

TEST_F(WindowsWalk, FileOpenForWritingElsewhereIsStillRead) {
  TTagFileBuilder tag;
  const fs::path file = Folder.Write("growing.mp3", tag.Build());
  const HANDLE writer = ::CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(writer, INVALID_HANDLE_VALUE);
  const TRunResult run = RunKestrix({file.string()});
  ::CloseHandle(writer);
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_NE(run.Output.find(RedirectedText({u"Tag revision:       0"})), std::string::npos);
}

TEST_F(WindowsWalk, FileHeldWithoutSharingShowsAnErrorAndTheWalkGoesOn) {
  const fs::path locked = Put("locked.mp3");
  const fs::path open = Put("open.mp3");
  const HANDLE holder = ::CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const TRunResult run = RunKestrix({"*.mp3"}, Folder.Path());
  ::CloseHandle(holder);
  TLines expected = BannerLines();
  expected.insert(expected.end(), {u"", ToU16(locked), u"ERROR: Cannot open file " + ToU16(locked),
                                   u"", ToU16(open), u"LAME tag not found.", u""});
  EXPECT_EQ(run.Output, RedirectedText(expected));
  EXPECT_EQ(run.ExitCode, 3);
}

TEST_F(WindowsWalk, FileInALongPathIsShownWhole) {
  std::u16string deep = ToU16(Folder.Path());
  while (deep.size() < 300) {
    deep += u"\\a-long-folder-name";
    ASSERT_NE(::CreateDirectoryW(W(u"\\\\?\\" + deep), nullptr), 0);
  }
  const std::u16string file = deep + u"\\song.mp3";
  const HANDLE out = ::CreateFileW(W(u"\\\\?\\" + file), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(out, INVALID_HANDLE_VALUE);
  ::CloseHandle(out);
  ExpectRun({"--recursive", (Folder.Path() / "song.mp3").string()}, UntaggedRun({file}), 0);
}

}  // namespace
}  // namespace kestrix::test
