#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "analysis/FileCheck.h"
#include "console/Listing.h"
#include "platform/FileStream.h"

namespace kestrix {

// The most files that may be analysed at once, as -j allows.
inline constexpr int MaxJobs = 256;
// Without -j: the processors the process may run on, but no more than this.
inline constexpr int MaxDefaultJobs = 16;
// Entries in flight per job: enough that no thread waits for the listing,
// few enough that memory holds findings, never the files' bytes.
inline constexpr std::size_t EntriesPerJob = 4;

// The number of files analysed at once when the command line does not say.
int DefaultJobs();

// One entry of a walk on its way to the printer: what the listing yielded
// and, for a file, what its analysis found; or the end of one path's walk.
struct TQueuedEntry {
  TListingEntry Entry;  // at the end of a path: its Name is the path as given
  TFileCheck Check;     // a file's findings, once analysed
  bool PathEnd = false;
  bool PathMatched = false;  // at the end of a path: whether any file matched
};

// The entries of a walk in walk order, their files analysed on Jobs
// threads while the caller (one thread) lists and prints: each entry is
// handed back as soon as it and every entry before it are ready, so what
// is printed is the same whatever the timing. A file is opened as it is
// added, which asks the system to start reading it, so that its bytes are
// on their way while the files before it are analysed. With one job there
// are no threads at all: a file is analysed on the caller's thread when
// its turn to be printed comes, one after the other.
class TAnalysisQueue {
 public:
  TAnalysisQueue(int Jobs, const TAnalysisNeeds& Needs);
  // Stops and joins the threads; files not yet analysed are dropped.
  ~TAnalysisQueue();
  TAnalysisQueue(const TAnalysisQueue&) = delete;
  TAnalysisQueue& operator=(const TAnalysisQueue&) = delete;

  // Whether another entry may be added without going beyond the bound.
  bool HasRoom() const;
  bool IsEmpty() const;
  void Add(TListingEntry Entry);
  // Marks the end of the walk of Path, in order with its entries.
  void AddPathEnd(std::u16string Path, bool Matched);
  // The ready entries at the front, in order; with Wait, at least one (the
  // queue must not be empty): it waits for the oldest to be analysed.
  std::vector<TQueuedEntry> TakeReady(bool Wait);

 private:
  struct TSlot {
    TQueuedEntry Queued;
    bool Ready = false;
    // A file's, opened when it was added; none when it could not be opened.
    std::unique_ptr<platform::TFileStream> File;
  };

  void Work();
  // The next file no thread has taken, or null; under the lock.
  TSlot* NextToAnalyse();
  // Analyses the slot's file and closes it.
  TFileCheck Analyse(TSlot& Slot, platform::TReadBuffer& Buffer) const;

  const TAnalysisNeeds Needs;
  const std::size_t Bound;
  platform::TReadBuffer CallerBuffer;  // with one job, the caller reads through it

  mutable std::mutex Lock;
  std::condition_variable WorkAdded;   // threads wait for a file to analyse
  std::condition_variable FrontReady;  // the caller waits for the oldest entry
  std::deque<TSlot> Slots;             // in walk order
  std::size_t Taken = 0;               // slots from the front that a thread took or passed
  bool CallerWaits = false;
  int IdleThreads = 0;
  bool Stopping = false;
  std::vector<std::thread> Threads;
};

}  // namespace kestrix
