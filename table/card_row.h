#pragma once
// The row of five cards with a hold marker above each: the markers are
// picture buttons ("Hold card 1" ...) showing Draw or Hold, and each card's
// place tells assistive technology its card and whether it is held. Where
// they stand and what the cards are come from the table.

#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>
#include <functional>

#include "engine/card.h"
#include "engine/hold_mask.h"

class QWidget;

namespace lynx {

class CardSpot;
class PictureButton;

class CardRow {
 public:
  // The markers named objectName(k) for the cards k = 0..4, where(k) in the
  // window's pixels; a click on one runs toggle(k).
  void MakeMarkers(QWidget* window, const std::function<QString(int)>& objectName,
                   const std::function<QRect(int)>& where, const std::function<void(int)>& toggle);
  // The cards' places "Card_1".."Card_5": card(k) is the card at position k
  // (kNoCard for none), held(k) whether it is held now, where(k) its
  // rectangle in the window's pixels. Made after the markers.
  void MakeCardSpots(QWidget* window, const std::function<CardCode(int)>& card,
                     const std::function<bool(int)>& held,
                     const std::function<QRect(int)>& where);

  // The faces the markers show: Hold over a held card, Draw otherwise.
  void SetFaces(const QPixmap& holdFace, const QPixmap& drawFace) {
    hold = holdFace;
    draw = drawFace;
  }
  QPixmap Face(bool held) const { return held ? hold : draw; }
  // Each marker at the face of its card in holds.
  void ShowHolds(HoldMask holds) const;

  PictureButton* Marker(int k) const { return markers[static_cast<std::size_t>(k)]; }
  const std::array<PictureButton*, 5>& Markers() const { return markers; }
  const std::array<CardSpot*, 5>& Spots() const { return spots; }
  // Tells assistive technology that the cards or their holds may have
  // changed.
  void NamesMayHaveChanged() const;

 private:
  std::array<PictureButton*, 5> markers{};
  std::array<CardSpot*, 5> spots{};
  QPixmap hold;
  QPixmap draw;
};

}  // namespace lynx
