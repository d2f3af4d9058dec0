// Forms: top-level windows with a border style, position, active control,
// modal loop and the show path, and the modal message box.
#pragma once

#include "toolkit/win/controls.h"
#include "toolkit/win/monitors.h"

#include <functional>
#include <memory>
#include <vector>

// Modal results.
constexpr int mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5, mrYes = 6, mrNo = 7;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
enum TPosition { poDesigned, poScreenCenter };
enum TCloseAction { caNone, caHide, caFree, caMinimize };
using TCloseEvent = std::function<void(TObject* Sender, TCloseAction& Action)>;
using TCloseQueryEvent = std::function<void(TObject* Sender, bool& CanClose)>;
enum TWindowState { wsNormal, wsMinimized, wsMaximized };
enum TFormStyle { fsNormal, fsStayOnTop };
// The buttons of the title bar, as a set of bits.
enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint8_t;

// Smallest and largest size a form may take; 0 means no limit. A limit set
// past its partner moves the partner along, so that Min <= Max always holds.
class TSizeConstraints : public TPersistent {
public:
  int MinWidth() const { return FMinWidth; }
  int MinHeight() const { return FMinHeight; }
  int MaxWidth() const { return FMaxWidth; }
  int MaxHeight() const { return FMaxHeight; }
  // Negative values count as 0 (no limit).
  void SetMinWidth(int Value);
  void SetMinHeight(int Value);
  void SetMaxWidth(int Value);
  void SetMaxHeight(int Value);
  void Assign(TPersistent* Source) override;
  // Width and height brought inside the limits.
  int ClampWidth(int Width) const { return Clamp(Width, FMinWidth, FMaxWidth); }
  int ClampHeight(int Height) const { return Clamp(Height, FMinHeight, FMaxHeight); }

  TNotifyEvent OnChange;

private:
  static int Clamp(int Value, int Min, int Max);
  void SetLimit(int& Limit, int& Partner, bool IsMinimum, int Value);
  void Change();
  int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

// Picks the constructor of a form built in code.
struct TCreateNew {};
inline constexpr TCreateNew CreateNew{};

class TCustomForm : public TWinControl {
public:
  // A form whose components come from a stored description: it is loading
  // until AfterConstruction.
  explicit TCustomForm(TComponent* AOwner);
  // A form built in code: never loading, so that the components put on it
  // set themselves up as they are created (an auto-sized label fits its text
  // at once). AfterConstruction still fires OnCreate.
  TCustomForm(TComponent* AOwner, TCreateNew);
  ~TCustomForm() override;

  // Ends construction: Loaded() for every component, then OnCreate. Called by
  // Application->CreateForm (and by Show/ShowModal if nobody did).
  void AfterConstruction();

  TCanvas& Canvas() { return *FCanvas; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  // poScreenCenter: on its first showing the form is centred on the work
  // area of CenteringMonitor(), and made no larger than that work area.
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TBorderIcons BorderIcons() const { return FBorderIcons; }
  // Recreates the window when it exists.
  void SetBorderIcons(TBorderIcons Value);
  TFormStyle FormStyle() const { return FFormStyle; }
  void SetFormStyle(TFormStyle Value);

  // With AlphaBlend on, the whole window is drawn with AlphaBlendValue as its
  // opacity (0 invisible, 255 opaque); off, it is an ordinary window.
  bool AlphaBlend() const { return FAlphaBlend; }
  void SetAlphaBlend(bool Value);
  uint8_t AlphaBlendValue() const { return FAlphaBlendValue; }
  void SetAlphaBlendValue(uint8_t Value);

  // Read from the window while the form is shown; before that, how it will appear.
  TWindowState WindowState() const;
  void SetWindowState(TWindowState Value);
  TSizeConstraints& Constraints() { return FConstraints; }
  void SetConstraints(const TSizeConstraints& Value) { FConstraints.Assign(const_cast<TSizeConstraints*>(&Value)); }
  // Clamps the size to Constraints.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

  // Stored settings read by components placed on the form; the form itself
  // shows no scroll bars and does not rescale.
  bool AutoScroll() const { return FAutoScroll; }
  void SetAutoScroll(bool Value) { FAutoScroll = Value; }
  bool Scaled() const { return FScaled; }
  void SetScaled(bool Value) { FScaled = Value; }
  int PixelsPerInch() const { return FPixelsPerInch; }
  // Values below 1 are ignored.
  void SetPixelsPerInch(int Value);

  // The monitor the form is on (the primary one before the window exists).
  TMonitor Monitor() const;
  TRect ClientRect() override;
  void SetClientSize(int AWidth, int AHeight) override;
  // True from the moment the form starts being shown until it starts being
  // hidden: during CM_SHOWINGCHANGED it already holds the new state.
  bool Showing() const override { return FShowing; }

  // The form's KeyDown, KeyUp and KeyPress see its controls' keys first.
  bool KeyPreview() const { return FKeyPreview; }
  bool PreviewsKeys() const override { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value);
  // Focus moves along TabOrder among tab stops of the whole form.
  void SelectNext(TWinControl* CurControl, bool GoForward);
  void FocusControlChanged(TWinControl* Control);
  // Tells the focused control that Sender was pressed or takes the focus, so
  // that a mode it is in (an open drop-down list) can end.
  void SendCancelMode(TControl* Sender);

  void Close();
  // Shows the form and dispatches messages until ModalResult is set, with
  // every other visible window of the thread disabled; a handler may show
  // another form modally from inside. Afterwards the windows it disabled are
  // enabled again and the window that was active before is activated.
  int ShowModal();
  bool Modal() const { return FModal; }
  int ModalResult() const { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  // Frees the form from the message loop (after the current message).
  void Release();

  TNotifyEvent OnCreate;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void PaintWindow(HDC DC) override;
  virtual void DoCreate();
  virtual void DoClose(TCloseAction& Action);
  virtual void DoShow();
  virtual void DoHide();
  virtual bool CloseQuery();
  // Sends CM_SHOWINGCHANGED when Showing must change to follow Visible.
  void UpdateShowing();

  void DestroyWnd() override;
  // The show command that gives the window its WindowState.
  int ShowCommand() const;
  // The state the window has now (it must exist).
  TWindowState StateOfWindow() const;
  void ApplyAlphaBlend();
  void ConstraintsChanged();

  void WMClose(TWMBase& Message) override;
  // Activation gives the focus back to the active control.
  void WMActivate(TWMActivate& Message) override;
  void WMGetMinMaxInfo(TWMGetMinMaxInfo& Message) override;
  void WMSysCommand(TWMSysCommand& Message) override;
  void CMRecreateWnd(TWMBase& Message) override;
  void CMVisibleChanged(TCMVisibleChanged& Message) override;
  void CMShowingChanged(TWMBase& Message) override;
  void CMDialogKey(TWMKey& Message) override;
  // The system cancelling modes (a message box appears) and the user starting
  // to move or size the form end the focused control's mode too.
  void WMCancelMode(TWMBase& Message) override;
  void WMEnterSizeMove(TWMBase& Message) override;
  void CMRelease(TWMBase& Message) override;

  std::unique_ptr<TCanvas> FCanvas;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
  TFormStyle FFormStyle = fsNormal;
  bool FAlphaBlend = false;
  uint8_t FAlphaBlendValue = 255;
  // The state while the window is not shown; taken from the window on hiding.
  TWindowState FWindowState = wsNormal;
  TSizeConstraints FConstraints;
  bool FAutoScroll = false;
  bool FScaled = true;
  int FPixelsPerInch = 96;
  TWinControl* FActiveControl = nullptr;
  int FModalResult = mrNone;
  bool FModal = false;
  bool FConstructed = false;
  bool FShownOnce = false;
  bool FShowing = false;
  bool FKeyPreview = false;
  // The client size asked for before the window existed.
  int FClientWidth = 0, FClientHeight = 0;

private:
  void CenterOnScreen();
  void InitForm();
};

class TForm : public TCustomForm {
public:
  using TCustomForm::TCustomForm;
};

// The visible top-level windows of this thread but Except, in the order the
// system lists them (from the top of the z-order).
std::vector<HWND> VisibleThreadWindows(HWND Except);

// The form that holds Control (nullptr when none).
TCustomForm* GetParentForm(TControl* Control);

// The monitor a form centred on the screen goes to: that of this thread's
// active window, else of the main form, else the primary one.
TMonitor CenteringMonitor();

// Icon kinds of the message box: 0 none, 1 information, 2 error, 3 success, 4 question.
// Shows a modal box with an OK button (owned by the main form, else the
// application window) and returns the modal result.
int ShowMessageBox(const std::wstring& Caption, const std::wstring& Text, int Kind);
