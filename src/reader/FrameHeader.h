#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrix {

// The four bytes that open an MPEG audio frame, decoded. Any four bytes
// make a header; IsLayerIII and IsValid say whether they are one.
class TFrameHeader {
 public:
  static constexpr std::size_t Size = 4;

  enum class TVersion : std::uint8_t { MPEG25 = 0, Reserved = 1, MPEG2 = 2, MPEG1 = 3 };
  enum class TChannelMode : std::uint8_t { Stereo = 0, JointStereo = 1, DualChannel = 2, Mono = 3 };

  TFrameHeader() = default;
  // Bytes must hold Size bytes.
  explicit TFrameHeader(const std::uint8_t* Bytes);

  const std::uint8_t* Bytes() const { return Raw; }

  bool HasSync() const;
  TVersion Version() const;
  bool IsMPEG1() const { return Version() == TVersion::MPEG1; }
  bool IsLayerIII() const;
  // The protection bit is 0 when a 16-bit CRC word follows the header.
  bool IsProtected() const;
  unsigned BitrateIndex() const;
  bool IsFreeFormat() const { return BitrateIndex() == 0; }
  unsigned SampleRateIndex() const;
  unsigned Padding() const;
  TChannelMode ChannelMode() const;
  bool IsMono() const { return ChannelMode() == TChannelMode::Mono; }

  // Sync, layer III, a bitrate index other than 15 and a sample rate index
  // other than 3; a reserved version is taken for MPEG-2.
  bool IsLayerIIIHeader() const;
  // The same, and the version is not the reserved value.
  bool IsValid() const;

  // kbit/s; 0 for free format.
  int Bitrate() const;
  // Hz.
  int SampleRate() const;
  // Bytes of the whole frame, padding included; 0 for free format, whose
  // length only the distance to the next frame tells.
  std::int64_t FrameLength() const;
  // The Layer III side information behind the header (and behind the CRC
  // word of a protected frame).
  int SideInfoSize() const;
  int SamplesPerFrame() const;
  int Channels() const { return IsMono() ? 1 : 2; }

  // Frames of one stream share version, sample rate, mono or not and free
  // format or not.
  bool SameStreamAs(const TFrameHeader& Other) const;

 private:
  std::uint8_t Raw[Size] = {};
};

}  // namespace kestrix
