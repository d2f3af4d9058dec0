#include "skin/controls/scroll_bar_look.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int64_t Int32Lo = INT32_MIN;
constexpr int64_t Int32Hi = INT32_MAX;

int32_t Narrow(int64_t Value) { return static_cast<int32_t>(std::clamp(Value, Int32Lo, Int32Hi)); }

// A negative page size is treated as no page.
int32_t PageOf(const TScrollRange& R) { return std::max(R.PageSize, 0); }

// The number of positions Max - Min + 1, in 64 bits.
int64_t Span(const TScrollRange& R) { return int64_t{R.Max} - R.Min + 1; }

bool Vertical(TScrollBarKind Kind) { return Kind == sbVertical; }

}  // namespace

int32_t ScrollTop(const TScrollRange& R) {
  const int32_t page = PageOf(R);
  const int64_t top = page > 0 ? int64_t{R.Max} - page + 1 : int64_t{R.Max};
  return Narrow(std::max(top, int64_t{R.Min}));
}

int32_t ClampScrollPosition(const TScrollRange& R, int64_t Value) {
  return Narrow(std::clamp(Value, int64_t{R.Min}, int64_t{ScrollTop(R)}));
}

bool SetScrollPosition(TScrollRange& R, int64_t Value) {
  const int32_t position = ClampScrollPosition(R, Value);
  if (position == R.Position) return false;
  R.Position = position;
  return true;
}

void SetScrollMin(TScrollRange& R, int32_t Value) {
  R.Min = Value;
  R.Position = ClampScrollPosition(R, R.Position);
}

void SetScrollMax(TScrollRange& R, int32_t Value) {
  R.Max = Value;
  R.Position = ClampScrollPosition(R, R.Position);
}

bool SetScrollPageSize(TScrollRange& R, int32_t Value) {
  const int32_t page = std::max(Value, 0);
  if (Span(R) < int64_t{page} + R.Position - R.Min) return false;
  R.PageSize = page;
  return true;
}

TScrollSetRangeResult SetScrollRange(TScrollRange& R, int32_t AMin, int32_t AMax, int32_t APageSize,
                                     int32_t APosition) {
  R.Min = AMin;
  R.Max = AMax;
  R.PageSize = std::max(APageSize, 0);
  TScrollSetRangeResult result;
  const int32_t top = ScrollTop(R);
  if (APosition < AMin || APosition > top) {
    result.ViaSetter = true;
    result.Changed = SetScrollPosition(R, APosition < AMin ? AMin : top);
  } else {
    R.Position = APosition;
  }
  return result;
}

// ---- Layout ---------------------------------------------------------------------------

int32_t ScrollNearest(double X) {
  constexpr double Limit = 1 << 24;
  if (!(X == X)) return 0;  // NaN
  return static_cast<int32_t>(std::nearbyint(std::clamp(X, -Limit, Limit)));
}

TScrollLayout ScrollLayout(const TScrollLayoutInput& In, const TScrollLayout& Last) {
  TScrollLayout L = Last;
  const bool vertical = Vertical(In.Kind);
  const int32_t w = In.Width, h = In.Height;
  if (In.HaveArrow) {
    if (vertical) {
      const int32_t ah = In.ArrowHeight;
      L.Parts[sbpStartArrow] = TRect{0, 0, w, ah};
      L.Parts[sbpEndArrow] = TRect{0, Narrow(int64_t{h} - ah), w, h};
      L.Track = TRect{0, ah, w, Narrow(int64_t{h} - ah)};
    } else {
      const int32_t aw = In.ArrowWidth;
      L.Parts[sbpStartArrow] = TRect{0, 0, aw, In.ArrowHeight};
      L.Parts[sbpEndArrow] = TRect{Narrow(int64_t{w} - aw), 0, w, h};
      L.Track = TRect{aw, 0, Narrow(int64_t{w} - aw), h};
    }
  }
  const TScrollRange& R = In.Range;
  const int32_t page = PageOf(R);
  const int64_t trackStart = vertical ? L.Track.Top : L.Track.Left;
  const int64_t trackEnd = vertical ? L.Track.Bottom : L.Track.Right;
  const double trackLength = static_cast<double>(trackEnd - trackStart);

  int32_t thumb = In.MinThumb;
  if (page > 0 && Span(R) > 0)
    thumb = std::max(ScrollNearest(trackLength * page / static_cast<double>(Span(R))), In.MinThumb);
  L.ThumbLength = thumb;

  // F: the position's share of the range. With a page size the thumb's share
  // is of the positions it can take; a degenerate range puts a vertical thumb
  // at the start and a horizontal one at the end.
  const double offset = static_cast<double>(int64_t{R.Position} - R.Min);
  double g = 0;
  if (page == 0) {
    const int64_t range = int64_t{R.Max} - R.Min;
    g = range != 0 ? offset / static_cast<double>(range) : 0;
  } else if (vertical) {
    const int64_t a = int64_t{R.Max} - page - R.Min + 1;
    g = a > 0 ? offset / static_cast<double>(a) : 0;
  } else {
    const int64_t a = int64_t{R.Max} - page + 1;
    g = R.Min < a ? offset / static_cast<double>(a - R.Min) : 1;
  }
  g = std::clamp(g, 0.0, 1.0);

  const int64_t half = thumb / 2;
  L.Offset1 = Narrow(trackStart + half);
  L.Offset2 = Narrow(trackEnd - half);
  L.BOffset = ScrollNearest(g * (static_cast<double>(L.Offset2) - L.Offset1));
  const int32_t from = Narrow(int64_t{L.Offset1} + L.BOffset - half);
  const int32_t to = Narrow(int64_t{L.Offset1} + L.BOffset + half);
  if (vertical)
    L.Parts[sbpThumb] = TRect{L.Track.Left, from, L.Track.Right, to};
  else
    L.Parts[sbpThumb] = TRect{from, L.Track.Top, to, L.Track.Bottom};
  return L;
}

int32_t ScrollPartAt(const TScrollLayout& L, TPoint P) {
  for (int32_t part = 0; part < ScrollBarPartCount; ++part) {
    const TRect& r = L.Parts[part];
    if (P.X >= r.Left && P.X < r.Right && P.Y >= r.Top && P.Y < r.Bottom) return part;
  }
  return sbpNone;
}

int32_t AlongBar(TScrollBarKind Kind, TPoint P) { return Vertical(Kind) ? P.Y : P.X; }

bool BeforeThumb(const TScrollLayout& L, TScrollBarKind Kind, int32_t Along) {
  const TRect& t = L.Parts[sbpThumb];
  return Along < (Vertical(Kind) ? t.Top : t.Left);
}

bool AfterThumb(const TScrollLayout& L, TScrollBarKind Kind, int32_t Along) {
  const TRect& t = L.Parts[sbpThumb];
  return Along >= (Vertical(Kind) ? t.Bottom : t.Right);
}

int64_t ScrollDragPosition(const TScrollRange& R, const TScrollLayout& L, TScrollBarKind Kind, int32_t D,
                           int32_t OldBOffset) {
  const int32_t page = PageOf(R);
  double f = 0;
  int64_t positions = 0;
  if (page > 0) {
    // The span of the thumb's centre from the current thumb length.
    const int64_t half = L.ThumbLength / 2;
    const bool vertical = Vertical(Kind);
    const int64_t offset1 = (vertical ? L.Track.Top : L.Track.Left) + half;
    const int64_t offset2 = (vertical ? L.Track.Bottom : L.Track.Right) - half;
    const int64_t span = offset2 - offset1;
    f = span > 0 ? (static_cast<double>(D) + OldBOffset) / static_cast<double>(span) : 0;
    positions = int64_t{R.Max} - R.Min - page + 1;
  } else {
    const int64_t span = int64_t{L.Offset2} - L.Offset1;
    f = span > 0 ? static_cast<double>(D) / static_cast<double>(span) : 0;
    positions = int64_t{R.Max} - R.Min;
  }
  f = std::clamp(f, 0.0, 1.0);
  return int64_t{R.Min} + static_cast<int64_t>(std::nearbyint(static_cast<double>(positions) * f));
}

// ---- Images ---------------------------------------------------------------------------

TScrollImageState ScrollPartState(int32_t Part, bool Down, bool Hot, bool BarFocused, bool MouseInBar) {
  if (Part < 0 || Part >= ScrollBarPartCount) return sisNone;
  if (Down || BarFocused) return sisDown;
  if (Hot) return sisHighlight;
  if (Part == sbpThumb || MouseInBar) return sisNormal;
  return sisNone;
}

const TVelResID* ScrollPartImage(const TScrollBarImages& I, TScrollBarKind Kind, int32_t Part,
                                 TScrollImageState State) {
  if (State == sisNone || Part < 0 || Part >= ScrollBarPartCount) return nullptr;
  const bool vertical = Vertical(Kind);
  const TVelResID* normal = nullptr;
  const TVelResID* highlight = nullptr;
  const TVelResID* down = nullptr;
  switch (Part) {
    case sbpThumb:
      normal = vertical ? &I.BarNormal : &I.HorzBarNormal;
      highlight = vertical ? &I.BarHighlight : &I.HorzBarHighlight;
      down = vertical ? &I.BarDown : &I.HorzBarDown;
      break;
    case sbpEndArrow:
      normal = vertical ? &I.ArrowDownNormal : &I.ArrowRightNormal;
      highlight = vertical ? &I.ArrowDownHighlight : &I.ArrowRightHighlight;
      down = vertical ? &I.ArrowDownDown : &I.ArrowRightDown;
      break;
    default:
      normal = vertical ? &I.ArrowUpNormal : &I.ArrowLeftNormal;
      highlight = vertical ? &I.ArrowUpHighlight : &I.ArrowLeftHighlight;
      down = vertical ? &I.ArrowUpDown : &I.ArrowLeftDown;
      break;
  }
  switch (State) {
    case sisNormal: return normal;
    case sisHighlight: return highlight;
    default: return down;
  }
}
