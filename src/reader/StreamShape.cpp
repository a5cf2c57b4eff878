#include "reader/StreamShape.h"

#include "reader/FrameCRC.h"

namespace kestrix {

TStreamShape::TStreamShape(const TFrameHeader& First, std::int64_t FreeLength)
    : FirstHeader(First), Identity(Word(First.Bytes()) & IdentityMask), Mono(First.IsMono()) {
  for (unsigned index = 0; index < Lengths.size(); ++index) {
    std::uint8_t bytes[TFrameHeader::Size] = {First.Bytes()[0], First.Bytes()[1], First.Bytes()[2],
                                              First.Bytes()[3]};
    constexpr std::uint8_t RateBits = 0x0C;  // the sample rate in byte 2
    bytes[2] = static_cast<std::uint8_t>((index >> 1) << 4 | (First.Bytes()[2] & RateBits) |
                                         (index & 1) << 1);
    const TFrameHeader header(bytes);
    if (header.IsValid() && header.SameStreamAs(First)) {
      Bitrates = static_cast<std::uint16_t>(Bitrates | 1u << header.BitrateIndex());
      Lengths[index] = header.IsFreeFormat() ? FreeLength + header.Padding() : header.FrameLength();
    }
  }
  for (unsigned protection = 0; protection < SideInfoEnds.size(); ++protection) {
    std::uint8_t bytes[TFrameHeader::Size] = {First.Bytes()[0], First.Bytes()[1], First.Bytes()[2],
                                              First.Bytes()[3]};
    bytes[1] = static_cast<std::uint8_t>((bytes[1] & ~1u) | protection);
    SideInfoEnds[protection] = kestrix::SideInfoEnd(TFrameHeader(bytes));
  }
}

}  // namespace kestrix
