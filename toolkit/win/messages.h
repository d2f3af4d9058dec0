// The message record, the toolkit's own messages, and the message cracker:
// one typed view per message kind, decoded once from WParam and LParam. A
// handler reads the typed fields and writes its answer through Result; the
// raw record stays reachable for passing the message on unchanged.
#pragma once

#include "toolkit/win/winapi.h"

#include <cstdint>
#include <functional>
#include <string>

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
constexpr UINT CM_DIALOGKEY = CM_BASE + 5;    // WParam: virtual key, LParam: key data; Result 1 = used
constexpr UINT CM_DIALOGCHAR = CM_BASE + 6;   // WParam: character, LParam: key data; Result 1 = used
constexpr UINT CM_FOCUSCHANGED = 0xB007;      // LParam: the newly focused control
constexpr UINT CM_PARENTFONTCHANGED = CM_BASE + 8;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 9;
constexpr UINT CM_VISIBLECHANGED = CM_BASE + 11;  // WParam: new value
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 12;
constexpr UINT CM_COLORCHANGED = CM_BASE + 13;
constexpr UINT CM_FONTCHANGED = CM_BASE + 14;
constexpr UINT CM_CURSORCHANGED = CM_BASE + 15;
constexpr UINT CM_TEXTCHANGED = CM_BASE + 18;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;  // LParam: the control
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;  // LParam: the control
constexpr UINT CM_SHOWINGCHANGED = CM_BASE + 25;
constexpr UINT CM_ENTER = CM_BASE + 26;
constexpr UINT CM_EXIT = CM_BASE + 27;
constexpr UINT CM_WANTSPECIALKEY = CM_BASE + 28;  // WParam: virtual key; Result 1 = the control keeps it
constexpr UINT CM_RELEASE = CM_BASE + 33;
constexpr UINT CM_HINTSHOW = CM_BASE + 48;    // LParam: THintInfo*; Result 1 = no hint
constexpr UINT CM_RECREATEWND = CM_BASE + 51;
constexpr UINT CM_INVALIDATE = CM_BASE + 52;
constexpr UINT CM_CONTROLCHANGE = CM_BASE + 54;  // WParam: child; LParam: 1 inserted, 0 removed
constexpr UINT CM_MOUSEWHEEL = CM_BASE + 67;     // as WM_MOUSEWHEEL, passed up to the parents; Result 1 = used
constexpr UINT CM_ACCDODEFAULT = CM_BASE + 70;   // WParam: accessible child id (0: the control itself)

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
// Key messages offered to the toolkit control above the focused window by the
// message loop before it dispatches them; Result 1 = used, the key is swallowed.
constexpr UINT CN_KEYDOWN = CN_BASE + WM_KEYDOWN;
constexpr UINT CN_SYSKEYDOWN = CN_BASE + WM_SYSKEYDOWN;
constexpr UINT CN_SYSCHAR = CN_BASE + WM_SYSCHAR;

// ---- Shift state -----------------------------------------------------------------

enum TShiftStateFlag : uint8_t { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };
using TShiftState = uint8_t;

// From the MK_* bits of a mouse message (Alt from the keyboard state).
TShiftState KeysToShiftState(WPARAM Keys);
TShiftState KeyboardStateToShiftState();
// From the key data of a key message: Alt from its context bit.
TShiftState KeyDataToShiftState(LPARAM KeyData);

// Point of a mouse message's LParam (signed: left of or above the window is negative).
inline TPoint PointFromLParam(LPARAM L) {
  return TPoint{static_cast<short>(LOWORD(L)), static_cast<short>(HIWORD(L))};
}

class TControl;
class TWinControl;
struct THintInfo;

// ---- Cracked messages ----------------------------------------------------------------
// Each view refers to the raw record: writing Result answers the message.

struct TWMBase {
  explicit TWMBase(TMessage& M) : Raw(M), Result(M.Result) {}
  TMessage& Raw;
  LRESULT& Result;
  UINT Msg() const { return Raw.Msg; }
};

// WM_MOUSEMOVE, WM_[LRM]BUTTON{DOWN,UP,DBLCLK}: client coordinates.
struct TWMMouse : TWMBase {
  explicit TWMMouse(TMessage& M) : TWMBase(M), Keys(M.WParam), Pos(PointFromLParam(M.LParam)) {}
  WPARAM Keys;
  TPoint Pos;
  TShiftState Shift() const { return KeysToShiftState(Keys); }
};

// WM_MOUSEWHEEL and CM_MOUSEWHEEL: screen coordinates.
struct TWMMouseWheel : TWMBase {
  explicit TWMMouseWheel(TMessage& M)
      : TWMBase(M), Keys(LOWORD(M.WParam)), WheelDelta(static_cast<short>(HIWORD(M.WParam))),
        Pos(PointFromLParam(M.LParam)) {}
  WPARAM Keys;
  int WheelDelta;
  TPoint Pos;
  TShiftState Shift() const { return KeysToShiftState(Keys); }
};

// WM_KEYDOWN/UP, WM_SYSKEYDOWN/UP, WM_CHAR, WM_SYSCHAR, CN_KEYDOWN, CN_SYSKEYDOWN, CN_SYSCHAR,
// CM_DIALOGKEY, CM_DIALOGCHAR.
struct TWMKey : TWMBase {
  explicit TWMKey(TMessage& M) : TWMBase(M), CharCode(static_cast<WORD>(M.WParam)), KeyData(M.LParam) {}
  // The virtual key, or the UTF-16 unit for the character messages.
  WORD CharCode;
  LPARAM KeyData;
};

// WM_PAINT: DC is the DC to paint into, or null for BeginPaint.
struct TWMPaint : TWMBase {
  explicit TWMPaint(TMessage& M) : TWMBase(M), DC(reinterpret_cast<HDC>(M.WParam)) {}
  HDC DC;
};

// WM_ERASEBKGND. Param is the LParam as it came: callers that paint into a
// buffer pass the DC again or 1 there to say so.
struct TWMEraseBkgnd : TWMBase {
  explicit TWMEraseBkgnd(TMessage& M) : TWMBase(M), DC(reinterpret_cast<HDC>(M.WParam)), Param(M.LParam) {}
  HDC DC;
  LPARAM Param;
};

// WM_PRINTCLIENT.
struct TWMPrintClient : TWMBase {
  explicit TWMPrintClient(TMessage& M) : TWMBase(M), DC(reinterpret_cast<HDC>(M.WParam)), Flags(M.LParam) {}
  HDC DC;
  LPARAM Flags;
};

// WM_SIZE.
struct TWMSize : TWMBase {
  explicit TWMSize(TMessage& M)
      : TWMBase(M), SizeType(static_cast<UINT>(M.WParam)), Width(LOWORD(M.LParam)), Height(HIWORD(M.LParam)) {}
  UINT SizeType;
  int Width;
  int Height;
};

// WM_MOVE: the client area's new top-left corner.
struct TWMMove : TWMBase {
  explicit TWMMove(TMessage& M) : TWMBase(M), Pos(PointFromLParam(M.LParam)) {}
  TPoint Pos;
};

// WM_WINDOWPOSCHANGING and WM_WINDOWPOSCHANGED.
struct TWMWindowPos : TWMBase {
  explicit TWMWindowPos(TMessage& M) : TWMBase(M), WindowPos(reinterpret_cast<WINDOWPOS*>(M.LParam)) {}
  WINDOWPOS* WindowPos;
};

// WM_SETFOCUS (the window that lost it) and WM_KILLFOCUS (the one that gets it).
struct TWMFocus : TWMBase {
  explicit TWMFocus(TMessage& M) : TWMBase(M), FocusedWnd(reinterpret_cast<HWND>(M.WParam)) {}
  HWND FocusedWnd;
};

// WM_TIMER.
struct TWMTimer : TWMBase {
  explicit TWMTimer(TMessage& M) : TWMBase(M), TimerID(M.WParam) {}
  UINT_PTR TimerID;
};

// WM_COMMAND and CN_COMMAND.
struct TWMCommand : TWMBase {
  explicit TWMCommand(TMessage& M)
      : TWMBase(M), ItemID(LOWORD(M.WParam)), NotifyCode(HIWORD(M.WParam)), Ctl(reinterpret_cast<HWND>(M.LParam)) {}
  WORD ItemID;
  WORD NotifyCode;
  HWND Ctl;
};

// WM_NOTIFY and CN_NOTIFY.
struct TWMNotify : TWMBase {
  explicit TWMNotify(TMessage& M) : TWMBase(M), IDCtrl(M.WParam), NMHdr(reinterpret_cast<NMHDR*>(M.LParam)) {}
  WPARAM IDCtrl;
  NMHDR* NMHdr;
};

// WM_CTLCOLOR* and CN_CTLCOLOR*.
struct TWMCtlColor : TWMBase {
  explicit TWMCtlColor(TMessage& M)
      : TWMBase(M), ChildDC(reinterpret_cast<HDC>(M.WParam)), ChildWnd(reinterpret_cast<HWND>(M.LParam)) {}
  HDC ChildDC;
  HWND ChildWnd;
};

// WM_DRAWITEM / CN_DRAWITEM and WM_MEASUREITEM / CN_MEASUREITEM.
struct TWMDrawItem : TWMBase {
  explicit TWMDrawItem(TMessage& M) : TWMBase(M), DrawItemStruct(reinterpret_cast<DRAWITEMSTRUCT*>(M.LParam)) {}
  DRAWITEMSTRUCT* DrawItemStruct;
};
struct TWMMeasureItem : TWMBase {
  explicit TWMMeasureItem(TMessage& M)
      : TWMBase(M), MeasureItemStruct(reinterpret_cast<MEASUREITEMSTRUCT*>(M.LParam)) {}
  MEASUREITEMSTRUCT* MeasureItemStruct;
};

// WM_NCHITTEST: screen coordinates.
struct TWMNCHitTest : TWMBase {
  explicit TWMNCHitTest(TMessage& M) : TWMBase(M), Pos(PointFromLParam(M.LParam)) {}
  TPoint Pos;
};

// WM_NCCALCSIZE: with CalcValidRects the parameters, else one rectangle (both start with the window rectangle).
struct TWMNCCalcSize : TWMBase {
  explicit TWMNCCalcSize(TMessage& M)
      : TWMBase(M), CalcValidRects(M.WParam != 0), Rect(reinterpret_cast<RECT*>(M.LParam)) {}
  bool CalcValidRects;
  RECT* Rect;
  NCCALCSIZE_PARAMS* Params() const { return CalcValidRects ? reinterpret_cast<NCCALCSIZE_PARAMS*>(Raw.LParam) : nullptr; }
};

// WM_NCACTIVATE.
struct TWMNCActivate : TWMBase {
  explicit TWMNCActivate(TMessage& M) : TWMBase(M), Active(M.WParam != 0) {}
  bool Active;
};

// WM_NCPAINT: the update region (1 = the whole frame).
struct TWMNCPaint : TWMBase {
  explicit TWMNCPaint(TMessage& M) : TWMBase(M), Rgn(reinterpret_cast<HRGN>(M.WParam)) {}
  HRGN Rgn;
};

// WM_NCMOUSEMOVE, WM_NCLBUTTON{DOWN,UP,DBLCLK} and the other non-client buttons: screen coordinates.
struct TWMNCMouse : TWMBase {
  explicit TWMNCMouse(TMessage& M) : TWMBase(M), HitTest(static_cast<UINT>(M.WParam)), Pos(PointFromLParam(M.LParam)) {}
  UINT HitTest;
  TPoint Pos;
};

// WM_GETMINMAXINFO.
struct TWMGetMinMaxInfo : TWMBase {
  explicit TWMGetMinMaxInfo(TMessage& M) : TWMBase(M), MinMaxInfo(reinterpret_cast<MINMAXINFO*>(M.LParam)) {}
  MINMAXINFO* MinMaxInfo;
};

// WM_SYSCOMMAND: the command without its four system bits.
struct TWMSysCommand : TWMBase {
  explicit TWMSysCommand(TMessage& M)
      : TWMBase(M), CmdType(static_cast<UINT>(M.WParam & 0xFFF0)), Pos(PointFromLParam(M.LParam)) {}
  UINT CmdType;
  TPoint Pos;
};

// WM_SETCURSOR.
struct TWMSetCursor : TWMBase {
  explicit TWMSetCursor(TMessage& M)
      : TWMBase(M), CursorWnd(reinterpret_cast<HWND>(M.WParam)), HitTest(static_cast<short>(LOWORD(M.LParam))),
        MouseMsg(HIWORD(M.LParam)) {}
  HWND CursorWnd;
  int HitTest;
  UINT MouseMsg;
};

// WM_GETDLGCODE: the key message asked about, when there is one.
struct TWMGetDlgCode : TWMBase {
  explicit TWMGetDlgCode(TMessage& M)
      : TWMBase(M), Key(static_cast<WORD>(M.WParam)), KeyMsg(reinterpret_cast<MSG*>(M.LParam)) {}
  WORD Key;
  MSG* KeyMsg;
};

// WM_GETOBJECT: the object id is a LONG sign-extended into LParam
// (OBJID_CLIENT is -4); Flags are the caller's.
struct TWMGetObject : TWMBase {
  explicit TWMGetObject(TMessage& M)
      : TWMBase(M), Flags(static_cast<DWORD>(M.WParam)),
        ObjId(static_cast<LONG>(static_cast<DWORD>(M.LParam))) {}
  DWORD Flags;
  LONG ObjId;
};

// WM_CONTEXTMENU: screen coordinates; (-1, -1) when it came from the keyboard.
struct TWMContextMenu : TWMBase {
  explicit TWMContextMenu(TMessage& M)
      : TWMBase(M), Wnd(reinterpret_cast<HWND>(M.WParam)), Pos(PointFromLParam(M.LParam)) {}
  HWND Wnd;
  TPoint Pos;
};

// WM_MOUSEACTIVATE.
struct TWMMouseActivate : TWMBase {
  explicit TWMMouseActivate(TMessage& M)
      : TWMBase(M), TopLevel(reinterpret_cast<HWND>(M.WParam)), HitTestCode(static_cast<short>(LOWORD(M.LParam))),
        MouseMsg(HIWORD(M.LParam)) {}
  HWND TopLevel;
  int HitTestCode;
  UINT MouseMsg;
};

// WM_ACTIVATE.
struct TWMActivate : TWMBase {
  explicit TWMActivate(TMessage& M)
      : TWMBase(M), Active(LOWORD(M.WParam)), Minimized(HIWORD(M.WParam) != 0),
        ActiveWindow(reinterpret_cast<HWND>(M.LParam)) {}
  UINT Active;
  bool Minimized;
  HWND ActiveWindow;
};

// WM_SHOWWINDOW.
struct TWMShowWindow : TWMBase {
  explicit TWMShowWindow(TMessage& M) : TWMBase(M), Show(M.WParam != 0), Status(static_cast<UINT>(M.LParam)) {}
  bool Show;
  UINT Status;
};

// CM_MOUSEENTER, CM_MOUSELEAVE: the control the mouse entered or left.
struct TCMMouse : TWMBase {
  explicit TCMMouse(TMessage& M) : TWMBase(M), Control(reinterpret_cast<TControl*>(M.LParam)) {}
  TControl* Control;
};

// CM_FOCUSCHANGED: the control that now has the focus.
struct TCMFocusChanged : TWMBase {
  explicit TCMFocusChanged(TMessage& M) : TWMBase(M), Sender(reinterpret_cast<TWinControl*>(M.LParam)) {}
  TWinControl* Sender;
};

// CM_CANCELMODE: the control whose press or focus caused it.
struct TCMCancelMode : TWMBase {
  explicit TCMCancelMode(TMessage& M) : TWMBase(M), Sender(reinterpret_cast<TControl*>(M.LParam)) {}
  TControl* Sender;
};

// CM_VISIBLECHANGED.
struct TCMVisibleChanged : TWMBase {
  explicit TCMVisibleChanged(TMessage& M) : TWMBase(M), Value(M.WParam != 0) {}
  bool Value;
};

// CM_CONTROLCHANGE.
struct TCMControlChange : TWMBase {
  explicit TCMControlChange(TMessage& M)
      : TWMBase(M), Control(reinterpret_cast<TControl*>(M.WParam)), Inserting(M.LParam != 0) {}
  TControl* Control;
  bool Inserting;
};

// CM_HINTSHOW: the hint about to be shown; a handler may change it.
struct TCMHintShow : TWMBase {
  explicit TCMHintShow(TMessage& M) : TWMBase(M), HintInfo(reinterpret_cast<THintInfo*>(M.LParam)) {}
  THintInfo* HintInfo;
};
