// Whole reports of crafted files, byte for byte.
#include <gtest/gtest.h>

#include "platform/Locale.h"
#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

using TLines = std::vector<std::u16string>;

std::u16string Hex4(unsigned Value) {
  const char digits[] = "0123456789ABCDEF";
  std::u16string text;
  for (int shift = 12; shift >= 0; shift -= 4) {
    text += static_cast<char16_t>(digits[(Value >> shift) & 0xF]);
  }
  return text;
}

unsigned BigEndian16(const TBytes& File, std::size_t At) {
  return (File[At] << 8) | File[At + 1];
}

// An MPEG-1 frame whose tag says: LAME 3.90, quality 78, old VBR, lowpass
// 19500 Hz, nspsytune, ATH type 2, delay 576, padding 1340, joint stereo,
// noise shaping 2, 44.1 kHz, no preset stored: a full match of the
// "[alt-]preset extreme" values.
TTagFileBuilder ExtremeTag() {
  TTagFileBuilder builder;
  builder.Version("LAME3.90 ");
  builder.Set(QualityIndex, {78})
      .Set(RevisionMethodIndex, {0x03})
      .Set(LowpassIndex, {195})
      .Set(FlagsATHIndex, {0x12});
  builder.Set(DelayPaddingIndex, {0x24, 0x05, 0x3C}).Set(MiscIndex, {0x4E});
  return builder;
}

// Runs Kestrix on the one file and gives the lines its block should hold
// around the report: banner, empty line, path, report, empty line.
class ReportTest : public ::testing::Test {
 protected:
  void ExpectReport(const TTagFileBuilder& Builder, const TLines& Report) {
    ExpectFileReport(Builder.Build(), Report);
  }

  void ExpectFileReport(const TBytes& File, const TLines& Report) {
    const auto path = Folder.Write("file.mp3", File);
    TLines lines = BannerLines();
    lines.push_back(u"");
    lines.push_back(ToU16(path));
    lines.insert(lines.end(), Report.begin(), Report.end());
    lines.push_back(u"");
    const TRunResult run = RunKestrix({path.string()});
    EXPECT_EQ(run.Output, RedirectedText(lines));
    EXPECT_EQ(run.ExitCode, 0);
  }

  // The 29 field lines of ExtremeTag(), with the CRC lines from the file.
  static TLines Fields(const TTagFileBuilder& Builder, const std::u16string& Bitrate,
                       const std::u16string& PresetLine) {
    const TBytes file = Builder.Build();
    const std::size_t xing = static_cast<std::size_t>(Builder.XingOffset) + Builder.Prefix.size();
    const std::u16string musicCRC = Hex4(BigEndian16(file, xing + 152));
    const std::u16string tagCRC = Hex4(BigEndian16(file, xing + 154));
    return {u"Tag revision:       0",
            u"Encoder string:     LAME",
            u"Version string:     3.90 ",
            u"Quality:            78 (V2 and q2)",
            u"Encoding method:    vbr old / vbr rh",
            u"Lowpass:            " + Grouped(u"19500") + u"Hz",
            u"RG track peak:      <not stored>",
            u"RG track gain:      <not stored>",
            u"RG album gain:      <not stored>",
            u"nspsytune:          yes",
            u"nssafejoint:        no",
            u"nogap continued:    no",
            u"nogap continuation: no",
            u"ATH type:           2",
            u"Bitrate:            " + Bitrate,
            u"Encoder delay:      576 samples",
            u"Padded at end:      " + Grouped(u"1340") + u" samples",
            u"Noise shaping:      2",
            u"Stereo mode:        joint",
            u"Unwise settings:    no",
            u"Source sample freq: 44.1kHz",
            u"MP3Gain change:     <none>",
            PresetLine,
            u"Surround info:      none",
            u"Music length:       " + Grouped(u"2417") + u" bytes",
            u"Music CRC:          " + musicCRC,
            u"Actual Music CRC:   " + musicCRC,
            u"Info tag CRC:       " + tagCRC,
            u"Actual InfoTag CRC: " + tagCRC};
  }

  static TLines Append(TLines Lines, const TLines& More) {
    Lines.insert(Lines.end(), More.begin(), More.end());
    return Lines;
  }

  TTempFolder Folder;
};

TEST_F(ReportTest, GuessFromAFullMatch) {
  const TTagFileBuilder tag = ExtremeTag();
  ExpectReport(tag, Append(Fields(tag, u"<not stored>",
                                  u"Preset:             <not stored> - see preset guess at end"),
                           {u"", u"  Based on a combination of other values from the lame tag,",
                            u"  it is likely that the preset used to encode this file was:", u"",
                            u"Preset guess:       [alt-]preset extreme"}));
}

TEST_F(ReportTest, GuessThatMatchedAllButTheBitrate) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(BitrateIndex, {128});
  ExpectReport(tag, Append(Fields(tag, u"minimal (-b) bitrate 128",
                                  u"Preset:             <not stored> - see preset guess at end"),
                           {u"", u"  Based on a combination of other values from the lame tag,",
                            u"  it seems that this file was not created using an ",
                            u"  unmodified preset.  However it could have been created",
                            u"  using the following modified preset command line:", u"",
                            u"Preset guess:       [alt-]preset extreme -b 128"}));
}

TEST_F(ReportTest, NothingStoredAndNothingToGuess) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(LowpassIndex, {194});  // no row has this lowpass
  TLines fields =
      Fields(tag, u"<not stored>", u"Preset:             <not stored> - unable to guess");
  fields[5] = u"Lowpass:            " + Grouped(u"19400") + u"Hz";
  ExpectReport(tag, fields);
}

TEST_F(ReportTest, StoredBitrateWithoutAGuessIsPlain) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(LowpassIndex, {194}).Set(PresetSurroundIndex, {0x00, 0x80});  // preset 128
  TLines fields = Fields(tag, u"<not stored>", u"Preset:             128");
  fields[5] = u"Lowpass:            " + Grouped(u"19400") + u"Hz";
  ExpectReport(tag, fields);
}

TEST_F(ReportTest, NamedPresetInFastMode) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(RevisionMethodIndex, {0x04})
      .Set(PresetSurroundIndex, {0x01, 0xE0});  // new VBR, preset 480
  TLines fields =
      Fields(tag, u"<not stored>", u"Preset:             V2: preset standard (fast mode)");
  fields[4] = u"Encoding method:    vbr new / vbr mtrh";
  ExpectReport(tag, fields);
}

TEST_F(ReportTest, NewerTagRevisionIsWarnedAbout) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(RevisionMethodIndex, {0x13})
      .Set(PresetSurroundIndex, {0x03, 0xE8});  // revision 1, preset 1000
  TLines fields = Fields(tag, u"<not stored>", u"Preset:             r3mix");
  fields[0] = u"Tag revision:       1";
  ExpectReport(tag,
               Append({u"", u"WARNING:", u"The tag revision of the LAME tag in this file is 1.",
                       u"This version of Kestrix.exe only supports tag revisions up",
                       u"to 0, so the values shown will probably be incorrect.", u""},
                      fields));
}

TEST_F(ReportTest, VersionBeforeTagsShowsTheLongVersionText) {
  TTagFileBuilder tag;
  tag.FixCRCs = false;  // a stored tag CRC of 0: no tag
  tag.Version("LAME3.88 ");
  const std::string longVersion = "3.88 (beta 1) xy";
  for (std::size_t i = 0; i < longVersion.size(); ++i) {
    tag.Tag[5 + i] = static_cast<std::uint8_t>(longVersion[i]);
  }
  ExpectReport(tag, {u"", u"LAME tags were introduced with LAME version 3.90, but ",
                     u"this file was encoded by an earlier version of LAME and",
                     u"the header only contains a version string.", u"",
                     u"Encoder string:     LAME", u"Version string:     3.88 (beta 1) xy"});
}

TEST_F(ReportTest, RejectedTagOfALaterVersionIsNotFound) {
  for (const char* version : {"LAME3.90.", "LAME3.93 ", "LAME3.100"}) {
    SCOPED_TRACE(version);
    TTagFileBuilder tag;
    tag.FixCRCs = false;
    tag.Version(version);
    ExpectReport(tag, {u"LAME tag not found."});
  }
}

TEST_F(ReportTest, FileWithoutInfoHeader) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Magic = "Junk";
  ExpectReport(tag, {u"LAME tag not found."});
}

TEST_F(ReportTest, EmptyAndTinyFiles) {
  ExpectFileReport({}, {u"LAME tag not found."});
  ExpectFileReport({0xFF, 0xFB, 0x90}, {u"LAME tag not found."});
}

TEST_F(ReportTest, NumbersFollowARealLocale) {
#ifdef _WIN32
  // A Windows run takes the user's locale, which the program shares with
  // this test; wine makes C.UTF-8 an English one.
  const platform::TNumberSeparators& user = platform::GetNumberSeparators();
  if (user.Thousands != "," || user.Decimal != ".") {
    GTEST_SKIP() << "the lines below are those of an English locale";
  }
#else
  if (RunShell("locale -a | grep -qix 'en_US.utf-\\?8'").ExitCode != 0) {
    GTEST_SKIP() << "the en_US.UTF-8 locale is not installed (tools/install-deps makes it)";
  }
#endif
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(PeakIndex,
          {0x00, 0x00, 0x80, 0x3F});  // peak 1.0 as a little-endian float, as 3.90 stored it
  const auto path = Folder.Write("file.mp3", tag.Build());
  const TRunResult run = RunKestrix({path.string()}, {}, "LC_ALL=en_US.UTF-8");
  for (const char16_t* line :
       {u"Lowpass:            19,500Hz", u"RG track peak:      1.000000",
        u"Padded at end:      1,340 samples", u"Music length:       2,417 bytes"}) {
    EXPECT_NE(run.Output.find(RedirectedText({line})), std::string::npos);
  }
}

}  // namespace
}  // namespace kestrix::test
