#pragma once
// After a file is renamed into a folder (an atomic save, a file moved aside),
// the rename itself is only on disk once the folder is synchronised.

#include <QString>

namespace lynx {

// fsync on folder; a folder that cannot be opened is left as it is.
void SyncFolder(const QString& folder);

}  // namespace lynx
