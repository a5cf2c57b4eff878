// Whole reports of real files made by the LAME encoder. The values were
// checked against the options that made each file (samples/make-samples.sh)
// and LAME's own stored CRCs.
#include <gtest/gtest.h>

#include <algorithm>

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
  const std::u16string text = FromRedirected(run.Output);
  int reports = 0;
  for (std::size_t at = text.find(u"Music CRC:          "); at != std::u16string::npos;
       at = text.find(u"Music CRC:          ", at + 1)) {
    // Four lines of a 20-column label and four hex digits each.
    const std::size_t line = 24 + RedirectedLineEnd().size();
    const std::u16string block = text.substr(at, 4 * line);
    EXPECT_EQ(block.substr(20, 4), block.substr(20 + line, 4)) << "music CRC";
    EXPECT_EQ(block.substr(20 + 2 * line, 4), block.substr(20 + 3 * line, 4)) << "tag CRC";
    ++reports;
  }
  EXPECT_GE(reports, 10);
}

// Each path line cut to the file's name: what of a report does not depend
// on where the samples lie.
std::u16string CutPathLines(const std::u16string& Text) {
  std::u16string cut;
  for (std::size_t start = 0, end = 0; (end = Text.find(u"\r\n", start)) != std::u16string::npos;
       start = end + 2) {
    std::u16string line = Text.substr(start, end - start);
    const std::size_t folderEnd = line.find_last_of(u"/\\");
    if (folderEnd != std::u16string::npos && line.size() > 4 &&
        line.compare(line.size() - 4, 4, u".mp3") == 0) {
      line.erase(0, folderEnd + 1);
    }
    cut += line + u"\r\n";
  }
  return cut;
}

// tests/data/make-golden.sh made the file from the Linux program's
// --utf16; the Windows suite checks it against the Windows program's own
// redirected bytes, so both programs write the same.
TEST(SampleReport, Utf16IsWhatTheWindowsProgramWritesRedirected) {
  if (!HaveGroupingLocale()) {
    GTEST_SKIP() << "no locale that groups digits (tools/install-deps makes en_US.UTF-8)";
  }
  std::vector<std::string> samples;
  for (const auto& entry : fs::directory_iterator(SamplesFolder())) {
    if (entry.path().extension() == ".mp3") {
      samples.push_back(entry.path().string());
    }
  }
  std::sort(samples.begin(), samples.end());
#ifndef _WIN32
  samples.insert(samples.begin(), "--utf16");
#endif
  const TRunResult run = RunKestrix(samples, {}, GroupingEnvironment);
  ASSERT_EQ(run.ExitCode, 0);
  std::vector<std::u16string> banner = BannerLines();
  banner.push_back(u"");
  const std::string bannerBytes = Utf16Text(banner);
  ASSERT_EQ(run.Output.compare(0, bannerBytes.size(), bannerBytes), 0);
  const TBytes golden = ReadFileBytes(TestDataFolder() / "samples-report.utf16le");
  // Whole code units on both sides, so equal texts are equal bytes.
  EXPECT_EQ(run.Output.size() % 2, 0u);
  EXPECT_EQ(golden.size() % 2, 0u);
  EXPECT_EQ(CutPathLines(FromUtf16LE(run.Output.substr(bannerBytes.size()))),
            FromUtf16LE(std::string(golden.begin(), golden.end())));
}

}  // namespace
}  // namespace kestrix::test
