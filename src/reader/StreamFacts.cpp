#include "reader/StreamFacts.h"

#include <array>

namespace kestrix {

namespace {

constexpr std::array<const char*, 3> BitrateModeNames = {"free", "cbr", "vbr"};
// By the version field: 2.5, reserved, 2, 1.
constexpr std::array<const char*, 4> VersionNames = {"2.5", "2", "2", "1"};

}  // namespace

const char* BitrateModeName(TBitrateMode Mode) {
  return BitrateModeNames[static_cast<std::size_t>(Mode)];
}

const char* MPEGVersionName(TFrameHeader::TVersion Version) {
  return VersionNames[static_cast<std::size_t>(Version)];
}

TVbrHeaderChecks CheckVbrHeader(const TStreamFacts& Facts) {
  TVbrHeaderChecks checks;
  const std::optional<TVbrHeader>& header = Facts.VbrHeader;
  if (header && header->Frames) {
    const std::int64_t stored = *header->Frames;
    // Encoders differ on whether their header frame counts itself.
    if (stored > Facts.Frames + 1) {
      checks.MissingFrames = TStoredActual{stored, Facts.Frames};
    } else if (stored < Facts.Frames) {
      checks.ExtraFrames = TStoredActual{stored, Facts.Frames};
    }
  }
  if (header && header->Bytes) {
    const std::int64_t stored = *header->Bytes;
    if (stored != Facts.Bytes && stored != Facts.Bytes - Facts.VbrHeaderFrameLength) {
      checks.ByteCount = TStoredActual{stored, Facts.Bytes};
    }
  }
  checks.NoVbrHeader = Facts.BitrateMode == TBitrateMode::VBR && !(header && header->Frames);
  return checks;
}

}  // namespace kestrix
