#pragma once
// The mistake drill without its window: which rows of the history are dealt
// again, and the row kept of each practice hand. No widgets, so that the
// history fuzzing can run every row it reads through them.

#include <optional>
#include <vector>

#include "coach/coach.h"
#include "engine/deck.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "platform/history_store.h"

namespace lynx {

// The game and pays a history row was played on: for the trainer's rows the
// library's game with its named table, or with the pays a table of the
// player's own keeps in its name ("custom 250/50/25/8/6/4/3/2/1 (4000)");
// rules null for the machine's own rows. Nothing for a table this version
// cannot read back.
struct PlayedOn {
  const GameRules* rules = nullptr;
  Pays pays;
};
std::optional<PlayedOn> PlayedOnOf(const GameRecord& game);

// A deck to deal dealt again from at the trainer's game: dealt in positions
// 1..5, then the game's other cards shuffled (52 positions: in a game of 53
// cards one card the hand does not show is left out).
Deck TrainerPracticeDeck(const Hand& dealt, const GameRules& rules, UniformSource& random);

// The hands to practise from rows as Mistakes() lists them (newest first),
// oldest first. Damaged rows, and any other that is no game (ValidRecord),
// are left out: only five cards of their game ever reach the solver. The
// rows of one deal of several hands (one after another, the same hold) are
// one decision, kept once.
std::vector<GameRecord> DrillHands(const std::vector<GameRecord>& mistakes);

// The practice row of a hand DrillHands kept: its game, stake and deal, the
// hold held (0..31) drawn from deck (positions 6.. in order, as the machine
// draws), valued by judgement (of that deal and stake), with the credit
// meter credits. Ready for HistoryStore::RecordPractice.
GameRecord PracticeRecord(const GameRecord& mistake, const Deck& deck, unsigned held,
                          const HandJudgement& judgement, int credits);

}  // namespace lynx
