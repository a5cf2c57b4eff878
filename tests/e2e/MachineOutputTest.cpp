// --json, --csv and --verify on crafted files and the bundled samples: the
// texts are the report's, the verdicts name the damage, the exit codes
// tell it, and standard parsers read the output whatever the file names.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <map>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/Locale.h"
#include "platform/Unicode.h"
#include "support/RunKestrix.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using TTexts = std::map<std::string, std::string>;

constexpr std::size_t LabelWidth = 20;
const TBytes Untagged = {'n', 'o', ' ', 't', 'a', 'g'};

std::vector<std::string> Split(const std::string& Text, const std::string& End) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (std::size_t at = Text.find(End); at != std::string::npos; at = Text.find(End, start)) {
    parts.push_back(Text.substr(start, at - start));
    start = at + End.size();
  }
  if (start < Text.size()) {
    parts.push_back(Text.substr(start));
  }
  return parts;
}

std::vector<json> JsonLines(const std::string& Output) {
  std::vector<json> objects;
  for (const std::string& line : Split(Output, "\n")) {
    objects.push_back(json::parse(line));
  }
  return objects;
}

// "Music CRC:          " is the key music_crc; a line whose first 20
// characters are not a label and blanks is no field line.
bool LabelKey(const std::string& Line, std::string& Key) {
  const std::size_t colon = Line.find(':');
  if (Line.size() < LabelWidth || colon == std::string::npos || colon == 0 || colon >= LabelWidth ||
      Line.find_first_not_of(' ', colon + 1) < LabelWidth) {
    return false;
  }
  Key.clear();
  for (std::size_t i = 0; i < colon; ++i) {
    const char c = Line[i];
    if (std::isalnum(static_cast<unsigned char>(c))) {
      Key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    } else if (!Key.empty() && Key.back() != '_') {
      Key += '_';
    }
  }
  while (!Key.empty() && Key.back() == '_') {
    Key.pop_back();
  }
  return true;
}

// The texts of the report of one file, read from the report itself: each
// field line by its label, the guess block's lines joined by a blank.
// The report's digits without grouping. A Windows run groups as the user's
// locale does, which no LC_ALL turns off; the machine forms never group.
std::string Ungrouped(std::string Text) {
#ifdef _WIN32
  const std::string separator = platform::GetNumberSeparators().Thousands;
  constexpr std::size_t GroupSize = 3;
  const auto isDigit = [&Text](std::size_t At) {
    return At < Text.size() && std::isdigit(static_cast<unsigned char>(Text[At])) != 0;
  };
  for (std::size_t at = separator.empty() ? std::string::npos : Text.find(separator);
       at != std::string::npos; at = Text.find(separator, at + 1)) {
    const std::size_t after = at + separator.size();
    if (at > 0 && isDigit(at - 1) && isDigit(after) && isDigit(after + GroupSize - 1) &&
        !isDigit(after + GroupSize)) {
      Text.erase(at, separator.size());
    }
  }
#endif
  return Text;
}

TTexts ReportTexts(const fs::path& File) {
  const TRunResult run = RunKestrix({File.u8string()}, {}, "LC_ALL=C");
  const std::vector<std::u16string> report = ReportLines(run.Output);
  EXPECT_FALSE(report.empty());
  std::vector<std::string> lines;
  for (const std::u16string& line : report) {
    lines.push_back(Ungrouped(platform::Utf16ToUtf8(line, platform::TLoneSurrogate::Replace)));
  }
  TTexts texts;
  std::string guess;
  bool inGuess = false;
  for (const std::string& line : lines) {
    std::string key;
    if (line.rfind("  Based on", 0) == 0) {
      inGuess = true;
    }
    if (inGuess && !line.empty()) {
      guess += (guess.empty() ? "" : " ") + line.substr(LabelKey(line, key) ? LabelWidth : 2);
    } else if (!inGuess && LabelKey(line, key)) {
      texts[key] = line.substr(LabelWidth);
    }
  }
  if (inGuess) {
    texts["preset_guess"] = guess;
  }
  return texts;
}

TTexts JsonTexts(const json& Fields) {
  TTexts texts;
  for (const auto& [key, value] : Fields.items()) {
    texts[key] = value.get<std::string>();
  }
  return texts;
}

// Files that take every road of the report.
std::map<std::string, TBytes> CraftedFiles() {
  std::map<std::string, TBytes> files;
  files["guess.mp3"] = ExtremeTag().Build();
  TTagFileBuilder modified = ExtremeTag();
  modified.Set(BitrateIndex, {128});
  files["guess-modified.mp3"] = modified.Build();
  TTagFileBuilder unable = ExtremeTag();
  unable.Set(LowpassIndex, {194});
  files["no-guess.mp3"] = unable.Build();
  unable.Set(PresetSurroundIndex, {0x00, 0x80});
  files["bitrate-preset.mp3"] = unable.Build();
  TTagFileBuilder revision = ExtremeTag();
  revision.Set(RevisionMethodIndex, {0x13}).Set(PresetSurroundIndex, {0x03, 0xE8});
  files["revision.mp3"] = revision.Build();
  TTagFileBuilder loud = ExtremeTag();
  loud.Version("LAME3.99r");
  loud.Set(PeakIndex, {0x00, 0x90, 0x00, 0x00})
      .Set(TrackGainIndex, {0x2E, 0x43})
      .Set(AlbumGainIndex, {0x48, 0x05})
      .Set(MP3GainIndex, {0x83})
      .Set(DelayPaddingIndex, {0x45, 0x15, 0x3C})
      .Set(PresetSurroundIndex, {0x21, 0xE0});
  loud.Prefix = Id3v2Tag(300);
  loud.Music = TBytes(5000, 0x21);
  files["replaygain.mp3"] = loud.Build();
  TTagFileBuilder odd = ExtremeTag();
  odd.Version(
      "L\xC3\xA9\xFF"
      "3.9\xE9x");
  files["odd-encoder.mp3"] = odd.Build();
  TTagFileBuilder old;
  old.FixCRCs = false;
  old.Version("LAME3.88 ");
  const std::string longVersion = "3.88 (beta 1) xy";
  std::copy(longVersion.begin(), longVersion.end(), old.Tag.begin() + 5);
  files["old.mp3"] = old.Build();
  TTagFileBuilder later;
  later.FixCRCs = false;
  later.Version("LAME3.93 ");
  files["later.mp3"] = later.Build();
  TTagFileBuilder junk = ExtremeTag();
  junk.Magic = "Junk";
  files["junk.mp3"] = junk.Build();
  files["empty.mp3"] = {};
  files["tiny.mp3"] = {0xFF, 0xFB, 0x90};
  return files;
}

// Every value agrees with the field texts it stands for (C locale: no
// grouping, "." as decimal separator).
void ExpectValuesAgree(const json& Values, const TTexts& Texts, std::uintmax_t FileSize) {
  EXPECT_EQ(Values["file_size"], FileSize);
  if (Texts.count("tag_revision") == 0) {
    return;
  }
  const auto number = [&Values](const char* Key) {
    return std::to_string(Values[Key].get<long>());
  };
  const auto nullWhereNotStored = [&](const char* ValueKey, const char* TextKey) {
    EXPECT_EQ(Values[ValueKey].is_null(), Texts.at(TextKey) == "<not stored>") << ValueKey;
    return !Values[ValueKey].is_null();
  };
  EXPECT_EQ(number("tag_revision"), Texts.at("tag_revision"));
  EXPECT_EQ(Values["encoder"], Texts.at("encoder_string"));
  EXPECT_EQ(Values["version"], Texts.at("version_string"));
  EXPECT_EQ(Texts.at("quality").rfind(number("quality"), 0), 0u);
  if (nullWhereNotStored("lowpass_hz", "lowpass")) {
    EXPECT_EQ(number("lowpass_hz") + "Hz", Texts.at("lowpass"));
  }
  if (nullWhereNotStored("peak", "rg_track_peak")) {
    EXPECT_NEAR(Values["peak"].get<double>(), std::stod(Texts.at("rg_track_peak")), 1e-6);
  }
  for (const auto& [value, text] :
       {std::pair{"track_gain_db", "rg_track_gain"}, std::pair{"album_gain_db", "rg_album_gain"}}) {
    if (nullWhereNotStored(value, text)) {
      EXPECT_NEAR(Values[value].get<double>(), std::stod(Texts.at(text)), 1e-9) << value;
    }
  }
  if (nullWhereNotStored("bitrate", "bitrate")) {
    EXPECT_NE(Texts.at("bitrate").find(number("bitrate")), std::string::npos);
  }
  nullWhereNotStored("encoding_method", "encoding_method");
  EXPECT_EQ(Values["nspsytune"].get<bool>(), Texts.at("nspsytune") == "yes");
  EXPECT_EQ(Values["unwise_settings"].get<bool>(), Texts.at("unwise_settings") == "yes");
  EXPECT_EQ(number("ath_type"), Texts.at("ath_type"));
  EXPECT_EQ(number("noise_shaping"), Texts.at("noise_shaping"));
  EXPECT_EQ(number("encoder_delay") + " samples", Texts.at("encoder_delay"));
  EXPECT_EQ(number("padding") + " samples", Texts.at("padded_at_end"));
  EXPECT_EQ(number("music_length") + " bytes", Texts.at("music_length"));
  EXPECT_EQ(Values["music_crc"], Texts.at("music_crc"));
  EXPECT_EQ(Values["actual_music_crc"], Texts.at("actual_music_crc"));
  EXPECT_EQ(Values["info_tag_crc"], Texts.at("info_tag_crc"));
  EXPECT_EQ(Values["actual_info_tag_crc"], Texts.at("actual_infotag_crc"));
  EXPECT_TRUE(Values["preset"].is_number_unsigned());
  EXPECT_EQ(Values["preset_guess"].is_null(), Texts.count("preset_guess") == 0);
  if (!Values["preset_guess"].is_null()) {
    const std::string guess = Values["preset_guess"];
    const std::string& text = Texts.at("preset_guess");
    EXPECT_EQ(text.substr(text.size() - guess.size()), guess);
  }
}

class MachineOutputTest : public ::testing::Test {
 protected:
  // A copy of a bundled sample, changed by Change.
  template <typename TChange>
  fs::path Damaged(const std::string& Name, TChange Change) {
    TBytes bytes = ReadFileBytes(SamplesFolder() / "mpeg1-stereo-cbr128.mp3");
    Change(bytes);
    return Folder.Write(Name, bytes);
  }
  json JsonOf(const fs::path& File) {
    const TRunResult run = RunKestrix({"--json", File.string()});
    return JsonLines(run.Output).at(0);
  }
  TTempFolder Folder;
};

TEST_F(MachineOutputTest, FieldTextsAreTheReportLinesAndValuesAgree) {
  std::vector<fs::path> files;
  for (const auto& [name, bytes] : CraftedFiles()) {
    files.push_back(Folder.Write(name, bytes));
  }
  for (const auto& entry : fs::directory_iterator(SamplesFolder())) {
    if (entry.path().extension() == ".mp3") {
      files.push_back(entry.path());
    }
  }
  std::vector<std::string> arguments = {"--json"};
  for (const fs::path& file : files) {
    arguments.push_back(file.string());
  }
  const TRunResult run = RunKestrix(arguments, {}, "LC_ALL=C");
  EXPECT_EQ(run.ExitCode, 0);
  const std::vector<json> objects = JsonLines(run.Output);
  ASSERT_EQ(objects.size(), files.size() + 1);
  for (std::size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(files[i].string());
    const TTexts report = ReportTexts(files[i]);
    EXPECT_EQ(JsonTexts(objects[i]["fields"]), report);
    ExpectValuesAgree(objects[i]["values"], report, fs::file_size(files[i]));
    EXPECT_EQ(objects[i]["lame_tag"], report.count("tag_revision") != 0);
    // A crafted tag frame starts a stream on its own, its VBR header says
    // so, and junk follows it; a file without one is no MPEG stream; every
    // sample is intact.
    const std::string name = files[i].filename().string();
    const bool crafted = files[i].parent_path() == Folder.Path();
    const bool noStream = name == "junk.mp3" || name == "empty.mp3" || name == "tiny.mp3";
    EXPECT_EQ(objects[i]["verdict"], !crafted ? "ok" : noStream ? "not_mp3" : "warn");
  }
  EXPECT_EQ(objects.back()["summary"]["files"], files.size());
  EXPECT_EQ(objects.back()["summary"]["format"], 2);
}

TEST_F(MachineOutputTest, NoGroupingWhateverTheLocale) {
  if (!HaveGroupingLocale()) {
    GTEST_SKIP() << "no locale that groups digits (tools/install-deps makes en_US.UTF-8)";
  }
  TTagFileBuilder tag = ExtremeTag();
  tag.Set(DelayPaddingIndex, {0x45, 0x15, 0x3C});
  const fs::path file = Folder.Write("f.mp3", tag.Build());
  const TRunResult run = RunKestrix({"--json", file.string()}, {}, GroupingEnvironment);
  const json fields = JsonLines(run.Output).at(0)["fields"];
  EXPECT_EQ(fields["lowpass"], "19500Hz");
  EXPECT_EQ(fields["encoder_delay"], "1105 samples");
  EXPECT_EQ(fields["music_length"], "2417 bytes");
}

TEST_F(MachineOutputTest, VerdictsNameTheDamage) {
  const fs::path music = Damaged("music.mp3", [](TBytes& b) { b[b.size() / 2] ^= 0x01; });
  const fs::path tag = Damaged("tag.mp3", [](TBytes& b) { b[36 + 119] ^= 0x01; });
  const fs::path both = Damaged("both.mp3", [](TBytes& b) {
    b[36 + 119] ^= 0x01;
    b[b.size() / 2] ^= 0x01;
  });
  const fs::path cut = Damaged("cut.mp3", [](TBytes& b) { b.resize(b.size() - 1000); });
  const fs::path none = Folder.Write("none.mp3", Untagged);
  const auto problems = [this](const fs::path& File) { return JsonOf(File)["problems"]; };
  EXPECT_EQ(problems(music), json({"music_crc"}));
  // Only the tag's frame changed: the audio is as encoded.
  EXPECT_EQ(problems(tag), json({"header_rewritten"}));
  EXPECT_EQ(problems(both), json({"tag_crc", "music_crc"}));
  EXPECT_EQ(problems(cut),
            json({"music_crc", "truncated", "truncated_frame", "missing_frames", "byte_count"}));
  EXPECT_EQ(JsonOf(music)["verdict"], "bad");
  EXPECT_EQ(JsonOf(none)["verdict"], "not_mp3");
  EXPECT_EQ(JsonOf(none)["problems"], json::array());
}

#ifndef _WIN32
// File permissions and setpriv are POSIX; Windows has no unreadable mode bit.
TEST_F(MachineOutputTest, UnreadableFileIsAnError) {
  std::string asUser;
  if (RunShell("test \"$(id -u)\" = 0").ExitCode == 0) {
    asUser = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
    if (RunShell(asUser + ShellQuote(KESTRIX_EXE) + " help").ExitCode != 0) {
      GTEST_SKIP() << "cannot run the program as an unprivileged user here";
    }
  }
  fs::permissions(Folder.Path(), fs::perms::all, fs::perm_options::add);
  const fs::path locked = Folder.Write("locked.mp3", Untagged);
  fs::permissions(locked, fs::perms::none);
  const fs::path bad = Damaged("bad.mp3", [](TBytes& b) { b[b.size() / 2] ^= 0x01; });
  fs::permissions(bad, fs::perms::all, fs::perm_options::add);
  const auto run = [&](const std::string& Form, const fs::path& File) {
    return RunShell("env LC_ALL=C.UTF-8 " + asUser + ShellQuote(KESTRIX_EXE) + " " + Form + " " +
                    ShellQuote(File.string()) + " " + ShellQuote(File.string()));
  };
  const TRunResult jsonRun = run("--json", locked);
  const json object = JsonLines(jsonRun.Output).at(0);
  EXPECT_EQ(object["verdict"], "error");
  EXPECT_EQ(object["error"], "Cannot open file " + locked.string());
  EXPECT_EQ(JsonLines(jsonRun.Output).back()["summary"]["error"], 2);
  EXPECT_EQ(jsonRun.ExitCode, 3);
  EXPECT_EQ(run("--csv", locked).ExitCode, 3);
  const TRunResult verify = run("--verify", locked);
  EXPECT_NE(Utf8OfRedirected(verify.Output)
                .find("ERR  " + locked.string() + ": Cannot open file " + locked.string() + "\n"),
            std::string::npos);
  EXPECT_EQ(verify.ExitCode, 3);
  // An error outranks a bad file.
  const TRunResult both =
      RunShell("env LC_ALL=C.UTF-8 " + asUser + ShellQuote(KESTRIX_EXE) + " --verify " +
               ShellQuote(locked.string()) + " " + ShellQuote(bad.string()));
  EXPECT_EQ(both.ExitCode, 3);
}
#endif

TEST_F(MachineOutputTest, ExitCodeFourOnlyInTheJudgingForms) {
  const fs::path good = SamplesFolder() / "mpeg1-stereo-cbr128.mp3";
  const fs::path bad = Damaged("bad.mp3", [](TBytes& b) { b[b.size() / 2] ^= 0x01; });
  const fs::path none = Folder.Write("none.mp3", Untagged);
  for (const char* form : {"--json", "--csv", "--verify"}) {
    SCOPED_TRACE(form);
    EXPECT_EQ(RunKestrix({form, good.string(), none.string()}).ExitCode, 0);
    EXPECT_EQ(RunKestrix({form, good.string(), bad.string()}).ExitCode, 4);
    // A bad file outranks a path that matched nothing.
    EXPECT_EQ(RunKestrix({form, bad.string(), (Folder.Path() / "nothing").string()}).ExitCode, 4);
    EXPECT_EQ(RunKestrix({form, good.string(), (Folder.Path() / "nothing").string()}).ExitCode, 2);
  }
  EXPECT_EQ(RunKestrix({bad.string()}).ExitCode, 0);
  EXPECT_EQ(RunKestrix({"--recursive", bad.string()}).ExitCode, 0);
  EXPECT_EQ(RunKestrix({"-r", bad.string(), good.string()}).ExitCode, 0);
}

TEST_F(MachineOutputTest, JsonHoldsNothingButObjects) {
  const fs::path good = SamplesFolder() / "mpeg1-stereo-cbr128.mp3";
  const std::string missing = (Folder.Path() / "nothing.mp3").string();
  const TRunResult run = RunKestrix({"--json", good.string(), missing});
  ASSERT_FALSE(run.Output.empty());
  EXPECT_EQ(run.Output.back(), '\n');
  EXPECT_EQ(run.Output.find('\r'), std::string::npos);
  const std::vector<json> objects = JsonLines(run.Output);
  ASSERT_EQ(objects.size(), 2u);
  EXPECT_EQ(objects[0]["path"], good.string());
  EXPECT_EQ(objects[1], json::parse(R"({"summary":{"format":2,"files":1,"ok":1,"warn":0,)"
                                    R"("bad":0,"not_mp3":0,"error":0}})"));
  EXPECT_EQ(run.Errors, "FILE NOT FOUND: '" + missing + "'" + StdErrorLineEnd());
  EXPECT_EQ(run.ExitCode, 2);
}

TEST_F(MachineOutputTest, CsvHasAHeaderAndOneRowPerFile) {
  const fs::path good = SamplesFolder() / "mpeg1-stereo-cbr128.mp3";
  const fs::path none = Folder.Write("none.mp3", Untagged);
  const TRunResult run = RunKestrix({"--csv", good.string(), none.string()});
  const std::vector<std::string> records = Split(run.Output, "\r\n");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].substr(0, 54), "path,verdict,problems,lame_tag,first_frame,version,sam");
  EXPECT_EQ(records[1].substr(0, good.string().size() + 31),
            good.string() + ",ok,,true,0,1,44100,2,78,33017,");
  // Only the tags' cells for a file without a stream: no ID3v2 tag, none
  // at the end.
  EXPECT_EQ(records[2],
            none.string() + ",not_mp3,,false" + std::string(15, ',') + "0" + std::string(33, ','));
  EXPECT_EQ(run.ExitCode, 0);
}

TEST_F(MachineOutputTest, VerifyPrintsOneLinePerFileAndTheCounts) {
  const fs::path good = SamplesFolder() / "mpeg1-stereo-cbr128.mp3";
  const fs::path cut = Damaged("cut.mp3", [](TBytes& b) { b.resize(b.size() - 1234); });
  const fs::path none = Folder.Write("none.mp3", Untagged);
  const TRunResult run = RunKestrix({"--verify", good.string(), cut.string(), none.string()});
  std::vector<std::u16string> lines = BannerLines();
  const json cutValues = JsonOf(cut)["values"];
  const std::string musicCRC = cutValues["music_crc"];
  const std::string actualCRC = cutValues["actual_music_crc"];
  lines.push_back(u"");
  lines.push_back(u"OK   " + ToU16(good));
  // 1,234 bytes are the last 2 frames (417 and 418 bytes) and 398 of the
  // one before them; the VBR header counts all 78 audio frames.
  lines.push_back(u"BAD  " + ToU16(cut) + u": music CRC stored " + ToU16(musicCRC) + u", actual " +
                  ToU16(actualCRC) + u"; file ends " + Grouped(u"1234") +
                  u" bytes before the stored music length; last frame cut short by 398 bytes; "
                  u"VBR header says 78 frames, the stream has 75; VBR header says " +
                  Grouped(u"33017") + u" bytes, the stream has " + Grouped(u"31783"));
  lines.push_back(u"--   " + ToU16(none) + u": not an MP3 file");
  lines.push_back(u"3 files: 1 OK, 0 WARN, 1 BAD, 1 not MP3, 0 errors");
  EXPECT_EQ(run.Output, RedirectedText(lines));
  EXPECT_EQ(run.ExitCode, 4);

  const TRunResult utf8 = RunKestrix({"--verify", "--utf8", none.string(), none.string()});
  EXPECT_NE(utf8.Output.find("\n--   " + none.string() +
                             ": not an MP3 file\n2 files: 0 OK, 0 WARN, 0 BAD, "
                             "2 not MP3, 0 errors\n"),
            std::string::npos);
}

TEST_F(MachineOutputTest, VerifyGroupsDigitsLikeTheReport) {
  if (!HaveGroupingLocale()) {
    GTEST_SKIP() << "no locale that groups digits (tools/install-deps makes en_US.UTF-8)";
  }
  const fs::path cut = Damaged("cut.mp3", [](TBytes& b) { b.resize(b.size() - 12345); });
  const TRunResult run =
      RunKestrix({"--verify", cut.string(), cut.string()}, {}, GroupingEnvironment);
  EXPECT_NE(Utf8OfRedirected(run.Output).find("; file ends 12,345 bytes before the stored music"),
            std::string::npos);
}

#ifdef _WIN32
// Wine starts a Linux program by its path like a Windows one.
const fs::path LinuxPython = "/usr/bin/python3";

bool HavePython() {
  return RunProgram(LinuxPython, {"-c", "print(6 * 7)"}).Output == "42\n";
}

// Names Windows allows that still need quoting in CSV and escapes in JSON.
const std::vector<std::string> AwkwardNames = {"a 'quoted', name;.mp3", "caf\xC3\xA9.mp3",
                                               "note \xE2\x99\xAB \xF0\x9F\x8E\xB5.mp3",
                                               "tab\tand,comma.mp3"};
#else
bool HavePython() {
  return RunShell("command -v python3").ExitCode == 0;
}

const std::vector<std::string> AwkwardNames = {"a \"quoted\", name.mp3", "new\nline.mp3",
                                               "bad\xFFname.mp3", "ctl\x01\x1B[2J\x7F.mp3",
                                               "caf\xC3\xA9.mp3"};
#endif

// What Python's json and csv modules read back of the paths.
std::string PythonReadsPaths(const fs::path& JsonFile, const fs::path& CsvFile) {
  const std::string script =
      "import csv, json, sys\n"
      "objects = [json.loads(line) for line in open(sys.argv[1], encoding='utf-8', "
      "newline='\\n')]\n"
      "rows = list(csv.reader(open(sys.argv[2], encoding='utf-8', newline='')))\n"
      "assert rows[0][:3] == ['path', 'verdict', 'problems'], rows[0]\n"
      "assert all(len(row) == len(rows[0]) for row in rows)\n"
      "assert objects[-1]['summary']['files'] == len(rows) - 1\n"
      "for o, row in zip(objects, rows[1:]):\n"
      "    assert o['path'] == row[0] and o['verdict'] == row[1], (o['path'], row)\n"
      "    print(json.dumps(row[0]))\n";
#ifdef _WIN32
  const TRunResult run =
      RunProgram(LinuxPython, {"-c", script, JsonFile.u8string(), CsvFile.u8string()});
#else
  const TRunResult run =
      RunShell("python3 -c " + ShellQuote(script) + " " + ShellQuote(JsonFile.string()) + " " +
               ShellQuote(CsvFile.string()));
#endif
  EXPECT_EQ(run.ExitCode, 0) << run.Errors;
  return run.Output;
}

TEST_F(MachineOutputTest, StandardParsersReadAwkwardNames) {
  if (!HavePython()) {
    GTEST_SKIP() << "no python3 (tools/install-deps installs it)";
  }
  const fs::path music = Folder.Path() / "music";
  const TBytes sample = ReadFileBytes(SamplesFolder() / "mpeg1-stereo-cbr128.mp3");
  const std::vector<std::string>& names = AwkwardNames;
  for (const std::string& name : names) {
    Folder.Write("music/" + name, sample);
  }
  for (const auto& [form, file] :
       {std::pair{"--json", "out.jsonl"}, std::pair{"--csv", "out.csv"}}) {
    const TRunResult run = RunKestrix({form, "-r", "music"}, Folder.Path());
    ASSERT_EQ(run.ExitCode, 0);
    Folder.Write(file, TBytes(run.Output.begin(), run.Output.end()));
  }

  std::set<std::string> expected;
  for (std::string name : names) {
    const std::size_t bad = name.find('\xFF');
    if (bad != std::string::npos) {
      name.replace(bad, 1, "\xEF\xBF\xBD");
    }
    expected.insert(json((music / fs::u8path(name)).u8string()).dump(-1, ' ', true));
  }
  const std::vector<std::string> read =
      Split(PythonReadsPaths(Folder.Path() / "out.jsonl", Folder.Path() / "out.csv"), "\n");
  EXPECT_EQ(std::set<std::string>(read.begin(), read.end()), expected);
}

#ifndef _WIN32
// Needs a pseudo-terminal from script(1); wine's console is no terminal.
TEST_F(MachineOutputTest, NoFormDrivesATerminal) {
  if (RunShell("command -v script").ExitCode != 0) {
    GTEST_SKIP() << "no script command to give the program a terminal";
  }
  const TBytes sample = ReadFileBytes(SamplesFolder() / "mpeg1-stereo-cbr128.mp3");
  Folder.Write(
      "x\x1B[2J\x9B"
      "1m.mp3",
      sample);
  Folder.Write(
      "y\xC2\x9B"
      "2m.mp3",
      Untagged);
  for (const char* form : {"--json", "--csv", "--verify"}) {
    SCOPED_TRACE(form);
    const std::string inner = "env LC_ALL=C.UTF-8 " + ShellQuote(KESTRIX_EXE) + " " + form +
                              " -r " + ShellQuote(Folder.Path().string());
    const TRunResult run =
        RunShell("script -qec " + ShellQuote(inner) + " /dev/null", Folder.Path());
    EXPECT_NE(run.Output.find("[2J"), std::string::npos);
    EXPECT_EQ(run.Output.find('\x1B'), std::string::npos);
    EXPECT_EQ(run.Output.find("\xC2\x9B"), std::string::npos);
  }
}
#endif

}  // namespace
}  // namespace kestrix::test
