// Fuzzes the analyser's card notation (tools/card_parse.h). The input is
// taken whole as one word (a card, a game, a word to quote in a message) and,
// split at blanks, as the words of a hand. Any broken invariant traps.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "tools/card_parse.h"

namespace {

void Require(bool holds) {
  if (!holds) __builtin_trap();
}

std::string WithCase(std::string_view word, bool upper) {
  std::string s(word);
  for (char& c : s) {
    if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return s;
}

bool Printable(std::string_view s) {
  for (const char c : s) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

// A parsed card is a code of the game's deck, named in two characters that
// parse back to it, and the letters' case never matters.
void CheckCard(std::string_view word) {
  const std::optional<lynx::CardCode> card = lynx::ParseCard(word);
  Require(lynx::ParseCard(WithCase(word, true)) == card);
  Require(lynx::ParseCard(WithCase(word, false)) == card);
  if (!card) return;
  Require(*card >= 1 && *card <= lynx::kJoker);
  Require(!word.empty() && word.size() <= 3);
  const std::string name = lynx::CardName(*card);
  Require(name.size() == 2 && lynx::ParseCard(name) == card);
  Require(lynx::ParseCard(std::to_string(*card)) == card);
}

void CheckGame(std::string_view word) {
  const std::optional<lynx::GameVariant> game = lynx::ParseGame(word);
  Require(lynx::ParseGame(WithCase(word, false)) == game);
  if (game) Require(*game >= lynx::kJacksOrBetter && *game <= lynx::kDeucesWild);
}

// The quoted word is printable, short, and reads back (undoing \\ and \xNN)
// as the word's first kQuotedBytes bytes, then "..." if it was longer.
void CheckQuote(std::string_view word) {
  const std::string quoted = lynx::QuoteWord(word);
  Require(Printable(quoted));
  Require(quoted.size() <= 2 + 4 * lynx::kQuotedBytes + 3);
  Require(quoted.size() >= 2 && quoted.front() == '\'' && quoted.back() == '\'');
  std::string_view body(quoted);
  body = body.substr(1, body.size() - 2);
  const bool cut = word.size() > lynx::kQuotedBytes;
  if (cut) {
    Require(body.size() >= 3 && body.substr(body.size() - 3) == "...");
    body.remove_suffix(3);
  }
  std::string back;
  for (std::size_t i = 0; i < body.size(); ++i) {
    if (body[i] != '\\') {
      back += body[i];
      continue;
    }
    Require(i + 1 < body.size());
    if (body[i + 1] == '\\') {
      back += '\\';
      ++i;
      continue;
    }
    Require(body[i + 1] == 'x' && i + 3 < body.size());
    const std::string hex(body.substr(i + 2, 2));
    Require(hex.find_first_not_of("0123456789abcdef") == std::string::npos);
    const auto byte = static_cast<unsigned char>(std::stoi(hex, nullptr, 16));
    Require(byte < 0x20 || byte >= 0x7f);  // printable bytes stand for themselves
    back += static_cast<char>(byte);
    i += 3;
  }
  Require(back == word.substr(0, lynx::kQuotedBytes));
}

std::vector<std::string> Words(std::string_view line) {
  std::istringstream in{std::string(line)};
  std::vector<std::string> words;
  for (std::string w; in >> w;) words.push_back(w);
  return words;
}

// A hand is five distinct cards of the game, each the card its word names;
// written out with CardName it parses to the same hand. Jacks or Better and
// Deuces Wild take the same hands, and Joker Wild takes all of those. A
// refusal is one printable line of bounded length.
void CheckHand(std::string_view line) {
  const std::vector<std::string> words = Words(line);
  std::optional<lynx::Hand> hands[3];
  for (lynx::GameVariant game = lynx::kJacksOrBetter; game <= lynx::kDeucesWild; ++game) {
    std::string problem;
    const std::optional<lynx::Hand> hand = lynx::ParseHand(words, game, problem);
    hands[game - 1] = hand;
    if (!hand) {
      Require(!problem.empty() && problem.size() <= 200 && Printable(problem));
      if (words.size() != 5) {
        Require(problem == "a hand is five cards, got " + std::to_string(words.size()));
      }
      continue;
    }
    Require(words.size() == 5);
    std::set<lynx::CardCode> distinct;
    std::string written;
    for (std::size_t i = 0; i < 5; ++i) {
      const lynx::CardCode card = (*hand)[i];
      Require(card >= 1 && card <= (game == lynx::kJokerWild ? lynx::kJoker : 52));
      Require(lynx::ParseCard(words[i]) == card);
      distinct.insert(card);
      if (i > 0) written += ' ';
      written += lynx::CardName(card);
    }
    Require(distinct.size() == 5);
    std::string again;
    Require(lynx::ParseHand(Words(written), game, again) == hand && again.empty());
  }
  Require(hands[0] == hands[2]);
  if (hands[0]) Require(hands[1] == hands[0]);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckCard(input);
  CheckGame(input);
  CheckQuote(input);
  CheckHand(input);
  return 0;
}
