#pragma once
// The machine table window "LYNX": the pay table, five cards with their hold
// markers, the message, coins and credits lines and eight picture buttons.
// It is the view of one Machine (machine/machine.h) for one visit to the
// table: it paints, times the deal and draw, plays the sounds, lights the pay
// table and reads the keys; the machine decides every rule. The opener sets
// the caption, shows it with exec() and deletes it.

#include <QDialog>
#include <QImage>
#include <QKeyEvent>
#include <QPixmap>
#include <QRect>
#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

#include "common/program_values.h"
#include "engine/deck.h"
#include "engine/hold_mask.h"
#include "machine/machine.h"
#include "platform/history_store.h"
#include "platform/services.h"
#include "table/card_row.h"
#include "table/meter_line.h"
#include "table/pay_table_view.h"
#include "table/table_controls.h"
#include "table/table_sounds.h"

class QTimer;

namespace lynx {

// What a game on the table looks like from outside, for tests and tools.
struct TableState {
  Hand hand{};                 // card codes at positions 1..5 (index 0..4), 0 = no card
  std::array<bool, 5> held{};  // the hold flags of the current (or last) hand
  bool dealt = false;          // true while five cards wait for the draw
  int coinsIn = 0;             // coins bet on the coming game, 0..5
  int lastCoinsIn = 0;         // stake of the previous game
  int winRow = -1;             // pay-table row of the last evaluation, -1 for none
  int winAmount = 0;           // credits won by the last evaluation
  int demoCode = 0;            // code built from releases on the pay table
  int drawPos = 0;             // deck position of the last card taken
};

// A coach beside the table: the table asks it for the hint of the H key,
// before each draw, and for its figures on each settled game. Without one
// the H key does nothing and every draw goes ahead.
class TableAdvisor {
 public:
  virtual ~TableAdvisor() = default;
  // The holds the hint puts on the markers, or nothing when there is none to
  // give yet.
  virtual std::optional<HoldMask> HintFor(const HandInProgress& hand) = 0;
  // Draw was pressed on hand: false keeps it dealt (the player is warned).
  virtual bool AllowDraw(const HandInProgress& hand) = 0;
  // Adds what the advisor knows of a game about to be recorded.
  virtual void Appraise(GameRecord& game) = 0;
};

class TableWindow : public QDialog {
  Q_OBJECT
 public:
  // Loads the table for values.gameVariant and values.largeCards. Both
  // references must outlive the window.
  TableWindow(ProgramValues& values, Services& services, QWidget* parent = nullptr);
  ~TableWindow() override;

  // Operations of the machine. Each one asked for while a deal or draw is
  // running waits and runs after it, in the order asked.
  void DealOrDraw();           // Deal/Draw button, Enter, right click in the corner
  void ToggleHold(int index);  // index 0..4; only while a hand is dealt
  void BetOne();               // Bet $1 button and the B key
  void BetMax();               // Max Bet button
  void AddCredits();           // Credits button: 100 more credits
  void ToggleSound();          // Sound button
  void SwitchMode();           // Mode button: small <-> large cards
  void ShowHelp();             // Help button and F1
  void Quit();                 // Quit button, Esc and the window manager's close
  void Hint();                 // H: the hold markers go to the coach's best hold
  void ToggleCoach();          // K: the side panel shown or hidden

  // The menu of the table's actions, as Shift+F10 and the Menu key open it:
  // each entry runs what its key runs, once the menu has closed.
  void ShowActionsMenu(const QPoint& globalPos);

  // Lays the window out for values.largeCards and values.gameVariant.
  void ApplyTableLayout();

  // The advisor (may be null; not owned; must outlive its use here).
  void SetAdvisor(TableAdvisor* advisor) { this->advisor = advisor; }
  // Sets the hold markers to holds while a hand is dealt, as clicks on the
  // cards would.
  void SetHolds(HoldMask holds);
  // A widget shown to the right of the designed area, as high as it; the
  // table takes it over. While it is shown the window is wider by its width,
  // while hidden the window is exactly the designed size.
  void SetSidePanel(QWidget* panel);
  void ShowSidePanel(bool shown);
  bool SidePanelShown() const { return sidePanelShown; }
  // The designed client area: 550 x 390 with small cards, 780 x 570 with large.
  QSize DesignedSize() const;

  // Puts a hand that was left dealt back on the table, right after the window
  // is made: its cards, holds and stake (already paid), and the deck behind
  // it, so that the draw gives exactly the cards it would have given. A hand
  // of another game, or one whose cards are not the deck's first five, is
  // ignored (false).
  bool ResumeHand(const HandInProgress& hand);
  // The hand on the table as HandChanged reports it; meaningful while dealt.
  HandInProgress InProgress() const { return machine.InProgress(); }

  TableState State() const;
  // The drawing surface (Format_RGB32, the size of the client area).
  const QImage& Surface() const { return surface; }
  // Top-left pixel of card position index 0..4 in the current card size.
  QPoint CardOrigin(int index) const;
  // The large cards are set and the large table fits the screen's height (on
  // a scaled screen it may not: the table then keeps its small cards, and the
  // setting stays for a screen where they fit).
  // A key the table plays by (a plain letter or digit of its own, Return):
  // windows opened beside the table hand these to it.
  static bool OwnKey(const QKeyEvent& event);
  const ProgramValues& Values() const { return values; }
  bool LargeLayout() const { return values.largeCards == 1 && LargeFits(); }
  bool LargeFits() const;

  // Controls by their design names; arrays are indexed from 0.
  std::array<PictureButton*, 5> Image1{};  // hold markers
  std::array<QLabel*, 2> Image2{};         // hidden: Draw marker faces, small and large
  std::array<QLabel*, 2> Image3{};         // hidden: Hold marker faces, small and large
  QLabel* Image4 = nullptr;                // hidden: Draw button face
  PictureButton* Image5 = nullptr;         // Sound
  PictureButton* Image6 = nullptr;         // Help
  PictureButton* Image7 = nullptr;         // Quit
  PictureButton* Image8 = nullptr;         // Deal / Draw
  QLabel* Image9 = nullptr;                // hidden: Deal button face
  PictureButton* Image10 = nullptr;        // Bet $1
  PictureButton* Image11 = nullptr;        // Max Bet
  PictureButton* Image12 = nullptr;        // Credits
  PictureButton* Image13 = nullptr;        // Mode
  ClassicLabel* Mess = nullptr;            // message line
  std::array<ClassicLabel*, 2> Label1{};   // 0 coins line, 1 credits line
  std::array<ClassicLabel*, 11> Value{};   // hand names of rows 0..10
  std::array<ClassicLabel*, 11> Win1{};    // pay for 1 coin, rows 0..10
  std::array<ClassicLabel*, 11> Win2{};
  std::array<ClassicLabel*, 11> Win3{};
  std::array<ClassicLabel*, 11> Win4{};
  std::array<ClassicLabel*, 11> Win5{};
  std::array<ClassicLabel*, 6> Header{};   // "Coins In", "1".."5"
  std::array<ClassicLabel*, 6> Header2{};  // second heading row of the large layout
  QTimer* Timer2 = nullptr;                // 500 ms, blinks the message line

 signals:
  // A hand was dealt (its stake already taken from the credits) or its holds
  // changed.
  void HandChanged(const lynx::HandInProgress& hand);
  // A draw was evaluated and its win added to the credits; emitted before the
  // win is shown.
  void GameSettled(const lynx::GameRecord& game);
  // The Credits button added credits.
  void CreditsAdded();
  // The R and T keys: the game history and the statistics windows.
  void HistoryRequested();
  void StatisticsRequested();
  // The A key: the values of every hold of the hand on the table.
  void AnalysisRequested();
  // The G key: the strategy chart of the game and stake.
  void ChartRequested();
  // The K key showed (true) or hid the side panel.
  void SidePanelToggled(bool shown);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  // The Menu key: the actions menu. A right click stays the machine's own.
  void contextMenuEvent(QContextMenuEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void CreateControls();
  void CreatePayTable();
  void ConnectControls();
  void Load();
  void ShowDealOrDraw(bool draw);

  // Runs action now, or after the operation in progress when one is running.
  void Guarded(std::function<void()> action);
  void EndTurn();
  // Runs rest once what the play cycle wrote to the history is on disk: at
  // once, or from the event loop when the history syncs on a thread of its
  // own. Input waits meanwhile, as it does for a sound.
  void ThenOnDisk(std::function<void()> rest);
  void RunDeferred();

  void RunDealOrDraw();
  void Deal();
  void Draw();
  void RevealDeal(const DealOutcome& deal, int lastRow, int lastCoins, int coinsBefore);
  void ShowSettlement(const Settlement& settled);
  void RunBetOne();
  void RunBetMax();
  // Shows the markers of the machine's holds.
  void ShowHolds();
  // keepPlace: the window stays where it stands on screen (it is not about
  // to be centred), so the panel fits beside it only where the screen has
  // room to the right of the table.
  void FitSidePanel(bool keepPlace = false);
  void CentreInWorkArea();
  // The parts of ApplyTableLayout.
  void LayOutMeter(bool large);
  void LayOutPayTable(bool large);
  void LayOutMarkers();
  // Runs the keys 1..5, M, C, S, L, H, A and K; false for any other key.
  bool MachineKey(QKeyEvent* event);

  // Lights the pay column of coins 1..5.
  void HighlightCoinColumn(int coins);
  // Puts out the win of row paid for coins (the previous game).
  void ClearWinHighlight(int row, int coins);
  // Pay column for coins 1..5.
  std::array<ClassicLabel*, 11>& WinColumn(int coins);
  static void SetLit(ClassicLabel* cell, bool lit);

  void WriteCreditsLine();
  void WriteCoinsLine();
  void WritePayTableCaptions();
  void LightStake(int before);
  void Refuse(Refusal refusal);

  // Surface drawing.
  void ClearSurface();
  void PaintCard(int index, CardCode code);
  void ShowCard(int index, CardCode code);  // draws and pushes it to the screen
  void DrawBack(int index);
  QRect CardRect(int index) const;
  QPixmap MarkerFace(bool hold) const;

  ProgramValues& values;
  Services& services;

  Machine machine;
  TableSounds sounds;
  PayTableView payTable;
  CardRow cardRow;
  std::unique_ptr<MeterLine> meter;
  QImage surface;
  int helpTopic = 0;

  TableAdvisor* advisor = nullptr;
  QWidget* sidePanel = nullptr;
  int sidePanelWidth = 0;  // the panel's width beside the table
  bool sidePanelShown = false;

  bool busy = false;          // an operation is running
  bool awaitingDisk = false;  // its rest waits for the history's sync
  bool askingDisk = false;    // inside ThenOnDisk's question
  bool revealing = false;     // a deal or draw is putting cards on the surface
  std::deque<std::function<void()>> deferred;
};

}  // namespace lynx
