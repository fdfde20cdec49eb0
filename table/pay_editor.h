#pragma once
// What the trainer table plays: a game of the library, one of its pay tables
// or pays of the player's own, and 1, 3, 5 or 10 hands. TrainerSetupDialog
// lets the player choose them and shows, as the pays are typed, the exact
// return of best play; the choices are remembered in the settings file.
//
// Settings, section [Trainer]:
//   Hands=1|3|5|10            the hands dealt at once (anything else: 1)
//   Recent1..Recent5          the tables chosen last, newest first, each
//                             GAME|TABLE              a named table, "jacks-96|9/6"
//                             GAME|custom|P,P,...|R   pays of the player's own: the
//                                 pay per coin of every row, top row first, and the
//                                 top row's five-coin prize, "tens|custom|250,50,25,
//                                 6,5,4,3,2,1|4000"
//   GAME is the game's analyser name. A value that does not name a game and a
//   table of it, or whose pays are refused (see PaysRefusal), is skipped.

#include <QDialog>
#include <QFutureWatcher>
#include <QString>
#include <QTimer>
#include <array>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/game_rules.h"
#include "engine/pays.h"

class QButtonGroup;
class QHBoxLayout;
class QVBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;

namespace lynx {

class ProfileFile;
class TablesCache;

struct TrainerChoice {
  const GameRules* rules = nullptr;
  std::string table;  // the named table's name, or "custom"
  Pays pays;
  int hands = 1;  // 1, 3, 5 or 10
};

// Pays a table may have: per coin whole numbers 0..10000, the top row's
// five-coin prize 0..1,000,000.
constexpr int kMaxPayPerCoin = 10000;
constexpr int kMaxTopPrize = 1000000;

// Why the trainer cannot play pays of rules' game (rows and prize as in
// Pays; a value outside its range, -1 included, is refused), or an empty
// text when it can. A row paying more than the row above it is refused
// unless one of the game's own tables pays those two rows that way too
// (the straight flush under four aces of the bonus games).
QString PaysRefusal(const GameRules& rules, const Pays& pays);

// The named table of rules whose pays are exactly pays, or nullptr.
const NamedTable* MatchingTable(const GameRules& rules, const Pays& pays);

// The game of that analyser name on its usual table with hands 1, 3, 5 or
// 10; nullopt for an unknown game or another number of hands.
std::optional<TrainerChoice> TrainerChoiceFor(std::string_view gameName, int hands = 1);

// The hands kept in the settings file (1 when none or another number).
int SavedTrainerHands(ProfileFile& profile);
// The tables of the settings file, newest first, the damaged ones left out;
// each with the saved hands.
std::vector<TrainerChoice> RecentTrainerChoices(ProfileFile& profile);
// The newest of them, if any.
std::optional<TrainerChoice> LastTrainerChoice(ProfileFile& profile);
// Puts choice first among the recent tables (once; the oldest beyond five
// dropped) and keeps its hands. False when the file could not be written.
bool RememberTrainerChoice(ProfileFile& profile, const TrainerChoice& choice);

// The recent-list and settings form of a choice's table, and back (nullopt
// for a value that names no game and table or whose pays are refused).
QString RecentValue(const TrainerChoice& choice);
std::optional<TrainerChoice> ParseRecentValue(const QString& value, int hands);

class TrainerSetupDialog final : public QDialog {
  Q_OBJECT
 public:
  // Starts from the newest recent table, else the first game's usual table.
  // profile and tables must outlive the dialog. OK keeps the choice in
  // profile (RememberTrainerChoice).
  TrainerSetupDialog(ProfileFile& profile, TablesCache& tables, QWidget* parent = nullptr);
  // Waits for a return still being worked out (a fraction of a second in an
  // optimised build).
  ~TrainerSetupDialog() override;

  // What the dialog shows now; pays as typed (refused ones included).
  TrainerChoice Choice() const;
  // Shows choice's game, table, pays and hands.
  void Select(const TrainerChoice& choice);

  QTableWidget* RecentList() const { return recent; }
  QTableWidget* GameList() const { return games; }
  QTableWidget* TableList() const { return tableList; }
  // The pay per coin of row 0..kMaxPayRows-1 and the top row's five-coin prize.
  QLineEdit* PayEdit(int row) const { return payEdits[static_cast<std::size_t>(row)]; }
  QLineEdit* TopPrizeEdit() const { return topPrize; }
  QLabel* ReturnLabel() const { return returnText; }
  QLabel* RefusalLabel() const { return refusal; }
  QPushButton* OkButton() const { return ok; }
  // Opens the facts of the game, pays and hands shown (GameFactsRequested);
  // enabled while the pays are valid.
  QPushButton* FactsButton() const { return facts; }

  // Accepts a choice whose pays are valid, remembered in the settings file.
  void accept() override;
  // False once an accepted choice could not be remembered (the file would
  // not take it); the choice is played all the same.
  bool Remembered() const { return remembered; }

 signals:
  // The Game facts button: the figures of choice (pays valid) are wanted.
  void GameFactsRequested(const lynx::TrainerChoice& choice);

 private:
  // A return is kept per game and pays (rows and top prize).
  using ReturnKey = std::pair<const GameRules*, std::array<int, kMaxPayRows + 1>>;
  static ReturnKey KeyOf(const Pays& pays);

  QHBoxLayout* MakeLists(QWidget* content, QVBoxLayout* top);
  QWidget* MakePayGrid(QWidget* content);
  void MakeButtons(QWidget* body, QVBoxLayout* layout);
  void ConnectControls();
  void ShowGame(int index);
  void ShowTable(int index);
  void FillPays(const Pays& pays);
  void PaysEdited();
  void PaysChanged();
  void ShowReturn();
  void StartReturn();
  Pays TypedPays() const;
  const GameRules& Game() const;

  ProfileFile& profile;
  TablesCache& tables;
  std::vector<TrainerChoice> recentChoices;
  int game = 0;  // index into GameLibrary()
  bool filling = false;

  QTableWidget* recent = nullptr;
  QTableWidget* games = nullptr;
  QTableWidget* tableList = nullptr;
  std::array<QLabel*, kMaxPayRows> captions{};
  std::array<QLineEdit*, kMaxPayRows> payEdits{};
  std::array<QLabel*, kMaxPayRows> fiveCoins{};  // rows 1.. : five coins' pay
  QLineEdit* topPrize = nullptr;
  QLabel* returnText = nullptr;
  QLabel* refusal = nullptr;
  QButtonGroup* hands = nullptr;
  QPushButton* facts = nullptr;
  QPushButton* ok = nullptr;
  QPushButton* cancel = nullptr;
  bool remembered = true;

  std::map<ReturnKey, double> returns;  // worked out so far
  QFutureWatcher<double> working;
  ReturnKey workingOn{};
  bool computing = false;  // from the start of a return until it is kept
  QTimer settle;           // a pause in the typing before a return is worked out
};

}  // namespace lynx
