#pragma once
// The CSV export of the game history in the background, with a progress
// dialog the player can cancel, so that a long history never freezes a window.

#include <QFutureWatcher>
#include <QObject>
#include <QPointer>
#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>

#include "platform/history_store.h"

class QProgressDialog;
class QTimer;
class QWidget;

namespace lynx {

// One export. Made a child of window, it starts at once; the progress dialog
// shows over window when the export takes longer than a moment. Cancel in the
// dialog, closing window or the program ending cancels the export, which then
// leaves no file. The object going (with its window) cancels the export too
// and waits for the cancel, which takes milliseconds, not for the export.
class CsvExport final : public QObject {
 public:
  using Outcome = HistoryStore::ExportOutcome;
  // Called on window's thread once the export has ended, with the number of
  // games written (0 unless Written). The object may be deleted from it.
  using Finished = std::function<void(Outcome outcome, std::int64_t games)>;

  // store must outlive the object, and its ExportCsv must be safe to call
  // from another thread.
  CsvExport(HistoryStore& store, const QString& path, QWidget& window, Finished finished);
  ~CsvExport() override;
  CsvExport(const CsvExport&) = delete;
  CsvExport& operator=(const CsvExport&) = delete;

  void Cancel();
  // Null once the export has ended.
  QProgressDialog* Dialog() const;

  static constexpr int kShowAfterMs = 400;  // how long an export runs unseen
  static constexpr int kSteps = 1000;       // of the progress bar

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void ShowProgress();
  void Finish();

  // Written by the export's thread, read by the window's.
  std::atomic<bool> cancelled{false};
  std::atomic<std::int64_t> done{0};
  std::atomic<std::int64_t> total{-1};  // -1 until the export knows it
  std::atomic<Outcome> outcome{Outcome::Failed};

  HistoryStore& store;
  Finished whenFinished;
  QPointer<QProgressDialog> dialog;
  QTimer* ticker = nullptr;  // moves the bar
  QFutureWatcher<void> work;  // the export on Qt's pool
};

}  // namespace lynx
