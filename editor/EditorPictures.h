// The view's pictures drawn through the main window's four image lists onto
// the drawing control's back surface.
#pragma once

#include <array>
#include <string>

#include "display/DXImageList.h"
#include "display/DirectDrawSurface.h"
#include "editor/EditorView.h"

namespace sandreth {

class TImageListPictures : public TEditorPictures {
 public:
  TImageListPictures(TDirectDrawSurface* Dest, std::array<TDXImageList*, 4> Lists) : FDest(Dest), FLists(Lists) {}
  bool DrawItem(int List, int Index, int X, int Y) override;
  bool DrawNamed(int List, const std::string& Name, int X, int Y) override;

 private:
  TPictureCollection* Items(int List) const;
  TDirectDrawSurface* FDest;
  std::array<TDXImageList*, 4> FLists;
};

}  // namespace sandreth
