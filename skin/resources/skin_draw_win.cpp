#include "skin/resources/skin_draw_win.h"

#include <cstring>

#include "gfx/color32.h"
#include "skin/resources/image_decode.h"
#include "skin/resources/skin_draw.h"

namespace {

// A top-down 32-bit DIB section selected into its own memory DC.
class TDibSurface {
public:
  TDibSurface(HDC Compatible, int32_t Width, int32_t Height) : FDC(Compatible) {
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
  ~TDibSurface() { FSelect.reset(); }
  TDibSurface(const TDibSurface&) = delete;
  TDibSurface& operator=(const TDibSurface&) = delete;

  HDC DC() const { return FDC.Get(); }
  TColor32* Bits() const { return FBits; }

private:
  TMemoryDC FDC;
  TGdiBitmap FBitmap;
  TColor32* FBits = nullptr;
  std::unique_ptr<TSelectObject> FSelect;
};

bool IsBlank(const std::wstring& Text) {
  for (wchar_t c : Text)
    if (c > L' ') return false;
  return true;
}

bool DrawableSize(int64_t W, int64_t H) {
  return W > 0 && H > 0 && W <= MaxImageSide && H <= MaxImageSide && W * H * 4 <= MaxImageBytes;
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
