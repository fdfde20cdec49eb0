// The help window opens beside the program at the topic's anchor.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTextBrowser>

#include "platform/qt_help.h"

namespace lynx {
namespace {

QString WriteHelp(const QString& path) {
  QByteArray html = "<html><body><h1>Contents</h1>";
  for (int topic : {41002, 41003, 41007}) {
    html += "<h2><a name=\"" + QByteArray::number(topic) + "\"></a>Topic " +
            QByteArray::number(topic) + "</h2>";
    for (int i = 0; i < 80; ++i) html += "<p>Line " + QByteArray::number(i) + "</p>";
  }
  // An anchor given as an element id works the same.
  html += "<h2 id=\"41008\">Topic 41008</h2>";
  for (int i = 0; i < 80; ++i) html += "<p>More " + QByteArray::number(i) + "</p>";
  html += "</body></html>";
  QFile file(path);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(html);
  return path;
}

TEST(QtHelpViewerTest, OpensAtTheTopicWithoutBlocking) {
  QTemporaryDir dir;
  const QString file = WriteHelp(dir.filePath("ZEB.HLP"));
  QtHelpViewer viewer;
  EXPECT_EQ(viewer.Window(), nullptr);

  viewer.Open(file, 41003);  // returns: nothing modal runs
  QWidget* window = viewer.Window();
  ASSERT_NE(window, nullptr);
  QTextBrowser* browser = viewer.Browser();
  ASSERT_NE(browser, nullptr);
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(window->isWindow());
  EXPECT_FALSE(window->isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_EQ(window->windowTitle(), "LYNX Video Poker Help");
  EXPECT_EQ(browser->source().fragment(), "41003");
  EXPECT_EQ(browser->source().toLocalFile(), file);
  EXPECT_TRUE(browser->toPlainText().contains("Topic 41007"));
  QApplication::processEvents();
  const int atTopic3 = browser->verticalScrollBar()->value();
  EXPECT_GT(atTopic3, 0);

  // The same window is reused for the next topic, further down.
  viewer.Open(file, 41007);
  QApplication::processEvents();
  EXPECT_EQ(viewer.Window(), window);
  EXPECT_EQ(viewer.Browser(), browser);
  EXPECT_EQ(browser->source().fragment(), "41007");
  const int atTopic7 = browser->verticalScrollBar()->value();
  EXPECT_GT(atTopic7, atTopic3);
  viewer.Open(file, 41008);
  QApplication::processEvents();
  EXPECT_EQ(browser->source().fragment(), "41008");
  EXPECT_GT(browser->verticalScrollBar()->value(), atTopic7);

  // A closed window comes back on the next call.
  window->close();
  EXPECT_FALSE(window->isVisible());
  viewer.Open(file, 41002);
  EXPECT_TRUE(window->isVisible());
  EXPECT_EQ(browser->source().fragment(), "41002");
}

TEST(QtHelpViewerTest, MissingFileIsReportedInTheViewer) {
  QTemporaryDir dir;
  const QString file = dir.filePath("ZEB.HLP");
  QtHelpViewer viewer;
  viewer.Open(file, 41002);
  ASSERT_NE(viewer.Browser(), nullptr);
  EXPECT_TRUE(viewer.Window()->isVisible());
  EXPECT_EQ(viewer.Browser()->toPlainText(), "The help file " + file + " could not be found.");

  // Once the file is there, the next call shows it.
  WriteHelp(file);
  viewer.Open(file, 41003);
  EXPECT_EQ(viewer.Browser()->source().fragment(), "41003");
  EXPECT_TRUE(viewer.Browser()->toPlainText().contains("Topic 41003"));
}

}  // namespace
}  // namespace lynx
