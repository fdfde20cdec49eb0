#pragma once
// Small helpers around SQLite statements for the history's own files: a
// statement that finalises itself, and the written forms of its values.

#include <QDateTime>
#include <QString>
#include <memory>

#include "engine/card.h"

struct sqlite3_stmt;

namespace lynx {

struct FinalizeStatement {
  void operator()(sqlite3_stmt* statement) const;
};
// A prepared statement, finalised when it goes.
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

void BindText(sqlite3_stmt* statement, int index, const QString& text);
// text, or NULL where it is empty.
void BindTextOrNull(sqlite3_stmt* statement, int index, const QString& text);
QString ColumnText(sqlite3_stmt* statement, int column);
// A time written as TimeText writes it, as UTC; invalid when it is none.
QDateTime ColumnTime(sqlite3_stmt* statement, int column);
// Exactly count cards by name from text (ParseCardsText).
bool ParseCards(const QString& text, CardCode* cards, int count);

}  // namespace lynx
