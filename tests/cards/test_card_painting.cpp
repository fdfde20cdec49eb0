// Card painting on a drawing surface: composition of the faces, the masked
// put with transparent corners, and the large cards.

#include <gtest/gtest.h>

#include <QImage>

#include "engine/card.h"
#include "resources/pictures.h"
#include "cards/card_painter.h"

namespace lynx {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;
constexpr QRgb kRed = 0xFFFF0000;
// A surface colour with bits in every channel, so AND and OR mistakes show.
constexpr QRgb kFelt = 0xFF35A0C6;

QImage Surface(int w, int h, QRgb colour = kFelt) {
  QImage surface(w, h, QImage::Format_RGB32);
  surface.fill(colour);
  return surface;
}

QImage Picture(const char* name) {
  return LoadPicture(QString::fromLatin1(name)).convertToFormat(QImage::Format_RGB32);
}

// The small card as composed, before masking: painted on black, the masked put
// leaves exactly the composed picture (it is black outside the outline).
QImage Composed(CardCode code, GameVariant variant) {
  QImage surface = Surface(73, 98, kBlack);
  DrawCardFace(surface, 0, 0, code, variant);
  return surface;
}

QImage Region(const QImage& image, int x, int y, int w, int h) { return image.copy(x, y, w, h); }

QImage SuitCell(int suit, bool rotated) { return Region(Picture("suits"), suit * 15, rotated ? 15 : 0, 15, 15); }

bool AllWhite(const QImage& image, int x0, int y0, int w, int h) {
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x)
      if ((image.pixel(x, y) | 0xFF000000) != kWhite) return false;
  return true;
}

int CountColour(const QImage& image, int x0, int y0, int w, int h, QRgb colour) {
  int n = 0;
  for (int y = y0; y < y0 + h; ++y)
    for (int x = x0; x < x0 + w; ++x) n += (image.pixel(x, y) | 0xFF000000) == colour ? 1 : 0;
  return n;
}

TEST(CardPainting, SurfaceShowsThroughTheFrameAndCornersOnly) {
  const QImage small = Picture("card_mask");
  const QImage big = Picture("card_big_mask");
  for (int code = -1; code <= 53; ++code) {  // -1 stands for the back
    SCOPED_TRACE(code);
    QImage surface = Surface(100, 120);
    QImage large = Surface(170, 220);
    if (code < 0) {
      DrawCardBack(surface, 9, 11);
      DrawCardBackLarge(large, 9, 11);
    } else {
      DrawCardFace(surface, 9, 11, static_cast<CardCode>(code), kDeucesWild);
      DrawCardFaceLarge(large, 9, 11, static_cast<CardCode>(code), kDeucesWild);
    }
    for (int y = 0; y < 98; ++y)
      for (int x = 0; x < 73; ++x) {
        const bool through = small.pixel(x, y) == kWhite;
        ASSERT_EQ(surface.pixel(9 + x, 11 + y) == kFelt, through) << x << "," << y;
      }
    for (int y = 0; y < 196; ++y)
      for (int x = 0; x < 146; ++x) {
        const bool through = big.pixel(x, y) == kWhite;
        ASSERT_EQ(large.pixel(9 + x, 11 + y) == kFelt, through) << x << "," << y;
      }
    // Nothing outside the card's rectangle is touched.
    EXPECT_EQ(surface.pixel(8, 11), kFelt);
    EXPECT_EQ(surface.pixel(9 + 73, 11 + 50), kFelt);
    EXPECT_EQ(surface.pixel(40, 11 + 98), kFelt);
    EXPECT_EQ(large.pixel(9 + 146, 100), kFelt);
    EXPECT_EQ(large.pixel(50, 11 + 196), kFelt);
    // The visible outline is black: one pixel inside the frame.
    EXPECT_EQ(surface.pixel(9 + 36, 11 + 1), kBlack);
    EXPECT_EQ(large.pixel(9 + 72, 11 + 2), kBlack);
    EXPECT_EQ(large.pixel(9 + 72, 11 + 3), kBlack);
  }
}

TEST(CardPainting, LargeCardIsTheSmallCompositionDoubledInsideTheLargeMask) {
  const QImage big = Picture("card_big_mask");
  for (GameVariant variant : {kJacksOrBetter, kDeucesWild}) {
    for (int code = -1; code <= 53; ++code) {
      SCOPED_TRACE(code);
      QImage small = Surface(73, 98, kBlack);
      QImage large = Surface(146, 196);
      if (code < 0) {
        DrawCardBack(small, 0, 0);
        DrawCardBackLarge(large, 0, 0);
      } else {
        DrawCardFace(small, 0, 0, static_cast<CardCode>(code), variant);
        DrawCardFaceLarge(large, 0, 0, static_cast<CardCode>(code), variant);
      }
      for (int y = 0; y < 196; ++y)
        for (int x = 0; x < 146; ++x)
          if (big.pixel(x, y) == kBlack) {
            ASSERT_EQ(large.pixel(x, y), small.pixel(x / 2, y / 2)) << x << "," << y;
          }
    }
  }
}

TEST(CardPainting, FixedPicturesCarryNoIndexAndNoWild) {
  const QImage mask = Picture("card_mask");
  const struct {
    CardCode code;
    const char* picture;
  } fixed[] = {{kNoCard, "card_empty"}, {kJoker, "card_joker"}};
  for (const auto& f : fixed) {
    const QImage picture = Picture(f.picture);
    for (GameVariant variant : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
      QImage surface = Surface(73, 98);
      DrawCardFace(surface, 0, 0, f.code, variant);
      for (int y = 0; y < 98; ++y)
        for (int x = 0; x < 73; ++x) {
          const QRgb expected = mask.pixel(x, y) == kWhite ? kFelt : picture.pixel(x, y);
          ASSERT_EQ(surface.pixel(x, y), expected) << f.picture << " " << x << "," << y;
        }
    }
  }
  // The back, likewise, is its picture and nothing else.
  QImage surface = Surface(73, 98);
  DrawCardBack(surface, 0, 0);
  const QImage back = Picture("card_back");
  EXPECT_EQ(Region(surface, 20, 20, 30, 50), Region(back, 20, 20, 30, 50));
  // The joker's question marks: red, top left and (turned) bottom right.
  const QImage joker = Composed(kJoker, kJokerWild);
  EXPECT_GT(CountColour(joker, 3, 4, 9, 14, kRed), 20);
  EXPECT_GT(CountColour(joker, 61, 81, 9, 14, kRed), 20);
}

TEST(CardPainting, NumberCardsPutTheirPipsInPlace) {
  // Ace of spades (code 40): one upright pip at (29, 42) and nothing else in the pip field.
  const QImage ace = Composed(40, kJacksOrBetter);
  EXPECT_EQ(Region(ace, 29, 42, 15, 15), SuitCell(3, false));
  EXPECT_TRUE(AllWhite(ace, 15, 15, 43, 26));
  EXPECT_TRUE(AllWhite(ace, 15, 58, 43, 25));
  // Code 14 is the ace of hearts, red.
  const QImage aceHearts = Composed(14, kJacksOrBetter);
  EXPECT_EQ(Region(aceHearts, 29, 42, 15, 15), SuitCell(1, false));

  // Ten of diamonds (code 36): corners, the side pairs, and the two centre
  // pips drawn last over the cells they overlap.
  const QImage ten = Composed(36, kJacksOrBetter);
  EXPECT_EQ(Region(ten, 15, 15, 15, 15), SuitCell(2, false));
  EXPECT_EQ(Region(ten, 43, 68, 15, 15), SuitCell(2, true));
  EXPECT_EQ(Region(ten, 15, 33, 15, 15), SuitCell(2, false));
  EXPECT_EQ(Region(ten, 43, 50, 15, 15), SuitCell(2, true));
  EXPECT_EQ(Region(ten, 29, 23, 15, 15), SuitCell(2, false));
  EXPECT_EQ(Region(ten, 29, 60, 15, 15), SuitCell(2, true));
  // Seven of clubs (code 7): the seventh pip at (29, 30), nothing in the lower centre.
  const QImage seven = Composed(7, kJacksOrBetter);
  EXPECT_EQ(Region(seven, 29, 30, 15, 15), SuitCell(0, false));
  EXPECT_EQ(Region(seven, 15, 42, 15, 15), SuitCell(0, false));
  EXPECT_TRUE(AllWhite(seven, 30, 58, 13, 10));
  // Three of hearts (code 16): the middle pip last, upright.
  const QImage three = Composed(16, kJacksOrBetter);
  EXPECT_EQ(Region(three, 29, 68, 15, 15), SuitCell(1, true));
  EXPECT_EQ(Region(three, 29, 42, 15, 15), SuitCell(1, false));
}

TEST(CardPainting, CornerIndicesSitAtTheirFourPlaces) {
  const QImage digitsBlack = Picture("digits_black");
  const QImage digitsRed = Picture("digits_red");
  const QImage small = Picture("suits_small");
  const struct {
    CardCode code;
    int rank, suit;
    bool red;
  } cards[] = {{13, 13, 0, false}, {14, 1, 1, true}, {39, 13, 2, true}, {40, 1, 3, false},
               {23, 10, 1, true},  {50, 11, 3, false}};
  for (const auto& c : cards) {
    SCOPED_TRACE(c.code);
    const QImage card = Composed(c.code, kJacksOrBetter);
    const QImage& digits = c.red ? digitsRed : digitsBlack;
    EXPECT_EQ(Region(card, 3, 4, 9, 14), Region(digits, (c.rank - 1) * 9, 0, 9, 14));
    EXPECT_EQ(Region(card, 61, 81, 9, 14), Region(digits, (c.rank - 1) * 9, 14, 9, 14));
    EXPECT_EQ(Region(card, 2, 19, 11, 12), Region(small, c.suit * 11, 0, 11, 12));
    EXPECT_EQ(Region(card, 60, 70, 11, 12), Region(small, c.suit * 11, 12, 11, 12));
  }
}

TEST(CardPainting, CourtCardsCarryTheirPictureAndSuitMarks) {
  const QImage face = Picture("face");
  const struct {
    CardCode code;
    int rank, suit, row;
  } courts[] = {{13, 13, 0, 0}, {26, 13, 1, 1}, {25, 12, 1, 1}, {51, 12, 3, 0}, {37, 11, 2, 1}, {11, 11, 0, 0}};
  for (const auto& c : courts) {
    SCOPED_TRACE(c.code);
    const QImage card = Composed(c.code, kDeucesWild);
    const bool king = c.rank == 13;
    const int upX = king ? 15 : 44;
    const int downX = king ? 44 : 15;
    // The marks: the suit symbol on a white square, upright at the top and
    // turned at the bottom, in the corners of this rank.
    EXPECT_EQ(Region(card, upX, 14, 15, 15), SuitCell(c.suit, false));
    EXPECT_EQ(Region(card, downX, 69, 15, 15), SuitCell(c.suit, true));
    EXPECT_NE(Region(card, downX, 14, 15, 15), SuitCell(c.suit, false));
    EXPECT_NE(Region(card, upX, 69, 15, 15), SuitCell(c.suit, true));
    // Everywhere else in its 47 x 74 box the court picture is copied as it stands.
    const int cellX = (13 - c.rank) * 47;
    const int cellY = c.row * 74;
    for (int y = 0; y < 74; ++y)
      for (int x = 0; x < 47; ++x) {
        const int cx = 13 + x;
        const int cy = 12 + y;
        const bool inMark = (cx >= upX && cx < upX + 15 && cy >= 14 && cy < 29) ||
                            (cx >= downX && cx < downX + 15 && cy >= 69 && cy < 84);
        if (!inMark) {
          ASSERT_EQ(card.pixel(cx, cy), face.pixel(cellX + x, cellY + y)) << x << "," << y;
        }
      }
  }
}

TEST(CardPainting, WildMarksOnlyTheDeucesOfDeucesWild) {
  // The band between the deuce's two pips, where "WILD" is printed.
  const auto band = [](const QImage& card, QRgb colour) { return CountColour(card, 4, 31, 66, 36, colour); };
  const struct {
    CardCode code;
    QRgb ink;
  } deuces[] = {{2, kBlack}, {15, kRed}, {28, kRed}, {41, kBlack}};
  for (const auto& d : deuces) {
    SCOPED_TRACE(d.code);
    const QImage wild = Composed(d.code, kDeucesWild);
    const QRgb other = d.ink == kRed ? kBlack : kRed;
    EXPECT_GT(band(wild, d.ink), 60);
    EXPECT_EQ(band(wild, other), 0);
    // The text starts at y = 36 or below and is centred on x = 37.
    int left = 73, right = -1, top = 98;
    for (int y = 31; y < 67; ++y)
      for (int x = 4; x < 70; ++x)
        if ((wild.pixel(x, y) | 0xFF000000) == d.ink) {
          left = std::min(left, x);
          right = std::max(right, x);
          top = std::min(top, y);
        }
    EXPECT_GE(top, 36);
    EXPECT_NEAR((left + right) / 2.0, 37.0, 3.0);
    EXPECT_GT(right - left, 30);
    // The other games print no mark: the band is white.
    for (GameVariant variant : {kJacksOrBetter, kJokerWild}) {
      const QImage plain = Composed(d.code, variant);
      EXPECT_TRUE(AllWhite(plain, 4, 31, 66, 36)) << variant;
    }
  }
  // Other ranks stay unmarked in Deuces Wild too.
  for (CardCode code : {CardCode{4}, CardCode{17}, CardCode{43}}) {
    EXPECT_TRUE(AllWhite(Composed(code, kDeucesWild), 4, 31, 66, 36)) << code;
  }
}

TEST(CardPainting, EachFaceIsComposedAfresh) {
  // A busy face first must leave no trace on the next one.
  const QImage aceAlone = Composed(40, kJacksOrBetter);
  Composed(49, kDeucesWild);
  Composed(41, kDeucesWild);
  EXPECT_EQ(Composed(40, kJacksOrBetter), aceAlone);
  // Cards may hang over the surface's edges; only the part on it is drawn.
  QImage surface = Surface(100, 100);
  DrawCardFace(surface, -20, -30, 40, kJacksOrBetter);
  DrawCardFaceLarge(surface, 60, 70, 40, kJacksOrBetter);
  EXPECT_EQ(surface.pixel(0, 0), aceAlone.pixel(20, 30));
  EXPECT_EQ(surface.pixel(50, 60), aceAlone.pixel(70, 90));
  EXPECT_EQ(surface.pixel(60, 70), kFelt);
  EXPECT_EQ(surface.pixel(99, 99), aceAlone.pixel(19, 14));
}

}  // namespace
}  // namespace lynx
