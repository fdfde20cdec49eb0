// LYNX Video Poker: start-up, the event loop, and the one exit save.
// The program's own options are --help and --version, answered before Qt
// starts so that they need no display; Qt's own (-platform, -display,
// -style ...) are taken out by QApplication, and whatever it leaves is an
// error.
#include <QApplication>
#include <QIcon>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "common/program_values.h"
#include "engine/random_source.h"
#include "platform/data_dir.h"
#include "platform/ini_profile.h"
#include "platform/qt_dialogs.h"
#include "platform/qt_help.h"
#include "platform/qt_screen.h"
#include "platform/qt_sound.h"
#include "platform/sqlite_history.h"
#include "shell/pixel_scaling.h"
#include "shell/signal_watcher.h"
#include "shell/startup.h"
#include "shell/title_window.h"

namespace {

constexpr const char* kVersion = "4.7";

constexpr const char* kHelp = R"(Usage: lynx-video-poker [OPTION] [QT OPTION]...
A casino video-poker machine: Jacks or Better, Joker Wild and Deuces Wild.

Options:
  -h, --help     print this help and exit
  --version      print the version and exit

Qt's own options work as in every Qt program, e.g. -platform offscreen,
-display :1, -style fusion.

The balance is kept in $XDG_CONFIG_HOME/ZEB.INI (by default ~/.config/ZEB.INI).
See also lynx-video-poker(6) and lynx-analyze(6).
)";

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
  static constexpr std::string_view kWithValue[] = {
      "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry",
      "qwindowicon", "qwindowtitle", "session", "display", "geometry", "style", "stylesheet",
      "name", "title", "visual", "ncols", "cmap", "im", "inputstyle", "qmljsdebugger"};
  static constexpr std::string_view kFlags[] = {"reverse", "widgetcount", "nograb", "dograb",
                                                "sync", "testability"};
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

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0)
      return PrintAndEnd(kHelp);
    if (std::strcmp(argv[i], "--version") == 0)
      return PrintAndEnd(std::string("lynx-video-poker ") + kVersion + "\n");
  }
  // With no display at all Qt would end the program with its own error
  // before QApplication returns: arguments that are certainly not Qt's are
  // refused first, as they would be once it had.
  if (NoDisplay(argc, argv)) {
    if (const char* arg = FirstNotForQt(argc, argv)) return Refuse(arg);
  }
  lynx::UseWholeScaleFactors();  // before the application: pixel art needs whole factors
  QApplication app(argc, argv);
  // QApplication has taken out the options it knows; the game has no
  // operands.
  if (argc > 1) return Refuse(argv[1]);
  QApplication::setApplicationName(QStringLiteral("lynx-video-poker"));
  QApplication::setOrganizationName(QStringLiteral("LYNX Video Poker"));
  QApplication::setApplicationVersion(QString::fromLatin1(kVersion));
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
  // Before the review windows: the mistake drill values holds with its tables.
  lynx::CoachRun coach;
  lynx::ReviewWindows review(services, coach.tables, [&values] { return values.credits; });

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
  const int result = QApplication::exec();
  title->SaveOnce(false);  // does nothing when the close has saved already
  return result;
}
