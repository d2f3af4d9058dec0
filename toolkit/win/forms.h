// Forms: top-level windows with a border style, position, active control,
// modal loop and the show path, and the modal message box.
#pragma once

#include "toolkit/win/controls.h"

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

class TCustomForm : public TWinControl {
public:
  explicit TCustomForm(TComponent* AOwner);
  ~TCustomForm() override;

  // Ends construction: Loaded() for every component, then OnCreate. Called by
  // Application->CreateForm (and by Show/ShowModal if nobody did).
  void AfterConstruction();

  TCanvas& Canvas() { return *FCanvas; }
  TFormBorderStyle BorderStyle() const { return FBorderStyle; }
  void SetBorderStyle(TFormBorderStyle Value);
  TPosition Position() const { return FPosition; }
  void SetPosition(TPosition Value) { FPosition = Value; }
  TRect ClientRect() override;
  void SetClientSize(int AWidth, int AHeight) override;
  // True from the moment the form starts being shown until it starts being
  // hidden: during CM_SHOWINGCHANGED it already holds the new state.
  bool Showing() const override { return FShowing; }

  // The form's KeyDown, KeyUp and KeyPress see its controls' keys first.
  bool KeyPreview() const { return FKeyPreview; }
  void SetKeyPreview(bool Value) { FKeyPreview = Value; }

  TWinControl* ActiveControl() const { return FActiveControl; }
  void SetActiveControl(TWinControl* Value);
  // Focus moves along TabOrder among tab stops of the whole form.
  void SelectNext(TWinControl* CurControl, bool GoForward);
  void FocusControlChanged(TWinControl* Control);

  void Close();
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

  void WMClose(TWMBase& Message) override;
  void CMVisibleChanged(TCMVisibleChanged& Message) override;
  void CMShowingChanged(TWMBase& Message) override;
  void CMDialogKey(TWMKey& Message) override;
  void CMRelease(TWMBase& Message) override;

  std::unique_ptr<TCanvas> FCanvas;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
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
};

class TForm : public TCustomForm {
public:
  using TCustomForm::TCustomForm;
};

// The form that holds Control (nullptr when none).
TCustomForm* GetParentForm(TControl* Control);

// Icon kinds of the message box: 0 none, 1 information, 2 error, 3 success, 4 question.
// Shows a modal box with an OK button (owned by the main form, else the
// application window) and returns the modal result.
int ShowMessageBox(const std::wstring& Caption, const std::wstring& Text, int Kind);
