#include "output/CsvPrinter.h"

#include <gtest/gtest.h>

#include "support/StreamBuilder.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

// lame_tag, the stream's facts, id3v2, trailing and leading.
constexpr std::size_t Facts = 18;

TEST(CsvRecord, QuotesOnlyWhatNeedsIt) {
  EXPECT_EQ(CsvRecord({"a", "", "b c"}), "a,,b c");
  EXPECT_EQ(CsvRecord({"x,y"}), "\"x,y\"");
  EXPECT_EQ(CsvRecord({"say \"hi\""}), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvRecord({"two\nlines", "cr\r"}), "\"two\nlines\",\"cr\r\"");
  EXPECT_EQ(CsvRecord({"\"", "'"}), "\"\"\"\",'");
  EXPECT_EQ(CsvRecord({}), "");
}

TEST(CsvHeader, NamesTheColumnsInReportOrder) {
  const std::vector<std::string> header = CsvHeader();
  ASSERT_EQ(header.size(), 3u + Facts + 30u + 1u);
  EXPECT_EQ(header[0], "path");
  EXPECT_EQ(header[1], "verdict");
  EXPECT_EQ(header[2], "problems");
  EXPECT_EQ(header[3], "lame_tag");
  EXPECT_EQ(header[4], "first_frame");
  EXPECT_EQ(header[18], "id3v2");
  EXPECT_EQ(header[19], "trailing");
  EXPECT_EQ(header[20], "leading");
  EXPECT_EQ(header[21], "tag_revision");
  EXPECT_EQ(header[49], "actual_infotag_crc");
  EXPECT_EQ(header[50], "preset_guess");
  EXPECT_EQ(header[51], "error");
}

class CsvRowTest : public ::testing::Test {
 protected:
  std::vector<std::string> Row(const TBytes& File, TVerdictKind& Kind) {
    const std::u16string path = ToU16(Folder.Write("a,b.mp3", File));
    const TFileCheck check = CheckFile(path);
    Kind = check.Verdict.Kind;
    return CsvFileRow(path, check);
  }
  TTempFolder Folder;
};

TEST_F(CsvRowTest, BadFileListsItsProblems) {
  TTagFileBuilder builder;
  builder.Version("LAME3.100");
  builder.Music = Frames(TFrameSpec(), 4);
  TBytes file = builder.Build();
  file.resize(file.size() - 10);
  file[36 + 119] ^= 0xFF;  // the quality byte
  TVerdictKind kind = TVerdictKind::Ok;
  const std::vector<std::string> row = Row(file, kind);
  EXPECT_EQ(kind, TVerdictKind::Bad);
  ASSERT_EQ(row.size(), CsvHeader().size());
  EXPECT_EQ(row[0], (Folder.Path() / "a,b.mp3").string());
  EXPECT_EQ(row[1], "bad");
  EXPECT_EQ(row[2], "tag_crc;music_crc;truncated;truncated_frame");
  EXPECT_EQ(row[3], "true");
  EXPECT_EQ(row[21], "0");
  EXPECT_EQ(row[50], "");  // no guess
  EXPECT_EQ(row[51], "");  // no error
}

TEST_F(CsvRowTest, FileWithoutTagHasOnlyItsVerdict) {
  TVerdictKind kind = TVerdictKind::Ok;
  const std::vector<std::string> row = Row({'n', 'o'}, kind);
  EXPECT_EQ(kind, TVerdictKind::NotMP3);
  EXPECT_EQ(row[1], "not_mp3");
  EXPECT_EQ(row[3], "false");
  EXPECT_EQ(row[18], "0");  // no ID3v2 tag
  for (std::size_t i = 2; i < row.size(); ++i) {
    if (i != 3 && i != 18) {
      EXPECT_EQ(row[i], "") << i;
    }
  }
}

TEST(CsvErrorRow, HoldsTheMessageInTheLastColumn) {
  const std::vector<std::string> row = CsvErrorRow(u"/x\xDC80.mp3", "Cannot open file /x?.mp3");
  EXPECT_EQ(row[0], "/x\xEF\xBF\xBD.mp3");
  EXPECT_EQ(row[1], "error");
  EXPECT_EQ(row.back(), "Cannot open file /x?.mp3");
}

}  // namespace
}  // namespace kestrix::test
