#include "platform/CodePage.h"

#include <limits>

#include "platform/KestrixError.h"
#include "platform/win32/Win32File.h"

namespace kestrix::platform {

// The thread's ANSI code page, with no flags: bytes map as that code page
// maps them, and missing characters take its best fit or default character.
namespace {

constexpr UINT CodePage = CP_THREAD_ACP;
constexpr DWORD NoFlags = 0;

int Length(std::size_t Size) {
  if (Size > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
    throw EKestrixError("Text too long to convert");
  }
  return static_cast<int>(Size);
}

}  // namespace

std::u16string Widen(const std::string& Text) {
  if (Text.empty()) {
    return {};
  }
  const int inLength = Length(Text.size());
  const int outLength = ::MultiByteToWideChar(CodePage, NoFlags, Text.data(), inLength, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(outLength), L'\0');
  if (outLength > 0) {
    ::MultiByteToWideChar(CodePage, NoFlags, Text.data(), inLength, out.data(), outLength);
  }
  return win32::FromWide(out.data(), out.size());
}

std::string Narrow(const std::u16string& Text) {
  if (Text.empty()) {
    return {};
  }
  const int inLength = Length(Text.size());
  const int outLength = ::WideCharToMultiByte(CodePage, NoFlags, win32::Wide(Text), inLength,
                                              nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(outLength), '\0');
  if (outLength > 0) {
    ::WideCharToMultiByte(CodePage, NoFlags, win32::Wide(Text), inLength, out.data(), outLength,
                          nullptr, nullptr);
  }
  return out;
}

}  // namespace kestrix::platform
