#include "skin/controls/edit.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"

#include <imm.h>

namespace {

// The system's decimal separator (tkNumReal reads numbers with it).
wchar_t LocaleDecimalSeparator() {
  wchar_t buffer[8] = {};
  if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, buffer, 8) > 0 && buffer[0]) return buffer[0];
  return L'.';
}

TColor32 OpaqueColor(TColor Color) { return ToColor32(Color) | 0xFF000000u; }

}  // namespace

// ---- TVelSkinPngEdit: construction and properties ---------------------------------

TVelSkinPngEdit::TVelSkinPngEdit(TComponent* AOwner)
    : TVelSkinCustomControl(AOwner),
      FItems(std::make_unique<TVelEditItems>(this)),
      FSpace(std::make_unique<TVelSpaceSize>()),
      FFontHint(std::make_unique<TFont>()),
      FTips(std::make_unique<TVelSkinEditTips>(this)),
      FDefaultPopupMenu(std::make_unique<TPopupMenu>(nullptr)),
      FMeasure(std::make_unique<TBitmap32>()),
      FMeasureFont(std::make_unique<TFont>()) {
  FSpace->SetLeft(4);
  FSpace->SetTop(6);
  FSpace->SetRight(4);
  FSpace->SetBottom(6);
  FSpace->OnChange = [this](TObject*) { Invalidate(); };
  FFontHint->SetColor(11711154);
  FCursorTimer = std::make_unique<TSimpleTimer>(500, [this](TObject* Sender) { BlinkTick(Sender); });
  FDefaultPopupMenu->OnPopup = [this](TObject* Sender) { EditMenuPopup(Sender); };
  FMeasure->SetSize(1, 1);
  FModel.SetDecimalSeparator(LocaleDecimalSeparator());
  FWidth = 120;
  FHeight = 26;
  FColor = clWhite;
  FTabStop = true;
  FCursor = crIBeam;
  FControlStyle |= csCaptureMouse | csClickEvents | csDoubleClicks;
}

TVelSkinPngEdit::~TVelSkinPngEdit() {
  *FAlive = false;
  // The balloons go while the edit is still whole.
  FTips.reset();
  if (FHImc && HandleAllocated()) ImmAssociateContext(Handle(), FHImc);
  FCursorTimer->SetEnabled(false);
}

void TVelSkinPngEdit::SetReadOnly(bool Value) {
  if (FModel.ReadOnly() == Value) return;
  FModel.SetReadOnly(Value);
  Invalidate();
}

void TVelSkinPngEdit::SetBorderNormal(const std::wstring& Value) {
  if (FBorderNormal == Value) return;
  FBorderNormal = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetBorderHot(const std::wstring& Value) {
  if (FBorderHot == Value) return;
  FBorderHot = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetBorderVisible(bool Value) {
  if (FBorderVisible == Value) return;
  FBorderVisible = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetTextHint(const std::wstring& Value) {
  if (FTextHint == Value) return;
  FTextHint = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetFontHint(const TFont& Value) {
  FFontHint->Assign(const_cast<TFont*>(&Value));
  Invalidate();
}

void TVelSkinPngEdit::SetCursorColor(TColor Value) {
  if (FCursorColor == Value) return;
  FCursorColor = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetCursorVisible(bool Value) {
  if (FCursorVisible == Value) return;
  FCursorVisible = Value;
  SetCursor(Value ? crIBeam : crDefault);
  Invalidate();
}

void TVelSkinPngEdit::SetTextHintHideInKey(bool Value) {
  if (FTextHintHideInKey == Value) return;
  FTextHintHideInKey = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetSelColorAlpha(uint8_t Value) {
  if (FSelColorAlpha == Value) return;
  FSelColorAlpha = Value;
  Invalidate();
}

void TVelSkinPngEdit::SetDisableIME(bool Value) {
  if (FDisableIME == Value) return;
  FDisableIME = Value;
  if (!HandleAllocated()) return;
  if (Value)
    FHImc = ImmAssociateContext(Handle(), nullptr);
  else if (FHImc) {
    ImmAssociateContext(Handle(), FHImc);
    FHImc = nullptr;
  }
}

void TVelSkinPngEdit::CreateWnd() {
  TVelSkinCustomControl::CreateWnd();
  if (FDisableIME) FHImc = ImmAssociateContext(Handle(), nullptr);
}

// The case and the kind filter apply to the text at once, so that Text
// always answers what the edit shows.
void TVelSkinPngEdit::SetCharCase(TEditCharCase Value) {
  if (FModel.CharCase() == Value) return;
  FModel.SetCharCase(Value);
  FCharCaseChanged = true;
  if (FModel.Refilter()) Changed();
  Invalidate();
}

void TVelSkinPngEdit::SetTextKind(TVelTextKind Value) {
  if (FModel.TextKind() == Value) return;
  FModel.SetTextKind(Value);
  FTextKindChanged = true;
  if (FModel.Refilter()) Changed();
  Invalidate();
}

void TVelSkinPngEdit::SetMaxLength(int32_t Value) {
  if (FModel.SetMaxLength(Value)) {
    ScrollToCaret();
    Changed();
  }
}

TVelEditItem* TVelSkinPngEdit::CheckItem() const {
  return FCheckItemID < 0 ? nullptr : static_cast<TVelEditItem*>(FItems->FindItemID(FCheckItemID));
}

void TVelSkinPngEdit::UpdateCheckItem() {
  TVelEditItem* item = CheckItem();
  if (!item) {
    if (!FShowCheckBox) return;
    item = FItems->Add();
    FCheckItemID = item->ID();
    item->Pos().SetX(5);
    item->Pos().SetY(6);
  }
  item->SetImage(FChecked ? L"VelSkinCheckedCheckbox_18" : L"VelSkinUncheckedCheckbox_18");
  item->SetImageHot(FChecked ? L"VelSkinCheckedCheckbox_18_h" : L"VelSkinUncheckedCheckbox_18_h");
  item->SetVisible(FShowCheckBox);
}

void TVelSkinPngEdit::SetShowCheckBox(bool Value) {
  if (FShowCheckBox == Value) return;
  FShowCheckBox = Value;
  UpdateCheckItem();
  Invalidate();
}

void TVelSkinPngEdit::SetChecked(bool Value) {
  if (FChecked == Value) return;
  FChecked = Value;
  UpdateCheckItem();
  Invalidate();
}

// ---- Text, caret and selection ---------------------------------------------------

void TVelSkinPngEdit::RestartBlink() {
  FCursorTimer->SetEnabled(false);
  FCursorShowing = true;
  if (IsFocused()) FCursorTimer->SetEnabled(true);
}

void TVelSkinPngEdit::Changed() {
  RestartBlink();
  Invalidate();
  AccNotify(EVENT_OBJECT_VALUECHANGE);
  if (OnChange) OnChange(this);
}

void TVelSkinPngEdit::SetText(const std::wstring& Value) {
  if (!FModel.SetText(Value)) return;
  ScrollToCaret();
  Changed();
}

void TVelSkinPngEdit::SetSelText(const std::wstring& Value) {
  if (!FModel.SetSelText(Value)) return;
  ScrollToCaret();
  Changed();
}

void TVelSkinPngEdit::SetSelStart(int32_t Value) {
  FModel.SetSelStart(Value);
  ScrollToCaret();
  Invalidate();
}

void TVelSkinPngEdit::SetSelLength(int32_t Value) {
  FModel.SetSelLength(Value);
  Invalidate();
}

void TVelSkinPngEdit::SetCursorPos(int32_t Value) {
  RestartBlink();
  const bool extend = GetKeyState(VK_SHIFT) < 0 || (FMouseButtons & ssLeft) != 0;
  FModel.SetCursorPos(Value, extend);
  ScrollToCaret();
  Invalidate();
}

void TVelSkinPngEdit::SelectAll() {
  FModel.SelectAll();
  ScrollToCaret();
  Invalidate();
}

int32_t TVelSkinPngEdit::GetSelTextBuf(wchar_t* Buffer, int32_t BufSize) {
  if (!Buffer || BufSize <= 0) return 0;
  const std::wstring sel = SelText();
  const int32_t n = std::min<int32_t>(BufSize, static_cast<int32_t>(sel.size()));
  std::copy_n(sel.data(), n, Buffer);
  return n;
}

// ---- Measuring -------------------------------------------------------------------

bool TVelSkinPngEdit::IsFocused() { return HandleAllocated() && GetFocus() == Handle(); }

int32_t TVelSkinPngEdit::CharWidth(const wchar_t* Chars, size_t Count) {
  if (!FMeasureFont->SameAs(Font())) {
    FMeasureFont->Assign(&Font());
    FWidthCache.clear();
  }
  // A masked character, whatever it is, is as wide as the mask.
  std::wstring key = FPasswordChar ? std::wstring(1, FPasswordChar) : std::wstring(Chars, Count);
  auto it = FWidthCache.find(key);
  if (it != FWidthCache.end()) return it->second;
  ::SetFont(*FMeasure, Font());
  const int32_t w = TextExtentW(*FMeasure, key).cx;
  // Keeps memory bounded when a long text of many different characters is measured.
  if (FWidthCache.size() > 4096) FWidthCache.clear();
  FWidthCache.emplace(std::move(key), w);
  return w;
}

TEditWidthFn TVelSkinPngEdit::WidthFn() {
  return [this](const wchar_t* Chars, size_t Count) { return CharWidth(Chars, Count); };
}

int32_t TVelSkinPngEdit::TextRangeWidth(int32_t First, int32_t Last) {
  const std::wstring& text = FModel.Text();
  int32_t w = 0;
  size_t p = static_cast<size_t>(std::max(First, 0));
  const size_t end = std::min(static_cast<size_t>(std::max(Last, 0)), text.size());
  while (p < end) {
    const size_t q = NextClusterPos(text, p);
    w += CharWidth(text.data() + p, q - p);
    p = q;
  }
  return w;
}

int32_t TVelSkinPngEdit::TextLineHeight() {
  if (!Parent()) return 12;
  ::SetFont(*FMeasure, Font());
  return TextExtentW(*FMeasure, L"Wg").cy;
}

int32_t TVelSkinPngEdit::HintTextHeight() {
  if (!Parent()) return 12;
  TFont font;
  font.Assign(FFontHint.get());
  font.SetSize(Font().Size());
  ::SetFont(*FMeasure, font);
  return TextExtentW(*FMeasure, L"Wg").cy;
}

int32_t TVelSkinPngEdit::LeftMargin(bool Painting) {
  EnsureItemLayout();
  if (FSpace->Active()) return ScaleByDPI(this, FSpace->Left()) + FLeftOffset;
  return (Painting ? ScaleByDPI(this, 8) : 8) + FLeftOffset;
}

int32_t TVelSkinPngEdit::RightMargin() {
  EnsureItemLayout();
  if (FSpace->Active()) return ScaleByDPI(this, FSpace->Right()) + FRightOffset;
  return 8 + FRightOffset;
}

int32_t TVelSkinPngEdit::TextTop() {
  if (FSpace->Active()) return ScaleByDPI(this, FSpace->Top());
  return (Height() - TextLineHeight()) / 2;
}

void TVelSkinPngEdit::ScrollToCaret() {
  EnsureItemLayout();
  const int32_t margins = FSpace->Active() ? LeftMargin(false) + RightMargin() : FLeftOffset + FRightOffset + 12;
  FModel.ScrollToCaret(WidthFn(), Width() - margins);
}

int32_t TVelSkinPngEdit::PosAtX(int32_t X) {
  return FModel.PosAtX(X, WidthFn(), LeftMargin(false), Width() - RightMargin());
}

// ---- Items -----------------------------------------------------------------------

TCollectionItemClass TVelSkinPngEdit::GetItemClass() { return CollectionItemClassOf<TVelEditItem>(); }

TVelEditItem* TVelSkinPngEdit::CreateNewItem() {
  TCollectionItem* made = GetItemClass()(nullptr);
  if (auto* item = dynamic_cast<TVelEditItem*>(made)) return item;
  delete made;
  return new TVelEditItem(nullptr);
}

// Called while an item is being removed too: nothing here may touch the items.
void TVelSkinPngEdit::ItemsChanged() {
  FItemLayoutValid = false;
  Invalidate();
}

SIZE TVelSkinPngEdit::ItemTextExtent(const TFont& Font, const std::wstring& Text) {
  TFont font;
  font.Assign(const_cast<TFont*>(&Font));
  ScaleFontByDPI(this, font);
  ::SetFont(*FMeasure, font);
  return TextExtentW(*FMeasure, Text);
}

void TVelSkinPngEdit::LayoutItems() {
  const int count = FItems->Count();
  FItemGeometry.resize(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    const TVelEditItem* item = FItems->Items(i);
    TEditItemGeometry& g = FItemGeometry[static_cast<size_t>(i)];
    g.Rect = item->Rect();
    g.Kind = item->Kind();
    g.Align = item->Pos().Align();
    g.Visible = item->Visible();
    g.Enabled = item->Enabled();
    g.MakeSpace = item->MakeSpace();
  }
  FItemLayoutValid = true;
  const TEditItemSpace space = EditItemsSpace(FItemGeometry, Width());
  if (space.Left == FLeftOffset && space.Right == FRightOffset) return;
  FLeftOffset = space.Left;
  FRightOffset = space.Right;
  ScrollToCaret();
}

int32_t TVelSkinPngEdit::LeftOffset() {
  EnsureItemLayout();
  return FLeftOffset;
}

int32_t TVelSkinPngEdit::RightOffset() {
  EnsureItemLayout();
  return FRightOffset;
}

void TVelSkinPngEdit::Resize() {
  TVelSkinCustomControl::Resize();
  // Items aligned at the right move with the right edge.
  ItemsChanged();
}

// ---- Painting --------------------------------------------------------------------

void TVelSkinPngEdit::DrawControl(TBitmap32* Bitmap) {
  if (FStopDrawBody) return;
  if (FBorderVisible) {
    TVelSkinImage* border = (IsFocused() || FHot) ? SkinImageOrNone(FBorderHot) : nullptr;
    if (!border) border = SkinImageOrNone(FBorderNormal);
    if (border) DrawAutoStretch(border, Bitmap, false);
  }
  if (Color() != clWhite) Bitmap->FillRectS(2, 2, Width() - 2, Height() - 2, OpaqueColor(Color()));
  DrawItems(Bitmap);
  DrawHint(Bitmap);
  FCharCaseChanged = false;
  FTextKindChanged = false;
  DrawTextAndCaret(Bitmap);
}

void TVelSkinPngEdit::DrawItems(TBitmap32* Bitmap) {
  // Laid out afresh: MakeSpace, Enabled and fonts change without a signal.
  LayoutItems();
  const bool leftDown = (FMouseButtons & ssLeft) != 0;
  for (int i = 0; i < FItems->Count(); ++i) {
    TVelEditItem* item = FItems->Items(i);
    const TRect& r = FItemGeometry[static_cast<size_t>(i)].Rect;
    if (!item->Visible() || IsEmptyItemRect(r) || r.Left >= Width() || r.Right <= 0 || r.Top >= Height() ||
        r.Bottom <= 0)
      continue;
    if (item->Kind() == ikText) {
      TFont font;
      font.Assign(&item->Font());
      ScaleFontByDPI(this, font);
      if (!Enabled()) font.SetColor(EditDisabledTextColor);
      ::SetFont(*Bitmap, font);
      TextoutW(*Bitmap, r.Left, r.Top, item->Text());
      continue;
    }
    TVelSkinImage* image = nullptr;
    const bool hot = FItems->HotIndex() == i;
    if (item->Kind() == ikButton && hot) {
      TVelSkinImage* hotImage = SkinImageOrNone(item->ImageHot(), true);
      TVelSkinImage* press = leftDown ? SkinImageOrNone(item->ImagePress(), true) : nullptr;
      switch (EditItemFace(item->Kind(), hot, leftDown, hotImage != nullptr, press != nullptr)) {
        case ifPressed: image = press; break;
        case ifHot: image = hotImage; break;
        case ifNormal: break;
      }
    }
    if (!image) image = SkinImageOrNone(item->Image(), true);
    if (!image) continue;
    image->SetDrawMode(dmBlend);
    Bitmap->Draw(r.Left, r.Top, image);
  }
}

void TVelSkinPngEdit::DrawHint(TBitmap32* Bitmap) {
  if (!FModel.Text().empty() || FTextHint.empty()) return;
  if (IsFocused() && !FTextHintHideInKey) return;
  TFont font;
  font.Assign(FFontHint.get());
  font.SetSize(Font().Size());
  if (!Enabled()) font.SetColor(EditDisabledTextColor);
  const int32_t top = FSpace->Active() ? ScaleByDPI(this, FSpace->Top()) : (Height() - HintTextHeight()) / 2;
  ::SetFont(*Bitmap, font);
  TextoutW(*Bitmap, LeftMargin(true), top, FTextHint);
}

void TVelSkinPngEdit::DrawTextAndCaret(TBitmap32* Bitmap) {
  const std::wstring& text = FModel.Text();
  const int32_t left = LeftMargin(true);
  const int32_t right = Width() - RightMargin();
  const int32_t y = TextTop();
  const int32_t selStart = FModel.SelStart(), selEnd = selStart + FModel.SelLength();
  const size_t first = static_cast<size_t>(FModel.FirstDisplay());
  // The caret marks where the next character goes: SelStart.
  int32_t caretX = -1;
  int32_t x = left;
  size_t p = first;
  while (p < text.size() && x < right) {
    if (static_cast<int32_t>(p) == selStart) caretX = x;
    const size_t q = NextClusterPos(text, p);
    const std::wstring chars = text.substr(p, q - p);
    const bool selected = static_cast<int32_t>(p) >= selStart && static_cast<int32_t>(p) < selEnd;
    DrawChar(Bitmap, x, selected, FPasswordChar ? std::wstring(1, FPasswordChar) : chars, y);
    x += CharWidth(chars.data(), chars.size());
    p = q;
  }
  if (static_cast<int32_t>(p) == selStart) caretX = x;
  if (caretX < 0) caretX = left + TextRangeWidth(static_cast<int32_t>(first), FModel.CursorPos());
  FCursorXPos = caretX;
  FSystemCaret.MoveTo(caretX, y);
  if (IsFocused() && FCursorShowing && FCursorVisible) DrawCaret(Bitmap, caretX, y);
}

void TVelSkinPngEdit::SetPasswordChar(wchar_t Value) {
  if (Value == FPasswordChar) return;
  FPasswordChar = Value;
  ScrollToCaret();
  Invalidate();
}

void TVelSkinPngEdit::DrawCaret(TBitmap32* Bitmap, int32_t X, int32_t Y) {
  Bitmap->VertLineS(X, Y, Y + TextLineHeight(), OpaqueColor(FCursorColor));
}

void TVelSkinPngEdit::DrawChar(TBitmap32* Bitmap, int32_t X, bool Selected, const std::wstring& Chars, int32_t Y) {
  TFont font;
  font.Assign(&Font());
  if (!Enabled()) font.SetColor(EditDisabledTextColor);
  ::SetFont(*Bitmap, font);
  TextoutW(*Bitmap, X, Y, Chars);
  if (!Selected || !Enabled()) return;
  if (FSelColorAlpha == 255) font.SetColor(clHighlightText);
  const SIZE size = TextExtentW(*Bitmap, Chars);
  TColor32 back = OpaqueColor(clHighlight);
  if (FSelColorAlpha != 255) back = (back & 0xFFFFFF) | (static_cast<TColor32>(FSelColorAlpha) << 24);
  Bitmap->FillRectTS(X, Y - 1, X + size.cx, Y + size.cy + 1, back);
  ::SetFont(*Bitmap, font);
  TextoutW(*Bitmap, X, Y, Chars);
}
