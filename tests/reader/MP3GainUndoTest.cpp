#include "reader/MP3GainUndo.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "reader/CRC16.h"
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
}

TFrameSpec WithGains(TFrameSpec Spec, std::vector<std::uint8_t> Gains) {
  Spec.Gains = std::move(Gains);
  return Spec;
}

TEST(MP3GainUndoTest, StepsEveryGlobalGainOnlyWithinTheByteRange) {
  const TFrameSpec mono = TFrameSpec().With(&TFrameSpec::Mono).With(&TFrameSpec::Protected);
  const TFrameSpec low = TFrameSpec().Set(TVersion::MPEG2, 8, 0);
  const TFrameSpec lowest = TFrameSpec().Set(TVersion::MPEG25, 4, 2).With(&TFrameSpec::Mono);
  const struct {
    TFrameSpec Spec;
    std::vector<std::uint8_t> Gains;
    std::vector<std::uint8_t> Stepped;  // by +3 left, -5 right
  } cases[] = {
      {TFrameSpec(), {100, 200, 254, 4}, {103, 195, 255, 0}},  // granule by granule, L R L R
      {mono, {0, 253}, {3, 255}},
      {low, {140, 3}, {143, 0}},
      {lowest, {7}, {10}},
  };
  for (const auto& c : cases) {
    TBytes frame = Frame(WithGains(c.Spec, c.Gains));
    const TBytes expected = Frame(WithGains(c.Spec, c.Stepped));
    const std::size_t end = SideInfoEnd(c.Spec.Header());
    ApplyGainSteps(frame.data(), end, {3, -5});
    // The CRC word is not the gains' business.
    std::copy_n(expected.begin() + 4, 2, frame.begin() + 4);
    EXPECT_EQ(expected, frame);
    // Without the side information there is nothing to change.
    frame = Frame(WithGains(c.Spec, c.Gains));
    ApplyGainSteps(frame.data(), SideInfoBegin(c.Spec.Header()), {3, -5});
    EXPECT_EQ(Frame(WithGains(c.Spec, c.Gains)), frame);
  }
}

// Frames as MP3Gain left them, and the same frames before it changed them.
struct TGainedStream {
  TBytes Before;
  TBytes After;
};

TGainedStream MakeStream(const TFrameSpec& Spec, int Count, int Left, int Right) {
  TGainedStream stream;
  const TBytes header = VbrFrame(Spec, {"Info", static_cast<std::uint32_t>(Count), {}, {}, false});
  stream.Before = stream.After = header;
  for (int i = 0; i < Count; ++i) {
    std::vector<std::uint8_t> gains;
    for (int part = 0; part < (Spec.Version == TVersion::MPEG1 ? 2 : 1) * (Spec.Mono ? 1 : 2);
         ++part) {
      gains.push_back(static_cast<std::uint8_t>(120 + (i * 7 + part * 13) % 60));
    }
    std::vector<std::uint8_t> changed = gains;
    for (std::size_t part = 0; part < changed.size(); ++part) {
      changed[part] = static_cast<std::uint8_t>(changed[part] +
                                                (part % (Spec.Mono ? 1 : 2) == 0 ? Left : Right));
    }
    TFrameSpec spec = Spec;
    spec.Protected = i % 3 != 0;
    stream.Before = Join({stream.Before, Frame(WithGains(spec, gains))});
    stream.After = Join({stream.After, Frame(WithGains(spec, changed))});
  }
  return stream;
}

TEST(MP3GainUndoTest, UndoneMusicCRCInTheSamePass) {
  const TFrameSpec low = TFrameSpec().Set(TVersion::MPEG2, 8, 0).With(&TFrameSpec::Mono);
  const struct {
    TFrameSpec Spec;
    int Left;  // what MP3Gain changed
    int Right;
    TByteRange Range;  // of the music CRC
  } cases[] = {
      {TFrameSpec(), 4, -2, {573, 16000}},  // from inside a side information
      {TFrameSpec(), 4, -2, {200, 90000}},  // past the file's end
      {low, -6, -6, {300, 5000}},
  };
  for (const auto& c : cases) {
    const TGainedStream gained = MakeStream(c.Spec, 40, c.Left, c.Right);
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
    ASSERT_EQ(crcOf(gained.After), music.Value());
    ASSERT_NE(crcOf(gained.Before), music.Value());
    EXPECT_EQ(crcOf(gained.Before), undo.UndoneCRC(music.Value(), end)) << c.Range.Begin;
  }
  // No steps: nothing changes.
  const TGainedStream same = MakeStream(TFrameSpec(), 5, 0, 0);
  TMP3GainUndoCRC undo({0, 3000}, {0, 0});
  TFrameWalk walk({0, static_cast<std::int64_t>(same.After.size())}, &undo);
  walk.Take(0, same.After.data(), same.After.size());
  walk.Finish(static_cast<std::int64_t>(same.After.size()));
  EXPECT_EQ(0x1234, undo.UndoneCRC(0x1234, 3000));
}

}  // namespace
}  // namespace kestrix::test
