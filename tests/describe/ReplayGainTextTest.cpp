#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <string>

#include "describe/DescriptiveKestrixReader.h"

namespace kestrix {
namespace {

struct TPeakCase {
  float Peak;
  std::string Separator;
  std::string Expected;
};

void PrintTo(const TPeakCase& Case, std::ostream* Out) {
  *Out << "peak " << Case.Peak << " with separator '" << Case.Separator << "'";
}

class PeakText : public testing::TestWithParam<TPeakCase> {};

TEST_P(PeakText, IsFormatted) {
  EXPECT_EQ(PeakValueText(GetParam().Peak, GetParam().Separator), GetParam().Expected);
}

constexpr float Infinity = std::numeric_limits<float>::infinity();
constexpr float QuietNaN = std::numeric_limits<float>::quiet_NaN();

INSTANTIATE_TEST_SUITE_P(
    DocumentedExamples, PeakText,
    testing::Values(TPeakCase{1.0f, ".", "1.000000"}, TPeakCase{0.5f, ".", "0.500000"},
                    TPeakCase{0.98765432f, ".", "0.987654"},
                    TPeakCase{123.456789f, ".", "123.456790"}, TPeakCase{-0.25f, ".", "-0.250000"},
                    TPeakCase{0.0000001f, ".", "0.000000"},
                    TPeakCase{1.2345679e8f, ".", "1.2345679E8"}, TPeakCase{1e9f, ".", "1E9"},
                    TPeakCase{2.5e10f, ".", "2.5E10"}, TPeakCase{Infinity, ".", "INF"},
                    TPeakCase{-Infinity, ".", "-INF"}, TPeakCase{1.0f, ",", "1,000000"}));

INSTANTIATE_TEST_SUITE_P(Absent, PeakText,
                         testing::Values(TPeakCase{0.0f, ".", "<not stored>"},
                                         TPeakCase{-0.0f, ".", "<not stored>"},
                                         TPeakCase{QuietNaN, ".", "<not stored>"},
                                         TPeakCase{-QuietNaN, ".", "<not stored>"}));

INSTANTIATE_TEST_SUITE_P(
    Rounding, PeakText,
    testing::Values(
        // Eight significant digits first, then six decimals.
        TPeakCase{12345.678f, ".", "12345.678000"}, TPeakCase{16777216.0f, ".", "16777216.000000"},
        TPeakCase{0.1f, ".", "0.100000"}, TPeakCase{0.0000015f, ".", "0.000002"},
        // Nine-digit floats round from their exact value: 1000.00054931640625.
        TPeakCase{1000.00055f, ".", "1000.000500"}, TPeakCase{1000.00085f, ".", "1000.000900"},
        // Rounding that carries into a new integer digit.
        TPeakCase{0.9999999f, ".", "1.000000"}, TPeakCase{9.9999999f, ".", "10.000000"},
        // The largest a scaled 32-bit integer can give.
        TPeakCase{4294967295.0f / 8388608.0f, ".", "512.000000"},
        TPeakCase{std::numeric_limits<float>::denorm_min(), ".", "0.000000"},
        TPeakCase{-std::numeric_limits<float>::denorm_min(), ".", "-0.000000"}));

INSTANTIATE_TEST_SUITE_P(ExponentForm, PeakText,
                         testing::Values(
                             // Eight integer digits stay fixed; the ninth switches to E.
                             TPeakCase{12345678.0f, ".", "12345678.000000"},
                             // Digits come from the shortest text that reads back as the float,
                             // so they never claim more than the float holds.
                             TPeakCase{99999992.0f, ".", "99999990.000000"},
                             TPeakCase{1e8f, ".", "1E8"}, TPeakCase{99999999.0f, ".", "1E8"},
                             TPeakCase{-2.5e10f, ".", "-2.5E10"},
                             TPeakCase{std::numeric_limits<float>::max(), ".", "3.4028235E38"},
                             TPeakCase{1.5e20f, ".", "1.5E20"}, TPeakCase{2.5e10f, ",", "2,5E10"}));

INSTANTIATE_TEST_SUITE_P(Separators, PeakText,
                         testing::Values(TPeakCase{123.456789f, ",", "123,456790"},
                                         TPeakCase{0.5f, "", "0500000"}, TPeakCase{1e9f, "", "1E9"},
                                         TPeakCase{0.5f, "\xC2\xB7",
                                                   "0\xC2\xB7"
                                                   "500000"}));

TRawReplayGain Gain(std::uint8_t Name, std::uint8_t Originator, bool Negative,
                    std::uint16_t Adjustment) {
  TRawReplayGain gain;
  gain.NameCode = Name;
  gain.OriginatorCode = Originator;
  gain.Negative = Negative;
  gain.Adjustment = Adjustment;
  return gain;
}

constexpr std::uint8_t TrackName = 1;
constexpr std::uint8_t AlbumName = 2;

TEST(ReplayGainText, DocumentedExamples) {
  EXPECT_EQ(ReplayGainText(Gain(TrackName, 3, true, 67), TrackName),
            "-6.7dB (determined automatically)");
  EXPECT_EQ(ReplayGainText(Gain(TrackName, 2, false, 5), TrackName), "+0.5dB (set by user)");
  EXPECT_EQ(ReplayGainText(Gain(AlbumName, 6, false, 120), AlbumName),
            "+12.0dB (<set by unknown>)");
  EXPECT_EQ(ReplayGainText(Gain(TrackName, 4, false, 0), TrackName),
            "+0.0dB (set by simple RMS average)");
  EXPECT_EQ(ReplayGainText(Gain(AlbumName, 1, true, 511), AlbumName), "-51.1dB (set by artist)");
}

TEST(ReplayGainText, AllZeroIsNotStored) {
  EXPECT_EQ(ReplayGainText(Gain(0, 0, false, 0), TrackName), "<not stored>");
  EXPECT_EQ(ReplayGainText(Gain(0, 0, false, 0), AlbumName), "<not stored>");
}

TEST(ReplayGainText, OriginatorZeroIsNotStoredWhateverTheValue) {
  EXPECT_EQ(ReplayGainText(Gain(TrackName, 0, true, 300), TrackName), "<not stored>");
}

TEST(ReplayGainText, TheOtherNameCodeIsNotStored) {
  EXPECT_EQ(ReplayGainText(Gain(AlbumName, 1, false, 30), TrackName), "<not stored>");
  EXPECT_EQ(ReplayGainText(Gain(TrackName, 1, false, 30), AlbumName), "<not stored>");
  EXPECT_EQ(ReplayGainText(Gain(7, 1, false, 30), TrackName), "<not stored>");
}

TEST(GainValueText, AlwaysSignedWithOneDecimalAndAFullStop) {
  EXPECT_EQ(GainValueText(Gain(TrackName, 1, false, 0)), "+0.0dB");
  EXPECT_EQ(GainValueText(Gain(TrackName, 1, true, 0)), "-0.0dB");
  EXPECT_EQ(GainValueText(Gain(TrackName, 1, false, 9)), "+0.9dB");
  EXPECT_EQ(GainValueText(Gain(TrackName, 1, true, 10)), "-1.0dB");
  EXPECT_EQ(GainValueText(Gain(TrackName, 1, false, 511)), "+51.1dB");
}

TEST(OriginatorText, NamesCodesOneToFour) {
  EXPECT_EQ(OriginatorText(1), "set by artist");
  EXPECT_EQ(OriginatorText(2), "set by user");
  EXPECT_EQ(OriginatorText(3), "determined automatically");
  EXPECT_EQ(OriginatorText(4), "set by simple RMS average");
  for (int code : {0, 5, 6, 7, 255}) {
    EXPECT_EQ(OriginatorText(static_cast<std::uint8_t>(code)), "<set by unknown>") << code;
  }
}

}  // namespace
}  // namespace kestrix
