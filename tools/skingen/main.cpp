// skingen: draws the built-in skin images and writes the skin module's stored
// form; optionally a contact sheet (PNG) of all images enlarged on a
// checkerboard, with a legend naming each cell, for review.
//
//   skingen <module.bin> [<sheet.png> <legend.txt>]

#include "skin/resources/skin_image_list.h"
#include "tools/skingen/png_writer.h"
#include "tools/skingen/skin_images.h"

#include <cstdio>
#include <fstream>

namespace {

constexpr int kScale = 3;
constexpr int kGap = 12;
constexpr int kSheetWidth = 1200;

void WriteContactSheet(const TVelSkinImageList& List, const std::filesystem::path& Sheet,
                       const std::filesystem::path& Legend) {
  // Flow layout: cells left to right, wrapping at the sheet width.
  struct TCell {
    int X, Y;
  };
  std::vector<TCell> cells;
  int x = kGap, y = kGap, rowHeight = 0;
  for (int i = 0; i < List.Bitmaps()->Count(); ++i) {
    const TBitmap32& b = *List.Bitmap(i);
    const int w = b.Width() * kScale, h = b.Height() * kScale;
    if (x + w + kGap > kSheetWidth && x > kGap) {
      x = kGap;
      y += rowHeight + kGap;
      rowHeight = 0;
    }
    cells.push_back({x, y});
    x += w + kGap;
    rowHeight = std::max(rowHeight, h);
  }
  TBitmap32 sheet;
  sheet.SetSize(kSheetWidth, y + rowHeight + kGap);
  sheet.Clear(0xFF505A64);
  std::ofstream legend(Legend);
  legend << "Contact sheet " << Sheet.filename().string() << ": every image at " << kScale
         << "x on a checkerboard, in stored order.\nindex id size cell(x,y)\n";
  for (int i = 0; i < List.Bitmaps()->Count(); ++i) {
    const TBitmap32& b = *List.Bitmap(i);
    for (int py = 0; py < b.Height() * kScale; ++py)
      for (int px = 0; px < b.Width() * kScale; ++px) {
        const TColor32 board = ((px / 6 + py / 6) & 1) ? 0xFF8FA0AD : 0xFFA9B7C2;
        sheet.SetPixel(cells[i].X + px, cells[i].Y + py, MergePixel(b.Pixel(px / kScale, py / kScale), board));
      }
    legend << i << ' ' << WideToUtf8(List.Bitmaps()->Items(i)->ResID()) << ' ' << b.Width() << 'x' << b.Height()
           << ' ' << cells[i].X << ',' << cells[i].Y << '\n';
  }
  SavePng(sheet, Sheet);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 4) {
    std::fprintf(stderr, "usage: skingen <module.bin> [<sheet.png> <legend.txt>]\n");
    return 2;
  }
  try {
    TVelSkinImageList list(nullptr);
    BuildSkinImages(list);
    TMemoryStream module;
    WriteSkinResModule(module, list);
    module.SaveToFile(argv[1]);
    if (argc == 4) WriteContactSheet(list, argv[2], argv[3]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "skingen: %s\n", e.what());
    return 1;
  }
  return 0;
}
