#include "support/RunKestrix.h"

#include "platform/CodePage.h"
#include "platform/Locale.h"
#include "platform/Unicode.h"

namespace kestrix::test {

TRunResult RunKestrix(const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder, const std::string& Environment) {
  return RunProgram(BuiltProgram(KESTRIX_EXE), Arguments, Folder, Environment);
}

#ifndef _WIN32
std::optional<std::string> UnprivilegedPrefix() {
  if (RunShell("test \"$(id -u)\" = 0").ExitCode != 0) {
    return std::string();
  }
  const std::string asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  if (RunShell(asUser + ShellQuote(KESTRIX_EXE) + " help").ExitCode != 0) {
    return std::nullopt;
  }
  return asUser;
}
#endif

bool HaveGroupingLocale() {
#ifdef _WIN32
  return platform::GetNumberSeparators().Thousands == ",";
#else
  return RunShell("locale -a | grep -qix 'en_US.utf-\\?8'").ExitCode == 0;
#endif
}

#ifdef _WIN32
const std::string GroupingEnvironment = "LC_ALL=C.UTF-8";
#else
const std::string GroupingEnvironment = "LC_ALL=en_US.UTF-8";
#endif

std::u16string Grouped(std::u16string_view Digits) {
#ifdef _WIN32
  // The program and the test share the user's locale.
  const std::u16string separator = platform::Widen(platform::GetNumberSeparators().Thousands);
#else
  const std::u16string separator;  // LC_ALL=C.UTF-8 groups no digits
#endif
  constexpr std::size_t GroupSize = 3;
  std::u16string text;
  for (std::size_t i = 0; i < Digits.size(); ++i) {
    if (i > 0 && (Digits.size() - i) % GroupSize == 0) {
      text += separator;
    }
    text += Digits[i];
  }
  return text;
}

std::string Utf16Text(const std::vector<std::u16string>& Lines) {
  std::string bytes;
  for (const std::u16string& line : Lines) {
    for (const char16_t c : line + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  }
  return bytes;
}

#ifdef _WIN32

std::string RedirectedText(const std::vector<std::u16string>& Lines) {
  return Utf16Text(Lines);
}

std::u16string_view RedirectedLineEnd() {
  return u"\r\n";
}

std::string StdErrorLineEnd() {
  return "\r\n";
}

std::u16string FromRedirected(const std::string& Bytes) {
  return FromUtf16LE(Bytes);
}

#else

std::string RedirectedText(const std::vector<std::u16string>& Lines) {
  std::string bytes;
  for (const std::u16string& line : Lines) {
    bytes += platform::Utf16ToUtf8(line, platform::TLoneSurrogate::Replace) + "\n";
  }
  return bytes;
}

std::u16string_view RedirectedLineEnd() {
  return u"\n";
}

std::string StdErrorLineEnd() {
  return "\n";
}

std::u16string FromRedirected(const std::string& Bytes) {
  return platform::Utf8ToUtf16(Bytes, platform::TInvalidUtf8::Replace);
}

#endif

namespace {

std::u16string Ascii(const char* Text) {
  std::u16string wide;
  for (; *Text != 0; ++Text) {
    wide += static_cast<char16_t>(static_cast<unsigned char>(*Text));
  }
  return wide;
}

}  // namespace

std::vector<std::u16string> BannerLines() {
  return {Ascii(KESTRIX_PRODUCT_NAME " - " KESTRIX_FILE_DESCRIPTION),
          Ascii("Copyright " KESTRIX_LEGAL_COPYRIGHT),
          Ascii("Release " KESTRIX_PRODUCT_VERSION ", compiled " KESTRIX_COMPILE_DATE)};
}

std::u16string FromUtf16LE(const std::string& Bytes) {
  std::u16string text;
  for (std::size_t i = 0; i + 1 < Bytes.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(Bytes[i]) |
                                  static_cast<unsigned char>(Bytes[i + 1]) << 8);
  }
  return text;
}

std::string Utf8OfRedirected(const std::string& Bytes) {
  return Utf8WithLF(FromRedirected(Bytes));
}

std::string Utf8WithLF(std::u16string_view Text) {
  std::u16string lf;
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != u'\r' || i + 1 == Text.size() || Text[i + 1] != u'\n') {
      lf += Text[i];
    }
  }
  return platform::Utf16ToUtf8(lf, platform::TLoneSurrogate::Replace);
}

std::vector<std::u16string> ReportLines(const std::string& Output) {
  const std::u16string text = FromRedirected(Output);
  const std::u16string_view lineEnd = RedirectedLineEnd();
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find(lineEnd); end != std::u16string::npos;
       end = text.find(lineEnd, start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + lineEnd.size();
  }
  const std::size_t first = BannerLines().size() + 2;  // banner, empty line, name
  return lines.size() > first
             ? std::vector<std::u16string>(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                           lines.end() - 1)
             : std::vector<std::u16string>();
}

}  // namespace kestrix::test
