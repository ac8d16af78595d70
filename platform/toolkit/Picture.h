// TPicture: a holder of one graphic of any registered class, the registry of
// graphic classes by file extension and clipboard format, and the stored
// picture data ("Data": the class name, then the graphic's stored form).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <typeinfo>

#include "platform/toolkit/Bitmap.h"
#include "platform/toolkit/Graphic.h"

// A graphic class as the registry knows it: its name and how to make one.
struct TGraphicClass {
  std::string Name;
  std::function<std::unique_ptr<TGraphic>()> Create;
  explicit operator bool() const { return static_cast<bool>(Create); }
};

template <typename T>
TGraphicClass GraphicClassOf() {
  return TGraphicClass{TObject::ClassNameOf(typeid(T)), [] { return std::unique_ptr<TGraphic>(new T); }};
}

class TPicture : public TPersistent {
 public:
  TPicture();
  ~TPicture() override;
  TPicture(const TPicture&) = delete;
  TPicture& operator=(const TPicture&) = delete;

  // The graphic held (nil when none); the picture owns it.
  TGraphic* Graphic() const { return FGraphic.get(); }
  // Holds a copy of Value (a new graphic of its class, assigned from it).
  void SetGraphic(TGraphic* Value);
  // The graphic as a bitmap; another kind of graphic is replaced by an empty bitmap.
  TBitmap* Bitmap();
  void SetBitmap(TBitmap* Value) { SetGraphic(Value); }
  int Width() const { return FGraphic ? FGraphic->Width() : 0; }
  int Height() const { return FGraphic ? FGraphic->Height() : 0; }

  // Loads a file through the class registered for its extension; raises
  // EInvalidGraphic "Unknown picture file extension (.%s)" for others. A
  // failed load leaves the picture as it was.
  void LoadFromFile(const std::string& Filename);
  void SaveToFile(const std::string& Filename);
  // Raises EInvalidGraphic "Unsupported clipboard format" for formats no
  // class is registered for.
  void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette);
  void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette);
  static bool SupportsClipboardFormat(WORD AFormat);

  // nil empties the picture; a picture or a graphic is copied.
  void Assign(const TPersistent* Source) override;

  // The registry. Later registrations win over earlier ones for the same
  // extension or format. TBitmap is registered for "bmp" and CF_BITMAP.
  static void RegisterFileFormat(const std::string& AExtension, const std::string& ADescription,
                                 const TGraphicClass& AGraphicClass);
  static void RegisterClipboardFormat(WORD AFormat, const TGraphicClass& AGraphicClass);
  // Removes every registration of the class.
  static void UnregisterGraphicClass(const std::string& AClassName);
  // The class registered for an extension (without the dot) or by name; empty when none.
  static TGraphicClass FindFileFormat(const std::string& AExtension);
  static TGraphicClass FindGraphicClass(const std::string& AClassName);

  TNotifyEvent OnChange;

 protected:
  void AssignTo(TPersistent* Dest) const override;
  // The binary property "Data", written while the picture holds a graphic.
  void DefineProperties(TFiler* Filer) override;
  virtual void Changed(TObject* Sender);

 private:
  void ReadData(TStream* Stream);
  void WriteData(TStream* Stream);
  void Take(std::unique_ptr<TGraphic> Graphic);

  std::unique_ptr<TGraphic> FGraphic;
};
