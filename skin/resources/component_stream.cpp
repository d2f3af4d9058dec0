#include "skin/resources/component_stream.h"

#include <cstdio>
#include <string_view>
#include <utility>

namespace {

constexpr char kSignature[4] = {'T', 'P', 'F', '0'};

int32_t LoadLE32(const uint8_t* b) {
  return static_cast<int32_t>(static_cast<uint32_t>(b[0]) | static_cast<uint32_t>(b[1]) << 8 |
                              static_cast<uint32_t>(b[2]) << 16 | static_cast<uint32_t>(b[3]) << 24);
}

std::string HexByte(uint8_t Value) {
  char text[8];
  std::snprintf(text, sizeof text, "0x%02X", Value);
  return text;
}

}  // namespace

// ---- Values -----------------------------------------------------------------

TStreamValue TStreamValue::FromInteger(int32_t Value) {
  TStreamValue v;
  v.Integer = Value;
  if (Value >= -128 && Value <= 127)
    v.Type = TValueType::vaInt8;
  else if (Value >= -32768 && Value <= 32767)
    v.Type = TValueType::vaInt16;
  else
    v.Type = TValueType::vaInt32;
  return v;
}

TStreamValue TStreamValue::FromString(std::string Value) {
  TStreamValue v;
  v.Type = TValueType::vaString;
  v.Text = std::move(Value);
  return v;
}

TStreamValue TStreamValue::FromIdent(std::string Value) {
  TStreamValue v;
  v.Type = TValueType::vaIdent;
  v.Text = std::move(Value);
  return v;
}

TStreamValue TStreamValue::FromBoolean(bool Value) {
  TStreamValue v;
  v.Type = Value ? TValueType::vaTrue : TValueType::vaFalse;
  return v;
}

TStreamValue TStreamValue::FromBinary(std::vector<uint8_t> Value) {
  TStreamValue v;
  v.Type = TValueType::vaBinary;
  v.Bytes = std::move(Value);
  return v;
}

TStreamValue TStreamValue::FromCollection(std::vector<TStreamPropertyList> Value) {
  TStreamValue v;
  v.Type = TValueType::vaCollection;
  v.Items = std::move(Value);
  return v;
}

TStreamValue TStreamValue::FromList(std::vector<TStreamValue> Value) {
  TStreamValue v;
  v.Type = TValueType::vaList;
  v.List = std::move(Value);
  return v;
}

bool TStreamValue::IsInteger() const {
  return Type == TValueType::vaInt8 || Type == TValueType::vaInt16 || Type == TValueType::vaInt32;
}

bool operator==(const TStreamValue& A, const TStreamValue& B) {
  // Integers compare by value whatever width they were stored in.
  if (A.IsInteger() && B.IsInteger()) return A.Integer == B.Integer;
  if (A.Type != B.Type) return false;
  switch (A.Type) {
    case TValueType::vaString:
    case TValueType::vaIdent:
      return A.Text == B.Text;
    case TValueType::vaBinary:
      return A.Bytes == B.Bytes;
    case TValueType::vaList:
      return A.List == B.List;
    case TValueType::vaCollection:
      return A.Items == B.Items;
    default:
      return true;
  }
}

const TStreamProperty* FindStreamProperty(const TStreamPropertyList& Properties, const std::string& Name) {
  for (const TStreamProperty& p : Properties)
    if (p.Name == Name) return &p;
  return nullptr;
}

// ---- Reader -----------------------------------------------------------------

void TComponentStreamReader::Fail(const std::string& Detail) const {
  throw EReadError("Invalid stream format: " + Detail);
}

void TComponentStreamReader::ReadBytes(void* Buffer, int64_t Count, const char* What) {
  if (Count > FStream.Remaining()) Fail(std::string("stream ends inside ") + What);
  FStream.ReadBuffer(Buffer, Count);
}

uint8_t TComponentStreamReader::ReadByte(const char* What) {
  uint8_t b = 0;
  ReadBytes(&b, 1, What);
  return b;
}

std::string TComponentStreamReader::ReadShortString(const char* What) {
  const uint8_t length = ReadByte(What);
  std::string text(length, '\0');
  if (length) ReadBytes(text.data(), length, What);
  return text;
}

TStreamObject TComponentStreamReader::ReadRootObject() {
  char signature[4];
  ReadBytes(signature, 4, "the signature");
  if (std::string_view(signature, 4) != std::string_view(kSignature, 4)) Fail("bad signature");
  return ReadObject(0);
}

TStreamObject TComponentStreamReader::ReadObject(int Depth) {
  if (Depth >= MaxNestingDepth) Fail("objects nested too deeply");
  TStreamObject object;
  // A class name whose length byte has the top nibble 0xF is an object flag
  // prefix (inherited or inline forms); stored modules never use it.
  const int64_t start = FStream.Position();
  const uint8_t first = ReadByte("a class name");
  if ((first & 0xF0) == 0xF0) Fail("object flags " + HexByte(first) + " are not supported");
  FStream.SetPosition(start);
  object.ClassName = ReadShortString("a class name");
  if (object.ClassName.empty()) Fail("empty class name");
  object.Name = ReadShortString("an object name");
  object.Properties = ReadProperties(Depth, object.Name.empty() ? object.ClassName : object.Name);
  for (;;) {
    const int64_t pos = FStream.Position();
    if (ReadByte("a child list") == 0) break;
    FStream.SetPosition(pos);
    object.Children.push_back(ReadObject(Depth + 1));
  }
  return object;
}

TStreamPropertyList TComponentStreamReader::ReadProperties(int Depth, const std::string& Owner) {
  TStreamPropertyList properties;
  for (;;) {
    std::string name = ReadShortString("a property name");
    if (name.empty()) break;
    TStreamValue value = ReadValue(Depth, Owner + "." + name);
    properties.push_back({std::move(name), std::move(value)});
  }
  return properties;
}

TStreamValue TComponentStreamReader::ReadValue(int Depth, const std::string& Property) {
  const uint8_t type = ReadByte("a property value");
  TStreamValue v;
  v.Type = static_cast<TValueType>(type);
  switch (v.Type) {
    case TValueType::vaInt8: {
      uint8_t b[1];
      ReadBytes(b, 1, "an integer value");
      v.Integer = static_cast<int8_t>(b[0]);
      break;
    }
    case TValueType::vaInt16: {
      uint8_t b[2];
      ReadBytes(b, 2, "an integer value");
      v.Integer = static_cast<int16_t>(static_cast<uint16_t>(b[0] | b[1] << 8));
      break;
    }
    case TValueType::vaInt32: {
      uint8_t b[4];
      ReadBytes(b, 4, "an integer value");
      v.Integer = LoadLE32(b);
      break;
    }
    case TValueType::vaString:
    case TValueType::vaIdent:
      v.Text = ReadShortString("a string value");
      break;
    case TValueType::vaFalse:
    case TValueType::vaTrue:
      break;
    case TValueType::vaBinary: {
      uint8_t b[4];
      ReadBytes(b, 4, "a binary length");
      const int32_t count = LoadLE32(b);
      // Check the claimed length before allocating for it.
      if (count < 0 || count > FStream.Remaining())
        Fail("binary value of " + Property + " claims " + std::to_string(count) + " bytes, " +
             std::to_string(FStream.Remaining()) + " left");
      v.Bytes.resize(static_cast<size_t>(count));
      ReadBytes(v.Bytes.data(), count, "a binary value");
      break;
    }
    case TValueType::vaList:
      if (Depth + 1 >= MaxNestingDepth) Fail("values nested too deeply in " + Property);
      for (;;) {
        const int64_t pos = FStream.Position();
        if (ReadByte("a list") == 0) break;
        FStream.SetPosition(pos);
        v.List.push_back(ReadValue(Depth + 1, Property));
      }
      break;
    case TValueType::vaCollection:
      if (Depth + 1 >= MaxNestingDepth) Fail("values nested too deeply in " + Property);
      for (;;) {
        const uint8_t marker = ReadByte("a collection");
        if (marker == 0) break;
        if (marker != static_cast<uint8_t>(TValueType::vaList))
          Fail("collection item of " + Property + " starts with " + HexByte(marker) + " instead of 0x01");
        v.Items.push_back(ReadProperties(Depth + 1, Property));
      }
      break;
    default:
      Fail("unsupported value type " + HexByte(type) + " for " + Property);
  }
  return v;
}

// ---- Writer -----------------------------------------------------------------

void TComponentStreamWriter::WriteShortString(const std::string& Text) {
  if (Text.size() > 255) throw EWriteError("String too long for a short string: " + Text.substr(0, 32) + "...");
  WriteByte(static_cast<uint8_t>(Text.size()));
  FStream.WriteBuffer(Text.data(), static_cast<int64_t>(Text.size()));
}

void TComponentStreamWriter::WriteInt32(int32_t Value) {
  const uint32_t u = static_cast<uint32_t>(Value);
  const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                        static_cast<uint8_t>(u >> 24)};
  FStream.WriteBuffer(b, 4);
}

void TComponentStreamWriter::WriteRootObject(const TStreamObject& Object) {
  FStream.WriteBuffer(kSignature, 4);
  WriteObject(Object);
}

void TComponentStreamWriter::WriteObject(const TStreamObject& Object) {
  if (Object.ClassName.empty()) throw EWriteError("Object without a class name");
  // Length bytes 0xF0 and above would read back as object flags.
  if (Object.ClassName.size() >= 0xF0) throw EWriteError("Class name too long: " + Object.ClassName.substr(0, 32) + "...");
  WriteShortString(Object.ClassName);
  WriteShortString(Object.Name);
  WriteProperties(Object.Properties);
  for (const TStreamObject& child : Object.Children) WriteObject(child);
  WriteByte(0);
}

void TComponentStreamWriter::WriteProperties(const TStreamPropertyList& Properties) {
  for (const TStreamProperty& p : Properties) {
    if (p.Name.empty()) throw EWriteError("Property without a name");
    WriteShortString(p.Name);
    WriteValue(p.Value);
  }
  WriteByte(0);
}

void TComponentStreamWriter::WriteValue(const TStreamValue& Value) {
  if (Value.IsInteger()) {
    // Integers always go out in their smallest form.
    const TStreamValue v = TStreamValue::FromInteger(Value.Integer);
    WriteByte(static_cast<uint8_t>(v.Type));
    const uint32_t u = static_cast<uint32_t>(v.Integer);
    const uint8_t b[4] = {static_cast<uint8_t>(u), static_cast<uint8_t>(u >> 8), static_cast<uint8_t>(u >> 16),
                          static_cast<uint8_t>(u >> 24)};
    FStream.WriteBuffer(b, v.Type == TValueType::vaInt8 ? 1 : v.Type == TValueType::vaInt16 ? 2 : 4);
    return;
  }
  switch (Value.Type) {
    case TValueType::vaString:
    case TValueType::vaIdent:
      WriteByte(static_cast<uint8_t>(Value.Type));
      WriteShortString(Value.Text);
      break;
    case TValueType::vaFalse:
    case TValueType::vaTrue:
      WriteByte(static_cast<uint8_t>(Value.Type));
      break;
    case TValueType::vaBinary:
      if (Value.Bytes.size() > 0x7FFFFFFFu) throw EWriteError("Binary value too large");
      WriteByte(static_cast<uint8_t>(Value.Type));
      WriteInt32(static_cast<int32_t>(Value.Bytes.size()));
      FStream.WriteBuffer(Value.Bytes.data(), static_cast<int64_t>(Value.Bytes.size()));
      break;
    case TValueType::vaList:
      WriteByte(static_cast<uint8_t>(Value.Type));
      for (const TStreamValue& item : Value.List) WriteValue(item);
      WriteByte(0);
      break;
    case TValueType::vaCollection:
      WriteByte(static_cast<uint8_t>(Value.Type));
      for (const TStreamPropertyList& item : Value.Items) {
        WriteByte(static_cast<uint8_t>(TValueType::vaList));
        WriteProperties(item);
      }
      WriteByte(0);
      break;
    default:
      throw EWriteError("Unsupported value type " + HexByte(static_cast<uint8_t>(Value.Type)));
  }
}

TStreamObject ReadComponentStream(TStream& Stream) { return TComponentStreamReader(Stream).ReadRootObject(); }

void WriteComponentStream(TStream& Stream, const TStreamObject& Object) {
  TComponentStreamWriter(Stream).WriteRootObject(Object);
}
