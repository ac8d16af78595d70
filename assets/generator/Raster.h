// A small deterministic painter for the generated pictures: shapes are
// painted at a 4 × 4 subsample grid with colour functions, and the result is
// reduced to whole pixels that are either opaque (the mean colour of the
// covered subsamples) or the key colour, so pictures keep clean transparent
// edges against magenta while their inner edges stay smooth.
//
// Only basic arithmetic and square roots are used (and our own sine), so the
// same pixels come out of every build and machine.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct TRgb {
  double R = 0, G = 0, B = 0;
};

inline TRgb Rgb(int R, int G, int B) { return TRgb{R / 255.0, G / 255.0, B / 255.0}; }
TRgb Mix(TRgb A, TRgb B, double T);
TRgb Scale(TRgb A, double F);
TRgb Clamp(TRgb A);

// Deterministic helpers.
double Sine(double X);  // sin(X), Taylor series after range reduction
double Cosine(double X);
double Expo(double X);  // e^X
constexpr double Pi = 3.14159265358979323846;
std::uint32_t Hash3(std::int32_t X, std::int32_t Y, std::uint32_t Seed);
// Value noise in [0, 1) over a lattice of Cell pixels, smoothly interpolated.
double ValueNoise(double X, double Y, double Cell, std::uint32_t Seed);
// Several octaves of value noise, in [0, 1).
double Fractal(double X, double Y, double Cell, int Octaves, std::uint32_t Seed);

// A picture of whole pixels: 24-bit colour plus an opacity flag; transparent
// pixels are written in the key colour.
struct TPixelPicture {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint8_t> Rgb;   // top row first, 3 bytes a pixel, R G B
  std::vector<std::uint8_t> Mask;  // 1 opaque, 0 key colour

  TPixelPicture() = default;
  TPixelPicture(int W, int H);
  void Set(int X, int Y, std::uint8_t R, std::uint8_t G, std::uint8_t B);
  void Clear(int X, int Y);
  bool Opaque(int X, int Y) const { return Mask[static_cast<std::size_t>(Y * Width + X)] != 0; }
  const std::uint8_t* At(int X, int Y) const { return &Rgb[static_cast<std::size_t>((Y * Width + X) * 3)]; }
  // A rectangle of this picture (parts outside stay transparent).
  TPixelPicture Cut(int X, int Y, int W, int H) const;
  // Copies the opaque pixels of Source with its top-left at (X, Y).
  void Blit(const TPixelPicture& Source, int X, int Y);
};

// The key colour of every stored picture.
constexpr std::uint8_t KeyR = 0xFF, KeyG = 0x00, KeyB = 0xFF;

using TShapeTest = std::function<bool(double X, double Y)>;
using TColorFunc = std::function<TRgb(double X, double Y)>;

class TPainter {
 public:
  static constexpr int Sub = 4;
  TPainter(int W, int H);

  int Width() const { return FWidth; }
  int Height() const { return FHeight; }

  // Paints every subsample whose centre passes Inside with Color (in picture
  // pixel coordinates). Bounds limit the scan (left, top, right, bottom).
  void Fill(const TShapeTest& Inside, const TColorFunc& Color, double L, double T, double R, double B);
  void Fill(const TShapeTest& Inside, const TColorFunc& Color) { Fill(Inside, Color, 0, 0, FWidth, FHeight); }
  // Filled shapes.
  void Polygon(const std::vector<std::pair<double, double>>& Points, const TColorFunc& Color);
  void Ellipse(double CX, double CY, double RX, double RY, const TColorFunc& Color);
  // A thick line with round ends.
  void Capsule(double X1, double Y1, double X2, double Y2, double Radius, const TColorFunc& Color);

  // Reduces the subsamples to pixels: a pixel with at least half of its
  // subsamples painted is opaque with their mean colour.
  TPixelPicture Resolve() const;

 private:
  int FWidth, FHeight;
  std::vector<float> FColor;  // 3 per subsample
  std::vector<std::uint8_t> FCover;
};

// Shape tests.
bool InPolygon(const std::vector<std::pair<double, double>>& P, double X, double Y);
double SegmentDistance(double PX, double PY, double X1, double Y1, double X2, double Y2);

// A solid colour function.
inline TColorFunc Solid(TRgb C) {
  return [C](double, double) { return C; };
}
// Round shading: lighter towards the upper left of a body centred at
// (CX, CY) with radius R.
TColorFunc Rounded(TRgb C, double CX, double CY, double R);
// Linear shading from top (lighter) to bottom (darker) between Y0 and Y1.
TColorFunc Vertical(TRgb Top, TRgb Bottom, double Y0, double Y1);
