#include "platform/qt_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace lynx {

namespace {

const QScreen* ScreenOf(const QWidget* widget) {
  const QScreen* screen = widget != nullptr ? widget->screen() : nullptr;
  return screen != nullptr ? screen : QGuiApplication::primaryScreen();
}

QRect Geometry(const QWidget* widget) {
  const QScreen* screen = ScreenOf(widget);
  return screen != nullptr ? screen->geometry() : QRect();
}

}  // namespace

int QtScreenInfo::Width() const {
  return Geometry(widget).width();
}

int QtScreenInfo::Height() const {
  return Geometry(widget).height();
}

int QtScreenInfo::AvailableHeight() const {
  const QScreen* screen = ScreenOf(widget);
  return screen != nullptr ? screen->availableGeometry().height() : 0;
}

}  // namespace lynx
