// Whole reports of real files made by the LAME encoder. The values were
// checked against the options that made each file (samples/make-samples.sh)
// and LAME's own stored CRCs.
#include <gtest/gtest.h>

#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;

struct TSampleReport {
  const char* File;
  std::vector<std::u16string> Report;
};

const TSampleReport SampleReports[] = {
    {"mpeg25-mono-cbr32.mp3",
     {u"Tag revision:       0",
      u"Encoder string:     LAME",
      u"Version string:     3.100",
      u"Quality:            57 (V4 and q3)",
      u"Encoding method:    cbr",
      u"Lowpass:            " + Grouped(u"4000") + u"Hz",
      u"RG track peak:      <not stored>",
      u"RG track gain:      +1.2dB (determined automatically)",
      u"RG album gain:      <not stored>",
      u"nspsytune:          yes",
      u"nssafejoint:        no",
      u"nogap continued:    no",
      u"nogap continuation: no",
      u"ATH type:           4",
      u"Bitrate:            32",
      u"Encoder delay:      576 samples",
      u"Padded at end:      704 samples",
      u"Noise shaping:      2",
      u"Stereo mode:        mono",
      u"Unwise settings:    no",
      u"Source sample freq: 44.1kHz",
      u"MP3Gain change:     <none>",
      u"Preset:             cbr 32",
      u"Surround info:      none",
      u"Music length:       " + Grouped(u"8928") + u" bytes",
      u"Music CRC:          C733",
      u"Actual Music CRC:   C733",
      u"Info tag CRC:       3542",
      u"Actual InfoTag CRC: 3542"}},
    {"id3v2-tagged.mp3",
     {u"Tag revision:       0",
      u"Encoder string:     LAME",
      u"Version string:     3.100",
      u"Quality:            57 (V4 and q3)",
      u"Encoding method:    cbr",
      u"Lowpass:            " + Grouped(u"15100") + u"Hz",
      u"RG track peak:      <not stored>",
      u"RG track gain:      -0.8dB (determined automatically)",
      u"RG album gain:      <not stored>",
      u"nspsytune:          yes",
      u"nssafejoint:        no",
      u"nogap continued:    no",
      u"nogap continuation: no",
      u"ATH type:           4",
      u"Bitrate:            96",
      u"Encoder delay:      576 samples",
      u"Padded at end:      " + Grouped(u"1088") + u" samples",
      u"Noise shaping:      2",
      u"Stereo mode:        joint",
      u"Unwise settings:    no",
      u"Source sample freq: 44.1kHz",
      u"MP3Gain change:     <none>",
      u"Preset:             cbr 96",
      u"Surround info:      none",
      u"Music length:       " + Grouped(u"25056") + u" bytes",
      u"Music CRC:          E459",
      u"Actual Music CRC:   E459",
      u"Info tag CRC:       0B95",
      u"Actual InfoTag CRC: 0B95"}},
    {"mpeg2-stereo-vbr-v5.mp3",
     {u"Tag revision:       0",
      u"Encoder string:     LAME",
      u"Version string:     3.100",
      u"Quality:            50 (V5 and q0)",
      u"Encoding method:    vbr new / vbr mtrh",
      u"Lowpass:            " + Grouped(u"11000") + u"Hz",
      u"RG track peak:      <not stored>",
      u"RG track gain:      -1.5dB (determined automatically)",
      u"RG album gain:      <not stored>",
      u"nspsytune:          yes",
      u"nssafejoint:        yes",
      u"nogap continued:    no",
      u"nogap continuation: no",
      u"ATH type:           5",
      u"Bitrate:            minimal (-b) bitrate 8",
      u"Encoder delay:      576 samples",
      u"Padded at end:      828 samples",
      u"Noise shaping:      1",
      u"Stereo mode:        joint",
      u"Unwise settings:    no",
      u"Source sample freq: 44.1kHz",
      u"MP3Gain change:     <none>",
      u"Preset:             V5 (fast mode)",
      u"Surround info:      none",
      u"Music length:       " + Grouped(u"15406") + u" bytes",
      u"Music CRC:          410D",
      u"Actual Music CRC:   410D",
      u"Info tag CRC:       05F3",
      u"Actual InfoTag CRC: 05F3"}},
};

TEST(SampleReport, MatchesTheKnownReport) {
  for (const TSampleReport& sample : SampleReports) {
    SCOPED_TRACE(sample.File);
    const fs::path path = SamplesFolder() / sample.File;
    std::vector<std::u16string> lines = BannerLines();
    lines.push_back(u"");
    lines.push_back(ToU16(path));
    lines.insert(lines.end(), sample.Report.begin(), sample.Report.end());
    lines.push_back(u"");
    const TRunResult run = RunKestrix({path.string()});
    EXPECT_EQ(run.Output, RedirectedText(lines));
    EXPECT_EQ(run.ExitCode, 0);
  }
}

TEST(SampleReport, FileWithoutLameTag) {
  const fs::path path = SamplesFolder() / "no-lame-tag.mp3";
  std::vector<std::u16string> lines = BannerLines();
  lines.insert(lines.end(), {u"", ToU16(path), u"LAME tag not found.", u""});
  EXPECT_EQ(RunKestrix({path.string()}).Output, RedirectedText(lines));
}

// Every sample with a tag: the stored CRCs are LAME's, so they must agree
// with the recomputed ones, line for line.
TEST(SampleReport, StoredAndRecomputedCRCsAgreeInEveryReport) {
  const TRunResult run = RunKestrix({(SamplesFolder() / "*.mp3").string()}, {}, "LC_ALL=C.UTF-8");
  ASSERT_EQ(run.ExitCode, 0);
  std::u16string text;
  for (std::size_t i = 0; i + 1 < run.Output.size(); i += 2) {
    text += static_cast<char16_t>(static_cast<unsigned char>(run.Output[i]) |
                                  (static_cast<unsigned char>(run.Output[i + 1]) << 8));
  }
  int reports = 0;
  for (std::size_t at = text.find(u"Music CRC:          "); at != std::u16string::npos;
       at = text.find(u"Music CRC:          ", at + 1)) {
    const std::u16string block = text.substr(at, 140);
    EXPECT_EQ(block.substr(20, 4), block.substr(46, 4)) << "music CRC";
    EXPECT_EQ(block.substr(72, 4), block.substr(98, 4)) << "tag CRC";
    ++reports;
  }
  EXPECT_GE(reports, 10);
}

}  // namespace
}  // namespace kestrix::test
