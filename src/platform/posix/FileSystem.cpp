#include "platform/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/PosixFile.h"

namespace kestrix::platform {

const char16_t FolderSeparator = u'/';
const std::u16string_view PathDelimiters = u"/";

namespace {

constexpr char16_t Separator = u'/';
constexpr std::u16string_view CurrentFolder = u".";
constexpr std::u16string_view ParentFolder = u"..";
constexpr char16_t AnyText = u'*';
constexpr char16_t AnyCharacter = u'?';
constexpr char16_t HiddenMark = u'.';
constexpr mode_t AnyWriteBit = S_IWUSR | S_IWGRP | S_IWOTH;
constexpr std::size_t FirstFolderBuffer = 256;
// Far beyond any path the system accepts.
constexpr std::size_t LastFolderBuffer = std::size_t{1} << 20;

// The current folder; empty when the system cannot tell it (it was
// removed, or a folder above it cannot be read).
std::u16string CurrentFolderPath() {
  for (std::size_t size = FirstFolderBuffer; size <= LastFolderBuffer; size *= 2) {
    std::vector<char> buffer(size);
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) {
      return posix::FromSystemName(buffer.data());
    }
    if (errno != ERANGE) {
      return {};
    }
  }
  return {};
}

std::vector<std::u16string_view> SplitSegments(std::u16string_view Path) {
  std::vector<std::u16string_view> segments;
  std::size_t start = 0;
  while (start <= Path.size()) {
    const std::size_t end = std::min(Path.find(Separator, start), Path.size());
    if (end > start) {
      segments.push_back(Path.substr(start, end - start));
    }
    start = end + 1;
  }
  return segments;
}

std::optional<struct stat> StatusOf(const std::u16string& Path) {
  struct stat status {};
  if (Path.empty() || ::stat(posix::ToSystemPath(Path).c_str(), &status) != 0) {
    return std::nullopt;
  }
  return status;
}

// "*" stands for any run of characters, "?" for exactly one; everything
// else stands for itself, case included.
bool MatchesMask(std::u16string_view Name, std::u16string_view Mask) {
  std::size_t name = 0;
  std::size_t mask = 0;
  // Where the last "*" was, and the name position it has taken up to now.
  std::size_t starMask = std::u16string_view::npos;
  std::size_t starName = 0;
  while (name < Name.size()) {
    if (mask < Mask.size() && (Mask[mask] == AnyCharacter || Mask[mask] == Name[name])) {
      ++name;
      ++mask;
    } else if (mask < Mask.size() && Mask[mask] == AnyText) {
      starMask = mask++;
      starName = name;
    } else if (starMask != std::u16string_view::npos) {
      mask = starMask + 1;
      name = ++starName;
    } else {
      return false;
    }
  }
  while (mask < Mask.size() && Mask[mask] == AnyText) {
    ++mask;
  }
  return mask == Mask.size();
}

bool IsHiddenName(std::u16string_view Name) {
  return !Name.empty() && Name.front() == HiddenMark && Name != CurrentFolder &&
         Name != ParentFolder;
}

}  // namespace

std::u16string ExpandPath(const std::u16string& Path) {
  if (Path.empty()) {
    return {};
  }
  std::u16string absolute = Path;
  if (Path.front() != Separator) {
    const std::u16string current = CurrentFolderPath();
    if (current.empty()) {
      return {};
    }
    absolute = current + Separator + Path;
  }
  std::vector<std::u16string_view> kept;
  for (const std::u16string_view segment : SplitSegments(absolute)) {
    if (segment == ParentFolder) {
      if (!kept.empty()) {
        kept.pop_back();
      }
    } else if (segment != CurrentFolder) {
      kept.push_back(segment);
    }
  }
  std::u16string result;
  for (const std::u16string_view segment : kept) {
    result += Separator;
    result += segment;
  }
  // A folder named with its final "/" keeps it, and the root is "/" alone.
  if (result.empty() || Path.back() == Separator) {
    result += Separator;
  }
  return result;
}

bool IsFolder(const std::u16string& Path) {
  const auto status = StatusOf(Path);
  return status && S_ISDIR(status->st_mode);
}

bool IsExistingFile(const std::u16string& Path) {
  const auto status = StatusOf(Path);
  return status && !S_ISDIR(status->st_mode);
}

std::optional<TFolderId> GetFolderId(const std::u16string& Path) {
  const auto status = StatusOf(Path);
  if (!status) {
    return std::nullopt;
  }
  return TFolderId{static_cast<std::uint64_t>(status->st_dev),
                   static_cast<std::uint64_t>(status->st_ino)};
}

// The whole listing is read when the search starts and the folder closed
// again, so a walk holds no folder open while it descends: a tree deeper
// than the open-file limit is still walked to the bottom.
struct TDirectorySearch::TState {
  struct TEntry {
    std::string SystemName;
    std::u16string Name;
    std::uint32_t Attributes = 0;
    std::int64_t Size = 0;
  };
  // Sorted by the bytes of the system's names, the order of LC_ALL=C ls,
  // so every machine lists a folder alike.
  std::vector<TEntry> Entries;
  std::size_t Next = 0;
};

namespace {

struct TFolderCloser {
  void operator()(DIR* Folder) const { ::closedir(Folder); }
};

struct TLook {
  std::uint32_t Attributes = 0;
  std::int64_t Size = 0;
};

// The attributes and size of what the entry leads to; nothing for entries
// that are neither a file nor a folder, or that cannot be looked at.
std::optional<TLook> LookAt(DIR* Folder, const dirent& Entry, std::u16string_view Name) {
  // Links are followed: what counts is what the entry leads to.
  struct stat status {};
  if (::fstatat(::dirfd(Folder), Entry.d_name, &status, 0) != 0) {
    return std::nullopt;
  }
  std::uint32_t attributes = 0;
  if (S_ISDIR(status.st_mode)) {
    attributes |= attr::Directory;
  } else if (S_ISREG(status.st_mode)) {
    attributes |= attr::Archive;
  } else {
    return std::nullopt;
  }
  if (IsHiddenName(Name)) {
    attributes |= attr::Hidden;
  }
  if ((status.st_mode & AnyWriteBit) == 0) {
    attributes |= attr::ReadOnly;
  }
  return TLook{attributes, static_cast<std::int64_t>(status.st_size)};
}

}  // namespace

TDirectorySearch::TDirectorySearch() : State(std::make_unique<TState>()) {}

TDirectorySearch::~TDirectorySearch() = default;

bool TDirectorySearch::First(const std::u16string& Mask) {
  State->Entries.clear();
  State->Next = 0;
  const std::size_t split = Mask.rfind(Separator);
  const std::u16string folderPath =
      split == std::u16string::npos ? std::u16string(CurrentFolder) : Mask.substr(0, split + 1);
  const std::u16string nameMask = split == std::u16string::npos ? Mask : Mask.substr(split + 1);
  Error.clear();
  const std::unique_ptr<DIR, TFolderCloser> folder(
      ::opendir(posix::ToSystemPath(folderPath).c_str()));
  if (folder == nullptr) {
    // A folder that does not exist is a name that matches nothing.
    if (errno != ENOENT && errno != ENOTDIR) {
      Error = std::strerror(errno);
    }
    return false;
  }
  while (const dirent* entry = ::readdir(folder.get())) {
    std::u16string name = posix::FromSystemName(entry->d_name);
    if (!MatchesMask(name, nameMask)) {
      continue;
    }
    if (const auto found = LookAt(folder.get(), *entry, name)) {
      State->Entries.push_back({entry->d_name, std::move(name), found->Attributes, found->Size});
    }
  }
  // char_traits<char> compares as unsigned char.
  std::sort(
      State->Entries.begin(), State->Entries.end(),
      [](const TState::TEntry& A, const TState::TEntry& B) { return A.SystemName < B.SystemName; });
  return Next();
}

bool TDirectorySearch::Next() {
  if (State->Next >= State->Entries.size()) {
    State->Entries.clear();
    return false;
  }
  TState::TEntry& entry = State->Entries[State->Next++];
  EntryName = std::move(entry.Name);
  EntryAttributes = entry.Attributes;
  EntrySize = entry.Size;
  return true;
}

}  // namespace kestrix::platform
