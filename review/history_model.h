#pragma once
// The games of the history as a table model: newest first, read from the
// store a page at a time as a view scrolls down to them, with the games kept
// since put in at the top. The card strips of a row are painted when a view
// first asks for them (the rows it shows) and kept for the rows seen lately,
// so nothing here grows with the length of the history.

#include <QAbstractTableModel>
#include <QCache>
#include <QIcon>
#include <QSize>
#include <cstdint>
#include <deque>

#include "platform/history_store.h"

namespace lynx {

// When a game was played, in local time: "2024-03-05 13:02:00".
QString PlayedAtText(const QDateTime& utc);
// The game's title, marked "(demo)" or "(practice)"; "Damaged record" for a
// row that is no game (it may name no game, or one its cards are not of).
QString GameCellText(const GameRecord& game);
// The pay row a game ended on, by its own game's caption (a game of the
// library has its own rows); "No win" for none.
QString HandRowText(const GameRecord& game);
// Why a damaged row shows no cards.
QString DamagedRecordText();

class HistoryModel final : public QAbstractTableModel {
  Q_OBJECT
 public:
  static constexpr int kPageSize = 100;
  // Strips kept painted: a few screens of rows.
  static constexpr int kStripsKept = 400;
  // The cards of a hand as a screen reader says them, "King of Spades
  // (held), Two of Hearts, ..."; held: bit i marks card i held, -1 for none
  // to tell.
  static QString SpokenCards(const Hand& hand, int held = -1);

  enum Column { kGame, kPlayed, kBet, kDealt, kFinal, kHand, kWon, kColumnCount };

  // A hand in the Dealt and After the draw columns, in pixels: a fan of
  // full-size cards cut off below their middle.
  static QSize StripSize();

  // store must outlive the model. Reads the first page.
  explicit HistoryModel(HistoryStore& store, QObject* parent = nullptr);

  // The game on row 0..rowCount()-1 (0 the newest).
  const GameRecord& Game(int row) const { return games[static_cast<std::size_t>(row)]; }
  // The games in the history when the store was last asked.
  std::int64_t Count() const { return count; }
  // Puts the games kept since the last read in at the top (rows inserted).
  // When the history changed otherwise (a new file, games gone, more new
  // games than a page), reads the first page again (the model is reset).
  void Update();
  // Strips painted since the model was made.
  int StripsPainted() const { return painted; }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation,
                      int role = Qt::DisplayRole) const override;
  bool canFetchMore(const QModelIndex& parent) const override;
  // Reads the next older page.
  void fetchMore(const QModelIndex& parent) override;

 private:
  void Reload();
  QIcon Strip(const GameRecord& game, bool afterDraw) const;

  HistoryStore& store;
  std::deque<GameRecord> games;  // newest first, the first games.size() of the history
  std::int64_t count = 0;
  mutable QCache<std::int64_t, QIcon> strips{kStripsKept};  // key: id * 2 + afterDraw
  mutable int painted = 0;
};

}  // namespace lynx
