#include "review/drill_window.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

#include "cards/card_painter.h"
#include "cards/card_sheet.h"  // the card sizes
#include "coach/coach.h"
#include "look/look.h"
#include "look/widget_look.h"
#include "platform/window_keys.h"
#include "review/drill_deals.h"
#include "review/history_model.h"
#include "review/review_look.h"

namespace lynx {

namespace {

constexpr int kCardGap = 8;
constexpr int kStripMargin = 8;
constexpr int kTagHeight = 22;
constexpr int kDealStripWidth = 2 * kStripMargin + 5 * kCardWidth + 4 * kCardGap;
constexpr int kDealStripHeight = 2 * kStripMargin + kCardHeight + kTagHeight;
constexpr int kTablesPollMs = 100;

QString Hold(const Hand& dealt, unsigned mask) {
  return QString::fromStdString(HoldText(dealt, mask));
}

QString Credits(double value) {
  return CreditsText(value);
}

}  // namespace

DrillWindow::DrillWindow(HistoryStore& store, TablesCache& tables, UniformSource& random,
                         std::function<int()> credits, QWidget* parent)
    : QWidget(parent, Qt::Window),
      store(store),
      tables(tables),
      random(random),
      credits(std::move(credits)) {
  setObjectName(QStringLiteral("MistakeDrill"));
  setWindowTitle(QStringLiteral("LYNX Video Poker -- Practise My Mistakes"));
  auto* layout = new QVBoxLayout(this);
  caption = new QLabel(this);
  caption->setWordWrap(true);
  dealtCards = new QLabel(this);
  dealtCards->setObjectName(QStringLiteral("DrillDealt"));
  dealtCards->setFixedSize(kDealStripWidth, kDealStripHeight);
  dealtCards->hide();
  cards = new QLabel(this);
  cards->setObjectName(QStringLiteral("DrillCards"));
  cards->setFixedSize(kDealStripWidth, kDealStripHeight);
  cards->installEventFilter(this);
  cards->setCursor(Qt::PointingHandCursor);
  verdict = new QLabel(this);
  verdict->setWordWrap(true);
  verdict->setTextFormat(Qt::RichText);
  verdict->setMinimumHeight(90);
  verdict->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  layout->addWidget(caption);
  layout->addWidget(dealtCards, 0, Qt::AlignHCenter);
  layout->addWidget(cards, 0, Qt::AlignHCenter);
  layout->addWidget(verdict);
  auto* buttons = new QHBoxLayout;
  advanceButton = new QPushButton(QStringLiteral("Draw"), this);
  advanceButton->setObjectName(QStringLiteral("DrillAdvance"));
  auto* close = new QPushButton(QStringLiteral("Close"), this);
  buttons->addStretch(1);
  buttons->addWidget(advanceButton);
  buttons->addWidget(close);
  layout->addLayout(buttons);
  connect(advanceButton, &QPushButton::clicked, this, &DrillWindow::Advance);
  connect(close, &QPushButton::clicked, this, &QWidget::close);
  ApplyReviewLookInside(this);
  CloseOnKeys(this);
  setFixedWidth(kDealStripWidth + 40);
}

void DrillWindow::Start() { StartWith(DrillHands(store.Mistakes(kHands))); }

void DrillWindow::StartLines(std::vector<GameRecord> fresh, std::vector<QString> lines) {
  lines.resize(fresh.size());
  Begin(std::move(fresh), std::move(lines));
}

void DrillWindow::StartWith(std::vector<GameRecord> oldestFirst) {
  Begin(std::move(oldestFirst), {});
}

void DrillWindow::Begin(std::vector<GameRecord> dealtAgain, std::vector<QString> lines) {
  hands = std::move(dealtAgain);
  lineOf = std::move(lines);
  for (const GameRecord& g : hands) {
    const std::optional<PlayedOn> on = PlayedOnOf(g);
    if (on && on->rules != nullptr)
      tables.Prepare(*on->rules);
    else
      tables.Prepare(g.game);
  }
  current = 0;
  right = 0;
  Deal();
}

void DrillWindow::Deal() {
  held = 0;
  if (current >= HandCount()) {
    phase = Phase::kDone;
    dealt = {};
    caption->setText(QStringLiteral("Practise my mistakes"));
    verdict->setText(
        hands.empty()
            ? QStringLiteral("No mistakes on record: every hand the coach judged was held as "
                             "best play holds it.")
            : QStringLiteral("Practice over: %1 of %2 held right.").arg(right).arg(HandCount()));
    advanceButton->setEnabled(false);
    ShowCards();
    return;
  }
  const GameRecord& g = hands[static_cast<std::size_t>(current)];
  phase = Phase::kHolding;
  dealt = g.dealt;
  const std::optional<PlayedOn> on = PlayedOnOf(g);
  const bool trainer = on && on->rules != nullptr;
  deck = trainer ? TrainerPracticeDeck(dealt, *on->rules, random)
                 : PracticeDeck(dealt, g.game, random);
  const QString game = trainer ? GameCellText(g) : GameTitleText(g.game);
  if (!lineOf.empty()) {
    caption->setText(QStringLiteral("Line practice, hand %1 of %2: %3, %4 coin%5. The chart "
                                    "line: %6")
                         .arg(current + 1)
                         .arg(HandCount())
                         .arg(game)
                         .arg(g.coins)
                         .arg(g.coins == 1 ? QString() : QStringLiteral("s"))
                         .arg(lineOf[static_cast<std::size_t>(current)]));
  } else {
    caption->setText(
        QStringLiteral("Hand %1 of %2: %3, %4 coin%5, first played %6")
            .arg(current + 1)
            .arg(HandCount())
            .arg(game)
            .arg(g.coins)
            .arg(g.coins == 1 ? QString() : QStringLiteral("s"))
            .arg(g.playedAt.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"))));
  }
  thinking.start();
  verdict->setText(
      QStringLiteral("Hold the cards you would keep (click them or press 1 to 5), then Draw "
                     "(Enter). Practice pays nothing."));
  advanceButton->setText(QStringLiteral("Draw"));
  advanceButton->setEnabled(true);
  ShowCards();
}

void DrillWindow::ToggleHold(int card) {
  if (phase != Phase::kHolding || card < 0 || card > 4) return;
  held = HoldMask::FromBits(held).Toggled(card).Bits();
  ShowCards();
}

void DrillWindow::Advance() {
  if (phase == Phase::kHolding) {
    Draw();
  } else if (phase == Phase::kDrawn) {
    ++current;
    Deal();
  }
}

void DrillWindow::Draw() {
  const GameRecord& g = hands[static_cast<std::size_t>(current)];
  const std::optional<PlayedOn> on = PlayedOnOf(g);
  const bool trainer = on && on->rules != nullptr;
  const StrategyTables* t = trainer ? tables.Find(*on->rules) : tables.Find(g.game);
  if (t == nullptr) {
    verdict->setText(QStringLiteral("Working out the values of this deal…"));
    advanceButton->setEnabled(false);
    QTimer::singleShot(kTablesPollMs, this, [this] {
      advanceButton->setEnabled(true);
      if (phase == Phase::kHolding) Draw();
    });
    return;
  }
  const HandJudgement j = trainer ? JudgeHand(*t, dealt, g.coins, on->pays, on->rules->deck)
                                  : JudgeHand(*t, dealt, g.coins);
  best = j.bestMask;
  GameRecord practice = PracticeRecord(g, deck, held, j, credits());
  final = practice.final;
  store.RecordPractice(practice);
  emit Practised();

  const HoldVerdict now = JudgeHold(j, held);
  const unsigned firstHeld = HoldMask::FromBits(static_cast<unsigned>(g.held)).Bits();
  if (!now.mistake) ++right;
  const bool linePractice = !lineOf.empty();
  if (linePractice)
    emit LineDecided(lineOf[static_cast<std::size_t>(current)], !now.mistake, thinking.elapsed());
  QString text;
  if (!now.mistake) {
    text = QStringLiteral("<b>Right.</b> %1 is a best hold, worth %2 credits")
               .arg(Hold(dealt, held), Credits(now.bestEv));
    if (j.bestCount > 1) text += QStringLiteral(" (%1 holds are as good)").arg(j.bestCount);
    text += QLatin1Char('.');
  } else {
    text = QStringLiteral(
               "<b>Not best.</b> %1 is worth %2 credits; best is %3, worth %4 (it "
               "costs %5).")
               .arg(Hold(dealt, held), Credits(now.heldEv), Hold(dealt, j.bestMask),
                    Credits(now.bestEv), Credits(now.cost));
  }
  if (!linePractice)
    text += QStringLiteral("<br>The first time you held %1, worth %2.")
                .arg(Hold(dealt, firstHeld), Credits(j.ev[firstHeld]));
  // The chart lines are the machine's (the trainer shows its own, G).
  if (charts != nullptr && !trainer) {
    const StrategyChart* chart = charts->Find(g.game, g.coins);
    if (chart != nullptr && !chart->lines.empty()) {
      const ChartMatch match = MatchChart(*chart, dealt);
      text +=
          QStringLiteral("<br>By the chart: Line %1, %2 (holding %3).")
              .arg(match.line + 1)
              .arg(QString::fromStdString(match.text).toHtmlEscaped(), Hold(dealt, match.holdMask));
    } else {
      text += QStringLiteral("<br>The chart for this stake is still being worked out.");
    }
  }
  text +=
      QStringLiteral("<br>The draw made %1 (practice pays nothing).").arg(HandRowText(practice));
  text += QStringLiteral("<br>Right so far: %1 of %2.").arg(right).arg(current + 1);
  verdict->setText(text);
  phase = Phase::kDrawn;
  advanceButton->setText(current + 1 < HandCount() ? QStringLiteral("Next hand")
                                                   : QStringLiteral("Finish"));
  ShowCards();
}

void DrillWindow::ShowCards() {
  QImage strip(kDealStripWidth, kDealStripHeight, QImage::Format_RGB32);
  strip.fill(kPanelBlue);
  const GameVariant game =
      current < HandCount() ? hands[static_cast<std::size_t>(current)].game : kJacksOrBetter;
  QPainter painter;
  for (int i = 0; i < 5; ++i) {
    const int x = kStripMargin + i * (kCardWidth + kCardGap);
    const auto k = static_cast<std::size_t>(i);
    const bool isHeld = HoldMask::FromBits(held).Holds(static_cast<int>(k));
    if (phase == Phase::kDone)
      DrawCardBack(strip, x, kStripMargin);
    else
      DrawCardFace(strip, x, kStripMargin, phase == Phase::kDrawn ? final[k] : dealt[k], game);
    if (!isHeld || phase == Phase::kDone) continue;
    painter.begin(&strip);
    painter.setPen(kTextYellow);
    painter.setFont(StandardFont(10, true));
    painter.drawText(QRect(x, kStripMargin + kCardHeight + 2, kCardWidth, kTagHeight - 2),
                     Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("HELD"));
    painter.end();
  }
  cards->setPixmap(QPixmap::fromImage(strip));
  cards->setAccessibleName(
      phase == Phase::kDone ? QStringLiteral("No hand")
      : phase == Phase::kDrawn
          ? QStringLiteral("After the draw: %1").arg(HistoryModel::SpokenCards(final))
          : QStringLiteral("Dealt: %1")
                .arg(HistoryModel::SpokenCards(dealt, static_cast<int>(held))));
  ShowDealtCards(game);
}

// The dealt hand kept in view once drawn: the hold played in a yellow frame,
// BEST under the cards best play holds.
void DrillWindow::ShowDealtCards(GameVariant game) {
  dealtCards->setVisible(phase == Phase::kDrawn);
  if (phase != Phase::kDrawn) return;
  QImage strip(kDealStripWidth, kDealStripHeight, QImage::Format_RGB32);
  strip.fill(kPanelBlue);
  const HoldMask played = HoldMask::FromBits(held);
  const HoldMask bestPlay = HoldMask::FromBits(best);
  QPainter painter;
  for (int i = 0; i < 5; ++i) {
    const int x = kStripMargin + i * (kCardWidth + kCardGap);
    DrawCardFace(strip, x, kStripMargin, dealt[static_cast<std::size_t>(i)], game);
    painter.begin(&strip);
    if (played.Holds(i)) {
      painter.setPen(QPen(kTextYellow, 3));
      painter.drawRect(x - 2, kStripMargin - 2, kCardWidth + 3, kCardHeight + 3);
    }
    if (bestPlay.Holds(i)) {
      painter.setPen(kTextWhite);
      painter.setFont(StandardFont(10, true));
      painter.drawText(QRect(x, kStripMargin + kCardHeight + 2, kCardWidth, kTagHeight - 2),
                       Qt::AlignHCenter | Qt::AlignTop, QStringLiteral("BEST"));
    }
    painter.end();
  }
  dealtCards->setPixmap(QPixmap::fromImage(strip));
  QStringList best;
  for (int i = 0; i < 5; ++i)
    if (bestPlay.Holds(i)) best << CardName(dealt[static_cast<std::size_t>(i)]);
  dealtCards->setAccessibleName(
      QStringLiteral("Dealt: %1. Best play holds %2")
          .arg(HistoryModel::SpokenCards(dealt, static_cast<int>(held)),
               best.isEmpty() ? QStringLiteral("nothing") : best.join(QStringLiteral(", "))));
}

void DrillWindow::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if (key >= Qt::Key_1 && key <= Qt::Key_5) {
    ToggleHold(key - Qt::Key_1);
  } else if (key == Qt::Key_Return || key == Qt::Key_Enter) {
    Advance();
  } else if (key == Qt::Key_Escape) {
    close();
  } else {
    QWidget::keyPressEvent(event);
  }
}

bool DrillWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == cards && event->type() == QEvent::MouseButtonPress) {
    const QPoint p = static_cast<QMouseEvent*>(event)->position().toPoint();
    const int step = kCardWidth + kCardGap;
    const int i = (p.x() - kStripMargin) / step;
    const int within = (p.x() - kStripMargin) % step;
    if (p.x() >= kStripMargin && i < 5 && within < kCardWidth && p.y() >= kStripMargin &&
        p.y() < kStripMargin + kCardHeight)
      ToggleHold(i);
    return true;
  }
  return QWidget::eventFilter(watched, event);
}

}  // namespace lynx
