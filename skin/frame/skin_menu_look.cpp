#include "skin/frame/skin_menu_look.h"

#include <algorithm>
#include <cmath>

#include "gfx/blend.h"

namespace {

TRect Intersect(const TRect& A, const TRect& B) {
  TRect r{std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom)};
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  return r;
}

// Src laid over Dst at (X, Y), clipped to Dst: opaque pixels replace, transparent
// ones leave Dst, the others blend by their alpha (Dst keeps its own).
void BlendOnto(const TCustomBitmap32& Src, TBitmap32& Dst, int32_t X, int32_t Y) {
  if (Src.Empty() || Dst.Empty()) return;
  const TRect target = Intersect(TRect{X, Y, X + Src.Width(), Y + Src.Height()}, TRect{0, 0, Dst.Width(), Dst.Height()});
  for (int32_t y = target.Top; y < target.Bottom; ++y) {
    const TColor32* s = Src.Bits() + (y - Y) * Src.Width() + (target.Left - X);
    TColor32* d = Dst.ScanLine(y) + target.Left;
    for (int32_t x = target.Left; x < target.Right; ++x, ++s, ++d) {
      const uint32_t a = *s >> 24;
      if (a == 0xFF)
        *d = *s;
      else if (a != 0)
        *d = BlendPixel(*s, *d);
    }
  }
  Dst.Changed();
}

const TCustomBitmap32* Frame(const TVelSkinImages* Frames, int32_t Index) {
  if (!Frames || Index < 0 || Index >= static_cast<int32_t>(Frames->size())) return nullptr;
  return (*Frames)[Index].get();
}

}  // namespace

int32_t TMenuLookMetrics::S(int32_t N) const {
  return Scale == 1 ? N : static_cast<int32_t>(std::lround(N * Scale));
}

void MeasureMenuItem(const TMenuLookMetrics& M, bool Separator, int32_t TextWidth, int32_t HilightHeight,
                     TMenuItemPlace Place, int32_t& Width, int32_t& Height) {
  const int32_t bo = M.BorderOffset;
  if (Separator) {
    Height = M.S(3);
    return;
  }
  Width = TextWidth + M.GlyphBarWidth + 2 * bo;
  if (HilightHeight >= 0) Height = HilightHeight + bo / 2;
  if (Place.First && Place.Last)
    Height += bo;
  else if (Place.First || Place.Last)
    Height += bo / 2;
}

TMenuItemLayout LayoutMenuItem(const TMenuLookMetrics& M, const TRect& ItemRect, TPoint ClientOffset,
                               TMenuItemPlace Place) {
  const int32_t bo = M.BorderOffset;
  TMenuItemLayout L;
  L.Item = TRect{ItemRect.Left + ClientOffset.X, ItemRect.Top + ClientOffset.Y, ItemRect.Right + ClientOffset.X,
                 ItemRect.Bottom + ClientOffset.Y};
  L.Content = L.Item;
  if (Place.First) L.Content.Top += bo / 2;
  if (Place.Last) L.Content.Bottom -= bo / 2;
  if (L.Content.Bottom < L.Content.Top) L.Content.Bottom = L.Content.Top;
  const TRect& c = L.Content;
  L.GlyphBar = TRect{c.Left, c.Top, c.Left + M.GlyphBarWidth, c.Bottom};
  L.Text = TRect{L.GlyphBar.Right + M.S(1), c.Top, c.Right - 2 * bo, c.Bottom};
  L.ShortCut = TRect{L.Text.Left, L.Text.Top, L.Text.Right - M.S(4), L.Text.Bottom};
  L.Hilight = TRect{c.Left + bo / 2 + M.S(1), c.Top + M.S(1), c.Right - bo / 2 - M.S(1), c.Bottom - M.S(1)};
  const int32_t lineY = L.Text.Top + M.S(1);
  L.Line = TRect{L.Hilight.Left, lineY, L.Hilight.Right - M.S(1), lineY + 1};
  return L;
}

TPoint MenuArrowPos(const TMenuLookMetrics& M, const TMenuItemLayout& L, int32_t ArrowWidth, int32_t ArrowHeight) {
  const TRect& c = L.Content;
  const double y = (c.Bottom - c.Top - ArrowHeight) / 2.0 + c.Top;
  return TPoint{c.Right - ArrowWidth - M.S(4) - M.BorderOffset, static_cast<int32_t>(std::lround(y))};
}

TPoint MenuCheckPos(const TMenuLookMetrics& M, const TMenuItemLayout& L, int32_t CheckWidth, int32_t CheckHeight) {
  const TPoint p = MenuGlyphPos(L, CheckWidth, CheckHeight);
  return TPoint{p.X + M.S(1), p.Y + M.S(1)};
}

TPoint MenuGlyphPos(const TMenuItemLayout& L, int32_t GlyphWidth, int32_t GlyphHeight) {
  const TRect& g = L.GlyphBar;
  return TPoint{g.Left + (g.Right - g.Left - GlyphWidth) / 2, g.Top + (g.Bottom - g.Top - GlyphHeight) / 2};
}

int32_t MenuFrameIndex(bool Selected, bool Enabled) {
  if (!Enabled) return 2;
  return Selected ? 1 : 0;
}

void PaintMenuItem(const TMenuLookMetrics& M, TBitmap32& Window, const TBitmap32& Background,
                   const TMenuItemLayout& L, const TMenuItemLook& Look, const TMenuLookImages& Images) {
  if (Window.Empty()) return;
  const TRect bounds{0, 0, Window.Width(), Window.Height()};
  const TRect item = Intersect(Intersect(L.Item, bounds), TRect{0, 0, Background.Width(), Background.Height()});
  for (int32_t y = item.Top; y < item.Bottom; ++y)
    std::copy_n(Background.ScanLine(y) + item.Left, item.Right - item.Left, Window.ScanLine(y) + item.Left);

  if (Look.Separator) {
    const TRect line = Intersect(L.Line, bounds);
    if (line.Right > line.Left && line.Bottom > line.Top)
      Window.FillRect(line.Left, line.Top, line.Right, line.Bottom, Images.LineColor);
    Window.Changed();
    return;
  }
  const bool selected = Look.Selected && Look.Enabled;
  const int32_t hw = L.Hilight.Right - L.Hilight.Left, hh = L.Hilight.Bottom - L.Hilight.Top;
  if (selected && Images.Hilight && hw > 0 && hh > 0)
    if (auto hilight = ResizeAutoStretch(Images.Hilight, hw, hh)) BlendOnto(*hilight, Window, L.Hilight.Left, L.Hilight.Top);

  const int32_t frame = MenuFrameIndex(Look.Selected, Look.Enabled);
  if (Look.HasSubItems) {
    if (const TCustomBitmap32* arrow = Frame(Images.Arrow, frame)) {
      const TPoint p = MenuArrowPos(M, L, arrow->Width(), arrow->Height());
      BlendOnto(*arrow, Window, p.X, p.Y);
    }
  } else if (Look.Checked && !Images.Glyph) {
    if (const TCustomBitmap32* check = Frame(Look.Radio ? Images.Radio : Images.Check, frame)) {
      const TPoint p = MenuCheckPos(M, L, check->Width(), check->Height());
      BlendOnto(*check, Window, p.X, p.Y);
    }
  }
  if (Images.Glyph) {
    const TPoint p = MenuGlyphPos(L, Images.Glyph->Width(), Images.Glyph->Height());
    BlendOnto(*Images.Glyph, Window, p.X, p.Y);
  }
  Window.Changed();
}

void PremultiplyPixels(const TColor32* Src, uint32_t* Dst, size_t Count) {
  for (size_t i = 0; i < Count; ++i) {
    const uint32_t c = Src[i], a = c >> 24;
    auto mul = [a](uint32_t v) { return (v * a + 127) / 255; };
    Dst[i] = (a << 24) | (mul((c >> 16) & 0xFF) << 16) | (mul((c >> 8) & 0xFF) << 8) | mul(c & 0xFF);
  }
}
