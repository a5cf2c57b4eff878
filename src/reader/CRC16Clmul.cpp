#include "reader/CRC16Clmul.h"

#include "reader/CRC16.h"

#if (defined(__x86_64__) || defined(__i386__)) && defined(__GNUC__)
#define KESTRIX_CLMUL 1
#include <immintrin.h>
#endif

namespace kestrix {

#ifdef KESTRIX_CLMUL

namespace {

// x^16 + x^15 + x^2 + 1, the polynomial in its unreflected form.
constexpr std::uint32_t Polynomial = 0x18005;
constexpr int Width = 16;

// x^Power mod the polynomial, unreflected.
constexpr std::uint16_t PowerOfX(unsigned Power) {
  std::uint32_t value = 1;
  for (unsigned i = 0; i < Power; ++i) {
    value <<= 1;
    if ((value >> Width) & 1u) {
      value ^= Polynomial;
    }
  }
  return static_cast<std::uint16_t>(value);
}

constexpr std::uint64_t Reflect64(std::uint64_t Value) {
  std::uint64_t result = 0;
  for (int i = 0; i < 64; ++i) {
    result = (result << 1) | ((Value >> i) & 1u);
  }
  return result;
}

// In a reflected 128-bit register the low half holds the earlier 64 bits.
// Moving the register Distance bits on multiplies that half by
// x^(Distance + 64) and the other by x^Distance; one x less each, because
// a reflected carry-less product comes out one bit short.
struct TFoldConstants {
  long long Low;   // for the earlier half
  long long High;  // for the later half
};

constexpr TFoldConstants FoldBy(unsigned Distance) {
  return {static_cast<long long>(Reflect64(PowerOfX(Distance + 64 - 1))),
          static_cast<long long>(Reflect64(PowerOfX(Distance - 1)))};
}

constexpr std::size_t Block = 16;  // bytes in one 128-bit register
constexpr unsigned BlockBits = 128;
constexpr std::size_t Lanes = 8;  // accumulators of the 128-bit loop
constexpr std::size_t Stride128 = Block * Lanes;

constexpr TFoldConstants FoldOne = FoldBy(BlockBits);
constexpr TFoldConstants FoldStride128 = FoldBy(BlockBits * Lanes);

#define KESTRIX_TARGET_128 __attribute__((target("pclmul,sse4.1")))
#define KESTRIX_TARGET_256 __attribute__((target("pclmul,sse4.1,avx2,vpclmulqdq")))

KESTRIX_TARGET_128 inline __m128i Constants128(const TFoldConstants& Fold) {
  return _mm_set_epi64x(Fold.High, Fold.Low);
}

KESTRIX_TARGET_128 inline __m128i Load128(const std::uint8_t* Data) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(Data));
}

// Accumulator moved on by the constants' distance, plus the data there.
KESTRIX_TARGET_128 inline __m128i Fold128(__m128i Accumulator, __m128i Constants, __m128i Next) {
  const __m128i early = _mm_clmulepi64_si128(Accumulator, Constants, 0x00);
  const __m128i late = _mm_clmulepi64_si128(Accumulator, Constants, 0x11);
  return _mm_xor_si128(_mm_xor_si128(early, late), Next);
}

// The value of the data behind Accumulator: its 16 bytes, then the rest.
KESTRIX_TARGET_128 inline std::uint16_t Finish(__m128i Accumulator, const std::uint8_t* Data,
                                               std::size_t Length) {
  alignas(Block) std::uint8_t bytes[Block];
  _mm_store_si128(reinterpret_cast<__m128i*>(bytes), Accumulator);
  return UpdateCRC16Table(UpdateCRC16Table(0, bytes, Block), Data, Length);
}

// From Accumulator, which covers the bytes before Data, to the end.
KESTRIX_TARGET_128 std::uint16_t Tail128(__m128i Accumulator, const std::uint8_t* Data,
                                         std::size_t Length) {
  const __m128i one = Constants128(FoldOne);
  for (; Length >= Block; Data += Block, Length -= Block) {
    Accumulator = Fold128(Accumulator, one, Load128(Data));
  }
  return Finish(Accumulator, Data, Length);
}

// The first block with the running value in its first two bytes: a
// reflected CRC starting from CRC equals one from 0 over data so changed.
KESTRIX_TARGET_128 inline __m128i FirstBlock128(std::uint16_t CRC, const std::uint8_t* Data) {
  return _mm_xor_si128(Load128(Data), _mm_cvtsi32_si128(CRC));
}

KESTRIX_TARGET_128 std::uint16_t Clmul128(std::uint16_t CRC, const std::uint8_t* Data,
                                          std::size_t Length) {
  if (Length < Block) {
    return UpdateCRC16Table(CRC, Data, Length);
  }
  __m128i first = FirstBlock128(CRC, Data);
  if (Length < Stride128) {
    return Tail128(first, Data + Block, Length - Block);
  }
  __m128i lanes[Lanes];
  lanes[0] = first;
  for (std::size_t i = 1; i < Lanes; ++i) {
    lanes[i] = Load128(Data + i * Block);
  }
  Data += Stride128;
  Length -= Stride128;
  const __m128i stride = Constants128(FoldStride128);
  for (; Length >= Stride128; Data += Stride128, Length -= Stride128) {
    for (std::size_t i = 0; i < Lanes; ++i) {
      lanes[i] = Fold128(lanes[i], stride, Load128(Data + i * Block));
    }
  }
  const __m128i one = Constants128(FoldOne);
  __m128i accumulator = lanes[0];
  for (std::size_t i = 1; i < Lanes; ++i) {
    accumulator = Fold128(accumulator, one, lanes[i]);
  }
  return Tail128(accumulator, Data, Length);
}

// --- 256-bit registers: two 128-bit lanes each -----------------------------

constexpr std::size_t Block256 = 32;
constexpr std::size_t Registers256 = 8;
constexpr std::size_t Stride256 = Block256 * Registers256;

constexpr TFoldConstants FoldTwo = FoldBy(2 * BlockBits);
constexpr unsigned BitsPerByte = 8;
constexpr TFoldConstants FoldStride256 = FoldBy(Stride256 * BitsPerByte);

KESTRIX_TARGET_256 inline __m256i Constants256(const TFoldConstants& Fold) {
  return _mm256_set_epi64x(Fold.High, Fold.Low, Fold.High, Fold.Low);
}

KESTRIX_TARGET_256 inline __m256i Load256(const std::uint8_t* Data) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(Data));
}

KESTRIX_TARGET_256 inline __m256i Fold256(__m256i Accumulator, __m256i Constants, __m256i Next) {
  const __m256i early = _mm256_clmulepi64_epi128(Accumulator, Constants, 0x00);
  const __m256i late = _mm256_clmulepi64_epi128(Accumulator, Constants, 0x11);
  return _mm256_xor_si256(_mm256_xor_si256(early, late), Next);
}

KESTRIX_TARGET_256 std::uint16_t Clmul256(std::uint16_t CRC, const std::uint8_t* Data,
                                          std::size_t Length) {
  if (Length < 2 * Stride256) {
    return Clmul128(CRC, Data, Length);
  }
  __m256i registers[Registers256];
  registers[0] = _mm256_xor_si256(Load256(Data), _mm256_castsi128_si256(_mm_cvtsi32_si128(CRC)));
  for (std::size_t i = 1; i < Registers256; ++i) {
    registers[i] = Load256(Data + i * Block256);
  }
  Data += Stride256;
  Length -= Stride256;
  const __m256i stride = Constants256(FoldStride256);
  for (; Length >= Stride256; Data += Stride256, Length -= Stride256) {
    for (std::size_t i = 0; i < Registers256; ++i) {
      registers[i] = Fold256(registers[i], stride, Load256(Data + i * Block256));
    }
  }
  const __m256i two = Constants256(FoldTwo);
  __m256i accumulator = registers[0];
  for (std::size_t i = 1; i < Registers256; ++i) {
    accumulator = Fold256(accumulator, two, registers[i]);
  }
  // The low lane holds the earlier 16 bytes.
  const __m128i early = _mm256_castsi256_si128(accumulator);
  const __m128i late = _mm256_extracti128_si256(accumulator, 1);
  return Tail128(Fold128(early, Constants128(FoldOne), late), Data, Length);
}

bool CPUHas(bool Clmul256) {
  __builtin_cpu_init();
  const bool has128 = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
  if (!Clmul256) {
    return has128;
  }
  return has128 && __builtin_cpu_supports("avx2") && __builtin_cpu_supports("vpclmulqdq");
}

}  // namespace

std::uint16_t UpdateCRC16Clmul128(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  return Clmul128(CRC, Data, Length);
}

bool CRC16Clmul128Supported() {
  return CPUHas(false);
}

std::uint16_t UpdateCRC16Clmul256(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  return Clmul256(CRC, Data, Length);
}

bool CRC16Clmul256Supported() {
  return CPUHas(true);
}

#else  // no carry-less multiplication to ask for: the table does it all

std::uint16_t UpdateCRC16Clmul128(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  return UpdateCRC16Table(CRC, Data, Length);
}

bool CRC16Clmul128Supported() {
  return false;
}

std::uint16_t UpdateCRC16Clmul256(std::uint16_t CRC, const std::uint8_t* Data, std::size_t Length) {
  return UpdateCRC16Table(CRC, Data, Length);
}

bool CRC16Clmul256Supported() {
  return false;
}

#endif

}  // namespace kestrix
