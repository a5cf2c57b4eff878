#include "reader/StreamFacts.h"

#include <gtest/gtest.h>

#include <string>

namespace kestrix {
namespace {

std::string Figures(const char* Name, const std::optional<TStoredActual>& Check) {
  return Check ? std::string(Name) + " " + std::to_string(Check->Stored) + "/" +
                     std::to_string(Check->Actual) + " "
               : "";
}

// A stream of 100 audio frames and 41,700 bytes, its header frame 417.
std::string Check(std::optional<std::uint32_t> Frames, std::optional<std::uint32_t> Bytes,
                  TBitrateMode Mode = TBitrateMode::VBR, bool HasHeader = true) {
  TStreamFacts facts;
  facts.HasStream = true;
  facts.Frames = 100;
  facts.Bytes = 41700;
  facts.BitrateMode = Mode;
  if (HasHeader) {
    facts.VbrHeader = TVbrHeader{TVbrHeader::TKind::Xing, Frames, Bytes, std::nullopt, false};
    facts.VbrHeaderFrameLength = 417;
  }
  const TVbrHeaderChecks checks = CheckVbrHeader(facts);
  return Figures("missing_frames", checks.MissingFrames) +
         Figures("extra_frames", checks.ExtraFrames) + Figures("byte_count", checks.ByteCount) +
         (checks.NoVbrHeader ? "no_vbr_header" : "");
}

TEST(StreamFactsTest, VbrHeaderAgainstTheStream) {
  EXPECT_EQ("", Check(100, 41700));  // the header frame not counted
  EXPECT_EQ("", Check(101, 41283));  // counted, and its bytes not
  EXPECT_EQ("missing_frames 102/100 ", Check(102, {}));
  EXPECT_EQ("extra_frames 99/100 ", Check(99, {}));
  EXPECT_EQ("byte_count 41699/41700 ", Check(100, 41699));
  EXPECT_EQ("byte_count 0/41700 ", Check(100, 0));
  EXPECT_EQ("no_vbr_header", Check({}, 41700));
  EXPECT_EQ("no_vbr_header", Check({}, {}, TBitrateMode::VBR, false));
  EXPECT_EQ("", Check({}, {}, TBitrateMode::CBR, false));
  EXPECT_EQ("", Check({}, {}, TBitrateMode::Free, false));
}

}  // namespace
}  // namespace kestrix
