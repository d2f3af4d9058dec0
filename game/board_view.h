// The game window's own controls: the board, a paint box that a screen
// reader can read, and the colour buttons, panels that can carry their
// colour's glyph and name their colour and key.
#pragma once

#include "toolkit/win/stdctrls.h"

#include <cstdint>
#include <functional>
#include <string>

// The palette colour's name ("red", ...) for a screen reader; empty beyond the palette.
std::wstring PaletteColorName(int32_t Index);

class TGameBoard : public TPaintBox {
public:
  explicit TGameBoard(TComponent* AOwner) : TPaintBox(AOwner) {}
  // The texts a screen reader reads: the state of the game (the move count)
  // as the description, the cell under the keyboard cursor as the value.
  std::function<std::wstring()> OnDescription;
  std::function<std::wstring()> OnValue;

  std::wstring AccName() override { return L"Board"; }
  long AccRole() override;
  std::wstring AccDescription() override { return OnDescription ? OnDescription() : std::wstring(); }
  std::wstring AccValue() override { return OnValue ? OnValue() : std::wstring(); }
};

class TColorButton : public TPanel {
public:
  explicit TColorButton(TComponent* AOwner) : TPanel(AOwner) {}
  // The glyph of palette colour Index drawn over the face; -1 for none.
  int32_t Glyph() const { return FGlyph; }
  void SetGlyph(int32_t Index);
  // The palette colour the button stands for, and so its name and key.
  int32_t PaletteIndex() const { return FPaletteIndex; }
  void SetPaletteIndex(int32_t Index) { FPaletteIndex = Index; }

  // A push button named by its colour; pressing it is a click.
  std::wstring AccName() override;
  long AccRole() override;
  std::wstring AccDefaultAction() override { return L"Press"; }
  bool AccDoDefaultAction() override;

protected:
  void Paint() override;

private:
  int32_t FGlyph = -1;
  int32_t FPaletteIndex = -1;
};
