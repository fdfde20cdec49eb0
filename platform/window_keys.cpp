#include "platform/window_keys.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QPointer>
#include <QShortcut>
#include <QWidget>

namespace lynx {

void CloseOnKeys(QWidget* window) {
  for (const QKeySequence& keys :
       {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
    auto* shortcut = new QShortcut(keys, window);
    shortcut->setContext(Qt::WindowShortcut);
    QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
  }
}

namespace {

class KeyPasser final : public QObject {
 public:
  KeyPasser(QWidget* window, QWidget* target, std::function<bool(const QKeyEvent&)> passes)
      : QObject(window), target(target), passes(std::move(passes)) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress || target == nullptr) return false;
    auto* key = static_cast<QKeyEvent*>(event);
    if (!passes(*key)) return QObject::eventFilter(watched, event);
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text(), key->isAutoRepeat(),
                   static_cast<quint16>(key->count()));
    QCoreApplication::sendEvent(target, &copy);
    return true;
  }

 private:
  QPointer<QWidget> target;
  std::function<bool(const QKeyEvent&)> passes;
};

}  // namespace

void PassKeys(QWidget* window, QWidget* target, std::function<bool(const QKeyEvent&)> passes) {
  auto* passer = new KeyPasser(window, target, std::move(passes));
  window->installEventFilter(passer);
  for (QWidget* child : window->findChildren<QWidget*>()) child->installEventFilter(passer);
}

}  // namespace lynx
