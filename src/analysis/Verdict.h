#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "reader/BasicKestrixReader.h"
#include "reader/MP3GainUndo.h"
#include "reader/StreamFacts.h"

namespace kestrix {

// Whether one file is intact, as far as its LAME tag and its frames tell.
enum class TVerdictKind : std::uint8_t {
  Ok,      // nothing wrong
  Warn,    // warnings only: something differs for a known, harmless reason
  Bad,     // damage
  NotMP3,  // no MPEG audio stream, whatever the LAME tag says
  Error,   // the file could not be read
};

// What is wrong with a file: the damage, then the warnings, each in the
// order they are told.
enum class TProblem : std::uint8_t {
  TagCRC,           // the stored tag CRC differs from the recomputed one
  MusicCRC,         // the same for the music
  Truncated,        // the file ends before the frame position plus the stored music length
  TruncatedFrame,   // the last frame is cut short
  MissingFrames,    // the VBR header counts more frames than the stream has
  LostSync,         // bytes between frames that belong to no frame
  FrameCRC,         // protected frames whose CRC word is wrong
  MixedStream,      // streams of other formats spliced in
  MP3Gain,          // the music CRC matches once MP3Gain's gain change is undone
  UnverifiableCRC,  // a stored CRC that cannot be judged, for a known reason
  ExtraFrames,      // the VBR header counts fewer frames than the stream has
  ByteCount,        // the VBR header's byte count fits neither way of counting
  NoVbrHeader,      // variable bitrate without a frame count
  JunkBefore,       // bytes before the first frame
  JunkAfter,        // bytes after the last frame
};
inline constexpr TProblem FirstWarning = TProblem::MP3Gain;
inline constexpr std::size_t ProblemCount = 15;

inline bool IsDamage(TProblem Problem) {
  return Problem < FirstWarning;
}

struct TVerdict {
  TVerdictKind Kind = TVerdictKind::Ok;
  std::vector<TProblem> Problems;

  // The figures of the problems.
  std::uint16_t StoredTagCRC = 0;
  std::uint16_t ActualTagCRC = 0;
  std::uint16_t StoredMusicCRC = 0;
  std::uint16_t ActualMusicCRC = 0;
  std::uint64_t MissingBytes = 0;      // of a truncated file
  std::int64_t FrameMissingBytes = 0;  // of a truncated last frame
  TStoredActual FrameCount;            // missing or extra frames
  TStoredActual ByteCount;
  TLostSync LostSync;
  std::int64_t FailedFrameCRCs = 0;
  std::int64_t JunkBefore = 0;
  std::int64_t JunkAfter = 0;
  TMP3GainSteps MP3GainSteps;  // the steps that undo the change
  // Which stored CRCs could not be judged: the tag's of another encoder
  // (named by its text), the music's of a gapless continuation.
  bool UnverifiableTagCRC = false;
  bool UnverifiableMusicCRC = false;
  std::string Encoder;
  std::string Error;  // the message of an error verdict

  bool Has(TProblem Problem) const;
};

// The music CRC once more, with MP3Gain's change undone.
struct TMP3GainCheck {
  TMP3GainSteps Steps;
  std::uint16_t UndoneMusicCRC = 0;
};

// The verdict of a file from its LAME tag (when TagFound; the reader's CRCs
// computed) and the walk over its frames.
TVerdict JudgeFile(const TBasicKestrixReader& Reader, bool TagFound, const TStreamFacts& Stream,
                   const std::optional<TMP3GainCheck>& MP3Gain);
TVerdict ErrorVerdict(const std::string& Message);

// "ok", "warn", "bad", "not_mp3", "error"; "tag_crc", "music_crc", ...
std::string VerdictName(TVerdictKind Kind);
std::string ProblemName(TProblem Problem);

// How many files of a run got each verdict.
class TTally {
 public:
  void Count(TVerdictKind Kind) { ++Counts[static_cast<std::size_t>(Kind)]; }
  std::uint64_t Of(TVerdictKind Kind) const { return Counts[static_cast<std::size_t>(Kind)]; }
  std::uint64_t Files() const;

 private:
  std::array<std::uint64_t, 5> Counts{};
};

}  // namespace kestrix
