#pragma once
// The strategy coach beside the machine table: it hints the best hold (H),
// warns before a draw that gives value away, shows what best play would have
// done after each draw, and keeps the tally of the run. It is the table's
// side panel (K shows and hides it) and its advisor. It warns only while it
// is shown: hidden, the table plays as the machine was designed, and a draw
// held back always has its reason in view.

#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

#include "coach/chart_cache.h"
#include "coach/coach.h"
#include "coach/draw_warning.h"
#include "coach/session_tally.h"
#include "coach/tables_cache.h"
#include "platform/services.h"
#include "table/chart_window.h"
#include "table/table_window.h"
#include "table/text_section.h"

class QBoxLayout;
class QCheckBox;
class QLabel;
class QTableWidget;

namespace lynx {

// What the coach keeps through one run of the program.
struct CoachRun {
  TablesCache tables;
  ChartCache charts{tables};  // goes before the tables it builds from
  // Every game judged this run, by game (index game - 1): a table's
  // "This session" counts its own game.
  std::array<SessionTally, 3> tally;
  SessionTally& SessionOf(GameVariant game) {
    return tally[static_cast<std::size_t>(std::clamp<int>(game, 1, 3) - 1)];
  }
  // The judged hands of the game's tally.
  CoachTally& TallyOf(GameVariant game) { return SessionOf(game).judged; }
  bool panelShown = false;
  bool warn = true;
};

// [Coach] Panel and Warn (0 or 1) of the settings file; missing keys keep
// what run holds.
void LoadCoachSettings(CoachRun& run, ProfileFile& profile);
bool SaveCoachSettings(const CoachRun& run, ProfileFile& profile);

class CoachPanel final : public QWidget, public TableAdvisor {
  Q_OBJECT
 public:
  static constexpr int kWidth = 280;

  // Becomes table's side panel and advisor, shown as run says, for the game
  // the table plays. run and services must outlive the panel.
  CoachPanel(TableWindow& table, GameVariant game, CoachRun& run, Services& services);

  std::optional<HoldMask> HintFor(const HandInProgress& hand) override;
  bool AllowDraw(const HandInProgress& hand) override;
  void Appraise(GameRecord& game) override;

  // The judgement of the hand on the table (or last drawn); null until the
  // tables are built.
  const HandJudgement* Judgement() const { return judgement ? &*judgement : nullptr; }
  // A warning stands for the hand on the table.
  bool Warning() const { return drawWarning.Standing(); }
  QCheckBox* WarnBox() const { return warnBox; }
  // The text of the sections: the hand, the last draw, the tally.
  QString HandSectionText() const;
  QString LastDrawText() const;
  QString TallyText() const;

  // The values of all 32 holds of the hand on the table, in a window of its
  // own beside the table (the A key).
  void ShowAnalysis();
  // The strategy chart window of the game and stake on the table.
  void ShowChart();
  QWidget* Analysis() const { return analysis; }
  StrategyChartWindow* Chart() const { return chartWindow; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The judgement of hand, made when the tables are there; null otherwise.
  const HandJudgement* Judge(GameVariant game, const Hand& dealt, int coins);
  void HandChanged(const HandInProgress& hand);
  void Settled(const GameRecord& game);
  // Judges the hand on the table once the tables are built.
  void JudgeWhenReady();
  // The sections (hand, last draw, tally) in an area that scrolls.
  QWidget* MakeSections();
  void ConnectTable();
  void ShowHand();
  void ShowTally();
  void FillAnalysis();
  // Which line of the game's strategy chart the deal falls under, and
  // whether the chart's hold is a best one; shows again once the chart is
  // built.
  QString ChartNote(const HandJudgement& j);

  TableWindow& table;
  GameVariant game;
  CoachRun& run;
  Services& services;
  QString settingProblemTold;  // the last reason a setting was not saved

  std::optional<HandJudgement> judgement;
  std::optional<HandInProgress> onTable;  // the hand dealt, while it is
  DrawWarning drawWarning;                // the draw held back once for each costly hold
  bool waiting = false;   // a look for the tables is due
  bool hinted = false;    // H was pressed for the hand on the table
  bool chartDue = false;  // a look for the chart is due

  QCheckBox* warnBox = nullptr;
  TextSection* handLabel = nullptr;
  TextSection* lastLabel = nullptr;
  TextSection* tallyLabel = nullptr;
  QBoxLayout* sectionLayout = nullptr;
  QPointer<QWidget> analysis;
  QPointer<StrategyChartWindow> chartWindow;
  bool chartWindowDue = false;
  void FillChart();
  QTableWidget* analysisTable = nullptr;
  QLabel* analysisCaption = nullptr;
  bool analysisSized = false;  // made as wide as its columns once
};

}  // namespace lynx
