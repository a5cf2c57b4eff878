#include "platform/FileSystem.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>
#include <vector>

#include "platform/posix/PosixFile.h"

namespace kestrix::platform {

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

struct TDirectorySearch::TState {
  struct TCloser {
    void operator()(DIR* Folder) const { ::closedir(Folder); }
  };
  std::unique_ptr<DIR, TCloser> Folder;
  // The names that match the mask, as the system stores them, sorted by
  // their bytes so every machine lists a folder alike.
  std::vector<std::string> Names;
  std::size_t NextName = 0;
};

TDirectorySearch::TDirectorySearch() : State(std::make_unique<TState>()) {}

TDirectorySearch::~TDirectorySearch() = default;

bool TDirectorySearch::First(const std::u16string& Mask) {
  State->Folder.reset();
  State->Names.clear();
  State->NextName = 0;
  const std::size_t split = Mask.rfind(Separator);
  const std::u16string folder =
      split == std::u16string::npos ? std::u16string(CurrentFolder) : Mask.substr(0, split + 1);
  const std::u16string nameMask = split == std::u16string::npos ? Mask : Mask.substr(split + 1);
  State->Folder.reset(::opendir(posix::ToSystemPath(folder).c_str()));
  if (State->Folder == nullptr) {
    return false;
  }
  while (const dirent* entry = ::readdir(State->Folder.get())) {
    if (MatchesMask(posix::FromSystemName(entry->d_name), nameMask)) {
      State->Names.emplace_back(entry->d_name);
    }
  }
  // char_traits<char> compares as unsigned char: the order of LC_ALL=C ls.
  std::sort(State->Names.begin(), State->Names.end());
  return Next();
}

bool TDirectorySearch::Next() {
  if (State->Folder == nullptr) {
    return false;
  }
  while (State->NextName < State->Names.size()) {
    const std::string& systemName = State->Names[State->NextName++];
    // Links are followed: what counts is what the entry leads to.
    struct stat status {};
    if (::fstatat(::dirfd(State->Folder.get()), systemName.c_str(), &status, 0) != 0) {
      continue;
    }
    std::uint32_t attributes = 0;
    if (S_ISDIR(status.st_mode)) {
      attributes |= attr::Directory;
    } else if (S_ISREG(status.st_mode)) {
      attributes |= attr::Archive;
    } else {
      continue;
    }
    const std::u16string name = posix::FromSystemName(systemName);
    if (IsHiddenName(name)) {
      attributes |= attr::Hidden;
    }
    if ((status.st_mode & AnyWriteBit) == 0) {
      attributes |= attr::ReadOnly;
    }
    EntryName = name;
    EntryAttributes = attributes;
    EntrySize = static_cast<std::int64_t>(status.st_size);
    return true;
  }
  State->Folder.reset();
  State->Names = {};
  return false;
}

}  // namespace kestrix::platform
