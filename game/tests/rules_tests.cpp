#include "game/rules.h"

#include <gtest/gtest.h>

#include <deque>
#include <set>

namespace {

// Board from rows of digits, so that a test reads like the board it builds.
TBoard FromRows(const std::vector<std::string>& rows) {
  const auto h = static_cast<int32_t>(rows.size()), w = static_cast<int32_t>(rows[0].size());
  TBoard b(w, std::vector<int32_t>(h));
  for (int32_t y = 0; y < h; ++y)
    for (int32_t x = 0; x < w; ++x) b[x][y] = rows[y][x] - '0';
  return b;
}

std::vector<std::string> ToRows(const TBoard& b) {
  std::vector<std::string> rows(b[0].size(), std::string(b.size(), ' '));
  for (size_t x = 0; x < b.size(); ++x)
    for (size_t y = 0; y < b[0].size(); ++y) rows[y][x] = static_cast<char>('0' + b[x][y]);
  return rows;
}

// Breadth-first reference of the 4-connected region of the corner.
std::set<std::pair<int, int>> CornerRegion(const TBoard& b) {
  const int w = static_cast<int>(b.size()), h = static_cast<int>(b[0].size());
  std::set<std::pair<int, int>> seen{{0, 0}};
  std::deque<std::pair<int, int>> queue{{0, 0}};
  while (!queue.empty()) {
    auto [x, y] = queue.front();
    queue.pop_front();
    const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (auto& s : d) {
      const int nx = x + s[0], ny = y + s[1];
      if (nx < 0 || ny < 0 || nx >= w || ny >= h || b[nx][ny] != b[0][0]) continue;
      if (seen.insert({nx, ny}).second) queue.push_back({nx, ny});
    }
  }
  return seen;
}

}  // namespace

TEST(Flood, RecoloursOnlyTheCornerRegionWithoutDiagonals) {
  TBoard b = FromRows({"0012",
                       "1002",
                       "0110",
                       "2211"});
  EXPECT_EQ(FloodFromCorner(b, 4, 4, 3), 4);
  // The zeros at (0,2) and (3,2) touch the region only diagonally.
  EXPECT_EQ(ToRows(b), (std::vector<std::string>{"3312",
                                                 "1332",
                                                 "0110",
                                                 "2211"}));
}

TEST(Flood, PressOnTheCurrentColourChangesNothing) {
  TBoard b = FromRows({"01", "10"});
  const TBoard before = b;
  EXPECT_EQ(FloodFromCorner(b, 2, 2, 0), 0);
  EXPECT_EQ(b, before);
}

TEST(Flood, ColourNoNeighbourHasRecoloursTheCornerAlone) {
  TBoard b = FromRows({"01", "12"});
  EXPECT_EQ(FloodFromCorner(b, 2, 2, 3), 1);
  EXPECT_EQ(ToRows(b), (std::vector<std::string>{"31", "12"}));
}

TEST(Flood, EmptyBoardIsIgnored) {
  TBoard b;
  EXPECT_EQ(FloodFromCorner(b, 0, 0, 1), 0);
  EXPECT_FALSE(BoardFinished(b, 0, 0));
}

TEST(Flood, LargeBoardsMatchABreadthFirstReference) {
  // Random 40 x 40 boards, and one single-colour board whose region is all
  // 1,600 cells, which makes the stack grow well past its first 100 entries.
  TGameRandom random;
  for (int colours : {1, 2, 3, 8}) {
    for (int round = 0; round < 20; ++round) {
      TBoard b = GenerateBoard(40, 40, colours, [&](int32_t n) { return random.Below(n); });
      const auto region = CornerRegion(b);
      const TBoard before = b;
      const int32_t target = (b[0][0] + 1) % 9;
      ASSERT_EQ(FloodFromCorner(b, 40, 40, target), static_cast<int32_t>(region.size()));
      for (int x = 0; x < 40; ++x)
        for (int y = 0; y < 40; ++y)
          ASSERT_EQ(b[x][y], region.count({x, y}) ? target : before[x][y]) << x << "," << y;
    }
  }
}

TEST(Flood, SerpentineRegionNeedsNoRecursion) {
  // A one-cell-wide snake through a 40 x 40 board: a path of 820 cells.
  TBoard b(40, std::vector<int32_t>(40, 1));
  for (int y = 0; y < 40; y += 2)
    for (int x = 0; x < 40; ++x) b[x][y] = 0;
  for (int y = 1; y < 40; y += 2) b[(y / 2) % 2 ? 0 : 39][y] = 0;
  EXPECT_EQ(FloodFromCorner(b, 40, 40, 1), 20 * 40 + 20);
  EXPECT_TRUE(BoardFinished(b, 40, 40));
}

TEST(BoardTest, FinishedOnlyWhenOneColourIsLeft) {
  EXPECT_TRUE(BoardFinished(FromRows({"22", "22"}), 2, 2));
  EXPECT_FALSE(BoardFinished(FromRows({"22", "21"}), 2, 2));
  EXPECT_FALSE(BoardFinished(FromRows({"22", "22"}), 0, 0));
}

TEST(Board, SizeTableAndColourCount) {
  EXPECT_EQ(BoardSideForIndex(0), 10);
  EXPECT_EQ(BoardSideForIndex(1), 20);
  EXPECT_EQ(BoardSideForIndex(2), 40);
  EXPECT_EQ(BoardSideForIndex(-1), 20);  // no selection
  EXPECT_EQ(BoardSideForIndex(3), 20);
  EXPECT_EQ(ColorCountForIndex(0), 3);
  EXPECT_EQ(ColorCountForIndex(5), 8);
}

TEST(Board, GenerationDrawsRowsOuterColumnsInner) {
  int32_t next = 0;
  const TBoard b = GenerateBoard(3, 2, 100, [&](int32_t) { return next++; });
  ASSERT_EQ(b.size(), 3u);
  ASSERT_EQ(b[0].size(), 2u);
  EXPECT_EQ(b[2][0], 2);  // first row: draws 0, 1, 2
  EXPECT_EQ(b[0][1], 3);  // second row starts with the fourth draw
}

TEST(Board, RandomDrawsStayInRangeAndCoverIt) {
  TGameRandom random;
  std::vector<int> counts(6);
  for (int i = 0; i < 60000; ++i) {
    const int v = random.Below(6);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 6);
    ++counts[v];
  }
  for (int c : counts) EXPECT_NEAR(c, 10000, 600);
}

TEST(Clock, ElapsedTextTruncatesAndDoesNotCapHours) {
  EXPECT_EQ(ElapsedTimeText(0), L"00:00:00");
  EXPECT_EQ(ElapsedTimeText(83999), L"00:01:23");
  EXPECT_EQ(ElapsedTimeText(3600 * 1000), L"01:00:00");
  EXPECT_EQ(ElapsedTimeText(int64_t{100} * 3600 * 1000), L"100:00:00");
  EXPECT_EQ(ElapsedTimeText(int64_t{359999} * 1000 + 999), L"99:59:59");
}

TEST(Clock, ElapsedSurvivesTheTickCounterWrap) {
  EXPECT_EQ(ElapsedMilliseconds(1000, 4500), 3500);
  EXPECT_EQ(ElapsedMilliseconds(0xFFFFFF00ll, 0x100), 0x200);
}

TEST(Messages, WinMessageIsExact) {
  EXPECT_EQ(WinMessage(6, L"中", 25, ElapsedTimeText(83 * 1000)),
            L"你用 6 种颜色完成了中画面游戏\r\n移动: 25\r\n用时: 00:01:23");
}
