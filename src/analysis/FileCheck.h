#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "analysis/Verdict.h"
#include "describe/FieldTable.h"
#include "platform/FileStream.h"
#include "reader/StreamFacts.h"
#include "reader/TagLayout.h"

namespace kestrix {

// Everything the judging output forms show of one file, found by reading
// it once. A file that could not be read has the verdict error with its
// message, and nothing else.
struct TFileCheck {
  TVerdict Verdict;
  TTagFields Tag;              // the LAME tag's texts under the C locale
  std::int64_t FileSize = -1;  // -1 when the system could not tell
  TTagLayout Tags;             // the ID3 and other tags around the stream
  TStreamFacts Stream;         // HasStream false: no MPEG audio stream
  // The audio frames' samples less the LAME tag's delay and padding; only
  // with a LAME tag.
  std::optional<std::int64_t> Samples;

  bool HasLameTag() const { return Tag.Kind == TTagKind::Tag; }
};

// Opens the file, reads it once through the caller's buffer and judges it;
// never raises for a file that cannot be opened.
TFileCheck CheckFile(const std::u16string& FileName, platform::TReadBuffer& Buffer);
// The same for bytes from a stream the caller has opened.
TFileCheck CheckStream(platform::TStream& Stream, platform::TReadBuffer& Buffer);
// The same through a buffer of their own, for a file checked alone.
TFileCheck CheckFile(const std::u16string& FileName);
TFileCheck CheckStream(platform::TStream& Stream);
// A file (or a folder of the walk) whose reading failed with Message.
TFileCheck FailedCheck(const std::string& Message);

}  // namespace kestrix
