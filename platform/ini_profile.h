#pragma once
// The settings file: a small INI reader/writer with the classic profile-file
// rules, so that a file edited by hand keeps its look when the program writes.

#include <QByteArray>
#include <QString>
#include <vector>

#include "platform/services.h"

namespace lynx {

// The settings file of the user: $XDG_CONFIG_HOME/ZEB.INI when that variable
// holds an absolute path, else ~/.config/ZEB.INI.
QString DefaultProfilePath();

// One INI file, read afresh on every call (the file is small and read a few
// times per run; another program may have changed it meanwhile).
//  - Sections ("[name]") and keys ("name=value") are matched without regard to
//    case; blanks around names and values are ignored. Lines starting with ';'
//    or '#' are comments. The first matching section that holds the key wins.
//  - A write replaces the value of an existing key in its line (the key keeps
//    its spelling and place), adds a new key after the last key line of its
//    section, or adds a new section at the end of the file. Every other line
//    stays byte for byte, with its own line ending; new lines take the file's
//    line ending (\n for a new file).
class IniProfileFile final : public ProfileFile {
 public:
  explicit IniProfileFile(const QString& path);

  // The value (text after the first '=', blanks trimmed, whole) or
  // defaultValue when the file, the section or the key is missing.
  QString ReadString(const QString& section, const QString& key,
                     const QString& defaultValue) override;

  // Writes atomically (QSaveFile), creating the folder if needed. False, with
  // the old file untouched, when the file or folder cannot be written, the
  // file is marked read-only (no write permission bit at all), or a name or
  // the value holds a line break (or the key an '=' or the section a ']').
  bool WriteString(const QString& section, const QString& key, const QString& value) override;

  const QString& Path() const { return path; }

 private:
  QString path;
};

// The parsed form of an INI text, exposed for tests and for anyone who needs
// to edit INI text in memory. Lines keep their raw bytes and own endings.
class IniDocument {
 public:
  explicit IniDocument(const QByteArray& text = {});

  // Value of key in the first matching section that has it; false if none.
  bool Find(const QString& section, const QString& key, QString* value) const;
  // Sets key = value following the rules above. Names and value are assumed
  // valid (no line breaks).
  void Set(const QString& section, const QString& key, const QString& value);
  QByteArray Text() const;

 private:
  struct Line {
    QByteArray raw;     // without its ending
    QByteArray ending;  // "\n", "\r\n" or "" (last line without one)
  };
  QByteArray NewLineEnding() const;
  void AppendLine(const QByteArray& raw);

  std::vector<Line> lines;
};

}  // namespace lynx
