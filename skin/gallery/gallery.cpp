// The skin gallery: one skinned window that shows every skinned control in
// each of its looks, so that a person (or a screenshot) sees the whole skin
// at once. Run with "--screenshot FILE" it saves a picture of the whole
// window, frame included, as a BMP file once everything is painted, and ends.
#include "gdiplus/gdiplus_objects.h"
#include "gfx/blend.h"
#include "skin/controls/buttons.h"
#include "skin/controls/combo_box.h"
#include "skin/controls/edit.h"
#include "skin/controls/group_box.h"
#include "skin/controls/labels.h"
#include "skin/controls/list_box.h"
#include "skin/controls/panels.h"
#include "skin/controls/scroll_bar.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/gallery/gallery_edit_items.h"
#include "skin/gallery/gallery_support.h"
#include "skin/gallery/gallery_skin_res.h"
#include "skin/gallery/gallery_toolbar.h"
#include "skin/gallery/gallery_layer_border.h"
#include "skin/gallery/gallery_message_box.h"
#include "skin/frame/skin_menu.h"
#include "skin/gallery/gallery_menu.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/menus.h"

#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

class TGalleryForm : public TForm {
public:
  explicit TGalleryForm(TComponent* AOwner) : TForm(AOwner) {
    SetCaption(L"Skin gallery");
    SetClientSize(1240, 966);
    SetPosition(poScreenCenter);
    SetTahoma(Font(), -11, clWindowText);
    AddFrame();
    AddPanels();
    AddLabels();
    AddButtons();
    AddGroups();
    AddInputControls();
    AddWindowParts();
    Title(this, 10, 812, L"Toolbars");
    AddToolbarGallery(this, 10, 834);
  }

  // The looks that come from the mouse are put on once the windows exist.
  void ShowMouseLooks() {
    for (TControl* c : FHot) c->Perform(CM_MOUSEENTER, 0, reinterpret_cast<LPARAM>(c));
  }

  // Opens the combo box whose popup list shows with a scroll bar.
  void OpenPopup() { FOpenCombo->DropDown(); }

private:
  std::vector<TControl*> FHot;
  TVelSkinComboBox* FOpenCombo = nullptr;

  template <class T> T* Add(TWinControl* Parent, int L, int T_, int W, int H) {
    auto* c = new T(this);
    c->SetBounds(L, T_, W, H);
    c->SetParent(Parent);
    return c;
  }

  TVelSkinLabel* Title(TWinControl* Parent, int L, int T_, const wchar_t* Text) {
    auto* label = Add<TVelSkinLabel>(Parent, L, T_, 10, 10);
    SetTahoma(label->Font(), -13, 0x804000);
    label->Font().SetStyle(1);  // bold
    label->SetCaption(Text);
    return label;
  }

  TVelSkinLabel* Note(TWinControl* Parent, int L, int T_, const wchar_t* Text) {
    auto* label = Add<TVelSkinLabel>(Parent, L, T_, 10, 10);
    label->SetCaption(Text);
    return label;
  }

  void AddFrame() { AddGalleryFrame(this, L"Skin gallery", true); }

  // Panels and border panels in every look, over the form.
  void AddPanels() {
    Title(this, 10, 8, L"Panels");
    struct TCase {
      const wchar_t* Name;
      void (*Set)(TVelSkinPanel*);
    };
    const TCase cases[] = {
        {L"default", [](TVelSkinPanel*) {}},
        {L"no sides", [](TVelSkinPanel* p) { p->SetBorderSides(0); }},
        {L"alpha 0", [](TVelSkinPanel* p) { p->SetAlpha(0); }},
        {L"opaque", [](TVelSkinPanel* p) {
           p->SetAlpha(255);
           p->SetColor(0xF0E0D0);
         }},
        {L"single line", [](TVelSkinPanel* p) { p->SetDoubleBorder(false); }},
        {L"left and top", [](TVelSkinPanel* p) { p->SetBorderSides(sdLeft | sdTop); }},
        {L"gradient", [](TVelSkinPanel* p) { p->SetBackgroundFillType(ftGradient); }},
        {L"gradient left", [](TVelSkinPanel* p) {
           p->SetBackgroundFillType(ftGradient);
           p->SetGradientDirection(gdHorizontal);
           p->SetGradientAlign(gaLeft);
           p->SetGradientSize(100);
         }},
    };
    int i = 0;
    for (const TCase& c : cases) {
      auto* panel = Add<TVelSkinPanel>(this, 10 + (i % 2) * 130, 30 + (i / 2) * 62, 120, 54);
      c.Set(panel);
      panel->SetCaptionVisible(true);
      panel->SetCaption(c.Name);
      ++i;
    }
    auto* normal = Add<TVelSkinBorderPanel>(this, 10, 284, 120, 30);
    normal->SetCaptionVisible(true);
    normal->SetCaption(L"border");
    normal->SetBackgroundImage(L" ");  // draw the caption too
    auto* hot = Add<TVelSkinBorderPanel>(this, 140, 284, 120, 30);
    hot->SetOverControl(true);
    hot->SetCMMouse(false);
    hot->SetCaptionVisible(true);
    hot->SetCaption(L"border, hot");
    hot->SetBackgroundImage(L" ");
  }

  // Labels over the form and over a panel, with each of their options.
  void AddLabels() {
    Title(this, 280, 8, L"Labels");
    Note(this, 280, 32, L"Over the form");
    auto* panel = Add<TVelSkinPanel>(this, 280, 52, 250, 262);
    Note(panel, 10, 8, L"Over a panel: 尺寸 颜色 步数 用时");
    auto* round = Note(panel, 10, 30, L"Rounded background");
    round->SetRoundBackground(true);
    round->SetColor(0xF5D8B0);
    round->SetBounds(10, 30, 140, 22);
    round->SetAlignmentVertical(taVerticalCenter);
    round->SetAlignmentHorizontal(taCenter);
    auto* glow = Note(panel, 10, 60, L"Glowing caption");
    glow->Light().SetActive(true);
    glow->Light().SetColor(0x00FFFF);
    SetTahoma(glow->Font(), -16, clWindowText);
    glow->SetCaption(L"Glowing caption");
    auto* ellipsis = Note(panel, 10, 90, L"");
    ellipsis->SetEllipsisPosition(epEndEllipsis);
    ellipsis->SetBounds(10, 90, 120, 17);
    ellipsis->SetCaption(L"A caption far too long for its place");
    const TAlignment horizontal[] = {taLeftJustify, taCenter, taRightJustify};
    const TVerticalAlignment vertical[] = {taAlignTop, taVerticalCenter, taAlignBottom};
    for (int i = 0; i < 3; ++i) {
      auto* boxed = Add<TVelSkinLabel>(panel, 10 + i * 78, 116, 10, 10);
      boxed->SetAutoSize(false);
      boxed->SetRoundBackground(true);
      boxed->SetColor(0xFFFFFF);
      boxed->SetAlpha(160);
      boxed->SetBounds(10 + i * 78, 116, 72, 44);
      boxed->SetAlignmentHorizontal(horizontal[i]);
      boxed->SetAlignmentVertical(vertical[i]);
      boxed->SetCaption(L"aligned");
    }
    auto* wrapped = Add<TVelSkinLabel>(panel, 10, 170, 10, 10);
    wrapped->SetAutoSize(false);
    wrapped->SetWordWap(true);
    wrapped->SetAlignmentVertical(taVerticalCenter);
    wrapped->SetBounds(10, 170, 150, 44);
    wrapped->SetCaption(L"Word wrap centres\nthese two lines");
  }
  TVelSkinButton* Button(TWinControl* Parent, int L, int T_, const wchar_t* Caption) {
    auto* button = Add<TVelSkinButton>(Parent, L, T_, 120, 27);
    SetTahoma(button->HotFont(), -11, clWindowText);
    button->SetCaption(Caption);
    return button;
  }

  // The push button in each state, over the form and over a panel.
  void AddButtons() {
    Title(this, 550, 8, L"Buttons");
    Button(this, 550, 32, L"Normal");
    FHot.push_back(Button(this, 680, 32, L"Hot"));
    auto* down = Button(this, 550, 66, L"Down");
    down->SetGroupIndex(1);
    down->SetDown(true);
    Button(this, 680, 66, L"Disabled")->SetEnabled(false);
    Button(this, 550, 100, L"")->SetCaptionVisible(false);
    auto* menu = new TPopupMenu(this);
    auto* item = new TMenuItem(menu);
    item->SetCaption(L"Item");
    menu->Items()->Add(item);
    Button(this, 680, 100, L"Drop-down")->SetDropdownMenu(menu);
    Button(this, 550, 134, L"No strip")->Pictures().SetImage(L"NoSuchSkinImage");
    auto* tall = Button(this, 680, 134, L"Tall, two\nlines");
    tall->SetWordWrap(true);
    tall->SetBounds(680, 134, 120, 44);
    auto* panel = Add<TVelSkinPanel>(this, 550, 190, 260, 120);
    panel->SetBackgroundFillType(ftGradient);
    Note(panel, 10, 8, L"Over a panel");
    Button(panel, 10, 30, L"Normal");
    FHot.push_back(Button(panel, 130, 30, L"Hot"));
    auto* groupDown = Button(panel, 10, 70, L"Group: down");
    groupDown->SetGroupIndex(2);
    groupDown->SetDown(true);
    Button(panel, 130, 70, L"Group: up")->SetGroupIndex(2);
  }

  // Group boxes in both styles and alignments, and the check boxes.
  void AddGroups() {
    Title(this, 10, 330, L"Group boxes and check boxes");
    struct TCase {
      const wchar_t* Caption;
      TGroupBoxFrameStyle Style;
      TAlignment Align;
      bool CheckVisible, Checked, Light;
    };
    const TCase cases[] = {
        {L"Line, glow", fsLine, taLeftJustify, false, true, true},
        {L"Box, checked", fsBox, taLeftJustify, true, true, false},
        {L"Centre", fsLine, taCenter, true, true, true},
        {L"Unchecked", fsBox, taRightJustify, true, false, false},
    };
    int i = 0;
    for (const TCase& c : cases) {
      auto* box = Add<TVelSkinGroupBox>(this, 10 + i * 200, 354, 190, 110);
      box->SetCaption(c.Caption);
      box->SetFrameStyle(c.Style);
      box->SetCaptionAlignment(c.Align);
      box->SetLight(c.Light);
      box->CheckBox().SetVisible(c.CheckVisible);
      box->CheckBox().SetChecked(c.Checked);
      auto* check = Add<TVelSkinCheckBox>(box, 12, 30, 150, 17);
      check->SetCaption(L"Inside the group");
      check->SetChecked(i % 2 == 0);
      Button(box, 12, 62, L"Inside");
      ++i;
    }
    auto* unchecked = Add<TVelSkinCheckBox>(this, 10, 480, 150, 17);
    unchecked->SetCaption(L"Unchecked");
    auto* checked = Add<TVelSkinCheckBox>(this, 170, 480, 150, 17);
    checked->SetCaption(L"Checked");
    checked->SetChecked(true);
    auto* hot = Add<TVelSkinCheckBox>(this, 330, 480, 150, 17);
    hot->SetCaption(L"Hot");
    FHot.push_back(hot);
    auto* disabled = Add<TVelSkinCheckBox>(this, 490, 480, 150, 17);
    disabled->SetCaption(L"Disabled");
    disabled->SetChecked(true);
    disabled->SetEnabled(false);
    auto* rtl = Add<TVelSkinCheckBox>(this, 650, 480, 150, 17);
    rtl->SetCaption(L"Right to left");
    rtl->SetBiDiMode(bdRightToLeft);
    auto* glow = Add<TVelSkinCheckBox>(this, 10, 510, 150, 17);
    glow->SetCaption(L"With a glow");
    glow->Light().SetActive(true);
  }

  // Scroll bars, a list box, edits and combo boxes, one of them open.
  void AddInputControls() {
    Title(this, 10, 548, L"Scroll bars, list box, edits and combo boxes");
    auto* plain = Add<TVelSkinScrollBar>(this, 10, 578, 180, 10);
    plain->SetRange(0, 99, 10, 30);
    Note(this, 10, 592, L"Mouse away: no arrows");
    auto* hot = Add<TVelSkinScrollBar>(this, 10, 620, 180, 10);
    hot->SetRange(0, 99, 10, 60);
    FHot.push_back(hot);
    Note(this, 10, 634, L"Mouse over it");
    auto* fixed = Add<TVelSkinScrollBar>(this, 10, 662, 180, 10);
    fixed->SetPosition(50);
    Note(this, 10, 676, L"No page size");
    // The kind first: a bar takes its thickness from its kind's images.
    auto* vertical = Add<TVelSkinScrollBar>(this, 200, 578, 10, 10);
    vertical->SetKind(sbVertical);
    vertical->SetBounds(200, 578, 10, 200);
    vertical->SetRange(0, 49, 10, 20);
    FHot.push_back(vertical);

    auto* list = Add<TVelSkinListBox>(this, 230, 578, 150, 124);
    for (int i = 1; i <= 20; ++i) list->Items().Add(L"Row " + std::to_wstring(i));
    list->SetItemIndex(2);
    auto* shortList = Add<TVelSkinListBox>(this, 230, 712, 150, 64);
    for (const wchar_t* row : {L"Fits", L"Without a bar"}) shortList->Items().Add(row);

    auto* text = Add<TVelSkinEdit>(this, 400, 578, 190, 26);
    text->SetText(L"Edit: 中文 text");
    auto* selected = Add<TVelSkinEdit>(this, 400, 612, 190, 26);
    selected->SetText(L"Part of it selected");
    selected->SetAutoSelect(false);
    selected->SetSelStart(8);
    selected->SetSelLength(2);
    auto* hint = Add<TVelSkinEdit>(this, 400, 646, 190, 26);
    hint->SetTextHint(L"A grey hint while empty");
    auto* disabled = Add<TVelSkinEdit>(this, 400, 680, 190, 26);
    disabled->SetText(L"Disabled");
    disabled->SetEnabled(false);
    auto* check = Add<TVelSkinEdit>(this, 400, 714, 190, 26);
    check->SetShowCheckBox(true);
    check->SetChecked(true);
    check->SetText(L"With a check box");
    FHot.push_back(Add<TVelSkinEdit>(this, 400, 748, 190, 26));
    static_cast<TVelSkinEdit*>(FHot.back())->SetText(L"Hot border");
    auto* password = Add<TVelSkinEdit>(this, 400, 782, 190, 26);
    password->SetPasswordChar(L'*');
    password->SetText(L"secret");

    auto* sizes = Add<TVelSkinComboBox>(this, 610, 578, 140, 26);
    for (const wchar_t* item : {L"小", L"中", L"大"}) sizes->Items().Add(item);
    sizes->SetItemIndex(1);
    auto* fixedList = Add<TVelSkinComboBox>(this, 610, 612, 140, 26);
    fixedList->SetStyle(csDropDownList);
    for (const wchar_t* item : {L"Drop-down list", L"Second"}) fixedList->Items().Add(item);
    fixedList->SetItemIndex(0);
    auto* off = Add<TVelSkinComboBox>(this, 610, 646, 140, 26);
    off->Items().Add(L"Disabled");
    off->SetItemIndex(0);
    off->SetEnabled(false);
  }

  // The right column: edit items and a tip, windows with a menu and a
  // layered border, the message boxes, the skin file, and a combo box whose
  // popup list is open.
  void AddWindowParts() {
    constexpr int X = 850;
    Title(this, X, 10, L"Edit items and tips");
    AddEditItemsDemo(this, this, X, 40);
    Title(this, X, 90, L"Windows of their own");
    AddMenuDemo(this, X, 120);
    AddLayerBorderDemo(this, X + 190, 120);
    Title(this, X, 170, L"Message boxes");
    AddMessageBoxDemo(this, X, 200, 380);
    Title(this, X, 290, L"Skin file");
    AddSkinFileReload(this, this, X, 320);
    Title(this, X, 548, L"An open drop-down list");
    FOpenCombo = Add<TVelSkinComboBox>(this, X, 578, 140, 26);
    for (int i = 1; i <= 12; ++i) FOpenCombo->Items().Add(L"Choice " + std::to_wstring(i));
    FOpenCombo->SetItemIndex(3);
  }
};

// The whole window as it is on screen, frame included, as a 32-bit BMP.
bool SaveWindowShot(HWND Window, const std::wstring& Path) {
  RECT r;
  return GetWindowRect(Window, &r) && SaveScreenRect(r, Path);
}

void PumpFor(DWORD Ms) {
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < Ms) {
    Application->ProcessMessages();
    Sleep(10);
  }
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  try {
    GR32Initialize();
    StartGdiPlus();
    SkinResManager();
    const TSkinMenuScope skinMenus;
    Application->Initialize();
    Application->SetMainFormOnTaskBar(true);
    Application->SetTitle(L"Skin gallery");
    TGalleryForm* gallery = nullptr;
    Application->CreateForm(gallery);
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    const bool shot = argv && argc == 3 && std::wstring(argv[1]) == L"--screenshot";
    const std::wstring path = shot ? argv[2] : L"";
    LocalFree(argv);
    gallery->Show();
    gallery->ShowMouseLooks();
    if (!shot) {
      Application->Run();
      Application->DestroyComponents();
      return 0;
    }
    PumpFor(2000);  // past the start-up fade
    gallery->OpenPopup();
    ShowEditItemsTip();
    PumpFor(200);
    RedrawWindow(gallery->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    const bool saved = SaveWindowShot(gallery->Handle(), path);
    Application->DestroyComponents();
    return saved ? 0 : 2;
  } catch (...) {
    Application->HandleException(Application);
    return 1;
  }
}
