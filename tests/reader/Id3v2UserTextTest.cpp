#include "reader/Id3v2UserText.h"

#include <gtest/gtest.h>

#include "support/StreamBuilder.h"

namespace kestrix::test {
namespace {

const std::string Undo = "MP3GAIN_UNDO";

std::string Found(const TBytes& Tag) {
  TMemoryStream stream(Join({Tag, Frames(TFrameSpec(), 2)}));
  return FindUserText(stream, {0, static_cast<std::int64_t>(Tag.size())}, Undo).value_or("-");
}

TBytes UserText(int Version, std::uint8_t Encoding, const std::string& Description,
                std::uint8_t Flags = 0) {
  return Id3v2Frame(Version, "TXXX", UserTextContent(Encoding, Description, "+002,+002,N"), Flags);
}

TEST(Id3v2UserTextTest, EveryEncodingVersionAndFlag) {
  const TBytes title = Id3v2Frame(3, "TIT2", {0, 'a', 0xFF, 0xE0, 0xFF, 0xFF, 0x00, 'b'});
  // ID3v2.4: a UTF-16 frame unsynchronised (its mark holds 0xFF 0xFE) with
  // a group byte and a length indicator before the text.
  const TBytes flagged =
      Join({{0x33, 0, 0, 0, 0x20}, UserTextContent(1, "mp3gain_undo", "+002,+002,N")});
  const struct {
    const char* Name;
    TBytes Tag;
    const char* Expected;
  } cases[] = {
      {"ID3v2.4, ISO-8859-1", Id3v2TagOf(4, 0, UserText(4, 0, Undo), 100), "+002,+002,N"},
      {"ID3v2.3, UTF-16 with its mark, lower case",
       Id3v2TagOf(3, 0, UserText(3, 1, "Mp3Gain_Undo")), "+002,+002,N"},
      {"UTF-16BE", Id3v2TagOf(4, 0, UserText(4, 2, Undo)), "+002,+002,N"},
      {"UTF-8 behind another description",
       Id3v2TagOf(4, 0, Join({UserText(4, 3, "MP3GAIN_MINMAX"), UserText(4, 3, Undo)})),
       "+002,+002,N"},
      {"ID3v2.4 frame flags",
       Id3v2TagOf(4, 0, Id3v2Frame(4, "TXXX", Unsynchronised(flagged), 0x43)), "+002,+002,N"},
      {"ID3v2.4 tag flag, as MP3Gain writes it", Id3v2TagOf(4, 0x80, UserText(4, 0, Undo)),
       "+002,+002,N"},
      {"ID3v2.3 unsynchronised as a whole, behind a frame that grew",
       Id3v2TagOf(3, 0x80, Unsynchronised(Join({title, UserText(3, 1, Undo)}))), "+002,+002,N"},
      {"ID3v2.3 extended header",
       Id3v2TagOf(3, 0x40, Join({{0, 0, 0, 6, 0, 0, 0, 0, 0, 0}, UserText(3, 0, Undo)})),
       "+002,+002,N"},
      {"ID3v2.4 extended header",
       Id3v2TagOf(4, 0x40, Join({{0, 0, 0, 6, 1, 0}, UserText(4, 0, Undo)})), "+002,+002,N"},
      {"compressed", Id3v2TagOf(4, 0, UserText(4, 0, Undo, 0x09)), "-"},
      {"ID3v2.2",
       [] {
         TBytes tag = Id3v2TagOf(4, 0, UserText(4, 0, Undo));
         tag[3] = 2;
         return tag;
       }(),
       "-"},
      {"a frame claiming more than the tag",
       [] {
         TBytes title = Id3v2Frame(4, "TIT2", TBytes(10, 'x'));
         title[6] = 0x40;
         return Id3v2TagOf(4, 0, Join({title, UserText(4, 0, Undo)}));
       }(),
       "-"},
      {"padding ends the frames", Id3v2TagOf(4, 0, Join({TBytes(10, 0), UserText(4, 0, Undo)})),
       "-"},
      {"an encoding beyond the four", Id3v2TagOf(4, 0, UserText(4, 4, Undo)), "-"},
      {"an empty frame", Id3v2TagOf(4, 0, Id3v2Frame(4, "TXXX", {})), "-"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Expected, Found(c.Tag));
  }
}

TEST(Id3v2UserTextTest, HopsOverACoverWithoutReadingIt) {
  const TBytes tag = Id3v2TagOf(
      4, 0, Join({Id3v2Frame(4, "APIC", TBytes(1 << 20, 0xFF)), UserText(4, 0, Undo)}), 2000);
  TMemoryStream stream(tag);
  EXPECT_EQ("+002,+002,N",
            FindUserText(stream, {0, static_cast<std::int64_t>(tag.size())}, Undo).value_or("-"));
  EXPECT_LT(stream.BytesDelivered, 16 * 1024);
  EXPECT_LE(stream.Requests.size(), 4u);
}

}  // namespace
}  // namespace kestrix::test
