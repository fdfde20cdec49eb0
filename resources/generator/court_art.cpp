// The court pictures: king, queen and jack, each the upper half of a printed
// court card, turned by 180 degrees for the lower half. Row 0 is dressed for
// the black suits (blue robes, red trim), row 1 for the red ones (red robes,
// blue trim). The corners where the card puts its suit marks stay white.

#include <QPainter>
#include <QPolygon>

#include "art.h"
#include "card_art.h"

namespace lynx::art {
namespace {

constexpr int kCellW = 47;
constexpr int kHalfH = 37;

struct Dress {
  int primary;    // robe
  int dark;       // robe shadow
  int secondary;  // trim and patterns
};

Key DressKey(const Dress& dress) {
  return {{'P', dress.primary}, {'D', dress.dark}, {'S', dress.secondary}};
}

void Polygon(QImage& image, int fill, std::initializer_list<QPoint> points) {
  QPainter p(&image);
  PixelPainter(p);
  p.setPen(Colour(kBlack));
  p.setBrush(Colour(fill));
  p.drawPolygon(QPolygon(QList<QPoint>(points)));
}

// Robe over both shoulders, from the neck at y = neckY to the bottom of the half.
void Shoulders(QImage& half, const Dress& dress, int left, int right, int neckY) {
  Polygon(half, dress.primary,
          {{left, kHalfH}, {left, neckY + 6}, {left + 4, neckY + 1}, {left + 10, neckY},
           {right - 10, neckY}, {right - 4, neckY + 1}, {right, neckY + 6}, {right, kHalfH}});
}

// Sleeves down both sides of the robe, in the robe's shadow colour with a
// trim-coloured cuff.
void Sleeves(QImage& half, const Dress& dress) {
  for (int y = 26; y < kHalfH; ++y) {
    for (int x = 5; x <= 10; ++x) Plot(half, x, y, y >= 32 && y <= 33 ? dress.secondary : dress.dark);
    for (int x = 36; x <= 41; ++x) Plot(half, x, y, y >= 32 && y <= 33 ? dress.secondary : dress.dark);
    Plot(half, 11, y, kBlack);
    Plot(half, 35, y, kBlack);
  }
}

// A closed hand, 7 x 6, top-left at (x, y).
void Hand(QImage& half, int x, int y) {
  Sprite(half, x, y, {".####..", "#wwww#.", "#wwwww#", "#wwwww#", "#wwwww#", ".#####."});
}

QImage King(const Dress& dress) {
  QImage half = Canvas(kCellW, kHalfH, kWhite);
  const Key key = DressKey(dress);
  Shoulders(half, dress, 3, 43, 20);
  // Ermine collar over the shoulders.
  Sprite(half, 5, 21,
         {"....#########################.....", "..##wwwwwwwwwwwwwwwwwwwwwwwwww##...",
          ".#ww#www#www#wwwwwwwwww#www#www#w#.", "#wwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwwww#",
          "#ww#www#www#wwwwwwwwwwwww#www#www#w#", "####################################"});
  // Robe below the collar: a gold band down the middle with the trim colour.
  for (int y = 27; y < kHalfH; ++y) {
    Sprite(half, 20, y, {"#yyySyyy#"}, key);
    Sprite(half, 8, y, {"S"}, key);
    Sprite(half, 38, y, {"S"}, key);
  }
  for (int y = 28; y < kHalfH; y += 3) {
    Sprite(half, 22, y, {"#S#"}, key);
  }
  for (int y = 27; y < kHalfH; ++y) {
    Plot(half, 7, y, dress.dark);
    Plot(half, 37, y, dress.dark);
  }
  Sleeves(half, dress);
  // Sword behind the head, upright, on the right.
  Sprite(half, 37, 1,
         {"...#...", "..#s#..", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.",
          "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.",
          "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "..#ws#.", "#######", "#yyyyy#", "#######",
          "..#o#..", "..#o#..", "..#o#.."});
  Hand(half, 37, 27);
  // Crown and bearded head.
  Sprite(half, 18, 1,
         {"#.....#.....#", "##...###...##", "#y#.#yyy#.#y#", "#yy#yyyyy#yy#", "#yyyyyyyyyyy#",
          "#yryyybyyyry#", "#yyyyyyyyyyy#", "#############"},
         key);
  Sprite(half, 17, 9,
         {"#yo#wwwwwww#oy#", "#yo#w##w##w#oy#", "#yo#w#www#w#oy#", "#yo#www#www#oy#",
          "#yo#www##ww#oy#", "#yyyoooooooyyy#", "#yyoo##r##ooyy#", "#yyyyyyyyyyyyy#",
          "#yyoyyyoyyyoyy#", ".#yyyoyyyoyyy#.", "..#yoyyyoyyy#..", "...#yyyoyyy#...",
          "....#yoyyy#....", ".....#yyy#.....", "......###......"});
  return half;
}

QImage Queen(const Dress& dress) {
  QImage half = Canvas(kCellW, kHalfH, kWhite);
  const Key key = DressKey(dress);
  Shoulders(half, dress, 3, 43, 22);
  // Bodice: gold lacing down the middle, trim along the neckline.
  Sprite(half, 6, 23,
         {"...#SSSSSSSSSSSSSSSSSSSSSSSSSSSS#...", "..#SyyyyyyyyyyyyyyyyyyyyyyyyyyyyS#..",
          "..#S#########################S#.."},
         key);
  for (int y = 26; y < kHalfH; ++y) {
    Sprite(half, 17, y, {(y % 2 == 0) ? "#SyySyySyyS#" : "#yySyySyySy#"}, key);
    Plot(half, 10, y, dress.dark);
    Plot(half, 34, y, dress.dark);
  }
  Sleeves(half, dress);
  // A rose held up on the left, its stem down to her hand.
  Sprite(half, 3, 5,
         {"..#####..", ".#rrmrr#.", "#rmrrrmr#", "#rrmmmrr#", "#rmrrrmr#", ".#rrmrr#.",
          "..##g##..", "....g....", "..ggg....", ".ggggg...", "..gggg...", "....g....",
          "....g....", "....g....", "....g....", "....g....", "....g....", "....g....",
          "....g....", "....g....", "....g...."});
  Hand(half, 4, 26);
  // Crown, golden hair and face.
  Sprite(half, 13, 1,
         {"......#.#.#......", ".....#y#y#y#.....", "....#yyyyyyy#....", "....#ybyryby#....",
          ".###yyyyyyyyy###.", "#yyo#########oyy#", "#yo#wwwwwwwww#oy#", "#yo#w##www##w#oy#",
          "#yo#wwwwwwwww#oy#", "#yo#ww#www#ww#oy#", "#yo#wwwwwwwww#oy#", "#yo#wwww#wwww#oy#",
          "#yo#wwww##www#oy#", "#yo#wwwwwwwww#oy#", "#yo#wwwrrrwww#oy#", "#yo#wwwwwwwww#oy#",
          "#yoo#wwwwwww#ooy#", "#yyo##wwwww##oyy#", "#yyyo##www##oyyy#", "#yyyyo#####oyyyy#",
          ".#yyyyyyyyyyyyy#.", "..##yyyyyyyyy##.."},
         key);
  // Necklace.
  Sprite(half, 17, 23, {"..y.y.y.y..", "....yry...."});
  return half;
}

QImage Jack(const Dress& dress) {
  QImage half = Canvas(kCellW, kHalfH, kWhite);
  const Key key = DressKey(dress);
  Shoulders(half, dress, 4, 42, 21);
  // Tunic: chequered in the trim colour, a white collar.
  for (int y = 24; y < kHalfH; ++y) {
    for (int x = 12; x <= 30; ++x) {
      if (((x / 3) + (y / 3)) % 2 == 0) Plot(half, x, y, dress.secondary);
    }
    Plot(half, 11, y, kBlack);
    Plot(half, 31, y, kBlack);
  }
  Sprite(half, 10, 21,
         {".#######################.", "#wwwwwwwwwwwwwwwwwwwwwww#", ".#w#w#w#w#w#w#w#w#w#w#w#.",
          "..#.#.#.#.#.#.#.#.#.#.#.."});
  Sleeves(half, dress);
  // A halberd in his right hand, on the left of the picture.
  Sprite(half, 2, 3,
         {"...#...", "..#s#..", "..#s#..", ".#sss#.", "#sssss#", "#ss#ss#", ".#s#s#.", "..#o#..",
          "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..",
          "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..",
          "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..", "..#o#..",
          "..#o#..", "..#o#.."});
  Hand(half, 2, 27);
  // Cap with a feather, curly hair, a young face with a small moustache.
  Sprite(half, 13, 1,
         {"....#########....", "...#PPPPPPPPP#...", "..#PPPPPPPPPPP#..", ".#PPPPPPPPPPPPP#.",
          "#yyyyyyyyyyyyyyy#", "#################", "#yo#wwwwwwwww#oy#", "#oy#w##www##w#yo#",
          "#yo#ww#www#ww#oy#", "#oy#wwww#wwww#yo#", "#yo#wwww##www#oy#", "#oy#wwwwwwwww#yo#",
          "#yo#ww#####ww#oy#", "#oy#wwwrrrwww#yo#", ".#yo#wwwwwww#oy#.", "..#y##wwwww##y#..",
          "...#y##www##y#...", "....#o#####o#...."},
         key);
  Sprite(half, 23, 0, {"....##", "..##S#", ".#SS#.", "#SS#..", "##...."}, key);
  return half;
}

// Puts the half and its 180-degree turn into the 47 x 74 cell at (x, y),
// with a thin frame round the picture.
void PlaceCourt(QImage& sheet, int x, int y, const QImage& half) {
  QImage full = Canvas(kCellW, 2 * kHalfH, kWhite);
  const QImage turned = Rotated180(half);
  for (int j = 0; j < kHalfH; ++j) {
    for (int i = 0; i < kCellW; ++i) {
      full.setPixel(i, j, half.pixel(i, j));
      full.setPixel(i, kHalfH + j, turned.pixel(i, j));
    }
  }
  for (int i = 0; i < kCellW; ++i) {
    Plot(full, i, kHalfH - 1, kBlack);  // the line between the two halves
    Plot(full, i, 0, kBlack);
    Plot(full, i, 2 * kHalfH - 1, kBlack);
  }
  for (int j = 0; j < 2 * kHalfH; ++j) {
    Plot(full, 0, j, kBlack);
    Plot(full, kCellW - 1, j, kBlack);
  }
  for (int j = 0; j < 2 * kHalfH; ++j)
    for (int i = 0; i < kCellW; ++i) sheet.setPixel(x + i, y + j, full.pixel(i, j));
}

}  // namespace

QImage MakeFace() {
  QImage sheet = Canvas(141, 148, kWhite);
  const Dress dresses[2] = {{kBlue, kNavy, kRed}, {kRed, kMaroon, kBlue}};
  for (int row = 0; row < 2; ++row) {
    const Dress& dress = dresses[row];
    PlaceCourt(sheet, 0, row * 74, King(dress));
    PlaceCourt(sheet, 47, row * 74, Queen(dress));
    PlaceCourt(sheet, 94, row * 74, Jack(dress));
  }
  return sheet;
}

// The jack's upper half for the title picture of Jacks or Better.
QImage JackOfHeartsHalf() { return Jack({kRed, kMaroon, kBlue}); }

}  // namespace lynx::art
