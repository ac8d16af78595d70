#include "platform/toolkit/Graphics.h"

#include <cstring>

#include "platform/win/Kernel.h"

COLORREF ColorToRGB(TColor Color) {
  if (Color < 0) return GetSysColor(Color & 0xFF);
  return static_cast<COLORREF>(Color);
}

void TGraphicsObject::Changed() {
  if (OnChange) OnChange(this);
}

// ---- TPen ----------------------------------------------------------------------

TPen::~TPen() {
  if (FHandle) DeleteObject(FHandle);
}

void TPen::Changed() {
  // Listeners deselect the old pen first, so it can be deleted afterwards.
  TGraphicsObject::Changed();
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TPen::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  Changed();
}

void TPen::SetWidth(int Value) {
  if (FWidth == Value || Value < 0) return;
  FWidth = Value;
  Changed();
}

void TPen::SetStyle(TPenStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

HPEN TPen::Handle() {
  if (!FHandle) FHandle = CreatePen(static_cast<int>(FStyle), FWidth, ColorToRGB(FColor));
  return FHandle;
}

void TPen::Assign(const TPersistent* Source) {
  if (auto* p = dynamic_cast<const TPen*>(Source)) {
    if (p == this) return;
    FColor = p->FColor;
    FWidth = p->FWidth;
    FStyle = p->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

// ---- TBrush ----------------------------------------------------------------------

TBrush::~TBrush() {
  if (FHandle) DeleteObject(FHandle);
}

void TBrush::Changed() {
  TGraphicsObject::Changed();
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TBrush::SetColor(TColor Value) {
  if (FColor == Value && FStyle != bsClear) return;
  FColor = Value;
  // Giving a clear brush a colour makes it solid again.
  if (FStyle == bsClear) FStyle = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!FHandle) {
    LOGBRUSH lb;
    lb.lbStyle = FStyle == bsClear ? BS_NULL : BS_SOLID;
    lb.lbColor = ColorToRGB(FColor);
    FHandle = CreateBrushIndirect(&lb);
  }
  return FHandle;
}

void TBrush::Assign(const TPersistent* Source) {
  if (auto* b = dynamic_cast<const TBrush*>(Source)) {
    if (b == this) return;
    FColor = b->FColor;
    FStyle = b->FStyle;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}

// ---- TFont -----------------------------------------------------------------------

TFont::~TFont() {
  if (FHandle) DeleteObject(FHandle);
}

void TFont::Changed() {
  TGraphicsObject::Changed();
  if (FHandle) DeleteObject(FHandle);
  FHandle = nullptr;
}

void TFont::SetName(const std::string& Value) {
  if (FName == Value || Value.empty()) return;
  FName = Value;
  Changed();
}

void TFont::SetColor(TColor Value) {
  if (FColor == Value) return;
  FColor = Value;
  // The colour is not part of the GDI font; only listeners need to know.
  TGraphicsObject::Changed();
}

void TFont::SetHeight(int Value) {
  if (FHeight == Value) return;
  FHeight = Value;
  Changed();
}

int TFont::Size() const { return -MulDiv(FHeight, 72, PixelsPerInch()); }

void TFont::SetSize(int Value) { SetHeight(-MulDiv(Value, PixelsPerInch(), 72)); }

void TFont::SetStyle(TFontStyles Value) {
  if (FStyle == Value) return;
  FStyle = Value;
  Changed();
}

void TFont::SetCharset(BYTE Value) {
  if (FCharset == Value) return;
  FCharset = Value;
  Changed();
}

HFONT TFont::Handle() {
  if (!FHandle) {
    LOGFONTA lf;
    lf.lfHeight = FHeight;
    lf.lfWeight = FStyle.Contains(fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = FStyle.Contains(fsItalic) ? 1 : 0;
    lf.lfUnderline = FStyle.Contains(fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = FStyle.Contains(fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = FCharset;
    std::strncpy(lf.lfFaceName, FName.c_str(), LF_FACESIZE - 1);
    FHandle = CreateFontIndirectA(&lf);
  }
  return FHandle;
}

void TFont::Assign(const TPersistent* Source) {
  if (auto* f = dynamic_cast<const TFont*>(Source)) {
    if (f == this) return;
    FName = f->FName;
    FColor = f->FColor;
    FHeight = f->FHeight;
    FStyle = f->FStyle;
    FCharset = f->FCharset;
    Changed();
    return;
  }
  TGraphicsObject::Assign(Source);
}
