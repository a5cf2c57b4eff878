#include "platform/FileSystem.h"

#include <memory>
#include <utility>
#include <vector>

#include "platform/win32/Win32File.h"

namespace kestrix::platform {

const char16_t FolderSeparator = u'\\';
const std::u16string_view PathDelimiters = u"\\:";

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

// The whole listing is read when the search starts and the search closed
// again, so a walk holds no search open while it descends. The entries stay
// in the order the system gave them.
struct TDirectorySearch::TState {
  struct TEntry {
    std::u16string Name;
    std::uint32_t Attributes = 0;
    std::int64_t Size = 0;
  };
  std::vector<TEntry> Entries;
  std::size_t Next = 0;
};

namespace {

struct TFindCloser {
  void operator()(HANDLE Find) const { ::FindClose(Find); }
};

}  // namespace

TDirectorySearch::TDirectorySearch() : State(std::make_unique<TState>()) {}

TDirectorySearch::~TDirectorySearch() = default;

bool TDirectorySearch::First(const std::u16string& Mask) {
  Error.clear();
  State->Entries.clear();
  State->Next = 0;
  if (Mask.empty() || win32::HoldsZero(Mask)) {
    return false;
  }
  // The system matches the wildcards, without regard to case.
  WIN32_FIND_DATAW entry{};
  const HANDLE find = ::FindFirstFileW(win32::Wide(win32::ToSystemPath(Mask)), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    // No match, or no such folder, is a name that matches nothing.
    const DWORD code = ::GetLastError();
    if (code != ERROR_FILE_NOT_FOUND && code != ERROR_PATH_NOT_FOUND &&
        code != ERROR_NO_MORE_FILES && code != ERROR_INVALID_NAME && code != ERROR_DIRECTORY &&
        code != ERROR_BAD_PATHNAME) {
      Error = win32::ErrorText(code);
    }
    return false;
  }
  const std::unique_ptr<void, TFindCloser> closer(find);
  do {
    State->Entries.push_back(
        {win32::FromWide(entry.cFileName), entry.dwFileAttributes, EntrySizeOf(entry)});
  } while (::FindNextFileW(find, &entry) != 0);
  return Next();
}

bool TDirectorySearch::Next() {
  if (State->Next >= State->Entries.size()) {
    State->Entries = {};
    State->Next = 0;
    return false;
  }
  TState::TEntry& entry = State->Entries[State->Next++];
  EntryName = std::move(entry.Name);
  EntryAttributes = entry.Attributes;
  EntrySize = entry.Size;
  return true;
}

}  // namespace kestrix::platform
