#pragma once
// Synchronous WAV playback for the table: the call returns when the sound has
// had its playing time, so the card sound paces the deal.

#include <QString>
#include <map>
#include <memory>
#include <optional>

#include "platform/services.h"

class QSoundEffect;

namespace lynx {

// Made and destroyed while the QApplication exists (it owns Qt objects).
class QtSoundPlayer final : public SoundPlayer {
 public:
  // dataDir: the folder the sound files are looked up in.
  explicit QtSoundPlayer(const QString& dataDir);
  ~QtSoundPlayer() override;
  QtSoundPlayer(const QtSoundPlayer&) = delete;
  QtSoundPlayer& operator=(const QtSoundPlayer&) = delete;

  // Starts the file (name matched without regard to case) and then runs a
  // local event loop for the file's playing time, read from its header. User
  // input that arrives meanwhile is held back until the call returns; timers
  // and painting go on. The wait does not depend on the audio device, so the
  // pace is the same without one. A missing or unreadable file, or one that is
  // not PCM/float WAV, returns at once without a word.
  void PlaySync(const QString& fileName) override;

  // Playing time in milliseconds (rounded) of a PCM or float WAV file: data
  // chunk bytes / byte rate, counting only the data bytes actually present.
  // Empty for a missing file, a file that is not RIFF/WAVE, or one whose fmt
  // or data chunk is missing or cut short.
  static std::optional<int> WavDurationMs(const QString& path);

  // The playing time the last PlaySync waited for, in milliseconds: 0 when
  // it returned at once.
  int LastWaitMs() const { return lastWaitMs; }

 private:
  struct Sound {
    QString path;
    int durationMs = 0;
    std::unique_ptr<QSoundEffect> effect;  // made on first play, source set once
  };
  Sound* Lookup(const QString& fileName);

  QString dataDir;
  std::map<QString, Sound> sounds;  // by file name in lower case
  int lastWaitMs = 0;
};

}  // namespace lynx
