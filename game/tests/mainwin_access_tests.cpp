// What a screen reader reads of the game window under Windows (Wine): the
// controls' names, roles and states, the board's description and value,
// and the same read from another process.
#include "game/tests/mainwin_test_support.h"
#include "toolkit/win/tests/accessible_test_support.h"

#include <cstdlib>
#include <string>

namespace {

// The board is the first (graphic) child element of the board panel.
constexpr long BoardChild = 1;

void PressKey(WORD Key) {
  PostMessageW(GetFocus(), WM_KEYDOWN, Key, 1);
  Application->ProcessMessages();
}

}  // namespace

TEST_F(GameWindow, EveryControlAnswersWithItsNameRoleAndState) {
  TmainwinTestProbe p(Win);
  TAccRef start = AccObjectOf(Win->StartGame->Handle());
  ASSERT_TRUE(start);
  EXPECT_EQ(AccNameOf(start.get()), L"开始游戏");
  EXPECT_EQ(AccRoleOf(start.get()), ROLE_SYSTEM_PUSHBUTTON);
  EXPECT_TRUE(AccStateOf(start.get()) & STATE_SYSTEM_FOCUSABLE);

  TAccRef size = AccObjectOf(Win->ChooseSize->Handle());
  ASSERT_TRUE(size);
  EXPECT_EQ(AccRoleOf(size.get()), ROLE_SYSTEM_COMBOBOX);
  EXPECT_EQ(AccValueOf(size.get()), L"中");
  EXPECT_TRUE(AccStateOf(size.get()) & STATE_SYSTEM_COLLAPSED);
  Win->ChooseSize->DropDown();
  Application->ProcessMessages();
  EXPECT_TRUE(AccStateOf(size.get()) & STATE_SYSTEM_EXPANDED);
  Win->ChooseSize->CloseUp(false);
  Application->ProcessMessages();

  TAccRef group = AccObjectOf(Win->VelSkinGroupBox1->Handle());
  ASSERT_TRUE(group);
  EXPECT_EQ(AccNameOf(group.get()), L"颜色");
  EXPECT_EQ(AccRoleOf(group.get()), ROLE_SYSTEM_GROUPING);

  TAccRef moves = AccObjectOf(Win->MoveNum->Handle());
  ASSERT_TRUE(moves);
  EXPECT_EQ(AccRoleOf(moves.get()), ROLE_SYSTEM_STATICTEXT);
  EXPECT_EQ(AccNameOf(moves.get()), L"0");

  // The colour buttons name their colour; the hint names their key. The
  // ones beyond the game's colours are invisible.
  Win->StartGameClick(Win->StartGame);
  const wchar_t* names[] = {L"red", L"green", L"blue", L"yellow", L"cyan", L"magenta", L"orange", L"violet"};
  for (int i = 0; i < 8; ++i) {
    TAccRef button = AccObjectOf(static_cast<TWinControl*>(p.ColorBtn()[i])->Handle());
    ASSERT_TRUE(button) << i;
    EXPECT_EQ(AccNameOf(button.get()), names[i]);
    EXPECT_EQ(AccRoleOf(button.get()), ROLE_SYSTEM_PUSHBUTTON);
    EXPECT_EQ(AccStringOf([&](BSTR* T) { return button->get_accDescription(AccChild(CHILDID_SELF), T); }),
              L"Key " + std::to_wstring(i + 1));
    EXPECT_EQ((AccStateOf(button.get()) & STATE_SYSTEM_INVISIBLE) != 0, i >= 6) << i;
  }
  // Pressing a colour button through its object is a counted move.
  TAccRef other = AccObjectOf(static_cast<TWinControl*>(p.ColorBtn()[(p.Board()[0][0] + 1) % 6])->Handle());
  EXPECT_EQ(other->accDoDefaultAction(AccChild(CHILDID_SELF)), S_OK);
  PumpFor(30);
  EXPECT_EQ(p.Moves(), 1);
}

TEST_F(GameWindow, TheStartButtonHasTheFocusStateAfterARealTab) {
  SetForegroundWindow(Win->Handle());
  PumpFor(50);
  Win->ChooseColors->Edit()->SetFocus();
  TWinEventLog events;
  for (int i = 0; i < 6 && !Win->StartGame->Focused(); ++i) {
    TapKey(VK_TAB);
    PumpFor(20);
  }
  ASSERT_TRUE(Win->StartGame->Focused());
  TAccRef start = AccObjectOf(Win->StartGame->Handle());
  ASSERT_TRUE(start);
  EXPECT_TRUE(AccStateOf(start.get()) & STATE_SYSTEM_FOCUSED);
  EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_FOCUS, Win->StartGame->Handle(), CHILDID_SELF));
}

// The board: its description reads the move count, its value the colour
// under the keyboard cursor, and both changes are announced.
TEST_F(GameWindow, TheBoardReadsTheMoveCountAndTheColourUnderTheCursor) {
  TmainwinTestProbe p(Win);
  TAccRef panel = AccObjectOf(Win->GamePanel->Handle());
  ASSERT_TRUE(panel);
  EXPECT_EQ(AccNameOf(panel.get(), BoardChild), L"Board");
  EXPECT_EQ(AccRoleOf(panel.get(), BoardChild), ROLE_SYSTEM_GRAPHIC);
  auto description = [&] {
    return AccStringOf([&](BSTR* T) { return panel->get_accDescription(AccChild(BoardChild), T); });
  };
  EXPECT_EQ(description(), L"No game");

  Win->StartGameClick(Win->StartGame);
  Win->StartGame->SetFocus();
  EXPECT_EQ(description(), L"Moves: 0");
  TWinEventLog events;
  PressKey(static_cast<WORD>('1' + (p.Board()[0][0] + 1) % 6));
  EXPECT_EQ(description(), L"Moves: 1");
  EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_DESCRIPTIONCHANGE, Win->GamePanel->Handle(), BoardChild));

  const wchar_t* names[] = {L"red", L"green", L"blue", L"yellow", L"cyan", L"magenta"};
  PressKey(VK_RIGHT);  // shows the cursor at the corner
  EXPECT_EQ(AccValueOf(panel.get(), BoardChild), std::wstring(L"Row 1, column 1: ") + names[p.Board()[0][0]]);
  PressKey(VK_RIGHT);
  PressKey(VK_DOWN);
  PressKey(VK_DOWN);
  EXPECT_EQ(p.CursorX(), 1);
  EXPECT_EQ(p.CursorY(), 2);
  EXPECT_EQ(AccValueOf(panel.get(), BoardChild), std::wstring(L"Row 3, column 2: ") + names[p.Board()[1][2]]);
  EXPECT_TRUE(events.WaitFor(EVENT_OBJECT_VALUECHANGE, Win->GamePanel->Handle(), BoardChild));
  // The cursor stays on the board.
  for (int i = 0; i < 30; ++i) PressKey(VK_LEFT);
  EXPECT_EQ(p.CursorX(), 0);
}

// A screen reader is another process: it reads the start button and the
// board through the system's marshalling.
TEST_F(GameWindow, AnotherProcessReadsTheStartButtonAndTheBoard) {
  Win->StartGameClick(Win->StartGame);
  const std::string windows = std::to_string(reinterpret_cast<uintptr_t>(Win->StartGame->Handle())) + " " +
                              std::to_string(reinterpret_cast<uintptr_t>(Win->GamePanel->Handle()));
  EXPECT_EQ(RunSelfAsChild("GameWindowClient.ReadsTheGameWindow", "QUORREL_GAME_WINDOWS", windows.c_str()), 77u);
}

TEST(GameWindowClient, ReadsTheGameWindow) {
  const char* windows = std::getenv("QUORREL_GAME_WINDOWS");
  if (!windows) GTEST_SKIP() << "run by AnotherProcessReadsTheStartButtonAndTheBoard";
  char* rest = nullptr;
  HWND start = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(windows, &rest, 10)));
  HWND panel = reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(rest, nullptr, 10)));
  CoInitialize(nullptr);
  {
    TAccRef button = AccObjectOf(start);
    ASSERT_TRUE(button);
    EXPECT_EQ(AccNameOf(button.get()), L"开始游戏");
    EXPECT_EQ(AccRoleOf(button.get()), ROLE_SYSTEM_PUSHBUTTON);
    TAccRef board = AccObjectOf(panel);
    ASSERT_TRUE(board);
    EXPECT_EQ(AccNameOf(board.get(), BoardChild), L"Board");
    EXPECT_EQ(AccStringOf([&](BSTR* T) { return board->get_accDescription(AccChild(BoardChild), T); }),
              L"Moves: 0");
  }
  CoUninitialize();
  if (!::testing::Test::HasFailure()) ExitProcess(77);
}
