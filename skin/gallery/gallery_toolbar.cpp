#include "skin/gallery/gallery_toolbar.h"

#include "gfx/resamplers.h"
#include "skin/controls/toolbar.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/imagelist.h"
#include "toolkit/win/menus.h"

#include <initializer_list>

namespace {

constexpr int IconSize = 24;

// An image list of 24 x 24 icons made from built-in skin images: larger ones
// scaled down, smaller ones centred.
TImageList* SkinIcons(TComponent* Owner) {
  auto* list = new TImageList(Owner, IconSize, IconSize);
  for (const wchar_t* id : {L"VelSkinMsgIcon_Info", L"VelSkinMsgIcon_OK", L"VelSkinMsgIcon_Question",
                            L"VelSkinMsgIcon_Warn", L"VelSkinMsgIcon_Error", L"VelSkinSearch_icon",
                            L"VelSkinKeyboard", L"VelSkinCancel_18_Normal"}) {
    TVelSkinImage* source = SkinImageOrNone(id);
    TBitmap32 icon;
    icon.SetSize(IconSize, IconSize);
    icon.Clear(0);
    if (source && !source->Empty()) {
      TBitmap32 copy;
      copy.Assign(source);
      copy.SetDrawMode(dmOpaque);
      if (copy.Width() > IconSize || copy.Height() > IconSize) {
        CreateResampler<TLinearResampler>(copy);
        copy.DrawTo(&icon, TRect{0, 0, IconSize, IconSize});
      } else {
        copy.DrawTo(&icon, (IconSize - copy.Width()) / 2, (IconSize - copy.Height()) / 2);
      }
    }
    list->Add(icon.Bits(), IconSize);
  }
  return list;
}

TVelSkinToolbarItem* AddItem(TVelSkinToolbar* Toolbar, const wchar_t* Caption, int Image,
                             TToolbarItemLayout Layout = ilBottom) {
  TVelSkinToolbarItem* item = Toolbar->Items().Add();
  item->Text().SetText(Caption);
  item->SetImageIndex(Image);
  item->SetTextLayout(Layout);
  item->SetHint(Caption);
  return item;
}

void AddSpacer(TVelSkinToolbar* Toolbar) { Toolbar->Items().Add()->SetKind(tkSpacer); }

TVelSkinToolbar* NewToolbar(TWinControl* Parent, TImageList* Images, int L, int T, int W, int H) {
  auto* toolbar = new TVelSkinToolbar(Parent);
  toolbar->SetAlign(alNone);
  toolbar->SetBounds(L, T, W, H);
  toolbar->SetImages(Images);
  toolbar->SetShowHint(true);
  toolbar->SetHint(L"Toolbar");
  toolbar->SetParent(Parent);
  return toolbar;
}

}  // namespace

void AddToolbarGallery(TWinControl* Parent, int Left, int Top) {
  TImageList* icons = SkinIcons(Parent);

  // One row of every kind of item, more than fit.
  TVelSkinToolbar* row = NewToolbar(Parent, icons, Left, Top, 690, 58);
  row->SetButtonWidth(62);
  row->SetBorderSides(AllSides);
  AddItem(row, L"Normal", 0);
  AddItem(row, L"Hot", 1);
  AddSpacer(row);
  TVelSkinToolbarItem* down = AddItem(row, L"Group 1", 2);
  down->SetGroupIndex(1);
  AddItem(row, L"Group 2", 3)->SetGroupIndex(1);
  down->SetDown(true);
  AddSpacer(row);
  TVelSkinToolbarItem* toggle = AddItem(row, L"Toggle", 5);
  toggle->SetAllowAllUp(true);
  toggle->SetGroupIndex(2);
  toggle->SetDown(true);
  AddItem(row, L"Disabled", 4)->SetEnabled(false);
  auto* menu = new TPopupMenu(Parent);
  for (const wchar_t* caption : {L"First choice", L"Second choice"}) {
    auto* entry = new TMenuItem(menu);
    entry->SetCaption(caption);
    menu->Items()->Add(entry);
  }
  AddItem(row, L"Menu", 6)->SetDropdownMenu(menu);
  AddItem(row, L"Left", 7, ilLeft);
  AddItem(row, L"Right", 0, ilRight);
  AddItem(row, L"Above", 1, ilTop);
  AddItem(row, L"Text only", -1);
  for (int i = 0; i < 3; ++i) AddItem(row, L"More", 2 + i);
  row->SetHotItemIndex(1);

  // A row whose items are as wide as their captions and images.
  TVelSkinToolbar* fitted = NewToolbar(Parent, icons, Left, Top + 64, 690, 40);
  fitted->SetButtonHeight(34);
  fitted->SetAutoButtonWidth(true);
  fitted->SetPressedOffset(1);
  for (const wchar_t* caption : {L"Widths", L"from captions", L"and images", L"中文 text"})
    AddItem(fitted, caption, static_cast<int>(fitted->Items().Count()) % 8, ilRight);
  AddItem(fitted, L"No image", -1);

  // A narrow column, scrolled by the buttons at its foot.
  TVelSkinToolbar* column = NewToolbar(Parent, icons, Left + 700, Top, 100, 130);
  column->SetMultiLine(true);
  column->SetButtonWidth(96);
  column->SetButtonHeight(30);
  column->SetBorderSides(AllSides);
  for (const wchar_t* caption : {L"Column", L"of items", L"that", L"scroll"})
    AddItem(column, caption, static_cast<int>(column->Items().Count()) + 3, ilRight);
  column->Items()[1]->SetDown(true);
}
