// The skinned message box driven as a person drives it: each box is opened
// by the test and worked from a timer inside its modal loop, mostly by real
// keys and clicks through the input queue, and its windows, layout, result,
// clipboard text and pixels are read back.
#include "skin/controls/message_box.h"

#include "skin/controls/buttons.h"
#include "skin/controls/group_box.h"
#include "skin/controls/tests/controls_test_support.h"
#include "skin/frame/simple_timer.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/clipboard.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

using B = TVelMsgButton;

const std::wstring WinText = L"你用 6 种颜色完成了中画面游戏\r\n移动: 25\r\n用时: 00:01:23";
constexpr int TimedOut = 99;

TVelSkinMessageForm* InnerBox() {
  for (TVelSkinMessageForm* box : OpenSkinMessages())
    if (IsWindowEnabled(box->Handle())) return box;
  return nullptr;
}

// Shown, faded in and in the foreground: real input reaches it.
bool Ready(TVelSkinMessageForm& Box) {
  if (!IsWindowVisible(Box.Handle())) return false;
  if (Box.AlphaBlend() && Box.AlphaBlendValue() != 255) return false;
  if (GetForegroundWindow() != Box.Handle()) {
    SetForegroundWindow(Box.Handle());
    return false;
  }
  return true;
}

// Steps run one after another from a timer inside the modal loops, each once
// the innermost open box is ready; a step returns false to be tried again
// at the next tick. A step that opens another box counts as done before it
// opens it, so that the steps after it drive that box; one made with Closes
// holds the next step back until its box is gone. Boxes still open after
// TimeoutMs end with TimedOut, so that a test fails instead of hanging.
class TBoxScript {
public:
  using TStep = std::function<bool(TVelSkinMessageForm& Box)>;
  static TStep Closes(TStep Step) {
    return [Step](TVelSkinMessageForm& Box) {
      if (!Step(Box)) return false;
      Closing = Box.Handle();
      return true;
    };
  }
  explicit TBoxScript(std::vector<TStep> Steps, DWORD TimeoutMs = 8000)
      : FSteps(std::move(Steps)), FStart(GetTickCount()), FTimeout(TimeoutMs),
        FTimer(15, [this](TObject*) { Tick(); }) {
    FTimer.SetEnabled(true);
  }
  bool Finished() const { return FNext == FSteps.size(); }

private:
  void Tick() {
    if (GetTickCount() - FStart > FTimeout) {
      for (TVelSkinMessageForm* box : OpenSkinMessages()) box->SetModalResult(TimedOut);
      return;
    }
    if (Finished()) return;
    // Input sent by a step arrives later: the next step waits for the box it closes to go.
    if (Closing && IsWindow(Closing) && IsWindowVisible(Closing)) return;
    Closing = nullptr;
    TVelSkinMessageForm* box = InnerBox();
    if (!box || !Ready(*box)) return;
    // A step that lets messages run (a cursor move waits) is not entered
    // again for its own box.
    const HWND handle = box->Handle();
    if (std::find(FBusy.begin(), FBusy.end(), handle) != FBusy.end()) return;
    FBusy.push_back(handle);
    TScopeExit done([this] { FBusy.pop_back(); });
    const size_t step = FNext++;
    if (!FSteps[step](*box)) FNext = step;
  }
  static inline HWND Closing = nullptr;
  std::vector<TStep> FSteps;
  std::vector<HWND> FBusy;
  size_t FNext = 0;
  DWORD FStart;
  DWORD FTimeout;
  TSimpleTimer FTimer;
};

TBoxScript::TStep Close(TBoxScript::TStep Step) { return TBoxScript::Closes(std::move(Step)); }

TBoxScript::TStep Press(WORD Key) {
  return [Key](TVelSkinMessageForm&) {
    TapKey(Key);
    return true;
  };
}

TBoxScript::TStep PressWith(WORD Modifier, WORD Key) {
  return [Modifier, Key](TVelSkinMessageForm&) {
    SendKey(Modifier, false);
    TapKey(Key);
    SendKey(Modifier, true);
    return true;
  };
}

std::vector<TVelSkinButton*> ButtonsOf(TVelSkinMessageForm& Box) {
  std::vector<TVelSkinButton*> buttons;
  for (int i = 0; i < Box.FBottomPanel->ControlCount(); ++i)
    if (auto* b = dynamic_cast<TVelSkinButton*>(Box.FBottomPanel->Controls(i))) buttons.push_back(b);
  std::sort(buttons.begin(), buttons.end(), [](auto* A, auto* C) { return A->Left() < C->Left(); });
  return buttons;
}

TVelSkinPanel* IconOf(TVelSkinMessageForm& Box) {
  for (int i = 0; i < Box.ControlCount(); ++i)
    if (auto* p = dynamic_cast<TVelSkinPanel*>(Box.Controls(i)); p && p != Box.FBottomPanel) return p;
  return nullptr;
}

TVelSkinCheckBox* CheckOf(TVelSkinMessageForm& Box) {
  for (int i = 0; i < Box.FBottomPanel->ControlCount(); ++i)
    if (auto* c = dynamic_cast<TVelSkinCheckBox*>(Box.FBottomPanel->Controls(i))) return c;
  return nullptr;
}

TRect WindowRectOf(TWinControl& Control) {
  RECT r;
  GetWindowRect(Control.Handle(), &r);
  return ToTRect(r);
}

// Moves the mouse to a screen point and clicks once the control under it
// reports it (Hover true).
TBoxScript::TStep ClickAt(std::function<POINT(TVelSkinMessageForm&)> Where,
                          std::function<bool(TVelSkinMessageForm&)> Hover) {
  auto moved = std::make_shared<bool>(false);
  return [=](TVelSkinMessageForm& Box) {
    const POINT p = Where(Box);
    if (!*moved) *moved = MoveCursor(p.x, p.y);
    if (!*moved || !Hover(Box)) return false;
    SendButtonAt(p.x, p.y, MOUSEEVENTF_LEFTDOWN);
    SendButtonAt(p.x, p.y, MOUSEEVENTF_LEFTUP);
    return true;
  };
}

POINT CloseButtonCentre(TVelSkinMessageForm& Box) {
  const TRect r = Box.FCloseNCButton->ClientRect();
  const TRect w = WindowRectOf(Box);
  return POINT{w.Left + (r.Left + r.Right) / 2, w.Top + (r.Top + r.Bottom) / 2};
}

// The whole window as it is on screen, as a 32-bit BMP.
void SaveShot(HWND Window, const char* Path) {
  RECT r;
  GetWindowRect(Window, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  std::vector<uint32_t> pixels(static_cast<size_t>(w) * h);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  BITMAPINFO bi{};
  bi.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  GetDIBits(memory, bitmap, 0, h, pixels.data(), &bi, DIB_RGB_COLORS);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  for (uint32_t& p : pixels) p |= 0xFF000000u;
  FILE* f = std::fopen(Path, "wb");
  if (!f) return;
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size() * 4);
  std::fwrite(&fh, sizeof fh, 1, f);
  std::fwrite(&bi.bmiHeader, sizeof bi.bmiHeader, 1, f);
  std::fwrite(pixels.data(), 4, pixels.size(), f);
  std::fclose(f);
}

class MessageBoxWin : public ::testing::Test {
protected:
  void SetUp() override {
    MoveCursor(5, 5);
    FSkinnedControls = TVelWinControlHelper::Instance().Count();
    FSkinnedForms = TVelFormSkinHelper::Instance().Count();
  }
  void TearDown() override {
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendButton(MOUSEEVENTF_LEFTUP);
    MoveCursor(5, 5);
    PumpFor(20);
    // Every box is gone with all its parts, whichever way it was closed.
    EXPECT_TRUE(OpenSkinMessages().empty());
    EXPECT_EQ(TVelWinControlHelper::Instance().Count(), FSkinnedControls);
    EXPECT_EQ(TVelFormSkinHelper::Instance().Count(), FSkinnedForms);
  }

private:
  int FSkinnedControls = 0;
  int FSkinnedForms = 0;
};

}  // namespace

TEST_F(MessageBoxWin, TheWinMessageIsLaidOutAroundItsTextAndEnterClosesItWithOK) {
  TBoxScript script({[](TVelSkinMessageForm& Box) {
                       EXPECT_EQ(Box.FCaption->Caption(), L"提 示");
                       wchar_t title[16] = {};
                       GetWindowTextW(Box.Handle(), title, 16);
                       EXPECT_STREQ(title, L"提 示");
                       TVelSkinLabel* msg = Box.FMsg;
                       EXPECT_EQ(msg->Caption(), WinText);
                       // Three lines start level with the icon, right of it.
                       EXPECT_EQ(msg->Left(), 65);
                       EXPECT_EQ(msg->Top(), 15);
                       EXPECT_GE(msg->Height(), 3 * 12);
                       TVelSkinPanel* icon = IconOf(Box);
                       EXPECT_TRUE(icon && icon->BackgroundImage() == L"VelSkinMsgIcon_OK");
                       if (icon) {
                         EXPECT_EQ(icon->BoundsRect(), (TRect{10, 15, 50, 55}));
                       }
                       EXPECT_EQ(Box.ClientHeight(), 60 + 27 + msg->Height());
                       EXPECT_EQ(Box.ClientWidth(), 60 + std::max(msg->Left() + msg->Width(), 70));
                       // One OK button, centred in the 35-pixel strip at the bottom.
                       EXPECT_EQ(Box.FBottomPanel->BoundsRect(),
                                 (TRect{0, Box.ClientHeight() - 35, Box.ClientWidth(), Box.ClientHeight()}));
                       const std::vector<TVelSkinButton*> buttons = ButtonsOf(Box);
                       EXPECT_EQ(buttons.size(), 1u);
                       if (buttons.size() == 1) {
                         EXPECT_EQ(buttons[0]->Caption(), L"确定");
                         EXPECT_TRUE(buttons[0]->Default());
                         EXPECT_TRUE(buttons[0]->Cancel());
                         EXPECT_EQ(buttons[0]->ModalResult(), mrOk);
                         const int left = (Box.ClientWidth() - 70) / 2;
                         EXPECT_EQ(buttons[0]->BoundsRect(), (TRect{left, 5, left + 70, 32}));
                         EXPECT_TRUE(buttons[0]->Focused());
                       }
                       // A skinned frame (2-pixel border, 27-pixel title) on a
                       // topmost window centred on the work area.
                       const TRect window = WindowRectOf(Box);
                       EXPECT_EQ(Box.ClientOrigin().X - window.Left, 2);
                       EXPECT_EQ(Box.ClientOrigin().Y - window.Top, 27);
                       EXPECT_TRUE(GetWindowLongPtrW(Box.Handle(), GWL_EXSTYLE) & WS_EX_TOPMOST);
                       const TRect work = CenteringMonitor().WorkareaRect();
                       EXPECT_LE(std::abs((window.Left + window.Right) - (work.Left + work.Right)), 1);
                       EXPECT_LE(std::abs((window.Top + window.Bottom) - (work.Top + work.Bottom)), 1);
                       EXPECT_EQ(GetWindow(Box.Handle(), GW_OWNER), Application->Handle());
                       return true;
                     },
                     Close(Press(VK_RETURN))});
  EXPECT_EQ(ShowSkinMessage(L"提 示", WinText, 3, {}), mrOk);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, OneLineStands25FromTheTopAndKindsAboveFourShowNoIcon) {
  TBoxScript script({[](TVelSkinMessageForm& Box) {
                       EXPECT_EQ(IconOf(Box), nullptr);
                       EXPECT_EQ(Box.FMsg->BoundsRect().Left, 10);
                       EXPECT_EQ(Box.FMsg->Top(), 25);
                       return true;
                     },
                     Close(Press(VK_ESCAPE)),
                     [](TVelSkinMessageForm& Box) {
                       EXPECT_NE(IconOf(Box), nullptr);
                       EXPECT_EQ(Box.FMsg->Left(), 65);
                       EXPECT_EQ(Box.FMsg->Top(), 25);
                       return true;
                     },
                     Close(Press(VK_ESCAPE))});
  // Esc presses the lone OK button, which is also the cancel button.
  EXPECT_EQ(ShowSkinMessage(L"Plain", L"One line", 7, {}), mrOk);
  EXPECT_EQ(ShowSkinMessage(L"Info", L"One line", 1, {}), mrOk);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, YesNoHasYesAsDefaultAndNoAsCancelAndSpacePressesTheFocusedButton) {
  TBoxScript script({[](TVelSkinMessageForm& Box) {
                       const std::vector<TVelSkinButton*> buttons = ButtonsOf(Box);
                       EXPECT_EQ(buttons.size(), 2u);
                       if (buttons.size() != 2) return true;
                       EXPECT_EQ(buttons[0]->Caption(), L"是");
                       EXPECT_EQ(buttons[1]->Caption(), L"否");
                       EXPECT_TRUE(buttons[0]->Default() && !buttons[0]->Cancel());
                       EXPECT_TRUE(buttons[1]->Cancel() && !buttons[1]->Default());
                       EXPECT_EQ(buttons[1]->Left() - buttons[0]->BoundsRect().Right, 10);
                       return true;
                     },
                     Close(Press(VK_ESCAPE)), Close(Press(VK_RETURN)), Close(Press(VK_SPACE)), Press(VK_TAB),
                     [](TVelSkinMessageForm& Box) { return ButtonsOf(Box)[1]->Focused(); }, Close(Press(VK_SPACE))});
  EXPECT_EQ(ShowSkinMessage(L"Q", L"Yes or no?", 4, {B::Yes, B::No}), mrNo);
  EXPECT_EQ(ShowSkinMessage(L"Q", L"Yes or no?", 4, {B::Yes, B::No}), mrYes);
  EXPECT_EQ(ShowSkinMessage(L"Q", L"Yes or no?", 4, {B::Yes, B::No}), mrYes);
  EXPECT_EQ(ShowSkinMessage(L"Q", L"Yes or no?", 4, {B::Yes, B::No}), mrNo);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, AbortRetryIgnoreHasRetryAsDefaultAndEscDoesNothing) {
  auto escAt = std::make_shared<DWORD>(0);
  TBoxScript script({[](TVelSkinMessageForm& Box) {
                       const std::vector<TVelSkinButton*> buttons = ButtonsOf(Box);
                       EXPECT_EQ(buttons.size(), 3u);
                       for (TVelSkinButton* b : buttons) {
                         EXPECT_EQ(b->Default(), b->Caption() == L"重试") << b->Caption().size();
                         EXPECT_FALSE(b->Cancel());
                       }
                       return true;
                     },
                     [escAt](TVelSkinMessageForm&) {
                       TapKey(VK_ESCAPE);
                       *escAt = GetTickCount();
                       return true;
                     },
                     [escAt](TVelSkinMessageForm& Box) {
                       // Still open a while after Esc.
                       if (GetTickCount() - *escAt < 150) return false;
                       EXPECT_EQ(Box.ModalResult(), mrNone);
                       return true;
                     },
                     Close(Press(VK_RETURN))});
  EXPECT_EQ(ShowSkinMessage(L"Disk", L"Not ready", 2, {B::Abort, B::Retry, B::Ignore}), mrRetry);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, TheTitleBarCloseButtonAltF4AndTheCloseCommandGiveCancel) {
  TBoxScript script({Close(ClickAt(CloseButtonCentre,
                                   [](TVelSkinMessageForm& Box) { return Box.FCloseNCButton->CursorEnter(); })),
                     Close(PressWith(VK_MENU, VK_F4)),
                     [](TVelSkinMessageForm& Box) {
                       SendMessageW(Box.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
                       return true;
                     }});
  EXPECT_EQ(ShowSkinMessage(L"Q", L"Yes or no?", 4, {B::Yes, B::No}), mrCancel);
  EXPECT_EQ(ShowSkinMessage(L"OK", L"Done", 3, {}), mrCancel);
  EXPECT_EQ(ShowSkinMessage(L"Disk", L"Not ready", 2, {B::Abort, B::Retry, B::Ignore}), mrCancel);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, CtrlCCopiesTheTitleAndTheTextEachEndedByALineBreak) {
  auto copied = [](const std::wstring& Expected) {
    return [Expected](TVelSkinMessageForm&) { return Clipboard().AsText() == Expected; };
  };
  TBoxScript script({PressWith(VK_CONTROL, 'C'), copied(L"提 示\r\n" + WinText + L"\r\n"), Close(Press(VK_RETURN)),
                     // No default button: the form itself has the focus and sees the key.
                     // An ampersand shows as itself and is copied once.
                     [](TVelSkinMessageForm& Box) {
                       EXPECT_EQ(Box.ActiveControl(), nullptr);
                       EXPECT_EQ(Box.FMsg->Caption(), L"Tom && Jerry");
                       return true;
                     },
                     PressWith(VK_CONTROL, 'C'), copied(L"\r\nTom & Jerry\r\n"),
                     Close([](TVelSkinMessageForm& Box) {
                       Box.Close();
                       return true;
                     })});
  Clipboard().SetAsText(L"before");
  EXPECT_EQ(ShowSkinMessage(L"提 示", WinText, 3, {}), mrOk);
  EXPECT_EQ(ShowSkinMessage(L"", L"Tom & Jerry", 0, {B::Abort, B::Ignore}), mrCancel);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, TheCheckBoxStartsAsGivenAndItsStateComesBack) {
  TBoxScript script(
      {[](TVelSkinMessageForm& Box) {
         TVelSkinCheckBox* check = CheckOf(Box);
         EXPECT_NE(check, nullptr);
         if (!check) return true;
         EXPECT_TRUE(check->Checked());
         EXPECT_EQ(check->Caption(), L"下次不再显示");
         EXPECT_EQ(check->Left(), 5);
         EXPECT_EQ(check->Top(), (35 - check->Height()) / 2);
         // The buttons keep right, 8 from the edge, clear of the check box.
         const std::vector<TVelSkinButton*> buttons = ButtonsOf(Box);
         EXPECT_EQ(buttons.back()->BoundsRect().Right, Box.ClientWidth() - 8);
         EXPECT_EQ(buttons.front()->Left() - check->BoundsRect().Right, 40 - 8 - 5);
         // Placed where asked.
         EXPECT_EQ(WindowRectOf(Box).Left, 100);
         EXPECT_EQ(WindowRectOf(Box).Top, 120);
         return true;
       },
       ClickAt(
           [](TVelSkinMessageForm& Box) {
             TVelSkinCheckBox* check = CheckOf(Box);
             const TPoint p = check->ClientToScreen(TPoint{8, check->Height() / 2});
             return POINT{p.X, p.Y};
           },
           [](TVelSkinMessageForm&) { return true; }),
       [](TVelSkinMessageForm& Box) { return !CheckOf(Box)->Checked(); }, Close(Press(VK_RETURN))});
  bool checked = true;
  EXPECT_EQ(ShowSkinMessageEx(L"Tip", L"Some advice", 1, {B::OK, B::Cancel}, true, checked, 100, 120), mrOk);
  EXPECT_FALSE(checked);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, ABoxOpenedFromInsideABoxReturnsToItAndEnablesTheRightWindows) {
  TForm main(nullptr);
  main.SetBounds(60, 60, 300, 200);
  main.AfterConstruction();
  main.Show();
  SetForegroundWindow(main.Handle());
  PumpFor(30);
  int inner = -1;
  TBoxScript script({[&](TVelSkinMessageForm& Outer) {
                       EXPECT_FALSE(IsWindowEnabled(main.Handle()));
                       inner = ShowSkinMessage(L"Inner", L"Second box", 4, {B::OK, B::Cancel});
                       // Back in the outer box: it is enabled and active again, the main window not.
                       EXPECT_TRUE(IsWindowEnabled(Outer.Handle()));
                       EXPECT_EQ(GetActiveWindow(), Outer.Handle());
                       EXPECT_FALSE(IsWindowEnabled(main.Handle()));
                       return true;
                     },
                     [](TVelSkinMessageForm& Inner) {
                       EXPECT_EQ(Inner.FCaption->Caption(), L"Inner");
                       const std::vector<TVelSkinMessageForm*> boxes = OpenSkinMessages();
                       EXPECT_EQ(boxes.size(), 2u);
                       for (TVelSkinMessageForm* box : boxes)
                         EXPECT_EQ(IsWindowEnabled(box->Handle()) != 0, box == &Inner);
                       return true;
                     },
                     Close(Press(VK_ESCAPE)),
                     [](TVelSkinMessageForm& Outer) {
                       // The outer box's default button has the focus back.
                       EXPECT_EQ(Outer.FCaption->Caption(), L"Outer");
                       return ButtonsOf(Outer)[0]->Focused();
                     },
                     Close(Press(VK_SPACE))});
  EXPECT_EQ(ShowSkinMessage(L"Outer", L"First box", 4, {B::Yes, B::No}), mrYes);
  EXPECT_EQ(inner, mrCancel);
  EXPECT_TRUE(script.Finished());
  EXPECT_TRUE(IsWindowEnabled(main.Handle()));
  EXPECT_TRUE(PumpUntil([&] { return GetActiveWindow() == main.Handle(); }, 500));
}

TEST_F(MessageBoxWin, AHugeTextIsWrappedAndCutInsideTheWorkArea) {
  std::wstring solid(100000, L'x');
  std::wstring words = solid;
  for (size_t i = 7; i < words.size(); i += 8) words[i] = L' ';
  std::wstring lines;
  for (int i = 0; i < 5000; ++i) lines += L"line " + std::to_wstring(i) + L"\r\n";
  auto inside = [](const std::wstring* Text) {
    return [Text](TVelSkinMessageForm& Box) {
      const TRect work = CenteringMonitor().WorkareaRect();
      const TRect window = WindowRectOf(Box);
      EXPECT_GE(window.Left, work.Left);
      EXPECT_GE(window.Top, work.Top);
      EXPECT_LE(window.Right, work.Right);
      EXPECT_LE(window.Bottom, work.Bottom);
      const std::wstring shown = Box.FMsg->Caption();
      EXPECT_LT(shown.size(), Text->size());
      EXPECT_EQ(shown.back(), L'\u2026');
      // The buttons stay in sight under the text.
      EXPECT_EQ(ButtonsOf(Box).size(), 1u);
      EXPECT_LE(Box.FMsg->BoundsRect().Bottom, Box.FBottomPanel->Top());
      EXPECT_EQ(Box.MessageText(), *Text);
      return true;
    };
  };
  TBoxScript script({inside(&solid), Close(Press(VK_RETURN)), inside(&words), Close(Press(VK_RETURN)), inside(&lines),
                     PressWith(VK_CONTROL, 'C'),
                     [&lines](TVelSkinMessageForm&) { return Clipboard().AsText() == L"Long\r\n" + lines + L"\r\n"; },
                     Close(Press(VK_RETURN))},
                    20000);
  EXPECT_EQ(ShowSkinMessage(L"Long", solid, 2, {}), mrOk);
  EXPECT_EQ(ShowSkinMessage(L"Long", words, 0, {}), mrOk);
  EXPECT_EQ(ShowSkinMessage(L"Long", lines, 1, {}), mrOk);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, TheBoxShowsTheSkinnedTitleTheSuccessIconAndItsButton) {
  TBoxScript script({[](TVelSkinMessageForm& Box) {
                       RedrawWindow(Box.Handle(), nullptr, nullptr,
                                    RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
                       PumpFor(60);
                       if (const char* path = std::getenv("QUORREL_MSGBOX_SHOT")) SaveShot(Box.Handle(), path);
                       const TRect window = WindowRectOf(Box);
                       // The title bar in the colour the main window published.
                       const uint32_t title = ScreenPixel(window.Left + 8, window.Top + 4);
                       const uint32_t want = Rgb(FormSkinRes().TitlerColor());
                       for (int shift : {0, 8, 16})
                         EXPECT_NEAR(int((title >> shift) & 0xFF), int((want >> shift) & 0xFF), 48) << shift;
                       // The green disc of the success icon, left of its tick.
                       const TPoint disc = Box.ClientToScreen(TPoint{10 + 8, 15 + 20});
                       const uint32_t green = ScreenPixel(disc.X, disc.Y);
                       EXPECT_GT(int((green >> 8) & 0xFF), int((green >> 16) & 0xFF) + 40);
                       EXPECT_GT(int((green >> 8) & 0xFF), int(green & 0xFF) + 40);
                       return true;
                     },
                     Close(Press(VK_RETURN))});
  EXPECT_EQ(ShowSkinMessage(L"提 示", WinText, 3, {}), mrOk);
  EXPECT_TRUE(script.Finished());
}

TEST_F(MessageBoxWin, TheBoxTakesTheLookTheMainWindowPublishedAndPublishesNoneOfItsOwn) {
  TVelFormSkinRes& shared = FormSkinRes();
  const TColor oldTitler = shared.TitlerColor(), oldColor = shared.Color();
  TScopeExit restore([&] {
    shared.SetTitlerColor(oldTitler);
    shared.SetColor(oldColor);
  });
  TSkinnedForm main(true);
  main.Show();
  // A full refresh publishes the main window's look.
  main.Skin->Repaint();
  ASSERT_EQ(FormSkinRes().TitlerColor(), GameTitler);
  TColor seen = 0;
  TBoxScript first({[&seen](TVelSkinMessageForm& Box) {
                      seen = Box.FVelSkinForm->TitlerColor();
                      EXPECT_EQ(Box.FVelSkinForm->Tag(), 99999);
                      EXPECT_FALSE(Box.FVelSkinForm->RoundWindow());
                      return true;
                    },
                    Close(Press(VK_RETURN))});
  EXPECT_EQ(ShowSkinMessage(L"提 示", WinText, 3, {}), mrOk);
  EXPECT_EQ(seen, GameTitler);

  // Settings of the box's own replace the published ones, and go no further.
  constexpr TColor green = 0x00A000;
  SkinMessageSettings().FormSkinRes = std::make_unique<TVelFormSkinRes>();
  SkinMessageSettings().FormSkinRes->SetTitlerColor(green);
  // Every frame setting comes from them, the gradient too: off, the title is the plain colour.
  SkinMessageSettings().FormSkinRes->SetActiveGradient(false);
  TScopeExit reset([] { SkinMessageSettings().FormSkinRes.reset(); });
  TBoxScript second({[](TVelSkinMessageForm& Box) {
                       RedrawWindow(Box.Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_UPDATENOW);
                       PumpFor(60);
                       const TRect window = WindowRectOf(Box);
                       EXPECT_EQ(ScreenPixel(window.Left + 8, window.Top + 4), Rgb(green));
                       return true;
                     },
                     Close(Press(VK_RETURN))});
  EXPECT_EQ(ShowSkinMessage(L"提 示", WinText, 3, {}), mrOk);
  EXPECT_EQ(FormSkinRes().TitlerColor(), GameTitler);
}
