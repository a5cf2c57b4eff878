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

std::string RedirectedText(const std::vector<std::u16string>& Lines) {
  std::string bytes;
  for (const std::u16string& line : Lines) {
    for (const char16_t c : line + u"\r\n") {
      bytes += static_cast<char>(c & 0xFF);
      bytes += static_cast<char>(c >> 8);
    }
  }
  return bytes;
}

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

std::string Utf8OfUtf16LE(const std::string& Bytes) {
  return platform::Utf16ToUtf8(FromUtf16LE(Bytes), platform::TLoneSurrogate::Replace);
}

std::vector<std::u16string> ReportLines(const std::string& Output) {
  const std::u16string text = FromUtf16LE(Output);
  std::vector<std::u16string> lines;
  std::size_t start = 0;
  for (std::size_t end = text.find(u"\r\n"); end != std::u16string::npos;
       end = text.find(u"\r\n", start)) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  const std::size_t first = BannerLines().size() + 2;  // banner, empty line, name
  return lines.size() > first
             ? std::vector<std::u16string>(lines.begin() + static_cast<std::ptrdiff_t>(first),
                                           lines.end() - 1)
             : std::vector<std::u16string>();
}

}  // namespace kestrix::test
