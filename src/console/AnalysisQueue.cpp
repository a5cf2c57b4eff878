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
    : Needs(Needs), Bound(static_cast<std::size_t>(std::max(Jobs, 1)) * EntriesPerJob) {
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
  std::unique_ptr<platform::TFileStream> file;
  if (isFile) {
    file = std::make_unique<platform::TFileStream>();
    if (!file->Open(Entry.Name)) {
      file.reset();
    }
  }
  bool wake = false;
  {
    const std::lock_guard<std::mutex> guard(Lock);
    Slots.push_back({{std::move(Entry), {}, false, false}, !isFile, std::move(file)});
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
  Slots.push_back({{std::move(end), {}, true, Matched}, true, nullptr});
}

std::vector<TQueuedEntry> TAnalysisQueue::TakeReady(bool Wait) {
  if (Threads.empty() && Wait && !Slots.empty() && !Slots.front().Ready) {
    // One job: the oldest file is analysed here, when it is waited for.
    Slots.front().Queued.Check = Analyse(Slots.front(), CallerBuffer);
    Slots.front().Ready = true;
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
    TFileCheck check = Analyse(*slot, buffer);
    guard.lock();
    slot->Queued.Check = std::move(check);
    slot->Ready = true;
    if (CallerWaits && slot == &Slots.front()) {
      FrontReady.notify_one();
    }
  }
}

// Whatever goes wrong while a file is read becomes its error entry.
TFileCheck TAnalysisQueue::Analyse(TSlot& Slot, platform::TReadBuffer& Buffer) const {
  // Closed on every way out, so that only the files waiting are open.
  const std::unique_ptr<platform::TFileStream> file = std::move(Slot.File);
  try {
    if (!file) {
      return FailedCheck(CannotOpenMessage(Slot.Queued.Entry.Name));
    }
    return CheckStream(*file, Buffer, Needs);
  } catch (const std::exception& error) {
    return FailedCheck(error.what());
  } catch (...) {
    return FailedCheck("The file could not be read.");
  }
}

}  // namespace kestrix
