#include "skin/controls/tips.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/screen.h"

namespace {

constexpr UINT TipsTextFormat = DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL | DT_END_ELLIPSIS;

int64_t Now() { return static_cast<int64_t>(GetTickCount64()); }

bool Contains(const TRect& R, int X, int Y) { return X >= R.Left && X < R.Right && Y >= R.Top && Y < R.Bottom; }

// The top-level window a control lives in, or nullptr while it has none.
HWND RootWindowOf(TControl* Control) {
  for (TControl* c = Control; c; c = c->Parent())
    if (auto* window = dynamic_cast<TWinControl*>(c); window && window->HandleAllocated())
      return GetAncestor(window->Handle(), GA_ROOT);
  return nullptr;
}

// A measuring surface: a 1 x 1 bitmap carrying Font as its font and its canvas font.
struct TMeasure {
  explicit TMeasure(const TFont& Font) {
    Bitmap.SetSize(1, 1);
    ::SetFont(Bitmap, Font);
    Canvas(Bitmap).SetFont(Font);
    UpdateFont(Bitmap);
  }
  // DrawTextW's calculated rectangle for Text in (0, 0, Width, 0).
  TPoint Calc(const std::wstring& Text, int32_t Width, UINT Format) {
    RECT r{0, 0, Width, 0};
    UpdateFont(Bitmap);
    const int length = static_cast<int>(std::min<size_t>(Text.size(), INT32_MAX));
    DrawTextW(Handle(Bitmap), Text.c_str(), length, &r, Format | DT_CALCRECT);
    return TPoint{r.right - r.left, r.bottom - r.top};
  }
  TBitmap32 Bitmap;
};

UINT AlignmentFormat(TAlignment Horizontal, TVerticalAlignment Vertical) {
  UINT format = Horizontal == taRightJustify ? DT_RIGHT : Horizontal == taCenter ? DT_CENTER : DT_LEFT;
  if (Vertical == taAlignBottom) format |= DT_SINGLELINE | DT_BOTTOM;
  if (Vertical == taVerticalCenter) format |= DT_SINGLELINE | DT_VCENTER;
  return format;
}

}  // namespace

// ---- TVelSkinTipsWindow ---------------------------------------------------------------

TVelSkinTipsWindow::TVelSkinTipsWindow(TVelSkinCustomTips* ATips)
    : TCustomControl(nullptr),
      FVelTips(ATips),
      FCloseButton(std::make_unique<TPngPictures>()),
      FMemBmp(std::make_unique<TBitmap32>()),
      FTipsObj(ATips) {
  FVisible = false;
  FControlStyle &= ~(csOpaque | csDoubleClicks);
  FCanvas->Brush().SetStyle(bsClear);
  FCloseButton->SetImage(L"VelSkinMini_close_btn");
  FCloseButton->SetCount(2);
  FCloseButton->SetNormal(0);
  FCloseButton->SetHot(1);
  FCloseButton->SetPressed(1);
  FCloseButton->SetActive(true);
  FTimer = std::make_unique<TSimpleTimer>(TipsTimerInterval, [this](TObject* Sender) { TimerHandler(Sender); });
  FTimer->SetEnabled(true);
  FT1 = Now();
  FT2 = FT1;
}

TVelSkinTipsWindow::~TVelSkinTipsWindow() {
  FTimer->SetEnabled(false);
  SetParentControl(nullptr);
}

void TVelSkinTipsWindow::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style = WS_POPUP;
  Params.ExStyle = WS_EX_TOOLWINDOW;
  Params.ClassStyle = (Params.ClassStyle | CS_SAVEBITS) & ~CS_DROPSHADOW;
  // Owned by its control's top-level window, the balloon stays above that
  // window without floating over other programs, and goes with it.
  Params.WndParent = FOwnerWindow;
  Params.WinClassName = L"TVelSkinTipsWindow";
}

void TVelSkinTipsWindow::SetParentControl(TControl* Value) {
  if (Value == FParentControl) return;
  if (FParentControl) RemoveFreeNotification(FParentControl);
  FParentControl = Value;
  if (Value) FreeNotification(Value);
}

void TVelSkinTipsWindow::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != opRemove || !AComponent || AComponent != FParentControl) return;
  // The control is going: its balloon goes at once.
  FParentControl = nullptr;
  Hide(false);
}

TPoint TVelSkinTipsWindow::ParentScreenPos() const { return FParentControl->ClientOrigin(); }

void TVelSkinTipsWindow::ActivateTips(const std::wstring& Title, const std::wstring& Tips,
                                      const std::optional<TRect>& R, TControl* ParentControl) {
  FTitle = Title;
  FTips = Tips;
  SetText(Tips);
  TVelSkinCustomTips& tips = *FVelTips;
  const bool close = tips.CloseButtonVisible();
  const int32_t closeWidth = close ? FCloseButton->GetSingleWidth() : 0;
  TTipsPlacement placement;
  placement.Direction = tips.TipsDirection();
  placement.R = R ? &*R : nullptr;
  placement.MaxWidth = Screen->Width();
  placement.MaxHeight = Screen->Height();
  if (!Title.empty()) {
    TFont title;
    tips.ScaledTitleFont(title);
    placement.TitleHeight = TMeasure(title).Calc(L"Ww", TipsMeasureWidth, DT_NOPREFIX).Y;
  }
  if (ParentControl) {
    SetParentControl(ParentControl);
    FOldParentControlPos = ParentScreenPos();
    const TRect client = ParentControl->ClientRect();
    placement.HasParent = true;
    placement.ParentClient = TRect{FOldParentControlPos.X, FOldParentControlPos.Y,
                                   FOldParentControlPos.X + client.Width(), FOldParentControlPos.Y + client.Height()};
    TFont font;
    tips.ScaledTipsFont(font);
    const int32_t width = std::max(TipsTextWidth(client.Width(), placement.R, close, closeWidth), 1);
    FTipsSize = TMeasure(font).Calc(Tips, width, TipsTextFormat);
    placement.MeasuredHeight = FTipsSize.Y;
  }
  const TRect r = TipsBalloonRect(placement);
  if (!HandleAllocated()) FOwnerWindow = RootWindowOf(ParentControl);
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  HandleNeeded();
  FMemBmp->SetSize(Width(), Height());
  if (!FMemBmp->Empty()) {
    TWindowDC screen(nullptr);
    BitBlt(::Handle(*FMemBmp), 0, 0, Width(), Height(), screen.Get(), Left(), Top(), SRCCOPY);
    GdiFlush();
  }
  FVisible = true;
  FShown = true;
  SetWindowPos(FHandle, HWND_TOP, Left(), Top(), 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  DrawBalloon();
  CopyToWindow();
}

void TVelSkinTipsWindow::Resize() {
  TCustomControl::Resize();
  const bool visible = FVelTips && FVelTips->CloseButtonVisible();
  FCloseButtonRect =
      TipsCloseButtonRect(Width(), visible, FCloseButton->GetSingleWidth(), FCloseButton->GetSingleHeight());
}

void TVelSkinTipsWindow::DrawBalloon() {
  TBitmap32& bmp = *FMemBmp;
  if (bmp.Empty() || !FVelTips) return;
  TVelSkinCustomTips& tips = *FVelTips;
  TCanvas& canvas = ::Canvas(bmp);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetColor(tips.FrameColor());
  canvas.Brush().SetStyle(bsSolid);
  canvas.Brush().SetColor(tips.TipsColor());
  canvas.Rectangle(0, 0, bmp.Width(), bmp.Height());
  GdiFlush();
  const bool close = tips.CloseButtonVisible();
  TRect text = TipsTextRect(bmp.Width(), bmp.Height(), close, FCloseButton->GetSingleWidth());
  if (!FTitle.empty()) {
    TFont title;
    tips.ScaledTitleFont(title);
    ::SetFont(bmp, title);
    TextoutW(bmp, text, DT_NOPREFIX, FTitle);
    text.Top += TextExtentW(bmp, L"Ww").cy + 4;
  }
  TFont font;
  tips.ScaledTipsFont(font);
  ::SetFont(bmp, font);
  TextoutW(bmp, text, TipsTextFormat | AlignmentFormat(tips.AlignmentHorizontal(), tips.AlignmentVertical()), FTips);
  if (close) {
    TBitmap32 frame;
    bool got;
    if (FMousePressed && FMouseInTips == itCloseButton)
      got = FCloseButton->GetPressedImage(&frame);
    else if (FMouseInTips == itCloseButton)
      got = FCloseButton->GetHotImage(&frame);
    else
      got = FCloseButton->GetNormalImage(&frame);
    if (got) frame.DrawTo(&bmp, FCloseButtonRect.Left, FCloseButtonRect.Top);
  }
}

void TVelSkinTipsWindow::CopyToWindow() {
  if (!HandleAllocated() || FMemBmp->Empty()) return;
  TWindowDC dc(FHandle);
  DrawTo(*FMemBmp, dc.Get(), 0, 0);
}

void TVelSkinTipsWindow::Paint() {
  DrawBalloon();
  if (!FMemBmp->Empty()) DrawTo(*FMemBmp, Canvas().Handle(), 0, 0);
}

void TVelSkinTipsWindow::WMEraseBkgnd(TWMEraseBkgnd& Message) { Message.Result = 1; }

void TVelSkinTipsWindow::WMMouseActivate(TWMMouseActivate& Message) { Message.Result = MA_NOACTIVATE; }

void TVelSkinTipsWindow::MouseMove(TShiftState Shift, int X, int Y) {
  TCustomControl::MouseMove(Shift, X, Y);
  FT1 = Now();
  const TMouseInTips in = Contains(FCloseButtonRect, X, Y) ? itCloseButton : itNone;
  if (in == FMouseInTips) return;
  FMouseInTips = in;
  Invalidate();
}

void TVelSkinTipsWindow::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  FMousePressed = true;
  Invalidate();
}

void TVelSkinTipsWindow::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TCustomControl::MouseUp(Button, Shift, X, Y);
  if (Button != mbLeft) return;
  const bool clicked = FMousePressed && Contains(FCloseButtonRect, X, Y);
  FMousePressed = false;
  if (clicked) {
    // Closed once the toolkit has finished with this message.
    PostMessageW(FHandle, WM_CLOSE, 0, 0);
    FTimer->SetEnabled(false);
    ShowWindow(FHandle, SW_HIDE);
    FClosed = true;
    return;
  }
  Invalidate();
}

void TVelSkinTipsWindow::CMMouseLeave(TCMMouse& Message) {
  TCustomControl::CMMouseLeave(Message);
  FMouseInTips = itNone;
  FMousePressed = false;
  Invalidate();
}

void TVelSkinTipsWindow::Hide(bool Animate) {
  FTimer->SetEnabled(false);
  if (Animate && HandleAllocated() && IsWindowVisible(FHandle)) AnimateWindow(FHandle, TipsFadeTime, AW_HIDE | AW_BLEND);
  Close();
}

void TVelSkinTipsWindow::Close() {
  FClosed = true;
  FVisible = false;
  if (HandleAllocated()) SendMessageW(FHandle, WM_CLOSE, 0, 0);
}

void TVelSkinTipsWindow::FollowParent() {
  const TPoint pos = ParentScreenPos();
  if (pos == FOldParentControlPos) return;
  SetBounds(Left() + pos.X - FOldParentControlPos.X, Top() + pos.Y - FOldParentControlPos.Y, Width(), Height());
  FOldParentControlPos = pos;
}

// An owned window stays above its owner, but under Wine a form that ends its
// fade-in can end up above it: the balloon goes back just above the owner,
// never above other programs' windows.
void TVelSkinTipsWindow::KeepAboveOwner() {
  if (!FOwnerWindow || !IsWindowVisible(FHandle)) return;
  for (HWND w = GetWindow(FHandle, GW_HWNDNEXT); w; w = GetWindow(w, GW_HWNDNEXT))
    if (w == FOwnerWindow) return;
  HWND above = GetWindow(FOwnerWindow, GW_HWNDPREV);
  SetWindowPos(FHandle, above ? above : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TVelSkinTipsWindow::TimerHandler(TObject*) {
  try {
    FT2 = Now();
    if (FClosed || !HandleAllocated()) {
      FTimer->SetEnabled(false);
      return;
    }
    if (TipsPauseElapsed(FVelTips->PauseTime(), FT2, FT1)) {
      Hide(true);
      return;
    }
    KeepAboveOwner();
    if (!FParentControl || !FParentControl->Visible()) return;
    FollowParent();
    if (!FVelTips->HideOfParentDeactivate()) return;
    const HWND root = RootWindowOf(FParentControl);
    const bool active = root && GetActiveWindow() == root;
    const bool shown = IsWindowVisible(FHandle) != FALSE;
    if (active && !shown)
      SetWindowPos(FHandle, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOMOVE | SWP_NOSIZE);
    else if (!active && shown)
      ShowWindow(FHandle, SW_HIDE);
  } catch (...) {
    try {
      Hide(false);
    } catch (...) {
      // Nothing more can be done from a timer tick.
    }
  }
}

// ---- TVelSkinCustomTips ------------------------------------------------------------

TVelSkinCustomTips::TVelSkinCustomTips(TComponent* AOwner)
    : TComponent(AOwner), FTipsFont(std::make_unique<TFont>()), FTitleFont(std::make_unique<TFont>()) {
  FTipsFont->SetSize(9);
  FTipsFont->SetColor(28146);
  FTitleFont->SetSize(10);
  FTitleFont->SetStyle(fsBold);
  FTitleFont->SetColor(5326307);
}

TVelSkinCustomTips::~TVelSkinCustomTips() { FreeWindows(); }

void TVelSkinCustomTips::ScaledTipsFont(TFont& Font) {
  Font.Assign(FTipsFont.get());
  ScaleFontByDPI(nullptr, Font);
}

void TVelSkinCustomTips::ScaledTitleFont(TFont& Font) {
  Font.Assign(FTitleFont.get());
  ScaleFontByDPI(nullptr, Font);
}

TPoint TVelSkinCustomTips::GetTipsSize(const std::wstring& Text) {
  TFont font;
  ScaledTipsFont(font);
  return TMeasure(font).Calc(Text, TipsMeasureWidth, 0);
}

void TVelSkinCustomTips::FreeWindows() {
  std::vector<std::unique_ptr<TVelSkinTipsWindow>> list;
  list.swap(FList);
  for (auto& window : list) window->Hide(false);
}

void TVelSkinCustomTips::FreeClosedWindows() {
  std::erase_if(FList, [](const std::unique_ptr<TVelSkinTipsWindow>& Window) { return Window->Closed(); });
}

HWND TVelSkinCustomTips::Show(const std::wstring& Title, const std::wstring& Tips, TTipsDirection Direction,
                              const std::optional<TRect>& R, TControl* Control) {
  if (!Control && !R) return nullptr;
  FTipsDirection = Direction;
  FreeClosedWindows();
  FList.push_back(std::make_unique<TVelSkinTipsWindow>(this));
  TVelSkinTipsWindow* window = FList.back().get();
  std::optional<TRect> r = R;
  if (Control && R) {
    TControl* origin = Control->Parent() ? static_cast<TControl*>(Control->Parent()) : Control;
    const TPoint screen = origin->ClientToScreen(TPoint{R->Left, R->Top});
    r = TipsScreenRect(*R, screen, Screen->Height());
  }
  window->ActivateTips(Title, Tips, r, Control);
  return window->HandleAllocated() ? window->Handle() : nullptr;
}

// ---- TVelSkinCustomEditTips ---------------------------------------------------------

TVelSkinCustomEditTips::TVelSkinCustomEditTips(TControl* AEdit) : TVelSkinCustomTips(nullptr), FOwner(AEdit) {
  SetPauseTime(3000);
  SetTipsColor(4864985);
  TipsFont().SetColor(15724527);
  SetFrameColor(4864985);
  SetCloseButtonVisible(false);
  SetHideOfParentDeactivate(true);
}

HWND TVelSkinCustomEditTips::Show(const std::wstring& Tips) {
  if (!FOwner) return nullptr;
  return Show(EditTipsLeftTop(FOwner->BoundsRect(), GetTipsHeight(Tips)), Tips);
}

HWND TVelSkinCustomEditTips::Show(TPoint LeftTop, const std::wstring& Tips) {
  Hide();
  if (!FOwner) return nullptr;
  const TPoint size = GetTipsSize(Tips);
  return TVelSkinCustomTips::Show(L"", Tips, hdCustom, EditTipsRect(LeftTop, size.X, size.Y), FOwner);
}

void TVelSkinCustomEditTips::Hide() { FreeWindows(); }
