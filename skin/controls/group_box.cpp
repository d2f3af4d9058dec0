#include "skin/controls/group_box.h"

#include <algorithm>

#include "gdiplus/gdiplus_objects.h"
#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_draw_win.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"

namespace {

// The glow along the separator: seven stacked translucent white strokes of
// widths 1 to 7 with round joins.
constexpr uint32_t GlowColor = 0x12FFFFFF;
constexpr int GlowStrokes = 7;

}  // namespace

bool CheckBoxFrame(const TVelResID& Pictures, int32_t Index, TCustomBitmap32& Frame) {
  TVelSkinImage* strip = SkinImageOrNone(Pictures);
  if (!strip || strip->Width() < CheckBoxFrameCount || strip->Height() <= 0) return false;
  TVelSkinImages frames;
  SplitColumns(strip, CheckBoxFrameCount, frames);
  if (Index < 0 || Index >= static_cast<int32_t>(frames.size()) || frames[Index]->Empty()) return false;
  Frame.Assign(frames[Index].get());
  return !Frame.Empty();
}

// ---- TGroupBoxCheckBox ----------------------------------------------------------------------

void TGroupBoxCheckBox::Repaint() {
  if (FGroupBox) FGroupBox->Invalidate();
}

void TGroupBoxCheckBox::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Repaint();
}

void TGroupBoxCheckBox::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  if (FVisible && FGroupBox) FGroupBox->EnableChildren(FChecked);
  Repaint();
  if (FVisible && FGroupBox) FGroupBox->AccNotify(EVENT_OBJECT_STATECHANGE, 0);
}

void TGroupBoxCheckBox::SetPictures(const TVelResID& Value) {
  if (Value == FPictures) return;
  FPictures = Value;
  Repaint();
}

void TGroupBoxCheckBox::Assign(TPersistent* Source) {
  auto* other = dynamic_cast<TGroupBoxCheckBox*>(Source);
  if (!other) {
    TPersistent::Assign(Source);
    return;
  }
  SetVisible(other->FVisible);
  SetChecked(other->FChecked);
  SetPictures(other->FPictures);
}

// ---- TVelSkinCustomGroupBox -----------------------------------------------------------------

TVelSkinCustomGroupBox::TVelSkinCustomGroupBox(TComponent* AOwner)
    : TVelSkinCustomControl(AOwner),
      FCaptionLight(std::make_unique<TVelLightClass>()),
      FCheckBox(std::make_unique<TGroupBoxCheckBox>(this)) {
  FControlStyle |= csAcceptsControls | csCaptureMouse | csClickEvents | csDoubleClicks;
  FCaptionLight->SetOnChanged([this](TObject*) { Invalidate(); });
}

TVelSkinCustomGroupBox::~TVelSkinCustomGroupBox() = default;

void TVelSkinCustomGroupBox::SetCaption(const std::wstring& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  Invalidate();
  AccNotify(EVENT_OBJECT_NAMECHANGE);
}

void TVelSkinCustomGroupBox::SetLineStopColor(TColor Value) {
  if (Value == FLineStopColor) return;
  FLineStopColor = Value;
  Invalidate();
}

void TVelSkinCustomGroupBox::SetLineStartColor(TColor Value) {
  if (Value == FLineStartColor) return;
  FLineStartColor = Value;
  Invalidate();
}

void TVelSkinCustomGroupBox::SetLight(bool Value) {
  if (Value == FLight) return;
  FLight = Value;
  Invalidate();
}

void TVelSkinCustomGroupBox::SetCaptionHeight(int32_t Value) {
  if (Value == FCaptionHeight) return;
  FCaptionHeight = Value;
  Invalidate();
}

void TVelSkinCustomGroupBox::SetFrameStyle(TGroupBoxFrameStyle Value) {
  if (Value == FFrameStyle) return;
  FFrameStyle = Value;
  RecreateWnd();
}

void TVelSkinCustomGroupBox::SetCaptionAlignment(TAlignment Value) {
  if (Value == FCaptionAlignment) return;
  FCaptionAlignment = Value;
  Invalidate();
}

void TVelSkinCustomGroupBox::EnableChildren(bool Value) {
  ForEachLiveChild([Value](TControl* Child) {
    Child->SetEnabled(Value);
    return false;
  });
}

void TVelSkinCustomGroupBox::AdjustClientRect(TRect& Rect) {
  TVelSkinCustomControl::AdjustClientRect(Rect);
  Rect.Top += ScaleByDPI(this, FCaptionHeight);
  if (FFrameStyle == fsBox) {
    Rect.Left += 1;
    Rect.Right -= 1;
    Rect.Bottom -= 1;
  }
}

void TVelSkinCustomGroupBox::CMControlChange(TCMControlChange& Message) {
  TVelSkinCustomControl::CMControlChange(Message);
  if (Message.Inserting && Message.Control && FCheckBox->Visible()) Message.Control->SetEnabled(FCheckBox->Checked());
}

void TVelSkinCustomGroupBox::CMMouseLeave(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseLeave(Message);
  if (!Message.Control || Message.Control == this) FCheckBox->SetMouseInControl(false);
}

void TVelSkinCustomGroupBox::WMMouseMove(TWMMouse& Message) {
  TVelSkinCustomControl::WMMouseMove(Message);
  if (FCheckBox->Visible()) FCheckBox->SetMouseInControl(PtInRect(FCheckBox->Rect(), Message.Pos));
}

// The press itself decides: a click that came without a move before it (the
// mouse was already there when the window appeared) still finds the box.
void TVelSkinCustomGroupBox::WMLButtonDown(TWMMouse& Message) {
  TVelSkinCustomControl::WMLButtonDown(Message);
  if (!FCheckBox->Visible()) return;
  FCheckBox->SetMouseInControl(PtInRect(FCheckBox->Rect(), Message.Pos));
  if (FCheckBox->MouseInControl()) FCheckBox->SetChecked(!FCheckBox->Checked());
}

void TVelSkinCustomGroupBox::WMMove(TWMMove& Message) {
  TVelSkinCustomControl::WMMove(Message);
  if (AutoInvalidate()) Invalidate();
}

void TVelSkinCustomGroupBox::DrawGlowLine(TBitmap32* Bitmap, const TSeparatorSegment& Segment, int32_t Y0) {
  TGPGraphics graphics(::Handle(*Bitmap));
  TGPPath path;
  path.AddLine(float(Segment.Left), float(Y0), float(Segment.Right), float(Y0 + 1));
  for (int width = 1; width <= GlowStrokes; ++width) {
    TGPPen pen(GlowColor, float(width));
    pen.SetLineJoin(ljRound);
    graphics.DrawPath(pen, path);
  }
  graphics.Flush();
}

void TVelSkinCustomGroupBox::DrawControl(TBitmap32* Bitmap) {
  const int32_t ch = ScaleByDPI(this, FCaptionHeight);
  if (!Bitmap || Width() <= 0 || ch <= 0 || Bitmap->Empty()) return;
  TUpdateScope<TBitmap32> update(*Bitmap);
  ::SetFont(*Bitmap, Font());
  TCanvas& canvas = ::Canvas(*Bitmap);
  canvas.SetFont(Font());

  TGroupBoxLayoutInput in;
  in.Width = Width();
  in.Height = Height();
  in.CaptionHeight = ch;
  in.TextWidth = FCaption.empty() ? 0 : TextWidthW(*Bitmap, FCaption);
  in.Alignment = FCaptionAlignment;
  in.FrameStyle = FFrameStyle;
  TCustomBitmap32 frame;
  if (FCheckBox->Visible()) {
    const int32_t index = CheckBoxFrameIndex(FCheckBox->Checked(), FCheckBox->Pressed(), FCheckBox->MouseInControl());
    in.CheckBoxShown = CheckBoxFrame(FCheckBox->Pictures(), index, frame);
    in.FrameWidth = frame.Width();
    in.FrameHeight = frame.Height();
  }
  const TGroupBoxLayout layout = GroupBoxLayout(in);
  if (in.CheckBoxShown) {
    frame.SetDrawMode(dmBlend);
    Bitmap->Draw(layout.CheckBoxPos.X, layout.CheckBoxPos.Y, &frame);
    FCheckBox->SetRect(layout.CheckBoxRect);
  } else {
    // Nothing drawn, nothing to click.
    FCheckBox->SetRect(TRect{});
  }

  if (FCaptionLight->Active() && !FCaption.empty())
    DrawGlowText(canvas, layout.CaptionRect, FCaption, FCaptionLight->BlurRadius(), FCaptionLight->Color(),
                 GroupBoxCaptionFlags);
  if (!FCaption.empty()) TextoutW(*Bitmap, layout.CaptionRect, GroupBoxCaptionFlags, FCaption);
  GdiFlush();

  if (FFrameStyle == fsBox) {
    DrawBoxLines(*Bitmap, layout, RGBOf(FLineStartColor));
    return;
  }
  for (int32_t i = 0; i < layout.SegmentCount; ++i)
    DrawSeparator(*Bitmap, layout.Segments[i], layout.Y0, RGBOf(FLineStopColor), RGBOf(FLineStartColor));
  if (FLight && !Designing())
    for (int32_t i = 0; i < layout.SegmentCount; ++i) DrawGlowLine(Bitmap, layout.Segments[i], layout.Y0);
}

// ---- TVelSkinCheckBox -----------------------------------------------------------------------

TVelSkinCheckBox::TVelSkinCheckBox(TComponent* AOwner)
    : TVelSkinCustomControl(AOwner), FLight(std::make_unique<TVelLightClass>()) {
  FTabStop = true;
  FWidth = 113;
  FHeight = 17;
  FLight->SetOnChanged([this](TObject*) { Invalidate(); });
}

TVelSkinCheckBox::~TVelSkinCheckBox() = default;

void TVelSkinCheckBox::SetChecked(bool Value) {
  if (Value == FChecked) return;
  FChecked = Value;
  Invalidate();
  AccNotify(EVENT_OBJECT_STATECHANGE);
  Changed();
}

void TVelSkinCheckBox::SetPictures(const TVelResID& Value) {
  if (Value == FPictures) return;
  FPictures = Value;
  Invalidate();
}

void TVelSkinCheckBox::SetPressed(bool Value) {
  if (Value == FPressed) return;
  FPressed = Value;
  Invalidate();
}

void TVelSkinCheckBox::SetBiDiMode(TBiDiMode Value) {
  if (Value == FBiDiMode) return;
  FBiDiMode = Value;
  Invalidate();
}

void TVelSkinCheckBox::Changed() {
  if (OnChanged) OnChanged(this);
}

void TVelSkinCheckBox::CreateWnd() {
  TVelSkinCustomControl::CreateWnd();
  if (FHandle) SendMessageW(FHandle, BM_SETCHECK, FChecked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// BM_SETCHECK only answers the state: the state itself changes through Checked.
void TVelSkinCheckBox::WndProc(TMessage& Message) {
  if (Message.Msg == BM_SETCHECK) {
    DefaultHandler(Message);
    Message.Result = FChecked ? 1 : 0;
    Invalidate();
    return;
  }
  TVelSkinCustomControl::WndProc(Message);
}

void TVelSkinCheckBox::DrawControl(TBitmap32* Bitmap) {
  if (!Bitmap || Bitmap->Empty()) return;
  TUpdateScope<TBitmap32> update(*Bitmap);
  const int32_t w = Width(), h = Height();
  const bool rtl = UseRightToLeftReading();
  TCustomBitmap32 frame;
  int32_t fw = 0;
  if (CheckBoxFrame(FPictures, CheckBoxFrameIndex(FChecked, FPressed, MouseInControl()), frame)) {
    fw = frame.Width();
    frame.SetDrawMode(dmBlend);
    Bitmap->Draw(rtl ? w - fw : 0, h / 2 - frame.Height() / 2, &frame);
  }
  const int32_t gap = ScaleByDPI(this, 3);
  const TRect textRect = rtl ? TRect{0, 0, w - fw - gap, h} : TRect{gap + fw, 0, w, h};
  const uint32_t flags = rtl ? 38 : 36;
  const std::wstring caption = Caption();
  if (caption.empty() || textRect.Width() <= 0) return;
  TFont font;
  font.Assign(&Font());
  if (!Enabled()) font.SetColor(CheckBoxDisabledTextColor);
  ::SetFont(*Bitmap, font);
  TCanvas& canvas = ::Canvas(*Bitmap);
  canvas.SetFont(font);
  if (FLight->Active()) DrawGlowText(canvas, textRect, caption, FLight->BlurRadius(), FLight->Color(), flags);
  TextoutW(*Bitmap, textRect, flags, caption);
  GdiFlush();
}

void TVelSkinCheckBox::WMLButtonDown(TWMMouse& Message) {
  TVelSkinCustomControl::WMLButtonDown(Message);
  if (CanFocus()) SetFocus();
  SetChecked(!FChecked);
}

void TVelSkinCheckBox::WMKeyDown(TWMKey& Message) {
  TVelSkinCustomControl::WMKeyDown(Message);
  if (Message.CharCode == VK_SPACE) SetChecked(!FChecked);
}

void TVelSkinCheckBox::WMMouseMove(TWMMouse& Message) {
  TVelSkinCustomControl::WMMouseMove(Message);
  if (FPressed) Invalidate();
}

void TVelSkinCheckBox::WMSetFocus(TWMFocus& Message) {
  TVelSkinCustomControl::WMSetFocus(Message);
  FFocused = true;
  Invalidate();
}

void TVelSkinCheckBox::WMKillFocus(TWMFocus& Message) {
  TVelSkinCustomControl::WMKillFocus(Message);
  FFocused = false;
  Invalidate();
}

void TVelSkinCheckBox::CMMouseEnter(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseEnter(Message);
  Invalidate();
}

void TVelSkinCheckBox::CMMouseLeave(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseLeave(Message);
  Invalidate();
}

// The caption's accelerator focuses the check box; it does not toggle it.
void TVelSkinCheckBox::CMDialogChar(TWMKey& Message) {
  if (IsAccel(Message.CharCode, Caption()) && CanFocus()) {
    SetFocus();
    Message.Result = 1;
    return;
  }
  TVelSkinCustomControl::CMDialogChar(Message);
}
