#pragma once
// The game history as a CSV file, for spreadsheets and other tools.

#include <QString>

#include "platform/history_store.h"

namespace lynx {

// Writes every settled game of store, oldest first, to path: a header row with
// the column names of the games table (id, played_at, game, coins, dealt,
// held, final, row, won, credits_after, demo, session, practice, library_game,
// pay_table, hands), then one row per game in the table's written forms (the
// game and table of the library empty for the machine's own). Fields are quoted as RFC 4180 says
// where they need it; lines end in CRLF. The file is replaced in one step: false, with
// any old file left as it was, when it cannot be written.
bool ExportHistoryCsv(HistoryStore& store, const QString& path);

// The same export read from the history file at historyFile through a
// read-only connection of its own, so that it can run on any thread (see
// HistoryStore::ExportCsv): one snapshot of the file, whatever is written
// meanwhile; progress every few thousand games. Failed, too, for out naming
// the history file itself.
HistoryStore::ExportOutcome ExportHistoryFileCsv(const QString& historyFile, const QString& out,
                                                 const HistoryStore::ExportProgress& progress);

}  // namespace lynx
