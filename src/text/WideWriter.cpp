#include "text/WideWriter.h"

#include "platform/CodePage.h"
#include "platform/Unicode.h"

namespace kestrix {

bool TWideStdOut::Write(std::u16string_view Text) {
  if (Memory != nullptr) {
    Memory->append(Text);
    return true;
  }
  bool written = false;
  if (Utf8) {
    const std::string bytes =
        platform::Utf16ToUtf8(ValidUtf16Text(Text), platform::TLoneSurrogate::Replace);
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
  line += Utf8 ? Utf8LineEnd : LineEnd;
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

bool TStdErrorWriter::PutLine(std::u16string_view Text) {
  Pending += Text;
  Pending += LineEnd;
  WriteEndedLines();
  return true;
}

bool TStdErrorWriter::PutUtf8Line(std::string_view Text, std::string_view End) {
  Pending += platform::Utf8ToUtf16(Text, platform::TInvalidUtf8::Replace);
  Pending += platform::Utf8ToUtf16(End, platform::TInvalidUtf8::Replace);
  WriteEndedLines();
  return true;
}

// A text with CR LF inside it is as many lines as a redirected output
// would show.
void TStdErrorWriter::WriteEndedLines() {
  std::size_t start = 0;
  for (std::size_t end = Pending.find(LineEnd); end != std::u16string::npos;
       end = Pending.find(LineEnd, start)) {
    platform::WriteStdError(platform::Narrow(ConsoleSafeText(Pending.substr(start, end - start))));
    start = end + LineEnd.size();
  }
  Pending.erase(0, start);
}

}  // namespace kestrix
