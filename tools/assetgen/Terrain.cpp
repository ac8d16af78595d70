// Terrain pictures. Ground textures are periodic over the map's cell lattice
// (one column step and one row step), so neighbouring cells of one kind join
// without seams; every cell shows a skirt of earth below its diamond, which
// the cells in front cover and which shows where a cell stands higher than
// its neighbours or at the map's near edges.
#include <cmath>

#include "platform/rtl/Cp1250.h"
#include "tools/assetgen/Pictures.h"

bool InGroundDiamond(int X, int Y) {
  double dx = std::fabs(X + 0.5 - DiamondCX) / 16.0, dy = std::fabs(Y + 0.5 - DiamondCY) / 8.0;
  return dx + dy < 1.0;
}

namespace {

// Value noise on the torus of the cell lattice: N lattice points per cell step.
double TorusNoise(double X, double Y, int N, std::uint32_t Seed) {
  double u = (X / 32.0 + Y / 16.0) * N, v = (-X / 32.0 + Y / 16.0) * N;
  double iu = std::floor(u), iv = std::floor(v);
  double tu = u - iu, tv = v - iv;
  tu = tu * tu * (3 - 2 * tu);
  tv = tv * tv * (3 - 2 * tv);
  auto wrap = [N](double a) { return static_cast<std::int32_t>(((static_cast<long long>(a) % N) + N) % N); };
  auto at = [&](double a, double b) { return (Hash3(wrap(a), wrap(b), Seed) >> 8) / 16777216.0; };
  double a = at(iu, iv), b = at(iu + 1, iv), c = at(iu, iv + 1), d = at(iu + 1, iv + 1);
  double top = a + (b - a) * tu, bottom = c + (d - c) * tu;
  return top + (bottom - top) * tv;
}

double TorusFractal(double X, double Y, std::uint32_t Seed) {
  return 0.5 * TorusNoise(X, Y, 2, Seed) + 0.3 * TorusNoise(X, Y, 4, Seed + 1) + 0.2 * TorusNoise(X, Y, 8, Seed + 2);
}

void Put(TPixelPicture& P, int X, int Y, TRgb C) {
  C = Clamp(C);
  P.Set(X, Y, static_cast<std::uint8_t>(std::lround(C.R * 255)), static_cast<std::uint8_t>(std::lround(C.G * 255)),
        static_cast<std::uint8_t>(std::lround(C.B * 255)));
}

// Light falls from the upper left: a small slope across the diamond.
double DiamondLight(int X, int Y, double CY) {
  double dx = (X + 0.5 - DiamondCX) / 16.0, dy = (Y + 0.5 - CY) / 8.0;
  return 1.04 - 0.05 * dx - 0.05 * dy;
}

TRgb Grass(int X, int Y) {
  double n = TorusFractal(X, Y, 11);
  double fine = (Hash3(((X % 32) + 32) % 32, ((Y % 16) + 16) % 16, 5) >> 24) / 255.0;
  TRgb base = Mix(Rgb(62, 122, 44), Rgb(104, 160, 58), n);
  if (fine > 0.86) base = Mix(base, Rgb(150, 190, 80), 0.45);
  if (fine < 0.08) base = Mix(base, Rgb(40, 88, 30), 0.5);
  return base;
}

TRgb Water(int X, int Y) {
  double n = TorusFractal(X, Y, 31);
  double wave = Sine((X * 0.5 + Y * 1.0) * 2 * Pi / 16.0 + n * 4.0);
  TRgb base = Mix(Rgb(28, 72, 150), Rgb(52, 112, 190), n);
  if (wave > 0.86) base = Mix(base, Rgb(170, 210, 240), 0.6);
  else if (wave < -0.9) base = Mix(base, Rgb(20, 50, 110), 0.4);
  return base;
}

// The kinds of raised ground: rock, highland meadow, sand dunes, snow.
TRgb RaisedTop(int Kind, int X, int Y) {
  double n = TorusFractal(X, Y, 40 + static_cast<std::uint32_t>(Kind));
  double fine = (Hash3(((X % 32) + 32) % 32, ((Y % 16) + 16) % 16, 60u + static_cast<std::uint32_t>(Kind)) >> 24) / 255.0;
  switch (Kind) {
    case 0: {  // rock
      TRgb c = Mix(Rgb(118, 112, 104), Rgb(160, 154, 144), n);
      if (fine > 0.85) c = Mix(c, Rgb(70, 66, 62), 0.55);
      if (fine < 0.1) c = Mix(c, Rgb(196, 190, 180), 0.4);
      return c;
    }
    case 1: {  // highland meadow with heather
      TRgb c = Mix(Rgb(92, 136, 56), Rgb(130, 168, 70), n);
      if (fine > 0.88) c = Mix(c, Rgb(150, 84, 140), 0.6);
      if (fine < 0.08) c = Mix(c, Rgb(200, 196, 90), 0.5);
      return c;
    }
    case 2: {  // sand dunes
      double ripple = Sine((X * 0.9 - Y * 1.6) * 2 * Pi / 16.0 + n * 3.0);
      TRgb c = Mix(Rgb(206, 176, 110), Rgb(232, 208, 146), n);
      if (ripple > 0.75) c = Mix(c, Rgb(248, 230, 176), 0.5);
      if (ripple < -0.8) c = Mix(c, Rgb(176, 142, 84), 0.4);
      return c;
    }
    default: {  // snow
      TRgb c = Mix(Rgb(206, 216, 230), Rgb(244, 248, 252), n);
      if (fine > 0.9) c = Mix(c, Rgb(160, 180, 210), 0.5);
      return c;
    }
  }
}

TRgb FaceColor(int Kind, int X, int Depth, bool Right) {
  // Kind −1 is earth below plain ground and water.
  TRgb base;
  switch (Kind) {
    case 0: base = Rgb(104, 98, 92); break;
    case 1: base = Rgb(112, 86, 58); break;
    case 2: base = Rgb(184, 150, 92); break;
    case 3: base = Rgb(130, 136, 150); break;
    default: base = Rgb(110, 80, 50); break;
  }
  double strata = 0.08 * Sine(Depth * 2 * Pi / 5.0 + X * 0.35);
  double grain = ((Hash3(((X % 32) + 32) % 32, Depth, 91u + static_cast<std::uint32_t>(Kind + 1)) >> 24) / 255.0 - 0.5) * 0.16;
  double light = Right ? 0.62 : 0.84;
  light *= 1.0 - 0.012 * Depth;
  return Scale(base, light + strata + grain);
}

// A cell picture: the top diamond lifted by Lift pixels, faces of Skirt
// pixels below its lower edges, and Top giving the diamond's colours.
template <typename F>
TPixelPicture Cell(int Lift, int Skirt, int FaceKind, F Top, TRgb Lip) {
  TPixelPicture p(CellWidth, CellHeight);
  const double cy = DiamondCY - Lift;
  for (int y = 0; y < CellHeight; ++y)
    for (int x = 0; x < 32; ++x) {
      double fx = x + 0.5;
      // The lower edges of the top diamond at this column.
      double edge = cy + 8.0 - std::fabs(fx - DiamondCX) / 2.0;
      double fy = y + 0.5;
      bool inTop = std::fabs(fx - DiamondCX) / 16.0 + std::fabs(fy - cy) / 8.0 < 1.0;
      if (inTop) {
        TRgb c = Scale(Top(x, y + Lift), DiamondLight(x, y, cy));
        // A soft rim along the two near edges gives the cell its depth.
        double rim = edge - fy;
        if (rim < 1.0) c = Mix(c, Lip, 0.35);
        Put(p, x, y, c);
      } else if (fy > edge && fy < edge + Skirt) {
        int depth = static_cast<int>(fy - edge);
        Put(p, x, y, FaceColor(FaceKind, x, depth, fx > DiamondCX));
      }
    }
  return p;
}

void Tree(TPainter& P, double X, double Y, double Size, std::uint32_t Seed) {
  // Trunk, then three tiers of a fir, darker below, lit from the upper left.
  P.Polygon({{X - 1.1 * Size, Y}, {X + 1.1 * Size, Y}, {X + 0.8 * Size, Y - 4 * Size}, {X - 0.8 * Size, Y - 4 * Size}},
            Vertical(Rgb(110, 74, 40), Rgb(70, 44, 24), Y - 4 * Size, Y));
  const double tiers[3][3] = {{7.5, 3.0, 0.0}, {6.0, 8.0, 0.15}, {4.2, 12.5, 0.3}};
  for (int t = 0; t < 3; ++t) {
    double halfWidth = tiers[t][0] * Size, base = Y - tiers[t][1] * Size, height = 9.0 * Size;
    double top = base - height;
    std::vector<std::pair<double, double>> poly{{X - halfWidth, base}, {X + halfWidth, base}, {X, top}};
    P.Polygon(poly, [=](double x, double y) {
      double across = (x - X) / halfWidth, down = (y - top) / height;
      double n = ValueNoise(x * 3, y * 3, 2.0, Seed + static_cast<std::uint32_t>(t));
      TRgb c = Mix(Rgb(34, 100, 44), Rgb(20, 64, 34), down * 0.6 + 0.2 * across + 0.2);
      if (n > 0.72) c = Mix(c, Rgb(70, 140, 60), 0.5);
      if (across < -0.3 && down > 0.3) c = Mix(c, Rgb(80, 150, 70), 0.35);
      return c;
    });
  }
}

}  // namespace

std::vector<TNamedPicture> TerrainPictures() {
  std::vector<TNamedPicture> out;
  TRgb earthLip = Rgb(40, 70, 30);
  out.push_back({"tile", Cell(0, 12, -1, Grass, earthLip)});

  // Trees: a grass cell with three firs standing on it.
  {
    TPixelPicture ground = Cell(0, 12, -1, Grass, earthLip);
    TPainter painter(CellWidth, CellHeight);
    Tree(painter, 9.5, 28, 0.8, 3);
    Tree(painter, 24, 29.5, 0.85, 4);
    Tree(painter, 16, 35, 1.0, 5);
    ground.Blit(painter.Resolve(), 0, 0);
    out.push_back({"tree", ground});
  }
  out.push_back({"water", Cell(0, 12, 3, Water, Rgb(150, 190, 220))});
  const TRgb lips[4] = {Rgb(70, 66, 60), Rgb(60, 96, 40), Rgb(170, 140, 86), Rgb(170, 186, 210)};
  for (int k = 0; k < 4; ++k) {
    auto top = [k](int x, int y) { return RaisedTop(k, x, y); };
    out.push_back({"up" + std::to_string(k + 1), Cell(8, 20, k, top, lips[k])});
  }
  return out;
}

// The editor's ground-level sides: the lowest part of a raised cell's faces,
// drawn where the cell stands on the ground below its lifted top.
std::vector<TPixelPicture> GroundSides() {
  std::vector<TPixelPicture> out;
  for (int k = 0; k < 4; ++k) {
    TPixelPicture p(CellWidth, CellHeight);
    for (int y = 0; y < CellHeight; ++y)
      for (int x = 0; x < 32; ++x) {
        double fx = x + 0.5, fy = y + 0.5;
        double edge = DiamondCY + 8.0 - std::fabs(fx - DiamondCX) / 2.0;
        if (fy > edge - 6 && fy < edge) {
          int depth = static_cast<int>(fy - (edge - 8)) + 12;
          Put(p, x, y, FaceColor(k, x, depth, fx > DiamondCX));
        }
      }
    out.push_back(p);
  }
  return out;
}
