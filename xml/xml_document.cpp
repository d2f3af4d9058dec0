#include "xml/xml_document.h"

#include <algorithm>
#include <limits>

namespace {

std::string Quoted(std::wstring_view Text) {
  constexpr size_t shown = 40;
  std::string s = WideToUtf8(std::wstring(Text.substr(0, shown)));
  return "\"" + s + (Text.size() > shown ? "...\"" : "\"");
}

bool IsXmlSpace(wchar_t C) { return C == L' ' || C == L'\t' || C == L'\r' || C == L'\n'; }

bool IsNameStart(wchar_t C) {
  return (C >= L'A' && C <= L'Z') || (C >= L'a' && C <= L'z') || C == L'_' || (C >= 0xC0 && C <= 0xD6) ||
         (C >= 0xD8 && C <= 0xF6) || (C >= 0xF8 && C <= 0x2FF) || (C >= 0x370 && C <= 0x37D) ||
         (C >= 0x37F && C <= 0x1FFF) || (C >= 0x200C && C <= 0x200D) || (C >= 0x2070 && C <= 0x218F) ||
         (C >= 0x2C00 && C <= 0x2FEF) || (C >= 0x3001 && C <= 0xD7FF) || (C >= 0xF900 && C <= 0xFDCF) ||
         (C >= 0xFDF0 && C <= 0xFFFD);
}

bool IsNameChar(wchar_t C) {
  return IsNameStart(C) || (C >= L'0' && C <= L'9') || C == L'-' || C == L'.' || C == 0xB7 ||
         (C >= 0x300 && C <= 0x36F) || (C >= 0x203F && C <= 0x2040);
}

void CheckName(std::wstring_view Name, const char* What) {
  if (!IsXmlName(Name)) throw EXmlError(std::string("Invalid XML ") + What + " name " + Quoted(Name));
}

void CheckText(std::wstring_view Text) {
  if (!IsXmlText(Text)) throw EXmlError("Text " + Quoted(Text) + " holds a character that XML cannot carry");
}

// CR LF and a lone CR become LF, as reading the file would give them back.
std::wstring NormalizeLineEnds(std::wstring Text) {
  if (Text.find(L'\r') == std::wstring::npos) return Text;
  std::wstring out;
  out.reserve(Text.size());
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] != L'\r') {
      out += Text[i];
      continue;
    }
    out += L'\n';
    if (i + 1 < Text.size() && Text[i + 1] == L'\n') ++i;
  }
  return out;
}

}  // namespace

// ---- Checks ---------------------------------------------------------------------------------------

bool IsXmlName(std::wstring_view Name) {
  if (Name.empty() || !IsNameStart(Name[0])) return false;
  return std::all_of(Name.begin() + 1, Name.end(), IsNameChar);
}

bool IsXmlText(std::wstring_view Text) {
  for (size_t i = 0; i < Text.size(); ++i) {
    const wchar_t c = Text[i];
    if (c >= 0xD800 && c <= 0xDBFF) {
      if (i + 1 >= Text.size() || Text[i + 1] < 0xDC00 || Text[i + 1] > 0xDFFF) return false;
      ++i;
      continue;
    }
    const bool ok = c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD);
    if (!ok) return false;
  }
  return true;
}

bool IsValidUtf8(std::string_view Bytes, size_t* Offset) {
  const auto* p = reinterpret_cast<const unsigned char*>(Bytes.data());
  const size_t n = Bytes.size();
  size_t i = 0;
  auto fail = [&] {
    if (Offset) *Offset = i;
    return false;
  };
  while (i < n) {
    const unsigned char c = p[i];
    if (c < 0x80) {
      ++i;
      continue;
    }
    size_t len;
    uint32_t cp;
    if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07;
    } else {
      return fail();
    }
    if (n - i < len) return fail();
    for (size_t k = 1; k < len; ++k) {
      if ((p[i + k] & 0xC0) != 0x80) return fail();
      cp = (cp << 6) | (p[i + k] & 0x3F);
    }
    const bool overlong = (len == 3 && cp < 0x800) || (len == 4 && cp < 0x10000);
    if (overlong || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return fail();
    i += len;
  }
  return true;
}

std::wstring DeclaredEncoding(std::wstring_view Data) {
  // The parser has already checked the declaration; this only finds the value.
  size_t at = 0;
  while ((at = Data.find(L"encoding", at)) != std::wstring_view::npos) {
    const bool starts = at == 0 || IsXmlSpace(Data[at - 1]);
    size_t i = at + 8;
    at = i;
    if (!starts) continue;
    while (i < Data.size() && IsXmlSpace(Data[i])) ++i;
    if (i >= Data.size() || Data[i] != L'=') continue;
    ++i;
    while (i < Data.size() && IsXmlSpace(Data[i])) ++i;
    if (i >= Data.size() || (Data[i] != L'"' && Data[i] != L'\'')) continue;
    const size_t end = Data.find(Data[i], i + 1);
    if (end == std::wstring_view::npos) return {};
    return std::wstring(Data.substr(i + 1, end - i - 1));
  }
  return {};
}

// ---- TXmlElement ----------------------------------------------------------------------------------

TXmlElement::TXmlElement(std::wstring Name) : FName(std::move(Name)) { CheckName(FName, "element"); }

void TXmlElement::SetText(std::wstring Value) {
  CheckText(Value);
  FText = NormalizeLineEnds(std::move(Value));
}

int64_t TXmlElement::Int64Value() const {
  auto bad = [&]() -> EXmlError {
    return EXmlError("The text of element <" + WideToUtf8(FName) + ">, " + Quoted(FText) + ", is not an integer");
  };
  size_t i = 0, end = FText.size();
  while (i < end && IsXmlSpace(FText[i])) ++i;
  while (end > i && IsXmlSpace(FText[end - 1])) --end;
  bool negative = false;
  if (i < end && (FText[i] == L'-' || FText[i] == L'+')) negative = FText[i++] == L'-';
  if (i == end) throw bad();
  // Accumulated as a negative number, whose range holds INT64_MIN.
  int64_t value = 0;
  constexpr int64_t lowest = std::numeric_limits<int64_t>::min();
  for (; i < end; ++i) {
    const wchar_t c = FText[i];
    if (c < L'0' || c > L'9') throw bad();
    const int digit = c - L'0';
    if (value < (lowest + digit) / 10) throw bad();
    value = value * 10 - digit;
  }
  if (!negative) {
    if (value == lowest) throw bad();
    value = -value;
  }
  return value;
}

int32_t TXmlElement::IntValue() const {
  const int64_t v = Int64Value();
  if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
    throw EXmlError("The value of element <" + WideToUtf8(FName) + ">, " + Quoted(FText) +
                    ", is out of the integer range");
  return static_cast<int32_t>(v);
}

TXmlElement* TXmlElement::FindChild(std::wstring_view Name) const {
  for (const auto& child : FChildren)
    if (child->FName == Name) return child.get();
  return nullptr;
}

TXmlElement& TXmlElement::ChildByName(std::wstring_view Name) const {
  if (TXmlElement* child = FindChild(Name)) return *child;
  throw EXmlError("Element <" + WideToUtf8(FName) + "> has no element <" + WideToUtf8(std::wstring(Name)) + ">");
}

TXmlElement& TXmlElement::AddChild(std::wstring Name) {
  FChildren.push_back(std::make_unique<TXmlElement>(std::move(Name)));
  return *FChildren.back();
}

TXmlElement& TXmlElement::AddChild(std::wstring Name, std::wstring Text) {
  CheckText(Text);
  TXmlElement& child = AddChild(std::move(Name));
  child.FText = NormalizeLineEnds(std::move(Text));
  return child;
}

TXmlElement& TXmlElement::AddChild(std::wstring Name, int64_t Value) {
  TXmlElement& child = AddChild(std::move(Name));
  child.SetIntValue(Value);
  return child;
}

const std::wstring* TXmlElement::Attribute(std::wstring_view Name) const {
  for (const TAttribute& a : FAttributes)
    if (a.first == Name) return &a.second;
  return nullptr;
}

void TXmlElement::SetAttribute(std::wstring Name, std::wstring Value) {
  CheckName(Name, "attribute");
  CheckText(Value);
  for (TAttribute& a : FAttributes)
    if (a.first == Name) {
      a.second = std::move(Value);
      return;
    }
  FAttributes.emplace_back(std::move(Name), std::move(Value));
}

// ---- TXmlDocument ---------------------------------------------------------------------------------

TXmlElement& TXmlDocument::CreateRoot(std::wstring Name) {
  auto root = std::make_unique<TXmlElement>(std::move(Name));
  FRoot = std::move(root);
  return *FRoot;
}
