#pragma once

#include <cstdint>
#include <optional>

#include "reader/FrameHeader.h"
#include "reader/VbrHeader.h"

namespace kestrix {

enum class TBitrateMode : std::uint8_t { Free, CBR, VBR };

// "free", "cbr" or "vbr".
const char* BitrateModeName(TBitrateMode Mode);
// "1", "2" or "2.5" ("2" for the reserved value).
const char* MPEGVersionName(TFrameHeader::TVersion Version);

// Stretches of a stream where no frame was found between frames.
struct TLostSync {
  std::int64_t Events = 0;  // no events: sync was never lost
  std::int64_t Bytes = 0;
  // Where sync was first lost: the end of the last good frame.
  std::int64_t FirstOffset = 0;
};

// What the walk over every frame of a stream region found.
struct TStreamFacts {
  bool HasStream = false;  // false: `not_mp3`; then only the problems below are kept

  std::int64_t FirstFrame = 0;  // file offset
  TFrameHeader::TVersion Version = TFrameHeader::TVersion::MPEG1;
  int SampleRate = 0;
  int Channels = 0;
  // Complete audio frames: not the VBR header frame, not a truncated last one.
  std::int64_t Frames = 0;
  // From the first frame's first byte to the last frame's end (the region's
  // end when that frame is truncated), lost bytes included.
  std::int64_t Bytes = 0;
  double Duration = 0.0;  // seconds
  // Samples of all audio frames; `samples` is this less a LAME tag's
  // encoder delay and padding.
  std::int64_t FrameSamples = 0;
  TBitrateMode BitrateMode = TBitrateMode::CBR;
  // kbit/s of the complete audio frames' bytes over Duration; absent when
  // Duration is 0.
  std::optional<double> AverageBitrate;
  std::int64_t ProtectedFrames = 0;  // complete frames with a CRC word
  std::optional<TVbrHeader> VbrHeader;
  std::int64_t VbrHeaderFrameLength = 0;
  // The first audio frame's main_data_begin: bytes of its audio data that
  // lie before it, in frames before the stream's first.
  std::int64_t MainDataBegin = 0;
  // Zero bytes at the end of the stream region.
  std::int64_t TrailingZeros = 0;

  // Problems; 0 where there is none.
  std::int64_t TruncatedFrame = 0;  // bytes the last frame misses
  TLostSync LostSync;
  std::int64_t FrameCRC = 0;  // protected frames whose CRC word is wrong
  bool MixedStream = false;
  std::int64_t JunkBefore = 0;
  std::int64_t JunkAfter = 0;
};

struct TStoredActual {
  std::int64_t Stored = 0;
  std::int64_t Actual = 0;
};

// The VBR header's counts against the stream's; each present when that
// problem applies.
struct TVbrHeaderChecks {
  std::optional<TStoredActual> MissingFrames;
  std::optional<TStoredActual> ExtraFrames;
  std::optional<TStoredActual> ByteCount;
  bool NoVbrHeader = false;
};

TVbrHeaderChecks CheckVbrHeader(const TStreamFacts& Facts);

}  // namespace kestrix
