#include "reader/StreamPass.h"

#include <algorithm>

namespace kestrix {

namespace {

// Hands the blocks of one stretch of the file to the consumers whose
// ranges they meet.
class TDispatch final : public platform::TBlockSink {
 public:
  TDispatch(std::int64_t Start, const std::vector<TPassConsumer*>& Consumers,
            const std::vector<TByteRange>& Ranges)
      : Offset(Start), Consumers(Consumers), Ranges(Ranges) {}

  void Take(const std::uint8_t* Data, std::size_t Size) override {
    const std::int64_t end = Offset + static_cast<std::int64_t>(Size);
    for (std::size_t i = 0; i < Consumers.size(); ++i) {
      const std::int64_t from = std::max(Offset, Ranges[i].Begin);
      const std::int64_t to = std::min(end, Ranges[i].End);
      if (from < to) {
        Consumers[i]->Take(from, Data + (from - Offset), static_cast<std::size_t>(to - from));
      }
    }
    Offset = end;
  }

  std::int64_t Reached() const { return Offset; }

 private:
  std::int64_t Offset;
  const std::vector<TPassConsumer*>& Consumers;
  const std::vector<TByteRange>& Ranges;
};

// The stretches to read: the ranges, joined where they overlap or lie
// less than a block apart.
std::vector<TByteRange> Stretches(std::vector<TByteRange> Ranges, std::int64_t BlockSize) {
  Ranges.erase(std::remove_if(Ranges.begin(), Ranges.end(),
                              [](const TByteRange& Range) { return Range.IsEmpty(); }),
               Ranges.end());
  std::sort(Ranges.begin(), Ranges.end(),
            [](const TByteRange& A, const TByteRange& B) { return A.Begin < B.Begin; });
  std::vector<TByteRange> stretches;
  for (const TByteRange& range : Ranges) {
    if (!stretches.empty() && range.Begin <= stretches.back().End + BlockSize) {
      stretches.back().End = std::max(stretches.back().End, range.End);
    } else {
      stretches.push_back(range);
    }
  }
  return stretches;
}

}  // namespace

void RunPass(platform::TStream& Stream, platform::TReadBuffer& Buffer,
             const std::vector<TPassConsumer*>& Consumers) {
  std::vector<TByteRange> ranges;
  for (const TPassConsumer* consumer : Consumers) {
    TByteRange range = consumer->Range();
    range.Begin = std::max<std::int64_t>(range.Begin, 0);
    ranges.push_back(range);
  }
  // Where the file ended, when it ended inside a stretch.
  std::int64_t fileEnd = -1;
  for (const TByteRange& stretch : Stretches(ranges, Buffer.Size())) {
    if (fileEnd >= 0) {
      break;
    }
    TDispatch dispatch(stretch.Begin, Consumers, ranges);
    Stream.Seek(stretch.Begin);
    Stream.ReadBlocks(stretch.End - stretch.Begin, Buffer, dispatch);
    if (dispatch.Reached() < stretch.End) {
      fileEnd = dispatch.Reached();
    }
  }
  for (std::size_t i = 0; i < Consumers.size(); ++i) {
    std::int64_t end = std::max(ranges[i].Begin, ranges[i].End);
    if (fileEnd >= 0) {
      end = std::max(ranges[i].Begin, std::min(end, fileEnd));
    }
    Consumers[i]->Finish(end);
  }
}

void RunPass(platform::TStream& Stream, const std::vector<TPassConsumer*>& Consumers) {
  platform::TReadBuffer buffer;
  RunPass(Stream, buffer, Consumers);
}

}  // namespace kestrix
