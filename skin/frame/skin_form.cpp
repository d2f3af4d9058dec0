// The skin form's creation, settings, registries and message table, with
// the non-client geometry (client area, hit test, maximize geometry) and the
// mouse routing to the title-bar controls. Painting is in
// skin_form_paint.cpp; showing, the minimize cycle and the timers in
// skin_form_window.cpp.
#include "skin/frame/skin_form.h"

#include <algorithm>

#include "skin/frame/frame_geometry.h"
#include "skin/frame/layer_border.h"
#include "skin/frame/main_menu.h"
#include "skin/frame/skin_menu.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_res.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"

// ---- TVelHookWindowProc -------------------------------------------------------------------------

TVelHookWindowProc::TVelHookWindowProc(TComponent* AOwner) : TComponent(AOwner) {
  auto* form = dynamic_cast<TCustomForm*>(AOwner);
  if (!form || Designing()) return;
  FDestForm = form;
  FOldWindowProc.Hook(*form, [this](TMessage& Message) { WndProc(Message); });
}

TVelHookWindowProc::~TVelHookWindowProc() { FOldWindowProc.Unhook(); }

void TVelHookWindowProc::WndProc(TMessage& Message) { PassOn(Message); }

// ---- Options and registries ---------------------------------------------------------------------

void TVelSkinFormOptions::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TVelSkinFormOptions*>(Source)) {
    FMinimizeToTaskbar = other->FMinimizeToTaskbar;
    FHideInTaskbar = other->FHideInTaskbar;
    FDragFullWindows = other->FDragFullWindows;
    return;
  }
  TPersistent::Assign(Source);
}

TVelFormSkinHelper& TVelFormSkinHelper::Instance() {
  static TVelFormSkinHelper helper;
  return helper;
}

void TVelFormSkinHelper::Add(TCustomForm* Form, TVelSkinForm* SkinForm) { FItems.emplace_back(Form, SkinForm); }

void TVelFormSkinHelper::Remove(TCustomForm* Form) {
  const int index = IndexOf(Form);
  if (index >= 0) FItems.erase(FItems.begin() + index);
}

int TVelFormSkinHelper::IndexOf(TCustomForm* Form) const {
  for (size_t i = 0; i < FItems.size(); ++i)
    if (FItems[i].first == Form) return static_cast<int>(i);
  return -1;
}

TVelSkinForm* TVelFormSkinHelper::Get(TCustomForm* Form) const {
  const int index = IndexOf(Form);
  return index < 0 ? nullptr : FItems[index].second;
}

TVelWinControlHelper& TVelWinControlHelper::Instance() {
  static TVelWinControlHelper helper;
  return helper;
}

void TVelWinControlHelper::Add(TWinControl* Control) {
  if (Items.IndexOf(Control) < 0) Items.Add(Control);
}

void TVelWinControlHelper::Remove(TWinControl* Control) { Items.Remove(Control); }

// ---- Creation -----------------------------------------------------------------------------------

TVelSkinForm::TVelSkinForm(TComponent* AOwner)
    : TVelHookWindowProc(AOwner),
      FColorBgBitmap(std::make_unique<TBitmap32>()),
      FColorBkGraphic(std::make_unique<TBitmap32>()),
      FPictureBgBitmap(std::make_unique<TBitmap32>()),
      FPictureBkGraphic(std::make_unique<TBitmap32>()),
      FOptions(std::make_unique<TVelSkinFormOptions>()),
      FMainMenu(std::make_unique<TVelSkinMainMenu>(FDestForm, this)) {
  TVelFormSkinHelper::Instance().Add(FDestForm, this);
  FCustomPicture.clear();
  FOldFramWidth = FFramWidth;
  if (Designing() || !FDestForm) {
    FActive = false;
    return;
  }
  FOldBorderIcons = FDestForm->BorderIcons();
  FOldWS = FDestForm->WindowState();
  FActive = true;
  SetAccPartSource(*FDestForm, this);
  FDestForm->SetAutoScroll(false);
  if (!DPIScalingEnabled) FDestForm->SetScaled(false);
  FAppHookId = Application->HookMainWindow([this](TMessage& Message) { return AppWindowHook(Message); });
}

TVelSkinForm::~TVelSkinForm() {
  // The form gets its own window procedure back before anything here goes.
  FOldWindowProc.Unhook();
  if (FDestForm && FDestForm->HandleAllocated())
    for (UINT_PTR id : {SkinTimerResize, SkinTimerShow, SkinTimerMenu, SkinTimerBorderWatch}) FDestForm->StopTimer(id);
  ReleaseClassBrush();
  if (FAppHookId) Application->UnhookMainWindow(FAppHookId);
  TVelFormSkinHelper::Instance().Remove(FDestForm);
  if (FDestForm) SetAccPartSource(*FDestForm, nullptr);
}

// ---- Settings -----------------------------------------------------------------------------------

void TVelSkinForm::SetTitlerColor(TColor Value) {
  if (Value == FTitlerColor) return;
  FTitlerColor = Value;
  FNCBkColor = Value;
}

void TVelSkinForm::SetFramWidth(int32_t Value) {
  if (Value < 0 || Value == FFramWidth) return;
  FFramWidth = Value;
  if (Value == 0) FFlatFrame = true;
  FOldFramWidth = Value;
}

void TVelSkinForm::SetCustomPicture(const TVelResID& Value) {
  if (Value == FCustomPicture) return;
  FCustomPicture = Value;
  PublishCustomPicture();
}

void TVelSkinForm::SetSkinRes(TVelSkinRes* Value) {
  if (FSkinRes) FSkinRes->RemoveFreeNotification(this);
  FSkinRes = Value;
  if (FSkinRes) FSkinRes->FreeNotification(this);
  ApplySkinRes();
}

void TVelSkinForm::SetImageBorder(TVelFormLayerBorder* Value) {
  if (FImageBorder) {
    // A border the form no longer drives leaves the screen.
    if (FImageBorder != Value) FImageBorder->FreeLayerWindow();
    FImageBorder->RemoveFreeNotification(this);
  }
  FImageBorder = Value;
  if (!FImageBorder) return;
  FImageBorder->FreeNotification(this);
  if (Designing() || !FDestForm || !FDestForm->Visible()) return;
  FImageBorder->InitFrame(FDestForm);
  FImageBorder->CheckFormAlpha(false);
  FImageBorder->ShowWithForm(&FNCCtrlList);
}

void TVelSkinForm::PublishCustomPicture() { FormSkinRes().SetCustomPicture(FCustomPicture); }

void TVelSkinForm::PublishDefaults() {
  TVelFormSkinRes& settings = FormSkinRes();
  settings.BeginUpdate();
  TScopeExit endUpdate([&] { settings.EndUpdate(); });
  settings.SetColor(FColor);
  settings.SetCustomPicture(FCustomPicture);
  settings.SetFramWidth(FFramWidth);
  settings.SetHitTestWidth(FHitTestWidth);
  settings.SetStyle(FStyle);
  settings.SetTitlerColor(FTitlerColor);
}

void TVelSkinForm::EndChange() {
  if (FChangeCount <= 0) return;
  if (--FChangeCount == 0) DoChanged();
}

void TVelSkinForm::InvalidateNC() {
  if (FDestForm) FDestForm->Perform(MM_NCINVALIDATE);
}

void TVelSkinForm::RefreshSkin() {
  if (FDestForm) FDestForm->Perform(MM_REFRESHSKIN);
}

void TVelSkinForm::Notification(TComponent* AComponent, TOperation Operation) {
  TVelHookWindowProc::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  FNCCtrlList.Remove(AComponent);
  if (AComponent == FSkinRes) FSkinRes = nullptr;
  if (AComponent == FImageBorder) FImageBorder = nullptr;
  if (FMainMenu && AComponent == static_cast<TComponent*>(FMainMenu->MainMenu())) FMainMenu->SetMainMenu(nullptr);
  if (FMainMenu && AComponent == static_cast<TComponent*>(FMainMenu->MenuSkin())) FMainMenu->SetMenuSkin(nullptr);
}

int32_t TVelSkinForm::ScaledTitleHeight() const { return ScaleByDPI(FDestForm, FTitleHeight); }
int32_t TVelSkinForm::ScaledGradientHeight() const { return ScaleByDPI(FDestForm, FGradientHeight); }

bool TVelSkinForm::Maximized() const { return FDestForm && FDestForm->HandleAllocated() && IsZoomed(FDestForm->Handle()); }
bool TVelSkinForm::Minimized() const { return FDestForm && FDestForm->HandleAllocated() && IsIconic(FDestForm->Handle()); }
bool TVelSkinForm::Sizable() const {
  return FDestForm->BorderStyle() == bsSizeable || FDestForm->BorderStyle() == bsSizeToolWin;
}
bool TVelSkinForm::BorderNone() const { return FDestForm->BorderStyle() == bsNone; }

int32_t TVelSkinForm::MonitorWidth() {
  if (FMonitorWidth < 0) FMonitorWidth = FDestForm->Monitor().Width();
  return FMonitorWidth;
}

// ---- The message table --------------------------------------------------------------------------

void TVelSkinForm::WndProc(TMessage& Message) {
  if (!FDestForm) return PassOn(Message);
  switch (Message.Msg) {
    case WM_SIZE: { TWMSize m(Message); return WMSize(m); }
    case WM_PAINT: { TWMPaint m(Message); return WMPaint(m); }
    case WM_ERASEBKGND: { TWMEraseBkgnd m(Message); return WMEraseBkgnd(m); }
    case WM_SETCURSOR: { TWMSetCursor m(Message); return WMSetCursor(m); }
    case WM_GETMINMAXINFO: { TWMGetMinMaxInfo m(Message); return WMGetMinMaxInfo(m); }
    case WM_WINDOWPOSCHANGING: { TWMWindowPos m(Message); return WMWindowPosChanging(m); }
    case WM_WINDOWPOSCHANGED: { TWMWindowPos m(Message); return WMWindowPosChanged(m); }
    case WM_NCCALCSIZE: { TWMNCCalcSize m(Message); return WMNCCalcSize(m); }
    case WM_NCHITTEST: { TWMNCHitTest m(Message); return WMNCHitTest(m); }
    case WM_NCPAINT: { TWMNCPaint m(Message); return WMNCPaint(m); }
    case WM_NCACTIVATE: { TWMNCActivate m(Message); return WMNCActivate(m); }
    case WM_NCMOUSEMOVE: { TWMNCMouse m(Message); return WMNCMouseMove(m); }
    case WM_NCLBUTTONDOWN: { TWMNCMouse m(Message); return WMNCLButtonDown(m); }
    case WM_NCLBUTTONUP: { TWMNCMouse m(Message); return WMNCLButtonUp(m); }
    case WM_NCLBUTTONDBLCLK: { TWMNCMouse m(Message); return WMNCLButtonDblClk(m); }
    case WM_SYSCOMMAND: { TWMSysCommand m(Message); return WMSysCommand(m); }
    case WM_TIMER: { TWMTimer m(Message); return WMTimer(m); }
    case WM_DPICHANGED: { TWMBase m(Message); return WMDpiChanged(m); }
    case WM_DISPLAYCHANGE: { TWMBase m(Message); return WMDisplayChange(m); }
    case MM_NCINVALIDATE: { TWMBase m(Message); return MMNCInvalidate(m); }
    case MM_REFRESHSKIN: { TWMBase m(Message); return MMRefreshSkin(m); }
    case MM_SKINRESCHANGED: { TWMBase m(Message); return MMSkinResChanged(m); }
    case MM_ADDNCCTRL: { TWMBase m(Message); return MMAddNCCtrl(m); }
    case MM_REMOVENCCTRL: { TWMBase m(Message); return MMRemoveNCCtrl(m); }
    case MM_MENUCLOSED: { TWMBase m(Message); return MMMenuClosed(m); }
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR: { TWMKey m(Message); return CMDialogKey(m); }
    case CM_VISIBLECHANGED: { TCMVisibleChanged m(Message); return CMVisibleChanged(m); }
    case CM_SHOWINGCHANGED: { TWMBase m(Message); return CMShowingChanged(m); }
    case WM_DESTROY:
      // The border windows never outlive the form's window.
      if (FImageBorder) FImageBorder->FreeLayerWindow();
      return PassOn(Message);
    default: return PassOn(Message);
  }
}

// ---- Non-client geometry ------------------------------------------------------------------------

void TVelSkinForm::WMNCCalcSize(TWMNCCalcSize& Message) {
  if (!FActive || BorderNone() || !Message.Rect) return PassOn(Message.Raw);
  const TRect window{Message.Rect->left, Message.Rect->top, Message.Rect->right, Message.Rect->bottom};
  const TRect client = FrameClientRect(window, FFramWidth, ScaledTitleHeight());
  *Message.Rect = RECT{client.Left, client.Top, client.Right, client.Bottom};
  Message.Result = 0;
}

void TVelSkinForm::WMNCHitTest(TWMNCHitTest& Message) {
  if (!FActive || BorderNone()) return PassOn(Message.Raw);
  RECT window{};
  GetWindowRect(FDestForm->Handle(), &window);
  TPoint p{Message.Pos.X - window.left, Message.Pos.Y - window.top};
  TFrameHitInfo info;
  info.Width = window.right - window.left;
  info.Height = window.bottom - window.top;
  info.HitTestWidth = FHitTestWidth;
  info.TitleHeight = ScaledTitleHeight();
  info.Sizable = Sizable();
  info.Maximized = Maximized();
  info.Client = FrameClientRect(TRect{0, 0, info.Width, info.Height}, FFramWidth, info.TitleHeight);
  Message.Result = FrameHitTest(info, p);
  FIgnoreNCHit = IsResizeHit(static_cast<int32_t>(Message.Result));
}

void TVelSkinForm::WMGetMinMaxInfo(TWMGetMinMaxInfo& Message) {
  if (FActive && !BorderNone() && Message.MinMaxInfo) {
    const TMonitor monitor = FDestForm->Monitor();
    TMaxGeometryState state{FFixedMinMaxInfo, FFormOldMonitorIsPrimary, FOldPtMaxPosition, FOldPtMaxSize,
                            FMinMainInfoOffset_x, FMinMainInfoOffset_y};
    TMaxGeometryInput in;
    in.WorkArea = monitor.WorkareaRect();
    in.MonitorIsPrimary = monitor.Primary();
    in.CreatedMaximized = FOldWS == wsMaximized;
    in.TitleHeight = ScaledTitleHeight();
    in.FlatFrame = FFlatFrame;
    in.MinWidth = FDestForm->Constraints().MinWidth();
    in.MinHeight = FDestForm->Constraints().MinHeight();
    in.MaxWidth = FDestForm->Constraints().MaxWidth();
    in.MaxHeight = FDestForm->Constraints().MaxHeight();
    MINMAXINFO& mmi = *Message.MinMaxInfo;
    TMinMaxPoints points{{mmi.ptMaxSize.x, mmi.ptMaxSize.y},
                         {mmi.ptMaxPosition.x, mmi.ptMaxPosition.y},
                         {mmi.ptMinTrackSize.x, mmi.ptMinTrackSize.y},
                         {mmi.ptMaxTrackSize.x, mmi.ptMaxTrackSize.y}};
    ApplyMaxGeometry(state, in, points);
    FFixedMinMaxInfo = state.FixedMinMaxInfo;
    FFormOldMonitorIsPrimary = state.FormOldMonitorIsPrimary;
    FOldPtMaxPosition = state.OldPtMaxPosition;
    FOldPtMaxSize = state.OldPtMaxSize;
    FMinMainInfoOffset_x = state.OffsetX;
    FMinMainInfoOffset_y = state.OffsetY;
    mmi.ptMaxSize = POINT{points.MaxSize.X, points.MaxSize.Y};
    mmi.ptMaxPosition = POINT{points.MaxPosition.X, points.MaxPosition.Y};
    mmi.ptMinTrackSize = POINT{points.MinTrackSize.X, points.MinTrackSize.Y};
    mmi.ptMaxTrackSize = POINT{points.MaxTrackSize.X, points.MaxTrackSize.Y};
    Message.Result = 0;
  }
  // The toolkit's handling follows in every case; it sets the track sizes
  // from the form's constraints where they are set, as above.
  PassOn(Message.Raw);
}

void TVelSkinForm::WMNCActivate(TWMNCActivate& Message) { Message.Result = 1; }

// ---- Non-client mouse ---------------------------------------------------------------------------

void TVelSkinForm::WMNCMouseMove(TWMNCMouse& Message) {
  PassOn(Message.Raw);
  for (int i = 0; i < FNCCtrlList.Count(); ++i) FNCCtrlList.Get<TVelSkinNCCtrlBase>(i)->NCMouseMove(Message.Pos);
}

bool TVelSkinForm::RouteButton(bool Down) {
  if (!FActive || FIgnoreNCHit) return false;
  for (int i = 0; i < FNCCtrlList.Count(); ++i) {
    // A control's handler may let messages run, which may shrink the list.
    Application->ProcessMessages();
    if (i >= FNCCtrlList.Count()) break;
    auto* control = FNCCtrlList.Get<TVelSkinNCCtrlBase>(i);
    if (!control->Visible() || !control->CursorEnter()) continue;
    if (Down)
      control->LMouseDown();
    else
      control->LMouseUp();
    FDestForm->SetActiveControl(nullptr);
    return true;
  }
  return false;
}

void TVelSkinForm::WMNCLButtonDown(TWMNCMouse& Message) {
  const bool dragCode = Message.HitTest == HTCAPTION || (Message.HitTest >= HTLEFT && Message.HitTest <= HTBOTTOMRIGHT);
  BOOL oldDrag = FALSE;
  bool dragChanged = false;
  if (FOptions->DragFullWindows() != wkSystem && dragCode) {
    SystemParametersInfoW(SPI_GETDRAGFULLWINDOWS, 0, &oldDrag, 0);
    SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, FOptions->DragFullWindows() == wkActive, nullptr, 0);
    dragChanged = true;
  }
  TScopeExit restoreDrag([&] {
    if (dragChanged) SystemParametersInfoW(SPI_SETDRAGFULLWINDOWS, oldDrag, nullptr, 0);
  });
  if (!RouteButton(true)) PassOn(Message.Raw);
  if (FImageBorder) FImageBorder->MoveWithForm(FDestForm->Left(), FDestForm->Top());
}

void TVelSkinForm::WMNCLButtonUp(TWMNCMouse& Message) {
  if (!RouteButton(false)) PassOn(Message.Raw);
}

void TVelSkinForm::WMNCLButtonDblClk(TWMNCMouse& Message) {
  for (int i = 0; i < FNCCtrlList.Count(); ++i) {
    auto* control = FNCCtrlList.Get<TVelSkinNCCtrlBase>(i);
    if (control->Visible() && control->CursorEnter() && !dynamic_cast<TVelSkinNCLabel*>(control)) return;
  }
  if (!(FOldBorderIcons & biMaximize)) return;
  if (FDestForm->BorderStyle() != bsSizeable && FDestForm->BorderStyle() != bsSingle) return;
  RECT window{};
  GetWindowRect(FDestForm->Handle(), &window);
  const TPoint p{Message.Pos.X - window.left, Message.Pos.Y - window.top};
  if (p.X < 0 || p.Y < 0 || p.X >= window.right - window.left || p.Y >= ScaledTitleHeight()) return;
  const bool zoomed = (GetWindowLongPtrW(FDestForm->Handle(), GWL_STYLE) & WS_MAXIMIZE) != 0;
  SendMessageW(FDestForm->Handle(), WM_SYSCOMMAND, zoomed ? SC_RESTORE : SC_MAXIMIZE, 0);
}

void TVelSkinForm::WMSetCursor(TWMSetCursor& Message) {
  POINT p{};
  GetCursorPos(&p);
  if (NCButtonCursorSet && WindowFromPoint(p) == FDestForm->Handle()) return;
  PassOn(Message.Raw);
}

void TVelSkinForm::CMDialogKey(TWMKey& Message) {
  if (Message.CharCode == VK_MENU) {
    Message.Result = 1;
    return;
  }
  if (FMainMenu->MainMenu()) {
    const bool used = (Message.Raw.Msg == CM_DIALOGKEY &&
                       FMainMenu->ClickShortCut(Message.CharCode, KeyDataToShiftState(Message.KeyData))) ||
                      FMainMenu->ClickAccelerator(Message.CharCode, Message.KeyData);
    if (used) {
      Message.Result = 1;
      return;
    }
  }
  PassOn(Message.Raw);
}

// ---- Registration of title-bar controls ---------------------------------------------------------

void TVelSkinForm::MMAddNCCtrl(TWMBase& Message) {
  auto* control = reinterpret_cast<TVelSkinNCCtrlBase*>(Message.Raw.WParam);
  if (!control || FNCCtrlList.IndexOf(control) >= 0) return;
  // Only a control of this form's components is taken: the pointer comes from a posted message.
  bool owned = false;
  for (int i = 0; i < FDestForm->ComponentCount() && !owned; ++i) owned = FDestForm->Components(i) == control;
  if (!owned) return;
  FNCCtrlList.Add(control);
  // Whichever of the two goes first, the other hears of it: the list never
  // holds a freed control, nor a control a freed skin form.
  control->FreeNotification(this);
  control->SetParentObject(this);
  control->SetHooked(true);
  FDestForm->Perform(MM_NCINVALIDATE);
}

void TVelSkinForm::MMRemoveNCCtrl(TWMBase& Message) {
  auto* control = reinterpret_cast<TVelSkinNCCtrlBase*>(Message.Raw.WParam);
  for (int i = FNCCtrlList.Count() - 1; i >= 0; --i) {
    if (FNCCtrlList.Items(i) != control) continue;
    FNCCtrlList.Delete(i);
    delete control;
    FDestForm->Perform(MM_NCINVALIDATE);
    return;
  }
}

void TVelSkinForm::MMMenuClosed(TWMBase&) {
  if (FMainMenu->MainMenu() && FMainMenu->MenuClosed()) RestartTimer(SkinTimerMenu, 20);
}
