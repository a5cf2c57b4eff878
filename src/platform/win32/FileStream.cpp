#include "platform/FileStream.h"

#include <algorithm>
#include <limits>

#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

HANDLE HandleOf(std::intptr_t Handle) {
  return reinterpret_cast<HANDLE>(Handle);
}

}  // namespace

TFileStream::~TFileStream() {
  Close();
}

bool TFileStream::Open(const std::u16string& Path) {
  Close();
  if (Path.empty() || win32::HoldsZero(Path)) {
    return false;
  }
  // Other programs may go on reading and writing the file meanwhile.
  const HANDLE handle = ::CreateFileW(win32::Wide(win32::ToSystemPath(Path)), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    return false;
  }
  // A device name (CON, a pipe) would wait for input instead of ending.
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    ::CloseHandle(handle);
    return false;
  }
  Handle = reinterpret_cast<std::intptr_t>(handle);
  Position = 0;
  return true;
}

void TFileStream::Close() {
  if (IsOpen()) {
    ::CloseHandle(HandleOf(Handle));
    Handle = InvalidHandle;
  }
  Position = 0;
}

void TFileStream::Seek(std::int64_t NewPosition) {
  Position = NewPosition;
}

std::int64_t TFileStream::Read(void* Buffer, std::int64_t Count) {
  if (!IsOpen() || Count <= 0 || Position < 0) {
    return 0;
  }
  // The position must not overflow behind the last byte read.
  Count = std::min(Count, std::numeric_limits<std::int64_t>::max() - Position);
  LARGE_INTEGER target{};
  target.QuadPart = Position;
  if (::SetFilePointerEx(HandleOf(Handle), target, nullptr, FILE_BEGIN) == 0) {
    return 0;
  }
  auto* out = static_cast<unsigned char*>(Buffer);
  std::int64_t done = 0;
  while (done < Count) {
    const auto piece = static_cast<DWORD>(std::min<std::int64_t>(Count - done, win32::MaxIoPiece));
    DWORD got = 0;
    if (::ReadFile(HandleOf(Handle), out + done, piece, &got, nullptr) == 0 || got == 0) {
      break;  // a read error counts as the end
    }
    done += got;
  }
  Position += done;
  return done;
}

std::int64_t TFileStream::Size() {
  LARGE_INTEGER size{};
  if (!IsOpen() || ::GetFileSizeEx(HandleOf(Handle), &size) == 0) {
    return -1;
  }
  return size.QuadPart;
}

// The Windows file reads through the loop every stream has; the system's
// cache reads ahead of a file read front to back by itself.
void TFileStream::ReadBlocks(std::int64_t Count, TReadBuffer& Buffer, TBlockSink& Sink) {
  TStream::ReadBlocks(Count, Buffer, Sink);
}

}  // namespace kestrix::platform
