#include "table/button_column.h"

#include "table/table_controls.h"
#include "table/table_frame.h"

namespace lynx {

std::vector<PictureButton*> MakePictureButtons(QWidget* window,
                                               std::span<const PictureButtonSpec> specs,
                                               double unit) {
  std::vector<PictureButton*> buttons;
  for (const PictureButtonSpec& spec : specs) {
    auto* button = new PictureButton(window, QLatin1String(spec.objectName),
                                     QLatin1String(spec.spoken), spec.where);
    if (spec.picture != nullptr) button->setPixmap(TablePicture(spec.picture, unit));
    buttons.push_back(button);
  }
  return buttons;
}

void ShowDealOrDraw(PictureButton* button, bool draw, const QPixmap& drawFace,
                    const QPixmap& dealFace) {
  button->setPixmap(draw ? drawFace : dealFace);
  button->setAccessibleName(draw ? QStringLiteral("Draw") : QStringLiteral("Deal"));
}

}  // namespace lynx
