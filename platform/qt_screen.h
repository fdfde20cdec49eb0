#pragma once
// The size of the screen the program's windows are on.

#include "platform/services.h"

class QWidget;

namespace lynx {

// Full geometry of the screen of a widget (or of the primary screen when no
// widget is set or the widget has none yet), in device-independent pixels.
// 0 x 0 when there is no screen at all.
class QtScreenInfo final : public ScreenInfo {
 public:
  explicit QtScreenInfo(const QWidget* w = nullptr) : widget(w) {}
  // The widget must outlive this object, or be replaced before it goes.
  void SetWidget(const QWidget* w) { widget = w; }

  int Width() const override;
  int Height() const override;
  int AvailableHeight() const override;
  QRect AvailableArea() const override;

 private:
  const QWidget* widget;
};

}  // namespace lynx
