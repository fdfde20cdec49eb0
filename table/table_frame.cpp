#include "table/table_frame.h"

#include <QDialog>
#include <QIcon>
#include <QKeyEvent>
#include <QPalette>
#include <algorithm>
#include <array>

#include "table/table_controls.h"

namespace lynx {

void SetUpTableWindow(QDialog* window, double fontPoints) {
  window->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  window->setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
  window->setFont(ClassicFont(fontPoints, true));
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, kTableBlue);
  window->setPalette(palette);
  window->setAttribute(Qt::WA_OpaquePaintEvent);
  window->setFocusPolicy(Qt::StrongFocus);
}

QPixmap TablePicture(const char* name, double unit) {
  QPixmap picture(QStringLiteral(":/pictures/") + QLatin1String(name) + QStringLiteral(".png"));
  if (unit != 1) picture.setDevicePixelRatio(1 / unit);
  return picture;
}

bool PlainKey(const QKeyEvent& event) {
  return !(event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

bool TableKey(const QKeyEvent& event, std::initializer_list<int> ownKeys) {
  static constexpr std::array<int, 17> kEveryTable{
      Qt::Key_Return, Qt::Key_Enter, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4,
      Qt::Key_5,      Qt::Key_A,     Qt::Key_B, Qt::Key_C, Qt::Key_G, Qt::Key_H,
      Qt::Key_K,      Qt::Key_M,     Qt::Key_R, Qt::Key_S, Qt::Key_T};
  if (!PlainKey(event)) return false;
  const int key = event.key();
  return std::find(kEveryTable.begin(), kEveryTable.end(), key) != kEveryTable.end() ||
         std::find(ownKeys.begin(), ownKeys.end(), key) != ownKeys.end();
}

}  // namespace lynx
