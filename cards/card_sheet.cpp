#include "cards/card_sheet.h"

#include "resources/pictures.h"

namespace lynx {
namespace {

QImage Load(const char* name) {
  return LoadPicture(QString::fromLatin1(name)).convertToFormat(QImage::Format_RGB32);
}

CardSheet LoadSheet() {
  CardSheet sheet;
  sheet.blank = Load("blank");
  sheet.cardMask = Load("card_mask");
  sheet.back = Load("card_back");
  sheet.joker = Load("card_joker");
  sheet.empty = Load("card_empty");
  sheet.bigMask = Load("card_big_mask");
  sheet.digits = {Load("digits_black"), Load("digits_red")};
  sheet.face = Load("face");
  sheet.suits = {Load("suits"), Load("suits_mask")};
  sheet.suitsSmall = Load("suits_small");
  sheet.canvas = QImage(kCardWidth, kCardHeight, QImage::Format_RGB32);
  sheet.canvas.fill(Qt::white);
  sheet.bigCanvas = QImage(kLargeCardWidth, kLargeCardHeight, QImage::Format_RGB32);
  sheet.bigCanvas.fill(Qt::white);
  return sheet;
}

}  // namespace

CardSheet& TheCardSheet() {
  static CardSheet sheet = LoadSheet();
  return sheet;
}

}  // namespace lynx
