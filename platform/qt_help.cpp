#include "platform/qt_help.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>
#include <QWidget>

#include "platform/window_keys.h"
#include "platform/window_place.h"

namespace lynx {

QtHelpViewer::QtHelpViewer() = default;

QtHelpViewer::~QtHelpViewer() = default;

void QtHelpViewer::Open(const QString& file, int topic) {
  if (!window) {
    window = std::make_unique<QWidget>();
    window->setObjectName(QStringLiteral("HelpWindow"));
    window->setWindowTitle(QStringLiteral("LYNX Video Poker Help"));
    window->setAttribute(Qt::WA_QuitOnClose, false);
    auto* layout = new QVBoxLayout(window.get());
    layout->setContentsMargins(0, 0, 0, 0);
    browser = new QTextBrowser(window.get());
    browser->setObjectName(QStringLiteral("HelpBrowser"));
    browser->setOpenExternalLinks(true);
    layout->addWidget(browser);
    window->resize(640, 480);
    CloseOnKeys(window.get());
    // Beside the window it was asked from, inside the work area.
    if (const QWidget* from = QApplication::activeWindow(); from != nullptr)
      PlaceBeside(window.get(), *from, QSize(320, 240));
    else
      PlaceInside(window.get(), nullptr);
  }

  const QString anchor = QString::number(topic);
  if (QFileInfo(file).isFile()) {
    QUrl url = QUrl::fromLocalFile(QFileInfo(file).absoluteFilePath());
    url.setFragment(anchor);
    // The help documents are HTML whatever their file name ends in.
    browser->setSource(url, QTextDocument::HtmlResource);
    browser->scrollToAnchor(anchor);
  } else {
    browser->setHtml(QStringLiteral("<p>The help file <b>%1</b> could not be found.</p>")
                         .arg(QDir::toNativeSeparators(file).toHtmlEscaped()));
  }

  window->show();
  window->raise();
  window->activateWindow();
}

}  // namespace lynx
