// The application object: the hidden application window and its hooks, the
// forms it creates, the message loop, and where exceptions end up.
#pragma once

#include "toolkit/win/forms.h"
#include "toolkit/win/hints.h"
#include "toolkit/win/utilwindow.h"

#include <functional>
#include <memory>
#include <vector>

class TApplication : public TComponent, public TControlHost {
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
  void HandleException(TObject* Sender) override;
  // Replaces the default report (a message box with the exception's text).
  std::function<void(TObject* Sender, const std::exception* E, const std::wstring& Message)> OnException;
  void ShowException(const std::wstring& Message);

  void ControlFocused(TWinControl* Control) override;

  // ---- Minimizing ----
  // With MainFormOnTaskBar the main form's window is minimized and restored;
  // otherwise the application window, which takes the forms it owns along.
  void Minimize();
  void Restore();
  bool Minimized() const;
  TNotifyEvent OnMinimize;
  TNotifyEvent OnRestore;

  // Hints (hints.h): shown after HintPause (ms) over a control with ShowHint
  // and a Hint, hidden after HintHidePause, on a click, a key, or when the
  // mouse leaves the control.
  bool ShowHint() const { return FHints.ShowHint(); }
  void SetShowHint(bool Value) { FHints.SetShowHint(Value); }
  int HintPause() const { return FHints.HintPause(); }
  void SetHintPause(int Value) { FHints.SetHintPause(Value); }
  int HintHidePause() const { return FHints.HintHidePause(); }
  void SetHintHidePause(int Value) { FHints.SetHintHidePause(Value); }
  void CancelHint() { FHints.CancelHint(); }
  void ActivateHint(TPoint CursorPos) { FHints.ActivateHint(CursorPos); }
  const THintController& Hints() const { return FHints; }
  // May change the text and the hint info, or refuse the hint (CanShow false).
  TShowHintEvent OnShowHint;

protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  void WndProc(TMessage& Message);
  bool ProcessMessage(MSG& Msg);
  bool IsKeyMsg(MSG& Msg);
  void Report(TObject* Sender, const std::exception* E, const std::wstring& Text);
  HWND MinimizeTarget() const;
  bool SysCommand(WPARAM Command);
  // The windows that minimizing the application window hid.
  std::vector<HWND> FMinimizeHidden;

  std::unique_ptr<TUtilWindow> FHandle;
  TCustomForm* FMainForm = nullptr;
  std::wstring FTitle;
  bool FMainFormOnTaskBar = false;
  bool FTerminated = false;
  bool FHandlingException = false;
  std::vector<std::pair<int, TWindowHook>> FHooks;
  int FNextHookId = 1;
  THintController FHints{this};
};

extern TApplication* Application;
