#include "review/csv_export.h"

#include <QCoreApplication>
#include <QEvent>
#include <QProgressDialog>
#include <QTimer>
#include <QtConcurrent/QtConcurrentRun>
#include <QWidget>
#include <utility>

namespace lynx {

namespace {

// How often the bar takes the count from the export's thread.
constexpr int kTickMs = 100;

}  // namespace

CsvExport::CsvExport(HistoryStore& store, const QString& path, QWidget& window, Finished finished)
    : QObject(&window), store(store), whenFinished(std::move(finished)) {
  dialog = new QProgressDialog(QStringLiteral("Exporting the game history…"),
                               QStringLiteral("Cancel"), 0, 0, &window);
  dialog->setWindowTitle(QStringLiteral("LYNX Video Poker"));
  dialog->setAttribute(Qt::WA_QuitOnClose, false);
  // The window stays usable (and closable) beside it.
  dialog->setWindowModality(Qt::NonModal);
  // The dialog goes when the export ends, not when the bar is full.
  dialog->setAutoReset(false);
  dialog->setAutoClose(false);
  dialog->setMinimumDuration(kShowAfterMs);
  dialog->setValue(0);  // starts the clock of the minimum duration
  connect(dialog, &QProgressDialog::canceled, this, &CsvExport::Cancel);

  ticker = new QTimer(this);
  connect(ticker, &QTimer::timeout, this, &CsvExport::ShowProgress);
  ticker->start(kTickMs);

  window.installEventFilter(this);
  connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &CsvExport::Cancel);

  // The export touches this object only until it ends, and the destructor
  // waits for that.
  connect(&work, &QFutureWatcher<void>::finished, this, &CsvExport::Finish);
  work.setFuture(QtConcurrent::run([this, path] {
    outcome = this->store.ExportCsv(path, [this](std::int64_t count, std::int64_t of) {
      done = count;
      total = of;
      return !cancelled;
    });
  }));
}

CsvExport::~CsvExport() {
  cancelled = true;
  // An export still waiting for a thread of the pool never starts; one that
  // runs stops at its next count.
  work.cancel();
  work.waitForFinished();
  delete dialog.data();
}

QProgressDialog* CsvExport::Dialog() const {
  return dialog.data();
}

void CsvExport::Cancel() {
  cancelled = true;
  if (dialog) {
    dialog->cancel();  // also keeps it from showing later
    dialog->hide();
  }
}

bool CsvExport::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::Close) Cancel();
  return QObject::eventFilter(watched, event);
}

void CsvExport::ShowProgress() {
  const std::int64_t of = total;
  if (!dialog || cancelled || of < 0) return;
  if (dialog->maximum() != kSteps) dialog->setRange(0, kSteps);
  // Set only when it moves: setting the start value again restarts the
  // dialog's clock, and a slow start would never show it.
  const int value = of == 0 ? 0 : static_cast<int>(done * kSteps / of);
  if (value != dialog->value()) dialog->setValue(value);
}

void CsvExport::Finish() {
  ticker->stop();
  delete dialog.data();
  const Outcome result = outcome;
  std::int64_t games = 0;
  // The count of the snapshot written; a store that never told it is asked.
  if (result == Outcome::Written) games = total >= 0 ? total.load() : store.GameCount();
  // The callback may delete this object.
  const Finished callback = std::move(whenFinished);
  if (callback) callback(result, games);
}

}  // namespace lynx
