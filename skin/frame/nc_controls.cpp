#include "skin/frame/nc_controls.h"

#include "gfx/win/gdi_backend.h"
#include "skin/frame/skin_form.h"
#include "skin/resources/skin_draw_win.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"

#include <vector>

bool NCButtonCursorSet = false;

namespace {

// Takes the registrations of Control that are still queued for Form's window
// out of the queue, keeping the others in their order: the skin form must
// never register a control that no longer exists.
void DropQueuedRegistrations(TCustomForm* Form, TVelSkinNCCtrlBase* Control) {
  if (!Form || !Form->HandleAllocated()) return;
  const HWND window = Form->Handle();
  std::vector<MSG> others;
  MSG msg;
  while (PeekMessageW(&msg, window, MM_ADDNCCTRL, MM_ADDNCCTRL, PM_REMOVE | PM_NOYIELD)) {
    if (msg.wParam != reinterpret_cast<WPARAM>(Control)) others.push_back(msg);
  }
  for (const MSG& m : others) PostMessageW(window, m.message, m.wParam, m.lParam);
}

UINT EllipsisFlags(TEllipsisPosition Position) {
  switch (Position) {
    case epPathEllipsis: return DT_PATH_ELLIPSIS;
    case epEndEllipsis: return DT_END_ELLIPSIS;
    case epWordEllipsis: return DT_WORD_ELLIPSIS;
    case epNone: break;
  }
  return 0;
}

}  // namespace

bool WindowMaximized(TCustomForm* Form) {
  if (!Form || !Form->HandleAllocated()) return false;
  return (GetWindowLongW(Form->Handle(), GWL_STYLE) & WS_MAXIMIZE) != 0;
}

// ---- TNCCtrlPos -----------------------------------------------------------------

int32_t TNCCtrlPos::X() const {
  const int32_t x = ScaleByDPI(FForm, FXValue);
  if (FAlign == caLeft) return x;
  return (FForm ? FForm->Width() : 0) - x;
}

int32_t TNCCtrlPos::Y() const { return ScaleByDPI(FForm, FYValue); }

int32_t TNCCtrlPos::DisplayWidth() const { return ScaleByDPI(FForm, Width()); }

int32_t TNCCtrlPos::DisplayHeight() const { return ScaleByDPI(FForm, Height()); }

void TNCCtrlPos::SetAlign(TNCCtrlAlign Value) {
  if (Value == FAlign) return;
  FAlign = Value;
  Changed();
}

void TNCCtrlPos::SetXValue(int32_t Value) {
  if (Value == FXValue) return;
  FXValue = Value;
  Changed();
}

void TNCCtrlPos::SetYValue(int32_t Value) {
  if (Value == FYValue) return;
  FYValue = Value;
  Changed();
}

void TNCCtrlPos::Assign(TPersistent* Source) {
  auto* source = dynamic_cast<TNCCtrlPos*>(Source);
  if (!source) {
    TPersistent::Assign(Source);
    return;
  }
  FWidth = source->FWidth;
  FHeight = source->FHeight;
  FUseDefault = source->FUseDefault;
  SetAlign(source->FAlign);
  SetXValue(source->FXValue);
  SetYValue(source->FYValue);
}

void TNCCtrlPos::Changed() {
  if (!FLocked && OnChanged) OnChanged(this);
}

// ---- TVelSkinNCCtrlBase ----------------------------------------------------------

TVelSkinNCCtrlBase::TVelSkinNCCtrlBase(TComponent* AOwner) : TComponent(AOwner) {
  FForm = dynamic_cast<TCustomForm*>(AOwner);
  FHintWindow = std::make_unique<THintWindow>(nullptr);
  FPos = std::make_unique<TNCCtrlPos>(FForm);
  FPos->OnChanged = [this](TObject*) { FOldPos = TPoint{FPos->XValue(), FPos->YValue()}; };
  FPos->SetXValue(0);
  FPos->SetYValue(0);
  FPos->SetWidth(25);
  FPos->SetHeight(25);
  FTimer = std::make_unique<TTimer>(nullptr);
  FTimer->SetInterval(100);
  FTimer->SetOnTimer([this](TObject*) { TimerTick(); });
  FTimer->SetEnabled(true);
  if (!Designing()) PostRegistration();
}

void TVelSkinNCCtrlBase::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && AComponent == FParentObject) FParentObject = nullptr;
}

TVelSkinNCCtrlBase::~TVelSkinNCCtrlBase() {
  FTimer.reset();
  DropQueuedRegistrations(FForm, this);
  FHintWindow.reset();
  FPos.reset();
}

void TVelSkinNCCtrlBase::SetForm(TCustomForm* Value) {
  FForm = Value;
  FPos->SetForm(Value);
}

void TVelSkinNCCtrlBase::SetVisible(bool Value) {
  if (Value == FVisible) return;
  FVisible = Value;
  Invalidate();
}

TPoint TVelSkinNCCtrlBase::CursorInForm() const {
  POINT p{0, 0};
  GetCursorPos(&p);
  if (!FForm) return TPoint{p.x, p.y};
  if (FForm->HandleAllocated()) {
    // The window rectangle is in screen coordinates whether or not the form has a parent.
    RECT r;
    GetWindowRect(FForm->Handle(), &r);
    return TPoint{p.x - r.left, p.y - r.top};
  }
  return TPoint{p.x - FForm->Left(), p.y - FForm->Top()};
}

void TVelSkinNCCtrlBase::PostRegistration() {
  if (!FForm) return;
  PostMessageW(FForm->Handle(), MM_ADDNCCTRL, reinterpret_cast<WPARAM>(this), 0);
}

void TVelSkinNCCtrlBase::TimerTick() {
  if (Designing()) return;
  try {
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (!FHooked) PostRegistration();
    if (!FMouseEnter) return;
    const HWND under = WindowFromPoint(p);
    if (!FForm || !FForm->HandleAllocated() || under != FForm->Handle()) {
      FMouseEnter = false;
      MouseLeave();
    }
  } catch (...) {
    // A failed poll is retried on the next tick; a timer must not raise.
  }
}

void TVelSkinNCCtrlBase::MouseEnter() {
  if (!FVisible) return;
  Invalidate();
  if (!FHint.empty()) {
    POINT c{0, 0};
    GetCursorPos(&c);
    const TRect size = FHintWindow->CalcHintRect(0, FHint);
    const int tw = size.Right - size.Left;
    const int th = size.Bottom - size.Top;
    FHintWindow->ActivateHint(TRect{c.x + 16, c.y + 16, c.x + 24 + tw, c.y + 18 + th}, FHint);
  }
  if (OnMouseEnter) OnMouseEnter(this);
}

void TVelSkinNCCtrlBase::MouseLeave() {
  if (!FVisible) return;
  Invalidate();
  FHintWindow->ReleaseHandle();
  if (OnMouseLeave) OnMouseLeave(this);
}

int32_t TVelSkinNCCtrlBase::Width() const { return FPos->Width(); }

int32_t TVelSkinNCCtrlBase::Height() const { return FPos->Height(); }

TRect TVelSkinNCCtrlBase::ClientRect() const {
  const int32_t x = FPos->X() + FClientRectOffset.X;
  const int32_t y = FPos->Y() + FClientRectOffset.Y;
  return TRect{x, y, x + Width(), y + Height()};
}

void TVelSkinNCCtrlBase::LMouseDown() {
  Invalidate();
  if (OnLMouseDown) OnLMouseDown(this);
}

void TVelSkinNCCtrlBase::LMouseUp() {
  Invalidate();
  if (OnLMouseUp) OnLMouseUp(this);
}

void TVelSkinNCCtrlBase::Paint(TBitmap32* Bitmap) {
  if (Destroying() || !FForm) return;
  // Locked, so that the shift below does not overwrite the offsets last set.
  FPos->Lock();
  TScopeExit unlock([this] { FPos->UnLock(); });
  const int32_t shift = WindowMaximized(FForm) ? 1 : 0;
  FPos->SetXValue(FOldPos.X - shift);
  FPos->SetYValue(FOldPos.Y - shift);
}

void TVelSkinNCCtrlBase::NCMouseMove(TPoint) {
  const TPoint p = CursorInForm();
  const TRect r = ClientRect();
  const bool inside = p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom;
  if (inside) MouseOver();
  if (inside == FMouseEnter) return;
  FMouseEnter = inside;
  if (inside)
    MouseEnter();
  else
    MouseLeave();
}

void TVelSkinNCCtrlBase::DPIChanged() {
  if (OnDPIChanged) OnDPIChanged(this, FForm ? FForm->PixelsPerInch() : 96);
}

void TVelSkinNCCtrlBase::Invalidate() {
  if (Designing() || !FForm || !FForm->HandleAllocated()) return;
  SendMessageW(FForm->Handle(), MM_NCINVALIDATE, 0, 0);
}

void TVelSkinNCCtrlBase::RemoveSelf() {
  if (Destroying() || !FForm) return;
  SendMessageW(FForm->Handle(), MM_REMOVENCCTRL, reinterpret_cast<WPARAM>(this), 0);
}

// ---- TVelSkinNCLabel -------------------------------------------------------------

TVelSkinNCLabel::TVelSkinNCLabel(TComponent* AOwner) : TVelSkinNCCtrlBase(AOwner) {
  FCaption = FForm ? FForm->Caption() : std::wstring(L"NCLabel");
  FLight = std::make_unique<TVelLightClass>();
  FLight->SetOnChanged([this](TObject*) { Invalidate(); });
  FFont = std::make_unique<TFont>();
  FFont->OnChange = [this](TObject*) { SizeStale(); };
  FPos->SetXValue(5);
  FPos->SetYValue(5);
}

TVelSkinNCLabel::~TVelSkinNCLabel() = default;

void TVelSkinNCLabel::SizeStale() {
  FResetSize = true;
  Invalidate();
}

void TVelSkinNCLabel::Measure() const {
  if (!FResetSize) return;
  TFont font;
  font.Assign(FFont.get());
  ScaleFontByDPI(FForm, font);
  TWindowDC dc(FForm && FForm->HandleAllocated() ? FForm->Handle() : nullptr);
  TSelectObject select(dc.Get(), font.Handle());
  RECT r{0, 0, 0, 0};
  DrawTextW(dc.Get(), FCaption.c_str(), static_cast<int>(FCaption.size()), &r, DT_CALCRECT);
  FWidth = FMaxWidth != 0 ? FMaxWidth : r.right - r.left;
  FHeight = r.bottom - r.top;
  FResetSize = false;
}

int32_t TVelSkinNCLabel::Width() const {
  Measure();
  return FWidth;
}

int32_t TVelSkinNCLabel::Height() const {
  Measure();
  return FHeight;
}

void TVelSkinNCLabel::SetEllipsisPosition(TEllipsisPosition Value) {
  if (Value == FEllipsisPosition) return;
  FEllipsisPosition = Value;
  Invalidate();
}

void TVelSkinNCLabel::SetCaption(const std::wstring& Value) {
  if (Value == FCaption) return;
  FCaption = Value;
  SizeStale();
}

void TVelSkinNCLabel::SetFont(const TFont& Value) { FFont->Assign(const_cast<TFont*>(&Value)); }

void TVelSkinNCLabel::SetRenderText(bool Value) {
  if (Value == FRenderText) return;
  FRenderText = Value;
  Invalidate();
}

void TVelSkinNCLabel::SetMaxWidth(int32_t Value) {
  if (Value < 0) Value = 0;
  if (Value == FMaxWidth) return;
  FMaxWidth = Value;
  SizeStale();
}

void TVelSkinNCLabel::LMouseDown() {
  // The system's drag runs until the button comes up: it starts only while it is down.
  if (FCaptureMouse && FForm && (GetAsyncKeyState(VK_LBUTTON) & 0x8000)) {
    // Hands the press to the system's window drag, as a caption press would.
    // The cursor's screen point goes along, as with the system's own caption press.
    ReleaseCapture();
    POINT cursor{};
    GetCursorPos(&cursor);
    SendMessageW(FForm->Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, MAKELPARAM(cursor.x, cursor.y));
  }
  TVelSkinNCCtrlBase::LMouseDown();
}

void TVelSkinNCLabel::Paint(TBitmap32* Bitmap) {
  TVelSkinNCCtrlBase::Paint(Bitmap);
  if (!Bitmap || Destroying() || !FForm) return;
  TFont font;
  font.Assign(FFont.get());
  ScaleFontByDPI(FForm, font);
  ::SetFont(*Bitmap, font);
  TCanvas& canvas = Canvas(*Bitmap);
  canvas.SetFont(font);
  Measure();
  const int32_t x = FPos->X();
  const int32_t y = FPos->Y();
  TRect r{x, y, x + FWidth, y + FHeight};
  const TColor32 color = ToColor32(FFont->Color());
  if (FMaxWidth == 0) {
    if (FLight->Active()) DrawGlowText(canvas, r, FCaption, FLight->BlurRadius(), FLight->Color(), DT_VCENTER);
    if (FRenderText)
      RenderTextW(*Bitmap, x, y, FCaption, 1, color);
    else
      TextoutW(*Bitmap, x, y, FCaption);
    return;
  }
  const UINT flags = EllipsisFlags(FEllipsisPosition);
  r.Right = r.Left + FMaxWidth;
  if (FLight->Active()) DrawGlowText(canvas, r, FCaption, FLight->BlurRadius(), FLight->Color(), flags);
  if (FRenderText)
    ::RenderText(*Bitmap, r, flags, FCaption, color);
  else
    TextoutW(*Bitmap, r, flags, FCaption);
}

void TVelSkinNCLabel::DPIChanged() {
  SizeStale();
  TVelSkinNCCtrlBase::DPIChanged();
}
