#include "console/Report.h"

#include "console/WideConsole.h"
#include "describe/DescriptiveKestrixReader.h"

namespace kestrix {

namespace {

// LAME wrote its first tag with this version; earlier ones left only a
// version text.
const std::string FirstTaggedVersion = "3.90";
const std::string LameEncoder = "LAME";
constexpr int HighestSupportedRevision = 0;

void PrintMissingTag(const TDescriptiveKestrixReader& Reader) {
  if (Reader.GetEncoderString() != LameEncoder ||
      CompareVersionTexts(Reader.GetVersionString(), FirstTaggedVersion) >= 0) {
    PrintLine(u"LAME tag not found.");
    return;
  }
  PrintLine();
  PrintFormatLine(u"LAME tags were introduced with LAME version %s, but ", {FirstTaggedVersion});
  PrintLine(u"this file was encoded by an earlier version of LAME and");
  PrintLine(u"the header only contains a version string.");
  PrintLine();
  PrintFormatLine(u"Encoder string:     %s", {Reader.GetEncoderString()});
  PrintFormatLine(u"Version string:     %s", {Reader.GetLongVersionString()});
}

void PrintPresetLine(TDescriptiveKestrixReader& Reader) {
  const std::string text = Reader.GetPresetText();
  switch (Reader.GetPresetStatus()) {
    case psGuessed:
      PrintFormatLine(u"Preset:             %s - see preset guess at end", {text});
      break;
    case psUnableToGuess:
      PrintFormatLine(u"Preset:             %s - unable to guess", {text});
      break;
    case psPlain:
      PrintFormatLine(u"Preset:             %s", {text});
      break;
  }
}

void PrintFields(TDescriptiveKestrixReader& Reader) {
  TDescriptiveReplayGain replayGain;
  Reader.GetReplayGainTexts(replayGain);

  PrintFormatLine(u"Tag revision:       %d", {Reader.GetTagRevision()});
  PrintFormatLine(u"Encoder string:     %s", {Reader.GetEncoderString()});
  PrintFormatLine(u"Version string:     %s", {Reader.GetVersionString()});
  PrintFormatLine(u"Quality:            %s", {Reader.GetQualityText()});
  PrintFormatLine(u"Encoding method:    %s", {Reader.GetEncodingMethodText()});
  PrintFormatLine(u"Lowpass:            %s", {Reader.GetLowpassText()});
  PrintFormatLine(u"RG track peak:      %s", {replayGain.PeakText});
  PrintFormatLine(u"RG track gain:      %s", {replayGain.TrackGainText});
  PrintFormatLine(u"RG album gain:      %s", {replayGain.AlbumGainText});
  PrintFormatLine(u"nspsytune:          %s", {Reader.GetNSPsyTuneText()});
  PrintFormatLine(u"nssafejoint:        %s", {Reader.GetNSSafeJointText()});
  PrintFormatLine(u"nogap continued:    %s", {Reader.GetNoGapContinuedText()});
  PrintFormatLine(u"nogap continuation: %s", {Reader.GetNoGapContinuationText()});
  PrintFormatLine(u"ATH type:           %d", {Reader.GetATHType()});
  PrintFormatLine(u"Bitrate:            %s", {Reader.GetBitrateText()});
  PrintFormatLine(u"Encoder delay:      %s", {Reader.GetEncoderDelayText()});
  PrintFormatLine(u"Padded at end:      %s", {Reader.GetEncoderPaddingText()});
  PrintFormatLine(u"Noise shaping:      %d", {Reader.GetNoiseShaping()});
  PrintFormatLine(u"Stereo mode:        %s", {Reader.GetStereoModeText()});
  PrintFormatLine(u"Unwise settings:    %s", {Reader.GetUnwiseSettingsText()});
  PrintFormatLine(u"Source sample freq: %s", {Reader.GetSourceSampleFreqText()});
  PrintFormatLine(u"MP3Gain change:     %s", {Reader.GetMP3GainChangeText()});
  PrintPresetLine(Reader);
  PrintFormatLine(u"Surround info:      %s", {Reader.GetSurroundInfoText()});
  PrintFormatLine(u"Music length:       %s", {Reader.GetMusicLengthText()});
  PrintFormatLine(u"Music CRC:          %s", {Reader.GetMusicCRCText()});
  PrintFormatLine(u"Actual Music CRC:   %s", {Reader.GetActualMusicCRCText()});
  PrintFormatLine(u"Info tag CRC:       %s", {Reader.GetInfoTagCRCText()});
  PrintFormatLine(u"Actual InfoTag CRC: %s", {Reader.GetActualInfoTagCRCText()});
}

void PrintGuessBlock(TDescriptiveKestrixReader& Reader) {
  PrintLine();
  PrintLine(u"  Based on a combination of other values from the lame tag,");
  if (Reader.GetPresetGuessModified()) {
    PrintLine(u"  it seems that this file was not created using an ");
    PrintLine(u"  unmodified preset.  However it could have been created");
    PrintLine(u"  using the following modified preset command line:");
  } else {
    PrintLine(u"  it is likely that the preset used to encode this file was:");
  }
  PrintLine();
  PrintFormatLine(u"Preset guess:       %s", {Reader.GetPresetGuessText()});
}

}  // namespace

void PrintRevisionWarning(std::uint8_t Revision) {
  if (Revision == 0) {
    return;
  }
  PrintLine();
  PrintLine(u"WARNING:");
  PrintFormatLine(u"The tag revision of the LAME tag in this file is %d.", {Revision});
  PrintLine(u"This version of Kestrix.exe only supports tag revisions up");
  PrintFormatLine(u"to %d, so the values shown will probably be incorrect.",
                  {HighestSupportedRevision});
  PrintLine();
}

namespace {

void PrintReaderReport(TDescriptiveKestrixReader& Reader, bool TagFound) {
  if (!TagFound) {
    PrintMissingTag(Reader);
    return;
  }
  PrintRevisionWarning(Reader.GetTagRevision());
  PrintFields(Reader);
  if (Reader.GetPresetStatus() == psGuessed) {
    PrintGuessBlock(Reader);
  }
}

}  // namespace

void PrintReport(const std::u16string& FileName) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(FileName, true, tagFound);
  PrintReaderReport(reader, tagFound);
}

void PrintReport(platform::TStream& Stream) {
  bool tagFound = false;
  TDescriptiveKestrixReader reader(Stream, true, tagFound);
  PrintReaderReport(reader, tagFound);
}

}  // namespace kestrix
