#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrix::platform {

// The process's standard output, owned: closed when the object goes away.
class TStdOutput {
 public:
  // Raises EKestrixError with the system's message when the process has
  // no usable standard output.
  TStdOutput();
  ~TStdOutput();
  TStdOutput(const TStdOutput&) = delete;
  TStdOutput& operator=(const TStdOutput&) = delete;

  // True when standard output is an interactive console or terminal.
  bool IsConsole() const { return Console; }
  // Console only: shows the text in the console's own encoding.
  bool WriteConsoleText(const std::u16string& Text);
  // Console only: shows UTF-8 text. A terminal gets the bytes as they
  // are; a Windows console gets the characters, whatever its code page.
  bool WriteConsoleUtf8(const std::string& Utf8Text);
  // Redirected output only: writes the bytes unchanged, all of them.
  bool WriteBytes(const void* Data, std::size_t Count);
  // True once a write found that nobody reads the output any more (the
  // reading end of a pipe was closed): nothing written later can arrive.
  bool IsReaderClosed() const { return ReaderClosed; }

 private:
  std::intptr_t Handle;
  bool Console = false;
  bool ReaderClosed = false;
};

// Last-resort report when standard output is unusable: the text, then CR LF.
void WriteStdError(const std::string& Text);

// Standard error when it is an interactive console or terminal: its width
// in columns, 0 when the system cannot tell; none when it is not one.
std::optional<int> StdErrorConsoleWidth();
// Console text on standard error as it is, in the console's own encoding,
// without a line end; for a line that is redrawn in place.
bool WriteStdErrorText(const std::u16string& Text);

}  // namespace kestrix::platform
