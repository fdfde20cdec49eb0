#include "platform/qt_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lynx {

namespace {

QRect Geometry(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->geometry() : QRect();
}

}  // namespace

int QtScreenInfo::Width() const {
  return Geometry(widget).width();
}

int QtScreenInfo::Height() const {
  return Geometry(widget).height();
}

}  // namespace lynx
