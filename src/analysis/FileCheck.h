#pragma once

#include <cstdint>
#include <string>

#include "analysis/Verdict.h"
#include "describe/FieldTable.h"
#include "platform/FileStream.h"

namespace kestrix {

// Everything the judging output forms show of one file, found by reading
// it once. A file that could not be read has the verdict error with its
// message, and nothing else.
struct TFileCheck {
  TVerdict Verdict;
  TTagFields Tag;              // the texts under the C locale
  std::int64_t FileSize = -1;  // -1 when the system could not tell
};

// Opens the file, reads it once and judges it; never raises for a file
// that cannot be opened.
TFileCheck CheckFile(const std::u16string& FileName);
// The same for bytes from a stream the caller has opened.
TFileCheck CheckStream(platform::TStream& Stream);
// A file whose reading failed with Message.
TFileCheck FailedCheck(const std::string& Message);

}  // namespace kestrix
