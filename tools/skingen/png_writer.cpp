#include "tools/skingen/png_writer.h"

#include "skin/resources/png_chunks.h"

#include <cstdint>
#include <vector>

void SavePng(const TBitmap32& Bitmap, const std::filesystem::path& FileName) {
  const int w = Bitmap.Width(), h = Bitmap.Height();
  std::vector<uint8_t> rows;
  rows.reserve(static_cast<size_t>(h) * 4 * static_cast<size_t>(w));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TColor32 c = Bitmap.Pixel(x, y);
      rows.insert(rows.end(), {RedOf(c), GreenOf(c), BlueOf(c), AlphaOf(c)});
    }
  // 8 bits per sample, colour type 6 (RGBA).
  const std::vector<uint8_t> png =
      EncodeStoredPng(static_cast<uint32_t>(w), static_cast<uint32_t>(h), 8, 6, rows, 4 * static_cast<size_t>(w));

  TFileStream file(FileName, TFileMode::fmCreate);
  file.WriteBuffer(png.data(), static_cast<int64_t>(png.size()));
}
