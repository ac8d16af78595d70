#include "editor/StoredPictures.h"

#include "display/DXImageList.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Buttons.h"

#if __has_include("tools/StoredData.h")
#include "platform/rtl/Streams.h"
#include "tools/StoredData.h"
#define SANDRETH_HAS_STORED_DATA 1
#endif

bool ReadStoredPictures(TDXImageList* List, const std::string& Key) {
#ifdef SANDRETH_HAS_STORED_DATA
  if (StoredComponentData(Key).Size == 0) return false;
  ReadStoredComponent(List, Key);
  return true;
#else
  (void)List;
  (void)Key;
  return false;
#endif
}

bool LoadStoredGlyph(TSpeedButton* Button, const std::string& Key) {
#ifdef SANDRETH_HAS_STORED_DATA
  const TStoredData data = StoredComponentData(Key);
  if (data.Size == 0) return false;
  TMemoryStream stream;
  stream.WriteBuffer(data.Data, static_cast<std::int64_t>(data.Size));
  stream.SetPosition(0);
  TBitmap bitmap;
  bitmap.LoadFromStream(&stream);
  Button->SetGlyph(&bitmap);
  return true;
#else
  (void)Button;
  (void)Key;
  return false;
#endif
}
