#include "console/Traversal.h"

#include "console/AnalysisQueue.h"
#include "console/Progress.h"

namespace kestrix {

namespace {

// Prints the entries of one run in walk order, as the queue hands them over.
class TOrderedPrinter {
 public:
  explicit TOrderedPrinter(TWalk& Walk) : Walk(Walk) {}

  void Print(const TQueuedEntry& Queued) {
    const TListingEntry& entry = Queued.Entry;
    if (Queued.PathEnd) {
      if (!Queued.PathMatched && !FolderReported) {
        Walk.Missing.push_back(entry.Name);
      }
      FolderReported = false;
      return;
    }
    switch (entry.Kind) {
      case TListingKind::Folder:
        if (Walk.Progress != nullptr) {
          Walk.Progress->EnterFolder(entry.Name);
        }
        return;
      case TListingKind::File:
        if (!Walk.Action->Print(entry.Name, Queued.Check)) {
          ++Walk.FailedFiles;
        }
        if (Walk.Progress != nullptr) {
          Walk.Progress->FileReported(entry.Size);
        }
        return;
      case TListingKind::FolderFailed:
        break;
    }
    if (Walk.Action->FolderFailed(entry.Name, entry.Message)) {
      ++Walk.FailedFiles;
      FolderReported = true;
    }
  }

  void PrintAll(const std::vector<TQueuedEntry>& Ready) {
    for (const TQueuedEntry& queued : Ready) {
      Print(queued);
    }
  }

 private:
  TWalk& Walk;
  bool FolderReported = false;  // of the path being printed
};

// Once nobody reads the output, no further file is read and no further
// folder entered. The first entry, the top folder, is always listed: it
// tells whether the path matched anything.
bool StopsBefore(const TListingEntry& Entry, bool First, const TWalk& Walk) {
  return !First && Entry.Kind != TListingKind::FolderFailed && Walk.Output->IsReaderClosed();
}

}  // namespace

void WalkPaths(const TNextPath& NextPath, TWalk& Walk) {
  TAnalysisQueue queue(Walk.Jobs, Walk.Action->Needs());
  TOrderedPrinter printer(Walk);
  for (std::optional<std::u16string> path = NextPath(); path; path = NextPath()) {
    std::set<platform::TFolderId> visitedFolders;
    TListing listing(*path, Walk.Recursive, visitedFolders);
    bool first = true;
    for (std::optional<TListingEntry> entry = listing.Next();
         entry && !StopsBefore(*entry, first, Walk); entry = listing.Next()) {
      while (!queue.HasRoom()) {
        printer.PrintAll(queue.TakeReady(true));
      }
      queue.Add(std::move(*entry));
      printer.PrintAll(queue.TakeReady(false));
      first = false;
    }
    queue.AddPathEnd(*path, listing.AnyMatch());
    printer.PrintAll(queue.TakeReady(false));
  }
  while (!queue.IsEmpty()) {
    printer.PrintAll(queue.TakeReady(true));
  }
}

}  // namespace kestrix
