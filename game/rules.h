// The game's rules over plain data: board generation, the flood from the
// top-left cell, the board test and the texts the window shows. The window
// (Tmainwin) turns clicks into these calls and their results into pixels.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// platform[x][y]: colour index of the cell in column x, row y.
using TBoard = std::vector<std::vector<int32_t>>;

struct TCellPos {
  int32_t X;
  int32_t Y;
};

// Board side for the size chooser's item index: 10, 20, 40; 20 for any other index.
int32_t BoardSideForIndex(int itemIndex);

// Number of colours for the colour chooser's item index ("3" .. "8").
inline int32_t ColorCountForIndex(int itemIndex) { return itemIndex + 3; }

// Returns an integer drawn evenly from 0 to Range-1.
using TRandomBelow = std::function<int32_t(int32_t Range)>;

// A fresh XSize x YSize board, one draw per cell, rows outer and columns inner.
TBoard GenerateBoard(int32_t XSize, int32_t YSize, int32_t NumColors, const TRandomBelow& RandomBelow);

// The process's random source: seeded once from the clock when created.
class TGameRandom {
public:
  TGameRandom();
  // A fixed seed gives the same draws on every run (tests and benchmarks).
  explicit TGameRandom(uint64_t Seed) : FState(Seed) {}
  int32_t Below(int32_t Range);

private:
  uint64_t FState;
};

// Recolours the region 4-connected to the top-left cell from its colour to
// NewColor, with an explicit stack on the heap that grows in steps of 100
// entries. Returns the number of cells recoloured: 0 when the board is empty or
// the corner already has NewColor (nothing changes then). Exhausted memory while
// the stack grows raises EOutOfMemory.
int32_t FloodFromCorner(TBoard& platform, int32_t XSize, int32_t YSize, int32_t NewColor);

// True when every cell has the colour of the top-left cell; false for no board.
bool BoardFinished(const TBoard& platform, int32_t XSize, int32_t YSize);

// Milliseconds between two readings of the 32-bit tick counter. A game that
// spans the counter's wrap-around (every 49.7 days) still measures forward.
int64_t ElapsedMilliseconds(int64_t StartTick, int64_t NowTick);

// "hh:mm:ss" of whole elapsed seconds (truncated); hours are not capped.
std::wstring ElapsedTimeText(int64_t ElapsedMs);

// The three-line message shown when the board is finished.
std::wstring WinMessage(int32_t NumColors, const std::wstring& SizeName, int64_t Moves, const std::wstring& TimeText);
