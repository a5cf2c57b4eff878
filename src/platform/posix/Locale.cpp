#include "platform/Locale.h"

#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/CodePage.h"
#include "platform/Unicode.h"
#include "platform/posix/PosixLocale.h"

namespace kestrix::platform {

namespace posix {

namespace {

constexpr unsigned char AsciiLast = 0x7F;
// Room for the longest character of any character set, per input byte.
constexpr std::size_t MaxUtf8PerByte = 4;

class TConverter {
 public:
  TConverter(const char* To, const char* From) : Handle(iconv_open(To, From)) {}
  ~TConverter() {
    if (IsOpen()) {
      iconv_close(Handle);
    }
  }
  TConverter(const TConverter&) = delete;
  TConverter& operator=(const TConverter&) = delete;

  bool IsOpen() const { return Handle != Invalid(); }

  // The whole input converted, or false when any of it cannot be.
  bool Convert(const std::string& Input, std::string& Output) const {
    std::string in = Input;
    std::vector<char> out(in.size() * MaxUtf8PerByte + 1);
    char* inPointer = in.data();
    std::size_t inLeft = in.size();
    char* outPointer = out.data();
    std::size_t outLeft = out.size();
    if (iconv(Handle, &inPointer, &inLeft, &outPointer, &outLeft) == ConversionFailed ||
        inLeft != 0) {
      return false;
    }
    Output.assign(out.data(), outPointer);
    return true;
  }

 private:
  // iconv's failure values, as the C interface spells them.
  static iconv_t Invalid() { return reinterpret_cast<iconv_t>(-1); }
  static constexpr std::size_t ConversionFailed = static_cast<std::size_t>(-1);
  iconv_t Handle;
};

// The numeric locale's name, in the order the C library looks: LC_ALL,
// LC_NUMERIC, LANG; an empty variable counts as unset.
std::string NumericLocaleName() {
  for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      return value;
    }
  }
  return "C";
}

bool IsAscii(const std::string& Bytes) {
  return std::all_of(Bytes.begin(), Bytes.end(),
                     [](char c) { return static_cast<unsigned char>(c) <= AsciiLast; });
}

}  // namespace

std::u16string DecodeLocaleText(const std::string& Bytes, const std::string& Codeset) {
  if (IsAscii(Bytes)) {
    return Latin1ToUtf16(Bytes);
  }
  if (IsUtf8Codeset(Codeset)) {
    return Utf8ToUtf16(Bytes, TInvalidUtf8::Replace);
  }
  const TConverter converter("UTF-8", Codeset.c_str());
  std::string utf8;
  if (converter.IsOpen() && converter.Convert(Bytes, utf8)) {
    return Utf8ToUtf16(utf8, TInvalidUtf8::Replace);
  }
  return Latin1ToUtf16(Bytes);
}

}  // namespace posix

TLocaleSeparators ReadLocaleSeparators() {
  // The character set belongs to LC_CTYPE, so that category is loaded from
  // the numeric locale too: its separators are in its own set.
  const posix::TUserLocale locale(LC_NUMERIC_MASK | LC_CTYPE_MASK,
                                  posix::NumericLocaleName().c_str());
  const std::string codeset = locale.Info(CODESET);
  return {posix::DecodeLocaleText(locale.Info(THOUSEP), codeset),
          posix::DecodeLocaleText(locale.Info(RADIXCHAR), codeset)};
}

}  // namespace kestrix::platform
