// The coach's judgement of hands chosen so that a wrong deck, a wrong tie
// rule or a wrong shadow draw changes the answer.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "coach/coach.h"
#include "coach/tables_cache.h"
#include "engine/game_rules.h"
#include "tests/support/hand_text.h"
#include "tests/support/strategy_tables.h"

namespace lynx {
namespace {

using testing_support::Card;
using testing_support::H;
using testing_support::Tables;

// A deck whose positions 1..5 are dealt and whose next positions hold next.
Deck Stacked(const Hand& dealt, const std::vector<CardCode>& next) {
  Deck deck;
  int p = 1;
  for (CardCode c : dealt) deck.Set(p++, c);
  for (CardCode c : next) deck.Set(p++, c);
  return deck;
}

TEST(CoachJudgement, EqualHoldsTieAndTheFirstInMaskOrderIsShown) {
  // Four nines: holding the four and holding all five both make exactly 125.
  const HandJudgement j = JudgeHand(Tables(kJacksOrBetter), H("9S 9H 9D 9C 2S"), 5);
  EXPECT_EQ(j.bestEv, 125.0);
  EXPECT_EQ(j.bestMask, 15u);
  EXPECT_EQ(j.bestCount, 2);
  EXPECT_EQ(j.BestMasks(), (std::vector<unsigned>{15u, 31u}));
  EXPECT_EQ(j.Cost(31), 0.0);
  EXPECT_TRUE(SameValue(125.0, 125.0 + 125.0 * 5e-10));
  EXPECT_FALSE(SameValue(125.0, 125.0 + 125.0 * 5e-9));
}

TEST(CoachJudgement, BestHoldCanBreakAPayingPairAndTheCostIsInCredits) {
  const Hand dealt = H("AS KS QS JS JH");
  const HandJudgement j = JudgeHand(Tables(kJacksOrBetter), dealt, 5);
  EXPECT_EQ(j.bestMask, 15u);
  EXPECT_EQ(j.bestCount, 1);
  EXPECT_DOUBLE_EQ(j.bestEv, 4315.0 / 47.0);  // 91.808511 credits for 5 coins
  const unsigned pair = 0b11000;
  EXPECT_DOUBLE_EQ(j.Cost(pair), j.bestEv - j.ev[pair]);
  EXPECT_NEAR(j.Cost(pair), 91.808511 - 7.631822, 1e-5);

  // Behind the deal lie TS 3D 4H: the player's three-card draw to the jacks
  // takes them all, best play takes only the ten, to the royal.
  const Deck deck = Stacked(dealt, {Card("TS"), Card("3D"), Card("4H")});
  const ShadowPlay shadow = PlayBest(j, deck);
  EXPECT_EQ(shadow.mask, 15u);
  EXPECT_EQ(shadow.final, H("AS KS QS JS TS"));
  EXPECT_EQ(shadow.row, 0);
  EXPECT_EQ(shadow.won, 4000);
  EXPECT_EQ(HoldText(dealt, 15), "AS KS QS JS --");
  EXPECT_EQ(HoldText(dealt, 0), "Draw five");
}

TEST(CoachJudgement, JokerWildIsValuedOnTheMachineDeck) {
  // No joker dealt: the machine's deck lacks one unknown ordinary card, so the
  // royal draw is worth more than on a 53-card deck (99.479167).
  const Hand dealt = H("AS KS QS JS 3D");
  const HandJudgement j = JudgeHand(Tables(kJokerWild), dealt, 5);
  EXPECT_EQ(j.bestMask, 15u);
  EXPECT_NEAR(j.bestEv, 99.660480, 1e-6);

  // The joker dealt: keep it with the pair of sevens.
  const HandJudgement joker = JudgeHand(Tables(kJokerWild), H("JK 7C 7D 2S 9H"), 5);
  EXPECT_EQ(joker.bestMask, 7u);
  EXPECT_NEAR(joker.bestEv, 19.680851, 1e-6);
  EXPECT_NEAR(joker.Cost(31), 9.680851, 1e-6);
}

TEST(CoachJudgement, DealtRoyalIsKeptWholeAndShadowPlayDrawsNothing) {
  const Hand dealt = H("TH JH QH KH AH");
  const HandJudgement j = JudgeHand(Tables(kJacksOrBetter), dealt, 3);
  EXPECT_EQ(j.bestMask, 31u);
  EXPECT_EQ(j.bestCount, 1);
  EXPECT_EQ(j.bestEv, 750.0);
  const ShadowPlay shadow = PlayBest(j, Stacked(dealt, {Card("2C")}));
  EXPECT_EQ(shadow.final, dealt);
  EXPECT_EQ(shadow.won, 750);
}

// The verdict the history keeps and the windows tell, on real deals. Values
// are exact fractions of the draws each hold has.
TEST(HoldVerdict, ValuesBestHoldsMistakeAndCostOfTheHoldChosen) {
  struct Case {
    GameVariant game;
    const char* dealt;
    int coins;
    unsigned held;
    const char* bestHolds;
    bool mistake;
    double bestEv;
    double heldEv;
  };
  const Case cases[] = {
      // Kept the paying jacks and gave up the royal draw.
      {kJacksOrBetter, "AS KS QS JS JH", 5, 0b11000, "15", true, 4315.0 / 47.0, 123750.0 / 16215.0},
      // Four nines: the kicker held too is exactly as good, a tie.
      {kJacksOrBetter, "9S 9H 9D 9C 2S", 5, 31, "15,31", false, 125.0, 125.0},
      // Nothing worth keeping: the best hold is drawing five, mask 0.
      {kJacksOrBetter, "2C 4D 7H 9S 3H", 1, 0b10000, "0", true, 545914.0 / 1533939.0,
       54542.0 / 178365.0},
      {kJokerWild, "JK 7C 7D 2S 9H", 5, 31, "7", true, 22200.0 / 1128.0, 10.0},
      // Bits above the fifth card are no part of the hold.
      {kDeucesWild, "2C 2D 7H 9S KH", 5, 3u | 64u, "3", false, 263555.0 / 16215.0,
       263555.0 / 16215.0},
  };
  for (const Case& c : cases) {
    const HandJudgement j = JudgeHand(Tables(c.game), H(c.dealt), c.coins);
    const HoldVerdict v = JudgeHold(j, c.held);
    EXPECT_EQ(v.bestHolds, c.bestHolds) << c.dealt;
    EXPECT_EQ(v.mistake, c.mistake) << c.dealt;
    EXPECT_DOUBLE_EQ(v.bestEv, c.bestEv) << c.dealt;
    EXPECT_DOUBLE_EQ(v.heldEv, c.heldEv) << c.dealt;
    EXPECT_DOUBLE_EQ(v.cost, c.mistake ? c.bestEv - c.heldEv : 0.0) << c.dealt;
  }
}

// A hold within the tie rule of the best is no mistake and costs nothing,
// even when its value falls short of the best in the last bits.
TEST(HoldVerdict, AHoldTheTieRuleCountsAsBestIsNoMistake) {
  HandJudgement j = JudgeHand(Tables(kJacksOrBetter), H("9S 9H 9D 9C 2S"), 5);
  j.ev[31] = 125.0 * (1 - 1e-12);
  const HoldVerdict v = JudgeHold(j, 31);
  EXPECT_FALSE(v.mistake);
  EXPECT_EQ(v.cost, 0.0);
  EXPECT_EQ(v.heldEv, 125.0 * (1 - 1e-12));
}

TEST(CoachTally, SumsBetsWinsValuesAndMistakes) {
  const HandJudgement nines = JudgeHand(Tables(kJacksOrBetter), H("9S 9H 9D 9C 2S"), 5);
  const HandJudgement royal = JudgeHand(Tables(kJacksOrBetter), H("AS KS QS JS JH"), 2);
  CoachTally tally;
  EXPECT_EQ(tally.ActualReturn(), 0.0);
  tally.Add(nines, 31, 125);     // a best hold: no mistake
  tally.Add(royal, 0b11000, 0);  // kept the jacks, drew nothing
  EXPECT_EQ(tally.hands, 2);
  EXPECT_EQ(tally.coinsBet, 7);
  EXPECT_EQ(tally.won, 125);
  EXPECT_EQ(tally.mistakes, 1);
  EXPECT_DOUBLE_EQ(tally.mistakeCost, royal.bestEv - royal.ev[0b11000]);
  EXPECT_DOUBLE_EQ(tally.heldEv, 125.0 + royal.ev[0b11000]);
  EXPECT_DOUBLE_EQ(tally.BestReturn(), (125.0 + royal.bestEv) / 7.0);
  EXPECT_DOUBLE_EQ(tally.ActualReturn(), 125.0 / 7.0);
}

// The practice deck is a deck the machine could have dealt the hand from:
// the hand first, 52 distinct codes, in Joker Wild the joker and one unseen
// ordinary card gone, and that card any of the unseen ones.
TEST(PracticeDeck, DealsTheHandFromADeckTheMachineCouldHaveShuffled) {
  struct Case {
    GameVariant game;
    const char* hand;
    int jokers;
  };
  for (const Case c :
       {Case{kJacksOrBetter, "AS KS QS JS JH", 0}, Case{kJokerWild, "JK 7S 7H 3D 9C", 1},
        Case{kJokerWild, "2C 7S 7H 3D 9C", 1}}) {
    const Hand dealt = H(c.hand);
    std::set<CardCode> missing;
    for (std::uint32_t seed = 1; seed <= 2000; ++seed) {
      SeededSource random(seed);
      const Deck deck = PracticeDeck(dealt, c.game, random);
      std::set<CardCode> codes;
      for (int p = 1; p <= Deck::kSize; ++p) codes.insert(deck.At(p));
      ASSERT_EQ(codes.size(), 52u) << c.hand;
      ASSERT_EQ(DealHand(deck), dealt);
      ASSERT_EQ(static_cast<int>(codes.count(kJoker)), c.jokers);
      for (CardCode code = 1; code <= 52; ++code)
        if (codes.count(code) == 0) missing.insert(code);
    }
    // Without the joker in the hand it took the place of one of the 47
    // unseen cards; with it, one of the 48 unseen ordinary cards is gone.
    const bool jokerDealt = std::count(dealt.begin(), dealt.end(), kJoker) == 1;
    EXPECT_EQ(missing.size(), c.game == kJokerWild ? (jokerDealt ? 48u : 47u) : 0u) << c.hand;
  }
}

TEST(TablesCache, FindNeverWaitsAndWaitGivesTheBuiltTables) {
  TablesCache cache;
  cache.Prepare(kDeucesWild);
  const StrategyTables& built = cache.Wait(kDeucesWild);
  EXPECT_EQ(built.Variant(), kDeucesWild);
  EXPECT_EQ(cache.Find(kDeucesWild), &built);
}

// A game of the library on its own pay table and deck: Triple Double Bonus
// keeps three aces with the low kicker, and its shadow play is paid by its
// rows.
TEST(CoachJudgement, JudgesAGameOfTheLibraryOnItsTable) {
  const GameRules& tdb = *FindGame("triple-double-bonus");
  TablesCache cache;
  const StrategyTables& tables = cache.Wait(tdb);
  EXPECT_EQ(&tables.Rules(), &tdb);
  EXPECT_EQ(cache.Find(tdb), &tables);
  EXPECT_NE(cache.Find(kJacksOrBetter), &tables);
  const Hand dealt = H("AS AH AD 3C 9S");
  const HandJudgement j = JudgeHand(tables, dealt, 5, DefaultPays(tdb), JokerDeck::kStandard53);
  EXPECT_EQ(j.bestMask, 15u);
  // 1 of 47 draws makes four aces with the kicker (800 a coin), 3 a full
  // house (9), the other 43 three of a kind (2).
  EXPECT_DOUBLE_EQ(j.bestEv, (1 * 4000.0 + 3 * 45.0 + 43 * 10.0) / 47);
  const ShadowPlay shadow = PlayBest(j, Stacked(dealt, {Card("AC")}));
  EXPECT_EQ(shadow.row, 2);
  EXPECT_EQ(shadow.won, 4000);
  // The machine's Jacks or Better pays the same four aces 125.
  const ShadowPlay jacks =
      PlayBest(JudgeHand(Tables(kJacksOrBetter), dealt, 5), Stacked(dealt, {Card("AC")}));
  EXPECT_EQ(jacks.won, 125);
}

}  // namespace
}  // namespace lynx
