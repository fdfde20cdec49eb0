#include "platform/data_dir.h"

#include <QDir>
#include <QFileInfo>

namespace lynx {

QString FindFileNoCase(const QString& dir, const QString& name) {
  if (dir.isEmpty() || name.isEmpty()) return {};
  const QDir folder(dir);
  const QString exact = folder.filePath(name);
  if (QFileInfo(exact).isFile()) return exact;
  // Sorted by name so that several spellings of one name always give the same
  // answer.
  const QStringList entries =
      folder.entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& entry : entries) {
    if (entry.compare(name, Qt::CaseInsensitive) == 0) return folder.filePath(entry);
  }
  return {};
}

QString FindDataDirectory(const QString& executableDir) {
  const QString own = QDir::cleanPath(executableDir);
  if (!FindFileNoCase(own, QStringLiteral("SND2.WAV")).isEmpty()) return own;
  return QDir::cleanPath(own + QStringLiteral("/../share/lynx-video-poker"));
}

}  // namespace lynx
