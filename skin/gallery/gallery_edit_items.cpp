#include "skin/gallery/gallery_edit_items.h"

#include "skin/controls/edit.h"

namespace {

const wchar_t* const DemoTip = L"Type to search";

class TDemoEdit;
TDemoEdit* LastDemo = nullptr;

class TDemoEdit : public TVelSkinEdit {
public:
  explicit TDemoEdit(TComponent* AOwner) : TVelSkinEdit(AOwner) { LastDemo = this; }
  ~TDemoEdit() override {
    if (LastDemo == this) LastDemo = nullptr;
  }
  void ShowTip() { Tips().Show(DemoTip); }
};

}  // namespace

void ShowEditItemsTip() {
  if (LastDemo) LastDemo->ShowTip();
}

TVelSkinEdit* AddEditItemsDemo(TComponent* Owner, TWinControl* Parent, int Left, int Top) {
  auto* edit = new TDemoEdit(Owner);
  edit->SetBounds(Left, Top, 190, 26);
  edit->SetParent(Parent);
  edit->SetTextHint(L"Items inside");
  // The balloon stays until the user types.
  edit->Tips().SetPauseTime(0);

  TVelEditItems& items = edit->EdItems();
  TVelEditItem* image = items.Add();
  image->SetKind(ikImage);
  image->SetImage(L"VelSkinCheckedCheckbox_18");
  image->Pos().SetX(5);
  image->Pos().SetY(6);

  TVelEditItem* text = items.Add();
  text->SetKind(ikText);
  text->SetText(L"kg");
  text->Font().SetColor(0x808080);
  text->Pos().SetAlign(agRight);
  text->Pos().SetX(40);
  text->Pos().SetY(6);

  TVelEditItem* button = items.Add();
  button->SetImage(L"VelSkinSearch_icon");
  button->Pos().SetAlign(agRight);
  button->Pos().SetX(22);
  button->Pos().SetY(6);
  button->SetCurosor(crHandPoint);
  button->SetHint(L"Search");
  button->OnClick = [edit](TObject*) { edit->ShowTip(); };
  return edit;
}
