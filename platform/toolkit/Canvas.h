// TCanvas: drawing with a pen, a brush and a font on any device context.
#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "platform/toolkit/Graphics.h"

class TGraphic;

// Raster operations of CopyRect and of drawing bitmaps.
using TCopyMode = DWORD;
constexpr TCopyMode cmBlackness = BLACKNESS;
constexpr TCopyMode cmDstInvert = DSTINVERT;
constexpr TCopyMode cmMergeCopy = MERGECOPY;
constexpr TCopyMode cmMergePaint = MERGEPAINT;
constexpr TCopyMode cmNotSrcCopy = NOTSRCCOPY;
constexpr TCopyMode cmNotSrcErase = NOTSRCERASE;
constexpr TCopyMode cmPatCopy = PATCOPY;
constexpr TCopyMode cmPatInvert = PATINVERT;
constexpr TCopyMode cmPatPaint = PATPAINT;
constexpr TCopyMode cmSrcAnd = SRCAND;
constexpr TCopyMode cmSrcCopy = SRCCOPY;
constexpr TCopyMode cmSrcErase = SRCERASE;
constexpr TCopyMode cmSrcInvert = SRCINVERT;
constexpr TCopyMode cmSrcPaint = SRCPAINT;
constexpr TCopyMode cmWhiteness = WHITENESS;

// A canvas draws on the device context it holds (Handle). Without one, every
// drawing call first asks CreateHandle for one (a subclass supplies the DC
// lazily, e.g. from a surface); when there is still none the call raises
// EInvalidOperation "Canvas does not allow drawing". The pen, brush and font
// are selected into the DC as each call needs them, and reselected after a
// change. Every drawing call raises OnChanging before and OnChange after it.
class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The DC, made by CreateHandle when there is none.
  HDC Handle();
  // Takes another DC (0 lets go of the current one: the pen, brush and font
  // are deselected and the pen position is kept for the next DC).
  void SetHandle(HDC Value);
  bool HandleAllocated() const { return FHandle != nullptr; }

  TPen* Pen() const { return FPen.get(); }
  TBrush* Brush() const { return FBrush.get(); }
  TFont* Font() const { return FFont.get(); }
  void SetPen(const TPen* Value) { FPen->Assign(Value); }
  void SetBrush(const TBrush* Value) { FBrush->Assign(Value); }
  void SetFont(const TFont* Value) { FFont->Assign(Value); }

  TPoint PenPos();
  void SetPenPos(TPoint Value);
  TCopyMode CopyMode() const { return FCopyMode; }
  void SetCopyMode(TCopyMode Value) { FCopyMode = Value; }

  void MoveTo(int X, int Y);
  // A line from the pen position to (X, Y), the last pixel excluded.
  void LineTo(int X, int Y);
  // Right and bottom exclusive.
  void Rectangle(int X1, int Y1, int X2, int Y2);
  void Rectangle(const TRect& R) { Rectangle(R.left, R.top, R.right, R.bottom); }
  void FillRect(const TRect& R);
  void FrameRect(const TRect& R);
  void Ellipse(int X1, int Y1, int X2, int Y2);
  void Ellipse(const TRect& R) { Ellipse(R.left, R.top, R.right, R.bottom); }
  // Text is windows-1250; (X, Y) is the top left of the text. The background
  // is filled with the brush colour unless the brush is clear.
  void TextOut(int X, int Y, const std::string& Text);
  void TextRect(const TRect& R, int X, int Y, const std::string& Text);
  SIZE TextExtent(const std::string& Text);
  int TextWidth(const std::string& Text) { return TextExtent(Text).cx; }
  int TextHeight(const std::string& Text) { return TextExtent(Text).cy; }
  void Draw(int X, int Y, TGraphic* Graphic);
  void StretchDraw(const TRect& R, TGraphic* Graphic);
  // Copies Source of Canvas onto Dest of this canvas with CopyMode, stretching.
  void CopyRect(const TRect& Dest, TCanvas* Canvas, const TRect& Source);

  TColor GetPixel(int X, int Y);
  void SetPixel(int X, int Y, TColor Value);

  // Pixels[X][Y] reads and writes one pixel.
  class TPixelRef {
   public:
    TPixelRef(TCanvas* c, int x, int y) : FCanvas(c), FX(x), FY(y) {}
    operator TColor() const { return FCanvas->GetPixel(FX, FY); }
    TPixelRef& operator=(TColor Value) {
      FCanvas->SetPixel(FX, FY, Value);
      return *this;
    }
    TPixelRef& operator=(const TPixelRef& other) { return *this = static_cast<TColor>(other); }

   private:
    TCanvas* FCanvas;
    int FX, FY;
  };
  class TPixelColumn {
   public:
    TPixelColumn(TCanvas* c, int x) : FCanvas(c), FX(x) {}
    TPixelRef operator[](int Y) const { return TPixelRef(FCanvas, FX, Y); }

   private:
    TCanvas* FCanvas;
    int FX;
  };
  class TPixels {
   public:
    explicit TPixels(TCanvas* c) : FCanvas(c) {}
    TPixelColumn operator[](int X) const { return TPixelColumn(FCanvas, X); }

   private:
    TCanvas* FCanvas;
  };
  TPixels Pixels{this};

  // Serialises drawing from several threads; LockCount counts nested locks.
  void Lock();
  void Unlock();
  bool TryLock();
  int LockCount() const { return FLockCount; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  // Raised before and after every drawing operation.
  virtual void Changing();
  virtual void Changed();

 protected:
  // Called when a drawing call needs a DC and the canvas has none; the
  // default makes none. Subclasses call SetHandle.
  virtual void CreateHandle();

  enum : unsigned { csHandleValid = 1, csFontValid = 2, csPenValid = 4, csBrushValid = 8 };
  // Makes sure the DC exists and the named tools are selected into it.
  void RequiredState(unsigned ReqState);

 private:
  void DeselectHandles();
  void CreateFont();
  void CreatePen();
  void CreateBrush();
  void FontChanged();
  void PenChanged();
  void BrushChanged();

  HDC FHandle = nullptr;
  unsigned FState = 0;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TPen> FPen;
  std::unique_ptr<TBrush> FBrush;
  TPoint FPenPos;
  TCopyMode FCopyMode = cmSrcCopy;
  std::recursive_mutex FLock;
  int FLockCount = 0;
};
