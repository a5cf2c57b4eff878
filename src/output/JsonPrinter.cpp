#include "output/JsonPrinter.h"

#include <nlohmann/json.hpp>

#include "console/WideConsole.h"
#include "platform/CodePage.h"

namespace kestrix {

namespace {

using TJson = nlohmann::ordered_json;

constexpr std::string_view JsonLineEnd = "\n";

std::string Utf8(const std::u16string& Text) {
  return ValidUtf8(Text);
}

std::string Utf8(const std::string& EightBitText) {
  return ValidUtf8(platform::Widen(EightBitText));
}

std::string Line(const TJson& Object) {
  // Every text is valid UTF-8 already; replacing is only the last guard.
  return Object.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

TJson JsonValue(const TFieldValue& Value) {
  return std::visit(
      [](const auto& Data) -> TJson {
        using T = std::decay_t<decltype(Data)>;
        if constexpr (std::is_same_v<T, std::monostate>) {
          return nullptr;
        } else if constexpr (std::is_same_v<T, std::string>) {
          return Utf8(Data);
        } else {
          return Data;
        }
      },
      Value.Get());
}

TJson Fields(const TTagFields& Tag) {
  TJson fields = TJson::object();
  for (const TFieldLine& line : Tag.Lines) {
    fields[line.Key] = Utf8(line.Text);
  }
  if (Tag.Guess) {
    fields[FieldKey(PresetGuessLabel)] = Utf8(Tag.GuessText());
  }
  return fields;
}

TJson Values(const TFileCheck& Check) {
  TJson values = TJson::object();
  for (const TNamedValue& value : Check.Tag.Values) {
    values[std::string(value.Key)] = JsonValue(value.Value);
  }
  values["file_size"] = Check.FileSize >= 0 ? TJson(Check.FileSize) : TJson(nullptr);
  return values;
}

TJson Problems(const TVerdict& Verdict) {
  TJson problems = TJson::array();
  for (const TProblem problem : Verdict.Problems) {
    problems.push_back(ProblemName(problem));
  }
  return problems;
}

}  // namespace

std::string JsonFileLine(const std::u16string& FullName, const TFileCheck& Check) {
  const TVerdict& verdict = Check.Verdict;
  TJson object;
  object["path"] = Utf8(FullName);
  object["verdict"] = VerdictName(verdict.Kind);
  object["problems"] = Problems(verdict);
  if (verdict.Kind == TVerdictKind::Error) {
    object["error"] = Utf8(verdict.Error);
    object["fields"] = TJson::object();
    object["values"] = TJson::object();
    return Line(object);
  }
  object["fields"] = Fields(Check.Tag);
  object["values"] = Values(Check);
  return Line(object);
}

std::string JsonErrorLine(const std::u16string& FullName, const std::string& Message) {
  return JsonFileLine(FullName, FailedCheck(Message));
}

std::string JsonSummaryLine(const TTally& Tally) {
  TJson summary;
  summary["format"] = JsonFormatVersion;
  summary["files"] = Tally.Files();
  summary["ok"] = Tally.Of(TVerdictKind::Ok);
  summary["bad"] = Tally.Of(TVerdictKind::Bad);
  summary["no_tag"] = Tally.Of(TVerdictKind::NoTag);
  summary["error"] = Tally.Of(TVerdictKind::Error);
  TJson object;
  object["summary"] = summary;
  return Line(object);
}

void TJsonPrinter::PrintFile(const std::u16string& FullName, const TFileCheck& Check) {
  PrintUtf8Line(JsonFileLine(FullName, Check), JsonLineEnd);
  Tally.Count(Check.Verdict.Kind);
}

void TJsonPrinter::Finish() {
  PrintUtf8Line(JsonSummaryLine(Tally), JsonLineEnd);
}

}  // namespace kestrix
