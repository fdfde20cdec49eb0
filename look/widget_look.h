#pragma once
// The machine table's look for windows built from ordinary widgets (the coach
// panel, its All Holds window, the review windows): white and yellow on the
// table's blue, grey headings, the table's sans-serif; and the texts they
// show the games' figures in.

#include <QString>

#include "engine/card.h"
#include "machine/machine.h"

class QTableWidget;
class QWidget;

namespace lynx {

// Blue window, white text, grey buttons and headings.
void ApplyReviewLook(QWidget* window);

// A read-only list of whole rows, one selectable at a time, without the
// vertical header.
void SetUpReviewTable(QTableWidget* table);

// "Jacks or Better", "Joker Wild", "Deuces Wild".
QString GameTitleText(GameVariant game);

// The spoken name of a card: "King of Spades", "Ten of Hearts", "Joker";
// "no card" for an empty position.
QString CardName(CardCode code);

// The caption of a pay-table row of game, "No win" for -1 (or a row the game
// does not have).
QString RowText(GameVariant game, int row);

// part / whole as a percentage with two decimals, "98.40%"; "—" when whole is 0
// or the ratio is not a finite number.
QString PercentText(double part, double whole);

// A probability as a percentage with at least two decimals and at least three
// significant digits: "21.46%", "0.0248%", "0.00248%".
QString ProbabilityText(double probability);

// What the player is told when a bet or a deal is refused; empty for none.
QString RefusalText(Refusal refusal);

// Credits with two decimals, "12.50"; "—" for a value that is not finite.
QString CreditsText(double credits);

}  // namespace lynx
