#include "platform/Locale.h"

#include "platform/CodePage.h"
#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

// The user's own setting for one item; Fallback when it cannot be read.
std::u16string UserLocaleText(LCTYPE Item, const std::u16string& Fallback) {
  const int size = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, Item, nullptr, 0);
  if (size <= 0) {
    return Fallback;
  }
  std::wstring buffer(static_cast<std::size_t>(size), L'\0');
  const int length = ::GetLocaleInfoW(LOCALE_USER_DEFAULT, Item, buffer.data(), size);
  if (length <= 0) {
    return Fallback;
  }
  // The count includes the terminating NUL.
  return win32::FromWide(buffer.data(), static_cast<std::size_t>(length - 1));
}

}  // namespace

TLocaleSeparators ReadLocaleSeparators() {
  return {UserLocaleText(LOCALE_STHOUSAND, u""), UserLocaleText(LOCALE_SDECIMAL, u".")};
}

}  // namespace kestrix::platform
