#include "game/mainwin.h"

#include "skin/controls/message_box.h"

namespace {

template <class T> T* Make(TComponent* Owner, const wchar_t* Name, TWinControl* Parent, int Left, int Top, int Width,
                           int Height) {
  auto* control = new T(Owner);
  control->SetName(Name);
  control->SetBounds(Left, Top, Width, Height);
  control->SetParent(Parent);
  return control;
}

TVelSkinLabel* MakeLabel(TComponent* Owner, const wchar_t* Name, TWinControl* Parent, int Left, int Top, int Width,
                         int Height, const wchar_t* Caption) {
  auto* label = Make<TVelSkinLabel>(Owner, Name, Parent, Left, Top, Width, Height);
  label->SetAutoInvalidate(true);
  label->SetAlpha(0);
  label->SetCaption(Caption);
  return label;
}

// The two choosers: editable skinned combo boxes with the skin's borders and
// drop arrows, opaque, 20-pixel rows.
TVelSkinComboBox* MakeChooser(TComponent* Owner, const wchar_t* Name, TWinControl* Parent, int Left, int Top) {
  auto* combo = Make<TVelSkinComboBox>(Owner, Name, Parent, Left, Top, 140, 26);
  combo->SetTransparent(false);
  combo->SetAlpha(255);
  combo->SetItemHeight(20);
  combo->SetBorderEffectNormal(L"VelSkinBorderNormal");
  combo->SetBorderEffectHot(L"VelSkinBorderHot");
  combo->SetDropArrowNormal(L"VelSkinDrop_arrow_normal");
  combo->SetDropArrowHot(L"VelSkinDrop_arrow_hot");
  return combo;
}

TPanel* MakeColorPanel(TComponent* Owner, const wchar_t* Name, TWinControl* Parent, int Left, int Top, TColor Color,
                       int TabOrder) {
  auto* panel = Make<TColorButton>(Owner, Name, Parent, Left, Top, 50, 50);
  panel->SetColor(Color);
  panel->SetParentBackground(false);
  panel->SetBevelOuter(bvRaised);
  panel->SetTabOrder(TabOrder);
  return panel;
}

void SetSkinFont(TFont& Font, TColor Color) {
  Font.SetName(L"Tahoma");
  Font.SetHeight(-11);
  Font.SetColor(Color);
  Font.SetCharset(DEFAULT_CHARSET);
}

void SetStrip(TPngPictures& Picture, const wchar_t* Image, int32_t Disable) {
  Picture.SetActive(true);
  Picture.SetImage(Image);
  Picture.SetNormal(0);
  Picture.SetHot(1);
  Picture.SetPressed(2);
  Picture.SetDisable(Disable);
  Picture.SetCount(3);
}

TVelSkinSystemButton* MakeSystemButton(TComponent* Owner, const wchar_t* Name, TSystemButtonKind Kind, int32_t XValue,
                                       bool UseDefault, const wchar_t* Image) {
  auto* button = new TVelSkinSystemButton(Owner);
  button->SetName(Name);
  button->SetKind(Kind);
  button->Pos().SetAlign(caRight);
  button->Pos().SetXValue(XValue);
  button->Pos().SetYValue(-1);
  button->Pos().SetUseDefault(UseDefault);
  SetStrip(button->Picture(), Image, 0);
  button->SetCloseImage(L"VelSkinBtn_close");
  button->SetMinimizeImage(L"VelSkinBtn_mini");
  button->SetMaximizeImage(L"VelSkinBtn_max");
  button->SetRestoresizeImage(L"VelSkinBtn_restore");
  return button;
}

}  // namespace

// The layout mirrors the window's form description: components in form
// order, each with its parent, bounds, texts and settings.
Tmainwin::Tmainwin(TComponent* AOwner) : TForm(AOwner) {
  SetName(L"mainwin");
  SetCaption(L"Quorrel");
  SetClientSize(650, 521);
  SetColor(clBtnFace);
  Font().SetName(L"Tahoma");
  Font().SetHeight(-16);
  Font().SetColor(clWindowText);
  Font().SetCharset(DEFAULT_CHARSET);
  Font().SetStyle(0);
  SetPosition(poScreenCenter);
  OnCreate = [this](TObject* Sender) { FormCreate(Sender); };

  // The skin components come first: the skin form hooks the window before
  // it exists, and the title-bar controls register with it.
  VelSkinForm1 = new TVelSkinForm(this);
  VelSkinForm1->SetName(L"VelSkinForm1");
  VelSkinForm1->SetFlatFrame(true);
  VelSkinForm1->SetTitlerColor(16715740);
  TVelSkinMainMenu& menu = VelSkinForm1->MainMenu();
  SetSkinFont(menu.Font(), clWindowText);
  menu.Pos().SetAlign(caLeft);
  menu.Pos().SetXValue(5);
  menu.Pos().SetYValue(5);
  menu.Pos().SetUseDefault(false);
  SetStrip(menu.Pictures(), L"VelSkinFlatBtn", 0);
  menu.SetHotColor(11463932);
  menu.SetPressColor(8184058);
  VelSkinSystemButton2 = MakeSystemButton(this, L"VelSkinSystemButton2", bkMinimize, 70, false, L"VelSkinBtn_mini");
  VelSkinSystemButton1 = MakeSystemButton(this, L"VelSkinSystemButton1", bkClose, 40, true, L"VelSkinBtn_close");
  VelSkinNCLabel1 = new TVelSkinNCLabel(this);
  VelSkinNCLabel1->SetName(L"VelSkinNCLabel1");
  VelSkinNCLabel1->SetCaption(L"Quorrel");
  VelSkinNCLabel1->Pos().SetAlign(caLeft);
  VelSkinNCLabel1->Pos().SetXValue(5);
  VelSkinNCLabel1->Pos().SetYValue(5);
  VelSkinNCLabel1->Pos().SetUseDefault(false);
  SetSkinFont(VelSkinNCLabel1->Font(), clWhite);

  // A toolbar without items: across the top, a borderless panel for the hint label.
  VelSkinToolbar1 = Make<TVelSkinToolbar>(this, L"VelSkinToolbar1", this, 0, 0, 650, 33);
  VelSkinToolbar1->SetAlign(alTop);
  SetStrip(VelSkinToolbar1->ButtonImage(), L"VelSkinFlatBtn", 0);
  VelSkinToolbar1->DropdownMenuOffset().SetX(-4);
  VelSkinToolbar1->DropdownMenuOffset().SetY(-4);
  VelSkinToolbar1->SetBorderSides(0);
  SetSkinFont(VelSkinToolbar1->FontHot(), clWindowText);
  SetSkinFont(VelSkinToolbar1->FontDown(), clWindowText);
  // The board panel keeps all four border sides; its stored left margin of
  // 10 is not applied.
  GamePanel = Make<TVelSkinPanel>(this, L"GamePanel", this, 0, 33, 450, 454);
  GamePanel->SetAlign(alLeft);
  VelSkinPanel2 = Make<TVelSkinPanel>(this, L"VelSkinPanel2", this, 450, 33, 200, 454);
  VelSkinPanel2->SetAlign(alClient);
  VelSkinPanel2->SetBorderSides(0);
  VelSkinPanel3 = Make<TVelSkinPanel>(this, L"VelSkinPanel3", this, 0, 487, 650, 34);
  VelSkinPanel3->SetAlign(alBottom);
  VelSkinPanel3->SetBorderSides(0);

  Gamefield = Make<TGameBoard>(this, L"Gamefield", GamePanel, 2, 2, 446, 450);
  Gamefield->SetAlign(alClient);
  // The board paints all of its area: the panel beneath leaves it out, so a
  // move repaints the board alone, never the panel's wash first.
  Gamefield->SetControlStyle(Gamefield->ControlStyle() | csOpaque);
  Gamefield->OnPaint = [this](TObject* Sender) { GamefieldPaint(Sender); };

  StartGame = Make<TVelSkinButton>(this, L"StartGame", VelSkinPanel2, 16, 88, 169, 41);
  TPngPictures& face = StartGame->Pictures();
  SetStrip(face, L"VelSkinButton", 3);
  face.SetCount(5);
  StartGame->Layers().SetActive(false);
  StartGame->SetCaptionVisible(true);
  StartGame->SetDown(false);
  StartGame->SetAutoInvalidate(true);
  SetSkinFont(StartGame->HotFont(), clWindowText);
  StartGame->HotFont().SetHeight(-16);
  StartGame->DropdownMenuOffset().SetX(-4);
  StartGame->DropdownMenuOffset().SetY(-4);
  StartGame->SetCaption(L"开始游戏");
  StartGame->SetTabStop(true);
  StartGame->OnClick = [this](TObject* Sender) { StartGameClick(Sender); };
  VelSkinLabel1 = MakeLabel(this, L"VelSkinLabel1", VelSkinPanel2, 16, 16, 38, 19, L"尺寸:");
  ChooseSize = MakeChooser(this, L"ChooseSize", VelSkinPanel2, 56, 13);
  ChooseSize->Items().Add(L"小");
  ChooseSize->Items().Add(L"中");
  ChooseSize->Items().Add(L"大");
  ChooseSize->SetItemIndex(1);
  ChooseSize->SetTabOrder(2);
  VelSkinLabel2 = MakeLabel(this, L"VelSkinLabel2", VelSkinPanel2, 16, 48, 38, 19, L"颜色:");
  ChooseColors = MakeChooser(this, L"ChooseColors", VelSkinPanel2, 57, 45);
  for (const wchar_t* item : {L"3", L"4", L"5", L"6", L"7", L"8"}) ChooseColors->Items().Add(item);
  ChooseColors->SetItemIndex(3);
  ChooseColors->SetTabOrder(4);
  StartGame->SetTabOrder(0);

  MoveNum = MakeLabel(this, L"MoveNum", VelSkinPanel3, 67, 7, 9, 19, L"0");
  VelSkinLabel7 =
      MakeLabel(this, L"VelSkinLabel7", VelSkinToolbar1, 16, 8, 294, 19, L"点击颜色按钮，用一种颜色填充整个区域:");
  VelSkinLabel3 = MakeLabel(this, L"VelSkinLabel3", VelSkinPanel3, 23, 7, 38, 19, L"步数:");
  NeedTime = MakeLabel(this, L"NeedTime", VelSkinPanel3, 344, 6, 66, 19, L"00:00:00");
  VelSkinLabel5 = MakeLabel(this, L"VelSkinLabel5", VelSkinPanel3, 300, 6, 38, 19, L"用时:");

  VelSkinGroupBox1 = Make<TVelSkinGroupBox>(this, L"VelSkinGroupBox1", VelSkinPanel2, 10, 168, 179, 280);
  VelSkinGroupBox1->SetCaption(L"颜色");
  VelSkinGroupBox1->CheckBox().SetPictures(L"VelSkinCheckBox");
  ColPanel1 = MakeColorPanel(this, L"ColPanel1", VelSkinGroupBox1, 3, 24, clRed, 0);
  ColPanel2 = MakeColorPanel(this, L"ColPanel2", VelSkinGroupBox1, 59, 24, clLime, 1);
  ColPanel3 = MakeColorPanel(this, L"ColPanel3", VelSkinGroupBox1, 115, 24, clBlue, 2);
  ColPanel6 = MakeColorPanel(this, L"ColPanel6", VelSkinGroupBox1, 115, 80, clFuchsia, 3);
  ColPanel5 = MakeColorPanel(this, L"ColPanel5", VelSkinGroupBox1, 59, 80, clAqua, 4);
  ColPanel4 = MakeColorPanel(this, L"ColPanel4", VelSkinGroupBox1, 3, 80, clYellow, 5);
  ColPanel7 = MakeColorPanel(this, L"ColPanel7", VelSkinGroupBox1, 3, 136, 5275647, 6);
  ColPanel8 = MakeColorPanel(this, L"ColPanel8", VelSkinGroupBox1, 59, 136, 14822282, 7);
  for (TPanel* panel : {ColPanel1, ColPanel2, ColPanel3, ColPanel6, ColPanel5, ColPanel4, ColPanel7, ColPanel8})
    panel->OnClick = [this](TObject* Sender) { ColPanel1Click(Sender); };

  OverallTimer = new TTimer(this);
  OverallTimer->SetName(L"OverallTimer");
  OverallTimer->SetEnabled(false);
  OverallTimer->SetInterval(500);
  OverallTimer->SetOnTimer([this](TObject* Sender) { OverallTimerTimer(Sender); });
}

void Tmainwin::FormCreate(TObject*) {
  SetDoubleBuffered(true);
  StartTime = -1;
  Moves = 0;
  XSize = 0;
  YSize = 0;
  ColorBtn.assign(8, nullptr);
  Colors.assign(8, clNone);
  // By name, not by form order: palette index 3 is ColPanel4.
  ColorBtn = {ColPanel1, ColPanel2, ColPanel3, ColPanel4, ColPanel5, ColPanel6, ColPanel7, ColPanel8};
  for (size_t i = 0; i < ColorBtn.size(); ++i) {
    Colors[i] = ColorBtn[i]->Color();
    static_cast<TColorButton*>(ColorBtn[i])->SetPaletteIndex(static_cast<int32_t>(i));
    ColorBtn[i]->SetHint(L"Key " + std::to_wstring(i + 1));
    ColorBtn[i]->SetShowHint(true);
  }
  FRandom = std::make_unique<TGameRandom>();
  for (TVelSkinLabel* readOut : {VelSkinLabel3, MoveNum}) readOut->SetShowHint(true);
  Gamefield->OnDescription = [this] { return BoardDescription(); };
  Gamefield->OnValue = [this] { return CursorDescription(); };
}

void Tmainwin::StartGameClick(TObject*) {
  StartTime = static_cast<int64_t>(GetTickCount());
  Moves = 0;
  MoveNum->SetCaption(L"0");
  XSize = 20;
  SizeName = ChooseSize->Text();
  XSize = BoardSideForIndex(ChooseSize->ItemIndex());
  YSize = XSize;
  NumColors = ColorCountForIndex(ChooseColors->ItemIndex());
  platform = GenerateBoard(XSize, YSize, NumColors, [this](int32_t Range) { return FRandom->Below(Range); });
  FHistory.Clear();
  FCursorX = FCursorY = 0;
  FCursorShown = false;
  FWonMoves = -1;
  for (int i = 0; i < 8; ++i) {
    ColorBtn[i]->SetVisible(i < NumColors);
    ColorBtn[i]->SetTag(i);
  }
  OverallTimer->SetEnabled(true);
  Gamefield->Invalidate();
  StartSolver();
}

void Tmainwin::ColPanel1Click(TObject* Sender) {
  if (XSize <= 0) return;
  ++Moves;
  ShowMoveCount();
  auto* panel = dynamic_cast<TComponent*>(Sender);
  if (!panel) return;
  FloodFromCorner(static_cast<int32_t>(panel->Tag()));
}

void Tmainwin::FloodFromCorner(int32_t NewColor) {
  // Every counted move goes into the history, also one that changes nothing.
  if (FHistory.Play(platform, XSize, YSize, NewColor) == 0) return;
  Gamefield->Invalidate();
  CheckFinished();
}

void Tmainwin::CheckFinished() {
  if (!BoardFinished(platform, XSize, YSize)) return;
  const std::wstring timeText = ElapsedTimeText(ElapsedMilliseconds(StartTime, static_cast<int64_t>(GetTickCount())));
  OverallTimer->SetEnabled(false);
  XSize = 0;
  StartTime = -1;
  FHistory.Clear();
  FWonMoves = Moves;
  StopSolver();
  UpdateMoveHint();
  ShowSkinMessage(L"提 示", WinMessage(NumColors, SizeName, Moves, timeText), 3, {});
  Gamefield->Invalidate();
}

void Tmainwin::OverallTimerTimer(TObject*) {
  if (StartTime < 0) {
    OverallTimer->SetEnabled(false);
    return;
  }
  NeedTime->SetCaption(ElapsedTimeText(ElapsedMilliseconds(StartTime, static_cast<int64_t>(GetTickCount()))));
}

void Tmainwin::GamefieldPaint(TObject*) {
  TCanvas& canvas = Gamefield->Canvas();
  const int width = Gamefield->Width(), height = Gamefield->Height();
  canvas.Brush().SetColor(clBtnFace);
  canvas.FillRect(TRect{0, 0, width, height});
  if (XSize < 1 || YSize < 1) return;
  const int cw = width / XSize, ch = height / YSize;
  TColor last = 0;
  for (int y = 0; y < YSize; ++y) {
    for (int x = 0; x < XSize; ++x) {
      const TColor c = Colors[platform[x][y]];
      if (c != last) {
        last = c;
        canvas.Brush().SetColor(c);
      }
      canvas.FillRect(TRect{x * cw, y * ch, x * cw + cw, y * ch + ch});
    }
  }
  if (FGlyphs) PaintGlyphs(canvas, cw, ch);
  // An arrow from the corner to the centre of the player's cell, in the complement of its colour.
  const TColor corner = Colors[platform[0][0]];
  canvas.Pen().SetColor(static_cast<TColor>(~static_cast<uint32_t>(corner) & 0xFFFFFF));
  canvas.Brush().SetColor(corner);
  const int hx = cw / 2, hy = ch / 2;
  canvas.MoveTo(0, 0);
  canvas.LineTo(hx, hy);
  canvas.MoveTo(hx, ch / 4);
  canvas.LineTo(hx, hy);
  canvas.MoveTo(cw / 4, hy);
  canvas.LineTo(hx, hy);
  if (FCursorShown) PaintCursor(canvas, cw, ch);
}
