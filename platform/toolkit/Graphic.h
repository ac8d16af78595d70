// TGraphic: the abstract picture that a canvas can draw and that streams,
// files and the clipboard can hold (bitmaps, device-independent bitmaps).
#pragma once

#include <string>

#include "platform/rtl/Streams.h"
#include "platform/toolkit/Graphics.h"

class TCanvas;
class TPicture;

class TGraphic : public TPersistent {
 public:
  TGraphic() = default;
  ~TGraphic() override = default;
  TGraphic(const TGraphic&) = delete;
  TGraphic& operator=(const TGraphic&) = delete;

  virtual bool Empty() const = 0;
  virtual int Width() const = 0;
  virtual void SetWidth(int Value) = 0;
  virtual int Height() const = 0;
  virtual void SetHeight(int Value) = 0;
  // The GDI palette of the picture (0 when it has none); the picture keeps it.
  virtual HPALETTE Palette() { return nullptr; }
  virtual void SetPalette(HPALETTE) {}
  virtual bool Transparent() const { return FTransparent; }
  virtual void SetTransparent(bool Value);
  bool Modified() const { return FModified; }
  void SetModified(bool Value);
  // Set when the palette changed; the picture's owner realises it again.
  bool PaletteModified = false;

  virtual void LoadFromStream(TStream* Stream) = 0;
  virtual void SaveToStream(TStream* Stream) = 0;
  // File names are windows-1250 text.
  virtual void LoadFromFile(const std::string& FileName);
  virtual void SaveToFile(const std::string& FileName);
  virtual void LoadFromClipboardFormat(WORD AFormat, HANDLE AData, HPALETTE APalette) = 0;
  virtual void SaveToClipboardFormat(WORD& AFormat, HANDLE& AData, HPALETTE& APalette) = 0;

  TNotifyEvent OnChange;

 protected:
  // Sets Modified and raises OnChange.
  virtual void Changed(TObject* Sender);
  // Draws the whole picture stretched onto Rect of the canvas.
  virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;
  // Stores the picture as the binary property "Data" (its stream form).
  void DefineProperties(TFiler* Filer) override;
  // The stream form stored in "Data" and in pictures; by default the same as
  // LoadFromStream / SaveToStream.
  virtual void ReadData(TStream* Stream);
  virtual void WriteData(TStream* Stream);
  // Whether another graphic holds the same picture (same class, same data).
  virtual bool Equals(TGraphic* Graphic);

  friend class TCanvas;
  friend class TPicture;

 private:
  bool FModified = false;
  bool FTransparent = false;
};
