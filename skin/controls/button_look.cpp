#include "skin/controls/button_look.h"

TButtonLook ButtonLookOf(bool MouseIn, bool MouseDown, bool Down, bool Enabled, bool PicturesActive,
                         int32_t PressedOffset) {
  TButtonLook look;
  look.PressedLook = MouseDown || Down;
  look.HotLook = MouseIn && !Down;
  if (!PicturesActive) return look;
  if (look.HotLook) {
    look.Frame = bfHot;
  } else if (Enabled && look.PressedLook) {
    look.Frame = bfPressed;
    look.Shift = PressedOffset;
  } else if (Enabled) {
    look.Frame = bfNormal;
  } else {
    look.Frame = bfDisable;
  }
  return look;
}

TCaptionLayout ButtonCaptionLayout(const TRect& Client, const TButtonLook& Look, int32_t DropdownWidth, bool WordWrap,
                                   int32_t TextHeight) {
  TCaptionLayout layout{Client, ButtonCaptionFlags};
  TRect& r = layout.Rect;
  r.Left += Look.Shift;
  r.Right += Look.Shift;
  r.Top += Look.Shift;
  r.Bottom += Look.Shift;
  r.Right -= DropdownWidth;
  if (WordWrap) {
    layout.Flags = ButtonWrappedCaptionFlags;
    // Integer division rounds toward zero, also for a caption taller than the button.
    r.Top = (r.Height() - TextHeight) / 2;
  }
  return layout;
}

TBaseButtonLayout BaseButtonLayout(const TRect& Client, bool Pressed, int32_t PressedOffset, TPoint ImageOffset,
                                   TPoint CaptionOffset) {
  TBaseButtonLayout layout;
  layout.ImagePos = TPoint{Client.Left + ImageOffset.X, Client.Top + ImageOffset.Y};
  layout.CaptionRect = TRect{Client.Left + CaptionOffset.X, Client.Top + CaptionOffset.Y,
                             Client.Right + CaptionOffset.X, Client.Bottom + CaptionOffset.Y};
  if (Pressed) {
    layout.ImagePos.X += PressedOffset;
    layout.CaptionRect.Left += PressedOffset + 1;
    layout.CaptionRect.Bottom += PressedOffset;
  }
  return layout;
}

TRect DropdownPartRect(const TRect& Client, int32_t FrameWidth, int32_t Gap) {
  TRect r = Client;
  r.Left = r.Right - FrameWidth - Gap;
  return r;
}

TButtonFrame DropdownPartFrame(bool MouseInPart, bool PressedInPart) {
  if (PressedInPart) return bfPressed;
  if (MouseInPart) return bfHot;
  return bfNormal;
}

int32_t DropdownBandHeight(int32_t ButtonHeight, int32_t Margin) { return ButtonHeight - Margin; }

TPoint DropdownBandPos(const TRect& Part, int32_t ButtonHeight, int32_t BandHeight) {
  return TPoint{Part.Left, (ButtonHeight - BandHeight) / 2};
}

bool PointInRect(const TRect& R, TPoint P) {
  return P.X >= R.Left && P.X < R.Right && P.Y >= R.Top && P.Y < R.Bottom;
}

TPoint LayerPos(TPoint Offset, const TButtonLook& Look, bool Enabled, int32_t PressedOffset) {
  if (!Look.HotLook && Enabled && Look.PressedLook) return TPoint{Offset.X + PressedOffset, Offset.Y + PressedOffset};
  return Offset;
}

// ---- Mouse state machine ----------------------------------------------------------

namespace {

void SetDown(TButtonMouseState& S, bool Value, TButtonAction& A) {
  if (S.Down == Value) return;
  S.Down = Value;
  if (Value) A.ReleaseGroup = true;
}

}  // namespace

TButtonAction ButtonMouseDown(TButtonMouseState& S, const TButtonConfig& C) {
  TButtonAction a;
  if (C.GroupIndex > 0 && !S.Down && !C.AllowAllUp) SetDown(S, true, a);
  return a;
}

TButtonAction ButtonLButtonDown(TButtonMouseState& S, const TButtonConfig& C, bool InDropdownPart) {
  TButtonAction a;
  // A press while the mouse is over the drop-down part always opens the menu.
  a.ShowMenu = true;
  if (!S.MouseInDropdownMenuRect) {
    if (InDropdownPart || S.SkipNextClick) {
      S.SkipNextClick = false;
      a.ShowMenu = false;
    } else {
      // Without a click handler the whole face opens the menu.
      a.ShowMenu = !C.HasOnClick && C.HasDropdownMenu;
      a.StartRepeat = true;
      S.MouseDown = true;
      if (!S.Down && !C.AllowAllUp) {
        S.MouseIn = true;
        SetDown(S, true, a);
      }
    }
  }
  if (a.ShowMenu) S.PressedInDropdownMenuRect = true;
  return a;
}

TButtonAction ButtonMenuClosed(TButtonMouseState& S) {
  TButtonAction a;
  S.Down = false;
  S.MouseDown = false;
  S.PressedInDropdownMenuRect = false;
  a.StopRepeat = true;
  return a;
}

TButtonAction ButtonLButtonUp(TButtonMouseState& S, const TButtonConfig& C, bool CursorOverButton) {
  TButtonAction a;
  a.StopRepeat = true;
  S.MouseDown = false;
  const bool wasDown = S.Down;
  S.MouseIn = CursorOverButton;
  if (C.GroupIndex == 0) {
    S.Down = false;
    if (S.MouseIn) a.Click = wasDown || !C.HasDropdownMenu;
  } else if (S.MouseIn) {
    SetDown(S, C.AllowAllUp ? !S.Down : true, a);
    a.Click = true;
  }
  S.SkipNextClick = false;
  if (C.HasDropdownMenu) S.PressedInDropdownMenuRect = false;
  return a;
}

void ButtonMouseLeave(TButtonMouseState& S) {
  S.MouseDown = false;
  S.MouseIn = false;
  S.MouseInDropdownMenuRect = false;
  S.PressedInDropdownMenuRect = false;
}

bool CutStateFrame(TPngPictures& Pictures, TButtonFrame Frame, TCustomBitmap32* Image) {
  switch (Frame) {
    case bfNormal: return Pictures.GetNormalImage(Image);
    case bfHot: return Pictures.GetHotImage(Image);
    case bfPressed: return Pictures.GetPressedImage(Image);
    case bfDisable: return Pictures.GetDisableImage(Image);
    case bfNone: break;
  }
  return false;
}
