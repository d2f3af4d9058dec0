#include "game/board_view.h"

#include "skin/resources/skin_draw_win.h"

#include <oleacc.h>

#include <array>

std::wstring PaletteColorName(int32_t Index) {
  static const std::array<const wchar_t*, 8> names = {L"red",  L"green",   L"blue",   L"yellow",
                                                      L"cyan", L"magenta", L"orange", L"violet"};
  return Index >= 0 && Index < static_cast<int32_t>(names.size()) ? names[static_cast<size_t>(Index)] : L"";
}

long TGameBoard::AccRole() { return ROLE_SYSTEM_GRAPHIC; }

void TColorButton::SetGlyph(int32_t Index) {
  if (Index == FGlyph) return;
  FGlyph = Index;
  Invalidate();
}

std::wstring TColorButton::AccName() { return PaletteColorName(FPaletteIndex); }

long TColorButton::AccRole() { return ROLE_SYSTEM_PUSHBUTTON; }

bool TColorButton::AccDoDefaultAction() {
  Click();
  return true;
}

void TColorButton::Paint() {
  TPanel::Paint();
  if (FGlyph >= 0) DrawColorGlyph(Canvas().Handle(), ClientRect(), FGlyph, Color());
}
