#include "describe/FieldTable.h"

#include <gtest/gtest.h>

#include <set>

#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

TEST(FieldKey, LowerCaseWithOneUnderscorePerGap) {
  EXPECT_EQ(FieldKey(u"Tag revision:       "), "tag_revision");
  EXPECT_EQ(FieldKey(u"RG track peak:      "), "rg_track_peak");
  EXPECT_EQ(FieldKey(u"Actual InfoTag CRC: "), "actual_infotag_crc");
  EXPECT_EQ(FieldKey(u"Source sample freq: "), "source_sample_freq");
  EXPECT_EQ(FieldKey(u"MP3Gain change:     "), "mp3gain_change");
  EXPECT_EQ(FieldKey(u"  --a -- b--  "), "a_b");
}

TEST(FieldKey, EveryKeyIsDistinct) {
  const std::vector<std::string> keys = AllFieldKeys();
  EXPECT_EQ(keys.size(), TagRows.size() + 1);
  EXPECT_EQ(std::set<std::string>(keys.begin(), keys.end()).size(), keys.size());
  EXPECT_EQ(keys.back(), "preset_guess");
}

TEST(FieldLabels, FillTheLabelColumn) {
  for (const TFieldRow& row : TagRows) {
    EXPECT_EQ(row.Label.size(), LabelColumnWidth);
    EXPECT_NE(row.Label.find(u':'), std::u16string_view::npos);
  }
  EXPECT_EQ(PresetGuessLabel.size(), LabelColumnWidth);
}

// The keyed texts the machine-readable forms show: the lines, then the
// guess block as one text.
struct TKeyedField {
  std::string Key;
  std::u16string Text;
};

std::vector<TKeyedField> Keyed(const TTagFileBuilder& Builder) {
  TMemoryStream stream(Builder.Build());
  bool found = false;
  TDescriptiveKestrixReader reader(ReadLameTag(stream, true, found), CLocaleSeparators());
  const TTagFields tag = DescribeTag(reader, found);
  std::vector<TKeyedField> fields;
  for (const TFieldLine& line : tag.Lines) {
    fields.push_back({line.Key, line.Text});
  }
  if (tag.Guess) {
    fields.push_back({FieldKey(PresetGuessLabel), tag.GuessText()});
  }
  return fields;
}

TEST(KeyedFields, GuessBlockBecomesOneText) {
  const std::vector<TKeyedField> plain = Keyed(ExtremeTag());
  ASSERT_EQ(plain.size(), TagRows.size() + 1);
  EXPECT_EQ(plain.back().Key, "preset_guess");
  EXPECT_EQ(plain.back().Text,
            u"Based on a combination of other values from the lame tag, it is likely that the "
            u"preset used to encode this file was: [alt-]preset extreme");

  TTagFileBuilder modified = ExtremeTag();
  modified.Set(BitrateIndex, {128});
  EXPECT_EQ(Keyed(modified).back().Text,
            u"Based on a combination of other values from the lame tag, it seems that this file "
            u"was not created using an  unmodified preset.  However it could have been created "
            u"using the following modified preset command line: [alt-]preset extreme -b 128");
}

TEST(KeyedFields, TextsUnderTheCLocale) {
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(DelayPaddingIndex, {0x45, 0x15, 0x3C});  // delay 1105
  const std::vector<TKeyedField> fields = Keyed(tag);
  EXPECT_EQ(fields[5].Key, "lowpass");
  EXPECT_EQ(fields[5].Text, u"19500Hz");
  EXPECT_EQ(fields[15].Text, u"1105 samples");
  EXPECT_EQ(fields[22].Text, u"<not stored> - see preset guess at end");
}

TEST(KeyedFields, OldEncoderGivesItsTwoTextsAndNoTagNone) {
  TTagFileBuilder old;
  old.FixCRCs = false;
  old.Version("LAME3.88 ");
  const std::vector<TKeyedField> fields = Keyed(old);
  ASSERT_EQ(fields.size(), 2u);
  EXPECT_EQ(fields[0].Key, "encoder_string");
  EXPECT_EQ(fields[1].Key, "version_string");
  EXPECT_EQ(fields[1].Text, u"3.88 ");

  TTagFileBuilder none;
  none.Magic = "Junk";
  EXPECT_TRUE(Keyed(none).empty());
}

}  // namespace
}  // namespace kestrix::test
