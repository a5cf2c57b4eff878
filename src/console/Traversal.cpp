#include "console/Traversal.h"

#include <exception>

#include "console/Progress.h"

namespace kestrix {

namespace {

// Whatever goes wrong while a file is read becomes its error entry.
TFileCheck Analyse(const std::u16string& FullName, TWalk& Walk) {
  try {
    return CheckFile(FullName, *Walk.Buffer, Walk.Action->Needs());
  } catch (const std::exception& error) {
    return FailedCheck(error.what());
  }
}

void ReportFile(const std::u16string& FullName, TWalk& Walk) {
  if (!Walk.Action->Print(FullName, Analyse(FullName, Walk))) {
    ++Walk.FailedFiles;
  }
}

// Once nobody reads the output, no further file is read and no further
// folder entered. The first entry, the top folder, is always listed: it
// tells whether the path matched anything.
bool StopsBefore(const TListingEntry& Entry, bool First, const TWalk& Walk) {
  return !First && Entry.Kind != TListingKind::FolderFailed && Walk.Output->IsReaderClosed();
}

// True when the folder failure became an entry of the form.
bool Take(const TListingEntry& Entry, TWalk& Walk) {
  switch (Entry.Kind) {
    case TListingKind::Folder:
      if (Walk.Progress != nullptr) {
        Walk.Progress->EnterFolder(Entry.Name);
      }
      return false;
    case TListingKind::File:
      ReportFile(Entry.Name, Walk);
      if (Walk.Progress != nullptr) {
        Walk.Progress->FileReported(Entry.Size);
      }
      return false;
    case TListingKind::FolderFailed:
      break;
  }
  if (!Walk.Action->FolderFailed(Entry.Name, Entry.Message)) {
    return false;
  }
  ++Walk.FailedFiles;
  return true;
}

}  // namespace

bool ProcessPath(const std::u16string& Path, TWalk& Walk) {
  TListing listing(Path, Walk.Recursive, Walk.VisitedFolders);
  bool folderReported = false;
  bool first = true;
  for (std::optional<TListingEntry> entry = listing.Next();
       entry && !StopsBefore(*entry, first, Walk); entry = listing.Next()) {
    folderReported = Take(*entry, Walk) || folderReported;
    first = false;
  }
  return listing.AnyMatch() || folderReported;
}

}  // namespace kestrix
