// The coach beside a real table on fake services: the hint, the warning
// before a costly draw, what best play would have done, and its settings.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>

#include "platform/fakes.h"
#include "review/coach_panel.h"
#include "table/table_window.h"
#include "tests/support/hand_text.h"

namespace lynx {
namespace {

using testing_support::Card;
using testing_support::H;

class CoachPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    values.gameVariant = kJacksOrBetter;
    values.credits = 100;
    table = std::make_unique<TableWindow>(values, fakes.services);
    run.tables.Wait(kJacksOrBetter);
    panel = new CoachPanel(*table, kJacksOrBetter, run, fakes.services);
    table->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(table.get()));
  }

  // Puts dealt on the table for five coins, with next behind it in the deck.
  void Deal(const std::string& dealt, const std::string& next) {
    HandInProgress hand;
    hand.game = kJacksOrBetter;
    hand.coins = 5;
    hand.dealt = H(dealt);
    const Hand after = H(next);
    std::vector<CardCode> order(hand.dealt.begin(), hand.dealt.end());
    order.insert(order.end(), after.begin(), after.end());
    for (CardCode c = 1; c <= 52; ++c)
      if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
    for (int p = 1; p <= Deck::kSize; ++p) hand.deck.Set(p, order[static_cast<std::size_t>(p - 1)]);
    ASSERT_TRUE(table->ResumeHand(hand));
    // A resumed hand reaches the coach as a fresh deal does.
    emit table->HandChanged(table->InProgress());
  }
  void Key(Qt::Key key) { QTest::keyClick(table.get(), key); }

  FakeServices fakes;
  ProgramValues values;
  CoachRun run;
  std::unique_ptr<TableWindow> table;
  CoachPanel* panel = nullptr;
};

TEST_F(CoachPanelTest, HintThenDrawNeverWarnsAndNeitherDoesAnEqualHold) {
  QSignalSpy settled(table.get(), &TableWindow::GameSettled);
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_H);
  EXPECT_EQ(table->State().held, (std::array<bool, 5>{true, true, true, true, false}));
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  EXPECT_FALSE(panel->Warning());
  EXPECT_EQ(table->State().winAmount, 4000);

  // Four nines: all five held is worth exactly what the four are.
  Deal("9S 9H 9D 9C 2S", "5C 6C 7C 8C TC");
  for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5}) Key(k);
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  ASSERT_EQ(settled.count(), 2);
  const auto nines = settled[1][0].value<GameRecord>();
  EXPECT_EQ(nines.bestHolds, "15,31");
  EXPECT_EQ(nines.heldEv, 125.0);
  EXPECT_EQ(run.tally.mistakes, 0);
  EXPECT_FALSE(table->SidePanelShown());
}

TEST_F(CoachPanelTest, ACostlyHoldWarnsOnceAndTheSecondDrawDrawsAsHeld) {
  QSignalSpy settled(table.get(), &TableWindow::GameSettled);
  Key(Qt::Key_K);
  ASSERT_TRUE(table->SidePanelShown());
  EXPECT_EQ(fakes.profile.values.value("coach/panel"), "1");
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_4);
  Key(Qt::Key_5);
  Key(Qt::Key_Return);
  EXPECT_TRUE(table->State().dealt);
  EXPECT_TRUE(panel->Warning());
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  const QString warning = panel->HandSectionText();
  EXPECT_TRUE(warning.contains("gives away 84.18 credits")) << warning.toStdString();
  EXPECT_TRUE(warning.contains("Yours: -- -- -- JS JH, worth 7.63"));
  EXPECT_TRUE(warning.contains("Best: AS KS QS JS --, worth 91.81"));

  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  EXPECT_EQ(table->State().hand, H("TS 3D 4H JS JH"));
  ASSERT_EQ(settled.count(), 1);
  const auto game = settled[0][0].value<GameRecord>();
  EXPECT_DOUBLE_EQ(*game.bestEv, 4315.0 / 47.0);
  EXPECT_NEAR(*game.heldEv, 7.631822, 1e-6);
  EXPECT_EQ(game.bestHolds, "15");
  const QString last = panel->LastDrawText();
  EXPECT_TRUE(
      last.contains("Best play, AS KS QS JS --, would have drawn to Royal Flush and "
                    "paid 4000."))
      << last.toStdString();
  EXPECT_EQ(run.tally.mistakes, 1);
  EXPECT_NEAR(run.tally.mistakeCost, 91.808511 - 7.631822, 1e-5);

  // Warnings off: the same hold draws at once.
  panel->WarnBox()->setChecked(false);
  EXPECT_EQ(fakes.profile.values.value("coach/warn"), "0");
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_4);
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
  // Warnings on but the coach hidden: no warning holds up the draw.
  panel->WarnBox()->setChecked(true);
  Key(Qt::Key_K);
  Deal("AS KS QS JS JH", "TS 3D 4H 5C 6C");
  Key(Qt::Key_4);
  Key(Qt::Key_Return);
  EXPECT_FALSE(table->State().dealt);
}

TEST(CoachSettings, PanelAndWarnAreReadFromTheirOwnSection) {
  FakeServices fakes;
  CoachRun run;
  LoadCoachSettings(run, fakes.profile);
  EXPECT_FALSE(run.panelShown);
  EXPECT_TRUE(run.warn);
  fakes.profile.values["coach/panel"] = "1";
  fakes.profile.values["coach/warn"] = "0";
  LoadCoachSettings(run, fakes.profile);
  EXPECT_TRUE(run.panelShown);
  EXPECT_FALSE(run.warn);
  EXPECT_TRUE(SaveCoachSettings(run, fakes.profile));
  EXPECT_EQ(fakes.profile.writes,
            (std::vector<std::pair<QString, QString>>{{"Panel", "1"}, {"Warn", "0"}}));
}

}  // namespace
}  // namespace lynx
