#include "reader/Id3v2Header.h"

#include <algorithm>
#include <cstring>

namespace kestrix {

namespace {

constexpr char Magic[] = "ID3";
constexpr char FooterMagic[] = "3DI";
constexpr std::size_t MagicSize = 3;
constexpr std::size_t VersionIndex = 3;
constexpr std::size_t RevisionIndex = 4;
constexpr std::size_t FlagsIndex = 5;
constexpr std::uint8_t UnsynchronisationFlag = 0x80;
constexpr std::uint8_t ExtendedHeaderFlag = 0x40;
constexpr std::uint8_t FooterFlag = 0x10;
constexpr std::uint8_t NoVersion = 0xFF;
constexpr std::size_t SynchsafeBytes = 4;
constexpr std::uint8_t SynchsafeLimit = 0x80;  // the top bit of each byte is 0

}  // namespace

TId3v2Header::TId3v2Header(const std::uint8_t* Bytes) {
  std::copy(Bytes, Bytes + Size, Raw);
}

bool TId3v2Header::HasMagic() const {
  return std::memcmp(Raw, Magic, MagicSize) == 0;
}

bool TId3v2Header::HasFooter() const {
  return (Raw[FlagsIndex] & FooterFlag) != 0;
}

std::int64_t TId3v2Header::TagLength() const {
  return LengthBehind(Magic);
}

std::int64_t TId3v2Header::TagLengthFromFooter() const {
  return HasFooter() ? LengthBehind(FooterMagic) : 0;
}

std::uint8_t TId3v2Header::MajorVersion() const {
  return Raw[VersionIndex];
}

bool TId3v2Header::IsUnsynchronised() const {
  return (Raw[FlagsIndex] & UnsynchronisationFlag) != 0;
}

bool TId3v2Header::HasExtendedHeader() const {
  return (Raw[FlagsIndex] & ExtendedHeaderFlag) != 0;
}

std::int64_t TId3v2Header::LengthBehind(const char* TagMagic) const {
  if (std::memcmp(Raw, TagMagic, MagicSize) != 0 || Raw[VersionIndex] == NoVersion ||
      Raw[RevisionIndex] == NoVersion) {
    return 0;
  }
  std::int64_t size = 0;
  for (std::size_t i = 0; i < SynchsafeBytes; ++i) {
    const std::uint8_t byte = Raw[SizeIndex + i];
    if (byte >= SynchsafeLimit) {
      return 0;
    }
    size = (size << 7) | byte;
  }
  return static_cast<std::int64_t>(Size) + size + (HasFooter() ? FooterSize : 0);
}

}  // namespace kestrix
