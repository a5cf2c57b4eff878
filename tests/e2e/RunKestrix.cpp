#include "e2e/RunKestrix.h"

namespace kestrix::test {

TRunResult RunKestrix(const std::vector<std::string>& Arguments,
                      const std::filesystem::path& Folder, const std::string& Environment) {
  std::string command = Environment.empty() ? "" : "env " + Environment + " ";
  command += ShellQuote(KESTRIX_EXE);
  for (const std::string& argument : Arguments) {
    command += " " + ShellQuote(argument);
  }
  return RunShell(command, Folder);
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

}  // namespace kestrix::test
