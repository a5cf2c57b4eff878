#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrix {

// The header an encoder puts in a stream's first frame to tell its length:
// "Xing" or "Info" behind the side information, or "VBRI" at offset 36.
struct TVbrHeader {
  enum class TKind : std::uint8_t { Xing, Info, VBRI };

  TKind Kind = TKind::Xing;
  // Each absent where the header has no such field.
  std::optional<std::uint32_t> Frames;
  std::optional<std::uint32_t> Bytes;
  std::optional<std::uint32_t> Quality;
  // The 100-byte seek table; a VBRI header always carries one.
  bool Toc = false;
};

// "Xing", "Info" or "VBRI".
const char* VbrHeaderKindName(TVbrHeader::TKind Kind);

// The most bytes of a frame that a VBR header can reach.
inline constexpr std::size_t VbrHeaderSpan = 156;

// Reads the VBR header of a frame whose first Size bytes are at Frame (the
// header included; no more than the frame). Only what lies inside those
// bytes counts: a field that reaches past them is absent.
std::optional<TVbrHeader> ParseVbrHeader(const std::uint8_t* Frame, std::size_t Size);

}  // namespace kestrix
