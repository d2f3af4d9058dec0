// Drives the real game window under Windows (Wine): layout, painting, moves,
// the end of a game and the clock.
#include "game/tests/mainwin_test_support.h"

TEST_F(GameWindow, LayoutAfterCreation) {
  TmainwinTestProbe p(Win);
  EXPECT_EQ(Application->MainForm(), Win);
  EXPECT_EQ(Win->ClientWidth(), 650);
  EXPECT_EQ(Win->ClientHeight(), 521);
  EXPECT_EQ(Win->Caption(), L"Quorrel");
  EXPECT_TRUE(Win->DoubleBuffered());
  EXPECT_EQ(Bounds(Win->VelSkinToolbar1), (std::vector<int>{0, 0, 650, 33}));
  EXPECT_EQ(Bounds(Win->GamePanel), (std::vector<int>{0, 33, 450, 454}));
  EXPECT_EQ(Bounds(Win->VelSkinPanel2), (std::vector<int>{450, 33, 200, 454}));
  EXPECT_EQ(Bounds(Win->VelSkinPanel3), (std::vector<int>{0, 487, 650, 34}));
  EXPECT_EQ(Win->Gamefield->Parent(), Win->GamePanel);
  EXPECT_EQ(Bounds(Win->Gamefield), (std::vector<int>{2, 2, 446, 450}));

  const std::vector<std::vector<int>> places = {{3, 24}, {59, 24}, {115, 24}, {3, 80},
                                                {59, 80}, {115, 80}, {3, 136}, {59, 136}};
  const std::vector<TColor> palette = {clRed, clLime, clBlue, clYellow, clAqua, clFuchsia, 5275647, 14822282};
  ASSERT_EQ(p.ColorBtn().size(), 8u);
  for (int i = 0; i < 8; ++i) {
    TPanel* b = p.ColorBtn()[i];
    EXPECT_EQ(b->Left(), places[i][0]) << i;
    EXPECT_EQ(b->Top(), places[i][1]) << i;
    EXPECT_EQ(b->Width(), 50);
    EXPECT_TRUE(b->Visible());
    EXPECT_EQ(p.Colors()[i], palette[i]) << i;
  }
  EXPECT_EQ(Win->ColPanel4->TabOrder(), 5);
  EXPECT_EQ(Win->ColPanel6->TabOrder(), 3);
  EXPECT_EQ(Win->StartGame->TabOrder(), 0);
  EXPECT_EQ(Win->ChooseSize->Text(), L"中");
  EXPECT_EQ(Win->ChooseColors->Text(), L"6");
  EXPECT_EQ(p.XSize(), 0);
  EXPECT_EQ(p.StartTime(), -1);
  EXPECT_FALSE(Win->OverallTimer->Enabled());

  // The painted colour buttons carry their colours.
  TCapture shot(Win);
  for (int i = 0; i < 8; ++i) {
    const TPoint f = Win->ScreenToClient(p.ColorBtn()[i]->ClientToScreen(TPoint{25, 25}));
    EXPECT_EQ(shot.Pixel(f.X, f.Y), palette[i]) << i;
  }
}

TEST_F(GameWindow, StartedGamePaintsItsCellsAndTheMarker) {
  TmainwinTestProbe p(Win);
  Win->StartGameClick(Win->StartGame);
  ASSERT_EQ(p.XSize(), 20);
  EXPECT_EQ(p.NumColors(), 6);
  EXPECT_FALSE(p.ColorBtn()[6]->Visible());
  EXPECT_TRUE(p.ColorBtn()[5]->Visible());
  EXPECT_EQ(p.ColorBtn()[4]->Tag(), 4);
  EXPECT_TRUE(Win->OverallTimer->Enabled());
  TCapture shot(Win);
  if (const char* dir = std::getenv("QUORREL_SHOT_DIR")) shot.SaveBmp((std::string(dir) + "/started.bmp").c_str());
  const int ox = 2, oy = 35;  // the field in the window's client area
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 20; ++x)
      ASSERT_EQ(shot.Pixel(ox + x * 22 + 18, oy + y * 22 + 18), p.Colors()[p.Board()[x][y]]) << x << "," << y;
  // Right and bottom strips beyond the cells keep the background.
  EXPECT_EQ(static_cast<uint32_t>(shot.Pixel(ox + 443, oy + 100)), ColorToRGB(clBtnFace));
  EXPECT_EQ(static_cast<uint32_t>(shot.Pixel(ox + 100, oy + 445)), ColorToRGB(clBtnFace));
  // The marker: three strokes in the complement of the corner's colour, meeting at (11, 11).
  const TColor corner = p.Colors()[p.Board()[0][0]];
  const TColor complement = static_cast<TColor>(~static_cast<uint32_t>(corner) & 0xFFFFFF);
  EXPECT_EQ(shot.Pixel(ox + 5, oy + 5), complement);
  EXPECT_EQ(shot.Pixel(ox + 11, oy + 7), complement);
  EXPECT_EQ(shot.Pixel(ox + 7, oy + 11), complement);
  EXPECT_EQ(shot.Pixel(ox + 3, oy + 9), corner);
}

// A move rebuilds no skinned picture but the move read-out's: the panels,
// the choosers and the start button keep their buffers. (The closed choosers'
// popup lists are not on screen and have nothing to keep.)
TEST_F(GameWindow, AMoveRepaintsTheBoardAndTheMoveCountAlone) {
  TmainwinTestProbe p(Win);
  Win->StartGameClick(Win->StartGame);
  RedrawWindow(Win->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  Application->ProcessMessages();
  TList& skinned = TVelWinControlHelper::Instance().Items;
  for (int i = 0; i < skinned.Count(); ++i) {
    if (skinned.Get<TVelSkinCustomControl>(i)->Showing()) {
      ASSERT_TRUE(skinned.Get<TVelSkinCustomControl>(i)->BufferValid()) << i;
    }
  }
  Click(p.ColorBtn()[(p.Board()[0][0] + 1) % p.NumColors()]);
  for (int i = 0; i < skinned.Count(); ++i) {
    auto* control = skinned.Get<TVelSkinCustomControl>(i);
    if (!control->Showing()) continue;
    EXPECT_EQ(control->BufferValid(), control != Win->MoveNum) << WideToUtf8(control->Name());
  }
}

// Hovering and pressing the start button (released off it, so no game
// starts) a thousand times leaves every GDI object, DC, window and timer count flat.
TEST_F(GameWindow, HoverAndPressCyclesOnTheStartButtonLeaveTheLiveCountsFlat) {
  TmainwinTestProbe p(Win);
  const HWND button = Win->StartGame->Handle();
  const LPARAM self = reinterpret_cast<LPARAM>(Win->StartGame);
  auto cycle = [&] {
    Win->StartGame->Perform(CM_MOUSEENTER, 0, self);
    UpdateWindow(button);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
    UpdateWindow(button);
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(-50, -50));
    Win->StartGame->Perform(CM_MOUSELEAVE, 0, self);
    UpdateWindow(button);
  };
  for (int i = 0; i < 10; ++i) cycle();
  const TLiveCounts before = SettledLiveCounts();
  for (int i = 0; i < 1000; ++i) cycle();
  EXPECT_EQ(SettledLiveCounts(), before);
  EXPECT_EQ(p.XSize(), 0);  // never clicked
  EXPECT_FALSE(Win->StartGame->Down());
}

// The start button is the first tab stop, and Space or Enter on it deals a game.
TEST_F(GameWindow, SpaceAndEnterOnTheFocusedStartButtonDealAGame) {
  TmainwinTestProbe p(Win);
  ASSERT_FALSE(Win->TabList().empty());
  EXPECT_EQ(Win->StartGame->TabOrder(), 0);
  Win->StartGame->SetFocus();
  ASSERT_TRUE(Win->StartGame->Focused());
  const HWND button = Win->StartGame->Handle();
  SendMessageW(button, WM_KEYDOWN, VK_SPACE, 0);
  EXPECT_TRUE(Win->StartGame->Down());
  EXPECT_EQ(p.XSize(), 0);
  SendMessageW(button, WM_KEYUP, VK_SPACE, 0xC0000001);
  EXPECT_FALSE(Win->StartGame->Down());
  EXPECT_EQ(p.XSize(), 20);
  p.XSize() = 0;
  Win->OverallTimer->SetEnabled(false);
  SendMessageW(button, WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(p.XSize(), 20);
}

TEST_F(GameWindow, MovesAWinAndTheIdleStateAfterIt) {
  TmainwinTestProbe p(Win);
  // Idle clicks change nothing.
  Click(Win->ColPanel2);
  EXPECT_EQ(p.Moves(), 0);
  EXPECT_EQ(Win->MoveNum->Caption(), L"0");

  Win->StartGameClick(Win->StartGame);
  // A press on the current colour counts but changes no cell.
  const TBoard before = p.Board();
  Click(p.ColorBtn()[p.Board()[0][0]]);
  EXPECT_EQ(p.Moves(), 1);
  EXPECT_EQ(Win->MoveNum->Caption(), L"1");
  EXPECT_EQ(p.Board(), before);

  EXPECT_EQ(WinWithOnePress(p), L"你用 6 种颜色完成了中画面游戏\r\n移动: 2\r\n用时: 00:00:00");
  EXPECT_EQ(p.XSize(), 0);
  EXPECT_EQ(p.StartTime(), -1);
  EXPECT_FALSE(Win->OverallTimer->Enabled());
  EXPECT_EQ(Win->MoveNum->Caption(), L"2");

  TCapture shot(Win);
  for (int y = 0; y < 450; y += 7)
    for (int x = 0; x < 446; x += 7)
      ASSERT_EQ(static_cast<uint32_t>(shot.Pixel(2 + x, 35 + y)), ColorToRGB(clBtnFace)) << x << "," << y;

  Click(p.ColorBtn()[1]);
  EXPECT_EQ(p.Moves(), 2);
}

TEST_F(GameWindow, ClockShowsTheElapsedTime) {
  TmainwinTestProbe p(Win);
  Win->StartGameClick(Win->StartGame);
  EXPECT_EQ(Win->NeedTime->Caption(), L"00:00:00");
  // A game that started 1 h 2 min 3.4 s ago (3.4 s when the tick counter is younger than that).
  const bool longAgo = GetTickCount() > 3723400;
  p.StartTime() = static_cast<int64_t>(GetTickCount()) - (longAgo ? 3723400 : 3400);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 1200) {
    Application->ProcessMessages();
    Sleep(10);
  }
  const std::wstring shown = Win->NeedTime->Caption();
  const std::wstring prefix = longAgo ? L"01:02:0" : L"00:00:0";
  EXPECT_TRUE(shown == prefix + L"4" || shown == prefix + L"5") << WideToUtf8(shown);
  // The label grows with its text.
  EXPECT_GT(Win->NeedTime->Width(), 30);

  // Without a game the next tick switches the timer off.
  p.StartTime() = -1;
  const DWORD again = GetTickCount();
  while (Win->OverallTimer->Enabled() && GetTickCount() - again < 1500) {
    Application->ProcessMessages();
    Sleep(10);
  }
  EXPECT_FALSE(Win->OverallTimer->Enabled());
}

TEST_F(GameWindow, AWholeGamePlayedWithTheColourButtonsEndsInTheWinMessage) {
  TmainwinTestProbe p(Win);
  Win->ChooseSize->SetItemIndex(0);
  Win->ChooseColors->SetItemIndex(0);
  Win->StartGameClick(Win->StartGame);
  ASSERT_EQ(p.XSize(), 10);
  // Only the three colours in play are offered.
  for (int i = 0; i < 8; ++i) EXPECT_EQ(p.ColorBtn()[i]->Visible(), i < 3) << i;

  // Pressing the three colours in turn grows the region until it fills the board.
  TBoxWatcher watcher;
  watcher.Start(L"提 示");
  int presses = 0;
  while (p.XSize() > 0 && presses < 300) Click(p.ColorBtn()[presses++ % 3]);
  watcher.Join();
  ASSERT_TRUE(watcher.Found) << presses << " presses";
  EXPECT_EQ(watcher.Text.rfind(L"你用 3 种颜色完成了小画面游戏\r\n移动: " + std::to_wstring(presses) + L"\r\n用时: 00:00:0", 0), 0u)
      << WideToUtf8(watcher.Text);
  EXPECT_EQ(Win->MoveNum->Caption(), std::to_wstring(presses));
}

// Rounds of play, painted on screen and ended by the win message, give back
// every GDI object, DC, window and timer they took.
TEST_F(GameWindow, RoundsOfPlayLeaveTheLiveCountsFlat) {
  TmainwinTestProbe p(Win);
  Win->ChooseSize->SetItemIndex(0);
  Win->ChooseColors->SetItemIndex(0);
  auto round = [&] {
    Win->StartGameClick(Win->StartGame);
    TBoxWatcher watcher;
    watcher.Start(L"提 示");
    for (int presses = 0; p.XSize() > 0 && presses < 300; ++presses) {
      Click(p.ColorBtn()[presses % 3]);
      UpdateWindow(Win->Handle());
    }
    watcher.Join();
    Application->ProcessMessages();
    return watcher.Found;
  };
  ASSERT_TRUE(round());  // the first round makes what lives on (the box's class, cached fonts)
  const TLiveCounts before = SettledLiveCounts();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(round()) << i;
  EXPECT_EQ(SettledLiveCounts(), before);
}

// The choosers are editable: a typed item name selects that item, and a text
// that begins no item is the size's name in the win message while the board
// keeps the size of the last item that matched.
TEST_F(GameWindow, ATypedSizeNameIsQuotedWhileTheBoardKeepsTheLastMatchingSize) {
  TmainwinTestProbe p(Win);
  TVelSkinEdit* edit = Win->ChooseSize->Edit();
  ASSERT_NE(edit, nullptr);
  edit->SetText(L"大");
  EXPECT_EQ(Win->ChooseSize->ItemIndex(), 2);
  edit->SetText(L"巨大");
  EXPECT_EQ(Win->ChooseSize->Text(), L"巨大");
  EXPECT_EQ(Win->ChooseSize->ItemIndex(), 2);

  Win->StartGameClick(Win->StartGame);
  EXPECT_EQ(p.XSize(), BoardSideForIndex(2));
  EXPECT_EQ(WinWithOnePress(p), L"你用 6 种颜色完成了巨大画面游戏\r\n移动: 1\r\n用时: 00:00:00");
}

// A whole game by real mouse input, the skinned win message closed by a
// real Enter once it is painted in the foreground, and a new game after it.
TEST_F(GameWindow, AGamePlayedByRealInputEndsInTheSkinnedBoxAndANewGameFollows) {
  TmainwinTestProbe p(Win);
  SetForegroundWindow(Win->Handle());
  PumpFor(100);
  Win->ChooseSize->SetItemIndex(0);
  Win->ChooseColors->SetItemIndex(0);
  ASSERT_TRUE(RealClick(Win->StartGame));
  ASSERT_EQ(p.XSize(), 10);

  std::wstring title, text;
  bool defaultButton = false;
  int buttons = 0;
  TSimpleTimer closer(15, [&](TObject*) {
    TVelSkinMessageForm* box = OpenBox(L"提 示");
    if (!box || !title.empty()) return;
    if (box->AlphaBlend() && box->AlphaBlendValue() != 255) return;
    if (GetForegroundWindow() != box->Handle()) {
      SetForegroundWindow(box->Handle());
      return;
    }
    title = box->FCaption->Caption();
    text = box->MessageText();
    for (int i = 0; i < box->FBottomPanel->ControlCount(); ++i)
      if (auto* b = dynamic_cast<TVelSkinButton*>(box->FBottomPanel->Controls(i))) {
        ++buttons;
        defaultButton = b->Default() && b->Cancel() && b->Caption() == L"确定";
      }
    TapKey(VK_RETURN);
  });
  closer.SetEnabled(true);
  int presses = 0;
  while (p.XSize() > 0 && presses < 200) ASSERT_TRUE(RealClick(p.ColorBtn()[presses++ % 3]));
  closer.SetEnabled(false);
  ASSERT_EQ(p.XSize(), 0) << presses << " presses";
  EXPECT_EQ(title, L"提 示");
  EXPECT_EQ(text.rfind(L"你用 3 种颜色完成了小画面游戏\r\n移动: " + std::to_wstring(presses) + L"\r\n用时: 00:00:", 0), 0u)
      << WideToUtf8(text);
  EXPECT_EQ(buttons, 1);
  EXPECT_TRUE(defaultButton);
  EXPECT_EQ(OpenBox(L"提 示"), nullptr);

  // The board is idle after the box; the start button deals the next game.
  ASSERT_TRUE(RealClick(Win->StartGame));
  EXPECT_EQ(p.XSize(), 10);
  EXPECT_EQ(p.Moves(), 0);
  EXPECT_EQ(Win->MoveNum->Caption(), L"0");
  MoveCursor(5, 5);
}
