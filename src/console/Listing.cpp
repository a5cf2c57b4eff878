#include "console/Listing.h"

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

// The folder's path as a name, without the separator a walk adds.
std::u16string FolderName(const std::u16string& FolderPath) {
  if (FolderPath.size() > 1 && FolderPath.back() == platform::FolderSeparator) {
    return FolderPath.substr(0, FolderPath.size() - 1);
  }
  return FolderPath;
}

TListingEntry FileEntry(const std::u16string& FolderPath, const TFilteredSearch& Files) {
  return {TListingKind::File, FolderPath + Files.Name(), Files.Size(), {}};
}

}  // namespace

// Where the walk stands in one open folder: entered, then its files, then
// its subfolders. One search is open at a time.
struct TListing::TFolder {
  enum class TStage { Entered, FirstFile, MoreFiles, FirstSubfolder, MoreSubfolders };

  std::u16string FileMask;  // the folder's path and the name mask
  std::u16string Path;      // with a separator at the end
  std::u16string NameMask;  // looked for in every subfolder
  TStage Stage = TStage::Entered;
  std::optional<TFilteredSearch> Search;
};

TListing::TListing(const std::u16string& Path, bool Recursive,
                   std::set<platform::TFolderId>& VisitedFolders)
    : Recursive(Recursive), VisitedFolders(VisitedFolders) {
  Open(Path);
}

TListing::~TListing() = default;

std::optional<TListingEntry> TListing::Next() {
  while (!OpenFolders.empty()) {
    if (std::optional<TListingEntry> entry = Step(*OpenFolders.back())) {
      return entry;
    }
  }
  return std::nullopt;
}

// A subfolder is reached as its path and the name mask, and made into a
// mask the same way as the path the walk started from.
void TListing::Open(const std::u16string& Path) {
  auto folder = std::make_unique<TFolder>();
  folder->FileMask = platform::ExpandPath(Path);
  if (platform::IsFolder(folder->FileMask)) {
    folder->FileMask = AddTrailingSeparator(folder->FileMask) + AllEntries;
  }
  folder->Path = AddTrailingSeparator(DirectoryPart(folder->FileMask));
  folder->NameMask = NamePart(folder->FileMask);
  if (Recursive && VisitedFolders.empty()) {
    FirstVisit(folder->Path);  // the top of the walk
  }
  OpenFolders.push_back(std::move(folder));
}

// One step within the innermost open folder: an entry, or none when the
// step only moved on (into a subfolder, or out of a finished folder).
std::optional<TListingEntry> TListing::Step(TFolder& Folder) {
  switch (Folder.Stage) {
    case TFolder::TStage::Entered:
      Folder.Stage = TFolder::TStage::FirstFile;
      return TListingEntry{TListingKind::Folder, Folder.Path, 0, {}};
    case TFolder::TStage::FirstFile:
      return FirstFile(Folder);
    case TFolder::TStage::MoreFiles:
      if (Folder.Search->Next()) {
        return FileEntry(Folder.Path, *Folder.Search);
      }
      Folder.Stage = TFolder::TStage::FirstSubfolder;
      return std::nullopt;
    case TFolder::TStage::FirstSubfolder:
    case TFolder::TStage::MoreSubfolders:
      EnterNextSubfolder(Folder);
      return std::nullopt;
  }
  return std::nullopt;
}

std::optional<TListingEntry> TListing::FirstFile(TFolder& Folder) {
  Folder.Search.emplace(FileRequest);
  if (Folder.Search->First(Folder.FileMask)) {
    Matched = true;
    Folder.Stage = TFolder::TStage::MoreFiles;
    return FileEntry(Folder.Path, *Folder.Search);
  }
  Folder.Stage = TFolder::TStage::FirstSubfolder;
  if (!Folder.Search->ListingError().empty()) {
    return TListingEntry{TListingKind::FolderFailed, FolderName(Folder.Path), 0,
                         Folder.Search->ListingError()};
  }
  return std::nullopt;
}

// Opens the folder's next subfolder that is to be entered, or closes the
// folder when there is none.
void TListing::EnterNextSubfolder(TFolder& Folder) {
  bool more = false;
  if (Folder.Stage == TFolder::TStage::FirstSubfolder) {
    if (!Recursive) {
      OpenFolders.pop_back();
      return;
    }
    Folder.Stage = TFolder::TStage::MoreSubfolders;
    Folder.Search.emplace(FolderRequest);
    more = Folder.Search->First(Folder.Path + AllEntries);
  } else {
    more = Folder.Search->Next();
  }
  for (; more; more = Folder.Search->Next()) {
    const std::u16string& name = Folder.Search->Name();
    if (name == u"." || name == u".." || (Folder.Search->Attributes() & Directory) == 0) {
      continue;
    }
    const std::u16string subfolder = AddTrailingSeparator(Folder.Path + name);
    if (FirstVisit(subfolder)) {
      Open(subfolder + Folder.NameMask);
      return;
    }
  }
  OpenFolders.pop_back();
}

// A folder reached again through a link, or one the system cannot identify
// twice, is not entered again, so every walk ends.
bool TListing::FirstVisit(const std::u16string& Folder) {
  const auto id = platform::GetFolderId(Folder);
  return !id || VisitedFolders.insert(*id).second;
}

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

}  // namespace kestrix
