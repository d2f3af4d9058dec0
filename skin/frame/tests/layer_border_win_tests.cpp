// The layered border around a shown skinned form under Windows (Wine): the
// four windows' places, sizes and styles, following the form through moves
// (programmatic and a real title-bar drag), resizes, minimize, maximize,
// hiding and closing, the focus staying with the form when a border window
// is clicked, a control moved onto an opaque border, a missing image, and no
// window left behind when the form goes.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <memory>
#include <vector>

#include "skin/frame/layer_border.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/application.h"

namespace {

constexpr TvelFormLayerBorderType Sides[] = {mpflLeft, mpflTop, mpflRight, mpflBottom};

// A 400 x 300 skinned form carrying a layered border.
class TBorderedForm : public TForm {
public:
  explicit TBorderedForm(bool Transparent = true, bool OwnedBorder = true) : TForm(nullptr) {
    SetCaption(L"Bordered");
    SetBounds(300, 200, 400, 300);
    Skin = new TVelSkinForm(this);
    Skin->SetTitlerColor(GameTitler);
    Border = new TVelFormLayerBorder(OwnedBorder ? this : nullptr);
    Border->SetTransparent(Transparent);
    Skin->SetImageBorder(Border);
    AfterConstruction();
  }
  TVelSkinForm* Skin = nullptr;
  TVelFormLayerBorder* Border = nullptr;
};

RECT WindowRect(HWND Window) {
  RECT r{};
  GetWindowRect(Window, &r);
  return r;
}

HWND Side(TVelFormLayerBorder& Border, TvelFormLayerBorderType S) {
  TvelFormLayerWindow* w = Border.BorderWindow(S);
  return w ? w->Handle() : nullptr;
}

bool BorderShown(TVelFormLayerBorder& Border) {
  if (!Border.Visible() || Border.Hidden()) return false;
  for (auto s : Sides)
    if (!Side(Border, s) || !IsWindowVisible(Side(Border, s)) || Border.BorderWindow(s)->Hided()) return false;
  return true;
}

bool BorderHidden(TVelFormLayerBorder& Border) {
  for (auto s : Sides)
    if (Side(Border, s) && !Border.BorderWindow(s)->Hided()) return false;
  return true;
}

// The layer windows of this thread.
int LayerWindowCount() {
  int n = 0;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND W, LPARAM P) -> BOOL {
        wchar_t name[64];
        // The toolkit's class names carry the class style after a dot.
        if (GetClassNameW(W, name, 64) && std::wstring(name).rfind(L"QuorrelLayerWindow", 0) == 0)
          ++*reinterpret_cast<int*>(P);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&n));
  return n;
}

// Expects the four windows around a form whose window is at Form.
void ExpectAround(TVelFormLayerBorder& Border, const RECT& Form, bool Transparent) {
  const int X = Form.left, Y = Form.top, W = Form.right - Form.left, H = Form.bottom - Form.top;
  struct Case {
    TvelFormLayerBorderType S;
    RECT R;
  };
  const int sideTop = Transparent ? Y + 5 : Y - 8, sideH = Transparent ? H - 10 : H + 16;
  const Case cases[] = {
      {mpflTop, {X - 8, Y - 8, X + W + 8, Y + 5}},
      {mpflBottom, {X - 8, Y + H - 5, X + W + 8, Y + H + 8}},
      {mpflLeft, {X - 8, sideTop, X + 5, sideTop + sideH}},
      {mpflRight, {X + W - 5, sideTop, X + W + 8, sideTop + sideH}},
  };
  for (const Case& c : cases) {
    const RECT r = WindowRect(Side(Border, c.S));
    EXPECT_EQ(r.left, c.R.left) << "side " << c.S;
    EXPECT_EQ(r.top, c.R.top) << "side " << c.S;
    EXPECT_EQ(r.right, c.R.right) << "side " << c.S;
    EXPECT_EQ(r.bottom, c.R.bottom) << "side " << c.S;
  }
}

// Presses at (X, Y), moves by (DX, DY) in small steps and releases. The
// moves and the release come from a second thread: the system's move loop
// runs inside the message of the press and takes them from the input queue.
// True when Done holds after the release.
bool DragBy(int X, int Y, int DX, int DY, const std::function<bool()>& Done) {
  if (!MoveCursor(X, Y)) return false;
  std::atomic<bool> released{false};
  std::thread input([&] {
    Sleep(100);
    for (int i = 1; i <= 8; ++i) {
      SendButtonAt(X + DX * i / 8, Y + DY * i / 8, 0);
      Sleep(25);
    }
    SendButtonAt(X + DX, Y + DY, MOUSEEVENTF_LEFTUP);
    released = true;
  });
  SendButtonAt(X, Y, MOUSEEVENTF_LEFTDOWN);
  const bool done = PumpUntil([&] { return released && Done(); }, 3000);
  input.join();
  PumpFor(50);
  return done;
}

class LayerBorderWin : public ::testing::Test {
protected:
  static void ShowAndSettle(TBorderedForm& Form) {
    Form.Show();
    ASSERT_TRUE(PumpUntil([&] { return !Form.AlphaBlend() && BorderShown(*Form.Border); }));
    PumpFor(60);
  }
};

TEST_F(LayerBorderWin, FourWindowsSurroundTheShownForm) {
  TBorderedForm form;
  ShowAndSettle(form);
  const RECT f = WindowRect(form.Handle());
  ASSERT_EQ(f.right - f.left, 400);
  ASSERT_EQ(f.bottom - f.top, 300);
  ExpectAround(*form.Border, f, true);
  // The top window is 416 x 13 at (X - 8, Y - 8).
  const RECT top = WindowRect(form.Border->TopBorderHandle());
  EXPECT_EQ(top.right - top.left, 416);
  EXPECT_EQ(top.bottom - top.top, 13);

  for (auto s : Sides) {
    const HWND w = Side(*form.Border, s);
    const LONG_PTR ex = GetWindowLongPtrW(w, GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_TRANSPARENT);  // clicks go through a shadow
    EXPECT_TRUE(ex & WS_EX_TOOLWINDOW);   // no taskbar button
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_FALSE(ex & WS_EX_APPWINDOW);
    EXPECT_EQ(GetWindowLongPtrW(w, GWL_STYLE) & (WS_POPUP | WS_CAPTION | WS_THICKFRAME), WS_POPUP);
    // Right below the form in the z-order, so the part reaching under the form stays hidden.
    bool below = false;
    for (HWND h = GetWindow(form.Handle(), GW_HWNDNEXT); h && !below; h = GetWindow(h, GW_HWNDNEXT)) below = h == w;
    EXPECT_TRUE(below) << "side " << s;
  }
  EXPECT_EQ(GetForegroundWindow(), form.Handle());
}

TEST_F(LayerBorderWin, TheShadowIsOnScreenAroundTheForm) {
  TBorderedForm form;
  // The desktop where the left window will lie, before the form is there.
  const int y = 350, x0 = 300 - 8;
  PumpFor(100);  // the desktop repaints where the last test's windows were
  std::vector<uint32_t> desktop;
  for (int x = 0; x < 8; ++x) desktop.push_back(ScreenPixel(x0 + x, y));
  ShowAndSettle(form);
  const TBitmap32& left = form.Border->StripImage(mpflLeft);
  ASSERT_EQ(left.Width(), 13);
  // Each pixel outside the form is the strip's premultiplied pixel laid over
  // the desktop. (A display without composition, like Wine's under Xvfb,
  // shows the premultiplied pixel itself where the alpha is not 0.)
  int wrong = 0;
  for (int x = 0; x < 8; ++x) {
    const TColor32 p = left.Pixel(x, y - (200 + 5));
    const uint32_t a = p >> 24, d = desktop[x], got = ScreenPixel(x0 + x, y);
    bool blended = true, premultiplied = true;
    for (int shift : {16, 8, 0}) {
      const int s = (p >> shift) & 0xFF, b = (d >> shift) & 0xFF, g = (got >> shift) & 0xFF;
      const int pm = (s * a + 127) / 255;
      blended = blended && std::abs(g - (pm + b * (255 - int(a)) / 255)) <= 2;
      premultiplied = premultiplied && std::abs(g - (a ? pm : b)) <= 2;
    }
    if (!blended && !premultiplied) ++wrong;
  }
  EXPECT_EQ(wrong, 0);

}

TEST_F(LayerBorderWin, OpaqueBorderWindowsTakeNoActivationAndLetNoClickThrough) {
  TBorderedForm form(false);
  ShowAndSettle(form);
  ExpectAround(*form.Border, WindowRect(form.Handle()), false);
  for (auto s : Sides) {
    const LONG_PTR ex = GetWindowLongPtrW(Side(*form.Border, s), GWL_EXSTYLE);
    EXPECT_TRUE(ex & WS_EX_LAYERED);
    EXPECT_TRUE(ex & WS_EX_NOACTIVATE);
    EXPECT_FALSE(ex & WS_EX_TRANSPARENT);
  }
  EXPECT_EQ(form.Border->BorderEmbedOffset(), 20);
}

TEST_F(LayerBorderWin, FollowsMovesAndResizesOfTheForm) {
  TBorderedForm form;
  ShowAndSettle(form);
  form.SetBounds(150, 120, 400, 300);
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
  form.SetBounds(160, 130, 520, 260);
  PumpFor(30);
  const RECT f = WindowRect(form.Handle());
  ASSERT_EQ(f.right - f.left, 520);
  ExpectAround(*form.Border, f, true);
  EXPECT_EQ(form.Border->StripImage(mpflTop).Width(), 536);
  EXPECT_EQ(form.Border->StripImage(mpflLeft).Height(), 250);
  // A move straight through the system, as another program would do it.
  SetWindowPos(form.Handle(), nullptr, 90, 80, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
  // A change of z-order only (no position in the message) keeps the border in place.
  SetWindowPos(form.Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOACTIVATE);
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
}

TEST_F(LayerBorderWin, FollowsARealDragOfTheTitleBar) {
  TBorderedForm form;
  ShowAndSettle(form);
  const RECT f = WindowRect(form.Handle());
  ASSERT_TRUE(DragBy(f.left + 150, f.top + 12, 40, 32, [&] { return WindowRect(form.Handle()).top == f.top + 32; }));
  const RECT moved = WindowRect(form.Handle());
  EXPECT_EQ(moved.left, f.left + 40);
  ExpectAround(*form.Border, moved, true);
}

TEST_F(LayerBorderWin, HidesWhileMinimizedOrMaximizedAndComesBack) {
  TBorderedForm form;
  ShowAndSettle(form);
  const RECT f = WindowRect(form.Handle());
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsIconic(form.Handle()) && BorderHidden(*form.Border); }));
  EXPECT_TRUE(form.Border->Minimized());
  // While minimized nothing moves or shows it.
  form.Border->MoveWithForm(10, 10);
  EXPECT_TRUE(BorderHidden(*form.Border));
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsIconic(form.Handle()) && BorderShown(*form.Border); }));
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
  EXPECT_EQ(WindowRect(form.Handle()).left, f.left);

  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(PumpUntil([&] { return IsZoomed(form.Handle()) && BorderHidden(*form.Border); }));
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(PumpUntil([&] { return !IsZoomed(form.Handle()) && BorderShown(*form.Border); }));
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);

  // Minimized and restored by the system (as the taskbar does), not by a command.
  ShowWindow(form.Handle(), SW_MINIMIZE);
  ASSERT_TRUE(PumpUntil([&] { return BorderHidden(*form.Border); }));
  ShowWindow(form.Handle(), SW_RESTORE);
  ASSERT_TRUE(PumpUntil([&] { return BorderShown(*form.Border); }));
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
}

TEST_F(LayerBorderWin, HidingAndClosingTheFormHideTheBorderUntilItIsShownAgain) {
  TBorderedForm form;
  ShowAndSettle(form);
  form.Hide();
  ASSERT_TRUE(PumpUntil([&] { return BorderHidden(*form.Border); }));
  ShowAndSettle(form);

  form.Close();
  ASSERT_TRUE(PumpUntil([&] { return !IsWindowVisible(form.Handle()); }));
  EXPECT_TRUE(form.Border->FormClosed());
  EXPECT_TRUE(BorderHidden(*form.Border));
  const RECT top = WindowRect(form.Border->TopBorderHandle());
  // Closed: showing, resizing and moving do nothing.
  form.Border->Show(10, 10, 300, 400);
  form.Border->SetBounds(20, 20, 200, 200);
  form.Border->MoveWithForm(30, 30);
  EXPECT_TRUE(BorderHidden(*form.Border));
  const RECT after = WindowRect(form.Border->TopBorderHandle());
  EXPECT_EQ(after.left, top.left);
  EXPECT_EQ(after.right - after.left, top.right - top.left);

  ShowAndSettle(form);
  EXPECT_FALSE(form.Border->FormClosed());
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
}

TEST_F(LayerBorderWin, ARefusedCloseKeepsTheBorderWorking) {
  TBorderedForm form;
  form.OnClose = [](TObject*, TCloseAction& Action) { Action = caNone; };
  ShowAndSettle(form);
  form.Close();
  PumpFor(50);
  EXPECT_TRUE(IsWindowVisible(form.Handle()));
  EXPECT_FALSE(form.Border->FormClosed());
  form.SetBounds(120, 110, 400, 300);
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
}

TEST_F(LayerBorderWin, ClickingABorderWindowLeavesTheFocusWithTheForm) {
  TBorderedForm form(false);
  form.Border->SetDragEnabled(false);
  auto* edit = new TWinControl(&form);
  edit->SetParent(&form);
  edit->SetBounds(20, 40, 100, 24);
  edit->SetTabStop(true);
  ShowAndSettle(form);
  edit->SetFocus();
  ASSERT_TRUE(PumpUntil([&] { return GetFocus() == edit->Handle(); }));
  const RECT left = WindowRect(Side(*form.Border, mpflLeft));
  const int x = left.left + 3, y = (left.top + left.bottom) / 2;
  ASSERT_EQ(WindowFromPoint(POINT{x, y}), Side(*form.Border, mpflLeft));
  ASSERT_TRUE(MoveCursor(x, y));
  SendButtonAt(x, y, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(x, y, MOUSEEVENTF_LEFTUP);
  PumpFor(150);
  EXPECT_EQ(GetForegroundWindow(), form.Handle());
  EXPECT_EQ(GetActiveWindow(), form.Handle());
  EXPECT_EQ(GetFocus(), edit->Handle());
  // With dragging on, a press on the border asks the form to move (the move
  // loop itself is the system's; it is swallowed here).
  int moves = 0;
  TWindowProcHook counter(form, [&](TMessage& M) {
    if (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_MOVE) {
      ++moves;
      return;
    }
    counter.CallSaved(M);
  });
  form.Border->SetDragEnabled(true);
  form.Border->ShowWithForm(&form.Skin->NCCtrlList());
  // Away from the first press, which would make this one a double click.
  SendButtonAt(x, y + 40, MOUSEEVENTF_LEFTDOWN);
  SendButtonAt(x, y + 40, MOUSEEVENTF_LEFTUP);
  EXPECT_TRUE(PumpUntil([&] { return moves == 1; }));
  EXPECT_EQ(GetForegroundWindow(), form.Handle());
  EXPECT_EQ(GetFocus(), edit->Handle());
}

TEST_F(LayerBorderWin, AnOpaqueBorderCarriesTheControlsOfItsSide) {
  TBorderedForm form(false);
  form.Border->Size().SetTop(30);
  auto* close = new TVelSkinSystemButton(&form);
  auto* onForm = new TVelSkinSystemButton(&form);
  onForm->SetKind(bkMinimize);
  onForm->SetPutSide(skdBottom);
  int closeCommands = 0;
  TWindowProcHook counter(form, [&](TMessage& M) {
    if (M.Msg == WM_SYSCOMMAND && (M.WParam & 0xFFF0) == SC_CLOSE) {
      ++closeCommands;
      return;
    }
    counter.CallSaved(M);
  });
  ShowAndSettle(form);
  ASSERT_TRUE(PumpUntil([&] { return close->Hooked() && close->Form() != &form; }));
  TvelFormLayerWindow* top = form.Border->BorderWindow(mpflTop);
  EXPECT_EQ(close->Form(), top);
  EXPECT_EQ(close->SourceForm(), &form);
  // The button on the bottom strip sits on the bottom window; nothing stays on the form.
  EXPECT_EQ(onForm->Form(), form.Border->BorderWindow(mpflBottom));
  // It keeps its distance from the right edge of the (wider) top window.
  const RECT t = WindowRect(top->Handle());
  EXPECT_EQ(close->ClientRect().Left, (t.right - t.left) - 40);
  // A click on it closes the form it came from.
  const int x = t.left + close->ClientRect().Left + 15, y = t.top + close->ClientRect().Top + 9;
  ASSERT_EQ(WindowFromPoint(POINT{x, y}), top->Handle());
  ASSERT_TRUE(MoveCursor(x, y));
  PumpFor(50);
  SendButtonAt(x, y, MOUSEEVENTF_LEFTDOWN);
  PumpFor(50);
  SendButtonAt(x, y, MOUSEEVENTF_LEFTUP);
  ASSERT_TRUE(PumpUntil([&] { return closeCommands == 1; }));
  EXPECT_EQ(GetForegroundWindow(), form.Handle());
  // Freeing the windows gives the controls back to the form, unchanged.
  form.Border->FreeLayerWindow();
  EXPECT_EQ(close->Form(), &form);
  EXPECT_EQ(close->SourceForm(), nullptr);
  EXPECT_EQ(close->Pos().XValue(), 40);
  EXPECT_EQ(onForm->Form(), &form);
}

TEST_F(LayerBorderWin, AMissingImageShowsNothing) {
  TBorderedForm form;
  form.Border->SetImage(L"NoSuchBorderImage");
  PumpFor(100);  // the desktop repaints where the last test's windows were
  const uint32_t desktop = ScreenPixel(300 - 4, 350);
  form.Show();
  ASSERT_TRUE(PumpUntil([&] { return !form.AlphaBlend() && form.Border->BorderWindow(mpflTop); }));
  PumpFor(60);
  for (auto s : Sides) {
    EXPECT_TRUE(form.Border->StripImage(s).Empty());
    EXPECT_FALSE(IsWindowVisible(Side(*form.Border, s)));
  }
  EXPECT_EQ(ScreenPixel(300 - 4, 350), desktop);
  form.SetBounds(250, 180, 300, 200);
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  SendMessageW(form.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  PumpFor(50);
  for (auto s : Sides) EXPECT_FALSE(IsWindowVisible(Side(*form.Border, s)));
}

TEST_F(LayerBorderWin, ATinyFormGetsNoNegativeWindows) {
  TBorderedForm form;
  ShowAndSettle(form);
  form.Constraints().SetMinWidth(1);
  form.SetBounds(300, 200, 6, 4);
  PumpFor(30);
  const RECT f = WindowRect(form.Handle());
  for (auto s : Sides) {
    const RECT r = WindowRect(Side(*form.Border, s));
    EXPECT_GE(r.right, r.left);
    EXPECT_GE(r.bottom, r.top);
  }
  // No rows are left for the side windows: they show nothing.
  if (f.bottom - f.top < 10) {
    EXPECT_FALSE(IsWindowVisible(Side(*form.Border, mpflLeft)));
  }
  form.SetBounds(300, 200, 400, 300);
  ASSERT_TRUE(PumpUntil([&] { return BorderShown(*form.Border); }));
  ExpectAround(*form.Border, WindowRect(form.Handle()), true);
}

TEST_F(LayerBorderWin, NoWindowIsLeftWhenTheFormGoes) {
  const int before = LayerWindowCount();
  {
    TBorderedForm form;
    ShowAndSettle(form);
    EXPECT_EQ(LayerWindowCount(), before + 4);
  }
  EXPECT_EQ(LayerWindowCount(), before);
  // Nor when the skin form stops using its border.
  {
    TBorderedForm form;
    ShowAndSettle(form);
    form.Skin->SetImageBorder(nullptr);
    EXPECT_EQ(LayerWindowCount(), before);
    form.SetBounds(200, 200, 300, 200);
    EXPECT_EQ(LayerWindowCount(), before);
  }
  // A border that the form does not own loses its windows with the form's
  // window, and does nothing afterwards.
  std::unique_ptr<TVelFormLayerBorder> kept;
  {
    TBorderedForm form(true, false);
    kept.reset(form.Border);
    ShowAndSettle(form);
    EXPECT_EQ(LayerWindowCount(), before + 4);
    form.DestroyHandle();
    EXPECT_EQ(LayerWindowCount(), before);
  }
  EXPECT_EQ(LayerWindowCount(), before);
  EXPECT_EQ(kept->Form(), nullptr);
  kept->Show(0, 0, 100, 100);
  kept->ShowWithForm(nullptr);
  kept->SetBoundsWithForm();
  kept->MoveWithForm(5, 5);
  kept->Restoring();
  EXPECT_EQ(LayerWindowCount(), before);
}

}  // namespace
