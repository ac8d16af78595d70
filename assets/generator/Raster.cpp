#include "assets/generator/Raster.h"

#include <algorithm>
#include <cmath>

TRgb Mix(TRgb A, TRgb B, double T) { return TRgb{A.R + (B.R - A.R) * T, A.G + (B.G - A.G) * T, A.B + (B.B - A.B) * T}; }
TRgb Scale(TRgb A, double F) { return TRgb{A.R * F, A.G * F, A.B * F}; }
TRgb Clamp(TRgb A) {
  auto c = [](double v) { return v < 0 ? 0.0 : (v > 1 ? 1.0 : v); };
  return TRgb{c(A.R), c(A.G), c(A.B)};
}

double Sine(double X) {
  // Reduce to [-pi, pi], then to [-pi/2, pi/2] by symmetry.
  const double twoPi = 2 * Pi;
  double k = std::floor((X + Pi) / twoPi);
  double x = X - k * twoPi;
  if (x > Pi / 2) x = Pi - x;
  if (x < -Pi / 2) x = -Pi - x;
  double x2 = x * x, term = x, sum = x;
  for (int n = 1; n < 12; ++n) {
    term = -term * x2 / ((2 * n) * (2 * n + 1));
    sum += term;
  }
  return sum;
}

double Cosine(double X) { return Sine(X + Pi / 2); }

double Expo(double X) {
  if (X < -60) return 0;
  // e^X = (e^(X/64))^64 with a short series for the small part.
  double y = X / 64, term = 1, sum = 1;
  for (int n = 1; n < 14; ++n) {
    term = term * y / n;
    sum += term;
  }
  for (int i = 0; i < 6; ++i) sum *= sum;
  return sum;
}

std::uint32_t Hash3(std::int32_t X, std::int32_t Y, std::uint32_t Seed) {
  std::uint32_t h = Seed * 0x9E3779B1u;
  h ^= static_cast<std::uint32_t>(X) * 0x85EBCA77u;
  h = (h << 13) | (h >> 19);
  h ^= static_cast<std::uint32_t>(Y) * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return h;
}

namespace {
double Lattice(std::int32_t X, std::int32_t Y, std::uint32_t Seed) { return (Hash3(X, Y, Seed) >> 8) / 16777216.0; }
double Smooth(double T) { return T * T * (3 - 2 * T); }
}  // namespace

double ValueNoise(double X, double Y, double Cell, std::uint32_t Seed) {
  double fx = X / Cell, fy = Y / Cell;
  double ix = std::floor(fx), iy = std::floor(fy);
  double tx = Smooth(fx - ix), ty = Smooth(fy - iy);
  auto x0 = static_cast<std::int32_t>(ix), y0 = static_cast<std::int32_t>(iy);
  double a = Lattice(x0, y0, Seed), b = Lattice(x0 + 1, y0, Seed);
  double c = Lattice(x0, y0 + 1, Seed), d = Lattice(x0 + 1, y0 + 1, Seed);
  double top = a + (b - a) * tx, bottom = c + (d - c) * tx;
  return top + (bottom - top) * ty;
}

double Fractal(double X, double Y, double Cell, int Octaves, std::uint32_t Seed) {
  double sum = 0, weight = 1, total = 0;
  for (int i = 0; i < Octaves; ++i) {
    sum += ValueNoise(X, Y, Cell, Seed + static_cast<std::uint32_t>(i) * 977u) * weight;
    total += weight;
    weight *= 0.5;
    Cell *= 0.5;
    if (Cell < 0.5) break;
  }
  return sum / total;
}

TPixelPicture::TPixelPicture(int W, int H)
    : Width(W), Height(H), Rgb(static_cast<std::size_t>(W * H * 3)), Mask(static_cast<std::size_t>(W * H)) {
  for (std::size_t i = 0; i < Mask.size(); ++i) {
    Rgb[i * 3] = KeyR;
    Rgb[i * 3 + 1] = KeyG;
    Rgb[i * 3 + 2] = KeyB;
  }
}

void TPixelPicture::Set(int X, int Y, std::uint8_t R, std::uint8_t G, std::uint8_t B) {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) return;
  auto i = static_cast<std::size_t>(Y * Width + X);
  // Never let an opaque pixel take the key colour itself.
  if (R == KeyR && G == KeyG && B == KeyB) G = 1;
  Rgb[i * 3] = R;
  Rgb[i * 3 + 1] = G;
  Rgb[i * 3 + 2] = B;
  Mask[i] = 1;
}

void TPixelPicture::Clear(int X, int Y) {
  if (X < 0 || Y < 0 || X >= Width || Y >= Height) return;
  auto i = static_cast<std::size_t>(Y * Width + X);
  Rgb[i * 3] = KeyR;
  Rgb[i * 3 + 1] = KeyG;
  Rgb[i * 3 + 2] = KeyB;
  Mask[i] = 0;
}

TPixelPicture TPixelPicture::Cut(int X, int Y, int W, int H) const {
  TPixelPicture out(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      int sx = X + x, sy = Y + y;
      if (sx < 0 || sy < 0 || sx >= Width || sy >= Height || !Opaque(sx, sy)) continue;
      const std::uint8_t* p = At(sx, sy);
      out.Set(x, y, p[0], p[1], p[2]);
    }
  return out;
}

void TPixelPicture::Blit(const TPixelPicture& Source, int X, int Y) {
  for (int y = 0; y < Source.Height; ++y)
    for (int x = 0; x < Source.Width; ++x)
      if (Source.Opaque(x, y)) {
        const std::uint8_t* p = Source.At(x, y);
        Set(X + x, Y + y, p[0], p[1], p[2]);
      }
}

TPainter::TPainter(int W, int H)
    : FWidth(W),
      FHeight(H),
      FColor(static_cast<std::size_t>(W * H * Sub * Sub * 3)),
      FCover(static_cast<std::size_t>(W * H * Sub * Sub)) {}

void TPainter::Fill(const TShapeTest& Inside, const TColorFunc& Color, double L, double T, double R, double B) {
  const int sw = FWidth * Sub, sh = FHeight * Sub;
  int x0 = std::max(0, static_cast<int>(std::floor(L * Sub)) - 1);
  int y0 = std::max(0, static_cast<int>(std::floor(T * Sub)) - 1);
  int x1 = std::min(sw, static_cast<int>(std::ceil(R * Sub)) + 1);
  int y1 = std::min(sh, static_cast<int>(std::ceil(B * Sub)) + 1);
  for (int sy = y0; sy < y1; ++sy)
    for (int sx = x0; sx < x1; ++sx) {
      double x = (sx + 0.5) / Sub, y = (sy + 0.5) / Sub;
      if (!Inside(x, y)) continue;
      TRgb c = Clamp(Color(x, y));
      auto i = static_cast<std::size_t>(sy * sw + sx);
      FColor[i * 3] = static_cast<float>(c.R);
      FColor[i * 3 + 1] = static_cast<float>(c.G);
      FColor[i * 3 + 2] = static_cast<float>(c.B);
      FCover[i] = 1;
    }
}

bool InPolygon(const std::vector<std::pair<double, double>>& P, double X, double Y) {
  bool in = false;
  for (std::size_t i = 0, j = P.size() - 1; i < P.size(); j = i++) {
    double xi = P[i].first, yi = P[i].second, xj = P[j].first, yj = P[j].second;
    if (((yi > Y) != (yj > Y)) && (X < (xj - xi) * (Y - yi) / (yj - yi) + xi)) in = !in;
  }
  return in;
}

double SegmentDistance(double PX, double PY, double X1, double Y1, double X2, double Y2) {
  double dx = X2 - X1, dy = Y2 - Y1;
  double len = dx * dx + dy * dy;
  double t = len > 0 ? ((PX - X1) * dx + (PY - Y1) * dy) / len : 0;
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  double ex = X1 + t * dx - PX, ey = Y1 + t * dy - PY;
  return std::sqrt(ex * ex + ey * ey);
}

namespace {
void Bounds(const std::vector<std::pair<double, double>>& P, double& L, double& T, double& R, double& B) {
  L = T = 1e9;
  R = B = -1e9;
  for (auto& p : P) {
    L = std::min(L, p.first);
    R = std::max(R, p.first);
    T = std::min(T, p.second);
    B = std::max(B, p.second);
  }
}
}  // namespace

void TPainter::Polygon(const std::vector<std::pair<double, double>>& Points, const TColorFunc& Color) {
  double l, t, r, b;
  Bounds(Points, l, t, r, b);
  Fill([&](double x, double y) { return InPolygon(Points, x, y); }, Color, l, t, r, b);
}

void TPainter::Ellipse(double CX, double CY, double RX, double RY, const TColorFunc& Color) {
  Fill(
      [=](double x, double y) {
        double dx = (x - CX) / RX, dy = (y - CY) / RY;
        return dx * dx + dy * dy <= 1;
      },
      Color, CX - RX, CY - RY, CX + RX, CY + RY);
}

void TPainter::Capsule(double X1, double Y1, double X2, double Y2, double Radius, const TColorFunc& Color) {
  Fill([=](double x, double y) { return SegmentDistance(x, y, X1, Y1, X2, Y2) <= Radius; }, Color,
       std::min(X1, X2) - Radius, std::min(Y1, Y2) - Radius, std::max(X1, X2) + Radius, std::max(Y1, Y2) + Radius);
}

TPixelPicture TPainter::Resolve() const {
  TPixelPicture out(FWidth, FHeight);
  const int sw = FWidth * Sub;
  for (int y = 0; y < FHeight; ++y)
    for (int x = 0; x < FWidth; ++x) {
      int n = 0;
      double r = 0, g = 0, b = 0;
      for (int sy = 0; sy < Sub; ++sy)
        for (int sx = 0; sx < Sub; ++sx) {
          auto i = static_cast<std::size_t>((y * Sub + sy) * sw + x * Sub + sx);
          if (!FCover[i]) continue;
          ++n;
          r += FColor[i * 3];
          g += FColor[i * 3 + 1];
          b += FColor[i * 3 + 2];
        }
      if (n * 2 < Sub * Sub) continue;
      auto q = [n](double v) { return static_cast<std::uint8_t>(std::lround(v / n * 255.0)); };
      out.Set(x, y, q(r), q(g), q(b));
    }
  return out;
}

TColorFunc Rounded(TRgb C, double CX, double CY, double R) {
  return [=](double x, double y) {
    double dx = (x - CX) / R, dy = (y - CY) / R;
    double light = 1.15 - 0.35 * (dx + dy) * 0.5 - 0.25 * (dx * dx + dy * dy);
    double l = 0.62 + 0.38 * (light > 1.2 ? 1.2 : light);
    return Scale(C, l);
  };
}

TColorFunc Vertical(TRgb Top, TRgb Bottom, double Y0, double Y1) {
  return [=](double, double y) {
    double t = (y - Y0) / (Y1 - Y0);
    t = t < 0 ? 0 : (t > 1 ? 1 : t);
    return Mix(Top, Bottom, t);
  };
}
