#include "toolkit/core/streams.h"

#include <algorithm>
#include <cstring>

int64_t TStream::Size() {
  const int64_t pos = Seek(0, TSeekOrigin::soCurrent);
  const int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(pos, TSeekOrigin::soBeginning);
  return size;
}

void TStream::SetSize(int64_t) { throw EStreamError("Stream cannot change its size"); }

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count < 0 || (Count != 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& Source, int64_t Count) {
  if (Count == 0) {
    Source.SetPosition(0);
    Count = Source.Size();
  }
  std::vector<uint8_t> buffer(static_cast<size_t>(std::min<int64_t>(Count, 1 << 16)));
  int64_t left = Count;
  while (left > 0) {
    const int64_t n = std::min<int64_t>(left, static_cast<int64_t>(buffer.size()));
    Source.ReadBuffer(buffer.data(), n);
    WriteBuffer(buffer.data(), n);
    left -= n;
  }
  return Count;
}

int64_t TCustomMemoryStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0 || FPosition >= FSize) return 0;
  const int64_t n = std::min(Count, FSize - FPosition);
  std::memcpy(Buffer, FMemory + FPosition, static_cast<size_t>(n));
  FPosition += n;
  return n;
}

int64_t TCustomMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int64_t base = Origin == TSeekOrigin::soBeginning ? 0 : Origin == TSeekOrigin::soCurrent ? FPosition : FSize;
  FPosition = std::max<int64_t>(0, base + Offset);
  return FPosition;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  const int64_t end = FPosition + Count;
  if (end > static_cast<int64_t>(FData.size())) {
    try {
      FData.resize(static_cast<size_t>(end));
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory();
    }
    Sync();
  }
  std::memcpy(FData.data() + FPosition, Buffer, static_cast<size_t>(Count));
  FPosition = end;
  return Count;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  try {
    FData.resize(static_cast<size_t>(std::max<int64_t>(NewSize, 0)));
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory();
  }
  Sync();
  FPosition = std::min(FPosition, FSize);
}

void TMemoryStream::LoadFromStream(TStream& Source) {
  Source.SetPosition(0);
  const int64_t size = Source.Size();
  SetSize(size);
  Source.ReadBuffer(FData.data(), size);
  FPosition = 0;
}

void TMemoryStream::LoadFromFile(const std::filesystem::path& FileName) {
  TFileStream file(FileName, TFileMode::fmOpenRead);
  LoadFromStream(file);
}

void TMemoryStream::SaveToFile(const std::filesystem::path& FileName) {
  TFileStream file(FileName, TFileMode::fmCreate);
  file.WriteBuffer(FData.data(), static_cast<int64_t>(FData.size()));
}

int64_t TReadOnlyMemoryStream::Write(const void*, int64_t) {
  throw EWriteError("Stream write error");
}

namespace {
std::FILE* OpenFile(const std::filesystem::path& name, const char* mode) {
#ifdef _WIN32
  // Wide file names on Windows; the path already holds UTF-16 there.
  const std::wstring wmode(mode, mode + std::strlen(mode));
  return _wfopen(name.c_str(), wmode.c_str());
#else
  return std::fopen(name.c_str(), mode);
#endif
}
}  // namespace

TFileStream::TFileStream(const std::filesystem::path& FileName, TFileMode Mode) : FFileName(FileName) {
  const char* mode = Mode == TFileMode::fmCreate ? "w+b" : Mode == TFileMode::fmOpenRead ? "rb" : "r+b";
  FFile = OpenFile(FileName, mode);
  if (!FFile) {
    const std::string name = WideToUtf8(FileName.wstring());
    if (Mode == TFileMode::fmCreate) throw EFCreateError("Cannot create file \"" + name + "\"");
    throw EFOpenError("Cannot open file \"" + name + "\"");
  }
}

TFileStream::~TFileStream() {
  if (FFile) std::fclose(FFile);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  return static_cast<int64_t>(std::fread(Buffer, 1, static_cast<size_t>(Count), FFile));
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  return static_cast<int64_t>(std::fwrite(Buffer, 1, static_cast<size_t>(Count), FFile));
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  const int whence = Origin == TSeekOrigin::soBeginning ? SEEK_SET : Origin == TSeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
#ifdef _WIN32
  if (_fseeki64(FFile, Offset, whence) != 0) return -1;
  return _ftelli64(FFile);
#else
  if (fseeko(FFile, Offset, whence) != 0) return -1;
  return ftello(FFile);
#endif
}

void TFileStream::SetSize(int64_t NewSize) {
  std::fflush(FFile);
  std::error_code ec;
  std::filesystem::resize_file(FFileName, static_cast<uintmax_t>(NewSize), ec);
  if (ec) throw EStreamError("Cannot set the size of \"" + WideToUtf8(FFileName.wstring()) + "\"");
}
