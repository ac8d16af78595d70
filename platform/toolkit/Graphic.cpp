#include "platform/toolkit/Graphic.h"

#include "platform/toolkit/Canvas.h"

void TGraphic::SetTransparent(bool Value) {
  if (FTransparent == Value) return;
  FTransparent = Value;
  Changed(this);
}

void TGraphic::SetModified(bool Value) {
  if (Value)
    Changed(this);
  else
    FModified = false;
}

void TGraphic::Changed(TObject*) {
  FModified = true;
  if (OnChange) OnChange(this);
}

void TGraphic::LoadFromFile(const std::string& FileName) {
  TFileStream stream(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&stream);
}

void TGraphic::SaveToFile(const std::string& FileName) {
  TFileStream stream(FileName, fmCreate);
  SaveToStream(&stream);
}

void TGraphic::ReadData(TStream* Stream) { LoadFromStream(Stream); }

void TGraphic::WriteData(TStream* Stream) { SaveToStream(Stream); }

bool TGraphic::Equals(TGraphic* Graphic) {
  if (!Graphic || Graphic->ClassName() != ClassName()) return false;
  if (Empty() || Graphic->Empty()) return Empty() && Graphic->Empty();
  TMemoryStream a, b;
  WriteData(&a);
  Graphic->WriteData(&b);
  return a.Bytes() == b.Bytes();
}

void TGraphic::DefineProperties(TFiler* Filer) { TPersistent::DefineProperties(Filer); }
