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

// What an output form needs of the analysis of a file.
struct TAnalysisNeeds {
  // The tags around the stream, the walk over every frame and the verdict;
  // without them (the report) only the LAME tag and both its CRCs.
  bool Judge = true;
  // Of the field texts: the C locale's for the machine-readable forms, the
  // user's for the report.
  platform::TNumberSeparators Separators = CLocaleSeparators();
};

// Everything the output forms show of one file, found by reading it once.
// A file that could not be read has the verdict error with its message,
// and nothing else; a file that was not judged has only its tag, its CRCs
// and its size.
struct TFileCheck {
  TVerdict Verdict;
  TTagFields Tag;              // the LAME tag's texts
  std::int64_t FileSize = -1;  // -1 when the system could not tell
  TTagLayout Tags;             // the ID3 and other tags around the stream
  TStreamFacts Stream;         // HasStream false: no MPEG audio stream
  // The audio frames' samples less the LAME tag's delay and padding; only
  // with a LAME tag.
  std::optional<std::int64_t> Samples;

  bool HasLameTag() const { return Tag.Kind == TTagKind::Tag; }
};

// "Cannot open file <name>", the error of a file that cannot be opened.
std::string CannotOpenMessage(const std::u16string& FileName);

// Opens the file, reads it once through the caller's buffer and finds what
// Needs asks for; never raises for a file that cannot be opened. This is
// the one way a file is read.
TFileCheck CheckFile(const std::u16string& FileName, platform::TReadBuffer& Buffer,
                     const TAnalysisNeeds& Needs = {});
// The same for bytes from a stream the caller has opened.
TFileCheck CheckStream(platform::TStream& Stream, platform::TReadBuffer& Buffer,
                       const TAnalysisNeeds& Needs = {});
// The same through a buffer of their own, for a file checked alone.
TFileCheck CheckFile(const std::u16string& FileName);
TFileCheck CheckStream(platform::TStream& Stream);
// A file (or a folder of the walk) whose reading failed with Message.
TFileCheck FailedCheck(const std::string& Message);

}  // namespace kestrix
