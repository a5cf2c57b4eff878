#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/FileCheck.h"

namespace kestrix {

// The groups a library's files are counted in.
enum class TLibraryGroup : std::uint8_t {
  Encoders,      // over MP3 files: the LAME tag's encoder and version, or "no LAME tag"
  BitrateModes,  // over MP3 files: "cbr", "vbr", "free"
  SampleRates,   // over MP3 files: sample rate and channels, "44100 Hz stereo"
  Presets,       // over MP3 files whose tag stores a preset: its name
  Problems,      // over all judged files: each problem's name
};

// How each group is named: its key in JSON, its label in --verify.
struct TLibraryGroupName {
  TLibraryGroup Group;
  std::string_view Key;
  std::u16string_view Label;
};
inline constexpr std::array<TLibraryGroupName, 5> LibraryGroups = {{
    {TLibraryGroup::Encoders, "encoders", u"Encoders"},
    {TLibraryGroup::BitrateModes, "bitrate_modes", u"Bitrate modes"},
    {TLibraryGroup::SampleRates, "sample_rates", u"Sample rates"},
    {TLibraryGroup::Presets, "presets", u"Presets"},
    {TLibraryGroup::Problems, "problems", u"Problems"},
}};

struct TNamedCount {
  std::u16string Name;  // may hold any character of a tag's text
  std::uint64_t Count = 0;
};

// What a library is made of, counted over the files a run judged: the
// figures --summary adds to the JSON summary and below the verify counts.
class TLibrarySummary {
 public:
  void Add(const TFileCheck& Check);

  // The files that could be read (every verdict but error), their bytes
  // and the playing time of their streams in seconds.
  std::uint64_t Files() const { return ReadFiles; }
  std::uint64_t Bytes() const { return ReadBytes; }
  double Duration() const { return Seconds; }
  // The group's names with their counts, largest first, then by name.
  std::vector<TNamedCount> Counts(TLibraryGroup Group) const;

 private:
  void Count(TLibraryGroup Group, const std::u16string& Name);

  std::uint64_t ReadFiles = 0;
  std::uint64_t ReadBytes = 0;
  double Seconds = 0.0;
  std::array<std::map<std::u16string, std::uint64_t>, LibraryGroups.size()> Groups;
};

}  // namespace kestrix
