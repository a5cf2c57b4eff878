#include "reader/VbrHeader.h"

#include <array>
#include <cstring>
#include <string_view>

#include "reader/FrameHeader.h"

namespace kestrix {

namespace {

constexpr std::size_t MagicSize = 4;
constexpr std::string_view XingMagic = "Xing";
constexpr std::string_view InfoMagic = "Info";
constexpr std::string_view VbriMagic = "VBRI";

constexpr std::size_t WordSize = 4;
constexpr std::size_t HalfWordSize = 2;
constexpr std::size_t TocSize = 100;

// Xing flags.
constexpr std::uint32_t FramesFlag = 1;
constexpr std::uint32_t BytesFlag = 2;
constexpr std::uint32_t TocFlag = 4;
constexpr std::uint32_t QualityFlag = 8;

// VBRI: magic, then version, delay and quality (2 bytes each), bytes and
// frames (4 each), big-endian.
constexpr std::size_t VbriOffset = 36;
constexpr std::size_t VbriQualityOffset = VbriOffset + MagicSize + 2 * HalfWordSize;
constexpr std::size_t VbriBytesOffset = VbriQualityOffset + HalfWordSize;
constexpr std::size_t VbriFramesOffset = VbriBytesOffset + WordSize;

constexpr std::array<const char*, 3> KindNames = {"Xing", "Info", "VBRI"};

// The bytes of a frame, read only inside their bounds.
class TFrameBytes {
 public:
  TFrameBytes(const std::uint8_t* Data, std::size_t Size) : Data(Data), Size(Size) {}

  bool HasMagic(std::size_t Offset, std::string_view Magic) const {
    return Fits(Offset, Magic.size()) &&
           std::memcmp(Data + Offset, Magic.data(), Magic.size()) == 0;
  }
  std::optional<std::uint32_t> BigEndian(std::size_t Offset, std::size_t Count) const {
    if (!Fits(Offset, Count)) {
      return std::nullopt;
    }
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < Count; ++i) {
      value = (value << 8) | Data[Offset + i];
    }
    return value;
  }
  bool Fits(std::size_t Offset, std::size_t Count) const { return Offset + Count <= Size; }

 private:
  const std::uint8_t* Data;
  std::size_t Size;
};

// Flags, then each field the flags announce, in the order of the flags.
TVbrHeader ReadXing(const TFrameBytes& Frame, std::size_t Offset, TVbrHeader::TKind Kind) {
  TVbrHeader header;
  header.Kind = Kind;
  std::size_t at = Offset + MagicSize;
  const std::uint32_t flags = Frame.BigEndian(at, WordSize).value_or(0);
  at += WordSize;
  const auto field = [&](std::uint32_t Flag, std::optional<std::uint32_t>& Value) {
    if ((flags & Flag) != 0) {
      Value = Frame.BigEndian(at, WordSize);
      at += WordSize;
    }
  };
  field(FramesFlag, header.Frames);
  field(BytesFlag, header.Bytes);
  if ((flags & TocFlag) != 0) {
    header.Toc = Frame.Fits(at, TocSize);
    at += TocSize;
  }
  field(QualityFlag, header.Quality);
  return header;
}

TVbrHeader ReadVbri(const TFrameBytes& Frame) {
  TVbrHeader header;
  header.Kind = TVbrHeader::TKind::VBRI;
  header.Quality = Frame.BigEndian(VbriQualityOffset, HalfWordSize);
  header.Bytes = Frame.BigEndian(VbriBytesOffset, WordSize);
  header.Frames = Frame.BigEndian(VbriFramesOffset, WordSize);
  header.Toc = true;
  return header;
}

}  // namespace

const char* VbrHeaderKindName(TVbrHeader::TKind Kind) {
  return KindNames[static_cast<std::size_t>(Kind)];
}

std::optional<TVbrHeader> ParseVbrHeader(const std::uint8_t* Frame, std::size_t Size) {
  if (Size < TFrameHeader::Size) {
    return std::nullopt;
  }
  const TFrameBytes bytes(Frame, Size);
  // Encoders put it behind the side information whether or not a CRC word
  // precedes that.
  const auto xing =
      TFrameHeader::Size + static_cast<std::size_t>(TFrameHeader(Frame).SideInfoSize());
  if (bytes.HasMagic(xing, XingMagic)) {
    return ReadXing(bytes, xing, TVbrHeader::TKind::Xing);
  }
  if (bytes.HasMagic(xing, InfoMagic)) {
    return ReadXing(bytes, xing, TVbrHeader::TKind::Info);
  }
  if (bytes.HasMagic(VbriOffset, VbriMagic)) {
    return ReadVbri(bytes);
  }
  return std::nullopt;
}

}  // namespace kestrix
