#include "engine/evaluate.h"

#include <utility>

#include "engine/paytable.h"

namespace lynx {

HandTable HandTable::FromHand(const Hand& hand) {
  HandTable table;
  for (std::size_t i = 0; i < 5; ++i) table.rows[i][kCode] = hand[i];
  return table;
}

namespace {

struct Flags {
  bool flush = false;
  bool straight = false;
  bool straightFlush = false;
  bool naturalRoyal = false;
  bool fourOfAKind = false;
  bool fullHouse = false;
  bool threeOfAKind = false;
  bool twoPair = false;
  bool jacksPair = false;
  bool kingsPair = false;
  bool fiveOfAKind = false;
  bool jokerRoyal = false;
  bool fourDeuces = false;
  bool deucesRoyal = false;
};

// Rank pass, sort and suit pass. Returns the wild count (cards of rank 2);
// sets joker when the joker is in the hand.
int PrepareTable(HandTable& t, bool& joker) {
  constexpr int C = HandTable::kCode, R = HandTable::kRank, S = HandTable::kSuit;
  int wild = 0;
  joker = false;
  for (auto& row : t.rows) {
    if (row[C] == kJoker) {
      row[R] = 15;
      joker = true;
    } else {
      int rank = Rank(row[C]);
      if (rank == 1) rank = 14;
      if (rank == 2) ++wild;
      row[R] = static_cast<std::int16_t>(rank);
    }
  }
  // Exchange sort into descending rank; equal ranks are never swapped.
  for (std::size_t i = 0; i < 5; ++i) {
    for (std::size_t j = i; j < 5; ++j) {
      if (t.rows[i][R] < t.rows[j][R]) {
        std::swap(t.rows[i][C], t.rows[j][C]);
        std::swap(t.rows[i][R], t.rows[j][R]);
      }
    }
  }
  for (auto& row : t.rows)
    row[S] = static_cast<std::int16_t>(row[C] == kJoker ? 4 : SuitIndex(row[C]));
  return wild;
}

int JacksOrBetterRow(const Flags& f) {
  if (f.naturalRoyal) return 0;
  if (f.straightFlush) return 1;
  if (f.fourOfAKind) return 2;
  if (f.fullHouse) return 3;
  if (f.flush) return 4;
  if (f.straight) return 5;
  if (f.threeOfAKind) return 6;
  if (f.twoPair) return 7;
  if (f.jacksPair) return 8;
  return -1;
}

int JokerWildRow(Flags f, bool joker, const int r[5], const int s[5]) {
  if (joker) {
    if (f.fourOfAKind) f.fiveOfAKind = true;
    if (s[1] == s[2] && s[2] == s[3] && s[3] == s[4]) f.flush = true;
    if (f.flush) {
      const int a = r[1], b = r[2], c = r[3], d = r[4];
      if ((a == 13 && b == 12 && c == 11 && d == 10) ||
          (a == 14 && b == 12 && c == 11 && d == 10) ||
          (a == 14 && b == 13 && c == 11 && d == 10) ||
          (a == 14 && b == 13 && c == 12 && d == 10) ||
          (a == 14 && b == 13 && c == 12 && d == 11)) {
        f.jokerRoyal = true;
      }
    }
    if (f.threeOfAKind) f.fourOfAKind = true;
    if (f.twoPair) f.fullHouse = true;
    const int d1 = r[1] - r[2], d2 = r[2] - r[3], d3 = r[3] - r[4];
    if ((d1 == 1 && d2 == 1 && d3 == 1) || (d1 == 1 && d2 == 1 && d3 == 2) ||
        (d1 == 1 && d2 == 2 && d3 == 1) || (d1 == 2 && d2 == 1 && d3 == 1)) {
      f.straight = true;
    }
    if (r[1] == 14 && r[2] < r[1] && r[3] < r[2] && r[4] < r[3] && r[2] <= 5) f.straight = true;
    if (f.straight && f.flush) f.straightFlush = true;
    if (r[1] == r[2] || r[2] == r[3] || r[3] == r[4]) f.threeOfAKind = true;
    if (r[1] >= 13) f.kingsPair = true;
  }
  if (f.naturalRoyal) return 0;
  if (f.fiveOfAKind) return 1;
  if (f.jokerRoyal) return 2;
  if (f.straightFlush) return 3;
  if (f.fourOfAKind) return 4;
  if (f.fullHouse) return 5;
  if (f.flush) return 6;
  if (f.straight) return 7;
  if (f.threeOfAKind) return 8;
  if (f.twoPair) return 9;
  if (f.kingsPair) return 10;
  return -1;
}

int DeucesWildRow(Flags f, int w, const int r[5], const int s[5]) {
  if (w >= 1) {
    if (w == 4) f.fourDeuces = true;
    if ((w == 1 && r[0] == r[1] && r[1] == r[2] && r[2] == r[3]) ||
        (w == 2 && r[0] == r[1] && r[1] == r[2]) || (w == 3 && r[0] == r[1])) {
      f.fiveOfAKind = true;
    }
    if (s[0] == s[1] && (s[2] == s[1] || r[2] == 2) && (s[3] == s[1] || r[3] == 2) &&
        (s[4] == s[1] || r[4] == 2)) {
      f.flush = true;
    }
    auto between3and5 = [](int v) { return v >= 3 && v <= 5; };
    if (w == 1 && ((r[0] > r[1] && r[1] > r[2] && r[2] > r[3] && r[0] - r[3] < 5) ||
                   (r[0] == 14 && r[1] == 5 && r[2] == 4 && r[3] == 3))) {
      f.straight = true;
    }
    if (w == 2 && ((r[0] > r[1] && r[1] > r[2] && r[0] - r[2] < 5) ||
                   (r[0] == 14 && r[1] > r[2] && between3and5(r[1]) && between3and5(r[2])))) {
      f.straight = true;
    }
    if (w == 3 && ((r[0] > r[1] && r[0] - r[1] < 5) || (r[0] == 14 && between3and5(r[1])))) {
      f.straight = true;
    }
    if (f.straight && f.flush) f.straightFlush = true;
    if ((w == 1 && ((r[0] == r[1] && r[1] == r[2]) || (r[1] == r[2] && r[2] == r[3]))) ||
        (w == 2 && (r[0] == r[1] || r[1] == r[2])) || w == 3) {
      f.fourOfAKind = true;
    }
    if (w == 1 && r[0] == r[1] && r[2] == r[3]) f.fullHouse = true;
    if (w == 2 || (w == 1 && (r[0] == r[1] || r[1] == r[2] || r[2] == r[3]))) f.threeOfAKind = true;
    if (f.straightFlush) {
      const int lowestNatural = w == 1 ? r[3] : w == 2 ? r[2] : r[1];
      if (w <= 3 && lowestNatural >= 10) f.deucesRoyal = true;
    }
  }
  if (f.naturalRoyal) return 0;
  if (f.fourDeuces) return 1;
  if (f.deucesRoyal) return 2;
  if (f.fiveOfAKind) return 3;
  if (f.straightFlush) return 4;
  if (f.fourOfAKind) return 5;
  if (f.fullHouse) return 6;
  if (f.flush) return 7;
  if (f.straight) return 8;
  if (f.threeOfAKind) return 9;
  return -1;
}

int ClassifyTable(HandTable& t, GameVariant variant) {
  bool joker = false;
  const int wild = PrepareTable(t, joker);
  int r[5], s[5];
  for (std::size_t i = 0; i < 5; ++i) {
    r[i] = t.rows[i][HandTable::kRank];
    s[i] = t.rows[i][HandTable::kSuit];
  }
  Flags f;
  f.flush = s[0] == s[1] && s[1] == s[2] && s[2] == s[3] && s[3] == s[4];
  f.straight = (r[0] == r[1] + 1 && r[1] == r[2] + 1 && r[2] == r[3] + 1 && r[3] == r[4] + 1) ||
               (r[0] == 14 && r[1] == 5 && r[2] == 4 && r[3] == 3 && r[4] == 2);
  f.straightFlush = f.straight && f.flush;
  f.naturalRoyal = f.straight && r[0] == 14 && r[1] == 13 && f.flush;
  f.fourOfAKind = (r[0] == r[1] && r[1] == r[2] && r[2] == r[3]) ||
                  (r[1] == r[2] && r[2] == r[3] && r[3] == r[4]);
  f.threeOfAKind = (r[0] == r[1] && r[1] == r[2]) || (r[1] == r[2] && r[2] == r[3]) ||
                   (r[2] == r[3] && r[3] == r[4]);
  f.twoPair = (r[0] == r[1] && r[2] == r[3]) || (r[0] == r[1] && r[3] == r[4]) ||
              (r[1] == r[2] && r[3] == r[4]);
  f.fullHouse = f.twoPair && f.threeOfAKind;
  auto pairAbove = [&](int limit) {
    return (r[0] == r[1] && r[0] > limit) || (r[1] == r[2] && r[2] > limit) ||
           (r[2] == r[3] && r[2] > limit) || (r[3] == r[4] && r[3] > limit);
  };
  f.jacksPair = pairAbove(10);
  f.kingsPair = pairAbove(12);

  if (variant == kJacksOrBetter) return JacksOrBetterRow(f);
  if (variant == kJokerWild) return JokerWildRow(f, joker, r, s);
  return DeucesWildRow(f, wild, r, s);
}

}  // namespace

Evaluation EvaluateHand(HandTable& table, GameVariant variant, int coinsIn) {
  Evaluation e;
  e.winRow = static_cast<std::int16_t>(ClassifyTable(table, variant));
  e.winAmount = static_cast<std::int16_t>(Payout(variant, e.winRow, coinsIn));
  e.message = WinMessage(variant, e.winRow, e.winAmount);
  return e;
}

int ClassifyHand(const Hand& hand, GameVariant variant) {
  HandTable table = HandTable::FromHand(hand);
  return ClassifyTable(table, variant);
}

}  // namespace lynx
