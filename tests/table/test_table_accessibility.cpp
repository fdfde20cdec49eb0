// The table as the keyboard and assistive technology meet it: picture buttons
// that are push buttons (press action, Tab focus, Enter and Space, a focus
// frame only while focused) and the cards and pay cells by spoken name. The
// name changes that announce a deal or a win reach assistive technology only
// where a platform bridge is active; tests/shell/atspi_walk.py reads them.
#include <QAccessible>
#include <QAccessibleActionInterface>

#include "table/table_accessibility.h"
#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

QString Name(QObject* object) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
  return iface != nullptr ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
}

CardSpot* Spot(TableWindow& window, int position) {
  return window.findChild<CardSpot*>(QStringLiteral("Card_%1").arg(position));
}

class TableAccessibility : public TableTest {
 protected:
  // The window opens with the focus on itself, not on a button.
  void Activate() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_EQ(QApplication::focusWidget(), window.get());
  }
  void KeyOnFocus(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
};

TEST_F(TableAccessibility, PictureButtonsArePushButtonsForTheKeyboardAndAssistiveTechnology) {
  Open();
  QAccessibleInterface* maxBet = QAccessible::queryAccessibleInterface(window->Image11);
  ASSERT_NE(maxBet, nullptr);
  EXPECT_EQ(maxBet->role(), QAccessible::Button);
  EXPECT_EQ(maxBet->text(QAccessible::Name), QStringLiteral("Max Bet"));
  ASSERT_NE(maxBet->actionInterface(), nullptr);
  ASSERT_TRUE(
      maxBet->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
  // The press runs from the event loop, as a click would.
  maxBet->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_FALSE(window->State().dealt);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window->State().dealt);
  EXPECT_EQ(window->State().coinsIn, 5);

  // Tab from the window reaches the first hold marker; Space and Enter press
  // the focused button (Enter does not draw while a button has the focus).
  Activate();
  QTest::keyClick(window.get(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->Image1[0]);
  KeyOnFocus(Qt::Key_Space);
  EXPECT_TRUE(window->State().held[0]);
  KeyOnFocus(Qt::Key_Return);
  EXPECT_FALSE(window->State().held[0]);
  EXPECT_TRUE(window->State().dealt);
  // After the markers: Deal/Draw.
  for (int k = 1; k <= 5; ++k) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->Image8);
  // A click hands the focus back to the window: the mouse player never sees
  // the focus frame.
  Click(window->Image10);
  EXPECT_EQ(QApplication::focusWidget(), window.get());
}

TEST_F(TableAccessibility, TheFocusFrameShowsOnlyWhileAButtonHasTheFocus) {
  Open();
  Activate();
  // Without the focus a picture button paints exactly what a plain label
  // with its picture paints.
  {
    QLabel label(window.get());
    label.setGeometry(window->Image11->geometry());
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setMargin(0);
    label.setPixmap(window->Image11->pixmap());
    EXPECT_EQ(label.grab().toImage(), window->Image11->grab().toImage());
  }
  const QImage before = window->grab().toImage();
  window->Image8->setFocus(Qt::TabFocusReason);
  const QImage focused = window->grab().toImage();
  const QRect button = window->Image8->geometry();
  int changed = 0;
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x)
      if (before.pixel(x, y) != focused.pixel(x, y)) {
        ++changed;
        ASSERT_TRUE(button.contains(x, y)) << "changed outside the button at " << x << "," << y;
      }
  EXPECT_GT(changed, 0);
  // A dotted frame one pixel inside the edge, black where x + y is even.
  const QPoint corner = button.topLeft() + QPoint(1, 1);
  EXPECT_EQ(focused.pixel(corner), qRgb(0, 0, 0));
  EXPECT_EQ(focused.pixel(corner + QPoint(1, 0)), qRgb(255, 255, 255));
  EXPECT_EQ(focused.pixel(button.bottomRight() - QPoint(1, 1)), qRgb(0, 0, 0));

  window->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(window->grab().toImage(), before);
}

TEST_F(TableAccessibility, CardsAndPayCellsHaveSpokenNames) {
  EXPECT_EQ(CardName(kJoker), QStringLiteral("Joker"));
  EXPECT_EQ(CardName(kNoCard), QStringLiteral("no card"));
  EXPECT_EQ(CardName(MakeCard(1, 1)), QStringLiteral("Ace of Hearts"));
  EXPECT_EQ(CardName(MakeCard(7, 2)), QStringLiteral("Seven of Diamonds"));
  EXPECT_EQ(CardName(MakeCard(12, 0)), QStringLiteral("Queen of Clubs"));

  Open();
  // The table opens on the fan of the title window.
  const QStringList fan{QStringLiteral("Ten of Spades"), QStringLiteral("Jack of Spades"),
                        QStringLiteral("Queen of Spades"), QStringLiteral("King of Spades"),
                        QStringLiteral("Ace of Spades")};
  for (int k = 0; k < 5; ++k) {
    CardSpot* spot = Spot(*window, k + 1);
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(spot)->role(), QAccessible::Graphic);
    EXPECT_EQ(Name(spot), fan[k]);
    EXPECT_EQ(spot->geometry(), QRect(window->CardOrigin(k), QSize(73, 98)));
  }
  window->BetMax();
  window->ToggleHold(2);
  const Hand hand = window->State().hand;
  EXPECT_EQ(Name(Spot(*window, 2)), CardName(hand[1]));
  EXPECT_EQ(Name(Spot(*window, 3)), CardName(hand[2]) + QStringLiteral(", held"));
  // The spots follow the cards into the large layout.
  window->SwitchMode();
  ASSERT_TRUE(window->LargeLayout());
  EXPECT_EQ(Spot(*window, 5)->geometry(), QRect(window->CardOrigin(4), QSize(146, 196)));

  EXPECT_EQ(Name(window->Win3[3]), QStringLiteral("Full House, 3 coins: 24"));
  EXPECT_EQ(Name(window->Win1[0]), QStringLiteral("Royal Flush, 1 coin: 250"));
  EXPECT_EQ(Name(window->Win5[0]), QStringLiteral("Royal Flush, 5 coins: 4000"));
  EXPECT_EQ(Name(window->Win2[10]), QString());  // Jacks or Better has nine rows
}

}  // namespace
}  // namespace lynx::testing
