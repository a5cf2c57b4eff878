#include "analysis/Verdict.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

using TProblems = std::vector<TProblem>;

// The builder's frame is 417 bytes at offset 0, the music 2000 bytes after it.
constexpr std::size_t MusicStart = 417;
constexpr std::size_t TagByte = 36 + 119 + QualityIndex;

TVerdict Judge(const TBytes& File) {
  TMemoryStream stream(File);
  bool found = false;
  const TBasicKestrixReader reader(stream, true, found);
  return JudgeFile(reader, found);
}

TEST(Verdict, IntactFileIsOk) {
  const TVerdict verdict = Judge(TTagFileBuilder().Build());
  EXPECT_EQ(verdict.Kind, TVerdictKind::Ok);
  EXPECT_TRUE(verdict.Problems.empty());
  EXPECT_EQ(verdict.StoredMusicCRC, verdict.ActualMusicCRC);
}

TEST(Verdict, EachDamageIsNamed) {
  TBytes music = TTagFileBuilder().Build();
  music[MusicStart + 1000] ^= 0x01;
  EXPECT_EQ(Judge(music).Problems, TProblems{TProblem::MusicCRC});

  TBytes tag = TTagFileBuilder().Build();
  tag[TagByte] ^= 0x01;
  EXPECT_EQ(Judge(tag).Problems, TProblems{TProblem::TagCRC});

  TBytes cut = TTagFileBuilder().Build();
  cut.resize(cut.size() - 300);
  const TVerdict verdict = Judge(cut);
  EXPECT_EQ(verdict.Kind, TVerdictKind::Bad);
  EXPECT_EQ(verdict.Problems, (TProblems{TProblem::MusicCRC, TProblem::Truncated}));
  EXPECT_EQ(verdict.MissingBytes, 300u);
  EXPECT_TRUE(verdict.Has(TProblem::Truncated));
  EXPECT_FALSE(verdict.Has(TProblem::TagCRC));
}

TEST(Verdict, TruncationCountsFromTheFramePosition) {
  TTagFileBuilder builder;
  builder.Prefix = Id3v2Tag(100);
  TBytes file = builder.Build();
  EXPECT_EQ(Judge(file).Kind, TVerdictKind::Ok);
  file.pop_back();
  const TVerdict verdict = Judge(file);
  EXPECT_TRUE(verdict.Has(TProblem::Truncated));
  EXPECT_EQ(verdict.MissingBytes, 1u);
}

TEST(Verdict, LongerFileIsNotTruncated) {
  TBytes file = TTagFileBuilder().Build();
  file.insert(file.end(), 128, 'T');  // an ID3v1 tag behind the music
  EXPECT_EQ(Judge(file).Kind, TVerdictKind::Ok);
}

TEST(Verdict, UnknownMusicLengthSaysNothingOfTheEnd) {
  TTagFileBuilder builder;
  builder.FixCRCs = false;
  builder.Set(InfoTagCRCIndex, {0x12, 0x34});
  const TVerdict verdict = Judge(builder.Build());  // music length 0
  EXPECT_FALSE(verdict.Has(TProblem::Truncated));
  EXPECT_TRUE(verdict.Has(TProblem::TagCRC));
}

TEST(Verdict, MissingTagAndErrors) {
  TTagFileBuilder builder;
  builder.Magic = "Junk";
  EXPECT_EQ(Judge(builder.Build()).Kind, TVerdictKind::NoTag);
  EXPECT_EQ(Judge({}).Kind, TVerdictKind::NoTag);
  const TVerdict error = ErrorVerdict("Cannot open file x");
  EXPECT_EQ(error.Kind, TVerdictKind::Error);
  EXPECT_EQ(error.Error, "Cannot open file x");
}

TEST(Verdict, NamesAsTheMachineFormsWriteThem) {
  EXPECT_EQ(VerdictName(TVerdictKind::Ok), "ok");
  EXPECT_EQ(VerdictName(TVerdictKind::Bad), "bad");
  EXPECT_EQ(VerdictName(TVerdictKind::NoTag), "no_tag");
  EXPECT_EQ(VerdictName(TVerdictKind::Error), "error");
  EXPECT_EQ(ProblemName(TProblem::TagCRC), "tag_crc");
  EXPECT_EQ(ProblemName(TProblem::MusicCRC), "music_crc");
  EXPECT_EQ(ProblemName(TProblem::Truncated), "truncated");
}

TEST(Tally, CountsEachVerdict) {
  TTally tally;
  for (const TVerdictKind kind :
       {TVerdictKind::Ok, TVerdictKind::Ok, TVerdictKind::Bad, TVerdictKind::Error}) {
    tally.Count(kind);
  }
  EXPECT_EQ(tally.Files(), 4u);
  EXPECT_EQ(tally.Of(TVerdictKind::Ok), 2u);
  EXPECT_EQ(tally.Of(TVerdictKind::NoTag), 0u);
}

}  // namespace
}  // namespace kestrix::test
