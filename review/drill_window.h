#pragma once
// The mistake drill: the hands the player last held worse than best play,
// dealt again one after another as practice (paying nothing, kept in the
// history as demonstration hands). For each, the player holds and draws, and
// the window says whether the new hold was a best one.

#include <QElapsedTimer>
#include <QWidget>
#include <functional>
#include <vector>

#include "coach/chart_cache.h"
#include "coach/tables_cache.h"
#include "engine/deck.h"
#include "engine/random_source.h"
#include "platform/history_store.h"

class QLabel;
class QPushButton;

namespace lynx {

class DrillWindow final : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHands = 50;

  // credits gives the credit meter now, kept with each practice hand. Every
  // reference must outlive the window. A top-level window even with a parent.
  DrillWindow(HistoryStore& store, TablesCache& tables, UniformSource& random,
              std::function<int()> credits, QWidget* parent = nullptr);

  // Reads the mistakes again and deals the first of them.
  void Start();
  // Deals these hands instead (as DrillHands gives them: one row a
  // decision, oldest first), the first of them now.
  void StartWith(std::vector<GameRecord> oldestFirst);
  // Practice by chart line: fresh hands (never played: held 0, no time),
  // each with the chart line it falls on, lines[i] for fresh[i].
  void StartLines(std::vector<GameRecord> fresh, std::vector<QString> lines);
  // Hands in this drill, the one shown (0-based), and how many were held right.
  int HandCount() const { return static_cast<int>(hands.size()); }
  int Current() const { return current; }
  int Right() const { return right; }
  // Toggles the hold of card 0..4 while a hand waits for its draw.
  void ToggleHold(int card);
  // Draw, or on to the next hand once drawn (Enter does the same).
  void Advance();
  unsigned Held() const { return held; }
  const Hand& Dealt() const { return dealt; }
  QLabel* Verdict() const { return verdict; }
  QLabel* Caption() const { return caption; }
  QLabel* Cards() const { return cards; }
  // The coach's charts, whose line for each hand the verdict names; must
  // outlive the window.
  void UseCharts(ChartCache* cache) { charts = cache; }
  QLabel* DealtCards() const { return dealtCards; }
  QPushButton* AdvanceButton() const { return advanceButton; }

 signals:
  // A practice hand was kept in the history.
  void Practised();
  // A hand of line practice was drawn: its line, whether the hold was a
  // best one, and the time from the deal to the draw.
  void LineDecided(QString line, bool right, qint64 milliseconds);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Phase { kNone, kHolding, kDrawn, kDone };

  void Begin(std::vector<GameRecord> dealtAgain, std::vector<QString> lines);
  void Deal();
  void Draw();
  void ShowCards();
  void ShowDealtCards(GameVariant game);

  HistoryStore& store;
  TablesCache& tables;
  UniformSource& random;
  std::function<int()> credits;

  std::vector<GameRecord> hands;  // oldest first
  std::vector<QString> lineOf;    // line practice: each hand's chart line; else empty
  QElapsedTimer thinking;         // since the hand was dealt
  int current = 0;
  int right = 0;
  Phase phase = Phase::kNone;
  Hand dealt{};
  Hand final{};
  Deck deck;
  unsigned held = 0;
  unsigned best = 0;  // the first best hold, once drawn

  QLabel* caption = nullptr;
  QLabel* cards = nullptr;
  // After the draw, the hand as dealt above it: the hold played framed, the
  // best hold tagged.
  QLabel* dealtCards = nullptr;
  ChartCache* charts = nullptr;
  QLabel* verdict = nullptr;
  QPushButton* advanceButton = nullptr;
};

}  // namespace lynx
