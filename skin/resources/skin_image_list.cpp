#include "skin/resources/skin_image_list.h"

#include "toolkit/core/scope.h"

#include "skin/resources/component_stream.h"
#include "skin/resources/skin_image.h"


// ---- TVelSkinBitmapItem -------------------------------------------------------

TVelSkinBitmapItem::TVelSkinBitmapItem(TCollection* Collection)
    : TCollectionItem(Collection), FBitmap(std::make_unique<TVelSkinImage>()) {}

TVelSkinBitmapItem::~TVelSkinBitmapItem() = default;

void TVelSkinBitmapItem::SetBitmap(const TCustomBitmap32* Value) {
  if (Value == FBitmap.get()) return;
  if (Value)
    FBitmap->Assign(const_cast<TCustomBitmap32*>(Value));
  else
    FBitmap->SetSize(0, 0);
}

void TVelSkinBitmapItem::Assign(TPersistent* Source) {
  if (auto* item = dynamic_cast<TVelSkinBitmapItem*>(Source)) {
    if (item == this) return;
    FResID = item->FResID;
    FDescription = item->FDescription;
    SetBitmap(item->Bitmap());
    return;
  }
  TCollectionItem::Assign(Source);
}

// ---- TVelSkinBitmapCollection -------------------------------------------------

TVelSkinBitmapCollection::TVelSkinBitmapCollection(TVelSkinImageList* AOwner)
    : TOwnedCollection(AOwner, CollectionItemClassOf<TVelSkinBitmapItem>()) {}

TVelSkinBitmapItem* TVelSkinBitmapCollection::Add() { return static_cast<TVelSkinBitmapItem*>(TCollection::Add()); }

TVelSkinBitmapItem* TVelSkinBitmapCollection::Items(int Index) const {
  return static_cast<TVelSkinBitmapItem*>(TCollection::Items(Index));
}

void TVelSkinBitmapCollection::SetItems(int Index, TVelSkinBitmapItem* Value) { Items(Index)->Assign(Value); }

// ---- TVelSkinImageList --------------------------------------------------------

TVelSkinImageList::TVelSkinImageList(TComponent* AOwner)
    : TComponent(AOwner), FBitmaps(std::make_unique<TVelSkinBitmapCollection>(this)) {}

TVelSkinImageList::~TVelSkinImageList() = default;

void TVelSkinImageList::SetBitmaps(TVelSkinBitmapCollection* Value) {
  if (Value != FBitmaps.get()) FBitmaps->Assign(Value);
}

TBitmap32* TVelSkinImageList::Bitmap(int Index) const { return FBitmaps->Items(Index)->Bitmap(); }

void TVelSkinImageList::SetBitmap(int Index, const TCustomBitmap32* Value) {
  FBitmaps->Items(Index)->SetBitmap(Value);
}

// ---- Stored form --------------------------------------------------------------

namespace {

const char* const kModuleClass = "TVelSkinResDM";
const char* const kModuleName = "VelSkinResDM";
const char* const kListClass = "TVelSkinImageList";
const char* const kListName = "VelSkinImageListMain";

const char* const kDrawModeNames[] = {"dmOpaque", "dmBlend", "dmCustom", "dmTransparent"};
const char* const kCombineModeNames[] = {"cmBlend", "cmMerge"};

[[noreturn]] void PropertyError(const std::string& Path, const std::string& Problem) {
  throw EReadError("Error reading " + Path + ": " + Problem);
}

int32_t IntegerValue(const TStreamProperty& P, const std::string& Path) {
  if (!P.Value.IsInteger()) PropertyError(Path, "Invalid property value");
  return P.Value.Integer;
}

bool BooleanValue(const TStreamProperty& P, const std::string& Path) {
  if (!P.Value.IsBoolean()) PropertyError(Path, "Invalid property value");
  return P.Value.Type == TValueType::vaTrue;
}

const std::string& StringValue(const TStreamProperty& P, const std::string& Path) {
  if (P.Value.Type != TValueType::vaString) PropertyError(Path, "Invalid property value");
  return P.Value.Text;
}

template <size_t N>
int IdentValue(const TStreamProperty& P, const std::string& Path, const char* const (&Names)[N]) {
  if (P.Value.Type != TValueType::vaIdent) PropertyError(Path, "Invalid property value");
  for (size_t i = 0; i < N; ++i)
    if (P.Value.Text == Names[i]) return static_cast<int>(i);
  PropertyError(Path, "Invalid property value " + P.Value.Text);
}

// "Data": width, height, then width x height pixels. The block length must
// match the size it announces before the bitmap allocates anything.
void ReadBitmapData(TBitmap32& Bitmap, const std::vector<uint8_t>& Bytes, const std::string& Path) {
  if (Bytes.size() < 8) PropertyError(Path, "bitmap data shorter than its header");
  const uint8_t* b = Bytes.data();
  const int32_t width = static_cast<int32_t>(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24);
  const int32_t height = static_cast<int32_t>(b[4] | b[5] << 8 | b[6] << 16 | static_cast<uint32_t>(b[7]) << 24);
  if (width < 0 || height < 0) PropertyError(Path, "negative bitmap size");
  // width x height < 2^62, so the pixel count cannot overflow; compare it with
  // what the block holds before forming the byte count.
  const int64_t pixels = static_cast<int64_t>(width) * height;
  const int64_t expected = pixels <= static_cast<int64_t>(Bytes.size()) / 4 ? 8 + 4 * pixels : -1;
  if (expected != static_cast<int64_t>(Bytes.size()))
    PropertyError(Path, "bitmap data of " + std::to_string(width) + " x " + std::to_string(height) + " needs " +
                            std::to_string(expected) + " bytes, the block has " + std::to_string(Bytes.size()));
  TReadOnlyMemoryStream stream(Bytes.data(), static_cast<int64_t>(Bytes.size()));
  Bitmap.ReadData(stream);
}

void ReadItem(TVelSkinBitmapItem& Item, const TStreamPropertyList& Properties, const std::string& Path) {
  TBitmap32& bitmap = *Item.Bitmap();
  for (const TStreamProperty& p : Properties) {
    const std::string path = Path + "." + p.Name;
    if (p.Name == "ResID")
      Item.SetResID(Utf8ToWide(StringValue(p, path)));
    else if (p.Name == "Description")
      Item.SetDescription(Utf8ToWide(StringValue(p, path)));
    else if (p.Name == "Bitmap.DrawMode")
      bitmap.SetDrawMode(static_cast<TDrawMode>(IdentValue(p, path, kDrawModeNames)));
    else if (p.Name == "Bitmap.CombineMode")
      bitmap.SetCombineMode(static_cast<TCombineMode>(IdentValue(p, path, kCombineModeNames)));
    else if (p.Name == "Bitmap.MasterAlpha") {
      const int32_t alpha = IntegerValue(p, path);
      if (alpha < 0 || alpha > 255) PropertyError(path, "Invalid property value");
      bitmap.SetMasterAlpha(static_cast<uint32_t>(alpha));
    } else if (p.Name == "Bitmap.ResamplerClassName")
      bitmap.SetResamplerClassName(StringValue(p, path));
    else if (p.Name == "Bitmap.Data") {
      if (p.Value.Type != TValueType::vaBinary) PropertyError(path, "Invalid property value");
      ReadBitmapData(bitmap, p.Value.Bytes, path);
    } else
      PropertyError(path, "Property " + p.Name + " does not exist");
  }
}

void ReadImageList(TVelSkinImageList& List, const TStreamObject& Object) {
  const std::string owner = Object.Name;
  for (const TStreamProperty& p : Object.Properties) {
    const std::string path = owner + "." + p.Name;
    if (p.Name == "Left" || p.Name == "Top") {
      IntegerValue(p, path);  // design-surface position only
    } else if (p.Name == "Bitmaps") {
      if (p.Value.Type != TValueType::vaCollection) PropertyError(path, "Invalid property value");
      TVelSkinBitmapCollection& bitmaps = *List.Bitmaps();
      {
        TUpdateScope update(bitmaps);
        bitmaps.Clear();
        for (size_t i = 0; i < p.Value.Items.size(); ++i)
          ReadItem(*bitmaps.Add(), p.Value.Items[i], path + "[" + std::to_string(i) + "]");
      }
    } else {
      PropertyError(path, "Property " + p.Name + " does not exist");
    }
  }
}

TStreamPropertyList WriteItem(const TVelSkinBitmapItem& Item) {
  const TBitmap32& bitmap = *Item.Bitmap();
  TStreamPropertyList list;
  list.push_back({"ResID", TStreamValue::FromString(WideToUtf8(Item.ResID()))});
  if (!Item.Description().empty())
    list.push_back({"Description", TStreamValue::FromString(WideToUtf8(Item.Description()))});
  if (bitmap.DrawMode() != dmOpaque)
    list.push_back({"Bitmap.DrawMode", TStreamValue::FromIdent(kDrawModeNames[bitmap.DrawMode()])});
  if (bitmap.CombineMode() != cmBlend)
    list.push_back({"Bitmap.CombineMode", TStreamValue::FromIdent(kCombineModeNames[bitmap.CombineMode()])});
  if (bitmap.MasterAlpha() != 255)
    list.push_back({"Bitmap.MasterAlpha", TStreamValue::FromInteger(static_cast<int32_t>(bitmap.MasterAlpha()))});
  list.push_back({"Bitmap.ResamplerClassName", TStreamValue::FromString(bitmap.ResamplerClassName())});
  if (!bitmap.Empty()) {
    TMemoryStream data;
    bitmap.WriteData(data);
    list.push_back({"Bitmap.Data", TStreamValue::FromBinary(data.Bytes())});
  }
  return list;
}

}  // namespace

// ---- TVelSkinResDM ------------------------------------------------------------

TVelSkinResDM::TVelSkinResDM(TComponent* AOwner) : TComponent(AOwner) {
  std::unique_ptr<TStream> stream = OpenBuiltinSkinModule();
  if (!stream) throw EResNotFound("Resource TVELSKINRESDM not found");
  ReadFromStream(*stream);
}

TVelSkinResDM::TVelSkinResDM(TComponent* AOwner, TStream& Stream) : TComponent(AOwner) { ReadFromStream(Stream); }

void TVelSkinResDM::ReadFromStream(TStream& Stream) {
  const TStreamObject root = ReadComponentStream(Stream);
  if (root.ClassName != kModuleClass)
    throw EReadError("Invalid stream format: the module record is a " + root.ClassName + ", not a " + kModuleClass);

  BeginLoading();
  try {
    SetName(Utf8ToWide(root.Name));
    for (const TStreamProperty& p : root.Properties) {
      const std::string path = root.Name + "." + p.Name;
      if (p.Name == "OldCreateOrder")
        BooleanValue(p, path);
      else if (p.Name == "Height" || p.Name == "Width")
        IntegerValue(p, path);  // design-surface size only
      else
        PropertyError(path, "Property " + p.Name + " does not exist");
    }
    for (const TStreamObject& child : root.Children) {
      if (child.ClassName != kListClass) throw EReadError("Class " + child.ClassName + " not found");
      if (child.Name != kListName || FVelSkinImageListMain)
        throw EReadError("Error reading " + root.Name + ": unexpected component " + child.Name);
      FVelSkinImageListMain = new TVelSkinImageList(this);  // owned by this module
      FVelSkinImageListMain->SetName(Utf8ToWide(child.Name));
      ReadImageList(*FVelSkinImageListMain, child);
    }
    if (!FVelSkinImageListMain) throw EReadError("Error reading " + root.Name + ": " + kListName + " is missing");
  } catch (...) {
    EndLoading();
    throw;
  }
  EndLoading();
}

void TVelSkinResDM::SaveToStream(TStream& Stream) const {
  if (!FVelSkinImageListMain) throw EWriteError("The module has no image list");
  WriteSkinResModule(Stream, *FVelSkinImageListMain);
}

void WriteSkinResModule(TStream& Stream, const TVelSkinImageList& List) {
  TStreamObject root{kModuleClass, kModuleName, {}, {}};
  root.Properties = {{"OldCreateOrder", TStreamValue::FromBoolean(false)},
                     {"Height", TStreamValue::FromInteger(265)},
                     {"Width", TStreamValue::FromInteger(313)}};
  TStreamObject list{kListClass, kListName, {}, {}};
  std::vector<TStreamPropertyList> items;
  const TVelSkinBitmapCollection& bitmaps = *List.Bitmaps();
  for (int i = 0; i < bitmaps.Count(); ++i) items.push_back(WriteItem(*bitmaps.Items(i)));
  list.Properties = {{"Bitmaps", TStreamValue::FromCollection(std::move(items))},
                     {"Left", TStreamValue::FromInteger(136)},
                     {"Top", TStreamValue::FromInteger(88)}};
  root.Children.push_back(std::move(list));
  WriteComponentStream(Stream, root);
}
