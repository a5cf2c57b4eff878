// Any bytes as a file name, both ways through the name conversions: as the
// system's bytes (taken as UTF-8, then Latin-1 and the active code page),
// and as UTF-16 code units (two bytes each, low byte first).
#include <cstddef>
#include <cstdint>
#include <string>

#include "console/Listing.h"
#include "fuzz/FuzzCheck.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"
#include "platform/Unicode.h"
#include "text/Text.h"

namespace kestrix::fuzz {
namespace {

using namespace platform;

bool IsHigh(char16_t C) {
  return C >= 0xD800 && C <= 0xDBFF;
}
bool IsLow(char16_t C) {
  return C >= 0xDC00 && C <= 0xDFFF;
}

// Well-formed UTF-16: every surrogate is half of a pair.
bool IsWellFormed(const std::u16string& Text) {
  for (std::size_t i = 0; i < Text.size(); ++i) {
    if (IsHigh(Text[i]) && i + 1 < Text.size() && IsLow(Text[i + 1])) {
      ++i;
    } else if (IsHigh(Text[i]) || IsLow(Text[i])) {
      return false;
    }
  }
  return true;
}

std::size_t CodePoints(const std::u16string& Text) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < Text.size(); ++i, ++count) {
    if (IsHigh(Text[i]) && i + 1 < Text.size() && IsLow(Text[i + 1])) {
      ++i;
    }
  }
  return count;
}

bool IsValidUtf8(const std::string& Bytes) {
  return Utf8ToUtf16(Bytes, TInvalidUtf8::Replace) == Utf8ToUtf16(Bytes, TInvalidUtf8::Escape);
}

void CheckSystemName(const std::string& Name) {
  // A name read from a folder must open the very same file again.
  const std::u16string escaped = Utf8ToUtf16(Name, TInvalidUtf8::Escape);
  Require(Utf16ToUtf8(escaped, TLoneSurrogate::Unescape) == Name, "escaped names come back");
  Require(CodePoints(escaped) == Utf8Length(Name), "the length counts characters");

  const std::u16string replaced = Utf8ToUtf16(Name, TInvalidUtf8::Replace);
  Require(IsWellFormed(replaced), "replacing gives well-formed text");
  Require(replaced.size() <= Name.size(), "no more units than bytes");

  const std::u16string latin1 = Latin1ToUtf16(Name);
  Require(latin1.size() == Name.size() && Utf16ToLatin1(latin1) == Name, "Latin-1 comes back");

  const std::u16string widened = Widen(Name);
  Require(IsWellFormed(widened), "widening gives well-formed text");
  Require(Narrow(widened) == Name || !IsValidUtf8(Name), "text of the code page comes back");

  // What a terminal gets of the name: no control character, no surrogate.
  for (const char16_t c : ConsoleSafeText(escaped)) {
    Require(c >= 0x20 && (c < 0x7F || c > 0x9F), "no control character reaches a terminal");
  }
  Require(IsWellFormed(ConsoleSafeText(escaped)), "a terminal gets well-formed text");
}

void CheckWideName(const std::u16string& Name) {
  const std::string replaced = Utf16ToUtf8(Name, TLoneSurrogate::Replace);
  Require(IsValidUtf8(replaced), "UTF-8 made from any UTF-16 is valid");
  const std::string unescaped = Utf16ToUtf8(Name, TLoneSurrogate::Unescape);
  if (IsWellFormed(Name)) {
    Require(unescaped == replaced, "well-formed text needs no unescaping");
    Require(Utf8ToUtf16(replaced, TInvalidUtf8::Replace) == Name, "well-formed text comes back");
  }
  const std::string latin1 = Utf16ToLatin1(Name);
  Require(latin1.size() == CodePoints(Name), "one Latin-1 byte per character");
  Require(IsWellFormed(Widen(Narrow(Name))), "the code page gives well-formed text back");
  Require(Utf16LEBytes(Name).size() == 2 * Name.size(), "two bytes per unit");

  // The walk's path operations split a path into folder and name exactly.
  const std::u16string folder = DirectoryPart(Name);
  Require(folder + NamePart(Name) == Name, "folder part and name part make the path");
  const std::u16string expanded = ExpandPath(FolderSeparator + Name);
  Require(expanded.empty() || expanded.front() == FolderSeparator, "expanded paths are absolute");
}

}  // namespace
}  // namespace kestrix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const std::string bytes(reinterpret_cast<const char*>(Data), Size);
  kestrix::fuzz::CheckSystemName(bytes);
  std::u16string wide;
  for (std::size_t i = 0; i + 1 < Size; i += 2) {
    wide += static_cast<char16_t>(Data[i] | (Data[i + 1] << 8));
  }
  kestrix::fuzz::CheckWideName(wide);
  return 0;
}
