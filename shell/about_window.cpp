#include "shell/about_window.h"

#include <QGroupBox>
#include <QLabel>
#include <QPalette>
#include <QPlainTextEdit>
#include <QPushButton>

#include "table/table_controls.h"

namespace lynx {

AboutWindow::AboutWindow(const ProgramValues& values, const ScreenInfo& screen, const QIcon& icon,
                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), values(values) {
  setObjectName(QStringLiteral("About"));
  setWindowTitle(QString::fromStdString(values.programTitle));
  setFixedSize(Twips(6540), Twips(4695));
  setFont(ClassicFont(8.25, true));

  Frame1 = new QGroupBox(this);
  Frame1->setObjectName(QStringLiteral("Frame1"));
  Frame1->setGeometry(TwipsRect(120, 120, 4695, 4455));
  Frame2 = new QGroupBox(this);
  Frame2->setObjectName(QStringLiteral("Frame2"));
  Frame2->setGeometry(TwipsRect(4920, 120, 1575, 4455));

  // The 32-pixel picture itself, enlarged pixel by pixel on a scaled screen.
  const QPixmap iconPicture = ScreenPixmap(icon.pixmap(QSize(32, 32), 1.0).toImage());
  const std::array<int, 2> iconLeft{120, 4080};
  for (std::size_t i = 0; i < AboutIcon.size(); ++i) {
    AboutIcon[i] = new QLabel(Frame1);
    AboutIcon[i]->setObjectName(QStringLiteral("AboutIcon_%1").arg(i));
    AboutIcon[i]->setGeometry(TwipsRect(iconLeft[i], 240, 480, 480));
    AboutIcon[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    AboutIcon[i]->setPixmap(iconPicture);
  }

  // Load.
  label1[0] = new QLabel(Frame1);
  label1[0]->setObjectName(QStringLiteral("label1_0"));
  label1[0]->setGeometry(TwipsRect(600, 240, 3495, 375));
  label1[0]->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  label1[0]->setText(QString::fromStdString(values.programTitle) + QLatin1Char(' ') +
                     QString::fromStdString(values.programVersion));
  label1[0]->setFont(ClassicFont(label1[0]->text().trimmed().size() > 20 ? 8 : 12, true));

  Text1 = new QPlainTextEdit(Frame1);
  Text1->setObjectName(QStringLiteral("Text1"));
  Text1->setGeometry(TwipsRect(120, 960, 4455, 3375));
  Text1->setReadOnly(true);
  Text1->setFont(ClassicFont(9.75, false));
  Text1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  Text1->setTabStopDistance(48);
  QPalette textPalette = Text1->palette();
  textPalette.setColor(QPalette::Base, QColor(0, 128, 128));
  textPalette.setColor(QPalette::Text, QColor(255, 255, 255));
  Text1->setPalette(textPalette);
  SetText(QString::fromStdString(values.aboutText));

  const std::array<const char*, 4> captions{"&Program", "&Company", "&Internet", "&OK"};
  const std::array<int, 4> tops{480, 1440, 2400, 3360};
  for (std::size_t i = 0; i < Command2.size(); ++i) {
    Command2[i] = new QPushButton(QString::fromLatin1(captions[i]), Frame2);
    Command2[i]->setObjectName(QStringLiteral("Command2_%1").arg(i));
    Command2[i]->setGeometry(TwipsRect(120, tops[i], 1335, 735));
    Command2[i]->setFont(ClassicFont(9.75, false));
    connect(Command2[i], &QPushButton::clicked, this,
            [this, i] { Command2Click(static_cast<int>(i)); });
  }
  Command2[3]->setDefault(true);
  Command2[3]->setFocus();

  move((screen.Width() - width()) / 2, (screen.Height() - height()) / 2);
}

QString AboutWindow::CompanyText(const QString& lineBreak) {
  const QStringList lines{
      QStringLiteral("LYNX Video Poker Developers"),
      QStringLiteral("100 Example Road"),
      QStringLiteral("Sampleton, EX 00000"),
      QString(),
      QStringLiteral("Orders:\t\t(555) 010-0100"),
      QStringLiteral("International:\t+1 555 010 0101"),
      QStringLiteral("Fax:\t\t(555) 010-0102"),
      QString(),
      QStringLiteral("E-mail:"),
      QStringLiteral("     Sales:\tsales@example.org"),
      QStringLiteral("     Support:\tsupport@example.org"),
      QStringLiteral("     Webmaster:\twebmaster@example.org"),
  };
  return lines.join(lineBreak);
}

QString AboutWindow::InternetText(const QString& lineBreak) {
  return QStringLiteral(
             "Visit our Internet site to get the latest versions of any of our programs.  The "
             "Brevant Home Page is located at:") +
         lineBreak + lineBreak + QStringLiteral("     https://lynx-video-poker.example.org/");
}

void AboutWindow::Command2Click(int index) {
  switch (index) {
    case 0:
      SetText(QString::fromStdString(values.aboutText));
      break;
    case 1:
      SetText(CompanyText(QString::fromStdString(values.lineBreak)));
      break;
    case 2:
      SetText(InternetText(QString::fromStdString(values.lineBreak)));
      break;
    case 3:
      accept();  // hides the window; the opener unloads it
      break;
    default:
      break;
  }
}

void AboutWindow::SetText(const QString& newText) {
  text = newText;
  QString shown = newText;
  shown.replace(QString::fromStdString(values.lineBreak), QStringLiteral("\n"));
  Text1->setPlainText(shown);
}

}  // namespace lynx
