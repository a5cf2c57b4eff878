#include "console/Progress.h"

#include <gtest/gtest.h>

#include <vector>

namespace kestrix {
namespace {

using namespace std::chrono_literals;

// A progress line on a fake clock that records what it writes.
class ProgressTest : public ::testing::Test {
 protected:
  std::unique_ptr<TProgress> Make(int Columns = 60) {
    return std::make_unique<TProgress>(
        [this](const std::u16string& Text) { Written.push_back(Text); }, Columns,
        [this] { return Clock; });
  }

  TProgress::TClock::time_point Clock{};
  std::vector<std::u16string> Written;
};

TEST_F(ProgressTest, ShortRunDrawsNothing) {
  auto progress = Make();
  progress->EnterFolder(u"/music/");
  Clock += 499ms;
  progress->FileReported(1000);
  progress.reset();
  EXPECT_TRUE(Written.empty());
}

TEST_F(ProgressTest, DrawsAfterHalfASecondAtMostTenTimesASecondAndErases) {
  auto progress = Make();
  progress->EnterFolder(u"/music/");
  Clock += 500ms;
  progress->FileReported(3 * 1024 * 1024 + 512 * 1024);
  ASSERT_EQ(Written.size(), 1u);
  EXPECT_EQ(Written[0], u"\r1 files, 3.5 MB read, /music/");
  Clock += 99ms;
  progress->FileReported(0);
  EXPECT_EQ(Written.size(), 1u) << "too soon to redraw";
  Clock += 1ms;
  progress->EnterFolder(u"/m/");
  ASSERT_EQ(Written.size(), 2u);
  // A shorter line covers what is left of the longer one.
  EXPECT_EQ(Written[1], u"\r2 files, 3.5 MB read, /m/    ");
  progress->Finish();
  ASSERT_EQ(Written.size(), 3u);
  EXPECT_EQ(Written[2], u"\r" + std::u16string(25, u' ') + u"\r");
  Clock += 1s;
  progress->FileReported(1);
  progress.reset();
  EXPECT_EQ(Written.size(), 3u) << "nothing after the end";
}

TEST_F(ProgressTest, LongFolderLosesItsStartAndControlsAreDefused) {
  auto progress = Make(40);
  Clock += 1s;
  progress->EnterFolder(u"/a/very/long/path/to/the/music/\x1B[2J/");
  ASSERT_EQ(Written.size(), 1u);
  EXPECT_EQ(Written[0], u"\r0 files, 0.0 MB read, ...he/music/\uFFFD[2J/");
  EXPECT_EQ(Written[0].size(), 1u + 39u) << "the last column stays free";
}

}  // namespace
}  // namespace kestrix
