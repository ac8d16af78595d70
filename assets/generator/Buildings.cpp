// The building pictures, drawn in the map's projection on their 3 × 3 cell
// footprint: a castle with curtain walls, corner towers and a keep, and a
// round watch tower on a paved base. Walls are built of shaded stone courses
// and lit from the upper left like the terrain.
#include <algorithm>
#include <cmath>

#include "assets/generator/Pictures.h"
#include "platform/rtl/Cp1250.h"

void AddOutline(TPixelPicture& P, TRgb Color);

namespace {

using TPoints = std::vector<std::pair<double, double>>;

// Ground point (gx, gy) in cells from the footprint centre, at height z.
std::pair<double, double> Iso(double GX, double GY, double Z) {
  return {FootprintCX + 16 * (GX - GY), FootprintCY + 8 * (GX + GY) - Z};
}

// Stone courses on a wall face: H is the height above the face's foot line.
TRgb Stone(TRgb Base, double Along, double H, std::uint32_t Seed) {
  int row = static_cast<int>(std::floor(H / 3.0));
  double shifted = Along + (row % 2 ? 2.5 : 0);
  int col = static_cast<int>(std::floor(shifted / 5.0));
  double inRow = H - row * 3.0, inCol = shifted - col * 5.0;
  double v = (Hash3(col, row, Seed) >> 24) / 255.0;
  TRgb c = Scale(Base, 0.9 + 0.2 * v);
  if (inRow < 0.6 || inCol < 0.6) c = Scale(Base, 0.66);
  return c;
}

struct TBoxColors {
  TRgb Wall;
  TRgb Top;
  std::uint32_t Seed;
};

void Box(TPainter& P, double GX0, double GY0, double GX1, double GY1, double Z0, double Z1, const TBoxColors& C) {
  auto a = Iso(GX0, GY1, Z0), b = Iso(GX1, GY1, Z0), c = Iso(GX1, GY0, Z0);
  // Left-front face (facing down-left): foot line from a to b.
  P.Polygon({a, b, Iso(GX1, GY1, Z1), Iso(GX0, GY1, Z1)}, [=](double x, double y) {
    double foot = a.second + (x - a.first) * 0.5;
    return Scale(Stone(C.Wall, x, foot - y, C.Seed), 0.95);
  });
  // Right-front face: foot line from b to c.
  P.Polygon({b, c, Iso(GX1, GY0, Z1), Iso(GX1, GY1, Z1)}, [=](double x, double y) {
    double foot = b.second - (x - b.first) * 0.5;
    return Scale(Stone(C.Wall, x, foot - y, C.Seed + 1), 0.7);
  });
  P.Polygon({Iso(GX0, GY0, Z1), Iso(GX1, GY0, Z1), Iso(GX1, GY1, Z1), Iso(GX0, GY1, Z1)}, [=](double x, double y) {
    double n = ValueNoise(x, y, 3, C.Seed + 7);
    return Scale(C.Top, 0.92 + 0.16 * n);
  });
}

// Merlons along the top of a wall from (GX0, GY0) to (GX1, GY1).
void Merlons(TPainter& P, double GX0, double GY0, double GX1, double GY1, double Z, double Thick, const TBoxColors& C,
             int Count) {
  for (int i = 0; i < Count; ++i) {
    double t0 = (i + 0.15) / Count, t1 = (i + 0.6) / Count;
    double ax = GX0 + (GX1 - GX0) * t0, ay = GY0 + (GY1 - GY0) * t0;
    double bx = GX0 + (GX1 - GX0) * t1, by = GY0 + (GY1 - GY0) * t1;
    double x0 = std::min(ax, bx), x1 = std::max(ax, bx), y0 = std::min(ay, by), y1 = std::max(ay, by);
    if (x1 - x0 < Thick) {
      x0 -= Thick / 2;
      x1 += Thick / 2;
    }
    if (y1 - y0 < Thick) {
      y0 -= Thick / 2;
      y1 += Thick / 2;
    }
    Box(P, x0, y0, x1, y1, Z, Z + 3.5, C);
  }
}

// A round tower: body from Z0 to Z1 with stone courses, crenellated top,
// and a cone roof of height Roof (none when 0).
void Tower(TPainter& P, double GX, double GY, double Radius, double Z0, double Z1, TRgb Wall, TRgb RoofColor,
           double Roof, std::uint32_t Seed) {
  auto base = Iso(GX, GY, Z0);
  auto top = Iso(GX, GY, Z1);
  const double rx = 16 * 1.41421356 * Radius, ry = 8 * 1.41421356 * Radius;
  auto body = [=](double x, double y) {
    double dx = (x - base.first) / rx;
    if (dx <= -1 || dx >= 1) return false;
    double arc = std::sqrt(1 - dx * dx) * ry;
    return y <= base.second + arc && y >= top.second - arc;
  };
  P.Fill(
      body,
      [=](double x, double y) {
        double dx = (x - base.first) / rx;
        double light = 1.02 - 0.34 * (dx + 0.35) * (dx + 0.35);
        double arc = std::sqrt(std::max(0.0, 1 - dx * dx)) * ry;
        double h = base.second + arc - y;
        // Courses follow the curve; joints spread with the angle.
        double along = (dx + dx * dx * dx * 0.3) * rx * 1.2;
        return Scale(Stone(Wall, along, h, Seed), light);
      },
      base.first - rx, top.second - ry, base.first + rx, base.second + ry);
  // Windows: dark slits on the lit side.
  for (double z = Z0 + 12; z < Z1 - 6; z += 13) {
    auto w = Iso(GX, GY, z);
    double wx = w.first - rx * 0.25, wy = w.second + ry * 0.95;
    P.Polygon({{wx - 0.9, wy - 3}, {wx + 0.9, wy - 3}, {wx + 0.9, wy + 1.5}, {wx - 0.9, wy + 1.5}},
              Solid(Rgb(30, 24, 24)));
  }
  // The wall-walk ring and merlons.
  const double rr = 1.12;
  P.Ellipse(top.first, top.second, rx * rr, ry * rr,
            [=](double x, double y) { return Scale(Wall, 0.9 + 0.1 * ValueNoise(x, y, 2, Seed)); });
  P.Fill(
      [=](double x, double y) {
        double dx = (x - top.first) / (rx * rr), dy = (y - top.second) / (ry * rr);
        return dx * dx + dy * dy <= 1 && y > top.second;
      },
      [=](double x, double) { return Scale(Wall, 0.75 - 0.15 * (x - top.first) / rx); }, top.first - rx * rr,
      top.second, top.first + rx * rr, top.second + ry * rr + 1);
  for (int i = 0; i < 7; ++i) {
    double ang = Pi * (i + 0.5) / 7;
    double mx = top.first - Cosine(ang) * rx * rr * 0.92, my = top.second + Sine(ang) * ry * rr * 0.92;
    double light = 0.95 - 0.25 * (mx - top.first) / rx;
    P.Polygon({{mx - 1.3, my - 3.4}, {mx + 1.3, my - 3.4}, {mx + 1.3, my + 0.8}, {mx - 1.3, my + 0.8}},
              Solid(Scale(Wall, light)));
  }
  if (Roof > 0) {
    double apexY = top.second - Roof;
    P.Fill(
        [=](double x, double y) {
          double dx = (x - top.first) / (rx * 1.05);
          if (dx <= -1 || dx >= 1) return false;
          double edgeY = top.second + std::sqrt(1 - dx * dx) * ry * 0.9;
          double side = apexY + (top.second - apexY) * std::fabs(dx);
          return y >= side && y <= edgeY;
        },
        [=](double x, double y) {
          double dx = (x - top.first) / rx;
          double light = 1.05 - 0.45 * (dx + 0.3) * (dx + 0.3);
          int shingle = static_cast<int>(std::floor((y - apexY) / 2.5));
          TRgb c = Scale(RoofColor, light);
          if (shingle % 2) c = Scale(c, 0.88);
          return c;
        },
        top.first - rx * 1.1, apexY, top.first + rx * 1.1, top.second + ry);
  }
}

void Banner(TPainter& P, double X, double Y, TRgb Color) {
  P.Capsule(X, Y, X, Y - 12, 0.45, Solid(Rgb(80, 60, 40)));
  P.Polygon({{X + 0.4, Y - 12}, {X + 7, Y - 10.5}, {X + 0.4, Y - 8.5}}, Solid(Color));
}

TPixelPicture Castle() {
  TPainter p(BuildingWidth, BuildingHeight);
  TBoxColors wall{Rgb(168, 160, 146), Rgb(150, 142, 130), 21};
  TRgb roof = Rgb(176, 52, 40);
  const double e = 1.18, t = 0.2, wh = 20;
  // Paved yard.
  p.Polygon(
      {Iso(-1.45, -1.45, 0), Iso(1.45, -1.45, 0), Iso(1.45, 1.45, 0), Iso(-1.45, 1.45, 0)}, [](double x, double y) {
        double v =
            (Hash3(static_cast<int>(std::floor((x + 2 * y) / 5)), static_cast<int>(std::floor((2 * y - x) / 5)), 77) >>
             24) /
            255.0;
        return Scale(Rgb(128, 120, 108), 0.85 + 0.25 * v);
      });
  Tower(p, -e, -e, 0.34, 0, 32, wall.Wall, roof, 15, 31);
  Box(p, -e, -e, e, -e + t, 0, wh, wall);  // back-right wall
  Merlons(p, -e, -e, e, -e, wh, t, wall, 6);
  Box(p, -e, -e, -e + t, e, 0, wh, wall);  // back-left wall
  Merlons(p, -e, -e, -e, e, wh, t, wall, 6);
  // Keep.
  TBoxColors keep{Rgb(184, 176, 160), Rgb(160, 152, 138), 41};
  Box(p, -0.55, -0.55, 0.55, 0.55, 0, 44, keep);
  Merlons(p, -0.55, 0.55, 0.55, 0.55, 44, 0.16, keep, 4);
  Merlons(p, 0.55, -0.55, 0.55, 0.55, 44, 0.16, keep, 4);
  {
    // Keep windows on both faces and a pitched roof.
    for (double z : {18.0, 32.0}) {
      auto a = Iso(-0.15, 0.55, z), b = Iso(0.55, -0.15, z);
      p.Polygon({{a.first - 1, a.second - 3},
                 {a.first + 1, a.second - 2},
                 {a.first + 1, a.second + 2},
                 {a.first - 1, a.second + 1}},
                Solid(Rgb(30, 24, 24)));
      p.Polygon({{b.first - 1, b.second - 2},
                 {b.first + 1, b.second - 3},
                 {b.first + 1, b.second + 1},
                 {b.first - 1, b.second + 2}},
                Solid(Rgb(30, 24, 24)));
    }
    auto apex = Iso(0, 0, 62);
    auto l = Iso(-0.45, 0.45, 46), b = Iso(0.45, 0.45, 46), r = Iso(0.45, -0.45, 46);
    p.Polygon({l, b, apex},
              [](double, double y) { return Scale(Rgb(176, 52, 40), 0.95 + 0.1 * (std::fmod(y, 3) < 1.5)); });
    p.Polygon({b, r, apex},
              [](double, double y) { return Scale(Rgb(176, 52, 40), 0.7 + 0.08 * (std::fmod(y, 3) < 1.5)); });
    Banner(p, apex.first, apex.second, Rgb(240, 200, 40));
  }
  Tower(p, -e, e, 0.34, 0, 32, wall.Wall, roof, 15, 32);
  Tower(p, e, -e, 0.34, 0, 32, wall.Wall, roof, 15, 33);
  Box(p, -e, e - t, e, e, 0, wh, wall);  // front-left wall with the gate
  Merlons(p, -e, e, e, e, wh, t, wall, 6);
  Box(p, e - t, -e, e, e, 0, wh, wall);  // front-right wall
  Merlons(p, e, -e, e, e, wh, t, wall, 6);
  {
    // Gate: an arched wooden door with iron bands in the front-left wall.
    auto g0 = Iso(-0.3, e, 0), g1 = Iso(0.3, e, 0);
    TPoints door{g0,
                 g1,
                 {g1.first, g1.second - 10},
                 {(g0.first + g1.first) / 2, (g0.second + g1.second) / 2 - 14},
                 {g0.first, g0.second - 10}};
    p.Polygon(door, [](double x, double y) {
      TRgb c = Rgb(110, 70, 36);
      if (std::fmod(x, 3.0) < 0.7) c = Scale(c, 0.7);
      if (std::fmod(y, 5.0) < 0.8) c = Rgb(60, 60, 66);
      return c;
    });
  }
  Tower(p, e, e, 0.34, 0, 32, wall.Wall, roof, 15, 34);
  auto t1 = Iso(-e, -e, 32 + 15), t2 = Iso(e, e, 32 + 15);
  Banner(p, t1.first, t1.second + 1, Rgb(40, 70, 168));
  Banner(p, t2.first, t2.second + 1, Rgb(40, 70, 168));
  TPixelPicture pic = p.Resolve();
  AddOutline(pic, Rgb(36, 30, 28));
  return pic;
}

TPixelPicture WatchTower() {
  TPainter p(BuildingWidth, BuildingHeight);
  TBoxColors base{Rgb(150, 140, 126), Rgb(136, 128, 116), 51};
  // Low stone platform with a paved top and a palisade at the back.
  Box(p, -1.45, -1.45, 1.45, 1.45, 0, 5, base);
  for (int i = 0; i < 9; ++i) {
    double gx = -1.2 + i * 0.3;
    auto s = Iso(gx, -1.22, 5);
    p.Polygon({{s.first - 1.4, s.second},
               {s.first + 1.4, s.second},
               {s.first + 1.4, s.second - 9},
               {s.first, s.second - 11},
               {s.first - 1.4, s.second - 9}},
              Rounded(Rgb(140, 96, 56), s.first - 0.5, s.second - 6, 3));
    auto u = Iso(-1.22, gx, 5);
    p.Polygon({{u.first - 1.4, u.second},
               {u.first + 1.4, u.second},
               {u.first + 1.4, u.second - 9},
               {u.first, u.second - 11},
               {u.first - 1.4, u.second - 9}},
              Rounded(Rgb(140, 96, 56), u.first - 0.5, u.second - 6, 3));
  }
  Tower(p, 0, 0, 0.72, 5, 62, Rgb(182, 172, 154), Rgb(44, 80, 170), 24, 52);
  // Door at the foot, facing the viewer.
  auto d = Iso(0.2, 0.72, 5);
  p.Polygon({{d.first - 3, d.second + 2},
             {d.first + 3, d.second + 2},
             {d.first + 3, d.second - 7},
             {d.first, d.second - 10},
             {d.first - 3, d.second - 7}},
            [](double x, double) {
              TRgb c = Rgb(110, 70, 36);
              if (std::fmod(x, 2.0) < 0.5) c = Scale(c, 0.7);
              return c;
            });
  // A barrel and a cart wheel by the platform's front.
  auto bpos = Iso(0.9, -0.7, 5);
  p.Ellipse(bpos.first, bpos.second - 3, 2.6, 3.4, Rounded(Rgb(150, 100, 50), bpos.first - 1, bpos.second - 4, 3));
  p.Polygon({{bpos.first - 2.6, bpos.second - 4.5},
             {bpos.first + 2.6, bpos.second - 4.5},
             {bpos.first + 2.6, bpos.second - 3.7},
             {bpos.first - 2.6, bpos.second - 3.7}},
            Solid(Rgb(70, 70, 76)));
  auto apex = Iso(0, 0, 62 + 24 + 2);
  Banner(p, apex.first, apex.second + 2, Rgb(240, 200, 40));
  TPixelPicture pic = p.Resolve();
  AddOutline(pic, Rgb(36, 30, 28));
  return pic;
}

}  // namespace

std::vector<TNamedPicture> BuildingPictures() { return {{Cp("Zamek"), Castle()}, {Cp("Wieża"), WatchTower()}}; }
