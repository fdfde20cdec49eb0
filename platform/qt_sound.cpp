#include "platform/qt_sound.h"

#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QTimer>
#include <QUrl>
#include <QtEndian>
#include <algorithm>
#include <limits>

#include "platform/data_dir.h"

namespace lynx {

namespace {

quint16 Le16(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint16>(bytes.constData() + at);
}
quint32 Le32(const QByteArray& bytes, qsizetype at) {
  return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The sample formats the sound effect player decodes.
constexpr quint16 kFormatPcm = 1;
constexpr quint16 kFormatFloat = 3;
constexpr quint16 kFormatExtensible = 0xFFFE;

}  // namespace

std::optional<int> QtSoundPlayer::WavDurationMs(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
  const qint64 fileSize = file.size();
  const QByteArray head = file.read(12);
  if (head.size() < 12 || !head.startsWith("RIFF") || head.mid(8, 4) != "WAVE") return std::nullopt;

  bool haveFormat = false;
  quint32 byteRate = 0;
  // Walk the chunks; each one has an 8-byte header and is padded to an even
  // size. Unknown chunks (LIST, fact, cue ...) are skipped.
  qint64 pos = 12;
  while (pos + 8 <= fileSize) {
    if (!file.seek(pos)) return std::nullopt;
    const QByteArray header = file.read(8);
    if (header.size() < 8) return std::nullopt;
    const QByteArray id = header.left(4);
    const quint32 size = Le32(header, 4);
    const qint64 body = pos + 8;
    if (id == "fmt ") {
      if (size < 16 || body + 16 > fileSize) return std::nullopt;
      const QByteArray fmt = file.read(16);
      if (fmt.size() < 16) return std::nullopt;
      const quint16 format = Le16(fmt, 0);
      const quint16 channels = Le16(fmt, 2);
      const quint32 sampleRate = Le32(fmt, 4);
      const quint16 blockAlign = Le16(fmt, 12);
      if (format != kFormatPcm && format != kFormatFloat && format != kFormatExtensible)
        return std::nullopt;
      if (channels == 0 || sampleRate == 0) return std::nullopt;
      byteRate = Le32(fmt, 8);
      if (byteRate == 0) byteRate = sampleRate * blockAlign;
      if (byteRate == 0) return std::nullopt;
      haveFormat = true;
    } else if (id == "data") {
      if (!haveFormat) return std::nullopt;
      // A writer that streamed the file may have left the size open
      // (0xFFFFFFFF); what plays is what is there.
      const qint64 present = std::min<qint64>(size, fileSize - body);
      const qint64 ms = (present * 1000 + byteRate / 2) / byteRate;
      return static_cast<int>(std::min<qint64>(ms, std::numeric_limits<int>::max()));
    }
    pos = body + static_cast<qint64>(size) + (size & 1);
  }
  return std::nullopt;
}

QtSoundPlayer::QtSoundPlayer(const QString& dir) : dataDir(dir) {}

QtSoundPlayer::~QtSoundPlayer() = default;

QtSoundPlayer::Sound* QtSoundPlayer::Lookup(const QString& fileName) {
  const QString name = fileName.toLower();
  auto it = sounds.find(name);
  if (it != sounds.end() && QFileInfo::exists(it->second.path)) return &it->second;
  if (it != sounds.end()) sounds.erase(it);

  const QString path = FindFileNoCase(dataDir, fileName);
  if (path.isEmpty()) return nullptr;
  const std::optional<int> duration = WavDurationMs(path);
  if (!duration) return nullptr;
  Sound& sound = sounds[name];
  sound.path = path;
  sound.durationMs = *duration;
  return &sound;
}

void QtSoundPlayer::PlaySync(const QString& fileName) {
  lastWaitMs = 0;
  Sound* sound = Lookup(fileName);
  if (sound == nullptr || sound->durationMs <= 0) return;
  lastWaitMs = sound->durationMs;
  if (!sound->effect) {
    sound->effect = std::make_unique<QSoundEffect>();
    sound->effect->setSource(QUrl::fromLocalFile(sound->path));
  }
  // The effect's playing flag stays set long after the end, so the wait is
  // timed from the header and a replay is started from a clean stop.
  sound->effect->stop();
  sound->effect->play();

  QEventLoop loop;
  QTimer::singleShot(sound->durationMs, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace lynx
