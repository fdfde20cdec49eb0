// LYNX Video Poker: start-up, the event loop, and the one exit save.
// The program takes no options of its own; Qt's own (-platform ...) work.
#include <QApplication>
#include <QIcon>

#include "common/program_values.h"
#include "engine/random_source.h"
#include "platform/data_dir.h"
#include "platform/ini_profile.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_help.h"
#include "platform/qt_screen.h"
#include "platform/qt_sound.h"
#include "platform/sqlite_history.h"
#include "shell/signal_watcher.h"
#include "shell/startup.h"
#include "shell/title_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("lynx-video-poker"));
  QApplication::setOrganizationName(QStringLiteral("LYNX Video Poker"));
  QApplication::setApplicationVersion(QStringLiteral("4.7"));
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.lynx_video_poker"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
  // The program ends when the title window closes, not when the last visible
  // window does: the title window is hidden while a table runs.
  QApplication::setQuitOnLastWindowClosed(false);

  // Signals are caught from here on; before the event loop they wait in the
  // watcher's socket.
  lynx::SignalWatcher watcher;
  QObject::connect(&watcher, &lynx::SignalWatcher::EndRequested, [] { lynx::CloseModalWindows(); });

  const QString dataDir = lynx::FindDataDirectory(QCoreApplication::applicationDirPath());
  lynx::QtDialogs dialogs;
  lynx::QtSoundPlayer sound(dataDir);
  lynx::IniProfileFile profile(lynx::DefaultProfilePath());
  lynx::QtHelpViewer help;
  lynx::QtScreenInfo screen;
  lynx::TimeSeededSource random;
  lynx::SqliteHistory history(lynx::DefaultHistoryPath());
  lynx::Services services{dialogs, sound, profile, help, screen, random, history};
  lynx::ProgramValues values;
  lynx::HistoryRecorder recorder(values, services);
  lynx::ReviewWindows review(services);

  bool declined = false;
  auto title = lynx::StartUp(values, services, dataDir, &declined);
  if (watcher.Received()) {
    // Ended while the resume question was up: nothing was played, so the
    // settings file and the history journal keep the game they hold.
    return 0;
  }
  // The hands left dealt were bet from the balance that was declined.
  if (declined) recorder.DropHands();
  recorder.Start(title.get());
  lynx::ConnectProgramEnd(*title, &watcher);
  lynx::ConnectHistory(*title, recorder, review);
  // Saves if the display goes away: Qt then ends the program with exit().
  const lynx::ExitSave exitSave(*title);
  const int result = QApplication::exec();
  title->SaveOnce(false);  // does nothing when the close has saved already
  return result;
}
