#include "table/card_row.h"

#include <QObject>

#include "table/table_accessibility.h"
#include "table/table_controls.h"

namespace lynx {

void CardRow::MakeMarkers(QWidget* window, const std::function<QString(int)>& objectName,
                          const std::function<QRect(int)>& where,
                          const std::function<void(int)>& toggle) {
  for (int k = 0; k < 5; ++k) {
    auto* marker = new PictureButton(window, objectName(k),
                                     QStringLiteral("Hold card %1").arg(k + 1), where(k));
    QObject::connect(marker, &PictureButton::Clicked, window, [toggle, k] { toggle(k); });
    markers[static_cast<std::size_t>(k)] = marker;
  }
}

void CardRow::MakeCardSpots(QWidget* window, const std::function<CardCode(int)>& card,
                            const std::function<bool(int)>& held,
                            const std::function<QRect(int)>& where) {
  for (int k = 0; k < 5; ++k) {
    const auto i = static_cast<std::size_t>(k);
    spots[i] = new CardSpot(
        window, QStringLiteral("Card_%1").arg(k + 1), [card, k] { return card(k); },
        [held, k] { return held(k); }, [where, k] { return where(k); }, markers[i]);
  }
}

void CardRow::ShowHolds(HoldMask holds) const {
  for (int k = 0; k < 5; ++k) Marker(k)->setPixmap(Face(holds.Holds(k)));
}

void CardRow::NamesMayHaveChanged() const {
  for (CardSpot* spot : spots)
    if (spot != nullptr) spot->NameMayHaveChanged();
}

}  // namespace lynx
