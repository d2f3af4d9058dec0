#include "skin/resources/skin_draw_win.h"

#include <cstring>
#include <mutex>
#include <unordered_map>

#include "gfx/color32.h"
#include "skin/resources/glyphs.h"
#include "skin/resources/image_decode.h"
#include "skin/resources/skin_draw.h"

TDibSurface::TDibSurface(HDC Compatible, int32_t Width, int32_t Height) : FDC(Compatible) {
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = Width;
  info.bmiHeader.biHeight = -Height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  FBitmap.Reset(CreateDIBSection(FDC.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  Win32Check(FBitmap && bits, "CreateDIBSection");
  FBits = static_cast<TColor32*>(bits);
  FSelect = std::make_unique<TSelectObject>(FDC.Get(), FBitmap.Get());
}

namespace {

bool IsBlank(const std::wstring& Text) {
  for (wchar_t c : Text)
    if (c > L' ') return false;
  return true;
}

bool DrawableSize(int64_t W, int64_t H) {
  return W > 0 && H > 0 && W <= MaxImageSide && H <= MaxImageSide && W * H * 4 <= MaxImageBytes;
}

// Rendered glyphs in slots of one DIB section: one DC and one bitmap for the
// whole cache, however many glyphs it holds, so the process's GDI object
// count stays flat once it exists. When every slot is taken the cache starts
// over; a board and its buttons need about sixteen.
class TGlyphAtlas {
public:
  // The slot's top-left corner in DC() holding glyph Index of that side drawn
  // over Background, rendered on first use.
  TPoint Find(int32_t Index, int32_t Side, TColor32 Background) {
    const uint32_t key = uint32_t(Index) << 29 | uint32_t(Side) << 24 | (Background & 0xFFFFFFu);
    if (const auto it = FSlots.find(key); it != FSlots.end()) return SlotOrigin(it->second);
    if (!FSurface) FSurface = std::make_unique<TDibSurface>(nullptr, Width, Width);
    if (FSlots.size() >= SlotCount) FSlots.clear();
    const int32_t slot = int32_t(FSlots.size());
    const TPoint at = SlotOrigin(slot);

    TBitmap32 glyph;
    glyph.SetSize(Side, Side);
    glyph.Clear(0xFF000000u | Background);
    DrawColorGlyphInBox(&glyph, glyph.BoundsRect(), Index, GlyphInk(Background));
    // Copies still queued from this slot must read it before it is rewritten.
    GdiFlush();
    for (int32_t y = 0; y < Side; ++y)
      std::memcpy(FSurface->Bits() + size_t(at.Y + y) * Width + at.X, glyph.ScanLine(y), size_t(Side) * 4);
    FSlots.emplace(key, slot);
    return at;
  }
  HDC DC() const { return FSurface->DC(); }

private:
  static constexpr int32_t Columns = 8;
  static constexpr size_t SlotCount = Columns * Columns;
  static constexpr int32_t Width = Columns * MaxGlyphSide;
  static TPoint SlotOrigin(int32_t Slot) { return {Slot % Columns * MaxGlyphSide, Slot / Columns * MaxGlyphSide}; }

  std::unique_ptr<TDibSurface> FSurface;
  std::unordered_map<uint32_t, int32_t> FSlots;
};

// GDI rejects coordinates much beyond 2^27; a glyph there is never visible.
bool InGdiRange(const TRect& R) {
  constexpr int32_t Limit = 1 << 27;
  return R.Left > -Limit && R.Top > -Limit && R.Right < Limit && R.Bottom < Limit;
}

}  // namespace

void DrawGlowText(TCanvas& Canvas, const TRect& Rect, const std::wstring& Text, int32_t BlurRadius, TColor Color,
                  UINT Format) {
  if (IsBlank(Text)) return;
  const int32_t w = Rect.Width(), h = Rect.Height();
  if (!DrawableSize(w, h)) return;
  HDC dc = Canvas.Handle();
  TDibSurface work(dc, w, h);
  TDibSurface mask(dc, w, h);
  Win32Check(BitBlt(work.DC(), 0, 0, w, h, dc, Rect.Left, Rect.Top, SRCCOPY), "BitBlt");

  // The mask starts white; the glyphs are black, so after the blur the red
  // channel is low near the text and the work pixels there move toward Color.
  std::memset(mask.Bits(), 0xFF, size_t(w) * size_t(h) * 4);
  {
    TSelectObject font(mask.DC(), Canvas.Font().Handle());
    SetBkMode(mask.DC(), TRANSPARENT);
    SetTextColor(mask.DC(), RGB(0, 0, 0));
    RECT r{0, 0, w, h};
    // DT_MODIFYSTRING would write the shortened text (up to four characters
    // longer) into the caller's read-only string.
    DrawTextW(mask.DC(), Text.c_str(), int(Text.size()), &r, Format & ~UINT(DT_MODIFYSTRING));
    GdiFlush();
  }
  BoxBlurChannels(mask.Bits(), w, h, 1);
  BoxBlurChannels(mask.Bits(), w, h, 1);
  PullTowardColor(work.Bits(), mask.Bits(), size_t(w) * size_t(h), ToColor32(Color), 2 * BlurRadius);
  Win32Check(BitBlt(dc, Rect.Left, Rect.Top, w, h, work.DC(), 0, 0, SRCCOPY), "BitBlt");
}

void FillAlpha(TGdiBitmap& Bitmap, uint8_t Alpha) {
  BITMAP bm{};
  if (!Bitmap || GetObjectW(Bitmap.Get(), sizeof bm, &bm) == 0) return;
  if (!DrawableSize(bm.bmWidth, bm.bmHeight)) return;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = bm.bmWidth;
  info.bmiHeader.biHeight = -bm.bmHeight;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  TGdiBitmap dib(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  Win32Check(dib && bits, "CreateDIBSection");
  const size_t n = size_t(bm.bmWidth) * size_t(bm.bmHeight);
  auto* p = static_cast<TColor32*>(bits);
  for (size_t i = 0; i < n; ++i) p[i] = TColor32(Alpha) << 24;
  Bitmap = std::move(dib);
}

void AlphaFillRect(HDC DC, const TRect& Rect, TColor Color, uint8_t Alpha) {
  const int32_t w = Rect.Width(), h = Rect.Height();
  if (!DC || !DrawableSize(w, h)) return;
  TDibSurface work(DC, w, h);
  const TColor32 c = ToColor32(Color);
  const size_t n = size_t(w) * size_t(h);
  for (size_t i = 0; i < n; ++i) work.Bits()[i] = c;
  GdiFlush();
  const BLENDFUNCTION blend{AC_SRC_OVER, 0, Alpha, 0};
  Win32Check(AlphaBlend(DC, Rect.Left, Rect.Top, w, h, work.DC(), 0, 0, w, h, blend), "AlphaBlend");
}

void DrawColorGlyph(HDC DC, const TRect& Cell, int32_t ColorIndex, TColor Background) {
  if (!DC || ColorIndex < 0 || ColorIndex >= GlyphCount) return;
  const TRect box = GlyphBox(Cell);
  if (IsRectEmpty(box) || !InGdiRange(box)) return;
  const TColor32 back = ToColor32(Background);
  static std::mutex lock;
  static TGlyphAtlas atlas;
  std::lock_guard<std::mutex> guard(lock);
  const TPoint at = atlas.Find(ColorIndex, box.Width(), back);
  Win32Check(BitBlt(DC, box.Left, box.Top, box.Width(), box.Height(), atlas.DC(), at.X, at.Y, SRCCOPY), "BitBlt");
}
