// Any bytes as an MP3 file through every printer of one file. The readers
// must never fail on odd data, and the output must not depend on how the
// stream hands the bytes over.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "console/Report.h"
#include "console/WideConsole.h"
#include "fuzz/FuzzCheck.h"
#include "support/TestFiles.h"

namespace kestrix::fuzz {
namespace {

// Short pieces make the CRC loops continue after short reads. The reads
// that locate the tag (at most 37 bytes) take a short read as the end of
// the file, as a file stream only gives one there, so they get theirs whole.
constexpr std::int64_t ShortPiece = 40;

// The fixed-layout report of the bytes, as redirected output would hold it.
std::u16string ReportText(const test::TBytes& File, std::int64_t Piece) {
  std::u16string text;
  StdOut = std::make_unique<TWideStdOut>(text);
  test::TMemoryStream stream(File, Piece);
  PrintReport(stream);
  StdOut.reset();
  return text;
}

// Tag texts go out as stored, control characters included, so only the
// frame of the output is certain: it ends with a line end, and a file
// without a tag gets the one line that says so.
void CheckLines(const std::u16string& Text) {
  Require(Text.size() >= LineEnd.size() &&
              Text.compare(Text.size() - LineEnd.size(), LineEnd.size(), LineEnd) == 0,
          "the report ends with a line end");
  const std::u16string notFound = u"LAME tag not found.";
  Require(
      Text.compare(0, notFound.size(), notFound) != 0 || Text == notFound + std::u16string(LineEnd),
      "a missing tag is one line");
}

void CheckReport(const test::TBytes& File) {
  const std::u16string whole = ReportText(File, 0);
  CheckLines(whole);
  Require(ReportText(File, ShortPiece) == whole, "short reads give the same report");
}

}  // namespace
}  // namespace kestrix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const kestrix::test::TBytes file(Data, Data + Size);
  kestrix::fuzz::CheckReport(file);
  return 0;
}
