// The two layouts of the table window, its looks, and the Mode button.

#include <QFontInfo>

#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

using Layout = TableTest;

const char* const kTooNarrow =
    "You cannot use 'large card' mode when your display resolution is only 640 X 480.  "
    "The cards would be too big to fit on the screen.";

// Pixels of the surface that are neither blue nor inside one of the five
// card rectangles nor on the white line.
int StrayPixels(const TableWindow& window) {
  const QImage& surface = window.Surface();
  const QSize card = window.LargeLayout() ? QSize(146, 196) : QSize(73, 98);
  int stray = 0;
  for (int y = 0; y < surface.height(); ++y) {
    for (int x = 0; x < surface.width(); ++x) {
      if (y >= 491 && y <= 493) continue;
      bool onCard = false;
      for (int k = 0; k < 5 && !onCard; ++k)
        onCard = QRect(window.CardOrigin(k), card).contains(x, y);
      if (!onCard && surface.pixel(x, y) != QColor(0, 0, 255).rgb()) ++stray;
    }
  }
  return stray;
}

TEST_F(Layout, ThePicturesAreInPlace) {
  Open();
  EXPECT_EQ(window->Image2[0]->pixmap().size(), QSize(44, 28));
  EXPECT_EQ(window->Image3[0]->pixmap().size(), QSize(44, 28));
  EXPECT_EQ(window->Image2[1]->pixmap().size(), QSize(66, 33));
  EXPECT_EQ(window->Image3[1]->pixmap().size(), QSize(66, 33));
  EXPECT_EQ(window->Image4->pixmap().size(), QSize(64, 40));
  EXPECT_EQ(window->Image9->pixmap().size(), QSize(64, 40));
  for (PictureButton* b : {window->Image5, window->Image6, window->Image7, window->Image8,
                           window->Image10, window->Image11, window->Image12, window->Image13})
    EXPECT_EQ(b->pixmap().size(), QSize(64, 40)) << b->objectName().toStdString();
  // The faces the tests tell apart must differ.
  EXPECT_FALSE(window->Image2[0]->pixmap().toImage() == window->Image3[0]->pixmap().toImage());
  EXPECT_FALSE(window->Image2[1]->pixmap().toImage() == window->Image3[1]->pixmap().toImage());
  EXPECT_FALSE(window->Image4->pixmap().toImage() == window->Image9->pixmap().toImage());
  EXPECT_FALSE(Reference(0, true) == Reference(49, false));
}

TEST_F(Layout, SmallLayoutPlacesEveryControl) {
  for (GameVariant variant : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
    SCOPED_TRACE(variant);
    Open(variant, 0);
    EXPECT_EQ(window->size(), QSize(550, 390));
    EXPECT_EQ(window->Surface().size(), QSize(550, 390));
    EXPECT_EQ(window->Surface().format(), QImage::Format_RGB32);
    for (int r = 0; r < 11; ++r) {
      const auto i = static_cast<std::size_t>(r);
      EXPECT_EQ(window->Value[i]->geometry(), QRect(40, 40 + 14 * r, r <= 5 ? 137 : 145, 17));
      EXPECT_EQ(window->Value[i]->font().pointSizeF(), 8);
      EXPECT_TRUE(window->Value[i]->isVisible());
      for (int c = 1; c <= 5; ++c) {
        ClassicLabel* cell = Column(c)[i];
        EXPECT_EQ(cell->geometry(), QRect(172 + 48 * (c - 1), 40 + 14 * r, 41, 17));
        EXPECT_EQ(cell->font().pointSizeF(), 8);
        EXPECT_TRUE(cell->isVisible());
      }
    }
    EXPECT_EQ(window->Header[0]->geometry(), QRect(72, 12, 81, 21));
    for (int j = 1; j <= 5; ++j)
      EXPECT_EQ(window->Header[static_cast<std::size_t>(j)]->geometry(),
                QRect(200 + 48 * (j - 1), 12, 25, 21));
    for (ClassicLabel* h : window->Header) EXPECT_TRUE(h->isVisible());
    for (ClassicLabel* h : window->Header2) EXPECT_FALSE(h->isVisible());
    EXPECT_EQ(window->Label1[0]->geometry(), QRect(8, 344, 81, 25));
    EXPECT_EQ(window->Label1[1]->geometry(), QRect(360, 344, 95, 25));
    EXPECT_EQ(window->Mess->geometry(), QRect(80, 334, 297, 43));
    EXPECT_EQ(window->Label1[0]->font().pointSizeF(), 8);
    EXPECT_EQ(window->Mess->font().pointSizeF(), 14);
    const std::array<PictureButton*, 8> buttons{window->Image7,  window->Image6,  window->Image5,
                                                window->Image12, window->Image13, window->Image8,
                                                window->Image10, window->Image11};
    const std::array<int, 8> tops{8, 50, 92, 134, 176, 230, 272, 314};
    for (std::size_t b = 0; b < buttons.size(); ++b) {
      EXPECT_EQ(buttons[b]->geometry(), QRect(472, tops[b], 64, 40)) << b;
      EXPECT_TRUE(buttons[b]->isVisible());
    }
    for (int k = 0; k < 5; ++k) {
      PictureButton* marker = window->Image1[static_cast<std::size_t>(k)];
      EXPECT_EQ(marker->geometry(), QRect(45 + 79 * k, 205, 44, 28));
      EXPECT_TRUE(marker->isVisible());
    }
    // The hidden picture sources never show.
    EXPECT_EQ(window->Image2[0]->geometry(), QRect(568, 160, 44, 28));
    EXPECT_EQ(window->Image3[0]->geometry(), QRect(568, 200, 44, 28));
    EXPECT_EQ(window->Image2[1]->geometry(), QRect(616, 160, 66, 33));
    EXPECT_EQ(window->Image3[1]->geometry(), QRect(616, 200, 66, 33));
    EXPECT_EQ(window->Image4->geometry(), QRect(568, 240, 64, 40));
    EXPECT_EQ(window->Image9->geometry(), QRect(632, 240, 64, 40));
    for (QLabel* hidden : {window->Image2[0], window->Image2[1], window->Image3[0],
                           window->Image3[1], window->Image4, window->Image9})
      EXPECT_FALSE(hidden->isVisible());
  }
}

TEST_F(Layout, LargeLayoutSplitsThePayTableByGame) {
  for (GameVariant variant : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
    SCOPED_TRACE(variant);
    Open(variant, 1);
    EXPECT_EQ(window->size(), QSize(780, 570));
    EXPECT_EQ(window->Surface().size(), QSize(780, 570));
    EXPECT_EQ(window->pos(), QPoint((1024 - 780) / 2, (768 - 570) / 2));
    const bool joker = variant == kJokerWild;
    const int firstRight = joker ? 6 : 5;
    const int pitch = joker ? 24 : 28;
    for (int r = 0; r < 11; ++r) {
      const auto i = static_cast<std::size_t>(r);
      const bool right = r >= firstRight;
      const int top = 40 + pitch * (r - (right ? firstRight : 0));
      const int width = variant == kJacksOrBetter ? (r <= 5 ? 137 : 145) : 150;
      EXPECT_EQ(window->Value[i]->geometry(), QRect(right ? 400 : 5, top, width, 24)) << r;
      EXPECT_EQ(window->Value[i]->font().pointSizeF(), variant == kJacksOrBetter ? 12 : 10);
      for (int c = 1; c <= 5; ++c) {
        const int left = right ? 527 + 48 * (c - 1) : 130 + 48 * (c - 1);
        EXPECT_EQ(Column(c)[i]->geometry(), QRect(left, top, 41, 24)) << r << " " << c;
        EXPECT_EQ(Column(c)[i]->font().pointSizeF(), 10);
      }
    }
    EXPECT_EQ(window->Header[0]->geometry(), QRect(32, 12, 81, 21));
    EXPECT_EQ(window->Header2[0]->geometry(), QRect(430, 12, 81, 21));
    for (int j = 1; j <= 5; ++j) {
      EXPECT_EQ(window->Header[static_cast<std::size_t>(j)]->geometry(),
                QRect(155 + 48 * (j - 1), 12, 25, 21));
      EXPECT_EQ(window->Header2[static_cast<std::size_t>(j)]->geometry(),
                QRect(556 + 48 * (j - 1), 12, 25, 21));
    }
    for (ClassicLabel* h : window->Header2) EXPECT_TRUE(h->isVisible());
    EXPECT_EQ(window->Header2[3]->text(), "3");
    EXPECT_EQ(window->Label1[0]->geometry(), QRect(8, 460, 100, 32));
    EXPECT_EQ(window->Label1[1]->geometry(), QRect(644, 460, 120, 32));
    EXPECT_EQ(window->Mess->geometry(), QRect(135, 446, 500, 40));
    EXPECT_EQ(window->Label1[1]->font().pointSizeF(), 10);
    EXPECT_TRUE(window->Label1[1]->font().bold());
    EXPECT_EQ(window->Mess->font().pointSizeF(), 24);
    const std::array<PictureButton*, 8> buttons{window->Image7,  window->Image6,  window->Image5,
                                                window->Image12, window->Image13, window->Image8,
                                                window->Image10, window->Image11};
    const std::array<int, 8> lefts{45, 125, 205, 285, 365, 500, 580, 660};
    for (std::size_t b = 0; b < buttons.size(); ++b)
      EXPECT_EQ(buttons[b]->geometry(), QRect(lefts[b], 500, 64, 40)) << b;
    for (int k = 0; k < 5; ++k)
      EXPECT_EQ(window->Image1[static_cast<std::size_t>(k)]->geometry(),
                QRect(48 + 152 * k, 200, 66, 33));
    // The white line between the cards and the buttons.
    const QImage& surface = window->Surface();
    for (int y = 491; y <= 493; ++y) EXPECT_EQ(surface.pixel(400, y), qRgb(255, 255, 255));
    EXPECT_EQ(surface.pixel(400, 490), qRgb(0, 0, 255));
    EXPECT_EQ(surface.pixel(400, 494), qRgb(0, 0, 255));
    for (int k = 0; k < 5; ++k)
      EXPECT_TRUE(ShowsCard(k, window->State().hand[static_cast<std::size_t>(k)]));
  }
}

TEST_F(Layout, ColoursFontsAndAlignmentsOfTheLabels) {
  Open();
  const QColor grey(128, 128, 128);
  auto check = [&](const ClassicLabel* label, const QColor& text, Qt::Alignment horizontal,
                   bool bold) {
    SCOPED_TRACE(label->objectName().toStdString());
    EXPECT_EQ(label->palette().color(QPalette::Window), grey);
    EXPECT_EQ(label->TextColour(), text);
    EXPECT_TRUE(label->autoFillBackground());
    EXPECT_FALSE(label->wordWrap());
    EXPECT_EQ(label->alignment(), horizontal | Qt::AlignTop);
    EXPECT_EQ(label->font().bold(), bold);
    EXPECT_EQ(QFontInfo(label->font()).family(), "Liberation Sans");
  };
  check(window->Value[4], Qt::white, Qt::AlignLeft, false);
  check(window->Win3[7], Qt::white, Qt::AlignRight, false);
  check(window->Header[0], Qt::red, Qt::AlignLeft, true);
  check(window->Header2[5], Qt::red, Qt::AlignLeft, true);
  check(window->Mess, Qt::yellow, Qt::AlignHCenter, true);
  check(window->Label1[0], Qt::white, Qt::AlignLeft, true);
  check(window->Label1[1], Qt::white, Qt::AlignRight, true);
  EXPECT_EQ(window->Header[0]->font().pointSizeF(), 13.5);
  EXPECT_EQ(window->Header[0]->text(), "Coins In");
  EXPECT_EQ(window->Header[4]->text(), "4");
  EXPECT_EQ(window->Win3[7]->objectName(), "Win3_7");
  EXPECT_EQ(window->Value[3]->objectName(), "Value_3");
  EXPECT_EQ(window->Label1[1]->objectName(), "Label1_1");
  EXPECT_EQ(window->Surface().pixel(5, 5), qRgb(0, 0, 255));
  const std::vector<std::pair<PictureButton*, QString>> names{
      {window->Image7, "Quit"},     {window->Image6, "Help"},    {window->Image5, "Sound"},
      {window->Image12, "Credits"}, {window->Image13, "Mode"},   {window->Image8, "Deal/Draw"},
      {window->Image10, "Bet $1"},  {window->Image11, "Max Bet"}};
  for (const auto& [button, name] : names) {
    // Deal/Draw tells a screen reader which it will do.
    EXPECT_EQ(button->accessibleName(), button == window->Image8 ? "Deal" : name);
    EXPECT_EQ(button->toolTip(), name);
  }
}

TEST_F(Layout, ModeIsRefusedOnAScreenNarrowerThan750) {
  fakes.screen.width = 749;
  Open();
  Click(window->Image13);
  EXPECT_EQ(fakes.dialogs.shown,
            (std::vector<ShownDialog>{{DialogIcon::Exclamation,
                                       "Feature Not Available in this Resolution", kTooNarrow}}));
  EXPECT_EQ(values.largeCards, 0);
  EXPECT_EQ(window->size(), QSize(550, 390));
  EXPECT_EQ(window->Surface().size(), QSize(550, 390));

  fakes.screen.width = 750;
  Click(window->Image13);
  EXPECT_EQ(fakes.dialogs.shown.size(), 1u);
  EXPECT_EQ(values.largeCards, 1);
  EXPECT_EQ(window->size(), QSize(780, 570));
  EXPECT_TRUE(fakes.profile.writes.empty());  // the switch saves nothing
}

TEST_F(Layout, LargeCardsOnANarrowScreenSwitchBackWithoutAWord) {
  fakes.screen.width = 640;
  fakes.screen.height = 480;
  Open(kJacksOrBetter, 1);
  Click(window->Image13);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_EQ(values.largeCards, 0);
  EXPECT_EQ(window->size(), QSize(550, 390));
  EXPECT_EQ(window->pos(), QPoint((640 - 550) / 2, (480 - 390) / 2));
}

TEST_F(Layout, SwitchingMidHandKeepsTheGameAndRedrawsEverything) {
  Open(kJokerWild);
  EnterDemoCode(3142);  // four queens and the joker
  Click(window->Image10);
  Click(window->Image10);
  Click(window->Image8);
  Click(window->Image1[0]);
  Click(window->Image1[3]);
  const TableState before = window->State();

  Click(window->Image13);  // to large
  TableState s = window->State();
  EXPECT_EQ(s.hand, before.hand);
  EXPECT_EQ(s.held, (std::array<bool, 5>{true, false, false, true, false}));
  EXPECT_TRUE(s.dealt);
  EXPECT_EQ(s.coinsIn, 2);
  EXPECT_EQ(values.credits, 98);
  EXPECT_EQ(window->Surface().size(), QSize(780, 570));
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(ShowsCard(k, s.hand[static_cast<std::size_t>(k)]));
    const bool hold = s.held[static_cast<std::size_t>(k)];
    EXPECT_TRUE(window->Image1[static_cast<std::size_t>(k)]->pixmap().toImage() ==
                (hold ? window->Image3[1] : window->Image2[1])->pixmap().toImage())
        << k;
  }
  EXPECT_EQ(StrayPixels(*window), 0);
  QStringList lit = ColumnCells(2);
  lit.insert(s.winRow, QStringLiteral("V%1").arg(s.winRow));
  EXPECT_EQ(LitCells(), lit);  // the pay table keeps its lights

  Click(window->Image13);  // back to small
  EXPECT_EQ(window->Surface().size(), QSize(550, 390));
  for (int k = 0; k < 5; ++k) EXPECT_TRUE(ShowsCard(k, s.hand[static_cast<std::size_t>(k)]));
  EXPECT_EQ(StrayPixels(*window), 0);
  EXPECT_TRUE(window->Image1[0]->pixmap().toImage() == window->Image3[0]->pixmap().toImage());
  EXPECT_TRUE(window->Image1[1]->pixmap().toImage() == window->Image2[0]->pixmap().toImage());
  // The names keep the width of the large layout.
  for (ClassicLabel* name : window->Value) EXPECT_EQ(name->width(), 150);

  Click(window->Image13);  // large again, then draw there
  fakes.sound.played.clear();
  int sounds = 0;
  fakes.sound.onPlay = [&](const QString& name) {
    if (name != "SND2.WAV") return;
    ++sounds;
    // Replacements go to positions 2, 3 and 5 in the large size.
    const int positions[] = {1, 2, 4};
    for (int n = 0; n < 3; ++n) {
      if (n < sounds)
        EXPECT_TRUE(ShowsCard(positions[n], values.deck.At(6 + n)));
      else
        EXPECT_TRUE(ShowsBack(positions[n]));
    }
  };
  Click(window->Image8);
  EXPECT_EQ(sounds, 3);
  s = window->State();
  EXPECT_EQ(s.hand, (Hand{12, 11, 24, 51, 37}));
  EXPECT_EQ(StrayPixels(*window), 0);
  for (PictureButton* marker : window->Image1)
    EXPECT_TRUE(marker->pixmap().toImage() == window->Image2[1]->pixmap().toImage());
}

TEST_F(Layout, JacksKeepsItsNameWidthsAndHeader2StaysOutOfTheSmallLayout) {
  Open(kJacksOrBetter, 1);
  Click(window->Image13);
  for (int r = 0; r < 11; ++r)
    EXPECT_EQ(window->Value[static_cast<std::size_t>(r)]->width(), r <= 5 ? 137 : 145);
  for (ClassicLabel* h : window->Header2) EXPECT_FALSE(h->isVisible());
  EXPECT_EQ(window->Value[0]->font().pointSizeF(), 8);
}

}  // namespace
}  // namespace lynx::testing
