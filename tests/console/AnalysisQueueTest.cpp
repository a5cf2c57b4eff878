#include "console/AnalysisQueue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

TListingEntry FileEntry(const std::filesystem::path& Path) {
  return {TListingKind::File, ToU16(Path), 0, {}};
}

// Files of very different lengths, so that their analyses end out of order.
std::vector<std::filesystem::path> MixedFiles(const TTempFolder& Folder, int Count) {
  const std::vector<std::filesystem::path> samples = SampleMp3Files();
  std::vector<std::filesystem::path> files;
  for (int i = 0; i < Count; ++i) {
    const std::string name = "file" + std::to_string(i);
    files.push_back(i % 3 == 0 ? Folder.Write(name, Noise(1 << 20))
                               : Folder.Write(name, ReadFileBytes(samples[i % samples.size()])));
  }
  return files;
}

TEST(AnalysisQueue, HandsBackEveryEntryInOrderWithItsOwnFindings) {
  const TTempFolder folder;
  const std::vector<std::filesystem::path> files = MixedFiles(folder, 24);
  for (const int jobs : {1, 4}) {
    SCOPED_TRACE(jobs);
    TAnalysisQueue queue(jobs, TAnalysisNeeds{});
    std::vector<TQueuedEntry> taken;
    const auto take = [&](bool Wait) {
      for (TQueuedEntry& entry : queue.TakeReady(Wait)) {
        taken.push_back(std::move(entry));
      }
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
      while (!queue.HasRoom()) {
        take(true);
      }
      queue.Add(FileEntry(files[i]));
      if (i % 5 == 0) {
        queue.AddPathEnd(u"end " + ToU16(files[i]), true);
      }
      take(false);
    }
    while (!queue.IsEmpty()) {
      take(true);
    }
    std::size_t file = 0;
    for (std::size_t i = 0; i < taken.size(); ++i) {
      if (taken[i].PathEnd) {
        EXPECT_EQ(taken[i].Entry.Name, u"end " + ToU16(files[file - 1]));
        continue;
      }
      ASSERT_LT(file, files.size());
      EXPECT_EQ(taken[i].Entry.Name, ToU16(files[file]));
      const TFileCheck alone = CheckFile(ToU16(files[file]));
      EXPECT_EQ(taken[i].Check.Verdict.Kind, alone.Verdict.Kind) << file;
      EXPECT_EQ(taken[i].Check.FileSize, alone.FileSize) << file;
      EXPECT_EQ(taken[i].Check.Stream.Frames, alone.Stream.Frames) << file;
      ++file;
    }
    EXPECT_EQ(file, files.size());
  }
}

TEST(AnalysisQueue, HoldsAFewEntriesPerJobAtMost) {
  const TTempFolder folder;
  const std::filesystem::path file = folder.Write("a.mp3", {'x'});
  TAnalysisQueue queue(2, TAnalysisNeeds{});
  for (std::size_t i = 0; i < 2 * EntriesPerJob; ++i) {
    EXPECT_TRUE(queue.HasRoom());
    queue.Add(FileEntry(file));
  }
  EXPECT_FALSE(queue.HasRoom());
  EXPECT_FALSE(queue.TakeReady(true).empty());
  EXPECT_TRUE(queue.HasRoom());
}

TEST(AnalysisQueue, OneJobReadsAFileOnlyWhenItIsWaitedFor) {
  const TTempFolder folder;
  TAnalysisQueue queue(1, TAnalysisNeeds{});
  queue.Add(FileEntry(folder.Write("a.mp3", ReadFileBytes(SampleMp3Files().front()))));
  EXPECT_TRUE(queue.TakeReady(false).empty());
  const std::vector<TQueuedEntry> taken = queue.TakeReady(true);
  ASSERT_EQ(taken.size(), 1u);
  EXPECT_EQ(taken[0].Check.Verdict.Kind, TVerdictKind::Ok);
}

}  // namespace
}  // namespace kestrix::test
