// A file that another process truncates, removes or replaces while the
// check has it open: the reads go on with what the open file holds, end at
// its new end, and the verdict tells what was there.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/FileCheck.h"
#include "platform/FileStream.h"
#include "reader/CRC16.h"
#include "support/StreamBuilder.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;

// A real file stream that runs Change once, before the first read that
// begins at or past Trigger: the moment another process would step in.
// Blocks are read by the file itself, so a change lands between two of
// its reads.
class TChangingStream final : public platform::TStream {
 public:
  TChangingStream(std::int64_t Trigger, std::function<void()> Change)
      : Trigger(Trigger), Change(std::move(Change)) {}

  platform::TFileStream File;

  void Seek(std::int64_t NewPosition) override {
    Position = NewPosition;
    File.Seek(NewPosition);
  }
  std::int64_t Read(void* Buffer, std::int64_t Count) override {
    Reading();
    const std::int64_t got = File.Read(Buffer, Count);
    Position += got;
    return got;
  }
  std::int64_t Size() override { return File.Size(); }
  void ReadBlocks(std::int64_t Count, platform::TReadBuffer& Buffer,
                  platform::TBlockSink& Sink) override {
    Reading();
    TWatchedSink watched(*this, Sink);
    File.ReadBlocks(Count, Buffer, watched);
  }

 private:
  // Counts what a block read delivers, and steps in before the next block.
  class TWatchedSink final : public platform::TBlockSink {
   public:
    TWatchedSink(TChangingStream& Stream, platform::TBlockSink& Sink)
        : Stream(Stream), Sink(Sink) {}
    void Take(const std::uint8_t* Data, std::size_t Size) override {
      Sink.Take(Data, Size);
      Stream.Position += static_cast<std::int64_t>(Size);
      Stream.Reading();
    }

   private:
    TChangingStream& Stream;
    platform::TBlockSink& Sink;
  };

  void Reading() {
    if (Change && Position >= Trigger) {
      Change();
      Change = nullptr;
    }
  }

  std::int64_t Trigger;
  std::function<void()> Change;
  std::int64_t Position = 0;
};

constexpr std::int64_t MusicStart = 36 + 156;  // behind the tag of the default frame
constexpr std::int64_t CutAt = MusicStart + 5000;
// Small blocks, so that the file changes halfway through the music.
constexpr std::size_t Block = 4096;

class ChangingFileTest : public ::testing::Test {
 protected:
  ChangingFileTest() {
    TTagFileBuilder builder;
    TFrameSpec frame;
    frame.DataFill = 0x3C;
    builder.Music = Frames(frame, 48);
    Bytes = builder.Build();
    Path = Folder.Write("changing.mp3", Bytes);
  }

  std::uint16_t CRCOfMusicUpTo(std::int64_t End) const {
    return UpdateCRC16(0, Bytes.data() + MusicStart, static_cast<std::int32_t>(End - MusicStart));
  }

  // Checks the file while Change happens at the given position.
  TFileCheck CheckWhile(std::int64_t Trigger, std::function<void()> Change) {
    TChangingStream stream(Trigger, std::move(Change));
    EXPECT_TRUE(stream.File.Open(ToU16(Path)));
    return CheckStream(stream, Buffer);
  }

  TTempFolder Folder;
  TBytes Bytes;
  fs::path Path;
  platform::TReadBuffer Buffer{Block};
};

TEST_F(ChangingFileTest, TruncatedDuringThePass) {
  // The pass's second block then finds the file shorter.
  const TFileCheck check = CheckWhile(MusicStart + 1, [&] { fs::resize_file(Path, CutAt); });
  EXPECT_TRUE(check.HasLameTag());
  EXPECT_EQ(check.Verdict.ActualTagCRC, check.Verdict.StoredTagCRC);
  // The CRC covers what was there when the reads came, and says so.
  EXPECT_EQ(check.Verdict.ActualMusicCRC, CRCOfMusicUpTo(CutAt));
  EXPECT_EQ(TVerdictKind::Bad, check.Verdict.Kind);
  EXPECT_TRUE(check.Verdict.Has("music_crc"));
  EXPECT_TRUE(check.Verdict.Has("truncated_frame"));
}

TEST_F(ChangingFileTest, SeveralCutWhileReadAtOnceGiveTheVerdictOfOneAlone) {
  const TFileCheck alone = CheckWhile(MusicStart + 1, [&] { fs::resize_file(Path, CutAt); });
  constexpr int Files = 4;
  std::vector<fs::path> paths;
  for (int i = 0; i < Files; ++i) {
    paths.push_back(Folder.Write("copy" + std::to_string(i) + ".mp3", Bytes));
  }
  std::vector<TFileCheck> checks(Files);
  std::vector<std::thread> threads;
  for (int i = 0; i < Files; ++i) {
    threads.emplace_back([&, i] {
      TChangingStream stream(MusicStart + 1, [&] { fs::resize_file(paths[i], CutAt); });
      platform::TReadBuffer buffer(Block);
      if (stream.File.Open(ToU16(paths[i]))) {
        checks[i] = CheckStream(stream, buffer);
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
  for (const TFileCheck& check : checks) {
    EXPECT_EQ(check.Verdict.Kind, alone.Verdict.Kind);
    EXPECT_EQ(check.Verdict.Problems, alone.Verdict.Problems);
    EXPECT_EQ(check.Verdict.ActualMusicCRC, alone.Verdict.ActualMusicCRC);
    EXPECT_EQ(check.Stream.Frames, alone.Stream.Frames);
  }
}

TEST_F(ChangingFileTest, TruncatedBeforeTheTagIsRead) {
  const TFileCheck check = CheckWhile(0, [&] { fs::resize_file(Path, 100); });
  EXPECT_FALSE(check.HasLameTag());
  EXPECT_NE(TVerdictKind::Error, check.Verdict.Kind);
}

TEST_F(ChangingFileTest, RemovedOrReplacedWhileOpenReadsTheOpenFile) {
#ifdef _WIN32
  GTEST_SKIP() << "an open file cannot be removed or replaced here";
#endif
  const fs::path other = Folder.Write("other.mp3", TBytes(100, 0));
  const std::function<void()> changes[] = {
      [&] { fs::remove(Path); },
      [&] { fs::rename(other, Path); },
  };
  for (const auto& change : changes) {
    const TFileCheck check = CheckWhile(MusicStart + 1, change);
    EXPECT_TRUE(check.HasLameTag());
    EXPECT_EQ(TVerdictKind::Ok, check.Verdict.Kind);
    EXPECT_EQ(check.Verdict.ActualMusicCRC, check.Verdict.StoredMusicCRC);
    Path = Folder.Write("changing.mp3", Bytes);
  }
}

}  // namespace
}  // namespace kestrix::test
