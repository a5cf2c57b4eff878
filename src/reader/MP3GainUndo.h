#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "reader/FrameWalk.h"
#include "reader/StreamPass.h"

// MP3Gain changes the global gain of every granule in place and keeps the
// steps that undo it in an APEv2 item "MP3GAIN_UNDO". A file it changed is
// intact when its music CRC, with that change undone, is the stored one.
namespace kestrix {

// Global-gain steps that undo the change, per channel, and whether the
// change wrapped around instead of stopping at the ends.
struct TMP3GainSteps {
  int Left = 0;
  int Right = 0;
  bool Wrap = false;
};

// The most bytes from a Layer III header to the end of its side information.
inline constexpr std::size_t MaxSideInfoEnd = TFrameHeader::Size + 2 + 32;

// Where a frame keeps its global_gain fields: one per granule and channel
// (the first channel's, then the second's), in side-information order; bit
// offsets from the frame's first byte.
struct TGainFields {
  std::array<std::size_t, 4> Bits{};
  std::size_t Count = 0;
  std::size_t Channels = 1;
};
TGainFields GainFieldsOf(const TFrameHeader& Header);
// The 8 bits from Bit on, most significant first, and writing them.
std::uint8_t GainAt(const std::uint8_t* Frame, std::size_t Bit);
void SetGainAt(std::uint8_t* Frame, std::size_t Bit, std::uint8_t Value);

// The inverse of MP3Gain's change for one field: Step added modulo 256 with
// Wrap; without, a field at 0 (which MP3Gain leaves alone) or at 255 (where
// it stops) stays, and others are kept within 0 to 255.
std::uint8_t UndoneGain(std::uint8_t Gain, int Step, bool Wrap);

// "-003,-003,N": the left and right steps, then "W" when the change
// wrapped ("N" or anything else when it did not).
std::optional<TMP3GainSteps> ParseMP3GainUndo(std::string_view Text);

// Undoes the change of each global_gain field of a frame by UndoneGain,
// the left step in the first channel, the right in the second. Frame holds
// Size bytes from the header on; fields that reach past them stay as they
// are.
void ApplyGainSteps(std::uint8_t* Frame, std::size_t Size, TMP3GainSteps Steps);

// The music CRC the file would have with the change undone, in the same
// pass: the checksum is linear, so it is the actual CRC with the CRC of the
// differences folded in, and these are a few bytes per frame apart. Listens
// to the walk's audio frames; a protected frame's CRC word is recomputed
// over its changed side information.
class TMP3GainUndoCRC final : public TFrameListener {
 public:
  TMP3GainUndoCRC(TByteRange MusicCRCRange, TMP3GainSteps Steps);

  void OnFrame(const TFrameEvent& Frame) override;

  // ActualCRC covers the range up to End (its end, or the file's end
  // before it).
  std::uint16_t UndoneCRC(std::uint16_t ActualCRC, std::int64_t End) const;

 private:
  TByteRange Range;
  TMP3GainSteps Steps;
  std::uint16_t DifferenceCRC = 0;  // of the differences over [Range.Begin, Folded)
  std::int64_t Folded;
};

}  // namespace kestrix
