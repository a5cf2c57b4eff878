#include "reader/MP3GainSearch.h"

#include <algorithm>

#include "reader/CRC16.h"
#include "reader/CRC16Shift.h"
#include "reader/FrameCRC.h"

namespace kestrix {

namespace {

constexpr std::int64_t MaxDistance = 0xFFFF;  // what a record holds
// Frames the range's ends cut: the first and the last, and a last one the
// file's end cuts.
constexpr std::size_t MaxEdges = 4;
constexpr std::size_t BitsPerByte = 8;

// Read from the header's bytes, as every frame asks: MPEG-1 (version bits
// 11), mono (channel mode 11), a CRC word (protection bit 0).
std::size_t KindOf(const std::uint8_t* Header) {
  constexpr std::uint8_t VersionBits = 0x18;
  constexpr std::uint8_t MonoBits = 0xC0;
  return ((Header[1] & VersionBits) == VersionBits ? 4u : 0u) |
         ((Header[3] & MonoBits) == MonoBits ? 2u : 0u) | ((Header[1] & 1u) == 0 ? 1u : 0u);
}

// A record holds this many frames per byte of the range at first; more
// only where frames are shorter.
constexpr std::int64_t BytesPerFrameGuess = 128;

}  // namespace

TMP3GainSearch::TMP3GainSearch(TByteRange MusicCRCRange, std::size_t BufferBytes)
    : Range(MusicCRCRange),
      Capacity(std::max<std::size_t>(BufferBytes / sizeof(TRecord), 1)),
      FoldedPower(ZeroBytesFactor(0)) {}

void TMP3GainSearch::OnFrame(const TFrameEvent& Frame) {
  if (!Frame.IsAudio) {
    return;
  }
  const std::size_t kind = KindOf(Frame.Bytes);
  TKind& info = KindInfo[kind];
  if (!info.Seen) {
    Learn(kind, Frame.Header);
  }
  // Only the bytes up to the end of the side information change.
  const std::int64_t end = Frame.Offset + static_cast<std::int64_t>(info.End);
  if (end <= Range.Begin || Frame.Offset >= Range.End) {
    return;
  }
  if (Frame.Offset >= Range.Begin && end <= Range.End && Frame.IsComplete &&
      Frame.Size >= info.End) {
    Record(Frame.Offset, kind, Frame.Bytes);
    return;
  }
  if (Edges.size() == MaxEdges) {
    TooManyEdges = true;
    return;
  }
  TEdgeFrame edge{
      Frame.Offset, Frame.Length, Frame.IsComplete, {}, std::min(Frame.Size, MaxSideInfoEnd)};
  std::copy_n(Frame.Bytes, edge.Size, edge.Bytes.begin());
  Edges.push_back(edge);
}

void TMP3GainSearch::Learn(std::size_t Kind, const TFrameHeader& Header) {
  TKind& info = KindInfo[Kind];
  info.Seen = true;
  info.End = SideInfoEnd(Header);
  info.Fields = GainFieldsOf(Header);
  info.Protected = Header.IsProtected();
  for (std::size_t i = 0; i < MaxFields; ++i) {
    const std::size_t bit = info.Fields.Bits[i < info.Fields.Count ? i : 0];
    info.FieldByte[i] = static_cast<std::uint8_t>(bit / BitsPerByte);
    info.FieldShift[i] = static_cast<std::uint8_t>(BitsPerByte - bit % BitsPerByte);
  }
}

// Every frame passes here: a few byte operations and one store.
void TMP3GainSearch::Record(std::int64_t Offset, std::size_t Kind, const std::uint8_t* Bytes) {
  std::int64_t distance = Offset - LastOffset;
  if (distance > MaxDistance) {
    // Too far for a record: the fold moves on to the frame itself.
    Fold();
    FoldedPower = MultiplyCRC16(FoldedPower, ZeroBytesFactor(-distance));
    LastOffset = Offset;
    distance = 0;
  }
  if (Records.size() == Records.capacity()) {
    MakeRoom();
  }
  TRecord record{static_cast<std::uint16_t>(distance), static_cast<std::uint8_t>(Kind), {}};
  const TKind& info = KindInfo[Kind];
  for (std::size_t i = 0; i < MaxFields; ++i) {
    // Inside the side information: the byte behind a field is there.
    const std::uint8_t* field = Bytes + info.FieldByte[i];
    const unsigned word = static_cast<unsigned>(field[0]) << BitsPerByte | field[1];
    record.Gains[i] = static_cast<std::uint8_t>(word >> info.FieldShift[i]);
  }
  Records.push_back(record);
  LastOffset = Offset;
}

// Room for a guess of the range's frames at first, then as a vector grows,
// up to the capacity; there the records are folded.
void TMP3GainSearch::MakeRoom() {
  if (Records.size() >= Capacity) {
    Fold();
  } else if (Records.capacity() == 0) {
    const std::int64_t guess = (Range.End - Range.Begin) / BytesPerFrameGuess + 1;
    Records.reserve(static_cast<std::size_t>(
        std::min<std::int64_t>(guess, static_cast<std::int64_t>(Capacity))));
  } else {
    Records.reserve(std::min(Records.capacity() * 2, Capacity));
  }
}

void TMP3GainSearch::Fold() {
  if (Records.empty()) {
    return;
  }
  if (Sums.empty()) {
    Sums.assign(Kinds * MaxFields * GainValues, 0);
  }
  std::uint16_t power = FoldedPower;
  for (const TRecord& record : Records) {
    power = MultiplyCRC16(power, Factor(record.Distance));
    std::uint16_t* sums = &Sums[record.Kind * MaxFields * GainValues];
    const std::size_t count = KindInfo[record.Kind].Fields.Count;
    for (std::size_t i = 0; i < count; ++i) {
      sums[i * GainValues + record.Gains[i]] ^= power;
    }
  }
  FoldedPower = power;
  Records.clear();
}

std::uint16_t TMP3GainSearch::Factor(std::int64_t Distance) {
  TCachedFactor& cached = Factors[static_cast<std::size_t>(Distance) % Factors.size()];
  if (cached.Distance != Distance) {
    cached = {Distance, ZeroBytesFactor(-Distance)};
  }
  return cached.Factor;
}

// A field's difference bit by bit: the CRC of the frame's bytes up to the
// end of its side information with only that bit set and, in a frame with
// a CRC word, the word's difference, which is the frame CRC of the
// differences from 0.
void TMP3GainSearch::PrepareShares(TKind& Kind) const {
  const std::uint16_t back = ZeroBytesFactor(-static_cast<std::int64_t>(Kind.End));
  const std::size_t side = TFrameHeader::Size + (Kind.Protected ? CRCWordSize : 0);
  for (std::size_t i = 0; i < Kind.Fields.Count; ++i) {
    for (std::size_t bit = 0; bit < GainBits; ++bit) {
      std::array<std::uint8_t, MaxSideInfoEnd> window{};
      SetGainAt(window.data(), Kind.Fields.Bits[i], static_cast<std::uint8_t>(1u << bit));
      if (Kind.Protected) {
        const std::uint16_t word = UpdateFrameCRC(0, window.data() + side, Kind.End - side);
        window[TFrameHeader::Size] = static_cast<std::uint8_t>(word >> BitsPerByte);
        window[TFrameHeader::Size + 1] = static_cast<std::uint8_t>(word);
      }
      Kind.Shares[i][bit] = MultiplyCRC16(UpdateCRC16Table(0, window.data(), Kind.End), back);
    }
  }
}

std::uint16_t TMP3GainSearch::EdgeDifference(int Change, std::int64_t End) const {
  TMP3GainUndoCRC undo(Range, {-Change, -Change, false});
  for (const TEdgeFrame& edge : Edges) {
    undo.OnFrame({edge.Offset, TFrameHeader(edge.Bytes.data()), edge.Length, true, edge.IsComplete,
                  edge.Bytes.data(), edge.Size});
  }
  return undo.UndoneCRC(0, End);
}

std::uint16_t TMP3GainSearch::UndoneCRC(int Change, std::uint16_t ActualCRC, std::int64_t End) {
  Fold();
  std::uint16_t sum = 0;
  for (std::size_t kind = 0; kind < Kinds && !Sums.empty(); ++kind) {
    TKind& info = KindInfo[kind];
    if (!info.Seen) {
      continue;
    }
    if (!info.SharesReady) {
      PrepareShares(info);
      info.SharesReady = true;
    }
    for (std::size_t i = 0; i < info.Fields.Count; ++i) {
      const std::uint16_t* sums = &Sums[(kind * MaxFields + i) * GainValues];
      // The sums of the frames whose difference has each bit set.
      std::array<std::uint16_t, GainBits> byBit{};
      for (std::size_t value = 0; value < GainValues; ++value) {
        if (sums[value] == 0) {
          continue;
        }
        const auto gain = static_cast<std::uint8_t>(value);
        const unsigned difference = gain ^ UndoneGain(gain, -Change, false);
        for (std::size_t bit = 0; bit < GainBits; ++bit) {
          if ((difference >> bit & 1) != 0) {
            byBit[bit] ^= sums[value];
          }
        }
      }
      for (std::size_t bit = 0; bit < GainBits; ++bit) {
        sum ^= MultiplyCRC16(byBit[bit], info.Shares[i][bit]);
      }
    }
  }
  const std::int64_t end = std::min(End, Range.End);
  return static_cast<std::uint16_t>(ActualCRC ^ MultiplyCRC16(sum, ZeroBytesFactor(end)) ^
                                    EdgeDifference(Change, end));
}

std::optional<int> TMP3GainSearch::FindChange(std::uint16_t ActualCRC, std::uint16_t StoredCRC,
                                              std::int64_t End) {
  if (TooManyEdges) {
    return std::nullopt;
  }
  std::optional<int> found;
  int matches = 0;
  for (int change = -MaxUniformChange; change <= MaxUniformChange; ++change) {
    if (change != 0 && UndoneCRC(change, ActualCRC, End) == StoredCRC) {
      found = change;
      ++matches;
    }
  }
  return matches == 1 ? found : std::nullopt;
}

}  // namespace kestrix
