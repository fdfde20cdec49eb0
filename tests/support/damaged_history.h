#pragma once
// A history file another program has written into: four games this program
// could have played and, among them, a row of every kind that is none (as
// the sqlite3 tool or a damaged copy may leave them). Tests link SQLite.

#include <sqlite3.h>

#include <QFile>
#include <QString>
#include <string>

#include "platform/sqlite_history.h"

namespace lynx::testing_support {

struct HistoryRow {
  const char* values;  // game, coins, dealt, held, final, row, won, credits_after,
                       // session, best_ev, held_ev (demo and practice are 0)
  bool damaged;
};

// Ids 1.. in this order. The damaged rows are judged mistakes in session 1
// or 3 with a balance of 7777: counted anywhere, they change every figure.
inline constexpr HistoryRow kHistoryRows[] = {
    // Jacks or Better, Jacks or Better pays 5; judged, held as best play.
    {"'jacks', 5, 'AS KS QS JS 9D', 15, 'AS KS QS JS JH', 8, 5, 100, 1, 92.5, 92.5", false},
    {"'jacks', 5, 'JK 7S 7H 3D 9C', 6, 'JK 7S 7H 2C 4D', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 5, 'XX AH 3C 6C 5H', 2, '4D AH 3C 6C 5H', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'joker', 5, 'JK X 7H 3D 9C', 6, 'JK X 7H 2C 4D', 8, 10, 7777, 1, 3.5, 2.25", true},
    {"'deuces', 5, 'AS AS 7H 3D 9C', 1, 'AS 2S 3S 4S 5S', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS', 0, 'AH KH QH JH TH', -1, 0, 7777, 3, 3.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS 9D', 1, '2H KH QH JH TH', -1, 0, 7777, 1, 3.5, 2.25", true},
    // Joker Wild, Kings or Better pays 2 (the last row of its table); a mistake.
    {"'joker', 2, 'JK KS 7H 3D 9C', 3, 'JK KS 2C 4D 8H', 10, 2, 101, 1, 3.5, 2.25", false},
    {"'jacks', 0, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 6, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS 9D', 32, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS 9D', -1, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', 9, 0, 7777, 1, 3.5, 2.25", true},
    {"'joker', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', 11, 0, 7777, 1, 3.5, 2.25", true},
    {"'deuces', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', 10, 0, 7777, 1, 3.5, 2.25", true},
    {"'deuces', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -2, 0, 7777, 1, 3.5, 2.25", true},
    {"'poker', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 9e999, 2.25", true},
    {"'jacks', 1, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 250.5, 2.25", true},
    {"'jacks', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, -0.25", true},
    // A value of the wrong type: only the store's own check sees it.
    {"'jacks', 5, 'AS KS QS JS 9D', 0, '2H 3H 4H 5H 6H', -1, 0, 7777, 1, 3.5, 'much'", true},
    // Deuces Wild, 3 of a Kind (the last row of its table); a mistake.
    {"'deuces', 1, '2C 5H 9S 9D KC', 13, '2C 6H 9S 9D 3C', 9, 1, 102, 2, 1.5, 1.0", false},
    // Not judged, no win.
    {"'jacks', 3, '2H 3H 4H 5H 7D', 0, 'KC QD 9S 8S 6C', -1, 0, 99, 2, NULL, NULL", false},
};
inline constexpr int kTypedRowId = 21;  // the value of the wrong type

// Makes the history at path (its schema as the program makes it), then
// writes the rows and their sessions with SQLite itself. False on a failure.
inline bool WriteDamagedHistory(const QString& path) {
  { SqliteHistory made(path); }
  std::string sql =
      "BEGIN; INSERT INTO sessions (id, started_at) VALUES (1, '2026-01-02T10:00:00Z'), "
      "(2, '2026-01-03T10:00:00Z'), (3, '2026-01-04T10:00:00Z');";
  for (const HistoryRow& row : kHistoryRows) {
    sql +=
        "INSERT INTO games (played_at, game, coins, dealt, held, final, row, won, "
        "credits_after, session, best_ev, held_ev, demo, practice) VALUES "
        "('2026-01-02T10:00:00Z', ";
    sql += row.values;
    sql += ", 0, 0);";
  }
  sql += "COMMIT;";
  sqlite3* db = nullptr;
  bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK &&
            sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr) == SQLITE_OK;
  sqlite3_close(db);
  return ok;
}

}  // namespace lynx::testing_support
