#include "skin/gallery/gallery_edit_items.h"

#include <memory>

#include "skin/controls/edit.h"

namespace {

const wchar_t* const DemoTip = L"Type to search";

// Shows the tip once the edit is on the screen, then frees itself.
class TFirstShowTip : public TSimpleTimer {
public:
  explicit TFirstShowTip(TVelSkinEdit* Edit)
      : TSimpleTimer(100, [this](TObject*) { Tick(); }), FEdit(Edit) {
    SetEnabled(true);
  }

private:
  void Tick() {
    if (!FEdit->Showing() || !FEdit->HandleAllocated() || !IsWindowVisible(FEdit->Handle())) return;
    SetEnabled(false);
    ShowEditItemsTip(FEdit);
  }
  TVelSkinEdit* FEdit;
};

// Owned by the edit: freed with it, and with it its timer.
class TDemoEdit : public TVelSkinEdit {
public:
  explicit TDemoEdit(TComponent* AOwner) : TVelSkinEdit(AOwner), FFirstShow(std::make_unique<TFirstShowTip>(this)) {}
  ~TDemoEdit() override { FFirstShow.reset(); }

private:
  std::unique_ptr<TFirstShowTip> FFirstShow;
};

}  // namespace

void ShowEditItemsTip(TVelSkinEdit* Edit) {
  if (Edit) Edit->Tips().Show(DemoTip);
}

TVelSkinEdit* AddEditItemsDemo(TComponent* Owner, TWinControl* Parent, int Left, int Top) {
  auto* edit = new TDemoEdit(Owner);
  edit->SetBounds(Left, Top, 190, 26);
  edit->SetParent(Parent);
  edit->SetTextHint(L"Items inside");
  // The balloon stays until the user types: the gallery shows it at rest.
  edit->Tips().SetPauseTime(0);

  TVelEditItems& items = edit->EdItems();
  TVelEditItem* image = items.Add();
  image->SetKind(ikImage);
  image->SetImage(L"VelSkinCheckedCheckbox_18");
  image->Pos().SetX(5);
  image->Pos().SetY(6);

  TVelEditItem* button = items.Add();
  button->SetImage(L"VelSkinSearch_icon");
  button->SetImageHot(L"VelSkinSearch_icon");
  button->Pos().SetAlign(agRight);
  button->Pos().SetX(22);
  button->Pos().SetY(6);
  button->SetCurosor(crHandPoint);
  button->SetHint(L"Search");
  button->OnClick = [edit](TObject*) { ShowEditItemsTip(edit); };

  TVelEditItem* text = items.Add();
  text->SetKind(ikText);
  text->SetText(L"kg");
  text->Font().SetColor(0x808080);
  text->Pos().SetAlign(agRight);
  text->Pos().SetX(40);
  text->Pos().SetY(6);
  return edit;
}
