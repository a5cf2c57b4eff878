#include "platform/FileStream.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <limits>
#include <string>
#include <utility>

#include "analysis/FileCheck.h"
#include "platform/KestrixError.h"
#include "reader/BasicKestrixReader.h"
#include "reader/CRC16.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

using platform::TFileStream;

TBytes Numbered(std::size_t Size) {
  TBytes bytes(Size);
  for (std::size_t i = 0; i < Size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(i % 251);
  }
  return bytes;
}

TBytes ReadAll(TFileStream& Stream, std::int64_t Count) {
  TBytes buffer(static_cast<std::size_t>(Count), 0);
  const std::int64_t got = Stream.Read(buffer.data(), Count);
  buffer.resize(static_cast<std::size_t>(std::max<std::int64_t>(got, 0)));
  return buffer;
}

class FileStreamTest : public testing::Test {
 protected:
  TTempFolder Folder;
  TBytes Content = Numbered(10000);
  std::filesystem::path File = Folder.Write("data.bin", Content);
};

TEST_F(FileStreamTest, ReadsFromStoredPositionAndAdvances) {
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(File)));
  EXPECT_TRUE(stream.IsOpen());
  EXPECT_EQ(TBytes(Content.begin(), Content.begin() + 10), ReadAll(stream, 10));
  EXPECT_EQ(TBytes(Content.begin() + 10, Content.begin() + 14), ReadAll(stream, 4));
  stream.Seek(9000);
  EXPECT_EQ(TBytes(Content.begin() + 9000, Content.begin() + 9037), ReadAll(stream, 37));
  stream.Seek(0);
  EXPECT_EQ(Content, ReadAll(stream, 10000));
}

TEST_F(FileStreamTest, ReadAtEndDeliversWhatIsLeft) {
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(File)));
  stream.Seek(9990);
  EXPECT_EQ(TBytes(Content.begin() + 9990, Content.end()), ReadAll(stream, 4096));
  EXPECT_TRUE(ReadAll(stream, 4096).empty());
}

TEST_F(FileStreamTest, PositionsOutsideTheFileReadNothing) {
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(File)));
  stream.Seek(10000);
  EXPECT_TRUE(ReadAll(stream, 10).empty());
  stream.Seek(std::int64_t{1} << 40);
  EXPECT_TRUE(ReadAll(stream, 10).empty());
  stream.Seek(-1);
  EXPECT_TRUE(ReadAll(stream, 10).empty());
  stream.Seek(std::numeric_limits<std::int64_t>::max());
  EXPECT_TRUE(ReadAll(stream, 10).empty());
}

TEST_F(FileStreamTest, NonPositiveCountReadsNothing) {
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(File)));
  std::uint8_t byte = 0xAA;
  EXPECT_EQ(0, stream.Read(&byte, 0));
  EXPECT_EQ(0, stream.Read(&byte, -1));
  EXPECT_EQ(0xAA, byte);
  EXPECT_EQ(TBytes{Content[0]}, ReadAll(stream, 1));
}

TEST_F(FileStreamTest, RefusesMissingFileAndFolder) {
  TFileStream stream;
  EXPECT_FALSE(stream.Open(ToU16(Folder.Path() / "missing.bin")));
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_FALSE(stream.Open(ToU16(Folder.Path())));
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_FALSE(stream.Open(u""));
}

TEST_F(FileStreamTest, RefusesNameWithZeroCharacter) {
  // Cut at the zero, the name would be that of an existing file.
  std::u16string name = ToU16(File);
  name += u'\0';
  name += u"x";
  TFileStream stream;
  EXPECT_FALSE(stream.Open(name));
}

TEST_F(FileStreamTest, ClosedStreamReadsNothing) {
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(File)));
  stream.Close();
  EXPECT_FALSE(stream.IsOpen());
  EXPECT_TRUE(ReadAll(stream, 10).empty());
  TFileStream never;
  EXPECT_TRUE(ReadAll(never, 10).empty());
}

TEST_F(FileStreamTest, ReopenStartsAtZero) {
  const auto other = Folder.Write("other.bin", TBytes{7, 8, 9});
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(File)));
  stream.Seek(500);
  ASSERT_TRUE(stream.Open(ToU16(other)));
  EXPECT_EQ((TBytes{7, 8, 9}), ReadAll(stream, 10));
}

TEST_F(FileStreamTest, OpensUtf8Name) {
  Folder.Write("caf\xC3\xA9 \xE2\x99\xAB.mp3", TBytes{1, 2});
  TFileStream stream;
  ASSERT_TRUE(stream.Open(Folder.Path().u16string() + u"/caf\u00e9 \u266b.mp3"));
  EXPECT_EQ((TBytes{1, 2}), ReadAll(stream, 2));
}

#ifndef _WIN32
// Names that are not UTF-8 exist only on POSIX systems.
TEST_F(FileStreamTest, OpensNameThatIsNotUtf8) {
  // Bytes of a name that is not UTF-8 travel as lone surrogates U+DC80..U+DCFF.
  const std::filesystem::path path = Folder.Path() / std::string("caf\xE9.mp3");
  Folder.Write(std::string("caf\xE9.mp3"), TBytes{3, 4});
  ASSERT_TRUE(std::filesystem::exists(path));
  TFileStream stream;
  ASSERT_TRUE(stream.Open(Folder.Path().u16string() + u"/caf\xDCE9.mp3"));
  EXPECT_EQ((TBytes{3, 4}), ReadAll(stream, 2));
  EXPECT_FALSE(stream.Open(Folder.Path().u16string() + u"/caf\u00E9.mp3"));
}
#endif

TEST_F(FileStreamTest, FifoOpensWithoutWaiting) {
  const std::filesystem::path fifo = Folder.Path() / "pipe.mp3";
  const std::string command = "mkfifo '" + fifo.string() + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) {
    GTEST_SKIP() << "cannot make a FIFO here";
  }
  // No writer is connected; a blocking open would hang here.
  TFileStream stream;
  if (stream.Open(ToU16(fifo))) {
    EXPECT_TRUE(ReadAll(stream, 10).empty());
  }
  EXPECT_FALSE(CheckFile(ToU16(fifo)).HasLameTag());
}

// --- Checksumming a region --------------------------------------------------

// The CRC of the blocks a read hands over, from a given start value.
class TCRCSink : public platform::TBlockSink {
 public:
  explicit TCRCSink(std::uint16_t Start = 0) : CRC(Start) {}
  void Take(const std::uint8_t* Data, std::size_t Size) override {
    CRC = UpdateCRC16(CRC, Data, static_cast<std::int32_t>(Size));
  }
  std::uint16_t CRC;
};

std::uint16_t ReadBlocksCRC(TFileStream& Stream, std::int64_t Count, platform::TReadBuffer& Buffer,
                            std::uint16_t Start = 0) {
  TCRCSink sink(Start);
  Stream.ReadBlocks(Count, Buffer, sink);
  return sink.CRC;
}

std::uint16_t CRCOfRange(const TBytes& Bytes, std::size_t Begin, std::size_t End) {
  End = std::min(End, Bytes.size());
  Begin = std::min(Begin, End);
  return UpdateCRC16(0, Bytes.data() + Begin, static_cast<std::int32_t>(End - Begin));
}

TEST(FileStreamFoldTest, RegionsOfEverySizeGiveTheValueOfTheirBytes) {
  const TTempFolder folder;
  const TBytes content = Noise((3 << 20) + 4321);
  const auto file = folder.Write("music.mp3", content);
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(file)));
  // One buffer for every region, as a run keeps it from file to file.
  platform::TReadBuffer buffer;
  constexpr std::size_t KiB = 1024;
  for (const std::size_t start :
       {std::size_t{0}, std::size_t{1}, std::size_t{190}, 4097 * KiB / 4}) {
    for (const std::size_t count : {std::size_t{1}, std::size_t{190}, 128 * KiB - 1, 128 * KiB,
                                    128 * KiB + 1, 256 * KiB, 1000 * KiB + 3, content.size()}) {
      SCOPED_TRACE(testing::Message() << start << " + " << count);
      stream.Seek(static_cast<std::int64_t>(start));
      EXPECT_EQ(CRCOfRange(content, start, start + count),
                ReadBlocksCRC(stream, static_cast<std::int64_t>(count), buffer));
      // The next read starts behind the region, or at the end of the file.
      const std::size_t next = std::min(start + count, content.size());
      std::uint8_t byte = 0;
      if (next < content.size()) {
        ASSERT_EQ(1, stream.Read(&byte, 1));
        EXPECT_EQ(content[next], byte);
      } else {
        EXPECT_EQ(0, stream.Read(&byte, 1));
      }
    }
  }
}

TEST(FileStreamFoldTest, NothingToFold) {
  const TTempFolder folder;
  const auto file = folder.Write("music.mp3", Noise(5000));
  TFileStream stream;
  ASSERT_TRUE(stream.Open(ToU16(file)));
  platform::TReadBuffer buffer;
  EXPECT_EQ(0x1234u, ReadBlocksCRC(stream, 0, buffer, 0x1234));
  EXPECT_EQ(0x1234u, ReadBlocksCRC(stream, -7, buffer, 0x1234));
  stream.Seek(6000);
  EXPECT_EQ(0x1234u, ReadBlocksCRC(stream, 1 << 20, buffer, 0x1234));
  stream.Seek(-1);
  EXPECT_EQ(0x1234u, ReadBlocksCRC(stream, 100, buffer, 0x1234));
  TFileStream closed;
  EXPECT_EQ(0x1234u, ReadBlocksCRC(closed, 100, buffer, 0x1234));
}

// Cuts the file short as the first block is handed over, the way another
// program might while the CRC is computed.
class TShrinkingSink final : public TCRCSink {
 public:
  TShrinkingSink(std::filesystem::path File, std::uintmax_t ShrinkTo)
      : File(std::move(File)), ShrinkTo(ShrinkTo) {}
  void Take(const std::uint8_t* Data, std::size_t Size) override {
    if (Taken == 0) {
      std::filesystem::resize_file(File, ShrinkTo);
    }
    Taken += Size;
    TCRCSink::Take(Data, Size);
  }

  std::filesystem::path File;
  std::uintmax_t ShrinkTo;
  std::size_t Taken = 0;
};

TEST(FileStreamFoldTest, FileThatShrinksEndsTheRegionAtItsNewEnd) {
  const TTempFolder folder;
  const TBytes content = Noise(6 << 20);
  constexpr std::size_t Start = 100;
  constexpr std::size_t Block = 4096;
  platform::TReadBuffer buffer(Block);
  for (const std::uintmax_t shrinkTo : {std::uintmax_t{0}, std::uintmax_t{1} << 20}) {
    SCOPED_TRACE(shrinkTo);
    TShrinkingSink sink(folder.Write("shrinking.mp3", content), shrinkTo);
    TFileStream stream;
    ASSERT_TRUE(stream.Open(ToU16(sink.File)));
    stream.Seek(Start);
    stream.ReadBlocks(static_cast<std::int64_t>(content.size()), buffer, sink);
    // The block in hand when the cut came, then what is left of the file:
    // the bytes as they were, up to the new end.
    EXPECT_EQ(std::max<std::uintmax_t>(shrinkTo, Start + Block), Start + sink.Taken);
    EXPECT_EQ(CRCOfRange(content, Start, Start + sink.Taken), sink.CRC);
    std::uint8_t byte = 0;
    EXPECT_EQ(0, stream.Read(&byte, 1));
  }
}

#ifndef _WIN32
// Win32FileStream.ReaderLeavesNoHandleOpen counts handles on Windows.
// Counts the process's open descriptors where the system lists them.
bool CountOpenFiles(std::size_t& Count) {
  std::error_code error;
  std::filesystem::directory_iterator it("/proc/self/fd", error);
  if (error) {
    return false;
  }
  Count = static_cast<std::size_t>(std::distance(it, std::filesystem::directory_iterator()));
  return true;
}

TEST_F(FileStreamTest, AnalysisLeavesNoFileOpen) {
  std::size_t before = 0;
  if (!CountOpenFiles(before)) {
    GTEST_SKIP() << "open files cannot be counted here";
  }
  for (int i = 0; i < 20; ++i) {
    EXPECT_TRUE(CheckFile(ToU16(Folder.Write("tag.mp3", TTagFileBuilder().Build()))).HasLameTag());
    EXPECT_FALSE(CheckFile(ToU16(File)).HasLameTag());
    EXPECT_EQ(CheckFile(ToU16(Folder.Path())).Verdict.Kind, TVerdictKind::Error);
  }
  std::size_t after = 0;
  ASSERT_TRUE(CountOpenFiles(after));
  EXPECT_EQ(before, after);
}

#endif

}  // namespace
}  // namespace kestrix::test
