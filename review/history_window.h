#pragma once
// The history window: the games played, newest first, each with its dealt
// cards (the held ones marked), the cards after the draw, the hand and the
// win; older games are read as the list is scrolled down to them. The game
// picked in the list is shown at full size. A row the store reads back as
// damaged is listed as such, without cards. Non-modal: it may stay open
// beside the table.

#include <QImage>
#include <QPoint>
#include <QWidget>

#include "platform/history_store.h"
#include "review/history_model.h"

class QLabel;
class QModelIndex;
class QShowEvent;
class QTableView;

namespace lynx {

class HistoryWindow : public QWidget {
  Q_OBJECT
 public:
  // store must outlive the window. A top-level window even with a parent.
  explicit HistoryWindow(HistoryStore& store, QWidget* parent = nullptr);

  HistoryModel* Games() const { return games; }
  QTableView* List() const { return list; }
  // How many games there are.
  QLabel* CountLabel() const { return countLine; }
  QLabel* GameLabel() const { return gameLine; }

  // The full-size cards of the game picked in the list (Format_RGB32).
  const QImage& Detail() const { return detail; }
  // Top-left pixel on Detail() of card index 0..4, dealt or after the draw.
  static QPoint DetailCardOrigin(bool afterDraw, int index);

 public slots:
  // A game was kept: puts it at the top of the list now while the window is
  // shown, else when it is next shown. The game picked stays picked.
  void Refresh();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void CatchUp();
  void PickFirst();
  void ShowGame(const QModelIndex& current);

  HistoryModel* games = nullptr;
  HistoryStore& store;
  bool stale = false;  // a game was kept while the window was hidden

  QLabel* problem = nullptr;
  QTableView* list = nullptr;
  QLabel* gameLine = nullptr;
  QLabel* detailView = nullptr;
  QImage detail;
  QLabel* countLine = nullptr;
};

}  // namespace lynx
