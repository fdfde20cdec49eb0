#include "card_art.h"

#include <QPainter>
#include <QPolygon>
#include <array>
#include <cmath>
#include <vector>

#include "art.h"

namespace lynx::art {
namespace {

constexpr int kW = 73;
constexpr int kH = 98;

// The mask's white pixels: the outer frame and three pixels at each corner.
bool MaskWhite(int x, int y) {
  if (x == 0 || y == 0 || x == kW - 1 || y == kH - 1) return true;
  const int cx = std::min(x, kW - 1 - x);
  const int cy = std::min(y, kH - 1 - y);
  return (cx == 1 && cy == 1) || (cx == 2 && cy == 1) || (cx == 1 && cy == 2);
}

// The blank's black pixels: two rows and columns all round, plus one more
// pixel inside each corner so that the visible outline turns a curve.
bool BlankBlack(int x, int y) {
  const int cx = std::min(x, kW - 1 - x);
  const int cy = std::min(y, kH - 1 - y);
  return cx <= 1 || cy <= 1 || (cx == 2 && cy == 2);
}

// Blackens everything outside the card outline (where the blank is black).
void ApplyOutline(QImage& card) {
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (BlankBlack(x, y)) Plot(card, x, y, kBlack);
}

// Glyphs of the ranks A, 2..10, J, Q, K: 12 rows, drawn from row 1 of the cell.
// The seven-pixel glyphs start at column 1, the ten fills all nine columns.
const std::array<std::vector<const char*>, 13> kGlyphs = {{
    {"...#...", "..###..", "..###..", ".##.##.", ".##.##.", ".##.##.", "##...##", "#######",
     "#######", "##...##", "##...##", "##...##"},
    {".#####.", "##...##", "##...##", ".....##", "....##.", "...##..", "..##...", ".##....",
     "##.....", "##.....", "#######", "#######"},
    {".#####.", "##...##", ".....##", ".....##", "...###.", "...###.", ".....##", ".....##",
     ".....##", "##...##", "##...##", ".#####."},
    {"....##.", "...###.", "..####.", ".##.##.", ".##.##.", "##..##.", "##..##.", "#######",
     "#######", "....##.", "....##.", "....##."},
    {"#######", "##.....", "##.....", "##.....", "######.", ".....##", ".....##", ".....##",
     ".....##", "##...##", "##...##", ".#####."},
    {"..####.", ".##....", "##.....", "##.....", "######.", "##...##", "##...##", "##...##",
     "##...##", "##...##", "##...##", ".#####."},
    {"#######", "#######", ".....##", "....##.", "....##.", "...##..", "...##..", "..##...",
     "..##...", "..##...", "..##...", "..##..."},
    {".#####.", "##...##", "##...##", "##...##", ".#####.", ".#####.", "##...##", "##...##",
     "##...##", "##...##", "##...##", ".#####."},
    {".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", ".######", ".....##",
     ".....##", ".....##", "....##.", ".####.."},
    {".##..###.", "###.##.##", ".##.##.##", ".##.##.##", ".##.##.##", ".##.##.##", ".##.##.##",
     ".##.##.##", ".##.##.##", ".##.##.##", ".##.##.##", ".##..###."},
    {"...####", ".....##", ".....##", ".....##", ".....##", ".....##", ".....##", ".....##",
     "##...##", "##...##", "##...##", ".#####."},
    {".#####.", "##...##", "##...##", "##...##", "##...##", "##...##", "##...##", "##.#.##",
     "##.####", "##..##.", ".######", ".....##"},
    {"##...##", "##..##.", "##.##..", "####...", "###....", "###....", "####...", "##.##..",
     "##..##.", "##..##.", "##...##", "##...##"},
}};

// Small suit symbols, 9 x 10, drawn at (1, 1) of the 11 x 12 cell.
const std::array<std::vector<const char*>, 4> kSmallSuits = {{
    {"...###...", "..#####..", "..#####..", "...###...", ".##.#.##.", "#########", "#########",
     ".##.#.##.", "....#....", "...###..."},
    {".##...##.", "####.####", "#########", "#########", "#########", ".#######.", "..#####..",
     "...###...", "....#....", "........."},
    {"....#....", "...###...", "..#####..", ".#######.", "#########", ".#######.", "..#####..",
     "...###...", "....#....", "........."},
    {"....#....", "...###...", "..#####..", ".#######.", "#########", "#########", ".##.#.##.",
     "....#....", "...###...", "........."},
}};

double Dist2(double u, double v, double cu, double cv) {
  return (u - cu) * (u - cu) + (v - cv) * (v - cv);
}

bool InTriangle(double u, double v, double ax, double ay, double bx, double by, double cx, double cy) {
  const auto side = [](double px, double py, double x1, double y1, double x2, double y2) {
    return (px - x2) * (y1 - y2) - (x1 - x2) * (py - y2);
  };
  const double d1 = side(u, v, ax, ay, bx, by);
  const double d2 = side(u, v, bx, by, cx, cy);
  const double d3 = side(u, v, cx, cy, ax, ay);
  const bool neg = d1 < 0 || d2 < 0 || d3 < 0;
  const bool pos = d1 > 0 || d2 > 0 || d3 > 0;
  return !(neg && pos);
}

// Suit shapes on the square [-1, 1] x [-1, 1], v pointing down.
bool InSuit(int suit, double u, double v) {
  switch (suit) {
    case 0:  // clubs: three leaves and a flared stem
      return Dist2(u, v, 0, -0.48) < 0.42 * 0.42 || Dist2(u, v, -0.5, 0.14) < 0.42 * 0.42 ||
             Dist2(u, v, 0.5, 0.14) < 0.42 * 0.42 || Dist2(u, v, 0, 0.02) < 0.3 * 0.3 ||
             InTriangle(u, v, 0, -0.1, -0.42, 1.0, 0.42, 1.0);
    case 1:  // hearts
      return Dist2(u, v, -0.47, -0.4) < 0.52 * 0.52 || Dist2(u, v, 0.47, -0.4) < 0.52 * 0.52 ||
             InTriangle(u, v, -0.97, -0.24, 0.97, -0.24, 0, 0.98);
    case 2:  // diamonds
      return std::abs(u) / 0.8 + std::abs(v) / 1.0 <= 1.0;
    default:  // spades: an upside-down heart and a flared stem
      return Dist2(u, v, -0.47, 0.2) < 0.47 * 0.47 || Dist2(u, v, 0.47, 0.2) < 0.47 * 0.47 ||
             InTriangle(u, v, -0.93, 0.07, 0.93, 0.07, 0, -1.0) ||
             InTriangle(u, v, 0, 0.3, -0.4, 1.0, 0.4, 1.0);
  }
}

int SuitColour(int suit) { return (suit == 1 || suit == 2) ? kRed : kBlack; }

// The jester's red question mark, 9 x 14 like the rank glyphs.
const std::vector<const char*> kQuestion = {
    "..#####..", ".###.###.", "###...###", "##.....##", "......###", ".....###.", "....###..",
    "...###...", "...##....", "...##....", ".........", "...##....", "...##....", "........."};

}  // namespace

void DrawSuitSymbol(QImage& image, int x, int y, int w, int h, int suit) {
  constexpr int kSamples = 4;
  for (int py = 0; py < h; ++py) {
    for (int px = 0; px < w; ++px) {
      int hits = 0;
      for (int sy = 0; sy < kSamples; ++sy) {
        for (int sx = 0; sx < kSamples; ++sx) {
          const double u = ((px + (sx + 0.5) / kSamples) / w) * 2.0 - 1.0;
          const double v = ((py + (sy + 0.5) / kSamples) / h) * 2.0 - 1.0;
          hits += InSuit(suit, u, v) ? 1 : 0;
        }
      }
      if (hits * 2 >= kSamples * kSamples) Plot(image, x + px, y + py, SuitColour(suit));
    }
  }
}

void DrawRankGlyph(QImage& image, int x, int y, int rank, int colour) {
  const auto& glyph = kGlyphs[static_cast<std::size_t>(rank - 1)];
  const int left = rank == 10 ? 0 : 1;
  for (std::size_t row = 0; row < glyph.size(); ++row)
    for (int col = 0; glyph[row][col] != '\0'; ++col)
      if (glyph[row][col] == '#') Plot(image, x + left + col, y + 1 + static_cast<int>(row), colour);
}

QImage MakeBlank() {
  QImage card = Canvas(kW, kH, kWhite);
  ApplyOutline(card);
  return card;
}

QImage MakeCardMask() {
  QImage mask = Canvas(kW, kH, kBlack);
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x)
      if (MaskWhite(x, y)) Plot(mask, x, y, kWhite);
  return mask;
}

QImage MakeBigCardMask() {
  const QImage small = MakeCardMask();
  QImage big = Canvas(2 * kW, 2 * kH, kBlack);
  for (int y = 0; y < 2 * kH; ++y)
    for (int x = 0; x < 2 * kW; ++x) big.setPixel(x, y, small.pixel(x / 2, y / 2));
  return big;
}

QImage MakeCardBack() {
  QImage card = Canvas(kW, kH, kWhite);
  // A red frame line three pixels inside the outline, the pattern inside it.
  constexpr int left = 5, top = 5, right = kW - 6, bottom = kH - 6;
  for (int y = top; y <= bottom; ++y) {
    for (int x = left; x <= right; ++x) {
      if (x == left || x == right || y == top || y == bottom) {
        Plot(card, x, y, kRed);
        continue;
      }
      // Diagonal lattice of period 10 with bars two pixels wide; a sphere
      // sits in the middle of every diamond, lit from the top left.
      const int a = (x - left + y - top) % 10;
      const int b = ((x - left - (y - top)) % 10 + 10) % 10;
      const int dx = (a - 5 + b - 5) / 2;
      const int dy = (a - 5 - (b - 5)) / 2;
      const int d2 = dx * dx + dy * dy;
      int colour = kMaroon;
      if (a <= 1 || b <= 1) {
        colour = kRed;
      } else if (d2 <= 5) {
        colour = kBlue;
        if (dx + dy >= 2 || d2 == 5) colour = kNavy;
        if (dx == -1 && dy == -1) colour = kWhite;
        if ((dx == 0 && dy == -1) || (dx == -1 && dy == 0)) colour = kAqua;
      }
      Plot(card, x, y, colour);
    }
  }
  ApplyOutline(card);
  return card;
}

QImage MakeEmptyPosition() {
  QImage card = Canvas(kW, kH, kGrey);
  for (int y = 4; y < kH - 3; y += 4)
    for (int x = ((y / 4) % 2 == 0) ? 4 : 6; x < kW - 3; x += 4) Plot(card, x, y, kBlack);
  ApplyOutline(card);
  return card;
}

void DrawJester(QImage& image, int cx, int top) {
  QPainter p(&image);
  PixelPainter(p);
  p.setPen(Colour(kBlack));
  // Three floppy points of the hat, each ending in a bell.
  const auto point = [&p](int colour, std::initializer_list<QPoint> pts) {
    p.setBrush(Colour(colour));
    p.drawPolygon(QPolygon(QList<QPoint>(pts)));
  };
  const int hatBase = top + 22;
  point(kRed, {{cx - 14, hatBase}, {cx - 20, top + 12}, {cx - 22, top + 6}, {cx - 19, top + 8},
               {cx - 10, top + 12}, {cx - 4, hatBase}});
  point(kGreen, {{cx + 14, hatBase}, {cx + 20, top + 12}, {cx + 22, top + 6}, {cx + 19, top + 8},
                 {cx + 10, top + 12}, {cx + 4, hatBase}});
  point(kPurple, {{cx - 6, hatBase}, {cx - 5, top + 6}, {cx, top + 2}, {cx + 5, top + 6},
                  {cx + 6, hatBase}});
  p.setBrush(Colour(kYellow));
  p.drawEllipse(QPoint(cx - 22, top + 5), 3, 3);
  p.drawEllipse(QPoint(cx + 22, top + 5), 3, 3);
  p.drawEllipse(QPoint(cx, top + 1), 3, 3);
  // Hat band.
  p.setBrush(Colour(kYellow));
  p.drawRect(cx - 15, hatBase - 1, 30, 4);
  p.end();
  for (int i = -14; i <= 14; i += 4) Plot(image, cx + i, hatBase + 1, kRed);
  // The face.
  const int faceTop = hatBase + 4;
  Sprite(image, cx - 11, faceTop,
         {"#.....................#", "##wwwwwwwwwwwwwwwwwwww#", ".#wwwwwwwwwwwwwwwwwww#.",
          ".#ww##wwwwwwwwwww##ww#.", ".#w#ww#wwwwwwwww#ww#w#.", ".#wwwwwwwwwwwwwwwwwww#.",
          ".#wwwwwwwwrrrwwwwwwww#.", ".#wrrwwwwrrrrrwwwwrrw#.", ".#wrrwwwwwrrrwwwwwrrw#.",
          "..#wwwwwwwwwwwwwwwww#..", "..#w###wwwwwwwww###w#..", "..#ww#############ww#..",
          "...#w#wwwwwwwwwww#w#...", "...#ww#rrrrrrrrr#ww#...", "....#ww#rrrrrrr#ww#....",
          ".....#ww#######ww#.....", "......##wwwwwww##......", "........#######........"});
  // Ruff collar: alternating red and yellow points.
  const int ruffTop = faceTop + 17;
  for (int i = 0; i < 9; ++i) {
    const int x0 = cx - 18 + i * 4;
    const int colour = (i % 2 == 0) ? kRed : kYellow;
    Sprite(image, x0, ruffTop, {"..#..", ".#c#.", "#ccc#", "#ccc#", ".#c#.", "..#.."}, {{'c', colour}});
  }
}

QImage MakeJoker() {
  QImage card = Canvas(kW, kH, kWhite);
  DrawJester(card, 36, 18);
  // Harlequin shoulders below the ruff: red and yellow diamonds.
  for (int y = 67; y <= 84; ++y) {
    const int half = std::min(20, 12 + (y - 67) * 2);
    for (int x = 36 - half; x <= 36 + half; ++x) {
      const bool edge = x == 36 - half || x == 36 + half || y == 67 || y == 84;
      const int u = ((x + y) % 8 + 8) % 8;
      const int v = ((x - y) % 8 + 8) % 8;
      const int colour = edge ? kBlack : ((u < 4) == (v < 4) ? kRed : kYellow);
      Plot(card, x, y, colour);
    }
  }
  for (std::size_t row = 0; row < kQuestion.size(); ++row) {
    for (int col = 0; kQuestion[row][col] != '\0'; ++col) {
      if (kQuestion[row][col] != '#') continue;
      Plot(card, 3 + col, 4 + static_cast<int>(row), kRed);
      Plot(card, 61 + 8 - col, 81 + 13 - static_cast<int>(row), kRed);
    }
  }
  ApplyOutline(card);
  return card;
}

QImage MakeDigits(int colour) {
  QImage sheet = Canvas(117, 28, kWhite);
  for (int rank = 1; rank <= 13; ++rank) {
    QImage cell = Canvas(9, 14, kWhite);
    DrawRankGlyph(cell, 0, 0, rank, colour);
    const QImage turned = Rotated180(cell);
    for (int y = 0; y < 14; ++y) {
      for (int x = 0; x < 9; ++x) {
        sheet.setPixel((rank - 1) * 9 + x, y, cell.pixel(x, y));
        sheet.setPixel((rank - 1) * 9 + x, 14 + y, turned.pixel(x, y));
      }
    }
  }
  return sheet;
}

QImage MakeSuits() {
  QImage sheet = Canvas(60, 30, kWhite);
  for (int suit = 0; suit < 4; ++suit) {
    QImage cell = Canvas(15, 15, kWhite);
    DrawSuitSymbol(cell, 1, 1, 13, 13, suit);
    const QImage turned = Rotated180(cell);
    for (int y = 0; y < 15; ++y) {
      for (int x = 0; x < 15; ++x) {
        sheet.setPixel(suit * 15 + x, y, cell.pixel(x, y));
        sheet.setPixel(suit * 15 + x, 15 + y, turned.pixel(x, y));
      }
    }
  }
  return sheet;
}

QImage MakeSuitsMask(const QImage& suits) {
  QImage mask = Canvas(suits.width(), suits.height(), kWhite);
  for (int y = 0; y < suits.height(); ++y)
    for (int x = 0; x < suits.width(); ++x)
      if ((suits.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF) Plot(mask, x, y, kBlack);
  return mask;
}

QImage MakeSuitsSmall() {
  QImage sheet = Canvas(44, 24, kWhite);
  for (int suit = 0; suit < 4; ++suit) {
    QImage cell = Canvas(11, 12, kWhite);
    const auto& rows = kSmallSuits[static_cast<std::size_t>(suit)];
    for (std::size_t row = 0; row < rows.size(); ++row)
      for (int col = 0; rows[row][col] != '\0'; ++col)
        if (rows[row][col] == '#') Plot(cell, 1 + col, 1 + static_cast<int>(row), SuitColour(suit));
    const QImage turned = Rotated180(cell);
    for (int y = 0; y < 12; ++y) {
      for (int x = 0; x < 11; ++x) {
        sheet.setPixel(suit * 11 + x, y, cell.pixel(x, y));
        sheet.setPixel(suit * 11 + x, 12 + y, turned.pixel(x, y));
      }
    }
  }
  return sheet;
}

}  // namespace lynx::art
