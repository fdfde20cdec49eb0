#pragma once
// The mistake drill without its window: which rows of the history are dealt
// again, and the row kept of each practice hand. No widgets, so that the
// history fuzzing can run every row it reads through them.

#include <vector>

#include "coach/coach.h"
#include "engine/deck.h"
#include "platform/history_store.h"

namespace lynx {

// The hands to practise from rows as Mistakes() lists them (newest first),
// oldest first. Damaged rows, and any other that is no game (ValidRecord),
// are left out: only five cards of their game ever reach the solver.
std::vector<GameRecord> DrillHands(const std::vector<GameRecord>& mistakes);

// The practice row of a hand DrillHands kept: its game, stake and deal, the
// hold held (0..31) drawn from deck (positions 6.. in order, as the machine
// draws), valued by judgement (of that deal and stake), with the credit
// meter credits. Ready for HistoryStore::RecordPractice.
GameRecord PracticeRecord(const GameRecord& mistake, const Deck& deck, unsigned held,
                          const HandJudgement& judgement, int credits);

}  // namespace lynx
