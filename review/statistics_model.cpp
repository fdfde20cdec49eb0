#include "review/statistics_model.h"

#include <QFont>

#include "engine/paytable.h"
#include "review/review_look.h"

namespace lynx {
namespace {

const QString kComputing = QStringLiteral("computing…");
const QString kNone = QStringLiteral("—");

std::int64_t CoinsAtStakes(const std::array<std::int64_t, 5>& coinsByStake) {
  std::int64_t coins = 0;
  for (const std::int64_t c : coinsByStake) coins += c;
  return coins;
}

QVariant Alignment(int column) {
  return static_cast<int>((column == 0 ? Qt::AlignLeft : Qt::AlignRight) | Qt::AlignVCenter);
}

}  // namespace

double BestPlayCredits(const StakeReturns& best, const std::array<std::int64_t, 5>& coinsByStake) {
  double credits = 0;
  for (std::size_t s = 0; s < coinsByStake.size(); ++s)
    credits += static_cast<double>(coinsByStake[s]) * best[s].returnRatio;
  return credits;
}

double HandsAtStakes(const std::array<std::int64_t, 5>& coinsByStake) {
  double hands = 0;
  for (std::size_t s = 0; s < coinsByStake.size(); ++s)
    hands += static_cast<double>(coinsByStake[s]) / static_cast<double>(s + 1);
  return hands;
}

double BestPlayHandsInRow(const StakeReturns& best, const std::array<std::int64_t, 5>& coinsByStake,
                          int row) {
  double hands = 0;
  for (std::size_t s = 0; s < coinsByStake.size(); ++s) {
    const double probability =
        row < 0 ? best[s].noWinProbability : best[s].rowProbability[static_cast<std::size_t>(row)];
    hands += static_cast<double>(coinsByStake[s]) / static_cast<double>(s + 1) * probability;
  }
  return hands;
}

SummaryModel::SummaryModel(QObject* parent) : QAbstractTableModel(parent) {}

void SummaryModel::SetFigures(const std::array<GameStatistics, 4>& sums) {
  if (sums == figures) return;
  figures = sums;
  FiguresChanged(kHands, kBiggestWin);
}

void SummaryModel::SetOtherTables(std::int64_t coins, double bestCredits, bool complete) {
  if (coins == otherCoins && bestCredits == otherBest && complete == otherComplete) return;
  otherCoins = coins;
  otherBest = bestCredits;
  otherComplete = complete;
  FiguresChanged(kBestPlay, kBestPlay);
}

void SummaryModel::SetBestPlay(GameVariant game, const StakeReturns* figuresAtStakes) {
  if (game < kJacksOrBetter || game > kDeucesWild) return;
  auto& slot = best[static_cast<std::size_t>(game - 1)];
  if (figuresAtStakes == nullptr && !slot) return;
  if (figuresAtStakes == nullptr)
    slot.reset();
  else
    slot = *figuresAtStakes;
  FiguresChanged(kBestPlay, kBestPlay);
}

void SummaryModel::FiguresChanged(int firstColumn, int lastColumn) {
  emit dataChanged(index(0, firstColumn), index(kAllGamesRow, lastColumn));
}

int SummaryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kAllGamesRow + 1;
}

int SummaryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

// Best play on the stakes the player bet. A game nothing was bet on has no
// such figure; all games wait for every game that was played.
QString SummaryModel::BestPlayText(int row) const {
  double credits = 0;
  std::int64_t coins = 0;
  bool computing = false;
  for (int g = 0; g < 3; ++g) {
    if (row != kAllGamesRow && row != g) continue;
    const auto& stakes = figures[static_cast<std::size_t>(g)].coinsByStake;
    const std::int64_t bet = CoinsAtStakes(stakes);
    if (bet == 0) continue;
    coins += bet;
    const auto& known = best[static_cast<std::size_t>(g)];
    if (known)
      credits += BestPlayCredits(*known, stakes);
    else
      computing = true;
  }
  if (row == kAllGamesRow && otherCoins > 0) {
    if (!otherComplete) return kNone;
    coins += otherCoins;
    credits += otherBest;
  }
  if (coins == 0) return kNone;
  if (computing) return kComputing;
  return PercentText(credits, static_cast<double>(coins));
}

QVariant SummaryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  if (role == Qt::TextAlignmentRole) return Alignment(column);
  if (role == Qt::FontRole && row == kAllGamesRow) {
    QFont bold;
    bold.setBold(true);
    return bold;
  }
  if (role != Qt::DisplayRole) return {};
  const GameStatistics& f = figures[static_cast<std::size_t>(row)];
  switch (column) {
    case kGame:
      return row == kAllGamesRow ? QStringLiteral("All games") : GameTitleText(kMachineGames[row]);
    case kHands:
      return QString::number(f.hands);
    case kBet:
      return QString::number(f.coinsBet);
    case kWon:
      return QString::number(f.won);
    case kReturn:
      return PercentText(static_cast<double>(f.won), static_cast<double>(f.coinsBet));
    case kBestPlay:
      return BestPlayText(row);
    case kBiggestWin:
      return QString::number(f.biggestWin);
    default:
      return {};
  }
}

QVariant SummaryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::ToolTipRole && section == kBestPlay)
    return QStringLiteral(
        "The return with the best hold on every deal, worked out for each stake and weighed by "
        "the coins you bet at each");
  if (role != Qt::DisplayRole) return {};
  static const QString kTitles[kColumnCount] = {
      QStringLiteral("Game"),       QStringLiteral("Hands"),  QStringLiteral("Coins bet"),
      QStringLiteral("Won"),        QStringLiteral("Return"), QStringLiteral("Best play"),
      QStringLiteral("Biggest win")};
  return section >= 0 && section < kColumnCount ? kTitles[section] : QVariant();
}

PayRowsModel::PayRowsModel(GameVariant game, QObject* parent)
    : QAbstractTableModel(parent), game(game), payRows(PayTableFor(game).rowCount) {}

void PayRowsModel::SetFigures(const GameStatistics& sums) {
  if (sums == figures) return;
  figures = sums;
  emit dataChanged(index(0, kRowCount), index(payRows, kRowBestPlay));
}

void PayRowsModel::SetBestPlay(const StakeReturns* figuresAtStakes) {
  if (figuresAtStakes == nullptr && !best) return;
  if (figuresAtStakes == nullptr)
    best.reset();
  else
    best = *figuresAtStakes;
  emit dataChanged(index(0, kRowBestPlay), index(payRows, kRowBestPlay));
}

int PayRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : payRows + 1;
}

int PayRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QString PayRowsModel::Text(int row, int column) const {
  const int payRow = row < payRows ? row : -1;
  if (column == kRowName) return RowText(game, payRow);
  if (column == kRowBestPlay) {
    const double hands = HandsAtStakes(figures.coinsByStake);
    if (hands == 0) return kNone;
    if (!best) return kComputing;
    return ProbabilityText(BestPlayHandsInRow(*best, figures.coinsByStake, payRow) / hands);
  }
  std::int64_t count = figures.hands;
  if (payRow >= 0) {
    count = figures.rowCounts[static_cast<std::size_t>(payRow)];
  } else {
    for (int r = 0; r < payRows; ++r) count -= figures.rowCounts[static_cast<std::size_t>(r)];
  }
  if (column == kRowCount) return QString::number(count);
  return PercentText(static_cast<double>(count), static_cast<double>(figures.hands));
}

QVariant PayRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::TextAlignmentRole) return Alignment(index.column());
  if (role != Qt::DisplayRole) return {};
  return Text(index.row(), index.column());
}

QVariant PayRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal) return {};
  if (role == Qt::ToolTipRole && section == kRowBestPlay)
    return QStringLiteral(
        "How often the hand comes up with the best hold on every deal, worked out for each "
        "stake and weighed by the hands you played at each");
  if (role != Qt::DisplayRole) return {};
  static const QString kTitles[kColumnCount] = {QStringLiteral("Hand"), QStringLiteral("Count"),
                                                QStringLiteral("Of hands"),
                                                QStringLiteral("With best play")};
  return section >= 0 && section < kColumnCount ? kTitles[section] : QVariant();
}

}  // namespace lynx
