// The XML document under Windows (Wine): the tree's checks, round trips
// through bytes and files, refusal of bad and hostile documents with the
// document left as it was, the replace-on-save, and a mutation fuzz loop.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <cstdint>
#include <random>
#include <string>

#include "xml/xml_document.h"

namespace {

bool SameTree(const TXmlElement& A, const TXmlElement& B) {
  if (A.Name() != B.Name() || A.Text() != B.Text() || A.Attributes() != B.Attributes() ||
      A.ChildCount() != B.ChildCount())
    return false;
  for (size_t i = 0; i < A.ChildCount(); ++i)
    if (!SameTree(A.Child(i), B.Child(i))) return false;
  return true;
}

std::string Nested(int Depth) {
  std::string s;
  for (int i = 0; i < Depth; ++i) s += "<a>";
  for (int i = 0; i < Depth; ++i) s += "</a>";
  return s;
}

// A temporary folder, removed with what is in it.
class TTempFolder {
public:
  TTempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    FPath = std::wstring(base) + L"xml_tests_" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(FPath.c_str(), nullptr);
  }
  ~TTempFolder() {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((FPath + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = FPath + data.cFileName;
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(name.c_str());
      } while (FindNextFileW(find, &data));
      FindClose(find);
    }
    RemoveDirectoryW(FPath.c_str());
  }
  const std::wstring& Path() const { return FPath; }
  int FileCount() const {
    int n = 0;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((FPath + L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return 0;
    do n += !(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    while (FindNextFileW(find, &data));
    FindClose(find);
    return n;
  }

private:
  std::wstring FPath;
};

std::string ReadAll(const std::wstring& Name) {
  std::string bytes;
  HANDLE f = CreateFileW(Name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(f);
  return bytes;
}

void WriteAll(const std::wstring& Name, const std::string& Bytes) {
  HANDLE f = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(f, INVALID_HANDLE_VALUE);
  DWORD wrote = 0;
  WriteFile(f, Bytes.data(), static_cast<DWORD>(Bytes.size()), &wrote, nullptr);
  CloseHandle(f);
}

TXmlDocument Sample() {
  TXmlDocument doc;
  TXmlElement& root = doc.CreateRoot(L"Root");
  root.SetAttribute(L"version", L"2 & \"more\"");
  TXmlElement& form = root.AddChild(L"Config").AddChild(L"Form");
  form.AddChild(L"Style", 1);
  form.AddChild(L"Name", L"中文 <&> 'quotes' \"too\"\ttab\nline\r\ncrlf\rcr");
  form.AddChild(L"Emoji", L"\xD83D\xDE00");
  form.AddChild(L"Empty", L"");
  form.AddChild(L"Low", int64_t(INT32_MIN));
  form.AddChild(L"High", int64_t(UINT32_MAX));
  root.AddChild(L"Config", L"second of that name");
  return doc;
}

}  // namespace

TEST(XmlTree, NamesAndTextAreChecked) {
  for (const wchar_t* good : {L"a", L"Form", L"HSB_H", L"_x", L"a-b.c", L"颜色", L"x1"})
    EXPECT_NO_THROW(TXmlElement{good}) << WideToUtf8(good);
  for (const wchar_t* bad : {L"", L"1a", L"-a", L"a b", L"a<b", L"a:b", L"a&", L"a\"", L".a"})
    EXPECT_THROW(TXmlElement{bad}, EXmlError) << WideToUtf8(bad);

  TXmlElement e(L"e");
  EXPECT_NO_THROW(e.SetText(L"tab\t lf\n cr\r 中 \xD83D\xDE00 \xFFFD"));
  for (const std::wstring& bad : {std::wstring(L"\x01"), std::wstring(1, L'\0'), std::wstring(L"\xFFFE"),
                                  std::wstring(L"lone \xD800 high"), std::wstring(L"lone \xDC00 low"),
                                  std::wstring(L"end \xD83D")}) {
    EXPECT_THROW(e.SetText(bad), EXmlError);
    EXPECT_THROW(e.AddChild(L"c", bad), EXmlError);
    EXPECT_THROW(e.SetAttribute(L"a", bad), EXmlError);
  }
  EXPECT_EQ(e.ChildCount(), 0u);
  e.SetText(L"a\r\nb\rc\n\r");
  EXPECT_EQ(e.Text(), L"a\nb\nc\n\n");
  EXPECT_EQ(e.AddChild(L"c", L"x\r\ny").Text(), L"x\ny");
  EXPECT_THROW(e.SetAttribute(L"a b", L"x"), EXmlError);
  e.SetAttribute(L"k", L"1");
  e.SetAttribute(L"k", L"2");
  ASSERT_EQ(e.Attributes().size(), 1u);
  EXPECT_EQ(*e.Attribute(L"k"), L"2");
  EXPECT_EQ(e.Attribute(L"none"), nullptr);
}

TEST(XmlTree, IntegersAreDecimalAndInRange) {
  TXmlElement e(L"n");
  const std::pair<const wchar_t*, int64_t> good[] = {
      {L"0", 0},           {L"-0", 0},
      {L"+17", 17},        {L" \t\r\n42\n ", 42},
      {L"-2147483648", INT32_MIN}, {L"4294967295", UINT32_MAX},
      {L"9223372036854775807", INT64_MAX}, {L"-9223372036854775808", INT64_MIN},
      {L"007", 7},
  };
  for (const auto& [text, value] : good) {
    e.SetText(text);
    EXPECT_EQ(e.Int64Value(), value) << WideToUtf8(text);
  }
  for (const wchar_t* bad : {L"", L" ", L"-", L"+", L"1.5", L"0x10", L"1e3", L"12a", L"1 2", L"--1", L"١٢",
                             L"9223372036854775808", L"-9223372036854775809", L"99999999999999999999"}) {
    e.SetText(bad);
    EXPECT_THROW(e.Int64Value(), EXmlError) << WideToUtf8(bad);
  }
  e.SetText(L"2147483647");
  EXPECT_EQ(e.IntValue(), INT32_MAX);
  e.SetText(L"2147483648");
  EXPECT_THROW(e.IntValue(), EXmlError);
  e.SetText(L"-2147483649");
  EXPECT_THROW(e.IntValue(), EXmlError);
  e.SetIntValue(-5);
  EXPECT_EQ(e.Text(), L"-5");
}

TEST(XmlTree, ChildrenByName) {
  TXmlDocument doc = Sample();
  TXmlElement& root = *doc.Root();
  EXPECT_EQ(root.FindChild(L"Config"), &root.Child(0));  // the first of two
  EXPECT_EQ(root.FindChild(L"config"), nullptr);         // names are case-sensitive
  EXPECT_EQ(&root.ChildByName(L"Config").ChildByName(L"Form"), &root.Child(0).Child(0));
  try {
    root.ChildByName(L"Missing");
    FAIL();
  } catch (const EXmlError& e) {
    EXPECT_STREQ(e.what(), "Element <Root> has no element <Missing>");
  }
  doc.CreateRoot(L"Other");
  EXPECT_EQ(doc.Root()->ChildCount(), 0u);
  doc.Clear();
  EXPECT_EQ(doc.Root(), nullptr);
  EXPECT_THROW(doc.SaveToBytes(), EXmlError);
}

TEST(XmlText, Utf8AndDeclaredEncoding) {
  for (const char* good : {"", "plain", "\xC2\x80", "\xE4\xB8\xAD", "\xEF\xBF\xBF", "\xF0\x9F\x98\x80", "\xF4\x8F\xBF\xBF"})
    EXPECT_TRUE(IsValidUtf8(good)) << good;
  const std::pair<const char*, size_t> bad[] = {
      {"\x80", 0},         {"ab\xC0\xAF", 2},  {"\xC1\xBF", 0},    {"\xE0\x80\xAF", 0}, {"\xF0\x80\x80\xAF", 0},
      {"\xED\xA0\x80", 0}, {"\xF4\x90\x80\x80", 0}, {"\xF5\x80\x80\x80", 0}, {"x\xE4\xB8", 1}, {"\xFF", 0},
      {"\xE4\x41\xAD", 0},
  };
  for (const auto& [bytes, at] : bad) {
    size_t offset = 99;
    EXPECT_FALSE(IsValidUtf8(bytes, &offset)) << bytes;
    EXPECT_EQ(offset, at) << bytes;
  }
  EXPECT_EQ(DeclaredEncoding(L"version=\"1.0\" encoding=\"UTF-8\""), L"UTF-8");
  EXPECT_EQ(DeclaredEncoding(L"version='1.0' encoding = 'latin1' standalone='yes'"), L"latin1");
  EXPECT_EQ(DeclaredEncoding(L"version=\"1.0\""), L"");
  EXPECT_EQ(DeclaredEncoding(L"version=\"1.0\" xencoding=\"x\" encoding=\"y\""), L"y");
}

TEST(XmlDocument, RoundTripThroughBytes) {
  const TXmlDocument doc = Sample();
  const std::string bytes = doc.SaveToBytes();
  EXPECT_EQ(bytes.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>", 0), 0u) << bytes;
  EXPECT_TRUE(IsValidUtf8(bytes));
  EXPECT_NE(bytes.find("\xE4\xB8\xAD\xE6\x96\x87"), std::string::npos);  // 中文 as UTF-8
  EXPECT_NE(bytes.find("\n    <Form>\n      <Style>1</Style>"), std::string::npos) << bytes;
  TXmlDocument back;
  back.LoadFromBytes(bytes);
  ASSERT_NE(back.Root(), nullptr);
  EXPECT_TRUE(SameTree(*doc.Root(), *back.Root())) << bytes;
  EXPECT_EQ(back.Root()->ChildByName(L"Config").ChildByName(L"Form").ChildByName(L"High").Int64Value(), UINT32_MAX);
  EXPECT_EQ(back.Root()->Child(0).Text(), L"");  // only layout whitespace around its children
}

TEST(XmlDocument, ReadsWhatOtherWritersProduce) {
  TXmlDocument doc;
  doc.LoadFromBytes("\xEF\xBB\xBF<?xml version='1.0' encoding='utf-8' standalone='yes'?>\n"
                    "<!-- a comment --><r a='1' b=\"&lt;&amp;&#x4E2D;\"><?pi data?><t><![CDATA[x<y]]> and &gt;</t>"
                    "<s>  spaced  </s><e/><m>mixed<c/>text</m></r>");
  const TXmlElement& r = *doc.Root();
  EXPECT_EQ(*r.Attribute(L"b"), L"<&中");
  EXPECT_EQ(r.ChildByName(L"t").Text(), L"x<y and >");
  EXPECT_EQ(r.ChildByName(L"s").Text(), L"  spaced  ");
  EXPECT_EQ(r.ChildByName(L"e").Text(), L"");
  EXPECT_EQ(r.ChildByName(L"m").Text(), L"mixedtext");
  EXPECT_EQ(r.ChildByName(L"m").ChildCount(), 1u);
}

TEST(XmlDocument, BadDocumentsAreRefusedAndLeaveTheDocument) {
  std::string deep;
  for (int i = 0; i < 20000; ++i) deep += "<a>";
  std::string laughs = "<?xml version=\"1.0\"?><!DOCTYPE l [<!ENTITY l0 \"lol\">";
  for (int i = 1; i < 10; ++i) {
    laughs += "<!ENTITY l" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) laughs += "&l" + std::to_string(i - 1) + ";";
    laughs += "\">";
  }
  laughs += "]><l>&l9;</l>";
  const std::pair<std::string, const char*> cases[] = {
      {"", "is empty"},
      {"\xEF\xBB\xBF", "is empty"},
      {"   ", "not well-formed"},
      {"<a><b>12</b", "not well-formed"},
      {"<a><b>12", "not well-formed"},
      {"<a><b>1</c></a>", "not well-formed"},
      {"<a/><b/>", "not well-formed"},
      {"<a x='1' x='2'/>", "not well-formed"},
      {"<a>&undefined;</a>", "not well-formed"},
      {"<a>&#0;</a>", "not well-formed"},
      {"<a>\x01</a>", "not well-formed"},
      {std::string("<a>\0</a>", 8), "not well-formed"},
      {"text only", "not well-formed"},
      {"<a>\xFF\xFE</a>", "is not UTF-8 (byte 3)"},
      {"\xFF\xFE<\0a\0/\0>\0", "is not UTF-8"},
      {"<?xml version='1.0' encoding='ISO-8859-1'?><a>\xC3\xA9</a>", "declares the encoding ISO-8859-1"},
      {"<?xml version='1.0' encoding='UTF-16'?><a/>", ""},
      {laughs, "document type declaration"},
      {"<!DOCTYPE a SYSTEM 'file:///c:/windows/win.ini'><a/>", "document type declaration"},
      {Nested(XmlMaxDepth + 1), "deeper than 64"},
      {deep, ""},
      {"<a:b xmlns:a='urn:x'/>", "Invalid XML element name"},
      {"<" + std::string(XmlMaxFileBytes, 'a') + "/>", "larger than 1 MiB"},
  };
  for (const auto& [bytes, message] : cases) {
    TXmlDocument doc;
    doc.CreateRoot(L"Kept").AddChild(L"Child", L"text");
    try {
      doc.LoadFromBytes(bytes, L"The test");
      ADD_FAILURE() << "accepted: " << bytes.substr(0, 80);
    } catch (const EXmlError& e) {
      EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
      EXPECT_EQ(std::string(e.what()).rfind("The test", 0), 0u) << e.what();
    }
    ASSERT_NE(doc.Root(), nullptr);
    EXPECT_EQ(doc.Root()->Name(), L"Kept");
    EXPECT_EQ(doc.Root()->ChildByName(L"Child").Text(), L"text");
  }
  TXmlDocument limit;
  EXPECT_NO_THROW(limit.LoadFromBytes(Nested(XmlMaxDepth)));
}

TEST(XmlDocument, FilesRoundTripAndAreCapped) {
  TTempFolder folder;
  const std::wstring name = folder.Path() + L"doc.xml";
  const TXmlDocument doc = Sample();
  doc.SaveToFile(name);
  EXPECT_EQ(ReadAll(name), doc.SaveToBytes());
  TXmlDocument back;
  back.LoadFromFile(name);
  EXPECT_TRUE(SameTree(*doc.Root(), *back.Root()));
  EXPECT_EQ(folder.FileCount(), 1);  // no temporary file left

  // A file just over the cap is refused before it is read.
  std::string big = "<a>" + std::string(XmlMaxFileBytes, ' ') + "</a>";
  WriteAll(name, big);
  try {
    back.LoadFromFile(name);
    FAIL();
  } catch (const EXmlError& e) {
    EXPECT_NE(std::string(e.what()).find("larger than 1 MiB"), std::string::npos) << e.what();
  }
  EXPECT_EQ(back.Root()->Name(), L"Root");
  EXPECT_THROW(back.LoadFromFile(folder.Path() + L"missing.xml"), EXmlError);
  EXPECT_THROW(back.LoadFromFile(folder.Path()), EXmlError);  // a folder
  EXPECT_THROW(back.LoadFromFile(L"NUL"), EXmlError);        // a device
}

TEST(XmlDocument, AFailedSaveLeavesTheOldFile) {
  TTempFolder folder;
  const std::wstring name = folder.Path() + L"doc.xml";
  TXmlDocument old;
  old.CreateRoot(L"Old");
  old.SaveToFile(name);
  const std::string before = ReadAll(name);

  // A read-only file is not replaced.
  ASSERT_TRUE(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_READONLY));
  EXPECT_THROW(Sample().SaveToFile(name), EXmlError);
  EXPECT_EQ(ReadAll(name), before);
  EXPECT_EQ(folder.FileCount(), 1);
  SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Nor one that another program holds open without sharing.
  {
    HANDLE held = CreateFileW(name.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_THROW(Sample().SaveToFile(name), EXmlError);
    CloseHandle(held);
  }
  EXPECT_EQ(ReadAll(name), before);
  EXPECT_EQ(folder.FileCount(), 1);

  // Nor is one that a folder stands in for, nor one in a folder that is not there.
  const std::wstring dir = folder.Path() + L"dir.xml";
  CreateDirectoryW(dir.c_str(), nullptr);
  EXPECT_THROW(Sample().SaveToFile(dir), EXmlError);
  EXPECT_EQ(GetFileAttributesW(dir.c_str()) & FILE_ATTRIBUTE_DIRECTORY, DWORD(FILE_ATTRIBUTE_DIRECTORY));
  RemoveDirectoryW(dir.c_str());
  EXPECT_THROW(Sample().SaveToFile(folder.Path() + L"no\\such\\doc.xml"), EXmlError);
  EXPECT_EQ(folder.FileCount(), 1);

  // A document that cannot be written does not touch the file at all.
  TXmlDocument empty;
  EXPECT_THROW(empty.SaveToFile(name), EXmlError);
  EXPECT_EQ(ReadAll(name), before);
}

// Mutated documents, from a fixed seed: every one either loads, and then
// saves and loads back to the same tree, or is refused with EXmlError.
TEST(XmlDocument, MutationFuzz) {
  // COM stays up for the loop (each operation would otherwise start and stop it).
  const bool com = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
  const std::string base = Sample().SaveToBytes();
  const std::string snippets[] = {"<",  ">",  "</",    "/>",       "&",     "&amp;", "&#",   "<![CDATA[", "]]>",
                                  "<?", "?>", "<!--",  "-->",      "\"",    "'",     "=",    "<x>",       "</x>",
                                  std::string(1, '\0'), "\xFF", "\xC3", "\xE4\xB8", "\xED\xA0\x80", "<!DOCTYPE", "&#x110000;", " "};
  std::mt19937 random(20240601u);
  auto below = [&](size_t N) { return N ? static_cast<size_t>(random() % N) : 0; };
  int loaded = 0, refused = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string doc = base;
    const int edits = 1 + static_cast<int>(below(4));
    for (int k = 0; k < edits; ++k) {
      switch (below(6)) {
        case 0:  // flip bits of one byte
          if (!doc.empty()) doc[below(doc.size())] ^= static_cast<char>(1 + below(255));
          break;
        case 1:  // cut the end off
          doc.resize(below(doc.size() + 1));
          break;
        case 2: {  // insert markup
          const std::string& s = snippets[below(std::size(snippets))];
          doc.insert(below(doc.size() + 1), s);
          break;
        }
        case 3:  // delete a run
          if (!doc.empty()) {
            const size_t at = below(doc.size());
            doc.erase(at, 1 + below(16));
          }
          break;
        case 4: {  // repeat a run
          const size_t at = below(doc.size() + 1);
          const std::string run = doc.substr(at, 1 + below(40));
          doc.insert(at, run);
          break;
        }
        default: {  // nest the whole document, sometimes past the limit
          const int depth = static_cast<int>(below(2 * XmlMaxDepth));
          const size_t body = doc.find("<Root");
          std::string open, close;
          for (int i = 0; i < depth; ++i) open += "<n>", close += "</n>";
          if (body != std::string::npos) doc = doc.substr(0, body) + open + doc.substr(body) + close;
          break;
        }
      }
    }
    TXmlDocument d;
    try {
      d.LoadFromBytes(doc);
    } catch (const EXmlError&) {
      ++refused;
      continue;
    }
    ++loaded;
    ASSERT_NE(d.Root(), nullptr);
    TXmlDocument again;
    ASSERT_NO_THROW(again.LoadFromBytes(d.SaveToBytes())) << "round " << round;
    ASSERT_TRUE(SameTree(*d.Root(), *again.Root())) << "round " << round << ":\n" << doc << "\n" << d.SaveToBytes();
  }
  if (com) CoUninitialize();
  // Both outcomes occur, so the loop exercises the parser and the refusals alike.
  EXPECT_GT(loaded, 100);
  EXPECT_GT(refused, 1000);
}
