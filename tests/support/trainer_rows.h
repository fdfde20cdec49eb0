#pragma once
// The history rows of a trainer deal, and the trainer's sums compared, for
// tests of the history store.

#include <gtest/gtest.h>

#include <QString>
#include <algorithm>
#include <vector>

#include "engine/game_rules.h"
#include "engine/pays.h"
#include "machine/trainer_machine.h"
#include "platform/history_store.h"

namespace lynx::testing_support {

// The rows of a deal of hand (of a game of the library): each hand draws the
// cards after the dealt five, hand h starting h cards further on, so every
// hand is five distinct cards of the deck. The meter starts at credits (after
// the stake) and goes up by each hand's pay.
inline std::vector<GameRecord> TrainerRows(const TrainerHandInProgress& hand, int credits) {
  const GameRules& rules = *FindGame(hand.game);
  std::vector<GameRecord> rows;
  for (int h = 0; h < hand.hands; ++h) {
    GameRecord g;
    g.game = rules.family;
    g.libraryGame = QString::fromStdString(hand.game);
    g.payTable = QString::fromStdString(hand.table);
    g.hands = hand.hands;
    g.coins = hand.coins;
    g.dealt = hand.dealt;
    g.held = hand.held;
    g.final = hand.dealt;
    std::size_t next = 5 + static_cast<std::size_t>(h);
    for (std::size_t i = 0; i < 5; ++i) {
      if ((hand.held >> i & 1) == 0) g.final[i] = hand.deck.cards[next++];
    }
    g.row = ClassifyRules(g.final, rules);
    g.won = static_cast<int>(PayoutOf(hand.pays, g.row, g.coins));
    credits += g.won;
    g.creditsAfter = credits;
    rows.push_back(g);
  }
  return rows;
}

// The sums of each table equal; those of credits, summed in another order,
// up to rounding.
inline void ExpectSameTables(const std::vector<TableStatistics>& actual,
                             const std::vector<TableStatistics>& expected) {
  ASSERT_EQ(actual.size(), expected.size());
  for (std::size_t i = 0; i < actual.size(); ++i) {
    TableStatistics kept = actual[i];
    const TableStatistics& summed = expected[i];
    for (auto field :
         {&TableStatistics::heldEv, &TableStatistics::bestEv, &TableStatistics::mistakeCost}) {
      EXPECT_NEAR(kept.*field, summed.*field, 1e-9 * std::max(1.0, summed.*field));
      kept.*field = summed.*field;
    }
    EXPECT_EQ(kept, summed);
  }
}

}  // namespace lynx::testing_support
