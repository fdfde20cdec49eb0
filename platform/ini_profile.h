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

// The largest settings file that is read; a bigger one reads as missing.
inline constexpr qint64 kMaxProfileBytes = 1024 * 1024;

// One INI file, read afresh on every call (the file is small and read a few
// times per run; another program may have changed it meanwhile).
//  - Sections ("[name]") and keys ("name=value") are matched without regard to
//    case; blanks (ASCII space, tab, vertical tab, form feed) around names and
//    values are ignored, then one pair of quotes ("..." or '...') around a
//    value. Lines starting with ';' or '#' are comments. Lines end in LF, CRLF
//    or a lone CR. Only the first section of a name counts; a later one of the
//    same name is ignored, as classic profile readers do.
//  - A write replaces the value of an existing key in its line (the key keeps
//    its spelling and place), adds a new key after the last key line of its
//    section, or adds a new section at the end of the file. Every other line
//    stays byte for byte, with its own line ending; new lines take the file's
//    line ending (\n for a new file). A value that starts or ends with a blank
//    or is itself in quotes is written in double quotes, so it reads back as
//    it was given.
//  - A file that is not text (a NUL or another control byte than blanks and
//    line ends) is renamed to <name>.damaged-<yyyyMMddTHHmmssZ> ("-2" ...
//    added when taken) when it is first read, and the program goes on as
//    without a file; MovedAsideTo() tells where it went.
//  - Only a regular file of at most kMaxProfileBytes is read. Anything else
//    (a FIFO, a device, a folder, a bigger file) is reported once on standard
//    error and reads as missing; a bigger regular file is replaced by the next
//    write, anything else is never written.
class IniProfileFile final : public ProfileFile {
 public:
  explicit IniProfileFile(const QString& path);

  // The value of key in the first section named section, or defaultValue when
  // the file, the section or the key is missing.
  QString ReadString(const QString& section, const QString& key,
                     const QString& defaultValue) override;

  // Writes all sections in one atomic replacement of the file (every byte is
  // written and flushed to disk before the new file takes the old one's
  // name), creating the folder if needed. False, with the old file untouched
  // byte for byte and a line on standard error, when the file or folder
  // cannot be written (full disk, no permission), the file is marked
  // read-only (no write permission bit at all), or a name or value could not
  // be read back (see ValidEntry).
  bool WriteSections(const Sections& sections) override;
  QString WriteProblem() const override { return writeProblem; }
  QString MovedAsideTo() const override { return movedAsideTo; }

  const QString& Path() const { return path; }

 private:
  enum class Load { Missing, Read, Refused };
  Load LoadFile(QByteArray* bytes);
  void Report(const QString& problem);

  QString path;
  QString lastReport;  // each problem is told once, not at every read
  QString writeProblem;
  QString movedAsideTo;
};

// True when bytes hold no control byte other than tab, line feed, vertical
// tab, form feed and carriage return: a settings file can hold them.
bool LooksLikeText(const QByteArray& bytes);

// True when section/key = value can be written and read back as given: names
// not empty after trimming blanks, no line break anywhere, no '=' in the key,
// no ']' in the section, neither name starting with ';', '#', '[' or a byte
// order mark, and only valid UTF-16 text.
bool ValidEntry(const QString& section, const QString& key, const QString& value);

// The parsed form of an INI text, exposed for tests and for anyone who needs
// to edit INI text in memory. Lines keep their raw bytes and own endings.
class IniDocument {
 public:
  struct Entry {
    QString section;
    QString key;
    QString value;
    bool operator==(const Entry&) const = default;
  };

  explicit IniDocument(const QByteArray& text = {});

  // Value of key in the first section of that name; false if none.
  bool Find(const QString& section, const QString& key, QString* value) const;
  // Sets key = value following the rules above. The entry must be valid
  // (ValidEntry).
  void Set(const QString& section, const QString& key, const QString& value);
  QByteArray Text() const;
  // Every key a reader can find, with the value it finds, in file order
  // (the first section of each name, the first key of each name in it).
  std::vector<Entry> Entries() const;

 private:
  struct Line {
    QByteArray raw;     // without its ending
    QByteArray ending;  // "\n", "\r\n", "\r" or "" (last line without one)
  };
  QByteArray NewLineEnding() const;
  void AppendLine(const QByteArray& raw);
  // Index of the header line of the first section named section, or -1.
  std::ptrdiff_t FirstSection(const QString& section) const;

  std::vector<Line> lines;
};

}  // namespace lynx
