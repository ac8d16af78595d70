// Terrain pictures. Ground textures are periodic over the map's cell lattice
// (one column step and one row step), so neighbouring cells of one kind join
// without seams; every cell shows a skirt of earth below its diamond, which
// the cells in front cover and which shows where a cell stands higher than
// its neighbours or at the map's near edges.
#include <cmath>

#include "assets/generator/Pictures.h"
#include "platform/rtl/Cp1250.h"

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
  // Only a touch, so that neighbouring cells of one kind show no seam.
  return 1.01 - 0.012 * dx - 0.012 * dy;
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
  // Short crests: thin bands of a fine noise, stretched across the view.
  // Rows of short crests, one every 8 pixels down, bent and broken up by
  // noise that repeats with the cells.
  double along = Y / 8.0 + 0.9 * TorusNoise(X, Y, 4, 33);
  double crest = Sine(2 * Pi * along);
  bool broken = TorusNoise(X, Y, 8, 34) < 0.45;
  TRgb base = Mix(Rgb(30, 76, 154), Rgb(56, 116, 194), n);
  if (crest > 0.9 && !broken)
    base = Mix(base, Rgb(186, 220, 246), 0.6);
  else if (crest < -0.85)
    base = Mix(base, Rgb(24, 60, 126), 0.35);
  return base;
}

// The kinds of raised ground: rock, highland meadow, sand dunes, snow.
TRgb RaisedTop(int Kind, int X, int Y) {
  double n = TorusFractal(X, Y, 40 + static_cast<std::uint32_t>(Kind));
  double fine =
      (Hash3(((X % 32) + 32) % 32, ((Y % 16) + 16) % 16, 60u + static_cast<std::uint32_t>(Kind)) >> 24) / 255.0;
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
      double ripple = Sine((X / 32.0 + Y / 16.0) * 2 * Pi * 2 + n * 5.0);
      TRgb c = Mix(Rgb(204, 172, 108), Rgb(230, 204, 142), n);
      c = Mix(c, ripple > 0 ? Rgb(242, 222, 166) : Rgb(184, 150, 92), 0.22 * std::fabs(ripple));
      if (fine > 0.93) c = Mix(c, Rgb(150, 120, 70), 0.4);
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
  double grain =
      ((Hash3(((X % 32) + 32) % 32, Depth, 91u + static_cast<std::uint32_t>(Kind + 1)) >> 24) / 255.0 - 0.5) * 0.16;
  double light = Right ? 0.62 : 0.84;
  light *= 1.0 - 0.012 * Depth;
  return Scale(base, light + strata + grain);
}

// A cell picture: the top diamond lifted by Lift pixels, faces of Skirt
// pixels below its lower edges, and Top giving the diamond's colours.
template <typename F>
TPixelPicture Cell(int Lift, int Skirt, int FaceKind, F Top, TRgb Lip, double LipStrength = 0.14) {
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
        if (rim < 1.0) c = Mix(c, Lip, LipStrength);
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

// A broad-leaved tree: a trunk and a round crown of three clumps.
void LeafTree(TPainter& P, double X, double Y, double Size, std::uint32_t Seed) {
  P.Polygon({{X - 1.1 * Size, Y}, {X + 1.1 * Size, Y}, {X + 0.7 * Size, Y - 8 * Size}, {X - 0.7 * Size, Y - 8 * Size}},
            Vertical(Rgb(116, 80, 46), Rgb(74, 48, 26), Y - 8 * Size, Y));
  const double clumps[4][3] = {{-3.2, -10.5, 4.4}, {3.0, -11.0, 4.6}, {0.0, -14.5, 5.0}, {0.5, -9.0, 3.8}};
  for (int c = 0; c < 4; ++c) {
    double cx = X + clumps[c][0] * Size, cy = Y + clumps[c][1] * Size, r = clumps[c][2] * Size;
    P.Ellipse(cx, cy, r, r * 0.92, [=](double x, double y) {
      double dx = (x - cx) / r, dy = (y - cy) / r;
      double light = 0.95 - 0.3 * (dx + dy) * 0.5 - 0.2 * (dx * dx + dy * dy);
      double n = ValueNoise(x * 3, y * 3, 1.6, Seed + static_cast<std::uint32_t>(c));
      TRgb leaf = Mix(Rgb(46, 112, 40), Rgb(96, 160, 56), n);
      return Scale(leaf, light + 0.15);
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
    LeafTree(painter, 23.5, 29, 0.82, 4);
    Tree(painter, 15.5, 35, 1.0, 5);
    ground.Blit(painter.Resolve(), 0, 0);
    out.push_back({"tree", ground});
  }
  out.push_back({"water", Cell(0, 12, 3, Water, Rgb(150, 190, 220), 0.0)});
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
