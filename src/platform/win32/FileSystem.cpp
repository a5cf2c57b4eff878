#include "platform/FileSystem.h"

#include "platform/win32/Win32File.h"

namespace kestrix::platform {

namespace {

DWORD AttributesOf(const std::u16string& Path) {
  if (Path.empty() || win32::HoldsZero(Path)) {
    return INVALID_FILE_ATTRIBUTES;
  }
  return ::GetFileAttributesW(win32::Wide(win32::ToSystemPath(Path)));
}

}  // namespace

std::u16string ExpandPath(const std::u16string& Path) {
  return win32::FullPath(Path);
}

bool IsFolder(const std::u16string& Path) {
  const DWORD attributes = AttributesOf(Path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsExistingFile(const std::u16string& Path) {
  const DWORD attributes = AttributesOf(Path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// The volume's serial number and the file index: the same pair whatever
// path, link or junction led to the folder.
std::optional<TFolderId> GetFolderId(const std::u16string& Path) {
  if (Path.empty() || win32::HoldsZero(Path)) {
    return std::nullopt;
  }
  // Backup semantics is what lets a folder be opened at all.
  const win32::THandle folder(
      ::CreateFileW(win32::Wide(win32::ToSystemPath(Path)), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION information{};
  if (!folder.IsOpen() || ::GetFileInformationByHandle(folder.Get(), &information) == 0) {
    return std::nullopt;
  }
  constexpr unsigned HighShift = 32;
  return TFolderId{information.dwVolumeSerialNumber,
                   (static_cast<std::uint64_t>(information.nFileIndexHigh) << HighShift) |
                       information.nFileIndexLow};
}

namespace {

// A link reports its own size here, not that of what it leads to; the
// listing has no cheaper way to tell, and links are rare on Windows.
std::int64_t EntrySizeOf(const WIN32_FIND_DATAW& Entry) {
  constexpr unsigned HighShift = 32;
  return static_cast<std::int64_t>((static_cast<std::uint64_t>(Entry.nFileSizeHigh) << HighShift) |
                                   Entry.nFileSizeLow);
}

}  // namespace

struct TDirectorySearch::TState {
  HANDLE Find = INVALID_HANDLE_VALUE;
  WIN32_FIND_DATAW Entry{};

  void Close() {
    if (Find != INVALID_HANDLE_VALUE) {
      ::FindClose(Find);
      Find = INVALID_HANDLE_VALUE;
    }
  }
  ~TState() { Close(); }
};

TDirectorySearch::TDirectorySearch() : State(std::make_unique<TState>()) {}

TDirectorySearch::~TDirectorySearch() = default;

bool TDirectorySearch::First(const std::u16string& Mask) {
  State->Close();
  if (Mask.empty() || win32::HoldsZero(Mask)) {
    return false;
  }
  // The system matches the wildcards, without regard to case.
  State->Find = ::FindFirstFileW(win32::Wide(win32::ToSystemPath(Mask)), &State->Entry);
  if (State->Find == INVALID_HANDLE_VALUE) {
    return false;
  }
  EntryName = win32::FromWide(State->Entry.cFileName);
  EntryAttributes = State->Entry.dwFileAttributes;
  EntrySize = EntrySizeOf(State->Entry);
  return true;
}

bool TDirectorySearch::Next() {
  if (State->Find == INVALID_HANDLE_VALUE) {
    return false;
  }
  if (::FindNextFileW(State->Find, &State->Entry) == 0) {
    State->Close();
    return false;
  }
  EntryName = win32::FromWide(State->Entry.cFileName);
  EntryAttributes = State->Entry.dwFileAttributes;
  EntrySize = EntrySizeOf(State->Entry);
  return true;
}

}  // namespace kestrix::platform
