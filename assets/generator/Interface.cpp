// Interface pictures: the click marker, resource icons, placement and hover
// markers, the cursors (hot spot at the top-left pixel) and the glyphs of
// the editor's tool buttons and the game's command buttons.
#include <cmath>

#include "assets/generator/Pictures.h"
#include "platform/rtl/Cp1250.h"

void AddOutline(TPixelPicture& P, TRgb Color);
std::vector<TPixelPicture> GroundSides();

namespace {

const TRgb Ink = Rgb(30, 24, 20);
const TRgb Gold = Rgb(236, 188, 52);

TPixelPicture Finish(TPainter& P, bool Outline = true) {
  TPixelPicture pic = P.Resolve();
  if (Outline) AddOutline(pic, Ink);
  return pic;
}

// A ring marker centred at (16, 8) of a 32 × 16 picture.
TPixelPicture Marker(double RX, double RY, double Thick) {
  TPainter p(32, 16);
  p.Fill(
      [=](double x, double y) {
        double dx = (x - 16) / RX, dy = (y - 8) / RY;
        double r = dx * dx + dy * dy;
        double ix = (x - 16) / (RX - Thick), iy = (y - 8) / (RY - Thick * 0.5);
        return r <= 1 && (RX - Thick <= 0.5 || ix * ix + iy * iy > 1);
      },
      [](double x, double) { return Mix(Rgb(120, 250, 90), Rgb(250, 250, 120), (x - 4) / 24); }, 0, 0, 32, 16);
  return p.Resolve();
}

TPixelPicture GoldIcon() {
  TPainter p(20, 20);
  // A stack of coins and one standing coin.
  for (int i = 0; i < 4; ++i) {
    double y = 16 - i * 2.2;
    p.Ellipse(8, y, 6, 2.6, Solid(Scale(Gold, 0.62)));
    p.Ellipse(8, y - 0.8, 6, 2.6, Rounded(Gold, 6, y - 2, 6));
  }
  p.Ellipse(14.5, 9.5, 4.3, 5.2, Solid(Scale(Gold, 0.65)));
  p.Ellipse(14.0, 9.5, 4.0, 5.0, Rounded(Rgb(250, 210, 80), 13, 8, 5));
  p.Ellipse(14.0, 9.5, 2.2, 3.0, Solid(Rgb(210, 160, 40)));
  p.Ellipse(6, 7.5, 1.0, 1.0, Solid(Rgb(255, 250, 210)));
  return Finish(p);
}

TPixelPicture WoodIcon() {
  TPainter p(20, 20);
  // Three logs stacked, cut ends towards the viewer.
  const double logs[3][2] = {{6, 14}, {14, 14}, {10, 7.5}};
  for (auto& l : logs) {
    p.Capsule(l[0] - 3, l[1] - 2, l[0] + 3, l[1] - 4.5, 3.3, Rounded(Rgb(130, 84, 44), l[0], l[1] - 4, 4));
    p.Ellipse(l[0] - 2.5, l[1] - 1.5, 3.3, 3.3, Solid(Rgb(214, 170, 110)));
    p.Fill(
        [=](double x, double y) {
          double dx = x - (l[0] - 2.5), dy = y - (l[1] - 1.5);
          double r = std::sqrt(dx * dx + dy * dy);
          return r < 2.6 && std::fmod(r, 1.3) < 0.45;
        },
        Solid(Rgb(170, 120, 70)), l[0] - 6, l[1] - 5, l[0] + 1, l[1] + 2);
  }
  return Finish(p);
}

// A diamond outline on the ground diamond of a cell picture.
TPixelPicture DiamondMarker(TRgb Edge, TRgb Inner, bool Hatch) {
  TPixelPicture p(CellWidth, CellHeight);
  auto q = [](double v) { return static_cast<std::uint8_t>(std::lround(v * 255)); };
  for (int y = 0; y < CellHeight; ++y)
    for (int x = 0; x < CellWidth; ++x) {
      if (!InGroundDiamond(x, y)) continue;
      bool edge = !InGroundDiamond(x - 1, y) || !InGroundDiamond(x + 1, y) || !InGroundDiamond(x, y - 1) ||
                  !InGroundDiamond(x, y + 1);
      if (edge) {
        p.Set(x, y, q(Edge.R), q(Edge.G), q(Edge.B));
      } else if (Hatch && (x + y) % 4 == 0) {
        p.Set(x, y, q(Inner.R), q(Inner.G), q(Inner.B));
      }
    }
  return p;
}

// The arrow cursor shape, tip at (0.6, 0.6).
std::vector<std::pair<double, double>> Arrow() {
  return {{0.6, 0.6}, {0.6, 19}, {5, 15}, {8.5, 22.5}, {11.5, 21}, {8, 14}, {14, 14}};
}

// The ordinary pointer: a gilded arrow.
TPixelPicture HandCursor() {
  TPainter p(32, 32);
  p.Polygon(Arrow(), [](double x, double y) { return Mix(Rgb(250, 226, 140), Rgb(200, 150, 50), (x + y) / 30); });
  return Finish(p);
}

TPixelPicture SelectCursor() {
  TPainter p(32, 32);
  p.Polygon(Arrow(), [](double x, double y) { return Mix(Rgb(190, 255, 190), Rgb(60, 180, 70), (x + y) / 30); });
  // A small selection box beside the arrow.
  p.Fill(
      [](double x, double y) {
        bool in = x > 14 && x < 27 && y > 17 && y < 28;
        bool hole = x > 16 && x < 25 && y > 19 && y < 26;
        return in && !hole && (std::fmod(x + y, 4.0) < 2.6);
      },
      Solid(Rgb(120, 250, 90)), 13, 16, 28, 29);
  return Finish(p);
}

TPixelPicture SpellCursor() {
  TPainter p(32, 32);
  // A wand from the lower right to a star whose centre is the hot spot.
  p.Capsule(6, 6, 22, 22, 1.6, Vertical(Rgb(90, 60, 130), Rgb(50, 30, 80), 6, 22));
  p.Capsule(20, 20, 23, 23, 1.8, Solid(Rgb(230, 200, 80)));
  std::vector<std::pair<double, double>> star;
  for (int i = 0; i < 10; ++i) {
    double a = Pi * i / 5 - Pi / 2, r = i % 2 ? 2.6 : 7.0;
    star.push_back({5 + Cosine(a) * r, 5 + Sine(a) * r});
  }
  p.Polygon(star, [](double x, double y) { return Mix(Rgb(255, 255, 220), Rgb(120, 200, 255), (x + y) / 16); });
  // Let the star reach the very corner so that the hot spot is on the picture.
  p.Polygon({{0.2, 0.2}, {3, 1.2}, {1.2, 3}}, Solid(Rgb(255, 255, 220)));
  return Finish(p);
}

TPixelPicture AttackCursor() {
  TPainter p(32, 32);
  // A sword pointing up-left, its point at the hot spot.
  p.Polygon({{0.3, 0.3}, {5, 2}, {19, 16}, {16, 19}, {2, 5}},
            [](double x, double y) { return (x - y) > 0 ? Rgb(230, 236, 244) : Rgb(150, 160, 176); });
  p.Capsule(14.5, 21.5, 21.5, 14.5, 1.4, Solid(Gold));
  p.Capsule(19, 19, 25, 25, 1.6, Solid(Rgb(110, 60, 30)));
  p.Ellipse(26, 26, 2.2, 2.2, Rounded(Gold, 25, 25, 2));
  return Finish(p);
}

// Glyph helpers: 24 × 24 pictures on the key colour.
TPixelPicture Dice() {
  TPainter p(24, 24);
  p.Polygon({{3, 6}, {14, 3}, {21, 8}, {21, 18}, {10, 22}, {3, 16}}, Solid(Rgb(236, 232, 220)));
  p.Polygon({{10, 11}, {21, 8}, {21, 18}, {10, 22}}, Solid(Rgb(200, 196, 186)));
  p.Polygon({{3, 6}, {10, 11}, {10, 22}, {3, 16}}, Solid(Rgb(220, 216, 206)));
  for (auto [x, y] :
       std::vector<std::pair<double, double>>{{11.5, 6.8}, {5, 10}, {8, 17}, {13, 13}, {17, 16.5}, {19, 11}})
    p.Ellipse(x, y, 1.2, 1.1, Solid(Rgb(170, 30, 30)));
  return Finish(p);
}

TPixelPicture Eraser() {
  TPainter p(24, 24);
  p.Polygon({{2, 15}, {12, 5}, {21, 12}, {11, 22}}, Vertical(Rgb(250, 150, 150), Rgb(200, 70, 80), 5, 22));
  p.Polygon({{2, 15}, {7, 10}, {16, 17}, {11, 22}}, Vertical(Rgb(120, 160, 230), Rgb(60, 100, 180), 10, 22));
  return Finish(p);
}

// The green plus of the "create" glyphs, in the lower right of 24 x 24.
TPixelPicture GreenPlus() {
  TPainter p(24, 24);
  p.Polygon({{16, 13},
             {19, 13},
             {19, 16},
             {22, 16},
             {22, 19},
             {19, 19},
             {19, 22},
             {16, 22},
             {16, 19},
             {13, 19},
             {13, 16},
             {16, 16}},
            Solid(Rgb(60, 200, 70)));
  return Finish(p);
}

TPixelPicture Plus(const TPixelPicture& Figure) {
  TPixelPicture g(24, 24);
  // The figure scaled to half, beside a green plus.
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 24; ++x) {
      int sx = 4 + x * Figure.Width / 30, sy = y * 36 / 24;
      if (sx < Figure.Width && sy < Figure.Height && Figure.Opaque(sx, sy) && x < 20) {
        const std::uint8_t* c = Figure.At(sx, sy);
        g.Set(x, y, c[0], c[1], c[2]);
      }
    }
  g.Blit(GreenPlus(), 0, 0);
  return g;
}

TPixelPicture Shrunk(const TPixelPicture& Source, int W, int H, int X0, int Y0, int SW, int SH);

// A building reduced to the glyph, beside the green plus.
TPixelPicture BuildingPlus(const TPixelPicture& Building) {
  TPixelPicture g(24, 24);
  g.Blit(Shrunk(Building, 21, 23, 0, 2, 98, 108), 0, 0);
  g.Blit(GreenPlus(), 0, 0);
  return g;
}

TPixelPicture Pencil() {
  TPainter p(24, 24);
  p.Polygon({{3, 21}, {4.5, 15.5}, {16, 4}, {20, 8}, {8.5, 19.5}}, Solid(Rgb(240, 200, 70)));
  p.Polygon({{16, 4}, {18, 2}, {22, 6}, {20, 8}}, Solid(Rgb(230, 130, 140)));
  p.Polygon({{3, 21}, {4.5, 15.5}, {8.5, 19.5}}, Solid(Rgb(240, 220, 180)));
  p.Polygon({{3, 21}, {3.6, 19}, {5, 20.4}}, Solid(Rgb(40, 40, 40)));
  return Finish(p);
}

TPixelPicture Cross() {
  TPainter p(24, 24);
  p.Capsule(5, 5, 19, 19, 2.6, Vertical(Rgb(250, 90, 80), Rgb(170, 20, 20), 3, 21));
  p.Capsule(19, 5, 5, 19, 2.6, Vertical(Rgb(250, 90, 80), Rgb(170, 20, 20), 3, 21));
  return Finish(p);
}

TPixelPicture Shrunk(const TPixelPicture& Source, int W, int H, int X0, int Y0, int SW, int SH) {
  // Nearest-pixel reduction of a rectangle of Source to W × H.
  TPixelPicture g(W, H);
  for (int y = 0; y < H; ++y)
    for (int x = 0; x < W; ++x) {
      int sx = X0 + x * SW / W, sy = Y0 + y * SH / H;
      if (sx < 0 || sy < 0 || sx >= Source.Width || sy >= Source.Height || !Source.Opaque(sx, sy)) continue;
      const std::uint8_t* c = Source.At(sx, sy);
      g.Set(x, y, c[0], c[1], c[2]);
    }
  return g;
}

TPixelPicture PlayGlyph() {
  TPainter p(20, 16);
  p.Ellipse(6, 12, 3, 2.3, Solid(Rgb(60, 60, 70)));
  p.Capsule(8.6, 12, 8.6, 2, 0.8, Solid(Rgb(60, 60, 70)));
  p.Polygon({{8.6, 1.5}, {14, 3.5}, {14, 6}, {8.6, 4.5}}, Solid(Rgb(60, 60, 70)));
  p.Polygon({{13, 8}, {19, 11.5}, {13, 15}}, Solid(Rgb(50, 170, 60)));
  return Finish(p, false);
}

TPixelPicture StopGlyph() {
  TPainter p(20, 16);
  p.Ellipse(6, 12, 3, 2.3, Solid(Rgb(60, 60, 70)));
  p.Capsule(8.6, 12, 8.6, 2, 0.8, Solid(Rgb(60, 60, 70)));
  p.Polygon({{8.6, 1.5}, {14, 3.5}, {14, 6}, {8.6, 4.5}}, Solid(Rgb(60, 60, 70)));
  p.Polygon({{13, 8.5}, {19, 8.5}, {19, 14.5}, {13, 14.5}}, Solid(Rgb(200, 40, 40)));
  return Finish(p, false);
}

TPixelPicture SelectGlyph() {
  TPainter p(24, 24);
  p.Fill([](double x,
            double y) { return x > 2 && x < 22 && y > 2 && y < 22 && !(x > 4.5 && x < 19.5 && y > 4.5 && y < 19.5); },
         Solid(Rgb(90, 220, 80)));
  p.Capsule(7, 12, 10.5, 16.5, 1.6, Solid(Rgb(90, 220, 80)));
  p.Capsule(10.5, 16.5, 17, 7, 1.6, Solid(Rgb(90, 220, 80)));
  return Finish(p);
}

TPixelPicture DeselectGlyph() {
  TPainter p(24, 24);
  p.Fill([](double x,
            double y) { return x > 2 && x < 22 && y > 2 && y < 22 && !(x > 4.5 && x < 19.5 && y > 4.5 && y < 19.5); },
         Solid(Rgb(200, 200, 200)));
  p.Capsule(8, 8, 16, 16, 1.6, Solid(Rgb(220, 50, 40)));
  p.Capsule(16, 8, 8, 16, 1.6, Solid(Rgb(220, 50, 40)));
  return Finish(p);
}

TPixelPicture HaltGlyph() {
  TPainter p(24, 24);
  std::vector<std::pair<double, double>> oct;
  for (int i = 0; i < 8; ++i) {
    double a = Pi / 8 + Pi * i / 4;
    oct.push_back({12 + Cosine(a) * 10, 12 + Sine(a) * 10});
  }
  p.Polygon(oct, Vertical(Rgb(240, 70, 60), Rgb(160, 20, 20), 2, 22));
  p.Polygon({{6, 10.5}, {18, 10.5}, {18, 13.5}, {6, 13.5}}, Solid(Rgb(250, 250, 250)));
  return Finish(p);
}

// A digit-like flag for the group buttons.
TPixelPicture FlagGlyph(TRgb Color, bool Horn) {
  TPainter p(24, 24);
  if (Horn) {
    p.Polygon({{3, 9}, {16, 4}, {21, 2}, {21, 20}, {16, 17}, {3, 14}},
              Vertical(Rgb(250, 236, 190), Rgb(200, 170, 110), 2, 20));
    p.Polygon({{3, 9}, {6, 9}, {6, 14}, {3, 14}}, Solid(Rgb(160, 120, 60)));
    p.Capsule(8, 6, 8, 17, 0.7, Solid(Rgb(180, 140, 70)));
  } else {
    p.Capsule(5, 3, 5, 22, 1.1, Solid(Rgb(110, 70, 40)));
    p.Polygon({{6, 3}, {21, 6}, {6, 13}}, Vertical(Scale(Color, 1.2), Scale(Color, 0.8), 3, 13));
  }
  return Finish(p);
}

TPixelPicture SwordsGlyph() {
  TPainter p(24, 24);
  for (int s = 0; s < 2; ++s) {
    double m = s ? -1 : 1;
    double cx = 12;
    auto X = [&](double x) { return cx + m * (x - cx); };
    p.Polygon({{X(2), 2}, {X(5), 2.5}, {X(16), 13.5}, {X(13.5), 16}, {X(2.5), 5}}, Solid(Rgb(220, 226, 236)));
    p.Capsule(X(12.5), 18.5, X(18.5), 12.5, 1.1, Solid(Gold));
    p.Capsule(X(16), 16, X(21), 21, 1.3, Solid(Rgb(110, 60, 30)));
  }
  return Finish(p);
}

TPixelPicture MagicGlyph() {
  TPainter p(24, 24);
  std::vector<std::pair<double, double>> star;
  for (int i = 0; i < 10; ++i) {
    double a = Pi * i / 5 - Pi / 2, r = i % 2 ? 4.0 : 10.0;
    star.push_back({12 + Cosine(a) * r, 12.5 + Sine(a) * r});
  }
  p.Polygon(star, [](double x, double y) { return Mix(Rgb(255, 250, 200), Rgb(120, 170, 255), (x + y) / 30); });
  p.Ellipse(20, 4, 1.4, 1.4, Solid(Rgb(255, 240, 150)));
  p.Ellipse(4, 20, 1.1, 1.1, Solid(Rgb(200, 220, 255)));
  return Finish(p);
}

TPixelPicture HammerGlyph() {
  TPainter p(24, 24);
  p.Capsule(5, 20, 15, 9, 1.4, Solid(Rgb(150, 100, 50)));
  p.Polygon({{10, 6}, {15, 1.5}, {22, 8.5}, {17.5, 13}}, Vertical(Rgb(190, 196, 210), Rgb(110, 116, 130), 1, 13));
  return Finish(p);
}

// A cursor points with its top-left pixel: that pixel is always drawn.
TPixelPicture Pointing(TPixelPicture P) {
  if (!P.Opaque(0, 0)) P.Set(0, 0, 30, 24, 20);
  return P;
}

}  // namespace

std::vector<TNamedPicture> EditorMarkerPictures() {
  std::vector<TNamedPicture> out;
  out.push_back({"grid", DiamondMarker(Rgb(255, 240, 80), Rgb(255, 240, 80), false)});
  out.push_back({"hand", Pointing(HandCursor())});
  std::vector<TPixelPicture> sides = GroundSides();
  for (int k = 0; k < 4; ++k) out.push_back({"up" + std::to_string(k + 1), sides[static_cast<std::size_t>(k)]});
  return out;
}

std::vector<TNamedPicture> GameInterfacePictures() {
  return {{"c1", Marker(15, 7, 2.2)},
          {"c2", Marker(10, 4.8, 2.0)},
          {"c3", Marker(5, 2.5, 5)},
          {"gold", GoldIcon()},
          {"wood", WoodIcon()},
          {"grid", DiamondMarker(Rgb(90, 255, 90), Rgb(90, 255, 90), true)},
          {"hand", Pointing(HandCursor())},
          {"select", Pointing(SelectCursor())},
          {"spell", Pointing(SpellCursor())},
          {"attack", Pointing(AttackCursor())}};
}

// A glyph's bottom-left pixel tells the button which colour to leave out.
std::vector<TNamedPicture> Keyed(std::vector<TNamedPicture> Glyphs) {
  for (TNamedPicture& g : Glyphs) g.Picture.Clear(0, g.Picture.Height - 1);
  return Glyphs;
}

std::vector<TNamedPicture> EditorGlyphs() {
  std::vector<TNamedPicture> terrain = TerrainPictures();
  std::vector<TNamedPicture> units = UnitPictures();
  std::vector<TNamedPicture> buildings = BuildingPictures();
  auto cell = [&](int k) { return Shrunk(terrain[static_cast<std::size_t>(k)].Picture, 32, 32, 0, 8, 34, 42); };
  return Keyed({{"SpeedButton1", Dice()},
                {"SpeedButton2", Eraser()},
                {"SpeedButton3", cell(0)},
                {"TerrainButton1", cell(1)},
                {"SpeedButton5", cell(2)},
                {"SpeedButton4", cell(3)},
                {"SpeedButton7", cell(4)},
                {"SpeedButton6", cell(5)},
                {"SpeedButton8", cell(6)},
                {"SpeedButton9", Plus(units[0].Picture)},
                {"SpeedButton10", Pencil()},
                {"SpeedButton11", Cross()},
                {"SpeedButton12", BuildingPlus(buildings[0].Picture)},
                {"SpeedButton13", Pencil()},
                {"SpeedButton14", Cross()}});
}

std::vector<TNamedPicture> GameGlyphs() {
  return Keyed({{"MusicButton1", PlayGlyph()},
                {"MusicButton2", StopGlyph()},
                {"MenuButton1", SelectGlyph()},
                {"MenuButton2", DeselectGlyph()},
                {"MenuButton3", HaltGlyph()},
                {"MenuButton4", FlagGlyph(Rgb(40, 90, 200), false)},
                {"MenuButton5", FlagGlyph(Rgb(40, 90, 200), true)},
                {"MenuButton6", SwordsGlyph()},
                {"MenuButton7", MagicGlyph()},
                {"MenuButton8", Plus(UnitPictures()[0].Picture)},
                {"MenuButton9", HammerGlyph()}});
}
