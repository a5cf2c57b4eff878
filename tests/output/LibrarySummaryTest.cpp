#include "output/LibrarySummary.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TFileCheck Mp3(int SampleRate, int Channels, TVerdictKind Kind = TVerdictKind::Ok) {
  TFileCheck check;
  check.Verdict.Kind = Kind;
  check.FileSize = 1000;
  check.Stream.HasStream = true;
  check.Stream.SampleRate = SampleRate;
  check.Stream.Channels = Channels;
  check.Stream.Duration = 1.5;
  return check;
}

// Every file is counted where it belongs: an error only by its problems
// (none), a file that is no MP3 only by its files and bytes.
TEST(LibrarySummary, CountsEachFileWhereItBelongsLargestFirstThenByName) {
  TLibrarySummary summary;
  summary.Add(Mp3(44100, 2));
  summary.Add(Mp3(22050, 1, TVerdictKind::Warn));
  summary.Add(Mp3(32000, 2, TVerdictKind::Bad));
  summary.Add(Mp3(22050, 1));
  TFileCheck other;
  other.Verdict.Kind = TVerdictKind::NotMP3;
  other.Verdict.Problems = {TProblem::JunkBefore};
  other.FileSize = 7;
  summary.Add(other);
  summary.Add(FailedCheck("Cannot open file x"));

  EXPECT_EQ(summary.Files(), 5u);
  EXPECT_EQ(summary.Bytes(), 4007u);
  EXPECT_DOUBLE_EQ(summary.Duration(), 6.0);
  std::vector<std::pair<std::u16string, std::uint64_t>> rates;
  for (const TNamedCount& count : summary.Counts(TLibraryGroup::SampleRates)) {
    rates.emplace_back(count.Name, count.Count);
  }
  EXPECT_EQ(rates, (std::vector<std::pair<std::u16string, std::uint64_t>>{
                       {u"22050 Hz mono", 2}, {u"32000 Hz stereo", 1}, {u"44100 Hz stereo", 1}}));
  EXPECT_EQ(summary.Counts(TLibraryGroup::Encoders).at(0).Name, u"no LAME tag");
  EXPECT_EQ(summary.Counts(TLibraryGroup::Encoders).at(0).Count, 4u);
  EXPECT_TRUE(summary.Counts(TLibraryGroup::Presets).empty());
  EXPECT_EQ(summary.Counts(TLibraryGroup::Problems).at(0).Name, u"junk_before");
}

}  // namespace
}  // namespace kestrix
