#include "platform/sqlite_statement.h"

#include <sqlite3.h>

#include <QByteArray>
#include <QTimeZone>
#include <optional>
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

namespace {

// The times the store writes, "2026-03-01T10:00:00Z" or with milliseconds
// ("...:00.250Z"), read without the general parser (a list of a hundred
// thousand games reads as many): nothing for any other form.
std::optional<QDateTime> StoredUtcTime(std::string_view t) {
  const auto digits = [&](std::size_t at, std::size_t n, int& value) {
    value = 0;
    for (std::size_t i = at; i < at + n; ++i) {
      if (i >= t.size() || t[i] < '0' || t[i] > '9') return false;
      value = value * 10 + (t[i] - '0');
    }
    return true;
  };
  int year, month, day, hour, minute, second, ms = 0;
  if (t.size() < 20 || t[4] != '-' || t[7] != '-' || t[10] != 'T' || t[13] != ':' ||
      t[16] != ':' || !digits(0, 4, year) || !digits(5, 2, month) || !digits(8, 2, day) ||
      !digits(11, 2, hour) || !digits(14, 2, minute) || !digits(17, 2, second))
    return std::nullopt;
  if (t.size() == 24 && t[19] == '.' && t[23] == 'Z') {
    if (!digits(20, 3, ms)) return std::nullopt;
  } else if (t.size() != 20 || t[19] != 'Z') {
    return std::nullopt;
  }
  const QDate date(year, month, day);
  const QTime time(hour, minute, second, ms);
  if (!date.isValid() || !time.isValid()) return std::nullopt;
  return QDateTime(date, time, Qt::UTC);
}

}  // namespace

QDateTime ColumnTime(sqlite3_stmt* statement, int column) {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
  const auto bytes = static_cast<std::size_t>(sqlite3_column_bytes(statement, column));
  if (text != nullptr)
    if (const auto fast = StoredUtcTime(std::string_view(text, bytes))) return *fast;
  const QDateTime time = QDateTime::fromString(ColumnText(statement, column), Qt::ISODate);
  return time.isValid() ? time.toUTC() : QDateTime();
}

bool ParseCards(const QString& text, CardCode* cards, int count) {
  const QByteArray bytes = text.toUtf8();
  return ParseCardsText(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())),
                        cards, count);
}

}  // namespace lynx
