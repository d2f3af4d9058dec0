// libFuzzer target for the skin readers that face untrusted bytes (not built
// by default; see gfx/fuzz/bitmap_fuzzer.cpp for the build commands, target
// skin_readers_fuzzer). The first input byte chooses the reader: the binary
// component stream with the skin module on top, the text form of the
// component stream, or the PNG chunk scanner.
#include <cstddef>
#include <cstdint>

#include "skin/resources/component_stream.h"
#include "skin/resources/component_text.h"
#include "skin/resources/png_chunks.h"
#include "skin/resources/skin_image_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size == 0) return 0;
  const uint8_t* bytes = Data + 1;
  const size_t count = Size - 1;
  try {
    switch (Data[0] % 3) {
      case 0: {
        TReadOnlyMemoryStream in(bytes, static_cast<int64_t>(count));
        TVelSkinResDM module(nullptr, in);
        break;
      }
      case 1: {
        TReadOnlyMemoryStream in(bytes, static_cast<int64_t>(count));
        TMemoryStream out;
        ObjectTextToBinary(in, out);
        break;
      }
      default:
        ScanPngChunks(bytes, count);
        break;
    }
  } catch (const Exception&) {
    // Rejecting malformed input with an exception is the expected outcome.
  }
  return 0;
}
