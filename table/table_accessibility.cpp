#include "table/table_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPointer>
#include <QStringList>
#include <QTimer>
#include <array>

#include "table/table_controls.h"

namespace lynx {

namespace {

// A picture button is a push button: pressing it through its action is a
// click. The press runs from the event loop, not inside the request, so a
// press that opens a modal window (a game table) still answers at once.
class PictureButtonInterface : public QAccessibleWidget {
 public:
  explicit PictureButtonInterface(PictureButton* button)
      : QAccessibleWidget(button, QAccessible::Button) {}

  QStringList actionNames() const override {
    return QStringList{pressAction()} + QAccessibleWidget::actionNames();
  }

  void doAction(const QString& actionName) override {
    if (actionName != pressAction()) {
      QAccessibleWidget::doAction(actionName);
      return;
    }
    auto* button = static_cast<PictureButton*>(widget());
    if (!button->isEnabled() || !button->isVisible()) return;
    QTimer::singleShot(0, button, [target = QPointer<PictureButton>(button)] {
      if (target) target->Press();
    });
  }

  QStringList keyBindingsForAction(const QString& actionName) const override {
    if (actionName == pressAction()) return {QStringLiteral("Space")};
    return QAccessibleWidget::keyBindingsForAction(actionName);
  }
};

// A label read by its spoken name (its text unless it has one of its own).
class SpokenLabelInterface : public QAccessibleWidget {
 public:
  explicit SpokenLabelInterface(ClassicLabel* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<ClassicLabel*>(widget())->SpokenName();
    return QAccessibleWidget::text(t);
  }
};

class CardSpotInterface : public QAccessibleWidget {
 public:
  explicit CardSpotInterface(CardSpot* spot) : QAccessibleWidget(spot, QAccessible::Graphic) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<CardSpot*>(widget())->Describe();
    return QAccessibleWidget::text(t);
  }
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (className == QLatin1String(PictureButton::staticMetaObject.className())) {
    return new PictureButtonInterface(static_cast<PictureButton*>(object));
  }
  if (className == QLatin1String(ClassicLabel::staticMetaObject.className())) {
    return new SpokenLabelInterface(static_cast<ClassicLabel*>(object));
  }
  if (className == QLatin1String(CardSpot::staticMetaObject.className())) {
    return new CardSpotInterface(static_cast<CardSpot*>(object));
  }
  return nullptr;
}

}  // namespace

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

QString CardName(CardCode code) {
  if (code == kJoker) return QStringLiteral("Joker");
  if (code < 1 || code > 52) return QStringLiteral("no card");
  static const std::array<const char*, 13> kRanks{"Ace",  "Two",   "Three", "Four", "Five",
                                                  "Six",  "Seven", "Eight", "Nine", "Ten",
                                                  "Jack", "Queen", "King"};
  static const std::array<const char*, 4> kSuits{"Clubs", "Hearts", "Diamonds", "Spades"};
  return QStringLiteral("%1 of %2")
      .arg(QLatin1String(kRanks[static_cast<std::size_t>(Rank(code) - 1)]),
           QLatin1String(kSuits[static_cast<std::size_t>(SuitIndex(code))]));
}

CardSpot::CardSpot(QWidget* parent, const QString& objectName, std::function<QString()> describe,
                   std::function<QRect()> where)
    : QWidget(parent), describe(std::move(describe)), where(std::move(where)) {
  InstallAccessibleInterfaces();
  setObjectName(objectName);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(this->where());
  parent->installEventFilter(this);
}

void CardSpot::NameMayHaveChanged() {
  if (!QAccessible::isActive()) return;
  QAccessibleEvent event(this, QAccessible::NameChanged);
  QAccessible::updateAccessibility(&event);
}

bool CardSpot::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Resize) setGeometry(where());
  return false;
}

}  // namespace lynx
