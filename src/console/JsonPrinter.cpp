#include "console/JsonPrinter.h"

#include <array>
#include <cmath>
#include <nlohmann/json.hpp>

#include "console/ReportFields.h"
#include "console/WideConsole.h"
#include "platform/CodePage.h"

namespace kestrix {

namespace {

using TJson = nlohmann::ordered_json;

constexpr std::string_view JsonLineEnd = "\n";
// The report's text for a value that is absent; the value is then null.
constexpr std::u16string_view NotStoredText = u"<not stored>";
constexpr double TenthsPerDecibel = 10.0;
constexpr double DecibelsPerMP3GainStep = 1.5;

std::string Utf8(const std::u16string& Text) {
  return ValidUtf8(Text);
}

std::string Utf8(const std::string& EightBitText) {
  return ValidUtf8(platform::Widen(EightBitText));
}

std::string HexWord(std::uint16_t Value) {
  return Utf8(FormatText(u"%.4x", {Value}));
}

std::string Line(const TJson& Object) {
  // Every text is valid UTF-8 already; replacing is only the last guard.
  return Object.dump(-1, ' ', false, TJson::error_handler_t::replace);
}

// The fields' texts by key, so that a value is null exactly where the
// report says "<not stored>".
class TFieldTexts {
 public:
  explicit TFieldTexts(const std::vector<TKeyedField>& Fields) : Fields(Fields) {}
  bool IsStored(const std::string& Key) const {
    for (const TKeyedField& field : Fields) {
      if (field.Key == Key) {
        return field.Text != NotStoredText;
      }
    }
    return false;
  }

 private:
  const std::vector<TKeyedField>& Fields;
};

template <typename TValue>
TJson StoredOrNull(bool Stored, TValue Value) {
  return Stored ? TJson(Value) : TJson(nullptr);
}

double GainDecibels(const TRawReplayGain& Gain) {
  const double magnitude = Gain.Adjustment / TenthsPerDecibel;
  return Gain.Negative ? -magnitude : magnitude;
}

TJson FileSizeValue(const TBasicKestrixReader& Reader) {
  return StoredOrNull(Reader.GetFileSize() >= 0, Reader.GetFileSize());
}

TJson TagValues(TDescriptiveKestrixReader& Descriptive, const TFieldTexts& Texts) {
  TBasicKestrixReader& reader = Descriptive.GetBasicReader();
  TReplayGainInfo gain;
  reader.GetReplayGain(gain);
  const bool trackGain = Texts.IsStored("rg_track_gain");
  const bool albumGain = Texts.IsStored("rg_album_gain");
  const bool guessed = Descriptive.GetPresetStatus() == psGuessed;

  TJson values = TJson::object();
  values["tag_revision"] = reader.GetTagRevision();
  values["encoder"] = Utf8(reader.GetEncoderString());
  values["version"] = Utf8(reader.GetVersionString());
  values["quality"] = reader.GetTagData().Quality;
  values["encoding_method"] =
      StoredOrNull(Texts.IsStored("encoding_method"), reader.GetEncodingMethod());
  values["lowpass_hz"] = StoredOrNull(Texts.IsStored("lowpass"), reader.GetLowpass());
  values["peak"] = StoredOrNull(Texts.IsStored("rg_track_peak") && std::isfinite(gain.Peak),
                                static_cast<double>(gain.Peak));
  values["track_gain_db"] = StoredOrNull(trackGain, GainDecibels(gain.TrackGain));
  values["track_gain_originator"] = StoredOrNull(trackGain, gain.TrackGain.OriginatorCode);
  values["album_gain_db"] = StoredOrNull(albumGain, GainDecibels(gain.AlbumGain));
  values["album_gain_originator"] = StoredOrNull(albumGain, gain.AlbumGain.OriginatorCode);
  values["nspsytune"] = reader.GetNSPsyTune();
  values["nssafejoint"] = reader.GetNSSafeJoint();
  values["nogap_continued"] = reader.GetNoGapContinued();
  values["nogap_continuation"] = reader.GetNoGapContinuation();
  values["ath_type"] = reader.GetATHType();
  values["bitrate"] = StoredOrNull(Texts.IsStored("bitrate"), reader.GetTagData().Bitrate);
  values["encoder_delay"] = reader.GetEncoderDelay();
  values["padding"] = reader.GetEncoderPadding();
  values["noise_shaping"] = reader.GetNoiseShaping();
  values["stereo_mode"] = reader.GetStereoMode();
  values["unwise_settings"] = reader.GetUnwiseSettings();
  values["source_sample_freq"] = reader.GetSourceSampleFreq();
  values["mp3gain_change_db"] = reader.GetMP3GainChange() * DecibelsPerMP3GainStep;
  values["preset"] = reader.GetPreset();
  values["preset_guess"] = StoredOrNull(guessed, Utf8(Descriptive.GetPresetGuessText()));
  values["surround_info"] = reader.GetSurroundInfo();
  values["music_length"] = reader.GetMusicLength();
  values["music_crc"] = HexWord(reader.GetMusicCRC());
  values["actual_music_crc"] = HexWord(reader.GetActualMusicCRC());
  values["info_tag_crc"] = HexWord(reader.GetInfoTagCRC());
  values["actual_info_tag_crc"] = HexWord(reader.GetActualInfoTagCRC());
  values["file_size"] = FileSizeValue(reader);
  return values;
}

TJson Values(TDescriptiveKestrixReader& Reader, bool TagFound, const TFieldTexts& Texts) {
  if (TagFound) {
    return TagValues(Reader, Texts);
  }
  TJson values = TJson::object();
  if (HasOnlyVersionText(Reader)) {
    values["encoder"] = Utf8(Reader.GetEncoderString());
    values["version"] = Utf8(Reader.GetLongVersionString());
  }
  values["file_size"] = FileSizeValue(Reader.GetBasicReader());
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

std::string JsonFileLine(const std::u16string& FullName, TVerdictKind& Kind) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(FullName, true, tagFound, CLocaleSeparators());
  const TVerdict verdict = JudgeFile(reader.GetBasicReader(), tagFound);
  const std::vector<TKeyedField> fields = KeyedFields(reader, tagFound);

  TJson object;
  object["path"] = Utf8(FullName);
  object["verdict"] = VerdictName(verdict.Kind);
  object["problems"] = Problems(verdict);
  TJson& texts = object["fields"] = TJson::object();
  for (const TKeyedField& field : fields) {
    texts[field.Key] = Utf8(field.Text);
  }
  object["values"] = Values(reader, tagFound, TFieldTexts(fields));
  Kind = verdict.Kind;
  return Line(object);
}

std::string JsonErrorLine(const std::u16string& FullName, const std::string& Message) {
  TJson object;
  object["path"] = Utf8(FullName);
  object["verdict"] = VerdictName(TVerdictKind::Error);
  object["problems"] = TJson::array();
  object["error"] = Utf8(Message);
  object["fields"] = TJson::object();
  object["values"] = TJson::object();
  return Line(object);
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

void TJsonPrinter::PrintFile(const std::u16string& FullName) {
  TVerdictKind kind = TVerdictKind::Error;
  const std::string line = JsonFileLine(FullName, kind);
  PrintUtf8Line(line, JsonLineEnd);
  Tally.Count(kind);
}

void TJsonPrinter::PrintFailure(const std::u16string& FullName, const std::exception& Error) {
  PrintUtf8Line(JsonErrorLine(FullName, Error.what()), JsonLineEnd);
  Tally.Count(TVerdictKind::Error);
}

void TJsonPrinter::Finish() {
  PrintUtf8Line(JsonSummaryLine(Tally), JsonLineEnd);
}

}  // namespace kestrix
