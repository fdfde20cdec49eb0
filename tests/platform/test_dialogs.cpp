// Message boxes: icon, title, text and buttons, and what Ask answers.
#include <gtest/gtest.h>

#include <QApplication>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "platform/qt_dialogs.h"
#include "platform/qt_screen.h"

namespace lynx {
namespace {

struct SeenBox {
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QString title;
  QString text;
  QMessageBox::StandardButtons buttons;
  QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
  QWidget* parent = nullptr;
  bool modal = false;
};

// Waits for the message box to show, records it, then lets act close it.
void WhenBoxShows(SeenBox* seen, std::function<void(QMessageBox*)> act) {
  QTimer::singleShot(10, [seen, act] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr) {
      WhenBoxShows(seen, act);
      return;
    }
    seen->icon = box->icon();
    seen->title = box->windowTitle();
    seen->text = box->text();
    seen->buttons = box->standardButtons();
    seen->defaultButton = box->standardButton(box->defaultButton());
    seen->parent = box->parentWidget();
    seen->modal = box->isModal();
    act(box);
  });
}

void Click(QMessageBox* box, QMessageBox::StandardButton which) {
  QTest::mouseClick(box->button(which), Qt::LeftButton);
}

TEST(QtDialogsTest, InfoAndExclaim) {
  QtDialogs dialogs;
  QWidget parent;
  parent.show();
  SeenBox seen;
  WhenBoxShows(&seen, [](QMessageBox* box) { Click(box, QMessageBox::Ok); });
  dialogs.Info(&parent, "LYNX Video Poker", "Sound is now off.");
  EXPECT_EQ(seen.icon, QMessageBox::Information);
  EXPECT_EQ(seen.title, "LYNX Video Poker");
  EXPECT_EQ(seen.text, "Sound is now off.");
  EXPECT_EQ(seen.buttons, QMessageBox::Ok);
  EXPECT_EQ(seen.parent, &parent);
  EXPECT_TRUE(seen.modal);

  SeenBox warned;
  WhenBoxShows(&warned, [](QMessageBox* box) { Click(box, QMessageBox::Ok); });
  dialogs.Exclaim(nullptr, "LYNX Video Poker", "First line\r\nSecond line");
  EXPECT_EQ(warned.icon, QMessageBox::Warning);
  EXPECT_EQ(warned.text, "First line\nSecond line");
  EXPECT_EQ(warned.buttons, QMessageBox::Ok);
  EXPECT_EQ(warned.parent, nullptr);
}

TEST(QtDialogsTest, AskIsTrueOnlyForYes) {
  QtDialogs dialogs;
  SeenBox seen;
  WhenBoxShows(&seen, [](QMessageBox* box) { Click(box, QMessageBox::Yes); });
  EXPECT_TRUE(dialogs.Ask(nullptr, "Pay-Off Loan", "Would you like to pay-off <b>?"));
  EXPECT_EQ(seen.icon, QMessageBox::Question);
  EXPECT_EQ(seen.title, "Pay-Off Loan");
  EXPECT_EQ(seen.text, "Would you like to pay-off <b>?");
  EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
  EXPECT_EQ(seen.defaultButton, QMessageBox::Yes);

  WhenBoxShows(&seen, [](QMessageBox* box) { Click(box, QMessageBox::No); });
  EXPECT_FALSE(dialogs.Ask(nullptr, "Pay-Off Loan", "?"));
  WhenBoxShows(&seen, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
  EXPECT_FALSE(dialogs.Ask(nullptr, "Pay-Off Loan", "?"));
  WhenBoxShows(&seen, [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); });
  EXPECT_TRUE(dialogs.Ask(nullptr, "Pay-Off Loan", "?"));  // Enter takes the default
}

TEST(QtScreenInfoTest, ScreenOfTheWidgetOrThePrimaryScreen) {
  const QRect primary = QGuiApplication::primaryScreen()->geometry();
  QtScreenInfo screen;
  EXPECT_EQ(screen.Width(), primary.width());
  EXPECT_EQ(screen.Height(), primary.height());
  EXPECT_GT(screen.Width(), 0);
  EXPECT_GT(screen.Height(), 0);
  QWidget window;
  window.show();
  QtScreenInfo ofWindow(&window);
  EXPECT_EQ(ofWindow.Width(), window.screen()->geometry().width());
  EXPECT_EQ(ofWindow.Height(), window.screen()->geometry().height());
}

}  // namespace
}  // namespace lynx
