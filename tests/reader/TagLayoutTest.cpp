#include "reader/TagLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "support/StreamBuilder.h"

namespace kestrix::test {
namespace {

std::string Names(const std::vector<TTagPlace>& Tags) {
  std::string names;
  for (const TTagPlace& tag : Tags) {
    names += (names.empty() ? "" : ";") + std::string(TagFormatName(tag.Format));
  }
  return names;
}

// "leading a;b, trailing c;d, region [B, E), undo U", and ", cut N" for a
// leading tag the file ends in.
std::string Describe(const TBytes& File, std::int64_t Size = -1) {
  TMemoryStream stream(File);
  const TTagLayout layout = ReadTagLayout(stream, Size < 0 ? stream.Size() : Size);
  std::int64_t end = 0;
  for (const TTagPlace& tag : layout.Leading) {
    EXPECT_EQ(end, tag.Bytes.Begin) << "leading tags follow one another";
    end = tag.Bytes.End;
  }
  EXPECT_EQ(std::count_if(layout.Leading.begin(), layout.Leading.end(),
                          [](const TTagPlace& Tag) { return Tag.Format == TTagFormat::Id3v2; }),
            layout.Id3v2);
  if (layout.TruncatedTag == 0) {
    EXPECT_EQ(end, layout.StreamRegion.Begin);
  }
  end = layout.StreamRegion.End;
  for (const TTagPlace& tag : layout.Trailing) {
    EXPECT_EQ(end, tag.Bytes.Begin) << "trailing tags follow one another";
    end = tag.Bytes.End;
  }
  EXPECT_EQ(File.size(), static_cast<std::size_t>(end));
  return "leading " + Names(layout.Leading) + ", trailing " + Names(layout.Trailing) +
         ", region [" + std::to_string(layout.StreamRegion.Begin) + ", " +
         std::to_string(layout.StreamRegion.End) + "), undo " + layout.MP3GainUndo.value_or("-") +
         (layout.TruncatedTag > 0 ? ", cut " + std::to_string(layout.TruncatedTag) : "");
}

TEST(TagLayoutTest, TagsAtBothEndsInAnyOrder) {
  const TBytes music = Filled(1000, 0x55);
  const TBytes undo =
      Apev2Tag({{"REPLAYGAIN_TRACK_GAIN", "-6.5 dB"}, {"MP3GAIN_UNDO", "-003,-003,N"}}, true);
  TBytes badRevision = Id3v2Tag(20);
  badRevision[4] = 0xFF;
  TBytes hugeApe = Apev2Tag({}, false);
  hugeApe[12] = 0xFF;  // a size past the leading tags
  TBytes noLyricsBegin = Lyrics3Tag("words");
  noLyricsBegin[0] = 'X';
  TBytes hugeApeHeader = Apev2Tag({}, true);
  hugeApeHeader[13] = 0x10;  // header and footer claim 4 KiB
  hugeApeHeader[45] = 0x10;
  TBytes otherFooter = Id3v2Tag(40, true);
  otherFooter[9] = 41;
  const TBytes undoFrame =
      Id3v2TagOf(4, 0, Id3v2Frame(4, "TXXX", UserTextContent(0, "MP3GAIN_UNDO", "+002,+002,N")));
  TBytes cutId3v2 = Id3v2Tag(5000);
  cutId3v2.resize(100);
  const struct {
    const char* Name;
    TBytes File;
    const char* Expected;
  } cases[] = {
      {"none", music, "leading , trailing , region [0, 1000), undo -"},
      {"two ID3v2, one with a footer", Join({Id3v2Tag(20, true), Id3v2Tag(5), music}),
       "leading id3v2;id3v2, trailing , region [55, 1055), undo -"},
      {"ID3v2 with revision 0xFF is not a tag", Join({badRevision, music}),
       "leading , trailing , region [0, 1030), undo -"},
      {"ID3v1", Join({music, Id3v1Tag()}), "leading , trailing id3v1, region [0, 1000), undo -"},
      {"APEv2 without header", Join({music, Apev2Tag({{"Artist", "x"}}, false)}),
       "leading , trailing apev2, region [0, 1000), undo -"},
      {"APEv2 with header, then ID3v1",
       Join({music, Apev2Tag({{"Artist", "x"}}, true), Id3v1Tag()}),
       "leading , trailing apev2;id3v1, region [0, 1000), undo -"},
      {"Lyrics3, APEv2, ID3v1", Join({music, Lyrics3Tag("words"), undo, Id3v1Tag()}),
       "leading , trailing lyrics3;apev2;id3v1, region [0, 1000), undo -003,-003,N"},
      {"ID3v1 before APEv2 before Lyrics3", Join({music, Id3v1Tag(), undo, Lyrics3Tag("")}),
       "leading , trailing id3v1;apev2;lyrics3, region [0, 1000), undo -003,-003,N"},
      {"undo key in lower case", Join({music, Apev2Tag({{"mp3gain_undo", "+001,+002,N"}}, false)}),
       "leading , trailing apev2, region [0, 1000), undo +001,+002,N"},
      {"APEv2 size past the leading tags", Join({Id3v2Tag(0), hugeApe}),
       "leading id3v2, trailing , region [10, 42), undo -"},
      {"Lyrics3 without its beginning", Join({music, noLyricsBegin}),
       "leading , trailing , region [0, 1031), undo -"},
      {"only an ID3v1 tag", Id3v1Tag(), "leading , trailing id3v1, region [0, 0), undo -"},
      {"ID3v2 claiming more than the file", cutId3v2,
       "leading id3v2, trailing , region [100, 100), undo -, cut 4910"},
      {"ID3v2 claiming more than the file, an ID3v1 tag at its end", Join({cutId3v2, Id3v1Tag()}),
       "leading id3v2, trailing id3v1, region [100, 100), undo -, cut 4782"},
      {"empty APEv2 tag at the start", Join({Apev2Tag({}, true), music}),
       "leading apev2, trailing , region [64, 1064), undo -"},
      {"ID3v2, APEv2, ID3v2 at the start",
       Join({Id3v2Tag(5), Apev2Tag({{"Artist", "x"}}, true), Id3v2Tag(0), music}),
       "leading id3v2;apev2;id3v2, trailing , region [105, 1105), undo -"},
      {"APEv2 header at the start claiming more than the file", Join({hugeApeHeader, music}),
       "leading , trailing , region [0, 1064), undo -"},
      {"ID3v2.4 appended behind an ID3v1 tag",
       Join({music, Apev2Tag({{"MP3GAIN_UNDO", "-001,-001,N"}}, false), Id3v1Tag(),
             Id3v2Tag(40, true)}),
       "leading , trailing apev2;id3v1;id3v2, region [0, 1000), undo -001,-001,N"},
      {"undo record in an ID3v2 frame", Join({undoFrame, music}),
       "leading id3v2, trailing , region [45, 1045), undo +002,+002,N"},
      {"the APEv2 item wins", Join({undoFrame, music, undo}),
       "leading id3v2, trailing apev2, region [45, 1045), undo -003,-003,N"},
      {"footer whose header disagrees", Join({music, otherFooter}),
       "leading , trailing , region [0, 1060), undo -"},
      {"empty file", TBytes(), "leading , trailing , region [0, 0), undo -"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Expected, Describe(c.File));
  }
}

TEST(TagLayoutTest, SkipsLargeItemsWithoutReadingThem) {
  const std::string cover(1 << 20, 'x');
  const TBytes file =
      Join({Filled(5000, 0x55),
            Apev2Tag({{"Cover Art (Front)", cover}, {"MP3GAIN_UNDO", "-001,-001,N"}}, true),
            Id3v1Tag()});
  TMemoryStream stream(file);
  EXPECT_EQ("-001,-001,N", ReadTagLayout(stream, stream.Size()).MP3GainUndo.value_or("-"));
  EXPECT_LT(stream.BytesDelivered, 16 * 1024);
  EXPECT_LE(stream.Requests.size(), 8u);
}

}  // namespace
}  // namespace kestrix::test
