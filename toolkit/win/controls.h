// Controls: the message record, toolkit messages, TControl, TWinControl,
// TGraphicControl and TCustomControl.
//
// Every message of a control goes through its replaceable WindowProc (a method
// object owned by the control, present before the window exists). The default
// WindowProc calls the virtual WndProc, which calls Dispatch: each class looks
// the message up in its own handler table and passes unknown ones to its base;
// what nobody handles reaches DefaultHandler (the native window procedure).
#pragma once

#include "toolkit/core/components.h"
#include "toolkit/win/graphics.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TMessage {
  UINT Msg;
  WPARAM WParam;
  LPARAM LParam;
  LRESULT Result;
};

// A window method: object and function, copied by value so that a hook can
// save the previous one and put it back.
using TWndMethod = std::function<void(TMessage&)>;

// ---- Toolkit messages ----------------------------------------------------------
// Real window messages in a private range. CM_FOCUSCHANGED has a fixed number
// because other code sends it by number; the range avoids 3025..3031 and 52057..52059.
constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ACTIVATE = CM_BASE + 0;
constexpr UINT CM_DEACTIVATE = CM_BASE + 1;
constexpr UINT CM_CANCELMODE = CM_BASE + 4;   // LParam: the control that caused it
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;    // WParam: virtual key; Result 1 = used
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;   // WParam: character; Result 1 = used
constexpr UINT CM_FOCUSCHANGED = 0xB007;      // LParam: the newly focused control
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;  // WParam: new value
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;  // LParam: the control
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;  // LParam: the control
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;  // WParam: child; LParam: 1 inserted, 0 removed

// Notifications reflected from the parent to the child that sent them.
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_COMMAND = CN_BASE + WM_COMMAND;
constexpr UINT CN_NOTIFY = CN_BASE + WM_NOTIFY;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;
constexpr UINT CN_CTLCOLORBTN = CN_BASE + WM_CTLCOLORBTN;
constexpr UINT CN_CTLCOLOREDIT = CN_BASE + WM_CTLCOLOREDIT;
constexpr UINT CN_CTLCOLORLISTBOX = CN_BASE + WM_CTLCOLORLISTBOX;
constexpr UINT CN_CTLCOLORSTATIC = CN_BASE + WM_CTLCOLORSTATIC;
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;

// ---- Control enums ---------------------------------------------------------------

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };

enum TControlStyleFlag : uint32_t {
  csAcceptsControls = 1u << 0,
  csCaptureMouse = 1u << 1,
  csClickEvents = 1u << 2,
  csFramed = 1u << 3,
  csSetCaption = 1u << 4,
  csOpaque = 1u << 5,
  csDoubleClicks = 1u << 6,
  csParentBackground = 1u << 7,
  // A native window class paints the control; the toolkit never buffers it.
  csNativePaint = 1u << 8,
};

enum TControlStateFlag : uint32_t {
  csLButtonDown = 1u << 0,
  csClicked = 1u << 1,
  csAlignmentNeeded = 1u << 2,
  csFocusing = 1u << 3,
  csCreating = 1u << 4,
  // The control is painting into another control's buffer.
  csPaintCopy = 1u << 5,
  csDestroyingHandle = 1u << 6,
};

enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TShiftStateFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = uint8_t;

using TMouseEvent = std::function<void(TObject* Sender, TMouseButton Button, TShiftState Shift, int X, int Y)>;
using TMouseMoveEvent = std::function<void(TObject* Sender, TShiftState Shift, int X, int Y)>;
using TKeyEvent = std::function<void(TObject* Sender, WORD& Key, TShiftState Shift)>;
using TKeyPressEvent = std::function<void(TObject* Sender, wchar_t& Key)>;

class TWinControl;
class TCustomForm;

// ---- TControl ----------------------------------------------------------------------

class TControl : public TComponent {
public:
  explicit TControl(TComponent* AOwner);
  ~TControl() override;

  // The window method every message goes through. Replace it to hook the
  // control; restore the saved one in reverse order.
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
  void BringToFront();

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TNotifyEvent OnResize;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;

  // The form that holds this control (nullptr when none).
  TCustomForm* GetParentForm();

protected:
  // Default target of WindowProc.
  virtual void WndProc(TMessage& Message);
  // Finds this class's handler for the message, else the base class's, else DefaultHandler.
  virtual void Dispatch(TMessage& Message);
  virtual void DefaultHandler(TMessage& Message);

  virtual void Click();
  virtual void DblClick();
  virtual void Resize();
  virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
  virtual void MouseMove(TShiftState Shift, int X, int Y);
  virtual void Paint() {}
  // Called when the text changed; the windowed control sets the window text.
  virtual void SetTextBuf(const std::wstring& Value);
  virtual std::wstring GetTextBuf();
  void Changed();
  void RequestAlign();
  virtual void FontChanged();

  // Handlers.
  void WMLButtonDown(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMLButtonUp(TMessage& Message);
  void WMRButtonDown(TMessage& Message);
  void WMRButtonUp(TMessage& Message);
  void WMMouseMove(TMessage& Message);
  void CMVisibleChanged(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMColorChanged(TMessage& Message);
  void CMTextChanged(TMessage& Message);
  void CMParentFontChanged(TMessage& Message);
  void CMParentColorChanged(TMessage& Message);
  void CMInvalidate(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);

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

private:
  friend class TWinControl;
  void DoMouseDown(TMessage& Message, TMouseButton Button, TShiftState Extra);
  void DoMouseUp(TMessage& Message, TMouseButton Button);
};

// ---- TWinControl --------------------------------------------------------------------

struct TCreateParams {
  std::wstring Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  void* Param = nullptr;
  UINT ClassStyle = 0;
  HCURSOR Cursor = nullptr;
  HBRUSH Background = nullptr;
  // Registered name of the toolkit's window class, and the native class it
  // extends (empty: a plain window).
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
  void EnableAlign();
  void Realign();
  // The area aligned children share: the client rectangle less borders.
  virtual void AdjustClientRect(TRect& Rect);

  bool DoubleBuffered() const { return FDoubleBuffered; }
  void SetDoubleBuffered(bool Value) { FDoubleBuffered = Value; }
  bool ParentBackground() const { return (FControlStyle & csParentBackground) != 0; }
  void SetParentBackground(bool Value);

  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  TRect ClientRect() override;
  TPoint ClientOrigin() override;
  void Invalidate() override;
  bool Showing() const override;
  void SetEnabled(bool Value) override;
  // Paints graphic children on DC (in this control's client coordinates),
  // each clipped to its bounds, starting after First (nullptr: all).
  void PaintControls(HDC DC, TControl* First);
  // Paints the window into DC: background, own painting and graphic children.
  void PaintTo(HDC DC, int X, int Y);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

  // The control bound to a toolkit window (nullptr for a foreign window).
  static TWinControl* FindControl(HWND Window);

protected:
  virtual void CreateParams(TCreateParams& Params);
  virtual void CreateWnd();
  virtual void DestroyWnd();
  // Registers the window class of Params (superclassing its base class) once.
  void CreateWindowHandle(const TCreateParams& Params);
  // After the window exists: font, text and child windows.
  virtual void CreateHandle();
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;
  // Paints the window itself into DC (not the graphic children).
  virtual void PaintWindow(HDC DC);
  void PaintHandler(TMessage& Message);
  virtual void AlignControls(TControl* AControl, TRect& Rect);
  void SetTextBuf(const std::wstring& Value) override;
  std::wstring GetTextBuf() override;
  void FontChanged() override;
  bool IsDoubleBuffered() const;
  virtual void DoEnter();
  virtual void DoExit();
  virtual void KeyDown(WORD& Key, TShiftState Shift);
  virtual void KeyUp(WORD& Key, TShiftState Shift);
  virtual void KeyPress(wchar_t& Key);
  // Sends WParam/LParam as Msg to every child (a broadcast).
  void Broadcast(TMessage& Message);
  // Keeps the bounds in step with the window (moves made by the system or the user).
  void UpdateBounds();

  // Handlers.
  void WMPaint(TMessage& Message);
  void WMEraseBkgnd(TMessage& Message);
  void WMPrintClient(TMessage& Message);
  void WMCommand(TMessage& Message);
  void WMNotify(TMessage& Message);
  void WMCtlColor(TMessage& Message);
  void WMSize(TMessage& Message);
  void WMMove(TMessage& Message);
  void WMWindowPosChanged(TMessage& Message);
  void WMMouseMoveTracked(TMessage& Message);
  void WMMouseLeave(TMessage& Message);
  void WMSetFocus(TMessage& Message);
  void WMKillFocus(TMessage& Message);
  void WMKeyDown(TMessage& Message);
  void WMKeyUp(TMessage& Message);
  void WMChar(TMessage& Message);
  void WMNCDestroy(TMessage& Message);
  void CMVisibleChangedWin(TMessage& Message);
  void CMEnabledChangedWin(TMessage& Message);
  void CMColorChangedWin(TMessage& Message);
  void CMFocusChanged(TMessage& Message);
  void CMRecreateWnd(TMessage& Message);

  HWND FHandle = nullptr;
  WNDPROC FDefWndProc = nullptr;
  std::vector<TControl*> FControls;
  std::vector<TWinControl*> FTabList;
  bool FTabStop = false;
  bool FDoubleBuffered = false;
  bool FMouseTracked = false;
  int FAlignLevel = 0;

private:
  friend class TControl;
  friend class TCustomForm;
  friend LRESULT CALLBACK StdWndProc(HWND, UINT, WPARAM, LPARAM);
  void CreateChildHandles();
};

// ---- TGraphicControl / TCustomControl ---------------------------------------------

// A window-less control, painted by its parent onto the parent's DC (WM_PAINT
// with the DC in WParam, origin at the control's top-left, clipped to it).
class TGraphicControl : public TControl {
public:
  explicit TGraphicControl(TComponent* AOwner);
  TCanvas& Canvas() { return *FCanvas; }

protected:
  void Dispatch(TMessage& Message) override;
  void WMPaint(TMessage& Message);
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

// Point of a mouse message's LParam.
inline TPoint PointFromLParam(LPARAM L) {
  return TPoint{static_cast<short>(LOWORD(L)), static_cast<short>(HIWORD(L))};
}
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyboardStateToShiftState();
