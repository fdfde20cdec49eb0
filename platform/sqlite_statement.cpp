#include "platform/sqlite_statement.h"

#include <sqlite3.h>

#include <QByteArray>
#include <string_view>

#include "platform/history_rows.h"

namespace lynx {

void FinalizeStatement::operator()(sqlite3_stmt* statement) const {
  sqlite3_finalize(statement);
}

void BindText(sqlite3_stmt* statement, int index, const QString& text) {
  const QByteArray bytes = text.toUtf8();
  sqlite3_bind_text(statement, index, bytes.constData(), static_cast<int>(bytes.size()),
                    SQLITE_TRANSIENT);
}

void BindTextOrNull(sqlite3_stmt* statement, int index, const QString& text) {
  if (text.isEmpty())
    sqlite3_bind_null(statement, index);
  else
    BindText(statement, index, text);
}

QString ColumnText(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  return text != nullptr ? QString::fromUtf8(text, sqlite3_column_bytes(statement, column))
                         : QString();
}

QDateTime ColumnTime(sqlite3_stmt* statement, int column) {
  const QDateTime time = QDateTime::fromString(ColumnText(statement, column), Qt::ISODate);
  return time.isValid() ? time.toUTC() : QDateTime();
}

bool ParseCards(const QString& text, CardCode* cards, int count) {
  const QByteArray bytes = text.toUtf8();
  return ParseCardsText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                        cards, count);
}

}  // namespace lynx
