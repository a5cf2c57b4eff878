#include "output/JsonPrinter.h"

#include <nlohmann/json.hpp>

#include "analysis/Facts.h"
#include "platform/CodePage.h"
#include "text/Text.h"

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

// A field's value or one of the facts' and details' values.
template <typename TVariant>
TJson JsonValue(const TVariant& Value) {
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
      Value);
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
    values[std::string(value.Key)] = JsonValue(value.Value.Get());
  }
  values["file_size"] = Check.FileSize >= 0 ? TJson(Check.FileSize) : TJson(nullptr);
  return values;
}

TJson ProblemNames(const TVerdict& Verdict) {
  TJson problems = TJson::array();
  for (const TProblem* problem : Verdict.Problems) {
    problems.push_back(problem->Name);
  }
  return problems;
}

TJson Details(const TVerdict& Verdict) {
  TJson details = TJson::object();
  for (const TProblem* problem : Verdict.Problems) {
    if (problem->Details == nullptr) {
      continue;
    }
    TJson& figures = details[std::string(problem->Name)];
    for (const TFigure& figure : problem->Details(Verdict)) {
      figures[std::string(figure.Name)] = JsonValue(figure.Value);
    }
  }
  return details;
}

// The group's facts, nested as the table says; null when it is absent.
template <std::size_t N>
TJson Facts(const std::array<TFact, N>& Table, bool Present, const TFileCheck& Check) {
  if (!Present) {
    return nullptr;
  }
  TJson group = TJson::object();
  for (const TFact& fact : Table) {
    if (fact.Within == nullptr) {
      group[std::string(fact.Key)] = JsonValue(fact.Value(Check));
    } else if (!fact.Within->Present(Check)) {
      group[std::string(fact.Within->Key)] = nullptr;
    } else {
      group[std::string(fact.Within->Key)][std::string(fact.Key)] = JsonValue(fact.Value(Check));
    }
  }
  return group;
}

}  // namespace

std::string JsonFileLine(const std::u16string& FullName, const TFileCheck& Check) {
  const TVerdict& verdict = Check.Verdict;
  const bool failed = verdict.Kind == TVerdictKind::Error;
  TJson object;
  object["path"] = Utf8(FullName);
  object["verdict"] = VerdictName(verdict.Kind);
  object["problems"] = ProblemNames(verdict);
  if (failed) {
    object["error"] = Utf8(verdict.Error);
  }
  object["details"] = Details(verdict);
  object["lame_tag"] = Check.HasLameTag();
  object["stream"] = Facts(StreamFacts, HasStreamFacts(Check), Check);
  object["tags"] = Facts(TagFacts, HasTagFacts(Check), Check);
  object["fields"] = Fields(Check.Tag);
  object["values"] = failed ? TJson::object() : Values(Check);
  return Line(object);
}

std::string JsonErrorLine(const std::u16string& FullName, const std::string& Message) {
  return JsonFileLine(FullName, FailedCheck(Message));
}

namespace {

// Counts keyed by name, largest first.
TJson LibraryCounts(const std::vector<TNamedCount>& Counts) {
  TJson object = TJson::object();
  for (const TNamedCount& count : Counts) {
    object[Utf8(count.Name)] = count.Count;
  }
  return object;
}

TJson LibraryObject(const TLibrarySummary& Summary) {
  TJson library;
  library["files"] = Summary.Files();
  library["bytes"] = Summary.Bytes();
  library["duration"] = Summary.Duration();
  for (const TLibraryGroupName& group : LibraryGroups) {
    library[std::string(group.Key)] = LibraryCounts(Summary.Counts(group.Group));
  }
  return library;
}

}  // namespace

std::string JsonSummaryLine(const TTally& Tally, const std::optional<TLibrarySummary>& Library) {
  TJson summary;
  summary["format"] = JsonFormatVersion;
  summary["files"] = Tally.Files();
  summary["ok"] = Tally.Of(TVerdictKind::Ok);
  summary["warn"] = Tally.Of(TVerdictKind::Warn);
  summary["bad"] = Tally.Of(TVerdictKind::Bad);
  summary["not_mp3"] = Tally.Of(TVerdictKind::NotMP3);
  summary["error"] = Tally.Of(TVerdictKind::Error);
  if (Library) {
    summary["library"] = LibraryObject(*Library);
  }
  TJson object;
  object["summary"] = summary;
  return Line(object);
}

void TJsonPrinter::Print(const std::u16string& FullName, const TFileCheck& Check) {
  Output().WriteUtf8Line(JsonFileLine(FullName, Check), JsonLineEnd);
}

void TJsonPrinter::Finish() {
  Output().WriteUtf8Line(JsonSummaryLine(Tally(), LibrarySummary()), JsonLineEnd);
}

}  // namespace kestrix
