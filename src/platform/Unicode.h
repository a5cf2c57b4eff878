#pragma once

#include <string>
#include <string_view>

// Pure conversions between UTF-16 and 8-bit encodings, the same on every
// system. The platform's active code page is built on them.
namespace kestrix::platform {

// What becomes of bytes that are not valid UTF-8.
enum class TInvalidUtf8 {
  Replace,  // each invalid sequence becomes U+FFFD
  Escape,   // each invalid byte b becomes the lone surrogate U+DC00 + b
};

// What becomes of lone surrogates on the way to UTF-8.
enum class TLoneSurrogate {
  Replace,   // written as "?"
  Unescape,  // U+DC80..U+DCFF become the byte they stand for, others "?"
};

std::u16string Utf8ToUtf16(std::string_view Text, TInvalidUtf8 Mode);
std::string Utf16ToUtf8(std::u16string_view Text, TLoneSurrogate Mode);

// ISO-8859-1: every byte is one character; characters above U+00FF are "?".
std::u16string Latin1ToUtf16(std::string_view Text);
std::string Utf16ToLatin1(std::u16string_view Text);

// Number of characters of UTF-8 text (invalid bytes count one each).
std::size_t Utf8Length(std::string_view Text);

}  // namespace kestrix::platform
