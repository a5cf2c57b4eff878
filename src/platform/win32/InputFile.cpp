#include "platform/InputFile.h"

#include <algorithm>

#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

// What POSIX says of a folder opened as a file; Windows only denies access.
constexpr char FolderMessage[] = "Is a directory";

HANDLE HandleOf(std::intptr_t Handle) {
  return reinterpret_cast<HANDLE>(Handle);
}

bool IsFolder(const std::u16string& Path) {
  const DWORD attributes = ::GetFileAttributesW(win32::Wide(win32::ToSystemPath(Path)));
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

TInputFile::~TInputFile() {
  Close();
}

void TInputFile::Close() {
  if (Owned && Handle != InvalidHandle) {
    ::CloseHandle(HandleOf(Handle));
  }
  Handle = InvalidHandle;
  Owned = false;
}

bool TInputFile::Open(const std::u16string& Path) {
  Close();
  if (Path.empty() || win32::HoldsZero(Path)) {
    Message = win32::ErrorText(ERROR_FILE_NOT_FOUND);
    return false;
  }
  const HANDLE handle = ::CreateFileW(win32::Wide(win32::ToSystemPath(Path)), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    // A folder cannot be opened as a file; say so rather than "access denied".
    const DWORD error = ::GetLastError();
    Message = IsFolder(Path) ? FolderMessage : win32::ErrorText(error);
    return false;
  }
  Handle = reinterpret_cast<std::intptr_t>(handle);
  Owned = true;
  return true;
}

bool TInputFile::OpenStandardInput() {
  Close();
  const HANDLE handle = ::GetStdHandle(STD_INPUT_HANDLE);
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) {
    Message = win32::ErrorText(ERROR_INVALID_HANDLE);
    return false;
  }
  Handle = reinterpret_cast<std::intptr_t>(handle);
  return true;
}

std::int64_t TInputFile::Read(void* Buffer, std::size_t Count) {
  const auto piece = static_cast<DWORD>(std::min<std::size_t>(Count, win32::MaxIoPiece));
  DWORD got = 0;
  if (::ReadFile(HandleOf(Handle), Buffer, piece, &got, nullptr) != 0) {
    return got;
  }
  const DWORD error = ::GetLastError();
  // A pipe whose writer has finished ends this way.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) {
    return 0;
  }
  Message = win32::ErrorText(error);
  return -1;
}

}  // namespace kestrix::platform
