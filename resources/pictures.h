#pragma once
// The pictures compiled into the program.

#include <QImage>
#include <QString>
#include <QStringView>

namespace lynx {

// Resource path of a picture by its base name: "blank" -> ":/pictures/blank.png".
QString PicturePath(QStringView name);

// The picture by base name, as stored (indexed or ARGB); a null image for an
// unknown name.
QImage LoadPicture(QStringView name);

}  // namespace lynx
