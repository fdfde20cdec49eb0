#include "table/table_sounds.h"

namespace lynx {

void TableSounds::Card() const {
  if (On()) sound.PlaySync(kCardSoundFile);
}

void TableSounds::Win() const {
  if (On()) sound.PlaySync(kWinSoundFile);
}

}  // namespace lynx
