#include "platform/CodePage.h"

#include <cctype>

#include "platform/Unicode.h"
#include "platform/posix/PosixLocale.h"

namespace kestrix::platform {

namespace posix {

bool IsUtf8Codeset(const std::string& Codeset) {
  std::string letters;
  for (const char c : Codeset) {
    if (c != '-' && c != '_') {
      letters.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    }
  }
  return letters == "UTF8";
}

}  // namespace posix

namespace {

enum class TCodePage { Utf8, Latin1 };

// Decided on first use and kept, so a run never mixes two encodings.
TCodePage ActiveCodePage() {
  static const TCodePage codePage = [] {
    const posix::TUserLocale locale(LC_CTYPE_MASK);
    return posix::IsUtf8Codeset(locale.Info(CODESET)) ? TCodePage::Utf8 : TCodePage::Latin1;
  }();
  return codePage;
}

// Start-up is the moment the choice is made, before any text is converted.
[[maybe_unused]] const TCodePage StartUpCodePage = ActiveCodePage();

}  // namespace

std::u16string Widen(const std::string& Text) {
  return ActiveCodePage() == TCodePage::Utf8 ? Utf8ToUtf16(Text, TInvalidUtf8::Replace)
                                             : Latin1ToUtf16(Text);
}

std::string Narrow(const std::u16string& Text) {
  return ActiveCodePage() == TCodePage::Utf8 ? Utf16ToUtf8(Text, TLoneSurrogate::Replace)
                                             : Utf16ToLatin1(Text);
}

}  // namespace kestrix::platform
