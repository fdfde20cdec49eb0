#pragma once
// Message boxes for refusals and questions.

#include "platform/services.h"

namespace lynx {

// QMessageBox, modal on parent (application-modal when parent is null). Texts
// are plain; a "\r\n" line break shows as one new line.
class QtDialogs final : public Dialogs {
 public:
  void Info(QWidget* parent, const QString& title, const QString& text) override;
  void Exclaim(QWidget* parent, const QString& title, const QString& text) override;
  // Yes is the default button; No, Escape or closing the box give false.
  bool Ask(QWidget* parent, const QString& title, const QString& text) override;
  // QFileDialog::getSaveFileName; it asks before replacing a file.
  QString AskSaveFileName(QWidget* parent, const QString& title,
                          const QString& suggestedName) override;

  // The program is ending with nobody there to answer: from now on no box is
  // shown, a question is answered No and a file name is not given.
  void EndQuestions() { ended = true; }

 private:
  bool ended = false;
};

}  // namespace lynx
