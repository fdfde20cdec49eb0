#include "platform/ini_profile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QSet>
#include <QStringDecoder>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/folder_sync.h"

namespace lynx {

namespace {

const QByteArray kByteOrderMark("\xEF\xBB\xBF");

// Only ASCII blanks are trimmed: a byte of a UTF-8 character (0x85, 0xA0 ...)
// is never taken for one, and the writer trims exactly what the reader does.
bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}
bool IsBlank(QChar c) {
  return c.unicode() < 0x80 && IsBlank(static_cast<char>(c.unicode()));
}

QByteArray TrimBlanks(const QByteArray& bytes) {
  qsizetype start = 0;
  qsizetype end = bytes.size();
  while (start < end && IsBlank(bytes[start])) ++start;
  while (end > start && IsBlank(bytes[end - 1])) --end;
  return bytes.mid(start, end - start);
}

QString TrimBlanks(const QString& text) {
  qsizetype start = 0;
  qsizetype end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.mid(start, end - start);
}

// UTF-8 text of a name or value. Unlike QString::fromUtf8 this keeps a byte
// order mark at its start, so that a name reads the same wherever it stands.
QString Decode(const QByteArray& bytes) {
  QStringDecoder decoder(QStringDecoder::Utf8,
                         QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
  return decoder.decode(bytes);
}

template <typename Text>
bool Quoted(const Text& text) {
  if (text.size() < 2) return false;
  const auto first = text.front();
  return first == text.back() && (first == '"' || first == '\'');
}

// The text of a line as its parts are matched: a byte-order mark at the very
// start of the file is not part of the first line's text.
QByteArray Content(const QByteArray& raw, bool firstLine) {
  return firstLine && raw.startsWith(kByteOrderMark) ? raw.mid(kByteOrderMark.size()) : raw;
}

// "[name]" with optional blanks around; the name is what lies between the
// first '[' and the last ']'.
bool SectionHeader(const QByteArray& content, QString* name) {
  const QByteArray text = TrimBlanks(content);
  if (!text.startsWith('[')) return false;
  const qsizetype close = text.lastIndexOf(']');
  if (close < 1) return false;
  *name = Decode(TrimBlanks(text.mid(1, close - 1)));
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
  const QByteArray text = TrimBlanks(content);
  if (text.isEmpty() || text.startsWith('[') || text.startsWith(';') || text.startsWith('#'))
    return false;
  const qsizetype eq = content.indexOf('=');
  if (eq < 0) return false;
  qsizetype start = 0;
  while (start < eq && IsBlank(content[start])) ++start;
  qsizetype end = eq;
  while (end > start && IsBlank(content[end - 1])) --end;
  if (end == start) return false;
  out->keyEnd = end;
  out->key = Decode(content.mid(start, end - start));
  QByteArray value = TrimBlanks(content.mid(eq + 1));
  if (Quoted(value)) value = value.mid(1, value.size() - 2);
  out->value = Decode(value);
  return true;
}

bool SameName(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

bool HasLineBreak(const QString& s) {
  return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool StartsLikeNoName(const QString& name) {
  if (name.isEmpty()) return true;
  const QChar first = name.front();
  return first == QLatin1Char(';') || first == QLatin1Char('#') || first == QLatin1Char('[') ||
         first == QChar(0xFEFF);
}

// The bytes that read back as value: in double quotes when blanks at its ends
// or quotes around it would otherwise be taken off.
QByteArray EncodeValue(const QString& value) {
  const bool needsQuotes =
      !value.isEmpty() && (IsBlank(value.front()) || IsBlank(value.back()) || Quoted(value));
  const QByteArray bytes = value.toUtf8();
  return needsQuotes ? '"' + bytes + '"' : bytes;
}

// A file the user marked read-only (no write bit for anybody) is left alone
// even when the process could write it anyway (as the superuser can). The
// "user" bits are not looked at: they say what this process may do.
bool WriteProtected(const QFileInfo& info) {
  if (!info.exists()) return false;
  const QFile::Permissions writeBits = QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther;
  return !info.isWritable() || (info.permissions() & writeBits) == 0;
}

// Makes a finished rename durable: the folder's entry is on disk too.
}  // namespace

QString DefaultProfilePath() {
  const QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
  const QString base = !config.isEmpty() && QDir::isAbsolutePath(config)
                           ? config
                           : QDir::homePath() + QStringLiteral("/.config");
  return QDir::cleanPath(base) + QStringLiteral("/ZEB.INI");
}

bool ValidEntry(const QString& section, const QString& key, const QString& value) {
  const QString s = TrimBlanks(section);
  const QString k = TrimBlanks(key);
  if (StartsLikeNoName(s) || StartsLikeNoName(k)) return false;
  if (HasLineBreak(s) || HasLineBreak(k) || HasLineBreak(value)) return false;
  if (k.contains(QLatin1Char('=')) || s.contains(QLatin1Char(']'))) return false;
  return s.isValidUtf16() && k.isValidUtf16() && value.isValidUtf16();
}

// ---------------------------------------------------------------------------

IniDocument::IniDocument(const QByteArray& text) {
  qsizetype start = 0;
  const qsizetype size = text.size();
  while (start < size) {
    qsizetype end = start;
    while (end < size && text[end] != '\n' && text[end] != '\r') ++end;
    if (end == size) {
      lines.push_back({text.mid(start), {}});
      break;
    }
    const qsizetype endingSize =
        text[end] == '\r' && end + 1 < size && text[end + 1] == '\n' ? 2 : 1;
    lines.push_back({text.mid(start, end - start), text.mid(end, endingSize)});
    start = end + endingSize;
  }
}

std::ptrdiff_t IniDocument::FirstSection(const QString& section) const {
  const QString wanted = TrimBlanks(section);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    QString name;
    if (SectionHeader(Content(lines[i].raw, i == 0), &name) && SameName(name, wanted))
      return static_cast<std::ptrdiff_t>(i);
  }
  return -1;
}

bool IniDocument::Find(const QString& section, const QString& key, QString* value) const {
  const std::ptrdiff_t header = FirstSection(section);
  if (header < 0) return false;
  const QString wantedKey = TrimBlanks(key);
  for (std::size_t i = static_cast<std::size_t>(header) + 1; i < lines.size(); ++i) {
    QString name;
    if (SectionHeader(lines[i].raw, &name)) break;
    KeyLine line;
    if (ParseKeyLine(lines[i].raw, &line) && SameName(line.key, wantedKey)) {
      *value = line.value;
      return true;
    }
  }
  return false;
}

void IniDocument::Set(const QString& section, const QString& key, const QString& value) {
  const QString wantedSection = TrimBlanks(section);
  const QString wantedKey = TrimBlanks(key);
  const QByteArray valueBytes = EncodeValue(value);

  const std::ptrdiff_t header = FirstSection(wantedSection);
  if (header < 0) {
    AppendLine('[' + wantedSection.toUtf8() + ']');
    AppendLine(wantedKey.toUtf8() + '=' + valueBytes);
    return;
  }

  // An existing key gets its new value in its own line, the key as it was
  // spelled. A new key goes after the last key line of the section (comments
  // and blank lines that close the section stay below it), or right under
  // the header.
  std::size_t after = static_cast<std::size_t>(header);
  for (std::size_t i = after + 1; i < lines.size(); ++i) {
    QString name;
    if (SectionHeader(lines[i].raw, &name)) break;
    KeyLine line;
    if (!ParseKeyLine(lines[i].raw, &line)) continue;
    if (SameName(line.key, wantedKey)) {
      lines[i].raw = lines[i].raw.left(line.keyEnd) + '=' + valueBytes;
      return;
    }
    after = i;
  }
  const QByteArray ending = NewLineEnding();
  if (lines[after].ending.isEmpty()) lines[after].ending = ending;
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(after) + 1,
               Line{wantedKey.toUtf8() + '=' + valueBytes, ending});
}

QByteArray IniDocument::Text() const {
  QByteArray text;
  for (const Line& line : lines) text += line.raw + line.ending;
  return text;
}

std::vector<IniDocument::Entry> IniDocument::Entries() const {
  std::vector<Entry> entries;
  QSet<QString> sectionsSeen;
  QSet<QString> keysSeen;
  QString section;
  bool counts = false;  // inside the first section of its name
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const QByteArray content = Content(lines[i].raw, i == 0);
    QString name;
    if (SectionHeader(content, &name)) {
      const QString folded = name.toCaseFolded();
      counts = !sectionsSeen.contains(folded);
      sectionsSeen.insert(folded);
      section = name;
      keysSeen.clear();
      continue;
    }
    KeyLine line;
    if (!counts || !ParseKeyLine(content, &line)) continue;
    const QString folded = line.key.toCaseFolded();
    if (keysSeen.contains(folded)) continue;
    keysSeen.insert(folded);
    entries.push_back({section, line.key, line.value});
  }
  return entries;
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

bool LooksLikeText(const QByteArray& bytes) {
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && (byte < '\t' || byte > '\r')) || byte == 0x7f) return false;
  }
  return true;
}

IniProfileFile::IniProfileFile(const QString& filePath) : path(filePath) {}

void IniProfileFile::Report(const QString& problem) {
  if (problem == lastReport) return;
  lastReport = problem;
  std::fprintf(stderr, "lynx-video-poker: %s\n", problem.toLocal8Bit().constData());
}

// Opens without blocking (a FIFO would wait for a writer) and reads at most
// one byte more than the limit, so that neither a device without end nor a
// huge file can hold up the start.
IniProfileFile::Load IniProfileFile::LoadFile(QByteArray* bytes) {
  bytes->clear();
  const QString shown = QDir::toNativeSeparators(path);
  const int fd =
      ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) {
    if (errno == ENOENT || errno == ENOTDIR) return Load::Missing;
    Report(QStringLiteral("the settings file %1 cannot be read (%2); it is left as it is")
               .arg(shown, QString::fromLocal8Bit(std::strerror(errno))));
    return Load::Refused;
  }
  struct stat info {};
  Load result = Load::Read;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    Report(QStringLiteral("the settings file %1 is not a regular file; it is left as it is")
               .arg(shown));
    result = Load::Refused;
  } else if (info.st_size > kMaxProfileBytes) {
    result = Load::Missing;
  } else {
    bytes->resize(kMaxProfileBytes + 1);
    qint64 total = 0;
    while (total < bytes->size()) {
      const ssize_t got =
          ::read(fd, bytes->data() + total, static_cast<std::size_t>(bytes->size() - total));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        Report(QStringLiteral("the settings file %1 cannot be read (%2); it is left as it is")
                   .arg(shown, QString::fromLocal8Bit(std::strerror(errno))));
        result = Load::Refused;
        break;
      }
      if (got == 0) break;
      total += got;
    }
    bytes->resize(result == Load::Read ? total : 0);
    if (total > kMaxProfileBytes) result = Load::Missing;
  }
  ::close(fd);
  if (result == Load::Read && !LooksLikeText(*bytes)) {
    bytes->clear();
    // Kept for the player to look at, out of the way of the new file.
    const QString base =
        path + QStringLiteral(".damaged-") +
        QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = base;
    for (int n = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++n)
      target = base + QLatin1Char('-') + QString::number(n);
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(target).constData()) == 0) {
      SyncFolder(QFileInfo(path).absolutePath());
      movedAsideTo = target;
      Report(QStringLiteral("the settings file %1 was not text; it was moved to %2")
                 .arg(shown, QDir::toNativeSeparators(target)));
      return Load::Missing;
    }
    Report(QStringLiteral("the settings file %1 is not text and cannot be moved aside (%2); it is "
                          "left as it is")
               .arg(shown, QString::fromLocal8Bit(std::strerror(errno))));
    return Load::Refused;
  }
  if (result == Load::Missing) {
    bytes->clear();
    Report(QStringLiteral("the settings file %1 is larger than %2 bytes; it is not read, and the "
                          "next save replaces it")
               .arg(shown)
               .arg(kMaxProfileBytes));
  }
  return result;
}

QString IniProfileFile::ReadString(const QString& section, const QString& key,
                                   const QString& defaultValue) {
  QByteArray bytes;
  if (LoadFile(&bytes) != Load::Read) return defaultValue;
  QString value;
  return IniDocument(bytes).Find(section, key, &value) ? value : defaultValue;
}

bool IniProfileFile::WriteSections(const Sections& sections) {
  writeProblem.clear();
  const QString shown = QDir::toNativeSeparators(path);
  auto fail = [&](const QString& why) {
    writeProblem = why;
    Report(QStringLiteral("the settings could not be saved to %1 (%2); the file keeps what it had")
               .arg(shown, why));
    return false;
  };
  bool any = false;
  for (const auto& [section, entries] : sections) {
    for (const auto& [key, value] : entries) {
      if (!ValidEntry(section, key, value)) {
        writeProblem = QStringLiteral("a value that cannot be written");
        return false;
      }
      any = true;
    }
  }
  if (!any) return true;

  QByteArray old;
  if (LoadFile(&old) == Load::Refused) {
    writeProblem = QStringLiteral("not a file that can be written");
    return false;
  }
  const QFileInfo info(path);
  if (WriteProtected(info)) return fail(QStringLiteral("the file is read-only"));

  IniDocument document(old);
  for (const auto& [section, entries] : sections)
    for (const auto& [key, value] : entries) document.Set(section, key, value);
  const QByteArray text = document.Text();

  if (!QDir().mkpath(info.absolutePath())) return fail(QStringLiteral("no folder"));
  // Unbuffered, so that every failed write (a full disk) is seen here and the
  // new file never replaces the old one unless all of it has been written.
  QSaveFile save(path);
  if (!save.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return fail(save.errorString());
  if (save.write(text) != text.size() || save.error() != QFileDevice::NoError) {
    const QString why = save.errorString();
    save.cancelWriting();
    return fail(why);
  }
  if (!save.commit()) return fail(save.errorString());
  SyncFolder(info.absolutePath());
  return true;
}

}  // namespace lynx
