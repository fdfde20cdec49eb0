// The words of a chart line: PatternText for every kind of pattern.

#include <bit>
#include <cctype>
#include <string>
#include <string_view>

#include "engine/evaluate.h"
#include "engine/strategy_chart.h"
#include "engine/strategy_chart_internal.h"

namespace lynx {

using namespace chart_internal;

namespace {

// Kinds that the wild games also have with any number of wild cards.
constexpr bool HasAnyWild(std::uint32_t kind, int held) {
  return kind == kRoyal || kind == kStraightFlush || kind == kFlush || kind == kStraight ||
         (kind == kSameRank && held >= 3);
}

const char* kNumberWords[] = {"No", "One", "Two", "Three", "Four", "Five"};

std::string RankLetters(int royalBits) {
  std::string s;
  const char letters[] = {'T', 'J', 'Q', 'K', 'A'};
  for (int bit = 4; bit >= 0; --bit) {
    if (royalBits >> bit & 1) s += letters[bit];
  }
  return s;
}

std::string WildWords(GameVariant variant, int w) {
  if (w == 0 || w == kAnyWild) return "";
  if (variant == kJokerWild) return " with the joker";
  return w == 1 ? " with 1 deuce" : " with " + std::to_string(w) + " deuces";
}

// ", 2 high cards" (nothing in Deuces Wild, where no card is high).
std::string HighWords(const GameRules& rules, int high) {
  if (rules.lowestPaidPair == 0) return "";
  return ", " + (high == 0 ? std::string("no") : std::to_string(high)) +
         (high == 1 ? " high card" : " high cards");
}

// " (2 ways to fill, 1 high card)": how many straights the cards can still
// become, and their high cards. In Deuces Wild the straights that need a
// two, which only a deuce fills, are told apart (bits 3-4 of ways).
std::string Details(const GameRules& rules, int ways, int high) {
  const int withDeuce = ways >> 3;
  ways &= 7;
  std::string s = " (" + std::to_string(ways) + (ways == 1 ? " way" : " ways") + " to fill";
  if (withDeuce > 0) s += ", " + std::to_string(withDeuce) + " more only with a deuce";
  if (rules.lowestPaidPair != 0) {
    s += ", " + (high == 0 ? std::string("no") : std::to_string(high)) +
         (high == 1 ? " high card" : " high cards");
  }
  return s + ")";
}

// The caption of the lowest paying pair's row ("Jacks or Better").
std::string_view PaidPairCaption(const GameRules& rules) {
  for (int r = rules.rowCount - 1; r >= 0; --r) {
    const HandCategory c = rules.rows[static_cast<std::size_t>(r)].category;
    if (c == HandCategory::kTensOrBetter || c == HandCategory::kJacksOrBetter ||
        c == HandCategory::kKingsOrBetter)
      return rules.rows[static_cast<std::size_t>(r)].caption;
  }
  return "high pair";
}

// Lower case, but for a rank written as a letter ("4 2s-4s + A-4", "4 5s-Ks").
std::string Lower(std::string_view text) {
  std::string s(text);
  const auto letter = [&s](std::size_t i) {
    return i < s.size() && std::isalpha(static_cast<unsigned char>(s[i]));
  };
  for (std::size_t i = 0; i < s.size(); ++i) {
    const std::size_t end = i + 1 < s.size() && s[i + 1] == 's' ? i + 2 : i + 1;
    const bool rank = (i == 0 || !letter(i - 1)) && !letter(end);
    if (!rank) s[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(s[i])));
  }
  return s;
}

// A pattern's parts, and the words most lines are made of.
struct Parts {
  Parts(const GameRules& rules, PatternCode p)
      : rules(rules),
        variant(rules.family),
        n(HeldOf(p)),
        w(WildOf(p)),
        a(AOf(p)),
        b(BOf(p)),
        c(COf(p)),
        held(kNumberWords[n]),
        wild(WildWords(variant, w)),
        alone(c ? ", no other card of the suit" : "") {
    if (w == 0 && variant != kJacksOrBetter && HasAnyWild(KindOf(p), n))
      wild = variant == kJokerWild ? ", no joker" : ", no deuces";
  }

  const GameRules& rules;
  GameVariant variant;
  int n, w, a, b, c;  // the pattern's cards held, wild cards and details
  std::string held;   // "Three"
  std::string wild;   // " with the joker", ", no deuces", ...
  std::string alone;  // ", no other card of the suit" or nothing
};

// "The joker" or "One deuce".
std::string OneWild(GameVariant variant) {
  return variant == kJokerWild ? "The joker" : "One deuce";
}

// Pairs and more of a kind, the pairs a wild card will make, and the ranks
// that pay fours apart.
std::string SameRankText(const Parts& t) {
  if (t.b != 0) {
    const char* group[] = {"", "aces", "2s-4s", "jacks-kings"};
    if (t.c)
      return std::string("Three ") + group[t.b] + " with a kicker (" + (t.b == 1 ? "2-4" : "A-4") +
             ")";
    return (t.n == 2 ? std::string("Pair of ") : t.held + " ") + group[t.b];
  }
  if (t.n == 2 && t.w > 0) {
    // A wild card and one other card: no pair yet, a pair once drawn to.
    if (t.a)
      return OneWild(t.variant) + " and a high card (" + Lower(PaidPairCaption(t.rules)) + ")";
    return OneWild(t.variant) + " and a low card";
  }
  if (t.n == 2) {
    if (t.variant == kDeucesWild) return "Pair" + t.wild;
    if (t.a) return "High pair (" + Lower(PaidPairCaption(t.rules)) + ")" + t.wild;
    return "Low pair" + t.wild;
  }
  return t.held + " of a kind" + t.wild;
}

// Four to an outside or inside straight (flush), else the cards held to it
// with the ways to fill it.
std::string StraightText(const Parts& t, bool flush) {
  if (t.n == 4 && t.w == 0 && t.variant != kDeucesWild) {
    const std::string four =
        t.a >= 2 ? "Four to an outside straight" : "Four to an inside straight";
    if (flush) return four + " flush" + HighWords(t.rules, t.b) + t.alone;
    return four + HighWords(t.rules, t.b);
  }
  return t.held + " to a straight" + (flush ? " flush" : "") + t.wild + Details(t.rules, t.a, t.b) +
         (flush ? t.alone : "");
}

// A wild card with one card, or one card alone, by its rank (a) or by the
// straights it is in (b).
std::string WildAndCardText(const Parts& t) {
  if (t.a == 0) {  // grouped by how many straights the card is in
    const char* groups[] = {
        "", "", "a two", "a three or a queen", "a four or a jack", "a five to a ten"};
    return OneWild(t.variant) + " and " + groups[t.b];
  }
  const char* names[] = {"",        "an ace",   "a two",  "a three", "a four", "a five",  "a six",
                         "a seven", "an eight", "a nine", "a ten",   "a jack", "a queen", "a king"};
  if (t.w == 0) {  // one card alone, by its rank
    std::string alone = std::string(names[t.a]) + " alone";
    alone[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(alone[0])));
    return alone;
  }
  return OneWild(t.variant) + " and " + names[t.a];
}

// High cards by their ranks: one alone, or unsuited.
std::string HighCardsExactText(const Parts& t) {
  if (t.n == 1) {
    const int bit = std::countr_zero(static_cast<unsigned>(t.a));
    const char* names[] = {"Ten", "Jack", "Queen", "King", "Ace"};
    return std::string(names[bit]) + " alone";
  }
  return "Unsuited " + RankLetters(t.a);
}

}  // namespace

std::string PatternText(GameVariant variant, PatternCode p) {
  return PatternText(MachineRules(variant), p);
}

std::string PatternText(const GameRules& rules, PatternCode p) {
  const Parts t(rules, p);
  switch (KindOf(p)) {
    case kNothing:
      return "Discard everything";
    case kPat:
      return "Pat " + Lower(rules.rows[static_cast<std::size_t>(t.a)].caption) +
             (t.c ? " or better" : "") + t.wild;
    case kSameRank:
      return SameRankText(t);
    case kTwoPair:
      return t.b == 1 ? "Two pair, aces up" : "Two pair";
    case kWildOnly:
      if (t.variant == kJokerWild) return "The joker alone";
      return t.n == 1 ? "One deuce alone" : t.held + " deuces alone";
    case kRoyal:
      return t.held + " to a royal flush" + t.wild + (t.c ? HighWords(rules, t.b) : "");
    case kRoyalCards:
      if (t.w == 0 && t.n == 2) return "Suited " + RankLetters(t.a) + t.alone;
      return t.held + " to a royal flush" + t.wild + " (" + RankLetters(t.a) + ")" + t.alone;
    case kStraightFlush:
      return t.held + " to a straight flush" + t.wild;
    case kStraightFlushBy:
      return StraightText(t, /*flush=*/true);
    case kFlush:
      return t.held + " to a flush" + t.wild;
    case kFlushBy:
      return t.held + " to a flush" + t.wild + HighWords(rules, t.b);
    case kStraight:
      if (t.n == 4) {
        return std::string(t.a ? "Four to an outside straight" : "Four to an inside straight") +
               t.wild;
      }
      return t.held + " to a straight" + t.wild;
    case kStraightBy:
      return StraightText(t, /*flush=*/false);
    case kHighCards:
      if (t.n == 1) return "One high card";
      return t.held + (t.a ? " suited high cards" : " unsuited high cards");
    case kWildAndCard:
      return WildAndCardText(t);
    case kHighCardsExact:
      return HighCardsExactText(t);
    default:
      return "Unknown pattern";
  }
}

}  // namespace lynx
