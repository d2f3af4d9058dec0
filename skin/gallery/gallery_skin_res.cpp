#include "skin/gallery/gallery_skin_res.h"

#include <windows.h>

#include "skin/controls/buttons.h"
#include "skin/controls/labels.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/skin_res.h"

void AddSkinFileReload(TForm* Owner, TWinControl* Parent, int Left, int Top) {
  auto* res = new TVelSkinRes(Owner);
  auto* button = new TVelSkinButton(Owner);
  button->SetBounds(Left, Top, 120, 27);
  button->SetParent(Parent);
  button->SetCaption(L"Reload skin file");
  auto* status = new TVelSkinLabel(Owner);
  status->SetBounds(Left + 130, Top + 6, 10, 10);
  status->SetParent(Parent);
  status->SetCaption(L"Reads " + res->XmlFileName());
  button->OnClick = [res, status](TObject*) {
    if (GetFileAttributesW(res->XmlFileName().c_str()) == INVALID_FILE_ATTRIBUTES) {
      status->SetCaption(L"No skin file at " + res->XmlFileName());
      return;
    }
    if (!res->Load()) {
      status->SetCaption(L"Skin file refused: " + Utf8ToWide(res->LastError()));
      return;
    }
    // Forms that take their look from no definition yet take it from this one;
    // linking applies it to them, and the broadcast to those linked before.
    TVelFormSkinHelper& forms = TVelFormSkinHelper::Instance();
    for (int i = 0; i < forms.Count(); ++i) {
      TVelSkinForm* skin = forms.Get(forms.Forms(i));
      if (skin && !skin->SkinRes()) skin->SetSkinRes(res);
    }
    res->Apply();
    status->SetCaption(L"Skin file read");
  };
}
