#pragma once
// Hands written as text in tests: "AS KS QS JS TS", "JK QH QD 7C 7S".

#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "engine/card.h"
#include "engine/deck.h"

namespace lynx::testing_support {

inline CardCode Card(std::string_view w) {
  if (w == "JK") return kJoker;
  static constexpr std::string_view kRanks = "A23456789TJQK";
  static constexpr std::string_view kSuits = "CHDS";
  const auto r = kRanks.find(w.at(0));
  const auto s = kSuits.find(w.at(1));
  if (w.size() != 2 || r == std::string_view::npos || s == std::string_view::npos) {
    throw std::invalid_argument(std::string(w));
  }
  return MakeCard(static_cast<int>(r) + 1, static_cast<int>(s));
}

inline Hand H(const std::string& text) {
  std::istringstream in(text);
  Hand hand{};
  std::string w;
  for (auto& c : hand) {
    in >> w;
    c = Card(w);
  }
  return hand;
}

}  // namespace lynx::testing_support
