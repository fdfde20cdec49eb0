#pragma once
// Card notation of the analyser: rank A 2..9 T J Q K (or 10) followed by the
// suit C H D S in either case, the joker as JK or X, or a plain code 1..53.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "engine/card.h"
#include "engine/card_text.h"
#include "engine/deck.h"

namespace lynx {

// 1..3 for "jacks", "joker", "deuces" (also the numbers 1..3), or nothing.
std::optional<GameVariant> ParseGame(std::string_view word);

// The hand of five card words for the game: five distinct cards, the joker
// only in Joker Wild. On a problem returns nothing and sets problem to one
// line (without the program name or a line end) that names the first word at
// fault, quoted with QuoteWord.
std::optional<Hand> ParseHand(const std::vector<std::string>& words, GameVariant game,
                              std::string& problem);

// At most this many bytes of a word are shown in a message.
constexpr std::size_t kQuotedBytes = 32;

// A word of the user's in single quotes, safe to show in a message: a
// backslash becomes \\, any byte that is not printable ASCII \xNN (two
// lower-case hex digits), and a word longer than kQuotedBytes bytes is cut
// there and ends in "...". Control characters and escape sequences in the
// input never reach the terminal this way.
std::string QuoteWord(std::string_view word);

}  // namespace lynx
