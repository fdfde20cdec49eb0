#include "engine/card_text.h"

#include <cctype>

namespace lynx {

namespace {

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

}  // namespace

std::optional<CardCode> ParseCard(std::string_view word) {
  std::string s(word);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  if (s == "JK" || s == "X") return kJoker;
  if (AllDigits(s)) {
    if (s.size() > 2) return std::nullopt;
    const int code = std::stoi(s);
    if (code < 1 || code > 53) return std::nullopt;
    return static_cast<CardCode>(code);
  }
  if (s.size() < 2 || s.size() > 3) return std::nullopt;
  const std::string rankText = s.substr(0, s.size() - 1);
  int rank = 0;
  if (rankText == "10" || rankText == "T") {
    rank = 10;
  } else if (rankText.size() == 1) {
    static constexpr std::string_view kRanks = "A23456789TJQK";
    const auto at = kRanks.find(rankText[0]);
    if (at == std::string_view::npos) return std::nullopt;
    rank = static_cast<int>(at) + 1;
  } else {
    return std::nullopt;
  }
  static constexpr std::string_view kSuits = "CHDS";
  const auto suit = kSuits.find(s.back());
  if (suit == std::string_view::npos) return std::nullopt;
  return MakeCard(rank, static_cast<int>(suit));
}

std::string CardName(CardCode code) {
  if (code == kJoker) return "JK";
  if (code < 1 || code > 52) return "??";
  static constexpr std::string_view kRanks = "A23456789TJQK";
  static constexpr std::string_view kSuits = "CHDS";
  return {kRanks[static_cast<std::size_t>(Rank(code) - 1)],
          kSuits[static_cast<std::size_t>(SuitIndex(code))]};
}

}  // namespace lynx
