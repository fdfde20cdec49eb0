// Keys held down across windows: a key that went down before the table had
// the keyboard (Escape held while one table closes and the next one opens)
// repeats without effect; a key pressed on the table repeats as before.

#include <QKeyEvent>
#include <QSignalSpy>

#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

using HeldKeys = TableTest;

// Sends what the keyboard sends for key to receiver, as the window system
// delivers it (through the application's event filters).
void Send(QWidget* receiver, QEvent::Type type, Qt::Key key, bool autoRepeat) {
  QKeyEvent event(type, key, Qt::NoModifier, QString(), autoRepeat);
  QApplication::sendEvent(receiver, &event);
}
// One auto-repeat step of a held key: the repeat release, then the press.
void Repeat(QWidget* receiver, Qt::Key key) {
  Send(receiver, QEvent::KeyRelease, key, true);
  Send(receiver, QEvent::KeyPress, key, true);
}

TEST_F(HeldKeys, EscapeHeldFromTheLastTableDoesNotCloseTheNextOne) {
  // Escape goes down on the first table and closes it.
  Open();
  QSignalSpy firstFinished(window.get(), &QDialog::finished);
  Send(window.get(), QEvent::KeyPress, Qt::Key_Escape, false);
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(firstFinished.count(), 1);

  // It is still held while the next table opens and keeps repeating there.
  Open(kJokerWild);
  QSignalSpy finished(window.get(), &QDialog::finished);
  for (int k = 0; k < 10; ++k) Repeat(window.get(), Qt::Key_Escape);
  QCoreApplication::processEvents();
  EXPECT_FALSE(window->isHidden());
  EXPECT_EQ(finished.count(), 0);

  // Once let go, the next press of Escape quits as always.
  Send(window.get(), QEvent::KeyRelease, Qt::Key_Escape, false);
  Send(window.get(), QEvent::KeyPress, Qt::Key_Escape, false);
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(finished.count(), 1);
  EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(HeldKeys, AKeyPressedOnTheTableRepeatsUntilItIsReleased) {
  Open();
  // B held from before: its repeats bet nothing.
  Repeat(window.get(), Qt::Key_B);
  EXPECT_EQ(window->State().coinsIn, 0);

  // B pressed here and held: each repeat bets one more coin.
  Send(window.get(), QEvent::KeyPress, Qt::Key_B, false);
  EXPECT_EQ(window->State().coinsIn, 1);
  Repeat(window.get(), Qt::Key_B);
  Repeat(window.get(), Qt::Key_B);
  EXPECT_EQ(window->State().coinsIn, 3);
  EXPECT_EQ(window->Label1[0]->text(), QStringLiteral("Coins In: 3"));

  // Released: a stray repeat afterwards does nothing.
  Send(window.get(), QEvent::KeyRelease, Qt::Key_B, false);
  Send(window.get(), QEvent::KeyPress, Qt::Key_B, true);
  EXPECT_EQ(window->State().coinsIn, 3);
  EXPECT_FALSE(window->State().dealt);
  EXPECT_TRUE(fakes.dialogs.shown.empty());

  // Enter held from before neither deals nor asks for a bet.
  Repeat(window.get(), Qt::Key_Return);
  EXPECT_FALSE(window->State().dealt);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  Send(window.get(), QEvent::KeyPress, Qt::Key_Return, false);
  EXPECT_TRUE(window->State().dealt);
  EXPECT_EQ(values.credits, 97);
}

}  // namespace
}  // namespace lynx::testing
