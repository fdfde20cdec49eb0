#include "look/widget_look.h"

#include <QAbstractItemView>
#include <QHeaderView>
#include <QPalette>
#include <QTableWidget>
#include <QWidget>
#include <algorithm>
#include <array>
#include <cmath>
#include <string>

#include "engine/paytable.h"
#include "look/look.h"

namespace lynx {

void ApplyReviewLook(QWidget* window) {
  window->setFont(StandardFont(9, false));
  QPalette palette = window->palette();
  palette.setColor(QPalette::Window, kTableBlue);
  palette.setColor(QPalette::WindowText, kTextWhite);
  window->setPalette(palette);
  window->setAutoFillBackground(true);
  window->setStyleSheet(QStringLiteral(
      "QLabel, lynx--TextSection { color: #ffffff; }"
      "QTableWidget { background: #0000ff; color: #ffffff; gridline-color: #4040ff;"
      "  border: 1px solid #808080; selection-background-color: #000080;"
      "  selection-color: #ffff00; }"
      "QHeaderView::section { background: #808080; color: #ffff00; font-weight: bold;"
      "  border: 0; border-right: 1px solid #0000ff; padding: 2px 4px; }"
      "QTabWidget::pane { border: 1px solid #808080; }"
      "QTabBar::tab { background: #808080; color: #ffffff; padding: 3px 10px;"
      "  border: 1px solid #0000ff; }"
      "QTabBar::tab:selected { color: #ffff00; font-weight: bold; }"
      "QPushButton { background: #c0c0c0; color: #000000; border: 2px outset #ffffff;"
      "  padding: 3px 12px; font-weight: bold; }"
      "QPushButton:pressed { border-style: inset; }"
      "QPushButton:disabled { color: #808080; }"
      // Flat bars in the look of the buttons. The texts and lists these
      // windows show change length at every game, and a bar drawn by the
      // style repaints its shaded slider from scratch at each new length
      // (half a millisecond, and up to a few, on the window thread).
      "QScrollBar { background: #808080; margin: 0; }"
      "QScrollBar:vertical { width: 14px; }"
      "QScrollBar:horizontal { height: 14px; }"
      "QScrollBar::handle { background: #c0c0c0; border: 2px outset #ffffff; }"
      "QScrollBar::handle:vertical { min-height: 20px; }"
      "QScrollBar::handle:horizontal { min-width: 20px; }"
      "QScrollBar::add-line, QScrollBar::sub-line { width: 0; height: 0; }"
      "QScrollBar::add-page, QScrollBar::sub-page { background: none; }"));
}

void SetUpReviewTable(QTableWidget* table) {
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->verticalHeader()->setVisible(false);
  table->horizontalHeader()->setHighlightSections(false);
  table->setWordWrap(false);
  // Tab moves on to the window's buttons; the arrows move within the list.
  table->setTabKeyNavigation(false);
  table->setFocusPolicy(Qt::StrongFocus);
}

QString GameTitleText(GameVariant game) {
  const std::string_view title = GameTitle(game);
  return QString::fromUtf8(title.data(), static_cast<qsizetype>(title.size()));
}

QString CardName(CardCode code) {
  if (code == kJoker) return QStringLiteral("Joker");
  if (code < 1 || code > 52) return QStringLiteral("no card");
  static const std::array<const char*, 13> kRanks{"Ace",  "Two",   "Three", "Four", "Five",
                                                  "Six",  "Seven", "Eight", "Nine", "Ten",
                                                  "Jack", "Queen", "King"};
  static const std::array<const char*, 4> kSuits{"Clubs", "Hearts", "Diamonds", "Spades"};
  return QStringLiteral("%1 of %2")
      .arg(QLatin1String(kRanks[static_cast<std::size_t>(Rank(code) - 1)]),
           QLatin1String(kSuits[static_cast<std::size_t>(SuitIndex(code))]));
}

QString RowText(GameVariant game, int row) {
  const PayTable& table = PayTableFor(game);
  if (row < 0 || row >= table.rowCount) return QStringLiteral("No win");
  const std::string_view caption = table.rows[static_cast<std::size_t>(row)].caption;
  return QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size()));
}

QString PercentText(double part, double whole) {
  const double percent = whole == 0 ? 0 : part / whole * 100;
  if (whole == 0 || !std::isfinite(percent)) return QStringLiteral("—");
  return QStringLiteral("%1%").arg(percent, 0, 'f', 2);
}

QString RefusalText(Refusal refusal) {
  QString text;
  switch (refusal) {
    case Refusal::None:
      break;
    case Refusal::NoBet:
      text = QStringLiteral("You must place a bet first!");
      break;
    case Refusal::StakeNotCovered:
      text = QStringLiteral("You do not have enough credits to place this bet.");
      break;
    case Refusal::CoinNotCovered:
      text = QStringLiteral("You do not have enough credits to bet an additional coin.");
      break;
    case Refusal::MaxNotCovered:
      text = QStringLiteral("You do not have enough credits to place a maximum bet.");
      break;
  }
  return text;
}

QString CreditsText(double credits) {
  if (!std::isfinite(credits)) return QStringLiteral("—");
  return QString::number(credits, 'f', 2);
}

QString ProbabilityText(double probability) {
  const double percent = probability * 100;
  int decimals = 2;
  if (percent > 0) decimals = std::max(2, 2 - static_cast<int>(std::floor(std::log10(percent))));
  return QStringLiteral("%1%").arg(percent, 0, 'f', decimals);
}

}  // namespace lynx
