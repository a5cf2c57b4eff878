#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "reader/BasicKestrixReader.h"
#include "reader/CRC16.h"
#include "support/TestFiles.h"

namespace kestrix::test {

// Frame offsets of the tag record's end and of the stored tag CRC, counted
// from the Xing header.
inline constexpr std::int64_t TagEndInXing = 156;
inline constexpr std::int64_t TagCRCInXing = 154;

// Readers built from bytes in memory.
struct TReadResult {
  TBasicKestrixReader Reader;
  bool TagFound;
  std::vector<std::int64_t> Requests;  // every read the reader asked for
};

inline TReadResult ReadTag(const TBytes& Bytes, bool ComputeCRCs = true,
                           std::int64_t MaxPiece = 0) {
  TMemoryStream stream(Bytes, MaxPiece);
  bool found = false;
  TBasicKestrixReader reader = ReadLameTag(stream, ComputeCRCs, found);
  return {reader, found, stream.Requests};
}

inline TReadResult ReadTag(const TTagFileBuilder& Builder, bool ComputeCRCs = true) {
  return ReadTag(Builder.Build(), ComputeCRCs);
}

// A builder whose tag fields are left as the test sets them; the stored tag
// CRC is a fixed non-zero value so that the tag still counts as found.
inline TTagFileBuilder RawTagBuilder() {
  TTagFileBuilder builder;
  builder.FixCRCs = false;
  builder.Set(InfoTagCRCIndex, {0x12, 0x34});
  return builder;
}

inline std::uint16_t CRCOf(const TBytes& Bytes, std::size_t From, std::size_t Count) {
  return UpdateCRC16(0, Bytes.data() + From, static_cast<std::int32_t>(Count));
}

}  // namespace kestrix::test
