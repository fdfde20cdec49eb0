// The About window: layout, the three texts its buttons show, the header
// size rule, and OK as the default button.
#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "shell/about_window.h"
#include "shell/startup.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

class AboutWindowTest : public testing::Test {
 protected:
  AboutWindowTest() { SetStartValues(values, QStringLiteral("/data")); }
  QIcon Icon() const {
    QPixmap picture(32, 32);
    picture.fill(Qt::red);
    return QIcon(picture);
  }
  ProgramValues values;
  FakeScreen screen{1280, 1024};
};

TEST_F(AboutWindowTest, LayoutAndLook) {
  AboutWindow about(values, screen, Icon());
  EXPECT_EQ(about.objectName(), QStringLiteral("About"));
  EXPECT_EQ(about.windowTitle(), QStringLiteral("LYNX Video Poker"));
  EXPECT_EQ(about.size(), QSize(436, 313));
  EXPECT_EQ(about.minimumSize(), about.maximumSize());
  EXPECT_EQ(about.pos(), QPoint((1280 - 436) / 2, (1024 - 313) / 2));
  EXPECT_FALSE(about.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(about.windowFlags() & Qt::WindowMaximizeButtonHint);

  EXPECT_EQ(about.Frame1->geometry(), QRect(8, 8, 313, 297));
  EXPECT_EQ(about.Frame2->geometry(), QRect(328, 8, 105, 297));
  EXPECT_EQ(about.AboutIcon[0]->parentWidget(), about.Frame1);
  EXPECT_EQ(about.AboutIcon[0]->geometry(), QRect(8, 16, 32, 32));
  EXPECT_EQ(about.AboutIcon[1]->geometry(), QRect(272, 16, 32, 32));
  for (QLabel* icon : about.AboutIcon) {
    const QImage picture = icon->pixmap().toImage();
    ASSERT_EQ(picture.size(), QSize(32, 32));
    EXPECT_EQ(picture.pixelColor(16, 16), QColor(Qt::red));
  }

  QLabel* header = about.label1[0];
  EXPECT_EQ(header->geometry(), QRect(40, 16, 233, 25));
  EXPECT_EQ(header->text(), QStringLiteral("LYNX Video Poker v4.7"));
  EXPECT_EQ(header->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  EXPECT_DOUBLE_EQ(header->font().pointSizeF(), 8.0);  // 21 characters
  EXPECT_TRUE(header->font().bold());

  EXPECT_EQ(about.Text1->geometry(), QRect(8, 64, 297, 225));
  EXPECT_TRUE(about.Text1->isReadOnly());
  EXPECT_EQ(about.Text1->palette().color(QPalette::Base), QColor(0, 128, 128));
  EXPECT_EQ(about.Text1->palette().color(QPalette::Text), QColor(255, 255, 255));
  EXPECT_DOUBLE_EQ(about.Text1->font().pointSizeF(), 9.75);

  const char* captions[] = {"&Program", "&Company", "&Internet", "&OK"};
  const int tops[] = {32, 96, 160, 224};
  for (int i = 0; i < 4; ++i) {
    QPushButton* button = about.Command2[static_cast<std::size_t>(i)];
    EXPECT_EQ(button->parentWidget(), about.Frame2);
    EXPECT_EQ(button->text(), QLatin1String(captions[i]));
    EXPECT_EQ(button->geometry(), QRect(8, tops[i], 89, 49));
    EXPECT_DOUBLE_EQ(button->font().pointSizeF(), 9.75);
    EXPECT_EQ(button->isDefault(), i == 3);
  }
}

TEST_F(AboutWindowTest, ShortTitleKeepsTheTwelvePointHeader) {
  values.programVersion = "v47";  // 20 characters in all
  AboutWindow about(values, screen, Icon());
  EXPECT_EQ(about.label1[0]->text().size(), 20);
  EXPECT_DOUBLE_EQ(about.label1[0]->font().pointSizeF(), 12.0);
}

TEST_F(AboutWindowTest, ButtonsReplaceTheTextAndOkCloses) {
  AboutWindow about(values, screen, Icon());
  about.show();
  const QString program = QString::fromStdString(values.aboutText);
  const QString company = AboutWindow::CompanyText(QString::fromStdString(values.lineBreak));
  const QString internet = AboutWindow::InternetText(QString::fromStdString(values.lineBreak));
  EXPECT_EQ(internet,
            QStringLiteral("Visit our Internet site to get the latest versions of any of our "
                           "programs.  The Brevant Home Page is located at:\r\n\r\n     "
                           "https://lynx-video-poker.example.org/"));
  // The contact block: name and address, a blank line, three telephone lines
  // with tabs, a blank line, the e-mail heading and indented service lines.
  const QStringList lines = company.split(QStringLiteral("\r\n"));
  ASSERT_GE(lines.size(), 10);
  EXPECT_TRUE(lines[3].isEmpty());
  for (int i = 4; i <= 6; ++i) EXPECT_TRUE(lines[i].contains(QLatin1Char('\t'))) << i;
  EXPECT_TRUE(lines[7].isEmpty());
  for (qsizetype i = 9; i < lines.size(); ++i) {
    EXPECT_TRUE(lines[i].startsWith(QStringLiteral("     "))) << i;
    EXPECT_TRUE(lines[i].contains(QLatin1Char('\t'))) << i;
    EXPECT_TRUE(lines[i].endsWith(QStringLiteral("example.org"))) << i;
  }

  EXPECT_EQ(about.Text(), program);
  EXPECT_EQ(about.Text1->toPlainText(),
            QString(program).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
  const int order[] = {1, 2, 2, 0, 2, 1};
  for (int index : order) {
    QTest::mouseClick(about.Command2[static_cast<std::size_t>(index)], Qt::LeftButton);
    const QString& expected = index == 0 ? program : index == 1 ? company : internet;
    EXPECT_EQ(about.Text(), expected) << index;
    EXPECT_EQ(about.Text1->toPlainText(),
              QString(expected).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(about.isVisible());
  }
  QTest::mouseClick(about.Command2[3], Qt::LeftButton);
  EXPECT_FALSE(about.isVisible());
  EXPECT_EQ(about.result(), QDialog::Accepted);
}

TEST_F(AboutWindowTest, EnterPressesOk) {
  for (const auto key : {Qt::Key_Return, Qt::Key_Enter}) {
    AboutWindow about(values, screen, Icon());
    about.show();
    QTest::keyClick(&about, key);
    EXPECT_FALSE(about.isVisible());
    EXPECT_EQ(about.result(), QDialog::Accepted);
  }
}

}  // namespace
}  // namespace lynx
