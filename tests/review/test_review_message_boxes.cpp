// Message boxes opened over the review windows keep the desktop's standard
// look: none of the windows' white-on-blue reaches them.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <memory>
#include <string>

#include "platform/qt_dialogs.h"
#include "review/best_play_cache.h"
#include "review/drill_window.h"
#include "review/history_window.h"
#include "review/statistics_window.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

// Colours as "#rrggbb".
struct BoxLook {
  std::string text;
  std::string background;
  std::string buttonText;
  std::string styleSheet;  // the box's and its parent chain's, joined
};

std::string Name(const QColor& color) {
  return color.name().toStdString();
}

// Opens a real box over window and notes how its text and button look.
BoxLook LookOfABoxOver(QWidget& window) {
  BoxLook look;
  QTimer::singleShot(0, &window, [&] {
    auto* box = window.findChild<QMessageBox*>();
    ASSERT_NE(box, nullptr);
    const auto* label = box->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    ASSERT_NE(label, nullptr);
    look.text = Name(label->palette().color(label->foregroundRole()));
    look.background = Name(box->palette().color(box->backgroundRole()));
    look.buttonText = Name(box->button(QMessageBox::Ok)->palette().color(QPalette::ButtonText));
    for (const QWidget* w = box; w != nullptr; w = w->parentWidget())
      look.styleSheet += w->styleSheet().toStdString();
    box->accept();
  });
  QtDialogs().Info(&window, QStringLiteral("LYNX Video Poker"), QStringLiteral("Written."));
  return look;
}

TEST(ReviewMessageBoxes, UseTheStandardPaletteOverEveryReviewWindow) {
  FakeServices fakes;
  BestPlayCache cache([](GameVariant game) {
    StakeReturns figures;
    for (GameReturn& f : figures) f.variant = game;
    return figures;
  });
  TablesCache tables;
  HistoryWindow history(fakes.history);
  StatisticsWindow statistics(fakes.history, fakes.dialogs, cache);
  DrillWindow drill(fakes.history, tables, fakes.random, [] { return 0; });
  const QPalette standard = QApplication::palette();
  for (QWidget* window : std::initializer_list<QWidget*>{&history, &statistics, &drill}) {
    SCOPED_TRACE(window->windowTitle().toStdString());
    window->show();
    const BoxLook look = LookOfABoxOver(*window);
    EXPECT_EQ(look.text, Name(standard.color(QPalette::WindowText)));
    EXPECT_EQ(look.background, Name(standard.color(QPalette::Window)));
    EXPECT_EQ(look.buttonText, Name(standard.color(QPalette::ButtonText)));
    // Only the window's own controls are styled, below the window.
    EXPECT_EQ(look.styleSheet, "");
    EXPECT_NE(window->findChild<QWidget*>(QStringLiteral("ReviewBody"))->styleSheet(), QString());
  }
}

}  // namespace
}  // namespace lynx
