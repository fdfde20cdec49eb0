#include "review/history_model.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <algorithm>

#include "cards/card_painter.h"
#include "cards/card_sheet.h"  // the card sizes
#include "engine/game_rules.h"
#include "engine/hold_mask.h"
#include "look/look.h"
#include "look/widget_look.h"
#include "review/review_look.h"

namespace lynx {
namespace {

// Every card of a strip covers the one before it but for its left 30 pixels,
// so the rank and suit in its corner stay readable. Held cards stand raised
// under a yellow bar.
constexpr int kFanStep = 30;
constexpr int kStripWidth = 4 * kFanStep + kCardWidth;
constexpr int kStripHeight = 60;
constexpr int kHeldBar = 3;    // height of the yellow bar over a held card
constexpr int kHeldTop = 5;    // top of a held card
constexpr int kDrawnTop = 12;  // top of a card that was drawn to

QImage StripImage(const Hand& cards, GameVariant game, int held) {
  QImage strip(kStripWidth, kStripHeight, QImage::Format_RGB32);
  strip.fill(kTableBlue);
  const HoldMask holds = HoldMask::FromBits(static_cast<unsigned>(held));
  for (int i = 0; i < 5; ++i) {
    const int x = i * kFanStep;
    DrawCardFace(strip, x, holds.Holds(i) ? kHeldTop : kDrawnTop,
                 cards[static_cast<std::size_t>(i)], game);
    if (holds.Holds(i)) {
      const int shown = i == 4 ? kCardWidth : kFanStep;
      QPainter(&strip).fillRect(x + 2, 0, shown - 4, kHeldBar, kTextYellow);
    }
  }
  return strip;
}

// The same cards whether the row is picked or not (the style would tint
// them), never smoothed on a scaled screen.
QIcon CardsIcon(const QImage& strip) {
  const QPixmap pixmap = ScreenPixmap(strip);
  QIcon icon;
  icon.addPixmap(pixmap, QIcon::Normal);
  icon.addPixmap(pixmap, QIcon::Selected);
  icon.addPixmap(pixmap, QIcon::Active);
  return icon;
}

}  // namespace

QString PlayedAtText(const QDateTime& utc) {
  return utc.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString GameCellText(const GameRecord& game) {
  if (game.damaged) return QStringLiteral("Damaged record");
  QString text = GameTitleText(game.game);
  const GameRules* rules =
      game.libraryGame.isEmpty() ? nullptr : FindGame(game.libraryGame.toStdString());
  if (rules != nullptr) {
    // A game of the trainer: its own title, its table and the hands dealt.
    text = QString::fromUtf8(rules->title.data(), static_cast<qsizetype>(rules->title.size())) +
           QLatin1Char(' ') + game.payTable;
    if (game.hands > 1) text += QStringLiteral(", %1 hands").arg(game.hands);
  }
  if (game.practice)
    text += QStringLiteral(" (practice)");
  else if (game.demo)
    text += QStringLiteral(" (demo)");
  return text;
}

QString HandRowText(const GameRecord& game) {
  const GameRules* rules =
      game.libraryGame.isEmpty() ? nullptr : FindGame(game.libraryGame.toStdString());
  if (rules == nullptr) return RowText(game.game, game.row);
  if (game.row < 0 || game.row >= rules->rowCount) return QStringLiteral("No win");
  const std::string_view caption = rules->rows[static_cast<std::size_t>(game.row)].caption;
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

QString DamagedRecordText() {
  return QStringLiteral(
      "This row of the history file is no game this program could have played: it is left out "
      "of the statistics and the drill.");
}

QSize HistoryModel::StripSize() {
  return {kStripWidth, kStripHeight};
}

HistoryModel::HistoryModel(HistoryStore& store, QObject* parent)
    : QAbstractTableModel(parent), store(store) {
  Reload();
}

void HistoryModel::Reload() {
  beginResetModel();
  count = store.GameCount();
  const std::vector<GameRecord> page = store.Games(0, kPageSize);
  games.assign(page.begin(), page.end());
  // A new file numbers its games from 1 again.
  strips.clear();
  endResetModel();
}

void HistoryModel::Update() {
  const std::int64_t now = store.GameCount();
  if (now == count) return;
  const std::int64_t added = now - count;
  if (games.empty() || added < 0 || added > kPageSize) {
    Reload();
    return;
  }
  // The game after the new ones must be the newest one held, else the
  // history is no longer the one read.
  std::vector<GameRecord> fresh = store.Games(0, static_cast<int>(added) + 1);
  if (static_cast<std::int64_t>(fresh.size()) != added + 1 || fresh.back() != games.front()) {
    Reload();
    return;
  }
  fresh.pop_back();
  beginInsertRows({}, 0, static_cast<int>(added) - 1);
  games.insert(games.begin(), fresh.begin(), fresh.end());
  count = now;
  endInsertRows();
}

bool HistoryModel::canFetchMore(const QModelIndex& parent) const {
  return !parent.isValid() && static_cast<std::int64_t>(games.size()) < count;
}

void HistoryModel::fetchMore(const QModelIndex& parent) {
  if (parent.isValid()) return;
  // Games kept since the last read would shift the pages by as many.
  if (store.GameCount() != count) Update();
  const auto held = static_cast<std::int64_t>(games.size());
  const std::vector<GameRecord> page = store.Games(held, kPageSize);
  if (page.empty()) {
    count = held;  // the history is shorter than it was counted
    return;
  }
  beginInsertRows({}, static_cast<int>(held),
                  static_cast<int>(held) + static_cast<int>(page.size()) - 1);
  games.insert(games.end(), page.begin(), page.end());
  endInsertRows();
}

int HistoryModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(games.size());
}

int HistoryModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : kColumnCount;
}

QIcon HistoryModel::Strip(const GameRecord& game, bool afterDraw) const {
  const std::int64_t key = game.id * 2 + (afterDraw ? 1 : 0);
  if (const QIcon* kept = strips.object(key)) return *kept;
  ++painted;
  const QIcon icon = CardsIcon(afterDraw ? StripImage(game.final, game.game, 0)
                                         : StripImage(game.dealt, game.game, game.held));
  strips.insert(key, new QIcon(icon));
  return icon;
}

QString HistoryModel::SpokenCards(const Hand& hand, int held) {
  QStringList names;
  const HoldMask holds = HoldMask::FromBits(held >= 0 ? static_cast<unsigned>(held) : 0u);
  for (int i = 0; i < 5; ++i) {
    QString name = CardName(hand[static_cast<std::size_t>(i)]);
    if (holds.Holds(i)) name += QStringLiteral(" (held)");
    names << name;
  }
  return names.join(QStringLiteral(", "));
}

QVariant HistoryModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const GameRecord& game = Game(index.row());
  const int column = index.column();
  const bool cards = column == kDealt || column == kFinal || column == kHand;
  switch (role) {
    case Qt::DisplayRole:
      switch (column) {
        case kGame:
          return GameCellText(game);
        case kPlayed:
          return PlayedAtText(game.playedAt);
        case kBet:
          return QString::number(game.coins);
        case kHand:
          return game.damaged ? QStringLiteral("—") : HandRowText(game);
        case kWon:
          return QString::number(game.won);
        default:
          // Its cards may be no cards at all: none are painted.
          return game.damaged ? QVariant(QStringLiteral("—")) : QVariant();
      }
    case Qt::DecorationRole:
      if (game.damaged || (column != kDealt && column != kFinal)) return {};
      return Strip(game, column == kFinal);
    case Qt::AccessibleTextRole:
      // The cards a strip shows, by name.
      if (game.damaged || (column != kDealt && column != kFinal)) return {};
      return column == kDealt ? SpokenCards(game.dealt, game.held) : SpokenCards(game.final);
    case Qt::TextAlignmentRole: {
      Qt::Alignment alignment = Qt::AlignLeft;
      if (column == kBet || column == kWon) alignment = Qt::AlignRight;
      if (game.damaged && cards) alignment = Qt::AlignHCenter;
      return static_cast<int>(alignment | Qt::AlignVCenter);
    }
    case Qt::ToolTipRole:
      if (game.damaged && (cards || column == kGame)) return DamagedRecordText();
      if (column == kDealt)
        return QStringLiteral("Dealt; the held cards stand raised under a yellow bar");
      return {};
    default:
      return {};
  }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const QString kTitles[kColumnCount] = {
      QStringLiteral("Game"),  QStringLiteral("Played"),         QStringLiteral("Bet"),
      QStringLiteral("Dealt"), QStringLiteral("After the draw"), QStringLiteral("Hand"),
      QStringLiteral("Won")};
  return section >= 0 && section < kColumnCount ? kTitles[section] : QVariant();
}

}  // namespace lynx
