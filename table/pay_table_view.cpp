#include "table/pay_table_view.h"

#include <algorithm>

#include "table/table_accessibility.h"
#include "table/table_controls.h"

namespace lynx {

namespace {

// "Flush, 2 coins: 10".
QString SpokenPay(const QString& row, int coins, const QString& pay) {
  if (row.isEmpty() || pay.isEmpty()) return QString();
  return QStringLiteral("%1, %2 %3: %4")
      .arg(row)
      .arg(coins)
      .arg(coins == 1 ? QStringLiteral("coin") : QStringLiteral("coins"), pay);
}

}  // namespace

void PayTableView::Create(QWidget* window, const Cells& cells) {
  names.assign(static_cast<std::size_t>(cells.rows), nullptr);
  for (auto& column : pays) column.assign(static_cast<std::size_t>(cells.rows), nullptr);
  const auto makeName = [&](int r) {
    names[static_cast<std::size_t>(r)] = new ClassicLabel(
        window, cells.namePrefix + QString::number(r), cells.nameRect(r), Qt::AlignLeft, kCellGrey,
        kTextWhite, cells.font, cells.nameText ? cells.nameText(r) : QString());
  };
  const auto makePay = [&](int c, int r) {
    auto* cell = new ClassicLabel(window, QStringLiteral("Win%1_%2").arg(c).arg(r),
                                  cells.payRect(c, r), Qt::AlignRight, kCellGrey, kTextWhite,
                                  cells.font, cells.payText ? cells.payText(c, r) : QString());
    ClassicLabel* name = names[static_cast<std::size_t>(r)];
    cell->SetSpokenName([name, cell, c] { return SpokenPay(name->text(), c, cell->text()); });
    pays[static_cast<std::size_t>(c - 1)][static_cast<std::size_t>(r)] = cell;
  };
  if (cells.order == Order::kRowByRow) {
    for (int r = 0; r < cells.rows; ++r) {
      makeName(r);
      for (int c = 1; c <= 5; ++c) makePay(c, r);
    }
    return;
  }
  for (int r = 0; r < cells.rows; ++r) makeName(r);
  for (int c = 1; c <= 5; ++c)
    for (int r = 0; r < cells.rows; ++r) makePay(c, r);
}

void PayTableView::Discard() {
  for (int r = 0; r < Rows(); ++r) {
    for (ClassicLabel* label : RowCells(r)) {
      label->hide();
      LeaveOutOfTree(label);
      label->deleteLater();
    }
  }
  names.clear();
  for (auto& column : pays) column.clear();
}

std::vector<ClassicLabel*> PayTableView::RowCells(int row) const {
  std::vector<ClassicLabel*> cells{Name(row)};
  for (int c = 1; c <= 5; ++c) cells.push_back(Pay(c, row));
  return cells;
}

void PayTableView::SetLit(ClassicLabel* cell, bool lit, bool bold) {
  const QColor colour = lit ? kTextYellow : kTextWhite;
  if (!bold) {
    cell->SetTextColour(colour);
    return;
  }
  if (cell->TextColour() == colour && cell->font().bold() == lit) return;
  cell->SetTextColour(colour);
  QFont f = cell->font();
  f.setBold(lit);
  cell->setFont(f);
}

void PayTableView::LightColumn(int coins) const {
  for (int c = 1; c <= 5; ++c)
    for (ClassicLabel* cell : pays[static_cast<std::size_t>(c - 1)])
      SetLit(cell, c == coins, false);
}

void PayTableView::LightNames(const std::vector<int>& rows) const {
  for (int r = 0; r < Rows(); ++r)
    SetLit(Name(r), std::find(rows.begin(), rows.end(), r) != rows.end(), false);
}

ClassicLabel* PayTableView::Heading(QWidget* window, const QString& objectName, int column,
                                    const QRect& where, const QFont& font) {
  return new ClassicLabel(window, objectName, where, Qt::AlignLeft, kCellGrey, kTextRed, font,
                          column == 0 ? QStringLiteral("Coins In") : QString::number(column));
}

}  // namespace lynx
