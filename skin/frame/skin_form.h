// The skin form: a component that, placed on a form, takes over the form's
// non-client area through its window procedure. It sizes the client area
// inside its own title bar and frame, answers hit tests so that the
// borderless window still moves and resizes, shapes the window with a region,
// paints the title bar, frame and client background from its own bitmaps,
// and carries the title-bar controls and routes the mouse to them.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "gfx/bitmap32.h"
#include "skin/frame/frame_paint.h"
#include "skin/resources/skin_image.h"
#include "toolkit/win/accessible.h"
#include "toolkit/win/forms.h"
#include "toolkit/win/graphics.h"

class TVelSkinNCCtrlBase;
class TVelFormLayerBorder;
class TVelSkinMainMenu;
class TVelSkinRes;

// Private messages between the skin's parts; the numbers are fixed.
constexpr UINT MM_CONTROLREFRESH = 3025;
constexpr UINT MM_NCINVALIDATE = 3027;
constexpr UINT MM_REFRESHSKIN = 3028;
constexpr UINT MM_SKINRESCHANGED = 3029;
constexpr UINT MM_ADDNCCTRL = 3030;     // WParam: the TVelSkinNCCtrlBase (posted)
constexpr UINT MM_REMOVENCCTRL = 3031;  // WParam: the TVelSkinNCCtrlBase (sent); the skin form frees it
constexpr UINT MM_MENUCLOSED = 52057;
constexpr UINT MM_ENTERMENULOOP = 52058;
constexpr UINT MM_EXITMENULOOP = 52059;

// The skin form's window timers on the host window.
constexpr UINT_PTR SkinTimerResize = 3332;       // 50 ms after the last WM_SIZE: repaint the frame
constexpr UINT_PTR SkinTimerShow = 3333;         // 30 ms after showing: border, alpha, maximized nudge
constexpr UINT_PTR SkinTimerMenu = 3334;         // 20 ms after a menu closed: open the next one
constexpr UINT_PTR SkinTimerBorderWatch = 3335;  // every 500 ms: hide the border of a minimized form

// FormState bits.
constexpr uint32_t fsMinimizedBit = 0x100;
constexpr uint32_t fsRestoredBit = 0x200;

enum TVelSkinStyle { ssColor, ssPicture };
enum TDragFullWindowsKind { wkSystem, wkActive, wkDisable };

// Replaces the owner form's window procedure with WndProc for the
// component's life; the base WndProc passes every message on.
class TVelHookWindowProc : public TComponent {
public:
  explicit TVelHookWindowProc(TComponent* AOwner);
  ~TVelHookWindowProc() override;
  TCustomForm* DestForm() const { return FDestForm; }

protected:
  virtual void WndProc(TMessage& Message);
  // Calls the window procedure the form had before the hook.
  void PassOn(TMessage& Message) const { FOldWindowProc.CallSaved(Message); }
  bool Designing() const { return ComponentState().Contains(csDesigning); }

  TWindowProcHook FOldWindowProc;
  TCustomForm* FDestForm = nullptr;
};

class TVelSkinFormOptions : public TPersistent {
public:
  bool MinimizeToTaskbar() const { return FMinimizeToTaskbar; }
  void SetMinimizeToTaskbar(bool Value) { FMinimizeToTaskbar = Value; }
  bool HideInTaskbar() const { return FHideInTaskbar; }
  void SetHideInTaskbar(bool Value) { FHideInTaskbar = Value; }
  TDragFullWindowsKind DragFullWindows() const { return FDragFullWindows; }
  void SetDragFullWindows(TDragFullWindowsKind Value) { FDragFullWindows = Value; }
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelSkinFormOptions"; }

private:
  bool FMinimizeToTaskbar = false;
  bool FHideInTaskbar = false;
  TDragFullWindowsKind FDragFullWindows = wkSystem;
};

class TVelSkinForm;

// The process-wide registry of skinned forms: form to its skin form.
class TVelFormSkinHelper {
public:
  static TVelFormSkinHelper& Instance();
  void Add(TCustomForm* Form, TVelSkinForm* SkinForm);
  void Remove(TCustomForm* Form);
  int IndexOf(TCustomForm* Form) const;
  TVelSkinForm* Get(TCustomForm* Form) const;
  int Count() const { return static_cast<int>(FItems.size()); }
  TCustomForm* Forms(int Index) const { return FItems.at(Index).first; }

private:
  std::vector<std::pair<TCustomForm*, TVelSkinForm*>> FItems;
};

// The process-wide list of live skinned windowed controls.
class TVelWinControlHelper {
public:
  static TVelWinControlHelper& Instance();
  void Add(TWinControl* Control);
  void Remove(TWinControl* Control);
  int Count() const { return Items.Count(); }
  TList Items;
};

// The title-bar controls are child elements of the form's accessible object
// (skin_form_access.cpp).
class TVelSkinForm : public TVelHookWindowProc, public TAccPartSource {
public:
  explicit TVelSkinForm(TComponent* AOwner);
  ~TVelSkinForm() override;

  int AccPartCount() override;
  TAccItem AccPart(int Index) override;
  bool AccPartDoDefaultAction(int Index) override;

  // ---- Published settings ----
  bool FlatFrame() const { return FFlatFrame; }
  void SetFlatFrame(bool Value) { FFlatFrame = Value; }
  int32_t TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(int32_t Value) { FTitleHeight = Value; }
  TColor TitlerColor() const { return FTitlerColor; }
  void SetTitlerColor(TColor Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value) { FColor = Value; }
  TVelSkinFormOptions& Options() { return *FOptions; }
  bool RoundWindow() const { return FRoundWindow; }
  void SetRoundWindow(bool Value) { FRoundWindow = Value; }
  int32_t FramWidth() const { return FFramWidth; }
  void SetFramWidth(int32_t Value);
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  TVelFillStyle FillStyle() const { return FFillStyle; }
  void SetFillStyle(TVelFillStyle Value) { FFillStyle = Value; }
  int32_t HitTestWidth() const { return FHitTestWidth; }
  void SetHitTestWidth(int32_t Value) { FHitTestWidth = Value; }
  bool EraseBackGround() const { return FEraseBackGround; }
  void SetEraseBackGround(bool Value) { FEraseBackGround = Value; }
  int32_t GradientHeight() const { return FGradientHeight; }
  void SetGradientHeight(int32_t Value) { FGradientHeight = Value; }
  const TVelResID& CustomPicture() const { return FCustomPicture; }
  void SetCustomPicture(const TVelResID& Value);
  TVelSkinStyle Style() const { return FStyle; }
  void SetStyle(TVelSkinStyle Value) { FStyle = Value; }
  bool ActiveGradient() const { return FActiveGradient; }
  void SetActiveGradient(bool Value) { FActiveGradient = Value; }
  TVelSkinRes* SkinRes() const { return FSkinRes; }
  void SetSkinRes(TVelSkinRes* Value);
  TVelFormLayerBorder* ImageBorder() const { return FImageBorder; }
  void SetImageBorder(TVelFormLayerBorder* Value);
  TVelSkinMainMenu& MainMenu() { return *FMainMenu; }
  bool DoubleFrame() const { return FDoubleFrame; }
  void SetDoubleFrame(bool Value) { FDoubleFrame = Value; }
  bool KeepTitlerColor() const { return FKeepTitlerColor; }
  void SetKeepTitlerColor(bool Value) { FKeepTitlerColor = Value; }
  bool KeepFrameColor() const { return FKeepFrameColor; }
  void SetKeepFrameColor(bool Value) { FKeepFrameColor = Value; }
  // Fired after every full refresh.
  TNotifyEvent Changed;

  // ---- Public state ----
  bool Active() const { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  bool BlockUIFlash() const { return FBlockUIFlash; }
  void SetBlockUIFlash(bool Value) { FBlockUIFlash = Value; }
  TColor ClientBkColor() const { return FClientBkColor; }
  TColor NCBkColor() const { return FNCBkColor; }
  TColor PictureBgColor() const { return static_cast<TColor>(FPictureBgColor); }
  // The client background of the current style (nullptr for none): skinned
  // controls with a transparent background copy their part of it.
  TBitmap32* BackgroundPicture();
  TList& NCCtrlList() { return FNCCtrlList; }
  int32_t RealFrameWidth() const { return FOldFramWidth; }
  uint32_t FormState() const { return FFormState; }

  // ---- Operations ----
  void BeginChange() { ++FChangeCount; }
  void EndChange();
  void Repaint() { DoChanged(); }
  void Invalidate() { DoChanged(); }
  // Repaints the non-client area now.
  void InvalidateNC();
  void RefreshSkin();
  void Minimizing();
  void Restoring();
  virtual void PublishCustomPicture();
  virtual void PublishDefaults();

  // The title height and gradient height scaled for the form's DPI.
  int32_t ScaledTitleHeight() const;
  int32_t ScaledGradientHeight() const;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void WndProc(TMessage& Message) override;
  std::string ClassName() const override { return "TVelSkinForm"; }

private:
  friend class TVelSkinFormTestProbe;

  // Handlers of the message table, one per message.
  void WMSize(TWMSize& Message);
  void WMPaint(TWMPaint& Message);
  void WMEraseBkgnd(TWMEraseBkgnd& Message);
  void WMSetCursor(TWMSetCursor& Message);
  void WMGetMinMaxInfo(TWMGetMinMaxInfo& Message);
  void WMWindowPosChanging(TWMWindowPos& Message);
  void WMWindowPosChanged(TWMWindowPos& Message);
  void WMNCCalcSize(TWMNCCalcSize& Message);
  void WMNCHitTest(TWMNCHitTest& Message);
  void WMNCPaint(TWMNCPaint& Message);
  void WMNCActivate(TWMNCActivate& Message);
  void WMNCMouseMove(TWMNCMouse& Message);
  void WMNCLButtonDown(TWMNCMouse& Message);
  void WMNCLButtonUp(TWMNCMouse& Message);
  void WMNCLButtonDblClk(TWMNCMouse& Message);
  void WMSysCommand(TWMSysCommand& Message);
  void WMTimer(TWMTimer& Message);
  void WMDpiChanged(TWMBase& Message);
  void WMDisplayChange(TWMBase& Message);
  void MMNCInvalidate(TWMBase& Message);
  void MMRefreshSkin(TWMBase& Message);
  void MMSkinResChanged(TWMBase& Message);
  void MMAddNCCtrl(TWMBase& Message);
  void MMRemoveNCCtrl(TWMBase& Message);
  void MMMenuClosed(TWMBase& Message);
  void CMDialogKey(TWMKey& Message);
  void CMVisibleChanged(TCMVisibleChanged& Message);
  void CMShowingChanged(TWMBase& Message);

  // The application window's messages (hooked on creation).
  bool AppWindowHook(TMessage& Message);

  bool Maximized() const;
  bool Minimized() const;
  bool Sizable() const;
  bool BorderNone() const;
  // The width of the form's monitor, read again when the window moves or the
  // display changes (asking the system costs more than a whole paint).
  int32_t MonitorWidth();
  void MonitorMayHaveChanged() { FMonitorWidth = -1; }
  // Routes a non-client button press or release to the first control under
  // the mouse; true when one took it.
  bool RouteButton(bool Down);
  void RestartTimer(UINT_PTR Id, UINT Interval);
  void StopTimer(UINT_PTR Id);

  // Painting (skin_form_paint.cpp).
  void UpdateRegion();
  void DoChanged();
  void ApplySkinRes();
  void BuildBackground();
  void BuildColorBackground();
  void BuildPictureBackground();
  void PaintNC();
  void PaintNCColor(TBitmap32& Strip, HDC DC);
  void PaintNCPicture(TBitmap32& Strip, HDC DC);
  void PaintNCControls(TBitmap32& Strip);
  void PaintClientBackground(HDC DC);
  TFrameEdgeStyle EdgeStyle() const;
  void ReleaseClassBrush();

  TBorderIcons FOldBorderIcons = 0;
  int32_t FHitTestWidth = 5;
  int32_t FTitleHeight = 27;
  int32_t FOldFramWidth = 2;
  int32_t FFramWidth = 2;
  bool FActive = true;
  TColor FColor = 15920353;
  TColor FTitlerColor = 16761926;
  TVelResID FCustomPicture;
  TColor FClientBkColor = 15920353;
  TColor FNCBkColor = 16761926;
  TVelSkinStyle FStyle = ssColor;
  TVelSkinRes* FSkinRes = nullptr;
  std::unique_ptr<TBitmap32> FColorBgBitmap;
  std::unique_ptr<TBitmap32> FColorBkGraphic;
  std::unique_ptr<TBitmap32> FPictureBgBitmap;
  std::unique_ptr<TBitmap32> FPictureBkGraphic;
  uint32_t FPictureBgColor = 0xFFFFFF;
  int32_t FFormIndex = 0;
  bool FActiveGradient = true;
  int32_t FGradientHeight = 168;
  int32_t FFormWidth = 0;
  int32_t FFormHeight = 0;
  bool FRgnChanging = false;
  bool FFlatFrame = false;
  bool FHSBChanged = false;
  int32_t FChangeCount = 0;
  bool FRoundWindow = true;
  bool FStopDraw = false;
  uint32_t FFormState = 0;
  TList FNCCtrlList;
  struct {
    bool Enabled = false;
    uint8_t Value = 255;
  } FOldAlphaBlend;
  TVelFillStyle FFillStyle = mfsBlur;
  bool FMM_SKINRESCHANGED = false;
  bool FDoChanging = false;
  TVelFormLayerBorder* FImageBorder = nullptr;
  std::unique_ptr<TVelSkinFormOptions> FOptions;
  std::unique_ptr<TVelSkinMainMenu> FMainMenu;
  bool FDoubleFrame = true;
  bool FKeepTitlerColor = false;
  bool FKeepFrameColor = false;
  TColor FFrameColor = 0;
  bool FIgnoreNCHit = false;
  bool FAllowEraseBackground = false;
  bool FEraseBackGround = false;
  bool FFixedStartFlash = false;
  TWindowState FOldWS = wsNormal;
  bool FOldTopMost = false;
  bool FRgnChanged = true;
  int32_t FMinMainInfoOffset_x = 0;
  int32_t FMinMainInfoOffset_y = 0;
  bool FFixedMinMaxInfo = false;
  bool FFormOldMonitorIsPrimary = true;
  TPoint FOldPtMaxPosition;
  TPoint FOldPtMaxSize;
  bool FBlockUIFlash = true;
  TGdiObject<HBRUSH> FBgDefBrush;
  // The class brush before the first replacement, put back when this form's goes.
  HBRUSH FOriginalClassBrush = nullptr;
  bool FClassBrushSaved = false;
  int FAppHookId = 0;
  int32_t FMonitorWidth = -1;
};
