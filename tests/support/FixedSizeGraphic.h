// A picture for tests: a size fixed when it is made and nothing to load,
// save or copy; a test gives it only the way it draws.
#pragma once

#include "platform/toolkit/Graphic.h"

class TFixedSizeGraphic : public TGraphic {
 public:
  TFixedSizeGraphic(int Width, int Height) : FW(Width), FH(Height) {}
  bool Empty() const override { return FW == 0 || FH == 0; }
  int Width() const override { return FW; }
  void SetWidth(int) override {}
  int Height() const override { return FH; }
  void SetHeight(int) override {}
  void LoadFromStream(TStream*) override {}
  void SaveToStream(TStream*) override {}
  void LoadFromClipboardFormat(WORD, HANDLE, HPALETTE) override {}
  void SaveToClipboardFormat(WORD&, HANDLE&, HPALETTE&) override {}

 protected:
  const int FW, FH;
};
