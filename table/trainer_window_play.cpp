// The trainer's play: bets, the deal, the holds, the coach's warning and the
// draw of every hand, with the choice of game, pays and hands between deals.
#include <QStringList>
#include <algorithm>

#include "look/widget_look.h"
#include "table/button_column.h"
#include "table/game_records.h"
#include "table/table_accessibility.h"
#include "table/table_controls.h"
#include "table/table_frame.h"
#include "table/trainer_geometry.h"
#include "table/trainer_window.h"

namespace lynx {

using trainer_geometry::Text;

void TrainerWindow::DealOrDraw() {
  if (busy) return;
  if (machine.Dealt())
    Draw();
  else
    Deal();
}

void TrainerWindow::BetOne() {
  if (busy || machine.Dealt()) return;
  const BetOutcome bet = machine.BetOne();
  if (bet.refusal != Refusal::None) {
    Refuse(bet.refusal);
    return;
  }
  if (!bet.placed) return;
  LightColumn(machine.CoinsIn());
  WriteMeter();
  message->setText(QString());
  if (bet.dealNext) Deal();
}

void TrainerWindow::BetMax() {
  if (busy || machine.Dealt()) return;
  const BetOutcome bet = machine.BetMax();
  if (bet.refusal != Refusal::None) {
    Refuse(bet.refusal);
    return;
  }
  LightColumn(machine.CoinsIn());
  WriteMeter();
  if (bet.dealNext) Deal();
}

void TrainerWindow::ToggleHold(int index) {
  if (busy || !machine.ToggleHold(index)) return;
  drawWarning.Clear();
  ShowHolds();
  WriteCoach();
}

void TrainerWindow::Hint() {
  if (busy || !machine.Dealt()) return;
  Judge();
  if (!judgement) {
    message->setText(QStringLiteral("Working out the best hold..."));
    return;
  }
  if (machine.SetHolds(HoldMask::FromBits(judgement->bestMask))) {
    drawWarning.Clear();
    ShowHolds();
    WriteCoach();
  } else {
    message->setText(judgement->bestMask == 0 ? QStringLiteral("Best: draw five")
                                              : QStringLiteral("Best: as held"));
  }
}

void TrainerWindow::AddCredits() {
  if (busy) return;
  machine.AddCredits(100);
  WriteMeter();
  emit CreditsAdded();
}

void TrainerWindow::NextHandCount() {
  if (busy) return;
  const auto& counts = kTrainerHandCounts;
  const auto at = std::find(counts.begin(), counts.end(), machine.Hands());
  const int next = at == counts.end() || at + 1 == counts.end() ? counts.front() : *(at + 1);
  TrainerChoice wanted = choice;
  wanted.hands = next;
  Choose(wanted);
}

void TrainerWindow::NextSpeed() {
  speed = speed == TrainerSpeed::kDesigned ? TrainerSpeed::kFast
          : speed == TrainerSpeed::kFast   ? TrainerSpeed::kInstant
                                           : TrainerSpeed::kDesigned;
  speedButton->setText(QStringLiteral("Speed: %1").arg(QLatin1String(SpeedWord(speed))));
  SaveSettings();
}

bool TrainerWindow::Choose(const TrainerChoice& next) {
  if (busy || machine.Dealt()) {
    services.dialogs.Info(this, kTableTitle,
                          QStringLiteral("Finish the hand on the table first: draw, then choose."));
    return false;
  }
  if (next.rules == nullptr || !machine.SetGame(*next.rules, next.pays, next.table) ||
      !machine.SetHands(next.hands))
    return false;
  choice = next;
  judgement.reset();
  last.reset();
  captions.clear();
  tables.Prepare(*next.rules);
  LightRows({});
  message->setText(QString());
  LayOut();
  SaveSettings();
  return true;
}

bool TrainerWindow::ResumeHand(const TrainerHandInProgress& hand) {
  if (busy || machine.Dealt()) return false;
  const GameRules* rules = FindGame(hand.game);
  if (rules == nullptr) return false;
  TrainerChoice back{rules, hand.table, hand.pays, hand.hands};
  back.pays.rules = rules;
  back.pays.variant = rules->family;
  if (!machine.SetGame(*rules, back.pays, hand.table) || !machine.SetHands(hand.hands) ||
      !machine.Resume(hand)) {
    machine.SetGame(*choice.rules, choice.pays, choice.table);
    machine.SetHands(choice.hands);
    return false;
  }
  choice = back;
  tables.Prepare(*rules);
  LayOut();
  judgement.reset();
  ClearSurface();
  for (int k = 0; k < 5; ++k) PaintDealtCard(k, hand.dealt[static_cast<std::size_t>(k)], false);
  ShowHolds();
  LightColumn(machine.CoinsIn());
  WriteMeter();
  ShowDealOrDraw(dealButton, true, TablePicture("btn_draw", unit), TablePicture("btn_deal", unit));
  update();
  return true;
}

void TrainerWindow::Refuse(Refusal refusal) {
  if (refusal != Refusal::None) services.dialogs.Info(this, kTableTitle, RefusalText(refusal));
}

// One pause of the chosen speed: the card sound where the sound is on (its
// length is the machine's pace), nothing at the instant speed.
void TrainerWindow::Pause() {
  if (speed != TrainerSpeed::kInstant) sounds.Card();
}

void TrainerWindow::Deal() {
  const DealOutcome deal = machine.Deal(services.random);
  if (deal.refusal != Refusal::None) {
    Refuse(deal.refusal);
    return;
  }
  busy = true;
  judgement.reset();
  last.reset();
  captions.clear();
  for (std::size_t h = 0; h < handSpots.size(); ++h)
    handSpots[h]->setAccessibleName(QStringLiteral("Hand %1").arg(h + 2));
  // Judged before the cards show: the hint and the summary never wait.
  drawWarning.NewDeal();
  Judge();
  LightRows({});
  LightColumn(machine.CoinsIn());
  WriteMeter();
  message->setText(QString());
  // The extra hands wait face down for the draw.
  ClearSurface();
  RevealDealtRow(deal.cards, HoldMask{});
  ShowHolds();
  if (deal.winRow > -1) LightRows({deal.winRow});
  ShowDealOrDraw(dealButton, true, TablePicture("btn_draw", unit), TablePicture("btn_deal", unit));
  busy = false;
  WriteCoach();
  update();
  Announce(this, DealtText(deal.cards,
                           deal.winRow > -1 ? payTable.Name(deal.winRow)->text() : QString()));
}

void TrainerWindow::Judge() {
  if (judgement || !machine.Dealt()) return;
  const StrategyTables* built = tables.Find(machine.Rules());
  if (built == nullptr) return;
  judgement = JudgeHand(*built, machine.Cards(), machine.CoinsIn(), machine.GamePays(),
                        machine.Rules().deck);
}

// Shown, the coach holds a costly draw back once for each hold, and says
// why beside the table and wherever the focus is.
bool TrainerWindow::CoachHoldsDrawBack() {
  if (!coachShown || !judgement) return false;
  const unsigned mask = static_cast<unsigned>(machine.Held().Stored());
  if (!drawWarning.HoldsBack(*judgement, mask)) return false;
  WriteCoach();
  const HoldVerdict verdict = JudgeHold(*judgement, mask);
  Announce(this, tr("Coach: this hold gives up %1 credits a hand. Held: %2. Best: %3. "
                    "Return draws as held; H holds the best.")
                     .arg(CreditsText(verdict.cost),
                          QString::fromStdString(HoldText(judgement->dealt, mask)),
                          QString::fromStdString(HoldText(judgement->dealt, judgement->bestMask))));
  return true;
}

void TrainerWindow::Draw() {
  Judge();
  if (CoachHoldsDrawBack()) return;
  drawWarning.Clear();
  const TrainerSettlement settled = machine.Draw(services.random);
  if (settled.results.empty()) return;
  busy = true;
  const unsigned mask = static_cast<unsigned>(settled.held.Stored());
  const std::optional<HoldVerdict> verdict =
      judgement ? std::optional<HoldVerdict>(JudgeHold(*judgement, mask)) : std::nullopt;
  // Kept before the player sees the result: a deal shown as paid is recorded.
  emit GamesSettled(GameRecordsOf(DealOf(settled), verdict ? &*verdict : nullptr));
  if (verdict) {
    const QString held = QString::fromStdString(HoldText(settled.dealt, mask));
    lastDraw = verdict->mistake
                   ? QStringLiteral("Held %1: gave up %2 credits a hand against %3.")
                         .arg(held)
                         .arg(CreditsText(verdict->cost))
                         .arg(QString::fromStdString(HoldText(settled.dealt, judgement->bestMask)))
                   : QStringLiteral("Held %1: a best hold.").arg(held);
  }
  std::vector<std::int64_t> wonEach;
  for (const TrainerHandResult& result : settled.results) wonEach.push_back(result.won);
  session.AddDeal(settled.coins, wonEach, judgement ? &*judgement : nullptr, mask);
  standing.AddDeal({settled.rules, settled.table, settled.pays, settled.coins, settled.hands},
                   settled.won);
  RevealDraw(settled);
  ShowDrawResult(settled);
}

// The dealt row's cards but the kept ones, one by one at the designed speed,
// all at once when fast.
void TrainerWindow::RevealDealtRow(const Hand& cards, HoldMask kept) {
  for (int k = 0; k < 5; ++k) {
    if (kept.Holds(k)) continue;
    PaintDealtCard(k, cards[static_cast<std::size_t>(k)], false);
    if (speed == TrainerSpeed::kDesigned) {
      repaint();
      Pause();
    }
  }
  if (speed == TrainerSpeed::kFast) {
    repaint();
    Pause();
  }
}

// The dealt row draws first, then each extra hand in turn, each captioned
// with its win.
void TrainerWindow::RevealDraw(const TrainerSettlement& settled) {
  const TrainerHandResult& first = settled.results.front();
  RevealDealtRow(first.final, settled.held);
  const auto captionOf = [this](const TrainerHandResult& result) {
    return result.row > -1
               ? QStringLiteral("%1 %2")
                     .arg(Text(machine.Rules().rows[static_cast<std::size_t>(result.row)].caption))
                     .arg(result.won)
               : QString();
  };
  // With more hands than one, the dealt row is captioned as the others are.
  captions.push_back(captionOf(first));
  if (settled.hands > 1) PaintCaption(0, captions.front(), first.row > -1);
  for (std::size_t h = 1; h < settled.results.size(); ++h) {
    const TrainerHandResult& result = settled.results[h];
    const int hand = static_cast<int>(h);
    PaintMiniHand(hand, result.final, {true, true, true, true, true});
    const QString caption = captionOf(result);
    captions.push_back(caption);
    if (h - 1 < handSpots.size()) {
      QStringList names;
      for (const CardCode card : result.final) names << CardName(card);
      handSpots[h - 1]->setAccessibleName(
          QStringLiteral("Hand %1: %2. %3")
              .arg(hand + 1)
              .arg(names.join(QStringLiteral(", ")),
                   caption.isEmpty() ? QStringLiteral("No win") : caption));
    }
    PaintCaption(hand, caption, result.row > -1);
    if (speed != TrainerSpeed::kInstant) {
      repaint();
      Pause();
    }
  }
}

// The rows won lit, the message and meter written, the table ready to deal.
void TrainerWindow::ShowDrawResult(const TrainerSettlement& settled) {
  const TrainerHandResult& first = settled.results.front();
  std::vector<int> won;
  for (const TrainerHandResult& result : settled.results)
    if (result.row > -1) won.push_back(result.row);
  LightRows(won);
  if (settled.hands == 1)
    message->setText(QString::fromStdString(first.message));
  else
    message->setText(settled.won > 0 ? QStringLiteral("Total won: %1").arg(settled.won)
                                     : QStringLiteral("No win"));
  WriteMeter();
  for (PictureButton* marker : cardRow.Markers()) marker->setPixmap(cardRow.Face(false));
  ShowDealOrDraw(dealButton, false, TablePicture("btn_draw", unit), TablePicture("btn_deal", unit));
  last = settled;
  busy = false;
  WriteCoach();
  update();
  Announce(this,
           DrawnText(first.final, settled.won > 0 ? message->text() : QString(), values.credits));
  if (settled.won > 0) sounds.Win();
}

void TrainerWindow::ShowHolds() {
  cardRow.ShowHolds(machine.Dealt() ? machine.Held() : HoldMask{});
  if (!machine.Dealt()) return;
  // The extra hands show the cards held, the rest face down.
  std::array<bool, 5> held{};
  for (int k = 0; k < 5; ++k) held[static_cast<std::size_t>(k)] = machine.Held().Holds(k);
  for (int h = 1; h < machine.Hands(); ++h) PaintMiniHand(h, machine.Cards(), held);
  update();
}

void TrainerWindow::ShowCoach(bool shown) {
  if (shown == coachShown) return;
  coachShown = shown;
  if (!shown) drawWarning.Clear();
  LayOut();
  Redraw();
  WriteCoach();
  SaveSettings();
}

// The hand on the table (or the last deal's hands) on a fresh surface.
void TrainerWindow::Redraw() {
  if (!machine.Dealt() && !last) return;
  for (int k = 0; k < 5; ++k)
    PaintDealtCard(k, machine.Cards()[static_cast<std::size_t>(k)], false);
  if (machine.Dealt()) {
    ShowHolds();
    return;
  }
  if (last->hands > 1 && !captions.empty())
    PaintCaption(0, captions.front(), last->results.front().row > -1);
  for (std::size_t h = 1; h < last->results.size(); ++h) {
    PaintMiniHand(static_cast<int>(h), last->results[h].final, {true, true, true, true, true});
    if (h < captions.size())
      PaintCaption(static_cast<int>(h), captions[h], last->results[h].row > -1);
  }
  update();
}

}  // namespace lynx
