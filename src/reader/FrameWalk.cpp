#include "reader/FrameWalk.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "reader/FrameCRC.h"
#include "reader/VbrHeader.h"

namespace kestrix {

namespace {

constexpr std::uint8_t SyncByte = 0xFF;
constexpr std::int64_t HeaderSize = TFrameHeader::Size;
// A position starts a stream when this many frames follow one another.
constexpr int SyncFrames = 4;
// The next free-format header lies at most this far from a frame's start.
constexpr std::int64_t MaxFreeFormatDistance = 8192;
constexpr std::size_t SampleRateIndexes = 3;
// Byte 1 of a Layer III header: the last three sync bits set, layer bits 01.
constexpr std::uint8_t SyncAndLayerMask = 0xE6;
constexpr std::uint8_t SyncAndLayerIII = 0xE2;
// Byte 1's version bits, and byte 2's bitrate and sample-rate bits, that no
// header has: the reserved version, bitrate index 15, sample rate index 3.
constexpr std::uint8_t VersionMask = 0x18;
constexpr std::uint8_t ReservedVersion = 0x08;
constexpr std::uint8_t BitrateMask = 0xF0;
constexpr std::uint8_t SampleRateMask = 0x0C;
// A position may start a header when these bytes from it say so.
constexpr std::int64_t CandidateBytes = 3;
// Byte 1 of a header of a given stream: all but the protection bit.
constexpr std::uint8_t AllButProtection = 0xFE;

// Positions checked at once: a loop without an early exit, which the
// compiler turns into vector instructions.
constexpr std::ptrdiff_t PairBlock = 64;

// Whether the 3 bytes at Bytes may begin a Layer III header: sync, layer,
// a version, bitrate and sample rate that are not reserved.
std::uint8_t IsCandidate(const std::uint8_t* Bytes) {
  return static_cast<std::uint8_t>(
      (Bytes[0] == SyncByte) & ((Bytes[1] & SyncAndLayerMask) == SyncAndLayerIII) &
      ((Bytes[1] & VersionMask) != ReservedVersion) & ((Bytes[2] & BitrateMask) != BitrateMask) &
      ((Bytes[2] & SampleRateMask) != SampleRateMask));
}

// Whether one of the PairBlock positions from Bytes has a 0xFF with a byte
// of sync and layer behind it, the first test of a candidate and the
// cheapest; reads one byte more.
bool PairInBlock(const std::uint8_t* Bytes) {
  // Byte-wide, so that a vector holds as many positions as it can.
  std::uint8_t found = 0;
  for (std::ptrdiff_t i = 0; i < PairBlock; ++i) {
    found |= static_cast<std::uint8_t>((Bytes[i] == SyncByte) &
                                       ((Bytes[i + 1] & SyncAndLayerMask) == SyncAndLayerIII));
  }
  return found != 0;
}

// Whether one of the PairBlock positions from Bytes is a candidate; reads
// two bytes more.
bool CandidateInBlock(const std::uint8_t* Bytes) {
  std::uint8_t found = 0;
  for (std::ptrdiff_t i = 0; i < PairBlock; ++i) {
    found |= IsCandidate(Bytes + i);
  }
  return found != 0;
}

// The first candidate from Begin on whose bytes are all before End; else
// the first of the last two positions that may still become one with the
// bytes after End; else End. Checked a block at a time.
const std::uint8_t* FindCandidate(const std::uint8_t* Begin, const std::uint8_t* End) {
  const std::uint8_t* p = Begin;
  for (; End - p >= PairBlock + CandidateBytes - 1; p += PairBlock) {
    // Other data has few 0xFF bytes, or (16-bit audio near silence) many
    // that begin no header.
    if (!PairInBlock(p) || !CandidateInBlock(p)) {
      continue;
    }
    for (const std::uint8_t* q = p; q < p + PairBlock; ++q) {
      if (IsCandidate(q) != 0) {
        return q;
      }
    }
  }
  for (; End - p >= CandidateBytes; ++p) {
    if (IsCandidate(p) != 0) {
      return p;
    }
  }
  for (; p < End; ++p) {
    if (*p == SyncByte && (p + 1 == End || (p[1] & SyncAndLayerMask) == SyncAndLayerIII)) {
      return p;
    }
  }
  return End;
}

// Version, sample rate and mono or not: what a stream keeps throughout.
bool SameParameters(const TFrameHeader& A, const TFrameHeader& B) {
  return A.Version() == B.Version() && A.SampleRateIndex() == B.SampleRateIndex() &&
         A.IsMono() == B.IsMono();
}

std::size_t RateSlot(const TFrameHeader& Header) {
  return static_cast<std::size_t>(Header.Version()) * SampleRateIndexes + Header.SampleRateIndex();
}

}  // namespace

TFrameWalk::TFrameWalk(TByteRange StreamRegion, TFrameListener* Listener)
    : Region(StreamRegion), Listener(Listener) {
  Region.Begin = std::max<std::int64_t>(Region.Begin, 0);
  Region.End = std::max(Region.End, Region.Begin);
  SearchFrom = LostFrom = Received = PairsTo = Region.Begin;
  LastNonZero = Region.Begin - 1;
}

// --- The blocks of the pass ----------------------------------------------
//
// Every step reads bytes at or after the cursor, at most a sync look-ahead
// ahead of it (four free-format frames). When a block ends before the bytes
// a step needs, only the bytes from the cursor on are kept, and the next
// block's first bytes are added to them until the cursor passes into that
// block; the rest of a block is read where it lies.

void TFrameWalk::Take(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) {
  WalkBlock(Offset, Data, Size);
  // After the walk, which has read the block from its start.
  NoteLastNonZero(Offset, Data, Size);
}

void TFrameWalk::WalkBlock(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) {
  if (Phase == TPhase::Done || Size == 0 || Offset != Received) {
    return;
  }
  const TWindow block{Data, Offset, Offset + static_cast<std::int64_t>(Size)};
  Received = block.End;
  if (!Carry.empty() && !RunOnCarry(block)) {
    return;
  }
  if (Phase == TPhase::Done || Cursor() > block.End) {
    return;
  }
  Run(block);
  if (Phase != TPhase::Done && Cursor() < block.End) {
    Carry.assign(block.At(Cursor()), Data + Size);
    CarryBegin = Cursor();
  }
}

bool TFrameWalk::RunOnCarry(const TWindow& Block) {
  for (;;) {
    const std::int64_t carryEnd = CarryBegin + static_cast<std::int64_t>(Carry.size());
    // A wait always wants bytes past the carried ones.
    const std::int64_t upTo = NeedUntil > carryEnd ? std::min(NeedUntil, Block.End) : Block.End;
    Carry.insert(Carry.end(), Block.At(carryEnd), Block.At(upTo));
    Run({Carry.data(), CarryBegin, upTo});
    if (Phase == TPhase::Done || Cursor() >= Block.Begin) {
      Carry.clear();
      return true;
    }
    if (upTo == Block.End) {
      Carry.erase(Carry.begin(), Carry.begin() + (Cursor() - CarryBegin));
      CarryBegin = Cursor();
      return false;
    }
  }
}

// Usually a block's last byte is not 0, so this costs nothing.
void TFrameWalk::NoteLastNonZero(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) {
  const std::uint8_t* end = Data + Size;
  constexpr std::size_t WordSize = sizeof(std::uint64_t);
  while (end - Data >= static_cast<std::ptrdiff_t>(WordSize)) {
    std::uint64_t word = 0;
    std::memcpy(&word, end - WordSize, WordSize);
    if (word != 0) {
      break;
    }
    end -= WordSize;
  }
  while (end != Data && end[-1] == 0) {
    --end;
  }
  if (end != Data) {
    LastNonZero = std::max(LastNonZero, Offset + (end - Data) - 1);
  }
}

void TFrameWalk::Finish(std::int64_t End) {
  const std::int64_t regionEnd = std::min(Region.End, End);
  Result.TrailingZeros = std::max<std::int64_t>(regionEnd - (LastNonZero + 1), 0);
  if (Phase == TPhase::Done) {
    return;
  }
  // A file that ended early ends the region there.
  Region.End = std::max(Region.Begin, std::min({Region.End, End, Received}));
  if (Pending.Active && Pending.End > Region.End) {
    Result.TruncatedFrame = Pending.End - Region.End;
    Pending.Active = false;
    LastEnd = Region.End;
    Stop();
    return;
  }
  static const std::uint8_t NoBytes = 0;
  const std::uint8_t* data = Carry.empty() ? &NoBytes : Carry.data();
  const std::int64_t begin = Carry.empty() ? Region.End : CarryBegin;
  // With every byte there, no step waits: the walk ends here.
  Run({data, begin, Region.End});
  if (Phase != TPhase::Done) {
    Stop();
  }
}

void TFrameWalk::Run(const TWindow& Window) {
  bool progress = true;
  while (progress && Phase != TPhase::Done) {
    progress = Phase == TPhase::Walking ? Step(Window) : Search(Window);
  }
}

TFrameWalk::TNeed TFrameWalk::Need(const TWindow& Window, std::int64_t Until) {
  if (Until > Region.End) {
    return TNeed::Beyond;
  }
  if (Until <= Window.End) {
    return TNeed::Have;
  }
  NeedUntil = Until;
  return TNeed::Wait;
}

// --- Walking ---------------------------------------------------------------

bool TFrameWalk::Step(const TWindow& Window) {
  // Frame after frame, as long as nothing else is to be done.
  for (;;) {
    // The frame before is complete once the bytes reach this position.
    if (Need(Window, Position) == TNeed::Wait) {
      return false;
    }
    CommitPending();
    if (Position == Region.End) {
      Stop();
      return true;
    }
    switch (Need(Window, Position + HeaderSize)) {
      case TNeed::Wait:
        return false;
      case TNeed::Beyond:
        return CutInHeader(Window);
      case TNeed::Have:
        break;
    }
    const std::uint8_t* bytes = Window.At(Position);
    const std::int64_t length = Stream.Length(bytes);
    if (length == 0) {
      LoseSync();
      return true;
    }
    // The first frame is read as far as a VBR header can reach.
    auto wanted = static_cast<std::int64_t>(Stream.SideInfoEnd(bytes));
    if (Position == Result.FirstFrame) {
      wanted = std::max(wanted, std::min<std::int64_t>(length, VbrHeaderSpan));
    }
    wanted = std::min(wanted, Region.End - Position);
    if (Need(Window, Position + wanted) == TNeed::Wait) {
      return false;
    }
    if (Position + length > Region.End) {
      Truncate(bytes, length, wanted);
      return true;
    }
    Accept(bytes, length, wanted);
    Position += length;
  }
}

// One to three bytes left where a frame should start: when they begin a
// header of the stream, the file was cut inside that header.
bool TFrameWalk::CutInHeader(const TWindow& Window) {
  if (Need(Window, Region.End) == TNeed::Wait) {
    return false;
  }
  const std::int64_t present = Region.End - Position;
  const std::uint8_t* bytes = Window.At(Position);
  const std::uint8_t* stream = Stream.First().Bytes();
  // Sync, version and layer; the protection bit may differ.
  constexpr std::uint8_t StreamBitsOfByte1 = 0xFE;
  bool begins = bytes[0] == SyncByte;
  if (present >= 2) {
    begins = begins && (bytes[1] & StreamBitsOfByte1) == (stream[1] & StreamBitsOfByte1);
  }
  std::int64_t length = LastLength;
  if (begins && present >= 3) {
    // Byte 3 (the channel mode) is missing: taken from the stream.
    const std::uint8_t completed[HeaderSize] = {bytes[0], bytes[1], bytes[2], stream[3]};
    length = Stream.Length(completed);
    begins = length != 0;
  }
  if (!begins) {
    LoseSync();
    return true;
  }
  Result.TruncatedFrame = std::max<std::int64_t>(length - present, 1);
  LastEnd = Region.End;
  Stop();
  return true;
}

void TFrameWalk::Accept(const std::uint8_t* Bytes, std::int64_t Length, std::int64_t Available) {
  bool isAudio = true;
  if (Position == Result.FirstFrame) {
    Result.VbrHeader = ParseVbrHeader(Bytes, static_cast<std::size_t>(std::min(Length, Available)));
    if (Result.VbrHeader) {
      isAudio = false;
      Result.VbrHeaderFrameLength = Length;
    }
  }
  if (isAudio) {
    NoteFirstAudio(Bytes, Available);
  }
  const bool isProtected = TStreamShape::IsProtected(Bytes);
  const bool crcFailed =
      isProtected && (Available < static_cast<std::int64_t>(Stream.SideInfoEnd(Bytes)) ||
                      ComputeFrameCRC(Bytes) != StoredFrameCRC(Bytes));
  Pending = {true,    Position + Length, TStreamShape::BitrateIndex(Bytes), isProtected, Length,
             isAudio, crcFailed};
  LastLength = Length;
  if (Listener != nullptr) {
    Tell(Bytes, Length, isAudio, true, Available);
  }
}

void TFrameWalk::Truncate(const std::uint8_t* Bytes, std::int64_t Length, std::int64_t Available) {
  Result.TruncatedFrame = Position + Length - Region.End;
  LastEnd = Region.End;
  NoteFirstAudio(Bytes, Available);
  Tell(Bytes, Length, true, false, Available);
  Stop();
}

void TFrameWalk::Tell(const std::uint8_t* Bytes, std::int64_t Length, bool IsAudio, bool IsComplete,
                      std::int64_t Available) {
  if (Listener == nullptr) {
    return;
  }
  const auto size = std::min(Available, static_cast<std::int64_t>(Stream.SideInfoEnd(Bytes)));
  Listener->OnFrame({Position, TFrameHeader(Bytes), Length, IsAudio, IsComplete, Bytes,
                     static_cast<std::size_t>(size)});
}

void TFrameWalk::CommitPending() {
  if (!Pending.Active) {
    return;
  }
  Pending.Active = false;
  LastEnd = Pending.End;
  if (Pending.IsProtected) {
    ++Result.ProtectedFrames;
    Result.FrameCRC += Pending.CRCFailed ? 1 : 0;
  }
  if (!Pending.IsAudio) {
    return;
  }
  if (Result.Frames == 0) {
    FirstBitrateIndex = Pending.BitrateIndex;
  }
  ++Result.Frames;
  AudioBytes += Pending.Length;
  OneBitrate = OneBitrate && Pending.BitrateIndex == FirstBitrateIndex;
  AllFree = AllFree && Pending.BitrateIndex == 0;
  SamplesByRate[StreamSlot] += Stream.First().SamplesPerFrame();
}

// main_data_begin opens the side information: 9 bits in MPEG-1, 8 in MPEG-2
// and 2.5.
void TFrameWalk::NoteFirstAudio(const std::uint8_t* Bytes, std::int64_t Available) {
  if (SeenAudio) {
    return;
  }
  SeenAudio = true;
  const auto begin = static_cast<std::int64_t>(
      TFrameHeader::Size + (TStreamShape::IsProtected(Bytes) ? CRCWordSize : 0));
  const bool mpeg1 = Stream.First().IsMPEG1();
  if (Available < begin + (mpeg1 ? 2 : 1)) {
    return;
  }
  const std::uint8_t* side = Bytes + begin;
  Result.MainDataBegin = mpeg1 ? (side[0] << 1 | side[1] >> 7) : side[0];
}

void TFrameWalk::LoseSync() {
  Phase = TPhase::Searching;
  SearchFrom = LostFrom = Position;
}

// --- Finding a stream --------------------------------------------------------

bool TFrameWalk::Search(const TWindow& Window) {
  // The last position where a whole header fits.
  const std::int64_t last = Region.End - HeaderSize;
  for (;;) {
    DropPairsBefore(SearchFrom);
    if (PairsHead == Pairs.size() && !ScanPairs(Window, last + 1, true)) {
      SearchFrom = PairsTo;
      return false;
    }
    if (PairsHead == Pairs.size() || Pairs[PairsHead] > last) {
      if (Found) {
        Result.JunkAfter = std::max<std::int64_t>(Region.End - LostFrom, 0);
      }
      Stop();
      return true;
    }
    SearchFrom = Pairs[PairsHead];
    TStreamShape start;
    switch (StreamStartsAt(Window, SearchFrom, start)) {
      case TAnswer::Wait:
        return false;
      case TAnswer::No:
        ++SearchFrom;
        break;
      case TAnswer::Yes:
        StartStream(SearchFrom, start);
        return true;
    }
  }
}

// Where a header may start is found once, ahead of the search: the search
// for a free-format length looks up to 8 KiB past each candidate. Scans up
// to Until (or to the first such position); false when the window ends
// first.
bool TFrameWalk::ScanPairs(const TWindow& Window, std::int64_t Until, bool FirstOnly) {
  const std::size_t had = Pairs.size();
  while (PairsTo < Until && !(FirstOnly && Pairs.size() > had)) {
    // A position is decided with the two bytes after it.
    const std::int64_t end = std::min(Window.End, Until + CandidateBytes - 1);
    if (end - PairsTo < CandidateBytes) {
      NeedUntil = PairsTo + CandidateBytes;
      return false;
    }
    const std::uint8_t* sync = FindCandidate(Window.At(PairsTo), Window.At(end));
    const std::int64_t at = Window.Begin + (sync - Window.Data);
    if (at + CandidateBytes <= end) {
      Pairs.push_back(at);
      PairsTo = at + 1;
    } else {
      // None before; the last bytes wait for the next when they may begin one.
      PairsTo = at;
    }
  }
  return true;
}

void TFrameWalk::DropPairsBefore(std::int64_t Offset) {
  if (PairsTo < Offset) {
    Pairs.clear();
    PairsHead = 0;
    PairsTo = Offset;
    return;
  }
  while (PairsHead < Pairs.size() && Pairs[PairsHead] < Offset) {
    ++PairsHead;
  }
  if (PairsHead * 2 >= Pairs.size()) {
    Pairs.erase(Pairs.begin(), Pairs.begin() + static_cast<std::ptrdiff_t>(PairsHead));
    PairsHead = 0;
  }
}

std::optional<TFrameWalk::TAnswer> TFrameWalk::Lacking(const TWindow& Window, std::int64_t Until) {
  switch (Need(Window, Until)) {
    case TNeed::Wait:
      return TAnswer::Wait;
    case TNeed::Beyond:
      return TAnswer::No;
    case TNeed::Have:
      break;
  }
  return std::nullopt;
}

TFrameWalk::TAnswer TFrameWalk::StreamStartsAt(const TWindow& Window, std::int64_t At,
                                               TStreamShape& Start) {
  if (const auto lacking = Lacking(Window, At + HeaderSize)) {
    return *lacking;
  }
  const TFrameHeader first(Window.At(At));
  if (!first.IsValid()) {
    return TAnswer::No;
  }
  std::int64_t freeLength = 0;
  if (first.IsFreeFormat()) {
    const TAnswer found = FindFreeFormatLength(Window, At, first, freeLength);
    if (found != TAnswer::Yes) {
      return found;
    }
  }
  const std::int64_t length =
      first.IsFreeFormat() ? freeLength + first.Padding() : first.FrameLength();
  // At the region's first byte a frame with a VBR header starts a stream on
  // its own, and frames up to one that the region's end cuts start one too:
  // the file was cut short.
  const bool atStart = !Found && At == Region.Begin;
  if (atStart) {
    const TAnswer header = StartsWithVbrHeader(Window, At, length);
    if (header == TAnswer::Yes) {
      Start = TStreamShape(first, freeLength);
    }
    if (header != TAnswer::No) {
      return header;
    }
  }
  // In other data nearly every candidate fails at the second header: it is
  // checked before the stream's shape is prepared.
  const std::int64_t second = At + length;
  if (second != Region.End) {
    if (const auto lacking = Lacking(Window, second + HeaderSize)) {
      return *lacking;
    }
    const TFrameHeader next(Window.At(second));
    if (!next.IsValid() || !next.SameStreamAs(first)) {
      return TAnswer::No;
    }
  }
  Start = TStreamShape(first, freeLength);
  std::int64_t position = At;
  for (int frame = 1; frame < SyncFrames; ++frame) {
    position += Start.Length(Window.At(position));
    // Fewer frames that end exactly at the region's end start a stream too.
    if (position == Region.End) {
      return TAnswer::Yes;
    }
    if (const auto lacking = Lacking(Window, position + HeaderSize)) {
      return *lacking;
    }
    const std::int64_t next = Start.Length(Window.At(position));
    if (next == 0) {
      return TAnswer::No;
    }
    if (atStart && position + next > Region.End) {
      return TAnswer::Yes;
    }
  }
  return TAnswer::Yes;
}

TFrameWalk::TAnswer TFrameWalk::StartsWithVbrHeader(const TWindow& Window, std::int64_t At,
                                                    std::int64_t Length) {
  const std::int64_t span =
      std::min({Length, static_cast<std::int64_t>(VbrHeaderSpan), Region.End - At});
  if (Need(Window, At + span) == TNeed::Wait) {
    return TAnswer::Wait;
  }
  return ParseVbrHeader(Window.At(At), static_cast<std::size_t>(span)) ? TAnswer::Yes : TAnswer::No;
}

// The distance to the next header of the same free-format stream, looked
// for from the end of the side information on, less the first padding.
TFrameWalk::TAnswer TFrameWalk::FindFreeFormatLength(const TWindow& Window, std::int64_t At,
                                                     const TFrameHeader& First,
                                                     std::int64_t& FreeLength) {
  const std::int64_t from = At + static_cast<std::int64_t>(SideInfoEnd(First));
  const std::int64_t last = std::min(At + MaxFreeFormatDistance, Region.End - HeaderSize);
  if (last < from) {
    return TAnswer::No;
  }
  if (Need(Window, last + HeaderSize) == TNeed::Wait) {
    return TAnswer::Wait;
  }
  const std::uint8_t* first = First.Bytes();
  const std::uint8_t byte1 = first[1] & AllButProtection;
  // Byte 2: bitrate index 0 and the same sample rate; byte 3: mono or not.
  constexpr std::uint8_t BitrateAndRate = 0xFC;
  constexpr std::uint8_t RateBits = 0x0C;
  constexpr std::uint8_t MonoBits = 0xC0;
  const auto sameStream = [&](const std::uint8_t* Bytes) {
    return (Bytes[2] & BitrateAndRate) == (first[2] & RateBits) &&
           ((Bytes[3] & MonoBits) == MonoBits) == First.IsMono();
  };
  // Every byte is there: the scan does not wait.
  ScanPairs(Window, last + 1, false);
  for (std::size_t i = PairsHead; i < Pairs.size() && Pairs[i] <= last; ++i) {
    const std::uint8_t* bytes = Window.At(Pairs[i]);
    if (Pairs[i] >= from && (bytes[1] & AllButProtection) == byte1 && sameStream(bytes)) {
      FreeLength = Pairs[i] - At - First.Padding();
      return TAnswer::Yes;
    }
  }
  return TAnswer::No;
}

void TFrameWalk::StartStream(std::int64_t At, const TStreamShape& Start) {
  if (!Found) {
    Found = true;
    Result.FirstFrame = At;
    Result.JunkBefore = At - Region.Begin;
    FirstHeader = Start.First();
  } else {
    if (At > LostFrom) {
      TLostSync& lost = Result.LostSync;
      if (lost.Events == 0) {
        lost.FirstOffset = LostFrom;
      }
      ++lost.Events;
      lost.Bytes += At - LostFrom;
    }
    Result.MixedStream = Result.MixedStream || !SameParameters(Start.First(), FirstHeader);
  }
  Stream = Start;
  StreamSlot = RateSlot(Start.First());
  Rates[StreamSlot] = Start.First().SampleRate();
  Position = At;
  Phase = TPhase::Walking;
}

// --- The facts ---------------------------------------------------------------

void TFrameWalk::Stop() {
  Phase = TPhase::Done;
  Carry.clear();
  Carry.shrink_to_fit();
  Result.HasStream = Found;
  if (!Found) {
    return;
  }
  Result.Version = FirstHeader.Version();
  Result.SampleRate = FirstHeader.SampleRate();
  Result.Channels = FirstHeader.Channels();
  Result.Bytes = LastEnd - Result.FirstFrame;
  Result.Duration = 0.0;
  Result.FrameSamples = 0;
  for (std::size_t slot = 0; slot < SamplesByRate.size(); ++slot) {
    if (SamplesByRate[slot] > 0) {
      Result.FrameSamples += SamplesByRate[slot];
      Result.Duration += static_cast<double>(SamplesByRate[slot]) / Rates[slot];
    }
  }
  constexpr double BitsPerByte = 8.0;
  constexpr double BitsPerKilobit = 1000.0;
  if (Result.Duration > 0.0) {
    Result.AverageBitrate =
        BitsPerByte * static_cast<double>(AudioBytes) / Result.Duration / BitsPerKilobit;
  }
  if (Result.Frames > 0 && AllFree) {
    Result.BitrateMode = TBitrateMode::Free;
  } else {
    Result.BitrateMode = OneBitrate ? TBitrateMode::CBR : TBitrateMode::VBR;
  }
}

}  // namespace kestrix
