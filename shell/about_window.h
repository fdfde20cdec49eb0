#pragma once
// The About window: program name and version, the description, and on
// request the makers' contact details or web address. Made afresh for each
// opening, so it always starts with the description.

#include <QDialog>
#include <QIcon>
#include <QString>
#include <array>

#include "common/program_values.h"
#include "platform/services.h"

class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace lynx {

class AboutWindow : public QDialog {
  Q_OBJECT
 public:
  // Runs the window's load: header, description, header font, centred on
  // screen. icon: the title window's icon, shown in both AboutIcon pictures.
  AboutWindow(const ProgramValues& values, const ScreenInfo& screen, const QIcon& icon,
              QWidget* parent = nullptr);

  // The texts of the "&Company" and "&Internet" buttons, lines joined by lineBreak.
  static QString CompanyText(const QString& lineBreak);
  static QString InternetText(const QString& lineBreak);

  // Button of Command2 by index 0..3: 0 description, 1 company, 2 internet,
  // 3 closes the window. Each text replaces the one shown.
  void Command2Click(int index);
  // The text Text1 shows, lines joined by LineBreak.
  QString Text() const { return text; }

  QGroupBox* Frame1 = nullptr;
  QGroupBox* Frame2 = nullptr;
  std::array<QLabel*, 2> AboutIcon{};
  std::array<QLabel*, 1> label1{};
  QPlainTextEdit* Text1 = nullptr;
  std::array<QPushButton*, 4> Command2{};

 private:
  void SetText(const QString& newText);

  const ProgramValues& values;
  QString text;
};

}  // namespace lynx
