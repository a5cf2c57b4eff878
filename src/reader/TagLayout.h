#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileStream.h"
#include "reader/StreamPass.h"

namespace kestrix {

enum class TTagFormat : std::uint8_t { Id3v2, Id3v1, Apev2, Lyrics3 };

// "id3v2", "id3v1", "apev2" or "lyrics3".
const char* TagFormatName(TTagFormat Format);

struct TTagPlace {
  TTagFormat Format = TTagFormat::Id3v1;
  TByteRange Bytes;
};

// Where a file's tags lie and, between them, its stream region.
struct TTagLayout {
  int Id3v2 = 0;                    // leading ID3v2 tags
  std::vector<TTagPlace> Leading;   // ID3v2 and APEv2 tags from offset 0 on, in file order
  std::vector<TTagPlace> Trailing;  // the tags at the end, in file order
  TByteRange StreamRegion;
  // The bytes the last leading tag lacks when the file ends inside it; the
  // stream region is empty then.
  std::int64_t TruncatedTag = 0;
  // The text of the MP3Gain undo record: an APEv2 item "MP3GAIN_UNDO" (from
  // the tag nearest the end when several carry one), else an ID3v2 "TXXX"
  // frame of that description.
  std::optional<std::string> MP3GainUndo;
};

// Finds the tags with a few small reads. Odd data never fails: a leading
// ID3v2 tag that claims more than the file is cut short, and a tag that
// would reach into the leading tags, or an APEv2 tag past the file's end,
// is no tag.
TTagLayout ReadTagLayout(platform::TStream& Stream, std::int64_t FileSize);

}  // namespace kestrix
