#include "platform/posix/MappedFile.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

namespace kestrix::platform::posix {

namespace {

std::size_t PageSize() {
  static const auto size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

// What the signal handler needs to know; a handler can reach nothing else.
std::atomic<std::uintptr_t> WatchedBegin{0};
std::atomic<std::uintptr_t> WatchedEnd{0};
volatile std::sig_atomic_t PageLost = 0;
struct sigaction PreviousAction {};

void OnBusError(int Signal, siginfo_t* Info, void* /*Context*/) {
  const auto address = reinterpret_cast<std::uintptr_t>(Info->si_addr);
  const std::uintptr_t end = WatchedEnd.load();
  if (address < WatchedBegin.load() || address >= end) {
    // Not ours: the fault happens again under the action from before.
    ::sigaction(Signal, &PreviousAction, nullptr);
    return;
  }
  // Zero pages in place of the lost ones, up to the window's end.
  const std::uintptr_t page = address & ~(static_cast<std::uintptr_t>(PageSize()) - 1);
  ::mmap(reinterpret_cast<void*>(page), end - page, PROT_READ,
         MAP_FIXED | MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  PageLost = 1;
}

}  // namespace

TMappedWindow::TMappedWindow(int Fd, std::int64_t Offset, std::int64_t Length) {
  const auto pageMask = static_cast<std::int64_t>(PageSize() - 1);
  const std::int64_t start = Offset & ~pageMask;
  Skip = static_cast<std::size_t>(Offset - start);
  Size = static_cast<std::size_t>(Length) + Skip;
  Start =
      ::mmap(nullptr, Size, PROT_READ, MAP_PRIVATE | MAP_POPULATE, Fd, static_cast<off_t>(start));
}

TMappedWindow::~TMappedWindow() {
  if (IsMapped()) {
    ::munmap(Start, Size);
  }
}

TBusErrorGuard::TBusErrorGuard() {
  PageLost = 0;
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO;
  sigemptyset(&action.sa_mask);
  ::sigaction(SIGBUS, &action, &PreviousAction);
}

TBusErrorGuard::~TBusErrorGuard() {
  ::sigaction(SIGBUS, &PreviousAction, nullptr);
  WatchedBegin = 0;
  WatchedEnd = 0;
}

void TBusErrorGuard::Watch(const TMappedWindow& Window) {
  const auto begin = reinterpret_cast<std::uintptr_t>(Window.Pages());
  WatchedEnd = 0;
  WatchedBegin = begin;
  WatchedEnd = begin + Window.PagesSize();
}

bool TBusErrorGuard::Cut() const {
  return PageLost != 0;
}

}  // namespace kestrix::platform::posix
