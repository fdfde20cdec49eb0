// The title window: layout, the caption cycle, the card fan, the game
// pictures with the table shown modally, help, About, Catalog, and the exit
// save.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QSignalSpy>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <functional>

#include "cards/card_painter.h"
#include "platform/qt_help.h"
#include "shell/about_window.h"
#include "shell/startup.h"
#include "shell/title_window.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

const QColor kBlue(0, 0, 255);
const QColor kWhite(255, 255, 255);
const QColor kYellow(255, 255, 0);

// Runs whileOpen on the modal window that action opens, then closes it.
void WithModal(const std::function<void()>& action,
               const std::function<void(QWidget*)>& whileOpen) {
  bool ran = false;
  QTimer::singleShot(0, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    ran = true;
    whileOpen(modal);
    if (modal != nullptr && modal->isVisible()) modal->close();
  });
  action();
  EXPECT_TRUE(ran);
}

int CountTableWindows() {
  int count = 0;
  for (QWidget* w : QApplication::allWidgets()) {
    if (qobject_cast<TableWindow*>(w) != nullptr) ++count;
  }
  return count;
}

class TitleWindowTest : public testing::Test {
 protected:
  TitleWindowTest() {
    SetStartValues(values, QStringLiteral("/data"));
    title = std::make_unique<TitleWindow>(values, fake.services);
    title->show();
  }
  void Click(QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(5, 5)); }

  FakeServices fake;
  ProgramValues values;
  std::unique_ptr<TitleWindow> title;
};

TEST_F(TitleWindowTest, LayoutColoursAndFonts) {
  EXPECT_EQ(title->objectName(), QStringLiteral("opening"));
  EXPECT_EQ(title->windowTitle(), QStringLiteral("LYNX Video Poker"));
  EXPECT_EQ(title->size(), QSize(328, 295));
  EXPECT_EQ(title->minimumSize(), title->maximumSize());
  EXPECT_EQ(title->pos(), QPoint((1024 - 328) / 2, (768 - 295) / 2));
  EXPECT_EQ(title->palette().color(QPalette::Window), kBlue);
  EXPECT_DOUBLE_EQ(title->font().pointSizeF(), 8.25);
  EXPECT_TRUE(title->font().bold());
  EXPECT_FALSE(title->windowIcon().isNull());

  EXPECT_EQ(title->text2->geometry(), QRect(8, 144, 225, 49));
  EXPECT_EQ(title->text2->palette().color(QPalette::WindowText), kYellow);
  EXPECT_EQ(title->text2->palette().color(QPalette::Window), kBlue);
  EXPECT_EQ(title->text2->alignment(), Qt::AlignHCenter | Qt::AlignTop);
  EXPECT_DOUBLE_EQ(title->text2->font().pointSizeF(), 12.0);
  EXPECT_TRUE(title->text2->font().bold());

  struct Picture {
    PictureButton* button;
    const char* name;
    const char* accessible;
    QRect geometry;
  };
  const Picture pictures[] = {
      {title->Image5, "Image5", "Help", QRect(256, 10, 64, 40)},
      {title->Image6, "Image6", "About", QRect(256, 58, 64, 40)},
      {title->Image7, "Image7", "Catalog", QRect(256, 106, 64, 40)},
      {title->Image8, "Image8", "Quit", QRect(256, 154, 64, 40)},
      {title->Image2, "Image2", "Jacks or Better", QRect(32, 216, 66, 49)},
      {title->Image3, "Image3", "Joker Wild", QRect(132, 216, 66, 49)},
      {title->Image4, "Image4", "Deuces Wild", QRect(232, 216, 66, 49)},
  };
  for (const Picture& p : pictures) {
    SCOPED_TRACE(p.name);
    EXPECT_EQ(p.button->objectName(), QLatin1String(p.name));
    EXPECT_EQ(p.button->geometry(), p.geometry);
    EXPECT_EQ(p.button->accessibleName(), QLatin1String(p.accessible));
    EXPECT_EQ(p.button->toolTip(), QLatin1String(p.accessible));
  }
  EXPECT_EQ(title->Image5->pixmap().size(), QSize(64, 40));
  EXPECT_EQ(title->Image2->pixmap().size(), QSize(64, 47));

  struct Label {
    ClassicLabel* label;
    const char* text;
    QRect geometry;
  };
  for (const Label& l : {Label{title->Label1, "Jacks or Better", QRect(0, 272, 113, 25)},
                         Label{title->Label2, "Joker Wild", QRect(120, 272, 89, 25)},
                         Label{title->Label3, "Deuces Wild", QRect(216, 272, 97, 25)}}) {
    SCOPED_TRACE(l.text);
    EXPECT_EQ(l.label->text(), QLatin1String(l.text));
    EXPECT_EQ(l.label->geometry(), l.geometry);
    EXPECT_EQ(l.label->TextColour(), kYellow);
    EXPECT_EQ(l.label->palette().color(QPalette::Window), kBlue);
    EXPECT_EQ(l.label->alignment(), Qt::AlignHCenter | Qt::AlignTop);
    EXPECT_DOUBLE_EQ(l.label->font().pointSizeF(), 8.25);
    EXPECT_TRUE(l.label->font().bold());
  }
}

TEST_F(TitleWindowTest, LinesAndTheCardFanArePaintedOnEveryRepaint) {
  QImage expected(328, 295, QImage::Format_RGB32);
  expected.fill(kBlue);
  const CardCode fan[] = {49, 50, 51, 52, 40};
  for (int k = 0; k < 5; ++k)
    DrawCardFace(expected, 10 + 38 * k, 20 + 3 * k, fan[k], kJacksOrBetter);

  for (int round = 0; round < 2; ++round) {
    const QImage shown = title->grab().toImage().convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(shown.size(), QSize(328, 295));
    // The fan area, above the caption label.
    EXPECT_EQ(shown.copy(0, 0, 240, 140), expected.copy(0, 0, 240, 140)) << round;
    EXPECT_EQ(title->Surface().copy(0, 0, 240, 140), expected.copy(0, 0, 240, 140));
    // The horizontal line is 5 pixels thick, the vertical one 3.
    int across = 0;
    for (int y = 195; y < 215; ++y) across += shown.pixelColor(3, y) == kWhite ? 1 : 0;
    EXPECT_EQ(across, 5);
    EXPECT_EQ(shown.pixelColor(3, 208), kWhite);
    EXPECT_EQ(shown.pixelColor(327, 208), kWhite);
    int wide = 0;
    for (int x = 236; x < 252; ++x) wide += shown.pixelColor(x, 60) == kWhite ? 1 : 0;
    EXPECT_EQ(wide, 3);
    EXPECT_EQ(shown.pixelColor(242, 2), kWhite);
    EXPECT_EQ(shown.pixelColor(242, 200), kWhite);
    EXPECT_EQ(shown.pixelColor(250, 60), kBlue);
    // Covering and uncovering: the next round paints everything again.
    title->hide();
    title->show();
  }
}

TEST_F(TitleWindowTest, CaptionCyclesThroughFourStepsAndIgnoresOtherTexts) {
  EXPECT_EQ(title->CaptionStep(), 1);
  EXPECT_EQ(title->text2->text(), QStringLiteral("Quillon Software\nPresents"));
  EXPECT_EQ(title->CaptionText(), QStringLiteral("Quillon Software\r\nPresents"));
  EXPECT_EQ(title->Timer2.interval(), 3000);
  EXPECT_TRUE(title->Timer2.isActive());
  const QStringList shown{QStringLiteral("LYNX Video Poker\nfor Linux"),
                          QStringLiteral("Free Software\nby its Developers"),
                          QStringLiteral("To Play\nChoose Game Below"),
                          QStringLiteral("Quillon Software\nPresents")};
  for (int i = 0; i < 8; ++i) {
    title->AdvanceCaption();
    EXPECT_EQ(title->text2->text(), shown[i % 4]) << i;
    EXPECT_EQ(title->CaptionStep(), (i + 1) % 4 + 1);
  }
  title->SetCaptionText(QStringLiteral("Something else"));
  title->AdvanceCaption();
  EXPECT_EQ(title->text2->text(), QStringLiteral("Something else"));
  EXPECT_EQ(title->CaptionStep(), 0);

  // The timer drives it.
  title->SetCaptionText(TitleWindow::CaptionSteps(QString::fromStdString(values.lineBreak))[3]);
  title->Timer2.setInterval(10);
  EXPECT_TRUE(QTest::qWaitFor([&] { return title->CaptionStep() == 1; }, 2000));
}

TEST_F(TitleWindowTest, GamesRunModallyFromAFreshTableAndKeepTheBalance) {
  title->SetCaptionText(
      TitleWindow::CaptionSteps(QString::fromStdString(values.lineBreak))[2]);  // step 3
  WithModal([&] { Click(title->Image3); },
            [&](QWidget* modal) {
              auto* table = qobject_cast<TableWindow*>(modal);
              ASSERT_NE(table, nullptr);
              EXPECT_EQ(table->objectName(), QStringLiteral("LYNX"));
              EXPECT_EQ(table->windowTitle(), QStringLiteral("LYNX Video Poker -- Joker Wild"));
              EXPECT_FALSE(title->isVisible());
              EXPECT_TRUE(title->InModal());
              EXPECT_EQ(values.gameVariant, kJokerWild);
              EXPECT_EQ(values.helpTopic, "41008");
              // A game changes the balance and the card size.
              values.credits = 180;
              values.largeCards = 1;
              // The caption keeps cycling while the window is hidden; its
              // label, which a screen reader reads, waits to be seen.
              const QString label = title->text2->text();
              title->Timer2.setInterval(10);
              EXPECT_TRUE(QTest::qWaitFor([&] { return title->CaptionStep() == 4; }, 2000));
              title->Timer2.stop();
              EXPECT_EQ(title->text2->text(), label);
            });
  EXPECT_TRUE(title->isVisible());
  EXPECT_FALSE(title->InModal());
  EXPECT_EQ(CountTableWindows(), 0);
  EXPECT_EQ(title->CaptionStep(), 4);  // carried on, not back to step 1
  EXPECT_EQ(title->text2->text(), QStringLiteral("To Play\nChoose Game Below"));
  EXPECT_EQ(values.credits, 180);
  EXPECT_EQ(values.largeCards, 1);

  WithModal([&] { Click(title->Image4); },
            [&](QWidget* modal) {
              auto* table = qobject_cast<TableWindow*>(modal);
              ASSERT_NE(table, nullptr);
              EXPECT_EQ(table->windowTitle(), QStringLiteral("LYNX Video Poker -- Deuces Wild"));
              EXPECT_EQ(values.gameVariant, kDeucesWild);
              EXPECT_EQ(values.helpTopic, "41003");
              EXPECT_EQ(values.credits, 180);
              EXPECT_TRUE(table->LargeLayout());
              // F1 on the table asks for its game's topic, not the title's.
              QTest::keyClick(table, Qt::Key_F1);
              ASSERT_FALSE(fake.help.opened.empty());
              EXPECT_EQ(fake.help.opened.back(),
                        std::make_pair(QStringLiteral("/data/ZEB.HLP"), 41003));
            });
  WithModal([&] { Click(title->Image2); },
            [&](QWidget* modal) {
              ASSERT_NE(qobject_cast<TableWindow*>(modal), nullptr);
              EXPECT_EQ(modal->windowTitle(),
                        QStringLiteral("LYNX Video Poker -- Jacks or Better"));
              EXPECT_EQ(values.gameVariant, kJacksOrBetter);
              EXPECT_EQ(values.helpTopic, "41007");
            });
  EXPECT_EQ(CountTableWindows(), 0);
  EXPECT_EQ(values.credits, 180);
  EXPECT_TRUE(fake.profile.writes.empty());  // no save until the program ends
  EXPECT_TRUE(fake.dialogs.shown.empty());
}

TEST_F(TitleWindowTest, DigitKeysChooseTheGamesInTheOrderOfTheirPictures) {
  QTest::keyClick(title.get(), Qt::Key_2, Qt::ControlModifier);  // a shortcut: no game
  EXPECT_EQ(CountTableWindows(), 0);
  const std::array<GameVariant, 3> games{kJacksOrBetter, kJokerWild, kDeucesWild};
  for (int k = 0; k < 3; ++k) {
    WithModal([&] { QTest::keyClick(title.get(), static_cast<Qt::Key>(Qt::Key_1 + k)); },
              [&](QWidget* modal) {
                ASSERT_NE(qobject_cast<TableWindow*>(modal), nullptr);
                EXPECT_EQ(values.gameVariant, games[static_cast<std::size_t>(k)]);
              });
  }
  EXPECT_EQ(CountTableWindows(), 0);
}

// Counts the mouse presses delivered to one widget.
class PressCounter final : public QObject {
 public:
  explicit PressCounter(QWidget* target) : target(target) { qApp->installEventFilter(this); }
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == target && event->type() == QEvent::MouseButtonPress) ++count;
    return false;
  }
  int count = 0;

 private:
  QWidget* target;
};

// Shift+F10 opens the menu where the keyboard has no Menu key.
TEST_F(TitleWindowTest, ShiftF10OpensTheMenu) {
  QString opened;
  QTimer::singleShot(0, [&] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      opened = popup->objectName();
      popup->close();
    }
  });
  QTest::keyClick(title.get(), Qt::Key_F10, Qt::ShiftModifier);
  EXPECT_EQ(opened, QStringLiteral("TitleMenu"));
}

TEST(TitleWindowHelp, TheHelpWindowTakesInputWhileATableRuns) {
  // Input goes through the platform window, where Qt drops what reaches a
  // window blocked by a modal one.
  FakeServices fake;
  QtHelpViewer help;
  Services services{fake.dialogs, fake.sound,  fake.profile, help,
                    fake.screen,  fake.random, fake.history};
  ProgramValues values;
  SetStartValues(values, QStringLiteral("/data"));
  TitleWindow title(values, services);
  title.show();
  int presses = -1;
  WithModal([&] { QTest::mouseClick(title.Image2, Qt::LeftButton, {}, QPoint(5, 5)); },
            [&](QWidget* modal) {
              ASSERT_NE(qobject_cast<TableWindow*>(modal), nullptr);
              QTest::keyClick(modal, Qt::Key_F1);
              ASSERT_NE(help.Window(), nullptr);
              ASSERT_TRUE(QTest::qWaitForWindowExposed(help.Window()));
              PressCounter counter(help.Browser()->viewport());
              const QPoint inside =
                  help.Browser()->viewport()->mapTo(help.Window(), QPoint(20, 20));
              QTest::mouseClick(help.Window()->windowHandle(), Qt::LeftButton, {}, inside);
              presses = counter.count;
            });
  EXPECT_EQ(presses, 1);
}

TEST_F(TitleWindowTest, HelpCatalogAndAboutPictures) {
  Click(title->Image5);
  QTest::keyClick(title.get(), Qt::Key_F1);
  Click(title->Image7);
  using Opened = std::vector<std::pair<QString, int>>;
  EXPECT_EQ(fake.help.opened, (Opened{{QStringLiteral("/data/ZEB.HLP"), 41002},
                                      {QStringLiteral("/data/ZEB.HLP"), 41002},
                                      {QStringLiteral("/data/CATALOG.HLP"), 0}}));

  for (int opening = 0; opening < 2; ++opening) {
    WithModal([&] { Click(title->Image6); },
              [&](QWidget* modal) {
                auto* about = qobject_cast<AboutWindow*>(modal);
                ASSERT_NE(about, nullptr);
                EXPECT_TRUE(title->isVisible());
                EXPECT_EQ(about->windowTitle(), QStringLiteral("LYNX Video Poker"));
                EXPECT_EQ(about->Text(),
                          QString::fromStdString(values.aboutText));  // fresh each time
                EXPECT_FALSE(about->AboutIcon[0]->pixmap().isNull());
                about->Command2Click(2);
                QTest::keyClick(about, Qt::Key_Return);
                EXPECT_FALSE(about->isVisible());
              });
  }
  int abouts = 0;
  for (QWidget* w : QApplication::allWidgets()) abouts += qobject_cast<AboutWindow*>(w) ? 1 : 0;
  EXPECT_EQ(abouts, 0);
}

TEST_F(TitleWindowTest, EscapeHeldFromTheTableDoesNotCloseTheNextWindow) {
  // Escape goes down on a table and closes it; the key stays down and
  // repeats on whatever window opens next.
  auto send = [](QWidget* to, QEvent::Type type, bool autoRepeat) {
    QKeyEvent event(type, Qt::Key_Escape, Qt::NoModifier, QString(), autoRepeat);
    QApplication::sendEvent(to, &event);
  };
  auto holdOn = [&](QWidget* modal) {
    for (int k = 0; k < 10; ++k) {
      send(modal, QEvent::KeyRelease, true);
      send(modal, QEvent::KeyPress, true);
    }
    QCoreApplication::processEvents();
  };
  WithModal([&] { Click(title->Image2); },
            [&](QWidget* modal) {
              ASSERT_NE(qobject_cast<TableWindow*>(modal), nullptr);
              send(modal, QEvent::KeyPress, false);
              EXPECT_FALSE(modal->isVisible());
            });
  EXPECT_TRUE(title->isVisible());
  holdOn(title.get());

  int tablesSeenOpen = 0;
  WithModal([&] { Click(title->Image3); },
            [&](QWidget* modal) {
              ASSERT_NE(qobject_cast<TableWindow*>(modal), nullptr);
              holdOn(modal);
              tablesSeenOpen += modal->isVisible() ? 1 : 0;
              send(modal, QEvent::KeyRelease, false);
              send(modal, QEvent::KeyPress, false);  // pressed again: quits
              EXPECT_FALSE(modal->isVisible());
            });
  EXPECT_EQ(tablesSeenOpen, 1);
  EXPECT_EQ(values.gameVariant, kJokerWild);

  int aboutsSeenOpen = 0;
  WithModal([&] { Click(title->Image6); },
            [&](QWidget* modal) {
              ASSERT_NE(qobject_cast<AboutWindow*>(modal), nullptr);
              send(modal, QEvent::KeyPress, false);
              EXPECT_FALSE(modal->isVisible());  // a fresh press still closes it
            });
  WithModal([&] { Click(title->Image6); },
            [&](QWidget* modal) {
              send(modal, QEvent::KeyPress, false);  // goes down: About closes
            });
  WithModal([&] { Click(title->Image6); },
            [&](QWidget* modal) {
              holdOn(modal);  // and keeps repeating on the next About
              aboutsSeenOpen += modal->isVisible() ? 1 : 0;
            });
  EXPECT_EQ(aboutsSeenOpen, 1);
  EXPECT_TRUE(title->isVisible());
  EXPECT_FALSE(title->InModal());
  EXPECT_EQ(CountTableWindows(), 0);
}

TEST_F(TitleWindowTest, QuitPictureSavesOnceWithThePayOffQuestion) {
  values.credits = 250;
  values.borrowed = 100;
  fake.dialogs.answers = {true};
  QSignalSpy closed(title.get(), &TitleWindow::Closed);
  Click(title->Image8);
  EXPECT_FALSE(title->isVisible());
  EXPECT_EQ(closed.count(), 1);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].title, QStringLiteral("Pay-Off Loan"));
  using Writes = std::vector<std::pair<QString, QString>>;
  const Writes expected{{QStringLiteral("Credits"), QStringLiteral("150")},
                        {QStringLiteral("Borrowed"), QStringLiteral("0")},
                        {QStringLiteral("LargeCards"), QStringLiteral("0")}};
  EXPECT_EQ(fake.profile.writes, expected);
  // Whatever else asks for the save afterwards, it does not run again.
  title->close();
  title->SaveOnce(false);
  title->EndQuietly();
  EXPECT_EQ(fake.profile.writes, expected);
  EXPECT_EQ(fake.dialogs.shown.size(), 1u);
}

TEST_F(TitleWindowTest, WindowManagerCloseRunsTheSameSave) {
  values.credits = 300;
  values.borrowed = 100;
  values.largeCards = 1;
  fake.dialogs.answers = {false};
  QSignalSpy closed(title.get(), &TitleWindow::Closed);
  // What the window manager's close button or Alt+F4 delivers.
  QCloseEvent event;
  QApplication::sendEvent(title.get(), &event);
  EXPECT_TRUE(event.isAccepted());
  EXPECT_EQ(closed.count(), 1);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text,
            QStringLiteral("You have 300 credits of which 100 are borrowed.  Would you like to "
                           "pay-off your loan balance?"));
  using Writes = std::vector<std::pair<QString, QString>>;
  EXPECT_EQ(fake.profile.writes, (Writes{{QStringLiteral("Credits"), QStringLiteral("300")},
                                         {QStringLiteral("Borrowed"), QStringLiteral("100")},
                                         {QStringLiteral("LargeCards"), QStringLiteral("1")}}));
}

}  // namespace
}  // namespace lynx
