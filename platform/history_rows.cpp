#include "platform/history_rows.h"

#include <sqlite3.h>

#include <QByteArray>
#include <algorithm>
#include <cmath>
#include <limits>
#include <optional>

#include "engine/card_text.h"
#include "engine/game_rules.h"
#include "engine/pays.h"
#include "engine/paytable.h"
#include "platform/history_store.h"

namespace lynx {

namespace {

// A game of the library, as ValidRecord checks it (coins already checked).
bool ValidLibraryRecord(const GameRecord& game) {
  const QByteArray name = game.libraryGame.toUtf8();
  const GameRules* rules =
      FindGame(std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
  if (rules == nullptr || game.game != rules->family || !ValidTrainerHands(game.hands) ||
      game.payTable.isEmpty())
    return false;
  // The family's card rule is the game's: only the joker games deal a 53rd card.
  if (!ValidDraw(rules->family, game.dealt, game.held, game.final)) return false;
  if (game.row != ClassifyRules(game.final, *rules)) return false;
  const QByteArray tableName = game.payTable.toUtf8();
  const NamedTable* table = FindTable(
      *rules, std::string_view(tableName.constData(), static_cast<std::size_t>(tableName.size())));
  // Pays the player edited, or a table a later version added, bound nothing.
  const double top = table != nullptr
                         ? static_cast<double>(PayoutOf(PaysOf(*rules, *table), 0, game.coins))
                         : std::numeric_limits<double>::max();
  const auto credits = [top](const std::optional<double>& value) {
    return !value || (std::isfinite(*value) && *value >= 0 && *value <= top);
  };
  return credits(game.bestEv) && credits(game.heldEv);
}

}  // namespace

bool ValidRecord(const GameRecord& game) {
  if (game.coins < 1 || game.coins > kMaxCoins) return false;
  if (!game.libraryGame.isEmpty()) return ValidLibraryRecord(game);
  if (game.hands != 1) return false;
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

// lynx_valid_library(library_game, pay_table, game, coins, hands, dealt,
// held, final, row, best_ev, held_ev)
void ValidLibraryFunction(sqlite3_context* context, int, sqlite3_value** values) {
  // Whole numbers that fit an int, and values as SQL compares them: a text
  // or a blob in a number's column is no game.
  const auto whole = [](sqlite3_value* value, int& out) {
    if (sqlite3_value_type(value) != SQLITE_INTEGER) return false;
    const sqlite3_int64 number = sqlite3_value_int64(value);
    if (number < std::numeric_limits<int>::min() || number > std::numeric_limits<int>::max())
      return false;
    out = static_cast<int>(number);
    return true;
  };
  const auto credits = [](sqlite3_value* value, std::optional<double>& out) {
    const int type = sqlite3_value_type(value);
    if (type == SQLITE_NULL) return true;
    if (type != SQLITE_INTEGER && type != SQLITE_FLOAT) return false;
    out = sqlite3_value_double(value);
    return true;
  };
  const auto text = [](sqlite3_value* value) {
    const std::string_view bytes = Text(value);
    return QString::fromUtf8(bytes.data(), static_cast<qsizetype>(bytes.size()));
  };
  GameRecord game;
  game.libraryGame = text(values[0]);
  game.payTable = text(values[1]);
  game.game = GameFromName(Text(values[2]));
  const bool valid = !game.libraryGame.isEmpty() && whole(values[3], game.coins) &&
                     whole(values[4], game.hands) && ParseHandText(Text(values[5]), game.dealt) &&
                     whole(values[6], game.held) && ParseHandText(Text(values[7]), game.final) &&
                     whole(values[8], game.row) && credits(values[9], game.bestEv) &&
                     credits(values[10], game.heldEv) && ValidRecord(game);
  sqlite3_result_int(context, valid ? 1 : 0);
}

// lynx_mistake(best_ev, held_ev), by the rule given with the function.
void MistakeFunction(sqlite3_context* context, int, sqlite3_value** values) {
  const auto rule = *static_cast<const MistakeRule*>(sqlite3_user_data(context));
  sqlite3_result_int(context, rule != nullptr && rule(sqlite3_value_double(values[0]),
                                                      sqlite3_value_double(values[1])));
}

void ForgetRule(void* rule) {
  delete static_cast<MistakeRule*>(rule);
}

}  // namespace

int AddMistakeRule(sqlite3* db, MistakeRule rule) {
  return sqlite3_create_function_v2(
      db, "lynx_mistake", 2, SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS,
      new MistakeRule(rule), MistakeFunction, nullptr, nullptr, ForgetRule);
}

int AddRowCheck(sqlite3* db) {
  constexpr int kFlags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
  const int code = sqlite3_create_function_v2(db, "lynx_valid_draw", 4, kFlags, nullptr,
                                              ValidDrawFunction, nullptr, nullptr, nullptr);
  if (code != SQLITE_OK) return code;
  return sqlite3_create_function_v2(db, "lynx_valid_library", 11, kFlags, nullptr,
                                    ValidLibraryFunction, nullptr, nullptr, nullptr);
}

}  // namespace lynx
