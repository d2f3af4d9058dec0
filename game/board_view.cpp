#include "game/board_view.h"

#include "skin/resources/skin_draw_win.h"

void TColorButton::SetGlyph(int32_t Index) {
  if (Index == FGlyph) return;
  FGlyph = Index;
  Invalidate();
}

void TColorButton::Paint() {
  TPanel::Paint();
  if (FGlyph >= 0) DrawColorGlyph(Canvas().Handle(), ClientRect(), FGlyph, Color());
}
