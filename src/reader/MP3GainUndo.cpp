#include "reader/MP3GainUndo.h"

#include <algorithm>
#include <array>

#include "reader/CRC16.h"
#include "reader/CRC16Shift.h"
#include "reader/FrameCRC.h"

namespace kestrix {

namespace {

constexpr int MinGain = 0;
constexpr int MaxGain = 255;
constexpr std::size_t BitsPerByte = 8;
constexpr std::size_t MaxStepDigits = 4;

// Side information bits before the first granule. Version 1:
// main_data_begin (9), private bits (5 mono, 3 stereo), scfsi (4 per
// channel). Versions 2 and 2.5: main_data_begin (8), private bits (1 mono,
// 2 stereo).
constexpr std::size_t MPEG1MainDataBits = 9;
constexpr std::size_t LowRateMainDataBits = 8;
struct TPrivateBits {
  std::size_t Mono;
  std::size_t Stereo;
};
constexpr TPrivateBits MPEG1PrivateBits = {5, 3};
constexpr TPrivateBits LowRatePrivateBits = {1, 2};
constexpr std::size_t ScfsiBitsPerChannel = 4;
// One part per granule and channel: 59 bits in version 1, 63 otherwise;
// global_gain is the 8 bits behind part2_3_length (12) and big_values (9).
constexpr std::size_t MPEG1PartBits = 59;
constexpr std::size_t LowRatePartBits = 63;
constexpr std::size_t GlobalGainInPart = 21;
constexpr std::size_t MPEG1Granules = 2;
constexpr std::size_t LowRateGranules = 1;

}  // namespace

std::uint8_t GainAt(const std::uint8_t* Bytes, std::size_t Bit) {
  const std::size_t index = Bit / BitsPerByte;
  const std::size_t shift = Bit % BitsPerByte;
  unsigned word = static_cast<unsigned>(Bytes[index]) << BitsPerByte;
  if (shift != 0) {
    word |= Bytes[index + 1];
  }
  return static_cast<std::uint8_t>((word << shift) >> BitsPerByte);
}

void SetGainAt(std::uint8_t* Bytes, std::size_t Bit, std::uint8_t Value) {
  const std::size_t index = Bit / BitsPerByte;
  const std::size_t shift = Bit % BitsPerByte;
  const auto lowBits = static_cast<std::uint8_t>(0xFF >> shift);
  Bytes[index] = static_cast<std::uint8_t>((Bytes[index] & ~lowBits) | (Value >> shift));
  if (shift != 0) {
    Bytes[index + 1] = static_cast<std::uint8_t>((Bytes[index + 1] & (0xFF >> shift)) |
                                                 (Value << (BitsPerByte - shift)));
  }
}

TGainFields GainFieldsOf(const TFrameHeader& Header) {
  const bool mpeg1 = Header.IsMPEG1();
  TGainFields fields;
  fields.Channels = static_cast<std::size_t>(Header.Channels());
  const TPrivateBits& privateBits = mpeg1 ? MPEG1PrivateBits : LowRatePrivateBits;
  const std::size_t first = SideInfoBegin(Header) * BitsPerByte +
                            (mpeg1 ? MPEG1MainDataBits : LowRateMainDataBits) +
                            (Header.IsMono() ? privateBits.Mono : privateBits.Stereo) +
                            (mpeg1 ? ScfsiBitsPerChannel * fields.Channels : 0);
  const std::size_t partBits = mpeg1 ? MPEG1PartBits : LowRatePartBits;
  fields.Count = (mpeg1 ? MPEG1Granules : LowRateGranules) * fields.Channels;
  for (std::size_t part = 0; part < fields.Count; ++part) {
    fields.Bits[part] = first + part * partBits + GlobalGainInPart;
  }
  return fields;
}

// MP3Gain leaves a global gain of 0 alone and stops at 255 unless told to
// wrap, so such a field keeps no trace of the change to undo.
std::uint8_t UndoneGain(std::uint8_t Gain, int Step, bool Wrap) {
  constexpr int Values = MaxGain + 1;
  if (Wrap) {
    return static_cast<std::uint8_t>(((Gain + Step) % Values + Values) % Values);
  }
  if (Gain == MinGain || Gain == MaxGain) {
    return Gain;
  }
  return static_cast<std::uint8_t>(std::clamp(Gain + Step, MinGain, MaxGain));
}

namespace {

// A signed decimal number of a few digits at the front of Text.
std::optional<int> TakeNumber(std::string_view& Text) {
  bool negative = false;
  if (!Text.empty() && (Text.front() == '-' || Text.front() == '+')) {
    negative = Text.front() == '-';
    Text.remove_prefix(1);
  }
  std::size_t digits = 0;
  int value = 0;
  while (digits < Text.size() && Text[digits] >= '0' && Text[digits] <= '9') {
    value = value * 10 + (Text[digits] - '0');
    ++digits;
  }
  if (digits == 0 || digits > MaxStepDigits) {
    return std::nullopt;
  }
  Text.remove_prefix(digits);
  return negative ? -value : value;
}

}  // namespace

std::optional<TMP3GainSteps> ParseMP3GainUndo(std::string_view Text) {
  const std::optional<int> left = TakeNumber(Text);
  if (!left || Text.empty() || Text.front() != ',') {
    return std::nullopt;
  }
  Text.remove_prefix(1);
  const std::optional<int> right = TakeNumber(Text);
  if (!right || (!Text.empty() && Text.front() != ',')) {
    return std::nullopt;
  }
  const bool wrap = Text.size() >= 2 && Text[1] == 'W';
  return TMP3GainSteps{*left, *right, wrap};
}

void ApplyGainSteps(std::uint8_t* Frame, std::size_t Size, TMP3GainSteps Steps) {
  if (Size < TFrameHeader::Size) {
    return;
  }
  const TGainFields fields = GainFieldsOf(TFrameHeader(Frame));
  for (std::size_t part = 0; part < fields.Count; ++part) {
    const std::size_t bit = fields.Bits[part];
    if (bit + BitsPerByte > Size * BitsPerByte) {
      break;
    }
    const int step = part % fields.Channels == 0 ? Steps.Left : Steps.Right;
    SetGainAt(Frame, bit, UndoneGain(GainAt(Frame, bit), step, Steps.Wrap));
  }
}

TMP3GainUndoCRC::TMP3GainUndoCRC(TByteRange MusicCRCRange, TMP3GainSteps Steps)
    : Range(MusicCRCRange), Steps(Steps), Folded(MusicCRCRange.Begin) {}

void TMP3GainUndoCRC::OnFrame(const TFrameEvent& Frame) {
  const std::size_t size = std::min(Frame.Size, MaxSideInfoEnd);
  if (!Frame.IsAudio || size < TFrameHeader::Size) {
    return;
  }
  std::array<std::uint8_t, MaxSideInfoEnd> undone{};
  std::copy_n(Frame.Bytes, size, undone.begin());
  ApplyGainSteps(undone.data(), size, Steps);
  if (Frame.Header.IsProtected() && size >= SideInfoEnd(Frame.Header)) {
    const std::uint16_t word = ComputeFrameCRC(undone.data());
    undone[TFrameHeader::Size] = static_cast<std::uint8_t>(word >> BitsPerByte);
    undone[TFrameHeader::Size + 1] = static_cast<std::uint8_t>(word);
  }
  // The differences inside the range, from the first to the last.
  std::array<std::uint8_t, MaxSideInfoEnd> difference{};
  std::int64_t first = -1;
  std::int64_t last = -1;
  for (std::size_t i = 0; i < size; ++i) {
    const std::int64_t offset = Frame.Offset + static_cast<std::int64_t>(i);
    difference[i] = static_cast<std::uint8_t>(undone[i] ^ Frame.Bytes[i]);
    if (difference[i] != 0 && offset >= Folded && offset < Range.End) {
      first = first < 0 ? offset : first;
      last = offset;
    }
  }
  if (first < 0) {
    return;
  }
  DifferenceCRC = ShiftCRC16(DifferenceCRC, first - Folded);
  DifferenceCRC = UpdateCRC16Table(DifferenceCRC, difference.data() + (first - Frame.Offset),
                                   static_cast<std::size_t>(last + 1 - first));
  Folded = last + 1;
}

std::uint16_t TMP3GainUndoCRC::UndoneCRC(std::uint16_t ActualCRC, std::int64_t End) const {
  const std::int64_t end = std::min(End, Range.End);
  return static_cast<std::uint16_t>(ActualCRC ^ ShiftCRC16(DifferenceCRC, end - Folded));
}

}  // namespace kestrix
