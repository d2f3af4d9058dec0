// The skin form's window life: size and position changes, system commands,
// showing with the start-up fade, the minimize cycle, the fixed-id timers and
// the application window's hook.
#include <algorithm>

#include "skin/frame/layer_border.h"
#include "skin/frame/main_menu.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "toolkit/win/application.h"

// Starting an armed timer restarts it.
void TVelSkinForm::RestartTimer(UINT_PTR Id, UINT Interval) {
  if (FDestForm->HandleAllocated()) FDestForm->StartTimer(Id, Interval);
}

void TVelSkinForm::StopTimer(UINT_PTR Id) { FDestForm->StopTimer(Id); }

// ---- Size and position --------------------------------------------------------------------------

void TVelSkinForm::WMSize(TWMSize& Message) {
  PassOn(Message.Raw);
  FRgnChanged = true;
  if (!Designing()) RestartTimer(SkinTimerResize, 50);
  if (FImageBorder) FImageBorder->SetBoundsWithForm();
  if (FStyle == ssPicture && (FFillStyle == mfsStretch || FFillStyle == mfs9Block)) DoChanged();
}

void TVelSkinForm::WMWindowPosChanging(TWMWindowPos& Message) {
  const UINT f = Message.WindowPos ? Message.WindowPos->flags : 0;
  constexpr UINT showing = SWP_NOCOPYBITS | SWP_SHOWWINDOW | SWP_FRAMECHANGED | SWP_NOACTIVATE;
  constexpr UINT hiding = SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  if ((f & showing) == showing || ((f & hiding) == hiding && Application->MainForm() == FDestForm)) {
    if (FDestForm->Visible()) Minimizing();
  } else if (Application->MainForm() != FDestForm && FImageBorder) {
    if (f & SWP_HIDEWINDOW)
      FImageBorder->Minimizing();
    else if ((f & SWP_SHOWWINDOW) && !Minimized())
      FImageBorder->Restoring();
  }
  PassOn(Message.Raw);
}

void TVelSkinForm::WMWindowPosChanged(TWMWindowPos& Message) {
  const int32_t before = FFramWidth;
  if (!Message.WindowPos || !(Message.WindowPos->flags & SWP_NOMOVE)) MonitorMayHaveChanged();
  if (Maximized()) {
    FFramWidth = 0;
    if (FImageBorder) FImageBorder->Hide();
  } else if (Minimized()) {
    if (FImageBorder) FImageBorder->Hide();
  } else {
    FFramWidth = FOldFramWidth;
    if (FImageBorder && Message.WindowPos) {
      // Without a move the position fields carry nothing; the border still
      // follows a change of the form's place in the z-order.
      if (Message.WindowPos->flags & SWP_NOMOVE)
        FImageBorder->MoveWithForm(FDestForm->Left(), FDestForm->Top());
      else
        FImageBorder->MoveWithForm(Message.WindowPos->x, Message.WindowPos->y);
    }
  }
  PassOn(Message.Raw);
  // The client area of this change was calculated with the old frame width
  // (a restore from maximized: 0); calculate it again with the new one.
  if (FFramWidth != before)
    SetWindowPos(FDestForm->Handle(), nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  // However the window came back from the task bar (a click, Alt+Tab, a
  // restore by another program), it comes back opaque.
  if ((FFormState & fsMinimizedBit) && !Minimized() && IsWindowVisible(FDestForm->Handle())) Restoring();
}

void TVelSkinForm::WMSysCommand(TWMSysCommand& Message) {
  switch (Message.CmdType) {
    case SC_MINIMIZE:
      PassOn(Message.Raw);
      Minimizing();
      return;
    case SC_MAXIMIZE:
      FFramWidth = 0;
      PassOn(Message.Raw);
      if (FImageBorder) FImageBorder->ReAlign();
      return;
    case SC_RESTORE:
      PassOn(Message.Raw);
      if (FOldFramWidth != 0 && !Minimized()) FFramWidth = FOldFramWidth;
      Restoring();
      if (FImageBorder) {
        FImageBorder->ReAlign();
        FImageBorder->MoveWithForm(FDestForm->Left(), FDestForm->Top());
      }
      return;
    default:
      PassOn(Message.Raw);
  }
}

void TVelSkinForm::WMDisplayChange(TWMBase& Message) {
  MonitorMayHaveChanged();
  PassOn(Message.Raw);
}

void TVelSkinForm::WMDpiChanged(TWMBase& Message) {
  MonitorMayHaveChanged();
  PassOn(Message.Raw);
  for (int i = 0; i < FNCCtrlList.Count(); ++i) FNCCtrlList.Get<TVelSkinNCCtrlBase>(i)->DPIChanged();
  BuildBackground();
  DoChanged();
}

// ---- Timers -------------------------------------------------------------------------------------

void TVelSkinForm::WMTimer(TWMTimer& Message) {
  switch (Message.TimerID) {
    case SkinTimerResize:
      StopTimer(SkinTimerResize);
      SendMessageW(FDestForm->Handle(), WM_NCPAINT, 0, 0);
      return;
    case SkinTimerShow:
      StopTimer(SkinTimerShow);
      if (FFixedStartFlash) {
        FDestForm->SetAlphaBlendValue(FOldAlphaBlend.Value);
        FDestForm->SetAlphaBlend(FOldAlphaBlend.Enabled);
      }
      // After the fade: a window that stops being layered may be put back
      // above the windows placed right below it.
      if (FImageBorder) {
        FImageBorder->CheckFormAlpha(false);
        FImageBorder->ShowWithForm(&FNCCtrlList);
      }
      if (Maximized()) FDestForm->SetHeight(FDestForm->Height() + 1);
      return;
    case SkinTimerMenu:
      StopTimer(SkinTimerMenu);
      FMainMenu->ClickNext();
      return;
    case SkinTimerBorderWatch:
      if (FImageBorder && Minimized()) FImageBorder->Hide();
      return;
    default:
      PassOn(Message.Raw);
  }
}

// ---- Showing ------------------------------------------------------------------------------------

void TVelSkinForm::CMVisibleChanged(TCMVisibleChanged& Message) {
  PassOn(Message.Raw);
  if (!FImageBorder) return;
  if (FDestForm->Visible())
    FImageBorder->Restoring();
  else
    FImageBorder->Minimizing();
}

void TVelSkinForm::CMShowingChanged(TWMBase& Message) {
  if (!FDestForm->Showing()) {
    PassOn(Message.Raw);
    if (FImageBorder) FImageBorder->Hide();
    return;
  }
  const HWND window = FDestForm->Handle();
  TCustomForm* mainForm = Application->MainForm();
  LONG_PTR exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (FOptions->MinimizeToTaskbar() && mainForm && mainForm != FDestForm) {
    SetWindowLongPtrW(window, GWL_EXSTYLE, exStyle | WS_EX_APPWINDOW);
    SetWindowLongPtrW(window, GWLP_HWNDPARENT, 0);
  }
  exStyle = GetWindowLongPtrW(window, GWL_EXSTYLE);
  if (FOptions->HideInTaskbar() && mainForm)
    SetWindowLongPtrW(window, GWL_EXSTYLE, (exStyle & ~WS_EX_APPWINDOW) | WS_EX_TOOLWINDOW);
  const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
  if (style & WS_SYSMENU) SetWindowLongPtrW(window, GWL_STYLE, style & ~WS_SYSMENU);
  if (FImageBorder) {
    FImageBorder->InitFrame(FDestForm);
    FImageBorder->Show();
  }
  if (!FSkinRes) BuildBackground();
  // Windows the skin builds in code (the message box) take their look from
  // the last skinned form shown, not only after its first full refresh.
  if (Tag() != 99999) PublishDefaults();
  if (!FFixedStartFlash) {
    // The window first appears fully transparent; timer 3333 brings it in.
    FFixedStartFlash = true;
    FOldAlphaBlend.Enabled = FDestForm->AlphaBlend();
    FOldAlphaBlend.Value = FDestForm->AlphaBlendValue();
    FDestForm->SetAlphaBlendValue(0);
    FDestForm->SetAlphaBlend(true);
    if (FImageBorder) RestartTimer(SkinTimerBorderWatch, 500);
  }
  PassOn(Message.Raw);
  if (FDestForm->Visible()) {
    RestartTimer(SkinTimerShow, 30);
    if (FOldWS == wsMaximized && Maximized()) {
      FOldWS = wsNormal;
      FFramWidth = 0;
    }
  }
}

// ---- The minimize cycle -------------------------------------------------------------------------

void TVelSkinForm::Minimizing() {
  Application->ProcessMessages();
  const bool already = (FFormState & fsMinimizedBit) != 0;
  FFormState = (FFormState & ~(fsMinimizedBit | fsRestoredBit)) | fsMinimizedBit;
  // A second minimize step (the position change and the command both come)
  // must not save the hidden state over the one to come back to.
  if (FBlockUIFlash && FDestForm && !already) {
    FOldAlphaBlend.Enabled = FDestForm->AlphaBlend();
    FOldAlphaBlend.Value = FDestForm->AlphaBlendValue();
    FDestForm->SetAlphaBlendValue(0);
    FDestForm->SetAlphaBlend(true);
  }
  if (FImageBorder) FImageBorder->Minimizing();
}

void TVelSkinForm::Restoring() {
  if (FFormState & fsRestoredBit) return;
  Application->ProcessMessages();
  FFormState = (FFormState & ~(fsMinimizedBit | fsRestoredBit)) | fsRestoredBit;
  if (FBlockUIFlash && FDestForm) {
    // The start-up and minimize value 0 is never put back as 0.
    if (FOldAlphaBlend.Value == 0) FOldAlphaBlend.Value = 255;
    FDestForm->SetAlphaBlendValue(FOldAlphaBlend.Value);
    FDestForm->SetAlphaBlend(FOldAlphaBlend.Enabled);
  }
  if (FDestForm && FDestForm->CanFocus()) SetFocus(FDestForm->Handle());
  if (FImageBorder) FImageBorder->Restoring();
}

// ---- The application window ---------------------------------------------------------------------

bool TVelSkinForm::AppWindowHook(TMessage& Message) {
  if (Message.Msg == WM_WINDOWPOSCHANGING) {
    const auto* pos = reinterpret_cast<const WINDOWPOS*>(Message.LParam);
    if (pos && pos->flags == (SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE)) Restoring();
    return false;
  }
  if (Message.Msg != WM_SYSCOMMAND || !FActive || Application->MainFormOnTaskBar()) return false;
  TCustomForm* mainForm = Application->MainForm();
  switch (Message.WParam & 0xFFF0) {
    case SC_MINIMIZE:
      if (!Application->Minimized() && mainForm && mainForm->Visible()) {
        Application->Minimize();
        Minimizing();
      }
      return false;
    case SC_RESTORE:
      if (!mainForm) return false;
      Application->Restore();
      Restoring();
      if (FImageBorder) {
        FImageBorder->ReAlign();
        FImageBorder->MoveWithForm(FDestForm->Left(), FDestForm->Top());
      }
      return true;
    default:
      return false;
  }
}
