#include "skin/controls/message_box.h"

#include <algorithm>

#include "gfx/win/gdi_backend.h"
#include "skin/controls/buttons.h"
#include "skin/controls/group_box.h"
#include "skin/frame/layer_border.h"
#include "skin/resources/skin_res_manager.h"
#include "toolkit/win/application.h"
#include "toolkit/win/clipboard.h"

namespace {

// The width and height of Text on one line in Font; '&' counts as a
// character of its own.
SIZE MeasureLine(TFont& Font, const wchar_t* Text, size_t N) {
  return MeasureTextRect(Font, Text, N, DT_SINGLELINE | DT_NOPREFIX);
}

// The work area the box must stay inside: that of the monitor it is centred
// on, or of the monitor nearest to its given corner.
TRect BoxWorkArea(int32_t X, int32_t Y) {
  if (X < -9999) return CenteringMonitor().WorkareaRect();
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(MonitorFromPoint(POINT{X, Y}, MONITOR_DEFAULTTONEAREST), &info))
    return TMonitor::PrimaryMonitor().WorkareaRect();
  return ToTRect(info.rcWork);
}

// Every frame setting of a skin settings object.
void CopyFrameSettings(TVelSkinForm& Skin, const TVelFormSkinRes& Settings) {
  Skin.SetActiveGradient(Settings.ActiveGradient());
  Skin.SetDoubleFrame(Settings.DoubleFrame());
  Skin.SetFillStyle(Settings.FillStyle());
  Skin.SetFlatFrame(Settings.FlatFrame());
  Skin.SetRoundWindow(Settings.RoundWindow());
  Skin.SetImageBorder(Settings.ImageBorder());
  Skin.SetTitleHeight(Settings.TitleHeight());
  Skin.SetTitlerColor(Settings.TitlerColor());
  Skin.SetColor(Settings.Color());
  Skin.SetFramWidth(Settings.FramWidth());
  Skin.SetHitTestWidth(Settings.HitTestWidth());
  Skin.SetGradientHeight(Settings.GradientHeight());
  Skin.SetStyle(Settings.Style());
  Skin.SetCustomPicture(Settings.CustomPicture());
}

// Deletes a component of Owner unless something freed it already.
template <class T> void DeleteOwned(TComponent* Owner, T*& Component) {
  if (!Component) return;
  for (int i = 0; i < Owner->ComponentCount(); ++i)
    if (Owner->Components(i) == Component) {
      delete Component;
      break;
    }
  Component = nullptr;
}

}  // namespace

TVelSkinMessageSettings& SkinMessageSettings() {
  static TVelSkinMessageSettings settings;
  return settings;
}

// ---- TVelSkinMessageForm ------------------------------------------------------------------------

TVelSkinMessageForm::TVelSkinMessageForm(TComponent* AOwner, int32_t X, int32_t Y) : TForm(AOwner, CreateNew) {
  SetKeyPreview(true);
  SetBorderIcons(0);
  SetBorderStyle(bsDialog);
  Font().SetSize(9);
  if (X < -9999) {
    SetPosition(poScreenCenter);
  } else {
    SetPosition(poDesigned);
    SetLeft(X);
    SetTop(Y);
  }

  // The box takes the look the skinned main window published, and publishes none of its own.
  const TVelFormSkinRes& shared = FormSkinRes();
  FVelSkinForm = new TVelSkinForm(this);
  FVelSkinForm->SetTag(99999);
  FVelSkinForm->SetActiveGradient(false);
  FVelSkinForm->SetRoundWindow(false);
  FVelSkinForm->SetColor(shared.Color());
  FVelSkinForm->SetCustomPicture(shared.CustomPicture());
  FVelSkinForm->SetFramWidth(shared.FramWidth());
  FVelSkinForm->SetHitTestWidth(shared.HitTestWidth());
  FVelSkinForm->SetStyle(shared.Style());
  FVelSkinForm->SetTitlerColor(shared.TitlerColor());
  FVelSkinForm->Options().SetMinimizeToTaskbar(false);

  FCloseNCButton = new TVelSkinSystemButton(this);
  FCloseNCButton->SetCloseImage(L"VelSkinTips_close");
  FCloseNCButton->Pos().SetUseDefault(false);
  FCloseNCButton->Pos().SetXValue(22);
  FCloseNCButton->Pos().SetYValue(4);

  FCaption = new TVelSkinNCLabel(this);
  FCaption->Font().SetSize(9);
  FCaption->Font().SetStyle(fsBold);

  TVelSkinMessageSettings& settings = SkinMessageSettings();
  FBottomPanel = new TVelSkinPanel(this);
  FBottomPanel->SetParent(this);
  FBottomPanel->SetAlign(alBottom);
  FBottomPanel->SetHeight(35);
  if (settings.TransparentBottom) {
    FBottomPanel->SetAlpha(0);
    FBottomPanel->SetBorderSides(0);
  } else {
    FBottomPanel->SetBorderSides(sdTop);
  }
  FBottomPanel->SetDoubleBorder(false);

  FMsg = new TVelSkinLabel(this);
  FMsg->SetParent(this);

  if (settings.MsgFont) FMsg->SetFont(*settings.MsgFont);
  if (settings.TitleFont) FCaption->SetFont(*settings.TitleFont);
  if (settings.MsgLight) FMsg->SetLight(settings.MsgLight.get());
  if (settings.TitleLight) FCaption->Light().Assign(settings.TitleLight.get());
  if (settings.FormSkinRes) CopyFrameSettings(*FVelSkinForm, *settings.FormSkinRes);
}

TVelSkinMessageForm::~TVelSkinMessageForm() {
  if (FVelSkinForm)
    if (TVelFormLayerBorder* border = FVelSkinForm->ImageBorder()) border->FreeLayerWindow();
  DeleteOwned(this, FCloseNCButton);
  DeleteOwned(this, FCaption);
  DeleteOwned(this, FMsg);
  DeleteOwned(this, FBottomPanel);
  DeleteOwned(this, FVelSkinForm);
}

std::wstring TVelSkinMessageForm::MessageText() const {
  if (FMessageText) return *FMessageText;
  return FMsg ? FMsg->Caption() : std::wstring();
}

std::wstring TVelSkinMessageForm::ClipboardText() const {
  return (FCaption ? FCaption->Caption() : std::wstring()) + L"\r\n" + MessageText() + L"\r\n";
}

// The box is owned by the application's window when the main form carries
// the taskbar button: it gets no button of its own.
void TVelSkinMessageForm::CreateParams(TCreateParams& Params) {
  TForm::CreateParams(Params);
  if (Application->MainFormOnTaskBar() && Application->Handle()) {
    Params.WndParent = Application->Handle();
    Params.ExStyle &= ~static_cast<DWORD>(WS_EX_APPWINDOW);
  }
}

void TVelSkinMessageForm::KeyDown(WORD& Key, TShiftState Shift) {
  if ((Shift & ssCtrl) && Key == 'C') {
    // The clipboard may be held by another program for longer than the
    // toolkit waits: the copy is then lost, as a copy from a system box is.
    try {
      Clipboard().SetAsText(ClipboardText());
    } catch (const EWin32Error&) {
    }
  }
  TForm::KeyDown(Key, Shift);
}

// The skinned frame is painted at once, not after the skin's first timer.
void TVelSkinMessageForm::CMShowingChanged(TWMBase& Message) {
  TForm::CMShowingChanged(Message);
  if (Showing() && HandleAllocated()) SendMessageW(Handle(), WM_NCPAINT, 0, 0);
}

// ---- Showing a box ------------------------------------------------------------------------------

int ShowSkinMessageEx(const std::wstring& Caption, const std::wstring& Text, uint8_t Kind, TVelMsgButtons Buttons,
                      bool ShowCheck, bool& Checked, int32_t X, int32_t Y) {
  auto box = std::make_unique<TVelSkinMessageForm>(Application, X, Y);
  box->SetScaled(true);
  if (DPIScalingEnabled) ScaleFontByDPI(box.get(), box->Font());
  const TMsgScale scale = [&box](int32_t N) { return ScaleByDPI(box.get(), N); };
  TVelSkinMessageSettings& settings = SkinMessageSettings();

  box->FCaption->SetCaption(Caption);
  // The window's own text too: what screen readers and window lists name it by.
  box->SetCaption(Caption);
  box->SetMessageText(Text);

  // The text is kept inside the work area: a line too wide is wrapped, and
  // lines beyond the screen's height are cut off. The label shows an '&' as
  // itself, not as the mark of an accelerator.
  const std::wstring icon = MsgIconID(Kind);
  const int32_t textLeft = MsgTextPlace(!icon.empty(), false, 0, 0, scale).Text.X;
  box->HandleNeeded();
  RECT window{}, client{};
  GetWindowRect(box->Handle(), &window);
  GetClientRect(box->Handle(), &client);
  const TRect work = BoxWorkArea(X, Y);
  const int32_t maxClientWidth = work.Width() - (window.right - window.left - client.right);
  const int32_t maxClientHeight = work.Height() - (window.bottom - window.top - client.bottom);
  const TMsgTextLimit limit = MsgTextLimit(maxClientWidth, maxClientHeight, textLeft, scale);
  TFont& msgFont = box->FMsg->Font();
  const int32_t lineHeight = std::max<int32_t>(MeasureLine(msgFont, L"Ag", 2).cy, 1);
  const std::wstring shown = FitMsgText(Text, limit.Width, limit.Height / lineHeight,
                                        [&msgFont](const wchar_t* S, size_t N) { return MeasureLine(msgFont, S, N).cx; });

  const TMsgTextPlace place =
      MsgTextPlace(!icon.empty(), MsgTextMultiLine(shown), box->FMsg->Top(), box->FMsg->Height(), scale);
  if (place.HasIcon) {
    auto* iconPanel = new TVelSkinPanel(box.get());
    iconPanel->SetParent(box.get());
    iconPanel->SetAlpha(0);
    iconPanel->SetBorderSides(0);
    iconPanel->SetBackgroundImage(icon);
    iconPanel->SetBounds(place.Icon.Left, place.Icon.Top, place.Icon.Width(), place.Icon.Height());
  }

  TVelSkinLabel* msg = box->FMsg;
  msg->SetAutoSize(true);
  msg->SetCaption(MsgLabelCaption(shown));
  msg->SetLeft(place.Text.X);
  msg->SetTop(place.Text.Y);
  // Should the label measure wider than the wrapping did, it clips.
  if (msg->Width() > limit.Width || msg->Height() > limit.Height) {
    msg->SetAutoSize(false);
    msg->SetBounds(msg->Left(), msg->Top(), std::min(msg->Width(), limit.Width), std::min(msg->Height(), limit.Height));
  }

  TVelSkinPanel* strip = box->FBottomPanel;
  TMsgBoxLayoutInput in;
  in.Buttons = Buttons;
  in.TextPos = TPoint{msg->Left(), msg->Top()};
  in.TextWidth = msg->Width();
  in.TextHeight = msg->Height();
  in.StripHeight = strip->Height();
  TVelSkinCheckBox* check = nullptr;
  if (ShowCheck) {
    check = new TVelSkinCheckBox(strip);
    check->SetParent(strip);
    check->SetChecked(Checked);
    const std::wstring caption = settings.CheckCaption.empty() ? MsgCheckCaption() : settings.CheckCaption;
    check->SetCaption(caption);
    in.ShowCheck = true;
    in.CheckTextWidth = MeasureLine(box->Font(), caption.c_str(), caption.size()).cx;
    in.CheckHeight = check->Height();
  }
  const TMsgBoxLayout layout = MsgBoxLayout(in, scale);
  box->SetClientSize(layout.ClientWidth, layout.ClientHeight);
  if (check) check->SetBounds(layout.Check.Left, layout.Check.Top, layout.Check.Width(), layout.Check.Height());

  TVelSkinButton* defaultButton = nullptr;
  for (int k = 0; k < MsgButtonKindCount; ++k) {
    const auto kind = static_cast<TVelMsgButton>(k);
    if (!layout.Buttons.Contains(kind)) continue;
    auto* button = new TVelSkinButton(strip);
    if (settings.ButtonPictures) button->SetPictures(*settings.ButtonPictures);
    if (settings.ButtonFont) button->SetFont(*settings.ButtonFont);
    if (settings.ButtonHotFont) button->SetHotFont(*settings.ButtonHotFont);
    button->SetParent(strip);
    button->SetCaption(settings.ButtonCaptions[k].empty() ? MsgButtonCaption(kind) : settings.ButtonCaptions[k]);
    button->SetModalResult(MsgButtonModalResult(kind));
    button->SetDefault(layout.Default == kind);
    button->SetCancel(layout.Cancel == kind);
    const TRect& r = layout.ButtonRects[k];
    button->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    if (layout.Default == kind) defaultButton = button;
  }
  // The default button has the focus, as in a system box: Space presses it too.
  if (defaultButton) box->SetActiveControl(defaultButton);

  box->SetFormStyle(fsStayOnTop);
  const int result = box->ShowModal();
  if (check) Checked = check->Checked();
  return result;
}

int ShowSkinMessage(const std::wstring& Caption, const std::wstring& Text, uint8_t Kind, TVelMsgButtons Buttons) {
  bool checked = false;
  return ShowSkinMessageEx(Caption, Text, Kind, Buttons, false, checked, -100000, -100000);
}

std::vector<TVelSkinMessageForm*> OpenSkinMessages() {
  std::vector<TVelSkinMessageForm*> boxes;
  for (HWND w : VisibleThreadWindows(nullptr))
    if (auto* box = dynamic_cast<TVelSkinMessageForm*>(TWinControl::FindControl(w))) boxes.push_back(box);
  return boxes;
}
