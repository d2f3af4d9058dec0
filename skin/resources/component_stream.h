// The toolkit's binary component stream ("TPF0"): a tree of object records,
// each with a class name, an object name, named typed properties and child
// objects. Used for stored modules such as the built-in skin image module.
//
// The reader treats its input as untrusted: every count and length is checked
// against the bytes left in the stream before anything is allocated, nesting
// is bounded, and anything malformed raises EReadError naming the fault.
// Only the value types listed in TValueType are accepted.
#pragma once

#include "toolkit/core/streams.h"

#include <cstdint>
#include <string>
#include <vector>

enum class TValueType : uint8_t {
  vaNull = 0x00,        // ends a property list, a child list, a list or a collection
  vaList = 0x01,        // values up to vaNull; inside a collection, introduces an item
  vaInt8 = 0x02,
  vaInt16 = 0x03,
  vaInt32 = 0x04,
  vaString = 0x06,      // short string: 1 length byte, then the bytes
  vaIdent = 0x07,       // identifier, stored as a short string
  vaFalse = 0x08,
  vaTrue = 0x09,
  vaBinary = 0x0A,      // 32-bit little-endian byte count, then the bytes
  vaCollection = 0x0E,  // items (vaList + properties + vaNull) up to vaNull
};

struct TStreamProperty;
using TStreamPropertyList = std::vector<TStreamProperty>;

// One property value. Only the members that belong to Type are meaningful.
struct TStreamValue {
  TValueType Type = TValueType::vaNull;
  int32_t Integer = 0;                       // vaInt8, vaInt16, vaInt32
  std::string Text;                          // vaString, vaIdent
  std::vector<uint8_t> Bytes;                // vaBinary
  std::vector<TStreamValue> List;            // vaList
  std::vector<TStreamPropertyList> Items;    // vaCollection

  // Builders; FromInteger picks the smallest integer type that holds the value.
  static TStreamValue FromInteger(int32_t Value);
  static TStreamValue FromString(std::string Value);
  static TStreamValue FromIdent(std::string Value);
  static TStreamValue FromBoolean(bool Value);
  static TStreamValue FromBinary(std::vector<uint8_t> Value);
  static TStreamValue FromCollection(std::vector<TStreamPropertyList> Value);
  static TStreamValue FromList(std::vector<TStreamValue> Value);

  bool IsInteger() const;
  bool IsBoolean() const { return Type == TValueType::vaFalse || Type == TValueType::vaTrue; }
};

bool operator==(const TStreamValue& A, const TStreamValue& B);

struct TStreamProperty {
  std::string Name;  // may be dotted, e.g. "Bitmap.Data"
  TStreamValue Value;
  friend bool operator==(const TStreamProperty&, const TStreamProperty&) = default;
};

// First property of that exact name, or nullptr.
const TStreamProperty* FindStreamProperty(const TStreamPropertyList& Properties, const std::string& Name);

struct TStreamObject {
  std::string ClassName;
  std::string Name;
  TStreamPropertyList Properties;
  std::vector<TStreamObject> Children;
  friend bool operator==(const TStreamObject&, const TStreamObject&) = default;
};

class TComponentStreamReader {
public:
  // Object records, lists and collections nested deeper than this are refused.
  static constexpr int MaxNestingDepth = 32;

  explicit TComponentStreamReader(TStream& Stream) : FStream(Stream) {}

  // Reads the "TPF0" signature and the root object record. The stream is left
  // just after the record; bytes after it are not examined.
  TStreamObject ReadRootObject();

private:
  TStreamObject ReadObject(int Depth);
  TStreamPropertyList ReadProperties(int Depth, const std::string& Owner);
  TStreamValue ReadValue(int Depth, const std::string& Property);
  uint8_t ReadByte(const char* What);
  std::string ReadShortString(const char* What);
  void ReadBytes(void* Buffer, int64_t Count, const char* What);
  [[noreturn]] void Fail(const std::string& Detail) const;

  TStream& FStream;
};

class TComponentStreamWriter {
public:
  explicit TComponentStreamWriter(TStream& Stream) : FStream(Stream) {}

  // Writes the "TPF0" signature and the object record. Raises EWriteError for
  // values the format cannot hold (a short string over 255 bytes, an empty
  // class or property name, a type the reader does not accept).
  void WriteRootObject(const TStreamObject& Object);

private:
  void WriteObject(const TStreamObject& Object);
  void WriteProperties(const TStreamPropertyList& Properties);
  void WriteValue(const TStreamValue& Value);
  void WriteByte(uint8_t Value) { FStream.WriteBuffer(&Value, 1); }
  void WriteShortString(const std::string& Text);
  void WriteInt32(int32_t Value);

  TStream& FStream;
};

// Convenience wrappers over the two classes.
TStreamObject ReadComponentStream(TStream& Stream);
void WriteComponentStream(TStream& Stream, const TStreamObject& Object);
