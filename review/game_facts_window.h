#pragma once
// The Game facts window: for a game, its pays, the coins a hand and the
// hands a deal, what best play returns and how the money rides on the way:
// the variance, the royal cycle, the chance a hand pays and how often each
// row comes with its part of the return; then, for a bankroll and a session
// of so many hands, the chance of losing the bankroll, of being ahead and of
// a royal, the end balance, the bankroll a risk of 1%, 5% or 10% asks for
// the session and for ever, and a chart of the end balance.
//
// Every figure is worked out in the background, the window saying "Working
// out..." meanwhile; a change of the inputs works them out again after a
// short pause, and the newest inputs win over any older ones. Non-modal: it
// may stay open beside a table.

#include <QFutureWatcher>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <map>
#include <optional>

#include "review/game_facts.h"

class QComboBox;
class QGridLayout;
class QLabel;
class QPushButton;
class QSpinBox;
class QTableWidget;

namespace lynx {

class EndBalanceChart;
class TablesCache;

class GameFactsWindow final : public QWidget {
  Q_OBJECT
 public:
  // The pause after a change of the inputs before the figures are worked out.
  static constexpr int kSettleMs = 300;

  // tables must outlive the window. A top-level window even with a parent.
  explicit GameFactsWindow(TablesCache& tables, QWidget* parent = nullptr);
  // Waits for a deal still being worked out (it reads the tables); a session
  // still being worked out holds everything it reads and is left to finish,
  // its result dropped.
  ~GameFactsWindow() override;

  // Shows the figures of choice (a game of the library), working them out.
  void ShowChoice(const GameFactsChoice& choice);
  // What the window shows the figures of now.
  GameFactsChoice Choice() const;
  // True until every figure of the inputs shown is on the screen.
  bool Working() const { return !shownComplete; }

  // The figures of the inputs shown, once worked out; null before.
  const DealFacts* Deal() const;
  const SessionFacts* Session() const { return sessionShown ? &*session : nullptr; }

  QComboBox* GameBox() const { return gameBox; }
  QComboBox* TableBox() const { return tableBox; }
  QComboBox* CoinsBox() const { return coinsBox; }
  QComboBox* HandsBox() const { return handsBox; }
  QSpinBox* BankrollBox() const { return bankrollBox; }
  QSpinBox* SessionHandsBox() const { return sessionBox; }
  QSpinBox* HourBox() const { return hourBox; }
  QTableWidget* Rows() const { return rows; }
  EndBalanceChart* Chart() const { return chart; }
  QLabel* Status() const { return status; }

 signals:
  // Every figure of the inputs shown is on the screen.
  void FiguresShown();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  struct DealKey {
    const GameRules* rules = nullptr;
    std::array<int, kMaxPayRows> perCoin{};
    int royalFiveCoins = 0;
    int coins = 0;
    int hands = 0;
    auto operator<=>(const DealKey&) const = default;
  };
  struct SessionKey {
    DealKey deal;
    std::int64_t bankroll = 0;
    int hands = 0;
    bool operator==(const SessionKey&) const = default;
  };

  QWidget* MakeChoiceRow();
  QWidget* MakeGameColumn();
  QWidget* MakeBankrollColumn();
  QLabel* AddFigure(QGridLayout* grid, int row, const QString& name, const char* objectName);
  void ConnectInputs();

  // Sets the controls to choice without working anything out; false for a
  // game not of the library.
  bool SelectChoice(const GameFactsChoice& choice);
  void FillGames();
  void FillTables(const GameRules& rules);
  // An input changed: the figures it touches say so at once, and are worked
  // out after the pause.
  void DealInputChanged();
  void SessionInputChanged();
  void ShowHours();
  // Shows what is known of the inputs on the screen and starts the work
  // still needed, one piece at a time.
  void Recompute();
  void StartDeal(const DealKey& key);
  void StartSession(const SessionKey& key, const DealFacts& facts);
  void ShowDeal(const DealFacts& facts);
  void ShowSession(const SessionFacts& facts);
  void ShowDealWorking();
  void ShowSessionWorking();
  void SetStatus(bool working);

  DealKey CurrentDealKey() const;
  SessionKey CurrentSessionKey() const;
  const GameRules& CurrentGame() const;

  TablesCache& tables;
  bool filling = false;
  bool bankrollEdited = false;  // the player typed a bankroll: it no longer follows the coins
  const GameRules* customRules = nullptr;  // the game of the pays of choice's own, if any
  Pays customPays;

  QComboBox* gameBox = nullptr;
  QComboBox* tableBox = nullptr;
  QComboBox* coinsBox = nullptr;
  QComboBox* handsBox = nullptr;
  QSpinBox* bankrollBox = nullptr;
  QSpinBox* sessionBox = nullptr;
  QSpinBox* hourBox = nullptr;
  QLabel* status = nullptr;
  QTableWidget* rows = nullptr;
  EndBalanceChart* chart = nullptr;
  std::map<QString, QLabel*> figures;  // by object name
  QLabel* dealVarianceName = nullptr;
  QLabel* dealDeviationName = nullptr;
  QLabel* royalName = nullptr;
  QLabel* sessionRoyalName = nullptr;

  QTimer settle;
  std::map<DealKey, DealFacts> deals;  // worked out so far
  QFutureWatcher<DealFacts> dealWork;
  DealKey dealWorkingOn;
  bool dealBusy = false;  // from the start of a deal's work until its result is kept
  QFutureWatcher<SessionFacts> sessionWork;
  SessionKey sessionWorkingOn;
  bool sessionBusy = false;
  std::optional<SessionFacts> session;     // the last session worked out
  std::optional<SessionKey> sessionShown;  // its inputs, while they are the ones shown
  bool shownComplete = false;
  bool started = false;  // figures were asked for at least once
};

}  // namespace lynx
