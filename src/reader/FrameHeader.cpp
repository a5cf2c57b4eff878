#include "reader/FrameHeader.h"

#include <algorithm>
#include <array>

namespace kestrix {

namespace {

constexpr std::uint8_t SyncByte = 0xFF;
constexpr std::uint8_t SyncMask = 0xE0;  // the 3 high bits of byte 1 end the 11 sync bits
constexpr unsigned LayerIIICode = 1;
constexpr unsigned BadBitrateIndex = 15;
constexpr unsigned ReservedSampleRateIndex = 3;

// kbit/s by bitrate index 1..14; index 0 is free format.
constexpr std::array<int, 15> MPEG1Bitrates = {0,   32,  40,  48,  56,  64,  80, 96,
                                               112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> LowRateBitrates = {0,  8,  16, 24,  32,  40,  48, 56,
                                                 64, 80, 96, 112, 128, 144, 160};

// Hz by sample-rate index 0..2.
constexpr std::array<int, 3> MPEG1SampleRates = {44100, 48000, 32000};
constexpr std::array<int, 3> MPEG2SampleRates = {22050, 24000, 16000};
constexpr std::array<int, 3> MPEG25SampleRates = {11025, 12000, 8000};

// Layer III bytes per frame: Coefficient * bitrate (kbit/s) / sample rate.
constexpr std::int64_t MPEG1Coefficient = 144000;
constexpr std::int64_t LowRateCoefficient = 72000;  // MPEG-2 and MPEG-2.5

constexpr int MPEG1SamplesPerFrame = 1152;
constexpr int LowRateSamplesPerFrame = 576;

// Side information bytes, for stereo and for mono.
struct TSideInfoSizes {
  int Stereo;
  int Mono;
};
constexpr TSideInfoSizes MPEG1SideInfo = {32, 17};
constexpr TSideInfoSizes LowRateSideInfo = {17, 9};

}  // namespace

TFrameHeader::TFrameHeader(const std::uint8_t* Bytes) {
  std::copy(Bytes, Bytes + Size, Raw);
}

bool TFrameHeader::HasSync() const {
  return Raw[0] == SyncByte && (Raw[1] & SyncMask) == SyncMask;
}

TFrameHeader::TVersion TFrameHeader::Version() const {
  return static_cast<TVersion>((Raw[1] >> 3) & 3u);
}

bool TFrameHeader::IsLayerIII() const {
  return ((Raw[1] >> 1) & 3u) == LayerIIICode;
}

bool TFrameHeader::IsProtected() const {
  return (Raw[1] & 1u) == 0;
}

unsigned TFrameHeader::BitrateIndex() const {
  return Raw[2] >> 4;
}

unsigned TFrameHeader::SampleRateIndex() const {
  return (Raw[2] >> 2) & 3u;
}

unsigned TFrameHeader::Padding() const {
  return (Raw[2] >> 1) & 1u;
}

TFrameHeader::TChannelMode TFrameHeader::ChannelMode() const {
  return static_cast<TChannelMode>(Raw[3] >> 6);
}

bool TFrameHeader::IsLayerIIIHeader() const {
  return HasSync() && IsLayerIII() && BitrateIndex() != BadBitrateIndex &&
         SampleRateIndex() != ReservedSampleRateIndex;
}

bool TFrameHeader::IsValid() const {
  return IsLayerIIIHeader() && Version() != TVersion::Reserved;
}

int TFrameHeader::Bitrate() const {
  const unsigned index = std::min<unsigned>(BitrateIndex(), MPEG1Bitrates.size() - 1);
  return (IsMPEG1() ? MPEG1Bitrates : LowRateBitrates)[index];
}

int TFrameHeader::SampleRate() const {
  const unsigned index = std::min<unsigned>(SampleRateIndex(), MPEG1SampleRates.size() - 1);
  switch (Version()) {
    case TVersion::MPEG1:
      return MPEG1SampleRates[index];
    case TVersion::MPEG25:
      return MPEG25SampleRates[index];
    case TVersion::MPEG2:
    case TVersion::Reserved:
      break;
  }
  return MPEG2SampleRates[index];
}

std::int64_t TFrameHeader::FrameLength() const {
  if (IsFreeFormat()) {
    return 0;
  }
  const std::int64_t coefficient = IsMPEG1() ? MPEG1Coefficient : LowRateCoefficient;
  // Integer division of these positive values is the floor of the quotient.
  return coefficient * Bitrate() / SampleRate() + Padding();
}

int TFrameHeader::SideInfoSize() const {
  const TSideInfoSizes& sizes = IsMPEG1() ? MPEG1SideInfo : LowRateSideInfo;
  return IsMono() ? sizes.Mono : sizes.Stereo;
}

int TFrameHeader::SamplesPerFrame() const {
  return IsMPEG1() ? MPEG1SamplesPerFrame : LowRateSamplesPerFrame;
}

bool TFrameHeader::SameStreamAs(const TFrameHeader& Other) const {
  return Version() == Other.Version() && SampleRateIndex() == Other.SampleRateIndex() &&
         IsMono() == Other.IsMono() && IsFreeFormat() == Other.IsFreeFormat();
}

}  // namespace kestrix
