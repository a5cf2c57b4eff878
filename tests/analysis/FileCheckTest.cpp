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

}  // namespace
}  // namespace kestrix::test
