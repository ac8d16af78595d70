// The unit figures: seven people of the game standing on their feet at row
// UnitFeetY, facing the viewer a little to the right, each with the dress and
// gear that tells its kind at a glance, and a dark outline around the whole
// figure so it reads on every kind of ground.
#include <cmath>

#include "assets/generator/Pictures.h"
#include "platform/rtl/Cp1250.h"

void AddOutline(TPixelPicture& P, TRgb Color);

namespace {

constexpr double CX = 19;
constexpr double Feet = UnitFeetY;

const TRgb Skin = Rgb(232, 184, 146);
const TRgb Steel = Rgb(172, 180, 192);
const TRgb DarkSteel = Rgb(104, 110, 124);
const TRgb Leather = Rgb(120, 78, 44);
const TRgb Wood = Rgb(142, 98, 56);

// Legs and boots of a standing figure; Gap is half the distance of the feet.
void Legs(TPainter& P, TRgb Trousers, TRgb Boots, double Gap = 2.6) {
  P.Capsule(CX - Gap, Feet - 9, CX - Gap - 0.4, Feet - 2, 1.7, Rounded(Trousers, CX - 2, Feet - 6, 4));
  P.Capsule(CX + Gap, Feet - 9, CX + Gap + 0.4, Feet - 2, 1.7, Rounded(Trousers, CX + 2, Feet - 6, 4));
  P.Ellipse(CX - Gap - 0.9, Feet - 1.2, 2.3, 1.4, Solid(Boots));
  P.Ellipse(CX + Gap + 0.9, Feet - 1.2, 2.3, 1.4, Solid(Scale(Boots, 0.85)));
}

// The torso: a trapezoid from the shoulders to the hips.
void Torso(TPainter& P, double Top, double Bottom, double Shoulders, double Hips, TRgb Color) {
  P.Polygon({{CX - Shoulders, Top}, {CX + Shoulders, Top}, {CX + Hips, Bottom}, {CX - Hips, Bottom}},
            Rounded(Color, CX - 1, Top + 3, Shoulders + 3));
}

void Head(TPainter& P, double Y, double R = 3.4) { P.Ellipse(CX, Y, R, R * 1.05, Rounded(Skin, CX - 1, Y - 1, R + 1)); }

void Eyes(TPainter& P, double Y) {
  P.Ellipse(CX - 1.3, Y, 0.45, 0.55, Solid(Rgb(40, 30, 30)));
  P.Ellipse(CX + 1.5, Y, 0.45, 0.55, Solid(Rgb(40, 30, 30)));
}

void Arm(TPainter& P, double X1, double Y1, double X2, double Y2, TRgb Sleeve, TRgb Hand = Skin) {
  P.Capsule(X1, Y1, X2, Y2, 1.6, Rounded(Sleeve, (X1 + X2) / 2, (Y1 + Y2) / 2, 4));
  P.Ellipse(X2, Y2, 1.5, 1.5, Solid(Hand));
}

void Belt(TPainter& P, double Y, double Half, TRgb Color) {
  P.Polygon({{CX - Half, Y}, {CX + Half, Y}, {CX + Half, Y + 1.4}, {CX - Half, Y + 1.4}}, Solid(Color));
}

TPixelPicture Finish(TPainter& P) {
  TPixelPicture pic = P.Resolve();
  AddOutline(pic, Rgb(28, 22, 20));
  return pic;
}

TPixelPicture FootSoldier() {
  TPainter p(UnitWidth, UnitHeight);
  Legs(p, Rgb(88, 64, 46), Rgb(60, 40, 26));
  Torso(p, 12.5, 24.5, 5.0, 4.6, Rgb(176, 36, 32));
  // Mail skirt and shoulders.
  p.Polygon({{CX - 4.8, 22}, {CX + 4.8, 22}, {CX + 5.2, 25.5}, {CX - 5.2, 25.5}}, Rounded(DarkSteel, CX, 23, 5));
  Belt(p, 20.5, 4.7, Leather);
  // A broad sword raised in the right hand.
  p.Polygon({{CX + 8.6, 18}, {CX + 10.2, 5.5}, {CX + 11.2, 3.6}, {CX + 11.6, 5.8}, {CX + 10.2, 18.4}},
            [](double x, double) { return x < CX + 10.4 ? Rgb(236, 240, 246) : Rgb(150, 160, 176); });
  p.Capsule(CX + 7.2, 17.6, CX + 11.8, 18.4, 0.8, Solid(Rgb(220, 180, 60)));
  p.Capsule(CX + 9.2, 18.5, CX + 9.0, 21, 0.7, Solid(Leather));
  Arm(p, CX + 4.5, 14, CX + 9, 19.5, Rgb(150, 30, 28));
  Head(p, 9.5);
  Eyes(p, 10.2);
  // Kettle helmet with a brim.
  p.Ellipse(CX, 7.6, 4.2, 3.0, Rounded(Steel, CX - 1, 6.5, 4));
  p.Ellipse(CX, 8.4, 5.6, 1.1, Rounded(DarkSteel, CX - 1, 8, 5));
  // Round shield on the left arm: wood with an iron boss and a red rim.
  p.Ellipse(CX - 5.5, 19, 5.4, 6.0, Solid(Rgb(120, 24, 22)));
  p.Ellipse(CX - 5.5, 19, 4.4, 5.0, Rounded(Rgb(196, 160, 90), CX - 7, 17, 5));
  p.Ellipse(CX - 5.5, 19, 1.5, 1.6, Rounded(Steel, CX - 6, 18.5, 2));
  return Finish(p);
}

TPixelPicture Knight() {
  TPainter p(UnitWidth, UnitHeight);
  // A mounted knight: a grey horse in a blue caparison, the rider in plate
  // with a lance and a plumed helm.
  TRgb horse = Rgb(128, 82, 50), cloth = Rgb(40, 70, 168), gold = Rgb(230, 190, 60);
  // Legs.
  for (double lx : {CX - 9.5, CX - 6.5, CX + 6.0, CX + 9.0})
    p.Capsule(lx, Feet - 10, lx + (lx < CX ? -0.4 : 0.4), Feet - 1.2, 1.2, Rounded(horse, lx - 1, Feet - 6, 3));
  for (double lx : {CX - 9.9, CX - 6.9, CX + 6.4, CX + 9.4})
    p.Ellipse(lx, Feet - 0.9, 1.5, 1.0, Solid(Rgb(50, 40, 36)));
  // Body and caparison.
  p.Ellipse(CX, Feet - 13, 12.5, 5.6, Rounded(horse, CX - 3, Feet - 16, 10));
  p.Polygon({{CX - 12, Feet - 15}, {CX + 10, Feet - 15}, {CX + 11.5, Feet - 7}, {CX - 13, Feet - 7}},
            Rounded(cloth, CX - 4, Feet - 13, 10));
  p.Polygon({{CX - 13, Feet - 8}, {CX + 11.5, Feet - 8}, {CX + 11.5, Feet - 6.6}, {CX - 13, Feet - 6.6}}, Solid(gold));
  // Neck and head to the right.
  p.Polygon({{CX + 8, Feet - 17}, {CX + 11.5, Feet - 24}, {CX + 15, Feet - 22}, {CX + 12.5, Feet - 13}},
            Rounded(horse, CX + 10, Feet - 20, 5));
  p.Ellipse(CX + 14.5, Feet - 22, 3.4, 2.2, Rounded(horse, CX + 13, Feet - 23, 3));
  p.Polygon({{CX + 12.5, Feet - 25.5}, {CX + 13.5, Feet - 28}, {CX + 14.3, Feet - 24.5}}, Solid(horse));
  p.Ellipse(CX + 15.6, Feet - 22.6, 0.5, 0.5, Solid(Rgb(20, 20, 20)));
  p.Polygon({{CX + 9, Feet - 23}, {CX + 12, Feet - 26}, {CX + 11, Feet - 19}}, Solid(Rgb(40, 28, 22)));  // mane
  // Tail.
  p.Capsule(CX - 12, Feet - 15, CX - 15, Feet - 7, 1.2, Solid(Rgb(40, 28, 22)));
  // Rider.
  p.Polygon({{CX - 4, Feet - 24}, {CX + 3.5, Feet - 24}, {CX + 4, Feet - 14}, {CX - 4.5, Feet - 14}},
            Rounded(Steel, CX - 2, Feet - 21, 5));
  p.Polygon({{CX - 2.6, Feet - 23}, {CX + 2.2, Feet - 23}, {CX + 2.6, Feet - 15}, {CX - 3.0, Feet - 15}},
            Rounded(cloth, CX, Feet - 19, 4));
  p.Polygon({{CX - 0.6, Feet - 22}, {CX + 0.4, Feet - 22}, {CX + 0.4, Feet - 16}, {CX - 0.6, Feet - 16}}, Solid(gold));
  p.Capsule(CX - 1, Feet - 15, CX - 1.5, Feet - 8, 1.5, Rounded(Steel, CX - 1, Feet - 12, 3));
  // Helm with visor slit and a red plume.
  p.Polygon({{CX - 3.2, Feet - 30.5}, {CX + 3.2, Feet - 30.5}, {CX + 3.2, Feet - 24}, {CX - 3.2, Feet - 24}},
            Rounded(Steel, CX - 1, Feet - 29, 4));
  p.Polygon({{CX - 2.4, Feet - 28}, {CX + 2.8, Feet - 28}, {CX + 2.8, Feet - 27.2}, {CX - 2.4, Feet - 27.2}},
            Solid(Rgb(30, 30, 40)));
  p.Capsule(CX - 0.5, Feet - 30.5, CX - 3.8, Feet - 31.5, 1.1, Solid(Rgb(210, 40, 40)));
  // Lance, couched and pointing up to the right, with a pennon.
  p.Capsule(CX - 7, Feet - 14, CX + 15, Feet - 39, 0.75, Solid(Wood));
  p.Polygon({{CX + 13.6, Feet - 37.5}, {CX + 10, Feet - 36.5}, {CX + 12.6, Feet - 34.5}}, Solid(Rgb(240, 240, 240)));
  Arm(p, CX + 3, Feet - 22, CX + 4.5, Feet - 18, Steel, DarkSteel);
  // Kite shield on the near side.
  p.Polygon({{CX - 8.5, Feet - 23},
             {CX - 3.0, Feet - 23},
             {CX - 3.0, Feet - 17},
             {CX - 5.8, Feet - 12.5},
             {CX - 8.5, Feet - 17}},
            Rounded(Rgb(236, 236, 232), CX - 7, Feet - 21, 5));
  p.Polygon({{CX - 6.3, Feet - 22.5}, {CX - 5.3, Feet - 22.5}, {CX - 5.3, Feet - 14}, {CX - 6.3, Feet - 14}},
            Solid(Rgb(200, 30, 30)));
  p.Polygon({{CX - 8.2, Feet - 19.5}, {CX - 3.3, Feet - 19.5}, {CX - 3.3, Feet - 18.5}, {CX - 8.2, Feet - 18.5}},
            Solid(Rgb(200, 30, 30)));
  return Finish(p);
}

TPixelPicture Archer() {
  TPainter p(UnitWidth, UnitHeight);
  TRgb green = Rgb(52, 118, 50), tunic = Rgb(96, 140, 60);
  // Quiver on the back with fletchings.
  p.Polygon({{CX - 6.5, 11}, {CX - 3.5, 10}, {CX - 1.5, 21}, {CX - 4.5, 22}}, Rounded(Leather, CX - 4, 14, 4));
  for (int i = 0; i < 3; ++i)
    p.Polygon({{CX - 6.6 + i * 1.2, 11}, {CX - 5.6 + i * 1.2, 7.5}, {CX - 4.8 + i * 1.2, 10.5}},
              Solid(i == 1 ? Rgb(230, 230, 220) : Rgb(200, 50, 40)));
  Legs(p, Rgb(70, 90, 46), Leather);
  Torso(p, 12.5, 24.5, 4.6, 5.2, tunic);
  Belt(p, 20, 4.9, Leather);
  Arm(p, CX - 4, 14, CX - 3, 20, tunic);
  Head(p, 9.8);
  Eyes(p, 10.3);
  // Hood with a pointed back.
  p.Polygon({{CX - 4.2, 10}, {CX - 3.6, 6}, {CX, 4.6}, {CX + 3.6, 6}, {CX + 4.2, 10}, {CX + 3.2, 8}, {CX - 3.2, 8}},
            Rounded(green, CX - 1, 6, 5));
  p.Polygon({{CX - 4.5, 12.5}, {CX + 4.5, 12.5}, {CX + 3.6, 15}, {CX - 3.6, 15}}, Rounded(green, CX, 13, 5));
  // The longbow held out to the right: a tall curve with its string, and a
  // nocked arrow.
  const double bx = CX + 9.5;
  p.Fill(
      [=](double x, double y) {
        double t = (y - 17) / 14.5;
        if (t < -1 || t > 1) return false;
        double curve = bx + 3.2 * (1 - t * t);
        return std::fabs(x - curve) < 0.75;
      },
      Solid(Rgb(120, 80, 40)), bx - 1, 2, bx + 5, 32);
  p.Capsule(bx, 2.5, bx, 31.5, 0.3, Solid(Rgb(235, 230, 210)));
  p.Capsule(CX + 3, 17, bx + 5.5, 17, 0.45, Solid(Wood));
  p.Polygon({{bx + 5, 15.8}, {bx + 7.2, 17}, {bx + 5, 18.2}}, Solid(Steel));
  Arm(p, CX + 4, 14, bx + 2.6, 17, tunic);
  return Finish(p);
}

TPixelPicture Mage() {
  TPainter p(UnitWidth, UnitHeight);
  TRgb robe = Rgb(58, 54, 168), trim = Rgb(236, 200, 70);
  // Staff with a glowing orb.
  p.Capsule(CX + 8, Feet - 0.5, CX + 8, 5, 0.8, Rounded(Wood, CX + 8, 15, 6));
  p.Ellipse(CX + 8, 3.6, 2.9, 2.9, Solid(Rgb(120, 220, 255)));
  p.Ellipse(CX + 8, 3.6, 1.8, 1.8, Solid(Rgb(220, 250, 255)));
  // Long robe to the ground.
  p.Polygon({{CX - 4.2, 12.5}, {CX + 4.2, 12.5}, {CX + 7.2, Feet}, {CX - 7.2, Feet}}, Rounded(robe, CX - 2, 17, 9));
  p.Polygon({{CX - 7.2, Feet - 1.4}, {CX + 7.2, Feet - 1.4}, {CX + 7.2, Feet}, {CX - 7.2, Feet}}, Solid(trim));
  p.Polygon({{CX - 0.6, 13}, {CX + 0.6, 13}, {CX + 0.8, Feet}, {CX - 0.8, Feet}}, Solid(trim));
  Arm(p, CX + 3.6, 14, CX + 7.4, 18, robe);
  Arm(p, CX - 3.6, 14, CX - 6.5, 20, robe);
  // A spark of magic in the free hand.
  p.Polygon({{CX - 8.5, 19},
             {CX - 6.8, 18.4},
             {CX - 6.2, 16.6},
             {CX - 5.6, 18.4},
             {CX - 3.9, 19},
             {CX - 5.6, 19.6},
             {CX - 6.2, 21.4},
             {CX - 6.8, 19.6}},
            Solid(Rgb(255, 200, 80)));
  Head(p, 10);
  Eyes(p, 10.2);
  // White beard.
  p.Polygon({{CX - 3, 11.2}, {CX + 3, 11.2}, {CX + 1.6, 16.5}, {CX, 18}, {CX - 1.6, 16.5}},
            Rounded(Rgb(236, 236, 236), CX, 13, 4));
  // Tall pointed hat with a wide brim, tipped back, and stars.
  p.Polygon({{CX - 3.8, 7.8}, {CX + 4.0, 7.8}, {CX + 2.5, -0.5}, {CX - 1.0, 0.0}}, Rounded(robe, CX - 1, 3, 5));
  p.Polygon({{CX - 1.0, 0.6}, {CX + 2.5, -0.2}, {CX + 5.2, 1.5}}, Rounded(robe, CX + 2, 0.5, 3));
  p.Ellipse(CX, 8.0, 6.4, 1.3, Rounded(robe, CX - 1, 7.5, 6));
  p.Ellipse(CX + 0.8, 4.5, 0.7, 0.7, Solid(trim));
  p.Ellipse(CX - 1.3, 2.6, 0.5, 0.5, Solid(trim));
  return Finish(p);
}

TPixelPicture Monk() {
  TPainter p(UnitWidth, UnitHeight);
  TRgb robe = Rgb(128, 86, 52), rope = Rgb(222, 200, 150);
  // Shepherd's staff topped with a cross.
  p.Capsule(CX - 8, Feet - 0.5, CX - 8, 4, 0.75, Rounded(Wood, CX - 8, 15, 6));
  p.Capsule(CX - 10.2, 6.3, CX - 5.8, 6.3, 0.7, Solid(Rgb(220, 190, 80)));
  p.Capsule(CX - 8, 3.2, CX - 8, 9.5, 0.7, Solid(Rgb(220, 190, 80)));
  p.Polygon({{CX - 4.6, 12.5}, {CX + 4.6, 12.5}, {CX + 6.6, Feet}, {CX - 6.6, Feet}}, Rounded(robe, CX - 2, 17, 9));
  // Rope belt with a hanging end.
  Belt(p, 20, 5.2, rope);
  p.Capsule(CX + 1.5, 21, CX + 2.2, 26, 0.55, Solid(rope));
  // Sleeves folded over the chest, holding a red book.
  p.Polygon({{CX - 3.2, 15}, {CX + 3.4, 15}, {CX + 3.4, 19.4}, {CX - 3.2, 19.4}}, Rounded(Rgb(170, 36, 40), CX, 16, 4));
  p.Polygon({{CX - 2.8, 15.4}, {CX + 3.0, 15.4}, {CX + 3.0, 15.9}, {CX - 2.8, 15.9}}, Solid(Rgb(240, 230, 200)));
  Arm(p, CX - 4.4, 14, CX - 2.6, 18.5, robe);
  Arm(p, CX + 4.4, 14, CX + 2.8, 18.5, robe);
  p.Capsule(CX - 8.6, 14.5, CX - 8, 14.5, 1.3, Solid(Skin));
  Arm(p, CX - 4, 14, CX - 8, 14.5, robe);
  // Head with the hood down around the neck and a tonsure.
  p.Ellipse(CX, 12.8, 5.2, 2.4, Rounded(Scale(robe, 0.9), CX - 1, 12, 5));
  Head(p, 9.6);
  Eyes(p, 10.1);
  p.Ellipse(CX, 7.4, 3.3, 1.5, Solid(Rgb(84, 56, 36)));
  p.Ellipse(CX, 7.0, 1.9, 1.0, Rounded(Skin, CX - 1, 6.6, 2));
  return Finish(p);
}

TPixelPicture Peasant() {
  TPainter p(UnitWidth, UnitHeight);
  TRgb shirt = Rgb(222, 206, 164), trousers = Rgb(110, 84, 56);
  // Hammer over the shoulder.
  p.Capsule(CX + 3.5, 17, CX + 9.5, 5, 0.75, Solid(Wood));
  p.Polygon({{CX + 7.2, 3.2}, {CX + 10.6, 4.9}, {CX + 11.8, 2.6}, {CX + 8.4, 0.9}}, Rounded(DarkSteel, CX + 9, 2.5, 3));
  Legs(p, trousers, Rgb(80, 56, 34));
  Torso(p, 12.5, 24, 4.8, 4.5, shirt);
  // Leather apron.
  p.Polygon({{CX - 3.6, 16.5}, {CX + 3.6, 16.5}, {CX + 4.2, 25.5}, {CX - 4.2, 25.5}}, Rounded(Leather, CX, 19, 5));
  Belt(p, 19.8, 4.6, Rgb(70, 46, 26));
  Arm(p, CX - 4.4, 14, CX - 6, 20.5, shirt);
  Arm(p, CX + 4.4, 14, CX + 4.2, 16.5, shirt);
  Head(p, 9.8);
  Eyes(p, 10.4);
  // Moustache and a wide straw hat.
  p.Polygon({{CX - 1.6, 11.6}, {CX + 1.8, 11.6}, {CX + 2.2, 12.4}, {CX - 2.0, 12.4}}, Solid(Rgb(110, 70, 40)));
  p.Ellipse(CX, 7.4, 7.4, 1.6, Rounded(Rgb(230, 196, 100), CX - 2, 7, 7));
  p.Ellipse(CX, 6.0, 3.6, 2.4, Rounded(Rgb(218, 184, 90), CX - 1, 5, 4));
  p.Polygon({{CX - 3.5, 6.4}, {CX + 3.5, 6.4}, {CX + 3.5, 7.1}, {CX - 3.5, 7.1}}, Solid(Rgb(150, 50, 40)));
  return Finish(p);
}

TPixelPicture Scout() {
  TPainter p(UnitWidth, UnitHeight);
  TRgb cloak = Rgb(60, 76, 64), tunic = Rgb(150, 120, 70);
  // Long cloak behind the body, flowing to the left.
  p.Polygon({{CX - 4.5, 12}, {CX + 4.5, 12}, {CX + 5.5, 27}, {CX - 9.5, 29}}, Rounded(cloak, CX - 3, 18, 9));
  Legs(p, Rgb(80, 70, 56), Leather, 2.4);
  Torso(p, 12.5, 23.5, 4.2, 4.0, tunic);
  Belt(p, 19.5, 4.1, Leather);
  // Hunting horn at the hip.
  p.Polygon({{CX + 2, 21}, {CX + 6.5, 21.5}, {CX + 7.5, 19.2}, {CX + 7.8, 23.5}, {CX + 2.2, 22.5}},
            Rounded(Rgb(236, 220, 180), CX + 5, 21, 4));
  // Short spear held forward.
  p.Capsule(CX + 7.5, Feet - 2, CX + 11.5, 6, 0.65, Solid(Wood));
  p.Polygon({{CX + 11.0, 7.0}, {CX + 13.1, 2.6}, {CX + 12.6, 7.6}}, Rounded(Steel, CX + 12, 5, 3));
  Arm(p, CX + 4, 14, CX + 9.2, 15.5, tunic);
  Head(p, 9.8);
  Eyes(p, 10.3);
  p.Polygon(
      {{CX - 4.4, 10.5}, {CX - 3.8, 6}, {CX, 4.5}, {CX + 3.8, 6}, {CX + 4.4, 10.5}, {CX + 3.2, 8.2}, {CX - 3.2, 8.2}},
      Rounded(cloak, CX - 1, 6, 5));
  p.Ellipse(CX, 12.5, 4.6, 1.6, Rounded(cloak, CX, 12, 4));
  p.Ellipse(CX + 2.6, 12.4, 0.9, 0.9, Solid(Rgb(220, 190, 80)));  // brooch
  return Finish(p);
}

}  // namespace

void AddOutline(TPixelPicture& P, TRgb Color) {
  TPixelPicture src = P;
  auto q = [](double v) { return static_cast<std::uint8_t>(std::lround(v * 255)); };
  for (int y = 0; y < P.Height; ++y)
    for (int x = 0; x < P.Width; ++x) {
      if (src.Opaque(x, y)) continue;
      bool touch = false;
      const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
      for (auto& o : d) {
        int nx = x + o[0], ny = y + o[1];
        if (nx >= 0 && ny >= 0 && nx < P.Width && ny < P.Height && src.Opaque(nx, ny)) touch = true;
      }
      if (touch) P.Set(x, y, q(Color.R), q(Color.G), q(Color.B));
    }
}

std::vector<TNamedPicture> UnitPictures() {
  return {{Cp("Piechur"), FootSoldier()}, {Cp("Rycerz"), Knight()}, {Cp("Łucznik"), Archer()}, {Cp("Mag"), Mage()},
          {Cp("Mnich"), Monk()},          {Cp("Chłop"), Peasant()}, {Cp("Zwiadowca"), Scout()}};
}
