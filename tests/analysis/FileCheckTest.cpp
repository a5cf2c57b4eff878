#include "analysis/FileCheck.h"

#include <gtest/gtest.h>

#include "support/StreamBuilder.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

// "bad: tag_crc music_crc", the verdict and its problems.
std::string Judged(const TBytes& File, TFileCheck* Check = nullptr) {
  TMemoryStream stream(File);
  const TFileCheck check = CheckStream(stream);
  std::string text = VerdictName(check.Verdict.Kind) + ":";
  for (const TProblem* problem : check.Verdict.Problems) {
    text += " " + std::string(problem->Name);
  }
  if (Check != nullptr) {
    *Check = check;
  }
  return text;
}

TEST(FileCheckTest, AFileCutInsideItsLeadingTagIsBad) {
  TBytes cut = Join({Id3v2Tag(5000), Frames(TFrameSpec(), 10)});
  cut.resize(3000);
  TFileCheck check;
  EXPECT_EQ("bad: truncated_tag", Judged(Join({cut, Id3v1Tag()}), &check));
  EXPECT_EQ(check.Verdict.TagMissingBytes, 5010 - 3128);
  ASSERT_EQ(check.Tags.Trailing.size(), 1u);
  EXPECT_EQ(check.Tags.Trailing[0].Format, TTagFormat::Id3v1);
}

TEST(FileCheckTest, FilesCutAtEitherEnd) {
  const TFrameSpec plain;
  TFrameSpec needsMore;
  needsMore.MainDataBegin = 495;
  const TBytes frames = Frames(plain, 10);
  const TBytes cutShort = Join({Id3v2Tag(100), Frame(plain), Frame(plain)});
  EXPECT_EQ("bad: truncated_frame", Judged(TBytes(cutShort.begin(), cutShort.end() - 200)));
  EXPECT_EQ("bad: start_lost starts_mid_stream junk_before",
            Judged(Join({Filled(4278, 0), Frame(needsMore), frames})));
  EXPECT_EQ("warn: starts_mid_stream", Judged(Join({Frame(needsMore), frames})));
  TFileCheck check;
  EXPECT_EQ("bad: unwritten_end", Judged(Join({frames, Filled(4096, 0)}), &check));
  EXPECT_EQ(check.Verdict.UnwrittenEnd, 4096);
  EXPECT_EQ("warn: junk_after", Judged(Join({frames, Filled(4095, 0)})));
  EXPECT_EQ("warn: junk_after", Judged(Join({frames, Filled(1, 1), Filled(5000, 0)})));
}

TEST(FileCheckTest, DelayAndPaddingBeyondTheFrames) {
  TTagFileBuilder builder;
  builder.Version("LAME3.100");
  builder.Set(DelayPaddingIndex, {0x24, 0x05, 0xDC});  // 576 and 1500
  builder.Music = Frame(TFrameSpec());
  TFileCheck check;
  EXPECT_EQ("warn: gapless_overrun", Judged(builder.Build(), &check));
  EXPECT_EQ(check.Samples, 0);
  builder.Music = Frames(TFrameSpec(), 2);
  EXPECT_EQ("ok:", Judged(builder.Build()));
}

// MP3Gain raised every gain 4 steps and kept no record.
TEST(FileCheckTest, MP3GainWithoutARecord) {
  TBytes before;
  TBytes after;
  for (std::uint8_t i = 0; i < 12; ++i) {
    TFrameSpec plan = TFrameSpec().With(&TFrameSpec::Protected, i % 2 == 0);
    plan.Gains = {static_cast<std::uint8_t>(130 + i), 140, 0, static_cast<std::uint8_t>(150 + i)};
    before = Join({before, Frame(plan)});
    plan.Gains = {static_cast<std::uint8_t>(134 + i), 144, 0, static_cast<std::uint8_t>(154 + i)};
    after = Join({after, Frame(plan)});
  }
  TTagFileBuilder builder;
  builder.Version("LAME3.100");
  builder.Music = before;
  TBytes file = builder.Build();
  std::copy(after.begin(), after.end(), file.end() - static_cast<std::ptrdiff_t>(after.size()));
  TFileCheck check;
  EXPECT_EQ("warn: mp3gain", Judged(file, &check));
  EXPECT_EQ(check.Verdict.MP3Gain->Left, -4);
  EXPECT_FALSE(check.Verdict.MP3GainRecord);
  // With a record that says otherwise, the record is believed.
  EXPECT_EQ("bad: music_crc",
            Judged(Join({file, Apev2Tag({{"MP3GAIN_UNDO", "-003,-003,N"}}, false)})));
}

}  // namespace
}  // namespace kestrix::test
