#pragma once

#include <windows.h>

#include <cstdint>
#include <cwchar>
#include <string>
#include <string_view>

#include "platform/CodePage.h"

// What the Win32 files of the platform layer share: UTF-16 text as the
// system takes it, system error texts, paths without a length limit and
// owned handles.
namespace kestrix::platform::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "WCHAR is one UTF-16 unit");

inline const wchar_t* Wide(const std::u16string& Text) {
  return reinterpret_cast<const wchar_t*>(Text.c_str());
}

inline std::u16string FromWide(const wchar_t* Text, std::size_t Length) {
  return std::u16string(reinterpret_cast<const char16_t*>(Text), Length);
}

inline std::u16string FromWide(const wchar_t* Text) {
  return Text == nullptr ? std::u16string() : FromWide(Text, std::wcslen(Text));
}

// A zero unit would silently cut the text short in every system call.
inline bool HoldsZero(const std::u16string& Text) {
  return Text.find(u'\0') != std::u16string::npos;
}

// The system's message for an error code, without its line end, as 8-bit
// text in the thread's code page.
inline std::string ErrorText(DWORD Code) {
  wchar_t* message = nullptr;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, Code, 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  std::wstring text = length > 0 && message != nullptr ? std::wstring(message, length)
                                                       : L"system error " + std::to_wstring(Code);
  ::LocalFree(message);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
    text.pop_back();
  }
  return Narrow(FromWide(text.data(), text.size()));
}

// GetFullPathNameW with as much room as the result needs, so that no path
// is cut at 260 units; empty when the call fails.
inline std::u16string FullPath(const std::u16string& Path) {
  if (Path.empty() || HoldsZero(Path)) {
    return {};
  }
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        ::GetFullPathNameW(Wide(Path), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      return FromWide(buffer.data(), length);
    }
    buffer.assign(length, L'\0');  // length counts the terminator here
  }
}

// Plain paths from this length on may be refused by some calls (folders
// stop at MAX_PATH - 12); those get the \\?\ form, which has no limit.
inline constexpr std::size_t LongPathLength = MAX_PATH - 12;

// Path as a system call should be given it. Short paths stay as they are;
// long ones become absolute and take the \\?\ (or \\?\UNC\) prefix, so a
// path beyond 259 units is used whole, never cut.
inline std::u16string ToSystemPath(const std::u16string& Path) {
  constexpr std::u16string_view Verbatim = u"\\\\?\\";
  constexpr std::u16string_view Device = u"\\\\.\\";
  constexpr std::u16string_view Network = u"\\\\";
  constexpr std::u16string_view VerbatimNetwork = u"\\\\?\\UNC\\";
  const std::u16string_view view(Path);
  if (Path.size() < LongPathLength || view.substr(0, Verbatim.size()) == Verbatim ||
      view.substr(0, Device.size()) == Device) {
    return Path;
  }
  const std::u16string full = FullPath(Path);
  if (full.empty()) {
    return Path;
  }
  if (std::u16string_view(full).substr(0, Network.size()) == Network) {
    return std::u16string(VerbatimNetwork) + full.substr(Network.size());
  }
  return std::u16string(Verbatim) + full;
}

// A handle, closed when the object goes away.
class THandle {
 public:
  THandle() = default;
  explicit THandle(HANDLE Value) : Value(Value) {}
  ~THandle() { Close(); }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;

  bool IsOpen() const { return Value != INVALID_HANDLE_VALUE && Value != nullptr; }
  HANDLE Get() const { return Value; }
  void Close() {
    if (IsOpen()) {
      ::CloseHandle(Value);
    }
    Value = INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE Value = INVALID_HANDLE_VALUE;
};

// The longest piece one ReadFile or WriteFile call is given.
inline constexpr DWORD MaxIoPiece = DWORD{1} << 30;

}  // namespace kestrix::platform::win32
