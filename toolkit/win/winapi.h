// The only header that includes <windows.h>. NOMINMAX and WIN32_LEAN_AND_MEAN
// come from the build. The A/W selector macros whose names the toolkit uses as
// member names are removed, so Win32 code calls the explicit W functions.
#pragma once

#include <cstddef>

#include <windows.h>
#include <commctrl.h>

#include "toolkit/core/geometry.h"

#undef CreateFont
#undef CreateWindow
#undef DrawText
#undef GetClassName
#undef GetMessage
#undef GetObject
#undef GetTextExtentPoint32
#undef LoadBitmap
#undef LoadCursor
#undef LoadIcon
#undef LoadImage
#undef MessageBox
#undef PostMessage
#undef SendMessage
#undef SetWindowText
#undef GetWindowText
#undef TextOut
#undef FindWindow
#undef CreateDialog
#undef DrawState
#undef RegisterClass
#undef FindResource
#undef LoadResource
#undef Rectangle

// TRect and TPoint have the layouts of RECT and POINT; the public API uses the
// toolkit types and converts field by field where it calls Win32.
static_assert(sizeof(TRect) == sizeof(RECT) && offsetof(TRect, Left) == offsetof(RECT, left) &&
              offsetof(TRect, Top) == offsetof(RECT, top) && offsetof(TRect, Right) == offsetof(RECT, right) &&
              offsetof(TRect, Bottom) == offsetof(RECT, bottom));
static_assert(sizeof(TPoint) == sizeof(POINT) && offsetof(TPoint, X) == offsetof(POINT, x) &&
              offsetof(TPoint, Y) == offsetof(POINT, y));

inline RECT ToRECT(const TRect& R) { return RECT{R.Left, R.Top, R.Right, R.Bottom}; }
inline TRect ToTRect(const RECT& R) { return TRect{R.left, R.top, R.right, R.bottom}; }
inline POINT ToPOINT(const TPoint& P) { return POINT{P.X, P.Y}; }
inline TPoint ToTPoint(const POINT& P) { return TPoint{P.x, P.y}; }
