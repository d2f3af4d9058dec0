// The title-bar controls as accessibility clients see them: child elements
// of the form's object, one per registered control, named by their kind or
// caption, with their pressed and hot states and screen places.
#include "skin/frame/main_menu.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "toolkit/win/accessible.h"

namespace {

std::wstring SystemButtonName(TVelSkinSystemButton& Button) {
  switch (Button.Kind()) {
    case bkClose: return L"Close";
    case bkMinimize: return L"Minimize";
    case bkMaximize: {
      TCustomForm* target = Button.SourceForm() ? Button.SourceForm() : Button.Form();
      return target && WindowMaximized(target) ? L"Restore" : L"Maximize";
    }
  }
  return std::wstring();
}

}  // namespace

int TVelSkinForm::AccPartCount() { return FNCCtrlList.Count(); }

TAccItem TVelSkinForm::AccPart(int Index) {
  auto* control = static_cast<TVelSkinNCCtrlBase*>(FNCCtrlList.Items(Index));
  TAccItem item;
  // Window coordinates to the screen.
  RECT window{};
  if (FDestForm && FDestForm->HandleAllocated()) GetWindowRect(FDestForm->Handle(), &window);
  const TRect r = control->ClientRect();
  item.Bounds = TRect{r.Left + window.left, r.Top + window.top, r.Right + window.left, r.Bottom + window.top};
  item.Description = control->Hint();
  if (!control->Visible()) item.State |= STATE_SYSTEM_INVISIBLE;

  if (auto* label = dynamic_cast<TVelSkinNCLabel*>(control)) {
    item.Name = label->Caption();
    item.Role = ROLE_SYSTEM_STATICTEXT;
    item.State |= STATE_SYSTEM_READONLY;
    return item;
  }
  auto* button = dynamic_cast<TVelSkinCustomNCButton*>(control);
  if (!button) {
    item.Name = control->Hint();
    item.Role = ROLE_SYSTEM_GRAPHIC;
    return item;
  }
  item.DefaultAction = L"Press";
  if (auto* system = dynamic_cast<TVelSkinSystemButton*>(button)) {
    item.Name = SystemButtonName(*system);
    item.Role = ROLE_SYSTEM_PUSHBUTTON;
  } else if (dynamic_cast<TVelSkinNCMenuItem*>(button)) {
    item.Name = WithoutMnemonics(button->Caption());
    item.Role = ROLE_SYSTEM_MENUITEM;
    item.State |= STATE_SYSTEM_HASPOPUP;
    item.DefaultAction = L"Open";
  } else {
    item.Name = button->Caption().empty() ? button->Hint() : WithoutMnemonics(button->Caption());
    item.Role = ROLE_SYSTEM_PUSHBUTTON;
  }
  if (button->State() == bsPressed) item.State |= STATE_SYSTEM_PRESSED;
  if (button->State() == bsHot || button->CursorEnter()) item.State |= STATE_SYSTEM_HOTTRACKED;
  if (button->Down()) item.State |= button->GroupIndex() != 0 ? STATE_SYSTEM_CHECKED : STATE_SYSTEM_PRESSED;
  if (!button->Enabled()) item.State |= STATE_SYSTEM_UNAVAILABLE;
  return item;
}

// A system button sends its window command, as its release does; other
// buttons click.
bool TVelSkinForm::AccPartDoDefaultAction(int Index) {
  if (Index < 0 || Index >= FNCCtrlList.Count()) return false;
  auto* button = dynamic_cast<TVelSkinCustomNCButton*>(static_cast<TVelSkinNCCtrlBase*>(FNCCtrlList.Items(Index)));
  if (!button || !button->Visible() || !button->Enabled()) return false;
  if (auto* system = dynamic_cast<TVelSkinSystemButton*>(button)) {
    TCustomForm* target = system->SourceForm() ? system->SourceForm() : system->Form();
    if (!target || !target->HandleAllocated()) return false;
    SendMessageW(target->Handle(), WM_SYSCOMMAND, system->Command(), 0);
    return true;
  }
  button->Click();
  return true;
}
