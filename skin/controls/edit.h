// The skinned single-line edit: it keeps its own text, caret and selection
// (the portable TEditModel), paints them into the control's back buffer with
// the raster library's text output inside a skin border image, and handles
// keys, mouse, clipboard, its context menu and input-method composition
// itself. TVelSkinEdit is the edit with everything public.
//
// Sources: edit.cpp (properties, text and painting), edit_input.cpp (keys,
// characters, mouse, focus, clipboard, context menu, window text and IME
// messages). The items inside the edit are in edit_items.h, its balloon
// tips in tips.h.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "skin/controls/control_base.h"
#include "skin/controls/edit_items.h"
#include "skin/controls/edit_model.h"
#include "skin/controls/tips.h"
#include "skin/frame/simple_timer.h"
#include "toolkit/win/caret.h"
#include "toolkit/win/hints.h"
#include "toolkit/win/menus.h"

// The grey of disabled text and of a disabled hint (0x00BBGGRR).
constexpr TColor EditDisabledTextColor = 13421772;
// The answer to WM_GETDLGCODE: arrows and characters.
constexpr LRESULT EditDlgCode = DLGC_WANTARROWS | DLGC_WANTCHARS;

class TVelSkinPngEdit : public TVelSkinCustomControl {
public:
  explicit TVelSkinPngEdit(TComponent* AOwner);
  ~TVelSkinPngEdit() override;

  // ---- Text and selection -------------------------------------------------------
  const std::wstring& Text() const { return FModel.Text(); }
  // Cut to MaxLength and filtered; caret and selection to 0; OnChange.
  virtual void SetText(const std::wstring& Value);
  int32_t SelStart() const { return FModel.SelStart(); }
  void SetSelStart(int32_t Value);
  int32_t SelLength() const { return FModel.SelLength(); }
  void SetSelLength(int32_t Value);
  std::wstring SelText() const { return FModel.SelText(); }
  virtual void SetSelText(const std::wstring& Value);
  int32_t CursorPos() const { return FModel.CursorPos(); }
  // Moves the caret; with Shift held or the left button down it extends the selection.
  virtual void SetCursorPos(int32_t Value);
  void SelectAll();
  void ClearSelection() { SetSelText(std::wstring()); }
  virtual void Clear() { SetText(std::wstring()); }
  // Copies at most BufSize units of SelText into Buffer; answers the count.
  virtual int32_t GetSelTextBuf(wchar_t* Buffer, int32_t BufSize);
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // There is no undo: these do nothing and CanUndo stays false.
  void Undo() {}
  void ClearUndo() {}
  bool CanUndo() const { return false; }
  bool Modified() const { return false; }
  void SetModified(bool) {}
  const TEditModel& Model() const { return FModel; }

  // ---- Properties ---------------------------------------------------------------
  virtual int32_t MaxLength() const { return FModel.MaxLength(); }
  virtual void SetMaxLength(int32_t Value);
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool HideSelection() const { return FHideSelection; }
  void SetHideSelection(bool Value) { FHideSelection = Value; }
  bool ReadOnly() const { return FModel.ReadOnly(); }
  void SetReadOnly(bool Value);
  TVelEditItems& EdItems() { return *FItems; }
  TVelSpaceSize& Space() { return *FSpace; }
  const std::wstring& BorderNormal() const { return FBorderNormal; }
  void SetBorderNormal(const std::wstring& Value);
  const std::wstring& BorderHot() const { return FBorderHot; }
  void SetBorderHot(const std::wstring& Value);
  bool BorderVisible() const { return FBorderVisible; }
  void SetBorderVisible(bool Value);
  const std::wstring& TextHint() const { return FTextHint; }
  void SetTextHint(const std::wstring& Value);
  TFont& FontHint() { return *FFontHint; }
  void SetFontHint(const TFont& Value);
  TColor CursorColor() const { return FCursorColor; }
  void SetCursorColor(TColor Value);
  bool CursorVisible() const { return FCursorVisible; }
  void SetCursorVisible(bool Value);
  bool ShowCheckBox() const { return FShowCheckBox; }
  void SetShowCheckBox(bool Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  bool TextHintHideInKey() const { return FTextHintHideInKey; }
  void SetTextHintHideInKey(bool Value);
  bool BlockWinMsg() const { return FBlockWinMsg; }
  void SetBlockWinMsg(bool Value) { FBlockWinMsg = Value; }
  bool DisableIME() const { return FDisableIME; }
  void SetDisableIME(bool Value);
  TEditCharCase CharCase() const { return FModel.CharCase(); }
  void SetCharCase(TEditCharCase Value);
  TVelTextKind TextKind() const { return FModel.TextKind(); }
  void SetTextKind(TVelTextKind Value);
  uint8_t SelColorAlpha() const { return FSelColorAlpha; }
  void SetSelColorAlpha(uint8_t Value);
  bool DisableCopy() const { return FDisableCopy; }
  void SetDisableCopy(bool Value) { FDisableCopy = Value; }
  // Shows every character as this one (0: the text itself). A masked text
  // is neither copied nor cut to the clipboard.
  wchar_t PasswordChar() const { return FPasswordChar; }
  void SetPasswordChar(wchar_t Value);
  TVelSkinEditTips& Tips() { return *FTips; }

  // ---- Items ----------------------------------------------------------------------
  // The class of new items (TVelEditItem); a subclass may name its own.
  virtual TCollectionItemClass GetItemClass();
  // A new item of the item class, in no collection yet.
  virtual TVelEditItem* CreateNewItem();
  // The items changed: they are laid out again before they are next needed,
  // and the edit repaints.
  void ItemsChanged();
  // The size of a text item's text in Font (scaled for the pixel density).
  SIZE ItemTextExtent(const TFont& Font, const std::wstring& Text);
  // Room the visible items take at the left and at the right of the text.
  int32_t LeftOffset();
  int32_t RightOffset();
  // True while the edit shows itself as hot (mouse over it or just focused).
  bool Hot() const { return FHot; }
  bool CursorShowing() const { return FCursorShowing; }
  // x of the caret in the last paint.
  int32_t CursorXPos() const { return FCursorXPos; }
  // 1-based index of the first character drawn.
  int32_t FirstDisplayChar() const { return FModel.FirstDisplay() + 1; }

  TNotifyEvent OnChange;

  // Fills the built-in context menu for the edit's state (captions by the
  // system's locale, enabled items, tags 2..6).
  virtual void BuildEditMenu();
  TPopupMenu& DefaultPopupMenu() { return *FDefaultPopupMenu; }

  // What accessibility clients read (accessible_controls.cpp).
  // The text is the value; a password edit never tells it.
  std::wstring AccName() override;
  long AccRole() override;
  long AccState() override;
  std::wstring AccValue() override;
  bool AccTextIsValue() const override { return true; }

protected:
  virtual void EditMenuPopup(TObject* Sender);
  virtual void ScrollToCaret();
  virtual int32_t HintTextHeight();
  virtual int32_t TextLineHeight();
  // Width of the characters from index First (0-based) up to Last (excluded).
  virtual int32_t TextRangeWidth(int32_t First, int32_t Last);
  virtual int32_t CharWidth(const wchar_t* Chars, size_t Count);
  virtual void DrawCaret(TBitmap32* Bitmap, int32_t X, int32_t Y);
  virtual int32_t PosAtX(int32_t X);
  virtual void DrawTextAndCaret(TBitmap32* Bitmap);
  virtual void DrawChar(TBitmap32* Bitmap, int32_t X, bool Selected, const std::wstring& Chars, int32_t Y);
  virtual void DrawItems(TBitmap32* Bitmap);
  virtual void DrawHint(TBitmap32* Bitmap);
  virtual std::wstring FilterText(const std::wstring& Value, TEditFilterMode Mode) const {
    return FModel.FilterText(Value, Mode);
  }

  // Stops the blink, shows the caret, restarts the blink when focused, repaints, OnChange.
  void Changed();
  // The blink restart of Changed without OnChange.
  void RestartBlink();
  int32_t LeftMargin(bool Painting);
  int32_t RightMargin();
  int32_t TextTop();
  bool IsFocused();
  TEditWidthFn WidthFn();
  void UpdateCheckItem();
  TVelEditItem* CheckItem() const;
  void HideTips() { FTips->Hide(); }

  // Every item's rectangle and the room the items take, from scratch.
  void LayoutItems();
  void EnsureItemLayout() {
    if (!FItemLayoutValid) LayoutItems();
  }

  void DrawControl(TBitmap32* Bitmap) override;
  void Resize() override;
  void SetTextBuf(const std::wstring& Value) override { SetText(Value); }
  std::wstring GetTextBuf() override { return FModel.Text(); }
  void CreateWnd() override;
  void WndProc(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(wchar_t& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;
  void WMSetFocus(TWMFocus& Message) override;
  void WMKillFocus(TWMFocus& Message) override;
  void WMLButtonDblClk(TWMMouse& Message) override;
  void WMGetDlgCode(TWMGetDlgCode& Message) override;
  void WMContextMenu(TWMContextMenu& Message) override;
  void CMMouseEnter(TCMMouse& Message) override;
  void CMMouseLeave(TCMMouse& Message) override;
  void CMFontChanged(TWMBase& Message) override;

  bool FAutoSelect = true;
  bool FHot = false;
  bool FHideSelection = true;
  std::unique_ptr<TVelEditItems> FItems;
  std::unique_ptr<TVelSpaceSize> FSpace;
  std::wstring FBorderNormal = L"VelSkinBorderNormal";
  std::wstring FBorderHot = L"VelSkinBorderHot";
  std::wstring FTextHint;
  std::unique_ptr<TFont> FFontHint;
  std::unique_ptr<TSimpleTimer> FCursorTimer;
  bool FBorderVisible = true;
  TColor FCursorColor = 0;
  bool FShowCheckBox = false;
  bool FChecked = false;
  // The check box item, by its id (the program may delete items).
  int FCheckItemID = -1;
  bool FTextHintHideInKey = false;
  bool FBlockWinMsg = false;
  bool FDisableIME = false;
  HIMC FHImc = nullptr;
  std::unique_ptr<TVelSkinEditTips> FTips;
  std::unique_ptr<TPopupMenu> FDefaultPopupMenu;
  bool FCursorVisible = true;
  uint8_t FSelColorAlpha = 255;
  std::unique_ptr<THintWindow> FHintWindow;
  TEditModel FModel;
  TShiftState FShiftState = 0;
  // Held mouse buttons as ssLeft, ssRight and ssMiddle bits.
  TShiftState FMouseButtons = 0;
  bool FCursorShowing = true;
  int32_t FCursorXPos = 0;
  int32_t FLeftOffset = 0;
  int32_t FRightOffset = 0;
  // The items' rectangles and flags of the last layout, by index.
  std::vector<TEditItemGeometry> FItemGeometry;
  bool FItemLayoutValid = false;
  bool FDisableCopy = false;
  wchar_t FPasswordChar = 0;
  bool FCharCaseChanged = false;
  bool FTextKindChanged = false;
  // The first half of a character typed as two WM_CHAR units.
  wchar_t FPendingHigh = 0;

private:
  void BlinkTick(TObject* Sender);
  void ItemHover(int X, int Y);
  int ItemAt(int X, int Y, bool ButtonsOnly);
  void ShowItemHint(const std::wstring& Hint);
  void HideItemHint();
  // IME: composition window at the caret; a result string is inserted.
  bool ImeStartComposition();
  bool ImeComposition(TMessage& Message);
  // Widths of clusters in the font they were measured in.
  // Hidden; follows the drawn caret while the edit has the focus.
  TSystemCaret FSystemCaret;
  std::unique_ptr<TBitmap32> FMeasure;
  std::unique_ptr<TFont> FMeasureFont;
  std::unordered_map<std::wstring, int32_t> FWidthCache;
  // Cleared when the edit is freed; a menu or handler that outlives it checks it.
  std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TVelSkinEdit : public TVelSkinPngEdit {
public:
  explicit TVelSkinEdit(TComponent* AOwner) : TVelSkinPngEdit(AOwner) {}
};
