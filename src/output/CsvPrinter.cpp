#include "output/CsvPrinter.h"

#include "console/WideConsole.h"
#include "platform/CodePage.h"

namespace kestrix {

namespace {

constexpr std::string_view CsvRecordEnd = "\r\n";
constexpr char CsvQuote = '"';
constexpr std::string_view CharactersToQuote = "\",\r\n";
constexpr std::string_view ProblemSeparator = ";";

enum TLeadingColumn : std::size_t { colPath, colVerdict, colProblems, LeadingColumns };

std::string ProblemsCell(const TVerdict& Verdict) {
  std::string cell;
  for (const TProblem problem : Verdict.Problems) {
    if (!cell.empty()) {
      cell += ProblemSeparator;
    }
    cell += ProblemName(problem);
  }
  return cell;
}

// Path, verdict and problems filled, every other cell empty.
std::vector<std::string> StartRow(const std::u16string& FullName, const TVerdict& Verdict) {
  std::vector<std::string> row(CsvHeader().size());
  row[colPath] = ValidUtf8(FullName);
  row[colVerdict] = VerdictName(Verdict.Kind);
  row[colProblems] = ProblemsCell(Verdict);
  return row;
}

void PrintRecord(const std::vector<std::string>& Cells) {
  PrintUtf8Line(CsvRecord(Cells), CsvRecordEnd);
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
  for (const std::string& key : AllFieldKeys()) {
    header.push_back(key);
  }
  header.push_back("error");
  return header;
}

std::vector<std::string> CsvFileRow(const std::u16string& FullName, const TFileCheck& Check) {
  std::vector<std::string> row = StartRow(FullName, Check.Verdict);
  if (Check.Verdict.Kind == TVerdictKind::Error) {
    row.back() = ValidUtf8(platform::Widen(Check.Verdict.Error));
    return row;
  }
  const std::vector<std::string> keys = AllFieldKeys();
  const auto put = [&](const std::string& Key, const std::u16string& Text) {
    for (std::size_t i = 0; i < keys.size(); ++i) {
      if (keys[i] == Key) {
        row[LeadingColumns + i] = ValidUtf8(Text);
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
  PrintRecord(CsvHeader());
}

void TCsvPrinter::PrintFile(const std::u16string& FullName, const TFileCheck& Check) {
  PrintRecord(CsvFileRow(FullName, Check));
  Tally.Count(Check.Verdict.Kind);
}

}  // namespace kestrix
