#pragma once
// Card painting: composes a card face from the card sheet and puts it onto a
// drawing surface with transparent curved corners.
//
// surface: a QImage of Format_RGB32 (any 32-bit format works); x, y: the
// card's top-left pixel on it, parts outside the surface are clipped.
// code: 0 empty position, 1..52 the ordinary cards, 53 the joker.
// variant: 1..3; only Deuces Wild (3) changes a face (the "WILD" on deuces).

#include <QImage>

#include "engine/card.h"

namespace lynx {

// A 73 x 98 card.
void DrawCardFace(QImage& surface, int x, int y, CardCode code, GameVariant variant);
// A 146 x 196 card: the small face enlarged two times, each pixel a 2 x 2 block.
void DrawCardFaceLarge(QImage& surface, int x, int y, CardCode code, GameVariant variant);
// The 73 x 98 card back.
void DrawCardBack(QImage& surface, int x, int y);
// The 146 x 196 card back.
void DrawCardBackLarge(QImage& surface, int x, int y);

// How pixels of a copied rectangle combine with the destination, bit by bit
// on the colour channels: COPY, AND, OR.
enum class RasterOp { Copy, And, Or };

// Combines the w x h rectangle of source at (sx, sy) into destination at
// (dx, dy) with op. Both images 32-bit; the rectangle is clipped to both.
void BlitRect(QImage& destination, int dx, int dy, const QImage& source, int sx, int sy,
              int w, int h, RasterOp op);

}  // namespace lynx
