#pragma once

// Crafted MPEG audio streams and tags, byte by byte, for tests and fuzz
// seeds. Header-only, so every test program can use it as it is.

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "reader/FrameCRC.h"
#include "reader/FrameHeader.h"
#include "support/TestFiles.h"

namespace kestrix::test {

using TVersion = TFrameHeader::TVersion;

// One Layer III frame. The defaults: MPEG-1, 128 kbit/s, 44.1 kHz, joint
// stereo, no CRC word: 417 bytes.
struct TFrameSpec {
  TVersion Version = TVersion::MPEG1;
  unsigned BitrateIndex = 9;
  unsigned SampleRateIndex = 0;
  bool Mono = false;
  bool Padding = false;
  bool Protected = false;
  bool BadCRC = false;          // store a wrong CRC word
  std::int64_t FreeLength = 0;  // the unpadded length when BitrateIndex is 0
  // global_gain of each granule and channel, in side-information order.
  std::vector<std::uint8_t> Gains;
  std::uint8_t SideInfoFill = 0x5A;  // the other side-information bits
  unsigned MainDataBegin = 0;        // the first side-information bits
  std::uint8_t DataFill = 0x00;

  TFrameSpec& Set(TVersion V, unsigned Bitrate, unsigned SampleRate) {
    Version = V;
    BitrateIndex = Bitrate;
    SampleRateIndex = SampleRate;
    return *this;
  }
  TFrameSpec& Free(std::int64_t Length) {
    BitrateIndex = 0;
    FreeLength = Length;
    return *this;
  }
  TFrameSpec With(bool TFrameSpec::*Flag, bool Value = true) const {
    TFrameSpec copy = *this;
    copy.*Flag = Value;
    return copy;
  }

  TFrameHeader Header() const {
    const std::uint8_t bytes[4] = {
        0xFF,
        static_cast<std::uint8_t>(0xE2 | static_cast<unsigned>(Version) << 3 | (Protected ? 0 : 1)),
        static_cast<std::uint8_t>(BitrateIndex << 4 | SampleRateIndex << 2 | (Padding ? 2 : 0)),
        static_cast<std::uint8_t>(Mono ? 0xC0 : 0x40)};
    return TFrameHeader(bytes);
  }
  std::int64_t Length() const {
    return BitrateIndex == 0 ? FreeLength + (Padding ? 1 : 0) : Header().FrameLength();
  }
};

// Writes Width bits of Value, most significant first, Bit bits into Bytes.
inline void PutBits(TBytes& Bytes, std::size_t Bit, int Width, std::uint32_t Value) {
  for (int i = 0; i < Width; ++i, ++Bit) {
    const auto mask = static_cast<std::uint8_t>(0x80 >> (Bit % 8));
    const bool set = ((Value >> (Width - 1 - i)) & 1) != 0;
    Bytes[Bit / 8] =
        static_cast<std::uint8_t>(set ? Bytes[Bit / 8] | mask : Bytes[Bit / 8] & ~mask);
  }
}

// The frame CRC word of a frame whose side information is in place.
inline void StoreFrameCRC(TBytes& Frame, bool Bad = false) {
  const std::uint16_t word =
      static_cast<std::uint16_t>(ComputeFrameCRC(Frame.data()) ^ (Bad ? 1 : 0));
  Frame[4] = static_cast<std::uint8_t>(word >> 8);
  Frame[5] = static_cast<std::uint8_t>(word);
}

// A frame shorter than its side information keeps what fits of it.
inline TBytes Frame(const TFrameSpec& Plan) {
  const TFrameHeader header = Plan.Header();
  const auto length = static_cast<std::size_t>(Plan.Length());
  TBytes frame(std::max(length, SideInfoEnd(header)), Plan.DataFill);
  std::copy_n(header.Bytes(), 4, frame.begin());
  const std::size_t side = Plan.Protected ? 6 : 4;
  std::fill_n(frame.begin() + static_cast<std::ptrdiff_t>(side), header.SideInfoSize(),
              Plan.SideInfoFill);
  // Bits before the first part, then 59-bit parts (MPEG-1) or 63-bit ones;
  // global_gain starts 21 bits into a part.
  const bool mpeg1 = Plan.Version == TVersion::MPEG1;
  const std::size_t first = mpeg1 ? (Plan.Mono ? 18 : 20) : (Plan.Mono ? 9 : 10);
  const std::size_t part = mpeg1 ? 59 : 63;
  PutBits(frame, side * 8, mpeg1 ? 9 : 8, Plan.MainDataBegin);
  for (std::size_t i = 0; i < Plan.Gains.size(); ++i) {
    PutBits(frame, side * 8 + first + i * part + 21, 8, Plan.Gains[i]);
  }
  if (Plan.Protected) {
    StoreFrameCRC(frame, Plan.BadCRC);
  }
  frame.resize(length);
  return frame;
}

inline TBytes Join(std::initializer_list<TBytes> Parts) {
  TBytes bytes;
  for (const TBytes& part : Parts) {
    bytes.insert(bytes.end(), part.begin(), part.end());
  }
  return bytes;
}

inline TBytes Frames(const TFrameSpec& Plan, int Count) {
  TBytes bytes;
  for (int i = 0; i < Count; ++i) {
    bytes = Join({bytes, Frame(Plan)});
  }
  return bytes;
}

// Fields of a VBR header; Magic "Xing", "Info" or "VBRI".
struct TVbrSpec {
  std::string Magic = "Xing";
  std::optional<std::uint32_t> Frames;
  std::optional<std::uint32_t> Bytes;
  std::optional<std::uint32_t> Quality;
  bool Toc = false;
};

// A first frame with the VBR header behind its side information (Xing,
// Info) or at offset 36 (VBRI), its other bytes zero; what does not fit in
// the frame is cut off.
inline TBytes VbrFrame(TFrameSpec Plan, const TVbrSpec& Vbr) {
  Plan.SideInfoFill = 0;
  TBytes frame = Frame(Plan);
  const std::size_t length = frame.size();
  // Room for the farthest field: magic, flags, frames, bytes, table, quality.
  constexpr std::size_t Farthest = 36 + 4 + 4 + 4 + 4 + 100 + 4;
  frame.resize(std::max(length, Farthest), 0);
  const bool vbri = Vbr.Magic == "VBRI";
  std::size_t at = vbri ? 36 : 4 + static_cast<std::size_t>(Plan.Header().SideInfoSize());
  const auto put = [&](std::optional<std::uint32_t> Value, int Size) {
    if (Value) {
      PutBits(frame, at * 8, Size * 8, *Value);
      at += static_cast<std::size_t>(Size);
    }
  };
  std::copy(Vbr.Magic.begin(), Vbr.Magic.end(), frame.begin() + static_cast<std::ptrdiff_t>(at));
  at += 4;
  if (vbri) {
    put(1, 2);  // version
    put(0, 2);  // delay
    put(Vbr.Quality.value_or(0), 2);
    put(Vbr.Bytes.value_or(0), 4);
    put(Vbr.Frames.value_or(0), 4);
  } else {
    put((Vbr.Frames ? 1 : 0) | (Vbr.Bytes ? 2 : 0) | (Vbr.Toc ? 4 : 0) | (Vbr.Quality ? 8 : 0), 4);
    put(Vbr.Frames, 4);
    put(Vbr.Bytes, 4);
    at += Vbr.Toc ? 100 : 0;
    put(Vbr.Quality, 4);
  }
  if (Plan.Protected) {
    StoreFrameCRC(frame, Plan.BadCRC);
  }
  frame.resize(length);
  return frame;
}

inline TBytes Id3v1Tag() {
  TBytes tag(128, 0);
  std::copy_n("TAG", 3, tag.begin());
  return tag;
}

inline void PutLittleEndian(TBytes& Bytes, std::size_t At, std::uint32_t Value) {
  for (int i = 0; i < 4; ++i) {
    Bytes[At + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(Value >> (8 * i));
  }
}

// An APEv2 tag of text items, with or without its header.
inline TBytes Apev2Tag(const std::vector<std::pair<std::string, std::string>>& Items,
                       bool WithHeader) {
  TBytes items;
  for (const auto& [key, value] : Items) {
    TBytes item(8, 0);
    PutLittleEndian(item, 0, static_cast<std::uint32_t>(value.size()));
    item.insert(item.end(), key.begin(), key.end());
    item.push_back(0);
    item.insert(item.end(), value.begin(), value.end());
    items = Join({items, item});
  }
  const auto block = [&](std::uint32_t Flags) {
    TBytes bytes(32, 0);
    std::copy_n("APETAGEX", 8, bytes.begin());
    PutLittleEndian(bytes, 8, 2000);
    PutLittleEndian(bytes, 12, static_cast<std::uint32_t>(items.size() + 32));
    PutLittleEndian(bytes, 16, static_cast<std::uint32_t>(Items.size()));
    PutLittleEndian(bytes, 20, Flags | (WithHeader ? 0x80000000u : 0));
    return bytes;
  };
  return Join({WithHeader ? block(0x20000000u) : TBytes(), items, block(0)});
}

inline TBytes Lyrics3Tag(const std::string& Text) {
  const std::string body = "LYRICSBEGIN" + Text;
  std::string size = std::to_string(body.size());
  const std::string tag = body + std::string(6 - size.size(), '0') + size + "LYRICS200";
  return TBytes(tag.begin(), tag.end());
}

// ID3v2's unsynchronisation: a 0x00 behind every 0xFF that a 0x00 or a
// byte of 0xE0 or more follows, and behind a last 0xFF.
inline TBytes Unsynchronised(const TBytes& Bytes) {
  TBytes bytes;
  for (std::size_t i = 0; i < Bytes.size(); ++i) {
    bytes.push_back(Bytes[i]);
    if (Bytes[i] == 0xFF && (i + 1 == Bytes.size() || Bytes[i + 1] == 0 || Bytes[i + 1] >= 0xE0)) {
      bytes.push_back(0);
    }
  }
  return bytes;
}

// An ID3v2 frame of Version 3 or 4 (its size synchsafe) with the format
// flags given.
inline TBytes Id3v2Frame(int Version, const std::string& Id, const TBytes& Content,
                         std::uint8_t Flags = 0) {
  TBytes frame(Id.begin(), Id.end());
  const auto size = static_cast<std::uint32_t>(Content.size());
  const int shift = Version == 4 ? 7 : 8;
  for (int i = 3; i >= 0; --i) {
    frame.push_back(
        static_cast<std::uint8_t>((size >> (shift * i)) & (Version == 4 ? 0x7F : 0xFF)));
  }
  frame.push_back(0);
  frame.push_back(Flags);
  return Join({frame, Content});
}

// The content of a user text frame in encoding 0 (ISO-8859-1) or 3
// (UTF-8); in 1 (UTF-16 with a byte-order mark, little-endian here) and 2
// (UTF-16BE) the ASCII texts as 16-bit units.
inline TBytes UserTextContent(std::uint8_t Encoding, const std::string& Description,
                              const std::string& Value) {
  TBytes bytes = {Encoding};
  const auto text = [&](const std::string& Text, bool Terminated) {
    if (Encoding == 1) {
      bytes.insert(bytes.end(), {0xFF, 0xFE});
    }
    for (const char c : Text + (Terminated ? std::string(1, '\0') : std::string())) {
      if (Encoding == 2) {
        bytes.push_back(0);
      }
      bytes.push_back(static_cast<std::uint8_t>(c));
      if (Encoding == 1) {
        bytes.push_back(0);
      }
    }
  };
  text(Description, true);
  text(Value, false);
  return bytes;
}

// An ID3v2 tag of Version 3 or 4 around frames given as stored, with the
// header's flags and Padding zero bytes.
inline TBytes Id3v2TagOf(int Version, std::uint8_t Flags, const TBytes& Frames,
                         std::size_t Padding = 0) {
  TBytes tag = Id3v2Tag(static_cast<std::uint32_t>(Frames.size() + Padding));
  tag[3] = static_cast<std::uint8_t>(Version);
  tag[5] = Flags;
  std::copy(Frames.begin(), Frames.end(), tag.begin() + 10);
  return tag;
}

inline TBytes Filled(std::size_t Size, std::uint8_t Byte = ' ') {
  return TBytes(Size, Byte);
}

}  // namespace kestrix::test
