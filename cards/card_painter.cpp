#include "cards/card_painter.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <array>
#include <vector>

#include "cards/card_sheet.h"

namespace lynx {
namespace {

// Pip cell of a number card: top-left on the card and whether it is the
// rotated (lower-half) cell.
struct Pip {
  int x;
  int y;
  bool rotated;
};

constexpr std::array<Pip, 4> kCorners = {{{15, 15, false}, {43, 15, false}, {15, 68, true}, {43, 68, true}}};

// Drawing order of the pips of ranks 1..10; later pips win where cells overlap.
std::vector<Pip> PipsOf(int rank) {
  std::vector<Pip> pips;
  // One at a time: GCC 12 at -O3 warns (falsely) about vector::insert here.
  const auto add = [&pips](std::initializer_list<Pip> more) {
    for (const Pip& pip : more) pips.push_back(pip);
  };
  switch (rank) {
    case 1: add({{29, 42, false}}); break;
    case 2: add({{29, 15, false}, {29, 68, true}}); break;
    case 3: add({{29, 15, false}, {29, 68, true}, {29, 42, false}}); break;
    case 4: pips.assign(kCorners.begin(), kCorners.end()); break;
    case 5: pips = PipsOf(4); add({{29, 42, false}}); break;
    case 6: pips = PipsOf(4); add({{15, 42, false}, {43, 42, false}}); break;
    case 7: pips = PipsOf(6); add({{29, 30, false}}); break;
    case 8: pips = PipsOf(4); add({{15, 33, false}, {43, 33, false}, {15, 50, true}, {43, 50, true}}); break;
    case 9: pips = PipsOf(8); add({{29, 42, false}}); break;
    case 10: pips = PipsOf(8); add({{29, 23, false}, {29, 60, true}}); break;
    default: break;
  }
  return pips;
}

// The font of the "WILD" mark: bold sans of 14 points at 96 dots per inch,
// fixed in pixels so it is the same on every screen, without smoothing so the
// mark stays pure black or pure red.
QFont WildFont() {
  QFont font;
  font.setFamilies({QStringLiteral("Liberation Sans"), QStringLiteral("DejaVu Sans"),
                    QStringLiteral("Arial")});
  font.setStyleHint(QFont::SansSerif, QFont::NoAntialias);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setPixelSize(19);
  font.setBold(true);
  return font;
}

void DrawWild(QImage& canvas, int red) {
  static const QFont font = WildFont();
  const QString text = QStringLiteral("WILD");
  const QFontMetrics metrics(font);
  const int w = metrics.horizontalAdvance(text);
  QPainter painter(&canvas);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setFont(font);
  painter.setPen(red ? QColor(255, 0, 0) : QColor(0, 0, 0));
  painter.drawText(QPoint(37 - w / 2, 36 + metrics.ascent()), text);
}

// Composes card 1..52 on the sheet's canvas.
void ComposeFace(CardSheet& sheet, CardCode code, GameVariant variant) {
  QImage& canvas = sheet.canvas;
  BlitRect(canvas, 0, 0, sheet.blank, 0, 0, kCardWidth, kCardHeight, RasterOp::Copy);
  const int rank = Rank(code);
  const int suit = SuitIndex(code);
  const int red = IsRed(code);
  if (rank >= 11) {
    BlitRect(canvas, 13, 12, sheet.face, (13 - rank) * 47, red * 74, 47, 74, RasterOp::Copy);
    // The king's marks sit top left and bottom right, the others' top right
    // and bottom left.
    const bool king = rank == 13;
    const Pip marks[2] = {{king ? 15 : 44, 14, false}, {king ? 44 : 15, 69, true}};
    for (const Pip& mark : marks) {
      const int sy = mark.rotated ? 15 : 0;
      BlitRect(canvas, mark.x, mark.y, sheet.suits[0], suit * 15, sy, 15, 15, RasterOp::And);
      BlitRect(canvas, mark.x, mark.y, sheet.suits[1], suit * 15, sy, 15, 15, RasterOp::Or);
    }
  } else {
    for (const Pip& pip : PipsOf(rank)) {
      BlitRect(canvas, pip.x, pip.y, sheet.suits[0], suit * 15, pip.rotated ? 15 : 0, 15, 15,
               RasterOp::Copy);
    }
    if (rank == 2 && variant == kDeucesWild) DrawWild(canvas, red);
  }
  const QImage& digits = sheet.digits[static_cast<std::size_t>(red)];
  BlitRect(canvas, 3, 4, digits, (rank - 1) * 9, 0, 9, 14, RasterOp::Copy);
  BlitRect(canvas, 61, 81, digits, (rank - 1) * 9, 14, 9, 14, RasterOp::Copy);
  BlitRect(canvas, 2, 19, sheet.suitsSmall, suit * 11, 0, 11, 12, RasterOp::Copy);
  BlitRect(canvas, 60, 70, sheet.suitsSmall, suit * 11, 12, 11, 12, RasterOp::Copy);
}

// The small picture that represents the code: a fixed picture for 0 and 53,
// the freshly composed canvas otherwise.
const QImage& SmallPicture(CardSheet& sheet, CardCode code, GameVariant variant) {
  if (code == kNoCard) return sheet.empty;
  if (code == kJoker) return sheet.joker;
  ComposeFace(sheet, code, variant);
  return sheet.canvas;
}

void PutSmall(QImage& surface, int x, int y, const CardSheet& sheet, const QImage& picture) {
  BlitRect(surface, x, y, sheet.cardMask, 0, 0, kCardWidth, kCardHeight, RasterOp::And);
  BlitRect(surface, x, y, picture, 0, 0, kCardWidth, kCardHeight, RasterOp::Or);
}

// Enlarges the small picture into the large canvas (every pixel a 2 x 2 block)
// and puts it through the large mask.
void PutLarge(QImage& surface, int x, int y, CardSheet& sheet, const QImage& picture) {
  QImage& big = sheet.bigCanvas;
  for (int row = 0; row < kCardHeight; ++row) {
    const auto* src = reinterpret_cast<const QRgb*>(picture.constScanLine(row));
    auto* top = reinterpret_cast<QRgb*>(big.scanLine(2 * row));
    auto* bottom = reinterpret_cast<QRgb*>(big.scanLine(2 * row + 1));
    for (int col = 0; col < kCardWidth; ++col) {
      top[2 * col] = top[2 * col + 1] = bottom[2 * col] = bottom[2 * col + 1] = src[col];
    }
  }
  BlitRect(surface, x, y, sheet.bigMask, 0, 0, kLargeCardWidth, kLargeCardHeight, RasterOp::And);
  BlitRect(surface, x, y, big, 0, 0, kLargeCardWidth, kLargeCardHeight, RasterOp::Or);
}

// Clips one axis of a copy: from/to are the source and destination origins,
// extent the length; limits are the two images' sizes on that axis.
void ClipSpan(int& from, int& to, int& extent, int fromLimit, int toLimit) {
  if (from < 0) {
    to -= from;
    extent += from;
    from = 0;
  }
  if (to < 0) {
    from -= to;
    extent += to;
    to = 0;
  }
  extent = std::min({extent, fromLimit - from, toLimit - to});
}

}  // namespace

void BlitRect(QImage& destination, int dx, int dy, const QImage& source, int sx, int sy, int w,
              int h, RasterOp op) {
  Q_ASSERT(destination.depth() == 32 && source.depth() == 32);
  ClipSpan(sx, dx, w, source.width(), destination.width());
  ClipSpan(sy, dy, h, source.height(), destination.height());
  if (w <= 0 || h <= 0) return;
  for (int row = 0; row < h; ++row) {
    const auto* src = reinterpret_cast<const QRgb*>(source.constScanLine(sy + row)) + sx;
    auto* dst = reinterpret_cast<QRgb*>(destination.scanLine(dy + row)) + dx;
    switch (op) {
      case RasterOp::Copy: std::copy(src, src + w, dst); break;
      case RasterOp::And: for (int i = 0; i < w; ++i) dst[i] &= src[i]; break;
      case RasterOp::Or: for (int i = 0; i < w; ++i) dst[i] |= src[i]; break;
    }
  }
}

void DrawCardFace(QImage& surface, int x, int y, CardCode code, GameVariant variant) {
  CardSheet& sheet = TheCardSheet();
  PutSmall(surface, x, y, sheet, SmallPicture(sheet, code, variant));
}

void DrawCardFaceLarge(QImage& surface, int x, int y, CardCode code, GameVariant variant) {
  CardSheet& sheet = TheCardSheet();
  PutLarge(surface, x, y, sheet, SmallPicture(sheet, code, variant));
}

void DrawCardBack(QImage& surface, int x, int y) {
  CardSheet& sheet = TheCardSheet();
  PutSmall(surface, x, y, sheet, sheet.back);
}

void DrawCardBackLarge(QImage& surface, int x, int y) {
  CardSheet& sheet = TheCardSheet();
  PutLarge(surface, x, y, sheet, sheet.back);
}

}  // namespace lynx
