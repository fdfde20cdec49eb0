// The trainer's views beside the table: the coach's text, the strategy
// chart, every hold with its value, and the summary of the visit.
#include <QHeaderView>
#include <QLabel>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <QtConcurrent>

#include "engine/strategy.h"
#include "look/widget_look.h"
#include "platform/window_keys.h"
#include "platform/window_place.h"
#include "table/table_controls.h"
#include "table/trainer_geometry.h"
#include "table/trainer_window.h"

namespace lynx {

using trainer_geometry::Text;

QString SessionSummaryText(const TrainerSession& s, const QString& standing) {
  QString text = QStringLiteral("Deals: %1 (%2 hands)\nCoins bet: %3\nCoins won: %4\nReturn: %5")
                     .arg(s.deals)
                     .arg(s.hands)
                     .arg(s.coinsBet)
                     .arg(s.won)
                     .arg(PercentText(static_cast<double>(s.won), static_cast<double>(s.coinsBet)));
  if (s.judged.hands > 0) {
    text += QStringLiteral(
                "\n\nYour holds were worth %1 of the stake; best play, %2.\n"
                "Mistakes: %3 of %4 hands, costing %5 credits.")
                .arg(PercentText(s.judged.heldEv, static_cast<double>(s.judged.coinsBet)),
                     PercentText(s.judged.bestEv, static_cast<double>(s.judged.coinsBet)))
                .arg(s.judged.mistakes)
                .arg(s.judged.hands)
                .arg(CreditsText(s.judged.mistakeCost));
  }
  if (!standing.isEmpty()) text += QStringLiteral("\n\n") + standing;
  return text;
}

std::string TrainerWindow::ChartKey(int coins) const {
  const Pays& pays = machine.GamePays();
  std::string key = std::string(machine.Rules().name) + ':' + std::to_string(coins) + ':' +
                    std::to_string(pays.royalFiveCoins);
  for (int r = 0; r < pays.rowCount; ++r)
    key += ',' + std::to_string(pays.perCoin[static_cast<std::size_t>(r)]);
  return key;
}

void TrainerWindow::ShowChart() {
  if (!chartWindow) {
    chartWindow = new StrategyChartWindow(tables, this);
    PassKeys(chartWindow, this, &TrainerWindow::OwnKey);
    PlaceBeside(chartWindow, *this, QSize(Zoomed(380), Zoomed(300)));
  }
  FillChart();
  chartWindow->show();
  chartWindow->raise();
}

// The chart of the stake on the table (five coins before a bet), the line
// of the hand dealt marked; built in the background, one at a time.
void TrainerWindow::FillChart() {
  if (!chartWindow) return;
  const int coins = StakeCoins();
  const GameRules& rules = machine.Rules();
  const QString title = GameAndTable();
  const QString deck = QStringLiteral("the deck of %1 cards").arg(TrainerDeckSize(rules));
  const std::string key = ChartKey(coins);
  const auto found = charts.find(key);
  if (found == charts.end()) {
    chartWindow->Show(nullptr, title, deck, rules.family, coins, -1);
    if (chartWorkKey.empty()) {
      chartWorkKey = key;
      const Pays pays = machine.GamePays();
      const GameRules* game = &rules;
      TablesCache* cache = &tables;
      std::atomic<bool>* stop = &chartStop;
      chartWork.setFuture(QtConcurrent::run([cache, game, pays, coins, stop] {
        ChartOptions options;
        options.stop = stop;
        return BuildChart(cache->Wait(*game), pays, coins, game->deck, options);
      }));
    }
    return;
  }
  const int line = machine.Dealt() ? MatchChart(found->second, machine.Cards()).line : -1;
  chartWindow->Show(&found->second, title, deck, rules.family, coins, line);
}

// What the coach says: the best hold of the hand on the table and what the
// hold chosen gives up, a warning standing, the last draw, and the visit's
// figures. The values are per hand: every hand of a deal holds the same.
QString TrainerWindow::CoachText() const {
  const auto heading = [](const QString& text) {
    return QStringLiteral("<b><span style='color:#ffff00'>%1</span></b><br>").arg(text);
  };
  QString text = heading(QStringLiteral("STRATEGY COACH")) +
                 QStringLiteral("Exact values for %1 %2, per hand.<br><br>")
                     .arg(Text(machine.Rules().title).toHtmlEscaped(),
                          QString::fromStdString(machine.TableName()).toHtmlEscaped());
  text += heading(QStringLiteral("THIS HAND"));
  if (!machine.Dealt()) {
    text += QStringLiteral("Bet and deal; H then holds the best hold.");
  } else if (!judgement) {
    text += QStringLiteral("Working out the values of this game...");
  } else {
    const unsigned mask = static_cast<unsigned>(machine.Held().Stored());
    const HoldVerdict verdict = JudgeHold(*judgement, mask);
    text += QStringLiteral("Best: %1, worth %2 credits.<br>Held: %3, worth %4")
                .arg(QString::fromStdString(HoldText(judgement->dealt, judgement->bestMask)))
                .arg(CreditsText(verdict.bestEv))
                .arg(QString::fromStdString(HoldText(judgement->dealt, mask)))
                .arg(CreditsText(verdict.heldEv));
    text += verdict.mistake ? QStringLiteral(": gives up %1.").arg(CreditsText(verdict.cost))
                            : QStringLiteral(", a best hold.");
    if (drawWarning.Standing())
      text += QStringLiteral(
                  "<br><b><span style='color:#ff0000'>This hold gives up %1 credits "
                  "a hand. Return draws as held; H holds the best.</span></b>")
                  .arg(CreditsText(verdict.cost));
  }
  text += QStringLiteral("<br><br>") + heading(QStringLiteral("LAST DRAW")) +
          (lastDraw.isEmpty() ? QStringLiteral("Nothing drawn yet.") : lastDraw);
  const CoachTally& tally = session.judged;
  text += QStringLiteral("<br><br>") + heading(QStringLiteral("THIS VISIT"));
  text += tally.hands == 0
              ? QStringLiteral("No hands judged yet.")
              : QStringLiteral("%1 hands: your holds %2, best play %3; %4 mistakes costing %5.")
                    .arg(tally.hands)
                    .arg(PercentText(tally.HeldReturn(), 1), PercentText(tally.BestReturn(), 1))
                    .arg(tally.mistakes)
                    .arg(CreditsText(tally.mistakeCost));
  text += QStringLiteral(
      "<br><br><span style='color:#c0c0c0'>H hint · A all holds · G chart · K hide</span>");
  return text;
}

void TrainerWindow::WriteCoach() {
  if (coachShown) coach->setText(CoachText());
  if (chartWindow != nullptr && chartWindow->isVisible()) FillChart();
  if (allHoldsWindow != nullptr && allHoldsWindow->isVisible()) FillAllHolds();
}

void TrainerWindow::ShowAllHolds() {
  if (allHoldsWindow == nullptr) {
    allHoldsWindow = new QWidget(this, Qt::Window);
    allHoldsWindow->setObjectName(QStringLiteral("TrainerAllHolds"));
    allHoldsWindow->setWindowTitle(QStringLiteral("LYNX Video Poker -- All Holds"));
    ApplyReviewLook(allHoldsWindow);
    auto* layout = new QVBoxLayout(allHoldsWindow);
    allHolds = new QTableWidget(kHoldCount, 4, allHoldsWindow);
    SetUpReviewTable(allHolds);
    allHolds->horizontalHeader()->setStretchLastSection(true);
    layout->addWidget(allHolds);
    allHoldsWindow->resize(Zoomed(380), Zoomed(560));
    CloseOnKeys(allHoldsWindow);
    PassKeys(allHoldsWindow, this, &TrainerWindow::OwnKey);
    PlaceBeside(allHoldsWindow, *this, QSize(Zoomed(300), Zoomed(300)));
  }
  FillAllHolds();
  allHoldsWindow->show();
  allHoldsWindow->raise();
}

// Every hold, best first, with its value and the chance of each pay row of
// the game and pays on the table.
void TrainerWindow::FillAllHolds() {
  if (allHolds == nullptr) return;
  const GameRules& rules = machine.Rules();
  QStringList headers{QStringLiteral("#"), QStringLiteral("Hold"), QStringLiteral("EV"),
                      QStringLiteral("EV/coin")};
  for (int r = 0; r < rules.rowCount; ++r)
    headers << Text(rules.rows[static_cast<std::size_t>(r)].caption);
  headers << QStringLiteral("No win");
  allHolds->setColumnCount(static_cast<int>(headers.size()));
  allHolds->setHorizontalHeaderLabels(headers);
  Judge();
  allHolds->clearContents();
  const StrategyTables* built = tables.Find(rules);
  if (!judgement || built == nullptr) {
    allHolds->resizeColumnsToContents();
    return;
  }
  const HandAdvice advice =
      AdviseHand(*built, judgement->dealt, judgement->coins, rules.deck, machine.GamePays());
  for (int i = 0; i < kHoldCount; ++i) {
    const HoldValue& h = advice.holds[static_cast<std::size_t>(i)];
    const bool best = i < advice.bestCount;
    QStringList cells{QString::number(i + 1) + (best ? QStringLiteral("*") : QString()),
                      QString::fromStdString(HoldText(judgement->dealt, h.mask)),
                      QString::number(h.ev, 'f', 6), QString::number(h.evPerCoin, 'f', 6)};
    const auto share = [&h](std::int64_t count) {
      return ProbabilityText(static_cast<double>(count) / static_cast<double>(h.draws));
    };
    for (int r = 0; r < rules.rowCount; ++r) cells << share(h.counts[static_cast<std::size_t>(r)]);
    cells << share(h.noWin);
    for (int c = 0; c < static_cast<int>(cells.size()); ++c) {
      auto* item = new QTableWidgetItem(cells[c]);
      if (c != 1) item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
      if (best) item->setForeground(kTextYellow);
      allHolds->setItem(i, c, item);
    }
  }
  allHolds->resizeColumnsToContents();
  if (!allHoldsSized) {
    // Once: wide enough for every column (the chance of each pay row) where
    // the work area allows.
    allHoldsSized = true;
    const QMargins margins = allHoldsWindow->layout()->contentsMargins();
    int width = allHolds->verticalScrollBar()->sizeHint().width() + 2 * allHolds->frameWidth() +
                margins.left() + margins.right();
    for (int c = 0; c < allHolds->columnCount(); ++c) width += allHolds->columnWidth(c);
    allHoldsWindow->resize(std::max(width, Zoomed(380)), allHoldsWindow->height());
    PlaceBeside(allHoldsWindow, *this, QSize(Zoomed(300), Zoomed(300)));
  }
}

int TrainerWindow::StakeCoins() const {
  return machine.CoinsIn() > 0       ? machine.CoinsIn()
         : machine.LastCoinsIn() > 0 ? machine.LastCoinsIn()
                                     : machine.MaxCoins();
}

// The summary waits for where the session stands when that is not known
// yet (the last deals came a moment ago), without holding the window up.
void TrainerWindow::reject() {
  if (leaving) {
    FinishLeaving();  // Esc again: at once
    return;
  }
  if (busy) return;
  if (session.deals > 0 && !standing.Ready()) {
    leaving = true;
    busy = true;
    message->setText(QStringLiteral("Working out how this session compares..."));
    standing.Prepare();
    return;
  }
  FinishLeaving();
}

void TrainerWindow::FinishLeaving() {
  leaving = false;
  busy = false;
  if (session.deals > 0)
    services.dialogs.Info(this, QStringLiteral("LYNX Video Poker -- Trainer session"),
                          SessionSummaryText(session, standing.Line()));
  QDialog::reject();
}

}  // namespace lynx
