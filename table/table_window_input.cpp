// The table window's input: every operation goes through one guard, so that
// input arriving during a deal or draw runs after it, in order; the keys,
// the actions menu and the coach's hint.
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>

#include "table/actions_menu.h"
#include "table/table_accessibility.h"
#include "table/table_frame.h"
#include "table/table_window.h"

namespace lynx {

void TableWindow::Guarded(std::function<void()> action) {
  if (busy) {
    // A sound is playing inside a deal or draw; the request waits for its end.
    deferred.push_back(std::move(action));
    return;
  }
  busy = true;
  action();
  // A deal or draw waiting for the disk ends its turn itself.
  if (!awaitingDisk) EndTurn();
}

void TableWindow::EndTurn() {
  busy = false;
  if (!deferred.empty()) QTimer::singleShot(0, this, &TableWindow::RunDeferred);
}

void TableWindow::ThenOnDisk(std::function<void()> rest) {
  awaitingDisk = true;
  askingDisk = true;
  services.history.WhenOnDisk(this, [this, rest = std::move(rest)] {
    awaitingDisk = false;
    rest();
    // Called later, from the event loop: Guarded has returned since.
    if (!askingDisk) EndTurn();
  });
  askingDisk = false;
}

void TableWindow::RunDeferred() {
  while (!busy && !deferred.empty()) {
    std::function<void()> action = std::move(deferred.front());
    deferred.pop_front();
    Guarded(std::move(action));
  }
}

void TableWindow::DealOrDraw() {
  Guarded([this] { RunDealOrDraw(); });
}
void TableWindow::BetOne() {
  Guarded([this] { RunBetOne(); });
}
void TableWindow::BetMax() {
  Guarded([this] { RunBetMax(); });
}

void TableWindow::ToggleHold(int index) {
  Guarded([this, index] {
    if (machine.ToggleHold(index)) ShowHolds();
  });
}

void TableWindow::AddCredits() {
  Guarded([this] {
    machine.AddCredits(100);
    WriteCreditsLine();
    emit CreditsAdded();
  });
}

void TableWindow::ToggleSound() {
  Guarded([this] {
    sounds.Toggle();
    services.dialogs.Info(
        this, kTableTitle,
        sounds.On() ? QStringLiteral("Sound is now on.") : QStringLiteral("Sound is now off."));
  });
}

void TableWindow::SwitchMode() {
  Guarded([this] {
    if (values.largeCards == 0 && services.screen.Width() < 750) {
      services.dialogs.Exclaim(
          this, QStringLiteral("Feature Not Available in this Resolution"),
          QStringLiteral("You cannot use 'large card' mode when your display resolution is only "
                         "640 X 480.  The cards would be too big to fit on the screen."));
      return;
    }
    // On a scaled screen the large table may not fit the height either.
    if (values.largeCards == 0 && !LargeFits()) {
      services.dialogs.Exclaim(
          this, QStringLiteral("Feature Not Available in this Resolution"),
          QStringLiteral("The large cards do not fit on this screen at its scale: the table keeps "
                         "its small cards."));
      return;
    }
    values.largeCards = values.largeCards == 0 ? 1 : 0;
    ApplyTableLayout();
    // A fresh surface of the new size: nothing of the old size survives, and
    // the repaint puts the hand back in the new card size.
    ClearSurface();
    repaint();
  });
}

void TableWindow::ShowHelp() {
  Guarded([this] { services.help.Open(QString::fromStdString(values.helpFile), helpTopic); });
}

void TableWindow::Quit() {
  Guarded([this] { done(QDialog::Accepted); });
}

void TableWindow::reject() {
  Quit();
}

void TableWindow::closeEvent(QCloseEvent* event) {
  // The window manager's close is the Quit button. During a deal it waits
  // like any other input, and the window stays open until the deal is over.
  const bool closesNow = !busy;
  Quit();
  if (closesNow)
    event->accept();
  else
    event->ignore();
}

void TableWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      DealOrDraw();
      break;
    case Qt::Key_B:
    case Qt::Key_R:
    case Qt::Key_T:
      // The letter itself, not a shortcut made with it.
      if (!PlainKey(*event)) {
        event->ignore();
        return;
      }
      if (event->key() == Qt::Key_B)
        BetOne();
      else if (event->key() == Qt::Key_R)
        emit HistoryRequested();
      else
        emit StatisticsRequested();
      break;
    case Qt::Key_F1:
      ShowHelp();
      break;
    case Qt::Key_F10:
      // Shift+F10: the actions menu, as the Menu key opens it.
      if (event->modifiers() != Qt::ShiftModifier) {
        event->ignore();
        return;
      }
      ShowActionsMenu(mapToGlobal(QPoint(DesignedSize().width() / 2, DesignedSize().height() / 3)));
      break;
    case Qt::Key_Escape:
      reject();
      break;
    default:
      if (MachineKey(event)) break;
      event->ignore();
      return;
  }
  event->accept();
}

bool TableWindow::OwnKey(const QKeyEvent& event) {
  return TableKey(event, {Qt::Key_L});
}

bool TableWindow::MachineKey(QKeyEvent* event) {
  // The letter or digit itself, not a shortcut made with it; a key held down
  // acts once, as one click would.
  if (!PlainKey(*event)) return false;
  const int key = event->key();
  if (key >= Qt::Key_1 && key <= Qt::Key_5) {
    if (!event->isAutoRepeat()) ToggleHold(key - Qt::Key_1);
    return true;
  }
  std::function<void()> action;
  switch (key) {
    case Qt::Key_M:
      action = [this] { BetMax(); };
      break;
    case Qt::Key_C:
      action = [this] { AddCredits(); };
      break;
    case Qt::Key_S:
      action = [this] { ToggleSound(); };
      break;
    case Qt::Key_L:
      action = [this] { SwitchMode(); };
      break;
    case Qt::Key_H:
      action = [this] { Hint(); };
      break;
    case Qt::Key_A:
      action = [this] { Guarded([this] { emit AnalysisRequested(); }); };
      break;
    case Qt::Key_G:
      action = [this] { Guarded([this] { emit ChartRequested(); }); };
      break;
    case Qt::Key_K:
      action = [this] { ToggleCoach(); };
      break;
    default:
      return false;
  }
  if (!event->isAutoRepeat()) action();
  return true;
}

void TableWindow::Hint() {
  Guarded([this] {
    if (!machine.Dealt() || advisor == nullptr) return;
    const std::optional<HoldMask> hint = advisor->HintFor(InProgress());
    if (!hint) return;
    if (machine.SetHolds(*hint)) {
      ShowHolds();
      return;
    }
    // Nothing to change on the table: the answer is said beside the
    // Deal/Draw button, coach shown or not.
    const QString answer = hint->Stored() == 0
                               ? QStringLiteral("Best play: hold nothing, draw five new cards.")
                               : QStringLiteral("Best play: the cards held now.");
    QToolTip::showText(Image8->mapToGlobal(QPoint(Image8->width(), 0)), answer, Image8);
    Announce(this, answer);
  });
}

void TableWindow::ToggleCoach() {
  Guarded([this] {
    if (sidePanel == nullptr) return;
    ShowSidePanel(!sidePanelShown);
    emit SidePanelToggled(sidePanelShown);
  });
}

void TableWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (event->reason() != QContextMenuEvent::Keyboard) {
    event->ignore();
    return;
  }
  event->accept();
  ShowActionsMenu(mapToGlobal(QPoint(DesignedSize().width() / 2, DesignedSize().height() / 3)));
}

void TableWindow::ShowActionsMenu(const QPoint& globalPos) {
  ActionsMenu menu(this, QStringLiteral("TableMenu"));
  const bool dealt = machine.Dealt();
  menu.AddPlay({dealt, machine.Cards(), machine.Held(), QStringLiteral("Enter"), tr("&Bet $1\tB"),
                [this] { DealOrDraw(); }, [this] { BetOne(); }, [this] { BetMax(); },
                [this](int k) { ToggleHold(k); }});
  menu.Add(tr("H&int: the best hold\tH"), [this] { Hint(); })
      ->setEnabled(dealt && advisor != nullptr);
  menu.AddCheck(tr("Strategy &coach\tK"), sidePanelShown, [this] { ToggleCoach(); })
      ->setEnabled(sidePanel != nullptr);
  menu.Add(tr("&All holds and their values\tA"),
           [this] { Guarded([this] { emit AnalysisRequested(); }); });
  menu.Add(tr("Strate&gy chart\tG"), [this] { Guarded([this] { emit ChartRequested(); }); });
  menu.AddSeparator();
  menu.Add(tr("Add 100 cr&edits\tC"), [this] { AddCredits(); });
  menu.AddCheck(tr("&Sound\tS"), sounds.On(), [this] { ToggleSound(); });
  menu.AddCheck(tr("&Large cards\tL"), LargeLayout(), [this] { SwitchMode(); });
  menu.AddEnd([this] { emit HistoryRequested(); }, [this] { emit StatisticsRequested(); },
              [this] { ShowHelp(); }, tr("&Quit the table\tEsc"), [this] { reject(); });
  menu.Exec(globalPos);
}

void TableWindow::SetHolds(HoldMask holds) {
  Guarded([this, holds] {
    if (machine.SetHolds(holds)) ShowHolds();
  });
}

void TableWindow::ShowHolds() {
  cardRow.ShowHolds(machine.Held());
}

}  // namespace lynx
