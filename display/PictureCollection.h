// Named pictures drawn onto DirectDraw surfaces. Each item holds a picture,
// optionally cut into a grid of equal patterns, and, while its collection is
// bound to an initialised drawing control, the surfaces made from the
// picture with the item's transparent colour as colour key. The item owns
// those surfaces; they are rebuilt at every restore of the control.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "display/DXDraw.h"
#include "display/DirectDrawSurface.h"
#include "display/HashCollection.h"
#include "platform/toolkit/Collection.h"
#include "platform/toolkit/Picture.h"

class TPictureCollection;

class EPictureCollectionError : public Exception {
 public:
  using Exception::Exception;
};

// One pattern: its rectangle on the surface that holds it.
class TPictureCollectionItemPattern : public TCollectionItem {
 public:
  explicit TPictureCollectionItemPattern(TCollection* Collection) : TCollectionItem(Collection) {}

  RECT Rect{};
  TDirectDrawSurface* Surface = nullptr;  // owned by the picture item
};

class TPictureCollectionItem : public THashCollectionItem {
 public:
  explicit TPictureCollectionItem(TCollection* Collection);
  ~TPictureCollectionItem() override;

  // From another picture item: its settings, picture and name, rebuilding
  // the surfaces when this item was initialised; from any other hash item
  // its name.
  void Assign(const TPersistent* Source) override;
  void GetProperties(TPropertyList& List) override;

  // Draws pattern PatternIndex at (X, Y) on Dest; nothing when the item has
  // no surfaces yet, for a pattern index out of range or without Dest.
  void Draw(TDirectDrawSurface* Dest, int X, int Y, int PatternIndex);
  // Blends pattern PatternIndex stretched onto DestRect of Dest at Alpha
  // (0..255), keyed when the item is Transparent; the guards of Draw.
  void DrawAlpha(TDirectDrawSurface* Dest, const RECT& DestRect, int PatternIndex, int Alpha);

  // Binds the item to its collection's control (no surfaces yet).
  void Initialize();
  // Drops the patterns and frees the surfaces.
  void Finalize();
  // Rebuilds the patterns and surfaces from the picture. When making a
  // surface fails, the item keeps no patterns or surfaces and the exception
  // is passed on.
  void Restore();

  TPictureCollection* Pictures() const;
  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(const TPersistent* Value) { FPicture->Assign(Value); }
  bool Initialized() const { return FInitialized; }

  // The effective pattern size: the set size when it is above 0, else the
  // picture's.
  std::int32_t GetWidth() const;
  std::int32_t GetHeight() const;
  std::int32_t Width() const { return GetWidth(); }
  std::int32_t Height() const { return GetHeight(); }

  std::int32_t PatternWidth() const { return FPatternWidth; }
  void SetPatternWidth(std::int32_t Value) { FPatternWidth = Value; }
  std::int32_t PatternHeight() const { return FPatternHeight; }
  void SetPatternHeight(std::int32_t Value) { FPatternHeight = Value; }
  std::int32_t SkipWidth() const { return FSkipWidth; }
  void SetSkipWidth(std::int32_t Value) { FSkipWidth = Value; }
  std::int32_t SkipHeight() const { return FSkipHeight; }
  void SetSkipHeight(std::int32_t Value) { FSkipHeight = Value; }
  bool SystemMemory() const { return FSystemMemory; }
  void SetSystemMemory(bool Value) { FSystemMemory = Value; }
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value) { FTransparent = Value; }
  TColor TransparentColor() const { return FTransparentColor; }
  // Re-keys the surfaces that exist at once (a surface that refuses is
  // skipped); without surfaces only the colour is kept.
  void SetTransparentColor(TColor Value);

  int PatternCount() const { return FPatterns.Count(); }
  TPictureCollectionItemPattern* Patterns(int Index) const;
  int SurfaceCount() const { return static_cast<int>(FSurfaces.size()); }
  TDirectDrawSurface* Surfaces(int Index) const { return FSurfaces.at(static_cast<size_t>(Index)).get(); }

 private:
  std::unique_ptr<TPicture> FPicture;
  bool FInitialized = false;
  std::int32_t FPatternHeight = 0;
  std::int32_t FPatternWidth = 0;
  TCollection FPatterns;
  std::int32_t FSkipHeight = 0;
  std::int32_t FSkipWidth = 0;
  std::vector<std::unique_ptr<TDirectDrawSurface>> FSurfaces;
  bool FSystemMemory = false;
  bool FTransparent = true;
  TColor FTransparentColor = 0;
};

class TPictureCollection : public THashCollection {
 public:
  explicit TPictureCollection(TPersistent* AOwner);
  ~TPictureCollection() override;

  // Raises EListError "List index out of bounds (%d)" outside the list.
  TPictureCollectionItem* Items(int Index) const;
  TPictureCollectionItem* GetItem(int Index) const { return Items(Index); }
  TPictureCollectionItem* Add() { return static_cast<TPictureCollectionItem*>(THashCollection::Add()); }
  // The item with that name, case ignored; EPictureCollectionError "Image
  // '%s' not found" when there is none.
  TPictureCollectionItem* Find(const std::string& Name) const;

  // Binds the collection to an initialised control and initialises every
  // item; raises EPictureCollectionError "%s cannot be initialized" otherwise.
  void InitializeImages(TCustomDXDraw* DXDraw);
  // Finalises every item (each one, even after one raised) and unbinds.
  void Finalize();
  // Restores every item in index order.
  void Restore();
  bool Initialized() const;

  TCustomDXDraw* DXDraw() const { return FDXDraw; }
  TRGBQuads& ColorTable() { return FColorTable; }
  const TRGBQuads& ColorTable() const { return FColorTable; }

 protected:
  // "ColorTable": exactly 1024 bytes, the 256 entries raw. Shorter data
  // raises the stream read error and leaves the table as it was.
  void DefineProperties(TFiler* Filer) override;

 private:
  void ReadColorTable(TStream* Stream);
  void WriteColorTable(TStream* Stream);

  TCustomDXDraw* FDXDraw = nullptr;
  TRGBQuads FColorTable{};
};
