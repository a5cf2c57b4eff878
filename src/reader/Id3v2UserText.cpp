#include "reader/Id3v2UserText.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <vector>

#include "reader/Id3v2Header.h"

namespace kestrix {

namespace {

constexpr std::int64_t FrameHeaderSize = 10;
constexpr std::size_t FrameIdSize = 4;
constexpr std::size_t FrameSizeIndex = 4;
constexpr std::size_t FrameFormatFlagsIndex = 9;
constexpr std::string_view UserTextId = "TXXX";
// Longer user texts are not the ones looked for.
constexpr std::int64_t MaxUserTextSize = 512;
constexpr std::uint8_t Ascii = 0x7F;
constexpr char NotAscii = '?';

constexpr std::uint8_t Id3v23 = 3;
constexpr std::uint8_t Id3v24 = 4;
// Format flags of a frame.
struct TFrameFlags {
  std::uint8_t Compressed;
  std::uint8_t Encrypted;
  std::uint8_t Grouped;  // a group byte precedes the content
  std::uint8_t Unsynchronised;
  std::uint8_t LengthIndicator;  // four bytes of the unsynchronised length precede it
};
constexpr TFrameFlags Id3v23Flags = {0x80, 0x40, 0x20, 0x00, 0x00};
constexpr TFrameFlags Id3v24Flags = {0x08, 0x04, 0x40, 0x02, 0x01};
constexpr std::int64_t GroupSize = 1;
constexpr std::int64_t LengthIndicatorSize = 4;
constexpr std::int64_t ExtendedSizeBytes = 4;

// Text encodings of a text frame.
enum class TEncoding : std::uint8_t { Latin1, Utf16, Utf16BE, Utf8 };

constexpr std::uint8_t SyncByte = 0xFF;
constexpr std::int64_t WindowSize = 4096;

std::uint32_t BigEndian(const std::uint8_t* Bytes) {
  return static_cast<std::uint32_t>(Bytes[0]) << 24 | static_cast<std::uint32_t>(Bytes[1]) << 16 |
         static_cast<std::uint32_t>(Bytes[2]) << 8 | Bytes[3];
}

// A synchsafe size (7 bits a byte); one with a byte of 8 bits, as some
// writers put into ID3v2.4 tags, is taken as a plain big-endian number.
std::uint32_t SynchsafeSize(const std::uint8_t* Bytes) {
  constexpr std::uint8_t HighBit = 0x80;
  if (((Bytes[0] | Bytes[1] | Bytes[2] | Bytes[3]) & HighBit) != 0) {
    return BigEndian(Bytes);
  }
  return static_cast<std::uint32_t>(Bytes[0]) << 21 | static_cast<std::uint32_t>(Bytes[1]) << 14 |
         static_cast<std::uint32_t>(Bytes[2]) << 7 | Bytes[3];
}

// Every 0x00 stored behind a 0xFF is dropped.
std::vector<std::uint8_t> Resynchronised(const std::vector<std::uint8_t>& Bytes) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i < Bytes.size(); ++i) {
    if (!(Bytes[i] == 0 && i > 0 && Bytes[i - 1] == SyncByte)) {
      bytes.push_back(Bytes[i]);
    }
  }
  return bytes;
}

// The bytes of a tag behind its header, in order, read through a small
// window that is filled only where the bytes asked for are not in it; for
// an unsynchronised ID3v2.3 tag with every 0x00 behind a 0xFF dropped, so
// that every byte up to a frame is read.
class TTagBytes {
 public:
  TTagBytes(platform::TStream& Stream, TByteRange Body, bool Unsynchronised)
      : Stream(Stream), Position(Body.Begin), End(Body.End), Unsynchronised(Unsynchronised) {}

  // False when the tag ends first.
  bool Read(std::uint8_t* Buffer, std::int64_t Count) {
    for (std::int64_t i = 0; i < Count; ++i) {
      if (!Next(Buffer[i])) {
        return false;
      }
    }
    return true;
  }

  bool Skip(std::int64_t Count) {
    if (!Unsynchronised) {
      Position += Count;
      return Position <= End;
    }
    std::uint8_t byte = 0;
    for (std::int64_t i = 0; i < Count; ++i) {
      if (!Next(byte)) {
        return false;
      }
    }
    return true;
  }

 private:
  bool Next(std::uint8_t& Byte) {
    for (;;) {
      if (!NextStored(Byte)) {
        return false;
      }
      const bool dropped = Unsynchronised && Byte == 0 && Previous == SyncByte;
      Previous = dropped ? 0 : Byte;
      if (!dropped) {
        return true;
      }
    }
  }

  bool NextStored(std::uint8_t& Byte) {
    if (Position >= End) {
      return false;
    }
    if (Position < WindowBegin || Position >= WindowBegin + Filled) {
      WindowBegin = Position;
      Stream.Seek(Position);
      Filled = std::max<std::int64_t>(
          Stream.Read(Window.data(), std::min(WindowSize, End - Position)), 0);
      if (Filled == 0) {
        return false;
      }
    }
    Byte = Window[static_cast<std::size_t>(Position - WindowBegin)];
    ++Position;
    return true;
  }

  platform::TStream& Stream;
  std::int64_t Position;
  std::int64_t End;
  bool Unsynchronised;
  std::array<std::uint8_t, WindowSize> Window{};
  std::int64_t WindowBegin = 0;
  std::int64_t Filled = 0;
  std::uint8_t Previous = 0;
};

// Reads code units of a text up to its terminator or the end; Big says the
// byte order of UTF-16, and a byte-order mark sets it.
class TTextReader {
 public:
  TTextReader(TEncoding Encoding, const std::uint8_t* Bytes, std::size_t Size)
      : Wide(Encoding == TEncoding::Utf16 || Encoding == TEncoding::Utf16BE),
        Big(Encoding == TEncoding::Utf16BE),
        WithMark(Encoding == TEncoding::Utf16),
        Bytes(Bytes),
        Size(Size) {}

  // The next text as ASCII.
  std::string Text() {
    std::string text;
    bool first = true;
    for (char16_t unit = 0; Next(unit);) {
      if (first && WithMark && (unit == 0xFEFF || unit == 0xFFFE)) {
        // Read as little-endian until the mark says otherwise.
        Big = Big != (unit == 0xFFFE);
        first = false;
        continue;
      }
      first = false;
      if (unit == 0) {
        break;
      }
      text += unit <= Ascii ? static_cast<char>(unit) : NotAscii;
    }
    return text;
  }

 private:
  bool Next(char16_t& Unit) {
    const std::size_t width = Wide ? 2 : 1;
    if (Size - At < width) {
      return false;
    }
    Unit = Wide ? static_cast<char16_t>(Big ? Bytes[At] << 8 | Bytes[At + 1]
                                            : Bytes[At + 1] << 8 | Bytes[At])
                : Bytes[At];
    At += width;
    return true;
  }

  bool Wide;
  bool Big;
  bool WithMark;
  const std::uint8_t* Bytes;
  std::size_t Size;
  std::size_t At = 0;
};

bool SameAsciiText(std::string_view A, std::string_view B) {
  return A.size() == B.size() && std::equal(A.begin(), A.end(), B.begin(), [](char X, char Y) {
           const auto upper = [](char C) { return C >= 'a' && C <= 'z' ? C - 'a' + 'A' : C; };
           return upper(X) == upper(Y);
         });
}

// The value of a user text frame's content when its description is the one
// looked for.
std::optional<std::string> UserText(const std::vector<std::uint8_t>& Content,
                                    std::string_view Description) {
  constexpr std::uint8_t Encodings = 4;
  if (Content.empty() || Content[0] >= Encodings) {
    return std::nullopt;
  }
  TTextReader reader(static_cast<TEncoding>(Content[0]), Content.data() + 1, Content.size() - 1);
  if (!SameAsciiText(reader.Text(), Description)) {
    return std::nullopt;
  }
  return reader.Text();
}

// What remains of a frame's content once its flags are undone; none for a
// compressed or encrypted frame.
std::optional<std::vector<std::uint8_t>> FrameContent(std::vector<std::uint8_t> Content,
                                                      std::uint8_t Flags, const TFrameFlags& Kind,
                                                      bool TagUnsynchronised) {
  if ((Flags & (Kind.Compressed | Kind.Encrypted)) != 0) {
    return std::nullopt;
  }
  if ((Flags & Kind.Unsynchronised) != 0 || (Kind.Unsynchronised != 0 && TagUnsynchronised)) {
    Content = Resynchronised(Content);
  }
  const std::int64_t skip = ((Flags & Kind.Grouped) != 0 ? GroupSize : 0) +
                            ((Flags & Kind.LengthIndicator) != 0 ? LengthIndicatorSize : 0);
  if (skip > static_cast<std::int64_t>(Content.size())) {
    return std::nullopt;
  }
  Content.erase(Content.begin(), Content.begin() + skip);
  return Content;
}

bool IsFrameId(const std::uint8_t* Bytes) {
  return std::all_of(Bytes, Bytes + FrameIdSize, [](std::uint8_t C) {
    return (C >= 'A' && C <= 'Z') || (C >= '0' && C <= '9');
  });
}

}  // namespace

std::optional<std::string> FindUserText(platform::TStream& Stream, TByteRange Tag,
                                        std::string_view Description) {
  constexpr auto HeaderSize = static_cast<std::int64_t>(TId3v2Header::Size);
  std::array<std::uint8_t, TId3v2Header::Size> bytes{};
  Stream.Seek(Tag.Begin);
  if (Tag.End - Tag.Begin < HeaderSize || Stream.Read(bytes.data(), HeaderSize) != HeaderSize) {
    return std::nullopt;
  }
  const TId3v2Header header(bytes.data());
  const std::uint8_t version = header.MajorVersion();
  if (!header.HasMagic() || (version != Id3v23 && version != Id3v24)) {
    return std::nullopt;
  }
  const bool v24 = version == Id3v24;
  const std::int64_t end =
      std::min(Tag.End, Tag.Begin + header.TagLength() -
                            (header.HasFooter() ? TId3v2Header::FooterSize : 0));
  TTagBytes tag(Stream, {Tag.Begin + HeaderSize, end}, !v24 && header.IsUnsynchronised());
  if (header.HasExtendedHeader()) {
    // Its size counts itself in ID3v2.4, not in ID3v2.3.
    std::array<std::uint8_t, ExtendedSizeBytes> size{};
    if (!tag.Read(size.data(), ExtendedSizeBytes)) {
      return std::nullopt;
    }
    const std::int64_t rest =
        v24 ? std::int64_t{SynchsafeSize(size.data())} - ExtendedSizeBytes : BigEndian(size.data());
    if (rest < 0 || !tag.Skip(rest)) {
      return std::nullopt;
    }
  }
  std::array<std::uint8_t, FrameHeaderSize> frame{};
  while (tag.Read(frame.data(), FrameHeaderSize) && IsFrameId(frame.data())) {
    const std::uint8_t* sizeBytes = frame.data() + FrameSizeIndex;
    const std::int64_t size = v24 ? SynchsafeSize(sizeBytes) : BigEndian(sizeBytes);
    const bool wanted =
        std::equal(UserTextId.begin(), UserTextId.end(), frame.begin()) && size <= MaxUserTextSize;
    if (!wanted) {
      if (!tag.Skip(size)) {
        break;
      }
      continue;
    }
    std::vector<std::uint8_t> content(static_cast<std::size_t>(size));
    if (!tag.Read(content.data(), size)) {
      break;
    }
    const auto undone = FrameContent(std::move(content), frame[FrameFormatFlagsIndex],
                                     v24 ? Id3v24Flags : Id3v23Flags, header.IsUnsynchronised());
    if (undone) {
      if (auto text = UserText(*undone, Description)) {
        return text;
      }
    }
  }
  return std::nullopt;
}

}  // namespace kestrix
