#include "platform/toolkit/Bitmap.h"

#include <algorithm>
#include <cstring>

#include "platform/win/Clipboard.h"

namespace {

int BitsOf(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit: return 16;
    case pf24bit: return 24;
    default: return 32;
  }
}

std::vector<RGBQUAD> DefaultColors(int bits) {
  std::vector<RGBQUAD> c;
  auto add = [&](BYTE r, BYTE g, BYTE b) { c.push_back(RGBQUAD{b, g, r, 0}); };
  if (bits == 1) {
    add(0, 0, 0);
    add(255, 255, 255);
  } else if (bits == 4) {
    const BYTE v[16][3] = {{0, 0, 0},     {128, 0, 0},     {0, 128, 0},     {128, 128, 0},  {0, 0, 128}, {128, 0, 128},
                           {0, 128, 128}, {192, 192, 192}, {128, 128, 128}, {255, 0, 0},    {0, 255, 0}, {255, 255, 0},
                           {0, 0, 255},   {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};
    for (auto& e : v) add(e[0], e[1], e[2]);
  } else if (bits == 8) {
    PALETTEENTRY sys[256];
    GetSystemPaletteEntries(nullptr, 0, 256, sys);
    for (auto& e : sys) add(e.peRed, e.peGreen, e.peBlue);
  }
  return c;
}

HPALETTE PaletteOf(const std::vector<RGBQUAD>& colors) {
  if (colors.empty()) return nullptr;
  std::vector<BYTE> block(sizeof(LOGPALETTE) + colors.size() * sizeof(PALETTEENTRY));
  auto* lp = reinterpret_cast<LOGPALETTE*>(block.data());
  lp->palVersion = 0x300;
  lp->palNumEntries = static_cast<WORD>(colors.size());
  PALETTEENTRY* e = lp->palPalEntry;
  for (size_t i = 0; i < colors.size(); ++i)
    e[i] = PALETTEENTRY{colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
  return CreatePalette(lp);
}

HPALETTE CopyPalette(HPALETTE pal) {
  if (!pal) return nullptr;
  UINT n = GetPaletteEntries(pal, 0, 0, nullptr);
  std::vector<PALETTEENTRY> e(n);
  GetPaletteEntries(pal, 0, n, e.data());
  std::vector<RGBQUAD> q;
  for (auto& x : e) q.push_back(RGBQUAD{x.peBlue, x.peGreen, x.peRed, 0});
  return PaletteOf(q);
}

TPixelFormat FormatOfImage(const TBmpImage& im) {
  switch (im.BitCount) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 16:
      if (im.RMask == 0x7C00 && im.GMask == 0x3E0 && im.BMask == 0x1F) return pf15bit;
      if (im.RMask == 0xF800 && im.GMask == 0x7E0 && im.BMask == 0x1F) return pf16bit;
      return pfCustom;
    case 24: return pf24bit;
    default:
      if (im.RMask == 0xFF0000 && im.GMask == 0xFF00 && im.BMask == 0xFF) return pf32bit;
      return pfCustom;
  }
}

// A memory DC holding a bitmap for one copy.
struct TempDC {
  HDC dc;
  HGDIOBJ old;
  explicit TempDC(HBITMAP bmp) : dc(CreateCompatibleDC(nullptr)), old(SelectObject(dc, bmp)) {}
  ~TempDC() {
    SelectObject(dc, old);
    DeleteDC(dc);
  }
  TempDC(const TempDC&) = delete;
  TempDC& operator=(const TempDC&) = delete;
};

}  // namespace

// ---- TBitmapCanvas ----------------------------------------------------------------

TBitmapCanvas::~TBitmapCanvas() { FreeContext(); }

void TBitmapCanvas::CreateHandle() {
  if (!FDC) {
    FDC = CreateCompatibleDC(nullptr);
    if (FBitmap->FHandle) FOldBitmap = SelectObject(FDC, FBitmap->FHandle);
    if (FBitmap->FPalette) {
      FOldPalette = SelectPalette(FDC, FBitmap->FPalette, TRUE);
      RealizePalette(FDC);
    }
  }
  SetHandle(FDC);
}

void TBitmapCanvas::FreeContext() {
  if (!FDC) return;
  SetHandle(nullptr);
  if (FOldBitmap) SelectObject(FDC, FOldBitmap);
  if (FOldPalette) SelectPalette(FDC, FOldPalette, TRUE);
  DeleteDC(FDC);
  FDC = nullptr;
  FOldBitmap = nullptr;
  FOldPalette = nullptr;
}

// ---- TBitmap --------------------------------------------------------------------------

TBitmap::TBitmap() = default;

TBitmap::~TBitmap() {
  FCanvas.reset();
  if (FHandle) DeleteObject(FHandle);
  if (FPalette) DeleteObject(FPalette);
}

void TBitmap::CanvasChanged() { Changed(this); }

TCanvas* TBitmap::Canvas() {
  if (!FCanvas) {
    FCanvas = std::make_unique<TBitmapCanvas>(this);
    FCanvas->OnChange = [this](TObject*) { CanvasChanged(); };
  }
  return FCanvas.get();
}

void TBitmap::Clear() {
  if (FCanvas) FCanvas->FreeContext();
  if (FHandle) DeleteObject(FHandle);
  if (FPalette) DeleteObject(FPalette);
  FHandle = nullptr;
  FPalette = nullptr;
  FBits = nullptr;
  FWidthBytes = 0;
}

void TBitmap::Rebuild(int AWidth, int AHeight, TPixelFormat Format, const TBmpImage* Custom) {
  AWidth = std::max(AWidth, 0);
  AHeight = std::max(AHeight, 0);
  TBmpImage desc;
  desc.Width = AWidth;
  desc.Height = AHeight;
  if (Format == pfCustom && Custom) {
    desc.BitCount = Custom->BitCount;
    desc.RMask = Custom->RMask;
    desc.GMask = Custom->GMask;
    desc.BMask = Custom->BMask;
    desc.Colors = Custom->Colors;
  } else {
    if (Format == pfCustom) Format = FPixelFormat == pfCustom ? pfCustom : pf32bit;
    desc.BitCount = Format == pfCustom ? FBitCount : BitsOf(Format);
    if (Format == pfCustom) {
      desc.RMask = FMasks[0];
      desc.GMask = FMasks[1];
      desc.BMask = FMasks[2];
    } else if (Format == pf16bit) {
      desc.RMask = 0xF800;
      desc.GMask = 0x7E0;
      desc.BMask = 0x1F;
    } else if (desc.BitCount == 16) {
      desc.RMask = 0x7C00;
      desc.GMask = 0x3E0;
      desc.BMask = 0x1F;
    } else if (desc.BitCount == 32) {
      desc.RMask = 0xFF0000;
      desc.GMask = 0xFF00;
      desc.BMask = 0xFF;
    }
    if (desc.BitCount <= 8) {
      TBmpImage current = FHandle && FBitCount == desc.BitCount ? Image() : TBmpImage{};
      desc.Colors = current.Colors.empty() ? DefaultColors(desc.BitCount) : current.Colors;
    }
  }

  HBITMAP handle = nullptr;
  BYTE* bits = nullptr;
  if (AWidth > 0 && AHeight > 0) {
    if (Format == pfDevice) {
      HDC screen = GetDC(nullptr);
      handle = CreateCompatibleBitmap(screen, AWidth, AHeight);
      ReleaseDC(nullptr, screen);
    } else {
      std::vector<BYTE> info = BmpInfoBlock(desc);
      void* pv = nullptr;
      handle =
          CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pv, nullptr, 0);
      bits = static_cast<BYTE*>(pv);
    }
    if (!handle) throw EOutOfResources("Out of system resources");
    // New area is white; the old picture is kept at the top left.
    TempDC dst(handle);
    HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
    RECT all{0, 0, AWidth, AHeight};
    ::FillRect(dst.dc, &all, white);
    DeleteObject(white);
    if (FHandle) {
      if (FCanvas) FCanvas->FreeContext();
      TempDC src(FHandle);
      BitBlt(dst.dc, 0, 0, std::min(AWidth, FWidth), std::min(AHeight, FHeight), src.dc, 0, 0, SRCCOPY);
    }
  }
  Clear();
  FHandle = handle;
  FBits = bits;
  FWidth = AWidth;
  FHeight = AHeight;
  FPixelFormat = Format;
  FBitCount = desc.BitCount;
  FMasks[0] = desc.RMask;
  FMasks[1] = desc.GMask;
  FMasks[2] = desc.BMask;
  FWidthBytes = DibWidthBytes(AWidth, desc.BitCount);
  if (handle && desc.BitCount <= 8) FPalette = PaletteOf(desc.Colors);
  PaletteModified = desc.BitCount <= 8;
}

void TBitmap::SetSize(int AWidth, int AHeight) {
  if (AWidth == FWidth && AHeight == FHeight) return;
  Rebuild(AWidth, AHeight, FPixelFormat, nullptr);
  Changed(this);
}

void TBitmap::SetPixelFormat(TPixelFormat Value) {
  if (Value == FPixelFormat || Value == pfCustom) return;
  Rebuild(FWidth, FHeight, Value, nullptr);
  Changed(this);
}

void TBitmap::SetHandleType(TBitmapHandleType Value) {
  if (Value == HandleType()) return;
  SetPixelFormat(Value == bmDDB ? pfDevice : pf32bit);
}

void TBitmap::SetHandle(HBITMAP Value) {
  if (Value == FHandle) return;
  BITMAP bm;
  DIBSECTION ds;
  int got = Value ? GetObject(Value, sizeof(ds), &ds) : 0;
  if (Value && got <= 0) throw EInvalidGraphic("Bitmap image is not valid");
  Clear();
  if (!Value) {
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  std::memcpy(&bm, &ds.dsBm, sizeof(bm));
  FHandle = Value;
  FWidth = bm.bmWidth;
  FHeight = bm.bmHeight;
  FBitCount = bm.bmBitsPixel;
  FWidthBytes = DibWidthBytes(FWidth, FBitCount);
  if (got == static_cast<int>(sizeof(DIBSECTION))) {
    FBits = static_cast<BYTE*>(bm.bmBits);
    TBmpImage probe;
    probe.BitCount = FBitCount;
    probe.RMask = ds.dsBitfields[0];
    probe.GMask = ds.dsBitfields[1];
    probe.BMask = ds.dsBitfields[2];
    FPixelFormat = FormatOfImage(probe);
    FMasks[0] = probe.RMask;
    FMasks[1] = probe.GMask;
    FMasks[2] = probe.BMask;
    if (FBitCount <= 8) FPalette = PaletteOf(Image().Colors);
  } else {
    FPixelFormat = pfDevice;
  }
  Changed(this);
}

HBITMAP TBitmap::ReleaseHandle() {
  if (FCanvas) FCanvas->FreeContext();
  HBITMAP h = FHandle;
  FHandle = nullptr;
  FBits = nullptr;
  FWidth = FHeight = 0;
  if (FPalette) DeleteObject(FPalette);
  FPalette = nullptr;
  return h;
}

void TBitmap::SetPalette(HPALETTE Value) {
  if (Value == FPalette) return;
  if (FCanvas) FCanvas->FreeContext();
  if (FPalette) DeleteObject(FPalette);
  FPalette = Value;
  if (Value && FHandle && FBitCount <= 8) {
    UINT n = std::min<UINT>(GetPaletteEntries(Value, 0, 0, nullptr), 1u << FBitCount);
    std::vector<PALETTEENTRY> e(n);
    GetPaletteEntries(Value, 0, n, e.data());
    std::vector<RGBQUAD> q;
    for (auto& x : e) q.push_back(RGBQUAD{x.peBlue, x.peGreen, x.peRed, 0});
    TempDC dc(FHandle);
    SetDIBColorTable(dc.dc, 0, static_cast<UINT>(q.size()), q.data());
  }
  PaletteModified = true;
  Changed(this);
}

HPALETTE TBitmap::ReleasePalette() {
  if (FCanvas) FCanvas->FreeContext();
  HPALETTE p = FPalette;
  FPalette = nullptr;
  return p;
}

TColor TBitmap::TransparentColor() {
  if (FTransparentMode == tmFixed && FTransparentColor != clDefault) return FTransparentColor;
  if (Empty()) return clDefault;
  return static_cast<TColor>(Canvas()->GetPixel(0, FHeight - 1));
}

void TBitmap::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  FTransparentMode = Value == clDefault ? tmAuto : tmFixed;
  Changed(this);
}

void TBitmap::SetTransparentMode(TTransparentMode Value) {
  if (Value == FTransparentMode) return;
  if (Value == tmAuto)
    SetTransparentColor(clDefault);
  else
    SetTransparentColor(TransparentColor());
}

void* TBitmap::ScanLine(int Row) {
  if (Row < 0 || Row >= FHeight || !FHandle) throw EInvalidGraphicOperation("Scan line index out of range");
  if (HandleType() == bmDDB) SetHandleType(bmDIB);
  GdiFlush();
  return FBits + static_cast<std::int64_t>(FHeight - 1 - Row) * FWidthBytes;
}

TBmpImage TBitmap::Image() {
  TBmpImage im;
  if (Empty()) return im;
  if (!FBits) {
    // A device bitmap: copy it into a 32-bit DIB.
    TBitmap copy;
    copy.Assign(this);
    copy.SetPixelFormat(pf32bit);
    return copy.Image();
  }
  im.Width = FWidth;
  im.Height = FHeight;
  im.BitCount = FBitCount;
  im.RMask = FMasks[0];
  im.GMask = FMasks[1];
  im.BMask = FMasks[2];
  if (FBitCount == 24) im.RMask = im.GMask = im.BMask = 0;
  im.WidthBytes = FWidthBytes;
  GdiFlush();
  im.Pixels.assign(FBits, FBits + FWidthBytes * FHeight);
  if (FBitCount <= 8) {
    im.Colors.resize(size_t{1} << FBitCount);
    if (FCanvas && FCanvas->HandleAllocated()) {
      GetDIBColorTable(FCanvas->Handle(), 0, static_cast<UINT>(im.Colors.size()), im.Colors.data());
    } else {
      TempDC dc(FHandle);
      GetDIBColorTable(dc.dc, 0, static_cast<UINT>(im.Colors.size()), im.Colors.data());
    }
  }
  return im;
}

void TBitmap::LoadFromImage(const TBmpImage& Source) {
  const TBmpImage* im = &Source;
  TBmpImage expanded;
  if (Source.Compressed) {
    expanded = Source;
    expanded.Compressed = false;
    expanded.Compression = BI_RGB;
    expanded.WidthBytes = DibWidthBytes(Source.Width, Source.BitCount);
    expanded.Pixels.assign(static_cast<size_t>(expanded.WidthBytes * Source.Height), 0);
    ExpandDibRle(Source.Pixels.data(), Source.Pixels.size(), Source.Compression, Source.Width, Source.Height,
                 expanded.Pixels.data(), expanded.WidthBytes);
    im = &expanded;
  }
  TBmpImage desc = *im;
  desc.Compressed = false;
  if (desc.BitCount == 16 && !(desc.RMask | desc.GMask | desc.BMask)) {
    desc.RMask = 0x7C00;
    desc.GMask = 0x3E0;
    desc.BMask = 0x1F;
  }
  if (desc.BitCount == 32 && !(desc.RMask | desc.GMask | desc.BMask)) {
    desc.RMask = 0xFF0000;
    desc.GMask = 0xFF00;
    desc.BMask = 0xFF;
  }
  std::vector<BYTE> info = BmpInfoBlock(desc);
  void* pv = nullptr;
  HBITMAP handle =
      CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(info.data()), DIB_RGB_COLORS, &pv, nullptr, 0);
  if (!handle) throw EOutOfResources("Out of system resources");
  std::int64_t wb = DibWidthBytes(desc.Width, desc.BitCount);
  size_t bytes =
      static_cast<size_t>(std::min<std::int64_t>(wb * desc.Height, static_cast<std::int64_t>(desc.Pixels.size())));
  std::memcpy(pv, desc.Pixels.data(), bytes);
  Clear();
  FHandle = handle;
  FBits = static_cast<BYTE*>(pv);
  FWidth = desc.Width;
  FHeight = desc.Height;
  FBitCount = desc.BitCount;
  FWidthBytes = wb;
  FPixelFormat = FormatOfImage(desc);
  FMasks[0] = desc.RMask;
  FMasks[1] = desc.GMask;
  FMasks[2] = desc.BMask;
  if (desc.BitCount <= 8) FPalette = PaletteOf(desc.Colors);
  PaletteModified = desc.BitCount <= 8;
  Changed(this);
}

void TBitmap::Assign(const TPersistent* Source) {
  if (!Source) {
    Clear();
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  if (auto* b = dynamic_cast<const TBitmap*>(Source)) {
    if (b == this) return;
    auto* src = const_cast<TBitmap*>(b);
    FTransparentColor = src->FTransparentColor;
    FTransparentMode = src->FTransparentMode;
    SetTransparent(src->Transparent());
    if (src->Empty()) {
      Clear();
      FWidth = src->FWidth;
      FHeight = src->FHeight;
      FPixelFormat = src->FPixelFormat;
      Changed(this);
      return;
    }
    if (src->FBits) {
      LoadFromImage(src->Image());
      return;
    }
    // A device bitmap: a new one of the same size and the pixels copied.
    Clear();
    FWidth = FHeight = 0;
    FPixelFormat = pfDevice;
    Rebuild(src->FWidth, src->FHeight, pfDevice, nullptr);
    TempDC dst(FHandle);
    if (src->FCanvas) src->FCanvas->FreeContext();
    TempDC from(src->FHandle);
    BitBlt(dst.dc, 0, 0, FWidth, FHeight, from.dc, 0, 0, SRCCOPY);
    Changed(this);
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty()) return;
  HDC src = Canvas()->Handle();
  HDC dst = ACanvas->Handle();
  HPALETTE oldPalette = nullptr;
  if (FPalette) {
    oldPalette = SelectPalette(dst, FPalette, TRUE);
    RealizePalette(dst);
  }
  int oldMode = SetStretchBltMode(dst, COLORONCOLOR);
  if (Transparent()) {
    TransparentBlt(dst, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, src, 0, 0, FWidth, FHeight,
                   ColorToRGB(TransparentColor()));
  } else {
    StretchBlt(dst, Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top, src, 0, 0, FWidth, FHeight,
               ACanvas->CopyMode());
  }
  if (oldMode) SetStretchBltMode(dst, oldMode);
  if (oldPalette) SelectPalette(dst, oldPalette, TRUE);
}

void TBitmap::LoadFromStream(TStream* Stream) {
  if (Stream->Size() - Stream->Position() <= 0) {
    Clear();
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  LoadFromImage(DecodeBmp(Stream));
}

void TBitmap::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  EncodeBmp(Image(), Stream);
}

void TBitmap::ReadData(TStream* Stream) {
  std::int32_t size = 0;
  Stream->ReadBuffer(&size, 4);
  if (size < 0 || size > Stream->Size() - Stream->Position()) throw EInvalidGraphic("Bitmap image is not valid");
  if (size == 0) {
    Clear();
    FWidth = FHeight = 0;
    Changed(this);
    return;
  }
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  Stream->ReadBuffer(bytes.data(), size);
  LoadFromImage(DecodeBmp(bytes.data(), bytes.size()));
}

void TBitmap::WriteData(TStream* Stream) {
  std::vector<BYTE> bytes;
  if (!Empty()) bytes = EncodeBmp(Image());
  auto size = static_cast<std::int32_t>(bytes.size());
  BYTE le[4] = {static_cast<BYTE>(size), static_cast<BYTE>(size >> 8), static_cast<BYTE>(size >> 16),
                static_cast<BYTE>(size >> 24)};
  Stream->WriteBuffer(le, 4);
  if (size) Stream->WriteBuffer(bytes.data(), size);
}

void TBitmap::LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) {
  if (AFormat != CF_BITMAP || !AData) throw EInvalidGraphic("Unsupported clipboard format");
  DIBSECTION ds;
  int got = GetObject(AData, sizeof(ds), &ds);
  if (got <= 0) throw EInvalidGraphic("Bitmap image is not valid");
  if (got == static_cast<int>(sizeof(DIBSECTION))) {
    // A DIB section: same depth and masks.
    TBmpImage im;
    im.Width = ds.dsBm.bmWidth;
    im.Height = ds.dsBm.bmHeight;
    im.BitCount = ds.dsBm.bmBitsPixel;
    im.RMask = ds.dsBitfields[0];
    im.GMask = ds.dsBitfields[1];
    im.BMask = ds.dsBitfields[2];
    if (im.BitCount == 24) im.RMask = im.GMask = im.BMask = 0;
    im.WidthBytes = DibWidthBytes(im.Width, im.BitCount);
    const BYTE* bits = static_cast<const BYTE*>(ds.dsBm.bmBits);
    // Rows of a DIB section lie bottom-up unless its header says otherwise.
    im.Pixels.resize(static_cast<size_t>(im.WidthBytes * im.Height));
    for (LONG y = 0; y < im.Height; ++y) {
      LONG from = ds.dsBmih.biHeight < 0 ? im.Height - 1 - y : y;
      std::memcpy(im.Pixels.data() + y * im.WidthBytes, bits + from * im.WidthBytes,
                  static_cast<size_t>(im.WidthBytes));
    }
    if (im.BitCount <= 8) {
      im.Colors.resize(size_t{1} << im.BitCount);
      TempDC dc(static_cast<HBITMAP>(AData));
      GetDIBColorTable(dc.dc, 0, static_cast<UINT>(im.Colors.size()), im.Colors.data());
    }
    LoadFromImage(im);
  } else {
    Clear();
    FWidth = FHeight = 0;
    Rebuild(ds.dsBm.bmWidth, ds.dsBm.bmHeight, pfDevice, nullptr);
    TempDC dst(FHandle);
    TempDC src(static_cast<HBITMAP>(AData));
    BitBlt(dst.dc, 0, 0, FWidth, FHeight, src.dc, 0, 0, SRCCOPY);
    Changed(this);
  }
  if (APalette && FBitCount <= 8) SetPalette(CopyPalette(APalette));
}

void TBitmap::SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = CF_BITMAP;
  AData = nullptr;
  APalette = nullptr;
  if (Empty()) return;
  TBitmap copy;
  copy.Assign(this);
  APalette = CopyPalette(FPalette);
  AData = copy.ReleaseHandle();
}
