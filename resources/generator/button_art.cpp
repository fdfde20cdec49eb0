#include "button_art.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygon>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "art.h"
#include "card_art.h"

namespace lynx::art {
namespace {

constexpr int kButtonW = 64;
constexpr int kButtonH = 40;

// Raised grey face: black edge, white light from the top left, grey shadow.
void Bevel(QImage& image, int x, int y, int w, int h) {
  FillRect(image, x, y, w, h, kSilver);
  for (int i = x; i < x + w; ++i) {
    Plot(image, i, y, kBlack);
    Plot(image, i, y + h - 1, kBlack);
  }
  for (int j = y; j < y + h; ++j) {
    Plot(image, x, j, kBlack);
    Plot(image, x + w - 1, j, kBlack);
  }
  for (int d = 1; d <= 2; ++d) {
    for (int i = x + d; i < x + w - d; ++i) {
      Plot(image, i, y + d, kWhite);
      Plot(image, i, y + h - 1 - d, kGrey);
    }
    for (int j = y + d; j < y + h - d; ++j) {
      Plot(image, x + d, j, kWhite);
      Plot(image, x + w - 1 - d, j, kGrey);
    }
  }
}

void CrossIcon(QImage& b, int x, int y) {
  Sprite(b, x, y,
         {".##.........##.", "#rr#.......#rr#", "#rrr#.....#rrr#", ".#rrr#...#rrr#.",
          "..#rrr#.#rrr#..", "...#rrr#rrr#...", "....#rrrrr#....", ".....#rrr#.....",
          "....#rrrrr#....", "...#rrr#rrr#...", "..#rrr#.#rrr#..", ".#rrr#...#rrr#.",
          "#rrr#.....#rrr#", "#rr#.......#rr#", ".##.........##."});
}

void QuestionIcon(QImage& b, int x, int y) {
  Sprite(b, x, y,
         {"..#######..", ".#bbbbbbb#.", "#bbb###bbb#", "#bb#...#bb#", ".##....#bb#", "......#bbb#",
          ".....#bbb#.", "....#bbb#..", "....#bb#...", "....#bb#...", ".....##....", "....####...",
          "....#bb#...", "....#bb#...", ".....##...."});
}

void ExclamationIcon(QImage& b, int x, int y) {
  Sprite(b, x, y,
         {".####.", "#rrrr#", "#rrrr#", "#rrrr#", "#rrrr#", ".#rr#.", ".#rr#.", ".#rr#.", ".#rr#.",
          "..##..", "......", ".####.", "#rrrr#", "#rrrr#", ".####."});
}

void SpeakerIcon(QImage& b, int x, int y) {
  // Box and cone in black with a grey face, then two sound waves.
  for (int j = 5; j <= 10; ++j)
    for (int i = 0; i <= 4; ++i) Plot(b, x + i, y + j, (i == 0 || j == 5 || j == 10) ? kBlack : kGrey);
  for (int i = 5; i <= 10; ++i)
    for (int j = 5 - (i - 5); j <= 10 + (i - 5); ++j) Plot(b, x + i, y + j, kBlack);
  for (int j = 0; j < 16; ++j) {
    for (int i = 12; i < 22; ++i) {
      const double d = std::hypot(i - 7.0, j - 7.5);
      if ((d >= 6.0 && d < 7.6 && i >= 12) || (d >= 9.6 && d < 11.2 && i >= 15)) Plot(b, x + i, y + j, kBlack);
    }
  }
}

void CoinIcon(QImage& b, int x, int y) {
  Sprite(b, x, y,
         {".....######.....", "...##yyyyyy##...", "..#yyyyo#yyyy#..", ".#yyyo#####oyy#.",
          ".#yyy#yo#yo#yy#.", "#yyyy#yo#yyyyyy#", "#yyyyo####oyyyy#", "#yyyyyyo#o#yyyy#",
          "#yyyyyyo#yo#yyy#", "#yyyy#yo#yo#yyy#", ".#yyyo#####oyy#.", ".#yyyyyo#oyyyy#.",
          "..#yyyyyyyyyyo#.", "...##yyyyyyoo#..", "....o######o....", "................"});
}

void MiniCard(QImage& b, int x, int y, int w, int h, int pipColour) {
  for (int j = 0; j < h; ++j) {
    for (int i = 0; i < w; ++i) {
      const bool corner = (i == 0 || i == w - 1) && (j == 0 || j == h - 1);
      if (corner) continue;
      const bool edge = i == 0 || j == 0 || i == w - 1 || j == h - 1;
      Plot(b, x + i, y + j, edge ? kBlack : kWhite);
    }
  }
  if (pipColour >= 0) {
    Plot(b, x + w / 2, y + h / 2 - 1, pipColour);
    FillRect(b, x + w / 2 - 1, y + h / 2, 3, 1, pipColour);
    Plot(b, x + w / 2, y + h / 2 + 1, pipColour);
  }
}

void ModeIcon(QImage& b, int x, int y) {
  MiniCard(b, x, y + 6, 7, 10, kRed);
  Sprite(b, x + 8, y + 7, {"..#.....#..", ".##.....##.", "###########", ".##.....##.", "..#.....#.."});
  MiniCard(b, x + 20, y, 12, 17, kBlack);
  FillRect(b, x + 24, y + 6, 4, 5, kBlack);
  FillRect(b, x + 23, y + 7, 6, 3, kBlack);
}

void FannedCards(QImage& b, int x, int y) {
  // Three cards spread from left to right, each a little higher.
  MiniCard(b, x, y + 4, 11, 15, kBlack);
  MiniCard(b, x + 6, y + 2, 11, 15, kRed);
  MiniCard(b, x + 12, y, 11, 15, kBlack);
}

void SingleCard(QImage& b, int x, int y) {
  Sprite(b, x, y,
         {".##########.", "#wwwwwwwwww#", "#wwwwwwwwww#", "#wwwwrwwwww#", "#wwwrrrwwww#",
          "#wwrrrrrwww#", "#wrrrrrrrww#", "#wwrrrrrwww#", "#wwwrrrwwww#", "#wwwwrwwwww#",
          "#wwwwwwwwww#", "#wwwwwwwwww#", "#wwwwwwwwww#", ".##########."});
  // An arrow pointing at the card: a new one comes in.
  Sprite(b, x + 13, y + 4, {"....#...", "....##..", "#######.", "########", "#######.", "....##..", "....#..."});
}

void BookIcon(QImage& b, int x, int y) {
  Sprite(b, x, y,
         {"..####.......####..", ".#wwww##...##wwww#.", "#wwwwwww#.#wwwwwww#",
          "#wGGGGww#.#wGGGGww#", "#wwwwwww#.#wwwwwww#", "#wGGGGGw#.#wGGGGGw#",
          "#wwwwwww#.#wwwwwww#", "#wGGGGww#.#wGGGGGw#", "#wwwwwww#.#wwwwwww#",
          "#wGGGGGw#.#wGGGww#.", "#wwwwwwww#wwwwwwww#", "#nnnn####w####nnnn#",
          ".nnnnnnnn#nnnnnnnn.", "..........#........"});
}

// A button with an icon drawn above a word.
QImage IconButton(void (*icon)(QImage&, int, int), int iconW, int iconY, const QString& word) {
  QImage b = Canvas(kButtonW, kButtonH, kSilver);
  Bevel(b, 0, 0, kButtonW, kButtonH);
  icon(b, (kButtonW - iconW) / 2, iconY);
  CentredText(b, 0, kButtonW, 35, word, BoldFont(13), kBlack);
  return b;
}

QImage WordButton(const QString& word) {
  QImage b = Canvas(kButtonW, kButtonH, kSilver);
  Bevel(b, 0, 0, kButtonW, kButtonH);
  CentredText(b, 0, kButtonW, 26, word, BoldFont(14), kBlack);
  return b;
}

// One black pixel round a 64 x 47 game picture.
void BlackFrame(QImage& g) {
  for (int x = 0; x < 64; ++x) {
    Plot(g, x, 0, kBlack);
    Plot(g, x, 46, kBlack);
  }
  for (int y = 0; y < 47; ++y) {
    Plot(g, 0, y, kBlack);
    Plot(g, 63, y, kBlack);
  }
}

}  // namespace

QImage MakeButton(const QString& name) {
  if (name == "btn_quit" || name == "title_quit") return IconButton(CrossIcon, 15, 5, "Quit");
  if (name == "btn_help" || name == "title_help") return IconButton(QuestionIcon, 11, 5, "Help");
  if (name == "title_about") return IconButton(ExclamationIcon, 6, 5, "About");
  if (name == "title_catalog") return IconButton(BookIcon, 19, 6, "Catalog");
  if (name == "btn_sound") return IconButton(SpeakerIcon, 22, 5, "Sound");
  if (name == "btn_credits") return IconButton(CoinIcon, 16, 5, "Credits");
  if (name == "btn_mode") return IconButton(ModeIcon, 32, 5, "Mode");
  if (name == "btn_deal") return IconButton(FannedCards, 23, 5, "Deal");
  if (name == "btn_draw") return IconButton(SingleCard, 21, 5, "Draw");
  if (name == "btn_bet_one") return WordButton("Bet $1");
  if (name == "btn_max_bet") return WordButton("Max Bet");
  std::fprintf(stderr, "no button named %s\n", qPrintable(name));
  std::exit(1);
}

QImage MakeMarker(bool draw, bool large) {
  const int w = large ? 66 : 44;
  const int h = large ? 33 : 28;
  const int background = draw ? kWhite : kYellow;
  const int ink = draw ? kBlack : kRed;
  QImage m = Canvas(w, h, background);
  for (int i = 0; i < w; ++i) {
    Plot(m, i, 0, kBlack);
    Plot(m, i, h - 1, kBlack);
  }
  for (int j = 0; j < h; ++j) {
    Plot(m, 0, j, kBlack);
    Plot(m, w - 1, j, kBlack);
  }
  const int size = large ? 20 : 15;
  const int baseline = large ? 24 : 20;
  CentredText(m, 0, w, baseline, draw ? QStringLiteral("Draw") : QStringLiteral("Hold"),
              BoldFont(size), ink);
  return m;
}

QImage MakeGamePicture(int variant) {
  QImage g = Canvas(64, 47, kSilver);
  if (variant == 1) {
    Bevel(g, 0, 0, 64, 47);
    FillRect(g, 5, 4, 54, 39, kBlack);
    FillRect(g, 6, 5, 52, 37, kWhite);
    const QImage half = JackOfHeartsHalf();
    for (int y = 0; y < 37; ++y)
      for (int x = 0; x < 47; ++x) g.setPixel(8 + x, 5 + y, half.pixel(x, y));
    DrawSuitSymbol(g, 8 + 32, 5 + 2, 13, 13, 1);
    return g;
  }
  if (variant == 2) {
    g.fill(VgaColor(kTeal));
    DrawJester(g, 32, -1);
    BlackFrame(g);
    return g;
  }
  // Three overlapping twos on green baize.
  g.fill(VgaColor(kGreen));
  const int suits[3] = {0, 1, 3};
  for (int k = 0; k < 3; ++k) {
    const int x = 3 + 18 * k;
    const int y = 9 - 3 * k;
    MiniCard(g, x, y, 24, 35, -1);
    const int colour = suits[k] == 1 ? kRed : kBlack;
    DrawRankGlyph(g, x + 1, y + 1, 2, colour);
    DrawSuitSymbol(g, x + 10, y + 17, 11, 11, suits[k]);
  }
  BlackFrame(g);
  return g;
}

// Suit symbol as a smooth outline in the box [-1, 1] x [-1, 1] (y down).
QPainterPath SuitPath(int suit) {
  QPainterPath path;
  path.setFillRule(Qt::WindingFill);
  const auto stem = [&path] {
    QPolygonF foot;
    foot << QPointF(0, 0.1) << QPointF(-0.42, 1.0) << QPointF(0.42, 1.0);
    path.addPolygon(foot);
  };
  switch (suit) {
    case 0:
      path.addEllipse(QPointF(0, -0.5), 0.42, 0.42);
      path.addEllipse(QPointF(-0.5, 0.12), 0.42, 0.42);
      path.addEllipse(QPointF(0.5, 0.12), 0.42, 0.42);
      path.addEllipse(QPointF(0, 0), 0.3, 0.3);
      stem();
      break;
    case 1:
      path.moveTo(0, 1.0);
      path.cubicTo(-0.6, 0.45, -1.0, 0.05, -1.0, -0.4);
      path.cubicTo(-1.0, -1.05, -0.15, -1.15, 0, -0.55);
      path.cubicTo(0.15, -1.15, 1.0, -1.05, 1.0, -0.4);
      path.cubicTo(1.0, 0.05, 0.6, 0.45, 0, 1.0);
      break;
    case 2:
      path.moveTo(0, -1.0);
      path.lineTo(0.78, 0);
      path.lineTo(0, 1.0);
      path.lineTo(-0.78, 0);
      path.closeSubpath();
      break;
    default:
      path.moveTo(0, -1.0);
      path.cubicTo(-0.6, -0.5, -1.0, -0.2, -1.0, 0.2);
      path.cubicTo(-1.0, 0.75, -0.25, 0.8, 0, 0.35);
      path.cubicTo(0.25, 0.8, 1.0, 0.75, 1.0, 0.2);
      path.cubicTo(1.0, -0.2, 0.6, -0.5, 0, -1.0);
      stem();
      break;
  }
  return path.simplified();
}

QImage MakeIcon(int size) {
  // Drawn on a 256-unit square, scaled to the size asked for.
  QImage icon(size, size, QImage::Format_ARGB32);
  icon.fill(Qt::transparent);
  QPainter p(&icon);
  p.setRenderHint(QPainter::Antialiasing, true);
  p.setRenderHint(QPainter::TextAntialiasing, true);
  p.scale(size / 256.0, size / 256.0);
  const struct {
    double angle;
    int suit;
  } cards[3] = {{-22, 3}, {0, 1}, {22, 0}};
  for (const auto& card : cards) {
    p.save();
    p.translate(128, 236);
    p.rotate(card.angle);
    const QRectF face(-48, -200, 96, 136);
    p.setPen(QPen(Qt::black, 7));
    p.setBrush(Qt::white);
    p.drawRoundedRect(face, 12, 12);
    const QColor ink = card.suit == 1 ? QColor(Colour(kRed)) : QColor(Qt::black);
    // A small pip under the index, where the fan leaves it in sight, and a
    // large one in the middle of the front card.
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    p.save();
    p.translate(-27, -136);
    p.scale(14, 14);
    p.drawPath(SuitPath(card.suit));
    p.restore();
    if (card.angle > 0) {
      p.save();
      p.translate(8, -122);
      p.scale(26, 26);
      p.drawPath(SuitPath(card.suit));
      p.restore();
    }
    QFont font = BoldFont(36);
    font.setStyleStrategy(QFont::PreferAntialias);
    p.setFont(font);
    p.setPen(ink);
    p.drawText(QRectF(-44, -198, 34, 40), Qt::AlignCenter, QStringLiteral("A"));
    p.restore();
  }
  // A gold chip in front of the fan.
  p.setPen(QPen(Qt::black, 6));
  p.setBrush(Colour(kYellow));
  p.drawEllipse(QPointF(194, 200), 42, 42);
  p.setPen(QPen(Colour(kOlive), 8, Qt::DashLine));
  p.setBrush(Qt::NoBrush);
  p.drawEllipse(QPointF(194, 200), 32, 32);
  QFont chipFont = BoldFont(44);
  chipFont.setStyleStrategy(QFont::PreferAntialias);
  p.setFont(chipFont);
  p.setPen(Colour(kOlive));
  p.drawText(QRectF(150, 156, 88, 88), Qt::AlignCenter, QStringLiteral("$"));
  p.end();
  return icon;
}

}  // namespace lynx::art
