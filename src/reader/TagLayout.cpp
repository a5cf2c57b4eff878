#include "reader/TagLayout.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <string_view>

#include "reader/Id3v2Header.h"
#include "reader/Id3v2UserText.h"

namespace kestrix {

namespace {

constexpr std::array<const char*, 4> TagFormatNames = {"id3v2", "id3v1", "apev2", "lyrics3"};

// ID3v1: "TAG" at 128 bytes before the end.
constexpr std::int64_t Id3v1Size = 128;
constexpr std::string_view Id3v1Magic = "TAG";

// APEv2 footer (32 bytes): "APETAGEX", version, tag size (items and footer),
// item count, flags, all little-endian words; a header of the same form may
// precede the items.
constexpr std::int64_t ApeFooterSize = 32;
constexpr std::string_view ApeMagic = "APETAGEX";
constexpr std::size_t ApeSizeIndex = 12;
constexpr std::size_t ApeCountIndex = 16;
constexpr std::size_t ApeFlagsIndex = 20;
constexpr std::uint32_t ApeHasHeaderFlag = 1u << 31;
constexpr std::uint32_t ApeIsHeaderFlag = 1u << 29;
// An item: value size and flags (little-endian words), the key up to a NUL,
// then the value.
constexpr std::size_t ApeItemPrefixSize = 8;
constexpr std::size_t ApeMaxKeySize = 255;
constexpr std::string_view MP3GainUndoKey = "MP3GAIN_UNDO";
constexpr std::uint32_t MaxUndoTextSize = 256;
// Real tags hold a few dozen items; a count beyond this is not believed.
constexpr std::uint32_t MaxApeItems = 1000;

// Lyrics3 v2: "LYRICSBEGIN" ... six decimal digits (the size without these
// 15 bytes) and "LYRICS200".
constexpr std::string_view LyricsBeginMagic = "LYRICSBEGIN";
constexpr std::string_view LyricsEndMagic = "LYRICS200";
constexpr std::int64_t LyricsSizeDigits = 6;
constexpr std::int64_t LyricsTrailerSize = LyricsSizeDigits + 9;

constexpr auto Id3v2HeaderSize = static_cast<std::int64_t>(TId3v2Header::Size);

// Enough of a file's end to see each trailing tag's mark.
constexpr std::int64_t TailSize = Id3v1Size;

std::int64_t ReadAt(platform::TStream& Stream, std::int64_t Position, void* Buffer,
                    std::int64_t Count) {
  Stream.Seek(Position);
  return std::max<std::int64_t>(0, Stream.Read(Buffer, Count));
}

bool HasMagic(const std::uint8_t* Bytes, std::string_view Magic) {
  return std::memcmp(Bytes, Magic.data(), Magic.size()) == 0;
}

std::uint32_t LittleEndian(const std::uint8_t* Bytes) {
  return static_cast<std::uint32_t>(Bytes[0]) | static_cast<std::uint32_t>(Bytes[1]) << 8 |
         static_cast<std::uint32_t>(Bytes[2]) << 16 | static_cast<std::uint32_t>(Bytes[3]) << 24;
}

// Reads a stretch of a file through one small buffer, refilled only where
// the bytes asked for are not in it.
class TWindowReader {
 public:
  TWindowReader(platform::TStream& Stream, TByteRange Limits) : Stream(Stream), Limits(Limits) {}

  // Count bytes at Position, or null when they are not all inside the limits.
  const std::uint8_t* Get(std::int64_t Position, std::int64_t Count) {
    if (Position < Limits.Begin || Count > WindowSize || Position + Count > Limits.End) {
      return nullptr;
    }
    if (Position < Begin || Position + Count > Begin + Filled) {
      Begin = Position;
      Filled = ReadAt(Stream, Position, Window.data(), std::min(WindowSize, Limits.End - Position));
      if (Count > Filled) {
        return nullptr;
      }
    }
    return Window.data() + (Position - Begin);
  }

 private:
  static constexpr std::int64_t WindowSize = 4096;
  platform::TStream& Stream;
  TByteRange Limits;
  std::array<std::uint8_t, WindowSize> Window{};
  std::int64_t Begin = 0;
  std::int64_t Filled = 0;
};

bool SameKey(std::string_view Key, std::string_view Wanted) {
  return Key.size() == Wanted.size() &&
         std::equal(Key.begin(), Key.end(), Wanted.begin(), [](char A, char B) {
           return std::toupper(static_cast<unsigned char>(A)) == static_cast<unsigned char>(B);
         });
}

// The MP3GAIN_UNDO text among the items of an APEv2 tag, which lie in Items.
std::optional<std::string> FindUndoItem(platform::TStream& Stream, TByteRange Items,
                                        std::uint32_t Count) {
  TWindowReader reader(Stream, Items);
  std::int64_t at = Items.Begin;
  for (std::uint32_t item = 0; item < std::min(Count, MaxApeItems); ++item) {
    const std::int64_t visible =
        std::min<std::int64_t>(ApeItemPrefixSize + ApeMaxKeySize + 1, Items.End - at);
    const std::uint8_t* bytes = reader.Get(at, visible);
    if (bytes == nullptr || visible <= static_cast<std::int64_t>(ApeItemPrefixSize)) {
      break;
    }
    const std::uint32_t valueSize = LittleEndian(bytes);
    const auto* keyBegin = reinterpret_cast<const char*>(bytes + ApeItemPrefixSize);
    const auto* keyEnd =
        static_cast<const char*>(std::memchr(keyBegin, 0, visible - ApeItemPrefixSize));
    if (keyEnd == nullptr) {
      break;
    }
    const std::int64_t value = at + (keyEnd - keyBegin) + ApeItemPrefixSize + 1;
    if (SameKey(std::string_view(keyBegin, keyEnd - keyBegin), MP3GainUndoKey) &&
        valueSize <= MaxUndoTextSize) {
      if (const std::uint8_t* text = reader.Get(value, valueSize)) {
        return std::string(text, text + valueSize);
      }
    }
    at = value + valueSize;
  }
  return std::nullopt;
}

// Finds the trailing tags from the end towards the leading tags.
class TTrailingTagFinder {
 public:
  TTrailingTagFinder(platform::TStream& Stream, TTagLayout& Layout)
      : Stream(Stream), Layout(Layout) {}

  void Run() {
    TByteRange& region = Layout.StreamRegion;
    while (region.End > region.Begin) {
      const std::int64_t count = std::min(TailSize, region.End - region.Begin);
      Filled = ReadAt(Stream, region.End - count, Tail.data() + (TailSize - count), count);
      if (Filled < count) {
        return;
      }
      std::int64_t length = Id3v1();
      TTagFormat format = TTagFormat::Id3v1;
      if (length == 0 && (length = Apev2()) != 0) {
        format = TTagFormat::Apev2;
      }
      if (length == 0 && (length = Lyrics3()) != 0) {
        format = TTagFormat::Lyrics3;
      }
      if (length == 0 && (length = Id3v2()) != 0) {
        format = TTagFormat::Id3v2;
      }
      if (length == 0) {
        return;
      }
      region.End -= length;
      Layout.Trailing.insert(Layout.Trailing.begin(), {format, {region.End, region.End + length}});
    }
  }

 private:
  // The last N bytes before the region's end; N is at most Filled.
  const std::uint8_t* Last(std::int64_t N) const { return Tail.data() + (TailSize - N); }
  std::int64_t Room() const { return Layout.StreamRegion.End - Layout.StreamRegion.Begin; }

  std::int64_t Id3v1() const {
    return Filled >= Id3v1Size && HasMagic(Last(Id3v1Size), Id3v1Magic) ? Id3v1Size : 0;
  }

  std::int64_t Apev2() {
    if (Filled < ApeFooterSize) {
      return 0;
    }
    const std::uint8_t* footer = Last(ApeFooterSize);
    const std::uint32_t flags = LittleEndian(footer + ApeFlagsIndex);
    if (!HasMagic(footer, ApeMagic) || (flags & ApeIsHeaderFlag) != 0) {
      return 0;
    }
    const std::int64_t size = LittleEndian(footer + ApeSizeIndex);
    const std::int64_t length = size + ((flags & ApeHasHeaderFlag) != 0 ? ApeFooterSize : 0);
    if (size < ApeFooterSize || length > Room()) {
      return 0;
    }
    if (!Layout.MP3GainUndo) {
      const std::int64_t end = Layout.StreamRegion.End;
      Layout.MP3GainUndo = FindUndoItem(Stream, {end - size, end - ApeFooterSize},
                                        LittleEndian(footer + ApeCountIndex));
    }
    return length;
  }

  std::int64_t Lyrics3() {
    if (Filled < LyricsTrailerSize || !HasMagic(Last(LyricsEndMagic.size()), LyricsEndMagic)) {
      return 0;
    }
    std::int64_t size = 0;
    const std::uint8_t* digits = Last(LyricsTrailerSize);
    for (std::int64_t i = 0; i < LyricsSizeDigits; ++i) {
      if (digits[i] < '0' || digits[i] > '9') {
        return 0;
      }
      size = size * 10 + (digits[i] - '0');
    }
    const std::int64_t length = size + LyricsTrailerSize;
    if (length > Room()) {
      return 0;
    }
    std::array<std::uint8_t, LyricsBeginMagic.size()> begin{};
    const std::int64_t start = Layout.StreamRegion.End - length;
    const auto want = static_cast<std::int64_t>(begin.size());
    if (size < want || ReadAt(Stream, start, begin.data(), want) < want ||
        !HasMagic(begin.data(), LyricsBeginMagic)) {
      return 0;
    }
    return length;
  }

  // An ID3v2 tag found by its footer, whose header agrees.
  std::int64_t Id3v2() {
    if (Filled < TId3v2Header::FooterSize) {
      return 0;
    }
    const std::int64_t length = TId3v2Header(Last(TId3v2Header::FooterSize)).TagLengthFromFooter();
    if (length == 0 || length > Room()) {
      return 0;
    }
    std::array<std::uint8_t, TId3v2Header::Size> header{};
    if (ReadAt(Stream, Layout.StreamRegion.End - length, header.data(), Id3v2HeaderSize) <
            Id3v2HeaderSize ||
        TId3v2Header(header.data()).TagLength() != length) {
      return 0;
    }
    return length;
  }

  platform::TStream& Stream;
  TTagLayout& Layout;
  std::array<std::uint8_t, TailSize> Tail{};
  std::int64_t Filled = 0;
};

// The length of an APEv2 tag that starts with its header at Bytes (32
// bytes), or 0.
std::int64_t LeadingApev2Length(const std::uint8_t* Bytes) {
  const std::uint32_t flags = LittleEndian(Bytes + ApeFlagsIndex);
  const std::int64_t size = LittleEndian(Bytes + ApeSizeIndex);
  if (!HasMagic(Bytes, ApeMagic) || (flags & ApeIsHeaderFlag) == 0 || size < ApeFooterSize) {
    return 0;
  }
  return ApeFooterSize + size;
}

// The ID3v2 and APEv2 tags from offset 0 on, one after the other; gives
// where the stream region begins.
std::int64_t FindLeadingTags(platform::TStream& Stream, std::int64_t Size, TTagLayout& Layout) {
  std::int64_t begin = 0;
  std::array<std::uint8_t, ApeFooterSize> header{};
  for (;;) {
    const std::int64_t got =
        ReadAt(Stream, begin, header.data(), std::min(ApeFooterSize, Size - begin));
    std::int64_t length = 0;
    TTagFormat format = TTagFormat::Id3v2;
    if (got >= Id3v2HeaderSize) {
      length = TId3v2Header(header.data()).TagLength();
    }
    if (length == 0 && got == ApeFooterSize && (length = LeadingApev2Length(header.data())) != 0) {
      format = TTagFormat::Apev2;
      // An APEv2 tag past the end is no tag.
      if (begin + length > Size) {
        return begin;
      }
    }
    if (length == 0) {
      return begin;
    }
    Layout.Leading.push_back({format, {begin, std::min(begin + length, Size)}});
    if (format == TTagFormat::Id3v2) {
      ++Layout.Id3v2;
    }
    if (begin + length > Size) {
      Layout.TruncatedTag = begin + length - Size;
      return Size;
    }
    begin += length;
  }
}

// MP3Gain's undo record in an ID3v2 tag, the leading ones first.
std::optional<std::string> FindUndoFrame(platform::TStream& Stream, const TTagLayout& Layout) {
  for (const std::vector<TTagPlace>* tags : {&Layout.Leading, &Layout.Trailing}) {
    for (const TTagPlace& tag : *tags) {
      if (tag.Format != TTagFormat::Id3v2) {
        continue;
      }
      if (auto text = FindUserText(Stream, tag.Bytes, MP3GainUndoKey)) {
        return text;
      }
    }
  }
  return std::nullopt;
}

}  // namespace

const char* TagFormatName(TTagFormat Format) {
  return TagFormatNames[static_cast<std::size_t>(Format)];
}

TTagLayout ReadTagLayout(platform::TStream& Stream, std::int64_t FileSize) {
  TTagLayout layout;
  const std::int64_t size = std::max<std::int64_t>(FileSize, 0);
  const std::int64_t begin = FindLeadingTags(Stream, size, layout);
  // Beyond a tag cut short the trailing tags are still looked for, behind
  // its header.
  layout.StreamRegion = {begin, size};
  if (layout.TruncatedTag > 0) {
    layout.StreamRegion.Begin = layout.Leading.back().Bytes.Begin + Id3v2HeaderSize;
  }
  TTrailingTagFinder(Stream, layout).Run();
  if (layout.TruncatedTag > 0) {
    layout.StreamRegion.Begin = layout.StreamRegion.End;
  }
  // An APEv2 item wins over an ID3v2 frame.
  if (!layout.MP3GainUndo) {
    layout.MP3GainUndo = FindUndoFrame(Stream, layout);
  }
  return layout;
}

}  // namespace kestrix
