#include "platform/toolkit/Picture.h"

#include <vector>

#include "platform/rtl/Cp1250.h"
#include "platform/rtl/Files.h"
#include "platform/rtl/Format.h"
#include "platform/toolkit/Filer.h"
#include "platform/win/Clipboard.h"

namespace {

struct FileFormat {
  std::string Extension;
  std::string Description;
  TGraphicClass Class;
};
struct ClipboardFormat {
  WORD Format;
  TGraphicClass Class;
};

std::vector<FileFormat>& FileFormats() {
  // Never destroyed: units unregister their classes from static destructors.
  static auto* formats = new std::vector<FileFormat>{{"bmp", "Bitmaps", GraphicClassOf<TBitmap>()}};
  return *formats;
}

std::vector<ClipboardFormat>& ClipboardFormats() {
  static auto* formats = new std::vector<ClipboardFormat>{{static_cast<WORD>(CF_BITMAP), GraphicClassOf<TBitmap>()}};
  return *formats;
}

TGraphicClass FindClipboardFormat(WORD format) {
  auto& list = ClipboardFormats();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (it->Format == format) return it->Class;
  return {};
}

}  // namespace

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                  const TGraphicClass& AGraphicClass) {
  FileFormats().push_back({AExtension, ADescription, AGraphicClass});
}

void TPicture::RegisterClipboardFormat(WORD AFormat, const TGraphicClass& AGraphicClass) {
  ClipboardFormats().push_back({AFormat, AGraphicClass});
}

void TPicture::UnregisterGraphicClass(const std::string& AClassName) {
  auto& files = FileFormats();
  std::erase_if(files, [&](const FileFormat& f) { return f.Class.Name == AClassName; });
  auto& clips = ClipboardFormats();
  std::erase_if(clips, [&](const ClipboardFormat& f) { return f.Class.Name == AClassName; });
}

TGraphicClass TPicture::FindFileFormat(const std::string& AExtension) {
  auto& list = FileFormats();
  for (auto it = list.rbegin(); it != list.rend(); ++it)
    if (AnsiSameText(it->Extension, AExtension)) return it->Class;
  return {};
}

TGraphicClass TPicture::FindGraphicClass(const std::string& AClassName) {
  auto& files = FileFormats();
  for (auto it = files.rbegin(); it != files.rend(); ++it)
    if (AnsiSameText(it->Class.Name, AClassName)) return it->Class;
  auto& clips = ClipboardFormats();
  for (auto it = clips.rbegin(); it != clips.rend(); ++it)
    if (AnsiSameText(it->Class.Name, AClassName)) return it->Class;
  return {};
}

bool TPicture::SupportsClipboardFormat(WORD AFormat) { return static_cast<bool>(FindClipboardFormat(AFormat)); }

void TPicture::Changed(TObject*) {
  if (OnChange) OnChange(this);
}

void TPicture::Take(std::unique_ptr<TGraphic> Graphic) {
  FGraphic = std::move(Graphic);
  if (FGraphic) FGraphic->OnChange = [this](TObject* Sender) { Changed(Sender); };
  Changed(this);
}

void TPicture::SetGraphic(TGraphic* Value) {
  if (!Value) {
    Take(nullptr);
    return;
  }
  if (Value == FGraphic.get()) return;
  TGraphicClass cls = FindGraphicClass(Value->ClassName());
  std::unique_ptr<TGraphic> copy;
  if (cls) {
    copy = cls.Create();
  } else if (dynamic_cast<TBitmap*>(Value)) {
    copy = std::make_unique<TBitmap>();
  } else {
    throw EInvalidGraphic(Format("Cannot assign a %s to a %s", Value->ClassName(), ClassName()));
  }
  copy->Assign(Value);
  Take(std::move(copy));
}

TBitmap* TPicture::Bitmap() {
  if (!dynamic_cast<TBitmap*>(FGraphic.get())) Take(std::make_unique<TBitmap>());
  return static_cast<TBitmap*>(FGraphic.get());
}

void TPicture::LoadFromFile(const std::string& Filename) {
  std::string ext = ExtractFileExt(Filename);
  if (!ext.empty()) ext.erase(0, 1);
  TGraphicClass cls = FindFileFormat(ext);
  if (!cls) throw EInvalidGraphic(Format("Unknown picture file extension (.%s)", ext));
  std::unique_ptr<TGraphic> graphic = cls.Create();
  graphic->LoadFromFile(Filename);
  Take(std::move(graphic));
}

void TPicture::SaveToFile(const std::string& Filename) {
  if (FGraphic) FGraphic->SaveToFile(Filename);
}

void TPicture::LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) {
  TGraphicClass cls = FindClipboardFormat(AFormat);
  if (!cls) throw EInvalidGraphic("Unsupported clipboard format");
  std::unique_ptr<TGraphic> graphic = cls.Create();
  graphic->LoadFromClipboardFormat(AFormat, AData, APalette);
  Take(std::move(graphic));
}

void TPicture::SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) {
  AFormat = 0;
  AData = nullptr;
  APalette = nullptr;
  if (FGraphic) FGraphic->SaveToClipboardFormat(AFormat, AData, APalette);
}

void TPicture::Assign(const TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
  } else if (auto* p = dynamic_cast<const TPicture*>(Source)) {
    if (p != this) SetGraphic(p->Graphic());
  } else if (auto* g = dynamic_cast<const TGraphic*>(Source)) {
    SetGraphic(const_cast<TGraphic*>(g));
  } else {
    TPersistent::Assign(Source);
  }
}

void TPicture::AssignTo(TPersistent* Dest) const {
  if (auto* g = dynamic_cast<TGraphic*>(Dest); g && FGraphic) {
    g->Assign(FGraphic.get());
    return;
  }
  TPersistent::AssignTo(Dest);
}

void TPicture::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Data", [this](TStream* S) { ReadData(S); }, [this](TStream* S) { WriteData(S); }, FGraphic != nullptr);
}

void TPicture::ReadData(TStream* Stream) {
  BYTE len = 0;
  Stream->ReadBuffer(&len, 1);
  std::string name(len, '\0');
  Stream->ReadBuffer(name.data(), len);
  TGraphicClass cls = FindGraphicClass(name);
  // A picture of a class nobody registered cannot be shown; say so rather
  // than leaving the picture silently empty.
  if (!cls) throw EReadError("Invalid property value");
  std::unique_ptr<TGraphic> graphic = cls.Create();
  graphic->ReadData(Stream);
  Take(std::move(graphic));
}

void TPicture::WriteData(TStream* Stream) {
  if (!FGraphic) return;
  std::string name = FGraphic->ClassName();
  if (name.size() > 255) name.resize(255);
  BYTE len = static_cast<BYTE>(name.size());
  Stream->WriteBuffer(&len, 1);
  Stream->WriteBuffer(name.data(), len);
  FGraphic->WriteData(Stream);
}
