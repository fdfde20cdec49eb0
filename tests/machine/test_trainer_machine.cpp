#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <climits>
#include <map>
#include <set>
#include <utility>
#include <vector>

#include "machine/trainer_machine.h"

namespace lynx {
namespace {

// Gives its values in turn, over and over.
class Script final : public UniformSource {
 public:
  explicit Script(std::vector<float> v) : values(std::move(v)) {}
  float Next() override { return values[next++ % values.size()]; }
  void Reseed() override {}
  std::vector<float> values;
  std::size_t next = 0;
};

// The value that picks index i of n.
float Pick(int i, int n) {
  return (static_cast<float>(i) + 0.5f) / static_cast<float>(n);
}

const GameRules& Game(std::string_view name) {
  return *FindGame(name);
}

// A journalled hand of the game's usual table: front, then the game's other
// cards in code order.
TrainerHandInProgress Stacked(const GameRules& rules, const std::vector<CardCode>& front, int hands,
                              int coins, int held) {
  TrainerHandInProgress h{std::string(rules.name),
                          std::string(rules.tables.front().name),
                          DefaultPays(rules),
                          hands,
                          coins,
                          {},
                          held,
                          {}};
  h.deck.size = rules.CardCount();
  std::vector<CardCode> order = front;
  for (CardCode c = 1; c <= h.deck.size; ++c)
    if (std::find(front.begin(), front.end(), c) == front.end()) order.push_back(c);
  std::copy(order.begin(), order.end(), h.deck.cards.begin());
  std::copy_n(order.begin(), 5, h.dealt.begin());
  return h;
}

// Whether final keeps the held cards of dealt and replaces the others with
// distinct cards of the game that were not dealt.
bool ValidDrawOf(const Hand& dealt, HoldMask held, const Hand& final, int cardCount) {
  for (std::size_t i = 0; i < 5; ++i) {
    const bool isDealt = std::count(dealt.begin(), dealt.end(), final[i]) != 0;
    if (final[i] < 1 || final[i] > cardCount || isDealt != held.Holds(static_cast<int>(i)) ||
        (isDealt && final[i] != dealt[i]) || std::count(final.begin(), final.end(), final[i]) != 1)
      return false;
  }
  return true;
}

TEST(TrainerDraw, DealShuffleTakesOneValuePerSwap) {
  for (const char* name : {"double-double-bonus", "joker-kings"}) {
    Script script({0.3f, 0.9f, 0.1f});
    TrainerDeck deck;
    ShuffleTrainerDeck(deck, Game(name), script);
    EXPECT_EQ(script.next, static_cast<std::size_t>(deck.size - 1));
  }
}

// The machine's Joker Wild is worked out on the machine's deck, so the
// trainer deals it: 52 positions, the joker in the place of one card.
TEST(TrainerDraw, TheMachinesJokerWildIsDealtAsItsReturnsCountIt) {
  const GameRules& joker = Game("joker");
  Script script(std::vector<float>(60, 0.0f));
  TrainerDeck deck;
  ShuffleTrainerDeck(deck, joker, script);
  EXPECT_EQ(deck.size, 52);
  EXPECT_EQ(script.next, 52u);  // 51 swaps and the joker's place
  EXPECT_EQ(deck.cards[0], kJoker);
  EXPECT_EQ(deck.cards[1], 2);
  EXPECT_EQ(deck.cards[51], 52);
  EXPECT_EQ(deck.cards[52], kNoCard);
  EXPECT_TRUE(IsDeckOfGame(deck, joker));

  // Without the joker it is no deck of the game; the 53 cards an earlier
  // version dealt still are, and other joker games deal 53.
  TrainerDeck plain = deck;
  plain.cards[0] = 1;
  EXPECT_FALSE(IsDeckOfGame(plain, joker));
  const GameRules& kings = Game("joker-kings");
  TrainerDeck full;
  ShuffleTrainerDeck(full, kings, script);
  EXPECT_EQ(full.size, 53);
  EXPECT_TRUE(IsDeckOfGame(full, joker));
  EXPECT_TRUE(IsDeckOfGame(full, kings));
  EXPECT_FALSE(IsDeckOfGame(deck, kings));
  EXPECT_FALSE(IsDeckOfGame(full, Game("jacks")));
}

// The values enumerate every ordered choice of replacements from the rest
// (n cards, then n - 1 for a second); the extra hands take them in turn, so
// every set of replacements must come out exactly equally often.
TEST(TrainerDraw, ExtraHandsDrawEveryReplacementFromTheRestEquallyOften) {
  struct Case {
    const char* game;
    std::vector<CardCode> front;
    unsigned held;
    int hands;
    Hand hand0;  // positions 6.. in order
    std::size_t sets;
    int each;
  };
  const char* ddb = "double-double-bonus";
  const Case cases[] = {
      {ddb, {1, 14, 27, 40, 39, 3}, 0b01111, 10, {1, 14, 27, 40, 3}, 47, 9},
      {ddb, {1, 14, 27, 40, 39, 3, 13}, 0b00111, 10, {1, 14, 27, 3, 13}, 1081, 18},
      {"joker-kings", {1, 2, 3, 4, 5, 6}, 0b01111, 3, {1, 2, 3, 4, 6}, 48, 2},  // the joker too
  };
  for (const Case& c : cases) {
    const GameRules& rules = Game(c.game);
    const HoldMask held = HoldMask::FromBits(c.held);
    const TrainerHandInProgress hand = Stacked(rules, c.front, c.hands, 1, held.Stored());
    const int n = rules.CardCount() - 5;
    std::vector<float> values;
    for (int a = 0; a < n; ++a) {
      if (held.Count() == 4) values.push_back(Pick(a, n));
      for (int b = 0; b < n - 1 && held.Count() == 3; ++b)
        values.insert(values.end(), {Pick(a, n), Pick(b, n - 1)});
    }
    Script script(values);
    std::int32_t credits = 0;
    TrainerMachine m(rules, hand.pays, hand.table, credits);
    std::map<std::vector<CardCode>, int> tally;
    int bad = 0;
    for (std::size_t d = 0; d < values.size() / static_cast<std::size_t>(5 - held.Count()); ++d) {
      ASSERT_TRUE(m.Resume(hand));
      const TrainerSettlement s = m.Draw(script);
      if (s.results[0].final != c.hand0) ++bad;
      for (std::size_t k = 1; k < s.results.size(); ++k) {
        const Hand& final = s.results[k].final;
        if (!ValidDrawOf(hand.dealt, held, final, rules.CardCount())) ++bad;
        std::vector<CardCode> drawn;
        for (int i = 0; i < 5; ++i)
          if (!held.Holds(i)) drawn.push_back(final[static_cast<std::size_t>(i)]);
        std::sort(drawn.begin(), drawn.end());
        ++tally[drawn];
      }
    }
    std::set<int> counts;
    for (const auto& entry : tally) counts.insert(entry.second);
    EXPECT_EQ(bad, 0) << c.game;
    EXPECT_EQ(tally.size(), c.sets) << c.game;
    EXPECT_EQ(counts, std::set<int>{c.each}) << c.game;
    EXPECT_EQ(tally.count({kJoker}), rules.wilds == Wilds::kJoker ? 1u : 0u);
  }
}

TEST(TrainerPlay, EachHandPaysItsOwnRowAndTheMeterChainsThroughThem) {
  // Four aces held beside a king, two coins on three hands: hand 0 draws the
  // 3 of clubs (the 2-4 kicker: 400 a coin), hand 1 picks the second card of
  // the rest (the king of clubs: 160 a coin), hand 2 the first (the 3 again).
  const GameRules& ddb = Game("double-double-bonus");
  const TrainerHandInProgress aces = Stacked(ddb, {1, 14, 27, 40, 39, 3, 13}, 3, 2, 0b01111);
  for (const std::int32_t start : {100, INT32_MAX - 1000}) {
    std::int32_t credits = start;
    TrainerMachine m(ddb, DefaultPays(ddb), "9/6", credits);
    ASSERT_TRUE(m.Resume(aces));
    EXPECT_EQ(m.WinRow(), 4);  // the dealt four aces light their row
    Script picks({Pick(1, 47), Pick(0, 47)});
    const TrainerSettlement s = m.Draw(picks);
    ASSERT_EQ(s.results.size(), 3u);
    EXPECT_EQ(s.results[0].won, 800);
    EXPECT_EQ(s.results[1].won, 320);
    EXPECT_EQ(s.results[1].message, "4 Aces pays 320");
    EXPECT_EQ(s.results[2].won, 800);
    EXPECT_EQ(m.WinAmount(), 1920);
    const std::vector<std::int32_t> chain =
        start == 100 ? std::vector<std::int32_t>{900, 1220, 2020}
                     : std::vector<std::int32_t>{INT32_MAX - 200, INT32_MAX, INT32_MAX};
    EXPECT_EQ(s.creditsAfterEach, chain);
    EXPECT_EQ(credits, chain.back());
  }
}

TEST(TrainerPlay, StakeRefusalsCountEveryHand) {
  const GameRules& ddb = Game("double-double-bonus");
  std::int32_t credits = 5;
  TrainerMachine m(ddb, DefaultPays(ddb), "9/6", credits);
  SeededSource random(1);
  EXPECT_EQ(m.Deal(random).refusal, Refusal::NoBet);
  EXPECT_FALSE(m.SetHands(4));
  ASSERT_TRUE(m.SetHands(3));
  EXPECT_TRUE(m.BetOne().placed);
  EXPECT_EQ(m.BetOne().refusal, Refusal::CoinNotCovered);  // 2 coins on 3 hands is 6
  EXPECT_EQ(m.BetMax().refusal, Refusal::MaxNotCovered);
  credits = 6;
  EXPECT_TRUE(m.BetOne().placed);
  EXPECT_EQ(m.BetMax().refusal, Refusal::MaxNotCovered);
  credits = 15;
  const BetOutcome max = m.BetMax();
  EXPECT_TRUE(max.placed && max.dealNext);
  ASSERT_EQ(m.Deal(random).refusal, Refusal::None);
  EXPECT_EQ(credits, 0);
  EXPECT_FALSE(m.SetHands(5));
  EXPECT_FALSE(m.SetGame(Game("jacks-96"), DefaultPays(Game("jacks-96")), "9/6"));
  m.Draw(random);
  credits = 14;  // the last stake, 5 coins on 3 hands, is 15
  EXPECT_EQ(m.Deal(random).refusal, Refusal::StakeNotCovered);
  EXPECT_FALSE(m.Dealt());
  EXPECT_EQ(credits, 14);
}

TEST(TrainerResume, JournalledHandDrawsTheSameAndDoctoredHandsAreRefused) {
  const GameRules& joker = Game("joker-kings");
  std::int32_t a = 100;
  std::int32_t b = 7;
  TrainerMachine first(joker, DefaultPays(joker), "20/7/5", a);
  TrainerMachine second(joker, DefaultPays(joker), "other", b);
  std::vector<TrainerHandInProgress> journal;
  first.onHandChanged = [&](const TrainerHandInProgress& h) { journal.push_back(h); };
  first.SetHands(5);
  first.BetMax();
  SeededSource dealing(3);
  first.Deal(dealing);
  first.ToggleHold(1);
  first.ToggleHold(3);
  ASSERT_EQ(journal.size(), 3u);
  const TrainerHandInProgress hand = journal.back();
  EXPECT_EQ(hand.held, 0b01010);

  const auto doctored = [&](auto change) {
    TrainerHandInProgress h = hand;
    change(h);
    return second.Resume(h);
  };
  EXPECT_FALSE(doctored([](auto& h) { h.deck.cards[10] = h.deck.cards[11]; }));
  EXPECT_FALSE(doctored([](auto& h) { h.deck.size = 52; }));
  EXPECT_FALSE(doctored([](auto& h) { h.dealt[0] = h.deck.cards[5]; }));
  EXPECT_FALSE(doctored([](auto& h) { h.game = "joker-two-pair"; }));
  EXPECT_FALSE(doctored([](auto& h) { h.pays.rowCount = 10; }));
  EXPECT_FALSE(doctored([](auto& h) { h.hands = 4; }));
  EXPECT_FALSE(doctored([](auto& h) { h.coins = 6; }));
  EXPECT_FALSE(doctored([](auto& h) { h.held = 32; }));
  EXPECT_FALSE(second.Dealt());

  ASSERT_TRUE(second.Resume(hand));
  EXPECT_FALSE(second.Resume(hand));  // already dealt
  EXPECT_EQ(second.InProgress(), hand);
  EXPECT_EQ(b, 7);  // the stake was taken once, by the first machine
  SeededSource drawA(11);
  SeededSource drawB(11);
  const TrainerSettlement sa = first.Draw(drawA);
  const TrainerSettlement sb = second.Draw(drawB);
  ASSERT_EQ(sb.results.size(), 5u);
  for (std::size_t k = 0; k < 5; ++k) EXPECT_EQ(sa.results[k].final, sb.results[k].final);
  EXPECT_EQ(sb.creditsAfter, 7 + sa.won);
}

// Every game of the library, every hand count, the maximum bet.
TEST(TrainerSoak, StakeCreditChainAndDrawsHoldOverAThousandDeals) {
  std::int32_t credits = 1000000;
  const std::span<const GameRules> games = GameLibrary();
  TrainerMachine m(games[0], DefaultPays(games[0]), "", credits);
  SeededSource random(2024);
  int badChains = 0;
  int badDraws = 0;
  for (int deal = 0; deal < 1000; ++deal) {
    const GameRules& rules = games[static_cast<std::size_t>(deal) % games.size()];
    const int hands = kTrainerHandCounts[static_cast<std::size_t>(deal % 4)];
    ASSERT_TRUE(m.SetGame(rules, DefaultPays(rules), "") && m.SetHands(hands));
    const std::int32_t before = credits;
    m.BetMax();
    m.Deal(random);
    if (credits != before - 5 * hands || m.Held() != HoldMask()) ++badChains;
    m.SetHolds(HoldMask::FromBits(static_cast<unsigned>(deal * 7)));
    const TrainerSettlement s = m.Draw(random);
    std::int64_t meter = before - s.stake;
    for (std::size_t k = 0; k < s.results.size(); ++k) {
      meter += s.results[k].won;
      if (s.creditsAfterEach[k] != meter) ++badChains;
      if (!ValidDrawOf(s.dealt, s.held, s.results[k].final, rules.CardCount())) ++badDraws;
    }
    if (s.results.size() != static_cast<std::size_t>(hands) || credits != meter) ++badChains;
  }
  EXPECT_EQ(badChains, 0);
  EXPECT_EQ(badDraws, 0);
}

}  // namespace
}  // namespace lynx
