#include "platform/Process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "support/TestFiles.h"

namespace kestrix::platform {
namespace {

#ifndef _WIN32

namespace fs = std::filesystem;

TSystemCommandLine CommandLineOf(std::vector<std::string> Words) {
  std::vector<char*> argv;
  for (std::string& word : Words) {
    argv.push_back(word.data());
  }
  argv.push_back(nullptr);
  return GetSystemCommandLine(static_cast<int>(Words.size()), argv.data());
}

TEST(SystemCommandLine, ArgumentsAfterTheProgramWithoutEmptyOnes) {
  const TSystemCommandLine line =
      CommandLineOf({"/usr/bin/kestrix", "--recursive", "", "my music/*.mp3", ""});
  EXPECT_EQ(line.Arguments, (std::vector<std::u16string>{u"--recursive", u"my music/*.mp3"}));
  EXPECT_FALSE(line.Text.has_value());
}

TEST(SystemCommandLine, NoArguments) {
  EXPECT_TRUE(CommandLineOf({"kestrix"}).Arguments.empty());
  EXPECT_TRUE(GetSystemCommandLine(0, nullptr).Arguments.empty());
}

TEST(SystemCommandLine, FileNamesAreKeptByteForByte) {
  const std::string latin1Name = "caf\xE9 \xC3\xA9.mp3";
  const TSystemCommandLine line = CommandLineOf({"kestrix", latin1Name});
  ASSERT_EQ(line.Arguments.size(), 1u);
  EXPECT_EQ(line.Arguments[0], u"caf\xDCE9 \u00E9.mp3");
  EXPECT_EQ(Utf16ToUtf8(line.Arguments[0], TLoneSurrogate::Unescape), latin1Name);
}

TEST(ExecutablePath, IsTheAbsolutePathOfThisProgram) {
  const std::u16string path = GetExecutablePath();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.front(), u'/');
  EXPECT_EQ(path, test::ToU16(fs::read_symlink("/proc/self/exe")));
  EXPECT_TRUE(IsExistingFile(path));
}

constexpr char ReportVariable[] = "KESTRIX_TEST_REPORT_EXECUTABLE_PATH";

// A copy of this program started by the test below only reports what it
// sees, before any test runs.
[[maybe_unused]] const bool ReportedForParent = [] {
  if (std::getenv(ReportVariable) != nullptr) {
    std::printf("<<%s>>\n", Utf16ToUtf8(GetExecutablePath(), TLoneSurrogate::Unescape).c_str());
    std::fflush(stdout);
    std::_Exit(0);
  }
  return false;
}();

TEST(ExecutablePath, LongPathIsReadWhole) {
  test::TTempFolder folder;
  fs::path deep = folder.Path();
  for (int i = 0; i < 30; ++i) {
    deep /= "a-rather-long-folder-name";
  }
  fs::create_directories(deep);
  const fs::path copy = deep / "copy";
  fs::copy_file("/proc/self/exe", copy);
  fs::permissions(copy, fs::perms::owner_exec, fs::perm_options::add);
  ASSERT_GT(copy.string().size(), 512u);

  const std::string command = std::string(ReportVariable) + "=1 '" + copy.string() + "'";
  FILE* pipe = popen(command.c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string output;
  char buffer[4096];
  while (const std::size_t got = std::fread(buffer, 1, sizeof buffer, pipe)) {
    output.append(buffer, got);
  }
  pclose(pipe);
  EXPECT_NE(output.find("<<" + copy.string() + ">>"), std::string::npos) << output;
}

#endif

}  // namespace
}  // namespace kestrix::platform
