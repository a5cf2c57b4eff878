#include "console/Traversal.h"

#include <exception>

#include "console/Progress.h"

namespace kestrix {

namespace {

using platform::attr::Directory;
using platform::attr::Hidden;
using platform::attr::System;
using platform::attr::VolumeId;

// Attribute bits a search may pass over; what was not asked for of these
// is left out.
constexpr std::uint32_t FilterableAttributes = Hidden | System | VolumeId | Directory;
constexpr std::uint32_t FileRequest =
    platform::attr::ReadOnly | Hidden | System | platform::attr::Archive;
constexpr std::uint32_t FolderRequest = Directory;
const std::u16string AllEntries = u"*";

// A directory search that passes over entries with attributes not asked for.
class TFilteredSearch {
 public:
  explicit TFilteredSearch(std::uint32_t Requested) : Excluded(~Requested & FilterableAttributes) {}

  bool First(const std::u16string& Mask) { return Skip(Search.First(Mask)); }
  bool Next() { return Skip(Search.Next()); }
  const std::u16string& Name() const { return Search.Name(); }
  std::uint32_t Attributes() const { return Search.Attributes(); }
  std::int64_t Size() const { return Search.Size(); }
  const std::string& ListingError() const { return Search.ListingError(); }

 private:
  bool Skip(bool Found) {
    while (Found && (Search.Attributes() & Excluded) != 0) {
      Found = Search.Next();
    }
    return Found;
  }

  platform::TDirectorySearch Search;
  std::uint32_t Excluded;
};

std::size_t LastDelimiter(const std::u16string& Path) {
  return Path.find_last_of(platform::PathDelimiters.data(), std::u16string::npos,
                           platform::PathDelimiters.size());
}

void ReportFile(const std::u16string& FullName, TWalk& Walk) {
  try {
    if (!Walk.Action->Process(FullName)) {
      ++Walk.FailedFiles;
    }
  } catch (const std::exception& error) {
    Walk.Action->Fail(FullName, error);
    ++Walk.FailedFiles;
  }
}

// The folder's path as a name, without the separator a walk adds.
std::u16string FolderName(const std::u16string& FolderPath) {
  if (FolderPath.size() > 1 && FolderPath.back() == platform::FolderSeparator) {
    return FolderPath.substr(0, FolderPath.size() - 1);
  }
  return FolderPath;
}

bool ReportFiles(const std::u16string& FileMask, const std::u16string& FolderPath, TWalk& Walk) {
  TFilteredSearch files(FileRequest);
  bool found = files.First(FileMask);
  if (!found && !files.ListingError().empty() &&
      Walk.Action->FolderFailed(FolderName(FolderPath), files.ListingError())) {
    ++Walk.FailedFiles;
    return true;
  }
  for (bool more = found; more && !Walk.Output->IsReaderClosed(); more = files.Next()) {
    ReportFile(FolderPath + files.Name(), Walk);
    if (Walk.Progress != nullptr) {
      Walk.Progress->FileReported(files.Size());
    }
  }
  return found;
}

// A folder reached again through a link, or one the system cannot identify
// twice, is not entered again, so every walk ends.
bool FirstVisit(const std::u16string& Folder, TWalk& Walk) {
  const auto id = platform::GetFolderId(Folder);
  return !id || Walk.VisitedFolders.insert(*id).second;
}

bool WalkSubfolders(const std::u16string& FolderPath, const std::u16string& NameMask, TWalk& Walk) {
  bool found = false;
  TFilteredSearch folders(FolderRequest);
  for (bool more = folders.First(FolderPath + AllEntries); more && !Walk.Output->IsReaderClosed();
       more = folders.Next()) {
    const std::u16string& name = folders.Name();
    if (name == u"." || name == u".." || (folders.Attributes() & Directory) == 0) {
      continue;
    }
    const std::u16string subfolder = AddTrailingSeparator(FolderPath + name);
    if (FirstVisit(subfolder, Walk) && ProcessPath(subfolder + NameMask, Walk)) {
      found = true;
    }
  }
  return found;
}

}  // namespace

std::u16string AddTrailingSeparator(const std::u16string& Path) {
  if (!Path.empty() && Path.back() == platform::FolderSeparator) {
    return Path;
  }
  return Path + platform::FolderSeparator;
}

std::u16string DirectoryPart(const std::u16string& Path) {
  const std::size_t last = LastDelimiter(Path);
  return last == std::u16string::npos ? std::u16string() : Path.substr(0, last + 1);
}

std::u16string NamePart(const std::u16string& Path) {
  const std::size_t last = LastDelimiter(Path);
  return last == std::u16string::npos ? Path : Path.substr(last + 1);
}

bool ProcessPath(const std::u16string& Path, TWalk& Walk) {
  std::u16string fileMask = platform::ExpandPath(Path);
  if (platform::IsFolder(fileMask)) {
    fileMask = AddTrailingSeparator(fileMask) + AllEntries;
  }
  const std::u16string folderPath = AddTrailingSeparator(DirectoryPart(fileMask));
  const std::u16string nameMask = NamePart(fileMask);
  if (Walk.Recursive && Walk.VisitedFolders.empty()) {
    FirstVisit(folderPath, Walk);  // the top of the walk
  }
  if (Walk.Progress != nullptr) {
    Walk.Progress->EnterFolder(folderPath);
  }

  bool found = ReportFiles(fileMask, folderPath, Walk);
  if (Walk.Recursive && WalkSubfolders(folderPath, nameMask, Walk)) {
    found = true;
  }
  return found;
}

}  // namespace kestrix
