#include "editor/EditorPictures.h"

#include "display/PictureCollection.h"

namespace sandreth {

TPictureCollection* TImageListPictures::Items(int List) const {
  if (List < 1 || List > 4 || !FLists[static_cast<size_t>(List - 1)]) return nullptr;
  return FLists[static_cast<size_t>(List - 1)]->Items();
}

bool TImageListPictures::DrawItem(int List, int Index, int X, int Y) {
  TPictureCollection* items = Items(List);
  if (!items || Index < 0 || Index >= items->Count()) return false;
  items->Items(Index)->Draw(FDest, X, Y, 0);
  return true;
}

bool TImageListPictures::DrawNamed(int List, const std::string& Name, int X, int Y) {
  TPictureCollection* items = Items(List);
  if (!items) return false;
  try {
    items->Find(Name)->Draw(FDest, X, Y, 0);
  } catch (const EPictureCollectionError&) { return false; }
  return true;
}

}  // namespace sandreth
