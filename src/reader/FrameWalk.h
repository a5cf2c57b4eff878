#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "reader/FrameHeader.h"
#include "reader/StreamFacts.h"
#include "reader/StreamPass.h"
#include "reader/StreamShape.h"

namespace kestrix {

// A frame the walk accepts, as it tells its listener.
struct TFrameEvent {
  std::int64_t Offset = 0;  // file offset of the header
  TFrameHeader Header;
  std::int64_t Length = 0;  // the whole frame, also when it is cut short
  bool IsAudio = true;      // false for the VBR header frame
  bool IsComplete = true;   // false for a last frame the region's end cuts
  // From the header to the end of the side information, or what exists of
  // that; lent for the call only.
  const std::uint8_t* Bytes = nullptr;
  std::size_t Size = 0;
};

// Another check that wants every frame of the walk, in file order.
class TFrameListener {
 public:
  virtual ~TFrameListener() = default;
  virtual void OnFrame(const TFrameEvent& Frame) = 0;
};

// Walks every frame of a stream region as the file's one pass hands over
// its blocks: finds the first frame, follows the stream from frame to frame,
// finds it again after damage and checks each protected frame's CRC word.
// Reads only headers and side information on an intact stream and keeps no
// more than a look-ahead of bytes between blocks, so memory stays flat.
class TFrameWalk final : public TPassConsumer {
 public:
  explicit TFrameWalk(TByteRange StreamRegion, TFrameListener* Listener = nullptr);

  TByteRange Range() const override { return Region; }
  void Take(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size) override;
  void Finish(std::int64_t End) override;

  // Complete after Finish.
  const TStreamFacts& Facts() const { return Result; }

 private:
  // Bytes [Begin, End) of the file at Data.
  struct TWindow {
    const std::uint8_t* Data;
    std::int64_t Begin;
    std::int64_t End;
    const std::uint8_t* At(std::int64_t Position) const { return Data + (Position - Begin); }
  };
  enum class TNeed : std::uint8_t { Have, Beyond, Wait };
  enum class TAnswer : std::uint8_t { Yes, No, Wait };
  enum class TPhase : std::uint8_t { Searching, Walking, Done };
  // The last frame accepted, counted once the bytes reach its end.
  struct TPendingFrame {
    bool Active = false;
    std::int64_t End = 0;
    unsigned BitrateIndex = 0;
    bool IsProtected = false;
    std::int64_t Length = 0;
    bool IsAudio = true;
    bool CRCFailed = false;
  };

  void WalkBlock(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size);
  // Runs on the bytes after the carried ones; false while the carry still
  // waits for more.
  bool RunOnCarry(const TWindow& Block);
  void Run(const TWindow& Window);
  std::int64_t Cursor() const { return Phase == TPhase::Walking ? Position : SearchFrom; }

  TNeed Need(const TWindow& Window, std::int64_t Until);
  // What a check answers when the bytes before Until are not all there:
  // wait for them, or no when the region ends first; none when they are.
  std::optional<TAnswer> Lacking(const TWindow& Window, std::int64_t Until);
  bool Step(const TWindow& Window);
  bool Search(const TWindow& Window);
  bool ScanPairs(const TWindow& Window, std::int64_t Until, bool FirstOnly);
  void DropPairsBefore(std::int64_t Offset);
  TAnswer StreamStartsAt(const TWindow& Window, std::int64_t At, TStreamShape& Start);
  TAnswer StartsWithVbrHeader(const TWindow& Window, std::int64_t At, std::int64_t Length);
  TAnswer FindFreeFormatLength(const TWindow& Window, std::int64_t At, const TFrameHeader& First,
                               std::int64_t& FreeLength);
  bool CutInHeader(const TWindow& Window);

  void StartStream(std::int64_t At, const TStreamShape& Start);
  void Accept(const std::uint8_t* Bytes, std::int64_t Length, std::int64_t Available);
  void Truncate(const std::uint8_t* Bytes, std::int64_t Length, std::int64_t Available);
  void Tell(const std::uint8_t* Bytes, std::int64_t Length, bool IsAudio, bool IsComplete,
            std::int64_t Available);
  void NoteFirstAudio(const std::uint8_t* Bytes, std::int64_t Available);
  void NoteLastNonZero(std::int64_t Offset, const std::uint8_t* Data, std::size_t Size);
  void CommitPending();
  void LoseSync();
  void Stop();

  TByteRange Region;
  TFrameListener* Listener;
  TStreamFacts Result;

  TPhase Phase = TPhase::Searching;
  std::int64_t Position = 0;    // walking: where the next frame is expected
  std::int64_t SearchFrom = 0;  // searching: the next position to try
  std::int64_t LostFrom = 0;    // searching: where the last frame ended
  std::int64_t NeedUntil = 0;   // waiting: the bytes before this offset are wanted

  bool Found = false;
  TFrameHeader FirstHeader;
  TStreamShape Stream;
  std::size_t StreamSlot = 0;  // of SamplesByRate
  TPendingFrame Pending;
  std::int64_t LastLength = 0;
  std::int64_t LastEnd = 0;

  // Tallies of the audio frames.
  bool SeenAudio = false;
  std::int64_t AudioBytes = 0;
  std::array<std::int64_t, 12> SamplesByRate{};  // by version field * 3 + sample rate index
  std::array<int, 12> Rates{};
  unsigned FirstBitrateIndex = 0;
  bool OneBitrate = true;
  bool AllFree = true;

  // Searching: the positions of 0xFF bytes followed by a Layer III byte 1,
  // in order from PairsHead on; all those from SearchFrom up to PairsTo.
  std::vector<std::int64_t> Pairs;
  std::size_t PairsHead = 0;
  std::int64_t PairsTo = 0;

  // The offset of the last byte other than 0 received; before the region
  // while there is none.
  std::int64_t LastNonZero;

  // Bytes of earlier blocks still wanted: [CarryBegin, Received).
  std::vector<std::uint8_t> Carry;
  std::int64_t CarryBegin = 0;
  std::int64_t Received = 0;
};

}  // namespace kestrix
