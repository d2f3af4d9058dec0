#include "skin/controls/tips_look.h"

#include <algorithm>
#include <limits>

namespace {

int32_t Saturate(int64_t V) {
  return static_cast<int32_t>(
      std::clamp<int64_t>(V, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

TPoint EditTipsLeftTop(const TRect& EditBounds, int32_t TextHeight) {
  const int64_t height = int64_t(EditBounds.Bottom) - EditBounds.Top;
  // int64_t division truncates toward zero, as the placement asks.
  return TPoint{Saturate(int64_t(EditBounds.Right) + 5), Saturate(EditBounds.Top + (height - TextHeight) / 2 - 5)};
}

TRect EditTipsRect(TPoint LeftTop, int32_t TextWidth, int32_t TextHeight) {
  const int32_t w = std::clamp(TextWidth, 0, TipsMeasureWidth);
  return TRect{LeftTop.X, LeftTop.Y, Saturate(int64_t(LeftTop.X) + w + 10),
               Saturate(int64_t(LeftTop.Y) + std::max(TextHeight, 0))};
}

TRect TipsScreenRect(const TRect& R, TPoint ScreenTopLeft, int32_t ScreenHeight) {
  int64_t height = int64_t(R.Bottom) - R.Top;
  if (height < 11 || height >= ScreenHeight) height = 10;
  const int64_t width = int64_t(R.Right) - R.Left;
  return TRect{ScreenTopLeft.X, ScreenTopLeft.Y, Saturate(ScreenTopLeft.X + width), Saturate(ScreenTopLeft.Y + height)};
}

int32_t TipsTextWidth(int32_t ParentClientWidth, const TRect* R, bool CloseButtonVisible, int32_t CloseWidth) {
  int64_t w = (R ? int64_t(R->Right) - R->Left : ParentClientWidth) - 4;
  if (CloseButtonVisible) w -= CloseWidth;
  return Saturate(w);
}

TRect TipsBalloonRect(const TTipsPlacement& P) {
  TRect r;
  int64_t h = 0;
  if (P.HasParent) {
    int64_t measured = P.MeasuredHeight;
    if (P.R) measured = std::max<int64_t>(measured, int64_t(P.R->Bottom) - P.R->Top);
    h = measured + 10;
    TPoint anchor{P.ParentClient.Left, P.ParentClient.Top};
    if (P.Direction == hdBottom) {
      int64_t y = int64_t(P.ParentClient.Bottom) - h;
      if (P.TitleHeight > 0) y -= P.TitleHeight + 6;
      anchor.Y = Saturate(y);
    } else if (P.Direction == hdCustom && P.R) {
      anchor = TPoint{P.R->Left, P.R->Top};
    }
    r.Left = anchor.X;
    r.Top = anchor.Y;
    r.Right = Saturate(int64_t(anchor.X) + P.ParentClient.Width());
    if (P.R) {
      r.Left = P.R->Left;
      r.Right = P.R->Right;
    }
  } else if (P.R) {
    r = *P.R;
    h = int64_t(r.Bottom) - r.Top;
  }
  if (P.TitleHeight > 0) h += P.TitleHeight + 6;
  if (P.MaxHeight > 0) h = std::min<int64_t>(h, P.MaxHeight);
  r.Bottom = Saturate(r.Top + std::max<int64_t>(h, 0));
  if (r.Right < r.Left) r.Right = r.Left;
  if (P.MaxWidth > 0 && int64_t(r.Right) - r.Left > P.MaxWidth) r.Right = Saturate(int64_t(r.Left) + P.MaxWidth);
  return r;
}

TRect TipsCloseButtonRect(int32_t Width, bool Visible, int32_t FrameWidth, int32_t FrameHeight) {
  if (!Visible) return TRect{};
  return TRect{Width - FrameWidth - 4, 5, Width - 4, FrameHeight + 5};
}

TRect TipsTextRect(int32_t Width, int32_t Height, bool CloseButtonVisible, int32_t CloseWidth) {
  TRect r{4, 4, Width - 4, Height - 4};
  r.Right -= CloseButtonVisible ? CloseWidth + 2 : 2;
  return r;
}
