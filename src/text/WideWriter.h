#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/StdOutput.h"
#include "text/Text.h"

namespace kestrix {

// Every line of output ends with CR LF, also when redirected.
inline constexpr std::u16string_view LineEnd = u"\r\n";
// ... except in UTF-8 output, where lines end as Unix tools expect.
inline constexpr std::u16string_view Utf8LineEnd = u"\n";

// Standard output for UTF-16 text: shown as text on a terminal, written as
// UTF-16LE bytes without a byte-order mark when redirected, or as UTF-8
// everywhere when asked to.
class TWideStdOut {
 public:
  TWideStdOut() { Output.emplace(); }
  // Collects the text in Memory instead, as redirected output would carry
  // it; standard output is left alone. For checking whole outputs in-process.
  explicit TWideStdOut(std::u16string& Memory) : Memory(&Memory) {}

  bool IsConsole() const { return Output && Output->IsConsole(); }
  // From now on all text goes out as UTF-8 with LF line ends.
  void UseUtf8() { Utf8 = true; }
  // The whole text in one write, without a line end.
  bool Write(std::u16string_view Text);
  // The text and its line end in one write.
  bool WriteLine(std::u16string_view Text);
  bool WriteFormatLine(std::u16string_view Format, TFormatArgs Args);
  // A line of UTF-8 text and End as bytes, for the machine-readable forms;
  // a terminal is given it as text, with its controls defused.
  bool WriteUtf8Line(std::string_view Text, std::string_view End);
  // Some text did not arrive (a full disk, for example); the run goes on,
  // but cannot end as a success.
  bool AnyWriteFailed() const { return WriteFailed; }
  // Nobody reads the output any more (a pipe closed early): the run may stop.
  bool IsReaderClosed() const { return Output && Output->IsReaderClosed(); }

 private:
  std::optional<platform::TStdOutput> Output;
  std::u16string* Memory = nullptr;
  bool Utf8 = false;
  bool WriteFailed = false;
};

}  // namespace kestrix
