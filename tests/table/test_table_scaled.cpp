// The table on a screen scaled two times (CTest runs this program with
// QT_SCALE_FACTOR=2): every pixel of a card and of a picture button is a 2 x 2
// block of the same colour as at the unscaled size, never a blend.
#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

// Where the 2 x 2 blocks of scaled at (origin * 2) differ from the first rows
// of picture; empty when they all agree.
QString BlockMismatch(const QImage& scaled, QPoint origin, const QImage& picture, int rows) {
  for (int y = 0; y < rows; ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      const QRgb want = picture.pixel(x, y);
      for (int dy = 0; dy < 2; ++dy)
        for (int dx = 0; dx < 2; ++dx) {
          const QPoint at(2 * (origin.x() + x) + dx, 2 * (origin.y() + y) + dy);
          if (scaled.pixel(at) != want)
            return QStringLiteral("pixel %1,%2 of the picture: %3 on screen, %4 wanted")
                .arg(x)
                .arg(y)
                .arg(scaled.pixel(at), 8, 16)
                .arg(want, 8, 16);
        }
    }
  }
  return {};
}

TEST_F(TableTest, AtTwiceTheScaleCardsAndButtonsArePixelBlocks) {
  Open();
  ASSERT_EQ(window->devicePixelRatio(), 2.0) << "run with QT_SCALE_FACTOR=2";
  window->BetMax();
  const QImage screen = window->grab().toImage().convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(screen.size(), window->size() * 2);

  for (int k = 0; k < 5; ++k) {
    const CardCode card = window->State().hand[static_cast<std::size_t>(k)];
    const QImage face = Reference(card, false);
    // The message line covers the bottom row of the cards.
    EXPECT_EQ(BlockMismatch(screen, window->CardOrigin(k), face, face.height() - 1).toStdString(),
              "")
        << "card " << k + 1;
  }
  for (PictureButton* button : {window->Image11, window->Image8, window->Image1[0]}) {
    const QImage picture = button->pixmap().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(BlockMismatch(screen, button->pos(), picture, picture.height()).toStdString(), "")
        << button->objectName().toStdString();
  }
}

}  // namespace
}  // namespace lynx::testing
