#include "tools/card_parse.h"

#include <cctype>
#include <set>

namespace lynx {

namespace {

std::string Upper(std::string_view word) {
  std::string s(word);
  for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return s;
}

}  // namespace

std::optional<GameVariant> ParseGame(std::string_view word) {
  const std::string s = Upper(word);
  if (s == "JACKS" || s == "1") return kJacksOrBetter;
  if (s == "JOKER" || s == "2") return kJokerWild;
  if (s == "DEUCES" || s == "3") return kDeucesWild;
  return std::nullopt;
}

std::optional<Hand> ParseHand(const std::vector<std::string>& words, GameVariant game,
                              std::string& problem) {
  if (words.size() != 5) {
    problem = "a hand is five cards, got " + std::to_string(words.size());
    return std::nullopt;
  }
  Hand hand{};
  std::set<CardCode> seen;
  for (std::size_t i = 0; i < 5; ++i) {
    const auto card = ParseCard(words[i]);
    if (!card) {
      problem = QuoteWord(words[i]) + " is not a card";
      return std::nullopt;
    }
    if (*card == kJoker && game != kJokerWild) {
      problem = QuoteWord(words[i]) + ": the joker is only in Joker Wild";
      return std::nullopt;
    }
    if (!seen.insert(*card).second) {
      problem = QuoteWord(words[i]) + " is repeated";
      return std::nullopt;
    }
    hand[i] = *card;
  }
  return hand;
}

std::string QuoteWord(std::string_view word) {
  static constexpr std::string_view kHex = "0123456789abcdef";
  std::string text = "'";
  for (const char c : word.substr(0, kQuotedBytes)) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      text += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7f) {
      text += c;
    } else {
      text += "\\x";
      text += kHex[byte >> 4];
      text += kHex[byte & 0xf];
    }
  }
  if (word.size() > kQuotedBytes) text += "...";
  return text + "'";
}

}  // namespace lynx
