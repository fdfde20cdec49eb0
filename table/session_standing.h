#pragma once
// Where a trainer session stands among every session of its length: the
// share of sessions of as many deals, on the same game, pays, coins a hand
// and hands a deal, that end worse than it did. Worked out in the
// background from the exact distribution of one deal; the summary said on
// leaving the trainer gives it in one line.
//
// A session that changed game, pays, coins or hands is placed by the deals
// of the table it played last (the deals of that table, wherever they fell
// in the session), and the line says which table that was.

#include <QFutureWatcher>
#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/pays.h"
#include "engine/risk.h"

namespace lynx {

class TablesCache;

// A game, its pays, the coins a hand and the hands a deal: what sessions
// are compared on.
struct StandingTable {
  const GameRules* rules = nullptr;
  std::string table;  // its name as the trainer shows it ("9/6", "custom")
  Pays pays;
  int coins = 1;
  int hands = 1;
  bool operator==(const StandingTable& other) const;
};

// "Better than 64% of sessions of this length." for a session that played
// one table; with several, the line names the last (mixed) and its deals.
// shareBelow is rounded to a whole percent, but never up to 100% when some
// sessions did at least as well.
QString StandingLine(double shareBelow, std::int64_t deals, const StandingTable& table, bool mixed);

class SessionStanding final : public QObject {
  Q_OBJECT
 public:
  // How long after a deal, with no other deal meanwhile, the line is worked
  // out ahead of the summary.
  static constexpr int kQuietMs = 1500;

  // tables must outlive this.
  explicit SessionStanding(TablesCache& tables, QObject* parent = nullptr);
  // Waits for work still running (it reads the tables).
  ~SessionStanding() override;

  // A deal settled on table: what its hands won in all, in credits (the
  // stake, coins times hands, was paid at the deal).
  void AddDeal(const StandingTable& table, std::int64_t won);
  // Starts working out the line for the deals so far, unless it is known or
  // being worked out; Known follows once it is.
  void Prepare();
  // Whether the line for the deals so far is known.
  bool Ready() const;
  // That line; empty before it is known and when there were no deals.
  QString Line() const;

 signals:
  void Known();

 private:
  struct Stretch {
    StandingTable table;
    std::int64_t deals = 0;
    std::int64_t net = 0;  // credits won less the stakes
  };
  struct Placed {
    StandingTable table;
    std::int64_t deals = 0;
    std::int64_t net = 0;
    double shareBelow = 0;
    std::shared_ptr<const DealDistribution> deal;
  };
  static std::string KeyOf(const StandingTable& table);
  void Start();

  TablesCache& tables;
  std::vector<Stretch> stretches;  // one per table played, in the order first played
  std::size_t current = 0;         // the table of the last deal
  std::map<std::string, std::shared_ptr<const DealDistribution>> deals;  // by KeyOf
  std::optional<Placed> placed;                                          // the last line worked out
  QFutureWatcher<Placed> work;
  bool working = false;  // from the start of the work until its result is kept
  QTimer quiet;
};

}  // namespace lynx
