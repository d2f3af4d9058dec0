// Controls: TControl, TWinControl, TGraphicControl and TCustomControl.
//
// Every message of a control goes through its replaceable WindowProc (a method
// object owned by the control, present before the window exists). The default
// WindowProc calls the virtual WndProc, which calls Dispatch: one switch that
// cracks the message (messages.h) and calls its virtual handler. A class
// overrides the handlers it cares about; a handler that does not answer a
// message itself passes it to its base's handler, and the base handlers end in
// DefaultHandler (the native window procedure).
//
// Sources by class family: control.cpp (TControl), wincontrol.cpp (windows,
// children, focus, alignment), wincontrol_paint.cpp (painting),
// wincontrol_input.cpp (keys, dialog keys, mouse enter/leave and the wheel),
// dispatch.cpp (the one switch and the window procedure), graphiccontrol.cpp;
// the cursor handling is with the screen (screen.cpp), the context menu with
// the menus (menus.cpp).
#pragma once

#include "toolkit/core/components.h"
#include "toolkit/win/graphics.h"
#include "toolkit/win/messages.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <string>
#include <vector>

// ---- Control enums ---------------------------------------------------------------

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TControlStyleFlag : uint32_t {
  csAcceptsControls = 1u << 0,
  csCaptureMouse = 1u << 1,
  csClickEvents = 1u << 2,
  csSetCaption = 1u << 4,
  // The control fills its whole area: its parent paints nothing beneath it
  // and invalidating it erases nothing.
  csOpaque = 1u << 5,
  // The window class gets CS_DBLCLKS: a second press arrives as a double click.
  csDoubleClicks = 1u << 6,
  csParentBackground = 1u << 7,
  // A native window class paints the control; the toolkit never buffers it.
  csNativePaint = 1u << 8,
  // The control copies one finished buffer of its own to the window; the
  // toolkit's double buffering is never added on top.
  csOwnBuffer = 1u << 9,
};

enum TControlStateFlag : uint32_t {
  csLButtonDown = 1u << 0,
  csClicked = 1u << 1,
  csAlignmentNeeded = 1u << 2,
  csCreating = 1u << 3,
  // The control is painting into another control's buffer.
  csPaintCopy = 1u << 4,
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };

// Mouse cursor ids: crDefault leaves the choice to the window (its class
// cursor); the others name the system cursors (Screen->Cursors maps them).
using TCursor = int;
constexpr TCursor crDefault = 0, crNone = -1, crArrow = -2, crCross = -3, crIBeam = -4, crSizeNESW = -6,
                  crSizeNS = -7, crSizeNWSE = -8, crSizeWE = -9, crUpArrow = -10, crHourGlass = -11, crNo = -18,
                  crAppStart = -19, crHelp = -20, crHandPoint = -21, crSizeAll = -22;

class TPopupMenu;

// A part of a control that is no control of its own (a list row, a toolbar
// item), as accessibility clients see it. Role and State are the system's
// ROLE_SYSTEM_* and STATE_SYSTEM_* values; Bounds is in the control's client
// coordinates.
struct TAccItem {
  std::wstring Name;
  long Role = 0;
  long State = 0;
  std::wstring Value;
  std::wstring Description;
  std::wstring DefaultAction;
  TRect Bounds{};
};

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;
// MousePos in screen coordinates; setting Handled stops the wheel going up the parents.
using TMouseWheelEvent =
    std::function<void(TObject* Sender, TShiftState Shift, int WheelDelta, TPoint MousePos, bool& Handled)>;

class TWinControl;
class TAccessibleObject;

// What the controls need from the application layer above them, which
// installs it (the application object does, in forms): where exceptions
// caught at a window procedure go, and who hears that a control got the focus.
class TControlHost {
public:
  virtual ~TControlHost() = default;
  virtual void HandleException(TObject* Sender) = 0;
  virtual void ControlFocused(TWinControl* Control) = 0;
};
void SetControlHost(TControlHost* Host);
TControlHost* ControlHost();
// Reports the exception being handled to the host (dropped when none is installed).
void HandleControlException(TObject* Sender) noexcept;

// ---- TControl ----------------------------------------------------------------------

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // The window method every message goes through. Replace it to hook the
  // control (TWindowProcHook does it safely); restore in reverse order.
  TWndMethod WindowProc;
  // Sends a message synchronously through WindowProc.
  LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);

  TWinControl* Parent() const { return FParent; }
  virtual void SetParent(TWinControl* AParent);

  int Left() const { return FLeft; }
  int Top() const { return FTop; }
  int Width() const { return FWidth; }
  int Height() const { return FHeight; }
  void SetLeft(int Value) { SetBounds(Value, FTop, FWidth, FHeight); }
  void SetTop(int Value) { SetBounds(FLeft, Value, FWidth, FHeight); }
  void SetWidth(int Value) { SetBounds(FLeft, FTop, Value, FHeight); }
  void SetHeight(int Value) { SetBounds(FLeft, FTop, FWidth, Value); }
  virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
  TRect BoundsRect() const { return TRect{FLeft, FTop, FLeft + FWidth, FTop + FHeight}; }
  void SetBoundsRect(const TRect& R) { SetBounds(R.Left, R.Top, R.Right - R.Left, R.Bottom - R.Top); }
  virtual TRect ClientRect();
  int ClientWidth() { return ClientRect().Right; }
  int ClientHeight() { return ClientRect().Bottom; }
  virtual void SetClientSize(int AWidth, int AHeight);
  void SetClientWidth(int Value) { SetClientSize(Value, ClientHeight()); }
  void SetClientHeight(int Value) { SetClientSize(ClientWidth(), Value); }
  // Screen position of the client area's top-left corner.
  virtual TPoint ClientOrigin();
  TPoint ClientToScreen(TPoint P) { return TPoint{P.X + ClientOrigin().X, P.Y + ClientOrigin().Y}; }
  TPoint ScreenToClient(TPoint P) { return TPoint{P.X - ClientOrigin().X, P.Y - ClientOrigin().Y}; }

  TAlign Align() const { return FAlign; }
  void SetAlign(TAlign Value);

  bool Visible() const { return FVisible; }
  void SetVisible(bool Value);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and every parent up to a window that is shown.
  virtual bool Showing() const;
  bool Enabled() const { return FEnabled; }
  virtual void SetEnabled(bool Value);

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  bool ParentColor() const { return FParentColor; }
  void SetParentColor(bool Value);
  TFont& Font() { return *FFont; }
  void SetFont(const TFont& Value) { FFont->Assign(const_cast<TFont*>(&Value)); }
  bool ParentFont() const { return FParentFont; }
  void SetParentFont(bool Value);

  // Caption and Text are the same window text.
  std::wstring Text();
  void SetText(const std::wstring& Value);
  std::wstring Caption() { return Text(); }
  void SetCaption(const std::wstring& Value) { SetText(Value); }

  uint32_t ControlStyle() const { return FControlStyle; }
  void SetControlStyle(uint32_t Value) { FControlStyle = Value; }
  uint32_t ControlState() const { return FControlState; }
  void SetControlState(uint32_t Value) { FControlState = Value; }
  bool HasControlState(TControlStateFlag Flag) const { return (FControlState & Flag) != 0; }
  bool MouseCapture();
  void SetMouseCapture(bool Value);

  // Repaint request: sends CM_INVALIDATE through WindowProc.
  virtual void Invalidate();
  void Update();
  void Repaint();
  // Moves the control to the top or the bottom of its siblings' z-order.
  void BringToFront();
  void SendToBack();

  // The hint text, and whether it is shown. ShowHint follows the parent's
  // while ParentShowHint is set (the default); setting ShowHint clears it.
  const std::wstring& Hint() const { return FHint; }
  void SetHint(const std::wstring& Value) { FHint = Value; }
  // Whether the control has a hint to show: its own text, or (for a control
  // whose parts carry hints of their own) one of its parts'.
  virtual bool HasHint() const { return !FHint.empty(); }
  bool ShowHint() const;
  void SetShowHint(bool Value);
  bool ParentShowHint() const { return FParentShowHint; }
  void SetParentShowHint(bool Value) { FParentShowHint = Value; }
  // The cursor over the control; a change sends CM_CURSORCHANGED.
  TCursor Cursor() const { return FCursor; }
  void SetCursor(TCursor Value);
  // The menu a right click or the menu key opens (not owned; forgotten
  // when the menu is freed).
  TPopupMenu* PopupMenu() const { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  // Fired by the toolkit's CM_MOUSEENTER / CM_MOUSELEAVE handling: each enter
  // is followed by exactly one leave (unless the control is destroyed first).
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;
  TMouseWheelEvent OnMouseWheel;

  // ---- Accessibility ------------------------------------------------------------
  // What accessibility clients (screen readers) read about the control; the
  // toolkit's accessible object only reads these. Roles and states are the
  // system's ROLE_SYSTEM_* and STATE_SYSTEM_* values (accessible.h).
  // The caption without its '&' marks ("&&" stays one '&').
  virtual std::wstring AccName();
  virtual long AccRole();
  // Unavailable, invisible, focusable and focused, from the control itself.
  virtual long AccState();
  virtual std::wstring AccValue() { return std::wstring(); }
  // The hint, when the control has one.
  virtual std::wstring AccDescription() { return FHint; }
  virtual std::wstring AccDefaultAction() { return std::wstring(); }
  // Carries out the default action (a button clicks); false when there is none.
  virtual bool AccDoDefaultAction() { return false; }
  // "Alt+X" for the caption's accelerator X.
  virtual std::wstring AccKeyboardShortcut();
  // Parts that are child elements after the graphic children, by index
  // from 0. AccItemAt takes client coordinates; -1 is none.
  virtual int AccItemCount() { return 0; }
  virtual TAccItem AccItem(int) { return TAccItem{}; }
  virtual int AccItemAt(TPoint) { return -1; }
  virtual int AccFocusedItem() { return -1; }
  virtual bool AccItemDoDefaultAction(int) { return false; }
  // Tells accessibility clients about a change (EVENT_OBJECT_*): of the
  // control itself, or of its part Item. A graphic control speaks through
  // its parent's window as a child element.
  void AccNotify(DWORD Event, int Item = -1);
  // The control's text is its value (an edit's), not its name: a text
  // change is announced as a value change.
  virtual bool AccTextIsValue() const { return false; }

  // ---- Message handlers ---------------------------------------------------------
  // One per message; the defaults pass the message to DefaultHandler.
  // Overrides that extend the toolkit's handling call the base handler.
protected:
  virtual void WMLButtonDown(TWMMouse& Message);
  virtual void WMLButtonUp(TWMMouse& Message);
  virtual void WMLButtonDblClk(TWMMouse& Message);
  virtual void WMRButtonDown(TWMMouse& Message);
  virtual void WMRButtonUp(TWMMouse& Message);
  virtual void WMRButtonDblClk(TWMMouse& Message);
  virtual void WMMButtonDown(TWMMouse& Message);
  virtual void WMMButtonUp(TWMMouse& Message);
  virtual void WMMButtonDblClk(TWMMouse& Message);
  virtual void WMMouseMove(TWMMouse& Message);
  virtual void WMMouseWheel(TWMMouseWheel& Message);
  virtual void WMMouseLeave(TWMBase& Message);
  virtual void WMMouseActivate(TWMMouseActivate& Message);
  virtual void WMContextMenu(TWMContextMenu& Message);
  virtual void WMSetCursor(TWMSetCursor& Message);
  virtual void WMCancelMode(TWMBase& Message);
  virtual void WMEnterSizeMove(TWMBase& Message);

  virtual void WMPaint(TWMPaint& Message);
  virtual void WMEraseBkgnd(TWMEraseBkgnd& Message);
  virtual void WMPrintClient(TWMPrintClient& Message);
  virtual void WMNCPaint(TWMNCPaint& Message);
  virtual void WMNCCalcSize(TWMNCCalcSize& Message);
  virtual void WMNCHitTest(TWMNCHitTest& Message);
  virtual void WMNCActivate(TWMNCActivate& Message);
  virtual void WMNCMouseMove(TWMNCMouse& Message);
  virtual void WMNCLButtonDown(TWMNCMouse& Message);
  virtual void WMNCLButtonUp(TWMNCMouse& Message);
  virtual void WMNCLButtonDblClk(TWMNCMouse& Message);

  virtual void WMSize(TWMSize& Message);
  virtual void WMMove(TWMMove& Message);
  virtual void WMWindowPosChanging(TWMWindowPos& Message);
  virtual void WMWindowPosChanged(TWMWindowPos& Message);
  virtual void WMGetMinMaxInfo(TWMGetMinMaxInfo& Message);
  virtual void WMShowWindow(TWMShowWindow& Message);
  virtual void WMActivate(TWMActivate& Message);
  virtual void WMSysCommand(TWMSysCommand& Message);
  virtual void WMClose(TWMBase& Message);
  virtual void WMDestroy(TWMBase& Message);
  virtual void WMNCDestroy(TWMBase& Message);
  virtual void WMTimer(TWMTimer& Message);

  virtual void WMSetFocus(TWMFocus& Message);
  virtual void WMKillFocus(TWMFocus& Message);
  virtual void WMKeyDown(TWMKey& Message);
  virtual void WMKeyUp(TWMKey& Message);
  virtual void WMSysKeyDown(TWMKey& Message);
  virtual void WMSysKeyUp(TWMKey& Message);
  virtual void WMChar(TWMKey& Message);
  virtual void WMSysChar(TWMKey& Message);
  virtual void WMGetDlgCode(TWMGetDlgCode& Message);
  virtual void WMGetObject(TWMGetObject& Message);

  virtual void WMCommand(TWMCommand& Message);
  virtual void WMNotify(TWMNotify& Message);
  virtual void WMCtlColor(TWMCtlColor& Message);
  virtual void WMDrawItem(TWMDrawItem& Message);
  virtual void WMMeasureItem(TWMMeasureItem& Message);
  virtual void CNCommand(TWMCommand& Message);
  virtual void CNNotify(TWMNotify& Message);
  virtual void CNCtlColor(TWMCtlColor& Message);
  virtual void CNDrawItem(TWMDrawItem& Message);
  virtual void CNMeasureItem(TWMMeasureItem& Message);
  virtual void CNKeyDown(TWMKey& Message);
  virtual void CNSysKeyDown(TWMKey& Message);
  virtual void CNSysChar(TWMKey& Message);

  virtual void CMVisibleChanged(TCMVisibleChanged& Message);
  virtual void CMEnabledChanged(TWMBase& Message);
  virtual void CMFontChanged(TWMBase& Message);
  virtual void CMColorChanged(TWMBase& Message);
  virtual void CMTextChanged(TWMBase& Message);
  virtual void CMCursorChanged(TWMBase& Message);
  virtual void CMParentFontChanged(TWMBase& Message);
  virtual void CMParentColorChanged(TWMBase& Message);
  virtual void CMInvalidate(TWMBase& Message);
  virtual void CMMouseEnter(TCMMouse& Message);
  virtual void CMMouseLeave(TCMMouse& Message);
  virtual void CMMouseWheel(TWMMouseWheel& Message);
  virtual void CMShowingChanged(TWMBase& Message);
  virtual void CMDialogKey(TWMKey& Message);
  virtual void CMDialogChar(TWMKey& Message);
  virtual void CMWantSpecialKey(TWMKey& Message);
  virtual void CMFocusChanged(TCMFocusChanged& Message);
  virtual void CMCancelMode(TCMCancelMode& Message);
  virtual void CMEnter(TWMBase& Message);
  virtual void CMExit(TWMBase& Message);
  virtual void CMActivate(TWMBase& Message);
  virtual void CMDeactivate(TWMBase& Message);
  virtual void CMRecreateWnd(TWMBase& Message);
  virtual void CMRelease(TWMBase& Message);
  virtual void CMControlChange(TCMControlChange& Message);
  virtual void CMHintShow(TCMHintShow& Message);
  virtual void CMAccDoDefault(TWMBase& Message);

  // Default target of WindowProc.
  virtual void WndProc(TMessage& Message);
  // Cracks the message and calls its handler; unknown messages go to
  // DefaultHandler. A library with messages of its own extends it by
  // overriding and passing the rest on.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  virtual void Click();
  virtual void DblClick();
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  // The wheel turned over this control (or over a child that left it unused):
  // fires OnMouseWheel; true when used. MousePos is in screen coordinates.
  virtual bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos);
  virtual void Paint() {}
  // Called when the text changed; the windowed control sets the window text.
  virtual void SetTextBuf(const std::wstring& Value);
  virtual std::wstring GetTextBuf();
  void Changed();
  void RequestAlign();
  virtual void FontChanged();

  TWinControl* FParent = nullptr;
  int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
  TAlign FAlign = alNone;
  bool FVisible = true;
  bool FEnabled = true;
  TColor FColor = clWindow;
  bool FParentColor = false;
  bool FParentFont = true;
  std::unique_ptr<TFont> FFont;
  std::wstring FText;
  uint32_t FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
  uint32_t FControlState = 0;
  std::wstring FHint;
  bool FShowHint = false;
  bool FParentShowHint = true;
  TCursor FCursor = crDefault;
  TPopupMenu* FPopupMenu = nullptr;

  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TWinControl;
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  friend void PaintControlBackground(TControl& Control, HDC DC);
  void DoMouseDown(const TWMMouse& Message, TMouseButton Button, TShiftState Extra);
  void MoveInZOrder(bool ToFront);
  void DoMouseUp(const TWMMouse& Message, TMouseButton Button);
};

// ---- TWinControl --------------------------------------------------------------------

struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  // The window class's style. For a toolkit-drawn class every distinct
  // value registers a class of its own; for a native class only CS_DBLCLKS
  // is taken from here.
  UINT ClassStyle = 0;
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
  // Name of the toolkit's window class, and the native class it extends
  // (empty: a plain window).
  std::wstring WinClassName;
  std::wstring BaseClassName;
};

class TWinControl : public TControl {
public:
  explicit TWinControl(TComponent* AOwner);
  ~TWinControl() override;

  HWND Handle();
  bool HandleAllocated() const { return FHandle != nullptr; }
  void HandleNeeded();
  // Destroys the window and its children's windows; the objects stay.
  void DestroyHandle();
  void RecreateWnd();

  int ControlCount() const { return static_cast<int>(FControls.size()); }
  // Children in z-order (first is the bottom).
  TControl* Controls(int Index) const;
  void InsertControl(TControl* AControl);
  void RemoveControl(TControl* AControl);
  bool ContainsControl(TControl* AControl) const;
  // Calls Fn(child) for the children as they are now, in z-order from the
  // bottom, skipping any that stopped being a child of this control while
  // earlier ones were handled (a handler may free or move a later child).
  // Starts after First when given. Stops early when Fn returns true, and
  // then returns true.
  template <class F> bool ForEachLiveChild(F&& Fn, TControl* First = nullptr);

  bool TabStop() const { return FTabStop; }
  void SetTabStop(bool Value);
  int TabOrder() const;
  void SetTabOrder(int Value);
  // Tab-able children in TabOrder.
  const std::vector<TWinControl*>& TabList() const { return FTabList; }
  virtual bool CanFocus();
  virtual void SetFocus();
  bool Focused();

  void DisableAlign();
  // Realigns when the last DisableAlign ends and a realignment was asked for.
  void EnableAlign();
  void Realign();
  // The area aligned children share: the client rectangle less borders.
  virtual void AdjustClientRect(TRect& Rect);

  // Paints the window through a memory bitmap copied once. Applies to this
  // control only, and never to native or csOwnBuffer controls.
  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
  bool ParentBackground() const { return (FControlStyle & csParentBackground) != 0; }
  void SetParentBackground(bool Value);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  bool Showing() const override;
  // The window is a pop-up (not a child window), also for a child control.
  bool IsPopupWindow() const;
  void SetEnabled(bool Value) override;
  // Paints graphic children on DC (in this control's client coordinates),
  // each clipped to its bounds, starting after First (nullptr: all).
  void PaintControls(HDC DC, TControl* First);
  // Paints the window into DC: background, own painting and graphic
  // children, then the windowed children at their places.
  void PaintTo(HDC DC, int X, int Y);

  // Window timers on this control's window, counted while armed. Starting
  // an armed id restarts it; they end with the window.
  void StartTimer(UINT_PTR Id, UINT Interval);
  void StopTimer(UINT_PTR Id);

  // The topmost visible graphic child at Pos (client coordinates), or nullptr.
  TControl* ControlAtPos(TPoint Pos, bool AllowDisabled) const;

  long AccRole() override;
  long AccState() override;

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // The control bound to a toolkit window (nullptr for a foreign window).
  static TWinControl* FindControl(HWND Window);
  // The toolkit control of Window or of the nearest parent window that has
  // one: the focused window may be a native part of a control (a combo box's edit).
  static TWinControl* FindControlAbove(HWND Window);

protected:
  virtual void DoEnter();
  virtual void DoExit();
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Registers the window class of Params (superclassing its base class) once.
  void CreateWindowHandle(const TCreateParams& Params);
  // After the window exists: font, text and child windows.
  virtual void CreateHandle();
  void DefaultHandler(TMessage& Message) override;
  // Paints the window itself into DC (not the graphic children).
  virtual void PaintWindow(HDC DC);
  // The toolkit's painting into DC, or into a BeginPaint DC when DC is null:
  // own painting, then the graphic children.
  void PaintHandler(HDC DC);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void SetTextBuf(const std::wstring& Value) override;
  std::wstring GetTextBuf() override;
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(wchar_t& Key);
  // Whether the focused window (this control's window or a native part of it)
  // keeps the key-down KeyMsg (WM_KEYDOWN or WM_SYSKEYDOWN) for itself, by
  // CM_WANTSPECIALKEY and WM_GETDLGCODE. A key it does not keep is a dialog key.
  virtual bool WantsKey(WORD Key, LPARAM KeyData, UINT KeyMsg);
  // Starts watching for the mouse leaving the window (WM_MOUSELEAVE).
  void TrackMouseLeave();
  // Sends the message to every child until one answers non-zero.
  void Broadcast(TMessage& Message);
  // Keeps the bounds in step with the window (moves made by the system or the user).
  void UpdateBounds();

  void WMPaint(TWMPaint& Message) override;
  void WMEraseBkgnd(TWMEraseBkgnd& Message) override;
  void WMPrintClient(TWMPrintClient& Message) override;
  void WMCommand(TWMCommand& Message) override;
  void WMNotify(TWMNotify& Message) override;
  void WMCtlColor(TWMCtlColor& Message) override;
  void WMDrawItem(TWMDrawItem& Message) override;
  void WMMeasureItem(TWMMeasureItem& Message) override;
  void WMSize(TWMSize& Message) override;
  void WMMove(TWMMove& Message) override;
  void WMWindowPosChanged(TWMWindowPos& Message) override;
  void WMMouseMove(TWMMouse& Message) override;
  void WMMouseLeave(TWMBase& Message) override;
  void WMMouseWheel(TWMMouseWheel& Message) override;
  void WMSetFocus(TWMFocus& Message) override;
  void WMKeyDown(TWMKey& Message) override;
  void WMKeyUp(TWMKey& Message) override;
  void WMSysKeyDown(TWMKey& Message) override;
  void WMSysKeyUp(TWMKey& Message) override;
  void WMChar(TWMKey& Message) override;
  void CNKeyDown(TWMKey& Message) override;
  void CNSysKeyDown(TWMKey& Message) override;
  void CNSysChar(TWMKey& Message) override;
  void WMNCDestroy(TWMBase& Message) override;
  void CMVisibleChanged(TCMVisibleChanged& Message) override;
  void CMEnabledChanged(TWMBase& Message) override;
  void CMColorChanged(TWMBase& Message) override;
  void CMFontChanged(TWMBase& Message) override;
  void CMInvalidate(TWMBase& Message) override;
  void CMDialogKey(TWMKey& Message) override;
  void CMDialogChar(TWMKey& Message) override;
  void CMFocusChanged(TCMFocusChanged& Message) override;
  void CMRecreateWnd(TWMBase& Message) override;
  void WMSetCursor(TWMSetCursor& Message) override;
  void WMContextMenu(TWMContextMenu& Message) override;
  void WMGetObject(TWMGetObject& Message) override;
  void CMAccDoDefault(TWMBase& Message) override;

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  std::vector<UINT_PTR> FTimers;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  int FAlignLevel = 0;

  // The windowed control at the top of this one's parent chain (itself
  // without a parent): the form that is offered dialog keys and characters.
  TWinControl* KeyRoot();
  // True when the control sees the keys of its children before they do (a
  // form with KeyPreview).
  virtual bool PreviewsKeys() const { return false; }

private:
  friend class TControl;
  friend class TCustomForm;
  friend class TAccessibleObject;
  // The control's accessible object, made on the first request and
  // disconnected when the control goes (accessible.cpp).
  TAccessibleObject* FAccObject = nullptr;
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  friend void PaintControlBackground(TControl& Control, HDC DC);
  void CreateChildHandles();
  void ForgetMouseTracking();
  bool DoKeyDown(WORD& Key, TShiftState Shift);
  bool DoKeyUp(WORD& Key, TShiftState Shift);
  bool DoKeyPress(wchar_t& Key);
  bool OfferDialogKey(const TWMKey& Message, UINT KeyMsg);
  bool IsDoubleBuffered() const;
  void PaintBuffered();
  void ForgetTimers();
};

template <class F> bool TWinControl::ForEachLiveChild(F&& Fn, TControl* First) {
  auto from = FControls.begin();
  if (First) {
    from = std::find(FControls.begin(), FControls.end(), First);
    if (from != FControls.end()) ++from;
  }
  const std::vector<TControl*> snapshot(from, FControls.end());
  for (TControl* child : snapshot) {
    if (std::find(FControls.begin(), FControls.end(), child) == FControls.end()) continue;
    if (Fn(child)) return true;
  }
  return false;
}

// Paints what lies behind Control into DC, in Control's own coordinates:
// its parent's background and window, then the parent's visible graphic
// children below Control in z-order that overlap it. The parent and each
// sibling carry csPaintCopy while they paint, also when painting fails.
// Without a parent nothing is painted.
void PaintControlBackground(TControl& Control, HDC DC);

// ---- Keyboard and mouse helpers ---------------------------------------------------

// True when Caption marks Key as its accelerator: the first '&' that is not
// part of a literal "&&" stands before a character equal to Key, ignoring case.
bool IsAccel(WORD Key, const std::wstring& Caption);

// The toolkit control the mouse is over (nullptr when none). Setting it sends
// CM_MOUSELEAVE to the controls the mouse left, innermost first, and then
// CM_MOUSEENTER to the ones it entered, outermost first; a parent stays
// entered while the mouse is over one of its children.
TControl* MouseControl();
void SetMouseControl(TControl* Control);
// The toolkit control of this thread at a screen point: a window whose client
// area holds the point, or a visible, enabled graphic child of it there.
TControl* ControlAtScreen(TPoint P);
// Control is being hidden, removed from its parent or destroyed: when the
// mouse is within it, it moves to Control's parent. A control that is being
// destroyed gets no message.
void MouseControlGone(TControl* Control, bool Destroyed = false);

// ---- TGraphicControl / TCustomControl ---------------------------------------------

// A window-less control, painted by its parent onto the parent's DC (WM_PAINT
// with the DC in WParam, origin at the control's top-left, clipped to it).
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas& Canvas() { return *FCanvas; }
  long AccRole() override;

protected:
  void WMPaint(TWMPaint& Message) override;
  void CMInvalidate(TWMBase& Message) override;
  std::unique_ptr<TCanvas> FCanvas;
};

// A windowed control that paints itself on a Canvas bound to the paint DC.
class TCustomControl : public TWinControl {
public:
  explicit TCustomControl(TComponent* AOwner);
  TCanvas& Canvas() { return *FCanvas; }

protected:
  void PaintWindow(HDC DC) override;
  std::unique_ptr<TCanvas> FCanvas;
};

// ---- Window-procedure hook ----------------------------------------------------------

// Replaces a control's WindowProc and puts the saved one back when unhooked
// or destroyed. Hooks on one control are removed in reverse order. The
// hooked control must outlive the hook, or Forget() must be called first.
class TWindowProcHook {
public:
  TWindowProcHook() = default;
  TWindowProcHook(TControl& Control, TWndMethod Method) { Hook(Control, std::move(Method)); }
  ~TWindowProcHook() { Unhook(); }
  TWindowProcHook(const TWindowProcHook&) = delete;
  TWindowProcHook& operator=(const TWindowProcHook&) = delete;

  void Hook(TControl& Control, TWndMethod Method);
  void Unhook();
  // Drops the control without touching it (it is being destroyed).
  void Forget() { FControl = nullptr; }
  bool Hooked() const { return FControl != nullptr; }
  TControl* Control() const { return FControl; }
  // Passes the message to the window procedure saved when hooking.
  void CallSaved(TMessage& Message) const {
    if (FSaved) FSaved(Message);
  }
  const TWndMethod& Saved() const { return FSaved; }

private:
  TControl* FControl = nullptr;
  TWndMethod FSaved;
};

