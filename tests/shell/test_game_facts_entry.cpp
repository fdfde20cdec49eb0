// The ways into the Game facts window as the program connects them: F and
// the menu of the title window (the game played last), F at the trainer
// (its table at the coins bet), and the setup's Game facts button, whose
// window takes input beside the modal setup.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <optional>

#include "coach/tables_cache.h"
#include "review/game_facts_window.h"
#include "shell/history_recorder.h"
#include "shell/review_windows.h"
#include "shell/startup.h"
#include "shell/title_window.h"
#include "table/pay_editor.h"
#include "table/trainer_window.h"
#include "tests/support/fakes.h"
#include "tests/support/popup_menu.h"

namespace lynx {
namespace {

// Runs whileOpen on the modal window that action opens, then closes it.
void FactsWithModal(const std::function<void()>& action,
                    const std::function<void(QWidget*)>& whileOpen) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ran = true;
    whileOpen(modal);
    if (modal != nullptr && modal->isVisible()) modal->close();
  });
  action();
  EXPECT_TRUE(ran);
}

class FactsEntry : public ::testing::Test {
 protected:
  FactsEntry() {
    SetStartValues(values, QStringLiteral("/data"));
    values.credits = 100;
    title = std::make_unique<TitleWindow>(values, fake.services);
    title->UseTables(tables);
    ConnectHistory(*title, recorder, review);
    QObject::connect(title.get(), &TitleWindow::GameFactsRequested, title.get(),
                     [this](const GameFactsChoice& choice, QWidget* over) {
                       asked = choice;
                       askedOver = over;
                     });
    title->show();
  }
  ~FactsEntry() override { title.reset(); }

  FakeServices fake;
  ProgramValues values;
  TablesCache tables;
  HistoryRecorder recorder{values, fake.services};
  ReviewWindows review{fake.services, tables, [this] { return values.credits; }};
  std::unique_ptr<TitleWindow> title;
  std::optional<GameFactsChoice> asked;
  QWidget* askedOver = nullptr;
};

// Catches the facts of a fixed game rather than the one played last, and the
// menu entry or the key left unconnected.
TEST_F(FactsEntry, TheTitleWindowAsksForTheGamePlayedLast) {
  QTest::keyClick(title.get(), Qt::Key_F);
  ASSERT_TRUE(asked.has_value());
  EXPECT_EQ(asked->rules, &MachineRules(kJacksOrBetter));
  EXPECT_EQ(asked->coins, 5);
  EXPECT_EQ(asked->hands, 1);
  EXPECT_EQ(askedOver, nullptr);
  ASSERT_NE(review.GameFacts(), nullptr);
  EXPECT_TRUE(review.GameFacts()->isVisible());
  EXPECT_EQ(review.GameFacts()->Choice().rules, &MachineRules(kJacksOrBetter));
  review.GameFacts()->close();

  // A visit to the Deuces Wild machine, then the menu's entry.
  FactsWithModal([&] { QTest::keyClick(title.get(), Qt::Key_3); }, [](QWidget*) {});
  asked.reset();
  QStringList entries;
  testing_support::InPopupMenu(entries, [](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_F); });
  QTest::keyClick(title.get(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(entries.contains("Game &facts: odds, variance, bankroll\tF"));
  ASSERT_TRUE(asked.has_value());
  EXPECT_EQ(asked->rules, &MachineRules(kDeucesWild));
  EXPECT_EQ(asked->table, "machine");
  EXPECT_EQ(review.GameFacts()->Choice().rules, &MachineRules(kDeucesWild));
}

// Catches the trainer's key connected to nothing, or to the facts of five
// coins when one is bet; and, after the visit, the title window forgetting
// the trainer's table.
TEST_F(FactsEntry, FAtTheTrainerOpensTheFactsOfItsTableAtTheCoinsBet) {
  FactsWithModal([&] { title->OpenTrainer(QStringLiteral("double-double-bonus")); },
                 [&](QWidget* modal) {
                   auto* trainer = qobject_cast<TrainerWindow*>(modal);
                   ASSERT_NE(trainer, nullptr);
                   QTest::keyClick(trainer, Qt::Key_B);
                   QTest::keyClick(trainer, Qt::Key_F);
                   ASSERT_NE(review.GameFacts(), nullptr);
                   EXPECT_TRUE(review.GameFacts()->isVisible());
                   const GameFactsChoice shown = review.GameFacts()->Choice();
                   EXPECT_EQ(shown.rules, FindGame("double-double-bonus"));
                   EXPECT_EQ(shown.table, "9/6");
                   EXPECT_EQ(shown.coins, 1);
                   EXPECT_EQ(shown.hands, 1);
                 });
  QTest::keyClick(title.get(), Qt::Key_F);
  ASSERT_TRUE(asked.has_value());
  EXPECT_EQ(asked->rules, FindGame("double-double-bonus"));
  EXPECT_EQ(asked->coins, 1);
}

// The setup is modal; its Game facts window must take input all the same.
// Catches the window opened without the setup as its transient parent, where
// Qt drops every click that reaches it.
TEST_F(FactsEntry, TheSetupsFactsTakeInputBesideTheModalSetup) {
  bool closedByClick = false;
  FactsWithModal([&] { title->OpenTrainer(); },
                 [&](QWidget* modal) {
                   auto* setup = qobject_cast<TrainerSetupDialog*>(modal);
                   ASSERT_NE(setup, nullptr);
                   setup->findChild<QRadioButton*>(QStringLiteral("Hands_3"))->click();
                   setup->FactsButton()->click();
                   EXPECT_EQ(askedOver, setup);
                   GameFactsWindow* facts = review.GameFacts();
                   ASSERT_NE(facts, nullptr);
                   ASSERT_TRUE(QTest::qWaitForWindowExposed(facts));
                   EXPECT_EQ(facts->Choice().hands, 3);
                   // A click through the platform window, as a player's comes.
                   auto* close = facts->findChild<QPushButton*>(QStringLiteral("FactsClose"));
                   const QPoint at = close->mapTo(facts, close->rect().center());
                   QTest::mouseClick(facts->windowHandle(), Qt::LeftButton, {}, at);
                   closedByClick = !facts->isVisible();
                 });
  EXPECT_TRUE(closedByClick);
}

}  // namespace
}  // namespace lynx
