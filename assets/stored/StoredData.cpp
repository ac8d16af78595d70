#include "assets/stored/StoredData.h"

#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/Streams.h"
#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Buttons.h"
#include "platform/toolkit/Filer.h"

void ReadStoredComponent(TPersistent* Component, std::string_view Key) {
  TStoredData data = StoredComponentData(Key);
  if (data.Size == 0) throw EReadError("Stored component data '" + std::string(Key) + "' not found");
  TMemoryStream stream;
  stream.WriteBuffer(data.Data, static_cast<std::int64_t>(data.Size));
  stream.SetPosition(0);
  TReader reader(&stream);
  reader.ReadRootObject(Component);
}

bool LoadStoredGlyph(TSpeedButton* Button, std::string_view Key) {
  const TStoredData data = StoredComponentData(Key);
  if (data.Size == 0) return false;
  TMemoryStream stream;
  stream.WriteBuffer(data.Data, static_cast<std::int64_t>(data.Size));
  stream.SetPosition(0);
  TBitmap bitmap;
  bitmap.LoadFromStream(&stream);
  Button->SetGlyph(&bitmap);
  return true;
}
