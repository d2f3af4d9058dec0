// Painting and window classes: class styles per control, double buffering,
// opaque graphic children, painting what lies behind a control into a
// buffer, and the live counts that show nothing is left behind.
#include "toolkit/win/tests/toolkit_test_support.h"

#include <stdexcept>
#include <vector>

namespace {

// A graphic control that paints through a function, with a chosen style.
class TProbeGraphic : public TGraphicControl {
public:
  TProbeGraphic(TComponent* AOwner, uint32_t ExtraStyle) : TGraphicControl(AOwner) { FControlStyle |= ExtraStyle; }
  std::function<void(TProbeGraphic&)> OnPaintProbe;

protected:
  void Paint() override {
    if (OnPaintProbe) OnPaintProbe(*this);
  }
};

// A windowed control that records the window of each DC its painting went
// to (none for a memory DC).
class TProbeCustom : public TCustomControl {
public:
  TProbeCustom(TComponent* AOwner, uint32_t ExtraStyle) : TCustomControl(AOwner) { FControlStyle |= ExtraStyle; }
  std::vector<HWND> PaintedWindows;

protected:
  void Paint() override { PaintedWindows.push_back(WindowFromDC(Canvas().Handle())); }
};

UINT ClassStyleOf(TWinControl* Control) {
  return static_cast<UINT>(GetClassLongPtrW(Control->Handle(), GCL_STYLE));
}

}  // namespace

TEST_F(ToolkitWin, EachControlStyleGetsAWindowClassOfItsOwn) {
  auto* withDouble = new TPanel(Form.get());
  withDouble->SetParent(Form.get());
  auto* without = new TPanel(Form.get());
  without->SetControlStyle(without->ControlStyle() & ~csDoubleClicks);
  without->SetParent(Form.get());
  Form->Show();
  // Made second, the panel without double clicks must not inherit the first one's class.
  EXPECT_NE(ClassStyleOf(withDouble) & CS_DBLCLKS, 0u);
  EXPECT_EQ(ClassStyleOf(without) & CS_DBLCLKS, 0u);
  EXPECT_EQ(ClassStyleOf(without) & (CS_HREDRAW | CS_VREDRAW), UINT(CS_HREDRAW | CS_VREDRAW));
  // Native controls keep their class but follow csDoubleClicks too.
  auto* button = new TButton(Form.get());
  button->SetParent(Form.get());
  EXPECT_NE(ClassStyleOf(button) & CS_DBLCLKS, 0u);
}

TEST_F(ToolkitWin, DoubleBufferingAppliesToTheControlAloneAndPaintsOnce) {
  Form->SetDoubleBuffered(true);
  int paints = 0, paintMessages = 0;
  HWND paintedInto = nullptr;
  Form->OnPaint = [&](TObject*) {
    ++paints;
    paintedInto = WindowFromDC(Form->Canvas().Handle());
  };
  TWindowProcHook count(*Form, [&](TMessage& m) {
    if (m.Msg == WM_PAINT) ++paintMessages;
    count.CallSaved(m);
  });
  auto* child = new TProbeCustom(Form.get(), 0);
  child->SetBounds(0, 0, 40, 40);
  child->SetParent(Form.get());
  auto* ownBuffer = new TProbeCustom(Form.get(), csOwnBuffer);
  ownBuffer->SetBounds(50, 0, 40, 40);
  ownBuffer->SetDoubleBuffered(true);
  ownBuffer->SetParent(Form.get());
  Form->Show();
  UpdateWindow(Form->Handle());
  paints = paintMessages = 0;
  child->PaintedWindows.clear();
  ownBuffer->PaintedWindows.clear();

  InvalidateRect(Form->Handle(), nullptr, TRUE);
  UpdateWindow(Form->Handle());
  EXPECT_EQ(paintMessages, 1);  // not sent again with the buffer's DC
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(paintedInto, nullptr);  // a memory DC: buffered

  // The children are not buffered: they paint straight into their windows.
  InvalidateRect(child->Handle(), nullptr, TRUE);
  InvalidateRect(ownBuffer->Handle(), nullptr, TRUE);
  UpdateWindow(child->Handle());
  UpdateWindow(ownBuffer->Handle());
  EXPECT_EQ(child->PaintedWindows, std::vector<HWND>{child->Handle()});
  EXPECT_EQ(ownBuffer->PaintedWindows, std::vector<HWND>{ownBuffer->Handle()});
  EXPECT_FALSE(child->DoubleBuffered());
}

TEST_F(ToolkitWin, ParentPaintsNothingBeneathAnOpaqueGraphicChild) {
  auto* panel = new TPanel(Form.get());
  panel->SetBounds(0, 0, 60, 30);
  panel->SetColor(clBlue);
  panel->SetParent(Form.get());
  // Both paint nothing themselves: what shows is what the panel painted there.
  auto* opaque = new TProbeGraphic(Form.get(), csOpaque);
  opaque->SetBounds(0, 0, 30, 30);
  opaque->SetParent(panel);
  auto* clear = new TProbeGraphic(Form.get(), 0);
  clear->SetBounds(30, 0, 30, 30);
  clear->SetParent(panel);
  TTestDib dib(60, 30);
  panel->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dib.DC()), 0);
  EXPECT_EQ(dib.Pixel(15, 15), 0u);  // untouched
  EXPECT_EQ(dib.Pixel(45, 15), ColorToRGB(clBlue));

  // A transparent label is not opaque; a plain one is.
  auto* label = new TLabel(Form.get());
  EXPECT_NE(label->ControlStyle() & csOpaque, 0u);
  label->SetTransparent(true);
  EXPECT_EQ(label->ControlStyle() & csOpaque, 0u);
}

TEST_F(ToolkitWin, BackgroundOfAControlIsItsParentAndTheGraphicSiblingsBelowIt) {
  auto* panel = new TPanel(Form.get());
  panel->SetBounds(0, 0, 100, 60);
  panel->SetColor(clBlue);
  panel->SetParent(Form.get());
  std::vector<bool> marks;
  auto* below = new TProbeGraphic(Form.get(), 0);
  below->SetBounds(0, 0, 30, 60);  // overlaps the target's left 10 pixels
  below->SetParent(panel);
  below->OnPaintProbe = [&](TProbeGraphic& g) {
    marks = {panel->HasControlState(csPaintCopy), g.HasControlState(csPaintCopy)};
    g.Canvas().Brush().SetColor(clRed);
    g.Canvas().FillRect(TRect{0, 0, 30, 60});
  };
  auto* outside = new TProbeGraphic(Form.get(), 0);
  outside->SetBounds(90, 0, 10, 60);  // does not overlap: never asked to paint
  outside->SetParent(panel);
  outside->OnPaintProbe = [](TProbeGraphic&) { ADD_FAILURE() << "a sibling outside the control was painted"; };
  auto* target = new TPanel(Form.get());
  target->SetBounds(20, 10, 40, 30);
  target->SetParent(panel);
  auto* above = new TProbeGraphic(Form.get(), 0);
  above->SetBounds(40, 10, 20, 30);  // above the target in z-order: not its background
  above->SetParent(panel);
  above->OnPaintProbe = [](TProbeGraphic& g) {
    g.Canvas().Brush().SetColor(clLime);
    g.Canvas().FillRect(TRect{0, 0, 20, 30});
  };

  TTestDib dib(40, 30);
  PaintControlBackground(*target, dib.DC());
  EXPECT_EQ(dib.Pixel(5, 5), ColorToRGB(clRed));    // (25, 15) in the panel: the sibling below
  EXPECT_EQ(dib.Pixel(15, 5), ColorToRGB(clBlue));  // the panel itself
  EXPECT_EQ(dib.Pixel(30, 20), ColorToRGB(clBlue)); // under the sibling above: not painted
  EXPECT_EQ(marks, (std::vector<bool>{true, true}));
  EXPECT_FALSE(panel->HasControlState(csPaintCopy));
  EXPECT_FALSE(below->HasControlState(csPaintCopy));

  // The marks go also when painting fails.
  below->OnPaintProbe = [](TProbeGraphic&) { throw std::runtime_error("paint failed"); };
  EXPECT_THROW(PaintControlBackground(*target, dib.DC()), std::runtime_error);
  EXPECT_FALSE(panel->HasControlState(csPaintCopy));
  EXPECT_FALSE(below->HasControlState(csPaintCopy));

  // Without a parent nothing is painted.
  TPanel loose(nullptr);
  TTestDib empty(10, 10);
  PaintControlBackground(loose, empty.DC());
  EXPECT_EQ(empty.Pixel(5, 5), 0u);
}

TEST_F(ToolkitWin, SendToBackAndBringToFrontReorderSiblingsAndWindows) {
  auto* a = new TPanel(Form.get());
  a->SetParent(Form.get());
  auto* b = new TPanel(Form.get());
  b->SetParent(Form.get());
  auto* box = new TPaintBox(Form.get());
  box->SetParent(Form.get());
  Form->Show();
  b->SendToBack();
  EXPECT_EQ(Form->Controls(0), b);
  box->SendToBack();
  EXPECT_EQ(Form->Controls(0), box);
  EXPECT_EQ(Form->Controls(2), a);
  // The window z-order follows: GW_HWNDNEXT goes towards the bottom.
  EXPECT_EQ(GetWindow(a->Handle(), GW_HWNDNEXT), b->Handle());
  b->BringToFront();
  EXPECT_EQ(Form->Controls(2), b);
  EXPECT_EQ(GetWindow(Form->Handle(), GW_CHILD), b->Handle());
}

TEST_F(ToolkitWin, WindowTimersAreCountedWhileArmedAndEndWithTheWindow) {
  auto* panel = new TPanel(Form.get());
  panel->SetParent(Form.get());
  const TLiveCounts before = LiveCounts();
  panel->StartTimer(7, 1000);
  panel->StartTimer(7, 500);  // restarting does not arm a second one
  panel->StartTimer(8, 1000);
  EXPECT_EQ(LiveCounts().Timers, before.Timers + 2);
  panel->StopTimer(7);
  panel->StopTimer(7);
  EXPECT_EQ(LiveCounts().Timers, before.Timers + 1);
  DestroyWindow(panel->Handle());  // from outside: the window's timers go with it
  EXPECT_EQ(LiveCounts().Timers, before.Timers);
  // The control makes a new window on demand and its timers work there.
  UINT_PTR fired = 0;
  TWindowProcHook hook(*panel, [&](TMessage& m) {
    if (m.Msg == WM_TIMER) fired = m.WParam;
    hook.CallSaved(m);
  });
  panel->StartTimer(9, 10);
  const DWORD start = GetTickCount();
  while (!fired && GetTickCount() - start < 2000) Application->ProcessMessages();
  EXPECT_EQ(fired, 9u);
  panel->StopTimer(9);
  EXPECT_EQ(LiveCounts().Timers, before.Timers);
}

TEST_F(ToolkitWin, WindowProcHooksComeOffInReverseOrder) {
  auto* panel = new TPanel(Form.get());
  std::vector<int> seen;
  std::unique_ptr<TWindowProcHook> first;
  first = std::make_unique<TWindowProcHook>(*panel, [&](TMessage& m) {
    if (m.Msg == WM_USER + 3) seen.push_back(1);
    first->CallSaved(m);
  });
  {
    TWindowProcHook second(*panel, [&](TMessage& m) {
      if (m.Msg == WM_USER + 3) seen.push_back(2);
      second.CallSaved(m);
    });
    panel->Perform(WM_USER + 3);
    EXPECT_EQ(seen, (std::vector<int>{2, 1}));
  }
  seen.clear();
  panel->Perform(WM_USER + 3);
  EXPECT_EQ(seen, (std::vector<int>{1}));
  first.reset();
  seen.clear();
  panel->Perform(WM_USER + 3);
  EXPECT_TRUE(seen.empty());
  // A hook can let go of a control that is going away without touching it.
  auto* doomed = new TPanel(Form.get());
  TWindowProcHook late(*doomed, [&](TMessage& m) { late.CallSaved(m); });
  late.Forget();
  delete doomed;
  EXPECT_FALSE(late.Hooked());
}

TEST_F(ToolkitWin, LiveCountsComeBackAfterAFormIsBuiltShownPaintedAndFreed) {
  Form.reset();
  const TLiveCounts before = LiveCounts();
  {
    TForm form(nullptr);
    form.SetClientSize(200, 120);
    form.SetDoubleBuffered(true);
    auto* panel = new TPanel(&form);
    panel->SetAlign(alClient);
    panel->SetBevelOuter(bvRaised);
    panel->SetParent(&form);
    auto* label = new TLabel(&form);
    label->SetCaption(L"标签");
    label->SetParent(panel);
    auto* combo = new TComboBox(&form);
    combo->Items().Add(L"a");
    combo->SetParent(panel);
    auto* timer = new TTimer(&form);
    timer->SetInterval(1000);
    timer->SetOnTimer([](TObject*) {});
    form.AfterConstruction();
    form.Show();
    UpdateWindow(form.Handle());
    InvalidateRect(form.Handle(), nullptr, TRUE);
    UpdateWindow(form.Handle());
    const TLiveCounts alive = LiveCounts();
    EXPECT_GE(alive.Windows, before.Windows + 4);  // form, panel, combo, the timer's window
    EXPECT_EQ(alive.Timers, before.Timers + 1);
    EXPECT_EQ(alive.DCs, before.DCs);  // every borrowed or made DC is given back
  }
  Application->ProcessMessages();
  EXPECT_EQ(LiveCounts(), before);
  Form = std::make_unique<TForm>(nullptr);
}

TEST_F(ToolkitWin, AModalLoopThatFailsGivesTheOtherWindowsBackAndHides) {
  Form->Show();
  ASSERT_TRUE(IsWindowEnabled(Form->Handle()));
  TForm box(nullptr);
  box.SetClientSize(100, 50);
  box.AfterConstruction();
  auto* timer = new TTimer(&box);
  timer->SetInterval(10);
  timer->SetOnTimer([&](TObject*) { box.SetModalResult(mrOk); });
  box.OnClose = [&](TObject*, TCloseAction&) {
    EXPECT_FALSE(IsWindowEnabled(Form->Handle()));  // disabled while the box is up
    throw std::runtime_error("close failed");
  };
  EXPECT_THROW(box.ShowModal(), std::runtime_error);
  EXPECT_TRUE(IsWindowEnabled(Form->Handle()));
  EXPECT_FALSE(IsWindowVisible(box.Handle()));
  EXPECT_FALSE(box.Modal());
  EXPECT_FALSE(box.Visible());
  // The box can be shown modally again afterwards.
  box.OnClose = nullptr;
  EXPECT_EQ(box.ShowModal(), mrOk);
}
