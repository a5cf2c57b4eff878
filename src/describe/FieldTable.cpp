#include "describe/FieldTable.h"

#include <cmath>

#include "platform/CodePage.h"

namespace kestrix {

namespace {

using TReader = TDescriptiveKestrixReader;

const std::string LameEncoder = "LAME";
constexpr std::u16string_view GuessIndent = u"  ";
constexpr double TenthsPerDecibel = 10.0;
constexpr double DecibelsPerMP3GainStep = 1.5;

std::u16string Wide(const std::string& Text) {
  return platform::Widen(Text);
}

std::u16string Number(unsigned Value) {
  return Wide(std::to_string(Value));
}

TBasicKestrixReader& Raw(TReader& Reader) {
  return Reader.GetBasicReader();
}

// A value whose 0 means that the tag stores none.
TFieldValue NonZero(std::int64_t Value) {
  return Value != 0 ? TFieldValue(Value) : TFieldValue();
}

TFieldValue Integer(std::int64_t Value) {
  return TFieldValue(Value);
}

TReplayGainInfo ReplayGain(TReader& Reader) {
  TReplayGainInfo gain;
  Raw(Reader).GetReplayGain(gain);
  return gain;
}

TDescriptiveReplayGain ReplayGainTexts(TReader& Reader) {
  TDescriptiveReplayGain texts;
  Reader.GetReplayGainTexts(texts);
  return texts;
}

TFieldValue PeakValue(TReader& Reader) {
  const float peak = ReplayGain(Reader).Peak;
  if (!IsPeakStored(peak) || !std::isfinite(peak)) {
    return {};
  }
  return static_cast<double>(peak);
}

TFieldValue GainDecibels(const TRawReplayGain& Gain, std::uint8_t Name) {
  if (!IsGainStored(Gain, Name)) {
    return {};
  }
  const double magnitude = Gain.Adjustment / TenthsPerDecibel;
  return Gain.Negative ? -magnitude : magnitude;
}

TFieldValue GainOriginator(const TRawReplayGain& Gain, std::uint8_t Name) {
  return IsGainStored(Gain, Name) ? Integer(Gain.OriginatorCode) : TFieldValue();
}

std::u16string PresetLineText(TReader& Reader) {
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

TFieldValue PresetGuessValue(TReader& Reader) {
  if (Reader.GetPresetStatus() != psGuessed) {
    return {};
  }
  return Reader.GetPresetGuessText();
}

TFieldValue HexValue(std::string Text) {
  return TFieldValue(std::move(Text));
}

bool IsAsciiLetterOrDigit(char16_t C) {
  return (C >= u'a' && C <= u'z') || (C >= u'A' && C <= u'Z') || (C >= u'0' && C <= u'9');
}

// The encoder text of LAME before 3.90, which wrote no tag.
bool HasOnlyVersionText(const TReader& Reader) {
  return Reader.GetEncoderString() == LameEncoder &&
         CompareVersionTexts(Reader.GetVersionString(), FirstTaggedVersion) < 0;
}

// The rows' functions; a captureless lambda is a function of the table.
using TRow = TFieldRow;
constexpr TRow::TValueColumn None = {{}, nullptr};

}  // namespace

// clang-format off
constexpr std::array<TFieldRow, 29> TagRows = {{
    {u"Tag revision:       ", [](TReader& r) { return Number(r.GetTagRevision()); },
     {{{"tag_revision", [](TReader& r) { return Integer(r.GetTagRevision()); }}, None}}},
    {u"Encoder string:     ", [](TReader& r) { return Wide(r.GetEncoderString()); },
     {{{"encoder", [](TReader& r) { return TFieldValue(r.GetEncoderString()); }}, None}}},
    {u"Version string:     ", [](TReader& r) { return Wide(r.GetVersionString()); },
     {{{"version", [](TReader& r) { return TFieldValue(r.GetVersionString()); }}, None}}},
    {u"Quality:            ", [](TReader& r) { return Wide(r.GetQualityText()); },
     {{{"quality", [](TReader& r) { return Integer(Raw(r).GetTagData().Quality); }}, None}}},
    {u"Encoding method:    ", [](TReader& r) { return Wide(r.GetEncodingMethodText()); },
     {{{"encoding_method", [](TReader& r) { return NonZero(Raw(r).GetEncodingMethod()); }},
       None}}},
    {u"Lowpass:            ", [](TReader& r) { return Wide(r.GetLowpassText()); },
     {{{"lowpass_hz", [](TReader& r) { return NonZero(Raw(r).GetLowpass()); }}, None}}},
    {u"RG track peak:      ", [](TReader& r) { return Wide(ReplayGainTexts(r).PeakText); },
     {{{"peak", PeakValue}, None}}},
    {u"RG track gain:      ", [](TReader& r) { return Wide(ReplayGainTexts(r).TrackGainText); },
     {{{"track_gain_db",
        [](TReader& r) { return GainDecibels(ReplayGain(r).TrackGain, TrackGainName); }},
       {"track_gain_originator",
        [](TReader& r) { return GainOriginator(ReplayGain(r).TrackGain, TrackGainName); }}}}},
    {u"RG album gain:      ", [](TReader& r) { return Wide(ReplayGainTexts(r).AlbumGainText); },
     {{{"album_gain_db",
        [](TReader& r) { return GainDecibels(ReplayGain(r).AlbumGain, AlbumGainName); }},
       {"album_gain_originator",
        [](TReader& r) { return GainOriginator(ReplayGain(r).AlbumGain, AlbumGainName); }}}}},
    {u"nspsytune:          ", [](TReader& r) { return Wide(r.GetNSPsyTuneText()); },
     {{{"nspsytune", [](TReader& r) { return TFieldValue(Raw(r).GetNSPsyTune()); }}, None}}},
    {u"nssafejoint:        ", [](TReader& r) { return Wide(r.GetNSSafeJointText()); },
     {{{"nssafejoint", [](TReader& r) { return TFieldValue(Raw(r).GetNSSafeJoint()); }}, None}}},
    {u"nogap continued:    ", [](TReader& r) { return Wide(r.GetNoGapContinuedText()); },
     {{{"nogap_continued", [](TReader& r) { return TFieldValue(Raw(r).GetNoGapContinued()); }},
       None}}},
    {u"nogap continuation: ", [](TReader& r) { return Wide(r.GetNoGapContinuationText()); },
     {{{"nogap_continuation",
        [](TReader& r) { return TFieldValue(Raw(r).GetNoGapContinuation()); }},
       None}}},
    {u"ATH type:           ", [](TReader& r) { return Number(r.GetATHType()); },
     {{{"ath_type", [](TReader& r) { return Integer(r.GetATHType()); }}, None}}},
    {u"Bitrate:            ", [](TReader& r) { return Wide(r.GetBitrateText()); },
     {{{"bitrate", [](TReader& r) { return NonZero(Raw(r).GetTagData().Bitrate); }}, None}}},
    {u"Encoder delay:      ", [](TReader& r) { return Wide(r.GetEncoderDelayText()); },
     {{{"encoder_delay", [](TReader& r) { return Integer(Raw(r).GetEncoderDelay()); }}, None}}},
    {u"Padded at end:      ", [](TReader& r) { return Wide(r.GetEncoderPaddingText()); },
     {{{"padding", [](TReader& r) { return Integer(Raw(r).GetEncoderPadding()); }}, None}}},
    {u"Noise shaping:      ", [](TReader& r) { return Number(r.GetNoiseShaping()); },
     {{{"noise_shaping", [](TReader& r) { return Integer(r.GetNoiseShaping()); }}, None}}},
    {u"Stereo mode:        ", [](TReader& r) { return Wide(r.GetStereoModeText()); },
     {{{"stereo_mode", [](TReader& r) { return Integer(Raw(r).GetStereoMode()); }}, None}}},
    {u"Unwise settings:    ", [](TReader& r) { return Wide(r.GetUnwiseSettingsText()); },
     {{{"unwise_settings", [](TReader& r) { return TFieldValue(Raw(r).GetUnwiseSettings()); }},
       None}}},
    {u"Source sample freq: ", [](TReader& r) { return Wide(r.GetSourceSampleFreqText()); },
     {{{"source_sample_freq", [](TReader& r) { return Integer(Raw(r).GetSourceSampleFreq()); }},
       None}}},
    {u"MP3Gain change:     ", [](TReader& r) { return Wide(r.GetMP3GainChangeText()); },
     {{{"mp3gain_change_db",
        [](TReader& r) { return TFieldValue(Raw(r).GetMP3GainChange() * DecibelsPerMP3GainStep); }},
       None}}},
    {u"Preset:             ", PresetLineText,
     {{{"preset", [](TReader& r) { return Integer(Raw(r).GetPreset()); }},
       {"preset_guess", PresetGuessValue}}}},
    {u"Surround info:      ", [](TReader& r) { return Wide(r.GetSurroundInfoText()); },
     {{{"surround_info", [](TReader& r) { return Integer(Raw(r).GetSurroundInfo()); }}, None}}},
    {u"Music length:       ", [](TReader& r) { return Wide(r.GetMusicLengthText()); },
     {{{"music_length", [](TReader& r) { return Integer(Raw(r).GetMusicLength()); }}, None}}},
    {u"Music CRC:          ", [](TReader& r) { return Wide(r.GetMusicCRCText()); },
     {{{"music_crc", [](TReader& r) { return HexValue(r.GetMusicCRCText()); }}, None}}},
    {u"Actual Music CRC:   ", [](TReader& r) { return Wide(r.GetActualMusicCRCText()); },
     {{{"actual_music_crc", [](TReader& r) { return HexValue(r.GetActualMusicCRCText()); }},
       None}}},
    {u"Info tag CRC:       ", [](TReader& r) { return Wide(r.GetInfoTagCRCText()); },
     {{{"info_tag_crc", [](TReader& r) { return HexValue(r.GetInfoTagCRCText()); }}, None}}},
    {u"Actual InfoTag CRC: ", [](TReader& r) { return Wide(r.GetActualInfoTagCRCText()); },
     {{{"actual_info_tag_crc", [](TReader& r) { return HexValue(r.GetActualInfoTagCRCText()); }},
       None}}},
}};

constexpr std::array<TFieldRow, 2> VersionTextRows = {{
    TagRows[1],
    {TagRows[2].Label, [](TReader& r) { return Wide(r.GetLongVersionString()); },
     {{{"version", [](TReader& r) { return TFieldValue(r.GetLongVersionString()); }}, None}}},
}};
// clang-format on

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

std::vector<std::string> AllFieldKeys() {
  std::vector<std::string> keys;
  for (const TFieldRow& row : TagRows) {
    keys.push_back(FieldKey(row.Label));
  }
  keys.push_back(FieldKey(PresetGuessLabel));
  return keys;
}

std::u16string TTagFields::GuessText() const {
  if (!Guess) {
    return {};
  }
  std::u16string text(GuessIntroLine.substr(GuessIndent.size()));
  const auto append = [&text](std::u16string_view Line) {
    text += u' ';
    text += Line.substr(GuessIndent.size());
  };
  if (Guess->Modified) {
    for (const std::u16string_view line : ModifiedGuessLines) {
      append(line);
    }
  } else {
    for (const std::u16string_view line : PlainGuessLines) {
      append(line);
    }
  }
  return text + u' ' + Guess->Guess;
}

namespace {

template <std::size_t N>
void Describe(const std::array<TFieldRow, N>& Rows, TReader& Reader, TTagFields& Fields) {
  for (const TFieldRow& row : Rows) {
    Fields.Lines.push_back({row.Label, FieldKey(row.Label), row.Text(Reader)});
    for (const TFieldRow::TValueColumn& column : row.Values) {
      if (!column.Key.empty()) {
        Fields.Values.push_back({column.Key, column.Value(Reader)});
      }
    }
  }
}

}  // namespace

TTagFields DescribeTag(TDescriptiveKestrixReader& Reader, bool TagFound) {
  TTagFields fields;
  if (TagFound) {
    fields.Kind = TTagKind::Tag;
    fields.Revision = Reader.GetTagRevision();
    Describe(TagRows, Reader, fields);
    if (Raw(Reader).GetPreset() != 0) {
      fields.StoredPreset = Wide(Reader.GetPresetText());
    }
    if (Reader.GetPresetStatus() == psGuessed) {
      fields.Guess =
          TPresetGuessBlock{Reader.GetPresetGuessModified(), Wide(Reader.GetPresetGuessText())};
    }
  } else if (HasOnlyVersionText(Reader)) {
    fields.Kind = TTagKind::VersionTextOnly;
    Describe(VersionTextRows, Reader, fields);
  }
  return fields;
}

platform::TNumberSeparators CLocaleSeparators() {
  return {"", "."};
}

}  // namespace kestrix
