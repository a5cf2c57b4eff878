#include "reader/Id3v2Header.h"

#include <algorithm>
#include <cstring>

namespace kestrix {

namespace {

constexpr char Magic[] = "ID3";
constexpr std::size_t MagicSize = 3;
constexpr std::size_t VersionIndex = 3;
constexpr std::size_t RevisionIndex = 4;
constexpr std::size_t FlagsIndex = 5;
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
  if (!HasMagic() || Raw[VersionIndex] == NoVersion || Raw[RevisionIndex] == NoVersion) {
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
