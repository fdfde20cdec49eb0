#include "table/setting_saved.h"

#include <QCoreApplication>

namespace lynx {

void TellSettingNotSaved(bool written, Services& services, QWidget* window, const QString& title,
                         QString& told) {
  if (written) return;
  QString why = services.profile.WriteProblem();
  if (why.isEmpty()) why = QCoreApplication::translate("lynx::Settings", "no reason given");
  if (why == told) return;
  told = why;
  services.dialogs.Exclaim(
      window, title,
      QCoreApplication::translate("lynx::Settings",
                                  "Your change could not be saved in the settings file (%1).  It "
                                  "applies until LYNX Video Poker ends.")
          .arg(why));
}

}  // namespace lynx
