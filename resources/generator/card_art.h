#pragma once
// The card sheet pictures, and pieces of them the other pictures reuse.

#include <QImage>

namespace lynx::art {

// Card sheet pictures, 32-bit, every pixel a palette colour.
QImage MakeBlank();
QImage MakeCardMask();
QImage MakeBigCardMask();
QImage MakeCardBack();
QImage MakeJoker();
QImage MakeEmptyPosition();
QImage MakeDigits(int colour);  // kBlack or kRed
QImage MakeSuits();
QImage MakeSuitsMask(const QImage& suits);
QImage MakeSuitsSmall();
QImage MakeFace();

// Suit 0..3 (clubs, hearts, diamonds, spades) symbol filled into the w x h box at (x, y).
void DrawSuitSymbol(QImage& image, int x, int y, int w, int h, int suit);
// The jester's head used on the joker, about 45 x 58 pixels, centred on cx with its top at top.
void DrawJester(QImage& image, int cx, int top);
// A rank glyph of the 9 x 14 cell, rank 1..13, upright, top-left at (x, y).
void DrawRankGlyph(QImage& image, int x, int y, int rank, int colour);

}  // namespace lynx::art

namespace lynx::art {
// The jack's upper half as dressed for the red suits (47 x 37).
QImage JackOfHeartsHalf();
}  // namespace lynx::art
