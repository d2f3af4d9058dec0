// Keyboard play: the colour keys, the start key, undo and redo, the glyphs
// and the board's keyboard cursor. None of it changes what a mouse player
// sees: the glyphs and the cursor appear only once their keys are pressed.
#include "game/mainwin.h"

#include "skin/resources/skin_draw_win.h"

#include <algorithm>

namespace {

// The colour button a key stands for: 1 for '1' or numpad 1, ...; 0 for none.
int ColorKeyNumber(WORD Key) {
  if (Key >= '1' && Key <= '8') return Key - '0';
  if (Key >= VK_NUMPAD1 && Key <= VK_NUMPAD8) return Key - VK_NUMPAD0;
  return 0;
}

}  // namespace

// The game's keys arrive as dialog keys: keys the focused control does not
// keep for itself. An edit keeps characters and arrows, but Ctrl+Z and Enter
// would still come here, so a focused text field keeps every key.
void Tmainwin::CMDialogKey(TWMKey& Message) {
  const bool repeat = (Message.KeyData & (LPARAM{1} << 30)) != 0;
  if (GameKey(Message.CharCode, KeyboardStateToShiftState(), repeat)) {
    Message.Result = 1;
    return;
  }
  TForm::CMDialogKey(Message);
}

bool Tmainwin::TextFieldFocused() const {
  HWND focus = GetFocus();
  if (!focus) return false;
  const LRESULT code = SendMessageW(focus, WM_GETDLGCODE, 0, 0);
  return (code & (DLGC_WANTCHARS | DLGC_HASSETSEL)) != 0;
}

// A held key repeats only undo, redo and the cursor: a held colour or start
// key acts once, as one click does.
bool Tmainwin::GameKey(WORD Key, TShiftState Shift, bool Repeat) {
  if ((Shift & ssAlt) || TextFieldFocused()) return false;
  if (Shift & ssCtrl) {
    if (Shift & ssShift) return false;
    if (Key == 'Z') UndoMove();
    else if (Key == 'Y') RedoMove();
    else return false;
    return true;
  }
  if (Key == VK_RETURN || Key == VK_F2) {
    if (!Repeat) StartGameClick(StartGame);
    return true;
  }
  if (Key == 'G') {
    if (!Repeat) SetGlyphs(!FGlyphs);
    return true;
  }
  if (const int number = ColorKeyNumber(Key)) {
    if (XSize <= 0 || number > NumColors) return false;
    if (!Repeat) ColPanel1Click(ColorBtn[number - 1]);
    return true;
  }
  if (XSize <= 0) return false;
  switch (Key) {
    case VK_LEFT: MoveCursor(-1, 0); return true;
    case VK_RIGHT: MoveCursor(1, 0); return true;
    case VK_UP: MoveCursor(0, -1); return true;
    case VK_DOWN: MoveCursor(0, 1); return true;
    default: return false;
  }
}

void Tmainwin::ShowMoveCount() {
  MoveNum->SetCaption(std::to_wstring(Moves));
  UpdateMoveHint();
  Gamefield->AccNotify(EVENT_OBJECT_DESCRIPTIONCHANGE);
}

// Undo and redo move the count with the board; the clock runs on.
void Tmainwin::UndoMove() {
  if (XSize <= 0 || !FHistory.Undo(platform)) return;
  --Moves;
  ShowMoveCount();
  Gamefield->Invalidate();
}

void Tmainwin::RedoMove() {
  if (XSize <= 0 || !FHistory.Redo(platform, XSize, YSize)) return;
  ++Moves;
  ShowMoveCount();
  Gamefield->Invalidate();
  CheckFinished();
}

void Tmainwin::SetGlyphs(bool Value) {
  FGlyphs = Value;
  for (size_t i = 0; i < ColorBtn.size(); ++i)
    static_cast<TColorButton*>(ColorBtn[i])->SetGlyph(Value ? static_cast<int32_t>(i) : -1);
  Gamefield->Invalidate();
}

void Tmainwin::MoveCursor(int DX, int DY) {
  if (FCursorShown) {
    FCursorX = std::clamp(FCursorX + DX, 0, XSize - 1);
    FCursorY = std::clamp(FCursorY + DY, 0, YSize - 1);
  }
  // The first arrow shows the cursor where it is.
  FCursorShown = true;
  Gamefield->Invalidate();
  Gamefield->AccNotify(EVENT_OBJECT_VALUECHANGE);
}

void Tmainwin::PaintGlyphs(TCanvas& Canvas, int CellWidth, int CellHeight) {
  HDC dc = Canvas.Handle();
  for (int y = 0; y < YSize; ++y)
    for (int x = 0; x < XSize; ++x) {
      const int32_t c = platform[x][y];
      DrawColorGlyph(dc, TRect{x * CellWidth, y * CellHeight, x * CellWidth + CellWidth, y * CellHeight + CellHeight},
                     c, Colors[c]);
    }
}

// The cursor's cell gets a two-pixel frame in the complement of its colour.
void Tmainwin::PaintCursor(TCanvas& Canvas, int CellWidth, int CellHeight) {
  if (FCursorX >= XSize || FCursorY >= YSize) return;
  const TColor under = Colors[platform[FCursorX][FCursorY]];
  Canvas.Brush().SetColor(static_cast<TColor>(~static_cast<uint32_t>(under) & 0xFFFFFF));
  TRect r{FCursorX * CellWidth, FCursorY * CellHeight, FCursorX * CellWidth + CellWidth,
          FCursorY * CellHeight + CellHeight};
  for (int i = 0; i < 2; ++i) {
    Canvas.FrameRect(r);
    r = TRect{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1};
  }
}

std::wstring Tmainwin::BoardDescription() const {
  if (XSize <= 0) return FWonMoves >= 0 ? L"Won in " + std::to_wstring(FWonMoves) + L" moves" : L"No game";
  return L"Moves: " + std::to_wstring(Moves);
}

std::wstring Tmainwin::CursorDescription() const {
  if (XSize <= 0 || FCursorX >= XSize || FCursorY >= YSize) return {};
  const int32_t c = platform[FCursorX][FCursorY];
  return L"Row " + std::to_wstring(FCursorY + 1) + L", column " + std::to_wstring(FCursorX + 1) + L": " +
         PaletteColorName(c);
}
