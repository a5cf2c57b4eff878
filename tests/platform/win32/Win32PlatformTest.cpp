// What only the Win32 layer does: the system's version resource, command
// line, paths, attributes, sharing, handles and code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "console/VerUtils.h"
#include "platform/CodePage.h"
#include "platform/FileStream.h"
#include "platform/FileSystem.h"
#include "platform/KestrixError.h"
#include "platform/Locale.h"
#include "platform/Process.h"
#include "platform/StdOutput.h"
#include "platform/win32/Win32File.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace kestrix::platform {
namespace {

namespace fs = std::filesystem;
using test::TBytes;
using test::ToU16;

const wchar_t* W(const std::u16string& Text) {
  return reinterpret_cast<const wchar_t*>(Text.c_str());
}

TEST(Win32VersionResource, ExplicitLanguageAndCodePage) {
  const std::u16string self = GetExecutablePath();
  EXPECT_EQ(GetVersionInfoString(u"ProductName", self, 0x0809, 0x04E4), u"Kestrix tests");
  EXPECT_EQ(GetVersionInfoString(u"ProductName", self, 0x0409, 0x04B0), u"Other table");
  EXPECT_EQ(GetVersionInfoString(u"ProductName", self, 0x0407, 0x04E4), u"");
  // The resource was compiled as UTF-8, so the sign arrives as one character.
  EXPECT_EQ(GetVersionInfoString(u"LegalCopyright", self, 0x0809, 0x04E4), u"\u00A9 British");
  EXPECT_EQ(GetVersionInfoString(u"LegalCopyright", self, 0x0409, 0x04B0), u"");
}

TEST(Win32VersionResource, ZeroTakesBothFromTheFirstTranslation) {
  const std::u16string self = GetExecutablePath();
  EXPECT_EQ(GetVersionTranslation(self), 0x04E40809u);
  EXPECT_EQ(GetVersionInfoString(u"ProductName", self, 0, 0), u"Kestrix tests");
  EXPECT_EQ(GetVersionInfoString(u"ProductName", self, 0x0409, 0), u"Kestrix tests");
  EXPECT_EQ(GetVersionInfoString(u"ProductName", self, 0, 0x04B0), u"Kestrix tests");
  EXPECT_EQ(GetVersionInfoString(u"CompileDate", self, 0, 0), u"");
}

TEST(Win32VersionResource, BlockHoldsTheStringsAndBothTranslations) {
  const auto block = ReadVersionBlock(GetExecutablePath());
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(block->QueryValue(u"\\VarFileInfo\\Translation"),
            TBytes({0x09, 0x08, 0xE4, 0x04, 0x09, 0x04, 0xB0, 0x04}));
  // A string value comes with its terminating NUL, which the lookup drops.
  const TBytes name = {'O', 0, 't', 0, 'h', 0, 'e', 0, 'r', 0, ' ', 0,
                       't', 0, 'a', 0, 'b', 0, 'l', 0, 'e', 0, 0,   0};
  EXPECT_EQ(block->QueryValue(u"\\StringFileInfo\\040904B0\\ProductName"), name);
  EXPECT_FALSE(block->QueryValue(u"\\StringFileInfo\\040904B0\\Missing"));
}

TEST(Win32CommandLine, IsTheSystemsTextUnsplit) {
  const TSystemCommandLine line = GetSystemCommandLine(0, nullptr);
  ASSERT_TRUE(line.Text.has_value());
  EXPECT_EQ(*line.Text, win32::FromWide(::GetCommandLineW()));
  EXPECT_TRUE(line.Arguments.empty());
}

TEST(Win32ExecutablePath, IsTheModulesFullPath) {
  const std::u16string path = GetExecutablePath();
  ASSERT_GT(path.size(), 3u);
  EXPECT_EQ(path.substr(1, 2), u":\\");
  EXPECT_TRUE(IsExistingFile(path));
  EXPECT_EQ(fs::path(path).filename(), "kestrix_unit_tests.exe");
}

TEST(Win32Paths, ExpandUsesBackslashesAndTheCurrentFolder) {
  test::TTempFolder folder;
  fs::create_directories(folder.Path() / "sub");
  const fs::path previous = fs::current_path();
  fs::current_path(folder.Path() / "sub");
  const std::u16string root = ExpandPath(ToU16(folder.Path()));
  EXPECT_EQ(ExpandPath(u"a.mp3"), root + u"\\sub\\a.mp3");
  EXPECT_EQ(ExpandPath(u"..\\x/./y\\..\\*.mp3"), root + u"\\x\\*.mp3");
  EXPECT_EQ(ExpandPath(u"."), root + u"\\sub");
  EXPECT_EQ(ExpandPath(u".\\"), root + u"\\sub\\");
  fs::current_path(previous);
  EXPECT_EQ(ExpandPath(u"C:\\music\\..\\songs\\a?.mp3"), u"C:\\songs\\a?.mp3");
  EXPECT_EQ(ExpandPath(u""), u"");
}

// A folder path of more than 259 units below the test's folder, made
// level by level through the long form.
std::u16string LongFolder(const test::TTempFolder& Folder) {
  std::u16string path = ToU16(Folder.Path());
  while (path.size() < 300) {
    path += u"\\a-long-folder-name";
    EXPECT_NE(::CreateDirectoryW(W(win32::ToSystemPath(path)), nullptr), 0);
  }
  return path;
}

TEST(Win32Paths, LongPathsAreNeitherCutNorRefused) {
  test::TTempFolder folder;
  const std::u16string deep = LongFolder(folder);
  const std::u16string file = deep + u"\\song.mp3";
  EXPECT_EQ(ExpandPath(file), file);
  {
    const win32::THandle out(::CreateFileW(W(win32::ToSystemPath(file)), GENERIC_WRITE, 0, nullptr,
                                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(out.IsOpen());
    DWORD written = 0;
    ASSERT_NE(::WriteFile(out.Get(), "abc", 3, &written, nullptr), 0);
  }
  EXPECT_TRUE(IsFolder(deep));
  EXPECT_TRUE(IsExistingFile(file));
  TFileStream stream;
  ASSERT_TRUE(stream.Open(file));
  char buffer[3] = {};
  EXPECT_EQ(stream.Read(buffer, 3), 3);
  TDirectorySearch search;
  ASSERT_TRUE(search.First(deep + u"\\*.mp3"));
  EXPECT_EQ(search.Name(), u"song.mp3");
  EXPECT_TRUE(GetFolderId(deep));
}

TEST(Win32Paths, LongFormOnlyBeyondTheLimit) {
  EXPECT_EQ(win32::ToSystemPath(u"C:\\music\\a.mp3"), u"C:\\music\\a.mp3");
  const std::u16string tail(300, u'x');
  EXPECT_EQ(win32::ToSystemPath(u"C:\\music\\" + tail), u"\\\\?\\C:\\music\\" + tail);
  EXPECT_EQ(win32::ToSystemPath(u"C:\\music\\..\\" + tail), u"\\\\?\\C:\\" + tail);
  EXPECT_EQ(win32::ToSystemPath(u"\\\\server\\share\\" + tail),
            u"\\\\?\\UNC\\server\\share\\" + tail);
  EXPECT_EQ(win32::ToSystemPath(u"\\\\?\\C:\\" + tail), u"\\\\?\\C:\\" + tail);
}

// Every entry a search yields, by name, with its attributes.
std::map<std::u16string, std::uint32_t> Listing(const std::u16string& Mask) {
  std::map<std::u16string, std::uint32_t> entries;
  TDirectorySearch search;
  for (bool more = search.First(Mask); more; more = search.Next()) {
    entries.emplace(search.Name(), search.Attributes());
  }
  return entries;
}

TEST(Win32DirectorySearch, MasksMatchWithoutRegardToCase) {
  test::TTempFolder folder;
  for (const char* name : {"a.mp3", "b.MP3", "ab.mp3", "x.mp"}) {
    folder.Write(name, {1});
  }
  const std::u16string root = ToU16(folder.Path()) + u"\\";
  const auto names = [](const std::map<std::u16string, std::uint32_t>& Entries) {
    std::vector<std::u16string> list;
    for (const auto& entry : Entries) {
      list.push_back(entry.first);
    }
    return list;
  };
  using TList = std::vector<std::u16string>;
  EXPECT_EQ(names(Listing(root + u"*.mp3")), (TList{u"a.mp3", u"ab.mp3", u"b.MP3"}));
  EXPECT_EQ(names(Listing(root + u"?.MP3")), (TList{u"a.mp3", u"b.MP3"}));
  EXPECT_EQ(names(Listing(root + u"A.MP3")), (TList{u"a.mp3"}));
  EXPECT_EQ(names(Listing(root + u"*")),
            (TList{u".", u"..", u"a.mp3", u"ab.mp3", u"b.MP3", u"x.mp"}));
  EXPECT_EQ(names(Listing(root + u"nothing*")), TList{});
  EXPECT_EQ(names(Listing(root + u"missing\\*")), TList{});
}

TEST(Win32DirectorySearch, ReportsTheAttributesTheSystemKeeps) {
  test::TTempFolder folder;
  const std::u16string root = ToU16(folder.Path()) + u"\\";
  folder.Write("secret.mp3", {1});
  folder.Write("locked.mp3", {1});
  fs::create_directory(folder.Path() / "system");
  ASSERT_NE(
      ::SetFileAttributesW(W(root + u"secret.mp3"), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM),
      0);
  ASSERT_NE(::SetFileAttributesW(W(root + u"locked.mp3"), FILE_ATTRIBUTE_READONLY), 0);
  ASSERT_NE(::SetFileAttributesW(W(root + u"system"), FILE_ATTRIBUTE_SYSTEM), 0);
  const auto all = Listing(root + u"*");
  EXPECT_EQ(all.at(u"secret.mp3") & (attr::Hidden | attr::System | attr::Directory),
            attr::Hidden | attr::System);
  EXPECT_EQ(all.at(u"locked.mp3") & (attr::ReadOnly | attr::Directory), attr::ReadOnly);
  EXPECT_EQ(all.at(u"system") & (attr::System | attr::Directory), attr::System | attr::Directory);
  EXPECT_NE(all.at(u".") & attr::Directory, 0u);
  ::SetFileAttributesW(W(root + u"locked.mp3"), FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FolderId, SameFolderByAnySpelling) {
  test::TTempFolder folder;
  fs::create_directories(folder.Path() / "Music" / "sub");
  const std::u16string root = ToU16(folder.Path());
  const auto plain = GetFolderId(root + u"\\Music");
  const auto other = GetFolderId(root + u"\\MUSIC\\sub\\..\\.\\");
  const auto below = GetFolderId(root + u"\\Music\\sub\\");
  ASSERT_TRUE(plain && other && below);
  EXPECT_FALSE(*plain < *other || *other < *plain);
  EXPECT_TRUE(*plain < *below || *below < *plain);
  EXPECT_FALSE(GetFolderId(root + u"\\missing"));
  EXPECT_FALSE(GetFolderId(u""));
}

class Win32FileStream : public ::testing::Test {
 protected:
  test::TTempFolder Folder;
  std::u16string File = ToU16(Folder.Write("song.mp3", {1, 2, 3, 4}));
};

TEST_F(Win32FileStream, FileOpenForWritingIsStillRead) {
  const win32::THandle writer(::CreateFileW(W(File), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(writer.IsOpen());
  TFileStream stream;
  ASSERT_TRUE(stream.Open(File));
  std::uint8_t buffer[8] = {};
  EXPECT_EQ(stream.Read(buffer, 8), 4);
  EXPECT_EQ(buffer[3], 4);
}

TEST_F(Win32FileStream, FileHeldWithoutSharingCannotBeOpened) {
  const win32::THandle holder(::CreateFileW(W(File), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr));
  ASSERT_TRUE(holder.IsOpen());
  TFileStream stream;
  EXPECT_FALSE(stream.Open(File));
}

TEST_F(Win32FileStream, FoldersDevicesAndBadNamesAreNotOpened) {
  TFileStream stream;
  EXPECT_FALSE(stream.Open(ToU16(Folder.Path())));
  EXPECT_FALSE(stream.Open(u"NUL"));
  EXPECT_FALSE(stream.Open(File + u'\0' + u"x"));
  EXPECT_FALSE(stream.Open(u""));
}

TEST_F(Win32FileStream, ReaderLeavesNoHandleOpen) {
  DWORD before = 0;
  ASSERT_NE(::GetProcessHandleCount(::GetCurrentProcess(), &before), 0);
  for (int i = 0; i < 20; ++i) {
    TFileStream stream;
    ASSERT_TRUE(stream.Open(File));
    TDirectorySearch search;
    ASSERT_TRUE(search.First(ToU16(Folder.Path()) + u"\\*"));
    (void)GetFolderId(ToU16(Folder.Path()));
    (void)ReadVersionBlock(GetExecutablePath());
  }
  DWORD after = 0;
  ASSERT_NE(::GetProcessHandleCount(::GetCurrentProcess(), &after), 0);
  EXPECT_EQ(before, after);
}

// Puts a handle in place of one standard handle for one test.
class TStandardHandle {
 public:
  TStandardHandle(DWORD Which, HANDLE Replacement) : Which(Which), Saved(::GetStdHandle(Which)) {
    ::SetStdHandle(Which, Replacement);
  }
  ~TStandardHandle() { ::SetStdHandle(Which, Saved); }
  TStandardHandle(const TStandardHandle&) = delete;
  TStandardHandle& operator=(const TStandardHandle&) = delete;

 private:
  DWORD Which;
  HANDLE Saved;
};

HANDLE CreateForWriting(const fs::path& Path) {
  return ::CreateFileW(Path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

TEST(Win32StdOutput, InvalidHandleRaisesWithTheSystemsMessage) {
  const TStandardHandle invalid(STD_OUTPUT_HANDLE, INVALID_HANDLE_VALUE);
  try {
    TStdOutput output;
    FAIL() << "no error raised";
  } catch (const EKestrixError& error) {
    const std::string message = error.what();
    const std::string start = "Standard output is not available: ";
    ASSERT_GT(message.size(), start.size());
    EXPECT_EQ(message.substr(0, start.size()), start);
    EXPECT_NE(message.back(), '\n');
  }
}

TEST(Win32StdOutput, FileGetsEveryByteAndIsClosedAtTheEnd) {
  test::TTempFolder folder;
  const fs::path path = folder.Path() / "out.bin";
  const HANDLE file = CreateForWriting(path);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string bytes(1 << 20, '\0');
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    bytes[i] = static_cast<char>(i * 7);
  }
  {
    const TStandardHandle replaced(STD_OUTPUT_HANDLE, file);
    TStdOutput output;
    EXPECT_FALSE(output.IsConsole());
    EXPECT_TRUE(output.WriteBytes(bytes.data(), bytes.size()));
  }
  // The writer closed the handle it was given.
  DWORD flags = 0;
  EXPECT_EQ(::GetHandleInformation(file, &flags), 0);
  const TBytes read = test::ReadFileBytes(path);
  EXPECT_TRUE(std::string(read.begin(), read.end()) == bytes);
}

TEST(Win32StdOutput, PipeIsNotAConsole) {
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  ASSERT_NE(::CreatePipe(&readEnd, &writeEnd, nullptr, 0), 0);
  const win32::THandle reader(readEnd);
  {
    const TStandardHandle replaced(STD_OUTPUT_HANDLE, writeEnd);
    TStdOutput output;
    EXPECT_FALSE(output.IsConsole());
    EXPECT_TRUE(output.WriteBytes("x\0y", 3));
  }
  char buffer[8] = {};
  DWORD got = 0;
  ASSERT_NE(::ReadFile(reader.Get(), buffer, sizeof buffer, &got, nullptr), 0);
  EXPECT_EQ(std::string(buffer, got), std::string("x\0y", 3));
}

TEST(Win32StdOutput, EmptyHandleIsNoConsoleAndWritesFail) {
  const TStandardHandle empty(STD_OUTPUT_HANDLE, nullptr);
  TStdOutput output;
  EXPECT_FALSE(output.IsConsole());
  EXPECT_FALSE(output.WriteBytes("x", 1));
}

TEST(Win32StdError, TextThenCarriageReturnLineFeed) {
  test::TTempFolder folder;
  const fs::path path = folder.Path() / "err.txt";
  const win32::THandle file(CreateForWriting(path));
  {
    const TStandardHandle replaced(STD_ERROR_HANDLE, file.Get());
    WriteStdError("ERROR: out of luck");
    WriteStdError("");
  }
  const TBytes read = test::ReadFileBytes(path);
  EXPECT_EQ(std::string(read.begin(), read.end()), "ERROR: out of luck\r\n\r\n");
}

TEST(Win32CodePage, ThreadCodePageWithItsBestFitAndDefault) {
  if (::GetACP() != 1252) {
    GTEST_SKIP() << "the cases are those of code page 1252, this system uses " << ::GetACP();
  }
  EXPECT_EQ(Narrow(u"\u00E4\u20AC\u4E2D"), "\xE4\x80?");
  EXPECT_EQ(Widen("\xE4\x80\x41"), u"\u00E4\u20ACA");
  // Best fit: a letter the code page lacks becomes its plain form.
  EXPECT_EQ(Narrow(u"\u0100"), "A");
  EXPECT_EQ(Widen(""), u"");
  EXPECT_EQ(Narrow(u""), "");
}

constexpr char ReportVariable[] = "KESTRIX_TEST_REPORT_SEPARATORS";

// This program started with ReportVariable set reports its locale's
// separators and exits before any test. Under wine a locale comes from the
// environment wine starts in, not from a Windows environment block, so
// tests/CMakeLists.txt starts these runs with LC_ALL set.
[[maybe_unused]] const bool ReportedForParent = [] {
  if (std::getenv(ReportVariable) != nullptr) {
    const TNumberSeparators& separators = GetNumberSeparators();
    std::printf("thousands=%s decimal=%s\n", test::Hex(separators.Thousands).c_str(),
                test::Hex(separators.Decimal).c_str());
    std::fflush(stdout);
    std::_Exit(0);
  }
  return false;
}();

}  // namespace
}  // namespace kestrix::platform
