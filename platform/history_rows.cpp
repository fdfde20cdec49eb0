#include "platform/history_rows.h"

#include <sqlite3.h>

#include <algorithm>
#include <optional>

#include "coach/coach.h"
#include "engine/card_text.h"
#include "engine/paytable.h"
#include "platform/history_store.h"

namespace lynx {

bool ValidRecord(const GameRecord& game) {
  if (game.coins < 1 || game.coins > kMaxCoins) return false;
  // ValidDraw refuses a game other than 1..3 and a mask outside 0..31 first.
  if (!ValidDraw(game.game, game.dealt, game.held, game.final)) return false;
  if (game.row < -1 || game.row >= PayTableFor(game.game).rowCount) return false;
  // The comparisons are false for NaN too.
  const double top = Payout(game.game, 0, game.coins);
  const auto credits = [top](const std::optional<double>& value) {
    return !value || (*value >= 0 && *value <= top);
  };
  return credits(game.bestEv) && credits(game.heldEv);
}

bool ParseCardsText(std::string_view text, CardCode* cards, int count) {
  std::fill(cards, cards + count, kNoCard);
  int words = 0;
  bool exact = true;
  std::size_t at = 0;
  while (at < text.size()) {
    if (text[at] == ' ') {
      ++at;
      continue;
    }
    const std::size_t end = std::min(text.find(' ', at), text.size());
    if (words < count) {
      const std::optional<CardCode> card = ParseCard(text.substr(at, end - at));
      cards[words] = card.value_or(kNoCard);
      exact = exact && card.has_value();
    }
    ++words;
    at = end;
  }
  return exact && words == count;
}

GameVariant GameFromName(std::string_view name) {
  for (const GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild}) {
    if (name == GameName(game)) return game;
  }
  return 0;
}

namespace {

std::string_view Text(sqlite3_value* value) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(value));
  if (text == nullptr) return {};
  return {text, static_cast<std::size_t>(sqlite3_value_bytes(value))};
}

// lynx_valid_draw(game, dealt, held, final)
void ValidDrawFunction(sqlite3_context* context, int, sqlite3_value** values) {
  Hand dealt{};
  Hand final{};
  const bool valid =
      ParseHandText(Text(values[1]), dealt) && ParseHandText(Text(values[3]), final) &&
      ValidDraw(GameFromName(Text(values[0])), dealt, sqlite3_value_int(values[2]), final);
  sqlite3_result_int(context, valid ? 1 : 0);
}

// lynx_mistake(best_ev, held_ev)
void MistakeFunction(sqlite3_context* context, int, sqlite3_value** values) {
  sqlite3_result_int(context,
                     IsMistake(sqlite3_value_double(values[0]), sqlite3_value_double(values[1])));
}

}  // namespace

int AddMistakeRule(sqlite3* db) {
  return sqlite3_create_function_v2(db, "lynx_mistake", 2,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    MistakeFunction, nullptr, nullptr, nullptr);
}

int AddRowCheck(sqlite3* db) {
  return sqlite3_create_function_v2(db, "lynx_valid_draw", 4,
                                    SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS, nullptr,
                                    ValidDrawFunction, nullptr, nullptr, nullptr);
}

}  // namespace lynx
