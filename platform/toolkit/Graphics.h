// The toolkit's graphics basics: colours, rectangles, the graphics
// exceptions, and the pen, brush and font a canvas draws with.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>

#include "platform/rtl/Exceptions.h"
#include "platform/toolkit/Persistent.h"
#include "platform/win/Gdi.h"

// ---- Colours ------------------------------------------------------------------

// A colour: $00BBGGRR for an RGB value, clSystemColor | index for a system
// colour (negative), or one of the special values clNone and clDefault.
using TColor = std::int32_t;

constexpr TColor clSystemColor = static_cast<TColor>(0x80000000u);
constexpr TColor clScrollBar = clSystemColor | COLOR_SCROLLBAR;
constexpr TColor clBackground = clSystemColor | COLOR_BACKGROUND;
constexpr TColor clActiveCaption = clSystemColor | COLOR_ACTIVECAPTION;
constexpr TColor clInactiveCaption = clSystemColor | COLOR_INACTIVECAPTION;
constexpr TColor clMenu = clSystemColor | COLOR_MENU;
constexpr TColor clWindow = clSystemColor | COLOR_WINDOW;
constexpr TColor clWindowFrame = clSystemColor | COLOR_WINDOWFRAME;
constexpr TColor clMenuText = clSystemColor | COLOR_MENUTEXT;
constexpr TColor clWindowText = clSystemColor | COLOR_WINDOWTEXT;
constexpr TColor clCaptionText = clSystemColor | COLOR_CAPTIONTEXT;
constexpr TColor clActiveBorder = clSystemColor | COLOR_ACTIVEBORDER;
constexpr TColor clInactiveBorder = clSystemColor | COLOR_INACTIVEBORDER;
constexpr TColor clAppWorkSpace = clSystemColor | COLOR_APPWORKSPACE;
constexpr TColor clHighlight = clSystemColor | COLOR_HIGHLIGHT;
constexpr TColor clHighlightText = clSystemColor | COLOR_HIGHLIGHTTEXT;
constexpr TColor clBtnFace = clSystemColor | COLOR_BTNFACE;
constexpr TColor clBtnShadow = clSystemColor | COLOR_BTNSHADOW;
constexpr TColor clGrayText = clSystemColor | COLOR_GRAYTEXT;
constexpr TColor clBtnText = clSystemColor | COLOR_BTNTEXT;
constexpr TColor clInactiveCaptionText = clSystemColor | COLOR_INACTIVECAPTIONTEXT;
constexpr TColor clBtnHighlight = clSystemColor | COLOR_BTNHIGHLIGHT;
constexpr TColor cl3DDkShadow = clSystemColor | COLOR_3DDKSHADOW;
constexpr TColor cl3DLight = clSystemColor | COLOR_3DLIGHT;
constexpr TColor clInfoText = clSystemColor | COLOR_INFOTEXT;
constexpr TColor clInfoBk = clSystemColor | COLOR_INFOBK;

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clLtGray = 0xC0C0C0;
constexpr TColor clDkGray = 0x808080;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;
constexpr TColor clDefault = 0x20000000;

// The RGB value of a colour; system colours are looked up.
COLORREF ColorToRGB(TColor Color);

// ---- Rectangles and points ---------------------------------------------------------

using TRect = RECT;
using TPoint = POINT;
inline TRect Rect(LONG Left, LONG Top, LONG Right, LONG Bottom) { return TRect{Left, Top, Right, Bottom}; }
inline TRect Bounds(LONG Left, LONG Top, LONG Width, LONG Height) {
  return TRect{Left, Top, Left + Width, Top + Height};
}
inline TPoint Point(LONG X, LONG Y) { return TPoint{X, Y}; }

// ---- Exceptions --------------------------------------------------------------------

class EInvalidGraphic : public Exception {
 public:
  using Exception::Exception;
};
class EInvalidGraphicOperation : public Exception {
 public:
  using Exception::Exception;
};
class EOutOfResources : public Exception {
 public:
  using Exception::Exception;
};

// ---- Pen, brush, font ----------------------------------------------------------------

// The common base of the drawing tools: a change notifies the owner (the canvas)
// and drops the GDI object, which is remade at its next use.
class TGraphicsObject : public TPersistent {
 public:
  TNotifyEvent OnChange;

 protected:
  virtual void Changed();
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };

class TPen : public TGraphicsObject {
 public:
  TPen() = default;
  ~TPen() override;
  TPen(const TPen&) = delete;
  TPen& operator=(const TPen&) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  int Width() const { return FWidth; }
  void SetWidth(int Value);
  TPenStyle Style() const { return FStyle; }
  void SetStyle(TPenStyle Value);
  // The GDI pen, made on demand.
  HPEN Handle();
  void Assign(const TPersistent* Source) override;

 protected:
  void Changed() override;

 private:
  TColor FColor = clBlack;
  int FWidth = 1;
  TPenStyle FStyle = psSolid;
  HPEN FHandle = nullptr;
};

enum TBrushStyle { bsSolid, bsClear };

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;
  ~TBrush() override;
  TBrush(const TBrush&) = delete;
  TBrush& operator=(const TBrush&) = delete;

  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TBrushStyle Style() const { return FStyle; }
  void SetStyle(TBrushStyle Value);
  HBRUSH Handle();
  void Assign(const TPersistent* Source) override;

 protected:
  void Changed() override;

 private:
  TColor FColor = clWhite;
  TBrushStyle FStyle = bsSolid;
  HBRUSH FHandle = nullptr;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };

// A set of font styles.
class TFontStyles {
 public:
  constexpr TFontStyles() = default;
  constexpr TFontStyles(std::initializer_list<TFontStyle> styles) {
    for (TFontStyle s : styles) FBits |= 1u << s;
  }
  constexpr bool Contains(TFontStyle s) const { return (FBits >> s) & 1u; }
  constexpr TFontStyles& Include(TFontStyle s) {
    FBits |= 1u << s;
    return *this;
  }
  constexpr TFontStyles& Exclude(TFontStyle s) {
    FBits &= ~(1u << s);
    return *this;
  }
  constexpr bool Empty() const { return FBits == 0; }
  friend constexpr bool operator==(TFontStyles, TFontStyles) = default;

 private:
  unsigned FBits = 0;
};

class TFont : public TGraphicsObject {
 public:
  TFont() = default;
  ~TFont() override;
  TFont(const TFont&) = delete;
  TFont& operator=(const TFont&) = delete;

  // The face name (windows-1250 text), resolved through fontconfig.
  const std::string& Name() const { return FName; }
  void SetName(const std::string& Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  // Height in pixels: negative for the character height, positive for the cell.
  int Height() const { return FHeight; }
  void SetHeight(int Value);
  // Size in points at PixelsPerInch: Height = -MulDiv(Size, PixelsPerInch, 72).
  int Size() const;
  void SetSize(int Value);
  TFontStyles Style() const { return FStyle; }
  void SetStyle(TFontStyles Value);
  BYTE Charset() const { return FCharset; }
  void SetCharset(BYTE Value);
  int PixelsPerInch() const { return 96; }
  HFONT Handle();
  void Assign(const TPersistent* Source) override;

 protected:
  void Changed() override;

 private:
  std::string FName = "MS Sans Serif";
  TColor FColor = clWindowText;
  int FHeight = -11;
  TFontStyles FStyle;
  BYTE FCharset = DEFAULT_CHARSET;
  HFONT FHandle = nullptr;
};
