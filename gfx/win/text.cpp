// GDI text on the DIB-section backend: output, measuring, glyph outlines, and
// RenderText, which turns white GDI text on black into alpha coverage.
#include <algorithm>
#include <climits>
#include <cstdint>

#include "gfx/win/gdi_backend.h"

namespace {

class TCanvasLock {
public:
  explicit TCanvasLock(TCanvas& Canvas) : FCanvas(Canvas) { FCanvas.Lock(); }
  ~TCanvasLock() { FCanvas.Unlock(); }
  TCanvasLock(const TCanvasLock&) = delete;
  TCanvasLock& operator=(const TCanvasLock&) = delete;

private:
  TCanvas& FCanvas;
};

// The shared 8 x 8 bitmap, its DC and a canvas on it. Members are destroyed
// in reverse order: the canvas lets go of the DC, the DC of the bitmap.
struct TStockBitmap {
  TGdiBitmap Bitmap;
  TOwnedDC DC;
  TCanvas Canvas;
  TStockBitmap() : Bitmap(CreateBitmap(8, 8, 1, 32, nullptr)), DC(CreateCompatibleDC(nullptr)) {
    Win32Check(Bitmap && DC, "CreateCompatibleDC");
    SelectObject(DC.Get(), Bitmap.Get());
    Canvas.SetHandle(DC.Get());
  }
};

// DrawTextW writes the shortened text back into the buffer with
// DT_MODIFYSTRING; the text given here is the caller's and read-only.
constexpr uint32_t ReadOnlyTextFlags(uint32_t Flags) { return Flags & ~uint32_t(DT_MODIFYSTRING); }

int TextLength(const std::wstring& Text) { return int(std::min<size_t>(Text.size(), INT_MAX)); }

}  // namespace

TCanvas& StockBitmapCanvas() {
  static TStockBitmap stock;
  return stock.Canvas;
}

SIZE MeasureTextRect(TFont& Font, const wchar_t* Text, size_t N, uint32_t Flags) {
  TCanvas& canvas = StockBitmapCanvas();
  TCanvasLock lock(canvas);
  const auto font = Font.Resource();
  const TSelectObject select(canvas.Handle(), font->Get());
  RECT r{0, 0, 0, 0};
  DrawTextW(canvas.Handle(), Text, static_cast<int>(std::min<size_t>(N, INT_MAX)), &r,
            ReadOnlyTextFlags(Flags) | DT_CALCRECT);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

void SetFontQuality(TFont& Font, uint8_t Quality) {
  LOGFONTW lf{};
  lf.lfHeight = Font.Height();
  lf.lfWeight = (Font.Style() & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (Font.Style() & fsItalic) ? 1 : 0;
  lf.lfUnderline = (Font.Style() & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (Font.Style() & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = Font.Charset();
  lf.lfQuality = Quality;
  lf.lfOutPrecision = 0;
  lf.lfClipPrecision = 0;
  lf.lfPitchAndFamily = Font.Pitch() == fpVariable ? VARIABLE_PITCH : Font.Pitch() == fpFixed ? FIXED_PITCH : 0;
  const std::wstring face = lstrcmpiW(Font.Name().c_str(), L"Default") == 0 ? L"MS Sans Serif" : Font.Name();
  lstrcpynW(lf.lfFaceName, face.c_str(), LF_FACESIZE);
  TGdiFont handle(CreateFontIndirectW(&lf));
  Win32Check(bool(handle), "CreateFontIndirectW");
  Font.SetHandle(handle.Get());
  handle.Release();
}

// ---- TGDIBackend: text ------------------------------------------------------------

void TGDIBackend::TextoutW(int32_t X, int32_t Y, const std::wstring& Text) {
  UpdateFont();
  if (!OwnerMeasuring() && FHDC) {
    const bool clip = FOwner && FOwner->Clipping();
    const RECT rc = clip ? ToRECT(FOwner->ClipRect()) : RECT{};
    ExtTextOutW(FHDC.Get(), X, Y, clip ? ETO_CLIPPED : 0, clip ? &rc : nullptr, Text.c_str(), UINT(TextLength(Text)),
                nullptr);
    GdiFlush();
  }
  const SIZE extent = TextExtentW(Text);
  OwnerChanged({X, Y, X + extent.cx + 1, Y + extent.cy + 1});
}

void TGDIBackend::TextoutW(int32_t X, int32_t Y, const TRect& ClipRect, const std::wstring& Text) {
  UpdateFont();
  if (!OwnerMeasuring() && FHDC) {
    const RECT rc = ToRECT(ClipRect);
    ExtTextOutW(FHDC.Get(), X, Y, ETO_CLIPPED, &rc, Text.c_str(), UINT(TextLength(Text)), nullptr);
    GdiFlush();
  }
  const SIZE extent = TextExtentW(Text);
  OwnerChanged({X, Y, X + extent.cx + 1, Y + extent.cy + 1});
}

void TGDIBackend::TextoutW(TRect DstRect, uint32_t Flags, const std::wstring& Text) {
  UpdateFont();
  if (!OwnerMeasuring() && FHDC) {
    RECT rc = ToRECT(DstRect);
    DrawTextW(FHDC.Get(), Text.c_str(), TextLength(Text), &rc, ReadOnlyTextFlags(Flags));
    GdiFlush();
  }
  OwnerChanged(DstRect);
}

SIZE TGDIBackend::TextExtentW(const std::wstring& Text) {
  UpdateFont();
  SIZE size{0, 0};
  if (FHDC) {
    GetTextExtentPoint32W(FHDC.Get(), Text.c_str(), TextLength(Text), &size);
  } else {
    TCanvas& canvas = StockBitmapCanvas();
    TCanvasLock lock(canvas);
    const auto font = FFont->Resource();
    const TSelectObject select(canvas.Handle(), font->Get());
    GetTextExtentPoint32W(canvas.Handle(), Text.c_str(), TextLength(Text), &size);
  }
  return size;
}

void TGDIBackend::Textout(int32_t X, int32_t Y, const std::string& Text) { TextoutW(X, Y, Utf8ToWide(Text)); }
void TGDIBackend::Textout(int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text) {
  TextoutW(X, Y, ClipRect, Utf8ToWide(Text));
}
void TGDIBackend::Textout(TRect DstRect, uint32_t Flags, const std::string& Text) {
  TextoutW(DstRect, Flags, Utf8ToWide(Text));
}
SIZE TGDIBackend::TextExtent(const std::string& Text) { return TextExtentW(Utf8ToWide(Text)); }

// ---- TGDIBackend: glyph outlines -----------------------------------------------------

void TGDIBackend::CollectPath(TTextPath& Path, const std::function<void(HDC)>& Paint) {
  UpdateFont();
  auto collect = [&](HDC DC) {
    BeginPath(DC);
    Paint(DC);
    EndPath(DC);
    FlattenPath(DC);
    const int count = GetPath(DC, nullptr, nullptr, 0);
    if (count <= 0) return;
    std::vector<POINT> points(count);
    std::vector<BYTE> types(count);
    if (GetPath(DC, points.data(), types.data(), count) != count) return;
    for (int i = 0; i < count; ++i) {
      if ((types[i] & ~PT_CLOSEFIGURE) == PT_MOVETO || Path.Contours.empty()) Path.Contours.emplace_back();
      Path.Contours.back().push_back({TFloat(points[i].x), TFloat(points[i].y)});
    }
  };
  if (FHDC) {
    collect(FHDC.Get());
  } else {
    TCanvas& canvas = StockBitmapCanvas();
    TCanvasLock lock(canvas);
    const auto font = FFont->Resource();
    const TSelectObject select(canvas.Handle(), font->Get());
    const int mode = SetBkMode(canvas.Handle(), TRANSPARENT);
    collect(canvas.Handle());
    SetBkMode(canvas.Handle(), mode);
  }
}

void TGDIBackend::TextToPath(TTextPath& Path, TFloat X, TFloat Y, const std::wstring& Text) {
  CollectPath(Path, [&](HDC DC) {
    ExtTextOutW(DC, int(X), int(Y), 0, nullptr, Text.c_str(), UINT(TextLength(Text)), nullptr);
  });
}

void TGDIBackend::TextToPath(TTextPath& Path, const TFloatRect& DstRect, const std::wstring& Text, uint32_t Flags) {
  CollectPath(Path, [&](HDC DC) {
    RECT rc{int(DstRect.Left), int(DstRect.Top), int(DstRect.Right), int(DstRect.Bottom)};
    DrawTextW(DC, Text.c_str(), TextLength(Text), &rc, ReadOnlyTextFlags(Flags));
  });
}

TFloatRect TGDIBackend::MeasureText(const TFloatRect& DstRect, const std::wstring& Text, uint32_t Flags) {
  UpdateFont();
  RECT rc{int(DstRect.Left), int(DstRect.Top), int(DstRect.Right), int(DstRect.Bottom)};
  const uint32_t flags = ReadOnlyTextFlags(Flags) | DT_CALCRECT;
  if (FHDC) {
    DrawTextW(FHDC.Get(), Text.c_str(), TextLength(Text), &rc, flags);
  } else {
    TCanvas& canvas = StockBitmapCanvas();
    TCanvasLock lock(canvas);
    const auto font = FFont->Resource();
    const TSelectObject select(canvas.Handle(), font->Get());
    DrawTextW(canvas.Handle(), Text.c_str(), TextLength(Text), &rc, flags);
  }
  return {TFloat(rc.left), TFloat(rc.top), TFloat(rc.right), TFloat(rc.bottom)};
}

// ---- TBitmap32 text operations ----------------------------------------------------------

namespace {

ITextSupport& TextBackend(const TCustomBitmap32& Bitmap) { return SupportsInterface<ITextSupport>(Bitmap.Backend()); }

// Sets the font back to the default quality when the text operation ends.
class TQualityRestore {
public:
  explicit TQualityRestore(TFont& Font) : FFont(Font) {}
  ~TQualityRestore() {
    try {
      SetFontQuality(FFont, DEFAULT_QUALITY);
    } catch (const Exception&) {
      // Out of GDI objects: the font keeps the rendering quality, which only
      // changes how later text looks.
    }
  }
  TQualityRestore(const TQualityRestore&) = delete;
  TQualityRestore& operator=(const TQualityRestore&) = delete;

private:
  TFont& FFont;
};

// A temporary bitmap with the given font in white at Quality. Copying a font
// copies its properties, not its handle, so the quality is set again here.
void PrepareTextBuffer(TBitmap32& Buffer, TFont& Source, int32_t HeightScale, uint8_t Quality) {
  TFont& font = Font(Buffer);
  font.Assign(&Source);
  font.SetHeight(Source.Height() * HeightScale);
  font.SetColor(clWhite);
  SetFontQuality(font, Quality);
}

// White text on black becomes coverage: the blue byte is the alpha, the
// colour channels are the text colour; untouched pixels stay 0.
void AlphaFromWhiteText(TCustomBitmap32& Buffer, TColor32 Color) {
  const TColor32 rgb = Color & 0x00FFFFFF;
  TColor32* p = Buffer.Bits();
  for (int64_t i = 0, n = int64_t(Buffer.Width()) * Buffer.Height(); i < n; ++i)
    if (p[i] != 0) p[i] = ((p[i] & 0xFF) << 24) | rgb;
}

// Each pixel of Small takes the mean blue byte of its 2^L x 2^L block of Big as alpha.
void AlphaFromSupersampled(const TCustomBitmap32& Big, TCustomBitmap32& Small, int32_t L, TColor32 Color) {
  const TColor32 rgb = Color & 0x00FFFFFF;
  const int32_t block = 1 << L;
  for (int32_t y = 0; y < Small.Height(); ++y) {
    TColor32* dst = Small.ScanLine(y);
    for (int32_t x = 0; x < Small.Width(); ++x) {
      uint32_t sum = 0;
      for (int32_t by = 0; by < block; ++by) {
        const TColor32* src = Big.ScanLine((y << L) + by) + (x << L);
        for (int32_t bx = 0; bx < block; ++bx) sum += src[bx] & 0xFF;
      }
      dst[x] = (((sum >> L) >> L) << 24) | rgb;
    }
  }
}

// Lays the coverage bitmap onto Dst with Dst's combine mode and the colour's alpha.
void LayOn(TCustomBitmap32& Dst, TBitmap32& Text, int32_t X, int32_t Y, uint32_t Alpha) {
  Text.SetDrawMode(dmBlend);
  Text.SetMasterAlpha(Alpha);
  Text.SetCombineMode(Dst.CombineMode());
  Text.DrawTo(&Dst, X, Y);
}

// The part of a W x H box placed at (X, Y) that lies on Dst. Text outside the
// bitmap is never seen, so the temporary bitmaps only cover this part: a long
// string or a large rectangle then costs no more memory than the bitmap.
TRect VisiblePart(const TCustomBitmap32& Dst, int64_t X, int64_t Y, int64_t W, int64_t H) {
  const int64_t l = std::max<int64_t>(X, 0), t = std::max<int64_t>(Y, 0);
  const int64_t r = std::min<int64_t>(X + W, Dst.Width()), b = std::min<int64_t>(Y + H, Dst.Height());
  if (r <= l || b <= t) return {};
  return {int32_t(l), int32_t(t), int32_t(r), int32_t(b)};
}

// The text box's extent decides the size of the temporary bitmaps. The narrow
// form adds 2^L pixels and limits the unsupersampled box to the bitmap's size;
// the wide form rounds the supersampled box up to whole blocks.
void RenderTextAt(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::wstring& Text, int32_t AALevel,
                  TColor32 Color, bool WideForm) {
  if (Bitmap.Empty()) return;
  const uint32_t alpha = Color >> 24;
  AALevel = std::clamp(AALevel, -1, 4);
  TFont& font = Font(Bitmap);
  const uint8_t quality = AALevel < 0 ? ANTIALIASED_QUALITY : NONANTIALIASED_QUALITY;
  SetFontQuality(font, quality);
  TQualityRestore restore(font);
  const std::wstring measured = Text + L' ';

  TBitmap32 buffer(NewBackend<TGDIBackend>);
  TRect visible;
  if (AALevel > 0) {
    const int32_t L = AALevel, block = 1 << L;
    TBitmap32 big(NewBackend<TGDIBackend>);
    PrepareTextBuffer(big, font, block, quality);
    const SIZE extent = TextExtentW(big, measured);
    int64_t w, h;
    if (WideForm) {
      w = ((int64_t(extent.cx) >> L) + 1) << L;
      h = ((int64_t(extent.cy) >> L) + 1) << L;
    } else {
      w = int64_t(extent.cx) + block;
      h = int64_t(extent.cy) + block;
    }
    visible = VisiblePart(Bitmap, X, Y, w >> L, h >> L);
    if (IsRectEmpty(visible)) return;
    big.SetSize(visible.Width() << L, visible.Height() << L);
    big.Clear(0);
    TextoutW(big, (X - visible.Left) << L, (Y - visible.Top) << L, Text);
    GdiFlush();
    buffer.SetSize(visible.Width(), visible.Height());
    AlphaFromSupersampled(big, buffer, L, Color);
  } else {
    SIZE extent = TextExtentW(Bitmap, measured);
    if (!WideForm) {
      extent.cx = std::min<LONG>(extent.cx, Bitmap.Width());
      extent.cy = std::min<LONG>(extent.cy, Bitmap.Height());
    }
    visible = VisiblePart(Bitmap, X, Y, extent.cx, extent.cy);
    if (IsRectEmpty(visible)) return;
    buffer.SetSize(visible.Width(), visible.Height());
    PrepareTextBuffer(buffer, font, 1, quality);
    buffer.Clear(0);
    // Keep the glyphs inside the measured box even where it was cut to the bitmap.
    const TRect box{X - visible.Left, Y - visible.Top, X - visible.Left + extent.cx, Y - visible.Top + extent.cy};
    TextoutW(buffer, X - visible.Left, Y - visible.Top, box, Text);
    AlphaFromWhiteText(buffer, Color);
  }
  LayOn(Bitmap, buffer, visible.Left, visible.Top, alpha);
}

void RenderTextInRect(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text,
                      uint8_t Quality, TColor32 Color) {
  const TRect visible = VisiblePart(Bitmap, DstRect.Left, DstRect.Top, int64_t(DstRect.Right) - DstRect.Left,
                                    int64_t(DstRect.Bottom) - DstRect.Top);
  if (IsRectEmpty(visible)) return;
  TBitmap32 buffer(NewBackend<TGDIBackend>);
  buffer.SetSize(visible.Width(), visible.Height());
  PrepareTextBuffer(buffer, Font(Bitmap), 1, Quality);
  buffer.Clear(0);
  // Laid out in the whole rectangle, drawn only where it is visible.
  TRect layout = DstRect;
  OffsetRect(layout, -visible.Left, -visible.Top);
  TextoutW(buffer, layout, Flags, Text);
  AlphaFromWhiteText(buffer, Color);
  LayOn(Bitmap, buffer, visible.Left, visible.Top, Color >> 24);
}

}  // namespace

void Textout(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::string& Text) {
  TextBackend(Bitmap).Textout(X, Y, Text);
}
void Textout(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const TRect& ClipRect, const std::string& Text) {
  TextBackend(Bitmap).Textout(X, Y, ClipRect, Text);
}
void Textout(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::string& Text) {
  TextBackend(Bitmap).Textout(DstRect, Flags, Text);
}
void TextoutW(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::wstring& Text) {
  TextBackend(Bitmap).TextoutW(X, Y, Text);
}
void TextoutW(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const TRect& ClipRect, const std::wstring& Text) {
  TextBackend(Bitmap).TextoutW(X, Y, ClipRect, Text);
}
void TextoutW(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text) {
  TextBackend(Bitmap).TextoutW(DstRect, Flags, Text);
}
SIZE TextExtent(TCustomBitmap32& Bitmap, const std::string& Text) { return TextBackend(Bitmap).TextExtent(Text); }
SIZE TextExtentW(TCustomBitmap32& Bitmap, const std::wstring& Text) { return TextBackend(Bitmap).TextExtentW(Text); }
int32_t TextWidth(TCustomBitmap32& Bitmap, const std::string& Text) { return TextExtent(Bitmap, Text).cx; }
int32_t TextHeight(TCustomBitmap32& Bitmap, const std::string& Text) { return TextExtent(Bitmap, Text).cy; }
int32_t TextWidthW(TCustomBitmap32& Bitmap, const std::wstring& Text) { return TextExtentW(Bitmap, Text).cx; }
int32_t TextHeightW(TCustomBitmap32& Bitmap, const std::wstring& Text) { return TextExtentW(Bitmap, Text).cy; }

void RenderText(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::string& Text, int32_t AALevel,
                TColor32 Color) {
  RenderTextAt(Bitmap, X, Y, Utf8ToWide(Text), AALevel, Color, false);
}

void RenderTextW(TCustomBitmap32& Bitmap, int32_t X, int32_t Y, const std::wstring& Text, int32_t AALevel,
                 TColor32 Color) {
  RenderTextAt(Bitmap, X, Y, Text, AALevel, Color, true);
}

void RenderText(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text,
                TColor32 Color) {
  if (Bitmap.Empty()) return;
  SetFontQuality(Font(Bitmap), NONANTIALIASED_QUALITY);
  RenderTextInRect(Bitmap, DstRect, Flags, Text, NONANTIALIASED_QUALITY, Color);
}

void RenderText(TCustomBitmap32& Bitmap, const TRect& DstRect, uint32_t Flags, const std::wstring& Text,
                int32_t AALevel, TColor32 Color) {
  if (Bitmap.Empty()) return;
  TFont& font = Font(Bitmap);
  const uint8_t quality = uint8_t(std::clamp(AALevel, 0, 255));
  SetFontQuality(font, quality);
  TQualityRestore restore(font);
  RenderTextInRect(Bitmap, DstRect, Flags, Text, quality, Color);
}
