#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>

#include "reader/CRC16.h"
#include "reader/CRC16Clmul.h"
#include "support/TestFiles.h"

namespace kestrix::test {
namespace {

struct TKernel {
  const char* Name;
  TCRC16Kernel Update;
  bool (*Supported)();
};

bool Always() {
  return true;
}

const TKernel Kernels[] = {
    {"Table", UpdateCRC16Table, Always},
    {"Clmul128", UpdateCRC16Clmul128, CRC16Clmul128Supported},
    {"Clmul256", UpdateCRC16Clmul256, CRC16Clmul256Supported},
};

// One byte per step straight from the table, the way the checksum is defined.
std::uint16_t Reference(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  for (std::size_t i = 0; i < Length; ++i) {
    CRC = static_cast<std::uint16_t>((CRC >> 8) ^ CRC16Table[(CRC ^ Data[i]) & 0xFF]);
  }
  return CRC;
}

TBytes RandomBytes(std::size_t Size, unsigned Seed) {
  std::mt19937 random(Seed);
  TBytes bytes(Size);
  for (std::uint8_t& byte : bytes) {
    byte = static_cast<std::uint8_t>(random());
  }
  return bytes;
}

class CRC16KernelTest : public testing::TestWithParam<TKernel> {
 protected:
  void SetUp() override {
    if (!GetParam().Supported()) {
      GTEST_SKIP() << "this CPU cannot run the " << GetParam().Name << " kernel";
    }
  }
  std::uint16_t Update(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) const {
    return GetParam().Update(CRC, Data, Length);
  }
};

TEST_P(CRC16KernelTest, CatalogueCheckValue) {
  const std::string digits = "123456789";
  EXPECT_EQ(0xBB3D, Update(0, reinterpret_cast<const std::uint8_t*>(digits.data()), 9));
}

// Lengths on both sides of every block and stride the kernels use, at
// every offset from a 64-byte boundary, from 0 and from a running value.
TEST_P(CRC16KernelTest, EqualsTableOnEveryLengthAndAlignment) {
  constexpr std::size_t MaxLength = 1100;
  constexpr std::size_t Alignments = 64;
  const TBytes bytes = RandomBytes(MaxLength + 2 * Alignments, 1);
  const std::uintptr_t misalignment = reinterpret_cast<std::uintptr_t>(bytes.data()) % Alignments;
  const std::uint8_t* const aligned = bytes.data() + (Alignments - misalignment);
  for (std::size_t offset = 0; offset < Alignments; ++offset) {
    const std::uint8_t* const data = aligned + offset;
    for (std::size_t length = 0; length <= MaxLength; ++length) {
      const auto start = static_cast<std::uint16_t>(length * 0x9E37u + offset);
      const std::uint16_t expectedFromZero = Reference(0, data, length);
      const std::uint16_t expectedRunning = Reference(start, data, length);
      const std::uint16_t fromZero = Update(0, data, length);
      const std::uint16_t running = Update(start, data, length);
      if (fromZero != expectedFromZero || running != expectedRunning) {
        FAIL() << "length " << length << ", offset " << offset;
      }
    }
  }
}

TEST_P(CRC16KernelTest, ChunkedCallsCarryTheValue) {
  const TBytes bytes = RandomBytes(3 * 1024 * 1024 + 77, 2);
  const std::uint16_t whole = Reference(0, bytes.data(), bytes.size());
  EXPECT_EQ(whole, Update(0, bytes.data(), bytes.size()));
  std::mt19937 random(3);
  for (const std::size_t maxChunk : {std::size_t{40}, std::size_t{700}, std::size_t{70000}}) {
    SCOPED_TRACE(maxChunk);
    std::uniform_int_distribution<std::size_t> chunkSize(0, maxChunk);
    std::uint16_t crc = 0;
    for (std::size_t done = 0; done < bytes.size();) {
      const std::size_t chunk = std::min(chunkSize(random), bytes.size() - done);
      crc = Update(crc, bytes.data() + done, chunk);
      done += chunk;
    }
    EXPECT_EQ(whole, crc);
  }
}

TEST_P(CRC16KernelTest, ZerosAndOnes) {
  for (const std::uint8_t fill : {0x00, 0xFF}) {
    const TBytes bytes(100000, fill);
    EXPECT_EQ(Reference(0x1234, bytes.data(), bytes.size()),
              Update(0x1234, bytes.data(), bytes.size()));
  }
  const TBytes zeros(5000, 0);
  EXPECT_EQ(0, Update(0, zeros.data(), zeros.size()));
}

INSTANTIATE_TEST_SUITE_P(Kernels, CRC16KernelTest, testing::ValuesIn(Kernels),
                         [](const testing::TestParamInfo<TKernel>& Info) {
                           return std::string(Info.param.Name);
                         });

TEST(CRC16KernelChoiceTest, ChosenKernelIsOneTheCPURuns) {
  const TCRC16Kernel best = BestCRC16Kernel();
  if (CRC16Clmul256Supported()) {
    EXPECT_EQ(best, &UpdateCRC16Clmul256);
  } else if (CRC16Clmul128Supported()) {
    EXPECT_EQ(best, &UpdateCRC16Clmul128);
  } else {
    EXPECT_EQ(best, &UpdateCRC16Table);
  }
}

}  // namespace
}  // namespace kestrix::test
