#include "platform/ini_profile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace lynx {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

// The text of a line as its parts are matched: a byte-order mark at the very
// start of the file is not part of the first line's text.
QByteArray Content(const QByteArray& raw, bool firstLine) {
  return firstLine && raw.startsWith(kByteOrderMark) ? raw.mid(kByteOrderMark.size()) : raw;
}

// "[name]" with optional blanks around; the name is what lies between the
// first '[' and the last ']'.
bool SectionHeader(const QByteArray& content, QString* name) {
  const QByteArray text = content.trimmed();
  if (!text.startsWith('[')) return false;
  const qsizetype close = text.lastIndexOf(']');
  if (close < 1) return false;
  *name = QString::fromUtf8(text.mid(1, close - 1)).trimmed();
  return true;
}

// "key=value": not a section header or comment, holding '=' after a non-blank
// key. Positions are into content.
struct KeyLine {
  QString key;
  QString value;
  qsizetype keyEnd = 0;  // one past the key's last non-blank byte
};

bool ParseKeyLine(const QByteArray& content, KeyLine* out) {
  const QByteArray text = content.trimmed();
  if (text.isEmpty() || text.startsWith('[') || text.startsWith(';') || text.startsWith('#'))
    return false;
  const qsizetype eq = content.indexOf('=');
  if (eq < 0) return false;
  qsizetype start = 0;
  while (start < eq && QChar::isSpace(static_cast<unsigned char>(content[start]))) ++start;
  qsizetype end = eq;
  while (end > start && QChar::isSpace(static_cast<unsigned char>(content[end - 1]))) --end;
  if (end == start) return false;
  out->keyEnd = end;
  out->key = QString::fromUtf8(content.mid(start, end - start));
  out->value = QString::fromUtf8(content.mid(eq + 1)).trimmed();
  return true;
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& s) {
  return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

// A file the user marked read-only (no write bit for anybody) is left alone
// even when the process could write it anyway (as the superuser can). The
// "user" bits are not looked at: they say what this process may do.
bool WriteProtected(const QFileInfo& info) {
  if (!info.exists()) return false;
  const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return !info.isWritable() || (info.permissions() & writeBits) == 0;
}

}  // namespace

QString DefaultProfilePath() {
  const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  const QString base = !config.isEmpty() && QDir::isAbsolutePath(config)
                           ? config
                           : QDir::homePath() + QStringLiteral("/.config");
  return QDir::cleanPath(base) + QStringLiteral("/ZEB.INI");
}

// ---------------------------------------------------------------------------

IniDocument::IniDocument(const QByteArray& text) {
  qsizetype start = 0;
  while (start < text.size()) {
    const qsizetype newline = text.indexOf('\n', start);
    if (newline < 0) {
      lines.push_back({text.mid(start), {}});
      break;
    }
    QByteArray raw = text.mid(start, newline - start);
    QByteArray ending("\n");
    if (raw.endsWith('\r')) {
      raw.chop(1);
      ending = QByteArrayLiteral("\r\n");
    }
    lines.push_back({raw, ending});
    start = newline + 1;
  }
}

bool IniDocument::Find(const QString& section, const QString& key, QString* value) const {
  const QString wantedSection = section.trimmed();
  const QString wantedKey = key.trimmed();
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QByteArray content = Content(lines[i].raw, i == 0);
    QString name;
    if (SectionHeader(content, &name)) {
      inSection = SameName(name, wantedSection);
      continue;
    }
    KeyLine line;
    if (inSection && ParseKeyLine(content, &line) && SameName(line.key, wantedKey)) {
      *value = line.value;
      return true;
    }
  }
  return false;
}

void IniDocument::Set(const QString& section, const QString& key, const QString& value) {
  const QString wantedSection = section.trimmed();
  const QString wantedKey = key.trimmed();
  const QByteArray valueBytes = value.trimmed().toUtf8();

  // An existing key: new value in its own line, the key as it was spelled.
  bool inSection = false;
  std::ptrdiff_t firstHeader = -1;  // the first matching section
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QByteArray content = Content(lines[i].raw, i == 0);
    QString name;
    if (SectionHeader(content, &name)) {
      inSection = SameName(name, wantedSection);
      if (inSection && firstHeader < 0) firstHeader = static_cast<std::ptrdiff_t>(i);
      continue;
    }
    KeyLine line;
    if (inSection && ParseKeyLine(content, &line) && SameName(line.key, wantedKey)) {
      const qsizetype prefix = lines[i].raw.size() - content.size();  // byte-order mark
      lines[i].raw = lines[i].raw.left(prefix + line.keyEnd) + '=' + valueBytes;
      return;
    }
  }

  const QByteArray newLine = wantedKey.toUtf8() + '=' + valueBytes;
  if (firstHeader < 0) {
    AppendLine('[' + wantedSection.toUtf8() + ']');
    AppendLine(newLine);
    return;
  }

  // A new key goes after the last key line of the section (comments and blank
  // lines that close the section stay below it), or right under the header.
  std::size_t after = static_cast<std::size_t>(firstHeader);
  for (std::size_t i = after + 1; i < lines.size(); ++i) {
    const QByteArray content = Content(lines[i].raw, false);
    QString name;
    if (SectionHeader(content, &name)) break;
    KeyLine line;
    if (ParseKeyLine(content, &line)) after = i;
  }
  const QByteArray ending = NewLineEnding();
  if (lines[after].ending.isEmpty()) lines[after].ending = ending;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after) + 1, Line{newLine, ending});
}

QByteArray IniDocument::Text() const {
  QByteArray text;
  for (const Line& line : lines) text += line.raw + line.ending;
  return text;
}

QByteArray IniDocument::NewLineEnding() const {
  for (const Line& line : lines) {
    if (!line.ending.isEmpty()) return line.ending;
  }
  return QByteArrayLiteral("\n");
}

void IniDocument::AppendLine(const QByteArray& raw) {
  const QByteArray ending = NewLineEnding();
  if (!lines.empty() && lines.back().ending.isEmpty()) lines.back().ending = ending;
  lines.push_back({raw, ending});
}

// ---------------------------------------------------------------------------

IniProfileFile::IniProfileFile(const QString& filePath) : path(filePath) {}

QString IniProfileFile::ReadString(const QString& section, const QString& key,
                                   const QString& defaultValue) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return defaultValue;
  const IniDocument document(file.readAll());
  QString value;
  return document.Find(section, key, &value) ? value : defaultValue;
}

bool IniProfileFile::WriteString(const QString& section, const QString& key, const QString& value) {
  if (section.trimmed().isEmpty() || key.trimmed().isEmpty()) return false;
  if (HasLineBreak(section) || HasLineBreak(key) || HasLineBreak(value)) return false;
  if (key.contains(QLatin1Char('='))) return false;

  const QFileInfo info(path);
  if (info.exists() && !info.isFile()) return false;
  if (WriteProtected(info)) return false;

  QByteArray old;
  if (info.exists()) {
    QFile file(path);
    // Unreadable: writing would lose what is there.
    if (!file.open(QIODevice::ReadOnly)) return false;
    old = file.readAll();
  }
  IniDocument document(old);
  document.Set(section, key, value);

  if (!QDir().mkpath(info.absolutePath())) return false;
  QSaveFile save(path);
  if (!save.open(QIODevice::WriteOnly)) return false;
  const QByteArray text = document.Text();
  if (save.write(text) != text.size()) {
    save.cancelWriting();
    return false;
  }
  return save.commit();
}

}  // namespace lynx
