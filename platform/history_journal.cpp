// The journal: the sessions (one per run), whether the last run ended
// through its save, the balance, and the hands left dealt, the trainer's
// among them.

#include <sqlite3.h>

#include <QDateTime>
#include <algorithm>
#include <array>
#include <charconv>
#include <limits>
#include <string>

#include "engine/game_rules.h"
#include "engine/paytable.h"
#include "platform/history_database.h"

namespace lynx {

namespace {

// Exactly count whole numbers from 0 up, separated by single spaces
// ("250 50 25 9 6"), into numbers.
bool ParseNumbers(std::string_view text, int* numbers, int count) {
  const char* at = text.data();
  const char* end = text.data() + text.size();
  for (int i = 0; i < count; ++i) {
    if (i > 0 && (at == end || *at++ != ' ')) return false;
    if (at == end || *at < '0' || *at > '9') return false;
    const auto [next, error] = std::from_chars(at, end, numbers[i]);
    if (error != std::errc()) return false;
    at = next;
  }
  return at == end;
}

}  // namespace

bool HistoryDatabase::StartSession(std::int64_t* started) {
  BindText(insertSession.get(), 1, TimeText(QDateTime::currentDateTimeUtc()));
  if (!Run(insertSession.get()) || !Step("session")) return false;
  *started = sqlite3_last_insert_rowid(db);
  return Run(setRunning.get()) && Step("running");
}

void HistoryDatabase::BeginSession() {
  sessionBegun = true;
  auto started = std::make_shared<std::int64_t>(0);
  Write([this, started] { return StartSession(started.get()); },
        [this, started] { session = *started; });
}

void HistoryDatabase::MarkEnded(bool settingsSaved) {
  // running: 1 while a run goes on, 0 once it ended through its save, 2 when
  // that save could not be written.
  Write([this, settingsSaved] {
    return Run(settingsSaved ? setEnded.get() : setUnsaved.get()) && Step("ended");
  });
}

bool HistoryDatabase::Ledger() const {
  return state == State::Working || state == State::Waiting;
}

std::optional<JournaledBalance> HistoryDatabase::Balance() {
  // A file whose writes failed during this run still holds what the next
  // start will find there; one that could not be written from the start
  // would offer the same balance at every start.
  if (state == State::Off || readOnlyFromStart) return std::nullopt;
  return Read<std::optional<JournaledBalance>>([&](std::optional<JournaledBalance>& balance) {
    // A file still waiting for its upgrade has no change numbers yet.
    const bool numbered = HasColumn(db, {"journal", "ledger_change", 5});
    Statement statement;
    if (!Prepare(statement, numbered ? "SELECT credits, borrowed, running, ledger_change "
                                       "FROM journal WHERE id = 1"
                                     : "SELECT credits, borrowed, running, 0 "
                                       "FROM journal WHERE id = 1"))
      return false;
    const int code = sqlite3_step(statement.get());
    if (code == SQLITE_ROW && sqlite3_column_type(statement.get(), 0) != SQLITE_NULL) {
      sqlite3_stmt* row = statement.get();
      balance = JournaledBalance{sqlite3_column_int(row, 0), sqlite3_column_int(row, 1),
                                 sqlite3_column_int(row, 2) == 0, sqlite3_column_int64(row, 3),
                                 sqlite3_column_int(row, 2) == 2};
    }
    return code == SQLITE_ROW || code == SQLITE_DONE || Failed(code);
  });
}

bool HistoryDatabase::JournalBalance(std::int32_t credits, std::int32_t borrowed,
                                     std::int64_t change) {
  sqlite3_bind_int(saveBalance.get(), 1, credits);
  sqlite3_bind_int(saveBalance.get(), 2, borrowed);
  sqlite3_bind_int64(saveBalance.get(), 3, change);
  return Run(saveBalance.get()) && Step("balance");
}

void HistoryDatabase::SaveBalance(std::int32_t credits, std::int32_t borrowed,
                                  std::int64_t change) {
  Write([this, credits, borrowed, change] { return JournalBalance(credits, borrowed, change); });
}

std::optional<HandInProgress> HistoryDatabase::PendingHand(GameVariant game) {
  if (!Ledger()) return std::nullopt;
  return Read<std::optional<HandInProgress>>([&](std::optional<HandInProgress>& pending) {
    Statement statement;
    if (!Prepare(statement, "SELECT coins, dealt, held, deck, demo FROM hands WHERE game = ?1"))
      return false;
    BindText(statement.get(), 1, GameText(game));
    const int code = sqlite3_step(statement.get());
    if (code == SQLITE_DONE) return true;
    if (code != SQLITE_ROW) return Failed(code);
    sqlite3_stmt* row = statement.get();
    HandInProgress hand;
    hand.game = game;
    hand.coins = sqlite3_column_int(row, 0);
    hand.held = sqlite3_column_int(row, 2);
    hand.demo = sqlite3_column_int(row, 4) != 0;
    std::array<CardCode, Deck::kSize> deck{};
    const bool valid = hand.coins >= 1 && hand.coins <= kMaxCoins && hand.held >= 0 &&
                       hand.held <= 31 && ParseCards(ColumnText(row, 1), hand.dealt.data(), 5) &&
                       ParseCards(ColumnText(row, 3), deck.data(), Deck::kSize);
    if (!valid) return true;
    for (int p = 1; p <= Deck::kSize; ++p) hand.deck.Set(p, deck[p - 1]);
    pending = hand;
    return true;
  });
}

void HistoryDatabase::SaveHand(const HandInProgress& hand, std::int32_t credits,
                               std::int32_t borrowed, std::int64_t change) {
  std::array<CardCode, Deck::kSize> deck{};
  for (int p = 1; p <= Deck::kSize; ++p) deck[p - 1] = hand.deck.At(p);
  Write([this, name = GameText(hand.game), coins = hand.coins, dealt = HandText(hand.dealt),
         held = hand.held, deckText = CardsText(deck.data(), Deck::kSize), demo = hand.demo,
         credits, borrowed, change] {
    sqlite3_stmt* s = saveHand.get();
    BindText(s, 1, name);
    sqlite3_bind_int(s, 2, coins);
    BindText(s, 3, dealt);
    sqlite3_bind_int(s, 4, held);
    BindText(s, 5, deckText);
    sqlite3_bind_int(s, 6, demo ? 1 : 0);
    if (!Run(s) || !Step("hand")) return false;
    return JournalBalance(credits, borrowed, change);
  });
}

void HistoryDatabase::DropHands() {
  Write(
      [this] { return Run(dropHands.get()) && Run(dropTrainerHand.get()) && Step("drop-hands"); });
}

std::optional<TrainerHandInProgress> HistoryDatabase::PendingTrainerHand() {
  if (!Ledger()) return std::nullopt;
  using Pending = std::optional<TrainerHandInProgress>;
  return Read<Pending>([&](Pending& pending) {
    Statement statement;
    if (!Prepare(statement,
                 "SELECT game, pay_table, pays, royal_five_coins, hands, coins, dealt, held, deck "
                 "FROM trainer_hand WHERE id = 1"))
      return false;
    const int code = sqlite3_step(statement.get());
    if (code == SQLITE_DONE) return true;
    if (code != SQLITE_ROW) return Failed(code);
    // A row that is no hand of a game of the library reads as none.
    pending = TrainerHandOf(statement.get());
    return true;
  });
}

std::optional<TrainerHandInProgress> HistoryDatabase::TrainerHandOf(sqlite3_stmt* row) {
  const QByteArray name = ColumnText(row, 0).toUtf8();
  const GameRules* rules =
      FindGame(std::string_view(name.constData(), static_cast<std::size_t>(name.size())));
  if (rules == nullptr) return std::nullopt;
  // Whole numbers only: SQL would read a word as 0, which is a hold.
  const auto whole = [row](int column, int low, int high, int& out) {
    if (sqlite3_column_type(row, column) != SQLITE_INTEGER) return false;
    const std::int64_t value = sqlite3_column_int64(row, column);
    out = static_cast<int>(value);
    return value >= low && value <= high;
  };
  TrainerHandInProgress hand;
  hand.game = std::string(rules->name);
  hand.table = ColumnText(row, 1).toStdString();
  hand.pays.variant = rules->family;
  hand.pays.rowCount = rules->rowCount;
  hand.pays.rules = rules;
  const QByteArray pays = ColumnText(row, 2).toUtf8();
  if (hand.table.empty() ||
      !ParseNumbers(std::string_view(pays.constData(), static_cast<std::size_t>(pays.size())),
                    hand.pays.perCoin.data(), rules->rowCount) ||
      !whole(3, 0, std::numeric_limits<int>::max(), hand.pays.royalFiveCoins) ||
      !whole(4, 1, 10, hand.hands) || !ValidTrainerHands(hand.hands) ||
      !whole(5, 1, kMaxCoins, hand.coins) || !whole(7, 0, 31, hand.held))
    return std::nullopt;
  // A table this version knows pays as it always does.
  if (const NamedTable* table = FindTable(*rules, hand.table)) {
    const Pays named = PaysOf(*rules, *table);
    if (named.perCoin != hand.pays.perCoin || named.royalFiveCoins != hand.pays.royalFiveCoins)
      return std::nullopt;
  }
  // The deck: exactly the game's cards, each once, the hand dealt its first five.
  // A joker game's hand may be of 53 cards, dealt by an earlier version.
  const QString deckText = ColumnText(row, 8);
  hand.deck.size = TrainerDeckSize(*rules);
  if (!ParseCards(deckText, hand.deck.cards.data(), hand.deck.size)) {
    hand.deck.cards.fill(kNoCard);
    hand.deck.size = rules->CardCount();
    if (!ParseCards(deckText, hand.deck.cards.data(), hand.deck.size)) return std::nullopt;
  }
  if (!ParseCards(ColumnText(row, 6), hand.dealt.data(), 5) || !IsDeckOfGame(hand.deck, *rules))
    return std::nullopt;
  if (!std::equal(hand.dealt.begin(), hand.dealt.end(), hand.deck.cards.begin()))
    return std::nullopt;
  return hand;
}

void HistoryDatabase::SaveTrainerHand(const TrainerHandInProgress& hand, std::int32_t credits,
                                      std::int32_t borrowed, std::int64_t change) {
  QString pays;
  for (int r = 0; r < hand.pays.rowCount && r < kMaxPayRows; ++r) {
    if (r > 0) pays += QLatin1Char(' ');
    pays += QString::number(hand.pays.perCoin[static_cast<std::size_t>(r)]);
  }
  Write([this, game = QString::fromStdString(hand.game), table = QString::fromStdString(hand.table),
         pays, royal = hand.pays.royalFiveCoins, hands = hand.hands, coins = hand.coins,
         dealt = HandText(hand.dealt), held = hand.held,
         deck = CardsText(hand.deck.cards.data(), std::clamp(hand.deck.size, 0, 53)), credits,
         borrowed, change] {
    sqlite3_stmt* s = saveTrainerHand.get();
    BindText(s, 1, game);
    BindText(s, 2, table);
    BindText(s, 3, pays);
    sqlite3_bind_int(s, 4, royal);
    sqlite3_bind_int(s, 5, hands);
    sqlite3_bind_int(s, 6, coins);
    BindText(s, 7, dealt);
    sqlite3_bind_int(s, 8, held);
    BindText(s, 9, deck);
    if (!Run(s) || !Step("trainer-hand")) return false;
    return JournalBalance(credits, borrowed, change);
  });
}

void HistoryDatabase::DropTrainerHand() {
  Write([this] { return Run(dropTrainerHand.get()) && Step("drop-trainer-hand"); });
}

}  // namespace lynx
