// Portable foundation shared by every library: colours in the toolkit's
// convention, events, the exception family and persistent objects.
// Never includes windows.h, so the raster library and the host tools can use it.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

class TObject {
public:
  virtual ~TObject() = default;
};

// Events are called only when assigned; the sender is the first argument.
using TNotifyEvent = std::function<void(TObject* Sender)>;

// ---- Colours ---------------------------------------------------------------

// 0x00BBGGRR for an RGB colour; top byte 0xFF marks a system colour whose
// index is in the low byte.
using TColor = int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0xFF000000u);
constexpr TColor SystemColor(int index) { return clSystemColor | index; }

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clNavy = 0x800000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

constexpr TColor clScrollBar = SystemColor(0);
constexpr TColor clBackground = SystemColor(1);
constexpr TColor clActiveCaption = SystemColor(2);
constexpr TColor clInactiveCaption = SystemColor(3);
constexpr TColor clMenu = SystemColor(4);
constexpr TColor clWindow = SystemColor(5);
constexpr TColor clWindowFrame = SystemColor(6);
constexpr TColor clMenuText = SystemColor(7);
constexpr TColor clWindowText = SystemColor(8);
constexpr TColor clCaptionText = SystemColor(9);
constexpr TColor clHighlight = SystemColor(13);
constexpr TColor clHighlightText = SystemColor(14);
constexpr TColor clBtnFace = SystemColor(15);
constexpr TColor clBtnShadow = SystemColor(16);
constexpr TColor clGrayText = SystemColor(17);
constexpr TColor clBtnText = SystemColor(18);
constexpr TColor clBtnHighlight = SystemColor(20);
constexpr TColor clInfoText = SystemColor(23);
constexpr TColor clInfoBk = SystemColor(24);

// Resolves a system colour index to 0x00BBGGRR. The portable default answers
// the classic Windows scheme; the Windows build installs GetSysColor.
using TSysColorResolver = uint32_t (*)(int index);
void SetSysColorResolver(TSysColorResolver resolver);
uint32_t SysColor(int index);

// Any TColor to plain 0x00BBGGRR (system colours resolved).
uint32_t ColorToRGB(TColor color);

// ---- Exceptions ------------------------------------------------------------

// Base of every exception the system raises; the message is UTF-8.
class Exception : public std::runtime_error {
public:
  explicit Exception(const std::string& message) : std::runtime_error(message) {}
  std::string Message() const { return what(); }
};

class EConvertError : public Exception { using Exception::Exception; };
class EOutOfMemory : public Exception {
public:
  EOutOfMemory() : Exception("Out of memory") {}
};
class EIntfCastError : public Exception {
public:
  EIntfCastError() : Exception("Interface not supported") {}
  using Exception::Exception;
};
class EInvalidOperation : public Exception { using Exception::Exception; };
class EListError : public Exception { using Exception::Exception; };
class EStreamError : public Exception { using Exception::Exception; };
class EReadError : public EStreamError { using EStreamError::EStreamError; };
class EWriteError : public EStreamError { using EStreamError::EStreamError; };
class EFOpenError : public EStreamError { using EStreamError::EStreamError; };
class EFCreateError : public EStreamError { using EStreamError::EStreamError; };
// A module resource that is not there.
class EResNotFound : public Exception { using Exception::Exception; };

// ---- Persistent objects ----------------------------------------------------

class TPersistent : public TObject {
public:
  // Copies Source into this object. The default asks Source to AssignTo this,
  // and if nobody knows the pair raises EConvertError.
  virtual void Assign(TPersistent* Source);

protected:
  virtual void AssignTo(TPersistent* Dest);
  virtual std::string ClassName() const;
  [[noreturn]] void AssignError(TPersistent* Source) const;
};

// UTF-8 <-> UTF-16 for messages and file names (invalid input is replaced, never rejected).
std::string WideToUtf8(const std::wstring& text);
std::wstring Utf8ToWide(const std::string& text);
