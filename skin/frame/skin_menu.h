// Skinned popup menus. The process-wide preparation switches the system's
// menu fades off while the program runs (and puts the user's settings back
// on every way out) and hooks the thread's popup-menu windows, so that a
// skinned menu can show each popup as a per-pixel-alpha layered window.
// TVelSkinMenu measures and draws the owner-drawn items of its owner's
// menus into one bitmap per popup window.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "gfx/bitmap32.h"
#include "skin/frame/skin_menu_look.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/menus.h"

// ---- Process-wide preparation -----------------------------------------------------------

// Counted: the first call saves the selection-fade setting, switches it off
// and hooks the thread's menu windows; the last DoneSkinMenus undoes it all
// and puts back every system setting the skin changed. The settings are also
// put back when the program ends without DoneSkinMenus: at exit, on
// std::terminate, on an unhandled exception, and when the session ends
// (WM_ENDSESSION to the application window).
void InitSkinMenus();
void DoneSkinMenus();
bool SkinMenusActive();

// InitSkinMenus for the lifetime of the object: one in the program entry
// (after the skin settings, before the first window) is all a program needs.
class TSkinMenuScope {
public:
  TSkinMenuScope() { InitSkinMenus(); }
  ~TSkinMenuScope() { DoneSkinMenus(); }
  TSkinMenuScope(const TSkinMenuScope&) = delete;
  TSkinMenuScope& operator=(const TSkinMenuScope&) = delete;
};

// Switches menu fade and menu animation off (each saved before its first
// change, put back with the others).
void SwitchOffMenuAnimations();
// Puts back every setting changed so far (also the way out of a crash).
void RestoreSystemMenuSettings();

// The popup-menu windows whose window procedure the hook replaced, and the
// procedure they had (one for all of them).
int SkinMenuWindowsHooked();
WNDPROC SkinMenuPreviousProc();
// The skin menu procedure skips the system's frame and background painting
// between an item measuring pass and the first item drawn after it.
bool SkinMenuDrawn();
void SetSkinMenuDrawn(bool Value);
// Posted to a popup-menu window after items were drawn that did not put the
// bitmap on screen themselves; the menu procedure then does.
constexpr UINT MM_FLUSHMENU = WM_APP + 0x3A1;
void FlushSkinMenuWindow(HWND Window);

// ---- TMenuWnds ----------------------------------------------------------------------------

// The bitmaps of each popup window being drawn: the whole window, and the
// background laid under every item.
class TMenuWnds {
public:
  struct TRecord {
    HWND Handle;
    std::unique_ptr<TBitmap32> hBit;
    std::unique_ptr<TBitmap32> BgBmp32;
  };
  // A record for Window of Width x Height with a copy of Background; the
  // window bitmap starts as that background.
  TBitmap32* Add(HWND Window, const TBitmap32& Background);
  // The window's bitmap (nullptr for none); first frees the records of
  // windows that are no longer visible.
  TBitmap32* GetHBITMAP(HWND Window);
  TBitmap32* GetBgPng(HWND Window);
  void Remove(HWND Window);
  void Clear() { FList.clear(); }
  int Count() const { return static_cast<int>(FList.size()); }

private:
  std::vector<TRecord> FList;
};

// ---- TVelSkinMenu -------------------------------------------------------------------------

class TVelSkinMenu : public TComponent {
public:
  explicit TVelSkinMenu(TComponent* AOwner);
  ~TVelSkinMenu() override;

  TFont& Font() { return *FFont; }
  void SetFont(const TFont& Value) { FFont->Assign(const_cast<TFont*>(&Value)); }
  TFont& HotFont() { return *FHotFont; }
  void SetHotFont(const TFont& Value) { FHotFont->Assign(const_cast<TFont*>(&Value)); }
  TColor LineColor() const { return FLineColor; }
  void SetLineColor(TColor Value) { FLineColor = Value; }
  const TVelResID& Menu_bk() const { return Fmenu_bk; }
  void SetMenu_bk(const TVelResID& Value) { Fmenu_bk = Value; }
  const TVelResID& Menu_hilight() const { return Fmenu_hilight; }
  void SetMenu_hilight(const TVelResID& Value) { Fmenu_hilight = Value; }
  const TVelResID& Menu_Check() const { return FMenu_Check; }
  void SetMenu_Check(const TVelResID& Value) { FMenu_Check = Value; }
  const TVelResID& Menu_Radio() const { return FMenu_Radio; }
  void SetMenu_Radio(const TVelResID& Value) { FMenu_Radio = Value; }
  const TVelResID& Menu_SubArrow() const { return FMenu_SubArrow; }
  void SetMenu_SubArrow(const TVelResID& Value) { FMenu_SubArrow = Value; }
  int32_t BorderOffset() const { return FBorderOffset; }
  void SetBorderOffset(int32_t Value) { FBorderOffset = Value; }
  int32_t BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(int32_t Value) { FBorderWidth = Value; }
  int32_t GlyphBarWidth() const { return FGlyphBarWidth; }
  void SetGlyphBarWidth(int32_t Value) { FGlyphBarWidth = Value; }

  // Takes over the measuring and drawing of Item (not of items below it).
  void DrawMenuItem(TMenuItem* Item);
  // Gives them back: both handlers cleared.
  void DetachMenuItem(TMenuItem* Item);
  bool Attached(const TMenuItem* Item) const { return FMenuItemList.IndexOf(const_cast<TMenuItem*>(Item)) >= 0; }
  int AttachedCount() const { return FMenuItemList.Count(); }

  // The popup window last drawn into, and the bitmaps of the popups.
  HWND MenuWindowHandle() const { return FMenuWindowHandle; }
  TMenuWnds& MenuWnds() { return *FMenuWnds; }
  // Puts the window's bitmap on screen now; false when it has none.
  bool Flush(HWND Window);

  // The handlers the attached items get.
  void MeasureItem(TMenuItem* Sender, HDC DC, int& Width, int& Height);
  void AdvancedDrawItem(TMenuItem* Sender, HDC DC, const TRect& Rect, TOwnerDrawState State);

protected:
  std::string ClassName() const override { return "TVelSkinMenu"; }
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Loaded() override;

private:
  void AttachOwnerItems();
  void AttachTree(TMenuItem* Item);
  void MenuChanged(TMenu* Menu, TMenuItem* Item, TOperation Operation);
  TMenuLookMetrics Metrics() const;
  TBitmap32* WindowBitmap(HWND Window);
  void DrawTexts(TBitmap32& Bitmap, TMenuItem& Item, const TMenuItemLayout& L, bool Hot, bool RightToLeft);

  TList FMenuItemList;
  TComponent* FOwner;
  std::unique_ptr<TMenuWnds> FMenuWnds;
  TVelResID Fmenu_bk = L"VelSkinMenu_bk";
  TVelResID Fmenu_hilight = L"VelSkinMenu_hilight";
  HWND FMenuWindowHandle = nullptr;
  int32_t FBorderOffset = 6;
  std::unique_ptr<TFont> FFont;
  int32_t FGlyphBarWidth = 31;
  TColor FLineColor = 12895428;
  TVelResID FMenu_Check = L"VelSkinMenu_icon_check";
  TVelResID FMenu_Radio = L"VelSkinMenu_icon_radio";
  TVelResID FMenu_SubArrow = L"VelSkinMenu_sub_arrow";
  int32_t FBorderWidth = 0;
  int32_t FFirstMenuItemIndex = 0;
  int32_t FLastMenuItemIndex = 0;
  std::unique_ptr<TFont> FHotFont;
  int FChangeHook = 0;
  // Windows with a flush posted and not yet done.
  std::vector<HWND> FFlushPending;
};

// The colour of a disabled item's text.
constexpr TColor MenuDisabledTextColor = 13551034;
