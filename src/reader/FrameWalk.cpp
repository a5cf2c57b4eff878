#include "reader/FrameWalk.h"

#include <algorithm>
#include <cstring>

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

// Most 0xFF bytes in other data fail on the next byte already.
bool CannotStartHeader(const std::uint8_t* Sync, const std::uint8_t* End) {
  return Sync + 1 < End && (Sync[1] & SyncAndLayerMask) != SyncAndLayerIII;
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
  SearchFrom = LostFrom = Received = Region.Begin;
}

// --- The blocks of the pass ----------------------------------------------
//
// Every step reads bytes at or after the cursor, at most a sync look-ahead
// ahead of it (four free-format frames). When a block ends before the bytes
// a step needs, only the bytes from the cursor on are kept, and the next
// block's first bytes are added to them until the cursor passes into that
// block; the rest of a block is read where it lies.

void TFrameWalk::Take(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) {
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

void TFrameWalk::Finish(std::int64_t End) {
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
  return true;
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
  const TFrameHeader header(Bytes);
  bool isAudio = true;
  if (Position == Result.FirstFrame) {
    Result.VbrHeader = ParseVbrHeader(Bytes, static_cast<std::size_t>(std::min(Length, Available)));
    if (Result.VbrHeader) {
      isAudio = false;
      Result.VbrHeaderFrameLength = Length;
    }
  }
  const bool isProtected = header.IsProtected();
  const bool crcFailed =
      isProtected && (Available < static_cast<std::int64_t>(Stream.SideInfoEnd(Bytes)) ||
                      ComputeFrameCRC(Bytes) != StoredFrameCRC(Bytes));
  Pending = {true, Position + Length, header.BitrateIndex(), isProtected, isAudio, crcFailed};
  LastLength = Length;
  Tell(Bytes, Length, isAudio, true, Available);
}

void TFrameWalk::Truncate(const std::uint8_t* Bytes, std::int64_t Length, std::int64_t Available) {
  Result.TruncatedFrame = Position + Length - Region.End;
  LastEnd = Region.End;
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
  OneBitrate = OneBitrate && Pending.BitrateIndex == FirstBitrateIndex;
  AllFree = AllFree && Pending.BitrateIndex == 0;
  SamplesByRate[StreamSlot] += Stream.First().SamplesPerFrame();
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
    if (SearchFrom > last) {
      if (Found) {
        Result.JunkAfter = std::max<std::int64_t>(Region.End - LostFrom, 0);
      }
      Stop();
      return true;
    }
    const std::int64_t scanEnd = std::min(Window.End, last + 1);
    if (SearchFrom >= scanEnd) {
      NeedUntil = SearchFrom + HeaderSize;
      return false;
    }
    const auto* sync = static_cast<const std::uint8_t*>(std::memchr(
        Window.At(SearchFrom), SyncByte, static_cast<std::size_t>(scanEnd - SearchFrom)));
    if (sync == nullptr) {
      SearchFrom = scanEnd;
      continue;
    }
    SearchFrom = Window.Begin + (sync - Window.Data);
    if (CannotStartHeader(sync, Window.At(Window.End))) {
      ++SearchFrom;
      continue;
    }
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

TFrameWalk::TAnswer TFrameWalk::StreamStartsAt(const TWindow& Window, std::int64_t At,
                                               TStreamShape& Start) {
  switch (Need(Window, At + HeaderSize)) {
    case TNeed::Wait:
      return TAnswer::Wait;
    case TNeed::Beyond:
      return TAnswer::No;
    case TNeed::Have:
      break;
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
  Start = TStreamShape(first, freeLength);
  std::int64_t position = At;
  for (int frame = 1; frame < SyncFrames; ++frame) {
    position += Start.Length(Window.At(position));
    // Fewer frames that end exactly at the region's end start a stream too.
    if (position == Region.End) {
      return TAnswer::Yes;
    }
    switch (Need(Window, position + HeaderSize)) {
      case TNeed::Wait:
        return TAnswer::Wait;
      case TNeed::Beyond:
        return TAnswer::No;
      case TNeed::Have:
        break;
    }
    if (Start.Length(Window.At(position)) == 0) {
      return TAnswer::No;
    }
  }
  return TAnswer::Yes;
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
  for (std::int64_t position = from; position <= last; ++position) {
    const auto* sync = static_cast<const std::uint8_t*>(
        std::memchr(Window.At(position), SyncByte, static_cast<std::size_t>(last + 1 - position)));
    if (sync == nullptr) {
      break;
    }
    position = Window.Begin + (sync - Window.Data);
    const TFrameHeader next(sync);
    if (next.IsValid() && next.SameStreamAs(First)) {
      FreeLength = position - At - First.Padding();
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
        BitsPerByte * static_cast<double>(Result.Bytes) / Result.Duration / BitsPerKilobit;
  }
  if (Result.Frames > 0 && AllFree) {
    Result.BitrateMode = TBitrateMode::Free;
  } else {
    Result.BitrateMode = OneBitrate ? TBitrateMode::CBR : TBitrateMode::VBR;
  }
}

}  // namespace kestrix
