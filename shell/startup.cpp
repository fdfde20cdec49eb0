#include "shell/startup.h"

#include <QApplication>
#include <QEvent>
#include <QFileInfo>
#include <QKeyEvent>
#include <QSessionManager>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdlib>

#include "platform/data_dir.h"
#include "shell/settings.h"
#include "shell/signal_watcher.h"
#include "table/table_window.h"
#include "table/trainer_window.h"

namespace lynx {

QString AboutTextFor(const QString& lineBreak) {
  return QStringLiteral(
             "A very LYNXistic video poker machine simulation--like those found in casinos.  "
             "There are three variations to choose from (Jacks or Better, Joker Wild, and "
             "Deuces Wild).") +
         lineBreak + lineBreak +
         QStringLiteral("Free software for Linux by the LYNX Video Poker developers.");
}

QString ProgramDirFrom(const QString& dataDir) {
  QString dir = dataDir.trimmed();
  if (dir.endsWith(QLatin1Char('/'))) dir.chop(1);
  return dir;
}

QString HelpFileIn(const QString& programDir) {
  const QString lookIn = programDir.isEmpty() ? QStringLiteral("/") : programDir;
  const QString found = FindFileNoCase(lookIn, QStringLiteral("ZEB.HLP"));
  const QString name = found.isEmpty() ? QStringLiteral("ZEB.HLP") : QFileInfo(found).fileName();
  return programDir + QLatin1Char('/') + name;
}

void SetStartValues(ProgramValues& values, const QString& dataDir) {
  values.programDir = ProgramDirFrom(dataDir).toStdString();
  values.helpFile = HelpFileIn(QString::fromStdString(values.programDir)).toStdString();
  values.lineBreak = "\r\n";
  values.programTitle = "LYNX Video Poker";
  values.programVersion = "v4.7";
  values.aboutText = AboutTextFor(QString::fromStdString(values.lineBreak)).toStdString();
  values.deck.FillInCodeOrder();
  values.gameVariant = kJacksOrBetter;
  values.soundOn = 1;
  values.credits = 100;
  values.borrowed = values.credits;
  values.largeCards = 0;
}

std::unique_ptr<TitleWindow> StartUp(ProgramValues& values, Services& services,
                                     const QString& dataDir, bool* declined) {
  SetStartValues(values, dataDir);
  const bool savedGameDeclined = LoadSettings(values, services, nullptr);
  if (declined != nullptr) *declined = savedGameDeclined;
  auto title = std::make_unique<TitleWindow>(values, services);
  title->show();
  return title;
}

void ConnectHistory(TitleWindow& title, HistoryRecorder& recorder, ReviewWindows& review) {
  QObject::connect(&title, &TitleWindow::TableOpened, &recorder,
                   [&recorder, &review](TableWindow& table) {
                     recorder.Attach(table);
                     QObject::connect(&table, &TableWindow::HistoryRequested, &review,
                                      &ReviewWindows::ShowHistory);
                     QObject::connect(&table, &TableWindow::StatisticsRequested, &review,
                                      &ReviewWindows::ShowStatistics);
                   });
  QObject::connect(&title, &TitleWindow::TrainerOpened, &recorder,
                   [&recorder, &review](TrainerWindow& trainer) {
                     recorder.Attach(trainer);
                     QObject::connect(&trainer, &TrainerWindow::HistoryRequested, &review,
                                      &ReviewWindows::ShowHistory);
                     QObject::connect(&trainer, &TrainerWindow::StatisticsRequested, &review,
                                      &ReviewWindows::ShowStatistics);
                     QObject::connect(&trainer, &TrainerWindow::GameFactsRequested, &review,
                                      [&review, &trainer] {
                                        review.ShowGameFacts(
                                            FactsChoiceOf(trainer.Choice(), trainer.StakeCoins()));
                                      });
                   });
  QObject::connect(&title, &TitleWindow::SettingsSaved, &recorder, &HistoryRecorder::Finish);
  QObject::connect(&title, &TitleWindow::HistoryRequested, &review, &ReviewWindows::ShowHistory);
  QObject::connect(&title, &TitleWindow::StatisticsRequested, &review,
                   &ReviewWindows::ShowStatistics);
  QObject::connect(&title, &TitleWindow::ErrorLogRequested, &review,
                   &ReviewWindows::ShowErrorLog);
  QObject::connect(&title, &TitleWindow::GameFactsRequested, &review,
                   &ReviewWindows::ShowGameFacts);
  QObject::connect(&recorder, &HistoryRecorder::GameRecorded, &review, &ReviewWindows::Refresh);
}

void ConnectCoach(TitleWindow& title, CoachRun& run, ProgramValues& values, Services& services) {
  LoadCoachSettings(run, services.profile);
  title.UseTables(run.tables);
  QObject::connect(&title, &TitleWindow::TableOpened, &title,
                   [&run, &values, &services](TableWindow& table) {
                     // The table owns its side panel.
                     new CoachPanel(table, values.gameVariant, run, services);
                   });
}

namespace {

// The application being asked to quit (a session ending, a quit from the
// desktop) ends through the title window's save before Qt closes the
// windows one by one, so that no question is put to somebody who is gone.
class QuitFilter final : public QObject {
 public:
  explicit QuitFilter(TitleWindow& title) : QObject(&title), title(title) {}

  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == qApp && event->type() == QEvent::Quit) title.EndQuietly();
    // Ctrl+Q in any window leaves as the Quit picture does, with its
    // questions: once the key has been handled, the title window closes
    // (a table running from it closes first).
    if (event->type() == QEvent::KeyPress) {
      const auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Q && key->modifiers() == Qt::ControlModifier) {
        if (!key->isAutoRepeat()) QTimer::singleShot(0, &title, [this] { title.close(); });
        return true;
      }
    }
    return false;
  }

 private:
  TitleWindow& title;
};

// The title window an exit() handler saves through. exit() handlers take no
// argument, so this is the one process-wide value the exit save needs; it is
// set only while an ExitSave lives (null before and after). Atomic because
// exit() may in principle be called on any thread.
std::atomic<TitleWindow*> exitSaveTitle{nullptr};

void SaveAtExit() {
  TitleWindow* title = exitSaveTitle.load();
  // The windows belong to the user-interface thread; an exit() from any
  // other thread leaves them alone.
  if (title == nullptr || QThread::currentThread() != title->thread()) return;
  title->SaveBeforeExit();
}

}  // namespace

ExitSave::ExitSave(TitleWindow& title) {
  static const bool registered = std::atexit(SaveAtExit) == 0;
  if (registered) exitSaveTitle.store(&title);
}

ExitSave::~ExitSave() {
  exitSaveTitle.store(nullptr);
}

void ConnectProgramEnd(TitleWindow& title, SignalWatcher* watcher) {
  qApp->installEventFilter(new QuitFilter(title));
  QObject::connect(&title, &TitleWindow::Closed, qApp, &QCoreApplication::quit,
                   Qt::QueuedConnection);
  QObject::connect(qApp, &QGuiApplication::commitDataRequest, &title,
                   [&title](QSessionManager&) { title.EndQuietly(); });
  QObject::connect(qApp, &QCoreApplication::aboutToQuit, &title,
                   [&title] { title.SaveOnce(false); });
  if (watcher != nullptr) {
    QObject::connect(watcher, &SignalWatcher::EndRequested, &title,
                     [&title] { title.EndQuietly(); });
    // A signal that came while a box of the start was up (it closed the
    // box) ends the program as soon as its event loop runs.
    if (watcher->Received()) QTimer::singleShot(0, &title, [&title] { title.EndQuietly(); });
  }
}

}  // namespace lynx
