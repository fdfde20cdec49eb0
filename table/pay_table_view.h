#pragma once
// The pay table of a table window: a column of hand names and five columns
// of pays, one for each coin bet, grey cells under white text, with a
// heading row of "Coins In" and the coins. Where each cell stands, its font
// and the texts are the table's own, handed in; the cells are labels of the
// window itself (not of a widget of their own), so assistive technology
// finds them where the window's other controls are.

#include <QFont>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <vector>

class QWidget;

namespace lynx {

class ClassicLabel;

class PayTableView {
 public:
  // The order the cells are made in, which is the order they are painted.
  enum class Order {
    kNamesFirst,  // every name, then the pays a column at a time: a widened
                  // name lies under the pays to its right
    kRowByRow,    // each name followed by its row's pays
  };
  // Where and what each cell is: the name of row (0 = the top row), the pay
  // for coins 1..5 on row.
  struct Cells {
    int rows = 0;
    Order order = Order::kNamesFirst;
    QString namePrefix;  // object names namePrefix0, namePrefix1, ...
    QFont font;
    std::function<QRect(int row)> nameRect;
    std::function<QRect(int coins, int row)> payRect;
    std::function<QString(int row)> nameText;           // null: empty
    std::function<QString(int coins, int row)> payText;  // null: empty
  };

  // Makes the cells on window; they show with it (a table made again on a
  // window on screen shows its cells itself).
  // A pay cell tells assistive technology its row, stake and pay: "Flush,
  // 2 coins: 10", nothing while its row or pay is empty.
  void Create(QWidget* window, const Cells& cells);
  // Hides the cells, leaves them out of the tree a screen reader walks at
  // once and deletes them later (the table is made again).
  void Discard();

  int Rows() const { return static_cast<int>(names.size()); }
  ClassicLabel* Name(int row) const { return names[static_cast<std::size_t>(row)]; }
  ClassicLabel* Pay(int coins, int row) const {
    return pays[static_cast<std::size_t>(coins - 1)][static_cast<std::size_t>(row)];
  }
  // Every cell of row: its name, then its pays for 1..5 coins.
  std::vector<ClassicLabel*> RowCells(int row) const;

  // A lit cell is yellow; a bold lit cell is yellow and bold, as the
  // machine's table lights a stake and a win. A cell that already looks so
  // is left alone (no new palette, font or paint).
  static void SetLit(ClassicLabel* cell, bool lit, bool bold = true);
  // The pays of coins lit, every other column not (coins outside 1..5:
  // none lit), in yellow only.
  void LightColumn(int coins) const;
  // The names of the rows listed lit, the others not, in yellow only.
  void LightNames(const std::vector<int>& rows) const;

  // A heading cell of the table: "Coins In" (column 0) or the coins 1..5,
  // red on grey.
  static ClassicLabel* Heading(QWidget* window, const QString& objectName, int column,
                               const QRect& where, const QFont& font);

 private:
  std::vector<ClassicLabel*> names;
  std::array<std::vector<ClassicLabel*>, 5> pays;
};

}  // namespace lynx
