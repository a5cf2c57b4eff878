#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/FileStream.h"
#include "reader/StreamPass.h"

namespace kestrix {

// The 37 bytes at offsets 119 to 155 of the Xing/Info header, as stored.
struct TRawTagData {
  std::uint8_t Quality;
  std::uint8_t EncoderVersion[9];
  std::uint8_t RevisionMethod;
  std::uint8_t LowpassByte;
  std::uint8_t PeakBytes[4];
  std::uint8_t TrackGainBytes[2];
  std::uint8_t AlbumGainBytes[2];
  std::uint8_t FlagsATH;
  std::uint8_t Bitrate;
  std::uint8_t DelayPadding[3];
  std::uint8_t Misc;
  std::uint8_t MP3GainByte;
  std::uint8_t PresetSurround[2];
  std::uint8_t MusicLengthBytes[4];
  std::uint8_t MusicCRCBytes[2];
  std::uint8_t InfoTagCRCBytes[2];
};
static_assert(sizeof(TRawTagData) == 37, "the tag record is 37 packed bytes");

// One decoded ReplayGain word.
struct TRawReplayGain {
  std::uint8_t NameCode = 0;
  std::uint8_t OriginatorCode = 0;
  bool Negative = false;
  std::uint16_t Adjustment = 0;  // tenths of a dB, sign not applied
};

struct TReplayGainInfo {
  float Peak = 0.0f;
  TRawReplayGain TrackGain;
  TRawReplayGain AlbumGain;
};

// Bytes 0..LastIndex, first byte most significant, BitsPerByte bits apart
// (8: big-endian integer; 7: ID3v2 synchsafe size). High bits not masked.
std::uint32_t BytesToInt(const std::uint8_t* Bytes, int LastIndex, int BitsPerByte);
// Bit 0 is the least significant; only the low 3 bits of Bit count.
bool IsBitSet(std::uint8_t Value, unsigned Bit);

// Checks a Layer III frame header (Size must be 4) and gives its length
// (0 for free format) and the offset of the Xing/Info header in the frame.
bool ParseFrameHeader(const std::uint8_t* Header, std::size_t Size, std::int64_t& FrameLength,
                      std::int64_t& XingOffset, bool& FreeFormat);

TRawReplayGain DecodeReplayGain(const std::uint8_t* Bytes);

// Orders LAME version texts: "digits.digits rest" forms compare by the two
// numbers, then the rest byte by byte; anything else byte by byte. A proper
// prefix is the smaller. Negative, 0 or positive, like strcmp.
int CompareVersionTexts(const std::string& A, const std::string& B);

// The file offset at which the first frame is expected: 0, or behind the
// ID3v2 tag (and its footer) whose header opens the file.
std::int64_t FindFirstFrame(platform::TStream& Stream);

// The raw LAME tag of one MP3 file: a value, read from the bytes of the
// file's first frame by LocateLameTag. It never reads a file itself; the
// analysis that read the file hands it the CRCs its one pass computed.
class TBasicKestrixReader {
 public:
  // No tag: every field zero.
  TBasicKestrixReader() = default;
  TBasicKestrixReader(std::int64_t FramePosition, std::int64_t XingOffset,
                      const TRawTagData& TagData, std::int64_t FileSize)
      : XingOffset(XingOffset),
        FramePosition(FramePosition),
        FileSize(FileSize),
        TagData(TagData) {}

  std::string GetEncoderString() const;
  std::string GetVersionString() const;
  std::string GetLongVersionString() const;
  std::uint8_t GetTagRevision() const;
  std::uint8_t GetEncodingMethod() const;
  std::uint16_t GetLowpass() const;
  void GetReplayGain(TReplayGainInfo& Info);
  bool GetNSPsyTune() const;
  bool GetNSSafeJoint() const;
  bool GetNoGapContinued() const;
  bool GetNoGapContinuation() const;
  std::uint8_t GetATHType() const;
  std::uint16_t GetEncoderDelay() const;
  std::uint16_t GetEncoderPadding() const;
  std::uint8_t GetNoiseShaping() const;
  std::uint8_t GetStereoMode() const;
  bool GetUnwiseSettings() const;
  std::uint8_t GetSourceSampleFreq() const;
  std::int8_t GetMP3GainChange() const;
  std::uint16_t GetPreset();
  std::uint8_t GetSurroundInfo() const;
  std::uint32_t GetMusicLength() const;
  std::uint16_t GetMusicCRC() const;
  std::uint16_t GetInfoTagCRC() const;

  std::uint16_t GetActualInfoTagCRC() const { return ActualInfoTagCRC; }
  std::uint16_t GetActualMusicCRC() const { return ActualMusicCRC; }
  std::int64_t GetFramePosition() const { return FramePosition; }
  std::int64_t GetXingOffset() const { return XingOffset; }
  // The file's length when it was read; -1 when the system could not tell.
  std::int64_t GetFileSize() const { return FileSize; }
  const TRawTagData& GetTagData() const { return TagData; }

  // The bytes each CRC covers; the pass that reads the file computes both
  // and hands them back.
  TByteRange InfoTagCRCRange() const;
  TByteRange MusicCRCRange() const;
  void SetActualCRCs(std::uint16_t InfoTagCRC, std::uint16_t MusicCRC);

 private:
  std::uint16_t ActualInfoTagCRC = 0;
  std::uint16_t ActualMusicCRC = 0;
  bool PresetCached = false;
  bool ReplayGainCached = false;
  std::int64_t XingOffset = 0;
  std::int64_t FramePosition = 0;
  std::int64_t FileSize = -1;
  std::uint16_t Preset = 0;
  float Peak = 0.0f;
  TRawReplayGain TrackGain;
  TRawReplayGain AlbumGain;
  TRawTagData TagData{};
};

// Finds the first frame and its LAME tag in a stream the caller has opened,
// with four small reads (10, 4, 4 and 37 bytes), and reads the tag's raw
// fields. Odd data never fails: it only makes TagFound false, and the value
// then holds whatever tag bytes were read.
TBasicKestrixReader LocateLameTag(platform::TStream& Stream, bool& TagFound);

}  // namespace kestrix
