#include "output/CsvPrinter.h"

#include <array>
#include <charconv>
#include <optional>
#include <type_traits>

#include "platform/CodePage.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::string_view CsvRecordEnd = "\r\n";
constexpr char CsvQuote = '"';
constexpr std::string_view CharactersToQuote = "\",\r\n";
constexpr std::string_view ProblemSeparator = ";";

// The columns after path, verdict and problems, before the field texts.
constexpr std::array<std::string_view, 17> FactColumns = {
    "lame_tag",   "first_frame", "version",   "sample_rate",  "channels",        "frames",
    "bytes",      "duration",    "samples",   "bitrate_mode", "average_bitrate", "protected_frames",
    "vbr_header", "vbr_frames",  "vbr_bytes", "id3v2",        "trailing"};

std::string Joined(const std::vector<std::string>& Names) {
  std::string cell;
  for (const std::string& name : Names) {
    if (!cell.empty()) {
      cell += ProblemSeparator;
    }
    cell += name;
  }
  return cell;
}

std::string ProblemsCell(const TVerdict& Verdict) {
  std::vector<std::string> names;
  for (const TProblem problem : Verdict.Problems) {
    names.push_back(ProblemName(problem));
  }
  return Joined(names);
}

std::string Number(std::int64_t Value) {
  return std::to_string(Value);
}

// The shortest text that reads back as the same number.
std::string Number(double Value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), Value);
  return std::string(buffer.data(), result.ptr);
}

template <typename TValue>
std::string Cell(const std::optional<TValue>& Value) {
  return Value ? Number(static_cast<
                        std::conditional_t<std::is_floating_point_v<TValue>, double, std::int64_t>>(
                     *Value))
               : std::string();
}

// The fact cells; those of a stream stay empty when there is none.
std::vector<std::string> FactCells(const TFileCheck& Check) {
  const TStreamFacts& facts = Check.Stream;
  std::vector<std::string> trailing;
  for (const TTrailingTag& tag : Check.Tags.Trailing) {
    trailing.push_back(TrailingTagName(tag.Kind));
  }
  const std::string tags[] = {Number(std::int64_t{Check.Tags.Id3v2}), Joined(trailing)};
  std::vector<std::string> cells = {Check.HasLameTag() ? "true" : "false"};
  if (facts.HasStream) {
    const auto& header = facts.VbrHeader;
    cells.insert(
        cells.end(),
        {Number(facts.FirstFrame), MPEGVersionName(facts.Version),
         Number(std::int64_t{facts.SampleRate}), Number(std::int64_t{facts.Channels}),
         Number(facts.Frames), Number(facts.Bytes), Number(facts.Duration), Cell(Check.Samples),
         BitrateModeName(facts.BitrateMode), Cell(facts.AverageBitrate),
         Number(facts.ProtectedFrames), header ? VbrHeaderKindName(header->Kind) : "",
         header ? Cell(header->Frames) : "", header ? Cell(header->Bytes) : ""});
  } else {
    cells.resize(FactColumns.size() - std::size(tags));
  }
  cells.insert(cells.end(), std::begin(tags), std::end(tags));
  return cells;
}

void PrintRecord(TTextWriter& Output, const std::vector<std::string>& Cells) {
  Output.WriteUtf8Line(CsvRecord(Cells), CsvRecordEnd);
}

}  // namespace

std::string CsvRecord(const std::vector<std::string>& Cells) {
  std::string record;
  for (std::size_t i = 0; i < Cells.size(); ++i) {
    if (i > 0) {
      record += ',';
    }
    const std::string& cell = Cells[i];
    if (cell.find_first_of(CharactersToQuote) == std::string::npos) {
      record += cell;
      continue;
    }
    record += CsvQuote;
    for (const char c : cell) {
      if (c == CsvQuote) {
        record += CsvQuote;
      }
      record += c;
    }
    record += CsvQuote;
  }
  return record;
}

std::vector<std::string> CsvHeader() {
  std::vector<std::string> header = {"path", "verdict", "problems"};
  header.insert(header.end(), FactColumns.begin(), FactColumns.end());
  for (const std::string& key : AllFieldKeys()) {
    header.push_back(key);
  }
  header.push_back("error");
  return header;
}

std::vector<std::string> CsvFileRow(const std::u16string& FullName, const TFileCheck& Check) {
  const TVerdict& verdict = Check.Verdict;
  std::vector<std::string> row = {ValidUtf8(FullName), VerdictName(verdict.Kind),
                                  ProblemsCell(verdict)};
  const std::size_t header = CsvHeader().size();
  if (verdict.Kind == TVerdictKind::Error) {
    row.resize(header);
    row.back() = ValidUtf8(platform::Widen(verdict.Error));
    return row;
  }
  const std::vector<std::string> facts = FactCells(Check);
  row.insert(row.end(), facts.begin(), facts.end());
  const std::size_t fieldsStart = row.size();
  const std::vector<std::string> keys = AllFieldKeys();
  row.resize(header);
  const auto put = [&](const std::string& Key, const std::u16string& Text) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] == Key) {
        row[fieldsStart + i] = ValidUtf8(Text);
      }
    }
  };
  for (const TFieldLine& line : Check.Tag.Lines) {
    put(line.Key, line.Text);
  }
  if (Check.Tag.Guess) {
    put(FieldKey(PresetGuessLabel), Check.Tag.GuessText());
  }
  return row;
}

std::vector<std::string> CsvErrorRow(const std::u16string& FullName, const std::string& Message) {
  return CsvFileRow(FullName, FailedCheck(Message));
}

void TCsvPrinter::Start() {
  PrintRecord(Output(), CsvHeader());
}

void TCsvPrinter::Print(const std::u16string& FullName, const TFileCheck& Check) {
  PrintRecord(Output(), CsvFileRow(FullName, Check));
}

}  // namespace kestrix
