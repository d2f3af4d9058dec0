// Shared by the controls' Windows tests: a plain toolkit form of the game's
// colour and a skinned form, a skinned control that counts its content
// drawing, and pixel reads from a control's buffer and from the screen.
#pragma once

#include "skin/controls/control_base.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "toolkit/win/menus.h"

#include <memory>

// Counts and records each content drawing; optionally draws a marker pixel.
class TCountingControl : public TVelSkinCustomControl {
public:
  explicit TCountingControl(TComponent* AOwner) : TVelSkinCustomControl(AOwner) {}
  int Draws = 0;
  TColor32 Marker = 0;

protected:
  void DrawControl(TBitmap32* Bitmap) override {
    ++Draws;
    if (Marker) Bitmap->SetPixelS(0, 0, Marker);
  }
};

// A popup menu that records where it was asked to show instead of showing.
class TRecordingMenu : public TPopupMenu {
public:
  using TPopupMenu::TPopupMenu;
  void Popup(int X, int Y) override {
    ++Popups;
    At = TPoint{X, Y};
  }
  int Popups = 0;
  TPoint At{};
};

// A buffer pixel as 0x00RRGGBB.
inline uint32_t BufferRgb(TCustomPaintBox32_vel* Control, int X, int Y) {
  return Control->Buffer()->Pixel(X, Y) & 0xFFFFFF;
}

// Paints every pending window now.
inline void PaintNow(TWinControl* Form) {
  RedrawWindow(Form->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Application->ProcessMessages();
}

constexpr TColor GreyForm = 0x808080;

// A plain toolkit form (no skin) in grey, shown.
class ControlsWin : public ::testing::Test {
protected:
  void SetUp() override {
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(100, 100, 400, 300);
    Form->SetColor(GreyForm);
    Form->AfterConstruction();
  }
  void TearDown() override { Form.reset(); }
  void ShowForm() {
    Form->Show();
    PaintNow(Form.get());
  }
  template <class T> T* Add(TWinControl* Parent, int L, int T_, int W, int H) {
    auto* c = new T(Form.get());
    c->SetBounds(L, T_, W, H);
    c->SetParent(Parent);
    return c;
  }
  std::unique_ptr<TForm> Form;
};

// A shown toolkit form in the foreground, for tests that drive real mouse
// input: the cursor starts and ends away from it, and a left button a test
// leaves held is let go.
class RealInputWin : public ::testing::Test {
protected:
  static constexpr int AwayX = 5, AwayY = 5;
  RealInputWin() : RealInputWin(200, 200, 400, 240) {}
  RealInputWin(int Left, int Top, int Width, int Height) : FBounds{Left, Top, Width, Height} {}
  void SetUp() override {
    ASSERT_TRUE(MoveCursor(AwayX, AwayY));
    Form = std::make_unique<TForm>(nullptr);
    Form->SetBounds(FBounds.Left, FBounds.Top, FBounds.Right, FBounds.Bottom);
    Form->AfterConstruction();
    Form->Show();
    SetForegroundWindow(Form->Handle());
    PumpFor(40);
  }
  void TearDown() override {
    if (GetAsyncKeyState(VK_LBUTTON) & 0x8000) SendButton(MOUSEEVENTF_LEFTUP);
    MoveCursor(AwayX, AwayY);
    PumpFor(20);
    Form.reset();
  }
  std::unique_ptr<TForm> Form;

private:
  TRect FBounds;  // left, top, width, height
};
