#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/StdOutput.h"
#include "text/Text.h"

namespace kestrix {

using platform::TTextEncoding;

// Lines of UTF-16 text end with CR LF, as Windows programs expect ...
inline constexpr std::u16string_view LineEnd = u"\r\n";
// ... and lines of UTF-8 text as Unix tools expect.
inline constexpr std::u16string_view Utf8LineEnd = u"\n";

std::u16string_view LineEndOf(TTextEncoding Encoding);

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

// Standard output for UTF-16 text: shown as text on a terminal, written in
// the system's own encoding when redirected (UTF-16LE without a byte-order
// mark on Windows, UTF-8 elsewhere), or in the one asked for.
class TWideStdOut final : public TTextWriter {
 public:
  TWideStdOut() : Encoding(platform::NativeTextEncoding()) { Output.emplace(); }
  // Collects the text in Memory instead, as redirected output in Encoding
  // would carry it; standard output is left alone. For checking whole
  // outputs in-process.
  TWideStdOut(std::u16string& Memory, TTextEncoding Encoding)
      : Memory(&Memory), Encoding(Encoding) {}

  bool IsConsole() const { return Output && Output->IsConsole(); }
  // From now on redirected text goes out in Encoding. A terminal is given
  // UTF-8 when asked for, else the system's own.
  void UseEncoding(TTextEncoding Encoding) { this->Encoding = Encoding; }
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
  // The encoding of what goes out, on a terminal or redirected.
  TTextEncoding WrittenEncoding() const;

  std::optional<platform::TStdOutput> Output;
  std::u16string* Memory = nullptr;
  TTextEncoding Encoding;
  bool WriteFailed = false;
};

// Lines for a person on standard error, while standard output carries
// only a machine-readable form: the text a redirected output in the
// system's own encoding would carry, written there a line at a time as
// each line ends, made safe for a terminal (on Windows in the code page).
class TStdErrorWriter final : public TTextWriter {
 private:
  bool PutLine(std::u16string_view Text) override;
  bool PutUtf8Line(std::string_view Text, std::string_view End) override;
  void WriteEndedLines();

  std::u16string Pending;  // the text after the last line end written
};

}  // namespace kestrix
