// Forms, the application object, utility windows and the modal message box.
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

// A hidden window whose procedure is a method object (timers and other
// message receivers that need no visible window).
class TUtilWindow {
public:
  explicit TUtilWindow(TWndMethod Method);
  ~TUtilWindow();
  TUtilWindow(const TUtilWindow&) = delete;
  TUtilWindow& operator=(const TUtilWindow&) = delete;
  HWND Handle() const { return FHandle; }

private:
  static LRESULT CALLBACK WndProc(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
  TWndMethod FMethod;
  HWND FHandle = nullptr;
};

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
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  void PaintWindow(HDC DC) override;
  virtual void DoCreate();
  virtual void DoClose(TCloseAction& Action);
  virtual bool CloseQuery();

  void WMClose(TMessage& Message);
  void WMGetMinMaxInfo(TMessage& Message);
  void CMVisibleChangedForm(TMessage& Message);
  void CMDialogKey(TMessage& Message);
  void CMRelease(TMessage& Message);

  std::unique_ptr<TCanvas> FCanvas;
  TFormBorderStyle FBorderStyle = bsSizeable;
  TPosition FPosition = poDesigned;
  TWinControl* FActiveControl = nullptr;
  int FModalResult = mrNone;
  bool FModal = false;
  bool FConstructed = false;
  bool FShownOnce = false;
  // The client size asked for before the window existed.
  int FClientWidth = 0, FClientHeight = 0;

private:
  void CenterOnScreen();
};

class TForm : public TCustomForm {
public:
  using TCustomForm::TCustomForm;
};

class TApplication : public TComponent {
public:
  TApplication();
  ~TApplication() override;

  // Resolves system colours through GetSysColor, loads the common controls
  // and creates the hidden application window.
  void Initialize();
  // Creates a form owned by the application; the first one becomes MainForm.
  template <class T> void CreateForm(T*& Reference) {
    auto* form = new T(this);
    Reference = form;
    if (!FMainForm) FMainForm = form;
    form->AfterConstruction();
  }
  // Shows the main form and dispatches messages until it closes.
  void Run();
  // Dispatches every waiting message and returns; may be called from handlers.
  void ProcessMessages();
  // Waits for one message and dispatches it.
  void HandleMessage();
  void Terminate();
  bool Terminated() const { return FTerminated; }

  TCustomForm* MainForm() const { return FMainForm; }
  HWND Handle() const { return FHandle ? FHandle->Handle() : nullptr; }
  const std::wstring& Title() const { return FTitle; }
  void SetTitle(const std::wstring& Value);
  bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
  void SetMainFormOnTaskBar(bool Value) { FMainFormOnTaskBar = Value; }

  // Hooks see the application window's messages first; returning true means handled.
  using TWindowHook = std::function<bool(TMessage& Message)>;
  // Returns an id for UnhookMainWindow.
  int HookMainWindow(TWindowHook Hook);
  void UnhookMainWindow(int Id);

  // Called for exceptions that reach a window procedure or the message loop.
  void HandleException(TObject* Sender);
  // Replaces the default report (a message box with the exception's text).
  std::function<void(TObject* Sender, const std::exception* E, const std::wstring& Message)> OnException;
  void ShowException(const std::wstring& Message);

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void WndProc(TMessage& Message);
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);

  std::unique_ptr<TUtilWindow> FHandle;
  TCustomForm* FMainForm = nullptr;
  std::wstring FTitle;
  bool FMainFormOnTaskBar = false;
  bool FTerminated = false;
  bool FHandlingException = false;
  std::vector<std::pair<int, TWindowHook>> FHooks;
  int FNextHookId = 1;
};

extern TApplication* Application;

// Icon kinds of the message box: 0 none, 1 information, 2 error, 3 success, 4 question.
// Shows a modal box with an OK button (owned by the main form, else the
// application window) and returns the modal result.
int ShowMessageBox(const std::wstring& Caption, const std::wstring& Text, int Kind);
