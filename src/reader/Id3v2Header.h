#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrix {

// The ten bytes that open an ID3v2 tag: "ID3", version and revision bytes,
// flags, four synchsafe size bytes. A footer of ten more bytes follows the
// tag when the flags say so.
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

  const std::uint8_t* Bytes() const { return Raw; }

 private:
  std::uint8_t Raw[Size] = {};
};

}  // namespace kestrix
