#include "output/JsonPrinter.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "support/StreamBuilder.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

using nlohmann::json;

class JsonFileTest : public ::testing::Test {
 protected:
  json Object(const TBytes& File, TVerdictKind* Kind = nullptr) {
    const std::u16string path = ToU16(Folder.Write("f.mp3", File));
    const TFileCheck check = CheckFile(path);
    const std::string line = JsonFileLine(path, check);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    if (Kind != nullptr) {
      *Kind = check.Verdict.Kind;
    }
    return json::parse(line);
  }
  TTempFolder Folder;
};

// A tag with a value in every field the values object names.
TTagFileBuilder FullTag() {
  TTagFileBuilder tag;
  tag.Music = Frames(TFrameSpec(), 5);
  tag.Version("LAME3.99r");
  tag.Set(QualityIndex, {57})
      .Set(RevisionMethodIndex, {0x14})            // revision 1, new VBR
      .Set(LowpassIndex, {195})                    // 19500 Hz
      .Set(PeakIndex, {0x00, 0x40, 0x00, 0x00})    // 0.5
      .Set(TrackGainIndex, {0x2E, 0x43})           // track, automatic, -6.7 dB
      .Set(FlagsATHIndex, {0x35})                  // nspsytune, nssafejoint, ATH 5
      .Set(BitrateIndex, {32})                     //
      .Set(DelayPaddingIndex, {0x24, 0x04, 0x38})  // 576 and 1080
      .Set(MiscIndex, {0x4E})                      // 44.1 kHz, joint, noise shaping 2
      .Set(MP3GainIndex, {0x83})                   // -3 steps
      .Set(PresetSurroundIndex, {0x09, 0xCC});     // DPL, preset 460
  return tag;
}

TEST_F(JsonFileTest, ValuesAreTheRawFields) {
  const TBytes file = FullTag().Build();
  TVerdictKind kind = TVerdictKind::Error;
  const json object = Object(file, &kind);
  EXPECT_EQ(kind, TVerdictKind::Ok);
  EXPECT_EQ(object["verdict"], "ok");
  EXPECT_EQ(object["problems"], json::array());
  EXPECT_FALSE(object.contains("error"));
  const json& values = object["values"];
  EXPECT_EQ(values["tag_revision"], 1);
  EXPECT_EQ(values["encoder"], "LAME");
  EXPECT_EQ(values["version"], "3.99r");
  EXPECT_EQ(values["quality"], 57);
  EXPECT_EQ(values["encoding_method"], 4);
  EXPECT_EQ(values["lowpass_hz"], 19500);
  EXPECT_DOUBLE_EQ(values["peak"].get<double>(), 0.5);
  EXPECT_DOUBLE_EQ(values["track_gain_db"].get<double>(), -6.7);
  EXPECT_EQ(values["track_gain_originator"], 3);
  EXPECT_TRUE(values["album_gain_db"].is_null());
  EXPECT_EQ(values["nspsytune"], true);
  EXPECT_EQ(values["nogap_continued"], false);
  EXPECT_EQ(values["ath_type"], 5);
  EXPECT_EQ(values["bitrate"], 32);
  EXPECT_EQ(values["encoder_delay"], 576);
  EXPECT_EQ(values["padding"], 1080);
  EXPECT_EQ(values["noise_shaping"], 2);
  EXPECT_EQ(values["stereo_mode"], 3);
  EXPECT_EQ(values["source_sample_freq"], 1);
  EXPECT_DOUBLE_EQ(values["mp3gain_change_db"].get<double>(), -4.5);
  EXPECT_EQ(values["preset"], 460);
  EXPECT_TRUE(values["preset_guess"].is_null());
  EXPECT_EQ(values["surround_info"], 1);
  EXPECT_EQ(values["music_length"], file.size());
  EXPECT_EQ(values["file_size"], file.size());
  EXPECT_EQ(values["music_crc"], object["fields"]["music_crc"]);
  EXPECT_EQ(values["actual_info_tag_crc"], object["fields"]["actual_infotag_crc"]);
  EXPECT_EQ(values["music_crc"].get<std::string>().size(), 4u);
  EXPECT_EQ(object["fields"]["rg_track_gain"], "-6.7dB (determined automatically)");
  EXPECT_EQ(object["fields"]["mp3gain_change"], "-4.5dB");
}

TEST_F(JsonFileTest, NullWhereTheReportSaysNotStored) {
  const json object = Object(TTagFileBuilder().Build());
  const json& values = object["values"];
  for (const char* key :
       {"encoding_method", "lowpass_hz", "peak", "track_gain_db", "album_gain_db", "bitrate"}) {
    EXPECT_TRUE(values[key].is_null()) << key;
  }
  EXPECT_EQ(object["fields"]["lowpass"], "<not stored>");
  EXPECT_EQ(values["preset"], 0);
}

TEST_F(JsonFileTest, DamageIsNamed) {
  TBytes file = FullTag().Build();
  file[500] ^= 0x10;
  file.resize(1500);
  TVerdictKind kind = TVerdictKind::Ok;
  const json object = Object(file, &kind);
  EXPECT_EQ(kind, TVerdictKind::Bad);
  EXPECT_EQ(object["problems"], json({"music_crc", "truncated", "truncated_frame"}));
  EXPECT_EQ(object["values"]["file_size"], 1500);
}

TEST_F(JsonFileTest, DetailsOfAFileCutAtBothEnds) {
  TFrameSpec needsMore;
  needsMore.MainDataBegin = 495;
  const json object =
      Object(Join({Filled(5000, 0), Frame(needsMore), Frames(TFrameSpec(), 10), Filled(4096, 0)}));
  EXPECT_EQ(object["problems"],
            json({"start_lost", "unwritten_end", "starts_mid_stream", "junk_before"}));
  EXPECT_EQ(object["details"], json::parse(R"({"unwritten_end": {"bytes": 4096},
      "starts_mid_stream": {"bytes": 495}, "junk_before": {"bytes": 5000}})"));
}

TEST_F(JsonFileTest, FilesWithoutATag) {
  TTagFileBuilder old;
  old.FixCRCs = false;
  old.Version("LAME3.88 ");
  old.Music = Frames(TFrameSpec(), 5);
  const json before = Object(old.Build());
  EXPECT_EQ(before["verdict"], "ok");
  EXPECT_EQ(before["lame_tag"], false);
  EXPECT_EQ(before["fields"], json({{"encoder_string", "LAME"}, {"version_string", "3.88 "}}));
  EXPECT_EQ(before["values"]["version"], "3.88 ");

  const json none = Object({'x'});
  EXPECT_EQ(none["verdict"], "not_mp3");
  EXPECT_EQ(none["stream"], nullptr);
  EXPECT_EQ(none["tags"],
            json({{"id3v2", 0}, {"trailing", json::array()}, {"leading", json::array()}}));
  EXPECT_EQ(none["fields"], json::object());
  EXPECT_EQ(none["values"], json({{"file_size", 1}}));
}

TEST(JsonLines, ErrorAndSummary) {
  const json error =
      json::parse(JsonErrorLine(u"/m/\xDCFF\"\n.mp3", "Cannot open file /m/?\"\n.mp3"));
  EXPECT_EQ(error["path"], "/m/\xEF\xBF\xBD\"\n.mp3");
  EXPECT_EQ(error["verdict"], "error");
  EXPECT_EQ(error["error"], "Cannot open file /m/?\"\n.mp3");
  EXPECT_EQ(error["problems"], json::array());

  TTally tally;
  tally.Count(TVerdictKind::Ok);
  tally.Count(TVerdictKind::Bad);
  tally.Count(TVerdictKind::Error);
  EXPECT_EQ(JsonSummaryLine(tally),
            R"({"summary":{"format":2,"files":3,"ok":1,"warn":0,"bad":1,"not_mp3":0,"error":1}})");
}

}  // namespace
}  // namespace kestrix::test
