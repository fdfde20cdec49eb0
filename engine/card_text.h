#pragma once
// The written names of cards, shared by the analyser and the game history:
// rank A 2..9 T J Q K (or 10) followed by the suit C H D S in either case, the
// joker as JK or X, or a plain code 1..53.

#include <optional>
#include <string>
#include <string_view>

#include "engine/card.h"

namespace lynx {

// The card code of a word, or nothing when the word is not a card.
std::optional<CardCode> ParseCard(std::string_view word);

// Two-character name of a card code 1..53: "TH", "AS", "JK"; "??" otherwise.
std::string CardName(CardCode code);

}  // namespace lynx
