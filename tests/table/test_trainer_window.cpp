// The trainer table on fake services: ten hands of Double Double Bonus by
// keys, the rows it reports, the speeds, the hint, a hand taken back on its
// own game, the summary said on leaving with where the session stands among
// sessions of its length, the coach's warning as a screen reader hears it,
// the help topic, the menu of the actions and the key of the game's facts.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QContextMenuEvent>
#include <QLabel>
#include <QMenu>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <functional>

#include "engine/deck.h"
#include "engine/strategy_return.h"
#include "table/table_accessibility.h"
#include "table/trainer_window.h"
#include "tests/support/fakes.h"
#include "tests/support/popup_menu.h"

namespace lynx {
namespace {

TrainerChoice Choice(const char* game, const char* table, int hands) {
  const GameRules* rules = FindGame(game);
  return {rules, table, PaysOf(*rules, *FindTable(*rules, table)), hands};
}

class TrainerTest : public ::testing::Test {
 protected:
  void Open(const TrainerChoice& choice) {
    values.credits = 100;
    values.soundOn = 1;
    window = std::make_unique<TrainerWindow>(values, fakes.services, tables, choice);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }
  void Key(Qt::Key key) { QTest::keyClick(window.get(), key); }

  FakeServices fakes;
  ProgramValues values;
  TablesCache tables;
  std::unique_ptr<TrainerWindow> window;
};

TEST_F(TrainerTest, TenHandsAreStakedDrawnAndReportedRowByRow) {
  fakes.profile.values["trainer/speed"] = "instant";
  Open(Choice("double-double-bonus", "9/6", 10));
  QSignalSpy settled(window.get(), &TrainerWindow::GamesSettled);
  QSignalSpy journal(window.get(), &TrainerWindow::HandChanged);
  Key(Qt::Key_M);
  ASSERT_TRUE(window->Model().Dealt());
  EXPECT_EQ(values.credits, 50);
  EXPECT_TRUE(fakes.sound.played.isEmpty());  // instant: no pause at all
  ASSERT_EQ(journal.count(), 1);
  const Hand dealt = window->Model().Cards();
  Key(Qt::Key_1);
  Key(Qt::Key_2);
  EXPECT_EQ(journal.count(), 3);
  Key(Qt::Key_Return);
  ASSERT_EQ(settled.count(), 1);
  const auto rows = settled[0][0].value<std::vector<GameRecord>>();
  ASSERT_EQ(rows.size(), 10u);
  std::int64_t balance = 50;
  for (std::size_t h = 0; h < rows.size(); ++h) {
    const GameRecord& row = rows[h];
    EXPECT_EQ(row.dealt, dealt);
    EXPECT_EQ(row.held, 3);
    EXPECT_EQ(row.coins, 5);
    EXPECT_EQ(row.hands, 10);
    EXPECT_EQ(row.libraryGame, "double-double-bonus");
    EXPECT_EQ(row.payTable, "9/6");
    EXPECT_TRUE(ValidRecord(row)) << h;
    balance += row.won;
    EXPECT_EQ(row.creditsAfter, balance) << h;
    // Each hand, the dealt row too, is captioned with its own win.
    const QString caption =
        row.row < 0 ? QString()
                    : QStringLiteral("%1 %2")
                          .arg(QString::fromUtf8(FindGame("double-double-bonus")
                                                     ->rows[static_cast<std::size_t>(row.row)]
                                                     .caption.data()))
                          .arg(row.won);
    EXPECT_EQ(window->HandCaption(static_cast<int>(h)).toStdString(), caption.toStdString()) << h;
  }
  EXPECT_EQ(values.credits, balance);
  // To a screen reader each extra hand says its cards and its win.
  EXPECT_EQ(window->findChildren<QWidget*>(QRegularExpression("^Hand_")).size(), 9);
  const QString second = window->findChild<QWidget*>("Hand_2")->accessibleName();
  EXPECT_TRUE(second.startsWith("Hand 2: ")) << second.toStdString();
  EXPECT_TRUE(second.endsWith(window->HandCaption(1).isEmpty() ? QStringLiteral(". No win")
                                                               : ". " + window->HandCaption(1)))
      << second.toStdString();
  const std::int64_t won = balance - 50;
  EXPECT_EQ(window->MessageText().toStdString(),
            won > 0 ? "Total won: " + std::to_string(won) : std::string("No win"));
  EXPECT_EQ(window->Session().hands, 10);
  EXPECT_EQ(window->Session().coinsBet, 50);
  EXPECT_EQ(window->Session().won, won);

  // Hands and speed change between deals only, and the speed is kept.
  Key(Qt::Key_N);
  EXPECT_EQ(window->Model().Hands(), 1);
  Key(Qt::Key_V);
  EXPECT_EQ(window->Speed(), TrainerSpeed::kDesigned);
  EXPECT_EQ(fakes.profile.values["trainer/speed"], "designed");
  Key(Qt::Key_M);
  EXPECT_EQ(values.credits, balance - 5);
  // The designed speed: a card sound after each of the five cards.
  EXPECT_EQ(fakes.sound.played.count(QStringLiteral("SND2.WAV")), 5);
  Key(Qt::Key_N);
  EXPECT_EQ(window->Model().Hands(), 1);
  EXPECT_EQ(fakes.dialogs.shown.size(), 1u);  // finish the hand first
}

TEST_F(TrainerTest, AHandLeftDealtComesBackOnItsOwnGameAndTheSummarySaysTheSession) {
  Open(Choice("jacks-96", "9/6", 1));
  // A Deuces Wild hand journaled at five hands: four deuces dealt.
  TrainerHandInProgress left;
  left.game = "deuces-full";
  left.table = "full pay";
  left.pays = DefaultPays(*FindGame("deuces-full"));
  left.hands = 5;
  left.coins = 1;
  left.deck.size = 52;
  left.dealt = {MakeCard(2, 0), MakeCard(2, 1), MakeCard(2, 2), MakeCard(2, 3), MakeCard(13, 0)};
  std::vector<CardCode> order(left.dealt.begin(), left.dealt.end());
  for (CardCode c = 1; c <= 52; ++c)
    if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
  std::copy(order.begin(), order.end(), left.deck.cards.begin());
  left.held = 15;
  ASSERT_TRUE(window->ResumeHand(left));
  EXPECT_EQ(window->windowTitle().toStdString(),
            "LYNX Video Poker -- Trainer -- Deuces Wild (full pay) full pay");
  EXPECT_EQ(window->Model().Hands(), 5);
  QSignalSpy settled(window.get(), &TrainerWindow::GamesSettled);
  Key(Qt::Key_Return);
  ASSERT_EQ(settled.count(), 1);
  const auto rows = settled[0][0].value<std::vector<GameRecord>>();
  ASSERT_EQ(rows.size(), 5u);
  // Four deuces held: every hand pays the four-deuces row, 200 a coin.
  for (const GameRecord& row : rows) EXPECT_EQ(row.won, 200);
  EXPECT_EQ(values.credits, 100 + 1000);

  Pays own = DefaultPays(*FindGame("jacks-96"));
  own.perCoin[3] = 8;
  EXPECT_EQ(RecordedTableName("custom", own).toStdString(), "custom 250/50/25/8/6/4/3/2/1 (4000)");
  EXPECT_EQ(RecordedTableName("9/6", own).toStdString(), "9/6");

  TrainerSession session;
  session.deals = 2;
  session.hands = 6;
  session.coinsBet = 30;
  session.won = 27;
  session.judged.hands = 4;
  session.judged.coinsBet = 20;
  session.judged.heldEv = 18.5;
  session.judged.bestEv = 19;
  session.judged.mistakes = 1;
  session.judged.mistakeCost = 0.5;
  EXPECT_EQ(SessionSummaryText(session).toStdString(),
            "Deals: 2 (6 hands)\nCoins bet: 30\nCoins won: 27\nReturn: 90.00%\n\n"
            "Your holds were worth 92.50% of the stake; best play, 95.00%.\n"
            "Mistakes: 1 of 4 hands, costing 0.50 credits.");
  // Leaving says the session's summary once it is known where the session
  // stands; meanwhile nothing is played, and Esc again leaves at once.
  // Catches a summary that waits for ever, and play let through meanwhile.
  Key(Qt::Key_Escape);
  EXPECT_TRUE(fakes.dialogs.shown.empty());
  EXPECT_EQ(window->MessageText(), "Working out how this session compares...");
  Key(Qt::Key_M);
  EXPECT_FALSE(window->Model().Dealt());
  EXPECT_EQ(values.credits, 100 + 1000);
  Key(Qt::Key_Escape);
  ASSERT_EQ(fakes.dialogs.shown.size(), 1u);
  EXPECT_TRUE(fakes.dialogs.shown[0].text.startsWith(
      "Deals: 1 (5 hands)\nCoins bet: 5\nCoins won: 1000\n"));
  EXPECT_FALSE(fakes.dialogs.shown[0].text.contains("sessions of this length"));
  EXPECT_FALSE(window->isVisible());
}

// One deal of Jacks or Better 9/6 at five coins held as dealt, two pair: 10
// credits back for 5 bet, one unit of five credits won. Sessions of one deal
// that did worse paid nothing or a single pair. Catches the result counted
// in credits rather than units (98%), the stake not taken off (89%), and a
// summary that leaves the line out.
TEST_F(TrainerTest, TheSummaryPlacesTheSessionAmongSessionsOfItsLength) {
  const TrainerChoice jacks = Choice("jacks-96", "9/6", 1);
  Open(jacks);
  TrainerHandInProgress hand;
  hand.game = "jacks-96";
  hand.table = "9/6";
  hand.pays = jacks.pays;
  hand.hands = 1;
  hand.coins = 5;
  hand.deck.size = 52;
  hand.dealt = {MakeCard(13, 0), MakeCard(13, 1), MakeCard(5, 2), MakeCard(5, 3), MakeCard(9, 0)};
  std::vector<CardCode> order(hand.dealt.begin(), hand.dealt.end());
  for (CardCode c = 1; c <= 52; ++c)
    if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
  std::copy(order.begin(), order.end(), hand.deck.cards.begin());
  hand.held = 31;
  ASSERT_TRUE(window->ResumeHand(hand));
  Key(Qt::Key_Return);
  ASSERT_EQ(window->Session().won, 10);

  Key(Qt::Key_Escape);
  ASSERT_TRUE(QTest::qWaitFor([this] { return !fakes.dialogs.shown.empty(); }, 120000));
  const GameReturn ret = ComputeReturn(tables.Wait(*jacks.rules), jacks.pays, 5, jacks.rules->deck);
  const double worse = ret.noWinProbability + ret.rowProbability[8];  // no win, or jacks or better
  const QString line =
      QStringLiteral("Better than %1% of sessions of this length.").arg(std::llround(worse * 100));
  EXPECT_EQ(line, "Better than 76% of sessions of this length.");
  EXPECT_TRUE(fakes.dialogs.shown[0].text.endsWith("\n\n" + line))
      << fakes.dialogs.shown[0].text.toStdString();
  EXPECT_EQ(window->Standing().Line(), line);
}

// Catches a session placed by its first table, or by every deal of every
// table together, when it changed tables; and a line kept after a new deal.
TEST(SessionStanding, ASessionOfSeveralTablesIsPlacedByTheLastOnesDeals) {
  TablesCache tables;
  SessionStanding standing(tables);
  const GameRules& eight = *FindGame("jacks-85");
  const GameRules& nine = *FindGame("jacks-96");
  const StandingTable first{&eight, "8/5", PaysOf(eight, *FindTable(eight, "8/5")), 5, 1};
  const StandingTable last{&nine, "9/6", PaysOf(nine, *FindTable(nine, "9/6")), 5, 1};
  EXPECT_EQ(standing.Line(), QString());
  standing.AddDeal(first, 0);
  standing.AddDeal(first, 0);
  standing.AddDeal(last, 10);
  QSignalSpy known(&standing, &SessionStanding::Known);
  standing.Prepare();
  ASSERT_TRUE(known.wait(120000));
  EXPECT_TRUE(standing.Ready());
  EXPECT_EQ(standing.Line(),
            "Your 1 deal on Jacks or Better 9/6 (5 coins, 1 hand): better than 76% of sessions of "
            "that length.");
  standing.AddDeal(last, 0);
  EXPECT_FALSE(standing.Ready());
  EXPECT_EQ(standing.Line(), QString());

  // Rounded to a whole percent, but 100% only when no session did as well.
  EXPECT_EQ(StandingLine(0.996, 3, last, false), "Better than 99% of sessions of this length.");
  EXPECT_EQ(StandingLine(1.0, 3, last, false), "Better than 100% of sessions of this length.");
  EXPECT_EQ(StandingLine(0.004, 3, last, false), "Better than 0% of sessions of this length.");
}

// F (and its entry in the menu) asks for the facts of the table; the coins
// are those bet. Catches the key left out of the table's own keys (windows
// beside the trainer would swallow it) and a stake of five shown for one.
TEST_F(TrainerTest, FAsksForTheGameFactsAtTheCoinsBet) {
  Open(Choice("jacks-96", "9/6", 3));
  QSignalSpy facts(window.get(), &TrainerWindow::GameFactsRequested);
  EXPECT_EQ(window->StakeCoins(), 5);
  Key(Qt::Key_B);
  Key(Qt::Key_F);
  EXPECT_EQ(facts.count(), 1);
  EXPECT_EQ(window->StakeCoins(), 1);
  QKeyEvent f(QEvent::KeyPress, Qt::Key_F, Qt::NoModifier, QStringLiteral("f"));
  EXPECT_TRUE(TrainerWindow::OwnKey(f));

  QStringList entries;
  testing_support::InPopupMenu(entries, [](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_F); });
  QTest::keyClick(window.get(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(entries.contains("Game &facts: odds, variance, bankroll\tF"));
  QCoreApplication::processEvents();
  EXPECT_EQ(facts.count(), 2);
}

// Shown, the coach says the values per hand, holds a costly draw back once,
// and A lists every hold best first.
TEST_F(TrainerTest, TheCoachWarnsOnceBeforeACostlyDrawAndAllHoldsListsTheValues) {
  const TrainerChoice jacks = Choice("jacks-96", "9/6", 3);
  tables.Wait(*jacks.rules);
  Open(jacks);
  Key(Qt::Key_K);
  ASSERT_TRUE(window->CoachShown());
  // Narrower than at its ease, on the 800-pixel screen of the offscreen
  // platform: the window stays on it.
  EXPECT_EQ(window->width(), 630 + 160);
  EXPECT_EQ(fakes.profile.values["trainer/coach"], "1");
  TrainerHandInProgress hand;
  hand.game = "jacks-96";
  hand.table = "9/6";
  hand.pays = jacks.pays;
  hand.hands = 3;
  hand.coins = 5;
  hand.dealt = {MakeCard(1, 3), MakeCard(13, 3), MakeCard(12, 3), MakeCard(11, 3), MakeCard(9, 2)};
  std::vector<CardCode> order(hand.dealt.begin(), hand.dealt.end());
  for (CardCode c = 1; c <= 52; ++c)
    if (std::find(order.begin(), order.end(), c) == order.end()) order.push_back(c);
  std::copy(order.begin(), order.end(), hand.deck.cards.begin());
  hand.held = 16;  // the nine alone
  ASSERT_TRUE(window->ResumeHand(hand));
  QSignalSpy settled(window.get(), &TrainerWindow::GamesSettled);
  std::vector<QString> heard;
  SetAccessibleEventSink([&heard](QAccessibleEvent* event) {
    if (event->type() != QAccessible::ObjectShow) return;
    if (auto* announcer = qobject_cast<Announcer*>(event->object()))
      heard.push_back(announcer->Text());
  });
  Key(Qt::Key_Return);
  EXPECT_EQ(settled.count(), 0);
  EXPECT_TRUE(window->Warning());
  EXPECT_TRUE(window->CoachText().contains("This hold gives up"))
      << window->CoachText().toStdString();
  // A screen reader hears the warning wherever the focus is.
  ASSERT_EQ(heard.size(), 1u);
  EXPECT_TRUE(heard[0].startsWith("Coach: this hold gives up ")) << heard[0].toStdString();
  EXPECT_TRUE(
      heard[0].endsWith(" credits a hand. Held: -- -- -- -- 9D. Best: AS KS QS JS --. "
                        "Return draws as held; H holds the best."))
      << heard[0].toStdString();
  Key(Qt::Key_A);
  ASSERT_NE(window->AllHolds(), nullptr);
  EXPECT_EQ(window->AllHolds()->item(0, 0)->text(), "1*");
  EXPECT_EQ(window->AllHolds()->item(0, 1)->text(), "AS KS QS JS --");
  EXPECT_EQ(window->AllHolds()->item(1, 0)->text(), "2");
  // The chance of each pay row and of no win: a royal flush is 1 draw of 47.
  ASSERT_EQ(window->AllHolds()->columnCount(), 4 + 9 + 1);
  EXPECT_EQ(window->AllHolds()->horizontalHeaderItem(4)->text(), "Royal Flush");
  EXPECT_EQ(window->AllHolds()->item(0, 4)->text(), "2.13%");
  // The second Return draws as held.
  Key(Qt::Key_Return);
  ASSERT_EQ(settled.count(), 1);
  EXPECT_FALSE(window->Warning());
  EXPECT_TRUE(window->CoachText().contains("Held -- -- -- -- 9D: gave up"))
      << window->CoachText().toStdString();
  EXPECT_EQ(window->Session().judged.hands, 3);
  EXPECT_EQ(window->Session().judged.mistakes, 1);  // one hold on three hands: one decision
  // G: the chart of the game, pays and stake, worked out in the background.
  Key(Qt::Key_G);
  ASSERT_NE(window->Chart(), nullptr);
  EXPECT_EQ(window->Chart()->Caption()->text().toStdString(),
            "Jacks or Better 9/6, 5 coins: the chart is still being worked out.");
  // Hidden, it never holds a draw back.
  Key(Qt::Key_K);
  EXPECT_EQ(window->width(), 630);
  SetAccessibleEventSink({});
}

// F1 asks for the trainer's own help topic; Shift+F10 and the Menu key open
// the menu of its actions, whose entries run once the menu has closed; a
// right click opens none.
TEST_F(TrainerTest, F1OpensTheTrainerTopicAndTheMenuKeyOpensTheActions) {
  values.helpFile = "/data/ZEB.HLP";
  fakes.profile.values["trainer/speed"] = "instant";
  Open(Choice("jacks-96", "9/6", 3));
  Key(Qt::Key_F1);
  EXPECT_EQ(fakes.help.opened, (std::vector<std::pair<QString, int>>{
                                   {QStringLiteral("/data/ZEB.HLP"), TrainerWindow::kHelpTopic}}));

  QStringList entries;
  const auto inMenu = [&entries](const std::function<void(QMenu&)>& act) {
    testing_support::InPopupMenu(entries, act);
  };
  inMenu([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_N); });
  QTest::keyClick(window.get(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_TRUE(entries.contains("&Number of hands: 3\tN"));
  EXPECT_EQ(window->Model().Hands(), 3);  // not inside the menu's loop
  QCoreApplication::processEvents();
  EXPECT_EQ(window->Model().Hands(), 5);

  inMenu([](QMenu& menu) { QTest::keyClick(&menu, Qt::Key_M); });
  QContextMenuEvent menuKey(QContextMenuEvent::Keyboard, QPoint(10, 10), QPoint(10, 10));
  QCoreApplication::sendEvent(window.get(), &menuKey);
  EXPECT_EQ(entries.front(), "&Deal\tReturn");
  QCoreApplication::processEvents();
  ASSERT_TRUE(window->Model().Dealt());
  EXPECT_EQ(values.credits, 100 - 25);

  entries.clear();
  inMenu([](QMenu& menu) { menu.close(); });
  QContextMenuEvent rightClick(QContextMenuEvent::Mouse, QPoint(10, 10), QPoint(10, 10));
  QCoreApplication::sendEvent(window.get(), &rightClick);
  EXPECT_TRUE(entries.isEmpty());
}

// The extra hands take the cards whole where they fit, and fan them (each
// card's corner in view) and cut them off at the foot where they do not.
TEST(ExtraHands, AreAsLargeAsTheirCountLeavesRoomFor) {
  const QSize area(610, 198);
  const ExtraHandsLayout two = LayOutExtraHands(2, area);
  EXPECT_EQ(two.columns, 1);
  EXPECT_EQ(two.rows, 2);
  EXPECT_EQ(two.step, 77);  // side by side, four pixels apart
  const ExtraHandsLayout four = LayOutExtraHands(4, area);
  EXPECT_EQ(four.columns, 2);
  EXPECT_EQ(four.rows, 2);
  const ExtraHandsLayout nine = LayOutExtraHands(9, area);
  EXPECT_EQ(nine.columns, 3);
  EXPECT_EQ(nine.rows, 3);
  EXPECT_EQ(nine.step, 30);
  EXPECT_EQ(nine.cardHeight, 48);
  for (const ExtraHandsLayout& l : {two, four, nine}) {
    // Every hand and its caption inside the area.
    EXPECT_LE(l.columns * (4 * l.step + 73) + (l.columns - 1) * 12, area.width());
    EXPECT_LE(l.rows * (l.cardHeight + 18), area.height());
  }
  // No room for a readable hand: none shown rather than a blur.
  EXPECT_EQ(LayOutExtraHands(9, QSize(610, 90)).columns, 0);
}

}  // namespace
}  // namespace lynx
