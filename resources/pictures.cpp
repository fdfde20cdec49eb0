#include "resources/pictures.h"

namespace lynx {

QString PicturePath(QStringView name) {
  return QStringLiteral(":/pictures/") + name.toString() + QStringLiteral(".png");
}

QImage LoadPicture(QStringView name) { return QImage(PicturePath(name)); }

}  // namespace lynx
