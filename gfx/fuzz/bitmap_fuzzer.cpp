// libFuzzer target for the bitmap readers (not built by default; the skin
// readers have skin/resources/fuzz/skin_readers_fuzzer.cpp, built the same way):
//   CXX=clang++ CC=clang cmake -S . -B build/fuzz -DQUORREL_FUZZ=ON -DQUORREL_SANITIZE=ON -DQUORREL_TESTS=OFF
//   cmake --build build/fuzz --target bitmap_fuzzer && build/fuzz/bin/bitmap_fuzzer -max_total_time=600
// The first input byte chooses the reader ("Data" block or BMP file).
#include <cstddef>
#include <cstdint>

#include "gfx/bitmap32.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  TBitmap32 b;
  TReadOnlyMemoryStream s(Data + 1, int64_t(Size - 1));
  try {
    if (Data[0] & 1)
      b.LoadFromStream(s);
    else
      b.ReadData(s);
  } catch (const Exception&) {
    if (!b.Empty()) __builtin_trap();
  }
  return 0;
}
