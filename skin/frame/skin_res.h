// The form skin settings: the look of a skinned window (style, colours,
// title and frame sizes, background picture). One process-wide set is filled
// by every skin form's defaults and read by windows that the skin builds in
// code; a skin resource component carries another set, read from and saved
// to the skin file "Skin\Config.xml" beside the executable, and pushes every
// change to the skinned forms.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "skin/frame/skin_form.h"
#include "xml/xml_document.h"

class TVelFormLayerBorder;
class TVelSkinRes;

class TVelFormSkinRes : public TPersistent {
public:
  // Changes are pushed through Owner (nullptr: only OnChanged is told).
  explicit TVelFormSkinRes(TVelSkinRes* AOwner = nullptr) : FOwner(AOwner) {}
  TVelFormSkinRes(const TVelFormSkinRes&) = delete;
  TVelFormSkinRes& operator=(const TVelFormSkinRes&) = delete;

  // These setters store a different value and notify.
  const TVelResID& CustomPicture() const { return FCustomPicture; }
  void SetCustomPicture(const TVelResID& Value);
  int32_t HitTestWidth() const { return FHitTestWidth; }
  void SetHitTestWidth(int32_t Value);
  int32_t TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(int32_t Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TColor TitlerColor() const { return FTitlerColor; }
  void SetTitlerColor(TColor Value);
  TVelSkinStyle Style() const { return FStyle; }
  void SetStyle(TVelSkinStyle Value);
  int32_t FramWidth() const { return FFramWidth; }
  // Negative values are ignored.
  void SetFramWidth(int32_t Value);
  int32_t DefaultSkinOrder() const { return FDefaultSkinOrder; }
  void SetDefaultSkinOrder(int32_t Value);
  int32_t GradientHeight() const { return FGradientHeight; }
  void SetGradientHeight(int32_t Value);

  // These only store.
  bool ActiveGradient() const { return FActiveGradient; }
  void SetActiveGradient(bool Value) { FActiveGradient = Value; }
  bool DoubleFrame() const { return FDoubleFrame; }
  void SetDoubleFrame(bool Value) { FDoubleFrame = Value; }
  TVelFillStyle FillStyle() const { return FFillStyle; }
  void SetFillStyle(TVelFillStyle Value) { FFillStyle = Value; }
  bool FlatFrame() const { return FFlatFrame; }
  void SetFlatFrame(bool Value) { FFlatFrame = Value; }
  bool RoundWindow() const { return FRoundWindow; }
  void SetRoundWindow(bool Value) { FRoundWindow = Value; }
  // Not owned. With an owner the reference is cleared when the border goes;
  // without one the caller keeps the border alive or clears the reference.
  TVelFormLayerBorder* ImageBorder() const { return FImageBorder; }
  void SetImageBorder(TVelFormLayerBorder* Value);
  // The picture's file name without its folder, as the skin file names it.
  const std::wstring& CustomPictureName() const { return FCustomPictureName; }
  void SetCustomPictureName(const std::wstring& Value) { FCustomPictureName = Value; }
  TNotifyEvent OnChanged;

  // One notification for every change made in between; updates nest.
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate();
  // While locked changes are stored without any notification, also none on UnLock.
  void Lock() { FLocked = true; }
  void UnLock() { FLocked = false; }
  bool Locked() const { return FLocked; }
  TVelSkinRes* Owner() const { return FOwner; }

  // Copies every setting (not the owner or OnChanged) from another
  // TVelFormSkinRes, with one notification.
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelFormSkinRes"; }
  // Tells the owner to apply and then OnChanged, unless locked or inside an update.
  void Changed();

private:
  friend class TVelSkinRes;

  TVelResID FCustomPicture;
  int32_t FHitTestWidth = 5;
  int32_t FTitleHeight = 27;
  TColor FColor = 15920353;
  TColor FTitlerColor = 16761926;
  TVelSkinStyle FStyle = ssColor;
  int32_t FFramWidth = 2;
  int32_t FUpdateCount = 0;
  std::wstring FCustomPictureName;
  int32_t FDefaultSkinOrder = 0;
  int32_t FGradientHeight = 168;
  TVelSkinRes* FOwner = nullptr;
  bool FLocked = false;
  TVelFormLayerBorder* FImageBorder = nullptr;
  bool FActiveGradient = true;
  bool FDoubleFrame = true;
  TVelFillStyle FFillStyle = mfsBlur;
  bool FRoundWindow = true;
  bool FFlatFrame = false;
  bool FChangedInUpdate = false;
};

// The process-wide form skin settings (no owner, so they never apply anything).
TVelFormSkinRes& FormSkinRes();

// Limits on the values a skin file may carry; a file outside them is refused
// as a whole. Sizes in pixels, tint as in HSBAdjust.
struct TSkinFileLimits {
  static constexpr int32_t MaxHitTestWidth = 64;
  static constexpr int32_t MaxTitleHeight = 256;
  static constexpr int32_t MaxGradientHeight = 4096;
  static constexpr int32_t MaxFramWidth = 64;
  static constexpr int32_t MaxHue = 360;          // -360..360 degrees
  static constexpr int32_t MaxPercent = 100;      // -100..100 percent
  static constexpr size_t MaxPictureName = 240;   // characters
};

// A skin resource definition: the Form settings, read from and saved to the
// skin file, and pushed to every registered skinned form on each change.
// The skin file and its pictures are untrusted: a file that cannot be read
// whole leaves every setting as it was, and a picture name that points out
// of "Skin\Custom\" is not followed: the skin file names its picture by a
// plain file name in that folder.
class TVelSkinRes : public TComponent {
public:
  // BaseFolder holds "Skin\" and ends with a backslash; empty means the
  // executable's folder. Creation reads the skin file at once.
  explicit TVelSkinRes(TComponent* AOwner, const std::wstring& BaseFolder = L"");
  ~TVelSkinRes() override;

  TVelFormSkinRes& Form() { return *FForm; }
  // Copies Value's settings into Form.
  void SetForm(TVelFormSkinRes* Value) { FForm->Assign(Value); }
  bool UseSkinFile() const { return FUseSkinFile; }
  void SetUseSkinFile(bool Value) { FUseSkinFile = Value; }
  const std::wstring& BaseFolder() const { return FBaseFolder; }
  // BaseFolder + "Skin\Config.xml".
  const std::wstring& XmlFileName() const { return FXmlFileName; }
  // The picture used when the skin file names none that can be found.
  std::wstring DefaultPicture() const { return FBaseFolder + L"Skin\\Default\\skin_bk_leaf.jpg"; }

  // Reads the skin file into Form and the process-wide tint, without any
  // notification; without a file, only the default picture is put in (one
  // notification). False, with nothing changed, when the file cannot be
  // read whole; LastError then says why.
  bool Load();
  // Writes Form and the tint to the skin file, creating its folder; false
  // (at design time an exception) when that fails, with the old file intact.
  bool Save();
  // The default settings and no tint, with one notification.
  void ApplyDefault();
  // Sends MM_SKINRESCHANGED to every registered skinned form, the last
  // registered first, so that those that use this definition re-read it.
  // At design time it saves the file instead.
  void Apply();
  const std::string& LastError() const { return FLastError; }

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  std::string ClassName() const override { return "TVelSkinRes"; }

private:
  bool Designing() const { return ComponentState().Contains(csDesigning); }
  // The full path of a picture named by the skin file, or empty when the
  // name leaves "Skin\Custom\" or no such file is there.
  std::wstring CustomPicturePath(const std::wstring& Name) const;

  std::unique_ptr<TVelFormSkinRes> FForm;
  TXmlDocument FXml;
  std::wstring FXmlFileName;
  bool FUseSkinFile = true;
  std::wstring FBaseFolder;
  std::string FLastError;
};

// True when Name is a plain file name that stays in the folder it is joined
// to: no folder part (so no drive, root, UNC or device prefix and no ".."),
// no alternate stream or other character a file name cannot hold, no name
// that is only dots, no trailing dot or space, no reserved device name.
bool IsPlainFileName(const std::wstring& Name);
