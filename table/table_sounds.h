#pragma once
// The sounds of a table: a card sound for each card turned over (its length
// is the pace of a deal) and the win sound, both only while the player has
// the sound on. The files sit beside the program, so a player can replace
// them.

#include <QString>

#include "common/program_values.h"
#include "platform/services.h"

namespace lynx {

inline const QString kCardSoundFile = QStringLiteral("SND2.WAV");
inline const QString kWinSoundFile = QStringLiteral("SND0.WAV");

class TableSounds {
 public:
  // values and sound must outlive the sounds.
  TableSounds(ProgramValues& values, SoundPlayer& sound) : values(values), sound(sound) {}

  bool On() const { return values.soundOn == 1; }
  // Sound off where it was on, on where it was off.
  void Toggle() { values.soundOn = On() ? 0 : 1; }
  // Each plays to its end before it returns, where the sound is on.
  void Card() const;
  void Win() const;

 private:
  ProgramValues& values;
  SoundPlayer& sound;
};

}  // namespace lynx
