// A small XML document: one root element, child elements found by name,
// element text as a string or an integer, attributes, and loading and saving
// of whole files. Text is UTF-16 here and UTF-8 in the file. Parsing and
// writing go through the system's XML DOM (xml_msxml.cpp); this side only
// holds the tree and checks what may go into it.
//
// Files are untrusted input: a file larger than XmlMaxFileBytes, nested
// deeper than XmlMaxDepth, not well-formed, not UTF-8, declaring another
// encoding or carrying a document type declaration is refused with an
// EXmlError, and the document keeps what it held before.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "toolkit/core/classes.h"

class EXmlError : public Exception {
  using Exception::Exception;
};

// 1 MiB: far beyond any settings file, small enough to parse in moments.
constexpr size_t XmlMaxFileBytes = size_t(1) << 20;
// The root element is depth 1.
constexpr int XmlMaxDepth = 64;

class TXmlElement {
public:
  // Raises EXmlError unless Name is a valid element name (namespaces are not supported).
  explicit TXmlElement(std::wstring Name);
  TXmlElement(const TXmlElement&) = delete;
  TXmlElement& operator=(const TXmlElement&) = delete;

  const std::wstring& Name() const { return FName; }

  // The element's own character data (its text and CDATA children joined).
  // In an element with child elements the whitespace around each run of
  // text is layout: reading trims it, and writing puts the text first.
  const std::wstring& Text() const { return FText; }
  // Raises EXmlError when Value holds a character XML 1.0 cannot carry.
  // Line ends are kept as LF, as a file gives them back (CR LF and CR become LF).
  void SetText(std::wstring Value);
  // The text as a decimal integer (surrounding whitespace allowed, an
  // optional sign); EXmlError when it is not one or does not fit.
  int32_t IntValue() const;
  int64_t Int64Value() const;
  void SetIntValue(int64_t Value) { FText = std::to_wstring(Value); }

  size_t ChildCount() const { return FChildren.size(); }
  TXmlElement& Child(size_t Index) const { return *FChildren.at(Index); }
  // The first child element named Name, nullptr when there is none.
  TXmlElement* FindChild(std::wstring_view Name) const;
  // The first child element named Name; EXmlError when there is none.
  TXmlElement& ChildByName(std::wstring_view Name) const;
  TXmlElement& AddChild(std::wstring Name);
  TXmlElement& AddChild(std::wstring Name, std::wstring Text);
  TXmlElement& AddChild(std::wstring Name, int64_t Value);

  using TAttribute = std::pair<std::wstring, std::wstring>;
  const std::vector<TAttribute>& Attributes() const { return FAttributes; }
  // The value of attribute Name, nullptr when the element has none of that name.
  const std::wstring* Attribute(std::wstring_view Name) const;
  // Adds or replaces an attribute; the name and value are checked as above.
  void SetAttribute(std::wstring Name, std::wstring Value);

private:
  std::wstring FName;
  std::wstring FText;
  std::vector<TAttribute> FAttributes;
  std::vector<std::unique_ptr<TXmlElement>> FChildren;
};

class TXmlDocument {
public:
  TXmlDocument() = default;
  TXmlDocument(TXmlDocument&&) = default;
  TXmlDocument& operator=(TXmlDocument&&) = default;

  // nullptr for an empty document.
  TXmlElement* Root() const { return FRoot.get(); }
  // Replaces the whole document by a lone root element.
  TXmlElement& CreateRoot(std::wstring Name);
  void Clear() { FRoot.reset(); }

  // Parses Bytes (UTF-8, an optional byte order mark); on failure raises
  // EXmlError naming Source and leaves the document as it was.
  void LoadFromBytes(std::string_view Bytes, const std::wstring& Source = L"the document");
  // The document as UTF-8 with an XML declaration, two-space indented;
  // EXmlError for an empty document or one nested deeper than XmlMaxDepth.
  std::string SaveToBytes() const;
  // Reads a whole file (at most XmlMaxFileBytes); failures as LoadFromBytes.
  void LoadFromFile(const std::wstring& FileName);
  // Writes the document to a temporary file in the same folder and then
  // replaces FileName with it, so that FileName holds either the old or the
  // whole new document. The folder must exist. EXmlError on failure.
  void SaveToFile(const std::wstring& FileName) const;

private:
  std::unique_ptr<TXmlElement> FRoot;
};

// Checks shared by the tree and the file side.
bool IsXmlName(std::wstring_view Name);
// Every code unit forms an XML 1.0 character (surrogates only in pairs).
bool IsXmlText(std::wstring_view Text);
// Strict UTF-8: no overlong forms, no surrogates, nothing beyond U+10FFFF.
// On failure Offset gets the index of the first bad byte.
bool IsValidUtf8(std::string_view Bytes, size_t* Offset = nullptr);
// The value of encoding="..." in the data of an XML declaration, empty when absent.
std::wstring DeclaredEncoding(std::wstring_view DeclarationData);
