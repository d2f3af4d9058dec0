// libFuzzer target for the bitmap readers (not built by default):
//   clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I. \
//     gfx/fuzz/bitmap_fuzzer.cpp gfx/*.cpp toolkit/core/*.cpp -o bitmap_fuzzer
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
