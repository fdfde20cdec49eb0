// Where a window opened beside a table goes: clear of the table and of the
// windows already beside it where the work area has room, shrunk to its least
// size before it covers any of them, inside the work area always.
#include <gtest/gtest.h>

#include "platform/window_place.h"

namespace lynx {
namespace {

const QRect kArea(0, 0, 1366, 740);
const QRect kTable(100, 50, 640, 690);  // room to its right: 618 less the gap

TEST(WindowPlace, BesideTheTableAtItsSizeWhereThereIsRoom) {
  EXPECT_EQ(PlaceBesideRect({500, 600}, {300, 300}, kTable, kArea, {}), QRect(748, 50, 500, 600));
  // Too wide for the room: as narrow as it may be rather than over the table.
  EXPECT_EQ(PlaceBesideRect({866, 660}, {480, 360}, kTable, kArea, {}), QRect(748, 50, 480, 660));
  // Higher than the area: as high as it.
  EXPECT_EQ(PlaceBesideRect({500, 900}, {300, 300}, kTable, kArea, {}).height(), 740);
}

TEST(WindowPlace, ClearOfTheWindowsAlreadyBesideIt) {
  const QRect chart(748, 50, 400, 300);
  // Lowered to stand under the chart, as high as the area leaves it.
  EXPECT_EQ(PlaceBesideRect({500, 560}, {300, 300}, kTable, kArea, {chart}),
            QRect(748, 358, 500, 300));
}

TEST(WindowPlace, WithoutRoomItCoversTheLeastOfTheTableInsideTheArea) {
  const QRect wide(0, 0, 1300, 700);
  const QRect place = PlaceBesideRect({866, 660}, {480, 360}, wide, kArea, {});
  EXPECT_TRUE(kArea.contains(place));
  EXPECT_EQ(place.size(), QSize(480, 360));
  EXPECT_EQ(place.intersected(wide).height(), 700 - place.top());  // below as far as it goes
  EXPECT_EQ(place.bottom(), kArea.bottom());
}

}  // namespace
}  // namespace lynx
