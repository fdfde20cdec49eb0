#pragma once
// The history window: the games played, newest first, a hundred to a page,
// each with its dealt cards (the held ones marked), the cards after the draw,
// the hand and the win; the game picked in the list is shown at full size.
// A row the store reads back as damaged is listed as such, without cards.
// Non-modal: it may stay open beside the table.

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "platform/history_store.h"

class QLabel;
class QPushButton;
class QTableWidget;

namespace lynx {

class HistoryWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kPageSize = 100;
  // Columns of the list.
  enum Column { kGame, kPlayed, kBet, kDealt, kFinal, kHand, kWon, kColumnCount };

  // store must outlive the window. A top-level window even with a parent.
  explicit HistoryWindow(HistoryStore& store, QWidget* parent = nullptr);

  // The games on the page, as listed (newest first).
  const std::vector<GameRecord>& Page() const { return page; }
  // How many newer games come before the page.
  std::int64_t Offset() const { return offset; }

  // The full-size cards of the game picked in the list (Format_RGB32).
  const QImage& Detail() const { return detail; }
  // Top-left pixel on Detail() of card index 0..4, dealt or after the draw.
  static QPoint DetailCardOrigin(bool afterDraw, int index);

  QTableWidget* List() const { return list; }
  QLabel* RangeLabel() const { return range; }
  QLabel* GameLabel() const { return gameLine; }
  QPushButton* NewerButton() const { return newer; }
  QPushButton* OlderButton() const { return older; }

 public slots:
  // Reads the page again (a game was settled): the same page, newer games
  // pushing the older ones on. The game picked stays picked while it is on it.
  void Refresh();
  void ShowNewer();
  void ShowOlder();

 private:
  void Load(std::int64_t pickedId);
  void ShowGame(int listRow);
  QImage Strip(const Hand& cards, GameVariant game, int held);

  HistoryStore& store;
  std::vector<GameRecord> page;
  std::int64_t offset = 0;
  std::int64_t count = 0;

  QLabel* problem = nullptr;
  QTableWidget* list = nullptr;
  QLabel* gameLine = nullptr;
  QLabel* detailView = nullptr;
  QImage detail;
  QPushButton* newer = nullptr;
  QPushButton* older = nullptr;
  QLabel* range = nullptr;
};

}  // namespace lynx
