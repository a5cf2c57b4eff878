#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kestrix::platform {

// How text goes out as bytes.
enum class TTextEncoding {
  Utf16LE,  // UTF-16LE without a byte-order mark, lines ending in CR LF
  Utf8,     // UTF-8, lines ending in LF
};

// The system's own way of writing text: UTF-16LE on Windows, UTF-8
// everywhere else. Redirected output takes it unless an option says
// otherwise; a terminal always shows it.
TTextEncoding NativeTextEncoding();

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
  // Console only: shows the text in the console's own encoding (UTF-8 on
  // a POSIX terminal, whatever the locale).
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

// One line for a person on standard error, in the system's way: UTF-8
// and LF; on Windows text on a console, else the code page's bytes and
// CR LF.
void WriteStdErrorLine(const std::u16string& Text);
// The same for 8-bit text of the code page, such as an exception's
// message: the last resort when standard output is unusable.
void WriteStdError(const std::string& Text);

// Standard error when it is an interactive console or terminal: its width
// in columns, 0 when the system cannot tell; none when it is not one.
std::optional<int> StdErrorConsoleWidth();
// Console text on standard error as it is, in the console's own encoding
// (UTF-8 on a POSIX terminal),
// without a line end; for a line that is redrawn in place.
bool WriteStdErrorText(const std::u16string& Text);

}  // namespace kestrix::platform
