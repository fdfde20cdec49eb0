#pragma once
// The card sheet: the small pictures every card face is composed from, and the
// two scratch canvases the composition runs on.

#include <QImage>
#include <array>

namespace lynx {

constexpr int kCardWidth = 73;
constexpr int kCardHeight = 98;
constexpr int kLargeCardWidth = 146;
constexpr int kLargeCardHeight = 196;

struct CardSheet {
  QImage blank;               // 73 x 98 blank face, black outside the outline
  QImage cardMask;            // 73 x 98: white frame and corners, black card
  QImage back;                // 73 x 98 card back
  QImage joker;               // 73 x 98 joker face
  QImage empty;               // 73 x 98 empty card position
  QImage bigMask;             // 146 x 196 mask of the large card
  std::array<QImage, 2> digits;  // 117 x 28 rank glyphs, [0] black, [1] red
  QImage face;                // 141 x 148 court pictures
  std::array<QImage, 2> suits;   // 60 x 30 pips [0] and their mask [1]
  QImage suitsSmall;          // 44 x 24 small suit symbols
  QImage canvas;              // 73 x 98 composition canvas (scratch)
  QImage bigCanvas;           // 146 x 196 large composition canvas (scratch)
};

// The sheet, loaded from the picture resources on first use and kept for the
// rest of the run. Every picture is Format_RGB32. User-interface thread only;
// the canvases are overwritten by each card drawn.
CardSheet& TheCardSheet();

}  // namespace lynx
