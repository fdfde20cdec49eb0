#include "platform/qt_dialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace lynx {

namespace {

QMessageBox::StandardButton Show(QWidget* parent, QMessageBox::Icon icon, const QString& title,
                                 const QString& text, QMessageBox::StandardButtons buttons,
                                 QMessageBox::StandardButton defaultButton) {
  QString shown = text;
  shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(icon, title, shown, buttons, parent);
  box.setTextFormat(Qt::PlainText);
  box.setDefaultButton(defaultButton);
  box.setWindowModality(parent != nullptr ? Qt::WindowModal : Qt::ApplicationModal);
  box.exec();
  return box.standardButton(box.clickedButton());
}

}  // namespace

void QtDialogs::Info(QWidget* parent, const QString& title, const QString& text) {
  if (ended) return;
  Show(parent, QMessageBox::Information, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

void QtDialogs::Exclaim(QWidget* parent, const QString& title, const QString& text) {
  if (ended) return;
  Show(parent, QMessageBox::Warning, title, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool QtDialogs::Ask(QWidget* parent, const QString& title, const QString& text) {
  if (ended) return false;
  return Show(parent, QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No,
              QMessageBox::Yes) == QMessageBox::Yes;
}

QString QtDialogs::AskSaveFileName(QWidget* parent, const QString& title,
                                   const QString& suggestedName) {
  if (ended) return {};
  return QFileDialog::getSaveFileName(parent, title, suggestedName);
}

}  // namespace lynx
