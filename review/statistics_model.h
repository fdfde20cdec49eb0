#pragma once
// The Statistics window's tables as models: the summary (a row per game, then
// all games) and each game's pay rows. The window hands them the sums the
// store keeps and the best-play figures; a view then redraws its cells in
// place. Nothing here reads the history.

#include <QAbstractTableModel>
#include <array>
#include <cstdint>
#include <optional>

#include "engine/card.h"
#include "platform/history_store.h"
#include "review/best_play_cache.h"

namespace lynx {

// Credits best play returns on the coins bet at each stake (coinsByStake as
// GameStatistics keeps it): each stake's return times the coins bet at it.
double BestPlayCredits(const StakeReturns& best, const std::array<std::int64_t, 5>& coinsByStake);

// Hands played at each stake, as coinsByStake tells them (coins / stake).
double HandsAtStakes(const std::array<std::int64_t, 5>& coinsByStake);

// How many of those hands best play would end in pay row row (or in no win
// for -1): each stake's probability of it times the hands played at it.
double BestPlayHandsInRow(const StakeReturns& best, const std::array<std::int64_t, 5>& coinsByStake,
                          int row);

class SummaryModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kGame, kHands, kBet, kWon, kReturn, kBestPlay, kBiggestWin, kColumnCount };
  // Rows 0..2 are the games 1..3.
  static constexpr int kAllGamesRow = 3;

  explicit SummaryModel(QObject* parent = nullptr);

  // The sums of the three games, then of all games.
  void SetFigures(const std::array<GameStatistics, 4>& figures);
  // Best play in game 1..3 at every stake, or nothing while it is worked out.
  void SetBestPlay(GameVariant game, const StakeReturns* best);
  // The trainer's tables in all games: the coins bet on them and the credits
  // best play returns on those coins; complete false when the coach did not
  // judge every hand of them (all games then has no best-play figure).
  void SetOtherTables(std::int64_t coins, double bestCredits, bool complete);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QString BestPlayText(int row) const;
  void FiguresChanged(int firstColumn, int lastColumn);

  std::array<GameStatistics, 4> figures{};
  std::array<std::optional<StakeReturns>, 3> best;  // index game - 1
  std::int64_t otherCoins = 0;
  double otherBest = 0;
  bool otherComplete = true;
};

class PayRowsModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { kRowName, kRowCount, kRowShare, kRowBestPlay, kColumnCount };

  // Rows: the pay rows of game 1..3, then "No win".
  explicit PayRowsModel(GameVariant game, QObject* parent = nullptr);

  void SetFigures(const GameStatistics& figures);
  // Best play at every stake, or nothing while it is worked out.
  void SetBestPlay(const StakeReturns* best);

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;

 private:
  QString Text(int row, int column) const;

  GameVariant game;
  int payRows = 0;
  GameStatistics figures;
  std::optional<StakeReturns> best;
};

}  // namespace lynx
