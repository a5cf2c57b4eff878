#include "platform/StdOutput.h"

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/KestrixError.h"
#include "platform/Unicode.h"

namespace kestrix::platform {

namespace {

constexpr char LineEnd = '\n';

// Writes every byte, going on after short and interrupted writes. Returns
// 0, or the error that stopped it.
int WriteAll(int Fd, const void* Data, std::size_t Count) {
  const auto* next = static_cast<const char*>(Data);
  while (Count > 0) {
    const ssize_t written = ::write(Fd, next, Count);
    if (written < 0 && errno == EINTR) {
      continue;
    }
    if (written < 0) {
      return errno;
    }
    if (written == 0) {
      return EIO;
    }
    next += written;
    Count -= static_cast<std::size_t>(written);
  }
  return 0;
}

int Descriptor(std::intptr_t Handle) {
  return static_cast<int>(Handle);
}

// A terminal is given UTF-8 whatever the locale's code set: the UTF-8 of
// today's systems, and of every other output of the program.
std::string TerminalBytes(const std::u16string& Text) {
  return Utf16ToUtf8(Text, TLoneSurrogate::Replace);
}

}  // namespace

TTextEncoding NativeTextEncoding() {
  return TTextEncoding::Utf8;
}

TStdOutput::TStdOutput() : Handle(STDOUT_FILENO) {
  if (::fcntl(STDOUT_FILENO, F_GETFD) == -1) {
    throw EKestrixError(std::string("Standard output is not available: ") + std::strerror(errno));
  }
  Console = ::isatty(STDOUT_FILENO) == 1;
}

TStdOutput::~TStdOutput() {
  ::close(Descriptor(Handle));
}

bool TStdOutput::WriteConsoleText(const std::u16string& Text) {
  return WriteConsoleUtf8(TerminalBytes(Text));
}

bool TStdOutput::WriteConsoleUtf8(const std::string& Utf8Text) {
  return WriteBytes(Utf8Text.data(), Utf8Text.size());
}

bool TStdOutput::WriteBytes(const void* Data, std::size_t Count) {
  const int error = WriteAll(Descriptor(Handle), Data, Count);
  // Only reached where SIGPIPE is ignored; otherwise the signal ends the run.
  ReaderClosed = ReaderClosed || error == EPIPE;
  return error == 0;
}

void WriteStdErrorLine(const std::u16string& Text) {
  const std::string line = TerminalBytes(Text) + LineEnd;
  WriteAll(STDERR_FILENO, line.data(), line.size());
}

void WriteStdError(const std::string& Text) {
  WriteStdErrorLine(Widen(Text));
}

std::optional<int> StdErrorConsoleWidth() {
  if (::isatty(STDERR_FILENO) != 1) {
    return std::nullopt;
  }
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) != 0) {
    return 0;
  }
  return static_cast<int>(size.ws_col);
}

bool WriteStdErrorText(const std::u16string& Text) {
  const std::string bytes = TerminalBytes(Text);
  return WriteAll(STDERR_FILENO, bytes.data(), bytes.size()) == 0;
}

}  // namespace kestrix::platform
