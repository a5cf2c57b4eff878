// A file that another process truncates, removes or replaces while the
// reader has it open: the reader goes on with what the open file holds and
// never fails.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "platform/FileStream.h"
#include "reader/BasicKestrixReader.h"
#include "reader/CRC16.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;

// A real file stream that runs Change once, as the first read at or past
// Trigger begins: the moment another process would step in.
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
    if (Change && Position >= Trigger) {
      Change();
      Change = nullptr;
    }
    const std::int64_t got = File.Read(Buffer, Count);
    Position += got;
    return got;
  }
  std::int64_t Size() override { return File.Size(); }

 private:
  std::int64_t Trigger;
  std::function<void()> Change;
  std::int64_t Position = 0;
};

constexpr std::int64_t MusicStart = 36 + 156;  // behind the tag of the default frame
constexpr std::int64_t CutAt = MusicStart + 5000;

class ChangingFileTest : public ::testing::Test {
 protected:
  ChangingFileTest() {
    TTagFileBuilder builder;
    builder.Music = TBytes(20000, 0x3C);
    for (std::size_t i = 0; i < builder.Music.size(); i += 7) {
      builder.Music[i] = static_cast<std::uint8_t>(i);
    }
    Bytes = builder.Build();
    Path = Folder.Write("changing.mp3", Bytes);
  }

  std::uint16_t CRCOfMusicUpTo(std::int64_t End) const {
    return UpdateCRC16(0, Bytes.data() + MusicStart, static_cast<std::int32_t>(End - MusicStart));
  }

  // Reads the file while Change happens at the given position.
  TBasicKestrixReader ReadWhile(std::int64_t Trigger, std::function<void()> Change,
                                bool& TagFound) {
    TChangingStream stream(Trigger, std::move(Change));
    EXPECT_TRUE(stream.File.Open(ToU16(Path)));
    return TBasicKestrixReader(stream, true, TagFound);
  }

  TTempFolder Folder;
  TBytes Bytes;
  fs::path Path;
};

TEST_F(ChangingFileTest, TruncatedDuringTheMusicCRC) {
  bool found = false;
  // The second read of the music then finds the file shorter.
  const auto reader = ReadWhile(
      MusicStart + 1, [&] { fs::resize_file(Path, CutAt); }, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(reader.GetActualInfoTagCRC(), reader.GetInfoTagCRC());
  // The CRC covers what was there when the reads came.
  EXPECT_EQ(reader.GetActualMusicCRC(), CRCOfMusicUpTo(CutAt));
  EXPECT_NE(reader.GetActualMusicCRC(), reader.GetMusicCRC());
}

TEST_F(ChangingFileTest, TruncatedBeforeTheTagIsRead) {
  bool found = true;
  const auto reader = ReadWhile(
      0, [&] { fs::resize_file(Path, 100); }, found);
  EXPECT_FALSE(found);
  EXPECT_EQ(reader.GetActualMusicCRC(), 0);
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
    bool found = false;
    const auto reader = ReadWhile(MusicStart, change, found);
    EXPECT_TRUE(found);
    EXPECT_EQ(reader.GetActualMusicCRC(), reader.GetMusicCRC());
    Path = Folder.Write("changing.mp3", Bytes);
  }
}

}  // namespace
}  // namespace kestrix::test
