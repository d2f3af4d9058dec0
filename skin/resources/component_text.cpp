#include "skin/resources/component_text.h"

#include <cerrno>
#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Value type bytes of the binary stream, including those that stored modules
// of this program never use but that the text form carries.
enum TVa : uint8_t {
  vaNull = 0x00,
  vaList = 0x01,
  vaInt8 = 0x02,
  vaInt16 = 0x03,
  vaInt32 = 0x04,
  vaExtended = 0x05,  // 80-bit x87 extended, 10 bytes
  vaString = 0x06,
  vaIdent = 0x07,
  vaFalse = 0x08,
  vaTrue = 0x09,
  vaBinary = 0x0A,
  vaSet = 0x0B,  // short strings up to an empty one
  vaLString = 0x0C,
  vaNil = 0x0D,
  vaCollection = 0x0E,
  vaSingle = 0x0F,
  vaCurrency = 0x10,  // 64-bit integer, value x 10000
  vaDate = 0x11,      // double
  vaWString = 0x12,   // 32-bit unit count, then UTF-16LE units
  vaInt64 = 0x13,
  vaUTF8String = 0x14,
  vaDouble = 0x15,
};

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};
constexpr const char* kNewLine = "\r\n";
constexpr size_t kHexBytesPerLine = 32;  // 64 hex digits
constexpr size_t kMaxIdentifier = 255;
constexpr size_t kMaxNumberText = 64;

static_assert(std::numeric_limits<long double>::digits == 64 && sizeof(long double) >= 10,
              "extended values are carried in the x87 80-bit long double");

bool IsIdentStart(char C) { return (C >= 'A' && C <= 'Z') || (C >= 'a' && C <= 'z') || C == '_'; }
bool IsIdentChar(char C) { return IsIdentStart(C) || (C >= '0' && C <= '9'); }
bool IsDigit(char C) { return C >= '0' && C <= '9'; }
int HexValue(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  return -1;
}

bool SameWord(std::string_view A, std::string_view B) {
  if (A.size() != B.size()) return false;
  for (size_t i = 0; i < A.size(); ++i) {
    char a = A[i], b = B[i];
    if (a >= 'a' && a <= 'z') a = char(a - 'a' + 'A');
    if (b >= 'a' && b <= 'z') b = char(b - 'a' + 'A');
    if (a != b) return false;
  }
  return true;
}

// Identifier, or with Dotted a sequence of identifiers joined by single dots.
bool IsIdentifier(std::string_view S, bool Dotted) {
  if (S.empty() || S.size() > kMaxIdentifier) return false;
  bool start = true;
  for (char c : S) {
    if (start) {
      if (!IsIdentStart(c)) return false;
      start = false;
    } else if (c == '.' && Dotted) {
      start = true;
    } else if (!IsIdentChar(c)) {
      return false;
    }
  }
  return !start;
}

// Words that the text form reads as structure or as values, so they cannot
// stand for a property name or an identifier value.
bool IsStructureWord(std::string_view S) { return SameWord(S, "object") || SameWord(S, "end"); }
bool IsValueWord(std::string_view S) { return SameWord(S, "True") || SameWord(S, "False") || SameWord(S, "nil"); }

// Parses a float in the text form's syntax (no suffix). False when the text
// is malformed or the value does not fit the type.
template <class T> bool ParseFloat(std::string_view Text, T& Value) {
  const auto r = std::from_chars(Text.data(), Text.data() + Text.size(), Value, std::chars_format::general);
  return r.ec == std::errc() && r.ptr == Text.data() + Text.size();
}

// from_chars is not exact for long double in every runtime (some parse it as a
// double); strtold is, in the "C" notation once the decimal point is the
// locale's.
bool ParseFloat(std::string_view Text, long double& Value) {
  std::string text(Text);
  const char point = *std::localeconv()->decimal_point;
  if (point != '.')
    for (char& c : text)
      if (c == '.') c = point;
  errno = 0;
  char* end = nullptr;
  const long double v = std::strtold(text.c_str(), &end);
  if (end != text.c_str() + text.size() || !std::isfinite(v)) return false;
  if (errno == ERANGE && v == 0) return false;  // underflow of a non-zero value
  Value = v;
  return true;
}

// Shortest text that reads back as exactly Value; always holds a '.' or an
// exponent so that it reads as a float.
template <class T> std::string FloatText(T Value) {
  char buffer[80];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, Value);
  std::string text(buffer, r.ec == std::errc() ? r.ptr : buffer);
  bool marked = false;
  for (char& c : text) {
    if (c == 'e') c = 'E';
    if (c == '.' || c == 'E') marked = true;
  }
  if (!marked) text += ".0";
  return text;
}

// ---- Binary to text ---------------------------------------------------------

class TBinaryToText {
public:
  TBinaryToText(const uint8_t* Data, size_t Size) : FData(Data), FSize(Size) {}

  void Convert() {
    Need(4, "the signature");
    if (std::memcmp(FData, kSignature, 4) != 0) Fail("bad signature");
    FPos = 4;
    Object(0, 0);
  }
  size_t Consumed() const { return FPos; }
  const std::string& Text() const { return FText; }

private:
  [[noreturn]] void Fail(const std::string& Detail) const {
    throw EReadError("Invalid stream format: " + Detail + " at offset " + std::to_string(FPos));
  }
  void Need(uint64_t Count, const char* What) const {
    if (Count > FSize - FPos) Fail(std::string("stream ends inside ") + What);
  }
  uint8_t Byte(const char* What) {
    Need(1, What);
    return FData[FPos++];
  }
  uint8_t PeekByte(const char* What) const {
    Need(1, What);
    return FData[FPos];
  }
  uint64_t Little(int Count, const char* What) {
    Need(uint64_t(Count), What);
    uint64_t v = 0;
    for (int i = 0; i < Count; ++i) v |= uint64_t(FData[FPos + size_t(i)]) << (8 * i);
    FPos += size_t(Count);
    return v;
  }
  std::string ShortString(const char* What) {
    const uint8_t length = Byte(What);
    Need(length, What);
    std::string s(reinterpret_cast<const char*>(FData + FPos), length);
    FPos += length;
    return s;
  }
  // A 32-bit length of units of UnitSize bytes, checked against what is left.
  size_t Length32(size_t UnitSize, const char* What) {
    const int32_t length = int32_t(uint32_t(Little(4, What)));
    if (length < 0 || uint64_t(length) * UnitSize > FSize - FPos)
      Fail(std::string(What) + " claims " + std::to_string(length) + " units, " + std::to_string(FSize - FPos) +
           " bytes left");
    return size_t(length);
  }

  // The text is refused once it outgrows what the parser would accept, so
  // that deeply indented or escape-heavy input cannot blow it up.
  void CheckSize() const {
    if (FText.size() > size_t(MaxComponentTextInput)) Fail("text form larger than the parser accepts");
  }
  void Indent(int Level) { FText.append(size_t(Level) * 2, ' '); }
  void Line(int Level, const std::string& Text) {
    Indent(Level);
    FText += Text;
    FText += kNewLine;
  }

  void Object(int Depth, int Level) {
    if (Depth >= MaxComponentTextNesting) Fail("objects nested too deeply");
    const uint8_t first = PeekByte("a class name");
    if ((first & 0xF0) == 0xF0) Fail("object flags are not supported");
    const std::string className = ShortString("a class name");
    const std::string name = ShortString("an object name");
    if (!IsIdentifier(className, false)) Fail("class name '" + className + "' is not an identifier");
    if (!name.empty() && !IsIdentifier(name, false)) Fail("object name '" + name + "' is not an identifier");
    Line(Level, "object " + (name.empty() ? className : name + ": " + className));
    Properties(Depth, Level + 1);
    while (PeekByte("a child list") != 0) Object(Depth + 1, Level + 1);
    ++FPos;
    Line(Level, "end");
  }

  void Properties(int Depth, int Level) {
    for (;;) {
      const std::string name = ShortString("a property name");
      if (name.empty()) return;
      if (!IsIdentifier(name, true) || IsStructureWord(name))
        Fail("property name '" + name + "' cannot be written as text");
      Indent(Level);
      FText += name + " = ";
      Value(Depth, Level);
      FText += kNewLine;
    }
  }

  template <class T> void Float(int Bytes, const char* Suffix) {
    Need(uint64_t(Bytes), "a float value");
    T value{};
    std::memcpy(&value, FData + FPos, size_t(Bytes));
    // Only values that read back to the same bytes are written: no
    // infinities, NaNs or non-canonical extended encodings.
    const std::string text = FloatText(value);
    T back{};
    if (!std::isfinite(value) || !ParseFloat(text, back) || std::memcmp(&back, FData + FPos, size_t(Bytes)) != 0)
      Fail("float value cannot be written exactly as text");
    FPos += size_t(Bytes);
    FText += text + Suffix;
  }

  void Currency() {
    const int64_t value = int64_t(Little(8, "a currency value"));
    const uint64_t magnitude = value < 0 ? 0 - uint64_t(value) : uint64_t(value);
    std::string fraction = std::to_string(magnitude % 10000);
    fraction.insert(0, 4 - fraction.size(), '0');
    while (fraction.size() > 1 && fraction.back() == '0') fraction.pop_back();
    if (value < 0) FText += '-';
    FText += std::to_string(magnitude / 10000);
    FText += '.';
    FText += fraction;
    FText += 'c';
  }

  // Printable ASCII quoted, everything else as #n: bytes as #nnn, wide units
  // always with five digits so that they read back as a wide string.
  void Literal(const std::vector<uint32_t>& Units, bool Wide) {
    if (Units.empty()) {
      FText += "''";
      return;
    }
    bool quoted = false;
    // A wide string without an escape would read back as a narrow one: its
    // last unit is then written as an escape.
    bool escaped = false;
    for (uint32_t u : Units) escaped = escaped || u < 32 || u > 126;
    for (size_t i = 0; i < Units.size(); ++i) {
      if (i % 4096 == 0) CheckSize();
      const uint32_t u = Units[i];
      const bool forced = Wide && !escaped && i + 1 == Units.size();
      if (u >= 32 && u <= 126 && !forced) {
        if (!quoted) FText += '\'';
        quoted = true;
        if (u == '\'') FText += '\'';
        FText += char(u);
      } else {
        if (quoted) FText += '\'';
        quoted = false;
        char buffer[16];
        std::snprintf(buffer, sizeof buffer, Wide ? "#%05u" : "#%u", unsigned(u));
        FText += buffer;
      }
    }
    if (quoted) FText += '\'';
  }
  void NarrowString(size_t Length) {
    std::vector<uint32_t> units(FData + FPos, FData + FPos + Length);
    FPos += Length;
    Literal(units, false);
  }

  void Binary(int Level) {
    const size_t length = Length32(1, "a binary value");
    if (length == 0) {
      FText += "{}";
      return;
    }
    static const char kHex[] = "0123456789ABCDEF";
    FText += "{";
    for (size_t i = 0; i < length; ++i) {
      if (i % kHexBytesPerLine == 0) {
        CheckSize();
        FText += kNewLine;
        Indent(Level + 1);
      }
      const uint8_t b = FData[FPos + i];
      FText += kHex[b >> 4];
      FText += kHex[b & 15];
    }
    FPos += length;
    FText += "}";
  }

  void Value(int Depth, int Level) {
    CheckSize();
    const uint8_t type = Byte("a property value");
    switch (type) {
      case vaInt8: FText += std::to_string(int8_t(uint8_t(Little(1, "an integer value")))); break;
      case vaInt16: FText += std::to_string(int16_t(uint16_t(Little(2, "an integer value")))); break;
      case vaInt32: FText += std::to_string(int32_t(uint32_t(Little(4, "an integer value")))); break;
      case vaInt64: FText += std::to_string(int64_t(Little(8, "an integer value"))); break;
      case vaExtended: Float<long double>(10, ""); break;
      case vaDouble: {
        // Written as the extended value it equals (every double is one), so
        // that the text reads back to the same number.
        double value = 0;
        Need(8, "a float value");
        std::memcpy(&value, FData + FPos, 8);
        if (!std::isfinite(value)) Fail("float value cannot be written exactly as text");
        FPos += 8;
        FText += FloatText(static_cast<long double>(value));
        break;
      }
      case vaSingle: Float<float>(4, "s"); break;
      case vaDate: Float<double>(8, "d"); break;
      case vaCurrency: Currency(); break;
      case vaString: {
        const uint8_t length = Byte("a string value");
        Need(length, "a string value");
        NarrowString(length);
        break;
      }
      case vaLString:
      case vaUTF8String: NarrowString(Length32(1, "a string value")); break;
      case vaWString: {
        const size_t length = Length32(2, "a wide string value");
        std::vector<uint32_t> units(length);
        for (size_t i = 0; i < length; ++i) units[i] = uint32_t(Little(2, "a wide string value"));
        Literal(units, true);
        break;
      }
      case vaIdent: {
        const std::string ident = ShortString("an identifier");
        if (!IsIdentifier(ident, true) || IsValueWord(ident))
          Fail("identifier '" + ident + "' cannot be written as text");
        FText += ident;
        break;
      }
      case vaFalse: FText += "False"; break;
      case vaTrue: FText += "True"; break;
      case vaNil: FText += "nil"; break;
      case vaBinary: Binary(Level); break;
      case vaSet: {
        FText += "[";
        for (bool first = true;; first = false) {
          const std::string element = ShortString("a set");
          if (element.empty()) break;
          if (!IsIdentifier(element, false)) Fail("set element '" + element + "' is not an identifier");
          if (!first) FText += ", ";
          FText += element;
        }
        FText += "]";
        break;
      }
      case vaList: {
        if (Depth + 1 >= MaxComponentTextNesting) Fail("values nested too deeply");
        FText += "(";
        while (PeekByte("a list") != 0) {
          FText += kNewLine;
          Indent(Level + 1);
          Value(Depth + 1, Level + 1);
        }
        ++FPos;
        FText += ")";
        break;
      }
      case vaCollection: {
        if (Depth + 1 >= MaxComponentTextNesting) Fail("values nested too deeply");
        FText += "<";
        for (bool first = true;; first = false) {
          const uint8_t marker = Byte("a collection");
          if (marker == vaNull) break;
          if (marker != vaList) Fail("collection item does not start with 0x01");
          if (!first) {
            Indent(Level + 1);
            FText += "end";
          }
          FText += kNewLine;
          Line(Level + 1, "item");
          Properties(Depth + 1, Level + 2);
        }
        if (FText.back() != '<') {
          Indent(Level + 1);
          FText += "end";
        }
        FText += ">";
        break;
      }
      default: {
        char buffer[8];
        std::snprintf(buffer, sizeof buffer, "0x%02X", type);
        Fail(std::string("unsupported value type ") + buffer);
      }
    }
  }

  const uint8_t* FData;
  size_t FSize;
  size_t FPos = 0;
  std::string FText;
};

// ---- Text to binary ---------------------------------------------------------

class TTextToBinary {
public:
  explicit TTextToBinary(std::string Text) : FSrc(std::move(Text)) {}

  void Convert() {
    if (FSrc.compare(0, 3, "\xEF\xBB\xBF") == 0) FPos = 3;  // a byte-order mark left by an editor
    Bytes(kSignature, 4);
    Object(0);
    SkipBlanks();
    if (FPos < FSrc.size()) Fail("End of file expected");
  }
  const std::vector<uint8_t>& Output() const { return FOut; }

private:
  [[noreturn]] void Fail(const std::string& Message) const {
    throw EParserError(Message + " on line " + std::to_string(FLine));
  }
  char Peek() const { return FPos < FSrc.size() ? FSrc[FPos] : '\0'; }
  bool AtEnd() const { return FPos >= FSrc.size(); }
  void SkipBlanks() {
    while (FPos < FSrc.size()) {
      const char c = FSrc[FPos];
      if (c == '\n')
        ++FLine;
      else if (c != ' ' && c != '\t' && c != '\r')
        break;
      ++FPos;
    }
  }
  void Expect(char C) {
    SkipBlanks();
    if (Peek() != C || AtEnd()) Fail(std::string("'") + C + "' expected");
    ++FPos;
  }

  // An identifier (Dotted: with dots inside), at most 255 characters.
  std::string Identifier(bool Dotted) {
    SkipBlanks();
    const size_t start = FPos;
    while (FPos < FSrc.size()) {
      const char c = FSrc[FPos];
      if (IsIdentChar(c) || (Dotted && c == '.'))
        ++FPos;
      else
        break;
    }
    std::string_view word(FSrc.data() + start, FPos - start);
    if (word.empty()) Fail("Identifier expected");
    if (word.size() > kMaxIdentifier) Fail("Identifier too long");
    if (!IsIdentifier(word, Dotted)) Fail("Invalid identifier '" + std::string(word) + "'");
    return std::string(word);
  }

  void Bytes(const void* Data, size_t Count) {
    if (Count == 0) return;
    const size_t old = FOut.size();
    FOut.resize(old + Count);
    std::memcpy(FOut.data() + old, Data, Count);
  }
  void Byte(uint8_t Value) { FOut.push_back(Value); }
  void Little(uint64_t Value, int Count) {
    for (int i = 0; i < Count; ++i) Byte(uint8_t(Value >> (8 * i)));
  }
  void ShortString(const std::string& Text) {
    Byte(uint8_t(Text.size()));  // callers keep Text within 255 bytes
    Bytes(Text.data(), Text.size());
  }

  void Object(int Depth) {
    if (Depth >= MaxComponentTextNesting) Fail("Objects nested too deeply");
    const std::string keyword = Identifier(false);
    if (SameWord(keyword, "inherited") || SameWord(keyword, "inline"))
      Fail("'" + keyword + "' objects are not supported");
    if (!SameWord(keyword, "object")) Fail("'object' expected");
    std::string name;
    std::string className = Identifier(false);
    SkipBlanks();
    if (Peek() == ':') {
      ++FPos;
      name = className;
      className = Identifier(false);
    }
    // Length bytes from 0xF0 on would read back as object flags.
    if (className.size() >= 0xF0) Fail("Class name too long");
    ShortString(className);
    ShortString(name);
    bool inChildren = false;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'end' expected");
      const std::string word = Identifier(true);
      if (SameWord(word, "end")) break;
      if (SameWord(word, "object")) {
        if (!inChildren) Byte(vaNull);  // ends the properties
        inChildren = true;
        FPos -= word.size();
        Object(Depth + 1);
        continue;
      }
      if (inChildren) Fail("Property " + word + " follows a child object");
      Expect('=');
      ShortString(word);
      Value(Depth);
    }
    if (!inChildren) Byte(vaNull);
    Byte(vaNull);  // ends the children
  }

  void Value(int Depth) {
    SkipBlanks();
    const char c = Peek();
    if (AtEnd()) Fail("Property value expected");
    if (IsDigit(c) || c == '-') return Number();
    if (c == '\'' || c == '#') return String();
    if (IsIdentStart(c)) {
      const std::string word = Identifier(true);
      if (SameWord(word, "True"))
        Byte(vaTrue);
      else if (SameWord(word, "False"))
        Byte(vaFalse);
      else if (SameWord(word, "nil"))
        Byte(vaNil);
      else {
        Byte(vaIdent);
        ShortString(word);
      }
      return;
    }
    switch (c) {
      case '[': return Set();
      case '{': return Binary();
      case '(':
      case '<': {
        if (Depth + 1 >= MaxComponentTextNesting) Fail("Values nested too deeply");
        ++FPos;
        if (c == '(') return List(Depth + 1);
        return Collection(Depth + 1);
      }
      default: Fail("Invalid property value");
    }
  }

  void Number() {
    const size_t start = FPos;
    if (Peek() == '-') ++FPos;
    auto digits = [&] {
      const size_t from = FPos;
      while (FPos < FSrc.size() && IsDigit(FSrc[FPos])) ++FPos;
      return FPos > from;
    };
    if (!digits()) Fail("Invalid number");
    bool isFloat = false;
    if (Peek() == '.') {
      ++FPos;
      if (!digits()) Fail("Invalid number");
      isFloat = true;
    }
    if (Peek() == 'E' || Peek() == 'e') {
      ++FPos;
      if (Peek() == '+' || Peek() == '-') ++FPos;
      if (!digits()) Fail("Invalid number");
      isFloat = true;
    }
    const std::string_view text(FSrc.data() + start, FPos - start);
    char suffix = 0;
    if (Peek() == 's' || Peek() == 'S' || Peek() == 'c' || Peek() == 'C' || Peek() == 'd' || Peek() == 'D') {
      suffix = char(Peek() | 0x20);
      ++FPos;
    }
    if (IsIdentChar(Peek()) || Peek() == '.') Fail("Invalid number");
    if (text.size() > kMaxNumberText) Fail("Number too long");

    if (suffix == 0 && !isFloat) {
      int64_t value = 0;
      const auto r = std::from_chars(text.data(), text.data() + text.size(), value);
      if (r.ec != std::errc() || r.ptr != text.data() + text.size()) Fail("Integer " + std::string(text) + " out of range");
      if (value >= -128 && value <= 127) {
        Byte(vaInt8);
        Little(uint64_t(value), 1);
      } else if (value >= -32768 && value <= 32767) {
        Byte(vaInt16);
        Little(uint64_t(value), 2);
      } else if (value >= INT32_MIN && value <= INT32_MAX) {
        Byte(vaInt32);
        Little(uint64_t(value), 4);
      } else {
        Byte(vaInt64);
        Little(uint64_t(value), 8);
      }
      return;
    }
    switch (suffix) {
      case 's': return FloatValue<float>(text, vaSingle, 4);
      case 'd': return FloatValue<double>(text, vaDate, 8);
      case 'c': return CurrencyValue(text);
      default: return FloatValue<long double>(text, vaExtended, 10);
    }
  }

  template <class T> void FloatValue(std::string_view Text, uint8_t Type, int Bytes) {
    T value{};
    if (!ParseFloat(Text, value)) Fail("Float " + std::string(Text) + " out of range");
    uint8_t raw[sizeof(T)] = {};
    std::memcpy(raw, &value, sizeof(T));
    Byte(Type);
    this->Bytes(raw, size_t(Bytes));
  }

  // Currency is an exact decimal with at most four places: no exponent.
  void CurrencyValue(std::string_view Text) {
    const bool negative = !Text.empty() && Text[0] == '-';
    std::string_view body = Text.substr(negative ? 1 : 0);
    if (body.find_first_of("Ee") != std::string_view::npos) Fail("Invalid currency value");
    const size_t dot = body.find('.');
    std::string digits(body.substr(0, dot));
    std::string fraction(dot == std::string_view::npos ? std::string_view() : body.substr(dot + 1));
    if (fraction.size() > 4) Fail("Currency value has more than four decimals");
    fraction.append(4 - fraction.size(), '0');
    digits += fraction;
    uint64_t magnitude = 0;
    const auto r = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    if (r.ec != std::errc() || magnitude > limit) Fail("Currency value out of range");
    Byte(vaCurrency);
    Little(negative ? 0 - magnitude : magnitude, 8);
  }

  // Quoted parts and #n escapes, joined directly or by '+'.
  void String() {
    std::vector<uint32_t> units;
    bool wide = false;
    for (;;) {
      if (Peek() == '\'') {
        ++FPos;
        for (;;) {
          if (AtEnd() || Peek() == '\n' || Peek() == '\r') Fail("Unterminated string");
          const char c = FSrc[FPos++];
          if (c == '\'') {
            if (Peek() != '\'') break;
            ++FPos;
          } else if (uint8_t(c) < 32 || uint8_t(c) > 126) {
            Fail("Invalid character in string");
          }
          units.push_back(uint8_t(c));
        }
      } else if (Peek() == '#') {
        ++FPos;
        const size_t from = FPos;
        uint32_t value = 0;
        while (FPos < FSrc.size() && IsDigit(FSrc[FPos])) {
          if (FPos - from >= 5) Fail("Invalid character code");
          value = value * 10 + uint32_t(FSrc[FPos] - '0');
          ++FPos;
        }
        const size_t count = FPos - from;
        if (count == 0 || value > 0xFFFF) Fail("Invalid character code");
        if (count >= 4 || value > 255) wide = true;
        units.push_back(value);
      } else {
        Fail("String expected");
      }
      if (Peek() == '\'' || Peek() == '#') continue;
      SkipBlanks();
      if (Peek() != '+' || AtEnd()) break;
      ++FPos;
      SkipBlanks();
    }
    if (wide) {
      Byte(vaWString);
      Little(units.size(), 4);
      for (uint32_t u : units) Little(u, 2);
    } else if (units.size() <= 255) {
      Byte(vaString);
      Byte(uint8_t(units.size()));
      for (uint32_t u : units) Byte(uint8_t(u));
    } else {
      Byte(vaLString);
      Little(units.size(), 4);
      for (uint32_t u : units) Byte(uint8_t(u));
    }
  }

  void Set() {
    ++FPos;
    Byte(vaSet);
    SkipBlanks();
    if (Peek() == ']' && !AtEnd()) {
      ++FPos;
    } else {
      for (;;) {
        ShortString(Identifier(false));
        SkipBlanks();
        const char c = Peek();
        if (AtEnd() || (c != ',' && c != ']')) Fail("',' or ']' expected");
        ++FPos;
        if (c == ']') break;
      }
    }
    Byte(vaNull);
  }

  void Binary() {
    ++FPos;
    std::vector<uint8_t> bytes;
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("Unterminated binary value");
      if (Peek() == '}') {
        ++FPos;
        break;
      }
      const int high = HexValue(Peek());
      const int low = FPos + 1 < FSrc.size() ? HexValue(FSrc[FPos + 1]) : -1;
      if (high < 0 || low < 0) Fail("Invalid binary value");
      bytes.push_back(uint8_t(high << 4 | low));
      FPos += 2;
    }
    Byte(vaBinary);
    Little(bytes.size(), 4);
    Bytes(bytes.data(), bytes.size());
  }

  void List(int Depth) {
    Byte(vaList);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("')' expected");
      if (Peek() == ')') {
        ++FPos;
        break;
      }
      Value(Depth);
    }
    Byte(vaNull);
  }

  void Collection(int Depth) {
    Byte(vaCollection);
    for (;;) {
      SkipBlanks();
      if (AtEnd()) Fail("'>' expected");
      if (Peek() == '>') {
        ++FPos;
        break;
      }
      if (!SameWord(Identifier(false), "item")) Fail("'item' expected");
      Byte(vaList);
      for (;;) {
        SkipBlanks();
        if (AtEnd()) Fail("'end' expected");
        const std::string word = Identifier(true);
        if (SameWord(word, "end")) break;
        Expect('=');
        ShortString(word);
        Value(Depth);
      }
      Byte(vaNull);
    }
    Byte(vaNull);
  }

  std::string FSrc;
  size_t FPos = 0;
  int FLine = 1;
  std::vector<uint8_t> FOut;
};

std::string ReadAll(TStream& In, int64_t& Start) {
  Start = In.Position();
  const int64_t size = In.Remaining();
  if (size < 0 || size > MaxComponentTextInput)
    throw EReadError("Component stream too large: " + std::to_string(size) + " bytes");
  std::string data(size_t(size), '\0');
  if (size) In.ReadBuffer(data.data(), size);
  return data;
}

}  // namespace

void ObjectBinaryToText(TStream& In, TStream& Out) {
  int64_t start = 0;
  const std::string data = ReadAll(In, start);
  TBinaryToText converter(reinterpret_cast<const uint8_t*>(data.data()), data.size());
  converter.Convert();
  In.SetPosition(start + int64_t(converter.Consumed()));
  Out.WriteBuffer(converter.Text().data(), int64_t(converter.Text().size()));
}

void ObjectTextToBinary(TStream& In, TStream& Out) {
  int64_t start = 0;
  TTextToBinary converter(ReadAll(In, start));
  converter.Convert();
  Out.WriteBuffer(converter.Output().data(), int64_t(converter.Output().size()));
}
