#include "game/rules.h"

#include "toolkit/core/classes.h"

#include <chrono>
#include <cstdio>

int32_t BoardSideForIndex(int itemIndex) {
  switch (itemIndex) {
    case 0: return 10;
    case 2: return 40;
    default: return 20;
  }
}

TBoard GenerateBoard(int32_t XSize, int32_t YSize, int32_t NumColors, const TRandomBelow& RandomBelow) {
  TBoard board(static_cast<size_t>(XSize), std::vector<int32_t>(static_cast<size_t>(YSize)));
  for (int32_t y = 0; y < YSize; ++y)
    for (int32_t x = 0; x < XSize; ++x) board[x][y] = RandomBelow(NumColors);
  return board;
}

TGameRandom::TGameRandom()
    : FState(static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
             static_cast<uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())) {}

int32_t TGameRandom::Below(int32_t Range) {
  if (Range <= 1) return 0;
  // splitmix64 steps, with rejection of the uneven tail so every value is equally likely.
  const uint64_t limit = UINT64_MAX - UINT64_MAX % static_cast<uint64_t>(Range);
  for (;;) {
    uint64_t z = (FState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    if (z < limit) return static_cast<int32_t>(z % static_cast<uint64_t>(Range));
  }
}

int32_t FloodFromCorner(TBoard& platform, int32_t XSize, int32_t YSize, int32_t NewColor) {
  if (XSize <= 0 || YSize <= 0) return 0;
  const int32_t Old = platform[0][0];
  if (Old == NewColor) return 0;

  std::vector<TCellPos> stack(100);
  int32_t Top = 0;
  int32_t recoloured = 1;

  auto PushCell = [&](int32_t X, int32_t Y) {
    if (Top > static_cast<int32_t>(stack.size()) - 1) {
      try {
        stack.resize(static_cast<size_t>(Top) + 100);
      } catch (const std::bad_alloc&) {
        throw EOutOfMemory();
      }
    }
    stack[Top] = {X, Y};
    ++Top;
  };
  // A cell is recoloured when it is pushed, so none is pushed twice.
  auto Take = [&](int32_t X, int32_t Y) {
    if (platform[X][Y] != Old) return;
    platform[X][Y] = NewColor;
    ++recoloured;
    PushCell(X, Y);
  };
  auto VisitNeighbours = [&](int32_t X, int32_t Y) {
    if (Y - 1 >= 0) Take(X, Y - 1);
    if (Y + 1 < YSize) Take(X, Y + 1);
    if (X + 1 < XSize) Take(X + 1, Y);
    if (X - 1 >= 0) Take(X - 1, Y);
  };

  platform[0][0] = NewColor;
  VisitNeighbours(0, 0);
  while (Top > 0) {
    --Top;
    VisitNeighbours(stack[Top].X, stack[Top].Y);
  }
  return recoloured;
}

bool BoardFinished(const TBoard& platform, int32_t XSize, int32_t YSize) {
  if (XSize <= 0 || YSize <= 0) return false;
  const int32_t First = platform[0][0];
  for (int32_t y = 0; y < YSize; ++y)
    for (int32_t x = 0; x < XSize; ++x)
      if (platform[x][y] != First) return false;
  return true;
}

int64_t ElapsedMilliseconds(int64_t StartTick, int64_t NowTick) {
  int64_t elapsed = NowTick - StartTick;
  if (elapsed < 0) elapsed += int64_t{1} << 32;
  return elapsed;
}

std::wstring ElapsedTimeText(int64_t ElapsedMs) {
  const auto s = static_cast<int32_t>(ElapsedMs / 1000);
  wchar_t text[48];
  std::swprintf(text, 48, L"%.2d:%.2d:%.2d", (s / 60) / 60, (s / 60) % 60, s % 60);
  return text;
}

std::wstring WinMessage(int32_t NumColors, const std::wstring& SizeName, int64_t Moves, const std::wstring& TimeText) {
  return L"你用 " + std::to_wstring(NumColors) + L" 种颜色完成了" + SizeName + L"画面游戏\r\n移动: " +
         std::to_wstring(Moves) + L"\r\n用时: " + TimeText;
}
