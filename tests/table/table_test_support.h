#pragma once
// Shared set-up for the table window tests: a real TableWindow on fake
// services, shown offscreen, and helpers to look at cards and pay cells.

#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <map>
#include <memory>

#include "cards/card_painter.h"
#include "common/program_values.h"
#include "engine/card.h"
#include "table/table_window.h"
#include "tests/support/fakes.h"

namespace lynx::testing {

inline const QString kTitle = QStringLiteral("LYNX Video Poker");

class TableTest : public ::testing::Test {
 protected:
  // Opens a freshly loaded table for the game and card size, as the title
  // window does.
  void Open(GameVariant variant = kJacksOrBetter, std::int16_t largeCards = 0) {
    values.gameVariant = variant;
    values.largeCards = largeCards;
    values.helpFile = "/data/ZEB.HLP";
    values.helpTopic = variant == kJokerWild ? "41008" : variant == kDeucesWild ? "41003" : "41007";
    window = std::make_unique<TableWindow>(values, fakes.services);
    window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
  }

  void Click(QWidget* control) { QTest::mouseClick(control, Qt::LeftButton); }
  // A press of button at surface pixel p (window coordinates).
  void PressSurface(Qt::MouseButton button, QPoint p) {
    QTest::mousePress(window.get(), button, Qt::NoModifier, p);
    QTest::mouseRelease(window.get(), button, Qt::NoModifier, p);
  }
  void Key(Qt::Key key) { QTest::keyClick(window.get(), key); }

  // Builds DemoCode `code` (2413, 3142 or 4321) by releases on the pay table:
  // thousands on Win4, hundreds on Win3, tens on Win2, units on Win1.
  void EnterDemoCode(int code) {
    const int digits[4] = {code / 1000 % 10, code / 100 % 10, code / 10 % 10, code % 10};
    std::array<ClassicLabel*, 11>* columns[4] = {&window->Win4, &window->Win3, &window->Win2,
                                                 &window->Win1};
    for (int d = 0; d < 4; ++d) {
      if (digits[d] == 0) continue;
      QTest::mouseRelease((*columns[d])[static_cast<std::size_t>(digits[d] - 1)], Qt::LeftButton);
    }
  }

  // The surface shows card `code` (or the back) at position index.
  ::testing::AssertionResult ShowsCard(int index, CardCode code) const {
    return Shows(index, Reference(code, false));
  }
  ::testing::AssertionResult ShowsBack(int index) const { return Shows(index, Reference(0, true)); }

  // A card drawn alone on the blue table, in the current size (cached).
  QImage Reference(CardCode code, bool back) const {
    const bool large = window->LargeLayout();
    const int key = ((values.gameVariant * 2 + (large ? 1 : 0)) * 2 + (back ? 1 : 0)) * 64 + code;
    const auto found = references.find(key);
    if (found != references.end()) return found->second;
    QImage image(large ? QSize(146, 196) : QSize(73, 98), QImage::Format_RGB32);
    image.fill(QColor(0, 0, 255));
    if (large)
      back ? DrawCardBackLarge(image, 0, 0)
           : DrawCardFaceLarge(image, 0, 0, code, values.gameVariant);
    else
      back ? DrawCardBack(image, 0, 0) : DrawCardFace(image, 0, 0, code, values.gameVariant);
    references.emplace(key, image);
    return image;
  }

  ::testing::AssertionResult Shows(int index, const QImage& reference) const {
    const QRect area(window->CardOrigin(index), reference.size());
    const QImage part = window->Surface().copy(area);
    if (part == reference) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "position " << index << " at (" << area.x() << ","
                                         << area.y() << ") shows something else";
  }

  static bool IsLit(const ClassicLabel* cell) {
    return cell->TextColour() == QColor(255, 255, 0) && cell->font().bold();
  }
  static bool IsUnlit(const ClassicLabel* cell) {
    return cell->TextColour() == QColor(255, 255, 255) && !cell->font().bold();
  }
  std::array<ClassicLabel*, 11>& Column(int coins) {
    switch (coins) {
      case 1:
        return window->Win1;
      case 2:
        return window->Win2;
      case 3:
        return window->Win3;
      case 4:
        return window->Win4;
      default:
        return window->Win5;
    }
  }
  // Every lit cell of the pay table as "V3" (hand name of row 3) or "W5:3"
  // (5-coin amount of row 3), in row-major order.
  QStringList LitCells() {
    QStringList lit;
    for (int r = 0; r < 11; ++r) {
      if (IsLit(window->Value[static_cast<std::size_t>(r)])) lit << QStringLiteral("V%1").arg(r);
      for (int c = 1; c <= 5; ++c)
        if (IsLit(Column(c)[static_cast<std::size_t>(r)]))
          lit << QStringLiteral("W%1:%2").arg(c).arg(r);
    }
    return lit;
  }
  QStringList ColumnCells(int coins) {
    QStringList cells;
    for (int r = 0; r < 11; ++r) cells << QStringLiteral("W%1:%2").arg(coins).arg(r);
    return cells;
  }

  mutable std::map<int, QImage> references;
  FakeServices fakes;
  ProgramValues values;
  std::unique_ptr<TableWindow> window;
};

}  // namespace lynx::testing
