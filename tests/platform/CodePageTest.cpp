#include "platform/CodePage.h"
#include "support/RunProgram.h"
#include "support/TestFiles.h"

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <clocale>
#include <cstdio>
#include <cstdlib>
#endif

namespace kestrix::platform {
namespace {

#ifndef _WIN32

constexpr char ReportVariable[] = "KESTRIX_TEST_REPORT_CODE_PAGE";

using test::Hex;

std::string Hex(const std::u16string& Units) {
  std::string text;
  char digits[8];
  for (const char16_t unit : Units) {
    std::snprintf(digits, sizeof digits, "%04X.", static_cast<unsigned>(unit));
    text += digits;
  }
  return text;
}

// The code page is chosen when a process starts, so each case runs in a
// fresh copy of this program, which reports and exits before any test.
[[maybe_unused]] const bool ReportedForParent = [] {
  if (std::getenv(ReportVariable) != nullptr) {
    std::printf("narrow=%s widen=%s invalid=%s global=%s\n",
                Hex(Narrow(u"\u00E9\u20AC\xDC80")).c_str(), Hex(Widen("\xC3\xA9\xE9")).c_str(),
                Hex(Widen("\xE2\x82")).c_str(), std::setlocale(LC_ALL, nullptr));
    std::fflush(stdout);
    std::_Exit(0);
  }
  return false;
}();

std::string ReportUnder(const std::string& Environment) {
  const std::string command = "env -u LC_ALL -u LC_CTYPE -u LANG " + Environment + " " +
                              ReportVariable + "=1 /proc/" + std::to_string(getpid()) + "/exe";
  return test::RunShell(command).Output;
}

TEST(CodePage, Utf8LocaleGivesUtf8) {
  // U+20AC takes three bytes; a lone surrogate has no place and becomes "?".
  EXPECT_EQ(ReportUnder("LC_ALL=C.UTF-8"),
            "narrow=C3A9E282AC3F widen=00E9.FFFD. invalid=FFFD. global=C\n");
}

TEST(CodePage, CharacterTypeCategoryDecides) {
  EXPECT_EQ(ReportUnder("LANG=C LC_CTYPE=C.UTF-8"),
            "narrow=C3A9E282AC3F widen=00E9.FFFD. invalid=FFFD. global=C\n");
  EXPECT_EQ(ReportUnder("LANG=C.UTF-8 LC_ALL=C"),
            "narrow=E93F3F widen=00C3.00A9.00E9. invalid=00E2.0082. global=C\n");
}

TEST(CodePage, OtherLocalesGiveIso88591) {
  // Every byte is a character; U+20AC is missing and becomes "?".
  EXPECT_EQ(ReportUnder("LC_ALL=C"),
            "narrow=E93F3F widen=00C3.00A9.00E9. invalid=00E2.0082. global=C\n");
  EXPECT_EQ(ReportUnder(""), "narrow=E93F3F widen=00C3.00A9.00E9. invalid=00E2.0082. global=C\n");
}

TEST(CodePage, UnknownLocaleCountsAsC) {
  EXPECT_EQ(ReportUnder("LC_ALL=xx_NOWHERE.UTF-8"),
            "narrow=E93F3F widen=00C3.00A9.00E9. invalid=00E2.0082. global=C\n");
}

#endif

}  // namespace
}  // namespace kestrix::platform
