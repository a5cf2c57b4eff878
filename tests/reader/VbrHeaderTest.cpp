#include "reader/VbrHeader.h"

#include <gtest/gtest.h>

#include <string>

#include "support/StreamBuilder.h"

namespace kestrix::test {
namespace {

std::string Field(const std::optional<std::uint32_t>& Value) {
  return Value ? std::to_string(*Value) : "-";
}

std::string Describe(const TBytes& Frame, std::size_t Size) {
  const std::optional<TVbrHeader> header = ParseVbrHeader(Frame.data(), Size);
  if (!header) {
    return "none";
  }
  return std::string(VbrHeaderKindName(header->Kind)) + " frames " + Field(header->Frames) +
         " bytes " + Field(header->Bytes) + " quality " + Field(header->Quality) +
         (header->Toc ? " toc" : "");
}

TEST(VbrHeaderTest, FieldsAsTheFlagsAndTheFrameAllow) {
  const TFrameSpec stereo;                                       // MPEG-1: behind 32 bytes
  const TFrameSpec mono = TFrameSpec().With(&TFrameSpec::Mono);  // behind 17
  TFrameSpec low;  // MPEG-2 mono, 8 kbit/s, 16 kHz: 36 bytes, the header at 13
  low.Set(TVersion::MPEG2, 1, 2).Mono = true;
  TBytes monoHeader = VbrFrame(stereo, {"Xing", 100, {}, {}, false});
  monoHeader[3] = 0xC0;  // the header now says mono: the magic is not where it looks
  const TVbrSpec all{"Xing", 100, 41000, 78, true};
  const struct {
    const char* Name;
    TBytes Frame;
    std::size_t Size;  // 0: all of it
    const char* Expected;
  } cases[] = {
      {"all fields", VbrFrame(stereo, all), 0, "Xing frames 100 bytes 41000 quality 78 toc"},
      {"info, frames only", VbrFrame(mono, {"Info", 7, {}, {}, false}), 0,
       "Info frames 7 bytes - quality -"},
      {"quality behind no table", VbrFrame(stereo, {"Xing", {}, {}, 5, false}), 0,
       "Xing frames - bytes - quality 5"},
      {"protected: still behind the side information",
       VbrFrame(stereo.With(&TFrameSpec::Protected), all), 0,
       "Xing frames 100 bytes 41000 quality 78 toc"},
      {"table cut by the frame's end", VbrFrame(stereo, all), 150,
       "Xing frames 100 bytes 41000 quality -"},
      {"magic only", VbrFrame(stereo, all), 40, "Xing frames - bytes - quality -"},
      {"small frame: no room for the table", VbrFrame(low, all), 0,
       "Xing frames 100 bytes 41000 quality -"},
      {"VBRI", VbrFrame(stereo, {"VBRI", 300, 90000, 75, false}), 0,
       "VBRI frames 300 bytes 90000 quality 75 toc"},
      {"VBRI cut before its frame count", VbrFrame(stereo, {"VBRI", 300, 90000, 75, false}), 52,
       "VBRI frames - bytes 90000 quality 75 toc"},
      {"magic at the offset of another channel mode", monoHeader, 0, "none"},
      {"no header", Frame(stereo), 0, "none"},
      {"too short for a header", Frame(stereo), 3, "none"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    EXPECT_EQ(c.Expected, Describe(c.Frame, c.Size == 0 ? c.Frame.size() : c.Size));
  }
}

}  // namespace
}  // namespace kestrix::test
