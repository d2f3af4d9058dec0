// The skin resource definitions under Windows (Wine): which setters notify,
// updates and locks, the copy of a whole set, the skin file's round trip and
// layout, files that are refused without changing anything, picture names
// that try to leave their folder, the save that keeps the old file when it
// fails, and the broadcast that repaints every skinned form.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "skin/frame/frame_paint.h"
#include "skin/frame/layer_border.h"
#include "skin/frame/skin_res.h"
#include "skin/frame/tests/skinned_form_test_support.h"
#include "xml/xml_document.h"

namespace {

// Every value the skin file carries, for before-and-after comparisons.
struct TSnapshot {
  TVelSkinStyle Style;
  TVelResID CustomPicture;
  std::wstring CustomPictureName;
  int32_t DefaultSkinOrder, HitTestWidth, GradientHeight, TitleHeight;
  TColor TitlerColor, Color;
  int32_t FramWidth, H, S, B;
  bool operator==(const TSnapshot&) const = default;
};

TSnapshot Snap(TVelFormSkinRes& F) {
  return {F.Style(),        F.CustomPicture(), F.CustomPictureName(), F.DefaultSkinOrder(), F.HitTestWidth(),
          F.GradientHeight(), F.TitleHeight(), F.TitlerColor(),       F.Color(),            F.FramWidth(),
          HSB_H,            HSB_S,             HSB_B};
}

void WriteBytes(const std::wstring& Name, const std::string& Bytes) {
  HANDLE f = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE) << WideToUtf8(Name);
  DWORD wrote = 0;
  WriteFile(f, Bytes.data(), static_cast<DWORD>(Bytes.size()), &wrote, nullptr);
  CloseHandle(f);
}

std::string ReadBytes(const std::wstring& Name) {
  std::string bytes;
  HANDLE f = CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (::ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(f);
  return bytes;
}

// Removes a folder tree (attributes first, so read-only files go too).
void RemoveTree(const std::wstring& Folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((Folder + L"*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring path = Folder + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(path + L"\\");
      else
        DeleteFileW(path.c_str());
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(Folder.c_str());
}

std::vector<std::wstring> FilesIn(const std::wstring& Folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((Folder + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// A skin file with every element; Replace swaps one element's whole text
// ("<Name>value</Name>") for another, or drops it when the replacement is empty.
std::string SkinFile(const std::string& Element = "", const std::string& Replacement = "") {
  std::string form =
      "<Style>1</Style><FormBg>bg.png</FormBg><DefaultSkinOrder>3</DefaultSkinOrder>"
      "<HitTestWidth>7</HitTestWidth><GradientHeight>100</GradientHeight><TitleHeight>30</TitleHeight>"
      "<TitlerColor>255</TitlerColor><Color>65280</Color><FramWidth>4</FramWidth>"
      "<HSB_H>20</HSB_H><HSB_S>-10</HSB_S><HSB_B>5</HSB_B>";
  std::string file = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n<VelSkinRes><Config><Custom><Form>" + form +
                     "</Form></Custom></Config></VelSkinRes>";
  if (!Element.empty()) {
    const size_t at = file.find("<" + Element + ">");
    const size_t end = file.find("</" + Element + ">", at) + Element.size() + 3;
    file.replace(at, end - at, Replacement);
  }
  return file;
}

class SkinResWin : public ::testing::Test {
protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    Base = std::wstring(temp) + L"skin_res_tests_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    RemoveTree(Base);
    CreateDirectoryW(Base.c_str(), nullptr);
    HSB_H = HSB_S = HSB_B = 0;
  }
  void TearDown() override {
    HSB_H = HSB_S = HSB_B = 0;
    RemoveTree(Base);
  }
  std::wstring Skin() const { return Base + L"Skin\\"; }
  std::wstring Config() const { return Skin() + L"Config.xml"; }
  void MakeSkinFolders(bool WithDefault = true) {
    CreateDirectoryW(Skin().c_str(), nullptr);
    CreateDirectoryW((Skin() + L"Custom").c_str(), nullptr);
    CreateDirectoryW((Skin() + L"Default").c_str(), nullptr);
    WriteBytes(Skin() + L"Custom\\bg.png", "picture");
    if (WithDefault) WriteBytes(Skin() + L"Default\\skin_bk_leaf.jpg", "leaf");
  }
  std::wstring Base;
};

TEST_F(SkinResWin, SettersNotifyOrOnlyStore) {
  TVelFormSkinRes f;
  int changes = 0;
  f.OnChanged = [&](TObject* Sender) {
    EXPECT_EQ(Sender, &f);
    ++changes;
  };
  const std::vector<std::function<void()>> notifying = {
      [&] { f.SetColor(1); },          [&] { f.SetCustomPicture(L"p"); }, [&] { f.SetDefaultSkinOrder(1); },
      [&] { f.SetFramWidth(3); },      [&] { f.SetGradientHeight(9); },   [&] { f.SetHitTestWidth(1); },
      [&] { f.SetStyle(ssPicture); },  [&] { f.SetTitleHeight(30); },     [&] { f.SetTitlerColor(2); }};
  for (size_t i = 0; i < notifying.size(); ++i) {
    notifying[i]();
    EXPECT_EQ(changes, int(i + 1)) << "setter " << i;
    notifying[i]();  // the same value again
    EXPECT_EQ(changes, int(i + 1)) << "setter " << i << " repeated";
  }
  f.SetFramWidth(-1);
  EXPECT_EQ(f.FramWidth(), 3);
  TVelFormLayerBorder border(nullptr);
  changes = 0;
  f.SetActiveGradient(false);
  f.SetDoubleFrame(false);
  f.SetFillStyle(mfsTile);
  f.SetFlatFrame(true);
  f.SetRoundWindow(false);
  f.SetImageBorder(&border);
  f.SetCustomPictureName(L"n.png");
  EXPECT_EQ(changes, 0);
  EXPECT_EQ(f.ImageBorder(), &border);
  f.SetImageBorder(nullptr);
}

TEST_F(SkinResWin, UpdatesNestAndLocksSilence) {
  TVelFormSkinRes f;
  int changes = 0;
  f.OnChanged = [&](TObject*) { ++changes; };
  f.BeginUpdate();
  f.BeginUpdate();
  for (int i = 0; i < 10; ++i) f.SetGradientHeight(100 + i);
  f.EndUpdate();
  EXPECT_EQ(changes, 0);
  f.EndUpdate();
  EXPECT_EQ(changes, 1);
  f.EndUpdate();  // unbalanced: nothing
  f.BeginUpdate();
  f.SetGradientHeight(109);  // no change
  f.EndUpdate();
  EXPECT_EQ(changes, 1);

  f.Lock();
  f.SetColor(123);
  f.BeginUpdate();
  f.SetTitlerColor(456);
  f.EndUpdate();
  f.UnLock();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(f.Color(), 123);
  EXPECT_EQ(f.TitlerColor(), 456);
  f.SetColor(124);
  EXPECT_EQ(changes, 2);
}

TEST_F(SkinResWin, AssignCopiesEverySettingWithOneNotification) {
  TVelFormLayerBorder border(nullptr);
  TVelFormSkinRes from;
  from.SetActiveGradient(false);
  from.SetDoubleFrame(false);
  from.SetFillStyle(mfsStretch);
  from.SetFlatFrame(true);
  from.SetRoundWindow(false);
  from.SetImageBorder(&border);
  from.SetTitleHeight(31);
  from.SetTitlerColor(0x123456);
  from.SetColor(0x654321);
  from.SetFramWidth(0);
  from.SetHitTestWidth(9);
  from.SetGradientHeight(77);
  from.SetCustomPicture(L"C:\\pic.png");
  from.SetCustomPictureName(L"pic.png");
  from.SetStyle(ssPicture);
  from.SetDefaultSkinOrder(4);
  int fromChanges = 0;
  from.OnChanged = [&](TObject*) { ++fromChanges; };

  TVelFormSkinRes to;
  int changes = 0;
  to.OnChanged = [&](TObject*) { ++changes; };
  to.Assign(&from);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(fromChanges, 0);
  EXPECT_FALSE(to.ActiveGradient());
  EXPECT_FALSE(to.DoubleFrame());
  EXPECT_EQ(to.FillStyle(), mfsStretch);
  EXPECT_TRUE(to.FlatFrame());
  EXPECT_FALSE(to.RoundWindow());
  EXPECT_EQ(to.ImageBorder(), &border);
  EXPECT_EQ(to.TitleHeight(), 31);
  EXPECT_EQ(to.TitlerColor(), 0x123456);
  EXPECT_EQ(to.Color(), 0x654321);
  EXPECT_EQ(to.FramWidth(), 0);
  EXPECT_EQ(to.HitTestWidth(), 9);
  EXPECT_EQ(to.GradientHeight(), 77);
  EXPECT_EQ(to.CustomPicture(), L"C:\\pic.png");
  EXPECT_EQ(to.CustomPictureName(), L"pic.png");
  EXPECT_EQ(to.Style(), ssPicture);
  EXPECT_EQ(to.DefaultSkinOrder(), 4);
  to.SetImageBorder(nullptr);
  from.SetImageBorder(nullptr);

  // A component's settings forget a border that is freed.
  TVelSkinRes res(nullptr, Base);
  auto* owned = new TVelFormLayerBorder(nullptr);
  res.Form().SetImageBorder(owned);
  delete owned;
  EXPECT_EQ(res.Form().ImageBorder(), nullptr);
}

TEST_F(SkinResWin, SaveAndLoadRoundTripInTheFileLayout) {
  MakeSkinFolders();
  {
    TVelSkinRes res(nullptr, Base);
    TVelFormSkinRes& f = res.Form();
    f.BeginUpdate();
    f.SetStyle(ssPicture);
    f.SetCustomPictureName(L"bg.png");
    f.SetCustomPicture(Skin() + L"Custom\\bg.png");
    f.SetDefaultSkinOrder(-7);
    f.SetHitTestWidth(6);
    f.SetGradientHeight(200);
    f.SetTitleHeight(33);
    f.SetTitlerColor(clBtnFace);  // a system colour: a negative TColor
    f.SetColor(0xABCDEF);
    f.SetFramWidth(3);
    f.EndUpdate();
    HSB_H = -90, HSB_S = 40, HSB_B = -25;
    ASSERT_TRUE(res.Save()) << res.LastError();
  }
  TXmlDocument doc;
  doc.LoadFromFile(Config());
  ASSERT_EQ(doc.Root()->Name(), L"VelSkinRes");
  const TXmlElement& form = doc.Root()->ChildByName(L"Config").ChildByName(L"Custom").ChildByName(L"Form");
  std::vector<std::wstring> order;
  for (size_t i = 0; i < form.ChildCount(); ++i) order.push_back(form.Child(i).Name());
  const std::vector<std::wstring> expected = {L"Style",      L"FormBg", L"DefaultSkinOrder", L"HitTestWidth",
                                              L"GradientHeight", L"TitleHeight", L"TitlerColor", L"Color",
                                              L"FramWidth",  L"HSB_H",  L"HSB_S",            L"HSB_B"};
  EXPECT_EQ(order, expected);
  EXPECT_EQ(form.ChildByName(L"TitlerColor").Text(), std::to_wstring(clBtnFace));

  const TSnapshot saved{ssPicture, Skin() + L"Custom\\bg.png", L"bg.png", -7, 6, 200, 33, clBtnFace, 0xABCDEF, 3,
                        -90,       40,                          -25};
  HSB_H = HSB_S = HSB_B = 0;
  TVelSkinRes loaded(nullptr, Base);
  EXPECT_EQ(loaded.LastError(), "");
  EXPECT_TRUE(Snap(loaded.Form()) == saved);
}

TEST_F(SkinResWin, WithoutASkinFileOnlyTheDefaultPictureIsTaken) {
  {
    TVelSkinRes res(nullptr, Base);
    EXPECT_EQ(res.XmlFileName(), Base + L"Skin\\Config.xml");
    TVelFormSkinRes defaults;
    EXPECT_TRUE(Snap(res.Form()) == Snap(defaults));
  }
  MakeSkinFolders();
  TVelSkinRes res(nullptr, Base);
  EXPECT_EQ(res.Form().CustomPicture(), Skin() + L"Default\\skin_bk_leaf.jpg");
  EXPECT_EQ(res.Form().CustomPictureName(), L"skin_bk_leaf.jpg");
  EXPECT_EQ(res.Form().Style(), ssColor);

  // The executable's folder is the default base.
  TVelSkinRes beside(nullptr);
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  const std::wstring path = exe;
  EXPECT_EQ(beside.XmlFileName(), path.substr(0, path.find_last_of(L'\\') + 1) + L"Skin\\Config.xml");
}

TEST_F(SkinResWin, AFileThatCannotBeReadWholeChangesNothing) {
  MakeSkinFolders();
  WriteBytes(Config(), SkinFile());
  TVelSkinRes res(nullptr, Base);
  ASSERT_EQ(res.LastError(), "");
  ASSERT_EQ(res.Form().TitlerColor(), 255);
  ASSERT_EQ(HSB_H, 20);
  const TSnapshot before = Snap(res.Form());

  std::vector<std::pair<std::string, std::string>> files = {
      {"malformed", "<VelSkinRes><Config>"},
      {"truncated", SkinFile().substr(0, SkinFile().size() - 20)},
      {"not XML", "Style=1"},
      {"empty", ""},
      {"wrong root", "<Other><Config><Custom><Form/></Custom></Config></Other>"},
      {"text for a number", SkinFile("TitleHeight", "<TitleHeight>tall</TitleHeight>")},
      {"style out of range", SkinFile("Style", "<Style>2</Style>")},
      {"huge gradient", SkinFile("GradientHeight", "<GradientHeight>100000000</GradientHeight>")},
      {"negative title", SkinFile("TitleHeight", "<TitleHeight>-1</TitleHeight>")},
      {"colour beyond 32 bits", SkinFile("Color", "<Color>4294967296</Color>")},
      {"saturation beyond 100", SkinFile("HSB_S", "<HSB_S>101</HSB_S>")},
      {"Latin-1 declared", "<?xml version='1.0' encoding='ISO-8859-1'?>" + SkinFile().substr(40)},
  };
  // Each required element missing in turn, the containers too.
  for (const char* element : {"Style", "FormBg", "DefaultSkinOrder", "HitTestWidth", "GradientHeight",
                              "TitleHeight", "TitlerColor", "Color", "FramWidth", "HSB_H", "HSB_S", "HSB_B"})
    files.push_back({std::string("without ") + element, SkinFile(element, "")});
  files.push_back({"without Form", "<VelSkinRes><Config><Custom></Custom></Config></VelSkinRes>"});
  files.push_back({"without Custom", "<VelSkinRes><Config/></VelSkinRes>"});
  files.push_back({"without Config", "<VelSkinRes/>"});

  for (const auto& [what, bytes] : files) {
    WriteBytes(Config(), bytes);
    EXPECT_FALSE(res.Load()) << what;
    EXPECT_NE(res.LastError(), "") << what;
    EXPECT_TRUE(Snap(res.Form()) == before) << what;
  }
  // A good file is taken again afterwards.
  WriteBytes(Config(), SkinFile("TitlerColor", "<TitlerColor>-16777201</TitlerColor>"));
  EXPECT_TRUE(res.Load()) << res.LastError();
  EXPECT_EQ(res.Form().TitlerColor(), clBtnFace);
}

TEST_F(SkinResWin, PictureNamesStayInTheCustomFolder) {
  for (const wchar_t* good : {L"bg.png", L"背景.jpg", L"a b.jpg", L".hidden.png", L"console.png", L"COM10.png"})
    EXPECT_TRUE(IsPlainFileName(good)) << WideToUtf8(good);
  for (const wchar_t* bad :
       {L"", L".", L"..", L"...", L"..\\x.jpg", L"../x.jpg", L"sub\\x.jpg", L"C:\\x.jpg", L"C:x.jpg",
        L"\\\\server\\share\\x.jpg", L"\\\\?\\C:\\x.jpg", L"\\x.jpg", L"/etc/passwd", L"x.jpg:stream",
        L"x.jpg::$DATA", L"CON", L"nul.jpg", L"con.d.jpg", L"Com1.png", L"lpt9", L"CONIN$", L"x.jpg.", L"x.jpg ", L"a*b",
        L"a?b", L"a|b", L"a<b>", L"a\"b", L"tab\there"})
    EXPECT_FALSE(IsPlainFileName(bad)) << WideToUtf8(bad);
  EXPECT_FALSE(IsPlainFileName(std::wstring(241, L'a')));

  MakeSkinFolders();
  WriteBytes(Skin() + L"secret.png", "outside");
  const std::wstring leaf = Skin() + L"Default\\skin_bk_leaf.jpg";
  auto pictureFor = [&](const std::string& FormBg) {
    WriteBytes(Config(), SkinFile("FormBg", "<FormBg>" + FormBg + "</FormBg>"));
    TVelSkinRes res(nullptr, Base);
    EXPECT_EQ(res.LastError(), "") << FormBg;
    return std::make_pair(res.Form().CustomPicture(), res.Form().CustomPictureName());
  };
  EXPECT_EQ(pictureFor("bg.png"), std::make_pair(Skin() + L"Custom\\bg.png", std::wstring(L"bg.png")));
  const std::string escapes[] = {"..\\secret.png", "../secret.png", WideToUtf8(Skin()) + "secret.png",
                                 "\\\\localhost\\c$\\secret.png", "bg.png:alt", "..", "", "missing.png", "Custom"};
  for (const std::string& formBg : escapes)
    EXPECT_EQ(pictureFor(formBg), std::make_pair(leaf, std::wstring(L"skin_bk_leaf.jpg"))) << formBg;

  // Without the default picture a refused name keeps the picture as it was.
  DeleteFileW(leaf.c_str());
  WriteBytes(Config(), SkinFile("FormBg", "<FormBg>..\\secret.png</FormBg>"));
  TVelSkinRes res(nullptr, Base);
  EXPECT_EQ(res.Form().CustomPicture(), L"");
  EXPECT_EQ(res.Form().TitlerColor(), 255);  // the rest of the file is still taken
}

TEST_F(SkinResWin, AFailedSaveKeepsTheOldFile) {
  MakeSkinFolders();
  WriteBytes(Config(), SkinFile());
  const std::string before = ReadBytes(Config());
  TVelSkinRes res(nullptr, Base);
  res.Form().SetTitlerColor(0x010203);

  ASSERT_TRUE(SetFileAttributesW(Config().c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_FALSE(res.Save());
  EXPECT_NE(res.LastError(), "");
  EXPECT_EQ(ReadBytes(Config()), before);
  EXPECT_EQ(FilesIn(Skin()), std::vector<std::wstring>{L"Config.xml"});  // no temporary file left
  SetFileAttributesW(Config().c_str(), FILE_ATTRIBUTE_NORMAL);

  // A name that XML cannot carry fails before anything is written.
  res.Form().SetCustomPictureName(L"bad\x01name.png");
  EXPECT_FALSE(res.Save());
  EXPECT_EQ(ReadBytes(Config()), before);
  res.Form().SetCustomPictureName(L"bg.png");

  EXPECT_TRUE(res.Save()) << res.LastError();
  TVelSkinRes again(nullptr, Base);
  EXPECT_EQ(again.Form().TitlerColor(), 0x010203);

  // A file where the skin folder should be: nothing to save into.
  RemoveTree(Skin());
  WriteBytes(Base + L"Skin", "a file");
  EXPECT_FALSE(res.Save());
  EXPECT_EQ(ReadBytes(Base + L"Skin"), "a file");
}

// ---- The broadcast to skinned forms ----------------------------------------------------------

std::vector<HWND>* Received = nullptr;

LRESULT CALLBACK RecordSkinResChanged(int Code, WPARAM WParam, LPARAM LParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(LParam);
  if (Code == HC_ACTION && Received && message->message == MM_SKINRESCHANGED) Received->push_back(message->hwnd);
  return CallNextHookEx(nullptr, Code, WParam, LParam);
}

class SkinResFormsWin : public SkinResWin {
protected:
  void SetUp() override {
    SkinResWin::SetUp();
    Hook = SetWindowsHookExW(WH_CALLWNDPROC, RecordSkinResChanged, nullptr, GetCurrentThreadId());
    Received = &Messages;
  }
  void TearDown() override {
    Received = nullptr;
    UnhookWindowsHookEx(Hook);
    SkinResWin::TearDown();
  }
  static void ShowAt(TSkinnedForm& Form, int Left) {
    Form.SetPosition(poDesigned);
    Form.SetLeft(Left);
    Form.SetTop(40);
    Form.Show();
    ASSERT_TRUE(PumpUntil([&] { return !Form.AlphaBlend(); }));
  }
  // The top title row, which starts the gradient from the title colour.
  static uint32_t TitlePixel(TSkinnedForm& Form) {
    RECT w{};
    GetWindowRect(Form.Handle(), &w);
    return ScreenPixel(w.left + 100, w.top);
  }
  HHOOK Hook = nullptr;
  std::vector<HWND> Messages;
};

TEST_F(SkinResFormsWin, ATitleColourChangeRepaintsEverySkinnedForm) {
  TVelSkinRes res(nullptr, Base);
  TSkinnedForm first(false), second(false), unlinked(false);
  first.Skin->SetSkinRes(&res);
  second.Skin->SetSkinRes(&res);
  ShowAt(first, 0);
  ShowAt(second, 620);
  unlinked.Show();
  PumpFor(60);
  const uint32_t step = GradientStep(168);
  EXPECT_EQ(TitlePixel(first), GradientLine(res.Form().TitlerColor(), DefaultClient, step, 0) & 0xFFFFFF);

  Messages.clear();
  const TColor red = 0x0000C0;
  res.Form().SetTitlerColor(red);
  // Every registered form is told once, the last registered first.
  const std::vector<HWND> expected = {unlinked.Handle(), second.Handle(), first.Handle()};
  EXPECT_EQ(Messages, expected);
  EXPECT_EQ(first.Skin->TitlerColor(), red);
  EXPECT_EQ(second.Skin->TitlerColor(), red);
  EXPECT_EQ(unlinked.Skin->TitlerColor(), GameTitler);  // it has no skin resource to read
  PumpFor(60);
  const uint32_t expectedPixel = GradientLine(red, DefaultClient, step, 0) & 0xFFFFFF;
  EXPECT_EQ(TitlePixel(first), expectedPixel);
  EXPECT_EQ(TitlePixel(second), expectedPixel);
}

TEST_F(SkinResFormsWin, TenSettersInOneUpdateAreOneBroadcast) {
  TVelSkinRes res(nullptr, Base);
  TSkinnedForm form(false);
  form.Skin->SetSkinRes(&res);
  ShowAt(form, 100);
  int changes = 0;
  res.Form().OnChanged = [&](TObject*) { ++changes; };
  Messages.clear();
  TVelFormSkinRes& f = res.Form();
  f.BeginUpdate();
  f.SetColor(0xE0E0E0);
  f.SetTitlerColor(0x800000);
  f.SetGradientHeight(100);
  f.SetTitleHeight(28);
  f.SetHitTestWidth(4);
  f.SetFramWidth(1);
  f.SetDefaultSkinOrder(2);
  f.SetStyle(ssPicture);
  f.SetStyle(ssColor);
  f.SetCustomPicture(L"");
  EXPECT_TRUE(Messages.empty());
  f.EndUpdate();
  EXPECT_EQ(Messages, std::vector<HWND>{form.Handle()});
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(form.Skin->Color(), 0xE0E0E0);
  EXPECT_EQ(form.Skin->GradientHeight(), 100);

  // Defaults are one broadcast too, and the tint goes.
  Messages.clear();
  HSB_H = 30;
  res.ApplyDefault();
  EXPECT_EQ(Messages.size(), 1u);
  EXPECT_EQ(HSB_H, 0);
  EXPECT_EQ(form.Skin->TitlerColor(), 16761926);
  EXPECT_EQ(form.Skin->Color(), 15920353);

  // Loading is silent; the caller applies once the file is in.
  MakeSkinFolders();
  WriteBytes(Config(), SkinFile("Style", "<Style>0</Style>"));
  Messages.clear();
  ASSERT_TRUE(res.Load());
  EXPECT_TRUE(Messages.empty());
  res.Apply();
  EXPECT_EQ(Messages.size(), 1u);
  EXPECT_EQ(form.Skin->TitlerColor(), 255);
}

}  // namespace
