#include "platform/qt_screen.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/window_place.h"

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
  return AvailableArea().height();
}

QRect QtScreenInfo::AvailableArea() const {
  return WorkArea(widget);
}

}  // namespace lynx
