#pragma once
// The SQL the history's reads and totals share, for platform's own history
// files only: which rows are games, which were judged, and the columns a
// game is read from.

// The columns HistoryDatabase::GameOf reads, in its order.
#define GAME_COLUMNS                                                                \
  "id, played_at, game, coins, dealt, held, final, row, won, credits_after, demo, " \
  "session, best_ev, held_ev, best_holds, practice, library_game, pay_table, hands, mistake"

// A game the coach judged, and one held worse than best play: by the verdict
// it was recorded with (the columns mistake and cost, schema 6), or, for a
// row kept without one (written before verdicts were kept, or by another
// program), by lynx_mistake, the rule the program gave the store (see
// history_rows.h). The sums over a file without running totals (one this run
// cannot write) read them so.
#define JUDGED "(demo = 0 AND best_ev IS NOT NULL AND held_ev IS NOT NULL)"
#define MISTAKE JUDGED " AND coalesce(mistake = 1, lynx_mistake(best_ev, held_ev))"

// A game of the machine's own table; any other names its game of the
// library. GameOf reads NULL and '' alike.
#define MACHINE_ROW "(library_game IS NULL OR library_game = '')"

// A row that is a game this program could have played, by the rule of
// ValidRecord. For the machine's games: plain range checks (the pay rows of
// jacks, joker and deuces are -1..8, -1..10 and -1..9; the top prize is 250
// credits a coin, 4000 for five coins), then the cards; a game of the
// library is looked up by lynx_valid_library. Flags other than 0 and 1 make
// a row damaged too, as SQL and GameOf would read them differently.
#define TOP_PRIZE "(CASE coins WHEN 5 THEN 4000 ELSE 250 * coins END)"
#define VALID                                                                                  \
  "(game IN ('jacks', 'joker', 'deuces') AND coins IN (1, 2, 3, 4, 5) AND "                    \
  "held BETWEEN 0 AND 31 AND demo IN (0, 1) AND practice IN (0, 1) AND CASE WHEN " MACHINE_ROW \
  " THEN hands = 1 AND row BETWEEN -1 "                                                        \
  "AND (CASE game WHEN 'jacks' THEN 8 WHEN 'joker' THEN 10 ELSE 9 END) AND "                   \
  "(best_ev IS NULL OR best_ev BETWEEN 0 AND " TOP_PRIZE                                       \
  ") AND (held_ev IS NULL OR held_ev BETWEEN 0 AND " TOP_PRIZE                                 \
  ") AND lynx_valid_draw(game, dealt, held, final) "                                           \
  "ELSE lynx_valid_library(library_game, pay_table, game, coins, hands, dealt, held, "         \
  "final, row, best_ev, held_ev) END)"

// What Statistics reads per group of games (of one stake: see coins), from
// the rows themselves when the running totals cannot be used.
#define STATISTICS_COLUMNS                                 \
  "row, coins, count(*), sum(coins), sum(won), max(won), " \
  "sum(" JUDGED "), sum(CASE WHEN " JUDGED                 \
  " THEN coins ELSE 0 END), "                              \
  "total(CASE WHEN " JUDGED                                \
  " THEN held_ev END), "                                   \
  "total(CASE WHEN " JUDGED                                \
  " THEN best_ev END), "                                   \
  "sum(CASE WHEN " MISTAKE                                 \
  " THEN 1 ELSE 0 END), "                                  \
  "total(CASE WHEN " MISTAKE " THEN best_ev - held_ev END)"
