#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "reader/BasicKestrixReader.h"

namespace kestrix {

// Whether one file is intact, as far as its LAME tag can tell.
enum class TVerdictKind : std::uint8_t {
  Ok,     // a tag, and both stored CRCs equal the recomputed ones
  Bad,    // a tag, and at least one problem
  NoTag,  // no LAME tag, or only the version text of an encoder before 3.90
  Error,  // the file could not be read
};

// What is wrong with a bad file, in the order it is told.
enum class TProblem : std::uint8_t {
  TagCRC,     // the stored tag CRC differs from the recomputed one
  MusicCRC,   // the same for the music
  Truncated,  // the file ends before the frame position plus the stored music length
};

struct TVerdict {
  TVerdictKind Kind = TVerdictKind::NoTag;
  std::vector<TProblem> Problems;
  std::uint16_t StoredTagCRC = 0;
  std::uint16_t ActualTagCRC = 0;
  std::uint16_t StoredMusicCRC = 0;
  std::uint16_t ActualMusicCRC = 0;
  std::uint64_t MissingBytes = 0;  // of a truncated file
  std::string Error;               // the message of an error verdict

  bool Has(TProblem Problem) const;
};

// The verdict of a file whose reader computed the CRCs.
TVerdict JudgeFile(const TBasicKestrixReader& Reader, bool TagFound);
TVerdict ErrorVerdict(const std::string& Message);

// "ok", "bad", "no_tag", "error" and "tag_crc", "music_crc", "truncated".
std::string VerdictName(TVerdictKind Kind);
std::string ProblemName(TProblem Problem);

// How many files of a run got each verdict.
class TTally {
 public:
  void Count(TVerdictKind Kind) { ++Counts[static_cast<std::size_t>(Kind)]; }
  std::uint64_t Of(TVerdictKind Kind) const { return Counts[static_cast<std::size_t>(Kind)]; }
  std::uint64_t Files() const;

 private:
  std::array<std::uint64_t, 4> Counts{};
};

}  // namespace kestrix
