#include "skin/controls/toolbar_look.h"

#include <algorithm>

#include "skin/resources/skin_draw.h"

namespace {

bool Inside(const TRect& R, TPoint P) { return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom; }

TRect Shifted(TRect R, TPoint By) {
  R.Left += By.X;
  R.Right += By.X;
  R.Top += By.Y;
  R.Bottom += By.Y;
  return R;
}

TRect Shrunk(TRect R, int32_t By) {
  R.Left += By;
  R.Top += By;
  R.Right -= By;
  R.Bottom -= By;
  return R;
}

// The automatic width of a button in a row: its content and the padding.
// An image wider than a caption above or below it counts instead of the
// caption, and the drop-down part (with any extra width) comes on top, so
// that neither sticks out of the item nor covers the caption.
int32_t AutoWidth(const TToolbarMetrics& M, const TToolbarItemInfo& Item, int32_t CaptionWidth, int32_t E) {
  const bool image = M.HasImages && Item.ImageIndex >= 0;
  int32_t w;
  if (M.HasImages && (Item.TextLayout == ilLeft || Item.TextLayout == ilRight))
    w = CaptionWidth + ToolbarAutoWidthPadding + M.ImageWidth + ToolbarAutoWidthPadding;
  else
    w = std::max(CaptionWidth, image ? M.ImageWidth : 0) + ToolbarAutoWidthPadding;
  return w + E;
}

// The image position and the caption rectangle and flags of a button.
void PlaceContent(const TToolbarMetrics& M, const TToolbarItemInfo& Item, int32_t Index,
                  const TToolbarMeasure& Measure, int32_t E, TToolbarItemPlace& P) {
  const TRect& R = P.Rect;
  const int32_t rw = R.Width(), rh = R.Height();
  const int32_t iw = M.ImageWidth, ih = M.ImageHeight;
  TRect t = Shifted(R, M.TextOffset);
  P.HasImage = M.HasImages && Item.ImageIndex >= 0;
  P.TextFlags = ToolbarCaptionCentred;
  int32_t x = 0, y = 0;
  if (!P.HasImage) {
    // The caption keeps clear of the drop-down part.
    t.Right -= E;
  } else if (!Item.TextVisible) {
    x = (rw - iw - E) / 2 + R.Left;
    y = (rh - ih) / 2 + R.Top;
  } else {
    const TPoint size = Measure.Caption ? Measure.Caption(Index, P.Font) : TPoint{0, 0};
    const int32_t tw = size.X, th = size.Y;
    t.Right -= E;
    t = Shrunk(t, 1);
    switch (Item.TextLayout) {
      case ilBottom:
        x = (rw - iw - E) / 2 + R.Left;
        y = (rh - ih - th) / 2 + R.Top;
        P.TextFlags = ToolbarCaptionBelow;
        t.Top = y + ih + M.MarginTextSize;
        break;
      case ilTop:
        x = (rw - iw - E) / 2 + R.Left;
        y = (rh - ih - th) / 2 + R.Top + th;
        P.TextFlags = ToolbarCaptionAbove;
        t.Bottom = y - M.MarginTextSize;
        break;
      case ilLeft:
        P.TextFlags = ToolbarCaptionLeft;
        x = M.MultiLine ? R.Right - iw - M.MarginSize - M.MenuBtnWidth - 2 : (rw - iw - tw - E) / 2 + R.Left + tw;
        y = (rh - ih) / 2 + R.Top;
        t.Right = x - M.MarginTextSize;
        break;
      case ilRight:
        P.TextFlags = ToolbarCaptionRight;
        x = M.MultiLine ? M.MarginSize + R.Left + 2 : (rw - iw - tw - E) / 2 + R.Left;
        y = (rh - ih) / 2 + R.Top;
        t.Left = x + iw + M.MarginTextSize;
        break;
    }
    t = Shrunk(t, 2);
  }
  x = std::max(x, R.Left);
  // A plain button held down moves its content.
  if (Item.GroupIndex == 0 && Item.Down && M.HotOtherBtn == gbNone && (P.Hot || Item.AllowAllUp)) {
    x += M.PressedOffset;
    y += M.PressedOffset;
    t = Shifted(t, TPoint{M.PressedOffset, M.PressedOffset});
  }
  P.ImagePos = TPoint{x, y};
  P.TextRect = t;
  if (!P.HasImage) return;
  const bool scrollHot = M.HotOtherBtn == gbBack || M.HotOtherBtn == gbFront;
  P.ImageEnabled = Item.Enabled;
  if (!Item.Enabled)
    P.ImageIndex = Item.ImageDisableIndex >= 0 ? Item.ImageDisableIndex : Item.ImageIndex;
  else if (Item.Down && Item.ImageDownIndex >= 0)
    P.ImageIndex = Item.ImageDownIndex;
  else if (P.Hot && !scrollHot && Item.ImageHotIndex >= 0)
    P.ImageIndex = Item.ImageHotIndex;
  else
    P.ImageIndex = Item.ImageIndex;
}

}  // namespace

TToolbarLayout ToolbarLayout(const TToolbarMetrics& M, const std::vector<TToolbarItemInfo>& Items,
                             const TToolbarMeasure& Measure) {
  TToolbarLayout L;
  L.Items.resize(Items.size());
  const int32_t bh = std::max(M.ButtonHeight, 0), bw = std::max(M.ButtonWidth, 0);
  const int32_t sp = std::max(M.SpaceSize, 0), mb = std::max(M.MenuBtnWidth, 0);
  int32_t dispX = M.MultiLine ? M.DispOffset.X : M.DispOffset.X + sp;
  int32_t dispY = M.MultiLine ? M.DispOffset.Y + sp : M.DispOffset.Y;
  const int32_t visible = static_cast<int32_t>(std::count_if(Items.begin(), Items.end(), [](const TToolbarItemInfo& I) {
    return I.Visible;
  }));
  int32_t w0 = bw, remainder = 0;
  if (bw == 0) {
    const int32_t n = std::max(visible, 1);
    const int32_t length = std::max(M.Width, 0);
    w0 = length / n;
    remainder = length % n;
  }
  int32_t last = -1;
  for (int32_t i = 0; i < static_cast<int32_t>(Items.size()); ++i)
    if (Items[i].Visible) last = i;
  const bool scrollHot = M.HotOtherBtn == gbBack || M.HotOtherBtn == gbFront;

  for (int32_t i = 0; i < static_cast<int32_t>(Items.size()); ++i) {
    const TToolbarItemInfo& item = Items[i];
    if (!item.Visible) continue;
    TToolbarItemPlace& p = L.Items[i];
    p.Placed = true;
    const bool button = item.Kind == tkButton;
    const int32_t e = (item.HasMenu ? mb : 0) + M.ExtraWidth;
    int32_t w = w0 + (i == last ? remainder : 0);
    if (M.AutoButtonWidth && !M.MultiLine && button) {
      const int32_t tw = item.TextVisible && Measure.Caption ? Measure.Caption(i, tfNormal).X : 0;
      w = AutoWidth(M, item, tw, e);
      if (Measure.ButtonWidth) Measure.ButtonWidth(i, w);
    }
    w = std::max(w, 0);
    if (M.MultiLine)
      dispX = (M.Width - w) / 2;
    else
      dispY = (M.Height - bh) / 2;

    if (!button) {
      if (M.MultiLine) {
        p.Rect = TRect{dispX + 4, dispY + 1, dispX + w - 4, dispY + sp - 1};
        const int32_t y = p.Rect.Top + (p.Rect.Height() - 2) / 2;
        p.LineFrom = TPoint{p.Rect.Left, y};
        p.LineTo = TPoint{p.Rect.Right - 1, y};
        dispY += 2 * sp;
      } else {
        p.Rect = TRect{dispX + 1, dispY + 4, dispX + sp - 1, dispY + bh - 4};
        const int32_t x = p.Rect.Left + (p.Rect.Width() - 2) / 2;
        p.LineFrom = TPoint{x, p.Rect.Top};
        p.LineTo = TPoint{x, p.Rect.Bottom - 1};
        dispX += 2 * sp;
      }
      L.Length += 2 * sp;
      continue;
    }

    p.Rect = TRect{dispX, dispY, dispX + w, dispY + bh};
    if (item.HasMenu) p.MenuButtonRect = TRect{p.Rect.Right - mb, p.Rect.Top, p.Rect.Right, p.Rect.Bottom};
    p.Hot = i == M.HotItemIndex;
    if (item.Down) {
      p.Face = bfPressed;
      p.Font = tfDown;
    } else if (scrollHot || !p.Hot) {
      p.Face = bfNormal;
      p.Font = tfNormal;
    } else {
      p.Face = bfHot;
      p.Font = tfHot;
    }
    if (item.HasMenu) {
      p.MenuFrame = bfNormal;
      if (p.Hot && M.HotOtherBtn == gbMenu) p.MenuFrame = M.DownOtherBtn ? bfPressed : bfHot;
    }
    PlaceContent(M, item, i, Measure, e, p);
    if (M.MultiLine) {
      dispY += bh + sp;
      L.Length += bh + sp;
    } else {
      dispX += p.Rect.Width() + sp;
      L.Length += p.Rect.Width() + sp;
    }
  }
  L.End = M.MultiLine ? dispY : dispX;
  L.EnabledScroll = ToolbarViewLength(M) < L.Length;
  return L;
}

// ---- Faces ----------------------------------------------------------------------------------

void TToolbarFaces::Prepare(int32_t W, int32_t H, const TCutFrame& Cut) {
  if (FValid && W == FWidth && H == FHeight) return;
  FValid = true;
  FWidth = W;
  FHeight = H;
  ++FRemakes;
  auto make = [&](TButtonFrame Frame) -> std::unique_ptr<TVelSkinImage> {
    if (W <= 0 || H <= 0 || !Cut) return nullptr;
    TCustomBitmap32 frame;
    if (!Cut(Frame, &frame) || frame.Empty()) return nullptr;
    return ResizeAutoStretch(&frame, W, H);
  };
  FNormal = make(bfNormal);
  FHot = make(bfHot);
  FPressed = make(bfPressed);
}

const TCustomBitmap32* TToolbarFaces::Face(TButtonFrame Frame) const {
  switch (Frame) {
    case bfNormal: return FNormal.get();
    case bfHot: return FHot.get();
    case bfPressed: return FPressed.get();
    default: return nullptr;
  }
}

// ---- Drawing --------------------------------------------------------------------------------

void BlendImage(TCustomBitmap32& Bitmap, const std::vector<uint32_t>& Pixels, int32_t W, int32_t H, int32_t X,
                int32_t Y) {
  if (W <= 0 || H <= 0 || Pixels.size() < static_cast<size_t>(W) * static_cast<size_t>(H)) return;
  TCustomBitmap32 image;
  image.SetSize(W, H);
  std::copy_n(Pixels.begin(), static_cast<size_t>(W) * H, image.Bits());
  image.SetDrawMode(dmBlend);
  image.DrawTo(&Bitmap, X, Y);
}

void DrawToolbarItems(TCustomBitmap32& Bitmap, const TToolbarLayout& Layout,
                      const std::vector<TToolbarItemInfo>& Items, const TToolbarPaint& Paint) {
  const size_t n = std::min(Layout.Items.size(), Items.size());
  for (size_t i = 0; i < n; ++i) {
    const TToolbarItemPlace& p = Layout.Items[i];
    const TToolbarItemInfo& item = Items[i];
    if (!p.Placed) continue;
    const int32_t index = static_cast<int32_t>(i);
    if (item.Kind == tkSpacer) {
      const TColor32 line = item.LineColor | 0xFF000000;
      if (p.LineFrom.X == p.LineTo.X) {
        if (p.LineTo.Y >= p.LineFrom.Y) Bitmap.VertLineS(p.LineFrom.X, p.LineFrom.Y, p.LineTo.Y, line);
      } else if (p.LineTo.X >= p.LineFrom.X) {
        Bitmap.HorzLineS(p.LineFrom.X, p.LineFrom.Y, p.LineTo.X, line);
      }
      if (Paint.ItemDrawn) Paint.ItemDrawn(index);
      continue;
    }
    if (Paint.Faces) {
      Paint.Faces->Prepare(p.Rect.Width(), p.Rect.Height(), Paint.CutFace);
      if (const TCustomBitmap32* face = Paint.Faces->Face(p.Face)) face->DrawTo(&Bitmap, p.Rect.Left, p.Rect.Top);
    }
    if (item.HasMenu && Paint.CutMenuFrame) {
      TCustomBitmap32 frame;
      if (Paint.CutMenuFrame(p.MenuFrame, &frame) && !frame.Empty()) {
        const TRect& m = p.MenuButtonRect;
        const auto band = CropCentreBand(&frame, m.Height() - 6, frame.Width());
        if (band && !band->Empty()) band->DrawTo(&Bitmap, m.Left, m.Top + (m.Height() - band->Height()) / 2);
      }
    }
    bool drewImage = false;
    if (p.HasImage && Paint.Image) {
      const std::vector<uint32_t>* pixels = Paint.Image(p.ImageIndex, p.ImageEnabled);
      if (pixels && !pixels->empty()) {
        BlendImage(Bitmap, *pixels, Paint.ImageWidth, Paint.ImageHeight, p.ImagePos.X, p.ImagePos.Y);
        drewImage = true;
      }
    }
    if (Paint.Designing && !drewImage) Bitmap.FrameRectS(p.Rect, ToolbarDesignFrameColor);
    if (Paint.Caption && item.TextVisible) Paint.Caption(index, p);
    if (Paint.ItemDrawn) Paint.ItemDrawn(index);
  }
}

// ---- Scrolling ------------------------------------------------------------------------------

TToolbarScrollRects ToolbarScrollRects(int32_t Width, int32_t Height, bool MultiLine, TPoint BackFrame,
                                       TPoint FrontFrame) {
  TToolbarScrollRects r;
  if (!MultiLine) {
    r.Front.Top = 2;
    r.Front.Right = Width - 1;
    r.Front.Left = r.Front.Right - FrontFrame.X;
    r.Front.Bottom = 2 + FrontFrame.Y;
    r.Back.Top = 2;
    r.Back.Right = r.Front.Left - 1;
    r.Back.Left = r.Back.Right - BackFrame.X;
    r.Back.Bottom = 2 + BackFrame.Y;
  } else {
    r.Front.Top = Height - FrontFrame.Y - 2;
    r.Front.Bottom = r.Front.Top + FrontFrame.Y;
    r.Front.Right = Width - 1;
    r.Front.Left = r.Front.Right - FrontFrame.X;
    r.Back.Bottom = r.Front.Top - 1;
    r.Back.Top = r.Back.Bottom - BackFrame.Y;
    r.Back.Left = r.Front.Left;
    r.Back.Right = r.Back.Left + BackFrame.X;
  }
  return r;
}

TToolbarScrollLook ToolbarScrollLook(const TToolbarMetrics& M, const TToolbarLayout& Layout, bool StopScroll) {
  TToolbarScrollLook look;
  look.StopScroll = StopScroll;
  if (!Layout.EnabledScroll) return look;
  auto frame = [&](bool AtEnd, bool Hot) {
    if (AtEnd) {
      if (Hot) look.StopScroll = true;
      return bfDisable;
    }
    if (Hot) {
      look.StopScroll = false;
      return M.DownOtherBtn ? bfPressed : bfHot;
    }
    return bfNormal;
  };
  const int32_t offset = M.MultiLine ? M.DispOffset.Y : M.DispOffset.X;
  look.Back = frame(offset >= 0, M.HotOtherBtn == gbBack);
  look.Front = frame(Layout.End <= ToolbarViewLength(M), M.HotOtherBtn == gbFront);
  return look;
}

bool ToolbarScrollBackStep(int32_t& Offset, bool StopScroll, int32_t Size) {
  if (StopScroll) return false;
  if (Offset < 0) Offset = std::min(0, Offset + std::max(Size, 1));
  return true;
}

bool ToolbarScrollFrontStep(int32_t& Offset, int32_t& End, bool StopScroll, int32_t Size, int32_t Length) {
  if (StopScroll) return false;
  if (End > Length) {
    const int32_t step = std::max(Size, 1);
    Offset -= step;
    End -= step;
  }
  return true;
}

// ---- Hit tests ------------------------------------------------------------------------------

int32_t ToolbarItemAt(const std::vector<TToolbarItemInfo>& Items, TPoint P, bool EnabledOnly) {
  for (size_t i = 0; i < Items.size(); ++i) {
    const TToolbarItemInfo& item = Items[i];
    if (!item.Visible || item.Kind != tkButton || (EnabledOnly && !item.Enabled)) continue;
    if (Inside(item.Rect, P)) return static_cast<int32_t>(i);
  }
  return -1;
}

TOtherButtonKind ToolbarPartAt(const std::vector<TToolbarItemInfo>& Items, int32_t Item, TPoint P,
                               bool EnabledScroll, bool ScrollButtonVisible, const TToolbarScrollRects& Scroll) {
  if (EnabledScroll && ScrollButtonVisible) {
    if (Inside(Scroll.Back, P)) return gbBack;
    if (Inside(Scroll.Front, P)) return gbFront;
  }
  if (Item >= 0 && Item < static_cast<int32_t>(Items.size()) && Items[Item].HasMenu &&
      Inside(Items[Item].MenuButtonRect, P))
    return gbMenu;
  return gbNone;
}

int32_t ToolbarNextFocus(const std::vector<TToolbarItemInfo>& Items, int32_t Current, int32_t Step) {
  const int32_t n = static_cast<int32_t>(Items.size());
  if (Step == 0) return Current;
  int32_t i = std::clamp(Current, -1, n);
  for (i += Step; i >= 0 && i < n; i += Step) {
    const TToolbarItemInfo& item = Items[i];
    if (item.Visible && item.Enabled && item.Kind == tkButton) return i;
  }
  return Current;
}
