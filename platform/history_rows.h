#pragma once
// Reading rows of the games table back: the text of a hand, and the SQL
// function that checks a row's cards by the rule ValidRecord applies, so that
// the sums over a history can leave damaged rows out inside SQLite.

#include <string_view>

#include "engine/deck.h"

struct sqlite3;

namespace lynx {

// Cards from their names, space separated ("AS KD 7C JK 2H"). True only for
// exactly count words that are all cards; otherwise each word that is no
// card, and each missing one, reads as kNoCard.
bool ParseCardsText(std::string_view text, CardCode* cards, int count);
inline bool ParseHandText(std::string_view text, Hand& hand) {
  return ParseCardsText(text, hand.data(), static_cast<int>(hand.size()));
}

// The game a name of the games table stands for ("jacks", "joker",
// "deuces"), 0 for any other text.
GameVariant GameFromName(std::string_view name);

// Adds lynx_valid_draw(game, dealt, held, final) to the connection: 1 when
// game is "jacks", "joker" or "deuces", dealt and final read as hands and
// ValidDraw holds for them with the integer value of held; else 0.
// And lynx_valid_library(library_game, pay_table, game, coins, hands, dealt,
// held, final, row, best_ev, held_ev): 1 when the row is a game of the
// library by ValidRecord, the numbers integers (best_ev and held_ev numbers
// or NULL); else 0.
// Deterministic and innocuous, so they may run with an untrusted schema.
// Returns the SQLite result code.
int AddRowCheck(sqlite3* db);

// The coach's rule for a hold worth heldEv against best play worth bestEv
// (credits): true when it is held worse than best play. The program gives it
// to the store, which does not know the coach.
using MistakeRule = bool (*)(double bestEv, double heldEv);

// Adds lynx_mistake(best_ev, held_ev) to the connection: 1 when rule calls a
// hold worth held_ev against best play worth best_ev a mistake, else 0 (always
// 0 without a rule). Deterministic and innocuous. Returns the result code.
int AddMistakeRule(sqlite3* db, MistakeRule rule);

}  // namespace lynx
