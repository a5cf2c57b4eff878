#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/Problems.h"
#include "reader/BasicKestrixReader.h"
#include "reader/MP3GainUndo.h"
#include "reader/StreamFacts.h"
#include "reader/TagLayout.h"

namespace kestrix {

// Whether one file is intact, as far as its LAME tag and its frames tell.
enum class TVerdictKind : std::uint8_t {
  Ok,      // nothing wrong
  Warn,    // warnings only: something differs for a known, harmless reason
  Bad,     // damage
  NotMP3,  // no MPEG audio stream, whatever the LAME tag says
  Error,   // the file could not be read
};

// How a VBR header was rewritten after encoding: with the audio exactly as
// encoded (its tag CRC fails, the music CRC and length match), or for a
// piece or repair of the original, which the LAME tag still describes.
enum class THeaderRewrite : std::uint8_t { None, Edited, OfOriginal };

struct TVerdict {
  TVerdictKind Kind = TVerdictKind::Ok;
  // The rows of the problems that apply, in table order.
  std::vector<const TProblem*> Problems;

  // The figures the problems are judged by and told with; a figure of 0 or
  // none is no problem.
  std::uint16_t StoredTagCRC = 0;
  std::uint16_t ActualTagCRC = 0;
  std::uint16_t StoredMusicCRC = 0;
  std::uint16_t ActualMusicCRC = 0;
  bool TagCRCFails = false;            // the tag CRC of LAME's own tag differs
  bool MusicCRCFails = false;          // the music CRC differs for no known reason
  std::uint64_t MissingBytes = 0;      // of a truncated file
  std::int64_t TagMissingBytes = 0;    // of a leading tag the file ends in
  std::int64_t FrameMissingBytes = 0;  // of a truncated last frame
  std::int64_t UnwrittenEnd = 0;       // zero bytes after the last frame, when they are many
  TVbrHeaderChecks VbrHeader;
  TLostSync LostSync;
  std::int64_t FailedFrameCRCs = 0;
  bool MixedStream = false;
  // The steps that undo MP3Gain's change, when undoing them explains the
  // music CRC, and whether they are the undo record's.
  std::optional<TMP3GainSteps> MP3Gain;
  bool MP3GainRecord = true;
  THeaderRewrite HeaderRewrite = THeaderRewrite::None;
  std::int64_t MusicLength = 0;  // the LAME tag's
  std::int64_t StreamBytes = 0;  // the walk's
  // Which stored CRCs could not be judged: the tag's of another encoder
  // (named by its text); the music's of a gapless continuation, or of the
  // original that a rewritten header's file was cut from.
  bool UnverifiableTagCRC = false;
  bool UnverifiableMusicCRC = false;
  std::string Encoder;
  std::int64_t MainDataBegin = 0;               // of the first audio frame
  std::optional<TStoredActual> GaplessSamples;  // the tag's delay and padding beyond the frames'
  std::int64_t JunkBefore = 0;
  std::int64_t JunkAfter = 0;
  std::string Error;  // the message of an error verdict

  bool Has(std::string_view Name) const;
};

// The music CRC once more, with MP3Gain's change undone.
struct TMP3GainCheck {
  TMP3GainSteps Steps;
  std::uint16_t UndoneMusicCRC = 0;
};

// What the pass found of MP3Gain's change: the undo record's steps and the
// music CRC with them undone; without a record, the search for the one
// change of every global gain alike (in steps) whose undoing explains the
// music CRC, asked only when the music CRC is the only damage.
struct TMP3GainEvidence {
  std::optional<TMP3GainCheck> Record;
  std::function<std::optional<int>()> FindChange;
};

// Whether the tag's encoder text is one whose CRCs follow LAME's definition.
bool IsLameEncoder(const TBasicKestrixReader& Reader);

// The verdict of a file from its LAME tag (when TagFound; the reader's CRCs
// computed), its tags and the walk over its frames.
TVerdict JudgeFile(const TBasicKestrixReader& Reader, bool TagFound, const TTagLayout& Tags,
                   const TStreamFacts& Stream, const TMP3GainEvidence& MP3Gain);
TVerdict ErrorVerdict(const std::string& Message);

// "ok", "warn", "bad", "not_mp3", "error".
std::string VerdictName(TVerdictKind Kind);

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
