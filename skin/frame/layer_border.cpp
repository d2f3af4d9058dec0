#include "skin/frame/layer_border.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"

namespace {

constexpr UINT MoveByPress = 0xF011;      // SC_MOVE driven by the mouse button held down
constexpr WPARAM MoveByCaption = 0xF012;  // SC_MOVE | HTCAPTION, as the title label sends it

TvelFormLayerBorderType SideOf(TSideKind Side) {
  switch (Side) {
    case skdLeft: return mpflLeft;
    case skdRight: return mpflRight;
    case skdBottom: return mpflBottom;
    case skdTop: break;
  }
  return mpflTop;
}

// The order the windows are created and placed in, and the order they are drawn in.
constexpr TvelFormLayerBorderType CreationOrder[] = {mpflLeft, mpflRight, mpflTop, mpflBottom};
constexpr TvelFormLayerBorderType DrawOrder[] = {mpflTop, mpflBottom, mpflLeft, mpflRight};

// On the top window, shortly after new windows were first shown.
constexpr UINT_PTR ReplaceTimer = 1;

}  // namespace

// ---- TvelFormLayerWindow -------------------------------------------------------------------------

TvelFormLayerWindow::TvelFormLayerWindow(TVelFormLayerBorder* Border, bool Transparent, TCustomForm* Form)
    : TForm(nullptr), FTransparent(Transparent), FForm(Form), FLayerBorder(Border) {
  SetBorderStyle(bsNone);
  SetScaled(false);
  if (Form && Form->FormStyle() == fsStayOnTop) SetFormStyle(fsStayOnTop);
  AfterConstruction();
  HandleNeeded();
}

TvelFormLayerWindow::~TvelFormLayerWindow() {
  ReleaseControls();
  DestroyHandle();
}

void TvelFormLayerWindow::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  Params.Style = WS_POPUP;
  // A tool window gets no taskbar button; the window never takes the
  // activation, and a transparent (shadow) border lets the mouse through.
  Params.ExStyle = (Params.ExStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW | WS_EX_LAYERED | WS_EX_NOACTIVATE;
  if (FTransparent) Params.ExStyle |= WS_EX_TRANSPARENT;
  Params.ClassStyle = CS_DBLCLKS | CS_OWNDC;
  if (FForm && Application->MainForm() == FForm) Params.WndParent = nullptr;
  Params.WinClassName = L"QuorrelLayerWindow";
}

void TvelFormLayerWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TForm::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  FControls.erase(std::remove_if(FControls.begin(), FControls.end(),
                                 [&](const TAdopted& a) { return a.Control == AComponent; }),
                  FControls.end());
}

bool TvelFormLayerWindow::OnThisWindow(const TVelSkinNCCtrlBase* Control) const {
  return std::any_of(FControls.begin(), FControls.end(), [&](const TAdopted& a) { return a.Control == Control; });
}

void TvelFormLayerWindow::ReleaseControls() {
  for (const TAdopted& a : FControls) {
    a.Control->RemoveFreeNotification(this);
    a.Control->SetForm(a.Control->SourceForm());
    a.Control->SetSourceForm(a.OldSourceForm);
    if (a.XShift) a.Control->Pos().SetXValue(a.Control->Pos().XValue() + a.XShift);
  }
  FControls.clear();
}

void TvelFormLayerWindow::PaintControls(TBitmap32& Bitmap) {
  TList* list = FLayerBorder->NCCtrlList();
  if (!list) return;
  std::vector<TColor32> before;
  for (int i = 0; i < list->Count(); ++i) {
    auto* control = list->Get<TVelSkinNCCtrlBase>(i);
    if (SideOf(control->PutSide()) != FBorderType) continue;
    if (!OnThisWindow(control)) {
      if (control->Form() != FForm) continue;
      // System commands still go to the skinned form. Positions stay measured
      // against the skinned form, so a right-aligned control keeps its
      // distance from the right edge of the (wider) border window.
      TAdopted adopted{control, control->SourceForm(), 0};
      control->SetSourceForm(FForm);
      control->SetForm(this);
      control->Pos().SetForm(FForm);
      if (control->Pos().Align() == caRight) {
        adopted.XShift = FLayerBorder->Size().Width();
        control->Pos().SetXValue(control->Pos().XValue() - adopted.XShift);
      }
      control->FreeNotification(this);
      FControls.push_back(adopted);
    }
    if (!control->Visible()) continue;
    if (before.empty()) before.assign(Bitmap.Bits(), Bitmap.Bits() + Bitmap.Width() * Bitmap.Height());
    control->Paint(&Bitmap);
  }
  if (before.empty()) return;
  // GDI text leaves alpha 0 where it wrote; such pixels are opaque here.
  GdiFlush();
  TColor32* bits = Bitmap.Bits();
  for (size_t i = 0; i < before.size(); ++i)
    if (bits[i] != before[i] && (bits[i] >> 24) == 0) bits[i] |= 0xFF000000u;
}

void TvelFormLayerWindow::DrawSelf(bool Hiding, const TPoint* Pos) {
  if (!HandleAllocated()) return;
  const HWND window = Handle();
  FHided = Hiding;
  const TBitmap32& strip = FLayerBorder->StripImage(FBorderType);
  if (strip.Empty()) {
    // Nothing to show (no image, or no room around a tiny form).
    if (IsWindowVisible(window)) ShowWindow(window, SW_HIDE);
    return;
  }
  FScratch.SetSize(strip.Width(), strip.Height());
  strip.DrawTo(&FScratch, 0, 0);
  if (!Hiding && !FTransparent) PaintControls(FScratch);
  GdiFlush();
  PremultiplyPixels(FScratch.Bits(), FScratch.Width() * FScratch.Height());
  if (!FTransparent) {
    // A hidden opaque border lets clicks through to what lies below it.
    const LONG_PTR ex = GetWindowLongPtrW(window, GWL_EXSTYLE);
    const LONG_PTR want = Hiding ? (ex | WS_EX_TRANSPARENT) : (ex & ~static_cast<LONG_PTR>(WS_EX_TRANSPARENT));
    if (want != ex) SetWindowLongPtrW(window, GWL_EXSTYLE, want);
  }
  RECT r{};
  GetWindowRect(window, &r);
  POINT dst{r.left, r.top};
  if (Pos) dst = POINT{Pos->X, Pos->Y};
  SIZE size{FScratch.Width(), FScratch.Height()};
  POINT src{0, 0};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, static_cast<BYTE>(Hiding ? 0 : 255), AC_SRC_ALPHA};
  TWindowDC screen(nullptr);
  UpdateLayeredWindow(window, screen.Get(), &dst, &size, ::Handle(FScratch), &src, 0x1FFFFFFF, &blend, ULW_ALPHA);
}

TVelSkinNCCtrlBase* TvelFormLayerWindow::ControlUnderCursor() const {
  TList* list = FLayerBorder->NCCtrlList();
  if (!list) return nullptr;
  for (int i = 0; i < list->Count(); ++i) {
    auto* control = list->Get<TVelSkinNCCtrlBase>(i);
    if (OnThisWindow(control) && control->CursorEnter()) return control;
  }
  return nullptr;
}

void TvelFormLayerWindow::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case MM_NCINVALIDATE:
      DrawSelf(FHided);
      return;
    case MM_REMOVENCCTRL:
      // A control on this window asks its skin form to free it.
      if (FForm && FForm->HandleAllocated())
        Message.Result = SendMessageW(FForm->Handle(), MM_REMOVENCCTRL, Message.WParam, Message.LParam);
      return;
    default:
      TForm::Dispatch(Message);
  }
}

void TvelFormLayerWindow::WMTimer(TWMTimer& Message) {
  if (Message.TimerID != ReplaceTimer) return TForm::WMTimer(Message);
  StopTimer(ReplaceTimer);
  FLayerBorder->Replace();
}

void TvelFormLayerWindow::WMMouseActivate(TWMMouseActivate& Message) { Message.Result = MA_NOACTIVATE; }

void TvelFormLayerWindow::WMNCHitTest(TWMNCHitTest& Message) {
  TForm::WMNCHitTest(Message);
  Message.Result = HTOBJECT;
}

void TvelFormLayerWindow::WMNCMouseMove(TWMNCMouse& Message) {
  TForm::WMNCMouseMove(Message);
  TList* list = FLayerBorder->NCCtrlList();
  if (!list) return;
  for (int i = 0; i < list->Count(); ++i) {
    auto* control = list->Get<TVelSkinNCCtrlBase>(i);
    if (OnThisWindow(control)) control->NCMouseMove(Message.Pos);
  }
}

void TvelFormLayerWindow::WMNCLButtonDown(TWMNCMouse& Message) {
  if (TVelSkinNCCtrlBase* control = ControlUnderCursor()) {
    control->LMouseDown();
    DrawSelf(FHided);
    return;
  }
  if (!FDrag || !FForm || !FForm->HandleAllocated()) return;
  ReleaseCapture();
  SendMessageW(FForm->Handle(), WM_SYSCOMMAND, MoveByPress, MAKELPARAM(Message.Pos.X, Message.Pos.Y));
}

void TvelFormLayerWindow::WMNCLButtonUp(TWMNCMouse&) {
  if (TVelSkinNCCtrlBase* control = ControlUnderCursor()) {
    control->LMouseUp();
    DrawSelf(FHided);
  }
}

void TvelFormLayerWindow::WMSysCommand(TWMSysCommand& Message) {
  // Only the drag a title-bar control starts goes on, to the skinned form.
  if (Message.Raw.WParam == MoveByCaption && FForm && FForm->HandleAllocated())
    SendMessageW(FForm->Handle(), WM_SYSCOMMAND, Message.Raw.WParam, Message.Raw.LParam);
  Message.Result = 0;
}

// ---- TVelFormLayerBorder ------------------------------------------------------------------------

TVelFormLayerBorder::TVelFormLayerBorder(TComponent* AOwner)
    : TComponent(AOwner),
      FInflateSize(std::make_unique<TVelBorderSize>(5, 5, -5, -5)),
      FSize(std::make_unique<TVelBorderSize>()) {}

TVelFormLayerBorder::~TVelFormLayerBorder() {
  FreeLayerWindow();
  ForgetForm();
  if (FVelSkinForm) FVelSkinForm->RemoveFreeNotification(this);
}

void TVelFormLayerBorder::ForgetForm() {
  if (!FForm) return;
  // The form keeps no handler that leads here.
  if (FInited && !FForm->ComponentState().Contains(csDestroying)) {
    FForm->OnClose = FOldCloseEvent;
    FForm->OnShow = FOldShowEvent;
  }
  FForm->RemoveFreeNotification(this);
  FForm = nullptr;
}

void TVelFormLayerBorder::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FForm) {
    // The border never outlives its form's window.
    FreeLayerWindow();
    FForm = nullptr;
    FVisible = false;
  }
  if (AComponent == FVelSkinForm) {
    FVelSkinForm = nullptr;
    FNCCtrlList = nullptr;
  }
}

void TVelFormLayerBorder::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  FBorderEmbedOffset = Value ? 2 : 20;
  FNeedReCreateLayerWindow = true;
}

HWND TVelFormLayerBorder::TopBorderHandle() const {
  const TvelFormLayerWindow* top = FBorders[mpflTop].get();
  return top && top->HandleAllocated() ? const_cast<TvelFormLayerWindow*>(top)->Handle() : nullptr;
}

bool TVelFormLayerBorder::FormUsable() const { return FForm && FForm->HandleAllocated(); }
bool TVelFormLayerBorder::FormMinimized() const { return FormUsable() && IsIconic(FForm->Handle()); }
bool TVelFormLayerBorder::FormMaximized() const { return FormUsable() && IsZoomed(FForm->Handle()); }
bool TVelFormLayerBorder::FormWindowVisible() const { return FormUsable() && IsWindowVisible(FForm->Handle()); }

TRect TVelFormLayerBorder::FormRect() const {
  RECT r{};
  if (FormUsable()) GetWindowRect(FForm->Handle(), &r);
  return TRect{r.left, r.top, r.right, r.bottom};
}

bool TVelFormLayerBorder::WindowsExist() const {
  return std::all_of(FBorders.begin(), FBorders.end(), [](const auto& w) { return w != nullptr; });
}

void TVelFormLayerBorder::InitFrame(TCustomForm* Form) {
  if (FInited || !Form) return;
  FInited = true;
  FForm = Form;
  FForm->FreeNotification(this);
  if (!FVelSkinForm) {
    FVelSkinForm = TVelFormSkinHelper::Instance().Get(Form);
    if (FVelSkinForm) FVelSkinForm->FreeNotification(this);
  }
  FOldCloseEvent = Form->OnClose;
  FOldShowEvent = Form->OnShow;
  Form->OnClose = [this](TObject* Sender, TCloseAction& Action) {
    if (FOldCloseEvent) FOldCloseEvent(Sender, Action);
    // A close that is refused or only minimizes leaves the border working.
    if (Action == caHide || Action == caFree) FFormClosed = true;
  };
  Form->OnShow = [this](TObject* Sender) {
    if (FOldShowEvent) FOldShowEvent(Sender);
    FFormClosed = false;
  };
}

void TVelFormLayerBorder::BuildStrips() {
  if (FTransparent && FStretchKind == skTile) *FInflateSize = TVelBorderSize(0, 0, 0, 0);
  FLayout = LayerBorderLayout(FWidth, FHeight, *FSize, *FInflateSize, FTransparent);
  BuildLayerBorderStrips(SkinImageOrNone(FImage), FStretchKind, FLayout, FStrips);
}

bool TVelFormLayerBorder::CreateWindows() {
  const bool onTop = FForm->FormStyle() == fsStayOnTop;
  const bool reusable = WindowsExist() && !FNeedReCreateLayerWindow &&
                        (FBorders[mpflTop]->FormStyle() == fsStayOnTop) == onTop &&
                        FBorders[mpflTop]->Transparent() == FTransparent;
  if (!reusable) {
    FreeLayerWindow();
    for (TvelFormLayerBorderType side : CreationOrder) {
      FBorders[side] = std::make_unique<TvelFormLayerWindow>(this, FTransparent, FForm);
      FBorders[side]->SetBorderType(side);
    }
    FNeedReCreateLayerWindow = false;
  }
  for (auto& window : FBorders) window->SetDrag(FDragEnabled);
  return !reusable;
}

void TVelFormLayerBorder::FreeLayerWindow() {
  for (auto& window : FBorders) window.reset();
  FNeedReCreateLayerWindow = true;
}

TPoint TVelFormLayerBorder::WindowPos(TvelFormLayerBorderType Side, int32_t X, int32_t Y) const {
  const TPoint offset = FLayout[Side].Offset;
  return TPoint{X + offset.X, Y + offset.Y};
}

void TVelFormLayerBorder::DrawAll(bool Hiding) {
  for (TvelFormLayerBorderType side : DrawOrder)
    if (FBorders[side]) FBorders[side]->DrawSelf(Hiding);
}

void TVelFormLayerBorder::DrawAllAt(bool Hiding, int32_t X, int32_t Y) {
  for (TvelFormLayerBorderType side : DrawOrder) {
    if (!FBorders[side]) continue;
    const TPoint pos = WindowPos(side, X, Y);
    FBorders[side]->DrawSelf(Hiding, &pos);
  }
}

void TVelFormLayerBorder::Place(int32_t X, int32_t Y) {
  if (!WindowsExist() || !FormUsable()) return;
  const HWND form = FForm->Handle();
  const TRect r = FormRect();
  const TLayerBorderLayout layout = LayerBorderLayout(r.Width(), r.Height(), *FSize, *FInflateSize, FTransparent);
  constexpr UINT zFlags = SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE | SWP_NOOWNERZORDER | SWP_NOSENDCHANGING;
  // A stay-on-top form that is active goes to the top first, its border right below it.
  if (FForm->FormStyle() == fsStayOnTop && GetActiveWindow() == form)
    SetWindowPos(form, HWND_TOPMOST, 0, 0, 0, 0, zFlags);
  bool appearing = false;
  HDWP batch = BeginDeferWindowPos(4);
  for (TvelFormLayerBorderType side : CreationOrder) {
    const HWND window = FBorders[side]->Handle();
    appearing = appearing || (!IsWindowVisible(window) && !FStrips[side].Empty());
    const UINT flags = SWP_NOSIZE | SWP_NOACTIVATE | (FStrips[side].Empty() ? SWP_HIDEWINDOW : SWP_SHOWWINDOW);
    const int32_t x = X + layout[side].Offset.X, y = Y + layout[side].Offset.Y;
    if (batch)
      batch = DeferWindowPos(batch, window, form, x, y, 0, 0, flags);
    else
      SetWindowPos(window, form, x, y, 0, 0, flags);
  }
  if (batch) EndDeferWindowPos(batch);
  // A window that appears is raised once it is really on screen (under Wine
  // when the display server maps it, after this call): put the border below
  // the form again once the messages of that have been handled.
  if (appearing) FBorders[mpflTop]->StartTimer(ReplaceTimer, 10);
}

void TVelFormLayerBorder::Replace() {
  if (!FormUsable()) return;
  const TRect r = FormRect();
  MoveWithForm(r.Left, r.Top);
}

void TVelFormLayerBorder::Show(int32_t X, int32_t Y, int32_t H, int32_t W) {
  if (FFormClosed || !FormUsable()) return;
  FWidth = W;
  FHeight = H;
  // A form shown minimized or maximized gets its border when it comes back.
  const bool away = FormMinimized() || FormMaximized();
  FVisible = !away;
  FHide = away;
  FMinimized = away;
  BuildStrips();
  CreateWindows();
  if (away) {
    DrawAll(true);
    return;
  }
  DrawAllAt(false, X, Y);
  Place(X, Y);
}

void TVelFormLayerBorder::ShowWithForm(TList* List) {
  if (FFormClosed) return;
  FNCCtrlList = List;
  if (!FormUsable()) return;
  const TRect r = FormRect();
  Show(r.Left, r.Top, r.Height(), r.Width());
}

void TVelFormLayerBorder::Show() {
  if (FFormClosed) return;
  FHide = false;
  if (!FVisible || !WindowsExist() || FormMinimized() || FormMaximized()) return;
  const TRect r = FormRect();
  if (r.Width() != FWidth || r.Height() != FHeight) {
    SetBounds(r.Left, r.Top, r.Height(), r.Width());
    return;
  }
  DrawAllAt(false, r.Left, r.Top);
  Place(r.Left, r.Top);
}

void TVelFormLayerBorder::SetBounds(int32_t X, int32_t Y, int32_t H, int32_t W) {
  if (!FVisible || FFormClosed || !FormUsable()) return;
  FWidth = W;
  FHeight = H;
  BuildStrips();
  if (FormMinimized()) {
    DrawAll(FHide);
    return;
  }
  // Drawn at the new places: each window moves and takes its new size in one update.
  DrawAllAt(FHide, X, Y);
  Place(X, Y);
}

void TVelFormLayerBorder::SetBoundsWithForm() {
  if (FFormClosed || !FormUsable()) return;
  if (FormMaximized()) {
    Minimizing();
    return;
  }
  if (FormMinimized()) return;
  if (FHide && FormWindowVisible()) {
    // Hidden while the form was maximized or minimized: back with the normal form.
    if (FMinimized)
      Restoring();
    else
      FHide = false;
  }
  if (!FVisible || !FormWindowVisible()) return;
  const TRect r = FormRect();
  SetBounds(r.Left, r.Top, r.Height(), r.Width());
}

void TVelFormLayerBorder::MoveWithForm(int32_t Left, int32_t Top) {
  if (!FVisible || FFormClosed || !WindowsExist() || FHide) return;
  if (!FormWindowVisible() || FormMinimized()) return;
  Place(Left, Top);
}

void TVelFormLayerBorder::Hide() {
  FHide = true;
  DrawAll(true);
}

void TVelFormLayerBorder::Minimizing() {
  if (FMinimized) return;
  FMinimized = true;
  FHide = true;
  FVisible = false;
  DrawAll(true);
}

void TVelFormLayerBorder::Restoring() {
  if (!FMinimized || FFormClosed) return;
  FMinimized = false;
  FVisible = true;
  FHide = false;
  if (!FormWindowVisible() || FormMinimized() || FormMaximized()) {
    // The form is not back as a normal window yet: the border stays hidden.
    FHide = true;
    DrawAll(true);
    return;
  }
  Show();
}

void TVelFormLayerBorder::ReAlign() {
  if (FormMaximized())
    Minimizing();
  else
    Restoring();
}

void TVelFormLayerBorder::CheckFormAlpha(bool Update) {
  if (FVisible && Update) DrawAll(FHide);
}
