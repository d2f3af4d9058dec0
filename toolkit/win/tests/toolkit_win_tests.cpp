#include "toolkit/win/tests/toolkit_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

TEST_F(ToolkitWin, WindowProcHooksChainAndRestoreInReverseOrder) {
  auto* panel = new TPanel(Form.get());
  std::vector<std::string> seen;
  bool sawCreate = false;
  // Hooked before the window exists: the hook sees the creation messages too.
  TWndMethod original = panel->WindowProc;
  panel->WindowProc = [&, original](TMessage& m) {
    if (m.Msg == WM_NCCREATE || m.Msg == WM_CREATE) sawCreate = true;
    if (m.Msg == WM_USER + 7) seen.push_back("first");
    original(m);
  };
  TWndMethod first = panel->WindowProc;
  panel->WindowProc = [&, first](TMessage& m) {
    if (m.Msg == WM_USER + 7) {
      seen.push_back("second");
      first(m);
      m.Result += 1;  // after the chain: this hook has the last word
      return;
    }
    first(m);
  };
  panel->SetParent(Form.get());
  panel->HandleNeeded();
  EXPECT_TRUE(sawCreate);

  EXPECT_EQ(panel->Perform(WM_USER + 7), 1);  // the default procedure answers 0
  EXPECT_EQ(SendMessageW(panel->Handle(), WM_USER + 7, 0, 0), 1);
  EXPECT_EQ(seen, (std::vector<std::string>{"second", "first", "second", "first"}));

  seen.clear();
  panel->WindowProc = first;
  panel->Perform(WM_USER + 7);
  panel->WindowProc = original;
  panel->Perform(WM_USER + 7);
  EXPECT_EQ(seen, (std::vector<std::string>{"first"}));
}

TEST_F(ToolkitWin, ToolkitMessagesAreSentThroughWindowProc) {
  auto* panel = new TPanel(Form.get());
  panel->SetParent(Form.get());
  std::vector<std::pair<UINT, WPARAM>> seen;
  TWndMethod old = panel->WindowProc;
  panel->WindowProc = [&, old](TMessage& m) {
    if (m.Msg >= CM_BASE && m.Msg < CM_BASE + 0x100) seen.emplace_back(m.Msg, m.WParam);
    old(m);
  };
  panel->SetVisible(false);
  panel->SetText(L"abc");
  panel->SetEnabled(false);
  panel->Font().SetHeight(-20);
  auto has = [&](UINT msg) {
    for (auto& s : seen)
      if (s.first == msg) return true;
    return false;
  };
  ASSERT_TRUE(has(CM_VISIBLECHANGED));
  EXPECT_EQ(seen.front(), std::make_pair(CM_VISIBLECHANGED, WPARAM(0)));
  EXPECT_TRUE(has(CM_TEXTCHANGED));
  EXPECT_TRUE(has(CM_ENABLEDCHANGED));
  EXPECT_TRUE(has(CM_FONTCHANGED));
  EXPECT_EQ(panel->Text(), L"abc");
  EXPECT_EQ(CM_FOCUSCHANGED, 0xB007u);

  // Mouse enter is generated on the first move over the window.
  seen.clear();
  panel->SetVisible(true);
  Form->Show();
  SendMessageW(panel->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(3, 3));
  EXPECT_TRUE(has(CM_MOUSEENTER));
}

TEST_F(ToolkitWin, AlignmentFillsTheAdjustedClientArea) {
  auto make = [&](TWinControl* parent, TAlign align, int w, int h) {
    auto* p = new TPanel(Form.get());
    p->SetBounds(0, 0, w, h);
    p->SetAlign(align);
    p->SetParent(parent);
    return p;
  };
  TPanel* bottom = make(Form.get(), alBottom, 10, 30);
  TPanel* top = make(Form.get(), alTop, 10, 20);
  TPanel* left = make(Form.get(), alLeft, 50, 10);
  TPanel* client = make(Form.get(), alClient, 1, 1);
  client->SetBevelOuter(bvLowered);
  client->SetBevelWidth(2);
  TPanel* inner = make(client, alClient, 1, 1);

  auto bounds = [](TControl* c) { return std::vector<int>{c->Left(), c->Top(), c->Width(), c->Height()}; };
  EXPECT_EQ(bounds(top), (std::vector<int>{0, 0, 300, 20}));
  EXPECT_EQ(bounds(bottom), (std::vector<int>{0, 170, 300, 30}));
  EXPECT_EQ(bounds(left), (std::vector<int>{0, 20, 50, 150}));
  EXPECT_EQ(bounds(client), (std::vector<int>{50, 20, 250, 150}));
  EXPECT_EQ(bounds(inner), (std::vector<int>{2, 2, 246, 146}));

  // The same once the windows exist, and after a resize of the form.
  Form->Show();
  EXPECT_EQ(Form->ClientWidth(), 300);
  Form->SetClientSize(400, 300);
  EXPECT_EQ(bounds(client), (std::vector<int>{50, 20, 350, 250}));
  EXPECT_EQ(bounds(inner), (std::vector<int>{2, 2, 346, 246}));
  RECT r{};
  GetClientRect(inner->Handle(), &r);
  EXPECT_EQ(r.right, 346);

  // A hidden aligned control gives its place back.
  top->SetVisible(false);
  EXPECT_EQ(left->Top(), 0);
}

TEST_F(ToolkitWin, OwnerFreesControlsAndAnEarlyFreeUnlinksFromOwnerAndParent) {
  auto* panel = new TPanel(Form.get());
  panel->SetParent(Form.get());
  auto* box = new TPaintBox(Form.get());
  box->SetParent(panel);
  Form->Show();
  HWND window = panel->Handle();
  ASSERT_TRUE(IsWindow(window));
  const int components = Form->ComponentCount();

  delete panel;  // the paint box, owned by the form, stays and loses its parent
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Form->ComponentCount(), components - 1);
  EXPECT_EQ(Form->ControlCount(), 0);
  EXPECT_EQ(box->Parent(), nullptr);

  // A window destroyed from outside leaves its object usable.
  auto* other = new TPanel(Form.get());
  other->SetParent(Form.get());
  DestroyWindow(other->Handle());
  EXPECT_FALSE(other->HandleAllocated());
  other->SetText(L"still here");
  EXPECT_EQ(other->Text(), L"still here");
}

TEST_F(ToolkitWin, GraphicChildIsPaintedByItsParentIntoAGivenDCClippedToItsBounds) {
  auto* panel = new TPanel(Form.get());
  panel->SetBounds(0, 0, 100, 80);
  panel->SetColor(clBlue);
  panel->SetParent(Form.get());
  auto* box = new TPaintBox(Form.get());
  box->SetBounds(10, 20, 30, 30);
  box->SetParent(panel);
  box->OnPaint = [box](TObject*) {
    box->Canvas().Brush().SetColor(clRed);
    box->Canvas().FillRect(TRect{-50, -50, 200, 200});  // far beyond its bounds
    box->Canvas().Pen().SetColor(clLime);
    box->Canvas().MoveTo(0, 0);
    box->Canvas().LineTo(5, 0);
  };
  TTestDib dib(100, 80);
  panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.DC()), reinterpret_cast<LPARAM>(dib.DC()));
  panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dib.DC()), 0);
  EXPECT_EQ(dib.Pixel(25, 35), ColorToRGB(clRed));
  EXPECT_EQ(dib.Pixel(12, 20), ColorToRGB(clLime));  // the box's origin is at its own corner
  EXPECT_EQ(dib.Pixel(5, 5), ColorToRGB(clBlue));
  EXPECT_EQ(dib.Pixel(45, 35), ColorToRGB(clBlue));
  EXPECT_EQ(dib.Pixel(25, 55), ColorToRGB(clBlue));
}

TEST_F(ToolkitWin, PanelClicksOnReleaseInsideAndExceptionsReachTheApplication) {
  auto* panel = new TPanel(Form.get());
  panel->SetBounds(0, 0, 50, 50);
  panel->SetParent(Form.get());
  Form->Show();
  int clicks = 0;
  panel->OnClick = [&](TObject*) { ++clicks; };
  HWND h = panel->Handle();
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_EQ(GetCapture(), h);
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(6, 6));
  EXPECT_EQ(clicks, 1);
  EXPECT_NE(GetCapture(), h);
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(80, 5));  // released outside: no click
  EXPECT_EQ(clicks, 1);
  // The second press of a double click is a click of its own.
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  SendMessageW(h, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(clicks, 3);

  std::wstring reported;
  TObject* sender = nullptr;
  Application->OnException = [&](TObject* s, const std::exception*, const std::wstring& text) {
    sender = s;
    reported = text;
  };
  panel->OnClick = [](TObject*) { throw EInvalidOperation("click failed"); };
  SendMessageW(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageW(h, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  EXPECT_EQ(reported, L"click failed");
  EXPECT_EQ(sender, panel);
}

TEST(ToolkitGeometry, Win32ConversionsKeepEveryFieldInPlace) {
  constexpr int32_t lo = std::numeric_limits<int32_t>::min(), hi = std::numeric_limits<int32_t>::max();
  const TRect r{lo, -7, hi, 11};
  const RECT w = ToRECT(r);
  EXPECT_EQ(w.left, lo);
  EXPECT_EQ(w.top, -7);
  EXPECT_EQ(w.right, hi);
  EXPECT_EQ(w.bottom, 11);
  EXPECT_EQ(ToTRect(w), r);
  const POINT p = ToPOINT(TPoint{hi, lo});
  EXPECT_EQ(p.x, hi);
  EXPECT_EQ(p.y, lo);
  EXPECT_EQ(ToTPoint(p), (TPoint{hi, lo}));
}

TEST_F(ToolkitWin, BoundsClientAndScreenPointsUseToolkitTypes) {
  auto* panel = new TPanel(Form.get());
  panel->SetBoundsRect(TRect{10, 20, 70, 60});
  panel->SetParent(Form.get());
  EXPECT_EQ(panel->BoundsRect(), (TRect{10, 20, 70, 60}));
  EXPECT_EQ(panel->ClientRect(), (TRect{0, 0, 60, 40}));
  Form->Show();
  EXPECT_EQ(panel->ClientRect(), (TRect{0, 0, 60, 40}));

  // The toolkit's screen points agree with the system's.
  POINT sys{3, 4};
  ClientToScreen(panel->Handle(), &sys);
  const TPoint screen = panel->ClientToScreen(TPoint{3, 4});
  EXPECT_EQ(screen, ToTPoint(sys));
  EXPECT_EQ(panel->ScreenToClient(screen), (TPoint{3, 4}));

  // Mouse coordinates left or above the control arrive negative.
  TPoint moved{};
  panel->OnMouseMove = [&](TObject*, TShiftState, int X, int Y) { moved = TPoint{X, Y}; };
  SendMessageW(panel->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(-5, -9));
  EXPECT_EQ(moved, (TPoint{-5, -9}));
}

TEST_F(ToolkitWin, TimerFiresWhileMessagesAreProcessed) {
  auto* timer = new TTimer(Form.get());
  timer->SetInterval(30);
  int ticks = 0;
  timer->SetOnTimer([&](TObject* s) {
    EXPECT_EQ(s, timer);
    ++ticks;
  });
  const DWORD start = GetTickCount();
  while (ticks < 2 && GetTickCount() - start < 3000) {
    Application->ProcessMessages();
    Sleep(5);
  }
  EXPECT_GE(ticks, 2);
  timer->SetEnabled(false);
  const int stopped = ticks;
  const DWORD again = GetTickCount();
  while (GetTickCount() - again < 150) Application->ProcessMessages();
  EXPECT_EQ(ticks, stopped);
}

TEST_F(ToolkitWin, ComboBoxKeepsItemsIndexAndTextAcrossItsWindow) {
  auto* combo = new TComboBox(Form.get());
  combo->Items().Add(L"小");
  combo->Items().Add(L"中");
  combo->SetItemIndex(1);
  EXPECT_EQ(combo->Text(), L"中");
  combo->SetParent(Form.get());
  Form->Show();
  ASSERT_TRUE(combo->HandleAllocated());
  EXPECT_EQ(combo->Items().Count(), 2);
  EXPECT_EQ(combo->ItemIndex(), 1);
  EXPECT_EQ(combo->Text(), L"中");
  combo->SetText(L"自定义");  // editable: any text, no item selected
  EXPECT_EQ(combo->ItemIndex(), -1);
  EXPECT_EQ(combo->Text(), L"自定义");
  combo->RecreateWnd();
  EXPECT_EQ(combo->Items().Strings(0), L"小");
  EXPECT_THROW(combo->Items().Strings(5), EListError);
}

TEST_F(ToolkitWin, ApplicationWindowHooksSeeMessagesFirst) {
  int seen = 0;
  const int id = Application->HookMainWindow([&](TMessage& m) {
    if (m.Msg != WM_USER + 9) return false;
    ++seen;
    m.Result = 5;
    return true;
  });
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 9, 0, 0), 5);
  Application->UnhookMainWindow(id);
  EXPECT_EQ(SendMessageW(Application->Handle(), WM_USER + 9, 0, 0), 0);
  EXPECT_EQ(seen, 1);
}

TEST_F(ToolkitWin, WindowProcSeesTheMessagesSentBeforeWM_NCCREATE) {
  std::vector<UINT> seen;
  TForm form(nullptr);
  TWndMethod old = form.WindowProc;
  form.WindowProc = [&seen, old](TMessage& m) {
    seen.push_back(m.Msg);
    old(m);
  };
  form.AfterConstruction();
  form.HandleNeeded();
  const auto at = [&](UINT msg) { return std::find(seen.begin(), seen.end(), msg) - seen.begin(); };
  ASSERT_LT(at(WM_NCCREATE), static_cast<ptrdiff_t>(seen.size()));
  // The system asks a top-level window for its size limits before WM_NCCREATE.
  EXPECT_LT(at(WM_GETMINMAXINFO), at(WM_NCCREATE));
  EXPECT_EQ(TWinControl::FindControl(form.Handle()), &form);
  form.WindowProc = old;
}

TEST_F(ToolkitWin, DialogKeysAndCharsReachControlsInsideContainers) {
  auto* panel = new TPanel(Form.get());
  panel->SetParent(Form.get());
  auto* inner = new TPanel(Form.get());
  inner->SetParent(panel);
  auto* button = new TButton(Form.get());
  button->SetParent(inner);
  button->SetDefault(true);
  int clicks = 0;
  button->OnClick = [&](TObject*) { ++clicks; };
  std::vector<WPARAM> chars;
  TWndMethod old = inner->WindowProc;
  inner->WindowProc = [&chars, old](TMessage& m) {
    if (m.Msg == CM_DIALOGCHAR) chars.push_back(m.WParam);
    old(m);
  };
  Form->Show();
  EXPECT_EQ(Form->Perform(CM_DIALOGKEY, VK_RETURN), 1);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(Form->Perform(CM_DIALOGKEY, VK_ESCAPE), 0);
  Form->Perform(CM_DIALOGCHAR, L'x');
  EXPECT_EQ(chars, std::vector<WPARAM>{L'x'});
  inner->WindowProc = old;
}

TEST_F(ToolkitWin, BufferedControlsEraseIntoADCHandedToThem) {
  Form->SetDoubleBuffered(true);
  auto* panel = new TPanel(Form.get());
  panel->SetBounds(0, 0, 40, 30);
  panel->SetColor(clBlue);
  panel->SetParent(Form.get());
  Form->Show();
  for (LPARAM lparam : {LPARAM(0), LPARAM(1)}) {
    TTestDib dib(40, 30);
    EXPECT_EQ(panel->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dib.DC()), lparam), 1);
    EXPECT_EQ(dib.Pixel(20, 15), ColorToRGB(clBlue)) << "lParam " << lparam;
  }
}

TEST_F(ToolkitWin, AGraphicChildTakenAwayDuringPaintingIsNotPainted) {
  auto* panel = new TPanel(Form.get());
  panel->SetBounds(0, 0, 60, 30);
  panel->SetColor(clBlue);
  panel->SetParent(Form.get());
  auto* first = new TPaintBox(Form.get());
  first->SetBounds(0, 0, 30, 30);
  first->SetParent(panel);
  auto* second = new TPaintBox(Form.get());
  second->SetBounds(30, 0, 30, 30);
  second->SetParent(panel);
  second->OnPaint = [second](TObject*) {
    second->Canvas().Brush().SetColor(clRed);
    second->Canvas().FillRect(TRect{0, 0, 30, 30});
  };
  first->OnPaint = [second](TObject*) { second->SetParent(nullptr); };
  TTestDib dib(60, 30);
  panel->PaintTo(dib.DC(), 0, 0);
  EXPECT_EQ(second->Parent(), nullptr);
  EXPECT_EQ(dib.Pixel(45, 15), ColorToRGB(clBlue));
}

TEST_F(ToolkitWin, AFontHandleSetOnAControlIsTheOneItsWindowUses) {
  auto* button = new TButton(Form.get());
  button->SetParent(Form.get());
  Form->Show();
  ASSERT_TRUE(button->HandleAllocated());
  LOGFONTW lf{};
  lf.lfHeight = -20;
  lf.lfWeight = FW_BOLD;
  lstrcpynW(lf.lfFaceName, L"Tahoma", LF_FACESIZE);
  HFONT font = CreateFontIndirectW(&lf);
  ASSERT_NE(font, nullptr);
  button->Font().SetHandle(font);
  EXPECT_EQ(button->Font().Handle(), font);
  EXPECT_EQ(button->Font().Height(), -20);
  EXPECT_EQ(button->Font().Style(), fsBold);
  // The window was told about the change and holds the adopted, live font.
  const auto used = reinterpret_cast<HFONT>(SendMessageW(button->Handle(), WM_GETFONT, 0, 0));
  EXPECT_EQ(used, font);
  EXPECT_EQ(GetObjectType(used), static_cast<DWORD>(OBJ_FONT));
}
