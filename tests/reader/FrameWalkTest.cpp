#include "reader/FrameWalk.h"

#include <gtest/gtest.h>

#include <numeric>
#include <sstream>

#include "reader/TagLayout.h"
#include "support/StreamBuilder.h"

namespace kestrix::test {
namespace {

std::string Summary(const TStreamFacts& F) {
  if (!F.HasStream) {
    return "not_mp3";
  }
  std::ostringstream s;
  s << "at " << F.FirstFrame << ": " << F.Frames << " frames, " << F.Bytes << " bytes";
  const auto add = [&](bool Present, const auto&... Parts) {
    if (Present) {
      ((s << " " << Parts), ...);
    }
  };
  add(F.BitrateMode != TBitrateMode::CBR, BitrateModeName(F.BitrateMode));
  add(F.VbrHeader.has_value(), F.VbrHeader ? VbrHeaderKindName(F.VbrHeader->Kind) : "", "header");
  add(F.ProtectedFrames != 0, "protected", F.ProtectedFrames);
  add(F.FrameCRC != 0, "crc", F.FrameCRC);
  add(F.TruncatedFrame != 0, "truncated", F.TruncatedFrame);
  add(F.LostSync.Events != 0, "lost", F.LostSync.Events, F.LostSync.Bytes, "at",
      F.LostSync.FirstOffset);
  add(F.MixedStream, "mixed");
  add(F.JunkBefore != 0, "junk before", F.JunkBefore);
  add(F.JunkAfter != 0, "junk after", F.JunkAfter, "zeros", F.TrailingZeros);
  add(F.MainDataBegin != 0, "main data begin", F.MainDataBegin);
  return s.str();
}

// Every frame the walk tells of, with a checksum of the bytes it lends.
class TFrameLog final : public TFrameListener {
 public:
  void OnFrame(const TFrameEvent& Frame) override {
    Log << Frame.Offset << (Frame.IsAudio ? "" : " header") << (Frame.IsComplete ? "" : " cut")
        << " " << Frame.Size << " " << std::accumulate(Frame.Bytes, Frame.Bytes + Frame.Size, 0)
        << "; ";
  }
  std::ostringstream Log;
};

// The facts and the frames told of, the region handed over in a first
// piece and then pieces of Piece bytes (0: one piece each).
std::string Walk(const TBytes& File, TByteRange Region, std::int64_t First = 0,
                 std::int64_t Piece = 0) {
  TFrameLog log;
  TFrameWalk walk(Region, &log);
  for (std::int64_t at = Region.Begin, size = First; at < Region.End; size = Piece) {
    size = size > 0 ? std::min(size, Region.End - at) : Region.End - at;
    walk.Take(at, File.data() + at, static_cast<std::size_t>(size));
    at += size;
  }
  walk.Finish(Region.End);
  return Summary(walk.Facts()) + "\n" + log.Log.str();
}

// The walk's answer over the region between the file's tags, whatever the
// pieces: whole, bytewise, in 7-byte pieces and cut in two at every offset.
void ExpectWalk(const std::string& Expected, const TBytes& File) {
  TMemoryStream stream(File);
  const TByteRange region = ReadTagLayout(stream, stream.Size()).StreamRegion;
  const std::string whole = Walk(File, region);
  EXPECT_EQ(Expected, whole.substr(0, whole.find('\n')));
  EXPECT_EQ(whole, Walk(File, region, 1, 1)) << "bytewise";
  EXPECT_EQ(whole, Walk(File, region, 7, 7)) << "7-byte pieces";
  for (std::int64_t cut = 1; cut < region.End - region.Begin; ++cut) {
    if (Walk(File, region, cut) != whole) {
      ADD_FAILURE() << "cut at " << cut << ": " << Walk(File, region, cut);
      break;
    }
  }
}

TBytes Cut(TBytes Bytes, std::size_t Size) {
  Bytes.resize(Size);
  return Bytes;
}

const TFrameSpec Plain;  // 417 bytes
const TFrameSpec Padded = Plain.With(&TFrameSpec::Padding);
const TFrameSpec Protected = Plain.With(&TFrameSpec::Protected);
const TFrameSpec Free = TFrameSpec().Free(600);
const TFrameSpec FreePadded = Free.With(&TFrameSpec::Padding);
const TFrameSpec Low = TFrameSpec().Set(TVersion::MPEG2, 8, 0);  // 64 kbit/s, 22.05 kHz: 208 bytes
const TFrameSpec Lowest = TFrameSpec().Set(TVersion::MPEG25, 4, 2).With(&TFrameSpec::Mono);  // 288
const TFrameSpec Faster = TFrameSpec().Set(TVersion::MPEG1, 10, 0);  // 160 kbit/s: 522 bytes
const TFrameSpec MidStream = [] {
  TFrameSpec plan = Protected;
  plan.MainDataBegin = 464;
  return plan;
}();
const TFrameSpec MidStreamLow = [] {
  TFrameSpec plan = Low;
  plan.MainDataBegin = 200;
  return plan;
}();

TEST(FrameWalkTest, EveryRuleAtItsEdges) {
  const struct {
    const char* Name;
    TBytes File;
    const char* Expected;
  } cases[] = {
      {"intact", Frames(Plain, 10), "at 0: 10 frames, 4170 bytes"},
      {"one frame", Frame(Plain), "at 0: 1 frames, 417 bytes"},
      {"padding", Join({Frame(Plain), Frame(Padded), Frame(Padded), Frame(Plain)}),
       "at 0: 4 frames, 1670 bytes"},
      {"MPEG-2.5 mono", Frames(Lowest, 4), "at 0: 4 frames, 1152 bytes"},
      {"bitrates vary", Join({Frames(Plain, 2), Frames(Faster, 2)}),
       "at 0: 4 frames, 1878 bytes vbr"},
      {"free format: length less the first padding",
       Join({Frame(FreePadded), Frame(Free), Frame(FreePadded), Frame(Free), Frame(Free)}),
       "at 0: 5 frames, 3002 bytes free"},
      {"free format, two frames to the end", Frames(Free, 2), "at 0: 2 frames, 1200 bytes free"},
      {"free format, one frame: no next header", Frame(Free), "not_mp3"},
      {"free format found again with its own length",
       Join({Frames(Free, 4), Filled(50), Frames(TFrameSpec().Free(700), 4)}),
       "at 0: 8 frames, 5250 bytes free lost 1 50 at 2400"},
      {"three frames after junk, to the end", Join({Filled(100), Frames(Plain, 3)}),
       "at 100: 3 frames, 1251 bytes junk before 100"},
      {"three frames after junk, then junk", Join({Filled(100), Frames(Plain, 3), Filled(10)}),
       "not_mp3"},
      {"three frames and a cut fourth", Join({Frames(Plain, 3), Cut(Frame(Plain), 100)}),
       "at 0: 3 frames, 1351 bytes truncated 317"},
      {"a first frame cut short", Cut(Frame(Plain), 300), "not_mp3"},
      {"one frame and a cut second", Join({Frame(Plain), Cut(Frame(Plain), 100)}),
       "at 0: 1 frames, 517 bytes truncated 317"},
      {"two frames and a cut third, behind an ID3v2 tag",
       Join({Id3v2Tag(30), Frames(Free, 2), Cut(Frame(Free), 5)}),
       "at 40: 2 frames, 1205 bytes free truncated 595"},
      {"one frame and a cut second, not at the start",
       Join({Filled(1), Frame(Plain), Cut(Frame(Plain), 100)}), "not_mp3"},
      {"one frame and a cut second of another stream", Join({Frame(Plain), Cut(Frame(Low), 100)}),
       "not_mp3"},
      {"a VBR header frame, then junk",
       Join({VbrFrame(Plain, {"Xing", 10, {}, {}, false}), Filled(500, 0)}),
       "at 0: 0 frames, 417 bytes Xing header junk after 500 zeros 869"},
      {"a VBR header frame cut short", Cut(VbrFrame(Plain, {"Info", 10, {}, {}, true}), 200),
       "at 0: 0 frames, 200 bytes truncated 217"},
      {"a VBR header frame after junk",
       Join({Filled(7), VbrFrame(Plain, {"Xing", 1, {}, {}, false}), Filled(20)}), "not_mp3"},
      {"the first audio frame takes data from before it",
       Join({VbrFrame(Plain, {"Xing", 3, {}, {}, false}), Frame(MidStream), Frames(Plain, 2)}),
       "at 0: 3 frames, 1668 bytes Xing header protected 1 main data begin 464"},
      {"the same in MPEG-2", Join({Frame(MidStreamLow), Frames(Low, 4)}),
       "at 0: 5 frames, 1040 bytes main data begin 200"},
      {"zeros behind other junk", Join({Frames(Plain, 5), Filled(100), Filled(50, 0)}),
       "at 0: 5 frames, 2085 bytes junk after 150 zeros 50"},
      {"truncated last frame", Join({Frames(Plain, 10), Cut(Frame(Plain), 200)}),
       "at 0: 10 frames, 4370 bytes truncated 217"},
      {"cut after two header bytes", Join({Frames(Plain, 10), Cut(Frame(Plain), 2)}),
       "at 0: 10 frames, 4172 bytes truncated 415"},
      {"cut after three header bytes", Join({Frames(Plain, 10), Cut(Frame(Padded), 3)}),
       "at 0: 10 frames, 4173 bytes truncated 415"},
      {"two bytes of another version", Join({Frames(Plain, 10), TBytes{0xFF, 0xF3}}),
       "at 0: 10 frames, 4170 bytes junk after 2 zeros 0"},
      {"three bytes with bitrate index 15", Join({Frames(Plain, 10), TBytes{0xFF, 0xFB, 0xF0}}),
       "at 0: 10 frames, 4170 bytes junk after 3 zeros 0"},
      {"junk after", Join({Frames(Plain, 5), Filled(3000, 0xFF)}),
       "at 0: 5 frames, 2085 bytes junk after 3000 zeros 0"},
      {"lost sync twice",
       Join({Frames(Plain, 5), Filled(100), Frames(Plain, 5), Filled(50, 0xFF), Frames(Plain, 5)}),
       "at 0: 15 frames, 6405 bytes lost 2 150 at 2085"},
      {"splice of 44.1 and 22.05 kHz", Join({Frames(Plain, 5), Frames(Low, 5)}),
       "at 0: 10 frames, 3125 bytes vbr mixed"},
      {"splice after junk", Join({Frames(Plain, 5), Filled(30), Frames(Low, 5)}),
       "at 0: 10 frames, 3155 bytes vbr lost 1 30 at 2085 mixed"},
      {"protected, one bad CRC",
       Join({Frames(Protected, 3), Frame(Protected.With(&TFrameSpec::BadCRC)),
             Frames(Protected, 2)}),
       "at 0: 6 frames, 2502 bytes protected 6 crc 1"},
      {"VBR header frame", Join({VbrFrame(Plain, {"Xing", 10, 4587, {}, true}), Frames(Plain, 10)}),
       "at 0: 10 frames, 4587 bytes Xing header"},
      {"VBR header frame alone", VbrFrame(Protected, {"Info", 0, 417, {}, false}),
       "at 0: 0 frames, 417 bytes Info header protected 1"},
      {"a frame ends exactly at an ID3v1 tag", Join({Id3v2Tag(100), Frames(Plain, 5), Id3v1Tag()}),
       "at 110: 5 frames, 2085 bytes"},
      {"a frame cut by an APEv2 tag",
       Join({Frames(Plain, 5), Cut(Frame(Plain), 400), Apev2Tag({}, true)}),
       "at 0: 5 frames, 2485 bytes truncated 17"},
      {"noise", Noise(60000), "not_mp3"},
      {"sync bytes only", Filled(5000, 0xFF), "not_mp3"},
      {"empty", TBytes(), "not_mp3"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    ExpectWalk(c.Expected, c.File);
  }
}

TEST(FrameWalkTest, FactsOfASplice) {
  TFrameWalk walk({0, 3125});
  const TBytes file = Join({Frames(Plain, 5), Frames(Low, 5)});
  walk.Take(0, file.data(), file.size());
  walk.Finish(3125);
  const TStreamFacts& facts = walk.Facts();
  EXPECT_EQ(TVersion::MPEG1, facts.Version);
  EXPECT_EQ(44100, facts.SampleRate);
  EXPECT_EQ(2, facts.Channels);
  EXPECT_EQ(5 * 1152 + 5 * 576, facts.FrameSamples);
  const double duration = 5 * 1152 / 44100.0 + 5 * 576 / 22050.0;
  EXPECT_DOUBLE_EQ(duration, facts.Duration);
  EXPECT_DOUBLE_EQ(8 * 3125 / duration / 1000, facts.AverageBitrate.value_or(0));
}

// The average bitrate is the complete audio frames' bytes over their time.
TEST(FrameWalkTest, AverageBitrateOfTheAudioFramesOnly) {
  const TBytes file =
      Join({VbrFrame(Faster, {"Xing", 4, {}, {}, false}), Frames(Plain, 4), Cut(Frame(Plain), 99)});
  TFrameWalk walk({0, static_cast<std::int64_t>(file.size())});
  walk.Take(0, file.data(), file.size());
  walk.Finish(static_cast<std::int64_t>(file.size()));
  EXPECT_DOUBLE_EQ(8 * 4 * 417 / (4 * 1152 / 44100.0) / 1000, *walk.Facts().AverageBitrate);
}

TEST(FrameWalkTest, TellsEachFrameWithItsSideInformation) {
  const TBytes file = Join({Id3v2Tag(10), VbrFrame(Protected, {"Xing", 1, {}, {}, false}),
                            Frame(Protected), Frame(Plain), Cut(Frame(Protected), 30)});
  std::string expected = "at 20: 2 frames, 1281 bytes Xing header protected 2 truncated 387\n";
  for (const auto& [at, kind, size] : {std::tuple{20, " header", 38}, std::tuple{437, "", 38},
                                       std::tuple{854, "", 36}, std::tuple{1271, " cut", 30}}) {
    expected += std::to_string(at) + kind + " " + std::to_string(size) + " " +
                std::to_string(std::accumulate(file.begin() + at, file.begin() + at + size, 0)) +
                "; ";
  }
  EXPECT_EQ(expected, Walk(file, {20, static_cast<std::int64_t>(file.size())}));
}

TEST(FrameWalkTest, BlocksOfThePassGiveTheSameAnswer) {
  // Over four blocks of the pass: free-format frames of 8 KiB, junk across
  // the first block edge, a stream found again 300 bytes before the third.
  const TFrameSpec large = TFrameSpec().Free(8000);
  const TBytes file = Join({Frames(Plain, 300), Filled(7000, 0xFF), Frames(large, 20),
                            Noise(100816), Frames(Low, 300), Cut(Frame(Low), 100)});
  const auto end = static_cast<std::int64_t>(file.size());
  const std::string expected = Walk(file, {0, end}, 1, 1);
  EXPECT_EQ(0u, expected.find("at 0: 620 frames, 455416 bytes vbr truncated 108 lost 2 107816 at "
                              "125100 mixed\n"));
  for (const std::int64_t piece : {std::int64_t{0}, std::int64_t{5000}}) {
    TMemoryStream stream(file, piece);
    TFrameLog log;
    TFrameWalk walk({0, end}, &log);
    RunPass(stream, {&walk});
    EXPECT_EQ(expected, Summary(walk.Facts()) + "\n" + log.Log.str()) << piece;
  }
}

TEST(FrameWalkTest, AFileThatEndsEarlyEndsTheRegion) {
  const TBytes file = Join({Frames(Plain, 4), Cut(Frame(Plain), 100)});
  TFrameWalk walk({0, 5000});
  walk.Take(0, file.data(), file.size());
  walk.Finish(static_cast<std::int64_t>(file.size()));
  EXPECT_EQ("at 0: 4 frames, 1768 bytes truncated 317", Summary(walk.Facts()));
}

}  // namespace
}  // namespace kestrix::test
