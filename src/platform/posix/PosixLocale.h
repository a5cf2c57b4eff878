#pragma once

#include <langinfo.h>
#include <locale.h>

#include <string>

// The user's locale as the environment names it, read without touching the
// C library's global locale, which stays "C" for the whole run.
namespace kestrix::platform::posix {

class TUserLocale {
 public:
  // CategoryMask is a mask such as LC_CTYPE_MASK; the empty Name means the
  // one the environment gives each category. A locale the system cannot
  // load counts as the C locale.
  explicit TUserLocale(int CategoryMask, const char* Name = "")
      : Handle(newlocale(CategoryMask, Name, nullptr)) {}
  ~TUserLocale() {
    if (Handle != nullptr) {
      freelocale(Handle);
    }
  }
  TUserLocale(const TUserLocale&) = delete;
  TUserLocale& operator=(const TUserLocale&) = delete;

  // The item's text; that of the C locale when the user's could not be loaded.
  std::string Info(nl_item Item) const {
    const char* text = Handle != nullptr ? nl_langinfo_l(Item, Handle) : CLocaleInfo(Item);
    return text != nullptr ? text : "";
  }

 private:
  static const char* CLocaleInfo(nl_item Item) {
    switch (Item) {
      case CODESET:
        return "ANSI_X3.4-1968";
      case RADIXCHAR:
        return ".";
      default:
        return "";
    }
  }
  locale_t Handle;
};

// True for the names the C libraries give UTF-8 ("UTF-8", "utf8", ...).
bool IsUtf8Codeset(const std::string& Codeset);

// Text of a locale item, from the locale's own character set to UTF-16.
// Bytes that set cannot convert are read as ISO-8859-1.
std::u16string DecodeLocaleText(const std::string& Bytes, const std::string& Codeset);

}  // namespace kestrix::platform::posix
