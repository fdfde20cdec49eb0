// The trainer's game chooser: refused pays, the live return of best play,
// the Game facts button, and the recent tables kept in the settings file.

#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include "coach/tables_cache.h"
#include "engine/strategy_return.h"
#include "table/pay_editor.h"
#include "tests/support/fakes.h"

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace lynx {
namespace {

const QString kWorking = QStringLiteral("Return with best play: working…");

void Type(QLineEdit* edit, const QString& text) {
  edit->selectAll();
  if (text.isEmpty())
    QTest::keyClick(edit, Qt::Key_Backspace);
  else
    QTest::keyClicks(edit, text);
}

TEST(PayEditor, RefusalsNameTheRowsAndKeepOkDisabled) {
  FakeProfile profile;
  TablesCache cache;
  TrainerSetupDialog dialog(profile, cache);
  dialog.Select(*TrainerChoiceFor("double-double-bonus"));
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  // Its own table pays four aces with a kicker more than the straight flush
  // above them, as every table of the game does.
  EXPECT_EQ(dialog.RefusalLabel()->text(), QString());
  EXPECT_TRUE(dialog.OkButton()->isEnabled());
  EXPECT_EQ(dialog.PayEdit(0)->accessibleName(), QStringLiteral("Royal Flush pays per coin"));
  EXPECT_EQ(dialog.TopPrizeEdit()->accessibleName(),
            QStringLiteral("Royal Flush pays for five coins"));

  struct Case {
    int row;  // -1: the five-coin top prize
    QString typed;
    QString refusal;  // empty: accepted
  };
  const Case cases[] = {
      {7, "10001", "Full House: the pay per coin must be a whole number from 0 to 10,000"},
      {7, "", "Full House: the pay per coin must be a whole number from 0 to 10,000"},
      {7, "10000", "Full House pays more than 4 5s-Ks above it"},
      {7, "50", ""},
      {4, "161", "4 Aces pays more than 4 2s-4s + A-4 above it"},
      {1, "251", "Straight Flush pays more than Royal Flush above it"},
      {-1, "1000001",
       "Royal Flush: the five-coin prize must be a whole number from 0 to 1,000,000"},
      {-1, "1000000", ""},
  };
  for (const Case& c : cases) {
    QLineEdit* edit = c.row < 0 ? dialog.TopPrizeEdit() : dialog.PayEdit(c.row);
    const QString before = edit->text();
    Type(edit, c.typed);
    EXPECT_EQ(dialog.RefusalLabel()->text(), c.refusal) << c.row << " " << c.typed.toStdString();
    EXPECT_EQ(dialog.OkButton()->isEnabled(), c.refusal.isEmpty()) << c.typed.toStdString();
    if (!c.refusal.isEmpty()) {
      EXPECT_EQ(dialog.ReturnLabel()->text(), QStringLiteral("Return with best play: —"));
    }
    Type(edit, before);
  }
  EXPECT_EQ(dialog.Choice().table, "9/6");

  // Game facts asks for the game, pays and hands shown, only while they are
  // valid. Catches the button left enabled over refused pays, and the facts
  // of another choice than the one on the screen.
  QSignalSpy facts(&dialog, &TrainerSetupDialog::GameFactsRequested);
  Type(dialog.PayEdit(7), QStringLiteral("12"));
  dialog.findChild<QRadioButton*>(QStringLiteral("Hands_5"))->click();
  dialog.FactsButton()->click();
  ASSERT_EQ(facts.count(), 1);
  const auto asked = facts[0][0].value<TrainerChoice>();
  EXPECT_EQ(asked.rules, FindGame("double-double-bonus"));
  EXPECT_EQ(asked.table, "custom");
  EXPECT_EQ(asked.pays.perCoin[7], 12);
  EXPECT_EQ(asked.hands, 5);
  Type(dialog.PayEdit(7), QStringLiteral("10001"));
  EXPECT_FALSE(dialog.FactsButton()->isEnabled());
  dialog.FactsButton()->click();
  EXPECT_EQ(facts.count(), 1);

  // Nothing paid anywhere; the top prize alone is a table.
  for (int r = 0; r < 13; ++r) Type(dialog.PayEdit(r), QStringLiteral("0"));
  Type(dialog.TopPrizeEdit(), QStringLiteral("0"));
  EXPECT_EQ(dialog.RefusalLabel()->text(), QStringLiteral("Every row pays nothing"));
  QTest::keyClick(&dialog, Qt::Key_Return);
  EXPECT_TRUE(dialog.isVisible());
  EXPECT_EQ(profile.saves, 0);
  Type(dialog.TopPrizeEdit(), QStringLiteral("1"));
  EXPECT_EQ(dialog.RefusalLabel()->text(), QString());
  EXPECT_EQ(dialog.Choice().table, "custom");
}

TEST(PayEditor, ReturnFollowsTheNewestPays) {
  FakeProfile profile;
  TablesCache cache;
  TrainerSetupDialog dialog(profile, cache);
  const GameRules& jacks = *FindGame("jacks-96");
  dialog.Select(*TrainerChoiceFor("jacks-96"));
  QLabel* shown = dialog.ReturnLabel();
  EXPECT_EQ(shown->text(), kWorking);
  const auto done = [&] { return shown->text() != kWorking; };
  ASSERT_TRUE(QTest::qWaitFor(done, 120000));
  // The engine meets the published figure at its precision.
  EXPECT_EQ(
      shown->text(),
      QStringLiteral("Return with best play: 99.5439%   (published: 99.54%, wizardofodds.com)"));

  // 8/6 starts working; 8/5, typed while it does, is the one shown.
  Type(dialog.PayEdit(3), QStringLiteral("8"));
  EXPECT_EQ(shown->text(), kWorking);
  EXPECT_EQ(dialog.TableList()->currentRow(), -1);
  QTest::qWait(400);
  Type(dialog.PayEdit(4), QStringLiteral("5"));
  EXPECT_EQ(shown->text(), kWorking);
  ASSERT_TRUE(QTest::qWaitFor(done, 120000));
  const Pays pays = dialog.Choice().pays;
  EXPECT_EQ(dialog.Choice().table, "custom");
  const double expected = ComputeReturn(cache.Wait(jacks), pays, 5, jacks.deck).returnRatio;
  EXPECT_EQ(shown->text(),
            QStringLiteral("Return with best play: %1%").arg(expected * 100, 0, 'f', 4));

  // Typed back to 9/6: the named table again, its figure kept.
  Type(dialog.PayEdit(3), QStringLiteral("9"));
  Type(dialog.PayEdit(4), QStringLiteral("6"));
  EXPECT_EQ(dialog.TableList()->currentRow(), 0);
  EXPECT_EQ(
      shown->text(),
      QStringLiteral("Return with best play: 99.5439%   (published: 99.54%, wizardofodds.com)"));
}

TEST(PayEditor, RecentTablesRoundTripAndDamagedValuesAreSkipped) {
  for (const char* damaged :
       {"", "jacks-96", "no-such-game|9/6", "jacks-96|9/7",
        "jacks-96|custom|250,50,25,9,6,4,3,2|4000", "jacks-96|custom|250,50,25,9,6,4,3,2,1|4000001",
        "jacks-96|custom|250,50,25,9,6,4,3,2,-1|4000",
        "jacks-96|custom|250,50,25,9,6,4,3,2, 1|4000",
        "jacks-96|custom|250,50,25,9,10,4,3,2,1|4000", "jacks-96|custom|0,0,0,0,0,0,0,0,0|0",
        "jacks-96|custom|250,50,25,9,6,4,3,2,1|4000|1", "jacks-96|custom|250,50,25,9,6,4,3,2,1|"})
    EXPECT_FALSE(ParseRecentValue(QString::fromUtf8(damaged), 1)) << damaged;
  // Custom pays that are a named table's go by its name.
  EXPECT_EQ(ParseRecentValue("jacks-96|custom|250,50,25,9,6,4,3,2,1|4000", 1)->table, "9/6");

  FakeProfile profile;
  profile.values[FakeProfile::Key("Trainer", "Recent1")] = "double-double-bonus|11/6";
  profile.values[FakeProfile::Key("Trainer", "Recent2")] =
      " tens|custom|250,50,25,7,5,4,3,2,1|4000 ";
  profile.values[FakeProfile::Key("Trainer", "Recent3")] = "double-double-bonus|10/6";
  profile.values[FakeProfile::Key("Trainer", "Hands")] = "5";
  const std::optional<TrainerChoice> last = LastTrainerChoice(profile);
  ASSERT_TRUE(last);
  EXPECT_EQ(last->rules, FindGame("tens"));
  EXPECT_EQ(last->table, "custom");
  EXPECT_EQ(last->pays.perCoin[3], 7);
  EXPECT_EQ(last->hands, 5);

  TablesCache cache;
  TrainerSetupDialog dialog(profile, cache);
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QTableWidget* recent = dialog.RecentList();
  ASSERT_EQ(recent->rowCount(), 2);
  EXPECT_EQ(recent->item(0, 0)->text(),
            QStringLiteral("Tens or Better, custom 250/50/25/7/5/4/3/2/1, top prize 4000"));
  EXPECT_EQ(recent->item(1, 0)->text(), QStringLiteral("Double Double Bonus, 10/6"));
  EXPECT_EQ(dialog.PayEdit(3)->text(), QStringLiteral("7"));
  EXPECT_TRUE(dialog.findChild<QRadioButton*>("Hands_5")->isChecked());
  recent->setFocus();
  QTest::keyClick(recent, Qt::Key_Down);
  EXPECT_EQ(dialog.GameList()->currentItem()->text(), QStringLiteral("Double Double Bonus"));
  EXPECT_EQ(dialog.TableList()->currentRow(), 1);
  EXPECT_EQ(dialog.PayEdit(7)->text(), QStringLiteral("10"));
  dialog.findChild<QRadioButton*>("Hands_10")->click();
  QTest::keyClick(recent, Qt::Key_Return);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);

  EXPECT_EQ(profile.values[FakeProfile::Key("Trainer", "Recent1")], "double-double-bonus|10/6");
  EXPECT_EQ(profile.values[FakeProfile::Key("Trainer", "Recent2")],
            "tens|custom|250,50,25,7,5,4,3,2,1|4000");
  EXPECT_EQ(profile.values[FakeProfile::Key("Trainer", "Recent3")], "");
  EXPECT_EQ(profile.values[FakeProfile::Key("Trainer", "Hands")], "10");
  EXPECT_EQ(LastTrainerChoice(profile)->hands, 10);

  // Five are kept, newest first.
  for (const char* game : {"jacks", "joker", "deuces", "bonus", "tens"})
    RememberTrainerChoice(profile, *TrainerChoiceFor(game));
  const std::vector<TrainerChoice> kept = RecentTrainerChoices(profile);
  ASSERT_EQ(kept.size(), 5u);
  EXPECT_EQ(kept[0].rules, FindGame("tens"));
  EXPECT_EQ(kept[4].rules, FindGame("jacks"));

  profile.values[FakeProfile::Key("Trainer", "Hands")] = "4";
  EXPECT_EQ(SavedTrainerHands(profile), 1);
  EXPECT_EQ(TrainerChoiceFor("double-bonus", 3)->table, "10/7");
  EXPECT_FALSE(TrainerChoiceFor("double-bonus", 4));
}

}  // namespace
}  // namespace lynx
