// Block transfers between bitmaps and the geometric operations (roll, flips,
// rotations).
#include <algorithm>
#include <cstring>
#include <vector>

#include "gfx/bitmap32.h"
#include "gfx/resamplers.h"

namespace {

void CheckBitmaps(const TCustomBitmap32* Dst, const TCustomBitmap32* Src) {
  if (!Dst) throw EBitmapException("Destination bitmap is nil");
  if (!Src) throw EBitmapException("Source bitmap is nil");
}

// Lays one source row onto one destination row by draw mode.
void TransferRow(const TColor32* S, TColor32* D, int32_t Count, TDrawMode Mode, TCombineMode Combine,
                 uint32_t MasterAlpha, TColor32 OuterColor, const TPixelCombineEvent& Callback) {
  switch (Mode) {
    case dmOpaque:
      std::memcpy(D, S, size_t(Count) * sizeof(TColor32));
      break;
    case dmBlend:
      if (MasterAlpha >= 255)
        (Combine == cmMerge ? MergeRow : BlendRow)(S, D, Count);
      else
        (Combine == cmMerge ? MergeRowMaster : BlendRowMaster)(S, D, Count, MasterAlpha);
      break;
    case dmTransparent:
      for (int32_t i = 0; i < Count; ++i)
        if (S[i] != OuterColor) D[i] = S[i];
      break;
    case dmCustom:
      for (int32_t i = 0; i < Count; ++i) Callback(S[i], D[i], MasterAlpha);
      break;
  }
}

}  // namespace

void TransferRowByMode(const TColor32* S, TColor32* D, int32_t Count, const TCustomBitmap32& Src,
                       TDrawMode Mode, const TPixelCombineEvent& Callback) {
  TransferRow(S, D, Count, Mode, Src.CombineMode(), Src.MasterAlpha(), Src.OuterColor(), Callback);
}

void BlockTransfer(TCustomBitmap32* Dst, int32_t DstX, int32_t DstY, const TRect& DstClip,
                   const TCustomBitmap32* Src, TRect SrcRect, TDrawMode CombineOp,
                   const TPixelCombineEvent& CombineCallBack) {
  CheckBitmaps(Dst, Src);
  if (Dst->Empty() || Src->Empty() || (CombineOp == dmBlend && Src->MasterAlpha() == 0)) return;

  TRect area;
  IntersectRect(area, DstClip, Dst->BoundsRect());
  if (IsRectEmpty(area)) return;
  // SrcRect's own top-left lands on (DstX, DstY), also when part of SrcRect
  // lies outside the source and is cut away.
  const int64_t dx = int64_t(DstX) - SrcRect.Left, dy = int64_t(DstY) - SrcRect.Top;
  if (!IntersectRect(SrcRect, SrcRect, Src->BoundsRect()) || IsRectEmpty(SrcRect)) return;
  // Into destination coordinates, cut to the destination area, and back (in
  // 64 bits, so that far-away positions cannot overflow).
  const int64_t l = std::max<int64_t>(SrcRect.Left + dx, area.Left);
  const int64_t t = std::max<int64_t>(SrcRect.Top + dy, area.Top);
  const int64_t r = std::min<int64_t>(SrcRect.Right + dx, area.Right);
  const int64_t b = std::min<int64_t>(SrcRect.Bottom + dy, area.Bottom);
  if (l >= r || t >= b) return;
  const TRect dstRect{int32_t(l), int32_t(t), int32_t(r), int32_t(b)};
  const int32_t sx = int32_t(l - dx), sy = int32_t(t - dy);

  if (!Dst->MeasuringMode()) {
    TDrawMode mode = CombineOp;
    if (mode == dmCustom && !CombineCallBack) mode = dmOpaque;
    const int32_t w = dstRect.Width();
    if (Src == Dst) {
      // Overlapping copy inside one bitmap: go through a copy of the source rows.
      std::vector<TColor32> rows(size_t(w) * size_t(dstRect.Height()));
      for (int32_t y = 0; y < dstRect.Height(); ++y)
        std::memcpy(&rows[size_t(y) * w], Src->PixelPtr(sx, sy + y), size_t(w) * sizeof(TColor32));
      for (int32_t y = 0; y < dstRect.Height(); ++y)
        TransferRowByMode(&rows[size_t(y) * w], Dst->PixelPtr(dstRect.Left, dstRect.Top + y), w, *Src, mode,
                          CombineCallBack);
    } else {
      for (int32_t y = 0; y < dstRect.Height(); ++y)
        TransferRowByMode(Src->PixelPtr(sx, sy + y), Dst->PixelPtr(dstRect.Left, dstRect.Top + y), w, *Src,
                          mode, CombineCallBack);
    }
    FinishBlending();
  }
  Dst->Changed(dstRect, AREAINFO_RECT);
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst) const { DrawTo(Dst, 0, 0, BoundsRect()); }

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, int32_t DstX, int32_t DstY) const {
  DrawTo(Dst, DstX, DstY, BoundsRect());
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, int32_t DstX, int32_t DstY, const TRect& SrcRect) const {
  CheckBitmaps(Dst, this);
  BlockTransfer(Dst, DstX, DstY, Dst->ClipRect(), this, SrcRect, FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, const TRect& DstRect) const {
  DrawTo(Dst, DstRect, BoundsRect());
}

void TCustomBitmap32::DrawTo(TCustomBitmap32* Dst, const TRect& DstRect, const TRect& SrcRect) const {
  CheckBitmaps(Dst, this);
  StretchTransfer(Dst, DstRect, Dst->ClipRect(), this, SrcRect, FResampler.get(), FDrawMode, FOnPixelCombine);
}

void TCustomBitmap32::Draw(int32_t DstX, int32_t DstY, const TCustomBitmap32* Src) {
  if (Src) Src->DrawTo(this, DstX, DstY);
}

void TCustomBitmap32::Draw(int32_t DstX, int32_t DstY, const TRect& SrcRect, const TCustomBitmap32* Src) {
  if (Src) Src->DrawTo(this, DstX, DstY, SrcRect);
}

void TCustomBitmap32::Draw(const TRect& DstRect, const TRect& SrcRect, const TCustomBitmap32* Src) {
  if (Src) Src->DrawTo(this, DstRect, SrcRect);
}

// ---- Geometric operations --------------------------------------------------

void TCustomBitmap32::Roll(int32_t Dx, int32_t Dy, bool FillBack, TColor32 FillColor) {
  if (Empty() || (Dx == 0 && Dy == 0)) return;
  const int64_t total = int64_t(FWidth) * FHeight;
  if (std::abs(int64_t(Dx)) >= FWidth || std::abs(int64_t(Dy)) >= FHeight) {
    // Everything moved out: only the back fill remains.
    if (FillBack) Clear(FillColor);
    return;
  }
  const int64_t shift = int64_t(Dx) + int64_t(Dy) * FWidth;
  if (!FMeasuringMode) {
    // The memory moves as one run, so horizontal shifts carry pixels over to
    // the neighbouring row.
    if (shift > 0)
      std::memmove(FBits + shift, FBits, size_t(total - shift) * sizeof(TColor32));
    else
      std::memmove(FBits, FBits - shift, size_t(total + shift) * sizeof(TColor32));
    if (FillBack) {
      if (Dy > 0)
        FillRect(0, 0, FWidth, Dy, FillColor);
      else if (Dy < 0)
        FillRect(0, FHeight + Dy, FWidth, FHeight, FillColor);
      if (Dx > 0)
        FillRect(0, 0, Dx, FHeight, FillColor);
      else if (Dx < 0)
        FillRect(FWidth + Dx, 0, FWidth, FHeight, FillColor);
    }
  }
  Changed();
}

namespace {

// Runs Op(src, dst) with dst either Dst (sized like the result) or, for an
// in-place call, a temporary copy that is then moved back.
template <class Op>
void Geometric(TCustomBitmap32* Self, TCustomBitmap32* Dst, int32_t NewWidth, int32_t NewHeight, Op&& op) {
  if (!Dst || Dst == Self) {
    TCustomBitmap32 tmp;
    tmp.SetSize(NewWidth, NewHeight);
    if (!Self->Empty()) op(*Self, tmp);
    Self->BeginUpdate();
    try {
      Self->SetSize(NewWidth, NewHeight);
      if (!tmp.Empty())
        std::memcpy(Self->Bits(), tmp.Bits(), size_t(NewWidth) * size_t(NewHeight) * sizeof(TColor32));
    } catch (...) {
      Self->EndUpdate();
      throw;
    }
    Self->EndUpdate();
    Self->Changed();
  } else {
    Dst->SetSize(NewWidth, NewHeight);
    if (!Self->Empty()) op(*Self, *Dst);
    Dst->Changed();
  }
}

}  // namespace

void TCustomBitmap32::FlipHorz(TCustomBitmap32* Dst) {
  Geometric(this, Dst, FWidth, FHeight, [](const TCustomBitmap32& s, TCustomBitmap32& d) {
    const int32_t w = s.Width();
    for (int32_t y = 0; y < s.Height(); ++y) {
      const TColor32* sr = s.ScanLine(y);
      TColor32* dr = d.ScanLine(y);
      for (int32_t x = 0; x < w; ++x) dr[w - 1 - x] = sr[x];
    }
  });
}

void TCustomBitmap32::FlipVert(TCustomBitmap32* Dst) {
  Geometric(this, Dst, FWidth, FHeight, [](const TCustomBitmap32& s, TCustomBitmap32& d) {
    const int32_t h = s.Height();
    for (int32_t y = 0; y < h; ++y)
      std::memcpy(d.ScanLine(h - 1 - y), s.ScanLine(y), size_t(s.Width()) * sizeof(TColor32));
  });
}

void TCustomBitmap32::Rotate180(TCustomBitmap32* Dst) {
  Geometric(this, Dst, FWidth, FHeight, [](const TCustomBitmap32& s, TCustomBitmap32& d) {
    const int64_t n = int64_t(s.Width()) * s.Height();
    for (int64_t i = 0; i < n; ++i) d.Bits()[n - 1 - i] = s.Bits()[i];
  });
}

// Clockwise: source (x, y) goes to (Height - 1 - y, x) of the transposed size.
void TCustomBitmap32::Rotate90(TCustomBitmap32* Dst) {
  Geometric(this, Dst, FHeight, FWidth, [](const TCustomBitmap32& s, TCustomBitmap32& d) {
    const int32_t h = s.Height();
    for (int32_t y = 0; y < h; ++y)
      for (int32_t x = 0; x < s.Width(); ++x) d.SetPixel(h - 1 - y, x, s.Pixel(x, y));
  });
}

// Counter-clockwise: source (x, y) goes to (y, Width - 1 - x).
void TCustomBitmap32::Rotate270(TCustomBitmap32* Dst) {
  Geometric(this, Dst, FHeight, FWidth, [](const TCustomBitmap32& s, TCustomBitmap32& d) {
    const int32_t w = s.Width();
    for (int32_t y = 0; y < s.Height(); ++y)
      for (int32_t x = 0; x < w; ++x) d.SetPixel(y, w - 1 - x, s.Pixel(x, y));
  });
}
