// Writes the seed corpora of the fuzz targets: the start of every bundled
// sample and crafted tag files for the report, command lines, and names.
// Usage: kestrix_fuzz_seeds SAMPLES_FOLDER OUTPUT_FOLDER
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "support/StreamBuilder.h"
#include "support/TestFiles.h"

namespace {

namespace fs = std::filesystem;
using kestrix::test::TBytes;
using kestrix::test::TTagFileBuilder;

// Enough of a sample for its tag and the start of its music.
constexpr std::size_t SampleHead = 4096;

void WriteSeed(const fs::path& Folder, const std::string& Name, const TBytes& Bytes) {
  fs::create_directories(Folder);
  std::ofstream out(Folder / Name, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(Bytes.data()),
            static_cast<std::streamsize>(Bytes.size()));
}

TBytes Text(const std::string& Value) {
  return TBytes(Value.begin(), Value.end());
}

// UTF-16 code units, low byte first, as the command-line and name targets read them.
TBytes Utf16(const std::u16string& Value) {
  TBytes bytes;
  for (const char16_t c : Value) {
    bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(c >> 8));
  }
  return bytes;
}

// Streams that take the walk's roads: lost sync, free format, protected
// frames with a good and a bad CRC, and MP3Gain's undo item.
void StreamSeeds(const TTagFileBuilder& Tag, const fs::path& Out) {
  using namespace kestrix::test;
  TFrameSpec audio;
  audio.Gains = {120, 130, 255, 0};
  TTagFileBuilder tagged = Tag;
  tagged.Music = Frames(audio, 6);
  WriteSeed(Out, "stream-tagged", tagged.Build());
  WriteSeed(Out, "stream-lost-sync",
            Join({Frames(audio, 4), Filled(300, 0xFF), Frames(audio, 4), Filled(7)}));
  WriteSeed(Out, "stream-free-format",
            Join({Id3v2Tag(20), Frames(TFrameSpec().Free(500), 5), Id3v1Tag()}));
  const TFrameSpec guarded = audio.With(&TFrameSpec::Protected);
  WriteSeed(Out, "stream-protected",
            Join({VbrFrame(guarded, {"Info", 5, 2100, 50, true}), Frames(guarded, 3),
                  Frame(guarded.With(&TFrameSpec::BadCRC)), Frames(guarded, 1)}));
  WriteSeed(Out, "stream-mixed",
            Join({Frames(audio, 4), Frames(TFrameSpec().Set(TVersion::MPEG2, 8, 0), 4)}));
  TTagFileBuilder gained = tagged;
  gained.Music = Frames(guarded, 6);
  WriteSeed(Out, "stream-mp3gain",
            Join({gained.Build(), Apev2Tag({{"MP3GAIN_UNDO", "-003,+002,N"}}, true),
                  Lyrics3Tag("lyrics"), Id3v1Tag()}));
  WriteSeed(Out, "stream-vbri",
            Join({VbrFrame(audio, {"VBRI", 4, 1668, 75, true}),
                  Frames(TFrameSpec().Set(TVersion::MPEG1, 5, 0), 4)}));
}

// Files that take the verdict's newer roads: tags at both ends in every
// form, MP3Gain's record in ID3v2 frames and none at all, files cut at
// either end, a rewritten header, delay and padding beyond the frames.
void VerdictSeeds(const TTagFileBuilder& Tag, const fs::path& Out) {
  using namespace kestrix::test;
  TFrameSpec audio;
  audio.Gains = {120, 130, 200, 0};
  const TBytes frames = Frames(audio, 6);
  const std::string undo = "+002,+002,N";
  // The records in front of a tagged file, so that their steps are undone.
  const auto recorded = [&](const TBytes& Id3v2) {
    TTagFileBuilder file = Tag;
    file.Prefix = Id3v2;
    file.Music = frames;
    return file.Build();
  };
  WriteSeed(Out, "verdict-txxx-latin1",
            recorded(Id3v2TagOf(
                4, 0x80, Id3v2Frame(4, "TXXX", UserTextContent(0, "MP3GAIN_UNDO", undo)), 30)));
  const TBytes cover = Id3v2Frame(3, "APIC", {0, 0xFF, 0xE0, 0xFF, 0x00, 0xFF, 0xFF});
  const TBytes unicode = Id3v2Frame(3, "TXXX", UserTextContent(1, "mp3gain_undo", undo));
  WriteSeed(Out, "verdict-txxx-v23-unsynchronised",
            recorded(Id3v2TagOf(
                3, 0xC0, Unsynchronised(Join({{0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, cover, unicode})))));
  const TBytes flagged =
      Unsynchronised(Join({{0x33, 0, 0, 0, 0x20}, UserTextContent(2, "MP3GAIN_UNDO", undo)}));
  WriteSeed(Out, "verdict-txxx-v24-flags",
            Join({recorded(Id3v2TagOf(4, 0, Id3v2Frame(4, "TXXX", flagged, 0x43))), Id3v1Tag()}));
  WriteSeed(Out, "verdict-leading-apev2", Join({Apev2Tag({}, true), Id3v2Tag(10), frames}));
  WriteSeed(
      Out, "verdict-appended-id3v2",
      Join({frames, Apev2Tag({{"MP3GAIN_UNDO", undo}}, false), Id3v1Tag(), Id3v2Tag(40, true)}));
  TBytes cutTag = Join({Id3v2Tag(3000), frames});
  cutTag.resize(1000);
  WriteSeed(Out, "verdict-cut-in-tag", Join({cutTag, Id3v1Tag()}));
  TBytes cutEarly = Join({Id3v2Tag(20), Frames(audio, 2)});
  cutEarly.resize(cutEarly.size() - 100);
  WriteSeed(Out, "verdict-cut-early", cutEarly);
  TFrameSpec needsMore = audio;
  needsMore.MainDataBegin = 300;
  WriteSeed(Out, "verdict-lost-start",
            Join({Filled(700, 0), Frame(needsMore), frames, Filled(4096, 0)}));
  WriteSeed(Out, "verdict-vbr-header-then-junk",
            Join({VbrFrame(audio, {"Info", 6, 2502, 50, true}), Filled(300)}));
  TTagFileBuilder overrun = Tag;
  overrun.Set(kestrix::test::tagindex::DelayPaddingIndex, {0x24, 0x05, 0xDC});
  overrun.Music = Frame(audio);
  WriteSeed(Out, "verdict-gapless-overrun", overrun.Build());
  // A piece: the VBR header's counts of the frames here, the LAME tag's
  // music length of the original.
  TTagFileBuilder piece = Tag;
  piece.Magic = "Xing";
  piece.Music = frames;
  TBytes split = piece.Build();
  split[36 + 4 + 3] = 0x03;  // frames and bytes present
  split[36 + 8 + 3] = 6;
  const std::size_t bytes = split.size();
  split[36 + 12 + 2] = static_cast<std::uint8_t>(bytes >> 8);
  split[36 + 12 + 3] = static_cast<std::uint8_t>(bytes);
  const std::size_t musicLength = 36 + 119 + kestrix::test::tagindex::MusicLengthIndex;
  split[musicLength + 1] = 0x01;  // 65,536 bytes more
  WriteSeed(Out, "verdict-split-piece", split);
  // MP3Gain without a record: the frames changed after the tag was made.
  TTagFileBuilder gained = Tag;
  gained.Music = frames;
  TBytes changed = gained.Build();
  TFrameSpec raised = audio;
  raised.Gains = {123, 133, 203, 0};
  const TBytes after = Frames(raised, 6);
  std::copy(after.begin(), after.end(), changed.end() - static_cast<std::ptrdiff_t>(after.size()));
  WriteSeed(Out, "verdict-mp3gain-no-record", changed);
}

void ReportSeeds(const fs::path& Samples, const fs::path& Out) {
  for (const auto& entry : fs::directory_iterator(Samples)) {
    if (entry.path().extension() == ".mp3") {
      TBytes head = kestrix::test::ReadFileBytes(entry.path());
      head.resize(std::min(head.size(), SampleHead));
      WriteSeed(Out, entry.path().filename().string(), head);
    }
  }
  using namespace kestrix::test::tagindex;
  TTagFileBuilder plain;
  plain.Version("LAME3.90 ").Set(QualityIndex, {78}).Set(LowpassIndex, {195});
  WriteSeed(Out, "crafted-plain", plain.Build());

  TTagFileBuilder id3 = plain;
  id3.Prefix = kestrix::test::Id3v2Tag(257, true);
  WriteSeed(Out, "crafted-id3-footer", id3.Build());

  TTagFileBuilder mono = plain;  // MPEG-2 mono, 64 kbit/s
  mono.Header[1] = 0xF3;
  mono.Header[2] = 0x84;
  mono.Header[3] = 0xC4;
  mono.XingOffset = 13;
  mono.FrameLength = 208;
  WriteSeed(Out, "crafted-mpeg2-mono", mono.Build());

  TTagFileBuilder free = plain;  // free format, "Xing"
  free.Header[2] = 0x00;
  free.Magic = "Xing";
  WriteSeed(Out, "crafted-free-format", free.Build());

  TTagFileBuilder revision = plain;  // revision 1, a named preset, ReplayGain
  revision.Set(RevisionMethodIndex, {0x14})
      .Set(PresetSurroundIndex, {0x09, 0xE0})
      .Set(PeakIndex, {0x00, 0x4E, 0x00, 0x00})
      .Set(TrackGainIndex, {0x2C, 0x0F})
      .Set(AlbumGainIndex, {0x4E, 0x23})
      .Set(MP3GainIndex, {0x85});
  WriteSeed(Out, "crafted-revision-preset", revision.Build());

  TTagFileBuilder old = plain;  // an encoder before tags: version text only
  old.FixCRCs = false;
  old.Version("LAME3.88 (beta)");
  WriteSeed(Out, "crafted-before-tags", old.Build());

  StreamSeeds(plain, Out);
  VerdictSeeds(plain, Out);
  WriteSeed(Out, "empty", {});
  WriteSeed(Out, "id3-largest", {'I', 'D', '3', 4, 0, 0x10, 0xFF, 0xFF, 0xFF, 0xFF});
}

void CommandLineSeeds(const fs::path& Out) {
  const std::u16string lines[] = {
      u"kestrix",
      u"kestrix help",
      u"kestrix --recursive \"C:\\My Music\\*.mp3\"",
      u"\"C:\\Program Files\\kestrix.exe\" \"\" x.mp3",
      u"kestrix \"\"\"\"a\"b c\"d\t\x01e",
      u"kestrix a\0b",
      u"kestrix \"unclosed quote",
      u"kestrix caf\u00E9 \U0001F3B5.mp3 \xD800",
      u"kestrix --verify -q --files-from list.txt --files0-from=- --summary --utf16 -- x",
  };
  int i = 0;
  for (const std::u16string& line : lines) {
    WriteSeed(Out, "line-" + std::to_string(i++), Utf16(line));
  }
  // The same target reads its bytes as file lists of both kinds.
  const std::string lists[] = {
      "a.mp3\r\n\r\nsub dir/b.mp3\n\nlast",
      std::string("x.mp3\0\0y\nz.mp3\0", 16),
      "bad\xFF\xC3name.mp3\n\xED\xA0\x80\r\r\n",
  };
  i = 0;
  for (const std::string& list : lists) {
    WriteSeed(Out, "list-" + std::to_string(i++), Text(list));
  }
}

void NameSeeds(const fs::path& Out) {
  const std::string names[] = {
      "plain.mp3",
      "caf\xC3\xA9 \xF0\x9F\x8E\xB5.mp3",
      "bad\xFF\xC3name\xED\xA0\x80.mp3",
      "line\nbreak \"quoted\", comma.mp3",
      "\x1B[2J\x1B]0;title\x07\xC2\x9B.mp3",
      "/music/../a/./b//c.mp3",
      "\xF4\x90\x80\x80\xE0\x80\x80\xC0\xAF",
  };
  int i = 0;
  for (const std::string& name : names) {
    WriteSeed(Out, "name-" + std::to_string(i++), Text(name));
  }
  WriteSeed(Out, "wide-pairs", Utf16(u"caf\u00E9 \U0001F3B5 \xDCFF\xD800x/.."));
}

}  // namespace

int main(int ArgumentCount, char** Arguments) {
  if (ArgumentCount != 3) {
    std::cerr << "usage: kestrix_fuzz_seeds SAMPLES_FOLDER OUTPUT_FOLDER\n";
    return 2;
  }
  const fs::path samples = Arguments[1];
  const fs::path out = Arguments[2];
  ReportSeeds(samples, out / "report");
  CommandLineSeeds(out / "commandline");
  NameSeeds(out / "names");
  return 0;
}
