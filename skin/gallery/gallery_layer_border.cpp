#include "skin/gallery/gallery_layer_border.h"

#include "skin/gallery/gallery_support.h"

#include "skin/controls/buttons.h"
#include "skin/frame/layer_border.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "toolkit/win/forms.h"

namespace {

// A small skinned window with a soft shadow around it; closing hides it.
class TLayerBorderDemoForm : public TForm {
public:
  explicit TLayerBorderDemoForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(L"Layered border");
    SetBounds(0, 0, 400, 300);
    SetPosition(poScreenCenter);
    SetTahoma(Font(), -11, clWindowText);
    AddGalleryFrame(this, L"Layered border", false);
    auto* skin = TVelFormSkinHelper::Instance().Get(this);
    auto* border = new TVelFormLayerBorder(this);
    border->SetTransparent(true);
    skin->SetImageBorder(border);
    AfterConstruction();
  }
};

}  // namespace

TVelSkinButton* AddLayerBorderDemo(TWinControl* Parent, int Left, int Top) {
  TComponent* owner = GetParentForm(Parent);
  if (!owner) owner = Parent;
  auto* button = new TVelSkinButton(owner);
  button->SetBounds(Left, Top, 150, 27);
  button->SetParent(Parent);
  SetTahoma(button->HotFont(), -11, clWindowText);
  button->SetCaption(L"Layered border window");
  TLayerBorderDemoForm* demo = nullptr;
  button->OnClick = [owner, demo](TObject*) mutable {
    if (!demo) demo = new TLayerBorderDemoForm(owner);
    demo->Show();
    SetForegroundWindow(demo->Handle());
  };
  return button;
}
