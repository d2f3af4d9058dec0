// The skinned edit's input: keys, characters, mouse, focus and caret blink,
// clipboard, the built-in context menu, the window text messages and the
// input method.
#include <algorithm>

#include "skin/controls/edit.h"
#include "toolkit/win/clipboard.h"

#include <imm.h>

namespace {

bool IsHighSurrogate(wchar_t C) { return C >= 0xD800 && C <= 0xDBFF; }

TShiftState ButtonBit(TMouseButton Button) {
  return Button == mbLeft ? ssLeft : Button == mbRight ? ssRight : ssMiddle;
}

// Holds an input context for a scope.
class TImeContext {
public:
  explicit TImeContext(HWND Window) : FWindow(Window), FContext(ImmGetContext(Window)) {}
  ~TImeContext() {
    if (FContext) ImmReleaseContext(FWindow, FContext);
  }
  TImeContext(const TImeContext&) = delete;
  TImeContext& operator=(const TImeContext&) = delete;
  HIMC Get() const { return FContext; }

private:
  HWND FWindow;
  HIMC FContext;
};

}  // namespace

// ---- Clipboard ----------------------------------------------------------------------

void TVelSkinPngEdit::CopyToClipboard() {
  if (FDisableCopy || FPasswordChar || SelLength() == 0) return;
  Clipboard().SetAsText(SelText());
}

void TVelSkinPngEdit::CutToClipboard() {
  if (FDisableCopy || FPasswordChar || ReadOnly() || SelLength() == 0) return;
  CopyToClipboard();
  SetSelText(std::wstring());
}

void TVelSkinPngEdit::PasteFromClipboard() {
  if (ReadOnly()) return;
  SetSelText(FirstLine(Clipboard().AsText()));
}

// ---- Keys and characters ----------------------------------------------------------

void TVelSkinPngEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TVelSkinCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  FShiftState = Shift;
  const bool ctrl = (Shift & ssCtrl) != 0, shift = (Shift & ssShift) != 0;
  auto moved = [this] {
    RestartBlink();
    ScrollToCaret();
    Invalidate();
  };
  // A clipboard that another program keeps open leaves the text as it is.
  auto clipboard = [this](void (TVelSkinPngEdit::*Action)()) {
    try {
      (this->*Action)();
    } catch (const EWin32Error&) {
      MessageBeep(MB_ICONWARNING);
    }
  };
  switch (Key) {
    case VK_BACK:
      if (FModel.Backspace()) {
        ScrollToCaret();
        Changed();
      }
      break;
    case VK_DELETE:
      if (FModel.Delete()) {
        ScrollToCaret();
        Changed();
      }
      break;
    case VK_HOME:
      FModel.Home(shift);
      moved();
      break;
    case VK_END:
      FModel.End(shift);
      moved();
      break;
    case VK_LEFT:
      FModel.Left(ctrl, shift);
      moved();
      break;
    case VK_RIGHT:
      FModel.Right(ctrl, shift);
      moved();
      break;
    case 'C':
      if (ctrl) clipboard(&TVelSkinPngEdit::CopyToClipboard);
      break;
    case 'X':
      if (ctrl) clipboard(&TVelSkinPngEdit::CutToClipboard);
      break;
    case 'V':
      if (ctrl) clipboard(&TVelSkinPngEdit::PasteFromClipboard);
      break;
    case 'A':
      if (ctrl) SelectAll();
      break;
    default:
      break;
  }
}

void TVelSkinPngEdit::KeyPress(wchar_t& Key) {
  if (Key < 32 || ReadOnly()) {
    TVelSkinCustomControl::KeyPress(Key);
    return;
  }
  if (MaxLength() > 0 && FModel.Length() >= MaxLength() && SelLength() == 0) return;
  TVelSkinCustomControl::KeyPress(Key);
  if (Key == 0) return;
  // A character outside the Basic Multilingual Plane arrives as two units:
  // the first waits for the second, so that the pair goes in whole.
  if (IsHighSurrogate(Key)) {
    FPendingHigh = Key;
    return;
  }
  std::wstring typed;
  if (FPendingHigh) typed += std::exchange(FPendingHigh, L'\0');
  typed += Key;
  SetSelText(typed);
  HideTips();
}

void TVelSkinPngEdit::WMGetDlgCode(TWMGetDlgCode& Message) { Message.Result = EditDlgCode; }

// ---- Mouse ----------------------------------------------------------------------------

// Rectangles of the last layout; visibility and enabling as they are now.
int TVelSkinPngEdit::ItemAt(int X, int Y, bool ButtonsOnly) {
  EnsureItemLayout();
  const int count = std::min(FItems->Count(), static_cast<int>(FItemGeometry.size()));
  for (int i = 0; i < count; ++i) {
    TEditItemGeometry& g = FItemGeometry[static_cast<size_t>(i)];
    const TVelEditItem* item = FItems->Items(i);
    g.Visible = item->Visible();
    g.Enabled = item->Enabled();
    g.Kind = item->Kind();
  }
  return EditItemAt(FItemGeometry, TPoint{X, Y}, ButtonsOnly);
}

void TVelSkinPngEdit::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FShiftState = Shift;
  FMouseButtons |= ButtonBit(Button);
  if (CanFocus() && !IsFocused()) SetFocus();
  if (Button == mbLeft) {
    if (FAutoSelect && (Shift & ssDouble)) {
      FModel.SelectAll();
    } else {
      FModel.SetCursorPos(PosAtX(X), false);
      if (TVelEditItem* check = CheckItem(); check && check->Visible()) {
        const TRect r = check->Rect();
        if (X >= r.Left && X < r.Right && Y >= r.Top && Y < r.Bottom) SetChecked(!FChecked);
      }
      const int hit = ItemAt(X, Y, true);
      auto alive = FAlive;
      if (hit >= 0) FItems->Items(hit)->Click();
      if (!*alive) return;
    }
    RestartBlink();
    ScrollToCaret();
    Invalidate();
  }
  TVelSkinCustomControl::MouseDown(Button, Shift, X, Y);
}

void TVelSkinPngEdit::MouseMove(TShiftState Shift, int X, int Y) {
  FShiftState = Shift;
  if (FMouseButtons & ssLeft) {
    FModel.SetCursorPos(PosAtX(X), true);
    ScrollToCaret();
    Invalidate();
  }
  ItemHover(X, Y);
  TVelSkinCustomControl::MouseMove(Shift, X, Y);
}

void TVelSkinPngEdit::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  FShiftState = Shift;
  FMouseButtons &= static_cast<TShiftState>(~ButtonBit(Button));
  // A pressed button item shows its hot face again.
  if (Button == mbLeft && FItems->HotIndex() >= 0) Invalidate();
  TVelSkinCustomControl::MouseUp(Button, Shift, X, Y);
}

void TVelSkinPngEdit::WMLButtonDblClk(TWMMouse& Message) {
  auto alive = FAlive;
  TVelSkinCustomControl::WMLButtonDblClk(Message);
  if (!*alive) return;
  FModel.SelectAll();
  ScrollToCaret();
  FCursorTimer->SetEnabled(false);
  FCursorShowing = false;
  Invalidate();
}

void TVelSkinPngEdit::ItemHover(int X, int Y) {
  const int hit = ItemAt(X, Y, true);
  if (hit == FItems->HotIndex()) return;
  if (hit >= 0) {
    TVelEditItem* item = FItems->Items(hit);
    FItems->SetHotIndex(hit);
    SetCursor(item->Curosor());
    // Straight from one item to the next: the first one's hint goes.
    if (!item->Hint().empty())
      ShowItemHint(item->Hint());
    else
      HideItemHint();
  } else {
    SetCursor(FCursorVisible ? crIBeam : crDefault);
    FItems->SetHotIndex(-1);
    HideItemHint();
  }
  Invalidate();
}

void TVelSkinPngEdit::ShowItemHint(const std::wstring& Hint) {
  if (!FHintWindow) FHintWindow = std::make_unique<THintWindow>(nullptr);
  POINT cursor{};
  GetCursorPos(&cursor);
  const TRect size = FHintWindow->CalcHintRect(0, Hint);
  const int x = cursor.x + 16, y = cursor.y + 16;
  FHintWindow->ActivateHint(TRect{x, y, x + size.Right - size.Left, y + size.Bottom - size.Top}, Hint);
}

void TVelSkinPngEdit::HideItemHint() {
  if (FHintWindow) FHintWindow->ReleaseHandle();
}

void TVelSkinPngEdit::CMMouseEnter(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseEnter(Message);
  if (Message.Control && Message.Control != this) return;
  BringToFront();
  SetCursor(FCursorVisible ? crIBeam : crDefault);
  FHot = true;
  Invalidate();
}

void TVelSkinPngEdit::CMMouseLeave(TCMMouse& Message) {
  TVelSkinCustomControl::CMMouseLeave(Message);
  if (Message.Control && Message.Control != this) return;
  if (!IsFocused()) SendToBack();
  FHot = false;
  FItems->SetHotIndex(-1);
  HideItemHint();
  Invalidate();
}

// ---- Focus and blink ----------------------------------------------------------------

void TVelSkinPngEdit::BlinkTick(TObject*) {
  if (IsFocused()) {
    FCursorShowing = !FCursorShowing;
  } else {
    FCursorTimer->SetEnabled(false);
    FCursorShowing = false;
  }
  Invalidate();
}

void TVelSkinPngEdit::DoEnter() {
  TVelSkinCustomControl::DoEnter();
  RestartBlink();
  if (FAutoSelect)
    FModel.SelectAll();
  else
    FModel.SetSelLength(0);
  ScrollToCaret();
  Invalidate();
}

void TVelSkinPngEdit::DoExit() {
  TVelSkinCustomControl::DoExit();
  FCursorTimer->SetEnabled(false);
  FHot = false;
  if (FAutoSelect) FModel.SetSelStart(0);
  FModel.SetSelLength(0);
  ScrollToCaret();
  Invalidate();
}

void TVelSkinPngEdit::WMSetFocus(TWMFocus& Message) {
  const bool hadHot = FHot;
  TVelSkinCustomControl::WMSetFocus(Message);
  if (!hadHot) {
    FHot = true;
    BringToFront();
  }
  RestartBlink();
  FSystemCaret.Create(Handle(), TextLineHeight());
  Invalidate();
}

void TVelSkinPngEdit::WMKillFocus(TWMFocus& Message) {
  TVelSkinCustomControl::WMKillFocus(Message);
  FSystemCaret.Destroy();
  FCursorTimer->SetEnabled(false);
  FPendingHigh = 0;
  FMouseButtons = 0;
  Invalidate();
}

void TVelSkinPngEdit::CMFontChanged(TWMBase& Message) {
  TVelSkinCustomControl::CMFontChanged(Message);
  FWidthCache.clear();
  ScrollToCaret();
  Invalidate();
}

// ---- Context menu ---------------------------------------------------------------------

void TVelSkinPngEdit::BuildEditMenu() {
  TMenuItem* root = FDefaultPopupMenu->Items();
  root->Clear();
  const bool chinese = GetSystemDefaultLCID() == 2052;
  static const wchar_t* const Chinese[] = {L"剪切", L"复制", L"粘贴", L"删除", L"-", L"全选"};
  static const wchar_t* const English[] = {L"Cut", L"Copy", L"Paste", L"Delete", L"-", L"Select All"};
  bool clipboardText = false;
  if (!ReadOnly()) clipboardText = Clipboard().HasFormat(CF_UNICODETEXT);
  // A masked text offers neither Cut nor Copy: neither would do anything.
  const bool mayCopy = !FPasswordChar;
  const bool enabled[] = {!ReadOnly() && mayCopy, SelLength() > 0 && mayCopy, !ReadOnly() && clipboardText,
                          !ReadOnly() && SelLength() > 0, true, !Text().empty()};
  const intptr_t tags[] = {2, 3, 4, 5, 0, 6};
  for (int i = 0; i < 6; ++i) {
    auto item = std::make_unique<TMenuItem>(nullptr);
    item->SetCaption(chinese ? Chinese[i] : English[i]);
    item->SetEnabled(enabled[i]);
    item->SetTag(tags[i]);
    const intptr_t tag = tags[i];
    item->OnClick = [this, alive = FAlive, tag](TObject*) {
      if (!*alive) return;
      try {
        switch (tag) {
          case 2: CutToClipboard(); break;
          case 3: CopyToClipboard(); break;
          case 4: PasteFromClipboard(); break;
          case 5: ClearSelection(); break;
          case 6: SelectAll(); break;
          default: break;
        }
      } catch (const EWin32Error&) {
        MessageBeep(MB_ICONWARNING);
      }
    };
    root->Add(item.release());
  }
}

void TVelSkinPngEdit::EditMenuPopup(TObject*) { BuildEditMenu(); }

void TVelSkinPngEdit::WMContextMenu(TWMContextMenu& Message) {
  if (PopupMenu()) {
    TVelSkinCustomControl::WMContextMenu(Message);
    return;
  }
  TPoint pos = Message.Pos;
  if (pos.X == -1 && pos.Y == -1) pos = ClientToScreen(TPoint{FCursorXPos, Height()});
  Message.Result = 1;
  FDefaultPopupMenu->SetPopupComponent(this);
  // The edit may be freed by a menu command: nothing follows the popup.
  FDefaultPopupMenu->Popup(pos.X, pos.Y);
}

// ---- Window text and input method -------------------------------------------------------

bool TVelSkinPngEdit::ImeStartComposition() {
  TImeContext context(Handle());
  if (!context.Get()) return false;
  LOGFONTW font{};
  if (GetObjectW(Font().Handle(), sizeof(font), &font)) ImmSetCompositionFontW(context.Get(), &font);
  COMPOSITIONFORM form{};
  form.dwStyle = CFS_RECT;
  form.ptCurrentPos = POINT{FCursorXPos, FSpace->Top()};
  form.rcArea = RECT{0, FSpace->Top(), Width(), Height()};
  ImmSetCompositionWindow(context.Get(), &form);
  return true;
}

bool TVelSkinPngEdit::ImeComposition(TMessage& Message) {
  if (!(Message.LParam & GCS_RESULTSTR)) return false;
  std::wstring result;
  {
    TImeContext context(Handle());
    if (!context.Get()) return false;
    const LONG bytes = ImmGetCompositionStringW(context.Get(), GCS_RESULTSTR, nullptr, 0);
    if (bytes > 0) {
      result.resize(static_cast<size_t>(bytes) / sizeof(wchar_t));
      const LONG read = ImmGetCompositionStringW(context.Get(), GCS_RESULTSTR, result.data(), bytes);
      result.resize(read > 0 ? static_cast<size_t>(read) / sizeof(wchar_t) : 0);
    }
  }
  SetSelText(result);
  HideTips();
  Message.Result = 0;
  return true;
}

void TVelSkinPngEdit::WndProc(TMessage& Message) {
  const bool textMessage = Message.Msg == WM_SETTEXT || Message.Msg == WM_GETTEXT || Message.Msg == WM_GETTEXTLENGTH;
  if (textMessage && FBlockWinMsg) {
    Message.Result = 0;
    return;
  }
  switch (Message.Msg) {
    case WM_SETTEXT:
      SetText(Message.LParam ? std::wstring(reinterpret_cast<const wchar_t*>(Message.LParam)) : std::wstring());
      Message.Result = TRUE;
      return;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<wchar_t*>(Message.LParam);
      const std::wstring& text = FModel.Text();
      if (!buffer || Message.WParam == 0) {
        Message.Result = 0;
        return;
      }
      size_t n = std::min(text.size(), static_cast<size_t>(Message.WParam) - 1);
      // A short buffer never gets the first half of a pair without its second.
      if (n > 0 && n < text.size() && IsHighSurrogate(text[n - 1])) --n;
      std::copy_n(text.data(), n, buffer);
      buffer[n] = L'\0';
      Message.Result = static_cast<LRESULT>(n);
      return;
    }
    case WM_GETTEXTLENGTH:
      Message.Result = static_cast<LRESULT>(FModel.Text().size());
      return;
    case WM_IME_STARTCOMPOSITION:
      if (!FDisableIME) ImeStartComposition();
      break;
    case WM_IME_COMPOSITION:
      if (!FDisableIME && ImeComposition(Message)) return;
      break;
    default:
      break;
  }
  TVelSkinCustomControl::WndProc(Message);
}
