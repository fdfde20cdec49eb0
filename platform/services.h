#pragma once
// The narrow layer between the windows and the desktop. Windows reach message
// boxes, sound, the settings file, help, the screen and the random source only
// through these interfaces, so every window can be driven with fakes in tests.

#include <QRect>
#include <QString>
#include <utility>
#include <vector>

#include "engine/random_source.h"

class QWidget;

namespace lynx {

class HistoryStore;

enum class DialogIcon { Information, Exclamation, Question };

class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // Modal message box with an information icon and OK.
  virtual void Info(QWidget* parent, const QString& title, const QString& text) = 0;
  // Modal message box with an exclamation icon and OK.
  virtual void Exclaim(QWidget* parent, const QString& title, const QString& text) = 0;
  // Modal question with Yes and No; true for Yes.
  virtual bool Ask(QWidget* parent, const QString& title, const QString& text) = 0;
  // Modal "save as" box that starts at suggestedName; the chosen path, or an
  // empty string when the player cancelled.
  virtual QString AskSaveFileName(QWidget* parent, const QString& title,
                                  const QString& suggestedName) = 0;
};

class SoundPlayer {
 public:
  virtual ~SoundPlayer() = default;
  // Plays a WAV file of the data directory (name matched without regard to
  // case) and returns when it has played. A missing or unplayable file
  // returns at once and reports nothing. Input that arrives meanwhile waits.
  virtual void PlaySync(const QString& fileName) = 0;
};

// The settings ("profile") file: sections and keys matched without regard to
// case; everything else in the file is kept as it was.
class ProfileFile {
 public:
  using Entries = std::vector<std::pair<QString, QString>>;   // (key, value) in order
  using Sections = std::vector<std::pair<QString, Entries>>;  // (section, entries) in order

  virtual ~ProfileFile() = default;
  virtual QString ReadString(const QString& section, const QString& key,
                             const QString& defaultValue) = 0;
  // Writes every (key, value) of the sections in one step: either all of
  // them are kept or, when the file could not be written, none, and what was
  // there before is left as it was (false).
  virtual bool WriteSections(const Sections& sections) = 0;
  // Why the last write failed, in a few words ("disk full", "read-only file
  // system" ...); empty after a write that worked.
  virtual QString WriteProblem() const { return {}; }
  // Where a settings file that was not text (a binary file saved over it)
  // was moved aside this run, so a new one could be started; empty when none
  // was.
  virtual QString MovedAsideTo() const { return {}; }
  bool WriteStrings(const QString& section, const Entries& entries) {
    return WriteSections({{section, entries}});
  }
  bool WriteString(const QString& section, const QString& key, const QString& value) {
    return WriteStrings(section, {{key, value}});
  }
};

class HelpViewer {
 public:
  virtual ~HelpViewer() = default;
  // Opens an HTML help document (full path) at a numbered topic, without
  // blocking the caller. A missing file is reported by the viewer itself.
  virtual void Open(const QString& file, int topic) = 0;
};

class ScreenInfo {
 public:
  virtual ~ScreenInfo() = default;
  virtual int Width() const = 0;   // pixels
  virtual int Height() const = 0;  // pixels
  // What windows may take of the height: less panels and docks.
  virtual int AvailableHeight() const { return Height(); }
  // What windows may take of the screen, where they may stand.
  virtual QRect AvailableArea() const { return QRect(0, 0, Width(), AvailableHeight()); }
};

// Everything a window needs from the platform, by reference.
struct Services {
  Dialogs& dialogs;
  SoundPlayer& sound;
  ProfileFile& profile;
  HelpViewer& help;
  ScreenInfo& screen;
  UniformSource& random;
  HistoryStore& history;
};

}  // namespace lynx
