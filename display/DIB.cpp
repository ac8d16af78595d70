#include "display/DIB.h"

#include <cstring>
#include <memory>

#include "display/DIBPalette.h"
#include "display/DXClass.h"
#include "display/GlobalMemoryStream.h"
#include "platform/toolkit/Filer.h"
#include "platform/toolkit/Picture.h"
#include "platform/win/Clipboard.h"
#include "platform/win/Gdi.h"
#include "platform/win/Kernel.h"

namespace {

// The bitmap unit's start and stop: TDIB is the picture class for files
// with the extension "dib" and for CF_DIB on the clipboard.
struct TDIBRegistration {
  TDIBRegistration() {
    TPicture::RegisterFileFormat("dib", "Device Independent Bitmap", GraphicClassOf<TDIB>());
    TPicture::RegisterClipboardFormat(static_cast<WORD>(CF_DIB), GraphicClassOf<TDIB>());
  }
  ~TDIBRegistration() { TPicture::UnregisterGraphicClass(TObject::ClassNameOf(typeid(TDIB))); }
} DIBRegistration;

struct TEmptyImageHolder {
  TDIBSharedImage* Image;
  TEmptyImageHolder() : Image(new TDIBSharedImage) { Image->Reference(); }
  ~TEmptyImageHolder() { Image->Release(); }
};

}  // namespace

TDIBSharedImage* EmptyImage() {
  static TEmptyImageHolder holder;
  return holder.Image;
}

// The canvas of a TDIB: before every drawing operation it makes the image
// private, and when it has no device context (the bitmap took a memory
// image since) it asks the bitmap for a section again.
class TDIBCanvas : public TCanvas {
 public:
  explicit TDIBCanvas(TDIB* Owner) : FOwner(Owner) {
    OnChanging = [this](TObject*) { FOwner->MakeWritable(false); };
  }

 protected:
  void CreateHandle() override {
    FOwner->EnsureSection();
    SetHandle(FOwner->FImage->DC());
  }

 private:
  TDIB* FOwner;
};

TDIB::TDIB() { AttachImage(EmptyImage()); }

TDIB::~TDIB() {
  AttachImage(EmptyImage());
  FCanvas.reset();
  FImage->Release();
  FImage = nullptr;
}

void TDIB::AttachImage(TDIBSharedImage* Image) {
  if (Image == FImage) return;
  if (FCanvas) FCanvas->SetHandle(nullptr);
  Image->Reference();
  if (FImage) FImage->Release();
  FImage = Image;
  if (FCanvas) FCanvas->SetHandle(FImage->DC());
  ColorTable = FImage->ColorTable();
  PixelFormat = FImage->ChannelLayout();
}

template <typename F>
void TDIB::Replace(F Fill) {
  // Held here until filled; the bitmap's reference count takes over after.
  auto image = std::make_unique<TDIBSharedImage>();
  Fill(*image);
  AttachImage(image.release());
}

void TDIB::MakeEmpty() { AttachImage(EmptyImage()); }

void TDIB::MakeWritable(bool MemoryImage) {
  if (FImage->RefCount() == 1 && !FImage->Compressed() && (MemoryImage || !FImage->MemoryImage())) return;
  const bool memory = FImage->MemoryImage() && MemoryImage;
  Replace([&](TDIBSharedImage& image) { image.ExpandImage(*FImage, memory); });
}

void TDIB::EnsureSection() {
  if (!FImage->MemoryImage()) return;
  Replace([&](TDIBSharedImage& image) { image.ExpandImage(*FImage, false); });
}

void TDIB::SetSize(int AWidth, int AHeight, int ABitCount) {
  if (AWidth == Width() && AHeight == Height() && ABitCount == BitCount() &&
      SameMasks(PixelFormat, FImage->ChannelLayout()))
    return;
  if (AWidth <= 0 || AHeight <= 0) {
    MakeEmpty();
    return;
  }
  const bool memory = FImage->MemoryImage();
  const TDIBChannelLayout format = PixelFormat;
  const TDIBColorTable table = ColorTable;
  Replace([&](TDIBSharedImage& image) { image.InitImage(AWidth, AHeight, ABitCount, format, table, memory, false); });
  PaletteModified = true;
}

void TDIB::SetWidth(int Value) {
  if (Value <= 0)
    MakeEmpty();
  else if (Empty())
    SetSize(Value, IntMax(Height(), 1), 8);
  else
    SetSize(Value, Height(), BitCount());
}

void TDIB::SetHeight(int Value) {
  if (Value <= 0)
    MakeEmpty();
  else if (Empty())
    SetSize(IntMax(Width(), 1), Value, 8);
  else
    SetSize(Width(), Value, BitCount());
}

BYTE* TDIB::Bits() {
  MakeWritable(true);
  if (!FImage->MemoryImage()) GdiFlush();
  return FImage->PixelData();
}

void TDIB::SetPixel(int X, int Y, DWORD Value) {
  MakeWritable(true);
  if (X < 0 || Y < 0 || X >= Width() || Y >= Height() || !FImage->TopBits()) return;
  BYTE* row = FImage->TopBits() + static_cast<std::int64_t>(Y) * FImage->NextLine();
  switch (BitCount()) {
    case 1: {
      BYTE& b = row[X / 8];
      const BYTE bit = static_cast<BYTE>(0x80 >> (X & 7));
      b = (Value & 1) ? static_cast<BYTE>(b | bit) : static_cast<BYTE>(b & ~bit);
      break;
    }
    case 4: {
      BYTE& b = row[X / 2];
      if (X & 1)
        b = static_cast<BYTE>((b & 0xF0) | (Value & 0x0F));
      else
        b = static_cast<BYTE>((b & 0x0F) | ((Value & 0x0F) << 4));
      break;
    }
    case 8: row[X] = static_cast<BYTE>(Value); break;
    case 16:
      row[2 * X] = static_cast<BYTE>(Value);
      row[2 * X + 1] = static_cast<BYTE>(Value >> 8);
      break;
    case 24:
      row[3 * X] = static_cast<BYTE>(Value >> 16);
      row[3 * X + 1] = static_cast<BYTE>(Value >> 8);
      row[3 * X + 2] = static_cast<BYTE>(Value);
      break;
    case 32:
      for (int i = 0; i < 4; ++i) row[4 * X + i] = static_cast<BYTE>(Value >> (8 * i));
      break;
    default: break;
  }
}

TCanvas* TDIB::Canvas() {
  if (!FCanvas || !FCanvas->HandleAllocated()) {
    EnsureSection();
    if (!FCanvas) FCanvas = std::make_unique<TDIBCanvas>(this);
    FCanvas->SetHandle(FImage->DC());
  }
  return FCanvas.get();
}

void TDIB::ApplyColorTable() {
  if (SameColorEntries(ColorTable.data(), FImage->ColorTable().data(), 256)) return;
  const TDIBColorTable table = ColorTable;
  MakeWritable(true);
  ColorTable = table;
  FImage->StoreColorTable(ColorTable);
  PaletteModified = true;
}

void TDIB::SetPalette(HPALETTE Value) {
  TDIBPaletteEntries entries{};
  GetPaletteEntries(Value, 0, 256, entries.data());
  // A palette from the cache belongs to the bitmaps that share it.
  if (Value && !PaletteManager().Holds(Value)) DeleteObject(Value);
  ColorTable = PaletteToQuads(entries);
  ApplyColorTable();
}

void TDIB::Draw(TCanvas* ACanvas, const TRect& Rect) {
  if (Empty() || !ACanvas) return;
  HDC dc = ACanvas->Handle();
  HPALETTE oldPalette = nullptr;
  bool paletteSelected = false;
  if (FImage->ColorCount() > 0) {
    HPALETTE palette = FImage->GetPalette();
    if (palette) {
      oldPalette = SelectPalette(dc, palette, FALSE);
      paletteSelected = true;
      RealizePalette(dc);
    }
  }
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  // The previous stretch mode and palette come back whatever happens.
  struct TRestore {
    HDC dc;
    int mode;
    bool palette;
    HPALETTE oldPalette;
    ~TRestore() {
      SetStretchBltMode(dc, mode);
      if (palette && oldPalette) SelectPalette(dc, oldPalette, FALSE);
    }
  } restore{dc, oldMode, paletteSelected, oldPalette};
  GdiFlush();
  const int w = Rect.right - Rect.left, h = Rect.bottom - Rect.top;
  if (FImage->MemoryImage())
    StretchDIBits(dc, Rect.left, Rect.top, w, h, 0, 0, Width(), Height(), FImage->PixelData(), FImage->BitmapInfoPtr(),
                  DIB_RGB_COLORS, ACanvas->CopyMode());
  else
    StretchBlt(dc, Rect.left, Rect.top, w, h, FImage->DC(), 0, 0, Width(), Height(), ACanvas->CopyMode());
}

void TDIB::Assign(const TPersistent* Source) {
  if (!Source) {
    MakeEmpty();
    return;
  }
  if (auto* dib = dynamic_cast<const TDIB*>(Source)) {
    if (dib != this) AttachImage(dib->FImage);
    return;
  }
  if (auto* picture = dynamic_cast<const TPicture*>(Source)) {
    if (picture->Graphic())
      Assign(picture->Graphic());
    else
      MakeEmpty();
    return;
  }
  if (auto* bitmap = dynamic_cast<const TBitmap*>(Source)) {
    AssignBitmap(const_cast<TBitmap*>(bitmap));
    return;
  }
  if (auto* graphic = dynamic_cast<const TGraphic*>(Source)) {
    auto* g = const_cast<TGraphic*>(graphic);
    // 24 bits take the 8-8-8 layout, whatever this DIB held before.
    PixelFormat = Layout888();
    SetSize(g->Width(), g->Height(), 24);
    if (Empty()) return;
    std::memset(Bits(), 0, static_cast<std::size_t>(Size()));
    Canvas()->Draw(0, 0, g);
    return;
  }
  TGraphic::Assign(Source);
}

void TDIB::AssignBitmap(TBitmap* Bitmap) {
  TDIBPaletteEntries entries{};
  if (HPALETTE palette = Bitmap->Palette()) GetPaletteEntries(palette, 0, 256, entries.data());
  ColorTable = PaletteToQuads(entries);
  ApplyColorTable();
  DIBSECTION ds{};
  const int got = Bitmap->Handle() ? GetObject(Bitmap->Handle(), sizeof ds, &ds) : 0;
  int bits = 0;
  if (got == static_cast<int>(sizeof(DIBSECTION))) {
    bits = ds.dsBm.bmBitsPixel;
    if (bits >= 24 || bits <= 8)
      PixelFormat = Layout888();
    else if (ds.dsBitfields[0] | ds.dsBitfields[1] | ds.dsBitfields[2])
      PixelFormat = MakeChannelLayoutFromMasks(ds.dsBitfields[0], ds.dsBitfields[1], ds.dsBitfields[2]);
    else
      PixelFormat = Layout555();  // a 16-bit section without masks is 5-5-5
  } else if (got == static_cast<int>(sizeof(BITMAP))) {
    bits = ds.dsBm.bmBitsPixel * (ds.dsBm.bmPlanes ? ds.dsBm.bmPlanes : 1);
    PixelFormat = bits == 16 ? Layout555() : Layout888();
  } else {
    return;
  }
  SetSize(Bitmap->Width(), Bitmap->Height(), bits);
  if (Empty()) return;
  std::memset(Bits(), 0, static_cast<std::size_t>(Size()));
  Canvas()->Draw(0, 0, Bitmap);
}

void TDIB::DefineProperties(TFiler* Filer) {
  TGraphic::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "DIB", [this](TStream* Stream) { LoadFromStream(Stream); }, nullptr, false);
}

void TDIB::ReadData(TStream* Stream) {
  const bool memory = FImage->MemoryImage();
  Replace([&](TDIBSharedImage& image) { image.LoadImageData(*Stream, memory); });
}

void TDIB::WriteData(TStream* Stream) {
  if (!FImage->MemoryImage()) GdiFlush();
  FImage->SaveImageData(*Stream);
}

void TDIB::LoadFromStream(TStream* Stream) {
  // An empty stream leaves the bitmap as it is.
  auto image = std::make_unique<TDIBSharedImage>();
  if (!image->LoadImageFile(*Stream, FImage->MemoryImage())) return;
  AttachImage(image.release());
}

void TDIB::SaveToStream(TStream* Stream) {
  if (Empty()) return;
  if (!FImage->MemoryImage()) GdiFlush();
  FImage->SaveImageFile(*Stream);
}

void TDIB::LoadFromClipboardFormat(WORD, HANDLE AData, HPALETTE) {
  TGlobalMemoryStream stream(AData);
  ReadData(&stream);
}

void TDIB::SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = static_cast<WORD>(CF_DIB);
  APalette = nullptr;
  TMemoryStream stream;
  WriteData(&stream);
  const std::size_t size = stream.Bytes().size();
  HGLOBAL block = GlobalAlloc(GHND, size);
  if (!block) throw EOutOfMemory();
  if (size) {
    void* p = GlobalLock(block);
    std::memcpy(p, stream.Memory(), size);
    GlobalUnlock(block);
  }
  AData = block;
}
