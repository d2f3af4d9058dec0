// Named 32-bit skin images: the item, its collection, the image list component
// and the resource module that carries the built-in set, with the module's
// stored form (a component stream whose items hold the bitmaps' "Data").
// Portable: the Windows build hands the executable's RCDATA resource
// "TVELSKINRESDM" to the module as a stream.
#pragma once

#include "gfx/bitmap32.h"
#include "toolkit/core/components.h"
#include "toolkit/core/streams.h"

#include <memory>
#include <string>

class TVelSkinImageList;

class TVelSkinBitmapItem : public TCollectionItem {
public:
  explicit TVelSkinBitmapItem(TCollection* Collection);
  ~TVelSkinBitmapItem() override;

  TBitmap32* Bitmap() const { return FBitmap.get(); }
  // Copies Value's pixels and properties into the item's own bitmap (any
  // 32-bit bitmap, whatever its backend); nullptr empties it.
  void SetBitmap(const TCustomBitmap32* Value);
  const std::wstring& ResID() const { return FResID; }
  void SetResID(const std::wstring& Value) { FResID = Value; }
  const std::wstring& Description() const { return FDescription; }
  void SetDescription(const std::wstring& Value) { FDescription = Value; }

  // From another item: ResID, Description and the bitmap. Anything else falls
  // back to the default assignment (EConvertError).
  void Assign(TPersistent* Source) override;

protected:
  std::string ClassName() const override { return "TVelSkinBitmapItem"; }

private:
  std::unique_ptr<TBitmap32> FBitmap;
  std::wstring FResID;
  std::wstring FDescription;
};

class TVelSkinBitmapCollection : public TOwnedCollection {
public:
  explicit TVelSkinBitmapCollection(TVelSkinImageList* AOwner);

  TVelSkinBitmapItem* Add();
  TVelSkinBitmapItem* Items(int Index) const;
  // Assigns Value to item Index.
  void SetItems(int Index, TVelSkinBitmapItem* Value);

protected:
  std::string ClassName() const override { return "TVelSkinBitmapCollection"; }
};

class TVelSkinImageList : public TComponent {
public:
  explicit TVelSkinImageList(TComponent* AOwner);
  ~TVelSkinImageList() override;

  TVelSkinBitmapCollection* Bitmaps() const { return FBitmaps.get(); }
  // Copies the items of another collection; the list keeps its own collection.
  void SetBitmaps(TVelSkinBitmapCollection* Value);
  TBitmap32* Bitmap(int Index) const;
  // Copies Value into item Index's bitmap.
  void SetBitmap(int Index, const TCustomBitmap32* Value);

protected:
  std::string ClassName() const override { return "TVelSkinImageList"; }

private:
  std::unique_ptr<TVelSkinBitmapCollection> FBitmaps;
};

// The resource module of the built-in images.
class TVelSkinResDM : public TComponent {
public:
  // Builds the module from the built-in stored form ("TVELSKINRESDM" of the
  // executable). Raises EResNotFound when the program carries none.
  explicit TVelSkinResDM(TComponent* AOwner);
  // Builds the module from a stored form in Stream (read from its position).
  TVelSkinResDM(TComponent* AOwner, TStream& Stream);

  TVelSkinImageList* VelSkinImageListMain() const { return FVelSkinImageListMain; }

  // Writes the module's stored form (see WriteSkinResModule).
  void SaveToStream(TStream& Stream) const;

protected:
  std::string ClassName() const override { return "TVelSkinResDM"; }

private:
  void ReadFromStream(TStream& Stream);

  TVelSkinImageList* FVelSkinImageListMain = nullptr;  // owned as a component
};

// Writes a module's stored form holding List: the module record "VelSkinResDM"
// with its design-time properties, and List as "VelSkinImageListMain" with
// every item (ResID, non-default bitmap properties, resampler name, "Data").
void WriteSkinResModule(TStream& Stream, const TVelSkinImageList& List);

// The built-in module's stored form, supplied by the platform: on Windows the
// RCDATA resource "TVELSKINRESDM" of the executable; nullptr where the
// program carries none.
std::unique_ptr<TStream> OpenBuiltinSkinModule();
