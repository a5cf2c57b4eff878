#include "console/ReportFields.h"

#include "platform/CodePage.h"

namespace kestrix {

namespace {

const std::string LameEncoder = "LAME";

constexpr std::u16string_view GuessIndent = u"  ";

std::u16string Wide(const std::string& Text) {
  return platform::Widen(Text);
}

std::u16string Number(unsigned Value) {
  return Wide(std::to_string(Value));
}

std::u16string PresetLineText(TDescriptiveKestrixReader& Reader) {
  const std::u16string text = Wide(Reader.GetPresetText());
  switch (Reader.GetPresetStatus()) {
    case psGuessed:
      return text + u" - see preset guess at end";
    case psUnableToGuess:
      return text + u" - unable to guess";
    case psPlain:
      break;
  }
  return text;
}

bool IsAsciiLetterOrDigit(char16_t C) {
  return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9');
}

}  // namespace

std::vector<TReportField> TagFields(TDescriptiveKestrixReader& Reader) {
  TDescriptiveReplayGain replayGain;
  Reader.GetReplayGainTexts(replayGain);
  const std::array<std::u16string, FieldLabels.size()> texts = {
      Number(Reader.GetTagRevision()),
      Wide(Reader.GetEncoderString()),
      Wide(Reader.GetVersionString()),
      Wide(Reader.GetQualityText()),
      Wide(Reader.GetEncodingMethodText()),
      Wide(Reader.GetLowpassText()),
      Wide(replayGain.PeakText),
      Wide(replayGain.TrackGainText),
      Wide(replayGain.AlbumGainText),
      Wide(Reader.GetNSPsyTuneText()),
      Wide(Reader.GetNSSafeJointText()),
      Wide(Reader.GetNoGapContinuedText()),
      Wide(Reader.GetNoGapContinuationText()),
      Number(Reader.GetATHType()),
      Wide(Reader.GetBitrateText()),
      Wide(Reader.GetEncoderDelayText()),
      Wide(Reader.GetEncoderPaddingText()),
      Number(Reader.GetNoiseShaping()),
      Wide(Reader.GetStereoModeText()),
      Wide(Reader.GetUnwiseSettingsText()),
      Wide(Reader.GetSourceSampleFreqText()),
      Wide(Reader.GetMP3GainChangeText()),
      PresetLineText(Reader),
      Wide(Reader.GetSurroundInfoText()),
      Wide(Reader.GetMusicLengthText()),
      Wide(Reader.GetMusicCRCText()),
      Wide(Reader.GetActualMusicCRCText()),
      Wide(Reader.GetInfoTagCRCText()),
      Wide(Reader.GetActualInfoTagCRCText()),
  };
  std::vector<TReportField> fields;
  fields.reserve(texts.size());
  for (std::size_t i = 0; i < texts.size(); ++i) {
    fields.push_back({FieldLabels[i], texts[i]});
  }
  return fields;
}

bool HasOnlyVersionText(const TDescriptiveKestrixReader& Reader) {
  return Reader.GetEncoderString() == LameEncoder &&
         CompareVersionTexts(Reader.GetVersionString(), FirstTaggedVersion) < 0;
}

std::vector<TReportField> VersionTextFields(const TDescriptiveKestrixReader& Reader) {
  return {{EncoderStringLabel, Wide(Reader.GetEncoderString())},
          {VersionStringLabel, Wide(Reader.GetLongVersionString())}};
}

std::u16string GuessBlockText(TDescriptiveKestrixReader& Reader) {
  std::u16string text(GuessIntroLine.substr(GuessIndent.size()));
  const auto append = [&text](std::u16string_view Line) {
    text += u' ';
    text += Line.substr(GuessIndent.size());
  };
  if (Reader.GetPresetGuessModified()) {
    for (const std::u16string_view line : ModifiedGuessLines) {
      append(line);
    }
  } else {
    for (const std::u16string_view line : PlainGuessLines) {
      append(line);
    }
  }
  return text + u' ' + Wide(Reader.GetPresetGuessText());
}

std::string FieldKey(std::u16string_view Label) {
  std::string key;
  bool gap = false;
  for (const char16_t c : Label) {
    if (!IsAsciiLetterOrDigit(c)) {
      gap = !key.empty();
      continue;
    }
    if (gap) {
      key += '_';
      gap = false;
    }
    key += static_cast<char>(c >= u'A' && c <= u'Z' ? c - u'A' + u'a' : c);
  }
  return key;
}

std::vector<TKeyedField> KeyedFields(TDescriptiveKestrixReader& Reader, bool TagFound) {
  std::vector<TReportField> lines;
  if (TagFound) {
    lines = TagFields(Reader);
  } else if (HasOnlyVersionText(Reader)) {
    lines = VersionTextFields(Reader);
  }
  std::vector<TKeyedField> fields;
  fields.reserve(lines.size() + 1);
  for (const TReportField& line : lines) {
    fields.push_back({FieldKey(line.Label), line.Text});
  }
  if (TagFound && Reader.GetPresetStatus() == psGuessed) {
    fields.push_back({FieldKey(PresetGuessLabel), GuessBlockText(Reader)});
  }
  return fields;
}

std::vector<std::string> AllFieldKeys() {
  std::vector<std::string> keys;
  for (const std::u16string_view label : FieldLabels) {
    keys.push_back(FieldKey(label));
  }
  keys.push_back(FieldKey(PresetGuessLabel));
  return keys;
}

platform::TNumberSeparators CLocaleSeparators() {
  return {"", "."};
}

}  // namespace kestrix
