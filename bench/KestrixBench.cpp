// Throughput of the parts whose cost grows with a music library: the
// CRC-16 over the music data, reading one file's tag, and its texts.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "analysis/FileCheck.h"
#include "platform/Locale.h"
#include "reader/CRC16.h"
#include "reader/CRC16Clmul.h"
#include "support/TestFiles.h"

namespace kestrix {
namespace {

constexpr std::size_t MiB = 1 << 20;

void UpdateCRC16Throughput(benchmark::State& State) {
  const std::vector<std::uint8_t> data(MiB, 0x5A);
  for (auto _ : State) {
    benchmark::DoNotOptimize(UpdateCRC16(0, data.data(), static_cast<std::int32_t>(data.size())));
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * data.size()));
}
BENCHMARK(UpdateCRC16Throughput);

// Each kernel on its own, at the sizes a tag frame, a read block and a
// mapped window give it.
void KernelThroughput(benchmark::State& State, TCRC16Kernel Kernel, bool (*Supported)()) {
  if (!Supported()) {
    State.SkipWithError("this CPU cannot run the kernel");
    return;
  }
  std::vector<std::uint8_t> data(static_cast<std::size_t>(State.range(0)));
  for (std::size_t i = 0; i < data.size(); ++i) {
    data[i] = static_cast<std::uint8_t>(i * 131 + 7);
  }
  for (auto _ : State) {
    benchmark::DoNotOptimize(Kernel(0, data.data(), data.size()));
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * data.size()));
}

bool Always() {
  return true;
}

BENCHMARK_CAPTURE(KernelThroughput, Table, UpdateCRC16Table, Always)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20);
BENCHMARK_CAPTURE(KernelThroughput, Clmul128, UpdateCRC16Clmul128, CRC16Clmul128Supported)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20);
BENCHMARK_CAPTURE(KernelThroughput, Clmul256, UpdateCRC16Clmul256, CRC16Clmul256Supported)
    ->Arg(4 << 10)
    ->Arg(64 << 10)
    ->Arg(1 << 20);

// A 5 MiB file with a tag at the front, read from the page cache.
void ReadTagAndCRCs(benchmark::State& State) {
  const test::TTempFolder folder;
  test::TTagFileBuilder builder;
  builder.Version("LAME3.100");
  builder.Music.assign(5 * MiB, 0x33);
  const auto path = test::ToU16(folder.Write("big.mp3", builder.Build()));
  const TAnalysisNeeds report{false, CLocaleSeparators()};
  platform::TReadBuffer buffer;
  for (auto _ : State) {
    benchmark::DoNotOptimize(CheckFile(path, buffer, report).Tag.Lines.size());
  }
  State.SetBytesProcessed(static_cast<std::int64_t>(State.iterations() * builder.Music.size()));
}
BENCHMARK(ReadTagAndCRCs)->Unit(benchmark::kMillisecond);

// Every sample file, tag and texts, as the report's analysis finds them.
void DescribeSamples(benchmark::State& State) {
  std::vector<std::u16string> files;
  for (const auto& entry : std::filesystem::directory_iterator(KESTRIX_SAMPLES_DIR)) {
    if (entry.path().extension() == ".mp3") {
      files.push_back(entry.path().u16string());
    }
  }
  const TAnalysisNeeds report{false, platform::GetNumberSeparators()};
  platform::TReadBuffer buffer;
  for (auto _ : State) {
    for (const auto& file : files) {
      benchmark::DoNotOptimize(CheckFile(file, buffer, report).Tag.Lines.size());
    }
  }
  State.SetItemsProcessed(static_cast<std::int64_t>(State.iterations() * files.size()));
}
BENCHMARK(DescribeSamples)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrix

BENCHMARK_MAIN();
