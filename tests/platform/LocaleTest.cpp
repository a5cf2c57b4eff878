#include "platform/Locale.h"
#include "support/RunProgram.h"

#include <gtest/gtest.h>

#include <string>

#ifndef _WIN32
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/posix/PosixLocale.h"
#include "support/TestFiles.h"
#endif

namespace kestrix::platform {
namespace {

TEST(SeparatorRule, OneCharacterIsKept) {
  EXPECT_EQ(ChooseSeparator(u",", u','), u",");
  EXPECT_EQ(ChooseSeparator(u".", u','), u".");
  EXPECT_EQ(ChooseSeparator(u"\u202F", u','), u"\u202F");
  EXPECT_EQ(ChooseSeparator(u"\u066C", u','), u"\u066C");
  // A character beyond U+FFFF takes two units but is one character.
  EXPECT_EQ(ChooseSeparator(u"\U0001D7CE", u','), u"\U0001D7CE");
}

TEST(SeparatorRule, LongerTextBecomesTheFallback) {
  EXPECT_EQ(ChooseSeparator(u"''", u','), u",");
  EXPECT_EQ(ChooseSeparator(u"ab", u'.'), u".");
  EXPECT_EQ(ChooseSeparator(u"\U0001D7CE\U0001D7CE", u','), u",");
  // Two lone low surrogates are two characters, not one pair.
  EXPECT_EQ(ChooseSeparator(u"\xDC00\xDC00", u','), u",");
}

TEST(SeparatorRule, EmptyMeansNone) {
  EXPECT_EQ(ChooseSeparator(u"", u','), u"");
  EXPECT_EQ(ChooseSeparator(u"", u'.'), u"");
}

#ifndef _WIN32

TEST(LocaleText, DecodesByTheLocalesCharacterSet) {
  // The narrow no-break space of French UTF-8 locales: three bytes, one character.
  EXPECT_EQ(posix::DecodeLocaleText("\xE2\x80\xAF", "UTF-8"), u"\u202F");
  // The no-break space of KOI8-R is byte 0x9A.
  EXPECT_EQ(posix::DecodeLocaleText("\x9A", "KOI8-R"), u"\u00A0");
  EXPECT_EQ(posix::DecodeLocaleText("\xA0", "ISO-8859-1"), u"\u00A0");
  EXPECT_EQ(posix::DecodeLocaleText(".", "ANSI_X3.4-1968"), u".");
  // A set nobody knows: the bytes are read as ISO-8859-1.
  EXPECT_EQ(posix::DecodeLocaleText("\xA0", "NO-SUCH-SET"), u"\u00A0");
}

TEST(LocaleText, Utf8CodesetNames) {
  EXPECT_TRUE(posix::IsUtf8Codeset("UTF-8"));
  EXPECT_TRUE(posix::IsUtf8Codeset("utf8"));
  EXPECT_FALSE(posix::IsUtf8Codeset("ISO-8859-1"));
  EXPECT_FALSE(posix::IsUtf8Codeset("ANSI_X3.4-1968"));
  EXPECT_FALSE(posix::IsUtf8Codeset(""));
}

// Sets an environment variable for one test and puts the old value back.
class TEnvironmentVariable {
 public:
  TEnvironmentVariable(const char* Name, const std::string& Value) : Key(Name) {
    if (const char* old = std::getenv(Name)) {
      Previous = old;
    }
    setenv(Name, Value.c_str(), 1);
  }
  ~TEnvironmentVariable() {
    if (Previous) {
      setenv(Key, Previous->c_str(), 1);
    } else {
      unsetenv(Key);
    }
  }
  TEnvironmentVariable(const TEnvironmentVariable&) = delete;
  TEnvironmentVariable& operator=(const TEnvironmentVariable&) = delete;

 private:
  const char* Key;
  std::optional<std::string> Previous;
};

// Builds a locale into a folder of the test's own with localedef, so no
// locale needs to be installed; false when the system cannot build it.
bool BuildLocale(const test::TTempFolder& Folder, const std::string& Source,
                 const std::string& Charmap, const std::string& Name) {
  const std::string command = "localedef -i " + Source + " -f " + Charmap + " '" +
                              (Folder.Path() / Name).string() + "' >/dev/null 2>&1";
  // localedef warns with exit code 1 and still writes the locale.
  const int status = std::system(command.c_str());
  return status != -1 && WIFEXITED(status) && WEXITSTATUS(status) <= 1 &&
         std::filesystem::exists(Folder.Path() / Name / "LC_NUMERIC");
}

using test::Hex;

constexpr char ReportVariable[] = "KESTRIX_TEST_REPORT_SEPARATORS";

// Each locale is read in a fresh copy of this program, as a run reads it
// once; the copy reports and exits before any test.
[[maybe_unused]] const bool ReportedForParent = [] {
  if (std::getenv(ReportVariable) != nullptr) {
    const TNumberSeparators& separators = GetNumberSeparators();
    std::printf("thousands=%s decimal=%s\n", Hex(separators.Thousands).c_str(),
                Hex(separators.Decimal).c_str());
    std::fflush(stdout);
    std::_Exit(0);
  }
  return false;
}();

std::string ReportUnder(const test::TTempFolder& Folder, const std::string& Environment) {
  const std::string command = "env -u LC_ALL -u LC_CTYPE -u LC_NUMERIC -u LANG LOCPATH='" +
                              Folder.Path().string() + "' " + Environment + " " + ReportVariable +
                              "=1 /proc/" + std::to_string(getpid()) + "/exe";
  return test::RunShell(command).Output;
}

TEST(LocaleSeparators, CLocaleHasNoGroupingAndAFullStop) {
  const TEnvironmentVariable all("LC_ALL", "C");
  const TLocaleSeparators separators = ReadLocaleSeparators();
  EXPECT_EQ(separators.Thousands, u"");
  EXPECT_EQ(separators.Decimal, u".");
}

TEST(LocaleSeparators, MissingLocaleCountsAsC) {
  const TEnvironmentVariable all("LC_ALL", "xx_NOWHERE.UTF-8");
  const TLocaleSeparators separators = ReadLocaleSeparators();
  EXPECT_EQ(separators.Thousands, u"");
  EXPECT_EQ(separators.Decimal, u".");
}

TEST(LocaleSeparators, RealLocalesInTheActiveCodePage) {
  test::TTempFolder folder;
  if (!BuildLocale(folder, "fr_FR", "UTF-8", "fr_FR.UTF-8") ||
      !BuildLocale(folder, "ru_RU", "KOI8-R", "ru_RU.KOI8-R")) {
    GTEST_SKIP() << "localedef cannot build the test locales here";
  }
  // A narrow no-break space, three bytes in UTF-8, is one character.
  EXPECT_EQ(ReportUnder(folder, "LC_ALL=fr_FR.UTF-8"), "thousands=E280AF decimal=2C\n");
  // KOI8-R's no-break space is byte 9A; ISO-8859-1 has it as A0.
  EXPECT_EQ(ReportUnder(folder, "LC_ALL=ru_RU.KOI8-R"), "thousands=A0 decimal=2C\n");
  EXPECT_EQ(ReportUnder(folder, "LC_CTYPE=C.UTF-8 LC_NUMERIC=ru_RU.KOI8-R"),
            "thousands=C2A0 decimal=2C\n");
  // ISO-8859-1 lacks the narrow no-break space.
  EXPECT_EQ(ReportUnder(folder, "LANG=C LC_NUMERIC=fr_FR.UTF-8"), "thousands=3F decimal=2C\n");
  // LC_ALL wins over LC_NUMERIC.
  EXPECT_EQ(ReportUnder(folder, "LC_ALL=C LC_NUMERIC=fr_FR.UTF-8"), "thousands= decimal=2E\n");
}

#endif

}  // namespace
}  // namespace kestrix::platform
