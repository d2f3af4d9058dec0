#include "skin/frame/main_menu.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/skin_menu.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/screen.h"

namespace {

// The main menus that put the popup-list replacement in place, and the list it replaced.
std::vector<TVelSkinMainMenu*>& HookedMenus() {
  static std::vector<TVelSkinMainMenu*> menus;
  return menus;
}
std::shared_ptr<TPopupList>& ReplacedList() {
  static std::shared_ptr<TPopupList> list;
  return list;
}

constexpr int32_t MenuItemGroup = 99;
constexpr TColor DisabledCaptionColor = 13092292;

// The window rectangle's top-left corner on the screen.
TPoint WindowOrigin(TCustomForm* Form) {
  RECT r{};
  if (Form && Form->HandleAllocated()) GetWindowRect(Form->Handle(), &r);
  return TPoint{r.left, r.top};
}

}  // namespace

// ---- TPopupListEx -------------------------------------------------------------------------

void TPopupListEx::WndProc(TMessage& Message) {
  UINT forward = 0;
  if (Message.Msg == WM_MENUSELECT && Message.LParam == 0 && HIWORD(Message.WParam) == 0xFFFF)
    forward = MM_MENUCLOSED;
  else if (Message.Msg == WM_ENTERMENULOOP)
    forward = MM_ENTERMENULOOP;
  else if (Message.Msg == WM_EXITMENULOOP)
    forward = MM_EXITMENULOOP;
  if (forward) {
    // The form whose title-bar popup is open, else the active one.
    HWND target = nullptr;
    for (TVelSkinMainMenu* menu : HookedMenus())
      if (menu->FocusMenu() && menu->Form() && menu->Form()->HandleAllocated()) target = menu->Form()->Handle();
    if (!target)
      if (TCustomForm* active = Screen->ActiveForm(); active && active->HandleAllocated()) target = active->Handle();
    if (target) SendMessageW(target, forward, Message.WParam, Message.LParam);
  }
  TPopupList::WndProc(Message);
}

// ---- TVelSkinMainMenu ---------------------------------------------------------------------

TVelSkinMainMenu::TVelSkinMainMenu(TCustomForm* Form, TVelSkinForm* SkinForm)
    : FFont(std::make_unique<TFont>()),
      FPos(std::make_unique<TNCCtrlPos>(Form)),
      FPictures(std::make_unique<TPngPictures>()),
      FVelSkinForm(SkinForm),
      FForm(Form) {
  FPos->SetAlign(caLeft);
  FPos->SetXValue(5);
  FPos->SetYValue(5);
  FPictures->SetImage(L"VelSkinFlatBtn");
  FPictures->SetCount(3);
  FPictures->SetNormal(0);
  FPictures->SetHot(1);
  FPictures->SetPressed(2);
  FPictures->SetActive(true);
  // A menu freed, or its top-level items changed, shows on the next paint.
  FChangeHook = AddMenuChangeHook([this](TMenu* Menu, TMenuItem* Item, TOperation Operation) {
    if (!FMainMenu || Menu != FMainMenu) return;
    if (!Item && Operation == opRemove) FMainMenu = nullptr;
    if (Item && Item->Parent() && Item->Parent()->Parent()) return;
    Reset();
    if (FForm && FForm->HandleAllocated()) PostMessageW(FForm->Handle(), MM_NCINVALIDATE, 0, 0);
  });
}

TVelSkinMainMenu::~TVelSkinMainMenu() {
  RemoveMenuChangeHook(FChangeHook);
  ReleasePopupList();
  // The title-bar items stay with the form; they only forget this menu.
  for (auto& data : FList)
    if (TVelSkinNCMenuItem* item = data->NCMenuItem) item->Detach();
  FList.clear();
}

void TVelSkinMainMenu::SetMainMenu(TMainMenu* Value) {
  if (Value == FMainMenu) return;
  FMainMenu = Value;
  const bool designing = FVelSkinForm && FVelSkinForm->ComponentState().Contains(csDesigning);
  if (Value && FVelSkinForm) FVelSkinForm->FreeNotification(Value);
  if (Value && !designing) InstallPopupList();
  Refresh();
}

void TVelSkinMainMenu::SetMenuSkin(TVelSkinMenu* Value) {
  if (Value == FMenuSkin) return;
  FMenuSkin = Value;
  if (Value && FVelSkinForm) FVelSkinForm->FreeNotification(Value);
  Reset();
}

void TVelSkinMainMenu::SetPictures(TPngPictures& Value) {
  if (&Value != FPictures.get()) FPictures->Assign(&Value);
}

void TVelSkinMainMenu::SetSpace(int32_t Value) {
  if (Value == FSpace) return;
  FSpace = Value;
  Refresh();
}

void TVelSkinMainMenu::Refresh() {
  Reset();
  const bool going = (FForm && FForm->ComponentState().Contains(csDestroying)) ||
                     (FVelSkinForm && FVelSkinForm->ComponentState().Contains(csDestroying));
  if (FVelSkinForm && !going) FVelSkinForm->InvalidateNC();
}

void TVelSkinMainMenu::InstallPopupList() {
  if (FHooked) return;
  FHooked = true;
  HookedMenus().push_back(this);
  if (HookedMenus().size() > 1) return;
  auto replacement = std::make_shared<TPopupListEx>();
  replacement->Assign(*PopupList());
  ReplacedList() = SetPopupList(replacement);
}

void TVelSkinMainMenu::ReleasePopupList() {
  if (!FHooked) return;
  FHooked = false;
  auto& menus = HookedMenus();
  menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
  if (!menus.empty()) return;
  std::shared_ptr<TPopupList> previous = std::move(ReplacedList());
  if (previous) previous->Assign(*PopupList());
  SetPopupList(std::move(previous));
}

void TVelSkinMainMenu::EndPopup() {
  // A rebuild held back while the popup was open follows now, outside the
  // item that opened it (which may go in the rebuild).
  if (--FPopupDepth == 0 && !FDone && FForm && FForm->HandleAllocated())
    PostMessageW(FForm->Handle(), MM_NCINVALIDATE, 0, 0);
}

TMenuItem* TVelSkinMainMenu::SourceItem(UINT Command) const {
  return FMainMenu ? FMainMenu->Items()->FindCommand(Command) : nullptr;
}

void TVelSkinMainMenu::CopyItems(TMenuItem* Source, TMenuItem* Target) {
  for (int i = 0; i < Source->Count(); ++i) {
    TMenuItem* s = Source->Items(i);
    auto* copy = new TMenuItem(nullptr);
    Target->Add(copy);
    copy->SetCaption(s->Caption());
    copy->SetShortCut(s->ShortCut());
    copy->SetRadioItem(s->RadioItem());
    copy->SetGroupIndex(s->GroupIndex());
    copy->SetChecked(s->Checked());
    copy->SetEnabled(s->Enabled());
    copy->SetVisible(s->Visible());
    copy->SetDefault(s->Default());
    copy->SetHelpContext(s->HelpContext());
    copy->SetImageIndex(s->ImageIndex());
    copy->SetAutoCheck(s->AutoCheck());
    copy->SetTag(s->Tag());
    copy->SetHint(s->Hint());
    if (s->HasBitmap()) copy->SetBitmap(&s->Bitmap());
    if (!s->Name().empty()) copy->SetName(s->Name() + L"Copy");
    // The source item runs (its own check and click); one freed meanwhile is not found.
    const UINT command = s->Command();
    copy->OnClick = [this, command](TObject*) {
      if (TMenuItem* source = SourceItem(command)) source->Click();
    };
    if (FMenuSkin) FMenuSkin->DrawMenuItem(copy);
    CopyItems(s, copy);
  }
}

void TVelSkinMainMenu::RemoveItems() {
  FLastFocusMenu = nullptr;
  FNextFocusMenu = nullptr;
  for (auto& data : FList) {
    TVelSkinNCMenuItem* item = data->NCMenuItem;
    if (!item) continue;
    item->Detach();
    // A registered item goes through the skin form, one still waiting for it goes at once.
    if (item->Hooked())
      item->RemoveSelf();
    else
      delete item;
  }
  FList.clear();
}

void TVelSkinMainMenu::Build() {
  // Not while a popup of an item is open: its item and menu stay until it closes.
  if (FPopupDepth > 0) return;
  FDone = true;
  RemoveItems();
  if (!FMainMenu || !FForm) return;
  TMenuItem* root = FMainMenu->Items();
  for (int i = 0; i < root->Count(); ++i) {
    TMenuItem* item = root->Items(i);
    if (!item->Visible()) continue;
    auto data = std::make_unique<TVelMainMenuData>();
    data->Caption = item->Caption();
    data->Enabled = item->Enabled();
    data->OnClick = item->OnClick;
    data->Source = item->Command();
    data->PopupMenu = std::make_unique<TPopupMenu>(nullptr);
    TPopupMenu* popup = data->PopupMenu.get();
    popup->SetImages(FMainMenu->Images());
    popup->SetAutoHotkeys(FMainMenu->AutoHotkeys());
    popup->SetAutoLineReduction(FMainMenu->AutoLineReduction());
    popup->SetOwnerDraw(FMenuSkin != nullptr);
    CopyItems(item, popup->Items());
    // Each popup shows the menu as it is then.
    const UINT command = item->Command();
    popup->OnPopup = [this, popup, command](TObject*) {
      popup->Items()->Clear();
      if (TMenuItem* source = SourceItem(command)) CopyItems(source, popup->Items());
    };
    FList.push_back(std::move(data));
  }
  int32_t x = FPos->XValue();
  for (auto& data : FList) {
    auto* item = new TVelSkinNCMenuItem(FForm, data.get(), this);
    if (FPos->Align() == caRight) x += item->Pos().Width();
    item->Pos().SetAlign(FPos->Align());
    item->Pos().SetYValue(FPos->YValue());
    item->Pos().SetXValue(x);
    item->SetGroupIndex(MenuItemGroup);
    x += (FPos->Align() == caRight ? 0 : item->Pos().Width()) + FSpace;
  }
}

bool TVelSkinMainMenu::ClickAccelerator(WPARAM Key, LPARAM KeyData) {
  // Menu access keys want Alt, as in any menu bar: a plain letter stays the controls'.
  if (!(KeyData & (LPARAM(1) << 29))) return false;
  for (auto& data : FList) {
    TVelSkinNCMenuItem* item = data->NCMenuItem;
    if (!item || !item->Visible() || !item->Enabled() || !IsAccel(static_cast<WORD>(Key), data->Caption)) continue;
    // The count that opens the popup (or runs the click of an item without one).
    item->SetClickCount(1);
    item->Click();
    return true;
  }
  return false;
}

bool TVelSkinMainMenu::ClickShortCut(WORD Key, TShiftState Shift) {
  return FMainMenu && FMainMenu->IsShortCut(Key, Shift);
}

bool TVelSkinMainMenu::MenuClosed() {
  if (!FLastFocusMenu) return false;
  FLastFocusMenu->SetDown(false);
  FLastFocusMenu = nullptr;
  return FNextFocusMenu != nullptr;
}

void TVelSkinMainMenu::ClickNext() {
  TVelSkinNCMenuItem* next = FNextFocusMenu;
  if (!next) return;
  next->SetClickCount(1);
  next->Click();
}

// ---- TVelSkinNCMenuItem -------------------------------------------------------------------

TVelSkinNCMenuItem::TVelSkinNCMenuItem(TComponent* AOwner, TVelMainMenuData* MenuData, TVelSkinMainMenu* MainMenu)
    : TVelSkinNCButton(AOwner), FMenuData(MenuData), FVelSkinMainMenu(MainMenu) {
  if (FMenuData) {
    SetEnabled(FMenuData->Enabled);
    FMenuData->NCMenuItem = this;
  }
  // The caption's size in the menu's font, 4 pixels more each way.
  TFont font;
  if (FVelSkinMainMenu) font.Assign(&FVelSkinMainMenu->Font());
  TWindowDC dc(nullptr);
  TSelectObject select(dc.Get(), font.Handle());
  RECT r{0, 0, 0, 0};
  const std::wstring caption = FMenuData ? FMenuData->Caption : std::wstring();
  DrawTextW(dc.Get(), caption.c_str(), static_cast<int>(caption.size()), &r, DT_CALCRECT | DT_SINGLELINE);
  FPos->SetWidth(r.right - r.left + 4);
  FPos->SetHeight(r.bottom - r.top + 4);
  FTimer->SetInterval(10);
}

TVelSkinNCMenuItem::~TVelSkinNCMenuItem() {
  *FAlive = false;
  Detach();
}

void TVelSkinNCMenuItem::Detach() {
  if (FVelSkinMainMenu) {
    if (FVelSkinMainMenu->FocusMenu() == this) FVelSkinMainMenu->SetFocusMenu(nullptr);
    if (FVelSkinMainMenu->NextFocusMenu() == this) FVelSkinMainMenu->SetNextFocusMenu(nullptr);
  }
  if (FMenuData && FMenuData->NCMenuItem == this) FMenuData->NCMenuItem = nullptr;
  FMenuData = nullptr;
  FVelSkinMainMenu = nullptr;
}

void TVelSkinNCMenuItem::TimerTick() {
  if (Designing()) return;
  try {
    POINT p;
    if (!GetCursorPos(&p)) return;
    if (!FHooked) PostRegistration();
    const HWND under = WindowFromPoint(p);
    if (FForm && FForm->HandleAllocated() && under == FForm->Handle()) {
      TVelSkinNCCtrlBase::NCMouseMove(TPoint{p.x, p.y});
    } else if (FMouseEnter) {
      // Over another window, an open popup for one: the item is left.
      FMouseEnter = false;
      MouseLeave();
    }
  } catch (...) {
    // A failed poll is retried on the next tick; a timer must not raise.
  }
}

void TVelSkinNCMenuItem::MouseEnter() {
  TVelSkinNCButton::MouseEnter();
  if (!Visible() || !Enabled() || !FVelSkinMainMenu) return;
  TVelSkinNCMenuItem* focus = FVelSkinMainMenu->FocusMenu();
  if (!focus || focus == this) return;
  // Another item's popup is open: it closes, and this item opens once it has.
  FClickCount = 0;
  focus->SetDown(false);
  FVelSkinMainMenu->SetNextFocusMenu(this);
  SendMessageW(PopupList()->Window(), WM_CANCELMODE, 0, 0);
}

void TVelSkinNCMenuItem::MouseLeave() {
  if (Visible() && Enabled()) FClickCount = 0;
  TVelSkinNCButton::MouseLeave();
}

void TVelSkinNCMenuItem::Click() {
  if (!Visible() || !Enabled()) return;
  const std::shared_ptr<bool> alive = FAlive;
  LMouseDown();
  if (*alive) TVelSkinNCButton::Click();
}

void TVelSkinNCMenuItem::LMouseUp() {
  // The popup keeps the item down while it is open; a release only makes it hot.
  if (Visible() && Enabled() && !Down()) FStates.SetState(bsHot);
  TVelSkinNCCtrlBase::LMouseUp();
  if (Visible() && Enabled()) Click();
}

void TVelSkinNCMenuItem::LMouseDown() {
  TVelMainMenuData* data = FMenuData;
  TVelSkinMainMenu* menu = FVelSkinMainMenu;
  if (!data || !data->PopupMenu || !menu) return;
  const std::shared_ptr<bool> alive = FAlive;
  const bool usable = Visible() && Enabled();
  TPopupMenu* popup = data->PopupMenu.get();
  if (popup->Items()->Count() == 0) {
    TVelSkinNCButton::LMouseDown();
    if (usable && data->OnClick && (FClickCount - 1) % 2 == 0) {
      menu->SetNextFocusMenu(nullptr);
      const TNotifyEvent click = data->OnClick;
      click(this);
      if (!*alive) return;
      // Nothing stays open: the item does not stay down either.
      SetDown(false);
    }
  } else if (usable && (FClickCount - 1) % 3 == 0) {
    menu->SetNextFocusMenu(nullptr);
    menu->SetFocusMenu(this);
    SetDown(true);
    TVelSkinNCButton::LMouseDown();
    const TPoint origin = WindowOrigin(FForm);
    TPoint at{FPos->X() + origin.X, FPos->Y() + origin.Y + FPos->DisplayHeight()};
    if (menu->MenuSkin())
      at.X -= menu->MenuSkin()->BorderOffset();
    else
      at.Y += 1;
    menu->BeginPopup();
    popup->Popup(at.X, at.Y);
    if (!*alive) return;
    if (FVelSkinMainMenu) FVelSkinMainMenu->EndPopup();
  }
  ++FClickCount;
}

void TVelSkinNCMenuItem::Paint(TBitmap32* Bitmap) {
  TVelSkinNCCtrlBase::Paint(Bitmap);
  if (!Bitmap || !FMenuData || !FVelSkinMainMenu || Destroying() || !FForm) return;
  const int32_t grow = ScaleByDPI(FForm, 2);
  const int32_t x = FPos->X(), y = FPos->Y();
  const TRect r{x, y - grow, x + FPos->DisplayWidth(), y + FPos->DisplayHeight() + grow};
  if (Enabled() && (State() == bsHot || State() == bsPressed)) {
    const TColor color = State() == bsHot ? FVelSkinMainMenu->HotColor() : FVelSkinMainMenu->PressColor();
    Bitmap->FillRectTS(r, WithAlpha(ToColor32(color), 128));
  }
  TFont font;
  font.Assign(&FVelSkinMainMenu->Font());
  ScaleFontByDPI(FForm, font);
  if (!Enabled()) font.SetColor(DisabledCaptionColor);
  ::SetFont(*Bitmap, font);
  const TRect text{r.Left, r.Top - 1, r.Right, r.Bottom - 1};
  TextoutW(*Bitmap, text, DT_CENTER | DT_VCENTER | DT_SINGLELINE, FMenuData->Caption);
}
