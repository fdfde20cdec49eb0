#pragma once
// The trainer table's own pixels, shared by the files of TrainerWindow. The
// table is laid out in these whatever the game and hands, and drawn at the
// factor that fits the screen.

#include <QSize>
#include <QString>
#include <string_view>

namespace lynx::trainer_geometry {

// The machine's small card. The extra hands show the same cards, pixel for
// pixel, fanned where they would not fit side by side (each card leaves the
// rank and suit in the corner of the one before it in view) and cut off at
// the foot where their rows would not fit whole.
constexpr QSize kCard(73, 98);
// The table keeps one size whatever the game's rows and the hands dealt.
constexpr int kWidth = 630;
constexpr int kHeight = 660;
constexpr int kCoachWidth = 260;
constexpr int kExtraGap = 12;  // between the hands of a row
constexpr int kCaptionHeight = 14;
// The least of a card that still shows its rank and suit.
constexpr int kLeastFanStep = 16;
constexpr int kLeastCardHeight = 30;

inline QString Text(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace lynx::trainer_geometry
