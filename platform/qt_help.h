#pragma once
// The help viewer: a window of its own beside the game, opened at a topic.

#include <QString>
#include <memory>

#include "platform/services.h"

class QTextBrowser;
class QWidget;

namespace lynx {

// One top-level window ("LYNX Video Poker Help") with an HTML browser, made
// on the first Open and reused afterwards. Open shows it (raised, not modal)
// and returns at once. A missing help file is reported inside the window.
// The window does not keep the program running once the other windows close.
// Made and destroyed while the QApplication exists.
class QtHelpViewer final : public HelpViewer {
 public:
  QtHelpViewer();
  ~QtHelpViewer() override;
  QtHelpViewer(const QtHelpViewer&) = delete;
  QtHelpViewer& operator=(const QtHelpViewer&) = delete;

  // file: full path of an HTML document; topic: the anchor name "<topic>".
  void Open(const QString& file, int topic) override;

  // The window and its browser; null before the first Open.
  QWidget* Window() const { return window.get(); }
  QTextBrowser* Browser() const { return browser; }

 private:
  std::unique_ptr<QWidget> window;
  QTextBrowser* browser = nullptr;  // owned by window
};

}  // namespace lynx
