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

// Where a printer's lines go. Each printer is handed its writer when it is
// made, so nothing prints through a writer of the whole program.
class TTextWriter {
 public:
  virtual ~TTextWriter() = default;

  // The text and its line end in one write.
  bool WriteLine(std::u16string_view Text = {}) { return PutLine(Text); }
  bool WriteFormatLine(std::u16string_view Format, TFormatArgs Args) {
    return PutLine(FormatText(Format, Args));
  }
  // A line of UTF-8 text and End as bytes, for the machine-readable forms.
  bool WriteUtf8Line(std::string_view Text, std::string_view End) { return PutUtf8Line(Text, End); }
  // Nobody reads the output any more (a pipe closed early): a walk need
  // not go on reading files.
  virtual bool IsReaderClosed() const { return false; }

 private:
  virtual bool PutLine(std::u16string_view Text) = 0;
  virtual bool PutUtf8Line(std::string_view Text, std::string_view End) = 0;
};

// Standard output for UTF-16 text: shown as text on a terminal, written as
// UTF-16LE bytes without a byte-order mark when redirected, or as UTF-8
// everywhere when asked to.
class TWideStdOut final : public TTextWriter {
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
  // Some text did not arrive (a full disk, for example); the run goes on,
  // but cannot end as a success.
  bool AnyWriteFailed() const { return WriteFailed; }
  bool IsReaderClosed() const override { return Output && Output->IsReaderClosed(); }

 private:
  bool PutLine(std::u16string_view Text) override;
  // A terminal is given the UTF-8 line as text, with its controls defused.
  bool PutUtf8Line(std::string_view Text, std::string_view End) override;

  std::optional<platform::TStdOutput> Output;
  std::u16string* Memory = nullptr;
  bool Utf8 = false;
  bool WriteFailed = false;
};

// Lines for a person on standard error, while standard output carries
// only a machine-readable form: the text a redirected output would carry,
// written there a line at a time as each line ends, made safe for a
// terminal and in the code page, whatever the output's own encoding.
class TStdErrorWriter final : public TTextWriter {
 private:
  bool PutLine(std::u16string_view Text) override;
  bool PutUtf8Line(std::string_view Text, std::string_view End) override;
  void WriteEndedLines();

  std::u16string Pending;  // the text after the last line end written
};

}  // namespace kestrix
