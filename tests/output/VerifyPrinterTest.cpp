#include "output/VerifyPrinter.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TFileCheck Checked(TVerdict Verdict, bool LameTag = true) {
  TFileCheck check;
  check.Verdict = std::move(Verdict);
  check.Tag.Kind = LameTag ? TTagKind::Tag : TTagKind::None;
  return check;
}

TVerdict With(TVerdictKind Kind, const std::vector<std::string_view>& Names) {
  TVerdict verdict;
  verdict.Kind = Kind;
  for (const std::string_view name : Names) {
    verdict.Problems.push_back(FindProblem(name));
  }
  verdict.StoredTagCRC = 0x00A3;
  verdict.ActualTagCRC = 0xFFFF;
  verdict.StoredMusicCRC = 0x0033;
  verdict.ActualMusicCRC = 0xC5B2;
  verdict.MissingBytes = 272872;
  verdict.FrameMissingBytes = 301;
  verdict.VbrHeader.MissingFrames = TStoredActual{6300, 4211};
  verdict.VbrHeader.ByteCount = TStoredActual{1234567, 1200000};
  verdict.LostSync = {2, 1312, 883412};
  verdict.FailedFrameCRCs = 3;
  verdict.JunkBefore = 1;
  verdict.JunkAfter = 4096;
  verdict.MP3Gain = TMP3GainSteps{-3, 2};
  verdict.Encoder = "Lavf58.76";
  return verdict;
}

TVerdict Bad(const std::vector<std::string_view>& Names) {
  return With(TVerdictKind::Bad, Names);
}

TEST(VerifyLine, OneFormPerVerdict) {
  const TFileCheck ok = Checked(TVerdict());
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", ok, ","), u"OK   /m/a.mp3");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Checked(TVerdict(), false), ","),
            u"OK   /m/a.mp3 (no LAME tag)");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Checked(With(TVerdictKind::NotMP3, {}), false), ","),
            u"--   /m/a.mp3: not an MP3 file");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Checked(ErrorVerdict("Cannot open file /m/a.mp3")), ","),
            u"ERR  /m/a.mp3: Cannot open file /m/a.mp3");
  EXPECT_EQ(VerifyLine(u"w", Checked(With(TVerdictKind::Warn, {"junk_after"})), ","),
            u"WARN w: 4,096 bytes after the last frame");
}

TEST(VerifyLine, BadTellsEveryProblemWithItsValues) {
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Checked(Bad({"music_crc", "truncated"})), ","),
            u"BAD  /m/a.mp3: music CRC stored 0033, actual C5B2; file ends 272,872 bytes "
            u"before the stored music length");
  EXPECT_EQ(VerifyLine(u"/m/a.mp3", Checked(Bad({"tag_crc"})), ""),
            u"BAD  /m/a.mp3: tag CRC stored 00A3, actual FFFF");
  EXPECT_EQ(VerifyLine(u"b", Checked(Bad({"truncated"})), "."),
            u"BAD  b: file ends 272.872 bytes before the stored music length");
}

TEST(ProblemText, FiguresOfTheStreamProblems) {
  const TVerdict verdict = Bad({});
  const auto text = [&verdict](std::string_view Name) {
    return FindProblem(Name)->Text(verdict, ",");
  };
  EXPECT_EQ(text("missing_frames"), u"VBR header says 6,300 frames, the stream has 4,211");
  EXPECT_EQ(text("lost_sync"), u"1,312 bytes out of sync in 2 places, first at offset 883,412");
  EXPECT_EQ(text("truncated_frame"), u"last frame cut short by 301 bytes");
  EXPECT_EQ(text("frame_crc"), u"3 frames fail their CRC");
  EXPECT_EQ(text("byte_count"), u"VBR header says 1,234,567 bytes, the stream has 1,200,000");
  EXPECT_EQ(text("mp3gain"),
            u"gain changed by MP3Gain (+3, -2 steps); undone, the music CRC matches");
  TVerdict one = verdict;
  one.LostSync.Events = 1;
  one.FailedFrameCRCs = 1;
  EXPECT_EQ(FindProblem("frame_crc")->Text(one, ","), u"1 frame fails its CRC");
  EXPECT_NE(FindProblem("lost_sync")->Text(one, ",").find(u" in 1 place, "), std::u16string::npos);
  one.UnverifiableTagCRC = true;
  one.UnverifiableMusicCRC = true;
  EXPECT_EQ(FindProblem("unverifiable_crc")->Text(one, ","),
            u"tag CRC from Lavf58.76, which computes it differently; music CRC of a gapless "
            u"continuation, which goes on from the file before it");
}

TEST(ProblemText, FiguresOfTheNewerProblems) {
  TVerdict verdict = Bad({});
  verdict.TagMissingBytes = 1882;
  verdict.MainDataBegin = 495;
  verdict.JunkBefore = 4278;
  verdict.UnwrittenEnd = 18390;
  verdict.GaplessSamples = TStoredActual{2028, 1728};
  verdict.HeaderRewrite = THeaderRewrite::OfOriginal;
  const auto text = [&verdict](std::string_view Name) {
    return FindProblem(Name)->Text(verdict, ",");
  };
  EXPECT_EQ(text("truncated_tag"), u"ID3v2 tag cut short by 1,882 bytes");
  EXPECT_EQ(text("start_lost"),
            u"the start of the stream was lost: 4,278 bytes that are no frames, then a frame that "
            u"needs 495 bytes from before it");
  EXPECT_EQ(text("starts_mid_stream"),
            u"the first frame needs 495 bytes from before the file: cut from a longer stream");
  EXPECT_EQ(text("unwritten_end"), u"the last 18,390 bytes are zeros: the end was never written");
  EXPECT_EQ(text("gapless_overrun"),
            u"LAME tag says 2,028 samples of delay and padding, the frames have 1,728");
  EXPECT_EQ(text("header_rewritten"),
            u"VBR header rewritten after encoding (a split or repaired file): the LAME tag "
            u"describes the original, so its music CRC cannot be checked");
  verdict.UnverifiableMusicCRC = true;
  EXPECT_EQ(text("unverifiable_crc"), u"music CRC of the file before it was split or repaired");
  verdict.HeaderRewrite = THeaderRewrite::Edited;
  EXPECT_EQ(text("header_rewritten"),
            u"VBR header rewritten after encoding (tag CRC stored 00A3, actual FFFF): the music "
            u"CRC and length match, so the audio is as encoded");
}

TEST(VerifyLine, NameCannotBreakTheLineOrDriveATerminal) {
  EXPECT_EQ(VerifyLine(u"/m/a\nb\x1B[2J\xDCFF.mp3", Checked(TVerdict(), false), ","),
            u"OK   /m/a\uFFFDb\uFFFD[2J\uFFFD.mp3 (no LAME tag)");
  EXPECT_EQ(VerifyLine(u"x", Checked(ErrorVerdict("line\r\nbreak")), ","),
            u"ERR  x: line\uFFFD\uFFFDbreak");
}

TEST(VerifySummary, CountsEveryVerdict) {
  TTally tally;
  for (int i = 0; i < 1200; ++i) {
    tally.Count(TVerdictKind::Ok);
  }
  tally.Count(TVerdictKind::Bad);
  tally.Count(TVerdictKind::NotMP3);
  tally.Count(TVerdictKind::NotMP3);
  tally.Count(TVerdictKind::Warn);
  EXPECT_EQ(VerifySummary(tally, ","),
            u"1,204 files: 1,200 OK, 1 WARN, 1 BAD, 2 not MP3, 0 errors");
  EXPECT_EQ(VerifySummary(TTally(), ","), u"0 files: 0 OK, 0 WARN, 0 BAD, 0 not MP3, 0 errors");
}

}  // namespace
}  // namespace kestrix
