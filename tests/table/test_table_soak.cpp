// Thousands of games through the real window with random bets, holds, credit
// clicks, sound and mode switches; after each game the deck, the meter, the
// payout and the lit cells must agree with the rules.

#include <random>
#include <set>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

class Soak : public TableTest {
 protected:
  void Run(GameVariant variant, std::uint32_t seed, int games) {
    SeededSource shuffleSource(seed);
    Services services{fakes.dialogs, fakes.sound,  fakes.profile,
                      fakes.help,    fakes.screen, shuffleSource, fakes.history};
    values.gameVariant = variant;
    values.largeCards = 0;
    window = std::make_unique<TableWindow>(values, services);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    // Every settled game is kept as the shell keeps it.
    QObject::connect(window.get(), &TableWindow::GameSettled, [this](GameRecord g) {
      fakes.history.RecordGame(g, values.borrowed, 0);
    });
    std::mt19937 actions(seed);
    auto chance = [&](int percent) {
      return std::uniform_int_distribution<int>(0, 99)(actions) < percent;
    };
    auto pick = [&](int low, int high) {
      return std::uniform_int_distribution<int>(low, high)(actions);
    };

    const std::int64_t start = values.credits;
    std::int64_t stakes = 0, wins = 0, additions = 0;
    int winningGames = 0;
    auto addCredits = [&] {
      Click(window->Image12);
      additions += 100;
    };

    for (int game = 0; game < games; ++game) {
      SCOPED_TRACE(game);
      if (chance(3)) addCredits();
      if (chance(2)) Click(window->Image5);
      // Large cards cost most to paint in a sanitised build: visit them
      // often, but stay a few games only.
      if (chance(window->LargeLayout() ? 25 : 2)) Click(window->Image13);
      if (values.credits < 5) addCredits();

      // Bet: a number of single coins (five deal at once), Max Bet, or the
      // stake of the last game again.
      const int last = window->State().lastCoinsIn;
      const int style = pick(0, 2);
      if (style == 1 || (style == 2 && last == 0)) {
        const int coins = pick(1, 5);
        for (int i = 0; i < coins; ++i) {
          if (chance(50))
            Click(window->Image10);
          else
            QTest::keyClick(window.get(), 'b');
        }
        if (coins < 5) Click(window->Image8);
      } else if (style == 0) {
        Click(window->Image11);
      } else {
        Key(Qt::Key_Return);
      }
      const TableState dealt = window->State();
      ASSERT_TRUE(dealt.dealt);
      ASSERT_GE(dealt.coinsIn, 1);
      ASSERT_LE(dealt.coinsIn, 5);
      stakes += dealt.coinsIn;
      QStringList litAfterDeal = ColumnCells(dealt.coinsIn);
      if (dealt.winRow > -1)
        litAfterDeal.insert(dealt.winRow, QStringLiteral("V%1").arg(dealt.winRow));
      ASSERT_EQ(LitCells(), litAfterDeal);
      ASSERT_EQ(dealt.winRow, ClassifyHand(dealt.hand, variant));
      for (int k = 0; k < 5; ++k)
        ASSERT_EQ(dealt.hand[static_cast<std::size_t>(k)], values.deck.At(k + 1));

      // Holds by card clicks or marker clicks, sometimes twice.
      const int clicks = pick(0, 7);
      for (int i = 0; i < clicks; ++i) {
        const int k = pick(0, 4);
        if (chance(50)) {
          const QPoint origin = window->CardOrigin(k);
          const bool large = window->LargeLayout();
          PressSurface(Qt::LeftButton,
                       origin + QPoint(pick(0, large ? 144 : 71), pick(0, large ? 188 : 94)));
        } else {
          Click(window->Image1[static_cast<std::size_t>(k)]);
        }
      }
      if (chance(3)) addCredits();
      if (chance(1)) Click(window->Image13);
      const std::array<bool, 5> held = window->State().held;
      fakes.sound.played.clear();
      switch (pick(0, 2)) {
        case 0:
          Click(window->Image8);
          break;
        case 1:
          Key(Qt::Key_Enter);
          break;
        default:
          QTest::mousePress(window->Win1[static_cast<std::size_t>(pick(0, 10))], Qt::RightButton);
      }

      const TableState s = window->State();
      ASSERT_FALSE(s.dealt);
      const Hand expectedHand = DrawHand(values.deck, dealt.hand, HoldMask::FromFlags(held));
      ASSERT_EQ(s.hand, expectedHand);
      // No card twice in one game: the dealt five and every replacement.
      std::set<CardCode> seen;
      for (int p = 1; p <= s.drawPos; ++p) seen.insert(values.deck.At(p));
      ASSERT_EQ(static_cast<int>(seen.size()), s.drawPos);
      const int discards = static_cast<int>(std::count(held.begin(), held.end(), false));
      ASSERT_EQ(s.drawPos, 5 + discards);

      const int row = ClassifyHand(s.hand, variant);
      ASSERT_EQ(s.winRow, row);
      ASSERT_EQ(s.winAmount, Payout(variant, row, dealt.coinsIn));
      ASSERT_EQ(s.lastCoinsIn, dealt.coinsIn);
      ASSERT_EQ(window->Mess->text(),
                QString::fromStdString(WinMessage(variant, row, s.winAmount)));
      wins += s.winAmount;
      if (s.winAmount > 0) ++winningGames;
      ASSERT_EQ(values.credits, start - stakes + wins + additions);
      ASSERT_EQ(window->Label1[1]->text(), QStringLiteral("Credits: %1").arg(values.credits));
      // One row per game, whose balance is the one shown.
      ASSERT_EQ(fakes.history.games.size(), static_cast<std::size_t>(game) + 1);
      const GameRecord& kept = fakes.history.games.back();
      ASSERT_EQ(kept.creditsAfter, values.credits);
      ASSERT_EQ(kept.final, s.hand);
      ASSERT_EQ(kept.won, s.winAmount);
      if (row > -1)
        ASSERT_EQ(LitCells(), (QStringList{QStringLiteral("V%1").arg(row),
                                           QStringLiteral("W%1:%2").arg(dealt.coinsIn).arg(row)}));
      else
        ASSERT_TRUE(LitCells().isEmpty());

      QStringList sounds;
      if (values.soundOn == 1) {
        sounds = QStringList(discards, "SND2.WAV");
        if (s.winAmount > 0) sounds << "SND0.WAV";
      }
      ASSERT_EQ(fakes.sound.played, sounds);
      for (int k = 0; k < 5; ++k) ASSERT_TRUE(ShowsCard(k, s.hand[static_cast<std::size_t>(k)]));
    }
    // Only the sound switch talks to the player in these games.
    for (const ShownDialog& d : fakes.dialogs.shown) EXPECT_EQ(d.title, kTitle);
    EXPECT_GT(winningGames, games / 10);
    window.reset();
  }
};

TEST_F(Soak, JacksOrBetter) {
  Run(kJacksOrBetter, 20260101u, 800);
}
TEST_F(Soak, JokerWild) {
  Run(kJokerWild, 424242u, 800);
}
TEST_F(Soak, DeucesWild) {
  Run(kDeucesWild, 777u, 800);
}

}  // namespace
}  // namespace lynx::testing
