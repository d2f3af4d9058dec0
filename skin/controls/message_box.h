// The skinned message box: a small window built in code with a skinned frame
// and title bar, an optional icon, the message, an optional "do not show
// again" check box and a row of skinned buttons. ShowSkinMessageEx builds
// one, shows it modally and frees it; the layout rules are in
// message_box_layout.h.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "skin/controls/labels.h"
#include "skin/controls/message_box_layout.h"
#include "skin/controls/panels.h"
#include "skin/frame/nc_buttons.h"
#include "skin/frame/nc_controls.h"
#include "skin/frame/skin_form.h"
#include "skin/frame/skin_res.h"

// What every new box copies into its parts where it is set; all empty by
// default, and nothing in the game sets them.
struct TVelSkinMessageSettings {
  // Per button kind; empty: the built-in caption.
  std::array<std::wstring, MsgButtonKindCount> ButtonCaptions;
  std::wstring CheckCaption;
  std::unique_ptr<TPngPictures> ButtonPictures;
  std::unique_ptr<TFont> ButtonFont;
  std::unique_ptr<TFont> ButtonHotFont;
  std::unique_ptr<TFont> MsgFont;
  std::unique_ptr<TVelLightClass> MsgLight;
  std::unique_ptr<TFont> TitleFont;
  std::unique_ptr<TVelLightClass> TitleLight;
  // The bottom strip without its wash and its top line.
  bool TransparentBottom = false;
  // Frame settings that replace those the skinned main window published.
  std::unique_ptr<TVelFormSkinRes> FormSkinRes;
};
TVelSkinMessageSettings& SkinMessageSettings();

class TVelSkinMessageForm : public TForm {
public:
  // X below -9999 centres the box on the screen; otherwise (X, Y) is its
  // top-left corner. The box takes its frame colours from the process-wide
  // form skin settings.
  TVelSkinMessageForm(TComponent* AOwner, int32_t X, int32_t Y);
  ~TVelSkinMessageForm() override;

  TVelSkinSystemButton* FCloseNCButton = nullptr;
  TVelSkinForm* FVelSkinForm = nullptr;
  TVelSkinNCLabel* FCaption = nullptr;
  TVelSkinLabel* FMsg = nullptr;
  TVelSkinPanel* FBottomPanel = nullptr;

  // The message as given, which Ctrl+C copies; the label may show it wrapped
  // or cut to fit the screen. Until set, the label's caption.
  std::wstring MessageText() const;
  void SetMessageText(const std::wstring& Value) { FMessageText = Value; }
  // The title, CR LF, the message, CR LF: what Ctrl+C puts on the clipboard.
  std::wstring ClipboardText() const;

  // What accessibility clients read (accessible_controls.cpp).
  long AccRole() override;
  std::wstring AccDescription() override { return MessageText(); }

protected:
  void CreateParams(TCreateParams& Params) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void CMShowingChanged(TWMBase& Message) override;
  std::string ClassName() const override { return "TVelSkinMessageForm"; }

private:
  std::optional<std::wstring> FMessageText;
};

// Builds, shows modally and frees one box; returns the modal result (mrOk
// ... mrNo of the button pressed, mrCancel for the title bar's close button
// or Alt+F4). An empty button set shows one OK button. Kind 0 shows no icon,
// 1 to 4 the information, error, success and question icons; kinds above 4
// show none. With ShowCheck the check box starts as Checked and its state is
// written back. X below -9999 centres the box. Exceptions raised while the
// box is built or shown reach the caller after the box is freed.
int ShowSkinMessageEx(const std::wstring& Caption, const std::wstring& Text, uint8_t Kind, TVelMsgButtons Buttons,
                      bool ShowCheck, bool& Checked, int32_t X, int32_t Y);
// Centred, without the check box.
int ShowSkinMessage(const std::wstring& Caption, const std::wstring& Text, uint8_t Kind, TVelMsgButtons Buttons);

// The boxes this thread shows now, from the top of the z-order (the
// innermost of nested boxes is the enabled one).
std::vector<TVelSkinMessageForm*> OpenSkinMessages();
