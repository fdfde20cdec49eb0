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

}  // namespace

std::string PatternText(GameVariant variant, PatternCode p) {
  return PatternText(MachineRules(variant), p);
}

std::string PatternText(const GameRules& rules, PatternCode p) {
  const GameVariant variant = rules.family;
  const int n = HeldOf(p), w = WildOf(p), a = AOf(p), b = BOf(p), c = COf(p);
  const std::string held = kNumberWords[n];
  std::string wild = WildWords(variant, w);
  if (w == 0 && variant != kJacksOrBetter && HasAnyWild(KindOf(p), n))
    wild = variant == kJokerWild ? ", no joker" : ", no deuces";
  const std::string alone = c ? ", no other card of the suit" : "";
  switch (KindOf(p)) {
    case kNothing:
      return "Discard everything";
    case kPat:
      return "Pat " + Lower(rules.rows[static_cast<std::size_t>(a)].caption) +
             (c ? " or better" : "") + wild;
    case kSameRank:
      if (b != 0) {
        const char* group[] = {"", "aces", "2s-4s", "jacks-kings"};
        if (c)
          return std::string("Three ") + group[b] + " with a kicker (" + (b == 1 ? "2-4" : "A-4") +
                 ")";
        return (n == 2 ? std::string("Pair of ") : held + " ") + group[b];
      }
      if (n == 2 && w > 0) {
        // A wild card and one other card: no pair yet, a pair once drawn to.
        const std::string card = variant == kJokerWild ? "The joker" : "One deuce";
        if (a) return card + " and a high card (" + Lower(PaidPairCaption(rules)) + ")";
        return card + " and a low card";
      }
      if (n == 2) {
        if (variant == kDeucesWild) return "Pair" + wild;
        if (a) return "High pair (" + Lower(PaidPairCaption(rules)) + ")" + wild;
        return "Low pair" + wild;
      }
      return held + " of a kind" + wild;
    case kTwoPair:
      return b == 1 ? "Two pair, aces up" : "Two pair";
    case kWildOnly:
      if (variant == kJokerWild) return "The joker alone";
      return n == 1 ? "One deuce alone" : held + " deuces alone";
    case kRoyal:
      return held + " to a royal flush" + wild + (c ? HighWords(rules, b) : "");
    case kRoyalCards:
      if (w == 0 && n == 2) return "Suited " + RankLetters(a) + alone;
      return held + " to a royal flush" + wild + " (" + RankLetters(a) + ")" + alone;
    case kStraightFlush:
      return held + " to a straight flush" + wild;
    case kStraightFlushBy:
      if (n == 4 && w == 0 && variant != kDeucesWild) {
        return std::string(a >= 2 ? "Four to an outside straight flush"
                                  : "Four to an inside straight flush") +
               HighWords(rules, b) + alone;
      }
      return held + " to a straight flush" + wild + Details(rules, a, b) + alone;
    case kFlush:
      return held + " to a flush" + wild;
    case kFlushBy:
      return held + " to a flush" + wild + HighWords(rules, b);
    case kStraight:
      if (n == 4) {
        return std::string(a ? "Four to an outside straight" : "Four to an inside straight") + wild;
      }
      return held + " to a straight" + wild;
    case kStraightBy:
      if (n == 4 && w == 0 && variant != kDeucesWild) {
        return std::string(a >= 2 ? "Four to an outside straight" : "Four to an inside straight") +
               HighWords(rules, b);
      }
      return held + " to a straight" + wild + Details(rules, a, b);
    case kHighCards:
      if (n == 1) return "One high card";
      return held + (a ? " suited high cards" : " unsuited high cards");
    case kWildAndCard: {
      if (a == 0) {  // grouped by how many straights the card is in
        const char* groups[] = {
            "", "", "a two", "a three or a queen", "a four or a jack", "a five to a ten"};
        return std::string(variant == kJokerWild ? "The joker" : "One deuce") + " and " + groups[b];
      }
      const char* names[] = {"",       "an ace", "a two",   "a three",  "a four",
                             "a five", "a six",  "a seven", "an eight", "a nine",
                             "a ten",  "a jack", "a queen", "a king"};
      if (w == 0) {  // one card alone, by its rank
        std::string alone = std::string(names[a]) + " alone";
        alone[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(alone[0])));
        return alone;
      }
      return std::string(variant == kJokerWild ? "The joker" : "One deuce") + " and " + names[a];
    }
    case kHighCardsExact: {
      if (n == 1) {
        const int bit = std::countr_zero(static_cast<unsigned>(a));
        const char* names[] = {"Ten", "Jack", "Queen", "King", "Ace"};
        return std::string(names[bit]) + " alone";
      }
      return "Unsuited " + RankLetters(a);
    }
    default:
      return "Unknown pattern";
  }
}

}  // namespace lynx
