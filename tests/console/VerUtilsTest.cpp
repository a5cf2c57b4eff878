#include "console/VerUtils.h"

#include <gtest/gtest.h>

#include "platform/KestrixError.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;

#ifndef _WIN32
TBytes Utf16LeWithNul(const std::u16string& Text) {
  TBytes bytes;
  for (const char16_t unit : Text + u'\0') {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

// A copy of a small system program that carries the given version entries,
// added the way the build adds them; empty when the tools are missing.
fs::path ProgramWithVersion(const TTempFolder& Folder,
                            const std::vector<std::pair<std::u16string, std::u16string>>& Pairs) {
  TBytes block;
  for (const auto& [key, value] : Pairs) {
    for (const TBytes& part : {Utf16LeWithNul(key), Utf16LeWithNul(value)}) {
      block.insert(block.end(), part.begin(), part.end());
    }
  }
  block.push_back(0);
  block.push_back(0);
  const fs::path data = Folder.Write("block.bin", block);
  const fs::path program = Folder.Path() / "program";
  const TRunResult run =
      RunShell("objcopy --add-section kestrix_version=" + ShellQuote(data.string()) +
               " /bin/true " + ShellQuote(program.string()));
  return run.ExitCode == 0 ? program : fs::path();
}

#endif

const std::u16string Translation = u"\\VarFileInfo\\Translation";

TEST(VerUtils, MissingFileOrFolderRaisesTheInternalError) {
  const TTempFolder folder;
  const std::u16string missing = ToU16(folder.Path() / "gone");
  try {
    GetVersionInfoString(u"ProductName", missing, 0, 0);
    FAIL() << "no error raised";
  } catch (const EKestrixError& error) {
    EXPECT_EQ(std::string(error.what()),
              "Internal Error: File does not exist: " + (folder.Path() / "gone").string());
  }
  EXPECT_THROW(GetVersionInfoBlock(ToU16(folder.Path())), EKestrixError);
  EXPECT_THROW(GetVersionTranslation(missing), EKestrixError);
}

TEST(VerUtils, FileWithoutVersionDataGivesEmptyValues) {
  const TTempFolder folder;
  const std::u16string file = ToU16(folder.Write("plain.bin", {1, 2, 3}));
  EXPECT_FALSE(GetVersionInfoBlock(file));
  EXPECT_EQ(GetVersionTranslation(file), 0u);
  EXPECT_EQ(GetVersionInfoString(u"ProductName", file, 0, 0), u"");
}

#ifndef _WIN32
// objcopy adds the POSIX data block; platform/win32/ tests the resource.
TEST(VerUtils, LooksUpKeysThroughTheFirstTranslation) {
  const TTempFolder folder;
  const fs::path program =
      ProgramWithVersion(folder, {{u"\\StringFileInfo\\080904E4\\ProductName", u"Kestrix"},
                                  {u"\\StringFileInfo\\040904B0\\ProductName", u"Other"},
                                  {Translation, u"\x0809\x04E4\x0409\x04B0"}});
  if (program.empty()) {
    GTEST_SKIP() << "objcopy cannot add a section here";
  }
  const std::u16string file = ToU16(program);
  EXPECT_EQ(GetVersionTranslation(file), 0x04E40809u);
  EXPECT_EQ(GetVersionInfoString(u"ProductName", file, 0, 0), u"Kestrix");
  // Both numbers come from the translation when either is 0.
  EXPECT_EQ(GetVersionInfoString(u"ProductName", file, 0x0409, 0), u"Kestrix");
  EXPECT_EQ(GetVersionInfoString(u"ProductName", file, 0x0409, 0x04B0), u"Other");
  EXPECT_EQ(GetVersionInfoString(u"CompileDate", file, 0, 0), u"");
}

TEST(VerUtils, NoTranslationLooksUnderZeros) {
  const TTempFolder folder;
  const fs::path program =
      ProgramWithVersion(folder, {{u"\\StringFileInfo\\00000000\\ProductName", u"Zero"}});
  if (program.empty()) {
    GTEST_SKIP() << "objcopy cannot add a section here";
  }
  EXPECT_EQ(GetVersionTranslation(ToU16(program)), 0u);
  EXPECT_EQ(GetVersionInfoString(u"ProductName", ToU16(program), 0, 0), u"Zero");
}

#endif

}  // namespace
}  // namespace kestrix::test
