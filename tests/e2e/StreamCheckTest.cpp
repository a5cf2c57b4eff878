// The judging forms on real files: the bundled samples are intact and
// their lengths agree with their tags, the files of other encoders and
// tools are judged for their true reason, and damaged copies name their
// damage, with a LAME tag or without.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include "reader/FrameHeader.h"
#include "support/RunKestrix.h"
#include "support/StreamBuilder.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

std::vector<json> JsonObjects(const std::vector<fs::path>& Files) {
  std::vector<std::string> arguments = {"--json"};
  for (const fs::path& file : Files) {
    arguments.push_back(file.string());
  }
  const TRunResult run = RunKestrix(arguments);
  std::vector<json> objects;
  for (std::size_t start = 0; start < run.Output.size();) {
    const std::size_t end = run.Output.find('\n', start);
    objects.push_back(json::parse(run.Output.substr(start, end - start)));
    start = end + 1;
  }
  objects.pop_back();  // the summary
  return objects;
}

std::vector<fs::path> Mp3FilesIn(const fs::path& Folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(Folder)) {
    if (entry.path().extension() == ".mp3") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

using TExpectedVerdicts = std::map<std::string, std::pair<std::string, json>>;

// Checks the verdict and problems of every MP3 file in Folder against
// Expected (by file name), and returns each file's JSON object by name.
std::map<std::string, json> ExpectVerdicts(const fs::path& Folder,
                                           const TExpectedVerdicts& Expected) {
  const std::vector<fs::path> files = Mp3FilesIn(Folder);
  const std::vector<json> objects = JsonObjects(files);
  EXPECT_EQ(objects.size(), Expected.size());
  std::map<std::string, json> byName;
  for (std::size_t i = 0; i < files.size() && i < objects.size(); ++i) {
    const std::string name = files[i].filename().string();
    byName[name] = objects[i];
    const auto expected = Expected.find(name);
    if (expected == Expected.end()) {
      ADD_FAILURE() << "unexpected file " << name;
      continue;
    }
    EXPECT_EQ(objects[i]["verdict"], expected->second.first) << name;
    EXPECT_EQ(objects[i]["problems"], expected->second.second) << name;
  }
  return byName;
}

TEST(StreamCheck, SamplesAreIntactAndTheirLengthsAgreeWithTheirTags) {
  const std::vector<fs::path> files = Mp3FilesIn(SamplesFolder());
  const std::vector<json> objects = JsonObjects(files);
  ASSERT_EQ(objects.size(), files.size());
  for (const json& object : objects) {
    SCOPED_TRACE(object["path"].get<std::string>());
    EXPECT_EQ(object["verdict"], "ok");
    const json& stream = object["stream"];
    const int samplesPerFrame = stream["version"] == "1" ? 1152 : 576;
    EXPECT_DOUBLE_EQ(
        stream["duration"].get<double>(),
        stream["frames"].get<double>() * samplesPerFrame / stream["sample_rate"].get<double>());
    if (!object["lame_tag"]) {
      EXPECT_TRUE(stream["samples"].is_null());
      continue;
    }
    const json& values = object["values"];
    EXPECT_EQ(stream["vbr_header"]["frames"], stream["frames"]);
    EXPECT_EQ(stream["bytes"], values["music_length"]);
    EXPECT_EQ(stream["samples"].get<long>(), stream["frames"].get<long>() * samplesPerFrame -
                                                 values["encoder_delay"].get<long>() -
                                                 values["padding"].get<long>());
  }
}

TEST(StreamCheck, FilesOfOtherEncodersAndToolsAreJudgedForTheirTrueReason) {
  // What the script that made them says of each.
  const TExpectedVerdicts expected = {
      {"ffmpeg-mpeg1-mono.mp3", {"warn", {"unverifiable_crc"}}},
      {"ffmpeg-mpeg1-stereo.mp3", {"ok", json::array()}},
      {"ffmpeg-mpeg2-mono.mp3", {"warn", {"unverifiable_crc"}}},
      {"freeformat.mp3", {"ok", json::array()}},
      {"mp3gain-id3v2.mp3", {"warn", {"mp3gain"}}},  // the undo record in an ID3v2 frame
      {"mp3gain-protected.mp3", {"warn", {"mp3gain"}}},
      {"mp3gain-raised.mp3", {"warn", {"mp3gain"}}},
      {"mp3gain-undone.mp3", {"bad", {"music_crc"}}},  // MP3Gain's undo is not exact
      {"mp3gain-wrap.mp3", {"warn", {"mp3gain"}}},
      {"nogap-1.mp3", {"ok", json::array()}},
      {"nogap-2.mp3", {"warn", {"unverifiable_crc"}}},
      {"protected-mpeg2-mono.mp3", {"ok", json::array()}},
      {"vbr-no-tag.mp3", {"warn", {"no_vbr_header"}}},
  };
  std::map<std::string, json> byName = ExpectVerdicts(TestDataFolder(), expected);
  EXPECT_EQ(byName["ffmpeg-mpeg2-mono.mp3"]["details"]["unverifiable_crc"]["crcs"], json({"tag"}));
  EXPECT_EQ(byName["nogap-2.mp3"]["details"]["unverifiable_crc"]["crcs"], json({"music"}));
  EXPECT_EQ(byName["mp3gain-raised.mp3"]["details"]["mp3gain"]["steps"], json({-3, -3}));
  EXPECT_EQ(byName["mp3gain-raised.mp3"]["tags"]["trailing"], json({"apev2"}));
  const json& free = byName["freeformat.mp3"]["stream"];
  EXPECT_EQ(free["bitrate_mode"], "free");
  EXPECT_EQ(free["frames"], free["vbr_header"]["frames"]);
  const json& protectedStream = byName["protected-mpeg2-mono.mp3"]["stream"];
  EXPECT_EQ(protectedStream["protected_frames"], protectedStream["frames"].get<int>() + 1);
  EXPECT_EQ(protectedStream["version"], "2");
  EXPECT_EQ(byName["vbr-no-tag.mp3"]["lame_tag"], false);
}

// Files that splitters, repair, gain and tag tools changed on purpose: none
// is damaged, and each warning names the tool's reason.
TEST(StreamCheck, FilesChangedByToolsAreWarnedAboutNotBad) {
  const TExpectedVerdicts expected = {
      {"gstreamer-apev2.mp3", {"ok", json::array()}},
      {"id3v2-appended.mp3", {"ok", json::array()}},
      {"mp3gain-no-record.mp3", {"warn", {"mp3gain"}}},
      {"mp3splt-middle.mp3",
       {"warn", {"header_rewritten", "unverifiable_crc", "starts_mid_stream"}}},
      {"mp3splt-start.mp3", {"warn", {"header_rewritten", "unverifiable_crc"}}},
      {"vbrfix-lameinfo.mp3", {"warn", {"header_rewritten", "byte_count"}}},
      {"vbrfix.mp3", {"warn", {"byte_count"}}},  // vbrfix drops the LAME tag
  };
  std::map<std::string, json> byName = ExpectVerdicts(TestDataFolder() / "edited", expected);
  EXPECT_EQ(byName["mp3gain-no-record.mp3"]["details"]["mp3gain"]["steps"], json({3, 3}));
  EXPECT_EQ(byName["mp3gain-no-record.mp3"]["details"]["mp3gain"]["record"], false);
  EXPECT_EQ(byName["mp3splt-start.mp3"]["details"]["unverifiable_crc"]["crcs"], json({"music"}));
  EXPECT_EQ(byName["mp3splt-middle.mp3"]["details"]["starts_mid_stream"]["bytes"], 490);
  EXPECT_EQ(byName["gstreamer-apev2.mp3"]["tags"]["leading"], json({"apev2"}));
  EXPECT_EQ(byName["id3v2-appended.mp3"]["tags"]["trailing"], json({"id3v1", "id3v2"}));
}

// Offsets of the frames of an intact file that has no free-format frames.
std::vector<std::size_t> FrameOffsets(const TBytes& File) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = 0; at + TFrameHeader::Size <= File.size();) {
    const TFrameHeader header(File.data() + at);
    if (!header.IsValid() || header.FrameLength() == 0) {
      break;
    }
    offsets.push_back(at);
    at += static_cast<std::size_t>(header.FrameLength());
  }
  return offsets;
}

struct TDamage {
  const char* Name;
  std::function<void(TBytes&, const std::vector<std::size_t>&)> Change;
  json Problems;
};

TBytes Cut(const TBytes& File, std::size_t From, std::size_t Count) {
  TBytes bytes(File.begin(), File.begin() + static_cast<std::ptrdiff_t>(From));
  bytes.insert(bytes.end(), File.begin() + static_cast<std::ptrdiff_t>(From + Count), File.end());
  return bytes;
}

TEST(StreamCheck, DamagedCopiesNameTheirDamage) {
  const TBytes tagged = ReadFileBytes(SamplesFolder() / "mpeg1-joint-vbr-v2.mp3");
  const TBytes untagged = ReadFileBytes(SamplesFolder() / "no-lame-tag.mp3");
  const auto middle = [](const std::vector<std::size_t>& Frames) {
    return Frames[Frames.size() / 2] + 50;
  };
  const std::vector<TDamage> damages = {
      {"cut in a frame",
       [](TBytes& b, const auto& f) { b.resize(f[f.size() - 3] + 100); },
       {"music_crc", "truncated", "truncated_frame", "missing_frames", "byte_count"}},
      {"cut at a frame boundary",
       [](TBytes& b, const auto& f) { b.resize(f[f.size() - 3]); },
       {"music_crc", "truncated", "missing_frames", "byte_count"}},
      {"4 KiB of zeros",
       [&](TBytes& b, const auto& f) { std::fill_n(b.begin() + middle(f), 4096, 0); },
       {"music_crc", "missing_frames", "lost_sync"}},
      {"1,000 bytes inserted",
       [&](TBytes& b, const auto& f) { b.insert(b.begin() + middle(f), 1000, 0x21); },
       {"music_crc", "lost_sync", "byte_count"}},
      {"1,000 bytes removed",
       [&](TBytes& b, const auto& f) { b = Cut(b, middle(f), 1000); },
       {"music_crc", "truncated", "missing_frames", "lost_sync", "byte_count"}},
      {"a bit flipped in the audio",
       [&](TBytes& b, const auto& f) { b[middle(f) + 150] ^= 0x10; },
       {"music_crc"}},
      {"tags at both ends",
       [](TBytes& b, const auto&) {
         TBytes apeFooter = {'A', 'P', 'E', 'T', 'A', 'G', 'E', 'X', 0xD0, 0x07, 0, 0, 32, 0, 0, 0};
         apeFooter.resize(32, 0);
         TBytes id3v1 = {'T', 'A', 'G'};
         id3v1.resize(128, 0);
         b = Join({Id3v2Tag(300), b, apeFooter, id3v1});
       },
       json::array()},
  };
  std::vector<fs::path> files;
  const TTempFolder folder;
  for (const TDamage& damage : damages) {
    TBytes bytes = tagged;
    damage.Change(bytes, FrameOffsets(tagged));
    files.push_back(folder.Write(std::string(damage.Name) + ".mp3", bytes));
  }
  // Without a LAME tag the walk alone sees a cut and lost bytes.
  TBytes cut = untagged;
  cut.resize(cut.size() - 100);
  files.push_back(folder.Write("untagged cut.mp3", cut));
  TBytes zeros = untagged;
  std::fill_n(zeros.begin() + static_cast<std::ptrdiff_t>(middle(FrameOffsets(untagged))), 2000, 0);
  files.push_back(folder.Write("untagged zeros.mp3", zeros));

  const std::vector<json> objects = JsonObjects(files);
  ASSERT_EQ(objects.size(), damages.size() + 2);
  for (std::size_t i = 0; i < damages.size(); ++i) {
    EXPECT_EQ(objects[i]["problems"], damages[i].Problems) << damages[i].Name;
  }
  // Sync is lost where the damaged frame claims to end.
  const std::vector<std::size_t> frames = FrameOffsets(tagged);
  EXPECT_EQ(objects[4]["details"]["lost_sync"]["first_offset"], frames[frames.size() / 2 + 1]);
  EXPECT_EQ(objects[6]["tags"],
            json({{"id3v2", 1}, {"trailing", {"apev2", "id3v1"}}, {"leading", {"id3v2"}}}));
  EXPECT_EQ(objects[7]["problems"], json({"truncated_frame"}));
  EXPECT_EQ(objects[7]["details"]["truncated_frame"]["missing"], 100);
  EXPECT_EQ(objects[8]["problems"], json({"lost_sync"}));
  EXPECT_EQ(objects[8]["lame_tag"], false);
}

TEST(StreamCheck, SpliceOfTwoSampleRatesIsAMixedStream) {
  const TTempFolder folder;
  const fs::path file = folder.Write(
      "splice.mp3", Join({ReadFileBytes(SamplesFolder() / "mpeg1-stereo-cbr128.mp3"),
                          ReadFileBytes(SamplesFolder() / "mpeg2-stereo-vbr-v5.mp3")}));
  const json object = JsonObjects({file}).at(0);
  EXPECT_EQ(object["verdict"], "bad");
  EXPECT_EQ(object["problems"], json({"mixed_stream", "extra_frames", "byte_count"}));
  EXPECT_EQ(object["stream"]["sample_rate"], 44100);
}

}  // namespace
}  // namespace kestrix::test
