#include "output/JsonPrinter.h"

#include <nlohmann/json.hpp>

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

TJson StoredActual(const TStoredActual& Figures) {
  return {{"stored", Figures.Stored}, {"actual", Figures.Actual}};
}

TJson UnverifiableCRCs(const TVerdict& Verdict) {
  TJson crcs = TJson::array();
  if (Verdict.UnverifiableTagCRC) {
    crcs.push_back("tag");
  }
  if (Verdict.UnverifiableMusicCRC) {
    crcs.push_back("music");
  }
  return {{"crcs", crcs}};
}

// The figures of a problem; null for one that has none.
TJson ProblemDetails(TProblem Problem, const TVerdict& Verdict) {
  switch (Problem) {
    case TProblem::Truncated:
      return {{"missing", Verdict.MissingBytes}};
    case TProblem::TruncatedFrame:
      return {{"missing", Verdict.FrameMissingBytes}};
    case TProblem::MissingFrames:
    case TProblem::ExtraFrames:
      return StoredActual(Verdict.FrameCount);
    case TProblem::ByteCount:
      return StoredActual(Verdict.ByteCount);
    case TProblem::LostSync:
      return {{"events", Verdict.LostSync.Events},
              {"bytes", Verdict.LostSync.Bytes},
              {"first_offset", Verdict.LostSync.FirstOffset}};
    case TProblem::FrameCRC:
      return {{"frames", Verdict.FailedFrameCRCs}};
    case TProblem::JunkBefore:
      return {{"bytes", Verdict.JunkBefore}};
    case TProblem::JunkAfter:
      return {{"bytes", Verdict.JunkAfter}};
    case TProblem::MP3Gain:
      return {{"steps", {Verdict.MP3GainSteps.Left, Verdict.MP3GainSteps.Right}}};
    case TProblem::UnverifiableCRC:
      return UnverifiableCRCs(Verdict);
    case TProblem::TagCRC:
    case TProblem::MusicCRC:
    case TProblem::MixedStream:
    case TProblem::NoVbrHeader:
      break;
  }
  return nullptr;
}

TJson Details(const TVerdict& Verdict) {
  TJson details = TJson::object();
  for (const TProblem problem : Verdict.Problems) {
    TJson figures = ProblemDetails(problem, Verdict);
    if (!figures.is_null()) {
      details[ProblemName(problem)] = std::move(figures);
    }
  }
  return details;
}

template <typename TValue>
TJson ValueOrNull(const std::optional<TValue>& Value) {
  return Value ? TJson(*Value) : TJson(nullptr);
}

TJson VbrHeader(const std::optional<TVbrHeader>& Header) {
  if (!Header) {
    return nullptr;
  }
  TJson object;
  object["kind"] = VbrHeaderKindName(Header->Kind);
  object["frames"] = ValueOrNull(Header->Frames);
  object["bytes"] = ValueOrNull(Header->Bytes);
  object["quality"] = ValueOrNull(Header->Quality);
  object["toc"] = Header->Toc;
  return object;
}

TJson Stream(const TFileCheck& Check) {
  const TStreamFacts& facts = Check.Stream;
  if (!facts.HasStream) {
    return nullptr;
  }
  TJson stream;
  stream["first_frame"] = facts.FirstFrame;
  stream["version"] = MPEGVersionName(facts.Version);
  stream["sample_rate"] = facts.SampleRate;
  stream["channels"] = facts.Channels;
  stream["frames"] = facts.Frames;
  stream["bytes"] = facts.Bytes;
  stream["duration"] = facts.Duration;
  stream["samples"] = ValueOrNull(Check.Samples);
  stream["bitrate_mode"] = BitrateModeName(facts.BitrateMode);
  stream["average_bitrate"] = ValueOrNull(facts.AverageBitrate);
  stream["protected_frames"] = facts.ProtectedFrames;
  stream["vbr_header"] = VbrHeader(facts.VbrHeader);
  return stream;
}

TJson Tags(const TTagLayout& Layout) {
  TJson trailing = TJson::array();
  for (const TTrailingTag& tag : Layout.Trailing) {
    trailing.push_back(TrailingTagName(tag.Kind));
  }
  return {{"id3v2", Layout.Id3v2}, {"trailing", trailing}};
}

}  // namespace

std::string JsonFileLine(const std::u16string& FullName, const TFileCheck& Check) {
  const TVerdict& verdict = Check.Verdict;
  const bool failed = verdict.Kind == TVerdictKind::Error;
  TJson object;
  object["path"] = Utf8(FullName);
  object["verdict"] = VerdictName(verdict.Kind);
  object["problems"] = Problems(verdict);
  if (failed) {
    object["error"] = Utf8(verdict.Error);
  }
  object["details"] = Details(verdict);
  object["lame_tag"] = Check.HasLameTag();
  object["stream"] = Stream(Check);
  object["tags"] = failed ? TJson(nullptr) : Tags(Check.Tags);
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
