#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrix {

// The ten bytes that open an ID3v2 tag: "ID3", version and revision bytes,
// flags, four synchsafe size bytes. A footer of ten more bytes follows the
// tag when the flags say so: the same fields behind "3DI", so that a tag at
// a file's end can be found from there.
class TId3v2Header {
 public:
  static constexpr std::size_t Size = 10;
  static constexpr std::int64_t FooterSize = 10;
  static constexpr std::size_t SizeIndex = 6;

  // Bytes must hold Size bytes.
  explicit TId3v2Header(const std::uint8_t* Bytes);

  bool HasMagic() const;
  bool HasFooter() const;
  // The whole tag, header and footer included, or 0 unless the magic is
  // there, neither version byte is 0xFF and every size byte is below 0x80.
  std::int64_t TagLength() const;
  // The same when the bytes are the tag's footer.
  std::int64_t TagLengthFromFooter() const;

  // 3 for ID3v2.3, 4 for ID3v2.4.
  std::uint8_t MajorVersion() const;
  // Flags: every byte behind the header unsynchronised (2.3), or every
  // frame (2.4); an extended header behind this one.
  bool IsUnsynchronised() const;
  bool HasExtendedHeader() const;

  const std::uint8_t* Bytes() const { return Raw; }

 private:
  std::int64_t LengthBehind(const char* Magic) const;

  std::uint8_t Raw[Size] = {};
};

}  // namespace kestrix
