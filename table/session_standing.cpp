#include "table/session_standing.h"

#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>

#include "coach/tables_cache.h"
#include "platform/long_work_pool.h"

namespace lynx {

namespace {

QString StandingText(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// "Jacks or Better 9/6", "Double Double Bonus 9/6"; a title that names its
// table already is not followed by it again.
QString StandingGameAndTable(const StandingTable& table) {
  const QString title = StandingText(table.rules->title);
  const QString name = QString::fromStdString(table.table);
  return name.isEmpty() || title.endsWith(QLatin1Char(' ') + name)
             ? title
             : title + QLatin1Char(' ') + name;
}

}  // namespace

bool StandingTable::operator==(const StandingTable& other) const {
  return rules == other.rules && coins == other.coins && hands == other.hands &&
         SamePayFigures(pays, other.pays);
}

QString StandingLine(double shareBelow, std::int64_t deals, const StandingTable& table,
                     bool mixed) {
  long long percent = std::llround(shareBelow * 100);
  if (percent >= 100 && shareBelow < 1) percent = 99;
  if (!mixed) return QStringLiteral("Better than %1% of sessions of this length.").arg(percent);
  return QStringLiteral("Your %1 on %2 (%3, %4): better than %5% of sessions of that length.")
      .arg(
          deals == 1 ? QStringLiteral("1 deal") : QStringLiteral("%1 deals").arg(deals),
          StandingGameAndTable(table),
          table.coins == 1 ? QStringLiteral("1 coin") : QStringLiteral("%1 coins").arg(table.coins),
          table.hands == 1 ? QStringLiteral("1 hand") : QStringLiteral("%1 hands").arg(table.hands))
      .arg(percent);
}

SessionStanding::SessionStanding(TablesCache& tables, QObject* parent)
    : QObject(parent), tables(tables) {
  quiet.setSingleShot(true);
  quiet.setInterval(kQuietMs);
  connect(&quiet, &QTimer::timeout, this, &SessionStanding::Prepare);
  connect(&work, &QFutureWatcher<Placed>::finished, this, [this] {
    Placed result = work.result();
    working = false;
    deals[KeyOf(result.table)] = result.deal;
    placed = std::move(result);
    if (Ready())
      emit Known();
    else
      Start();  // deals were played meanwhile
  });
}

SessionStanding::~SessionStanding() {
  quiet.stop();
  work.waitForFinished();
}

std::string SessionStanding::KeyOf(const StandingTable& table) {
  std::string key = std::string(table.rules->name) + ':' + std::to_string(table.coins) + ':' +
                    std::to_string(table.hands) + ':' + std::to_string(table.pays.royalFiveCoins);
  for (int r = 0; r < table.pays.rowCount; ++r)
    key += ',' + std::to_string(table.pays.perCoin[static_cast<std::size_t>(r)]);
  return key;
}

void SessionStanding::AddDeal(const StandingTable& table, std::int64_t won) {
  const auto found = std::find_if(stretches.begin(), stretches.end(),
                                  [&table](const Stretch& s) { return s.table == table; });
  if (found == stretches.end()) {
    stretches.push_back({table, 0, 0});
    current = stretches.size() - 1;
  } else {
    current = static_cast<std::size_t>(found - stretches.begin());
  }
  Stretch& s = stretches[current];
  ++s.deals;
  s.net += won - static_cast<std::int64_t>(table.coins) * table.hands;
  quiet.start();
}

bool SessionStanding::Ready() const {
  if (!placed || stretches.empty()) return false;
  const Stretch& s = stretches[current];
  return placed->table == s.table && placed->deals == s.deals && placed->net == s.net;
}

QString SessionStanding::Line() const {
  if (!Ready()) return {};
  return StandingLine(placed->shareBelow, placed->deals, placed->table, stretches.size() > 1);
}

void SessionStanding::Prepare() {
  quiet.stop();
  if (Ready()) {
    emit Known();
    return;
  }
  if (!working && !stretches.empty()) Start();
}

void SessionStanding::Start() {
  const Stretch& s = stretches[current];
  const auto found = deals.find(KeyOf(s.table));
  std::shared_ptr<const DealDistribution> known = found != deals.end() ? found->second : nullptr;
  working = true;
  TablesCache* cache = &tables;
  work.setFuture(QtConcurrent::run(&LongWorkPool(), [cache, s, known] {
    Placed p{s.table, s.deals, s.net, 0, known};
    const GameRules& rules = *s.table.rules;
    if (!p.deal)
      p.deal = std::make_shared<DealDistribution>(ComputeDealDistribution(
          cache->Wait(rules), s.table.pays, s.table.coins, s.table.hands, rules.deck));
    // Every stake and pay is a whole number of units.
    const std::int64_t unit = std::max(p.deal->unit, 1);
    p.shareBelow = ShareOfSessionsBelow(*p.deal, static_cast<int>(s.deals), s.net / unit);
    return p;
  }));
}

}  // namespace lynx
