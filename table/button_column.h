#pragma once
// The picture buttons of a table (Quit, Sound, Credits, Deal/Draw, the
// bets, ...), made from a list of what each one is and where it stands: the
// table's own layout, handed in as data.

#include <QPixmap>
#include <QRect>
#include <span>
#include <vector>

class QWidget;

namespace lynx {

class PictureButton;

struct PictureButtonSpec {
  const char* objectName;
  const char* spoken;   // the name assistive technology reads, and the tool tip
  QRect where;          // in the window's pixels
  const char* picture;  // nullptr: none yet (the Deal/Draw face is set later)
};

// The buttons in the order given (the order Tab meets them unless the
// window says otherwise), each with its picture at unit window pixels to
// the table's pixel.
std::vector<PictureButton*> MakePictureButtons(QWidget* window,
                                               std::span<const PictureButtonSpec> specs,
                                               double unit = 1);

// The Deal/Draw button's face and what a screen reader calls it: what a
// press will do now.
void ShowDealOrDraw(PictureButton* button, bool draw, const QPixmap& drawFace,
                    const QPixmap& dealFace);

}  // namespace lynx
