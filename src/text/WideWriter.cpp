#include "text/WideWriter.h"

#include "platform/Unicode.h"

namespace kestrix {

std::u16string_view LineEndOf(TTextEncoding Encoding) {
  return Encoding == TTextEncoding::Utf8 ? Utf8LineEnd : LineEnd;
}

TTextEncoding TWideStdOut::WrittenEncoding() const {
  if (IsConsole() && Encoding != TTextEncoding::Utf8) {
    return platform::NativeTextEncoding();
  }
  return Encoding;
}

bool TWideStdOut::Write(std::u16string_view Text) {
  if (Memory != nullptr) {
    Memory->append(Text);
    return true;
  }
  bool written = false;
  if (WrittenEncoding() == TTextEncoding::Utf8) {
    const std::string bytes = ValidUtf8(Text);
    written = Output->IsConsole() ? Output->WriteConsoleUtf8(bytes)
                                  : Output->WriteBytes(bytes.data(), bytes.size());
  } else if (Output->IsConsole()) {
    written = Output->WriteConsoleText(std::u16string(Text));
  } else {
    const std::string bytes = Utf16LEBytes(ValidUtf16Text(Text));
    written = Output->WriteBytes(bytes.data(), bytes.size());
  }
  WriteFailed = WriteFailed || !written;
  return written;
}

bool TWideStdOut::PutLine(std::u16string_view Text) {
  std::u16string line = IsConsole() ? ConsoleSafeText(Text) : std::u16string(Text);
  line += LineEndOf(WrittenEncoding());
  return Write(line);
}

bool TWideStdOut::PutUtf8Line(std::string_view Text, std::string_view End) {
  if (Memory != nullptr) {
    Memory->append(platform::Utf8ToUtf16(Text, platform::TInvalidUtf8::Replace));
    Memory->append(platform::Utf8ToUtf16(End, platform::TInvalidUtf8::Replace));
    return true;
  }
  if (IsConsole()) {
    std::u16string line =
        ConsoleSafeText(platform::Utf8ToUtf16(Text, platform::TInvalidUtf8::Replace));
    line += platform::Utf8ToUtf16(End, platform::TInvalidUtf8::Replace);
    return Write(line);
  }
  std::string bytes(Text);
  bytes += End;
  const bool written = Output->WriteBytes(bytes.data(), bytes.size());
  WriteFailed = WriteFailed || !written;
  return written;
}

namespace {

std::u16string_view NativeLineEnd() {
  return LineEndOf(platform::NativeTextEncoding());
}

}  // namespace

bool TStdErrorWriter::PutLine(std::u16string_view Text) {
  Pending += Text;
  Pending += NativeLineEnd();
  WriteEndedLines();
  return true;
}

bool TStdErrorWriter::PutUtf8Line(std::string_view Text, std::string_view End) {
  Pending += platform::Utf8ToUtf16(Text, platform::TInvalidUtf8::Replace);
  Pending += platform::Utf8ToUtf16(End, platform::TInvalidUtf8::Replace);
  WriteEndedLines();
  return true;
}

// A text with line ends inside it is as many lines as a redirected output
// would show.
void TStdErrorWriter::WriteEndedLines() {
  const std::u16string_view lineEnd = NativeLineEnd();
  std::size_t start = 0;
  for (std::size_t end = Pending.find(lineEnd); end != std::u16string::npos;
       end = Pending.find(lineEnd, start)) {
    platform::WriteStdErrorLine(ConsoleSafeText(Pending.substr(start, end - start)));
    start = end + lineEnd.size();
  }
  Pending.erase(0, start);
}

}  // namespace kestrix
