#include "display/PictureCollection.h"

#include <algorithm>
#include <exception>

#include "platform/rtl/Format.h"
#include "platform/toolkit/Filer.h"

namespace {

// Where one pattern lies before it is known which surface holds it.
struct TPatternPlace {
  RECT Rect;
  int SurfaceIndex;
};

}  // namespace

// ---- TPictureCollectionItem ----------------------------------------------------

TPictureCollectionItem::TPictureCollectionItem(TCollection* Collection)
    : THashCollectionItem(Collection),
      FPicture(std::make_unique<TPicture>()),
      FPatterns(CollectionItemClassOf<TPictureCollectionItemPattern>(), this) {}

TPictureCollectionItem::~TPictureCollectionItem() {
  FPatterns.Clear();
  FSurfaces.clear();
}

TPictureCollection* TPictureCollectionItem::Pictures() const { return dynamic_cast<TPictureCollection*>(Collection()); }

void TPictureCollectionItem::GetProperties(TPropertyList& List) {
  THashCollectionItem::GetProperties(List);
  List.Integer(
      "PatternHeight", [this] { return FPatternHeight; },
      [this](std::int64_t v) { FPatternHeight = static_cast<std::int32_t>(v); }, 0);
  List.Integer(
      "PatternWidth", [this] { return FPatternWidth; },
      [this](std::int64_t v) { FPatternWidth = static_cast<std::int32_t>(v); }, 0);
  List.Persistent("Picture", [this]() -> TPersistent* { return FPicture.get(); });
  List.Integer(
      "SkipHeight", [this] { return FSkipHeight; },
      [this](std::int64_t v) { FSkipHeight = static_cast<std::int32_t>(v); }, 0);
  List.Integer(
      "SkipWidth", [this] { return FSkipWidth; }, [this](std::int64_t v) { FSkipWidth = static_cast<std::int32_t>(v); },
      0);
  List.Boolean(
      "SystemMemory", [this] { return FSystemMemory; }, [this](bool v) { FSystemMemory = v; }, false);
  List.Boolean(
      "Transparent", [this] { return FTransparent; }, [this](bool v) { FTransparent = v; }, true);
  List.Integer(
      "TransparentColor", [this] { return FTransparentColor; },
      [this](std::int64_t v) { SetTransparentColor(static_cast<TColor>(v)); });
}

void TPictureCollectionItem::Assign(const TPersistent* Source) {
  if (const auto* source = dynamic_cast<const TPictureCollectionItem*>(Source)) {
    if (source == this) return;
    const bool wasInitialized = FInitialized;
    Finalize();
    FPatternHeight = source->FPatternHeight;
    FPatternWidth = source->FPatternWidth;
    FSkipHeight = source->FSkipHeight;
    FSkipWidth = source->FSkipWidth;
    FSystemMemory = source->FSystemMemory;
    FTransparent = source->FTransparent;
    FTransparentColor = source->FTransparentColor;
    FPicture->Assign(source->FPicture.get());
    SetName(source->Name());
    if (wasInitialized) Restore();
    return;
  }
  THashCollectionItem::Assign(Source);
}

std::int32_t TPictureCollectionItem::GetWidth() const { return FPatternWidth > 0 ? FPatternWidth : FPicture->Width(); }

std::int32_t TPictureCollectionItem::GetHeight() const {
  return FPatternHeight > 0 ? FPatternHeight : FPicture->Height();
}

TPictureCollectionItemPattern* TPictureCollectionItem::Patterns(int Index) const {
  return static_cast<TPictureCollectionItemPattern*>(FPatterns.Items(Index));
}

void TPictureCollectionItem::Draw(TDirectDrawSurface* Dest, int X, int Y, int PatternIndex) {
  if (!FInitialized || !Dest || PatternIndex < 0 || PatternIndex >= FPatterns.Count()) return;
  TPictureCollectionItemPattern* pattern = Patterns(PatternIndex);
  if (!pattern->Surface) return;
  Dest->Draw(X, Y, pattern->Rect, pattern->Surface, FTransparent);
}

void TPictureCollectionItem::Initialize() {
  Finalize();
  TPictureCollection* pictures = Pictures();
  FInitialized = pictures && pictures->Initialized();
}

void TPictureCollectionItem::Finalize() {
  FInitialized = false;
  FPatterns.Clear();
  FSurfaces.clear();
}

void TPictureCollectionItem::Restore() {
  TGraphic* graphic = FPicture->Graphic();
  if (!graphic) return;
  if (!FInitialized) {
    TPictureCollection* pictures = Pictures();
    if (pictures && pictures->Initialized()) Initialize();
    if (!FInitialized) return;
  }
  FPatterns.Clear();
  FSurfaces.clear();
  // The control may have gone since: the surfaces come with its next
  // initialisation.
  if (!Pictures() || !Pictures()->Initialized()) {
    FInitialized = false;
    return;
  }

  TDirectDraw* ddraw = Pictures()->DXDraw()->DDraw();
  // 64-bit arithmetic throughout: sizes and skips come from stored data.
  const std::int64_t pw = GetWidth(), ph = GetHeight();
  const std::int64_t w = FPicture->Width(), h = FPicture->Height();

  std::vector<std::unique_ptr<TDirectDrawSurface>> surfaces;
  std::vector<TPatternPlace> places;
  auto makeSurface = [&](std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
    auto surface = std::make_unique<TDirectDrawSurface>(ddraw);
    surface->SetOwnedByMaker(true);
    surface->SetSystemMemory(FSystemMemory);
    const RECT rect{static_cast<LONG>(left), static_cast<LONG>(top), static_cast<LONG>(left + width),
                    static_cast<LONG>(top + height)};
    surface->LoadFromGraphicRect(graphic, 0, 0, rect);
    surface->SetTransparentColor(surface->ColorMatch(FTransparentColor));
    surfaces.push_back(std::move(surface));
  };

  if (pw == w && ph == h) {
    makeSurface(0, 0, w, h);
    places.push_back(TPatternPlace{RECT{0, 0, static_cast<LONG>(w), static_cast<LONG>(h)}, 0});
  } else {
    const std::int64_t sx = pw + FSkipWidth, sy = ph + FSkipHeight;
    // Steps of 0 or less cut nothing: no pattern and no surface.
    if (sx > 0 && sy > 0 && pw > 0 && ph > 0) {
      const std::int64_t rows = (h + FSkipHeight) / sy, columns = (w + FSkipWidth) / sx;
      if (FSystemMemory || FSkipWidth < 0 || FSkipHeight < 0) {
        // Overlapping patterns (a negative skip) could cross a tile's edge:
        // those too lie on one surface of the whole picture.
        makeSurface(0, 0, w, h);
        for (std::int64_t r = 0; r < rows; ++r)
          for (std::int64_t c = 0; c < columns; ++c)
            places.push_back(TPatternPlace{RECT{static_cast<LONG>(sx * c), static_cast<LONG>(sy * r),
                                                static_cast<LONG>(sx * c + pw), static_cast<LONG>(sy * r + ph)},
                                           0});
      } else {
        const std::int64_t tw = std::min(sx * ((sx + 511) / sx), sx * ((w + FSkipWidth) / sx));
        const std::int64_t th = std::min(sy * ((sy + 511) / sy), sy * ((h + FSkipHeight) / sy));
        if (tw > 0 && th > 0) {
          const std::int64_t tx = (tw + w - 1) / tw, ty = (th + h - 1) / th;
          for (std::int64_t i = 0; i < ty; ++i)
            for (std::int64_t j = 0; j < tx; ++j) {
              std::int64_t cw = std::min(tw, std::max<std::int64_t>(w - tw * j, 0));
              std::int64_t ch = std::min(th, std::max<std::int64_t>(h - th * i, 0));
              if (cw == 0) cw = tw;
              if (ch == 0) ch = th;
              makeSurface(tw * j, th * i, cw, ch);
            }
          for (std::int64_t r = 0; r < rows; ++r)
            for (std::int64_t c = 0; c < columns; ++c) {
              const std::int64_t x = (sx * c) % tw, y = (sy * r) % th;
              const std::int64_t tile = (sx * c) / tw + tx * ((sy * r) / th);
              places.push_back(TPatternPlace{RECT{static_cast<LONG>(x), static_cast<LONG>(y), static_cast<LONG>(x + pw),
                                                  static_cast<LONG>(y + ph)},
                                             static_cast<int>(tile)});
            }
        }
      }
    }
  }

  // Everything was made: only now does the item take it over, so a failure
  // above leaves it without patterns or surfaces.
  FSurfaces = std::move(surfaces);
  for (const TPatternPlace& place : places) {
    auto* pattern = static_cast<TPictureCollectionItemPattern*>(FPatterns.Add());
    pattern->Rect = place.Rect;
    pattern->Surface = FSurfaces[static_cast<size_t>(place.SurfaceIndex)].get();
  }
}

void TPictureCollectionItem::SetTransparentColor(TColor Value) {
  if (Value == FTransparentColor) return;
  FTransparentColor = Value;
  for (auto& surface : FSurfaces) {
    try {
      surface->SetTransparentColor(surface->ColorMatch(Value));
    } catch (...) {
      // A surface that cannot be keyed keeps its old key; the next is done.
    }
  }
}

// ---- TPictureCollection --------------------------------------------------------

TPictureCollection::TPictureCollection(TPersistent* AOwner)
    : THashCollection(CollectionItemClassOf<TPictureCollectionItem>(), AOwner) {}

TPictureCollection::~TPictureCollection() {
  try {
    Finalize();
  } catch (...) {}
}

TPictureCollectionItem* TPictureCollection::Items(int Index) const {
  return static_cast<TPictureCollectionItem*>(TCollection::Items(Index));
}

TPictureCollectionItem* TPictureCollection::Find(const std::string& Name) const {
  const std::int32_t i = IndexOf(Name);
  if (i < 0) throw EPictureCollectionError(Format("Image '%s' not found", Name));
  return Items(i);
}

bool TPictureCollection::Initialized() const { return FDXDraw && FDXDraw->Initialized(); }

void TPictureCollection::InitializeImages(TCustomDXDraw* DXDraw) {
  Finalize();
  FDXDraw = DXDraw;
  if (!Initialized()) {
    FDXDraw = nullptr;
    throw EPictureCollectionError(Format("%s cannot be initialized", "TPictureCollection"));
  }
  for (int i = 0; i < Count(); ++i) Items(i)->Initialize();
}

void TPictureCollection::Finalize() {
  std::exception_ptr first;
  for (int i = 0; i < Count(); ++i) {
    try {
      Items(i)->Finalize();
    } catch (...) {
      if (!first) first = std::current_exception();
    }
  }
  FDXDraw = nullptr;
  if (first) std::rethrow_exception(first);
}

void TPictureCollection::Restore() {
  for (int i = 0; i < Count(); ++i) Items(i)->Restore();
}

void TPictureCollection::DefineProperties(TFiler* Filer) {
  THashCollection::DefineProperties(Filer);
  Filer->DefineBinaryProperty(
      "ColorTable", [this](TStream* s) { ReadColorTable(s); }, [this](TStream* s) { WriteColorTable(s); }, true);
}

void TPictureCollection::ReadColorTable(TStream* Stream) {
  std::array<std::uint8_t, 1024> bytes{};
  // Raises EReadError when fewer than 1024 bytes are stored.
  Stream->ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
  for (size_t i = 0; i < FColorTable.size(); ++i) {
    FColorTable[i].rgbBlue = bytes[i * 4];
    FColorTable[i].rgbGreen = bytes[i * 4 + 1];
    FColorTable[i].rgbRed = bytes[i * 4 + 2];
    FColorTable[i].rgbReserved = bytes[i * 4 + 3];
  }
}

void TPictureCollection::WriteColorTable(TStream* Stream) {
  std::array<std::uint8_t, 1024> bytes{};
  for (size_t i = 0; i < FColorTable.size(); ++i) {
    bytes[i * 4] = FColorTable[i].rgbBlue;
    bytes[i * 4 + 1] = FColorTable[i].rgbGreen;
    bytes[i * 4 + 2] = FColorTable[i].rgbRed;
    bytes[i * 4 + 3] = FColorTable[i].rgbReserved;
  }
  Stream->WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}
