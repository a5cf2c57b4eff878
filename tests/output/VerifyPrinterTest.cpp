#include "output/VerifyPrinter.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TVerdict Bad(std::vector<TProblem> Problems) {
  TVerdict verdict;
  verdict.Kind = TVerdictKind::Bad;
  verdict.Problems = std::move(Problems);
  verdict.StoredTagCRC = 0x00A3;
  verdict.ActualTagCRC = 0xFFFF;
  verdict.StoredMusicCRC = 0x0033;
  verdict.ActualMusicCRC = 0xC5B2;
  verdict.MissingBytes = 272872;
  return verdict;
}

TEST(VerifyLine, OneFormPerVerdict) {
  TVerdict ok;
  ok.Kind = TVerdictKind::Ok;
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", ok, ","), u"OK   /m/a.mp3");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", TVerdict(), ","), u"--   /m/a.mp3: no LAME tag");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", ErrorVerdict("Cannot open file /m/a.mp3"), ","),
            u"ERR  /m/a.mp3: Cannot open file /m/a.mp3");
}

TEST(VerifyLine, BadTellsEveryProblemWithItsValues) {
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Bad({TProblem::MusicCRC, TProblem::Truncated}), ","),
            u"BAD  /m/a.mp3: music CRC stored 0033, actual C5B2; file ends 272,872 bytes "
            u"before the stored music length");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Bad({TProblem::TagCRC}), ""),
            u"BAD  /m/a.mp3: tag CRC stored 00A3, actual FFFF");
  EXPECT_EQ(VerifyLine(u"b", Bad({TProblem::Truncated}), "."),
            u"BAD  b: file ends 272.872 bytes before the stored music length");
}

TEST(VerifyLine, NameCannotBreakTheLineOrDriveATerminal) {
  EXPECT_EQ(VerifyLine(u"/m/a\nb\x1B[2J\xDCFF.mp3", TVerdict(), ","),
            u"--   /m/a\uFFFDb\uFFFD[2J\uFFFD.mp3: no LAME tag");
  EXPECT_EQ(VerifyLine(u"x", ErrorVerdict("line\r\nbreak"), ","), u"ERR  x: line\uFFFD\uFFFDbreak");
}

TEST(VerifySummary, CountsEveryVerdict) {
  TTally tally;
  for (int i = 0; i < 1200; ++i) {
    tally.Count(TVerdictKind::Ok);
  }
  tally.Count(TVerdictKind::Bad);
  tally.Count(TVerdictKind::NoTag);
  tally.Count(TVerdictKind::NoTag);
  EXPECT_EQ(VerifySummary(tally, ","),
            u"1,203 files: 1,200 OK, 1 BAD, 2 without a LAME tag, 0 errors");
  EXPECT_EQ(VerifySummary(TTally(), ","), u"0 files: 0 OK, 0 BAD, 0 without a LAME tag, 0 errors");
}

}  // namespace
}  // namespace kestrix
