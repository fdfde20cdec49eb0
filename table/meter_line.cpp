#include "table/meter_line.h"

#include <QObject>

#include "table/table_controls.h"

namespace lynx {

MeterLine::MeterLine(QWidget* window, const MeterLook& look)
    : message(new ClassicLabel(window, QStringLiteral("Mess"), look.message, Qt::AlignHCenter,
                               kCellGrey, kTextYellow, look.messageFont)),
      coins(new ClassicLabel(window, look.coinsName, look.coins, Qt::AlignLeft, kCellGrey,
                             kTextWhite, look.lineFont, look.coinsText)),
      credits(new ClassicLabel(window, look.creditsName, look.credits, Qt::AlignRight, kCellGrey,
                               kTextWhite, look.lineFont, look.creditsText)) {
  ClassicLabel* line = message;
  line->SetSpokenName([line] {
    return line->text().isEmpty() ? QObject::tr("Message line: empty") : line->text();
  });
}

void MeterLine::WriteCredits(std::int64_t amount) const {
  credits->setText(QStringLiteral("Credits: ") + QString::number(amount));
}

void MeterLine::WriteCoins(int amount, int hands) const {
  coins->setText(hands == 1 ? QStringLiteral("Coins In: %1").arg(amount)
                            : QStringLiteral("Coins In: %1 x %2").arg(amount).arg(hands));
}

}  // namespace lynx
