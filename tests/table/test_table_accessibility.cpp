// The table as the keyboard and assistive technology meet it: picture buttons
// that are push buttons (press action, Tab focus, Enter and Space, a focus
// frame only while focused, yellow and black), the cards and pay cells by spoken name, held
// cards and their markers checked, lit pay cells selected, and the deal and
// the draw announced. The events are caught here as the table hands them to
// Qt; tests/shell/atspi_walk.py hears them over AT-SPI.
#include <QAccessible>
#include <QAccessibleActionInterface>
#include <vector>

#include "table/table_accessibility.h"
#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

QString Name(QObject* object) {
  QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
  return iface != nullptr ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
}

CardSpot* Spot(TableWindow& window, int position) {
  return window.findChild<CardSpot*>(QStringLiteral("Card_%1").arg(position));
}

class TableAccessibility : public TableTest {
 protected:
  // The window opens with the focus on itself, not on a button.
  void Activate() {
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    ASSERT_EQ(QApplication::focusWidget(), window.get());
  }
  void KeyOnFocus(Qt::Key key) { QTest::keyClick(QApplication::focusWidget(), key); }
};

TEST_F(TableAccessibility, PictureButtonsArePushButtonsForTheKeyboardAndAssistiveTechnology) {
  Open();
  QAccessibleInterface* maxBet = QAccessible::queryAccessibleInterface(window->Image11);
  ASSERT_NE(maxBet, nullptr);
  EXPECT_EQ(maxBet->role(), QAccessible::Button);
  EXPECT_EQ(maxBet->text(QAccessible::Name), QStringLiteral("Max Bet"));
  ASSERT_NE(maxBet->actionInterface(), nullptr);
  ASSERT_TRUE(
      maxBet->actionInterface()->actionNames().contains(QAccessibleActionInterface::pressAction()));
  // The press runs from the event loop, as a click would.
  maxBet->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
  EXPECT_FALSE(window->State().dealt);
  QCoreApplication::processEvents();
  EXPECT_TRUE(window->State().dealt);
  EXPECT_EQ(window->State().coinsIn, 5);

  // Tab from the window reaches the first hold marker; Space and Enter press
  // the focused button (Enter does not draw while a button has the focus).
  Activate();
  QTest::keyClick(window.get(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->Image1[0]);
  KeyOnFocus(Qt::Key_Space);
  EXPECT_TRUE(window->State().held[0]);
  KeyOnFocus(Qt::Key_Return);
  EXPECT_FALSE(window->State().held[0]);
  EXPECT_TRUE(window->State().dealt);
  // After the markers: Deal/Draw.
  for (int k = 1; k <= 5; ++k) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
  ASSERT_EQ(QApplication::focusWidget(), window->Image8);
  // A click hands the focus back to the window: the mouse player never sees
  // the focus frame.
  Click(window->Image10);
  EXPECT_EQ(QApplication::focusWidget(), window.get());
}

TEST_F(TableAccessibility, TheFocusFrameShowsOnlyWhileAButtonHasTheFocus) {
  Open();
  Activate();
  // Without the focus a picture button paints exactly what a plain label
  // with its picture paints.
  {
    QLabel label(window.get());
    label.setGeometry(window->Image11->geometry());
    label.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label.setMargin(0);
    label.setPixmap(window->Image11->pixmap());
    EXPECT_EQ(label.grab().toImage(), window->Image11->grab().toImage());
  }
  const QImage before = window->grab().toImage();
  window->Image8->setFocus(Qt::TabFocusReason);
  const QImage focused = window->grab().toImage();
  const QRect button = window->Image8->geometry();
  int changed = 0;
  for (int y = 0; y < before.height(); ++y)
    for (int x = 0; x < before.width(); ++x)
      if (before.pixel(x, y) != focused.pixel(x, y)) {
        ++changed;
        ASSERT_TRUE(button.contains(x, y)) << "changed outside the button at " << x << "," << y;
      }
  EXPECT_GT(changed, 0);
  // Two yellow pixels at the edge all round, then one black, plain on the
  // blue table; the picture inside them is untouched.
  for (const QPoint& corner : {button.topLeft(), button.bottomRight()}) {
    const QPoint in = corner == button.topLeft() ? QPoint(1, 1) : QPoint(-1, -1);
    EXPECT_EQ(focused.pixel(corner), qRgb(255, 255, 0));
    EXPECT_EQ(focused.pixel(corner + in), qRgb(255, 255, 0));
    EXPECT_EQ(focused.pixel(corner + 2 * in), qRgb(0, 0, 0));
    EXPECT_EQ(focused.pixel(corner + 3 * in), before.pixel(corner + 3 * in));
  }
  const QPoint middleOfLeft(button.left(), button.center().y());
  EXPECT_EQ(focused.pixel(middleOfLeft + QPoint(1, 0)), qRgb(255, 255, 0));
  EXPECT_EQ(focused.pixel(middleOfLeft + QPoint(2, 0)), qRgb(0, 0, 0));

  window->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(window->grab().toImage(), before);
}

TEST_F(TableAccessibility, CardsAndPayCellsHaveSpokenNames) {
  EXPECT_EQ(CardName(kJoker), QStringLiteral("Joker"));
  EXPECT_EQ(CardName(kNoCard), QStringLiteral("no card"));
  EXPECT_EQ(CardName(MakeCard(1, 1)), QStringLiteral("Ace of Hearts"));
  EXPECT_EQ(CardName(MakeCard(7, 2)), QStringLiteral("Seven of Diamonds"));
  EXPECT_EQ(CardName(MakeCard(12, 0)), QStringLiteral("Queen of Clubs"));

  Open();
  // The table opens on the fan of the title window.
  const QStringList fan{QStringLiteral("Ten of Spades"), QStringLiteral("Jack of Spades"),
                        QStringLiteral("Queen of Spades"), QStringLiteral("King of Spades"),
                        QStringLiteral("Ace of Spades")};
  for (int k = 0; k < 5; ++k) {
    CardSpot* spot = Spot(*window, k + 1);
    ASSERT_NE(spot, nullptr);
    EXPECT_EQ(QAccessible::queryAccessibleInterface(spot)->role(), QAccessible::Graphic);
    EXPECT_EQ(Name(spot), fan[k]);
    EXPECT_EQ(spot->geometry(), QRect(window->CardOrigin(k), QSize(73, 98)));
  }
  window->BetMax();
  window->ToggleHold(2);
  const Hand hand = window->State().hand;
  EXPECT_EQ(Name(Spot(*window, 2)), CardName(hand[1]));
  EXPECT_EQ(Name(Spot(*window, 3)), CardName(hand[2]) + QStringLiteral(", held"));
  // The spots follow the cards into the large layout.
  window->SwitchMode();
  ASSERT_TRUE(window->LargeLayout());
  EXPECT_EQ(Spot(*window, 5)->geometry(), QRect(window->CardOrigin(4), QSize(146, 196)));

  EXPECT_EQ(Name(window->Win3[3]), QStringLiteral("Full House, 3 coins: 24"));
  EXPECT_EQ(Name(window->Win1[0]), QStringLiteral("Royal Flush, 1 coin: 250"));
  EXPECT_EQ(Name(window->Win5[0]), QStringLiteral("Royal Flush, 5 coins: 4000"));
  EXPECT_EQ(Name(window->Win2[10]), QString());  // Jacks or Better has nine rows
}

// What the table tells assistive technology.
struct Heard {
  QAccessible::Event type;
  QObject* object;
  QAccessible::State changed;  // of a state change
  QString text;                // what an announcement says
};
std::vector<Heard>* heard = nullptr;

void Hear(QAccessibleEvent* event) {
  Heard h{event->type(), event->object(), {}, {}};
  if (event->type() == QAccessible::StateChanged)
    h.changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
  if (auto* announcer = qobject_cast<Announcer*>(event->object())) h.text = announcer->Text();
  heard->push_back(h);
}

class TableEvents : public TableAccessibility {
 protected:
  void SetUp() override {
    heard = &events;
    SetAccessibleEventSink(Hear);
  }
  void TearDown() override {
    SetAccessibleEventSink(nullptr);
    heard = nullptr;
  }
  static QAccessible::State StateOf(QObject* object) {
    return QAccessible::queryAccessibleInterface(object)->state();
  }
  // The objects of the events of type heard since events was cleared.
  std::vector<QObject*> Objects(QAccessible::Event type) {
    std::vector<QObject*> objects;
    for (const Heard& h : events)
      if (h.type == type) objects.push_back(h.object);
    return objects;
  }
  // What the announcer said since events was cleared, in order.
  QStringList Announced() {
    QStringList said;
    for (std::size_t k = 0; k < events.size(); ++k) {
      if (events[k].type != QAccessible::ObjectShow || events[k].text.isEmpty()) continue;
      // The name changes first, so that a bridge that keeps names reads
      // the new one.
      EXPECT_TRUE(k > 0 && events[k - 1].type == QAccessible::NameChanged &&
                  events[k - 1].object == events[k].object);
      said << events[k].text;
    }
    return said;
  }

  std::vector<Heard> events;
};

TEST_F(TableEvents, HeldCardsAndTheirMarkersAreCheckedAndEachChangeIsTold) {
  Open();
  window->BetMax();
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(QAccessible::queryAccessibleInterface(window->Image1[k])->role(),
              QAccessible::CheckBox);
    EXPECT_TRUE(StateOf(Spot(*window, k + 1)).checkable);
    EXPECT_FALSE(StateOf(window->Image1[k]).checked);
  }
  EXPECT_EQ(QAccessible::queryAccessibleInterface(window->Image8)->role(), QAccessible::Button);
  EXPECT_FALSE(StateOf(window->Image8).checkable);

  events.clear();
  window->ToggleHold(2);
  for (int k = 0; k < 5; ++k) {
    EXPECT_EQ(StateOf(Spot(*window, k + 1)).checked, k == 2) << k;
    EXPECT_EQ(StateOf(window->Image1[k]).checked, k == 2) << k;
  }
  // Exactly the held card and its marker, as a change of the checked state.
  const std::vector<QObject*> changed = Objects(QAccessible::StateChanged);
  EXPECT_EQ(changed, (std::vector<QObject*>{Spot(*window, 3), window->Image1[2]}));
  for (const Heard& h : events) {
    if (h.type == QAccessible::StateChanged) {
      EXPECT_TRUE(h.changed.checked);
    }
  }

  events.clear();
  window->DealOrDraw();
  EXPECT_FALSE(StateOf(Spot(*window, 3)).checked);
  EXPECT_FALSE(StateOf(window->Image1[2]).checked);
  EXPECT_EQ(Objects(QAccessible::StateChanged),
            (std::vector<QObject*>{Spot(*window, 3), window->Image1[2]}));
}

TEST_F(TableEvents, LitPayCellsAreSelectedAndTheDealAndTheWinAreAnnounced) {
  Open();
  // Looked at once, as assistive technology does, the cells tell their
  // changes from then on.
  for (int r = 0; r < 11; ++r) {
    QAccessible::queryAccessibleInterface(window->Win5[r]);
    QAccessible::queryAccessibleInterface(window->Value[r]);
  }
  EnterDemoCode(2413);
  events.clear();
  window->BetMax();
  for (int r = 0; r < 11; ++r) {
    // The empty cells below the nine rows are lit yellow, but show nothing.
    EXPECT_EQ(StateOf(window->Win5[r]).selected, r < 9) << r;
    EXPECT_FALSE(StateOf(window->Win4[r]).selected) << r;
  }
  // The column as the bet lights it, then the row of the hand dealt.
  std::vector<QObject*> lit(window->Win5.begin(), window->Win5.begin() + 9);
  lit.push_back(window->Value[0]);
  EXPECT_EQ(Objects(QAccessible::SelectionAdd), lit);
  // The dealt royal flush lights its row; the message line is yellow and
  // bold too, but no cell of the pay table.
  EXPECT_TRUE(StateOf(window->Value[0]).selected);
  EXPECT_FALSE(StateOf(window->Value[1]).selected);
  EXPECT_FALSE(StateOf(window->Mess).selected);
  EXPECT_EQ(Announced(), QStringList{"Dealt: Ten of Spades, Jack of Spades, Queen of Spades, "
                                     "King of Spades, Ace of Spades. Royal Flush."});
  Announcer* announcer = window->findChild<Announcer*>();
  ASSERT_NE(announcer, nullptr);
  EXPECT_FALSE(announcer->isVisible());
  EXPECT_EQ(QAccessible::queryAccessibleInterface(announcer)->role(), QAccessible::Notification);

  events.clear();
  window->SetHolds(HoldMask::FromBits(31));
  window->DealOrDraw();
  EXPECT_EQ(Announced(), QStringList{"Drawn: Ten of Spades, Jack of Spades, Queen of Spades, "
                                     "King of Spades, Ace of Spades. Royal Flush pays 4000! "
                                     "Credits: 4095."});
  EXPECT_EQ(QAccessible::queryAccessibleInterface(announcer)->text(QAccessible::Name),
            QStringLiteral("Drawn: Ten of Spades, Jack of Spades, Queen of Spades, King of "
                           "Spades, Ace of Spades. Royal Flush pays 4000! Credits: 4095."));
  // The win stays lit: its row and its cell of the stake; the rest of the
  // column goes out.
  EXPECT_TRUE(StateOf(window->Value[0]).selected);
  EXPECT_TRUE(StateOf(window->Win5[0]).selected);
  // The row goes out while the cards are drawn and is lit again by the win.
  std::vector<QObject*> out{window->Value[0]};
  out.insert(out.end(), window->Win5.begin() + 1, window->Win5.begin() + 9);
  EXPECT_EQ(Objects(QAccessible::SelectionRemove), out);
  EXPECT_EQ(Objects(QAccessible::SelectionAdd), std::vector<QObject*>{window->Value[0]});

  // A draw without a win, and a deal of no paying hand, said in full.
  const Hand hand{MakeCard(2, 0), MakeCard(7, 1), MakeCard(9, 2), MakeCard(11, 3), kJoker};
  EXPECT_EQ(DrawnText(hand, QString(), 95),
            "Drawn: Two of Clubs, Seven of Hearts, Nine of Diamonds, Jack of Spades, Joker. "
            "No win. Credits: 95.");
  EXPECT_EQ(DrawnText(hand, "Jacks or Better pays 5", 100).section(". ", 1),
            "Jacks or Better pays 5. Credits: 100.");
  EXPECT_EQ(DealtText(hand, QString()),
            "Dealt: Two of Clubs, Seven of Hearts, Nine of Diamonds, Jack of Spades, Joker.");
}

}  // namespace
}  // namespace lynx::testing
