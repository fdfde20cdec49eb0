#pragma once
// Start-up: the program-wide values, the settings load with its question,
// and the title window. Also how the program's ways of ending meet the one
// exit save.

#include <QString>
#include <memory>

#include "common/program_values.h"
#include "platform/services.h"
#include "shell/history_recorder.h"
#include "shell/review_windows.h"
#include "shell/title_window.h"
#include "table/coach_panel.h"

namespace lynx {

class SignalWatcher;

// The description shown by the About window, then two line breaks and the
// makers' notice.
QString AboutTextFor(const QString& lineBreak);

// dataDir with surrounding blanks trimmed and one trailing '/' removed ("/"
// gives "", so paths built on it still have exactly one separator).
QString ProgramDirFrom(const QString& dataDir);

// programDir + "/ZEB.HLP", spelled as the file on disk when one exists under
// another case.
QString HelpFileIn(const QString& programDir);

// Start-up steps before the settings: program directory, help file, texts,
// deck in code order, starting values (variant 1, sound on, 100 credits of
// which 100 borrowed, small cards).
void SetStartValues(ProgramValues& values, const QString& dataDir);

// The whole start-up: the values, the settings load (whose question comes
// before any window is visible), then the title window, shown. The caller
// keeps the window; the program lives as long as it is open. declined, when
// given, tells whether a saved game was offered and declined.
std::unique_ptr<TitleWindow> StartUp(ProgramValues& values, Services& services,
                                     const QString& dataDir, bool* declined = nullptr);

// Every table the title window opens reports to the recorder; the R and T
// keys and the title window's menu open the review windows, which refresh
// when a game has been kept; the exit save ends the run in the history.
void ConnectHistory(TitleWindow& title, HistoryRecorder& recorder, ReviewWindows& review);

// Every table the title window opens gets the strategy coach beside it
// (table/coach_panel.h), its settings read from the settings file now.
// run, values and services must outlive the title window's tables.
void ConnectCoach(TitleWindow& title, CoachRun& run, ProgramValues& values, Services& services);

// Ties the ways of ending to the title window's one save: its close quits
// the event loop; a session logout, the application being asked to quit and
// the watched signals (watcher may be null) close any modal window and save
// without questions.
void ConnectProgramEnd(TitleWindow& title, SignalWatcher* watcher);

// While one of these lives, a process ended through exit() saves through
// title's SaveBeforeExit(). Qt's X11 platform plugin ends the program that
// way when the display connection breaks, from inside the event loop, where
// no destructor and no code after exec() runs. Made in main() once the title
// window runs, and gone before the window is: after main() has returned the
// exit() handler finds nothing to save. One at a time.
class ExitSave {
 public:
  explicit ExitSave(TitleWindow& title);
  ~ExitSave();
  ExitSave(const ExitSave&) = delete;
  ExitSave& operator=(const ExitSave&) = delete;
};

}  // namespace lynx
