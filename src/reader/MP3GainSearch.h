#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "reader/FrameWalk.h"
#include "reader/MP3GainUndo.h"
#include "reader/StreamPass.h"

namespace kestrix {

// The changes MP3Gain may have made to every global gain alike, in steps.
inline constexpr int MaxUniformChange = 20;

// Looks for the uniform change of every global gain that MP3Gain made to a
// file without keeping an undo record: the one change whose undoing turns
// the actual music CRC into the stored one.
//
// During the pass it only records, for each audio frame of the music CRC's
// range, a few bytes: its distance from the frame before, its kind and its
// global gains. The difference an undo makes to the CRC is linear: a frame
// at offset F adds C x^(8(End - F - E)), where C is the CRC of its E bytes
// of differences up to the end of its side information (CRC word included),
// and C depends only on the kind of frame and each field's old value and
// change. So the records fold into sums of x^(-8F) per kind, field and old
// value (one product per frame), and each change costs a few products over
// those sums. The fold runs when the record buffer fills and when the
// search is asked, so memory stays flat and only files that need the
// search pay for it. Frames that the range's ends cut are kept whole and
// undone one by one.
class TMP3GainSearch final : public TFrameListener {
 public:
  static constexpr std::size_t DefaultBufferBytes = std::size_t{1} << 20;

  explicit TMP3GainSearch(TByteRange MusicCRCRange, std::size_t BufferBytes = DefaultBufferBytes);

  void OnFrame(const TFrameEvent& Frame) override;

  // The change d (1 to 20 steps up or down) whose undoing, and no other's,
  // gives StoredCRC from ActualCRC, the CRC of the range up to End (its end,
  // or the file's end before it).
  std::optional<int> FindChange(std::uint16_t ActualCRC, std::uint16_t StoredCRC, std::int64_t End);
  // The music CRC with the change d undone in every frame.
  std::uint16_t UndoneCRC(int Change, std::uint16_t ActualCRC, std::int64_t End);

 private:
  // Kinds of frames: MPEG-1 or not, mono or not, with a CRC word or not.
  static constexpr std::size_t Kinds = 8;
  static constexpr std::size_t MaxFields = 4;
  static constexpr std::size_t GainValues = 256;
  static constexpr std::size_t GainBits = 8;

  struct TRecord {
    std::uint16_t Distance;  // from the frame before
    std::uint8_t Kind;
    std::array<std::uint8_t, MaxFields> Gains;
  };
  struct TKind {
    bool Seen = false;
    std::size_t End = 0;  // of the side information
    TGainFields Fields;
    // Where each field's bits lie: the byte it starts in, and the shift of
    // that byte and the next that leaves it; an absent field repeats the
    // first, so that every frame is read alike.
    std::array<std::uint8_t, MaxFields> FieldByte{};
    std::array<std::uint8_t, MaxFields> FieldShift{};
    bool Protected = false;
    bool SharesReady = false;
    // Per field and bit of a difference: its share of the CRC, times x^(-8 End).
    std::array<std::array<std::uint16_t, GainBits>, MaxFields> Shares{};
  };
  struct TEdgeFrame {
    std::int64_t Offset;
    std::int64_t Length;
    bool IsComplete;
    std::array<std::uint8_t, MaxSideInfoEnd> Bytes;
    std::size_t Size;
  };

  void Learn(std::size_t Kind, const TFrameHeader& Header);
  void Record(std::int64_t Offset, std::size_t Kind, const std::uint8_t* Bytes);
  void MakeRoom();
  void Fold();
  std::uint16_t Factor(std::int64_t Distance);
  void PrepareShares(TKind& Kind) const;
  std::uint16_t EdgeDifference(int Change, std::int64_t End) const;

  TByteRange Range;
  std::size_t Capacity;
  std::vector<TRecord> Records;
  std::array<TKind, Kinds> KindInfo{};
  std::vector<TEdgeFrame> Edges;
  bool TooManyEdges = false;

  std::int64_t LastOffset = 0;  // of the last frame recorded
  // Folded: the records up to the frame at LastOffset when Records is
  // empty, into sums by kind, field and old value; FoldedPower is x^(-8F)
  // of the last frame folded.
  std::uint16_t FoldedPower;
  std::vector<std::uint16_t> Sums;
  // x^(-8 d) of recent distances d, by d modulo their count.
  struct TCachedFactor {
    std::int64_t Distance = -1;
    std::uint16_t Factor = 0;
  };
  std::array<TCachedFactor, 64> Factors{};
};

}  // namespace kestrix
