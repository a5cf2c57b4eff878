#include "output/LibrarySummary.h"

#include <algorithm>

#include "platform/CodePage.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::u16string_view NoLameTag = u"no LAME tag";

bool IsMP3(TVerdictKind Kind) {
  return Kind == TVerdictKind::Ok || Kind == TVerdictKind::Warn || Kind == TVerdictKind::Bad;
}

// "LAME3.100": the encoder text and the version text as the tag stores them.
std::u16string EncoderName(const TFileCheck& Check) {
  if (!Check.HasLameTag()) {
    return std::u16string(NoLameTag);
  }
  std::u16string name;
  for (const TFieldLine& line : Check.Tag.Lines) {
    if (line.Key == "encoder_string" || line.Key == "version_string") {
      name += line.Text;
    }
  }
  return name;
}

// "44100 Hz stereo", "22050 Hz mono".
std::u16string SampleRateName(const TStreamFacts& Stream) {
  return FormatText(u"%d Hz %s", {Stream.SampleRate, Stream.Channels == 1 ? u"mono" : u"stereo"});
}

}  // namespace

void TLibrarySummary::Add(const TFileCheck& Check) {
  const TVerdict& verdict = Check.Verdict;
  for (const TProblem* problem : verdict.Problems) {
    Count(TLibraryGroup::Problems, platform::Widen(std::string(problem->Name)));
  }
  if (verdict.Kind == TVerdictKind::Error) {
    return;
  }
  ++ReadFiles;
  ReadBytes += static_cast<std::uint64_t>(std::max<std::int64_t>(Check.FileSize, 0));
  Seconds += Check.Stream.Duration;
  if (!IsMP3(verdict.Kind)) {
    return;
  }
  Count(TLibraryGroup::Encoders, EncoderName(Check));
  Count(TLibraryGroup::BitrateModes, platform::Widen(BitrateModeName(Check.Stream.BitrateMode)));
  Count(TLibraryGroup::SampleRates, SampleRateName(Check.Stream));
  if (!Check.Tag.StoredPreset.empty()) {
    Count(TLibraryGroup::Presets, Check.Tag.StoredPreset);
  }
}

void TLibrarySummary::Count(TLibraryGroup Group, const std::u16string& Name) {
  ++Groups[static_cast<std::size_t>(Group)][Name];
}

std::vector<TNamedCount> TLibrarySummary::Counts(TLibraryGroup Group) const {
  std::vector<TNamedCount> counts;
  for (const auto& [name, count] : Groups[static_cast<std::size_t>(Group)]) {
    counts.push_back({name, count});
  }
  // The map has them by name already: a stable sort by count keeps that.
  std::stable_sort(counts.begin(), counts.end(),
                   [](const TNamedCount& A, const TNamedCount& B) { return A.Count > B.Count; });
  return counts;
}

}  // namespace kestrix
