#include "console/AnalysisQueue.h"

#include <algorithm>
#include <exception>
#include <utility>

#include "platform/Process.h"

namespace kestrix {

int DefaultJobs() {
  return std::clamp(platform::AvailableProcessors(), 1, MaxDefaultJobs);
}

TAnalysisQueue::TAnalysisQueue(int Jobs, const TAnalysisNeeds& Needs)
    : Needs(Needs),
      Bound(static_cast<std::size_t>(Jobs > 1 ? Jobs : 1) * (Jobs > 1 ? EntriesPerJob : 1)) {
  for (int i = 0; i < Jobs && Jobs > 1; ++i) {
    Threads.emplace_back([this] { Work(); });
  }
}

TAnalysisQueue::~TAnalysisQueue() {
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Stopping = true;
  }
  WorkAdded.notify_all();
  for (std::thread& thread : Threads) {
    thread.join();
  }
}

bool TAnalysisQueue::HasRoom() const {
  const std::lock_guard<std::mutex> guard(Lock);
  return Slots.size() < Bound;
}

bool TAnalysisQueue::IsEmpty() const {
  const std::lock_guard<std::mutex> guard(Lock);
  return Slots.empty();
}

void TAnalysisQueue::Add(TListingEntry Entry) {
  const bool isFile = Entry.Kind == TListingKind::File;
  bool wake = false;
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Slots.push_back({{std::move(Entry), {}, false, false}, !isFile});
    wake = isFile && IdleThreads > 0;
  }
  // A thread is woken only when one sleeps: each wake-up costs.
  if (wake) {
    WorkAdded.notify_one();
  }
}

void TAnalysisQueue::AddPathEnd(std::u16string Path, bool Matched) {
  const std::lock_guard<std::mutex> guard(Lock);
  TListingEntry end;
  end.Kind = TListingKind::Folder;
  end.Name = std::move(Path);
  Slots.push_back({{std::move(end), {}, true, Matched}, true});
}

std::vector<TQueuedEntry> TAnalysisQueue::TakeReady(bool Wait) {
  if (Threads.empty()) {
    // One job: the files are analysed here, in order, as their turn comes.
    for (TSlot& slot : Slots) {
      if (!slot.Ready) {
        slot.Queued.Check = Analyse(slot.Queued.Entry.Name, CallerBuffer);
        slot.Ready = true;
      }
    }
  }
  std::vector<TQueuedEntry> ready;
  std::unique_lock<std::mutex> guard(Lock);
  if (Wait) {
    CallerWaits = true;
    FrontReady.wait(guard, [this] { return Slots.empty() || Slots.front().Ready; });
    CallerWaits = false;
  }
  while (!Slots.empty() && Slots.front().Ready) {
    ready.push_back(std::move(Slots.front().Queued));
    Slots.pop_front();
    Taken = Taken > 0 ? Taken - 1 : 0;
  }
  return ready;
}

TAnalysisQueue::TSlot* TAnalysisQueue::NextToAnalyse() {
  // Entries that are no files are ready as they come.
  while (Taken < Slots.size() && Slots[Taken].Ready) {
    ++Taken;
  }
  return Taken < Slots.size() ? &Slots[Taken++] : nullptr;
}

void TAnalysisQueue::Work() {
  platform::TReadBuffer buffer;
  std::unique_lock<std::mutex> guard(Lock);
  while (!Stopping) {
    TSlot* slot = NextToAnalyse();
    if (slot == nullptr) {
      ++IdleThreads;
      WorkAdded.wait(guard);
      --IdleThreads;
      continue;
    }
    // Slots stay where they are until the caller takes them, which it does
    // only once they are ready.
    guard.unlock();
    TFileCheck check = Analyse(slot->Queued.Entry.Name, buffer);
    guard.lock();
    slot->Queued.Check = std::move(check);
    slot->Ready = true;
    if (CallerWaits && slot == &Slots.front()) {
      FrontReady.notify_one();
    }
  }
}

// Whatever goes wrong while a file is read becomes its error entry.
TFileCheck TAnalysisQueue::Analyse(const std::u16string& FullName,
                                   platform::TReadBuffer& Buffer) const {
  try {
    return CheckFile(FullName, Buffer, Needs);
  } catch (const std::exception& error) {
    return FailedCheck(error.what());
  } catch (...) {
    return FailedCheck("The file could not be read.");
  }
}

}  // namespace kestrix
