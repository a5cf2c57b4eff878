#include "output/CsvPrinter.h"

#include <array>
#include <charconv>
#include <type_traits>
#include <variant>

#include "analysis/Facts.h"
#include "platform/CodePage.h"
#include "text/Text.h"

namespace kestrix {

namespace {

constexpr std::string_view CsvRecordEnd = "\r\n";
constexpr char CsvQuote = '"';
constexpr std::string_view CharactersToQuote = "\",\r\n";
constexpr std::string_view ListSeparator = ";";

std::string Joined(const std::vector<std::string>& Names) {
  std::string cell;
  for (const std::string& name : Names) {
    if (!cell.empty()) {
      cell += ListSeparator;
    }
    cell += name;
  }
  return cell;
}

std::string ProblemsCell(const TVerdict& Verdict) {
  std::vector<std::string> names;
  for (const TProblem* problem : Verdict.Problems) {
    names.emplace_back(problem->Name);
  }
  return Joined(names);
}

// The shortest text that reads back as the same number.
std::string Number(double Value) {
  std::array<char, 32> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), Value);
  return std::string(buffer.data(), result.ptr);
}

std::string Cell(const TValue& Value) {
  return std::visit(
      [](const auto& Data) -> std::string {
        using T = std::decay_t<decltype(Data)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return {};
        } else if constexpr (std::is_same_v<T, bool>) {
          return Data ? "true" : "false";
        } else if constexpr (std::is_same_v<T, std::int64_t>) {
          return std::to_string(Data);
        } else if constexpr (std::is_same_v<T, double>) {
          return Number(Data);
        } else if constexpr (std::is_same_v<T, std::string>) {
          return Data;
        } else if constexpr (std::is_same_v<T, std::vector<std::string>>) {
          return Joined(Data);
        } else {
          std::vector<std::string> numbers;
          for (const std::int64_t number : Data) {
            numbers.push_back(std::to_string(number));
          }
          return Joined(numbers);
        }
      },
      Value);
}

template <std::size_t N>
void AddColumns(const std::array<TFact, N>& Table, std::vector<std::string>& Header) {
  for (const TFact& fact : Table) {
    if (!fact.Column.empty()) {
      Header.emplace_back(fact.Column);
    }
  }
}

// The cells of a group's columns; empty where the group or the object a
// fact is in is absent.
template <std::size_t N>
void AddCells(const std::array<TFact, N>& Table, bool Present, const TFileCheck& Check,
              std::vector<std::string>& Row) {
  for (const TFact& fact : Table) {
    if (fact.Column.empty()) {
      continue;
    }
    const bool present = Present && (fact.Within == nullptr || fact.Within->Present(Check));
    Row.push_back(present ? Cell(fact.Value(Check)) : std::string());
  }
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
  std::vector<std::string> header = {"path", "verdict", "problems", "lame_tag"};
  AddColumns(StreamFacts, header);
  AddColumns(TagFacts, header);
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
  row.emplace_back(Check.HasLameTag() ? "true" : "false");
  AddCells(StreamFacts, HasStreamFacts(Check), Check, row);
  AddCells(TagFacts, HasTagFacts(Check), Check, row);
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
