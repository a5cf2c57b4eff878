#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/FileStream.h"
#include "reader/StreamPass.h"

namespace kestrix {

enum class TTrailingTagKind : std::uint8_t { Id3v1, Apev2, Lyrics3 };

// "id3v1", "apev2" or "lyrics3".
const char* TrailingTagName(TTrailingTagKind Kind);

struct TTrailingTag {
  TTrailingTagKind Kind = TTrailingTagKind::Id3v1;
  TByteRange Bytes;
};

// Where a file's tags lie and, between them, its stream region.
struct TTagLayout {
  int Id3v2 = 0;                       // ID3v2 tags from offset 0 on, one after the other
  std::vector<TTrailingTag> Trailing;  // the tags at the end, in file order
  TByteRange StreamRegion;
  // The text of an APEv2 item "MP3GAIN_UNDO" (from the tag nearest the end
  // when several carry one).
  std::optional<std::string> MP3GainUndo;
};

// Finds the tags with a few small reads. Odd data never fails: an ID3v2 tag
// that claims more than the file ends at the file's end, and a trailing tag
// that would reach into the leading tags is no tag.
TTagLayout ReadTagLayout(platform::TStream& Stream, std::int64_t FileSize);

}  // namespace kestrix
