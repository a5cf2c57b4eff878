#include "output/LibrarySummary.h"

#include <gtest/gtest.h>

#include "analysis/Problems.h"

namespace kestrix {
namespace {

TFileCheck Check(TVerdictKind Kind, int SampleRate = 0, int Channels = 0) {
  TFileCheck check;
  check.Verdict.Kind = Kind;
  check.FileSize = 1000;
  check.Stream.SampleRate = SampleRate;
  check.Stream.Channels = Channels;
  check.Stream.Duration = 1.5;
  return check;
}

// An error is counted only by its problems (none), a file that is no MP3
// only by its file, bytes and problems; a group is largest first, then by name.
TEST(LibrarySummary, CountsEachFileWhereItBelongs) {
  TLibrarySummary summary;
  for (const TFileCheck& check :
       {Check(TVerdictKind::Ok, 44100, 2), Check(TVerdictKind::Warn, 22050, 1),
        Check(TVerdictKind::Bad, 32000, 2), Check(TVerdictKind::Ok, 22050, 1),
        FailedCheck("Cannot open file x")}) {
    summary.Add(check);
  }
  TFileCheck other = Check(TVerdictKind::NotMP3);
  other.Verdict.Problems = {FindProblem("junk_before")};
  summary.Add(other);

  EXPECT_EQ(summary.Files(), 5u);
  EXPECT_EQ(summary.Bytes(), 5000u);
  EXPECT_DOUBLE_EQ(summary.Duration(), 7.5);
  std::u16string rates;
  for (const TNamedCount& count : summary.Counts(TLibraryGroup::SampleRates)) {
    rates += std::u16string(count.Count, u'+') + count.Name + u"; ";
  }
  EXPECT_EQ(rates, u"++22050 Hz mono; +32000 Hz stereo; +44100 Hz stereo; ");
  EXPECT_EQ(summary.Counts(TLibraryGroup::Encoders).at(0).Count, 4u);
  EXPECT_TRUE(summary.Counts(TLibraryGroup::Presets).empty());
  EXPECT_EQ(summary.Counts(TLibraryGroup::Problems).at(0).Name, u"junk_before");
}

}  // namespace
}  // namespace kestrix
