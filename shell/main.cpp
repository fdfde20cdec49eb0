// LYNX Video Poker: start-up, the event loop, and the one exit save.
// The program's own options are --help and --version, answered before Qt
// starts so that they need no display; Qt's own (-platform, -display,
// -style ...) are taken out by QApplication, and whatever it leaves is an
// error.
#include <malloc.h>

#include <QApplication>
#include <QIcon>
#include <QProgressDialog>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "coach/coach.h"
#include "common/program_values.h"
#include "engine/random_source.h"
#include "platform/data_dir.h"
#include "platform/ini_profile.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_help.h"
#include "platform/qt_screen.h"
#include "platform/qt_sound.h"
#include "platform/single_instance.h"
#include "platform/sqlite_history.h"
#include "shell/pixel_scaling.h"
#include "shell/signal_watcher.h"
#include "shell/startup.h"
#include "shell/title_window.h"
#include "table/table_controls.h"
#include "table/table_window.h"

namespace {

constexpr const char* kVersion = "4.7";

constexpr const char* kHelp = R"(Usage: lynx-video-poker [OPTION] [QT OPTION]...
A casino video-poker machine: Jacks or Better, Joker Wild and Deuces Wild.

Options:
  -h, --help        print this help and exit
  --version         print the version and exit
  --trainer [GAME]  open the trainer table at once: GAME is a game of
                    lynx-analyze games (double-double-bonus, ...); without
                    it, the game last played there

Qt's own options work as in every Qt program, e.g. -platform offscreen,
-display :1, -style fusion.

The balance is kept in $XDG_CONFIG_HOME/ZEB.INI (by default ~/.config/ZEB.INI).
See also lynx-video-poker(6) and lynx-analyze(6).
)";

// Takes "--trainer", "--trainer GAME" and "--trainer=GAME" out of argv
// (GAME is the next argument unless it starts with '-'). Returns the game
// named ("" for none), or nothing without the option.
std::optional<std::string> TakeTrainerOption(int& argc, char** argv) {
  std::optional<std::string> trainer;
  int kept = 1;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--trainer") {
      trainer = std::string();
      if (i + 1 < argc && argv[i + 1][0] != '-') trainer = argv[++i];
    } else if (arg.substr(0, 10) == "--trainer=") {
      trainer = std::string(arg.substr(10));
    } else {
      argv[kept++] = argv[i];
    }
  }
  argv[kept] = nullptr;
  argc = kept;
  return trainer;
}

// Prints text on standard output: 0 when all of it got there, else 1.
int PrintAndEnd(const std::string& text) {
  std::fputs(text.c_str(), stdout);
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return 0;
  std::fputs("lynx-video-poker: cannot write to standard output\n", stderr);
  return 1;
}

// An argument as it can be shown on one line: control and non-ASCII bytes
// written \xNN, and cut after 32 bytes.
std::string Quoted(const char* arg) {
  constexpr std::size_t kShown = 32;
  std::string text = "'";
  const std::size_t length = std::strlen(arg);
  for (std::size_t i = 0; i < length && i < kShown; ++i) {
    const auto byte = static_cast<unsigned char>(arg[i]);
    if (byte < 0x20 || byte >= 0x7f) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", byte);
      text += hex;
    } else {
      text += static_cast<char>(byte);
    }
  }
  if (length > kShown) text += "...";
  return text + "'";
}

// Prints the refusal of an argument that is neither the program's nor Qt's.
int Refuse(const char* arg) {
  std::fprintf(stderr, "lynx-video-poker: %s %s; try lynx-video-poker --help\n",
               arg[0] == '-' ? "unknown option" : "unexpected argument", Quoted(arg).c_str());
  return 2;
}

// True when Qt will find no display to open: the X or Wayland platform (the
// default) with neither DISPLAY nor WAYLAND_DISPLAY set, and no -platform.
bool NoDisplay(int argc, char** argv) {
  const auto set = [](const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
  };
  if (set("DISPLAY") || set("WAYLAND_DISPLAY")) return false;
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && platform[0] != '\0' && std::strncmp(platform, "xcb", 3) != 0 &&
      std::strncmp(platform, "wayland", 7) != 0)
    return false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "-platform" || arg == "--platform" || arg.starts_with("-platform=") ||
        arg.starts_with("--platform="))
      return false;
  }
  return true;
}

// The first argument that is none of Qt's documented options (or their
// values), or null. Qt takes its options with one dash or two, and with the
// value after the option or after '='.
const char* FirstNotForQt(int argc, char** argv) {
  static constexpr std::string_view kWithValue[] = {"platform",
                                                    "platformpluginpath",
                                                    "platformtheme",
                                                    "plugin",
                                                    "qwindowgeometry",
                                                    "qwindowicon",
                                                    "qwindowtitle",
                                                    "session",
                                                    "display",
                                                    "geometry",
                                                    "style",
                                                    "stylesheet",
                                                    "name",
                                                    "title",
                                                    "visual",
                                                    "ncols",
                                                    "cmap",
                                                    "im",
                                                    "inputstyle",
                                                    "qmljsdebugger"};
  static constexpr std::string_view kFlags[] = {"reverse", "widgetcount", "nograb",
                                                "dograb",  "sync",        "testability"};
  for (int i = 1; i < argc; ++i) {
    std::string_view arg = argv[i];
    if (!arg.starts_with('-')) return argv[i];
    arg.remove_prefix(arg.starts_with("--") ? 2 : 1);
    const std::size_t equals = arg.find('=');
    const std::string_view name = arg.substr(0, equals);
    if (std::find(std::begin(kWithValue), std::end(kWithValue), name) != std::end(kWithValue)) {
      if (equals == std::string_view::npos) ++i;  // the value follows
      continue;
    }
    if (equals == std::string_view::npos &&
        std::find(std::begin(kFlags), std::end(kFlags), name) != std::end(kFlags))
      continue;
    return argv[i];
  }
  return nullptr;
}

// The window of this copy a player wants to see: a modal window that is up
// (a question, a message box, a table), else a window that is showing,
// the table before the others and the title window last; null when none is.
QWidget* WindowToShow() {
  if (QWidget* modal = QApplication::activeModalWidget()) return modal;
  QWidget* title = nullptr;
  QWidget* other = nullptr;
  for (QWidget* window : QApplication::topLevelWidgets()) {
    const Qt::WindowType type = window->windowType();
    if (!window->isVisible() || (type != Qt::Window && type != Qt::Dialog)) continue;
    if (qobject_cast<lynx::TableWindow*>(window) != nullptr) return window;
    if (qobject_cast<lynx::TitleWindow*>(window) != nullptr) {
      title = window;
    } else if (other == nullptr) {
      other = window;
    }
  }
  return other != nullptr ? other : title;
}

// Brings the window to the front, with the windows it stands on: a message
// box over a minimised table would stay out of sight with it.
void BringToFront(QWidget* window) {
  for (QWidget* below = window; below != nullptr;
       below = below->parentWidget() != nullptr ? below->parentWidget()->window() : nullptr) {
    if (below->isMinimized()) {
      below->setWindowState(below->windowState() & ~Qt::WindowMinimized);
      below->show();
    }
  }
  window->raise();
  window->activateWindow();
}

// One copy per player: a second start on the same settings and history
// would restore the balance the first is playing and replay its hand. The
// exit status of a copy that must not play, or -1 when this copy plays.
int KeepToOneCopy(lynx::SingleInstance& instance) {
  using Role = lynx::SingleInstance::Role;
  Role role = instance.Acquire();
  if (role == Role::Second) {
    if (instance.AskFirstToShow()) {
      std::fputs("lynx-video-poker: already running; its window was brought to the front\n",
                 stderr);
      return 0;
    }
    // The first copy may have ended while it was asked.
    role = instance.Acquire();
    if (role == Role::Second) {
      std::fputs("lynx-video-poker: already running, but its window could not be shown\n", stderr);
      return 1;
    }
  }
  if (role == Role::First && !instance.Listen([] {
        if (QWidget* window = WindowToShow()) BringToFront(window);
      })) {
    std::fprintf(stderr, "lynx-video-poker: %s; a second start will not show this window\n",
                 qPrintable(instance.Problem()));
  }
  if (role == Role::Unavailable) {
    std::fprintf(stderr, "lynx-video-poker: %s; a second copy will not be kept out\n",
                 qPrintable(instance.Problem()));
  }
  return -1;
}

// --help and --version, answered before Qt starts: the exit status, or
// nothing for a start that goes on.
std::optional<int> AnswerWithoutDisplay(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
      return PrintAndEnd(kHelp);
    if (std::strcmp(argv[i], "--version") == 0)
      return PrintAndEnd(std::string("lynx-video-poker ") + kVersion + "\n");
  }
  return std::nullopt;
}

void NameTheProgram() {
  QApplication::setApplicationName(QStringLiteral("lynx-video-poker"));
  QApplication::setOrganizationName(QStringLiteral("LYNX Video Poker"));
  QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
  QGuiApplication::setDesktopFileName(QStringLiteral("io.github.lynx_video_poker"));
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
  // The program ends when the title window closes, not when the last visible
  // window does: the title window is hidden while a table runs.
  QApplication::setQuitOnLastWindowClosed(false);
}

// What the history calls while it builds its running totals (once, after an
// upgrade of a long history): a progress dialog, made in building when it
// first reports, that shows when the work takes more than a moment.
auto ShowBuildingProgress(std::unique_ptr<QProgressDialog>& building) {
  return [&building](std::int64_t done, std::int64_t total) {
    if (!building) {
      building = std::make_unique<QProgressDialog>(
          QStringLiteral("Bringing the game history up to date…"), QString(), 0, 1000);
      building->setWindowTitle(QStringLiteral("LYNX Video Poker"));
      building->setMinimumDuration(500);
    }
    building->setValue(static_cast<int>(total > 0 ? done * 1000 / total : 1000));
    QCoreApplication::processEvents();
  };
}

// The title window on the services, played until it closes: the exit
// status. trainer: the --trainer option's game, if it was given.
int Play(lynx::Services& services, const QString& dataDir, lynx::SignalWatcher& watcher,
         const std::optional<std::string>& trainer) {
  lynx::ProgramValues values;
  lynx::HistoryRecorder recorder(values, services);
  // Before the review windows: the mistake drill values holds with its tables.
  lynx::CoachRun coach;
  lynx::ReviewWindows review(services, coach.tables, [&values] { return values.credits; });
  review.UseCharts(&coach.charts);

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
  lynx::ConnectCoach(*title, coach, values, services);
  // Saves if the display goes away: Qt then ends the program with exit().
  const lynx::ExitSave exitSave(*title);
  if (trainer && !watcher.Received()) {
    QTimer::singleShot(0, title.get(), [&title, &trainer] {
      title->OpenTrainer(QString::fromStdString(*trainer));
    });
  }
  const int result = QApplication::exec();
  title->SaveOnce(false);  // does nothing when the close has saved already
  return result;
}

// This copy, once it has its application: keeps to one copy per player,
// opens the services and plays. The exit status.
int RunThisCopy(const std::optional<std::string>& trainer) {
  // Before anything is read or asked. Made before the services, so the lock
  // is let go only after the history and the settings are closed.
  lynx::SingleInstance instance(lynx::DefaultProfilePath(), lynx::DefaultHistoryPath());
  if (const int status = KeepToOneCopy(instance); status >= 0) return status;
  // A copy with other settings on the same history would journal another
  // player's balance into it: the history is kept by one copy at a time.
  lynx::SingleInstance historyKeeper(lynx::DefaultHistoryPath(), lynx::DefaultHistoryPath());
  const bool historyTaken = historyKeeper.Acquire() == lynx::SingleInstance::Role::Second;

  // Signals are caught from here on; before the event loop they wait in the
  // watcher's socket.
  lynx::SignalWatcher watcher;
  lynx::QtDialogs dialogs;
  // Nobody is there to answer: the box that is up closes, and no other comes
  // (a question on the way, such as the resume question after a message box,
  // is answered No).
  QObject::connect(&watcher, &lynx::SignalWatcher::EndRequested, [&dialogs] {
    dialogs.EndQuestions();
    lynx::CloseModalWindows();
  });

  const QString dataDir = lynx::FindDataDirectory(QCoreApplication::applicationDirPath());
  lynx::QtSoundPlayer sound(dataDir);
  lynx::IniProfileFile profile(lynx::DefaultProfilePath());
  lynx::QtHelpViewer help;
  lynx::QtScreenInfo screen;
  lynx::TimeSeededSource random;
  std::unique_ptr<QProgressDialog> building;
  lynx::SqliteHistory history(
      lynx::DefaultHistoryPath(),
      historyTaken ? QStringLiteral("another copy of LYNX Video Poker, with other settings, "
                                    "keeps it")
                   : QString(),
      ShowBuildingProgress(building), &lynx::IsMistake);
  building.reset();
  lynx::Services services{dialogs, sound, profile, help, screen, random, history};
  return Play(services, dataDir, watcher, trainer);
}

}  // namespace

int main(int argc, char** argv) {
  // One allocation arena for every thread: the analyses run in the
  // background free what they built, and with an arena of their own each
  // pool thread would keep it from the rest of the program.
  mallopt(M_ARENA_MAX, 1);
  if (const std::optional<int> status = AnswerWithoutDisplay(argc, argv)) return *status;
  // The arguments as given, for a start again at a scale that fits: the
  // application takes its own options out of argv.
  std::vector<char*> given(argv, argv + argc + 1);
  const std::optional<std::string> trainer = TakeTrainerOption(argc, argv);
  // With no display at all Qt would end the program with its own error
  // before QApplication returns: arguments that are certainly not Qt's are
  // refused first, as they would be once it had.
  if (NoDisplay(argc, argv)) {
    if (const char* arg = FirstNotForQt(argc, argv)) return Refuse(arg);
  }
  // Before the application: pixel art needs whole factors.
  const lynx::ScaleChoice scale = lynx::UseWholeScaleFactors();
  QApplication app(argc, argv);
  lynx::SetStandardZoom(lynx::FitScaleToScreen(scale, given.data()));
  // QApplication has taken out the options it knows; the game has no
  // operands.
  if (argc > 1) return Refuse(argv[1]);
  NameTheProgram();
  return RunThisCopy(trainer);
}
