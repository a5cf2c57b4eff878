// Any bytes as an MP3 file through every printer of one file. The readers
// must never fail on odd data, and the output must not depend on how the
// stream hands the bytes over.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "analysis/FileCheck.h"
#include "fuzz/FuzzCheck.h"
#include "output/CsvPrinter.h"
#include "output/JsonPrinter.h"
#include "output/ReportPrinter.h"
#include "output/VerifyPrinter.h"
#include "platform/Unicode.h"
#include "support/TestFiles.h"
#include "text/WideWriter.h"

namespace kestrix::fuzz {
namespace {

// Short pieces make the CRC loops continue after short reads. The reads
// that locate the tag (at most 37 bytes) take a short read as the end of
// the file, as a file stream only gives one there, so they get theirs whole.
constexpr std::int64_t ShortPiece = 40;

// The fixed-layout report of the bytes, as redirected output would hold it.
std::u16string ReportText(const test::TBytes& File, std::int64_t Piece) {
  std::u16string text;
  TWideStdOut output(text, TTextEncoding::Utf16LE);
  test::TMemoryStream stream(File, Piece);
  platform::TReadBuffer buffer;
  const TAnalysisNeeds report{false, CLocaleSeparators()};
  PrintTagReport(output, CheckStream(stream, buffer, report).Tag);
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

// The other printers print what the analysis of the bytes found, with the
// library summary when asked to.
template <typename TFormPrinter>
std::u16string PrinterText(const test::TBytes& File, bool Summary = false) {
  test::TMemoryStream stream(File);
  const TFileCheck check = CheckStream(stream);
  std::u16string text;
  TWideStdOut output(text, TTextEncoding::Utf16LE);
  TFormPrinter printer(output);
  if (Summary) {
    printer.KeepLibrarySummary();
  }
  printer.Start();
  printer.PrintFile(u"/music/fuzz.mp3", check);
  printer.Finish();
  return text;
}

// Every line is one JSON object, the last one the summary of one file.
void CheckJson(const test::TBytes& File) {
  const std::string text = platform::Utf16ToUtf8(PrinterText<TJsonPrinter>(File, true),
                                                 platform::TLoneSurrogate::Replace);
  std::size_t lines = 0;
  nlohmann::json last;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find('\n', start);
    Require(end != std::string::npos, "every JSON line ends with LF");
    last = nlohmann::json::parse(text.substr(start, end - start));
    Require(last.is_object(), "every JSON line is an object");
    ++lines;
    start = end + 1;
  }
  Require(lines == 2, "one file object and one summary");
  Require(last["summary"]["files"] == 1, "the summary counts the file");
  Require(last["summary"]["library"]["files"] <= 1, "the library holds at most the file");
}

// Quotes pair up, so the one file stays one row behind the header.
void CheckCsv(const test::TBytes& File) {
  const std::u16string text = PrinterText<TCsvPrinter>(File);
  bool quoted = false;
  std::size_t records = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'"') {
      quoted = !quoted;
    } else if (!quoted && text[i] == u'\n') {
      Require(i > 0 && text[i - 1] == u'\r', "records end with CR LF");
      ++records;
    }
  }
  Require(!quoted, "every quoted cell is closed");
  Require(records == 2, "a header row and one row");
}

void CheckVerify(const test::TBytes& File) {
  const std::u16string text = PrinterText<TVerifyPrinter>(File);
  std::size_t lines = 0;
  for (const char16_t c : text) {
    lines += c == u'\n' ? 1 : 0;
  }
  Require(lines == 2, "one verdict line and the summary");
}

}  // namespace
}  // namespace kestrix::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  const kestrix::test::TBytes file(Data, Data + Size);
  kestrix::fuzz::CheckReport(file);
  kestrix::fuzz::CheckJson(file);
  kestrix::fuzz::CheckCsv(file);
  kestrix::fuzz::CheckVerify(file);
  return 0;
}
