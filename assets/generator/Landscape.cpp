#include "assets/generator/Landscape.h"

#include <algorithm>
#include <cmath>

#include "assets/generator/Raster.h"
#include "world/MapGeometry.h"

namespace {

// Ground classes for tidying: plain, trees, water, raised ground of any kind.
int ClassOf(std::uint8_t Kind) { return Kind >= tkRock ? 3 : Kind; }
bool IsRaised(std::uint8_t Kind) { return Kind >= tkRock; }

double Length(double A, double B) { return std::sqrt(A * A + B * B); }

// The distance of point P from the segment A-B.
double SegmentDistance(TCellPoint P, TCellPoint A, TCellPoint B) {
  const double dr = B.Row - A.Row, dc = B.Col - A.Col, len2 = dr * dr + dc * dc;
  double t = len2 > 0 ? ((P.Row - A.Row) * dr + (P.Col - A.Col) * dc) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  return Length(P.Row - (A.Row + t * dr), P.Col - (A.Col + t * dc));
}

// A smooth curve through the points (Catmull-Rom), sampled about every Step cells.
std::vector<TCellPoint> Curve(const std::vector<TCellPoint>& P, double Step) {
  std::vector<TCellPoint> out;
  const int n = static_cast<int>(P.size());
  for (int i = 0; i + 1 < n; ++i) {
    const TCellPoint& p0 = P[static_cast<std::size_t>(std::max(i - 1, 0))];
    const TCellPoint& p1 = P[static_cast<std::size_t>(i)];
    const TCellPoint& p2 = P[static_cast<std::size_t>(i + 1)];
    const TCellPoint& p3 = P[static_cast<std::size_t>(std::min(i + 2, n - 1))];
    const int steps = std::max(1, static_cast<int>(Length(p2.Row - p1.Row, p2.Col - p1.Col) / Step) + 1);
    for (int k = 0; k < steps; ++k) {
      const double t = static_cast<double>(k) / steps, t2 = t * t, t3 = t2 * t;
      auto mix = [&](double a, double b, double c, double d) {
        return 0.5 * (2 * b + (-a + c) * t + (2 * a - 5 * b + 4 * c - d) * t2 + (-a + 3 * b - 3 * c + d) * t3);
      };
      out.push_back({mix(p0.Row, p1.Row, p2.Row, p3.Row), mix(p0.Col, p1.Col, p2.Col, p3.Col)});
    }
  }
  if (n > 0) out.push_back(P.back());
  return out;
}

// A unit's walk from A to B: diagonally until one axis is done, then
// straight; the corner and the end.
std::vector<TWorldPoint> Walk(TWorldPoint A, TWorldPoint B) {
  const std::int32_t dx = B.X - A.X, dy = B.Y - A.Y;
  const std::int32_t m = std::min(std::abs(dx), std::abs(dy));
  const TWorldPoint corner{A.X + (dx < 0 ? -m : m), A.Y + (dy < 0 ? -m : m)};
  return {A, corner, B};
}

// The distance of a point (DX, DY) from a cell's middle to the cell's drawn
// ground diamond, 32 pixels wide and 16 high (0 inside it).
double DiamondDistance(double DX, double DY) {
  constexpr int hw = GroundDiamondHalfWidth, hh = GroundDiamondHalfHeight;
  const double x = std::fabs(DX), y = std::fabs(DY);
  if (x / hw + y / hh <= 1) return 0;
  return SegmentDistance({y, x}, {0, hw}, {hh, 0});
}

}  // namespace

TLandscape::TLandscape(int Rows, int Cols, std::uint32_t Seed)
    : FRows(Rows), FCols(Cols), FSeed(Seed), FCells(static_cast<std::size_t>(Rows * Cols)) {}

void TLandscape::Forest(TCellPoint P, double Radius, double Rough) {
  const std::uint32_t seed = NextSeed();
  const double reach = Radius * (1 + Rough) + 1;
  for (int r = static_cast<int>(P.Row - reach); r <= static_cast<int>(P.Row + reach) + 1; ++r)
    for (int c = static_cast<int>(P.Col - reach); c <= static_cast<int>(P.Col + reach) + 1; ++c) {
      if (!In(r, c)) continue;
      const double d = Length(r - P.Row, c - P.Col) / Radius;
      const double edge = Fractal(r, c, std::max(2.5, Radius * 0.7), 3, seed) - 0.5;
      if (d - 2.5 * edge * Rough >= 1) continue;
      // The odd glade inside.
      if (d < 0.75 && Fractal(r, c, 2.5, 2, seed + 1) > 0.74) continue;
      TCell& cell = At(r, c);
      if (cell.Kind == tkPlain && cell.Level == 0) cell.Kind = tkTree;
    }
}

void TLandscape::RaiseTo(int Row, int Col, int Level, THillStyle Style) {
  if (!In(Row, Col)) return;
  TCell& cell = At(Row, Col);
  if (cell.Kind == tkWater) return;
  if (IsRaised(cell.Kind) && cell.Level >= Level) return;
  cell.Kind = tkRock;
  cell.Level = Level;
  cell.Style = Style;
}

void TLandscape::Hill(TCellPoint P, double Radius, int Peak, THillStyle Style) { Ridge({P, P}, Radius, Peak, Style); }

void TLandscape::Ridge(const std::vector<TCellPoint>& Line, double HalfWidth, int Peak, THillStyle Style) {
  const std::uint32_t seed = NextSeed();
  double r0 = 1e9, r1 = -1e9, c0 = 1e9, c1 = -1e9;
  for (const TCellPoint& p : Line) {
    r0 = std::min(r0, p.Row);
    r1 = std::max(r1, p.Row);
    c0 = std::min(c0, p.Col);
    c1 = std::max(c1, p.Col);
  }
  const double reach = HalfWidth * 1.4 + 1;
  for (int r = static_cast<int>(r0 - reach); r <= static_cast<int>(r1 + reach) + 1; ++r)
    for (int c = static_cast<int>(c0 - reach); c <= static_cast<int>(c1 + reach) + 1; ++c) {
      if (!In(r, c)) continue;
      double d = 1e9;
      for (std::size_t k = 0; k + 1 < Line.size(); ++k)
        d = std::min(d, SegmentDistance({double(r), double(c)}, Line[k], Line[k + 1]));
      d = d / HalfWidth - 0.7 * (Fractal(r, c, 3.0, 3, seed) - 0.5);
      if (d >= 1) continue;
      const int level = std::min(Peak, 1 + static_cast<int>((1 - d) * Peak));
      RaiseTo(r, c, level, Style);
    }
}

void TLandscape::Woods(double Scale, const TCover& Cover) {
  const std::uint32_t seed = NextSeed();
  for (int r = 1; r <= FRows; ++r)
    for (int c = 1; c <= FCols; ++c) {
      const double cover = Cover(r, c);
      if (cover <= 0) continue;
      // The noise gathers about 0.5; its upper tail is the wood.
      if (Fractal(r, c, Scale, 4, seed) < 0.66 - 0.32 * cover) continue;
      TCell& cell = At(r, c);
      if (cell.Kind == tkPlain && cell.Level == 0) cell.Kind = tkTree;
    }
}

void TLandscape::Hills(double Scale, const TCover& Cover, int Peak,
                       const std::function<THillStyle(double, double)>& Style) {
  const std::uint32_t seed = NextSeed();
  for (int r = 1; r <= FRows; ++r)
    for (int c = 1; c <= FCols; ++c) {
      const double cover = Cover(r, c);
      if (cover <= 0) continue;
      // Smooth, broad noise, so that the steps follow long contours.
      const double base = 0.64 - 0.3 * cover, h = Fractal(r, c, Scale, 2, seed);
      if (h < base) continue;
      const int level = std::min(Peak, 1 + static_cast<int>((h - base) / 0.045));
      RaiseTo(r, c, level, Style(r, c));
    }
}

void TLandscape::River(const std::vector<TCellPoint>& Course, double Width0, double Width1, double Meander,
                       const std::vector<TCellPoint>& Pins) {
  const std::uint32_t seed = NextSeed();
  std::vector<TCellPoint> curve = Curve(Course, 0.2);
  if (Meander > 0) {
    // Bends to either side along the way, out of smooth noise over the
    // distance along the curve.
    std::vector<TCellPoint> bent = curve;
    double along = 0;
    for (std::size_t k = 0; k < curve.size(); ++k) {
      const std::size_t a = k == 0 ? 0 : k - 1, b = std::min(curve.size() - 1, k + 1);
      const double dr = curve[b].Row - curve[a].Row, dc = curve[b].Col - curve[a].Col, len = Length(dr, dc);
      if (k > 0) along += Length(curve[k].Row - curve[k - 1].Row, curve[k].Col - curve[k - 1].Col);
      if (len <= 0) continue;
      double pinned = 1;
      for (const TCellPoint& pin : Pins)
        pinned = std::min(pinned, Length(curve[k].Row - pin.Row, curve[k].Col - pin.Col) / 24);
      const double side = pinned * Meander * 4 * (Fractal(along, 0.5, 14.0, 3, seed + 9) - 0.5);
      bent[k] = {curve[k].Row - dc / len * side, curve[k].Col + dr / len * side};
    }
    curve = bent;
  }
  const double n = static_cast<double>(curve.size() - 1);
  for (std::size_t k = 0; k < curve.size(); ++k) {
    const TCellPoint& p = curve[k];
    const double half = (Width0 + (Width1 - Width0) * (static_cast<double>(k) / n)) / 2;
    for (int r = static_cast<int>(p.Row - half - 2); r <= static_cast<int>(p.Row + half) + 2; ++r)
      for (int c = static_cast<int>(p.Col - half - 2); c <= static_cast<int>(p.Col + half) + 2; ++c) {
        if (!In(r, c)) continue;
        const double wobble = 0.6 * (Fractal(r, c, 4.0, 2, seed) - 0.5);
        if (Length(r - p.Row, c - p.Col) > half + wobble) continue;
        TCell& cell = At(r, c);
        cell.Kind = tkWater;
        cell.Level = 0;
      }
  }
}

void TLandscape::Lake(TCellPoint P, double RadiusRows, double RadiusCols, bool SandyShore) {
  const std::uint32_t seed = NextSeed();
  const double shore = 2.2 / std::min(RadiusRows, RadiusCols);
  for (int r = static_cast<int>(P.Row - RadiusRows * 1.6) - 2; r <= static_cast<int>(P.Row + RadiusRows * 1.6) + 2; ++r)
    for (int c = static_cast<int>(P.Col - RadiusCols * 1.6) - 2; c <= static_cast<int>(P.Col + RadiusCols * 1.6) + 2;
         ++c) {
      if (!In(r, c)) continue;
      const double d =
          Length((r - P.Row) / RadiusRows, (c - P.Col) / RadiusCols) - 0.6 * (Fractal(r, c, 3.0, 3, seed) - 0.5);
      TCell& cell = At(r, c);
      if (d < 1) {
        cell.Kind = tkWater;
        cell.Level = 0;
      } else if (d < 1 + shore && cell.Kind != tkWater) {
        // The shore: open ground, sand where the beach is.
        if (SandyShore && Fractal(r, c, 3.0, 2, seed + 3) > 0.62) {
          cell.Kind = tkRock;
          cell.Level = 1;
          cell.Style = THillStyle::Dunes;
        } else if (!IsRaised(cell.Kind)) {
          cell.Kind = tkPlain;
          cell.Level = 0;
        }
      }
    }
}

void TLandscape::OpenNear(double X, double Y, double Radius, double Ragged, std::uint32_t Seed) {
  // Every cell whose drawn diamond comes within Radius of the point, and
  // beyond that a ragged edge.
  const double most = Radius + Ragged;
  const double row = CellRowAt(X, Y), col = CellColAt(X, Y), reach = (most + 16) / 11 + 1;
  for (int r = static_cast<int>(row - reach); r <= static_cast<int>(row + reach) + 1; ++r)
    for (int c = static_cast<int>(col - reach); c <= static_cast<int>(col + reach) + 1; ++c) {
      if (!In(r, c) || At(r, c).Open) continue;
      const double d = DiamondDistance(X - CellCentreX(r, c), Y - CellCentreY(r, c));
      if (d > most) continue;
      // Fords stay as narrow as the way.
      if (d > Radius) {
        if (At(r, c).Kind == tkWater) continue;
        // Broad bends of the edge, between the way itself and Ragged beyond.
        const double bend = std::clamp((Fractal(r, c, 6.0, 3, Seed) - 0.35) / 0.3, 0.0, 1.0);
        if (d > Radius + Ragged * bend) continue;
      }
      At(r, c).Open = true;
    }
}

void TLandscape::OpenDisc(TWorldPoint P, double Radius, double Ragged) {
  OpenNear(P.X, P.Y, Radius, Ragged, NextSeed());
}

void TLandscape::OpenWay(TWorldPoint From, TWorldPoint To, double Radius, double Ragged) {
  const std::uint32_t seed = NextSeed();
  for (const auto& walk : {Walk(From, To), Walk(To, From)})
    for (std::size_t k = 0; k + 1 < walk.size(); ++k) {
      const double dx = walk[k + 1].X - walk[k].X, dy = walk[k + 1].Y - walk[k].Y;
      const int steps = static_cast<int>(Length(dx, dy) / 6) + 1;
      for (int s = 0; s <= steps; ++s)
        OpenNear(walk[k].X + dx * s / steps, walk[k].Y + dy * s / steps, Radius, Ragged, seed);
    }
}

void TLandscape::Plateau(TCellPoint P, double Radius, int Elevation) {
  const std::uint32_t seed = NextSeed();
  for (int r = static_cast<int>(P.Row - Radius) - 2; r <= static_cast<int>(P.Row + Radius) + 2; ++r)
    for (int c = static_cast<int>(P.Col - Radius) - 2; c <= static_cast<int>(P.Col + Radius) + 2; ++c) {
      if (!In(r, c)) continue;
      if (Length(r - P.Row, c - P.Col) / Radius - 0.3 * (Fractal(r, c, 2.5, 2, seed) - 0.5) >= 1) continue;
      At(r, c).Open = true;
      At(r, c).OpenElevation = std::max(At(r, c).OpenElevation, Elevation);
    }
}

void TLandscape::ApplyOpenGround() {
  // Hills step down towards open ground, a level every cell
  // down to one above the open ground's own, so that a way or a camp cut
  // into a hill shows terraces, not a wall.
  std::vector<double> distance(FCells.size(), 1e9);
  for (std::size_t i = 0; i < FCells.size(); ++i)
    if (FCells[i].Open) distance[i] = -FCells[i].OpenElevation;
  auto relax = [&](int r, int c, int dr, int dc, double step) {
    if (!In(r + dr, c + dc)) return;
    double& here = distance[static_cast<std::size_t>((r - 1) * FCols + (c - 1))];
    here = std::min(here, distance[static_cast<std::size_t>((r + dr - 1) * FCols + (c + dc - 1))] + step);
  };
  for (int r = 1; r <= FRows; ++r)
    for (int c = 1; c <= FCols; ++c) {
      relax(r, c, -1, 0, 1);
      relax(r, c, 0, -1, 1);
      relax(r, c, -1, -1, 1.414);
      relax(r, c, -1, 1, 1.414);
    }
  for (int r = FRows; r >= 1; --r)
    for (int c = FCols; c >= 1; --c) {
      relax(r, c, 1, 0, 1);
      relax(r, c, 0, 1, 1);
      relax(r, c, 1, 1, 1.414);
      relax(r, c, 1, -1, 1.414);
    }
  for (std::size_t i = 0; i < FCells.size(); ++i) {
    TCell& cell = FCells[i];
    if (cell.Open) {
      cell.Kind = tkPlain;
      cell.Level = cell.OpenElevation;
    } else if (IsRaised(cell.Kind)) {
      cell.Level = std::min(cell.Level, 1 + static_cast<int>(distance[i]));
    }
  }
}

// Every cell must lie in a block of 2 x 2 cells of its own ground class.
// Cells that do not are settled in three steps: thin trees and raised
// ground wear away; thin water widens into a neighbouring block (never onto
// open ground) or, where it cannot, gives way to a ford; and thin plain
// ground is filled by the ground about it, or, on open ground, widens the
// open ground by a block. Rounds of these mostly come to rest by
// themselves; a Final round only ever turns ground into plain ground, so
// repeating it is sure to end, with every cell in a block.
bool TLandscape::Tidy(bool Final) {
  bool changed = false;
  auto cls = [&](int r, int c) { return ClassOf(At(r, c).Kind); };
  // The 2 x 2 blocks holding a cell, by their top-left cell.
  auto block = [&](int r, int c, int k, int(&out)[4][2]) {
    const int br = r - 1 + k / 2, bc = c - 1 + k % 2;
    if (!In(br, bc) || !In(br + 1, bc + 1)) return false;
    const int cells[4][2] = {{br, bc}, {br, bc + 1}, {br + 1, bc}, {br + 1, bc + 1}};
    for (int i = 0; i < 4; ++i) {
      out[i][0] = cells[i][0];
      out[i][1] = cells[i][1];
    }
    return true;
  };
  auto thin = [&](int r, int c) {
    const int own = cls(r, c);
    for (int k = 0; k < 4; ++k) {
      int b[4][2] = {};
      if (!block(r, c, k, b)) continue;
      bool same = true;
      for (auto& p : b) same = same && cls(p[0], p[1]) == own;
      if (same) return false;
    }
    return true;
  };
  auto hasOpen = [&](const int(&b)[4][2]) {
    for (auto& p : b)
      if (At(p[0], p[1]).Open) return true;
    return false;
  };
  auto setPlain = [&](int r, int c, bool Open) {
    TCell& cell = At(r, c);
    if (Open && !cell.Open) {
      cell.Open = true;
      changed = true;
    }
    if (cell.Kind == tkPlain) return;
    cell.Kind = tkPlain;
    cell.Level = cell.Open ? cell.OpenElevation : 0;
    changed = true;
  };
  auto copyInto = [&](int r, int c, TCell From) {
    TCell& cell = At(r, c);
    cell.Kind = From.Kind;
    cell.Level = From.Kind == tkWater || From.Kind == tkTree ? 0 : From.Level;
    cell.Style = From.Style;
    changed = true;
  };
  // The block holding (r, c) with the most cells of class Class and no
  // open cell (with AllowOpen, open cells count too); -1 when none.
  auto bestBlock = [&](int r, int c, int Class, bool AllowOpen) {
    int best = -1, most = -1;
    for (int k = 0; k < 4; ++k) {
      int b[4][2] = {};
      if (!block(r, c, k, b) || (!AllowOpen && hasOpen(b))) continue;
      int n = 0;
      for (auto& p : b) n += cls(p[0], p[1]) == Class;
      if (n > most) {
        best = k;
        most = n;
      }
    }
    return best;
  };

  // Thin trees and raised ground wear away.
  for (bool again = true; again;) {
    again = false;
    for (int r = 1; r <= FRows; ++r)
      for (int c = 1; c <= FCols; ++c)
        if ((cls(r, c) == 1 || cls(r, c) == 3) && thin(r, c)) {
          setPlain(r, c, false);
          again = true;
        }
  }
  // Thin water widens or gives way.
  for (bool again = true; again;) {
    again = false;
    for (int r = 1; r <= FRows; ++r)
      for (int c = 1; c <= FCols; ++c) {
        if (cls(r, c) != 2 || !thin(r, c)) continue;
        again = true;
        const int k = Final ? -1 : bestBlock(r, c, 2, false);
        if (k < 0) {
          setPlain(r, c, false);
          continue;
        }
        int b[4][2] = {};
        block(r, c, k, b);
        const TCell water = At(r, c);
        for (auto& p : b)
          if (cls(p[0], p[1]) != 2) copyInto(p[0], p[1], water);
      }
  }
  // Thin plain ground.
  for (int r = 1; r <= FRows; ++r)
    for (int c = 1; c <= FCols; ++c) {
      if (cls(r, c) != 0 || !thin(r, c)) continue;
      if (!At(r, c).Open && !Final) {
        // The ground most of its neighbours have, filling the block of it
        // that holds the most.
        int counts[4] = {};
        for (int dr = -1; dr <= 1; ++dr)
          for (int dc = -1; dc <= 1; ++dc)
            if ((dr != 0 || dc != 0) && In(r + dr, c + dc)) ++counts[cls(r + dr, c + dc)];
        int kind = 1;
        for (int k = 2; k < 4; ++k)
          if (counts[k] > counts[kind]) kind = k;
        const int k = bestBlock(r, c, kind, false);
        if (k >= 0) {
          int b[4][2] = {};
          block(r, c, k, b);
          TCell from{};
          for (auto& p : b)
            if (cls(p[0], p[1]) == kind) from = At(p[0], p[1]);
          if (from.Kind == tkPlain) {
            // No neighbour of that ground in the block: take one about it.
            for (int dr = -1; dr <= 1 && from.Kind == tkPlain; ++dr)
              for (int dc = -1; dc <= 1 && from.Kind == tkPlain; ++dc)
                if (In(r + dr, c + dc) && cls(r + dr, c + dc) == kind) from = At(r + dr, c + dc);
          }
          for (auto& p : b)
            if (cls(p[0], p[1]) != kind) copyInto(p[0], p[1], from);
          continue;
        }
      }
      const int k = bestBlock(r, c, 0, true);
      int b[4][2] = {};
      if (k < 0 || !block(r, c, k, b)) continue;
      for (auto& p : b) setPlain(p[0], p[1], true);
    }
  return changed;
}

void TLandscape::TidyLevels() {
  // The ground at or above each level is, like every kind of ground, never
  // thinner than two cells: a raised cell that no 2 x 2 block at its level
  // or higher holds sinks a level, and a raised cell sunk below all four
  // neighbours rises to the lowest of them.
  auto level = [&](int r, int c) { return In(r, c) ? At(r, c).Level : 0; };
  for (int round = 0; round < 8; ++round) {
    bool changed = false;
    for (int r = 1; r <= FRows; ++r)
      for (int c = 1; c <= FCols; ++c) {
        TCell& cell = At(r, c);
        if (!IsRaised(cell.Kind)) continue;
        const int l = cell.Level;
        bool held = false;
        for (int k = 0; k < 4 && !held; ++k) {
          const int br = r - 1 + k / 2, bc = c - 1 + k % 2;
          if (!In(br, bc) || !In(br + 1, bc + 1)) continue;
          held = level(br, bc) >= l && level(br + 1, bc) >= l && level(br, bc + 1) >= l && level(br + 1, bc + 1) >= l;
        }
        if (!held && l > 1) {
          cell.Level = l - 1;
          changed = true;
          continue;
        }
        const int low =
            std::min(std::min(level(r - 1, c), level(r + 1, c)), std::min(level(r, c - 1), level(r, c + 1)));
        if (low > l && In(r - 1, c) && In(r + 1, c) && In(r, c - 1) && In(r, c + 1)) {
          cell.Level = low;
          changed = true;
        }
      }
    if (!changed) break;
  }
}

void TLandscape::SmoothLevels() {
  for (TCell& cell : FCells)
    if (!IsRaised(cell.Kind)) cell.Level = cell.Kind == tkPlain && cell.Open ? cell.OpenElevation : 0;
  auto elevation = [](const TCell& C) { return IsRaised(C.Kind) ? C.Level - 1 : C.Level; };
  bool changed = true;
  while (changed) {
    changed = false;
    for (int r = 1; r <= FRows; ++r)
      for (int c = 1; c <= FCols; ++c) {
        TCell& cell = At(r, c);
        const int dr[4] = {-1, 1, 0, 0}, dc[4] = {0, 0, -1, 1};
        for (int k = 0; k < 4; ++k) {
          if (!In(r + dr[k], c + dc[k])) continue;
          const TCell& n = At(r + dr[k], c + dc[k]);
          int level = std::min(cell.Level, n.Level + 1);
          level -= std::max(0, (IsRaised(cell.Kind) ? level - 1 : level) - elevation(n) - 1);
          if (level != cell.Level) {
            cell.Level = level;
            changed = true;
          }
        }
      }
  }
}

std::uint8_t TLandscape::DressedKind(int Row, int Col) const {
  const TCell& cell = At(Row, Col);
  const double n = Fractal(Row, Col, 2.5, 2, 4711);
  switch (cell.Style) {
    case THillStyle::Mountain:
      if (cell.Level >= 4) return tkSnow;
      if (cell.Level == 3) return tkRock;
      if (cell.Level == 2) return n > 0.5 ? tkRock : tkMeadow;
      return n > 0.64 ? tkRock : tkMeadow;
    case THillStyle::Crags: return cell.Level == 1 && n > 0.58 ? tkMeadow : tkRock;
    case THillStyle::Highland: return cell.Level >= 3 ? tkRock : tkMeadow;
    case THillStyle::Dunes: return tkSand;
  }
  return tkRock;
}

void TLandscape::Finish(TMapBlock& Map) {
  ApplyOpenGround();
  for (int pass = 0; pass < 60 && Tidy(false); ++pass) {}
  while (Tidy(true)) {}
  SmoothLevels();
  TidyLevels();
  SmoothLevels();
  Map.MapRows = FRows;
  Map.MapCols = FCols;
  for (int r = 1; r <= FRows; ++r)
    for (int c = 1; c <= FCols; ++c) {
      const TCell& cell = At(r, c);
      const bool raised = IsRaised(cell.Kind);
      Map.SetTerrainAt(r, c, raised ? DressedKind(r, c) : cell.Kind);
      Map.SetHeightAt(r, c,
                      static_cast<std::uint8_t>(std::min<int>(MaxElevation, raised ? cell.Level - 1 : cell.Level)));
    }
}
