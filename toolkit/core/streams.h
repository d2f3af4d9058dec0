// Byte streams: the abstract stream, memory and file streams.
// Portable; the Windows resource stream lives in the Win32 toolkit.
#pragma once

#include "toolkit/core/classes.h"

#include <cstdio>
#include <filesystem>
#include <vector>

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream : public TObject {
public:
  // Read/Write move at most Count bytes and return how many moved.
  virtual int64_t Read(void* Buffer, int64_t Count) = 0;
  virtual int64_t Write(const void* Buffer, int64_t Count) = 0;
  virtual int64_t Seek(int64_t Offset, TSeekOrigin Origin) = 0;

  int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(int64_t Pos) { Seek(Pos, TSeekOrigin::soBeginning); }
  virtual int64_t Size();
  virtual void SetSize(int64_t NewSize);
  // Bytes left between the position and the end; readers check counts against it
  // before they allocate.
  int64_t Remaining() { return Size() - Position(); }

  // All-or-nothing forms: raise EReadError "Stream read error" /
  // EWriteError "Stream write error" on a short transfer.
  void ReadBuffer(void* Buffer, int64_t Count);
  void WriteBuffer(const void* Buffer, int64_t Count);
  template <typename T> T ReadValue() {
    T v{};
    ReadBuffer(&v, sizeof v);
    return v;
  }
  template <typename T> void WriteValue(const T& v) { WriteBuffer(&v, sizeof v); }

  // Copies Count bytes from Source (Count 0: all of Source from its start).
  int64_t CopyFrom(TStream& Source, int64_t Count);
};

class TCustomMemoryStream : public TStream {
public:
  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  int64_t Size() override { return FSize; }
  const uint8_t* Memory() const { return FMemory; }

protected:
  void SetPointer(const uint8_t* Ptr, int64_t Size) {
    FMemory = Ptr;
    FSize = Size;
  }
  const uint8_t* FMemory = nullptr;
  int64_t FSize = 0;
  int64_t FPosition = 0;
};

// A growable in-memory stream.
class TMemoryStream : public TCustomMemoryStream {
public:
  int64_t Write(const void* Buffer, int64_t Count) override;
  void SetSize(int64_t NewSize) override;
  void Clear() { SetSize(0); FPosition = 0; }
  uint8_t* Memory() { return FData.data(); }
  const std::vector<uint8_t>& Bytes() const { return FData; }
  void LoadFromStream(TStream& Source);
  void LoadFromFile(const std::filesystem::path& FileName);
  void SaveToFile(const std::filesystem::path& FileName);

private:
  void Sync() { SetPointer(FData.data(), static_cast<int64_t>(FData.size())); }
  std::vector<uint8_t> FData;
};

// A read-only view of bytes owned by someone else (a resource, a test buffer).
class TReadOnlyMemoryStream : public TCustomMemoryStream {
public:
  TReadOnlyMemoryStream(const void* Data, int64_t Size) {
    SetPointer(static_cast<const uint8_t*>(Data), Size);
  }
  int64_t Write(const void*, int64_t) override;
};

enum class TFileMode { fmOpenRead, fmOpenReadWrite, fmCreate };

class TFileStream : public TStream {
public:
  // Raises EFOpenError / EFCreateError naming the file when it cannot be opened.
  TFileStream(const std::filesystem::path& FileName, TFileMode Mode);
  ~TFileStream() override;
  TFileStream(const TFileStream&) = delete;
  TFileStream& operator=(const TFileStream&) = delete;

  int64_t Read(void* Buffer, int64_t Count) override;
  int64_t Write(const void* Buffer, int64_t Count) override;
  int64_t Seek(int64_t Offset, TSeekOrigin Origin) override;
  void SetSize(int64_t NewSize) override;

private:
  std::FILE* FFile = nullptr;
  std::filesystem::path FFileName;
};
