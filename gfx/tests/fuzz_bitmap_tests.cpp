// Deterministic mutation fuzzing of the bitmap readers: valid "Data" blocks and
// BMP files are bit-flipped, truncated, given overwritten size fields and
// random bytes. Every input must either load or raise an Exception, and a
// failed load must leave the bitmap empty.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "gfx/bitmap32.h"

namespace {

std::vector<uint8_t> DataBlock(int W, int H) {
  TBitmap32 b;
  b.SetSize(W, H);
  for (int i = 0; i < W * H; ++i) b.Bits()[i] = 0x9E3779B9u * uint32_t(i + 1);
  TMemoryStream s;
  b.WriteData(s);
  return s.Bytes();
}

std::vector<uint8_t> BmpFile(int W, int H, bool TopDown) {
  TBitmap32 b;
  b.SetSize(W, H);
  for (int i = 0; i < W * H; ++i) b.Bits()[i] = 0x85EBCA6Bu * uint32_t(i + 1);
  TMemoryStream s;
  b.SaveToStream(s, TopDown);
  return s.Bytes();
}

// 24-bit BMP with padded rows, written by hand.
std::vector<uint8_t> Bmp24(int W, int H) {
  const int stride = (W * 3 + 3) & ~3;
  std::vector<uint8_t> f(size_t(54 + stride * H), 0x5A);
  auto put32 = [&](size_t at, uint32_t v) { std::memcpy(&f[at], &v, 4); };
  auto put16 = [&](size_t at, uint16_t v) { std::memcpy(&f[at], &v, 2); };
  f[0] = 'B';
  f[1] = 'M';
  put32(2, uint32_t(f.size()));
  put32(6, 0);
  put32(10, 54);
  put32(14, 40);
  put32(18, uint32_t(W));
  put32(22, uint32_t(H));
  put16(26, 1);
  put16(28, 24);
  put32(30, 0);
  return f;
}

void Mutate(std::vector<uint8_t>& v, std::mt19937& rng) {
  std::uniform_int_distribution<int> kind(0, 5);
  auto pos = [&]() { return v.empty() ? 0 : std::uniform_int_distribution<size_t>(0, v.size() - 1)(rng); };
  switch (kind(rng)) {
    case 0:  // bit flips
      for (int n = 1 + int(rng() % 4); n > 0 && !v.empty(); --n) v[pos()] ^= uint8_t(1u << (rng() % 8));
      break;
    case 1:  // truncation
      v.resize(pos());
      break;
    case 2: {  // overwritten 32-bit size-like field at a header offset
      static const size_t offsets[] = {0, 2, 4, 10, 14, 18, 22, 26, 28, 30, 34};
      static const uint32_t values[] = {0, 1, 0xFFFFFFFF, 0x80000000, 0x7FFFFFFF, 0x10000, 0xFFFF, 54, 40, 32, 24, 3};
      const size_t at = offsets[rng() % std::size(offsets)];
      const uint32_t val = values[rng() % std::size(values)];
      if (at + 4 <= v.size()) std::memcpy(&v[at], &val, 4);
      break;
    }
    case 3:  // random bytes
      for (int n = 1 + int(rng() % 16); n > 0 && !v.empty(); --n) v[pos()] = uint8_t(rng());
      break;
    case 4:  // extension with garbage
      for (int n = int(rng() % 32); n > 0; --n) v.push_back(uint8_t(rng()));
      break;
    default:  // header region scramble
      for (size_t i = 0; i < std::min<size_t>(v.size(), 64); ++i)
        if (rng() % 8 == 0) v[i] = uint8_t(rng());
      break;
  }
}

template <class Load> void Fuzz(const std::vector<std::vector<uint8_t>>& Seeds, int Iterations, Load&& load) {
  std::mt19937 rng(12345);
  int loaded = 0, rejected = 0;
  for (int i = 0; i < Iterations; ++i) {
    std::vector<uint8_t> v = Seeds[size_t(i) % Seeds.size()];
    for (int m = 1 + int(rng() % 3); m > 0; --m) Mutate(v, rng);
    TBitmap32 b;
    b.SetSize(2, 2);
    TReadOnlyMemoryStream s(v.data(), int64_t(v.size()));
    try {
      load(b, s);
      ++loaded;
      ASSERT_TRUE(b.Empty() || b.Bits() != nullptr);
      // The loaded pixels are readable end to end.
      uint32_t sum = 0;
      for (int64_t p = 0; p < int64_t(b.Width()) * b.Height(); ++p) sum += b.Bits()[p];
      (void)sum;
    } catch (const Exception&) {
      ++rejected;
      ASSERT_TRUE(b.Empty()) << "iteration " << i;
      ASSERT_EQ(b.Width(), 0);
    }
  }
  EXPECT_GT(loaded, 0);
  EXPECT_GT(rejected, 0);
}

}  // namespace

TEST(BitmapFuzz, MutatedDataBlocks) {
  Fuzz({DataBlock(3, 2), DataBlock(1, 1), DataBlock(16, 9), DataBlock(0, 0)}, 20000,
       [](TBitmap32& b, TStream& s) { b.ReadData(s); });
}

TEST(BitmapFuzz, MutatedBmpFiles) {
  Fuzz({BmpFile(3, 2, false), BmpFile(5, 3, true), BmpFile(1, 1, false), Bmp24(3, 3), Bmp24(1, 2)}, 20000,
       [](TBitmap32& b, TStream& s) { b.LoadFromStream(s); });
}
