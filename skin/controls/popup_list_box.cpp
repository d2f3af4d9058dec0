// The pop-up list: a skinned list box in a borderless top-most tool window
// of its own that never takes the activation, framed in its owner's menu
// colours over the screen pixels beneath it.
#include "skin/controls/list_box.h"

#include "gfx/win/gdi_backend.h"
#include "skin/controls/scroll_bar.h"

TVelPopupListBox::TVelPopupListBox(TComponent* AOwner) : TVelSkinListBox(AOwner) {
  FVisible = false;
  SetActiveHotFrame(false);
  ListBox()->SetPopupListBox(true);
  SetNCSize(1);
  ArrangeControls();
}

// A top-level window in screen coordinates, still the child of its parent
// control in the control tree. The children are clipped so that the frame's
// paint never covers the list.
void TVelPopupListBox::CreateParams(TCreateParams& Params) {
  TVelSkinListBox::CreateParams(Params);
  Params.Style = WS_POPUP | WS_CLIPCHILDREN;
  Params.ExStyle = WS_EX_TOOLWINDOW | WS_EX_TOPMOST;
  Params.ClassStyle = (Params.ClassStyle | CS_SAVEBITS) & ~CS_DROPSHADOW;
  Params.WndParent = nullptr;
}

void TVelPopupListBox::SetMenuColors(const TVelPopupColors* Colors) {
  FColors = Colors;
  Invalidate();
  ListBox()->Invalidate();
}

void TVelPopupListBox::Show(TPoint Origin) {
  SetWindowPos(Handle(), HWND_TOPMOST, Origin.X, Origin.Y, 0, 0, SWP_SHOWWINDOW | SWP_NOACTIVATE | SWP_NOSIZE);
  SetVisible(true);
}

void TVelPopupListBox::Hide() {
  if (HandleAllocated())
    SetWindowPos(FHandle, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
  SetVisible(false);
}

void TVelPopupListBox::PaintBuffer() {
  const TVelPopupColors& c = MenuColors();
  TVelListBox* list = ListBox();
  list->SetItemSelectedColor(c.SelectedColor);
  list->SetItemSelectedFontColor(c.SelectedFontColor);
  list->SetItemBackgroundColor(c.BackgroundColor);
  list->SetItemNormalFontColor(c.NormalFontColor);
  TVelSkinListBox::PaintBuffer();
}

void TVelPopupListBox::DrawControl(TBitmap32* Bitmap) {
  if (FHandle) {
    RECT r{};
    GetWindowRect(FHandle, &r);
    TWindowDC screen(nullptr);
    BitBlt(::Handle(*Bitmap), 0, 0, Bitmap->Width(), Bitmap->Height(), screen.Get(), r.left, r.top, SRCCOPY);
    GdiFlush();
  }
  const bool bar = ScrollBar() && ScrollBar()->Visible();
  DrawPopupFrame(*Bitmap, 0xFF000000 | RGBOf(MenuColors().FrameColor), bar && Columns() == 0, bar && Columns() > 0);
}

void TVelPopupListBox::WMMouseActivate(TWMMouseActivate& Message) { Message.Result = MA_NOACTIVATE; }
