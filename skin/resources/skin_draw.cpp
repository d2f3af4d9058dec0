#include "skin/resources/skin_draw.h"

#include "toolkit/core/scope.h"

#include <algorithm>
#include <cstring>

namespace {

bool Valid(const TCustomBitmap32* B) { return B && !B->Empty(); }

// Src's DrawTo for a part: 1:1 when the sizes agree, else stretched. Empty
// parts (a destination smaller than the corners) draw nothing.
void DrawPart(const TCustomBitmap32* Src, TCustomBitmap32* Dst, const TRect& SrcRect, const TRect& DstRect) {
  if (IsRectEmpty(SrcRect) || IsRectEmpty(DstRect)) return;
  if (SrcRect.Width() == DstRect.Width() && SrcRect.Height() == DstRect.Height())
    Src->DrawTo(Dst, DstRect.Left, DstRect.Top, SrcRect);
  else
    Src->DrawTo(Dst, DstRect, SrcRect);
}

}  // namespace

void StretchCopy(const TCustomBitmap32* Src, const TRect& SrcRect, TCustomBitmap32* Dst, const TRect& DstRect) {
  if (!Valid(Src) || !Valid(Dst) || IsRectEmpty(SrcRect) || IsRectEmpty(DstRect)) return;
  TRect clip;
  if (!IntersectRect(clip, DstRect, Dst->BoundsRect())) return;
  const int64_t sw = SrcRect.Width(), sh = SrcRect.Height();
  const int64_t dw = DstRect.Width(), dh = DstRect.Height();
  for (int32_t y = clip.Top; y < clip.Bottom; ++y) {
    const int64_t sy = SrcRect.Top + ((2 * int64_t(y - DstRect.Top) + 1) * sh) / (2 * dh);
    if (sy < 0 || sy >= Src->Height()) continue;
    const TColor32* srow = Src->ScanLine(int32_t(sy));
    TColor32* drow = Dst->ScanLine(y);
    for (int32_t x = clip.Left; x < clip.Right; ++x) {
      const int64_t sx = SrcRect.Left + ((2 * int64_t(x - DstRect.Left) + 1) * sw) / (2 * dw);
      if (sx >= 0 && sx < Src->Width()) drow[x] = srow[sx];
    }
  }
  Dst->Changed(clip);
}

void TileBand(const TCustomBitmap32* Src, const TRect& SrcBand, TCustomBitmap32* Dst, const TRect& DstBand) {
  if (IsRectEmpty(SrcBand) || IsRectEmpty(DstBand)) return;
  if (SrcBand.Width() == DstBand.Width()) {
    const int32_t step = std::max(SrcBand.Height(), 1);
    for (int32_t y = DstBand.Top; y < DstBand.Bottom; y += step) {
      const int32_t h = std::min(SrcBand.Height(), DstBand.Bottom - y);
      Src->DrawTo(Dst, DstBand.Left, y, MakeRect(SrcBand.Left, SrcBand.Top, SrcBand.Right, SrcBand.Top + h));
    }
  } else if (SrcBand.Height() == DstBand.Height()) {
    const int32_t step = std::max(SrcBand.Width(), 1);
    for (int32_t x = DstBand.Left; x < DstBand.Right; x += step) {
      const int32_t w = std::min(SrcBand.Width(), DstBand.Right - x);
      Src->DrawTo(Dst, x, DstBand.Top, MakeRect(SrcBand.Left, SrcBand.Top, SrcBand.Left + w, SrcBand.Bottom));
    }
  }
}

void Draw9Block(const TCustomBitmap32* Src, TCustomBitmap32* Dst, const TRect& Centre, bool Opaque) {
  if (!Valid(Src) || !Valid(Dst)) return;
  const int32_t sw = Src->Width(), sh = Src->Height();
  const int32_t dw = Dst->Width(), dh = Dst->Height();
  const int32_t l = Centre.Left, t = Centre.Top, r = Centre.Right, b = Centre.Bottom;
  const int32_t r2 = dw - (sw - r), b2 = dh - (sh - b);

  struct TPart {
    TRect S, D;
    bool Tiled;
  };
  const TPart parts[9] = {
      {{l, t, r, b}, {l, t, r2, b2}, false},
      {{0, t, l, b}, {0, t, l, b2}, false},
      {{l, 0, r, t}, {l, 0, r2, t}, true},
      {{r, t, sw, b}, {r2, t, dw, b2}, false},
      {{l, b, r, sh}, {l, b2, r2, dh}, true},
      {{0, 0, l, t}, {0, 0, l, t}, false},
      {{r, 0, sw, t}, {r2, 0, dw, t}, false},
      {{0, b, l, sh}, {0, b2, l, dh}, false},
      {{r, b, sw, sh}, {r2, b2, dw, dh}, false},
  };
  for (const TPart& p : parts) {
    if (Opaque)
      StretchCopy(Src, p.S, Dst, p.D);
    else if (p.Tiled)
      TileBand(Src, p.S, Dst, p.D);
    else
      DrawPart(Src, Dst, p.S, p.D);
  }
}

TRect AutoStretchCentre(int32_t SrcWidth, int32_t SrcHeight, int32_t DstWidth, int32_t DstHeight) {
  int32_t l = std::max(SrcWidth / 3, 1), t = std::max(SrcHeight / 3, 1);
  const int32_t r = 2 * l, b = 2 * t;
  // An equal height wins over an equal width: the centre then keeps its
  // horizontal thirds and only loses its vertical division.
  if (DstHeight == SrcHeight) return {l, 0, r, 0};
  if (DstWidth == SrcWidth) return {0, t, 0, b};
  return {l, t, r, b};
}

void DrawAutoStretch(const TCustomBitmap32* Src, TCustomBitmap32* Dst, bool Opaque) {
  if (!Valid(Src) || !Dst) return;
  Draw9Block(Src, Dst, AutoStretchCentre(Src->Width(), Src->Height(), Dst->Width(), Dst->Height()), Opaque);
}

void TileImage(const TCustomBitmap32* Src, TCustomBitmap32* Dst, int32_t X, int32_t Y) {
  if (!Valid(Src) || !Dst) return;
  const int32_t sw = std::max(Src->Width(), 1), sh = std::max(Src->Height(), 1);
  {
    Dst->Lock();
    TScopeExit unlock([Dst] { Dst->Unlock(); });
    TUpdateScope update(*Dst);
    for (int32_t r = 0; r <= Dst->Height() / sh; ++r)
      for (int32_t c = 0; c <= Dst->Width() / sw; ++c) Src->DrawTo(Dst, X + c * sw, Y + r * sh);
  }
  Dst->Changed();
}

void DrawPngFill(const TCustomBitmap32* Src, TCustomBitmap32* Dst, TVelPngFillType FillType) {
  if (!Valid(Src) || !Dst) return;
  switch (FillType) {
    case ftNormal: Src->DrawTo(Dst, 0, 0); break;
    case ftTile: TileImage(Src, Dst, 0, 0); break;
    case ftAutoStretch: DrawAutoStretch(Src, Dst, false); break;
    case ftCenter: Src->DrawTo(Dst, (Dst->Width() - Src->Width()) / 2, (Dst->Height() - Src->Height()) / 2); break;
    case ftStretch: Src->DrawTo(Dst, Dst->BoundsRect()); break;
    case ftGradient: break;
  }
}

std::unique_ptr<TVelSkinImage> ResizeAutoStretch(const TCustomBitmap32* Src, int32_t W, int32_t H) {
  if (!Src) return nullptr;
  auto copy = std::make_unique<TVelSkinImage>();
  Src->CopyPropertiesTo(copy.get());
  copy->SetSize(W, H);
  DrawAutoStretch(Src, copy.get(), true);
  return copy;
}

std::unique_ptr<TVelSkinImage> CropCentreBand(const TCustomBitmap32* Src, int32_t H, int32_t W) {
  if (!Src) return nullptr;
  auto result = std::make_unique<TVelSkinImage>();
  const int32_t top = (Src->Height() - H) / 2;
  if (H <= 0 || W <= 0 || top < 0 || top + H > Src->Height() || W > Src->Width()) {
    result->Assign(const_cast<TCustomBitmap32*>(Src));
    return result;
  }
  Src->CopyPropertiesTo(result.get());
  result->SetSize(W, H);
  for (int32_t y = 0; y < H; ++y) std::memcpy(result->ScanLine(y), Src->ScanLine(top + y), size_t(W) * 4);
  result->Changed();
  return result;
}

namespace {

// One frame per rectangle, each cut by the eight-pass transformation.
void SplitByRects(TCustomBitmap32* Src, const std::vector<TRect>& Rects, TVelSkinImages& Frames) {
  Frames.clear();
  for (const TRect& r : Rects) {
    auto frame = std::make_unique<TVelSkinImage>();
    CutRect(Src, r, frame.get(), 0x00000000);
    Frames.push_back(std::move(frame));
  }
}

void SplitEqual(TCustomBitmap32* Src, int32_t N, bool Rows, TVelSkinImages& Frames) {
  Frames.clear();
  if (!Valid(Src) || N <= 0) return;
  std::vector<TRect> rects;
  const int32_t step = (Rows ? Src->Height() : Src->Width()) / N;
  for (int32_t i = 0; i < N; ++i)
    rects.push_back(Rows ? MakeRect(0, i * step, Src->Width(), (i + 1) * step)
                         : MakeRect(i * step, 0, (i + 1) * step, Src->Height()));
  SplitByRects(Src, rects, Frames);
}

}  // namespace

void SplitColumns(TCustomBitmap32* Src, int32_t N, TVelSkinImages& Frames) { SplitEqual(Src, N, false, Frames); }

void SplitRows(TCustomBitmap32* Src, int32_t N, TVelSkinImages& Frames) { SplitEqual(Src, N, true, Frames); }

void SplitEdges(TCustomBitmap32* Src, int32_t Edge, TVelSkinImages& Frames) {
  if (!Valid(Src) || Edge <= 0 || Edge >= Src->Width() / 3) {
    SplitColumns(Src, 3, Frames);
    return;
  }
  const int32_t w = Src->Width(), h = Src->Height();
  SplitByRects(Src, {MakeRect(0, 0, Edge, h), MakeRect(Edge, 0, w - Edge, h), MakeRect(w - Edge, 0, w, h)}, Frames);
}

namespace {

void CopyWhole(const TCustomBitmap32* Piece, TCustomBitmap32* Dst, const TRect& DstRect) {
  if (Piece) StretchCopy(Piece, Piece->BoundsRect(), Dst, DstRect);
}

std::unique_ptr<TVelSkinImage> NewLike(const TCustomBitmap32* Src, int32_t W, int32_t H) {
  auto result = std::make_unique<TVelSkinImage>();
  Src->CopyPropertiesTo(result.get());
  result->SetSize(W, H);
  result->Clear(0);
  return result;
}

}  // namespace

std::unique_ptr<TVelSkinImage> StretchHorz3(TCustomBitmap32* Src, int32_t W, int32_t Edge) {
  if (!Src) return nullptr;
  const int32_t h = Src->Height();
  auto result = NewLike(Src, W, h);
  TVelSkinImages cols;
  if (Edge > 0)
    SplitEdges(Src, Edge, cols);
  else
    SplitColumns(Src, 3, cols);
  if (cols.size() != 3 || result->Empty()) return result;
  const int32_t lw = cols[0]->Width(), rw = cols[2]->Width();
  if (lw < W) {
    CopyWhole(cols[0].get(), result.get(), MakeRect(0, 0, lw, h));
    if (Edge <= 0 || Edge + 3 < W) {
      CopyWhole(cols[1].get(), result.get(), MakeRect(lw, 0, W - rw, h));
      CopyWhole(cols[2].get(), result.get(), MakeRect(W - rw, 0, W, h));
    }
  } else {
    CopyWhole(cols[0].get(), result.get(), MakeRect(0, 0, W, h));
  }
  return result;
}

std::unique_ptr<TVelSkinImage> StretchVert3(TCustomBitmap32* Src, int32_t H) {
  if (!Src) return nullptr;
  const int32_t w = Src->Width();
  auto result = NewLike(Src, w, H);
  TVelSkinImages rows;
  SplitRows(Src, 3, rows);
  if (rows.size() != 3 || result->Empty()) return result;
  const int32_t th = rows[0]->Height(), mh = rows[1]->Height(), bh = rows[2]->Height();
  if (mh < H) {
    CopyWhole(rows[0].get(), result.get(), MakeRect(0, 0, w, th));
    CopyWhole(rows[2].get(), result.get(), MakeRect(0, H - bh, w, H));
    CopyWhole(rows[1].get(), result.get(), MakeRect(0, th, w, H - bh));
  } else {
    CopyWhole((H <= 3 ? rows[0] : rows[1]).get(), result.get(), MakeRect(0, 0, w, H));
  }
  return result;
}

// ---- Text glow arithmetic --------------------------------------------------------

void BoxBlurChannels(TColor32* Pixels, int32_t Width, int32_t Height, int32_t Radius) {
  if (!Pixels || Width <= 0 || Height <= 0 || Radius <= 0) return;
  const int32_t span = 2 * Radius + 1;
  std::vector<TColor32> line(size_t(std::max(Width, Height)));
  // One pass along a line of Count pixels Stride apart, with a running sum per channel.
  auto pass = [&](TColor32* First, int32_t Count, int32_t Stride) {
    for (int32_t i = 0; i < Count; ++i) line[size_t(i)] = First[int64_t(i) * Stride];
    auto at = [&](int32_t i) { return line[size_t(std::clamp(i, 0, Count - 1))]; };
    int32_t sr = 0, sg = 0, sb = 0;
    for (int32_t k = -Radius; k <= Radius; ++k) {
      const TColor32 c = at(k);
      sr += RedOf(c), sg += GreenOf(c), sb += BlueOf(c);
    }
    for (int32_t i = 0; i < Count; ++i) {
      TColor32& d = First[int64_t(i) * Stride];
      d = (d & 0xFF000000u) | (TColor32(sr / span) << 16) | (TColor32(sg / span) << 8) | TColor32(sb / span);
      const TColor32 out = at(i - Radius), in = at(i + Radius + 1);
      sr += RedOf(in) - RedOf(out), sg += GreenOf(in) - GreenOf(out), sb += BlueOf(in) - BlueOf(out);
    }
  };
  for (int32_t y = 0; y < Height; ++y) pass(Pixels + int64_t(y) * Width, Width, 1);
  for (int32_t x = 0; x < Width; ++x) pass(Pixels + x, Height, Width);
}

void PullTowardColor(TColor32* Work, const TColor32* Mask, size_t Count, TColor32 Color, int32_t Times) {
  if (!Work || !Mask) return;
  const int32_t cr = RedOf(Color), cg = GreenOf(Color), cb = BlueOf(Color);
  for (int32_t n = 0; n < Times; ++n)
    for (size_t i = 0; i < Count; ++i) {
      const int32_t m = RedOf(Mask[i]);
      const TColor32 p = Work[i];
      const int32_t r = (RedOf(p) - cr) * m / 256 + cr;
      const int32_t g = (GreenOf(p) - cg) * m / 256 + cg;
      const int32_t b = (BlueOf(p) - cb) * m / 256 + cb;
      Work[i] = (p & 0xFF000000u) | (TColor32(r) << 16) | (TColor32(g) << 8) | TColor32(b);
    }
}
