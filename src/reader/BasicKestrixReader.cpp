#include "reader/BasicKestrixReader.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "reader/FrameHeader.h"
#include "reader/Id3v2Header.h"

namespace kestrix {

namespace {

// Offsets counted from the first byte of the "Xing"/"Info" magic.
constexpr std::int64_t TagOffset = 119;  // the 37 tag bytes start here
constexpr std::int64_t TagSize = static_cast<std::int64_t>(sizeof(TRawTagData));
constexpr std::int64_t TagEnd = TagOffset + TagSize;  // 156
constexpr std::int64_t InfoTagCRCSize = 2;
// The tag CRC covers the frame up to its own two bytes.
constexpr std::int64_t InfoTagCRCOffset = TagEnd - InfoTagCRCSize;  // 154

constexpr std::size_t MagicSize = 4;
constexpr std::string_view XingMagic = "Xing";
constexpr std::string_view InfoMagic = "Info";

// The first frame follows an ID3v2 tag as its four size bytes say, taken as
// they stand: a top bit that is set is not masked off.
constexpr std::size_t SizeLastIndex = 3;
constexpr int SynchsafeBitsPerByte = 7;

// Indexes into the tag's EncoderVersion bytes.
constexpr std::size_t EncoderStringSize = 4;
constexpr std::size_t VersionIndex = 4;
constexpr std::size_t VersionSize = 5;
constexpr std::size_t LongVersionSize = 16;
// Index of EncoderVersion in the tag record.
constexpr std::size_t EncoderVersionTagIndex = 1;

constexpr int BigEndianBitsPerByte = 8;
constexpr float IntegerPeakScale = 8388608.0f;  // 2 to the 23rd: the integer peak of 1.0
// Tags before this version store the peak as a little-endian float.
constexpr std::string_view FirstIntegerPeakVersion = "3.94b";

constexpr std::uint8_t LowNibble = 0x0F;
constexpr unsigned NibbleBits = 4;
// FlagsATH bits.
constexpr unsigned NSPsyTuneBit = 4;
constexpr unsigned NSSafeJointBit = 5;
constexpr unsigned NoGapContinuedBit = 6;
constexpr unsigned NoGapContinuationBit = 7;
// Misc bits: source frequency 7-6, unwise 5, stereo mode 4-2, noise shaping 1-0.
constexpr unsigned SourceSampleFreqShift = 6;
constexpr unsigned UnwiseSettingsBit = 5;
constexpr unsigned StereoModeShift = 2;
constexpr std::uint8_t StereoModeMask = 7;
constexpr std::uint8_t NoiseShapingMask = 3;
// Surround info is bits 13-11 of the preset word, so 5-3 of its first byte.
constexpr unsigned SurroundShift = 3;
constexpr std::uint8_t SurroundMask = 7;
constexpr std::uint16_t PresetMask = 0x07FF;  // bits 10-0
constexpr std::uint8_t MP3GainMagnitudeMask = 0x7F;
constexpr unsigned MP3GainSignBit = 7;

std::string TextUpTo(const std::uint8_t* Bytes, std::size_t MaxLength) {
  const std::uint8_t* end = std::find(Bytes, Bytes + MaxLength, 0);
  return std::string(Bytes, end);
}

bool HasMagic(const std::uint8_t* Bytes, std::int64_t Count, std::string_view Magic) {
  return Count == static_cast<std::int64_t>(Magic.size()) &&
         std::memcmp(Bytes, Magic.data(), Magic.size()) == 0;
}

// --- Version texts ------------------------------------------------------

int CompareOrdinal(std::string_view A, std::string_view B) {
  const std::size_t common = std::min(A.size(), B.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto a = static_cast<unsigned char>(A[i]);
    const auto b = static_cast<unsigned char>(B[i]);
    if (a != b) {
      return a < b ? -1 : 1;
    }
  }
  if (A.size() == B.size()) {
    return 0;
  }
  return A.size() < B.size() ? -1 : 1;
}

bool IsDigit(char C) {
  return C >= '0' && C <= '9';
}

// Consumes a run of digits from the front of Text; empty when there is none.
std::string_view TakeDigits(std::string_view& Text) {
  std::size_t length = 0;
  while (length < Text.size() && IsDigit(Text[length])) {
    ++length;
  }
  const std::string_view digits = Text.substr(0, length);
  Text.remove_prefix(length);
  return digits;
}

// "digits.digits rest"; false for any other form.
struct TVersionParts {
  std::string_view Major;
  std::string_view Minor;
  std::string_view Rest;
};

bool SplitVersion(std::string_view Text, TVersionParts& Parts) {
  Parts.Major = TakeDigits(Text);
  if (Parts.Major.empty() || Text.empty() || Text.front() != '.') {
    return false;
  }
  Text.remove_prefix(1);
  Parts.Minor = TakeDigits(Text);
  Parts.Rest = Text;
  return !Parts.Minor.empty();
}

// Compares digit runs by value, whatever their length.
int CompareNumbers(std::string_view A, std::string_view B) {
  const auto withoutLeadingZeros = [](std::string_view digits) {
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string_view::npos ? std::string_view() : digits.substr(first);
  };
  A = withoutLeadingZeros(A);
  B = withoutLeadingZeros(B);
  if (A.size() != B.size()) {
    return A.size() < B.size() ? -1 : 1;
  }
  return CompareOrdinal(A, B);
}

// Pre-3.94b tags hold the peak as an IEEE single in little-endian order.
float LittleEndianSingle(const std::uint8_t* Bytes) {
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) {
    bits = (bits << BigEndianBitsPerByte) | Bytes[i];
  }
  float value = 0.0f;
  static_assert(sizeof(value) == sizeof(bits), "the peak is a 32-bit single");
  std::memcpy(&value, &bits, sizeof(value));
  return value;
}

std::uint16_t BigEndianWord(const std::uint8_t* Bytes) {
  return static_cast<std::uint16_t>(BytesToInt(Bytes, 1, BigEndianBitsPerByte));
}

}  // namespace

std::uint32_t BytesToInt(const std::uint8_t* Bytes, int LastIndex, int BitsPerByte) {
  std::uint32_t result = 0;
  for (int i = 0; i <= LastIndex; ++i) {
    result |= static_cast<std::uint32_t>(Bytes[i]) << ((LastIndex - i) * BitsPerByte);
  }
  return result;
}

bool IsBitSet(std::uint8_t Value, unsigned Bit) {
  constexpr unsigned BitNumberMask = 7;
  return ((Value >> (Bit & BitNumberMask)) & 1u) != 0;
}

bool ParseFrameHeader(const std::uint8_t* Header, std::size_t Size, std::int64_t& FrameLength,
                      std::int64_t& XingOffset, bool& FreeFormat) {
  FrameLength = 0;
  XingOffset = 0;
  FreeFormat = false;
  if (Size != TFrameHeader::Size) {
    return false;
  }
  const TFrameHeader header(Header);
  if (!header.HasSync() || !header.IsLayerIII()) {
    return false;
  }
  FreeFormat = header.IsFreeFormat();
  if (!header.IsLayerIIIHeader()) {
    return false;
  }
  FrameLength = header.FrameLength();
  // The Xing header follows the 4 header bytes and the side information.
  XingOffset = static_cast<std::int64_t>(TFrameHeader::Size) + header.SideInfoSize();
  return true;
}

TRawReplayGain DecodeReplayGain(const std::uint8_t* Bytes) {
  constexpr unsigned SignBit = 1;
  constexpr std::uint8_t ThreeBits = 7;
  TRawReplayGain gain;
  gain.NameCode = static_cast<std::uint8_t>(Bytes[0] >> 5);
  gain.OriginatorCode = static_cast<std::uint8_t>((Bytes[0] >> 2) & ThreeBits);
  gain.Negative = IsBitSet(Bytes[0], SignBit);
  gain.Adjustment = static_cast<std::uint16_t>(((Bytes[0] & 1u) << 8) | Bytes[1]);
  return gain;
}

int CompareVersionTexts(const std::string& A, const std::string& B) {
  TVersionParts a;
  TVersionParts b;
  if (!SplitVersion(A, a) || !SplitVersion(B, b)) {
    return CompareOrdinal(A, B);
  }
  if (const int major = CompareNumbers(a.Major, b.Major); major != 0) {
    return major;
  }
  if (const int minor = CompareNumbers(a.Minor, b.Minor); minor != 0) {
    return minor;
  }
  return CompareOrdinal(a.Rest, b.Rest);
}

// --- Location -----------------------------------------------------------

TBasicKestrixReader LocateLameTag(platform::TStream& Stream, bool& TagFound) {
  const std::int64_t fileSize = Stream.Size();
  const std::int64_t framePosition = FindFirstFrame(Stream);

  std::uint8_t header[TFrameHeader::Size] = {};
  Stream.Seek(framePosition);
  const std::int64_t headerRead = Stream.Read(header, TFrameHeader::Size);
  std::int64_t frameLength = 0;
  std::int64_t xingOffset = 0;
  bool freeFormat = false;
  TagFound =
      ParseFrameHeader(header, static_cast<std::size_t>(std::max<std::int64_t>(headerRead, 0)),
                       frameLength, xingOffset, freeFormat);

  if (TagFound) {
    // A free-format frame gives no length to test against.
    TagFound = xingOffset + TagEnd <= frameLength || freeFormat;
  }
  if (TagFound) {
    std::uint8_t magic[MagicSize] = {};
    Stream.Seek(framePosition + xingOffset);
    const std::int64_t magicRead = Stream.Read(magic, MagicSize);
    TagFound = HasMagic(magic, magicRead, XingMagic) || HasMagic(magic, magicRead, InfoMagic);
  }
  TRawTagData tagData{};
  if (TagFound) {
    Stream.Seek(framePosition + xingOffset + TagOffset);
    TagFound = Stream.Read(&tagData, TagSize) == TagSize;
  }
  const TBasicKestrixReader reader(framePosition, xingOffset, tagData, fileSize);
  if (TagFound) {
    // A stored tag CRC of 0 marks an encoder that wrote no tag.
    TagFound = reader.GetInfoTagCRC() != 0;
  }
  return reader;
}

std::int64_t FindFirstFrame(platform::TStream& Stream) {
  std::uint8_t bytes[TId3v2Header::Size] = {};
  Stream.Seek(0);
  if (Stream.Read(bytes, TId3v2Header::Size) < static_cast<std::int64_t>(TId3v2Header::Size)) {
    return 0;
  }
  const TId3v2Header header(bytes);
  if (!header.HasMagic()) {
    return 0;
  }
  const auto size = static_cast<std::int64_t>(
      BytesToInt(bytes + TId3v2Header::SizeIndex, SizeLastIndex, SynchsafeBitsPerByte));
  return static_cast<std::int64_t>(TId3v2Header::Size) + size +
         (header.HasFooter() ? TId3v2Header::FooterSize : 0);
}

// --- CRCs ---------------------------------------------------------------

TByteRange TBasicKestrixReader::InfoTagCRCRange() const {
  return {FramePosition, FramePosition + XingOffset + InfoTagCRCOffset};
}

// The stored music length counts from the first byte of the tag's frame.
TByteRange TBasicKestrixReader::MusicCRCRange() const {
  return {FramePosition + XingOffset + TagEnd,
          FramePosition + static_cast<std::int64_t>(GetMusicLength())};
}

void TBasicKestrixReader::SetActualCRCs(std::uint16_t InfoTagCRC, std::uint16_t MusicCRC) {
  ActualInfoTagCRC = InfoTagCRC;
  ActualMusicCRC = MusicCRC;
}

// --- Accessors ----------------------------------------------------------

std::string TBasicKestrixReader::GetEncoderString() const {
  return TextUpTo(TagData.EncoderVersion, EncoderStringSize);
}

std::string TBasicKestrixReader::GetVersionString() const {
  return TextUpTo(TagData.EncoderVersion + VersionIndex, VersionSize);
}

// Pre-3.90 encoders wrote a longer version text where the tag fields lie.
std::string TBasicKestrixReader::GetLongVersionString() const {
  std::array<std::uint8_t, sizeof(TRawTagData)> bytes{};
  std::memcpy(bytes.data(), &TagData, bytes.size());
  return TextUpTo(bytes.data() + EncoderVersionTagIndex + VersionIndex, LongVersionSize);
}

std::uint8_t TBasicKestrixReader::GetTagRevision() const {
  return static_cast<std::uint8_t>(TagData.RevisionMethod >> NibbleBits);
}

std::uint8_t TBasicKestrixReader::GetEncodingMethod() const {
  return static_cast<std::uint8_t>(TagData.RevisionMethod & LowNibble);
}

std::uint16_t TBasicKestrixReader::GetLowpass() const {
  constexpr std::uint16_t HertzPerUnit = 100;
  return static_cast<std::uint16_t>(TagData.LowpassByte * HertzPerUnit);
}

void TBasicKestrixReader::GetReplayGain(TReplayGainInfo& Info) {
  if (!ReplayGainCached) {
    ReplayGainCached = true;
    if (CompareVersionTexts(GetVersionString(), std::string(FirstIntegerPeakVersion)) < 0) {
      Peak = LittleEndianSingle(TagData.PeakBytes);
    } else {
      Peak = static_cast<float>(
          static_cast<double>(BytesToInt(TagData.PeakBytes, 3, BigEndianBitsPerByte)) /
          IntegerPeakScale);
    }
    TrackGain = DecodeReplayGain(TagData.TrackGainBytes);
    AlbumGain = DecodeReplayGain(TagData.AlbumGainBytes);
  }
  Info.Peak = Peak;
  Info.TrackGain = TrackGain;
  Info.AlbumGain = AlbumGain;
}

bool TBasicKestrixReader::GetNSPsyTune() const {
  return IsBitSet(TagData.FlagsATH, NSPsyTuneBit);
}

bool TBasicKestrixReader::GetNSSafeJoint() const {
  return IsBitSet(TagData.FlagsATH, NSSafeJointBit);
}

bool TBasicKestrixReader::GetNoGapContinued() const {
  return IsBitSet(TagData.FlagsATH, NoGapContinuedBit);
}

bool TBasicKestrixReader::GetNoGapContinuation() const {
  return IsBitSet(TagData.FlagsATH, NoGapContinuationBit);
}

std::uint8_t TBasicKestrixReader::GetATHType() const {
  return static_cast<std::uint8_t>(TagData.FlagsATH & LowNibble);
}

// 24 bits: delay in the high 12, padding in the low 12.
std::uint16_t TBasicKestrixReader::GetEncoderDelay() const {
  return static_cast<std::uint16_t>((TagData.DelayPadding[0] << NibbleBits) |
                                    (TagData.DelayPadding[1] >> NibbleBits));
}

std::uint16_t TBasicKestrixReader::GetEncoderPadding() const {
  return static_cast<std::uint16_t>(
      ((TagData.DelayPadding[1] & LowNibble) << BigEndianBitsPerByte) | TagData.DelayPadding[2]);
}

std::uint8_t TBasicKestrixReader::GetNoiseShaping() const {
  return static_cast<std::uint8_t>(TagData.Misc & NoiseShapingMask);
}

std::uint8_t TBasicKestrixReader::GetStereoMode() const {
  return static_cast<std::uint8_t>((TagData.Misc >> StereoModeShift) & StereoModeMask);
}

bool TBasicKestrixReader::GetUnwiseSettings() const {
  return IsBitSet(TagData.Misc, UnwiseSettingsBit);
}

std::uint8_t TBasicKestrixReader::GetSourceSampleFreq() const {
  return static_cast<std::uint8_t>(TagData.Misc >> SourceSampleFreqShift);
}

// Sign and magnitude, so 0x80 is a negative zero.
std::int8_t TBasicKestrixReader::GetMP3GainChange() const {
  const auto magnitude = static_cast<std::int8_t>(TagData.MP3GainByte & MP3GainMagnitudeMask);
  return IsBitSet(TagData.MP3GainByte, MP3GainSignBit) ? static_cast<std::int8_t>(-magnitude)
                                                       : magnitude;
}

std::uint16_t TBasicKestrixReader::GetPreset() {
  if (!PresetCached) {
    PresetCached = true;
    Preset = static_cast<std::uint16_t>(BigEndianWord(TagData.PresetSurround) & PresetMask);
  }
  return Preset;
}

std::uint8_t TBasicKestrixReader::GetSurroundInfo() const {
  return static_cast<std::uint8_t>((TagData.PresetSurround[0] >> SurroundShift) & SurroundMask);
}

std::uint32_t TBasicKestrixReader::GetMusicLength() const {
  return BytesToInt(TagData.MusicLengthBytes, 3, BigEndianBitsPerByte);
}

std::uint16_t TBasicKestrixReader::GetMusicCRC() const {
  return BigEndianWord(TagData.MusicCRCBytes);
}

std::uint16_t TBasicKestrixReader::GetInfoTagCRC() const {
  return BigEndianWord(TagData.InfoTagCRCBytes);
}

}  // namespace kestrix
