#include "table/coach_panel.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QShortcut>
#include <QTableWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "engine/evaluate.h"
#include "engine/paytable.h"
#include "engine/strategy.h"
#include "look/widget_look.h"
#include "platform/history_store.h"
#include "platform/window_keys.h"
#include "platform/window_place.h"
#include "table/setting_saved.h"
#include "table/table_accessibility.h"
#include "table/table_controls.h"

namespace lynx {

namespace {

const QString kSection = QStringLiteral("Coach");
constexpr int kTablesPollMs = 100;
constexpr int kChartPollMs = 500;
// The analysis table's columns: #, Hold, EV, EV/coin, then the pay rows.
constexpr int kAnalysisRowsFrom = 4;

QString Credits(double value) {
  return CreditsText(value);
}

QString Hold(const Hand& dealt, unsigned mask) {
  return QString::fromStdString(HoldText(dealt, mask));
}

QString Heading(const QString& text) {
  return QStringLiteral("<span style='color:%1; font-weight:bold'>%2</span>")
      .arg(kTextYellow.name(), text);
}

QString Percent(double ratio) {
  return PercentText(ratio, 1);
}

}  // namespace

void LoadCoachSettings(CoachRun& run, ProfileFile& profile) {
  auto flag = [&profile](const QString& key, bool current) {
    const QString text = profile.ReadString(kSection, key, QString()).trimmed();
    if (text == QLatin1String("0")) return false;
    if (text == QLatin1String("1")) return true;
    return current;
  };
  run.panelShown = flag(QStringLiteral("Panel"), run.panelShown);
  run.warn = flag(QStringLiteral("Warn"), run.warn);
}

bool SaveCoachSettings(const CoachRun& run, ProfileFile& profile) {
  return profile.WriteStrings(kSection, {{QStringLiteral("Panel"), run.panelShown ? "1" : "0"},
                                         {QStringLiteral("Warn"), run.warn ? "1" : "0"}});
}

CoachPanel::CoachPanel(TableWindow& table, GameVariant game, CoachRun& run, Services& services)
    : QWidget(&table), table(table), game(game), run(run), services(services) {
  setObjectName(QStringLiteral("CoachPanel"));
  ApplyReviewLook(this);
  setFont(StandardFont(8, false));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kPanelBlue);
  setPalette(palette);
  setStyleSheet(styleSheet() + QStringLiteral("QCheckBox { color: #ffffff; }"));
  // As wide as this beside the table; docked below it, as wide as the table.
  setMinimumWidth(Zoomed(kWidth));
  resize(Zoomed(kWidth), height());

  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(10, 8, 8, 8);
  layout->setSpacing(6);
  auto* title = new QLabel(
      Heading(QStringLiteral("STRATEGY COACH")) +
          QStringLiteral("<br>%1, exact values on this machine's deck").arg(GameTitleText(game)),
      this);
  title->setWordWrap(true);
  layout->addWidget(title);
  warnBox = new QCheckBox(QStringLiteral("Warn before a costly draw (W)"), this);
  warnBox->setObjectName(QStringLiteral("CoachWarn"));
  warnBox->setToolTip(
      QStringLiteral("Only while the coach is shown: hidden (K), every draw goes ahead."));
  warnBox->setChecked(run.warn);
  // The keys stay with the table.
  warnBox->setFocusPolicy(Qt::NoFocus);
  layout->addWidget(warnBox);
  layout->addWidget(MakeSections(), 1);
  // W turns the warning on and off from the keyboard (the keys stay with
  // the table, so the box itself takes no focus).
  auto* warnKey = new QShortcut(QKeySequence(Qt::Key_W), this);
  warnKey->setContext(Qt::WindowShortcut);
  connect(warnKey, &QShortcut::activated, warnBox, &QCheckBox::toggle);
  auto* keys = new QLabel(QStringLiteral("H hint · A all holds · G chart · W warn · K hide"), this);
  keys->setStyleSheet(QStringLiteral("color: #c0c0c0;"));
  keys->setWordWrap(true);
  layout->addWidget(keys);

  connect(warnBox, &QCheckBox::toggled, this, [this](bool on) {
    this->run.warn = on;
    if (!on) drawWarning.Clear();
    TellSettingNotSaved(SaveCoachSettings(this->run, this->services.profile), this->services,
                        window(), QString::fromStdString(this->table.Values().programTitle),
                        settingProblemTold);
    ShowHand();
  });
  ConnectTable();

  run.tables.Prepare(game);
  run.charts.Prepare(game, kMaxCoins);
  table.SetAdvisor(this);
  table.SetSidePanel(this);
  table.ShowSidePanel(run.panelShown);
  // A hand put back on the table when it opened.
  if (table.State().dealt) HandChanged(table.InProgress());
  lastLabel->setText(Heading(QStringLiteral("LAST DRAW")) +
                     QStringLiteral("<br>Nothing drawn yet at this table."));
  ShowHand();
  ShowTally();
}

QWidget* CoachPanel::MakeSections() {
  // The sections scroll when they say more than the machine is high.
  auto* scroll = new QScrollArea(this);
  scroll->setObjectName(QStringLiteral("CoachSections"));
  scroll->setFrameShape(QFrame::NoFrame);
  scroll->setWidgetResizable(true);
  scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  scroll->setFocusPolicy(Qt::NoFocus);
  auto* sections = new QWidget(scroll);
  scroll->viewport()->setAutoFillBackground(false);
  sectionLayout = new QVBoxLayout(sections);
  sectionLayout->setContentsMargins(0, 0, 0, 0);
  sectionLayout->setSpacing(6);
  handLabel = new TextSection(sections);
  lastLabel = new TextSection(sections);
  tallyLabel = new TextSection(sections);
  sectionLayout->addWidget(handLabel);
  sectionLayout->addWidget(lastLabel);
  sectionLayout->addWidget(tallyLabel);
  sectionLayout->addStretch(1);
  scroll->setWidget(sections);
  // setWidget fills the sections' background; the panel's blue shows through.
  sections->setAutoFillBackground(false);
  scroll->setStyleSheet(QStringLiteral("QScrollArea { background: transparent; }"));
  return scroll;
}

void CoachPanel::ConnectTable() {
  connect(&table, &TableWindow::HandChanged, this, &CoachPanel::HandChanged);
  connect(&table, &TableWindow::GameSettled, this, &CoachPanel::Settled);
  connect(&table, &TableWindow::AnalysisRequested, this, &CoachPanel::ShowAnalysis);
  connect(&table, &TableWindow::ChartRequested, this, &CoachPanel::ShowChart);
  connect(&table, &TableWindow::SidePanelToggled, this, [this](bool shown) {
    this->run.panelShown = shown;
    TellSettingNotSaved(SaveCoachSettings(this->run, this->services.profile), this->services,
                        window(), QString::fromStdString(this->table.Values().programTitle),
                        settingProblemTold);
  });
}

const HandJudgement* CoachPanel::Judge(GameVariant variant, const Hand& dealt, int coins) {
  if (judgement && judgement->game == variant && judgement->dealt == dealt &&
      judgement->coins == coins)
    return &*judgement;
  const StrategyTables* tables = run.tables.Find(variant);
  if (tables == nullptr || variant != game || coins < 1 || coins > kMaxCoins) return nullptr;
  judgement = JudgeHand(*tables, dealt, coins);
  return &*judgement;
}

void CoachPanel::HandChanged(const HandInProgress& hand) {
  const bool newDeal = !onTable || onTable->dealt != hand.dealt || onTable->deck != hand.deck ||
                       onTable->coins != hand.coins;
  onTable = hand;
  if (newDeal) {
    drawWarning.NewDeal();
    hinted = false;
    if (Judge(hand.game, hand.dealt, hand.coins) == nullptr) JudgeWhenReady();
  }
  drawWarning.Clear();
  ShowHand();
  FillAnalysis();
}

void CoachPanel::JudgeWhenReady() {
  if (waiting) return;
  waiting = true;
  QTimer::singleShot(kTablesPollMs, this, [this] {
    waiting = false;
    if (!onTable) return;
    if (Judge(onTable->game, onTable->dealt, onTable->coins) == nullptr) {
      JudgeWhenReady();
      return;
    }
    ShowHand();
    FillAnalysis();
  });
}

std::optional<HoldMask> CoachPanel::HintFor(const HandInProgress& hand) {
  const HandJudgement* j = Judge(hand.game, hand.dealt, hand.coins);
  if (j == nullptr) return std::nullopt;
  hinted = true;
  ShowHand();
  return HoldMask::FromBits(j->bestMask);
}

bool CoachPanel::AllowDraw(const HandInProgress& hand) {
  // Hidden, the coach never stands between the player and the draw: a draw
  // held back must have its reason in view.
  if (!run.warn || !table.SidePanelShown()) return true;
  const HandJudgement* j = Judge(hand.game, hand.dealt, hand.coins);
  const auto mask = HoldMask::FromBits(static_cast<unsigned>(hand.held)).Bits();
  if (j == nullptr || !drawWarning.HoldsBack(*j, mask)) return true;
  onTable = hand;
  ShowHand();
  // The draw did not happen: a screen reader says why, wherever the focus is.
  const HoldVerdict verdict = JudgeHold(*j, mask);
  Announce(&table, QStringLiteral("Coach: this hold gives away %1 credits. Yours: %2, worth %3. "
                                  "Best: %4, worth %5. Draw again to draw as held, or change "
                                  "the holds.")
                       .arg(Credits(verdict.cost), Hold(j->dealt, mask), Credits(verdict.heldEv),
                            Hold(j->dealt, j->bestMask), Credits(j->bestEv)));
  return false;
}

void CoachPanel::Appraise(GameRecord& record) {
  const HandJudgement* j = Judge(record.game, record.dealt, record.coins);
  if (j == nullptr) return;
  const HoldVerdict verdict = JudgeHold(*j, static_cast<unsigned>(record.held));
  record.bestEv = verdict.bestEv;
  record.heldEv = verdict.heldEv;
  record.bestHolds = QString::fromStdString(verdict.bestHolds);
}

void CoachPanel::Settled(const GameRecord& record) {
  const std::optional<HandInProgress> drawn = onTable;
  onTable.reset();
  drawWarning.Clear();
  const HandJudgement* j = Judge(record.game, record.dealt, record.coins);
  QString text = Heading(QStringLiteral("LAST DRAW"));
  const auto held = HoldMask::FromBits(static_cast<unsigned>(record.held)).Bits();
  text += QStringLiteral("<br>You held %1: %2, paid %3.")
              .arg(Hold(record.dealt, held), RowText(record.game, record.row))
              .arg(record.won);
  if (j == nullptr || !drawn) {
    text += QStringLiteral("<br>(The strategy tables were still being built.)");
  } else {
    run.SessionOf(game).AddDeal(record.coins, std::array<std::int64_t, 1>{record.won}, j, held);
    const HoldVerdict verdict = JudgeHold(*j, held);
    const ShadowPlay shadow = PlayBest(*j, drawn->deck);
    if (!verdict.mistake) {
      text += QStringLiteral("<br>That was a best hold (%1 credits expected).")
                  .arg(Credits(verdict.bestEv));
    } else {
      text += QStringLiteral("<br>Best play, %1, would have drawn to %2 and paid %3.")
                  .arg(Hold(record.dealt, shadow.mask), RowText(record.game, shadow.row))
                  .arg(shadow.won);
      text += QStringLiteral("<br>Your hold was worth %1 of %2: it cost %3 credits.")
                  .arg(Credits(verdict.heldEv), Credits(verdict.bestEv), Credits(verdict.cost));
      text += ChartNote(*j);
    }
  }
  lastLabel->setText(text);
  ShowHand();
  ShowTally();
}

QString CoachPanel::ChartNote(const HandJudgement& j) {
  const StrategyChart* chart = run.charts.Find(j.game, j.coins);
  if (chart == nullptr || chart->lines.empty()) {
    if (!chartDue) {
      chartDue = true;
      QTimer::singleShot(kChartPollMs, this, [this] {
        chartDue = false;
        ShowHand();
      });
    }
    return QStringLiteral("<br>The strategy chart is still being worked out.");
  }
  const ChartMatch match = MatchChart(*chart, j.dealt);
  const QString line = QStringLiteral("Line %1: %2")
                           .arg(match.line + 1)
                           .arg(QString::fromStdString(match.text).toHtmlEscaped());
  if (j.IsBest(match.holdMask)) return QStringLiteral("<br>By the chart: %1").arg(line);
  return QStringLiteral("<br>The chart says %1, holding %2; best play differs on this deal.")
      .arg(line, Hold(j.dealt, match.holdMask));
}

QString CoachPanel::HandSectionText() const {
  return handLabel->text();
}
QString CoachPanel::LastDrawText() const {
  return lastLabel->text();
}
QString CoachPanel::TallyText() const {
  return tallyLabel->text();
}

void CoachPanel::ShowHand() {
  QString text = Heading(QStringLiteral("THIS HAND"));
  if (!onTable) {
    text += QStringLiteral("<br>Bet and deal; H then shows the best hold.");
  } else if (!judgement || judgement->dealt != onTable->dealt ||
             judgement->coins != onTable->coins) {
    text += QStringLiteral("<br>Working out the values of this deal…");
  } else {
    const HandJudgement& j = *judgement;
    const auto held = HoldMask::FromBits(static_cast<unsigned>(onTable->held)).Bits();
    if (drawWarning.Standing()) {
      const HoldVerdict verdict = JudgeHold(j, held);
      text +=
          QStringLiteral("<br>") +
          Heading(QStringLiteral("This hold gives away %1 credits.").arg(Credits(verdict.cost)));
      text += QStringLiteral("<br>Yours: %1, worth %2")
                  .arg(Hold(j.dealt, held), Credits(verdict.heldEv));
      text += QStringLiteral("<br>Best: %1, worth %2")
                  .arg(Hold(j.dealt, j.bestMask), Credits(j.bestEv));
      if (j.bestCount > 1) text += QStringLiteral(" (%1 holds are as good)").arg(j.bestCount);
      text += ChartNote(j);
      text += QStringLiteral("<br>Draw again to draw as held, or change the holds.");
    } else if (hinted) {
      text += QStringLiteral("<br>Best: %1, worth %2")
                  .arg(Hold(j.dealt, j.bestMask), Credits(j.bestEv));
      if (j.bestCount > 1) text += QStringLiteral(" (%1 holds are as good)").arg(j.bestCount);
      text += ChartNote(j);
    } else {
      text += QStringLiteral("<br>%1 coin%2 bet. H shows the best hold.")
                  .arg(j.coins)
                  .arg(j.coins == 1 ? QString() : QStringLiteral("s"));
    }
  }
  handLabel->setText(text);
  FillChart();
}

void CoachPanel::ShowTally() {
  const CoachTally& t = run.TallyOf(game);
  QString text = Heading(QStringLiteral("THIS SESSION, %1").arg(GameTitleText(game).toUpper()));
  if (t.hands == 0) {
    text += QStringLiteral("<br>No hands judged yet.");
  } else {
    text += QStringLiteral("<br>Hands %1, coins bet %2, won %3")
                .arg(t.hands)
                .arg(t.coinsBet)
                .arg(t.won);
    text += QStringLiteral("<br>Return %1").arg(Percent(t.ActualReturn()));
    text += QStringLiteral("<br>Expected: your holds %1, best play %2")
                .arg(Percent(t.HeldReturn()), Percent(t.BestReturn()));
    text += QStringLiteral("<br>Mistakes %1, costing %2 credits")
                .arg(t.mistakes)
                .arg(Credits(t.mistakeCost));
  }
  const GameStatistics all = services.history.Statistics(game);
  if (all.hands > 0) {
    text += QStringLiteral("<br>") +
            Heading(QStringLiteral("ALL TIME, %1").arg(GameTitleText(game).toUpper()));
    text += QStringLiteral("<br>Hands %1, return %2")
                .arg(all.hands)
                .arg(PercentText(static_cast<double>(all.won), static_cast<double>(all.coinsBet)));
    if (all.judged > 0) {
      const auto coins = static_cast<double>(all.judgedCoins);
      text += QStringLiteral("<br>Judged hands %1. Expected: your holds %2, best play %3")
                  .arg(all.judged)
                  .arg(PercentText(all.heldEv, coins), PercentText(all.bestEv, coins));
      text += QStringLiteral("<br>Mistakes %1, costing %2 credits")
                  .arg(all.mistakes)
                  .arg(Credits(all.mistakeCost));
    }
  }
  tallyLabel->setText(text);
}

void CoachPanel::ShowAnalysis() {
  if (!analysis) {
    auto* window = new QWidget(&table, Qt::Tool);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setObjectName(QStringLiteral("CoachAnalysis"));
    window->setWindowTitle(QStringLiteral("LYNX Video Poker -- All Holds"));
    ApplyReviewLook(window);
    auto* layout = new QVBoxLayout(window);
    analysisCaption = new QLabel(window);
    analysisCaption->setWordWrap(true);
    const int rows = PayTableFor(game).rowCount;
    analysisTable = new QTableWidget(kHoldCount, kAnalysisRowsFrom + rows + 1, window);
    QStringList headers{QStringLiteral("#"), QStringLiteral("Hold"), QStringLiteral("EV"),
                        QStringLiteral("EV/coin")};
    for (int r = 0; r < rows; ++r) headers << RowText(game, r);
    headers << QStringLiteral("No win");
    analysisTable->setHorizontalHeaderLabels(headers);
    SetUpReviewTable(analysisTable);
    // It takes the focus, so a screen reader can walk its cells; the table's
    // own keys pressed in it still play the table (PassKeys below).
    analysisTable->setFocusPolicy(Qt::StrongFocus);
    analysisTable->setAccessibleName(QStringLiteral("Every hold of the hand dealt, best first"));
    layout->addWidget(analysisCaption);
    layout->addWidget(analysisTable);
    window->resize(Zoomed(960), Zoomed(640));
    CloseOnKeys(window);
    PassKeys(window, &table, TableWindow::OwnKey);
    PlaceBeside(window, table, QSize(Zoomed(400), Zoomed(300)));
    analysis = window;
    analysisSized = false;
  }
  FillAnalysis();
  analysis->show();
  analysis->raise();
}

// Docked below the table the panel is wider than high: its sections stand
// side by side, in columns, instead of one under the other.
void CoachPanel::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  const bool wide = width() > height();
  sectionLayout->setDirection(wide ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom);
}

void CoachPanel::ShowChart() {
  if (!chartWindow) {
    chartWindow = new StrategyChartWindow(run.tables, &table);
    PassKeys(chartWindow, &table, TableWindow::OwnKey);
    PlaceBeside(chartWindow, table, QSize(Zoomed(380), Zoomed(300)));
  }
  FillChart();
  chartWindow->show();
  chartWindow->raise();
}

// The chart of the stake on the table (five coins before a deal), the line
// of the hand dealt marked; looked at again until the chart is built.
void CoachPanel::FillChart() {
  if (!chartWindow) return;
  const int coins = onTable ? onTable->coins : kMaxCoins;
  const StrategyChart* chart = run.charts.Find(game, coins);
  const bool ready = chart != nullptr && !chart->lines.empty();
  chartWindow->Show(chart, game, coins,
                    ready && onTable ? MatchChart(*chart, onTable->dealt).line : -1);
  if (!ready && !chartWindowDue) {
    chartWindowDue = true;
    QTimer::singleShot(kChartPollMs, this, [this] {
      chartWindowDue = false;
      FillChart();
    });
  }
}

void CoachPanel::FillAnalysis() {
  if (!analysis || analysisTable == nullptr) return;
  const StrategyTables* tables = run.tables.Find(game);
  if (!judgement || tables == nullptr || (onTable && judgement->dealt != onTable->dealt)) {
    analysisCaption->setText(onTable ? QStringLiteral("Working out the values of this deal…")
                                     : QStringLiteral("No hand dealt."));
    analysisTable->clearContents();
    return;
  }
  const HandJudgement& j = *judgement;
  const HandAdvice advice = AdviseHand(*tables, j.dealt, j.coins, JokerDeck::kMachine);
  analysisCaption->setText(
      QStringLiteral("%1, %2 coin%3: %4. Every hold, best first (* marks %5); EV is the "
                     "expected credits for the bet, then the probability of each pay row.")
          .arg(GameTitleText(j.game))
          .arg(j.coins)
          .arg(j.coins == 1 ? QString() : QStringLiteral("s"))
          .arg(Hold(j.dealt, 31))
          .arg(advice.bestCount == 1
                   ? QStringLiteral("the best hold")
                   : QStringLiteral("the %1 equally best holds").arg(advice.bestCount)));
  const int rows = tables->RowCount();
  for (int i = 0; i < kHoldCount; ++i) {
    const HoldValue& h = advice.holds[static_cast<std::size_t>(i)];
    const bool best = i < advice.bestCount;
    QStringList cells{QStringLiteral("%1%2").arg(i + 1).arg(best ? QStringLiteral("*") : QString()),
                      Hold(j.dealt, h.mask), QString::number(h.ev, 'f', 6),
                      QString::number(h.evPerCoin, 'f', 6)};
    const auto share = [&h](std::int64_t count) {
      return ProbabilityText(static_cast<double>(count) / static_cast<double>(h.draws));
    };
    for (int r = 0; r < rows; ++r) cells << share(h.counts[static_cast<std::size_t>(r)]);
    cells << share(h.noWin);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c != 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (best) item->setForeground(kTextYellow);
      analysisTable->setItem(i, c, item);
    }
  }
  // Once, not cell by cell.
  analysisTable->resizeColumnsToContents();
  if (!analysisSized) {
    // Wide enough for every column where the screen allows.
    analysisSized = true;
    int width = analysisTable->verticalScrollBar()->sizeHint().width() +
                2 * analysisTable->frameWidth() + 2 * 12;
    for (int c = 0; c < analysisTable->columnCount(); ++c) width += analysisTable->columnWidth(c);
    analysis->resize(width, analysis->height());
    PlaceBeside(analysis, table, QSize(Zoomed(400), Zoomed(300)));
  }
}

}  // namespace lynx
