#include "table/table_accessibility.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QMenu>
#include <QPointer>
#include <QRegularExpression>
#include <QStringList>
#include <QTimer>
#include <array>

#include "table/table_controls.h"

namespace lynx {

namespace {

std::function<void(QAccessibleEvent*)>& Sink() {
  static std::function<void(QAccessibleEvent*)> sink;
  return sink;
}

// Whether anyone hears the events: they are not made otherwise.
bool Listening() {
  return Sink() || QAccessible::isActive();
}

void Tell(QAccessibleEvent& event) {
  if (Sink())
    Sink()(&event);
  else
    QAccessible::updateAccessibility(&event);
}

// The card position whose hold marker button is, if it is one.
const CardSpot* SpotOfMarker(const QWidget* button) {
  const QWidget* window = button->parentWidget();
  if (window == nullptr) return nullptr;
  for (const CardSpot* spot : window->findChildren<CardSpot*>(Qt::FindDirectChildrenOnly))
    if (spot->Marker() == button) return spot;
  return nullptr;
}

// A picture button is a push button: pressing it through its action is a
// click. The press runs from the event loop, not inside the request, so a
// press that opens a modal window (a game table) still answers at once. A
// hold marker is a check box, checked while its card is held: a screen
// reader says "checked" or "not checked" as the marker is pressed.
class PictureButtonInterface : public QAccessibleWidget {
 public:
  explicit PictureButtonInterface(PictureButton* button)
      : QAccessibleWidget(button, QAccessible::Button) {}

  // Asked each time: the marker's card position is made after the marker.
  QAccessible::Role role() const override {
    return SpotOfMarker(widget()) != nullptr ? QAccessible::CheckBox : QAccessible::Button;
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    if (const CardSpot* spot = SpotOfMarker(widget())) {
      state.checkable = true;
      state.checked = spot->Held();
    }
    return state;
  }

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

bool IsPayCell(const QObject& label) {
  static const QRegularExpression kPayCell(QStringLiteral("^(Value|Win[1-5])_[0-9]+$"));
  return kPayCell.match(label.objectName()).hasMatch();
}

// Tells assistive technology when its label, a pay cell, is lit or put out:
// the table lights a cell by its colour and font, so a change of either is
// looked at.
class LitWatcher : public QObject {
 public:
  explicit LitWatcher(ClassicLabel* cell) : QObject(cell), lit(PayCellLit(*cell)) {
    cell->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::FontChange && event->type() != QEvent::PaletteChange) return false;
    const bool now = PayCellLit(*static_cast<ClassicLabel*>(watched));
    if (now == lit) return false;
    lit = now;
    if (!Listening()) return false;
    QAccessibleEvent selection(watched,
                               now ? QAccessible::SelectionAdd : QAccessible::SelectionRemove);
    Tell(selection);
    return false;
  }

 private:
  bool lit;
};

// A label read by its spoken name (its text unless it has one of its own); a
// lit pay cell is selected.
class SpokenLabelInterface : public QAccessibleWidget {
 public:
  explicit SpokenLabelInterface(ClassicLabel* label)
      : QAccessibleWidget(label, QAccessible::StaticText) {
    // Made when assistive technology first looks at the label (which may be
    // before the label has its name): from then on it hears of every change
    // of a pay cell.
    new LitWatcher(label);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<ClassicLabel*>(widget())->SpokenName();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.selected = PayCellLit(*static_cast<ClassicLabel*>(widget()));
    return state;
  }
};

class CardSpotInterface : public QAccessibleWidget {
 public:
  explicit CardSpotInterface(CardSpot* spot) : QAccessibleWidget(spot, QAccessible::Graphic) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<CardSpot*>(widget())->Describe();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = static_cast<CardSpot*>(widget())->Held();
    return state;
  }
};

// Shown to assistive technology only, while it has something to say.
class AnnouncerInterface : public QAccessibleWidget {
 public:
  explicit AnnouncerInterface(Announcer* announcer)
      : QAccessibleWidget(announcer, QAccessible::Notification) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return static_cast<Announcer*>(widget())->Text();
    return QAccessibleWidget::text(t);
  }

  QAccessible::State state() const override {
    QAccessible::State state;
    state.invisible = static_cast<Announcer*>(widget())->Text().isEmpty();
    return state;
  }
};

constexpr char kMachineWindow[] = "lynxMachineWindow";
constexpr char kLeftOut[] = "lynxLeftOut";

// A window of the machine: a frame whose children are the ones in the tree.
class MachineWindowInterface : public QAccessibleWidget {
 public:
  explicit MachineWindowInterface(QWidget* window)
      : QAccessibleWidget(window, QAccessible::Window) {}

  int childCount() const override { return static_cast<int>(Children().size()); }

  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> children = Children();
    if (index < 0 || index >= children.size()) return nullptr;
    return QAccessible::queryAccessibleInterface(children[index]);
  }

  int indexOfChild(const QAccessibleInterface* child) const override {
    if (child == nullptr) return -1;
    const QList<QWidget*> children = Children();
    for (qsizetype i = 0; i < children.size(); ++i)
      if (children[i] == child->object()) return static_cast<int>(i);
    return -1;
  }

 private:
  QList<QWidget*> Children() const {
    QList<QWidget*> children;
    for (QObject* object : widget()->children()) {
      auto* child = qobject_cast<QWidget*>(object);
      if (child == nullptr || child->isWindow() || qobject_cast<QMenu*>(child) != nullptr) continue;
      if (InAccessibleTree(*child)) children.push_back(child);
    }
    return children;
  }
};

// A stretch of a painted surface: a picture with a name.
class PaintedSpotInterface : public QAccessibleWidget {
 public:
  explicit PaintedSpotInterface(PaintedSpot* spot)
      : QAccessibleWidget(spot, QAccessible::Graphic) {}
};

QAccessibleInterface* Factory(const QString& className, QObject* object) {
  if (object != nullptr && object->isWidgetType() && object->property(kMachineWindow).toBool())
    return new MachineWindowInterface(static_cast<QWidget*>(object));
  // Asked last, once no class of the widget has an interface of its own.
  if (className == QLatin1String("QWidget") && object != nullptr && object->isWidgetType()) {
    auto* widget = static_cast<QWidget*>(object);
    const Qt::WindowType type = widget->windowType();
    if (widget->isWindow() && (type == Qt::Window || type == Qt::Widget))
      return new QAccessibleWidget(widget, QAccessible::Window);
  }
  if (className == QLatin1String(PaintedSpot::staticMetaObject.className())) {
    return new PaintedSpotInterface(static_cast<PaintedSpot*>(object));
  }
  if (className == QLatin1String(PictureButton::staticMetaObject.className())) {
    return new PictureButtonInterface(static_cast<PictureButton*>(object));
  }
  if (className == QLatin1String(ClassicLabel::staticMetaObject.className())) {
    return new SpokenLabelInterface(static_cast<ClassicLabel*>(object));
  }
  if (className == QLatin1String(CardSpot::staticMetaObject.className())) {
    return new CardSpotInterface(static_cast<CardSpot*>(object));
  }
  if (className == QLatin1String(Announcer::staticMetaObject.className())) {
    return new AnnouncerInterface(static_cast<Announcer*>(object));
  }
  return nullptr;
}

QString CardList(const Hand& cards) {
  QStringList names;
  for (CardCode code : cards) names << CardName(code);
  return names.join(QStringLiteral(", "));
}

// text as a sentence: a full stop unless it already ends in one or in "!".
QString Sentence(const QString& text) {
  return text.endsWith(QLatin1Char('!')) || text.endsWith(QLatin1Char('.'))
             ? text
             : text + QLatin1Char('.');
}

}  // namespace

void SetAccessibleEventSink(std::function<void(QAccessibleEvent*)> sink) {
  Sink() = std::move(sink);
}

void InstallAccessibleInterfaces() {
  static const bool installed = [] {
    QAccessible::installFactory(Factory);
    return true;
  }();
  (void)installed;
}

bool PayCellLit(const ClassicLabel& label) {
  return IsPayCell(label) && !label.text().isEmpty() && label.TextColour() == kTextYellow &&
         label.font().bold();
}

CardSpot::CardSpot(QWidget* parent, const QString& objectName, std::function<CardCode()> card,
                   std::function<bool()> held, std::function<QRect()> where, QWidget* marker)
    : QWidget(parent),
      card(std::move(card)),
      held(std::move(held)),
      where(std::move(where)),
      marker(marker) {
  InstallAccessibleInterfaces();
  setObjectName(objectName);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setGeometry(this->where());
  heldTold = this->held();
  parent->installEventFilter(this);
}

QString CardSpot::Describe() const {
  const QString name = CardName(card());
  return held() ? name + QStringLiteral(", held") : name;
}

void CardSpot::NameMayHaveChanged() {
  const bool holds = held();
  const bool holdChanged = holds != heldTold;
  heldTold = holds;
  if (!Listening()) return;
  QAccessibleEvent event(this, QAccessible::NameChanged);
  Tell(event);
  if (!holdChanged) return;
  QAccessible::State checked;
  checked.checked = true;
  QAccessibleStateChangeEvent spotChange(this, checked);
  Tell(spotChange);
  if (marker != nullptr) {
    QAccessibleStateChangeEvent markerChange(marker, checked);
    Tell(markerChange);
  }
}

bool CardSpot::eventFilter(QObject* watched, QEvent* event) {
  if (watched == parent() && event->type() == QEvent::Resize) setGeometry(where());
  return false;
}

Announcer::Announcer(QWidget* window) : QWidget(window) {
  InstallAccessibleInterfaces();
  setObjectName(QStringLiteral("Announcement"));
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  // Never on screen: the window looks exactly as it would without it.
  hide();
}

// A screen reader speaks a notification when it appears; the name changes
// first, so that one that keeps names learns the new text before it reads it.
void Announcer::Say(const QString& text) {
  this->text = text;
  if (!Listening()) return;
  QAccessibleEvent named(this, QAccessible::NameChanged);
  Tell(named);
  QAccessibleEvent shown(this, QAccessible::ObjectShow);
  Tell(shown);
}

void Announce(QWidget* window, const QString& text) {
  auto* announcer = window->findChild<Announcer*>(QString(), Qt::FindDirectChildrenOnly);
  if (announcer == nullptr) announcer = new Announcer(window);
  announcer->Say(text);
}

PaintedSpot::PaintedSpot(QWidget* parent, const QString& objectName, const QString& name)
    : QWidget(parent) {
  InstallAccessibleInterfaces();
  setObjectName(objectName);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFocusPolicy(Qt::NoFocus);
  setAccessibleName(name);
}

void MarkMachineWindow(QWidget* window) {
  InstallAccessibleInterfaces();
  window->setProperty(kMachineWindow, true);
}

void LeaveOutOfTree(QWidget* control, bool leftOut) {
  if (control->property(kLeftOut).toBool() == leftOut) return;
  control->setProperty(kLeftOut, leftOut);
  // A screen reader keeps the children it has read: one taken back is told.
  if (!leftOut && Listening()) {
    QAccessibleEvent added(control, QAccessible::ObjectCreated);
    Tell(added);
  }
}

bool InAccessibleTree(const QWidget& child) {
  return !child.property(kLeftOut).toBool();
}

QString DealtText(const Hand& cards, const QString& paidHand) {
  const QString dealt = QStringLiteral("Dealt: ") + CardList(cards) + QLatin1Char('.');
  return paidHand.isEmpty() ? dealt : dealt + QLatin1Char(' ') + Sentence(paidHand);
}

QString DrawnText(const Hand& cards, const QString& winMessage, std::int64_t credits) {
  return QStringLiteral("Drawn: %1. %2 Credits: %3.")
      .arg(CardList(cards), winMessage.isEmpty() ? QStringLiteral("No win.") : Sentence(winMessage))
      .arg(credits);
}

}  // namespace lynx
