#pragma once
// Where the program's data files (sounds, help documents) are found.

#include <QString>

namespace lynx {

// The data directory for an executable living in executableDir: that folder
// itself when it holds the card sound (SND2.WAV, any case), else the installed
// location executableDir/../share/lynx-video-poker. Cleaned path, no trailing
// separator. The folder is not checked further.
QString FindDataDirectory(const QString& executableDir);

// The path of the regular file in dir whose name equals name without regard to
// case (an exact match wins over other spellings), or an empty string when there
// is none. The result is dir joined with the name as it is spelled on disk.
QString FindFileNoCase(const QString& dir, const QString& name);

}  // namespace lynx
