// The process-wide skin resource manager: finds skin images by id in the
// built-in list, in image files on disk and through an application hook, keeps
// a cache of images loaded from files, and lets the application add, replace,
// delete, back up, restore and grey images. Also the DPI functions every
// skinned control uses to scale its pixel constants.
//
// Images come back as shared objects owned by the manager's lists: callers
// draw from them and never free them.
#pragma once

#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "skin/resources/image_decode.h"
#include "skin/resources/skin_image.h"
#include "skin/resources/skin_image_list.h"

// ---- DPI -----------------------------------------------------------------------

// Process-wide switch of every DPI path; off unless the application turns it on.
extern bool DPIScalingEnabled;

// Pixels per inch of a control (nullptr: of the application's main form, else
// of the active form, else of the screen; with ScreenWhenNil the screen's
// directly). The default answers 96; the windowing layer installs its own.
using TPixelsPerInchFunc = std::function<int(TObject* Control, bool ScreenWhenNil)>;
void SetPixelsPerInchProvider(TPixelsPerInchFunc Provider);

// 1.0 while DPIScalingEnabled is off; otherwise Control's pixels per inch / 96.
double CurrentDPIScale(TObject* Control = nullptr);
// N unchanged while the switch is off; otherwise N x pixels per inch / 96, rounded.
int32_t ScaleByDPI(TObject* Component, int32_t N);

// Scales a font's point size by the component's DPI when the switch is on.
template <class TFontType> void ScaleFontByDPI(TObject* Component, TFontType& Font) {
  if (DPIScalingEnabled) Font.SetSize(ScaleByDPI(Component, Font.Size()));
}

// Copies Font into HotFont, keeping HotFont's own style and colour, when the switch is on.
template <class TFontType> void SyncHotFont(TFontType& Font, TFontType& HotFont) {
  if (!DPIScalingEnabled) return;
  const auto style = HotFont.Style();
  const auto color = HotFont.Color();
  HotFont.Assign(&Font);
  HotFont.SetStyle(style);
  HotFont.SetColor(color);
}

// "@DPI150" below 200 %, "@DPI200" below 300 %, "@DPI300" from there on;
// empty for a scale of 1.0 or less.
std::wstring DPISuffixOf(double Scale);
// The id cut before its first "@DPI" (the whole id when it has none).
std::wstring BaseResID(const std::wstring& ResID);
// Ids compare after trimming surrounding blanks and upper-casing.
bool SameResID(const std::wstring& A, const std::wstring& B);

// Resamples Src by Scale into Dst (blend drawing, linear resampling with
// transparent edges, eight transformed passes).
void ScaleSkinImage(TCustomBitmap32* Src, TCustomBitmap32* Dst, double Scale);

// ---- The manager ---------------------------------------------------------------

// Called at the end of every lookup with the id and the result so far; what
// it leaves in Image is returned to the caller.
using TOnGetImageEvent = std::function<void(TObject* Sender, const std::wstring& ResID, TVelSkinImage*& Image)>;

class TVelSkinResManager : public TPersistent {
public:
  // MainList is the built-in list (not owned; nullptr: an empty list of the
  // manager's own). Decoder is the image codec for files (nullptr: the platform's).
  explicit TVelSkinResManager(TVelSkinImageList* MainList, std::unique_ptr<TImageDecoder> Decoder = nullptr);
  ~TVelSkinResManager() override;
  TVelSkinResManager(const TVelSkinResManager&) = delete;
  TVelSkinResManager& operator=(const TVelSkinResManager&) = delete;

  // Called after every modification of the main list; notifies nobody here.
  virtual void Changed() {}
  // Index in the main list of the DPI variant of an id, creating it if needed; -1 if none.
  virtual int GetResIDByDPIScale(const std::wstring& SourceResID);

  int IndexOfRes(const std::wstring& ResID) const;
  int IndexOfFileName_RunTime(const std::wstring& FileName) const;

  // The main lookup: a file named ResID, else the main list (with DPI
  // variants when asked and enabled), else a file of that name beside the
  // executable; then OnGetImage. nullptr when nothing matches.
  TVelSkinImage* GetImageByName(const std::wstring& ResID, bool UseDPIImage = false);
  // Loads a file once into the run-time cache and returns the cached image.
  // A file that cannot be read or decoded raises EReadError (or a subclass)
  // and caches nothing.
  TVelSkinImage* GetImageByFileName(const std::wstring& FileName);

  // Appends a copy of Image under ResID; returns the new index.
  int AddRes(const TCustomBitmap32* Image, const std::wstring& ResID, const std::wstring& Description);
  // Loads the module's bitmap resource ResourceName (Instance: an HINSTANCE)
  // and appends it under ResID. Defined in the Windows build only.
  int AddRes(void* Instance, const std::wstring& ResourceName, const std::wstring& Description,
             const std::wstring& ResID);
  // Loads the file (".PNG" by the PNG rule, anything else by the generic
  // loader) and appends it; an empty ResID becomes the file name without its extension.
  int AddRes(const std::filesystem::path& ImageFileName, const std::wstring& ResID, const std::wstring& Description);
  // Copies Image (any 32-bit bitmap; nullptr empties the item) into the item
  // DestResID when there is one, as AddRes copies it; returns 0 in every case.
  int ReplaceRes(const std::wstring& DestResID, const TCustomBitmap32* Image);
  // Loads the file into the item DestResID; returns its index or -1.
  // NewDescription and NewResID are not applied.
  int ReplaceRes(const std::wstring& DestResID, const std::filesystem::path& ImageFileName,
                 const std::wstring& NewDescription, const std::wstring& NewResID);
  // Deletes the first matching main-list item, else the first matching cached file.
  void Delete(const std::wstring& ResID);

  void BackupImageByID(const std::wstring& ResID);
  void RestoreImageByID(const std::wstring& ResID, bool UseDPIImage = false);
  // Greys the image in place, always from its backed-up colours; nullptr if not found.
  TVelSkinImage* MakeGrayscaleImageByID(const std::wstring& ResID, bool UseDPIImage = false);

  void BeginUpdate();
  void EndUpdate();

  TVelSkinImageList* ImageList() const { return FImageList; }
  // Copies the items of Value into the main list.
  void SetImageList(TVelSkinImageList* Value);
  // Makes List the main list (not owned): used when the built-in module is rebuilt.
  void AttachImageList(TVelSkinImageList* List);
  TVelSkinImageList* RunTimeImageList() const { return FRunTimeImageList.get(); }
  bool Designing() const { return FDesigning; }
  void SetDesigning(bool Value) { FDesigning = Value; }
  const TOnGetImageEvent& OnGetImage() const { return FOnGetImage; }
  void SetOnGetImage(TOnGetImageEvent Value) { FOnGetImage = std::move(Value); }

  // Folder searched for ids that are neither files nor built in: the
  // executable's folder unless set otherwise.
  const std::filesystem::path& ProgramFolder() const { return FProgramFolder; }
  void SetProgramFolder(const std::filesystem::path& Value) { FProgramFolder = Value; }

  // Design-time support: the file is RunTimeResFileName, or when that is empty
  // "VelSkinDesignTimeRes.tmp" in the design-time folder. When the file is
  // missing the main list is written to it in the text form of the component
  // stream; then the file is read back into the main list, whose items are
  // updated in place so that images already handed out stay valid. Raises
  // EFOpenError "Not found VelSkinDesignTimeRes.tmp file!" when there is still
  // no file, EParserError or EReadError for a malformed one (the list is then
  // left as it was).
  void Refresh(const std::wstring& RunTimeResFileName);
  // Rebuilds the built-in module and follows its new list.
  void Reload();

  // Loads an image file into Image by the extension rule: a PNG that carries
  // transparency gets blend drawing, an opaque PNG opaque drawing. A BMP's
  // stated size is checked before it is decoded, and a BMP whose alpha is 0
  // in every pixel loads opaque.
  void LoadImageFile(const std::filesystem::path& FileName, TVelSkinImage& Image);

protected:
  std::string ClassName() const override { return "TVelSkinResManager"; }

private:
  TVelSkinImage* MainImage(int Index) const;
  TVelSkinImage* CachedImage(int Index) const;
  void LoadPng(const std::vector<uint8_t>& Bytes, TVelSkinImage& Image);
  void LoadGeneric(const std::vector<uint8_t>& Bytes, TVelSkinImage& Image);

  TVelSkinImageList* FImageList = nullptr;
  std::unique_ptr<TVelSkinImageList> FOwnedMainList;
  std::unique_ptr<TVelSkinImageList> FRunTimeImageList;
  bool FDesigning = false;
  TOnGetImageEvent FOnGetImage;
  std::unique_ptr<TImageDecoder> FDecoder;
  std::filesystem::path FProgramFolder;
};

// The single manager, created on first call over the built-in module's list
// and freed at program end.
TVelSkinResManager* SkinResManager();
// GetImageByName of the process-wide manager for what a control paints: an
// image file that cannot be read gives no image (nullptr) instead of an error,
// so that the control is drawn without that picture.
TVelSkinImage* SkinImageOrNone(const std::wstring& ResID, bool UseDPIImage = false);

// The built-in module "VelSkinResDM", created on first call; nullptr where the
// program carries no built-in images.
TVelSkinResDM* SkinResModule();

// The folder of the design-time resource file, from the current user's registry
// (key "Software\VelSkin", value "Path34"); empty where there is none.
std::wstring ReadDesignTimeResFolder();

// Reads a whole file of at most MaxImageFileBytes; raises EReadError otherwise.
std::vector<uint8_t> ReadImageFileBytes(const std::filesystem::path& FileName);
// A path from an id or file name held as UTF-16.
std::filesystem::path ResPath(const std::wstring& Name);
