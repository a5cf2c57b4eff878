#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace kestrix {

enum class TListingKind {
  Folder,        // the walk enters a folder: its files come next
  File,          // a file that matches
  FolderFailed,  // the folder just entered exists but could not be listed
};

// One step of a walk.
struct TListingEntry {
  TListingKind Kind = TListingKind::File;
  // Folder: its path with a separator at the end; File: its full name;
  // FolderFailed: the folder's path without that separator.
  std::u16string Name;
  std::int64_t Size = 0;  // File: its size in bytes
  std::string Message;    // FolderFailed: the system's message
};

// The files that a path (a file, a mask with * and ?, or a folder) matches,
// one entry at a time as they are asked for: the files of a folder sorted,
// then, with a recursive walk, each subfolder the same way, depth first.
// Hidden folders are not entered, and no folder twice, so link loops end.
// Only the folders on the way down are open at once, so a walk may stop
// anywhere and its memory grows with the depth of the tree alone.
class TListing {
 public:
  // VisitedFolders is shared by the listings of one walk.
  TListing(const std::u16string& Path, bool Recursive,
           std::set<platform::TFolderId>& VisitedFolders);
  ~TListing();
  TListing(const TListing&) = delete;
  TListing& operator=(const TListing&) = delete;

  // The next entry in the order of the walk; none after the last.
  std::optional<TListingEntry> Next();
  // A file matched in some folder listed so far.
  bool AnyMatch() const { return Matched; }

 private:
  struct TFolder;

  void Open(const std::u16string& Path);
  std::optional<TListingEntry> Step(TFolder& Folder);
  std::optional<TListingEntry> FirstFile(TFolder& Folder);
  void EnterNextSubfolder(TFolder& Folder);
  bool FirstVisit(const std::u16string& Folder);

  bool Recursive;
  std::set<platform::TFolderId>& VisitedFolders;
  std::vector<std::unique_ptr<TFolder>> OpenFolders;  // the innermost last
  bool Matched = false;
};

// Path operations of the walk; the delimiters are the platform's.
std::u16string AddTrailingSeparator(const std::u16string& Path);
std::u16string DirectoryPart(const std::u16string& Path);
std::u16string NamePart(const std::u16string& Path);

}  // namespace kestrix
