#include "review/error_log.h"

#include <QTimeZone>
#include <algorithm>
#include <map>
#include <tuple>

#include "review/drill_deals.h"

namespace lynx {

namespace {

const QString kUnknownLine = QStringLiteral("(not yet known)");

// "custom 250/50/25 (4000)" and the like hold commas nowhere, but a CSV
// field is quoted whenever it could hold one.
QString Quoted(const QString& field) {
  if (!field.contains(',') && !field.contains('"') && !field.contains('\n')) return field;
  QString q = field;
  q.replace('"', "\"\"");
  return '"' + q + '"';
}

// A card as the analyser writes it: "AS", "TH", "JK". (The look's CardName
// is the spoken name, and the engine's written one cannot share a file with
// it.)
QString WrittenCard(CardCode code) {
  if (code == kJoker) return QStringLiteral("JK");
  if (code < 1 || code > 52) return QStringLiteral("??");
  return QString(QLatin1Char("A23456789TJQK"[Rank(code) - 1])) +
         QLatin1Char("CHDS"[SuitIndex(code)]);
}

QString BestHoldsWords(const GameRecord& g) {
  QStringList words;
  for (const QString& mask : g.bestHolds.split(',', Qt::SkipEmptyParts)) {
    bool ok = false;
    const unsigned m = mask.toUInt(&ok);
    if (ok && m < 32) words << (m == 0 ? QStringLiteral("nothing") : HandWords(g.dealt, m));
  }
  return words.join(QStringLiteral(" | "));
}

}  // namespace

QString HandWords(const Hand& hand, unsigned mask) {
  QStringList words;
  for (std::size_t i = 0; i < 5; ++i)
    if ((mask >> i & 1u) != 0) words << WrittenCard(hand[i]);
  return words.join(' ');
}

std::vector<LoggedMistake> ReadMistakes(HistoryStore& store) {
  // DrillHands keeps one row per decision, oldest first, and only rows that
  // are games of this program.
  const std::vector<GameRecord> rows = DrillHands(store.Mistakes(std::numeric_limits<int>::max()));
  std::vector<LoggedMistake> out;
  out.reserve(rows.size());
  for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
    const auto played = PlayedOnOf(*it);
    if (!played) continue;
    LoggedMistake m;
    m.game = *it;
    m.rules = played->rules != nullptr ? played->rules : &MachineRules(it->game);
    m.pays = played->rules != nullptr ? played->pays : MachinePays(it->game);
    m.gameTitle = QString::fromUtf8(m.rules->title.data(), static_cast<int>(m.rules->title.size()));
    m.table = it->libraryGame.isEmpty() ? QStringLiteral("machine") : it->payTable;
    if (it->bestEv && it->heldEv)
      m.cost = (*it->bestEv - *it->heldEv) * std::max(1, it->hands);
    out.push_back(std::move(m));
  }
  return out;
}

ChartKey ChartKeyOf(const LoggedMistake& m) {
  ChartKey k;
  k.rules = m.rules;
  k.pays = m.pays;
  k.coins = m.game.coins;
  k.deck = m.game.libraryGame.isEmpty() ? JokerDeck::kMachine : m.rules->deck;
  return k;
}

bool ChartKey::Matches(const LoggedMistake& m) const {
  const ChartKey other = ChartKeyOf(m);
  return other.rules == rules && SameFamilyAndFigures(other.pays, pays) && other.coins == coins &&
         other.deck == deck;
}

std::vector<ChartKey> ChartKeys(const std::vector<LoggedMistake>& mistakes) {
  std::vector<ChartKey> keys;
  for (const LoggedMistake& m : mistakes)
    if (std::none_of(keys.begin(), keys.end(), [&](const ChartKey& k) { return k.Matches(m); }))
      keys.push_back(ChartKeyOf(m));
  return keys;
}

void SetChartLines(std::vector<LoggedMistake>& mistakes, const ChartKey& key,
                   const StrategyChart& chart) {
  if (chart.lines.empty()) return;
  for (LoggedMistake& m : mistakes) {
    if (!key.Matches(m)) continue;
    const ChartMatch match = MatchChart(chart, m.game.dealt);
    m.line = match.line;
    m.lineText = QString::fromStdString(match.text);
  }
}

std::vector<int> FilterMistakes(const std::vector<LoggedMistake>& mistakes,
                                const ErrorFilter& f) {
  std::vector<int> shown;
  for (std::size_t i = 0; i < mistakes.size(); ++i) {
    const LoggedMistake& m = mistakes[i];
    if (!f.gameTitle.isEmpty() && m.gameTitle != f.gameTitle) continue;
    if (!f.table.isEmpty() && m.table != f.table) continue;
    if (f.session != 0 && m.game.session != f.session) continue;
    if (f.from.isValid() || f.to.isValid()) {
      const QDate day = m.game.playedAt.toLocalTime().date();
      if (f.from.isValid() && day < f.from) continue;
      if (f.to.isValid() && day > f.to) continue;
    }
    if (!f.line.isEmpty() && m.lineText != f.line) continue;
    shown.push_back(static_cast<int>(i));
  }
  return shown;
}

std::vector<LineTotal> TotalsByLine(const std::vector<LoggedMistake>& mistakes,
                                    const std::vector<int>& shown) {
  std::map<QString, LineTotal> byLine;
  for (const int i : shown) {
    const LoggedMistake& m = mistakes[static_cast<std::size_t>(i)];
    const QString line = m.lineText.isEmpty() ? kUnknownLine : m.lineText;
    LineTotal& t = byLine[line];
    t.line = line;
    ++t.count;
    t.cost += m.cost;
  }
  std::vector<LineTotal> totals;
  for (auto& [line, t] : byLine) totals.push_back(t);
  std::sort(totals.begin(), totals.end(), [](const LineTotal& a, const LineTotal& b) {
    return std::tie(b.cost, b.count, a.line) < std::tie(a.cost, a.count, b.line);
  });
  return totals;
}

GameRecord FreshHand(const GameRecord& like, const Hand& dealt) {
  GameRecord g;
  g.game = like.game;
  g.coins = like.coins;
  g.libraryGame = like.libraryGame;
  g.payTable = like.payTable;
  g.session = like.session;
  g.hands = 1;
  g.dealt = dealt;
  g.final = dealt;
  return g;
}

QStringList CostliestLines(const std::vector<LineTotal>& totals, int count) {
  QStringList lines;
  for (const LineTotal& t : totals) {
    if (lines.size() >= count) break;
    if (t.line != kUnknownLine) lines << t.line;
  }
  return lines;
}

QString MistakesCsv(const std::vector<LoggedMistake>& mistakes, const std::vector<int>& shown) {
  QString csv = QStringLiteral(
      "played_at,game,table,coins,hands,dealt,held,best_holds,cost_credits,chart_line\n");
  for (const int i : shown) {
    const LoggedMistake& m = mistakes[static_cast<std::size_t>(i)];
    const GameRecord& g = m.game;
    const QStringList fields = {
        g.playedAt.toUTC().toString(Qt::ISODate),
        Quoted(m.gameTitle),
        Quoted(m.table),
        QString::number(g.coins),
        QString::number(g.hands),
        HandWords(g.dealt),
        g.held == 0 ? QStringLiteral("nothing") : HandWords(g.dealt, static_cast<unsigned>(g.held)),
        Quoted(BestHoldsWords(g)),
        QString::number(m.cost, 'f', 4),
        Quoted(m.lineText)};
    csv += fields.join(',') + '\n';
  }
  return csv;
}

}  // namespace lynx
