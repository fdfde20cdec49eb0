#include "platform/folder_sync.h"

#include <fcntl.h>
#include <unistd.h>

#include <QFile>

namespace lynx {

void SyncFolder(const QString& folder) {
  const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace lynx
