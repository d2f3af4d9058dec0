// The skinned popup menu: measuring and drawing the owner-drawn items of the
// owner's menus into one bitmap per popup window, shown as a layered window.
#include "skin/frame/skin_menu.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/resources/skin_draw.h"
#include "skin/resources/skin_res_manager.h"

namespace {

// The skin menus alive, for the menu procedure's deferred flush.
std::vector<TVelSkinMenu*>& SkinMenus() {
  static std::vector<TVelSkinMenu*> menus;
  return menus;
}

// A popup bitmap never grows past this, whatever size a window claims.
constexpr int32_t MaxPopupSide = 16384;

TPoint ClientOffset(HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  POINT origin{0, 0};
  ClientToScreen(Window, &origin);
  return TPoint{origin.x - r.left, origin.y - r.top};
}

// Straight-alpha pixels as a bitmap (a glyph of an image list or an item's bitmap).
std::unique_ptr<TBitmap32> GlyphBitmap(const std::vector<uint32_t>& Pixels, int32_t W, int32_t H) {
  if (Pixels.size() != static_cast<size_t>(W) * H || W <= 0 || H <= 0) return nullptr;
  auto b = std::make_unique<TBitmap32>();
  b->SetSize(W, H);
  std::copy(Pixels.begin(), Pixels.end(), b->Bits());
  return b;
}

std::unique_ptr<TBitmap32> ItemGlyph(TMenuItem& Item) {
  TMenu* menu = Item.GetParentMenu();
  TCustomImageList* images = menu ? menu->Images() : nullptr;
  if (images && images->Valid(Item.ImageIndex()))
    return GlyphBitmap(images->Pixels(Item.ImageIndex(), Item.Enabled()), images->Width(), images->Height());
  if (!Item.HasBitmap()) return nullptr;
  TBitmap& bitmap = Item.Bitmap();
  const int32_t w = bitmap.Width(), h = bitmap.Height();
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  GdiFlush();
  for (int32_t y = 0; y < h; ++y) {
    const uint8_t* row = bitmap.ScanLine(y);
    for (int32_t x = 0; x < w; ++x) {
      const uint8_t* p = bitmap.PixelFormat() == pf32bit ? row + 4 * x : row + 3 * x;
      const uint32_t a = bitmap.PixelFormat() == pf32bit ? p[3] : 255;
      pixels[static_cast<size_t>(y) * w + x] = (a << 24) | (uint32_t(p[2]) << 16) | (uint32_t(p[1]) << 8) | p[0];
    }
  }
  return GlyphBitmap(pixels, w, h);
}

// A top-level item of a main menu: a title-bar button, not a popup item.
bool MainMenuBarItem(const TMenuItem& Item) {
  return Item.Parent() && !Item.Parent()->Parent() && dynamic_cast<TMainMenu*>(Item.GetParentMenu()) != nullptr;
}

}  // namespace

void FlushSkinMenuWindow(HWND Window) {
  for (TVelSkinMenu* menu : SkinMenus())
    if (menu->Flush(Window)) return;
}

// ---- TMenuWnds ----------------------------------------------------------------------------

TBitmap32* TMenuWnds::Add(HWND Window, const TBitmap32& Background) {
  Remove(Window);
  TRecord record{Window, std::make_unique<TBitmap32>(), std::make_unique<TBitmap32>()};
  record.BgBmp32->Assign(const_cast<TBitmap32*>(&Background));
  record.hBit->Assign(const_cast<TBitmap32*>(&Background));
  FList.push_back(std::move(record));
  return FList.back().hBit.get();
}

TBitmap32* TMenuWnds::GetHBITMAP(HWND Window) {
  FList.erase(std::remove_if(FList.begin(), FList.end(), [](const TRecord& r) { return !IsWindowVisible(r.Handle); }),
              FList.end());
  for (TRecord& r : FList)
    if (r.Handle == Window) return r.hBit.get();
  return nullptr;
}

TBitmap32* TMenuWnds::GetBgPng(HWND Window) {
  for (TRecord& r : FList)
    if (r.Handle == Window) return r.BgBmp32.get();
  return nullptr;
}

void TMenuWnds::Remove(HWND Window) {
  FList.erase(std::remove_if(FList.begin(), FList.end(), [Window](const TRecord& r) { return r.Handle == Window; }),
              FList.end());
}

// ---- TVelSkinMenu -------------------------------------------------------------------------

TVelSkinMenu::TVelSkinMenu(TComponent* AOwner)
    : TComponent(AOwner),
      FOwner(AOwner),
      FMenuWnds(std::make_unique<TMenuWnds>()),
      FFont(std::make_unique<TFont>()),
      FHotFont(std::make_unique<TFont>()) {
  FFont->SetSize(9);
  FHotFont->SetSize(9);
  FHotFont->SetColor(clWhite);
  SkinMenus().push_back(this);
  FChangeHook = AddMenuChangeHook([this](TMenu* Menu, TMenuItem* Item, TOperation Operation) {
    MenuChanged(Menu, Item, Operation);
  });
  if (ComponentState().Contains(csDesigning)) {
    // Stored menus are owner-drawn, so that the running program draws them.
    if (FOwner)
      for (int i = 0; i < FOwner->ComponentCount(); ++i)
        if (auto* menu = dynamic_cast<TMenu*>(FOwner->Components(i))) menu->SetOwnerDraw(true);
    return;
  }
  // The popups need the menu-window hook; a program that did not prepare it gets it here.
  InitSkinMenus();
  SwitchOffMenuAnimations();
  AttachOwnerItems();
}

TVelSkinMenu::~TVelSkinMenu() {
  if (FChangeHook) RemoveMenuChangeHook(FChangeHook);
  while (FMenuItemList.Count() > 0) DetachMenuItem(FMenuItemList.Get<TMenuItem>(FMenuItemList.Count() - 1));
  auto& menus = SkinMenus();
  menus.erase(std::remove(menus.begin(), menus.end(), this), menus.end());
  if (!ComponentState().Contains(csDesigning)) DoneSkinMenus();
}

void TVelSkinMenu::Loaded() {
  TComponent::Loaded();
  AttachOwnerItems();
}

void TVelSkinMenu::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  // A free item owned by the owner (not in a menu) goes here.
  if (Operation == opRemove)
    if (auto* item = dynamic_cast<TMenuItem*>(AComponent)) DetachMenuItem(item);
}

void TVelSkinMenu::AttachTree(TMenuItem* Item) {
  DrawMenuItem(Item);
  for (int i = 0; i < Item->Count(); ++i) AttachTree(Item->Items(i));
}

void TVelSkinMenu::AttachOwnerItems() {
  if (!FOwner) return;
  for (int i = 0; i < FOwner->ComponentCount(); ++i) {
    TComponent* c = FOwner->Components(i);
    if (auto* menu = dynamic_cast<TMenu*>(c)) {
      for (int k = 0; k < menu->Items()->Count(); ++k) AttachTree(menu->Items()->Items(k));
    } else if (auto* item = dynamic_cast<TMenuItem*>(c)) {
      AttachTree(item);
    }
  }
}

void TVelSkinMenu::MenuChanged(TMenu* Menu, TMenuItem* Item, TOperation Operation) {
  const bool mine = Menu && FOwner && Menu->Owner() == FOwner;
  if (ComponentState().Contains(csDesigning)) {
    if (!Item && Operation == opInsert && mine) Menu->SetOwnerDraw(true);
    return;
  }
  if (!Item) return;
  if (Operation == opRemove) {
    DetachMenuItem(Item);
    return;
  }
  if (mine) AttachTree(Item);
}

void TVelSkinMenu::DrawMenuItem(TMenuItem* Item) {
  if (!Item || Attached(Item)) return;
  // An item drawn by its owner's own handler keeps it.
  if (Item->OnAdvancedDrawItem) return;
  FMenuItemList.Add(Item);
  Item->OnMeasureItem = [this](TMenuItem* Sender, HDC DC, int& Width, int& Height) {
    MeasureItem(Sender, DC, Width, Height);
  };
  Item->OnAdvancedDrawItem = [this](TMenuItem* Sender, HDC DC, const TRect& Rect, TOwnerDrawState State) {
    AdvancedDrawItem(Sender, DC, Rect, State);
  };
}

void TVelSkinMenu::DetachMenuItem(TMenuItem* Item) {
  const int index = FMenuItemList.IndexOf(Item);
  if (index < 0) return;
  FMenuItemList.Delete(index);
  Item->OnMeasureItem = nullptr;
  Item->OnAdvancedDrawItem = nullptr;
}

TMenuLookMetrics TVelSkinMenu::Metrics() const {
  TMenuLookMetrics m;
  m.Scale = CurrentDPIScale(FOwner);
  m.BorderOffset = ScaleByDPI(FOwner, FBorderOffset);
  m.GlyphBarWidth = ScaleByDPI(FOwner, FGlyphBarWidth);
  return m;
}

void TVelSkinMenu::MeasureItem(TMenuItem* Sender, HDC DC, int& Width, int& Height) {
  if (!Sender || Sender->ComponentState().Contains(csDestroying)) return;
  SetSkinMenuDrawn(false);
  const TMenuLookMetrics m = Metrics();
  const TMenuItemPlace place{Sender->IsFirstVisible(), Sender->IsLastVisible()};
  if (Sender->IsLine()) {
    MeasureMenuItem(m, true, 0, -1, place, Width, Height);
    return;
  }
  // The title-bar items of a main menu are not popup items.
  if (MainMenuBarItem(*Sender)) return;
  TFont font;
  font.Assign(FFont.get());
  ScaleFontByDPI(FOwner, font);
  if (Sender->Default()) font.SetStyle(font.Style() | fsBold);
  TSelectObject select(DC, font.Handle());
  auto textWidth = [DC](const std::wstring& Text, UINT Flags) {
    RECT r{0, 0, 0, 0};
    DrawTextW(DC, Text.c_str(), static_cast<int>(Text.size()), &r, DT_CALCRECT | DT_SINGLELINE | Flags);
    return static_cast<int32_t>(r.right - r.left);
  };
  int32_t text = textWidth(Sender->Caption(), 0);
  const std::wstring shortcut = Sender->ShortCutText();
  // The shortcut keeps a gap from the caption.
  if (!shortcut.empty()) text += ScaleByDPI(FOwner, 24) + textWidth(shortcut, DT_NOPREFIX);
  const TVelSkinImage* hilight = SkinImageOrNone(Fmenu_hilight);
  int32_t w = Width, h = Height;
  MeasureMenuItem(m, false, text, hilight ? hilight->Height() : -1, place, w, h);
  // The popup (with the system's margins) fits on the screen: a longer caption is cut.
  Width = std::min<int32_t>(w, GetSystemMetrics(SM_CXSCREEN) - 64);
  Height = h;
}

TBitmap32* TVelSkinMenu::WindowBitmap(HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  const int32_t w = std::clamp<int32_t>(r.right - r.left, 0, MaxPopupSide);
  const int32_t h = std::clamp<int32_t>(r.bottom - r.top, 0, MaxPopupSide);
  if (w == 0 || h == 0) return nullptr;
  TBitmap32* bitmap = FMenuWnds->GetHBITMAP(Window);
  if (bitmap && bitmap->Width() == w && bitmap->Height() == h) return bitmap;
  // The background inside the border width, on a transparent window.
  const int32_t bw = std::clamp(ScaleByDPI(FOwner, FBorderWidth), 0, std::min(w, h) / 2);
  TBitmap32 inner;
  inner.SetSize(w - 2 * bw, h - 2 * bw);
  inner.Clear(0);
  if (const TVelSkinImage* bk = SkinImageOrNone(Fmenu_bk)) DrawAutoStretch(bk, &inner, true);
  TBitmap32 background;
  background.SetSize(w, h);
  background.Clear(0);
  for (int32_t y = 0; y < inner.Height(); ++y)
    std::copy_n(inner.ScanLine(y), inner.Width(), background.ScanLine(y + bw) + bw);
  return FMenuWnds->Add(Window, background);
}

void TVelSkinMenu::DrawTexts(TBitmap32& Bitmap, TMenuItem& Item, const TMenuItemLayout& L, bool Hot,
                             bool RightToLeft) {
  TFont font;
  font.Assign(Hot ? FHotFont.get() : FFont.get());
  if (Hot) font.SetHeight(FFont->Height());
  ScaleFontByDPI(FOwner, font);
  if (Item.Default()) font.SetStyle(font.Style() | fsBold);
  const TColor color = Item.Enabled() ? font.Color() : MenuDisabledTextColor;
  ::SetFont(Bitmap, font);
  const uint32_t flags = DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS | (RightToLeft ? DT_RIGHT : 0);
  RenderText(Bitmap, L.Text, flags, Item.Caption(), 0, ToColor32(color));
  const std::wstring shortcut = Item.ShortCutText();
  if (!shortcut.empty())
    RenderText(Bitmap, L.ShortCut, (flags | DT_NOPREFIX | DT_RIGHT) & ~DT_END_ELLIPSIS, shortcut, 0, ToColor32(color));
}

void TVelSkinMenu::AdvancedDrawItem(TMenuItem* Sender, HDC DC, const TRect& Rect, TOwnerDrawState State) {
  const HWND window = WindowFromDC(DC);
  if (!Sender || !window || !IsWindow(window) || MainMenuBarItem(*Sender)) return;
  const LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (!(exStyle & WS_EX_LAYERED)) SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_LAYERED);
  TBitmap32* bitmap = WindowBitmap(window);
  const TBitmap32* background = FMenuWnds->GetBgPng(window);
  if (!bitmap || !background) return;

  const TMenuLookMetrics m = Metrics();
  const bool last = Sender->IsLastVisible();
  const TMenuItemLayout l = LayoutMenuItem(m, Rect, ClientOffset(window), TMenuItemPlace{Sender->IsFirstVisible(), last});
  TMenuItemLook look;
  look.Separator = Sender->IsLine();
  look.Enabled = Sender->Enabled();
  look.Selected = (State & odSelected) != 0;
  look.Checked = Sender->Checked();
  look.Radio = Sender->RadioItem();
  for (int i = 0; i < Sender->Count() && !look.HasSubItems; ++i) look.HasSubItems = Sender->Items(i)->Visible();

  // The strips are cut into their frames each time: a skin image may change between popups.
  TVelSkinImages check, radio, arrow;
  auto split = [](const TVelResID& Id, TVelSkinImages& Frames) {
    if (TVelSkinImage* strip = SkinImageOrNone(Id)) SplitColumns(strip, 3, Frames);
  };
  split(FMenu_Check, check);
  split(FMenu_Radio, radio);
  split(FMenu_SubArrow, arrow);
  const std::unique_ptr<TBitmap32> glyph = look.Separator ? nullptr : ItemGlyph(*Sender);
  TMenuLookImages images;
  images.Hilight = SkinImageOrNone(Fmenu_hilight);
  images.Check = &check;
  images.Radio = &radio;
  images.Arrow = &arrow;
  images.Glyph = glyph.get();
  images.LineColor = ToColor32(FLineColor);
  PaintMenuItem(m, *bitmap, *background, l, look, images);
  if (!look.Separator) {
    const bool rtl = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    DrawTexts(*bitmap, *Sender, l, look.Selected || (State & odHotLight), rtl);
  }
  FMenuWindowHandle = window;
  if (last || look.Selected) {
    Flush(window);
  } else if (std::find(FFlushPending.begin(), FFlushPending.end(), window) == FFlushPending.end()) {
    // One flush for a run of items drawn one after another.
    FFlushPending.push_back(window);
    PostMessageW(window, MM_FLUSHMENU, 0, 0);
  }
  SetSkinMenuDrawn(true);
}

bool TVelSkinMenu::Flush(HWND Window) {
  FFlushPending.erase(std::remove(FFlushPending.begin(), FFlushPending.end(), Window), FFlushPending.end());
  if (!IsWindow(Window)) return false;
  TBitmap32* bitmap = FMenuWnds->GetHBITMAP(Window);
  if (!bitmap || bitmap->Empty()) return false;
  const int32_t w = bitmap->Width(), h = bitmap->Height();
  BITMAPINFO info{};
  info.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  TWindowDC screen(nullptr);
  TGdiBitmap section(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!section || !bits) return false;
  PremultiplyPixels(bitmap->Bits(), static_cast<uint32_t*>(bits), static_cast<size_t>(w) * h);
  TMemoryDC memory(screen.Get());
  TSelectObject select(memory.Get(), section.Get());
  RECT r{};
  GetWindowRect(Window, &r);
  POINT dst{r.left, r.top}, src{0, 0};
  SIZE size{w, h};
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  return UpdateLayeredWindow(Window, screen.Get(), &dst, &size, memory.Get(), &src, 0, &blend, ULW_ALPHA) != FALSE;
}
