// The keys that do what the table's buttons and cards do, the side panel
// the K key shows beside the designed area, and the menu of the actions.

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QMenu>
#include <QSignalSpy>

#include "table/table_accessibility.h"
#include "tests/support/popup_menu.h"
#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

using Keys = TableTest;

TEST_F(Keys, DigitsToggleTheCardTheyNameOnlyWhileAHandIsDealt) {
  Open();
  QSignalSpy changed(window.get(), &TableWindow::HandChanged);
  Key(Qt::Key_2);  // nothing dealt yet
  EXPECT_EQ(changed.count(), 0);
  Key(Qt::Key_M);  // Max Bet deals
  ASSERT_TRUE(window->State().dealt);
  EXPECT_EQ(window->State().coinsIn, 5);
  Key(Qt::Key_3);
  QTest::keyClick(window.get(), Qt::Key_5, Qt::KeypadModifier);
  QTest::keyClick(window.get(), Qt::Key_1, Qt::ControlModifier);  // a shortcut, not a hold
  Key(Qt::Key_2);
  Key(Qt::Key_2);
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{false, false, true, false, true}));
  EXPECT_EQ(window->Image1[2]->pixmap().toImage(), window->Image3[0]->pixmap().toImage());
  EXPECT_EQ(changed.count(), 1 + 4);  // the deal, then each toggle

  Key(Qt::Key_Return);  // draws
  ASSERT_FALSE(window->State().dealt);
  const TableState after = window->State();
  for (Qt::Key key : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5}) Key(key);
  EXPECT_EQ(window->State().held, after.held);
  EXPECT_EQ(changed.count(), 5);
}

TEST_F(Keys, LettersRunTheButtonsAndADigitDuringADealWaitsForIt) {
  Open();
  Key(Qt::Key_C);
  EXPECT_EQ(values.credits, 100 + 100);
  Key(Qt::Key_S);
  EXPECT_EQ(values.soundOn, 0);
  Key(Qt::Key_S);
  EXPECT_EQ(values.soundOn, 1);
  Key(Qt::Key_L);
  EXPECT_EQ(window->size(), QSize(780, 570));
  Key(Qt::Key_L);
  EXPECT_EQ(window->size(), QSize(550, 390));
  QTest::keyClick(window.get(), Qt::Key_C, Qt::AltModifier);
  EXPECT_EQ(values.credits, 200);

  bool first = true;
  fakes.sound.onPlay = [&](const QString&) {
    if (!first) return;
    first = false;
    Key(Qt::Key_4);  // during the first card of the deal
  };
  Key(Qt::Key_M);
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{}));  // not in the middle of the deal
  QCoreApplication::processEvents();
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{false, false, false, true, false}));
}

TEST_F(Keys, KShowsTheSidePanelBesideTheDesignedAreaInBothSizes) {
  Open();
  window->Timer2->stop();  // no blinking between the pictures
  const QImage designed = window->grab().toImage();
  Key(Qt::Key_K);  // no panel given: nothing
  EXPECT_EQ(window->size(), QSize(550, 390));

  auto* panel = new QWidget;
  panel->setMinimumWidth(200);
  panel->resize(200, 10);
  window->SetSidePanel(panel);
  QSignalSpy toggled(window.get(), &TableWindow::SidePanelToggled);
  // The table never moves under the player: the window grows to the right.
  const QPoint at = window->pos();
  Key(Qt::Key_K);
  EXPECT_EQ(window->size(), QSize(750, 390));
  EXPECT_EQ(window->pos(), at);
  EXPECT_EQ(panel->geometry(), QRect(550, 0, 200, 390));
  EXPECT_TRUE(panel->isVisible());
  Key(Qt::Key_K);
  EXPECT_EQ(window->size(), QSize(550, 390));
  EXPECT_EQ(window->pos(), at);
  EXPECT_FALSE(panel->isVisible());
  EXPECT_EQ(window->grab().toImage(), designed);
  ASSERT_EQ(toggled.count(), 2);
  EXPECT_EQ(toggled[0][0].toBool(), true);
  EXPECT_EQ(toggled[1][0].toBool(), false);

  window->move(600, 100);  // no room at its right: docked below, in the window
  Key(Qt::Key_K);
  EXPECT_EQ(window->size(), QSize(550, 390 + 260));  // 768 less the table and a title bar is more
  EXPECT_EQ(window->pos(), QPoint(600, 100));
  EXPECT_EQ(panel->geometry(), QRect(0, 390, 550, 260));
  EXPECT_TRUE(!panel->isWindow() && panel->isVisible());
  Key(Qt::Key_K);

  Key(Qt::Key_K);
  Key(Qt::Key_L);
  EXPECT_EQ(window->size(), QSize(980, 570));
  EXPECT_EQ(panel->geometry(), QRect(780, 0, 200, 570));
}

// Shift+F10 and the Menu key open the menu of the table's actions beside
// the designed window; an entry runs what its key runs once the menu has
// closed. A right click stays the machine's: it opens no menu.
TEST_F(Keys, ShiftF10AndTheMenuKeyOpenTheActionsMenuWhoseEntriesPlay) {
  Open();
  QStringList entries;
  const auto inMenu = [&entries](const std::function<void(QMenu&)>& act) {
    testing_support::InPopupMenu(entries, act);
  };
  inMenu([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_M); });
  QTest::keyClick(window.get(), Qt::Key_F10, Qt::ShiftModifier);
  ASSERT_FALSE(entries.isEmpty());
  EXPECT_EQ(entries.front(), "&Deal\tEnter");
  EXPECT_TRUE(entries.contains("Strate&gy chart\tG"));
  EXPECT_FALSE(window->State().dealt);  // not inside the menu's loop
  QCoreApplication::processEvents();
  ASSERT_TRUE(window->State().dealt);
  EXPECT_EQ(window->State().coinsIn, 5);

  // The Menu key: the holds by card, the third one taken.
  const Hand hand = window->State().hand;
  QString third;
  inMenu([&third](QMenu& menu) {
    for (QAction* entry : menu.actions()) {
      if (entry->menu() == nullptr) continue;
      QAction* card = entry->menu()->actions().at(2);
      third = card->text();
      menu.close();
      card->trigger();
    }
  });
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(10, 10), QPoint(10, 10));
  QCoreApplication::sendEvent(window.get(), &menuKey);
  EXPECT_EQ(entries.front(), "&Draw\tEnter");
  EXPECT_EQ(third, "Card &3: " + CardName(hand[2]) + "\t3");
  QCoreApplication::processEvents();
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{false, false, true, false, false}));

  entries.clear();
  inMenu([](QMenu& menu) { menu.close(); });
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(10, 10));
  QCoreApplication::sendEvent(window.get(), &rightClick);
  EXPECT_TRUE(entries.isEmpty());
  QCoreApplication::processEvents();
  EXPECT_TRUE(window->State().dealt);
}

}  // namespace
}  // namespace lynx::testing
