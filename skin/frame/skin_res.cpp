#include "skin/frame/skin_res.h"

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <limits>
#include <vector>

#include "skin/frame/frame_paint.h"
#include "skin/frame/layer_border.h"
#include "toolkit/core/scope.h"
#include "toolkit/win/application.h"

namespace {

template <class T> bool Store(T& Field, const T& Value) {
  if (Field == Value) return false;
  Field = Value;
  return true;
}

// ---- Skin file values -----------------------------------------------------------------------------

// Everything a skin file carries, read in full before any of it is used.
struct TSkinFileValues {
  TVelSkinStyle Style = ssColor;
  std::wstring FormBg;
  int32_t DefaultSkinOrder = 0, HitTestWidth = 0, GradientHeight = 0, TitleHeight = 0;
  TColor TitlerColor = 0, Color = 0;
  int32_t FramWidth = 0, H = 0, S = 0, B = 0;
};

int32_t Ranged(const TXmlElement& Form, const wchar_t* Name, int64_t Min, int64_t Max) {
  const int64_t v = Form.ChildByName(Name).Int64Value();
  if (v < Min || v > Max)
    throw EXmlError("The value of <" + WideToUtf8(Name) + ">, " + std::to_string(v) + ", is outside " +
                    std::to_string(Min) + ".." + std::to_string(Max));
  return static_cast<int32_t>(v);
}

// A colour is a TColor integer; its unsigned spelling is taken too.
TColor ColorValue(const TXmlElement& Form, const wchar_t* Name) {
  const int64_t v = Form.ChildByName(Name).Int64Value();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<uint32_t>::max())
    throw EXmlError("The value of <" + WideToUtf8(Name) + ">, " + std::to_string(v) + ", is not a colour");
  return static_cast<TColor>(static_cast<uint32_t>(v));
}

TSkinFileValues ReadValues(const TXmlDocument& Doc) {
  const TXmlElement* root = Doc.Root();
  if (!root || root->Name() != L"VelSkinRes") throw EXmlError("The skin file's root element is not <VelSkinRes>");
  const TXmlElement& form = root->ChildByName(L"Config").ChildByName(L"Custom").ChildByName(L"Form");
  using L = TSkinFileLimits;
  TSkinFileValues v;
  v.Style = static_cast<TVelSkinStyle>(Ranged(form, L"Style", ssColor, ssPicture));
  v.DefaultSkinOrder = Ranged(form, L"DefaultSkinOrder", std::numeric_limits<int32_t>::min(),
                              std::numeric_limits<int32_t>::max());
  v.FormBg = form.ChildByName(L"FormBg").Text();
  v.GradientHeight = Ranged(form, L"GradientHeight", 0, L::MaxGradientHeight);
  v.HitTestWidth = Ranged(form, L"HitTestWidth", 0, L::MaxHitTestWidth);
  v.TitleHeight = Ranged(form, L"TitleHeight", 0, L::MaxTitleHeight);
  v.TitlerColor = ColorValue(form, L"TitlerColor");
  v.Color = ColorValue(form, L"Color");
  v.FramWidth = Ranged(form, L"FramWidth", 0, L::MaxFramWidth);
  v.H = Ranged(form, L"HSB_H", -L::MaxHue, L::MaxHue);
  v.S = Ranged(form, L"HSB_S", -L::MaxPercent, L::MaxPercent);
  v.B = Ranged(form, L"HSB_B", -L::MaxPercent, L::MaxPercent);
  return v;
}

// ---- Files ----------------------------------------------------------------------------------------

// An existing ordinary file: not a folder, not a link or junction to somewhere else.
bool IsOrdinaryFile(const std::wstring& Path) {
  const DWORD attributes = GetFileAttributesW(Path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE));
}

bool Exists(const std::wstring& Path) { return GetFileAttributesW(Path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring ExecutableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return L"";
    if (n < buffer.size()) {
      const std::wstring path(buffer.data(), n);
      return path.substr(0, path.find_last_of(L"\\/") + 1);
    }
    buffer.resize(buffer.size() * 2);
  }
}

const wchar_t* const DefaultPictureName = L"skin_bk_leaf.jpg";

}  // namespace

bool IsPlainFileName(const std::wstring& Name) {
  if (Name.empty() || Name.size() > TSkinFileLimits::MaxPictureName) return false;
  for (wchar_t c : Name)
    if (c < 0x20 || std::wcschr(L"<>:\"/\\|?*", c)) return false;
  if (Name.back() == L'.' || Name.back() == L' ') return false;  // Windows would drop them
  if (Name.find_first_not_of(L'.') == std::wstring::npos) return false;
  // CON, NUL, COM1 and the like name devices, also with an extension.
  std::wstring stem = Name.substr(0, Name.find(L'.'));
  while (!stem.empty() && stem.back() == L' ') stem.pop_back();
  for (wchar_t& c : stem) c = static_cast<wchar_t>(std::towupper(c));
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"})
    if (stem == device) return false;
  if (stem.size() == 4 && (stem.rfind(L"COM", 0) == 0 || stem.rfind(L"LPT", 0) == 0) && stem[3] >= L'0' &&
      stem[3] <= L'9')
    return false;
  return true;
}

// ---- TVelFormSkinRes ------------------------------------------------------------------------------

void TVelFormSkinRes::SetCustomPicture(const TVelResID& Value) {
  if (Store(FCustomPicture, Value)) Changed();
}
void TVelFormSkinRes::SetHitTestWidth(int32_t Value) {
  if (Store(FHitTestWidth, Value)) Changed();
}
void TVelFormSkinRes::SetTitleHeight(int32_t Value) {
  if (Store(FTitleHeight, Value)) Changed();
}
void TVelFormSkinRes::SetColor(TColor Value) {
  if (Store(FColor, Value)) Changed();
}
void TVelFormSkinRes::SetTitlerColor(TColor Value) {
  if (Store(FTitlerColor, Value)) Changed();
}
void TVelFormSkinRes::SetStyle(TVelSkinStyle Value) {
  if (Store(FStyle, Value)) Changed();
}
void TVelFormSkinRes::SetFramWidth(int32_t Value) {
  if (Value >= 0 && Store(FFramWidth, Value)) Changed();
}
void TVelFormSkinRes::SetDefaultSkinOrder(int32_t Value) {
  if (Store(FDefaultSkinOrder, Value)) Changed();
}
void TVelFormSkinRes::SetGradientHeight(int32_t Value) {
  if (Store(FGradientHeight, Value)) Changed();
}

void TVelFormSkinRes::SetImageBorder(TVelFormLayerBorder* Value) {
  if (Value == FImageBorder) return;
  if (FOwner && FImageBorder) FOwner->RemoveFreeNotification(FImageBorder);
  FImageBorder = Value;
  if (FOwner && FImageBorder) FOwner->FreeNotification(FImageBorder);
}

void TVelFormSkinRes::Changed() {
  if (FLocked) return;
  if (FUpdateCount > 0) {
    FChangedInUpdate = true;
    return;
  }
  if (FOwner) FOwner->Apply();
  if (OnChanged) OnChanged(this);
}

void TVelFormSkinRes::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0 && FChangedInUpdate) {
    FChangedInUpdate = false;
    Changed();
  }
}

void TVelFormSkinRes::Assign(TPersistent* Source) {
  auto* from = dynamic_cast<TVelFormSkinRes*>(Source);
  if (!from) return TPersistent::Assign(Source);
  if (from == this) return;
  BeginUpdate();
  TScopeExit endUpdate([this] { EndUpdate(); });
  SetActiveGradient(from->FActiveGradient);
  SetDoubleFrame(from->FDoubleFrame);
  SetFillStyle(from->FFillStyle);
  SetFlatFrame(from->FFlatFrame);
  SetRoundWindow(from->FRoundWindow);
  SetImageBorder(from->FImageBorder);
  SetTitleHeight(from->FTitleHeight);
  SetTitlerColor(from->FTitlerColor);
  SetColor(from->FColor);
  SetFramWidth(from->FFramWidth);
  SetHitTestWidth(from->FHitTestWidth);
  SetGradientHeight(from->FGradientHeight);
  SetCustomPicture(from->FCustomPicture);
  SetCustomPictureName(from->FCustomPictureName);
  SetStyle(from->FStyle);
  SetDefaultSkinOrder(from->FDefaultSkinOrder);
}

TVelFormSkinRes& FormSkinRes() {
  static TVelFormSkinRes settings;
  return settings;
}

// ---- TVelSkinRes ----------------------------------------------------------------------------------

TVelSkinRes::TVelSkinRes(TComponent* AOwner, const std::wstring& BaseFolder)
    : TComponent(AOwner), FForm(std::make_unique<TVelFormSkinRes>(this)) {
  FBaseFolder = BaseFolder.empty() ? ExecutableFolder() : BaseFolder;
  if (!FBaseFolder.empty() && FBaseFolder.back() != L'\\' && FBaseFolder.back() != L'/') FBaseFolder += L'\\';
  FXmlFileName = FBaseFolder + L"Skin\\Config.xml";
  FUseSkinFile = true;
  Load();
}

TVelSkinRes::~TVelSkinRes() = default;

void TVelSkinRes::Loaded() {
  TComponent::Loaded();
  if (FUseSkinFile)
    Load();
  else
    Save();
}

void TVelSkinRes::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation == opRemove && FForm && AComponent == FForm->FImageBorder)
    FForm->FImageBorder = nullptr;
}

std::wstring TVelSkinRes::CustomPicturePath(const std::wstring& Name) const {
  if (!IsPlainFileName(Name)) return L"";
  const std::wstring path = FBaseFolder + L"Skin\\Custom\\" + Name;
  return IsOrdinaryFile(path) ? path : L"";
}

bool TVelSkinRes::Load() {
  FLastError.clear();
  TVelFormSkinRes& form = *FForm;
  if (!Exists(FXmlFileName)) {
    form.BeginUpdate();
    TScopeExit endUpdate([&] { form.EndUpdate(); });
    const std::wstring picture = DefaultPicture();
    if (IsOrdinaryFile(picture)) {
      form.SetCustomPictureName(DefaultPictureName);
      form.SetCustomPicture(picture);
    }
    return true;
  }
  // Read everything first: a file that fails anywhere changes nothing.
  TXmlDocument doc;
  TSkinFileValues values;
  try {
    doc.LoadFromFile(FXmlFileName);
    values = ReadValues(doc);
  } catch (const std::exception& e) {
    FLastError = e.what();
    return false;
  }
  std::wstring picture = CustomPicturePath(values.FormBg), pictureName = values.FormBg;
  if (picture.empty()) {
    picture = DefaultPicture();
    pictureName = DefaultPictureName;
    if (!IsOrdinaryFile(picture)) picture.clear();
  }

  FXml = std::move(doc);
  const bool wasLocked = form.Locked();
  form.Lock();
  TScopeExit unlock([&] {
    if (!wasLocked) form.UnLock();
  });
  form.SetStyle(values.Style);
  form.SetDefaultSkinOrder(values.DefaultSkinOrder);
  if (!picture.empty()) {
    form.SetCustomPictureName(pictureName);
    form.SetCustomPicture(picture);
  }
  form.SetGradientHeight(values.GradientHeight);
  form.SetHitTestWidth(values.HitTestWidth);
  form.SetTitleHeight(values.TitleHeight);
  form.SetTitlerColor(values.TitlerColor);
  form.SetColor(values.Color);
  form.SetFramWidth(values.FramWidth);
  HSB_H = values.H;
  HSB_S = values.S;
  HSB_B = values.B;
  return true;
}

bool TVelSkinRes::Save() {
  FLastError.clear();
  try {
    const TVelFormSkinRes& form = *FForm;
    TXmlDocument doc;
    TXmlElement& values = doc.CreateRoot(L"VelSkinRes").AddChild(L"Config").AddChild(L"Custom").AddChild(L"Form");
    values.AddChild(L"Style", int64_t(form.Style()));
    values.AddChild(L"FormBg", form.CustomPictureName());
    values.AddChild(L"DefaultSkinOrder", int64_t(form.DefaultSkinOrder()));
    values.AddChild(L"HitTestWidth", int64_t(form.HitTestWidth()));
    values.AddChild(L"GradientHeight", int64_t(form.GradientHeight()));
    values.AddChild(L"TitleHeight", int64_t(form.TitleHeight()));
    values.AddChild(L"TitlerColor", int64_t(form.TitlerColor()));
    values.AddChild(L"Color", int64_t(form.Color()));
    values.AddChild(L"FramWidth", int64_t(form.FramWidth()));
    values.AddChild(L"HSB_H", int64_t(HSB_H));
    values.AddChild(L"HSB_S", int64_t(HSB_S));
    values.AddChild(L"HSB_B", int64_t(HSB_B));
    const std::wstring folder = FBaseFolder + L"Skin";
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      throw EXmlError("Cannot create the folder " + WideToUtf8(folder) + " (error " + std::to_string(GetLastError()) +
                      ")");
    doc.SaveToFile(FXmlFileName);
    FXml = std::move(doc);
    return true;
  } catch (const std::exception& e) {
    FLastError = e.what();
    if (Designing()) throw;
    return false;
  }
}

void TVelSkinRes::ApplyDefault() {
  if (Designing()) return;
  TVelFormSkinRes& form = *FForm;
  form.BeginUpdate();
  TScopeExit endUpdate([&] { form.EndUpdate(); });
  form.SetStyle(ssColor);
  form.SetDefaultSkinOrder(0);
  form.SetCustomPicture(L"");
  // Else a later save would name the old picture again.
  form.SetCustomPictureName(L"");
  form.SetHitTestWidth(5);
  form.SetTitleHeight(27);
  form.SetGradientHeight(168);
  form.SetTitlerColor(16761926);
  form.SetColor(15920353);
  form.SetFramWidth(2);
  if (SkinTintActive()) {
    HSB_H = HSB_S = HSB_B = 0;
    form.Changed();  // the forms repaint without the tint
  }
}

void TVelSkinRes::Apply() {
  if (Designing()) {
    Save();
    return;
  }
  // Pending messages may close forms: each one is looked up again before it is told.
  TVelFormSkinHelper& registry = TVelFormSkinHelper::Instance();
  std::vector<TCustomForm*> forms;
  for (int i = 0; i < registry.Count(); ++i) forms.push_back(registry.Forms(i));
  for (auto it = forms.rbegin(); it != forms.rend(); ++it) {
    Application->ProcessMessages();
    TCustomForm* form = *it;
    if (registry.IndexOf(form) < 0) continue;
    if (form->HandleAllocated())
      SendMessageW(form->Handle(), MM_SKINRESCHANGED, 0, 0);
    else
      form->Perform(MM_SKINRESCHANGED);  // no window yet: the skin form takes the settings all the same
  }
}
