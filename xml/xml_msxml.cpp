// Parsing and writing through the system's XML DOM (MSXML 6, else 3), and
// the file side: a size-capped read and a write that replaces the file only
// once the new content is complete on disk.
#include "xml/xml_document.h"

#include <windows.h>
#include <objbase.h>
#include <msxml2.h>
#include <oleauto.h>

#include "toolkit/win/com_ptr.h"

#include <cstring>
#include <utility>
#include <vector>

namespace {

// IXMLDOMDocument2 is not in the import libraries of the cross compiler.
const GUID IID_XMLDOMDocument2 = {0x2933bf95, 0x7b36, 0x11d2, {0xb2, 0x0e, 0x00, 0xc0, 0x4f, 0x98, 0x3e, 0x60}};

class TBStr {
public:
  explicit TBStr(const std::wstring& Text) : FStr(SysAllocStringLen(Text.data(), static_cast<UINT>(Text.size()))) {
    if (!FStr && !Text.empty()) throw EXmlError("Out of memory for an XML string");
  }
  TBStr() = default;
  ~TBStr() { SysFreeString(FStr); }
  TBStr(const TBStr&) = delete;
  TBStr& operator=(const TBStr&) = delete;
  BSTR Get() const { return FStr; }
  BSTR* Put() {
    SysFreeString(FStr);
    FStr = nullptr;
    return &FStr;
  }
  std::wstring Str() const { return FStr ? std::wstring(FStr, SysStringLen(FStr)) : std::wstring(); }

private:
  BSTR FStr = nullptr;
};

class TVariant {
public:
  TVariant() { VariantInit(&V); }
  ~TVariant() { VariantClear(&V); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;
  VARIANT V;
};

// Initialises COM on this thread for one operation when nobody has yet.
class TComScope {
public:
  TComScope() : FOwned(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
  ~TComScope() {
    if (FOwned) CoUninitialize();
  }
  TComScope(const TComScope&) = delete;
  TComScope& operator=(const TComScope&) = delete;

private:
  bool FOwned;
};

std::string Hex(DWORD Code) {
  char text[16];
  wsprintfA(text, "0x%08lX", static_cast<unsigned long>(Code));
  return text;
}

void Check(HRESULT Hr, const char* Call) {
  if (FAILED(Hr)) throw EXmlError(std::string("The XML DOM failed: ") + Call + " (" + Hex(Hr) + ")");
}

void SetBool(IXMLDOMDocument2* Doc, const wchar_t* Name, bool Value) {
  TVariant v;
  v.V.vt = VT_BOOL;
  v.V.boolVal = Value ? VARIANT_TRUE : VARIANT_FALSE;
  Doc->setProperty(TBStr(Name).Get(), v.V);  // not every version knows every property
}

void NewDocument(TComPtr<IXMLDOMDocument2>& Doc) {
  // The newest installed version, looked up once.
  static const CLSID kind = [] {
    CLSID id = GUID_NULL;
    for (const wchar_t* progId : {L"Msxml2.DOMDocument.6.0", L"Msxml2.DOMDocument.3.0"})
      if (SUCCEEDED(CLSIDFromProgID(progId, &id))) break;
    return id;
  }();
  if (kind == GUID_NULL) throw EXmlError("The system has no XML DOM (MSXML 3 or 6)");
  Check(CoCreateInstance(kind, nullptr, CLSCTX_INPROC_SERVER, IID_XMLDOMDocument2, Doc.PutVoid()),
        "CoCreateInstance(DOMDocument)");
  Check(Doc->put_async(VARIANT_FALSE), "put_async");
  Doc->put_validateOnParse(VARIANT_FALSE);
  Doc->put_resolveExternals(VARIANT_FALSE);
  Doc->put_preserveWhiteSpace(VARIANT_TRUE);
  SetBool(Doc.Get(), L"ProhibitDTD", true);
  SetBool(Doc.Get(), L"AllowDocumentFunction", false);
  SetBool(Doc.Get(), L"AllowXsltScript", false);
  TVariant depth;
  depth.V.vt = VT_I4;
  depth.V.lVal = XmlMaxDepth;
  Doc->setProperty(TBStr(L"MaxElementDepth").Get(), depth.V);
}

// ---- Reading --------------------------------------------------------------------------------------

std::string ParseErrorText(IXMLDOMDocument2* Doc) {
  TComPtr<IXMLDOMParseError> error;
  if (FAILED(Doc->get_parseError(error.Put())) || !error) return "";
  long line = 0, column = 0;
  error->get_line(&line);
  error->get_linepos(&column);
  TBStr reason;
  error->get_reason(reason.Put());
  std::wstring text = reason.Str();
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) text.pop_back();
  std::string out;
  if (line > 0) out = " at line " + std::to_string(line) + ", column " + std::to_string(column);
  if (!text.empty()) out += ": " + WideToUtf8(text);
  return out;
}

void ReadElement(IXMLDOMNode* Node, TXmlElement& Element, int Depth, const std::string& Source) {
  if (Depth > XmlMaxDepth)
    throw EXmlError(Source + " nests elements deeper than " + std::to_string(XmlMaxDepth) + " levels");
  TComPtr<IXMLDOMNamedNodeMap> attributes;
  if (SUCCEEDED(Node->get_attributes(attributes.Put())) && attributes) {
    long count = 0;
    attributes->get_length(&count);
    for (long i = 0; i < count; ++i) {
      TComPtr<IXMLDOMNode> attribute;
      if (FAILED(attributes->get_item(i, attribute.Put())) || !attribute) continue;
      TBStr name, value;
      Check(attribute->get_nodeName(name.Put()), "get_nodeName");
      Check(attribute->get_text(value.Put()), "get_text");
      Element.SetAttribute(name.Str(), value.Str());
    }
  }
  std::vector<std::wstring> pieces;
  TComPtr<IXMLDOMNode> child;
  Node->get_firstChild(child.Put());
  while (child) {
    DOMNodeType type = NODE_INVALID;
    Check(child->get_nodeType(&type), "get_nodeType");
    switch (type) {
      case NODE_ELEMENT: {
        TBStr name;
        Check(child->get_nodeName(name.Put()), "get_nodeName");
        ReadElement(child.Get(), Element.AddChild(name.Str()), Depth + 1, Source);
        break;
      }
      case NODE_TEXT:
      case NODE_CDATA_SECTION: {
        TVariant value;
        Check(child->get_nodeValue(&value.V), "get_nodeValue");
        if (value.V.vt == VT_BSTR && value.V.bstrVal) pieces.emplace_back(value.V.bstrVal, SysStringLen(value.V.bstrVal));
        break;
      }
      case NODE_COMMENT:
      case NODE_PROCESSING_INSTRUCTION:
        break;
      default:
        throw EXmlError(Source + " holds an entity reference or another node this reader does not take");
    }
    TComPtr<IXMLDOMNode> next;
    child->get_nextSibling(next.Put());
    child.Swap(next);
  }
  std::wstring text;
  if (Element.ChildCount() == 0) {
    for (const std::wstring& piece : pieces) text += piece;
  } else {
    // Between child elements the whitespace is layout: each piece is trimmed.
    for (const std::wstring& piece : pieces) {
      const size_t first = piece.find_first_not_of(L" \t\r\n");
      if (first != std::wstring::npos) text += piece.substr(first, piece.find_last_not_of(L" \t\r\n") - first + 1);
    }
  }
  Element.SetText(std::move(text));
}

// The declared encoding, when the document starts with a declaration, must be UTF-8.
void CheckDeclaration(IXMLDOMDocument2* Doc, const std::string& Source) {
  TComPtr<IXMLDOMNode> first;
  if (FAILED(Doc->get_firstChild(first.Put())) || !first) return;
  DOMNodeType type = NODE_INVALID;
  first->get_nodeType(&type);
  if (type != NODE_PROCESSING_INSTRUCTION) return;
  TBStr name;
  first->get_nodeName(name.Put());
  if (name.Str() != L"xml") return;
  TVariant data;
  Check(first->get_nodeValue(&data.V), "get_nodeValue");
  if (data.V.vt != VT_BSTR || !data.V.bstrVal) return;
  const std::wstring encoding = DeclaredEncoding(data.V.bstrVal);
  if (!encoding.empty() && _wcsicmp(encoding.c_str(), L"UTF-8") != 0)
    throw EXmlError(Source + " declares the encoding " + WideToUtf8(encoding) + "; only UTF-8 is read");
}

// ---- Writing --------------------------------------------------------------------------------------

void AppendChild(IXMLDOMNode* Parent, IXMLDOMNode* Child) {
  TComPtr<IXMLDOMNode> added;
  Check(Parent->appendChild(Child, added.Put()), "appendChild");
}

void AppendText(IXMLDOMDocument2* Doc, IXMLDOMNode* Parent, const std::wstring& Text) {
  TComPtr<IXMLDOMText> node;
  Check(Doc->createTextNode(TBStr(Text).Get(), node.Put()), "createTextNode");
  AppendChild(Parent, node.Get());
}

void WriteElement(IXMLDOMDocument2* Doc, IXMLDOMNode* Parent, const TXmlElement& Element, int Depth) {
  if (Depth > XmlMaxDepth)
    throw EXmlError("The document nests elements deeper than " + std::to_string(XmlMaxDepth) + " levels");
  TComPtr<IXMLDOMElement> node;
  Check(Doc->createElement(TBStr(Element.Name()).Get(), node.Put()), "createElement");
  for (const TXmlElement::TAttribute& a : Element.Attributes()) {
    TVariant value;
    value.V.vt = VT_BSTR;
    value.V.bstrVal = SysAllocStringLen(a.second.data(), static_cast<UINT>(a.second.size()));
    Check(node->setAttribute(TBStr(a.first).Get(), value.V), "setAttribute");
  }
  if (!Element.Text().empty()) AppendText(Doc, node.Get(), Element.Text());
  const std::wstring indent = L"\n" + std::wstring(static_cast<size_t>(Depth - 1) * 2, L' ');
  for (size_t i = 0; i < Element.ChildCount(); ++i) {
    AppendText(Doc, node.Get(), indent + L"  ");
    WriteElement(Doc, node.Get(), Element.Child(i), Depth + 1);
  }
  if (Element.ChildCount() > 0) AppendText(Doc, node.Get(), indent);
  AppendChild(Parent, node.Get());
}

// ---- Files ----------------------------------------------------------------------------------------

class THandle {
public:
  explicit THandle(HANDLE H) : FHandle(H) {}
  ~THandle() { Close(); }
  THandle(const THandle&) = delete;
  THandle& operator=(const THandle&) = delete;
  HANDLE Get() const { return FHandle; }
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  bool Close() {
    const bool ok = !Valid() || CloseHandle(FHandle);
    FHandle = INVALID_HANDLE_VALUE;
    return ok;
  }

private:
  HANDLE FHandle;
};

std::string FileError(const char* What, const std::wstring& FileName, const char* Call) {
  const DWORD code = GetLastError();
  return std::string(What) + " " + WideToUtf8(FileName) + ": " + Call + " failed (error " + std::to_string(code) + ")";
}

std::wstring FolderOf(const std::wstring& FileName) {
  const size_t slash = FileName.find_last_of(L"\\/");
  return slash == std::wstring::npos ? L"." : FileName.substr(0, slash + 1);
}

}  // namespace

void TXmlDocument::LoadFromBytes(std::string_view Bytes, const std::wstring& SourceName) {
  const std::string source = WideToUtf8(SourceName);
  if (Bytes.size() > XmlMaxFileBytes)
    throw EXmlError(source + " is larger than " + std::to_string(XmlMaxFileBytes >> 20) + " MiB");
  if (Bytes.size() >= 3 && std::memcmp(Bytes.data(), "\xEF\xBB\xBF", 3) == 0) Bytes.remove_prefix(3);
  if (Bytes.empty()) throw EXmlError(source + " is empty");
  size_t bad = 0;
  if (!IsValidUtf8(Bytes, &bad)) throw EXmlError(source + " is not UTF-8 (byte " + std::to_string(bad) + ")");
  // Entity definitions are how XML files blow up in memory; a settings file has no use for them.
  if (Bytes.find("<!DOCTYPE") != std::string_view::npos)
    throw EXmlError(source + " holds a document type declaration, which is not allowed");

  TComScope com;
  TComPtr<IXMLDOMDocument2> doc;
  NewDocument(doc);
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(Bytes.size()));
  if (!array) throw EXmlError("Out of memory for " + source);
  TVariant input;
  input.V.vt = VT_ARRAY | VT_UI1;
  input.V.parray = array;  // freed with the variant
  void* data = nullptr;
  Check(SafeArrayAccessData(array, &data), "SafeArrayAccessData");
  std::memcpy(data, Bytes.data(), Bytes.size());
  SafeArrayUnaccessData(array);
  VARIANT_BOOL loaded = VARIANT_FALSE;
  const HRESULT hr = doc->load(input.V, &loaded);
  if (FAILED(hr) || loaded != VARIANT_TRUE) throw EXmlError(source + " is not well-formed XML" + ParseErrorText(doc.Get()));
  CheckDeclaration(doc.Get(), source);

  TComPtr<IXMLDOMElement> rootNode;
  if (FAILED(doc->get_documentElement(rootNode.Put())) || !rootNode) throw EXmlError(source + " has no root element");
  TBStr rootName;
  Check(rootNode->get_nodeName(rootName.Put()), "get_nodeName");
  std::unique_ptr<TXmlElement> root;
  try {
    root = std::make_unique<TXmlElement>(rootName.Str());
    ReadElement(rootNode.Get(), *root, 1, source);
  } catch (const EXmlError& e) {
    const std::string what = e.what();
    if (what.rfind(source, 0) == 0) throw;
    throw EXmlError(source + ": " + what);
  }
  FRoot = std::move(root);
}

std::string TXmlDocument::SaveToBytes() const {
  if (!FRoot) throw EXmlError("The document has no root element to save");
  TComScope com;
  TComPtr<IXMLDOMDocument2> doc;
  NewDocument(doc);
  TComPtr<IXMLDOMProcessingInstruction> declaration;
  Check(doc->createProcessingInstruction(TBStr(L"xml").Get(), TBStr(L"version=\"1.0\" encoding=\"UTF-8\"").Get(),
                                         declaration.Put()),
        "createProcessingInstruction");
  AppendChild(doc.Get(), declaration.Get());
  WriteElement(doc.Get(), doc.Get(), *FRoot, 1);

  TComPtr<IStream> stream;
  Check(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put()), "CreateStreamOnHGlobal");
  TVariant output;
  output.V.vt = VT_UNKNOWN;
  output.V.punkVal = stream.Get();
  output.V.punkVal->AddRef();  // the variant's reference
  Check(doc->save(output.V), "save");
  STATSTG stat{};
  Check(stream->Stat(&stat, STATFLAG_NONAME), "IStream::Stat");
  if (stat.cbSize.QuadPart > XmlMaxFileBytes * 4) throw EXmlError("The document is too large to save");
  std::string bytes(static_cast<size_t>(stat.cbSize.QuadPart), '\0');
  LARGE_INTEGER zero{};
  Check(stream->Seek(zero, STREAM_SEEK_SET, nullptr), "IStream::Seek");
  ULONG read = 0;
  Check(stream->Read(bytes.data(), static_cast<ULONG>(bytes.size()), &read), "IStream::Read");
  bytes.resize(read);
  return bytes;
}

void TXmlDocument::LoadFromFile(const std::wstring& FileName) {
  THandle file(CreateFileW(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.Valid()) throw EXmlError(FileError("Cannot open the XML file", FileName, "CreateFileW"));
  if (GetFileType(file.Get()) != FILE_TYPE_DISK) throw EXmlError("Not a file: " + WideToUtf8(FileName));
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size)) throw EXmlError(FileError("Cannot read the XML file", FileName, "GetFileSizeEx"));
  if (size.QuadPart > static_cast<LONGLONG>(XmlMaxFileBytes))
    throw EXmlError("The XML file " + WideToUtf8(FileName) + " is larger than " +
                    std::to_string(XmlMaxFileBytes >> 20) + " MiB");
  std::string bytes(static_cast<size_t>(size.QuadPart), '\0');
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD got = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got, nullptr))
      throw EXmlError(FileError("Cannot read the XML file", FileName, "ReadFile"));
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  bytes.resize(done);
  LoadFromBytes(bytes, L"The XML file " + FileName);
}

void TXmlDocument::SaveToFile(const std::wstring& FileName) const {
  const std::string bytes = SaveToBytes();
  const char* what = "Cannot write the XML file";
  // Replacing would succeed on some systems where overwriting does not.
  const DWORD attributes = GetFileAttributesW(FileName.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)))
    throw EXmlError(std::string(what) + " " + WideToUtf8(FileName) +
                    ((attributes & FILE_ATTRIBUTE_DIRECTORY) ? ": it is a folder" : ": it is read-only"));
  wchar_t temp[MAX_PATH + 1];
  if (!GetTempFileNameW(FolderOf(FileName).c_str(), L"xml", 0, temp))
    throw EXmlError(FileError(what, FileName, "GetTempFileNameW"));
  // Until the replace succeeds the temporary file goes again, whatever failed.
  struct TRemoveTemp {
    const wchar_t* Name;
    bool Keep = false;
    ~TRemoveTemp() {
      if (!Keep) DeleteFileW(Name);
    }
  } remove{temp};
  {
    THandle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) throw EXmlError(FileError(what, FileName, "CreateFileW"));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD wrote = 0;
      if (!WriteFile(file.Get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &wrote, nullptr) ||
          wrote == 0)
        throw EXmlError(FileError(what, FileName, "WriteFile"));
      done += wrote;
    }
    if (!FlushFileBuffers(file.Get())) throw EXmlError(FileError(what, FileName, "FlushFileBuffers"));
    if (!file.Close()) throw EXmlError(FileError(what, FileName, "CloseHandle"));
  }
  if (!MoveFileExW(temp, FileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw EXmlError(FileError(what, FileName, "MoveFileExW"));
  remove.Keep = true;
}
