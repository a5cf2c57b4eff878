#include "platform/StdOutput.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "platform/KestrixError.h"
#include "platform/Unicode.h"
#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

constexpr char LineEnd[] = "\r\n";
// FILE_TYPE_CHAR and FILE_TYPE_PIPE both carry it; GetConsoleMode tells them apart.
constexpr DWORD CharacterTypeBit = 0x2;
// Keeps one WriteConsoleW call well inside what every console takes.
constexpr std::size_t MaxConsolePiece = 8192;

HANDLE HandleOf(std::intptr_t Handle) {
  return reinterpret_cast<HANDLE>(Handle);
}

bool IsConsoleHandle(HANDLE Handle) {
  DWORD mode = 0;
  return (::GetFileType(Handle) & CharacterTypeBit) != 0 && ::GetConsoleMode(Handle, &mode) != 0;
}

// Writes every byte, going on after short writes. Returns ERROR_SUCCESS,
// or the error that stopped it.
DWORD WriteAllBytes(HANDLE Handle, const void* Data, std::size_t Count) {
  const auto* next = static_cast<const char*>(Data);
  while (Count > 0) {
    const auto piece = static_cast<DWORD>(std::min<std::size_t>(Count, win32::MaxIoPiece));
    DWORD written = 0;
    if (::WriteFile(Handle, next, piece, &written, nullptr) == 0) {
      const DWORD error = ::GetLastError();
      return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
    }
    if (written == 0) {
      return ERROR_WRITE_FAULT;
    }
    next += written;
    Count -= written;
  }
  return ERROR_SUCCESS;
}

bool WriteAll(HANDLE Handle, const void* Data, std::size_t Count) {
  return WriteAllBytes(Handle, Data, Count) == ERROR_SUCCESS;
}

// What a write to a pipe whose reading end was closed fails with.
bool IsClosedPipeError(DWORD Error) {
  return Error == ERROR_BROKEN_PIPE || Error == ERROR_NO_DATA;
}

// Hands every unit to the console, in pieces that never split a pair.
bool WriteAllToConsole(HANDLE Handle, const std::u16string& Text) {
  std::size_t done = 0;
  while (done < Text.size()) {
    std::size_t piece = std::min(Text.size() - done, MaxConsolePiece);
    const char16_t last = Text[done + piece - 1];
    if (piece > 1 && done + piece < Text.size() && last >= 0xD800 && last <= 0xDBFF) {
      --piece;
    }
    DWORD written = 0;
    if (::WriteConsoleW(Handle, win32::Wide(Text) + done, static_cast<DWORD>(piece), &written,
                        nullptr) == 0 ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

}  // namespace

TTextEncoding NativeTextEncoding() {
  return TTextEncoding::Utf16LE;
}

TStdOutput::TStdOutput() {
  const HANDLE handle = ::GetStdHandle(STD_OUTPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE) {
    // A handle stored as invalid leaves no error code of its own.
    const DWORD error = ::GetLastError();
    throw EKestrixError("Standard output is not available: " +
                        win32::ErrorText(error != ERROR_SUCCESS ? error : ERROR_INVALID_HANDLE));
  }
  Handle = reinterpret_cast<std::intptr_t>(handle);
  // An empty handle is no console; every write to it fails.
  Console = handle != nullptr && IsConsoleHandle(handle);
}

TStdOutput::~TStdOutput() {
  if (HandleOf(Handle) != nullptr) {
    ::CloseHandle(HandleOf(Handle));
  }
}

bool TStdOutput::WriteConsoleText(const std::u16string& Text) {
  return WriteAllToConsole(HandleOf(Handle), Text);
}

// The console shows Unicode whatever its code page, so UTF-8 asked for on
// the command line goes to it as UTF-16; WriteFile would pass the bytes
// through the console's code page and garble them unless that is 65001.
bool TStdOutput::WriteConsoleUtf8(const std::string& Utf8Text) {
  return WriteAllToConsole(HandleOf(Handle), Utf8ToUtf16(Utf8Text, TInvalidUtf8::Replace));
}

bool TStdOutput::WriteBytes(const void* Data, std::size_t Count) {
  const DWORD error = WriteAllBytes(HandleOf(Handle), Data, Count);
  ReaderClosed = ReaderClosed || IsClosedPipeError(error);
  return error == ERROR_SUCCESS;
}

void WriteStdError(const std::string& Text) {
  const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    return;
  }
  const std::string line = Text + LineEnd;
  if (IsConsoleHandle(handle)) {
    WriteAllToConsole(handle, Widen(line));
  } else {
    WriteAll(handle, line.data(), line.size());
  }
}

void WriteStdErrorLine(const std::u16string& Text) {
  WriteStdError(Narrow(Text));
}

std::optional<int> StdErrorConsoleWidth() {
  const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr || !IsConsoleHandle(handle)) {
    return std::nullopt;
  }
  CONSOLE_SCREEN_BUFFER_INFO information{};
  if (::GetConsoleScreenBufferInfo(handle, &information) == 0) {
    return 0;
  }
  // The visible window, not the buffer, which may be far wider.
  return information.srWindow.Right - information.srWindow.Left + 1;
}

// Only a console shows a line redrawn in place; elsewhere the text goes as
// UTF-16LE like the report, so nothing is lost to a code page.
bool WriteStdErrorText(const std::u16string& Text) {
  const HANDLE handle = ::GetStdHandle(STD_ERROR_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    return false;
  }
  if (IsConsoleHandle(handle)) {
    return WriteAllToConsole(handle, Text);
  }
  return WriteAll(handle, Text.data(), Text.size() * sizeof(char16_t));
}

}  // namespace kestrix::platform
