#include "engine/strategy_classes.h"

#include <algorithm>
#include <bit>

namespace lynx {

namespace {

constexpr int kRanks = 13;

// Masks of 13 bits grouped by their number of cards, each group descending.
std::array<std::vector<std::uint16_t>, 6> MasksByCount() {
  std::array<std::vector<std::uint16_t>, 6> groups;
  for (int m = (1 << kRanks) - 1; m >= 0; --m) {
    const int n = std::popcount(static_cast<unsigned>(m));
    if (n <= 5) groups[static_cast<std::size_t>(n)].push_back(static_cast<std::uint16_t>(m));
  }
  return groups;
}

// Suits 0..3 take masks in non-increasing (count, mask) order, which makes each
// multiset appear exactly once.
void Enumerate(const std::array<std::vector<std::uint16_t>, 6>& groups, int suit, int remaining,
               int prevCount, std::size_t prevPos, SuitMasks& masks, std::vector<SuitClass>& out) {
  if (suit == 4) {
    if (remaining != 0) return;
    SuitClass c;
    c.masks = masks;
    // 4! orders divided by the orders of equal masks (masks are sorted, so
    // equal ones are neighbours).
    std::uint32_t members = 24;
    for (int i = 0; i < 4;) {
      int j = i;
      while (j < 4 && masks[static_cast<std::size_t>(j)] == masks[static_cast<std::size_t>(i)]) ++j;
      for (int f = 2; f <= j - i; ++f) members /= static_cast<std::uint32_t>(f);
      i = j;
    }
    c.members = members;
    out.push_back(c);
    return;
  }
  for (int count = std::min(remaining, prevCount); count >= 0; --count) {
    if (count * (4 - suit) < remaining) break;  // the later suits cannot take the rest
    const auto& group = groups[static_cast<std::size_t>(count)];
    for (std::size_t pos = count == prevCount ? prevPos : 0; pos < group.size(); ++pos) {
      masks[static_cast<std::size_t>(suit)] = group[pos];
      Enumerate(groups, suit + 1, remaining - count, count, pos, masks, out);
    }
  }
}

}  // namespace

std::vector<SuitClass> SuitClasses(int cards) {
  static const auto groups = MasksByCount();
  std::vector<SuitClass> out;
  SuitMasks masks{};
  Enumerate(groups, 0, cards, cards, 0, masks, out);
  return out;
}

int CardsOf(const SuitMasks& masks, CardCode* out) {
  int n = 0;
  for (int suit = 0; suit < 4; ++suit) {
    unsigned m = masks[static_cast<std::size_t>(suit)];
    while (m != 0) {
      out[n++] = MakeCard(std::countr_zero(m) + 1, suit);
      m &= m - 1;
    }
  }
  return n;
}

std::vector<DealClass> DealClasses(GameVariant variant) {
  std::vector<DealClass> deals;
  deals.reserve(variant == kJokerWild ? 150891 : 134459);
  for (const SuitClass& c : SuitClasses(5)) {
    DealClass d;
    CardsOf(c.masks, d.hand.data());
    d.deals = c.members;
    deals.push_back(d);
  }
  if (variant == kJokerWild) {
    for (const SuitClass& c : SuitClasses(4)) {
      DealClass d;
      CardsOf(c.masks, d.hand.data());
      d.hand[4] = kJoker;
      d.deals = c.members;
      d.joker = true;
      deals.push_back(d);
    }
  }
  return deals;
}

}  // namespace lynx
