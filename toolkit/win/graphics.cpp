#include "toolkit/win/graphics.h"

#include <string>

EWin32Error::EWin32Error(const char* Call)
    : Exception(std::string(Call) + " failed (error " + std::to_string(GetLastError()) + ")"), FCode(GetLastError()) {}

TMemoryDC::TMemoryDC(HDC Compatible) : FDC(CreateCompatibleDC(Compatible)) {
  Win32Check(FDC != nullptr, "CreateCompatibleDC");
  CountLive(lkDC, 1);
}

TWindowDC::TWindowDC(HWND Window, bool WholeWindow)
    : FWindow(Window), FDC(WholeWindow ? GetWindowDC(Window) : GetDC(Window)) {
  Win32Check(FDC != nullptr, WholeWindow ? "GetWindowDC" : "GetDC");
  CountLive(lkDC, 1);
}

TPaintDC::TPaintDC(HWND Window) : FWindow(Window), FDC(BeginPaint(Window, &FPaint)) {
  Win32Check(FDC != nullptr, "BeginPaint");
  CountLive(lkDC, 1);
}

TCanvasBinding::TCanvasBinding(TCanvas& Canvas, HDC DC, const TFont* Font) : FCanvas(Canvas) {
  FCanvas.Lock();
  FOld = FCanvas.HandleAllocated() ? FCanvas.Handle() : nullptr;
  FCanvas.SetHandle(DC);
  // Assign does not fail once the canvas holds the DC: it only copies fields.
  if (Font) FCanvas.Font().Assign(const_cast<TFont*>(Font));
}

TCanvasBinding::~TCanvasBinding() {
  FCanvas.SetHandle(FOld);
  FCanvas.Unlock();
}

uint32_t Win32SysColor(int Index) { return GetSysColor(Index); }

// ---- TFont -------------------------------------------------------------------

TFont::TFont() {
  // The screen's pixel density decides Size <-> Height.
  TWindowDC screen(nullptr);
  FPixelsPerInch = GetDeviceCaps(screen.Get(), LOGPIXELSY);
  if (FPixelsPerInch <= 0) FPixelsPerInch = 96;
}

void TFont::SetName(const std::wstring& Value) {
  if (Value.empty() || Value == FName) return;
  FName = Value;
  Changed();
}

void TFont::SetHeight(int Value) {
  if (Value == FHeight) return;
  FHeight = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, FPixelsPerInch); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, FPixelsPerInch, 72)); }

void TFont::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  // The colour is not part of the GDI font: keep the handle.
  if (OnChange) OnChange(this);
}

void TFont::SetCharset(uint8_t Value) {
  if (Value == FCharset) return;
  FCharset = Value;
  Changed();
}

void TFont::SetStyle(TFontStyles Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TFont::SetPitch(TFontPitch Value) {
  if (Value == FPitch) return;
  FPitch = Value;
  Changed();
}

std::shared_ptr<TGdiFont> TFont::Resource() {
  if (!FResource) {
    LOGFONTW lf{};
    lf.lfHeight = FHeight;
    lf.lfWeight = (FStyle & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (FStyle & fsItalic) ? 1 : 0;
    lf.lfUnderline = (FStyle & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (FStyle & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    lf.lfQuality = DEFAULT_QUALITY;
    lf.lfPitchAndFamily = FPitch == fpFixed ? FIXED_PITCH : FPitch == fpVariable ? VARIABLE_PITCH : DEFAULT_PITCH;
    lstrcpynW(lf.lfFaceName, FName.c_str(), LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    Win32Check(font != nullptr, "CreateFontIndirectW");
    FResource = std::make_shared<TGdiFont>(font);
  }
  return FResource;
}

HFONT TFont::Handle() { return Resource()->Get(); }

void TFont::SetHandle(HFONT Value) {
  if (!Value) {
    Changed();
    return;
  }
  LOGFONTW lf{};
  Win32Check(GetObjectW(Value, sizeof lf, &lf) != 0, "GetObjectW");
  FName = lf.lfFaceName;
  FHeight = lf.lfHeight;
  FCharset = lf.lfCharSet;
  FStyle = static_cast<TFontStyles>((lf.lfWeight >= FW_BOLD ? fsBold : 0) | (lf.lfItalic ? fsItalic : 0) |
                                    (lf.lfUnderline ? fsUnderline : 0) | (lf.lfStrikeOut ? fsStrikeOut : 0));
  FPitch = (lf.lfPitchAndFamily & 3) == FIXED_PITCH ? fpFixed : (lf.lfPitchAndFamily & 3) == VARIABLE_PITCH ? fpVariable : fpDefault;
  // Adopted before the change is announced: a listener that asks for the
  // handle (a control passing it to its window) gets this one, not a font made
  // from the properties and deleted again when this one replaced it.
  FResource = std::make_shared<TGdiFont>(Value);
  if (OnChange) OnChange(this);
}

bool TFont::SameAs(const TFont& Other) const {
  return FName == Other.FName && FHeight == Other.FHeight && FColor == Other.FColor && FCharset == Other.FCharset &&
         FStyle == Other.FStyle && FPitch == Other.FPitch;
}

void TFont::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TFont*>(Source)) {
    if (other == this || SameAs(*other)) return;
    FName = other->FName;
    FHeight = other->FHeight;
    FColor = other->FColor;
    FCharset = other->FCharset;
    FStyle = other->FStyle;
    FPitch = other->FPitch;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TPen / TBrush -----------------------------------------------------------

void TPen::SetColor(TColor Value) {
  if (Value == FColor) return;
  FColor = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (Value < 0 || Value == FWidth) return;
  FWidth = Value;
  Changed();
}

std::shared_ptr<TGdiPen> TPen::Resource() {
  if (!FResource) {
    static constexpr int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    HPEN pen = CreatePen(styles[FStyle], FWidth, ColorToRef(FColor));
    Win32Check(pen != nullptr, "CreatePen");
    FResource = std::make_shared<TGdiPen>(pen);
  }
  return FResource;
}

HPEN TPen::Handle() { return Resource()->Get(); }

void TPen::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TPen*>(Source)) {
    FColor = other->FColor;
    FStyle = other->FStyle;
    FWidth = other->FWidth;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

void TBrush::SetColor(TColor Value) {
  if (Value == FColor && FStyle == bsSolid) return;
  FColor = Value;
  // Setting a colour makes a clear brush solid again.
  FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Changed();
}

std::shared_ptr<TGdiBrush> TBrush::Resource() {
  if (!FResource) {
    LOGBRUSH lb{};
    lb.lbStyle = FStyle == bsClear ? BS_NULL : BS_SOLID;
    lb.lbColor = ColorToRef(FColor);
    HBRUSH brush = CreateBrushIndirect(&lb);
    Win32Check(brush != nullptr, "CreateBrushIndirect");
    FResource = std::make_shared<TGdiBrush>(brush);
  }
  return FResource;
}

HBRUSH TBrush::Handle() { return Resource()->Get(); }

void TBrush::Assign(TPersistent* Source) {
  if (auto* other = dynamic_cast<TBrush*>(Source)) {
    FColor = other->FColor;
    FStyle = other->FStyle;
    Changed();
    return;
  }
  TPersistent::Assign(Source);
}

// ---- TCanvas -----------------------------------------------------------------

TCanvas::TCanvas() {
  FFont.OnChange = [this](TObject*) { FState &= ~csFontValid; };
  FPen.OnChange = [this](TObject*) { FState &= ~csPenValid; };
  FBrush.OnChange = [this](TObject*) { FState &= ~csBrushValid; };
}

TCanvas::~TCanvas() { SetHandle(nullptr); }

HDC TCanvas::Handle() {
  if (!FHandle) CreateHandle();
  return FHandle;
}

void TCanvas::SetHandle(HDC Value) {
  if (Value == FHandle) return;
  if (FHandle) DeselectHandles();
  FHandle = Value;
  FState = Value ? csHandleValid : 0;
}

void TCanvas::DeselectHandles() {
  if (!FHandle) return;
  if (FOldFont) SelectObject(FHandle, FOldFont);
  if (FOldPen) SelectObject(FHandle, FOldPen);
  if (FOldBrush) SelectObject(FHandle, FOldBrush);
  FOldFont = FOldPen = FOldBrush = nullptr;
  FSelectedFont.reset();
  FSelectedPen.reset();
  FSelectedBrush.reset();
  FState &= ~(csFontValid | csPenValid | csBrushValid);
}

void TCanvas::RequiredState(uint8_t Required) {
  if (!Handle()) throw EInvalidOperation("Canvas does not allow drawing");
  const uint8_t needed = Required & ~FState;
  if (needed & csFontValid) {
    auto font = FFont.Resource();
    HGDIOBJ old = SelectObject(FHandle, font->Get());
    if (!FOldFont) FOldFont = old;
    FSelectedFont = std::move(font);
    SetTextColor(FHandle, ColorToRef(FFont.Color()));
    FState |= csFontValid;
  }
  if (needed & csPenValid) {
    auto pen = FPen.Resource();
    HGDIOBJ old = SelectObject(FHandle, pen->Get());
    if (!FOldPen) FOldPen = old;
    FSelectedPen = std::move(pen);
    FState |= csPenValid;
  }
  if (needed & csBrushValid) {
    auto brush = FBrush.Resource();
    HGDIOBJ old = SelectObject(FHandle, brush->Get());
    if (!FOldBrush) FOldBrush = old;
    FSelectedBrush = std::move(brush);
    SetBkColor(FHandle, ColorToRef(FBrush.Color()));
    SetBkMode(FHandle, FBrush.Style() == bsClear ? TRANSPARENT : OPAQUE);
    FState |= csBrushValid;
  }
}

void TCanvas::Changing() {
  if (OnChanging) OnChanging(this);
}

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::MoveTo(int X, int Y) {
  RequiredState(csPenValid);
  MoveToEx(FHandle, X, Y, nullptr);
  FPenPos = {X, Y};
}

void TCanvas::LineTo(int X, int Y) {
  Changing();
  RequiredState(csPenValid | csBrushValid);
  ::LineTo(FHandle, X, Y);
  FPenPos = {X, Y};
  Changed();
}

void TCanvas::FillRect(const TRect& Rect) {
  Changing();
  RequiredState(csBrushValid);
  const RECT r = ToRECT(Rect);
  ::FillRect(FHandle, &r, FSelectedBrush->Get());
  Changed();
}

void TCanvas::FrameRect(const TRect& Rect) {
  Changing();
  RequiredState(csBrushValid);
  const RECT r = ToRECT(Rect);
  ::FrameRect(FHandle, &r, FSelectedBrush->Get());
  Changed();
}

void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
  Changing();
  RequiredState(csPenValid | csBrushValid);
  ::Rectangle(FHandle, X1, Y1, X2, Y2);
  Changed();
}

void TCanvas::TextOut(int X, int Y, const std::wstring& Text) {
  Changing();
  RequiredState(csFontValid | csBrushValid);
  ExtTextOutW(FHandle, X, Y, 0, nullptr, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

void TCanvas::TextRect(const TRect& Rect, int X, int Y, const std::wstring& Text) {
  Changing();
  RequiredState(csFontValid | csBrushValid);
  UINT options = ETO_CLIPPED;
  if (FBrush.Style() != bsClear) options |= ETO_OPAQUE;
  const RECT r = ToRECT(Rect);
  ExtTextOutW(FHandle, X, Y, options, &r, Text.c_str(), static_cast<UINT>(Text.size()), nullptr);
  Changed();
}

SIZE TCanvas::TextExtent(const std::wstring& Text) {
  RequiredState(csFontValid);
  SIZE size{0, 0};
  GetTextExtentPoint32W(FHandle, Text.c_str(), static_cast<int>(Text.size()), &size);
  return size;
}
