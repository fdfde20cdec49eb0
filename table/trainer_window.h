#pragma once
// The trainer table: any game of the library on any pay table, with one,
// three, five or ten hands, beside the designed machine. It has the
// machine's look (the blue table, the same cards, markers and picture
// buttons) and plays from the player's one credit meter; the play cycle is
// the trainer machine's, and this window only shows it.
//
// Keys: 1-5 hold, Return deals and draws, B bets a coin a hand, M bets the
// maximum, C adds credits, S turns the sound, H holds the best hold, K shows
// the coach beside the table (which warns once before a costly draw), A
// lists the value of every hold, G shows the strategy chart of the game,
// pays and stake, F the game's facts (its odds, variance and the bankroll
// it asks), N changes the number of hands, V the speed, P chooses the game
// and pay table, R and T show the history and the statistics, F1 the
// trainer's help, Shift+F10 or the Menu key a menu of all of these, Esc
// leaves (with the session's summary).

#include <QDialog>
#include <QFutureWatcher>
#include <QImage>
#include <QPixmap>
#include <QPointer>
#include <QSize>
#include <array>
#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "coach/coach.h"
#include "coach/draw_warning.h"
#include "coach/session_tally.h"
#include "coach/tables_cache.h"
#include "common/program_values.h"
#include "engine/strategy_chart.h"
#include "machine/trainer_machine.h"
#include "platform/history_store.h"
#include "platform/services.h"
#include "table/card_row.h"
#include "table/chart_window.h"
#include "table/game_records.h"
#include "table/meter_line.h"
#include "table/pay_editor.h"
#include "table/pay_table_view.h"
#include "table/session_standing.h"
#include "table/table_sounds.h"

class QLabel;
class QTableWidget;

namespace lynx {

class ClassicLabel;
class PictureButton;

// How fast cards turn over.
enum class TrainerSpeed {
  kDesigned,  // a card sound for every card, as the machine deals
  kFast,      // one card sound for each hand
  kInstant,   // no pause at all
};

// "designed", "fast", "instant": the settings file's words, and back; an
// unknown word is the designed speed.
const char* SpeedWord(TrainerSpeed speed);
TrainerSpeed SpeedFromWord(const QString& word);

// What the player did at the trainer this visit, for the summary on leaving.
using TrainerSession = SessionTally;

// The summary said on leaving: hands, coins bet and won, the return, what
// the holds were worth against best play with the mistakes and their cost,
// and the line placing the session among sessions of its length (standing,
// left out when empty).
QString SessionSummaryText(const TrainerSession& session, const QString& standing = QString());

// How the extra hands stand in their area of the table: in columns and
// rows, the cards of a hand step pixels apart (fanned where that is less than
// a card's width), and cardHeight pixels of each card shown. No columns where
// the area has no room for a readable hand.
struct ExtraHandsLayout {
  int columns = 0;
  int rows = 0;
  int step = 0;
  int cardHeight = 0;
};
ExtraHandsLayout LayOutExtraHands(int extraHands, QSize area);

class TrainerWindow final : public QDialog {
  Q_OBJECT
 public:
  // The trainer's topic in the help document.
  static constexpr int kHelpTopic = 41010;

  // Plays choice from values' credits; values, services and tables must
  // outlive the window.
  TrainerWindow(ProgramValues& values, Services& services, TablesCache& tables,
                const TrainerChoice& choice, QWidget* parent = nullptr);
  ~TrainerWindow() override;

  TrainerMachine& Model() { return machine; }
  const TrainerSession& Session() const { return session; }
  // Where the session stands among sessions of its length (the summary's
  // last line), worked out in the background.
  const SessionStanding& Standing() const { return standing; }
  TrainerSpeed Speed() const { return speed; }
  const TrainerChoice& Choice() const { return choice; }
  // The judgement of the hand dealt (or last drawn) once the tables are
  // built; null before.
  const HandJudgement* Judgement() const { return judgement ? &*judgement : nullptr; }
  // The picture of the window's surface as the player sees it.
  const QImage& Surface() const { return surface; }
  QString MessageText() const;
  // The caption under hand index after a draw: its row and win, empty for
  // none; 0 is the dealt row, 1 .. hands - 1 the extra hands.
  QString HandCaption(int index) const;
  // Screen pixels to each pixel of the table, each way: the largest whole
  // factor, up to the screen's, at which the table fits the work area.
  int PixelFactor() const { return pixelFactor; }

  // The player's operations, as the buttons and keys run them.
  void DealOrDraw();
  void BetOne();
  void BetMax();
  void ToggleHold(int index);
  void Hint();
  void AddCredits();
  void NextHandCount();
  void NextSpeed();
  // The coach beside the table (K); kept in the settings.
  void ShowCoach(bool shown);
  bool CoachShown() const { return coachShown; }
  QString CoachText() const;
  // A warning holds the draw back for the hand on the table.
  bool Warning() const { return drawWarning.Standing(); }
  // Every hold of the hand on the table with its value (A).
  void ShowAllHolds();
  QTableWidget* AllHolds() const { return allHolds; }
  // The strategy chart of the game, pays and stake on the table (G), worked
  // out in the background the first time.
  void ShowChart();
  StrategyChartWindow* Chart() const { return chartWindow; }
  // The coins a hand of the table: those bet, else the last deal's, else five.
  int StakeCoins() const;
  // Another game or pay table, or hand count; between deals only (says why
  // not otherwise). Returns whether it was taken.
  bool Choose(const TrainerChoice& next);
  // The trainer's help topic (F1), beside the table.
  void ShowHelp();
  // The menu of the trainer's actions (Shift+F10, the Menu key): each entry
  // runs what its key runs, once the menu has closed.
  void ShowActionsMenu(const QPoint& globalPos);
  // Takes back a hand left dealt at the trainer (journaled before the
  // program ended), on its own game, pay table and hand count.
  bool ResumeHand(const TrainerHandInProgress& hand);

  // The table's keys (windows beside it hand these on).
  static bool OwnKey(const QKeyEvent& event);

 signals:
  // After a deal and every change of holds: the journal keeps it.
  void HandChanged(const TrainerHandInProgress& hand);
  // A deal drawn and paid, before the player sees the result: one row per
  // hand, in order, each with the balance after its own pay.
  void GamesSettled(const std::vector<GameRecord>& rows);
  // P or the Game button: the player wants another game or pay table.
  void SetupRequested();
  // The Credits button or C added credits to the meter.
  void CreditsAdded();
  // R and T: the game history and the statistics.
  void HistoryRequested();
  void StatisticsRequested();
  // F: the facts of the game, pays, coins and hands on the table.
  void GameFactsRequested();

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void reject() override;

 private:
  void CreateControls();
  void CreateChoiceLines();
  void CreateCoach();
  void LayOut();
  void PlaceExtraHands(int markersTop);
  void WritePayTable();
  void LightColumn(int coins);
  void LightRows(const std::vector<int>& rows);
  void WriteMeter();
  void ShowHolds();
  void Refuse(Refusal refusal);
  void Deal();
  void Draw();
  // Holds the draw back where the coach warns of it first.
  bool CoachHoldsDrawBack();
  void RevealDraw(const TrainerSettlement& settled);
  void ShowDrawResult(const TrainerSettlement& settled);
  void Judge();
  void Pause();
  void WriteCoach();
  void FillChart();
  std::string ChartKey(int coins) const;
  QString GameAndTable() const;
  void Redraw();
  void FillAllHolds();
  void SaveSettings();
  TrainerSettlement Settle();
  // Says the summary (with where the session stands, once known) and closes.
  void FinishLeaving();

  // The table is laid out in its own pixels; Logical gives the window's.
  int Logical(int length) const;
  QRect Logical(const QRect& design) const;
  int CoachWidth() const;
  QRect DealtCardRect(int index) const;
  int ExtraHandWidth() const;
  int ExtraRowHeight() const;
  QRect ExtraHandRect(int hand) const;
  QRect CaptionRect(int hand) const;
  void PaintDealtCard(int index, CardCode code, bool back);
  void RevealDealtRow(const Hand& cards, HoldMask kept);
  void PaintMiniHand(int hand, const Hand& cards, const std::array<bool, 5>& faceUp);
  void PaintCaption(int hand, const QString& text, bool win);
  void ClearSurface();

  ProgramValues& values;
  Services& services;
  TablesCache& tables;
  TrainerChoice choice;
  TrainerMachine machine;
  TableSounds sounds;
  TrainerSpeed speed = TrainerSpeed::kDesigned;
  TrainerSession session;
  SessionStanding standing;
  // Esc was pressed and the summary waits for where the session stands; no
  // play meanwhile, and Esc again leaves at once.
  bool leaving = false;
  std::optional<HandJudgement> judgement;
  std::optional<TrainerSettlement> last;
  std::vector<QString> captions;  // under each hand after a draw, the dealt row first

  QImage surface;
  int pixelFactor = 1;  // screen pixels to a pixel of the table
  double unit = 1;      // window pixels to a pixel of the table
  ExtraHandsLayout extras;
  int extraLeft = 0;  // where the extra hands start
  int extraTop = 0;
  int cardsTop = 0;   // the dealt row's cards
  int bottomTop = 0;  // the meter line

  PayTableView payTable;
  CardRow cardRow;
  std::unique_ptr<MeterLine> meter;
  std::vector<QWidget*> handSpots;  // the extra hands, for assistive technology
  std::array<ClassicLabel*, 6> header{};
  ClassicLabel* message = nullptr;
  ClassicLabel* gameLine = nullptr;
  ClassicLabel* handsButton = nullptr;
  ClassicLabel* speedButton = nullptr;
  ClassicLabel* gameButton = nullptr;
  PictureButton* dealButton = nullptr;
  bool busy = false;  // a deal or draw is turning cards
  bool coachShown = false;
  QString settingProblemTold;  // the last reason a setting was not saved
  DrawWarning drawWarning;     // the draw held back once for each costly hold of a deal
  QString lastDraw;            // the coach's word on the last draw
  QLabel* coach = nullptr;
  QWidget* allHoldsWindow = nullptr;
  bool allHoldsSized = false;
  QPointer<StrategyChartWindow> chartWindow;
  std::map<std::string, StrategyChart> charts;  // by game, pays and stake
  QFutureWatcher<StrategyChart> chartWork;
  std::string chartWorkKey;
  std::atomic<bool> chartStop{false};
  QTableWidget* allHolds = nullptr;
};

}  // namespace lynx
