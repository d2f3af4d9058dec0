#include "toolkit/win/tests/toolkit_test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

LONG_PTR StyleOf(TCustomForm& Form) { return GetWindowLongPtrW(Form.Handle(), GWL_STYLE); }
LONG_PTR ExStyleOf(TCustomForm& Form) { return GetWindowLongPtrW(Form.Handle(), GWL_EXSTYLE); }

BYTE LayeredAlpha(HWND Window) {
  BYTE alpha = 0;
  DWORD flags = 0;
  COLORREF key = 0;
  if (!GetLayeredWindowAttributes(Window, &key, &alpha, &flags) || !(flags & LWA_ALPHA)) return 0;
  return alpha;
}

// Lets the system finish what ShowWindow and SetWindowPos started.
void Pump() { Application->ProcessMessages(); }

}  // namespace

// A component hooked on the form acts around the toolkit's show and hide:
// before passing the message on, Showing already holds the new state and the
// window has not changed yet; afterwards it has. Every way of hiding a form
// goes through the same message.
TEST_F(ToolkitWin, ShowingChangedLetsAHookActBeforeAndAfterTheWindowChanges) {
  struct TStep {
    bool Showing, VisibleBefore, VisibleAfter;
    bool operator==(const TStep&) const = default;
  };
  std::vector<TStep> steps;
  TWindowProcHook hook;
  hook.Hook(*Form, [&](TMessage& m) {
    if (m.Msg == CM_SHOWINGCHANGED) {
      TStep step{Form->Showing(), IsWindowVisible(Form->Handle()) != FALSE, false};
      hook.CallSaved(m);
      step.VisibleAfter = IsWindowVisible(Form->Handle()) != FALSE;
      steps.push_back(step);
      // A modal form ends itself once shown.
      if (step.Showing && Form->Modal()) PostMessageW(Form->Handle(), WM_USER + 1, 0, 0);
      return;
    }
    if (m.Msg == WM_USER + 1) Form->SetModalResult(mrOk);
    hook.CallSaved(m);
  });
  const TStep shown{true, false, true}, hidden{false, true, false};

  Form->Show();
  Form->Hide();
  EXPECT_EQ(steps, (std::vector<TStep>{shown, hidden}));

  steps.clear();
  Form->Show();
  Form->Close();  // not the main form: hidden (caHide)
  EXPECT_FALSE(Form->Visible());
  EXPECT_EQ(steps, (std::vector<TStep>{shown, hidden}));

  steps.clear();
  EXPECT_EQ(Form->ShowModal(), mrOk);
  EXPECT_EQ(steps, (std::vector<TStep>{shown, hidden}));

  // A window made again while shown is shown again the same way.
  Form->Show();
  steps.clear();
  Form->SetBorderStyle(bsSingle);
  EXPECT_TRUE(IsWindowVisible(Form->Handle()));
  EXPECT_EQ(steps, (std::vector<TStep>{shown}));
  hook.Unhook();
}

TEST_F(ToolkitWin, WindowStateDecidesTheFirstShowAndFollowsTheWindowAfterwards) {
  Form->SetBounds(40, 50, 300, 200);
  Form->SetWindowState(wsMaximized);
  Form->HandleNeeded();
  EXPECT_EQ(Form->WindowState(), wsMaximized);  // stored: the window is not shown yet
  EXPECT_FALSE(IsZoomed(Form->Handle()));
  Form->Show();
  EXPECT_TRUE(IsZoomed(Form->Handle()));

  Form->SetWindowState(wsNormal);
  EXPECT_FALSE(IsZoomed(Form->Handle()));
  EXPECT_EQ(Form->BoundsRect(), (TRect{40, 50, 340, 250}));  // the last size asked for wins

  // Changed by the system: read from the window, and kept while hidden.
  ShowWindow(Form->Handle(), SW_MAXIMIZE);
  EXPECT_EQ(Form->WindowState(), wsMaximized);
  Form->Hide();
  EXPECT_EQ(Form->WindowState(), wsMaximized);
  Form->Show();
  EXPECT_TRUE(IsZoomed(Form->Handle()));

  // A new window keeps the state and the size it has when restored.
  HWND before = Form->Handle();
  Form->SetBorderIcons(biSystemMenu | biMaximize);
  EXPECT_NE(Form->Handle(), before);
  EXPECT_TRUE(IsZoomed(Form->Handle()));
  Form->SetWindowState(wsNormal);
  EXPECT_EQ(Form->BoundsRect(), (TRect{40, 50, 340, 250}));

  Form->SetWindowState(wsMinimized);
  EXPECT_TRUE(IsIconic(Form->Handle()));
  EXPECT_EQ(Form->WindowState(), wsMinimized);
  Form->SetWindowState(wsNormal);
  EXPECT_FALSE(IsIconic(Form->Handle()));

  // Closing with caMinimize minimizes instead of hiding.
  Form->OnClose = [](TObject*, TCloseAction& Action) { Action = caMinimize; };
  Form->Close();
  EXPECT_TRUE(Form->Visible());
  EXPECT_EQ(Form->WindowState(), wsMinimized);
  // Out of range: a normal window.
  Form->SetWindowState(static_cast<TWindowState>(7));
  EXPECT_EQ(Form->WindowState(), wsNormal);
}

TEST_F(ToolkitWin, BorderIconsAndBorderStyleDecideTheTitleBarButtons) {
  struct TCase {
    TFormBorderStyle Border;
    TBorderIcons Icons;
    LONG_PTR Style;  // of WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX
    bool Help;
  };
  const LONG_PTR all = WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
  const TBorderIcons defaults = biSystemMenu | biMinimize | biMaximize;
  const TCase cases[] = {
      {bsSizeable, defaults, all, false},
      {bsSingle, defaults, all, false},
      {bsSizeable, biSystemMenu, WS_SYSMENU, false},
      {bsSizeable, biSystemMenu | biHelp, WS_SYSMENU, true},
      {bsSizeable, biSystemMenu | biMinimize | biHelp, WS_SYSMENU | WS_MINIMIZEBOX, false},
      // Without a system menu the boxes stay for the taskbar and the caption.
      {bsSizeable, biMinimize | biMaximize, WS_MINIMIZEBOX | WS_MAXIMIZEBOX, false},
      {bsDialog, defaults | biHelp, WS_SYSMENU, true},
      {bsToolWindow, defaults | biHelp, WS_SYSMENU, false},
      {bsSizeToolWin, defaults, WS_SYSMENU, false},
      {bsNone, defaults | biHelp, 0, false},
  };
  EXPECT_EQ(Form->BorderIcons(), defaults);
  Form->Show();
  for (const TCase& c : cases) {
    SCOPED_TRACE(testing::Message() << "border " << c.Border << ", icons " << int(c.Icons));
    Form->SetBorderStyle(c.Border);
    Form->SetBorderIcons(c.Icons);
    EXPECT_EQ(StyleOf(*Form) & all, c.Style);
    EXPECT_EQ((ExStyleOf(*Form) & WS_EX_CONTEXTHELP) != 0, c.Help);
    EXPECT_TRUE(IsWindowVisible(Form->Handle()));
  }
  Form->SetBorderIcons(0xFF);  // unknown bits are dropped
  EXPECT_EQ(Form->BorderIcons(), defaults | biHelp);
}

TEST_F(ToolkitWin, AlphaBlendMakesTheFormLayeredBeforeAndAfterItsWindowExists) {
  Form->SetAlphaBlendValue(128);
  EXPECT_FALSE(Form->AlphaBlend());
  Form->SetAlphaBlend(true);
  Form->Show();
  ASSERT_TRUE(ExStyleOf(*Form) & WS_EX_LAYERED);
  EXPECT_EQ(LayeredAlpha(Form->Handle()), 128);

  Form->SetAlphaBlendValue(200);
  EXPECT_EQ(LayeredAlpha(Form->Handle()), 200);
  Form->SetBorderStyle(bsSingle);  // a new window
  ASSERT_TRUE(ExStyleOf(*Form) & WS_EX_LAYERED);
  EXPECT_EQ(LayeredAlpha(Form->Handle()), 200);

  Form->SetAlphaBlend(false);
  EXPECT_FALSE(ExStyleOf(*Form) & WS_EX_LAYERED);
  Form->SetAlphaBlendValue(10);  // kept for later, the window stays opaque
  EXPECT_FALSE(ExStyleOf(*Form) & WS_EX_LAYERED);
  Form->SetAlphaBlend(true);
  EXPECT_EQ(LayeredAlpha(Form->Handle()), 10);
}

TEST_F(ToolkitWin, ConstraintsClampTheBoundsAndFillTheTrackSizes) {
  TSizeConstraints& c = Form->Constraints();
  int changes = 0;
  TNotifyEvent formHandler = c.OnChange;
  c.OnChange = [&](TObject* Sender) {
    ++changes;
    formHandler(Sender);
  };
  c.SetMinWidth(200);
  c.SetMinHeight(-5);  // no limit
  c.SetMaxHeight(300);
  EXPECT_EQ(changes, 2);
  EXPECT_EQ(c.MinHeight(), 0);
  Form->SetBounds(10, 10, 50, 500);
  EXPECT_EQ(Form->Width(), 200);
  EXPECT_EQ(Form->Height(), 300);

  // A limit past its partner moves the partner.
  c.SetMaxWidth(150);
  EXPECT_EQ(c.MinWidth(), 150);
  EXPECT_EQ(Form->Width(), 150);  // applied at once
  c.SetMinHeight(400);
  EXPECT_EQ(c.MaxHeight(), 400);

  Form->Show();
  // The system fills the structure before it asks; what no limit covers stays.
  MINMAXINFO info{};
  info.ptMaxSize = {1234, 567};
  info.ptMaxPosition = {-4, -4};
  SendMessageW(Form->Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
  EXPECT_EQ(info.ptMinTrackSize.x, 150);
  EXPECT_EQ(info.ptMinTrackSize.y, 400);
  EXPECT_EQ(info.ptMaxTrackSize.x, 150);
  EXPECT_EQ(info.ptMaxTrackSize.y, 400);
  EXPECT_EQ(info.ptMaxSize.x, 1234);
  EXPECT_EQ(info.ptMaxPosition.y, -4);

  // The system keeps the window inside the limits too.
  SetWindowPos(Form->Handle(), nullptr, 0, 0, 600, 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(Form->Width(), 150);
  EXPECT_EQ(Form->Height(), 400);
  Form->SetClientSize(20, 20);
  EXPECT_EQ(Form->Width(), 150);

  TSizeConstraints copy;
  copy.SetMaxWidth(500);
  Form->SetConstraints(copy);
  EXPECT_EQ(c.MinWidth(), 0);
  EXPECT_EQ(c.MaxWidth(), 500);
  EXPECT_EQ(changes, 5);

  // Stored settings, for components that read them.
  EXPECT_FALSE(Form->AutoScroll());
  EXPECT_TRUE(Form->Scaled());
  EXPECT_EQ(Form->PixelsPerInch(), 96);
  Form->SetPixelsPerInch(0);
  EXPECT_EQ(Form->PixelsPerInch(), 96);
}

TEST_F(ToolkitWin, MonitorIsThePrimaryOneBeforeTheWindowAndTheFormsOneAfter) {
  const TMonitor before = Form->Monitor();
  EXPECT_TRUE(before.Primary());
  EXPECT_EQ(before.BoundsRect(), (TRect{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}));
  EXPECT_EQ(before.Width(), before.BoundsRect().Width());
  EXPECT_EQ(before.Height(), before.BoundsRect().Height());
  const TRect work = before.WorkareaRect();
  EXPECT_GE(work.Left, 0);
  EXPECT_LE(work.Right, before.Width());
  EXPECT_GT(work.Height(), 0);

  Form->SetBounds(30, 30, 200, 100);
  Form->Show();
  const TMonitor after = Form->Monitor();
  EXPECT_EQ(after.Handle(), MonitorFromWindow(Form->Handle(), MONITOR_DEFAULTTONEAREST));
  EXPECT_EQ(after.Handle(), before.Handle());
}

TEST_F(ToolkitWin, StayOnTopFormsAreTopmostWindows) {
  Form->SetFormStyle(fsStayOnTop);
  Form->Show();
  EXPECT_TRUE(ExStyleOf(*Form) & WS_EX_TOPMOST);
  Form->SetFormStyle(fsNormal);
  EXPECT_FALSE(ExStyleOf(*Form) & WS_EX_TOPMOST);
  EXPECT_TRUE(IsWindowVisible(Form->Handle()));
  Form->SetFormStyle(fsStayOnTop);
  EXPECT_TRUE(ExStyleOf(*Form) & WS_EX_TOPMOST);
}

// Both ways of minimizing the application: the main form with its own
// taskbar button, or the application window that owns the forms.
TEST_F(ToolkitWin, ApplicationMinimizesAndRestoresTheMainFormOrItsOwnWindow) {
  for (bool onTaskBar : {true, false}) {
    SCOPED_TRACE(onTaskBar ? "main form on the taskbar" : "application window");
    Application->SetMainFormOnTaskBar(onTaskBar);
    TForm* main = nullptr;
    Application->CreateForm(main);
    ASSERT_EQ(Application->MainForm(), main);
    std::vector<std::string> events;
    Application->OnMinimize = [&](TObject*) { events.push_back("minimize"); };
    Application->OnRestore = [&](TObject*) { events.push_back("restore"); };
    main->Show();
    HWND target = onTaskBar ? main->Handle() : Application->Handle();

    main->SetWindowState(wsMaximized);
    Application->Minimize();
    Application->Minimize();  // once only
    Pump();
    EXPECT_TRUE(Application->Minimized());
    EXPECT_TRUE(IsIconic(target));
    // Hidden along with the application window, the form stays maximized.
    EXPECT_EQ(main->WindowState(), onTaskBar ? wsMinimized : wsMaximized);
    if (!onTaskBar) {
      EXPECT_FALSE(IsWindowVisible(main->Handle()));
    }
    Application->Restore();
    Application->Restore();
    Pump();
    EXPECT_EQ(main->WindowState(), wsMaximized);
    EXPECT_FALSE(Application->Minimized());
    EXPECT_FALSE(IsIconic(target));
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
    EXPECT_FALSE(IsIconic(main->Handle()));
    if (!onTaskBar) {
      EXPECT_FALSE(IsWindowVisible(Application->Handle()));
    }

    // The main form's minimize command minimizes the application.
    SendMessageW(main->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(Application->Minimized());
    SendMessageW(target, WM_SYSCOMMAND, SC_RESTORE, 0);
    EXPECT_FALSE(Application->Minimized());
    EXPECT_TRUE(IsWindowVisible(main->Handle()));
    EXPECT_EQ(events, (std::vector<std::string>{"minimize", "restore", "minimize", "restore"}));

    Application->OnMinimize = nullptr;
    Application->OnRestore = nullptr;
    delete main;
    EXPECT_EQ(Application->MainForm(), nullptr);
  }
  Application->SetMainFormOnTaskBar(false);
}

// A form built in code is not loading: an auto-sized label on it fits its
// text as the text is set, not only once the form is shown.
TEST_F(ToolkitWin, AFormBuiltInCodeSetsItsComponentsUpAsTheyAreMade) {
  TForm built(nullptr, CreateNew);
  EXPECT_FALSE(built.ComponentState().Contains(csLoading));
  auto* label = new TLabel(&built);
  label->SetParent(&built);
  label->SetCaption(L"A caption of some length");
  const int fitted = label->Width();
  EXPECT_GT(fitted, 60);

  TForm described(nullptr);
  auto* later = new TLabel(&described);
  later->SetParent(&described);
  later->SetCaption(L"A caption of some length");
  EXPECT_NE(later->Width(), fitted);
  described.AfterConstruction();
  EXPECT_EQ(later->Width(), fitted);
}

TEST_F(ToolkitWin, AScreenCentredFormIsCentredOnTheWorkAreaAndNoLargerThanIt) {
  const TRect work = CenteringMonitor().WorkareaRect();
  Form->SetPosition(poScreenCenter);
  Form->SetBounds(0, 0, 300, work.Height() + 200);
  Form->Show();
  RECT r;
  GetWindowRect(Form->Handle(), &r);
  EXPECT_EQ(r.bottom - r.top, work.Height());
  EXPECT_EQ(r.top, work.Top);
  EXPECT_EQ(r.right - r.left, 300);
  EXPECT_EQ(r.left, work.Left + (work.Width() - 300) / 2);
}

// An inner modal form opened from the outer one's loop: while it is up the
// outer form and the main window are disabled; afterwards the outer form is
// enabled, active and has its focused control back, the main window still
// disabled until the outer form closes too.
TEST_F(ToolkitWin, AModalFormOpenedFromAModalFormHandsActivationAndFocusBack) {
  // Both forms are owned by the main form, which stays disabled meanwhile.
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->Show();
  TForm outer(nullptr), inner(nullptr);
  outer.SetBounds(80, 80, 300, 200);
  inner.SetBounds(120, 120, 200, 120);
  auto* button = new TButton(&outer);
  button->SetBounds(10, 10, 100, 24);
  button->SetParent(&outer);
  outer.SetActiveControl(button);
  std::vector<std::string> seen;
  TWindowProcHook outerHook(outer, [&](TMessage& M) {
    outerHook.CallSaved(M);
    if (M.Msg != WM_USER + 1) return;
    seen.push_back(IsWindowEnabled(main->Handle()) ? "main enabled" : "main disabled");
    inner.ShowModal();
    seen.push_back(GetActiveWindow() == outer.Handle() ? "outer active" : "outer not active");
    seen.push_back(button->Focused() ? "focus back" : "focus lost");
    seen.push_back(IsWindowEnabled(main->Handle()) ? "main enabled" : "main disabled");
    outer.SetModalResult(mrOk);
  });
  TWindowProcHook innerHook(inner, [&](TMessage& M) {
    innerHook.CallSaved(M);
    if (M.Msg != WM_USER + 1) return;
    seen.push_back(IsWindowEnabled(outer.Handle()) ? "outer enabled" : "outer disabled");
    inner.SetModalResult(mrCancel);
  });
  outer.OnShow = [&](TObject*) { PostMessageW(outer.Handle(), WM_USER + 1, 0, 0); };
  inner.OnShow = [&](TObject*) { PostMessageW(inner.Handle(), WM_USER + 1, 0, 0); };
  EXPECT_EQ(outer.ShowModal(), mrOk);
  EXPECT_EQ(seen, (std::vector<std::string>{"main disabled", "outer disabled", "outer active", "focus back",
                                            "main disabled"}));
  EXPECT_TRUE(IsWindowEnabled(main->Handle()));
  EXPECT_EQ(GetActiveWindow(), main->Handle());
  delete main;
}
