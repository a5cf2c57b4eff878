#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "reader/BasicKestrixReader.h"
#include "support/TestFiles.h"

// Real files made by the LAME encoder, which writes correct CRCs.
namespace kestrix::test {
namespace {

std::vector<std::filesystem::path> SampleFiles() {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(SamplesFolder(), error)) {
    if (entry.is_regular_file() && entry.path().extension() == ".mp3") {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Version bits of the frame header at Position: 0 means MPEG-2.5.
bool IsMpeg25Frame(const TBytes& File, std::int64_t Position) {
  constexpr unsigned VersionMPEG25 = 0;
  const auto at = static_cast<std::size_t>(Position);
  return at + 1 < File.size() && ((File[at + 1] >> 3) & 3u) == VersionMPEG25;
}

TEST(SampleFilesTest, StoredAndRecomputedCRCsAgree) {
  int withTag = 0;
  int mpeg25WithTag = 0;
  for (const auto& path : SampleFiles()) {
    SCOPED_TRACE(path.filename().string());
    bool found = false;
    TBasicKestrixReader reader = ReadLameTag(path, true, found);
    if (!found) {
      continue;
    }
    ++withTag;
    EXPECT_EQ(reader.GetInfoTagCRC(), reader.GetActualInfoTagCRC());
    EXPECT_EQ(reader.GetMusicCRC(), reader.GetActualMusicCRC());
    if (IsMpeg25Frame(ReadFileBytes(path), reader.GetFramePosition())) {
      ++mpeg25WithTag;
    }
  }
  EXPECT_GT(withTag, 0) << "no sample file with a tag in " << SamplesFolder();
  EXPECT_GT(mpeg25WithTag, 0) << "no MPEG-2.5 sample file with a tag";
}

TEST(SampleFilesTest, StoredPeaksAreSignalLevels) {
  // Read on the wrong path, a stored peak becomes a tiny or huge number.
  constexpr float LargestPlausiblePeak = 2.0f;
  int withPeak = 0;
  for (const auto& path : SampleFiles()) {
    SCOPED_TRACE(path.filename().string());
    bool found = false;
    TBasicKestrixReader reader = ReadLameTag(path, false, found);
    TReplayGainInfo info;
    reader.GetReplayGain(info);
    if (!found || info.Peak == 0.0f) {
      continue;
    }
    ++withPeak;
    EXPECT_GT(info.Peak, 1.0f / 64);
    EXPECT_LT(info.Peak, LargestPlausiblePeak);
  }
  EXPECT_GT(withPeak, 0) << "no sample file stores a peak";
}

}  // namespace
}  // namespace kestrix::test
