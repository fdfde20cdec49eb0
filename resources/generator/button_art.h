#pragma once
// The picture buttons, hold markers, title pictures and window icons.

#include <QImage>
#include <QString>

namespace lynx::art {

// A 64 x 40 button of the table or title window by its base name
// (btn_quit, btn_help, ..., title_help, ...).
QImage MakeButton(const QString& name);
// Hold markers: draw = true for "Draw", false for "Hold"; large 66 x 33, else 44 x 28.
QImage MakeMarker(bool draw, bool large);
// Game pictures of the title window, 64 x 47: 1 jacks, 2 joker, 3 deuces.
QImage MakeGamePicture(int variant);
// Window icon of size x size pixels, ARGB with a transparent background.
QImage MakeIcon(int size);

}  // namespace lynx::art
