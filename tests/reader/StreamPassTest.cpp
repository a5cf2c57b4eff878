#include "reader/StreamPass.h"

#include <gtest/gtest.h>

#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

// Keeps what it is handed and checks that it comes in order.
class TRecorder final : public TPassConsumer {
 public:
  explicit TRecorder(TByteRange Wanted) : Wanted(Wanted), Next(Wanted.Begin) {}
  TByteRange Range() const override { return Wanted; }
  void Take(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) override {
    EXPECT_EQ(Next, Offset);
    Bytes.insert(Bytes.end(), Data, Data + Size);
    Next = Offset + static_cast<std::int64_t>(Size);
  }
  void Finish(std::int64_t End) override { Ended = End; }

  TByteRange Wanted;
  std::int64_t Next;
  TBytes Bytes;
  std::int64_t Ended = -1;
};

TBytes Counting(std::size_t Size) {
  TBytes bytes(Size);
  for (std::size_t i = 0; i < Size; ++i) {
    bytes[i] = static_cast<std::uint8_t>(i * 13 + i / 251);
  }
  return bytes;
}

TBytes Slice(const TBytes& Bytes, std::int64_t Begin, std::int64_t End) {
  return TBytes(Bytes.begin() + Begin, Bytes.begin() + End);
}

TEST(StreamPassTest, EveryConsumerGetsExactlyItsRange) {
  const TBytes content = Counting(600000);
  for (const std::int64_t piece : {std::int64_t{0}, std::int64_t{1000}}) {
    SCOPED_TRACE(piece);
    TMemoryStream stream(content, piece);
    TRecorder head({0, 190}), music({192, 500000}), overlap({100, 300}), empty({50, 50});
    RunPass(stream, {&head, &music, &overlap, &empty});
    EXPECT_EQ(Slice(content, 0, 190), head.Bytes);
    EXPECT_EQ(Slice(content, 192, 500000), music.Bytes);
    EXPECT_EQ(Slice(content, 100, 300), overlap.Bytes);
    EXPECT_TRUE(empty.Bytes.empty());
    EXPECT_EQ(500000, music.Ended);
    EXPECT_EQ(50, empty.Ended);
    // One stretch, each byte read once.
    EXPECT_EQ(500000, stream.BytesDelivered);
  }
}

TEST(StreamPassTest, FarApartRangesSkipTheBytesBetween) {
  const TBytes content = Counting(1 << 20);
  TMemoryStream stream(content);
  TRecorder first({0, 10}), last({(1 << 20) - 10, 1 << 20});
  RunPass(stream, {&last, &first});
  EXPECT_EQ(Slice(content, 0, 10), first.Bytes);
  EXPECT_EQ(Slice(content, (1 << 20) - 10, 1 << 20), last.Bytes);
  EXPECT_EQ(20, stream.BytesDelivered);
}

TEST(StreamPassTest, ReadsBlocksOfTheBuffersSizeAndSkipsGapsLongerThanOne) {
  const TBytes content = Counting(5000);
  platform::TReadBuffer buffer(1000);
  TMemoryStream stream(content);
  TRecorder first({0, 2500}), second({3600, 5000});
  RunPass(stream, buffer, {&first, &second});
  EXPECT_EQ(Slice(content, 3600, 5000), second.Bytes);
  EXPECT_EQ((std::vector<std::int64_t>{1000, 1000, 500, 0, 1000, 400, 0}), stream.Requests);
}

TEST(StreamPassTest, FileEndingEarlyEndsEveryRangeThere) {
  const TBytes content = Counting(1000);
  TMemoryStream stream(content);
  TRecorder inside({0, 400}), across({300, 5000}), beyond({900000, 900100});
  RunPass(stream, {&inside, &across, &beyond});
  EXPECT_EQ(400, inside.Ended);
  EXPECT_EQ(1000, across.Ended);
  EXPECT_EQ(Slice(content, 300, 1000), across.Bytes);
  EXPECT_TRUE(beyond.Bytes.empty());
  EXPECT_EQ(900000, beyond.Ended);
}

}  // namespace
}  // namespace kestrix::test
