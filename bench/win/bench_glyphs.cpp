// The colour glyphs' cost on the large board: 40 x 40 cells of 11 px, one
// glyph each, drawn through the device-context form (cached) onto a memory
// DC and onto a window's DC, beside the cell fills themselves, the portable
// form with no cache, and one glyph rendered on a cache miss. Prints figures
// (median and best of single runs, ms); run it under Wine:
// scripts/wine-session.sh wine build/win/bin/bench_glyphs.exe
#include <cstdio>

#include "bench/win/bench_support.h"
#include "skin/resources/glyphs.h"
#include "skin/resources/skin_draw_win.h"

namespace {

constexpr int Cells = 40, CellSide = 11, Runs = 41;
constexpr TColor Palette[GlyphCount] = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, 0x507FFF, 0xE22A8A};

int ColorAt(int X, int Y) { return (X * 7 + Y * 3 + X * Y) % GlyphCount; }
TRect CellAt(int X, int Y) { return {X * CellSide, Y * CellSide, X * CellSide + CellSide, Y * CellSide + CellSide}; }

void FillCells(HDC DC) {
  for (int y = 0; y < Cells; ++y)
    for (int x = 0; x < Cells; ++x) {
      TGdiBrush brush(CreateSolidBrush(ColorToRGB(Palette[ColorAt(x, y)])));
      const RECT r = ToRECT(CellAt(x, y));
      FillRect(DC, &r, brush.Get());
    }
}

void DrawGlyphs(HDC DC) {
  for (int y = 0; y < Cells; ++y)
    for (int x = 0; x < Cells; ++x) DrawColorGlyph(DC, CellAt(x, y), ColorAt(x, y), Palette[ColorAt(x, y)]);
}

void Report(const char* What, TTimings T) {
  std::printf("%-52s median %7.3f ms  best %7.3f ms\n", What, T.Median, T.Best);
}

}  // namespace

int main() {
  const int side = Cells * CellSide;
  TWindowDC screen(nullptr);
  TDibSurface memory(screen.Get(), side, side);

  FillCells(memory.DC());
  DrawGlyphs(memory.DC());  // fills the cache
  Report("cell fills, 1600 x FillRect (memory DC)", MeasureEach(Runs, [&] { FillCells(memory.DC()); }));
  Report("glyphs, 1600 x DrawColorGlyph (memory DC)", MeasureEach(Runs, [&] { DrawGlyphs(memory.DC()); }));

  HWND window = CreateWindowExW(0, L"STATIC", L"glyphs", WS_POPUP | WS_VISIBLE, 0, 0, side, side, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
  if (window) {
    Pump(200);
    TWindowDC dc(window);
    Report("glyphs, 1600 x DrawColorGlyph (window DC)", MeasureEach(Runs, [&] { DrawGlyphs(dc.Get()); }));
  }

  TBitmap32 board;
  board.SetSize(side, side);
  Report("glyphs, 1600 x portable DrawColorGlyph (no cache)", MeasureEach(Runs, [&] {
           for (int y = 0; y < Cells; ++y)
             for (int x = 0; x < Cells; ++x)
               DrawColorGlyph(&board, CellAt(x, y), ColorAt(x, y), GlyphInk(ToColor32(Palette[ColorAt(x, y)])));
         }));
  // Each run takes a colour no run has used, so every glyph is a miss.
  int fresh = 0;
  Report("one glyph on a cache miss (20 px)", MeasureEach(Runs, [&] {
           DrawColorGlyph(memory.DC(), {0, 0, 44, 45}, 4, TColor(0x102030 + ++fresh));
         }));
  if (window) DestroyWindow(window);
  return 0;
}
