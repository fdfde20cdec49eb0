#pragma once
// A setting the player changed (the trainer's speed, the coach's panel, the
// last trainer table) that the settings file would not take is said in a box
// over the window, once for each reason: it still applies until the end of
// the run.

#include <QString>

#include "platform/services.h"

class QWidget;

namespace lynx {

// After a write of settings: does nothing when written is true or the
// profile's reason was already told (kept in told, which the caller owns);
// else says the reason in an exclamation box titled title over window.
void TellSettingNotSaved(bool written, Services& services, QWidget* window, const QString& title,
                         QString& told);

}  // namespace lynx
