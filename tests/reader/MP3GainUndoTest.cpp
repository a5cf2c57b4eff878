#include "reader/MP3GainUndo.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "reader/CRC16.h"
#include "reader/MP3GainSearch.h"
#include "support/StreamBuilder.h"

namespace kestrix::test {
namespace {

TEST(MP3GainUndoTest, ParsesTheStepsOfTheUndoText) {
  const struct {
    const char* Text;
    const char* Expected;
  } cases[] = {
      {"-003,-003,N", "-3 -3"}, {"+002,-001,Y", "2 -1"}, {"5,0", "5 0"},    {"", "none"},
      {"-003", "none"},         {"-003;-003,N", "none"}, {"x,1,N", "none"}, {"12345,1,N", "none"},
      {"1,2N", "none"},
  };
  for (const auto& c : cases) {
    const std::optional<TMP3GainSteps> steps = ParseMP3GainUndo(c.Text);
    EXPECT_EQ(c.Expected,
              steps ? std::to_string(steps->Left) + " " + std::to_string(steps->Right) : "none")
        << c.Text;
  }
  EXPECT_TRUE(ParseMP3GainUndo("-003,-003,W")->Wrap);
  EXPECT_FALSE(ParseMP3GainUndo("-003,-003,N")->Wrap);
}

TFrameSpec WithGains(TFrameSpec Plan, std::vector<std::uint8_t> Gains) {
  Plan.Gains = std::move(Gains);
  return Plan;
}

// MP3Gain leaves 0 alone and stops at 255 unless it wraps, so an undo
// leaves those fields too; a wrapped change is undone modulo 256.
TEST(MP3GainUndoTest, StepsEveryGlobalGainAsTheInverseOfMP3Gain) {
  const TFrameSpec mono = TFrameSpec().With(&TFrameSpec::Mono).With(&TFrameSpec::Protected);
  const TFrameSpec low = TFrameSpec().Set(TVersion::MPEG2, 8, 0);
  const TFrameSpec lowest = TFrameSpec().Set(TVersion::MPEG25, 4, 2).With(&TFrameSpec::Mono);
  const struct {
    TFrameSpec Plan;
    std::vector<std::uint8_t> Gains;
    std::vector<std::uint8_t> Stepped;  // by +3 left, -5 right
    bool Wrap;
  } cases[] = {
      {TFrameSpec(), {100, 200, 254, 4}, {103, 195, 255, 0}, false},  // L R L R by granule
      {TFrameSpec(), {255, 0, 253, 2}, {2, 251, 0, 253}, true},
      {mono, {0, 253}, {0, 255}, false},
      {mono, {255, 1}, {255, 4}, false},
      {low, {140, 3}, {143, 0}, false},
      {lowest, {7}, {10}, false},
  };
  for (const auto& c : cases) {
    TBytes frame = Frame(WithGains(c.Plan, c.Gains));
    const TBytes expected = Frame(WithGains(c.Plan, c.Stepped));
    const std::size_t end = SideInfoEnd(c.Plan.Header());
    ApplyGainSteps(frame.data(), end, {3, -5, c.Wrap});
    // The CRC word is not the gains' business.
    std::copy_n(expected.begin() + 4, 2, frame.begin() + 4);
    EXPECT_EQ(expected, frame);
  }
}

// Frames as MP3Gain left them, and the same frames before it changed them.
struct TGainedStream {
  TBytes Before;
  TBytes After;
};

// Every third frame without a CRC word; gains of 120 to 179, changed by
// Left and Right.
TGainedStream MakeStream(const TFrameSpec& Plan, int Count, int Left, int Right) {
  const int channels = Plan.Mono ? 1 : 2;
  const int parts = (Plan.Version == TVersion::MPEG1 ? 2 : 1) * channels;
  const TBytes header = VbrFrame(Plan, {"Info", static_cast<std::uint32_t>(Count), {}, {}, false});
  TGainedStream stream{header, header};
  for (int i = 0; i < Count; ++i) {
    TFrameSpec before = Plan.With(&TFrameSpec::Protected, i % 3 != 0);
    TFrameSpec after = before;
    for (int part = 0; part < parts; ++part) {
      const int gain = 120 + (i * 7 + part * 13) % 60;
      before.Gains.push_back(static_cast<std::uint8_t>(gain));
      after.Gains.push_back(
          static_cast<std::uint8_t>(gain + (part % channels == 0 ? Left : Right)));
    }
    stream.Before = Join({stream.Before, Frame(before)});
    stream.After = Join({stream.After, Frame(after)});
  }
  return stream;
}

TEST(MP3GainUndoTest, UndoneMusicCRCInTheSamePass) {
  const TFrameSpec low = TFrameSpec().Set(TVersion::MPEG2, 8, 0).With(&TFrameSpec::Mono);
  const struct {
    TFrameSpec Plan;
    int Left;  // what MP3Gain changed
    int Right;
    TByteRange Range;  // of the music CRC
  } cases[] = {
      {TFrameSpec(), 4, -2, {573, 16000}},  // from inside a side information
      {TFrameSpec(), 4, -2, {200, 90000}},  // past the file's end
      {low, -6, -6, {300, 5000}},
  };
  for (const auto& c : cases) {
    const TGainedStream gained = MakeStream(c.Plan, 40, c.Left, c.Right);
    const auto size = static_cast<std::int64_t>(gained.After.size());
    const std::int64_t end = std::min(c.Range.End, size);
    TMemoryStream stream(gained.After, 1000);
    TCRC16Consumer music(c.Range);
    TMP3GainUndoCRC undo(c.Range, {-c.Left, -c.Right});
    TFrameWalk walk({0, size}, &undo);
    RunPass(stream, {&music, &walk});
    const auto crcOf = [&](const TBytes& Bytes) {
      return UpdateCRC16(0, Bytes.data() + c.Range.Begin,
                         static_cast<std::int32_t>(end - c.Range.Begin));
    };
    ASSERT_NE(crcOf(gained.Before), music.Value());
    EXPECT_EQ(crcOf(gained.Before), undo.UndoneCRC(music.Value(), end)) << c.Range.Begin;
  }
}

// Hands every frame to each listener.
class TFanOut final : public TFrameListener {
 public:
  void OnFrame(const TFrameEvent& Frame) override {
    for (TFrameListener* listener : Listeners) {
      listener->OnFrame(Frame);
    }
  }
  std::vector<TFrameListener*> Listeners;
};

// The search's undo of every change agrees with the undo record's, whatever
// the range's ends cut, across a gap too far for a record and a second kind
// of frame, with the fold running as the buffer fills and only at the end.
TEST(MP3GainSearchTest, EveryChangeUndoneAsARecordWouldUndoIt) {
  const TFrameSpec low = TFrameSpec().Set(TVersion::MPEG2, 8, 0).With(&TFrameSpec::Mono);
  TFrameSpec edges = TFrameSpec();
  edges.Gains = {0, 255, 1, 254};
  const TBytes file = Join({MakeStream(TFrameSpec(), 40, 4, -2).After, Frames(edges, 2),
                            Filled(70000, 0x21), MakeStream(low, 20, 1, 1).After});
  const auto size = static_cast<std::int64_t>(file.size());
  for (const TByteRange range : {TByteRange{573, 417 * 30 + 10}, TByteRange{200, size + 1000}}) {
    for (const std::size_t buffer : {std::size_t{64}, TMP3GainSearch::DefaultBufferBytes}) {
      TMemoryStream stream(file);
      TCRC16Consumer music(range);
      TMP3GainSearch search(range, buffer);
      std::vector<TMP3GainUndoCRC> records;
      for (int change = -MaxUniformChange; change <= MaxUniformChange; ++change) {
        records.emplace_back(range, TMP3GainSteps{-change, -change, false});
      }
      TFanOut all;
      all.Listeners.push_back(&search);
      for (TMP3GainUndoCRC& record : records) {
        all.Listeners.push_back(&record);
      }
      TFrameWalk walk({0, size}, &all);
      RunPass(stream, {&music, &walk});
      for (int change = -MaxUniformChange; change <= MaxUniformChange; ++change) {
        EXPECT_EQ(records[static_cast<std::size_t>(change + MaxUniformChange)].UndoneCRC(
                      music.Value(), music.End()),
                  search.UndoneCRC(change, music.Value(), music.End()))
            << change << " in [" << range.Begin << ", " << range.End << "), buffer " << buffer;
      }
    }
  }
}

TEST(MP3GainSearchTest, FindsTheOneChangeThatRestoresTheCRC) {
  const TFrameSpec low = TFrameSpec().Set(TVersion::MPEG2, 8, 0).With(&TFrameSpec::Mono);
  for (const auto& [plan, change] : {std::pair{TFrameSpec(), 3}, std::pair{low, -5}}) {
    TGainedStream gained = MakeStream(plan, 30, change, change);
    const TByteRange range{200, static_cast<std::int64_t>(gained.After.size())};
    const auto crcOf = [&range](const TBytes& Bytes) {
      return UpdateCRC16(0, Bytes.data() + range.Begin,
                         static_cast<std::int32_t>(range.End - range.Begin));
    };
    for (const bool damaged : {false, true}) {
      TBytes after = gained.After;
      after[after.size() - 100] ^= damaged ? 0x01 : 0x00;  // audio data, not a gain
      TMemoryStream stream(after);
      TMP3GainSearch search(range);
      TFrameWalk walk(range, &search);
      RunPass(stream, {&walk});
      const std::optional<int> found =
          search.FindChange(crcOf(after), crcOf(gained.Before), range.End);
      EXPECT_EQ(damaged ? std::nullopt : std::optional<int>(change), found) << change;
    }
  }
}

}  // namespace
}  // namespace kestrix::test
