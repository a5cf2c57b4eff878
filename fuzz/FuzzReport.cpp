// Any bytes as the start of a file: the reader and every text of the
// report must cope without reading out of bounds.
#include <cstddef>
#include <cstdint>

#include "describe/DescriptiveKestrixReader.h"
#include "support/TestFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
  using namespace kestrix;
  test::TMemoryStream stream(test::TBytes(Data, Data + Size));
  const platform::TNumberSeparators separators{",", "."};
  bool tagFound = false;
  TDescriptiveKestrixReader reader(stream, true, tagFound, separators);
  TDescriptiveReplayGain gain;
  reader.GetReplayGainTexts(gain);
  std::size_t length = gain.PeakText.size() + reader.GetLongVersionString().size() +
                       reader.GetQualityText().size() + reader.GetEncodingMethodText().size() +
                       reader.GetLowpassText().size() + reader.GetBitrateText().size() +
                       reader.GetEncoderDelayText().size() + reader.GetEncoderPaddingText().size() +
                       reader.GetStereoModeText().size() + reader.GetSourceSampleFreqText().size() +
                       reader.GetMP3GainChangeText().size() + reader.GetPresetText().size() +
                       reader.GetPresetGuessText().size() + reader.GetSurroundInfoText().size() +
                       reader.GetMusicLengthText().size() + reader.GetActualMusicCRCText().size();
  (void)length;
  return 0;
}
