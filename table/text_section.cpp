#include "table/text_section.h"

#include <QAbstractTextDocumentLayout>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>
#include <cmath>

namespace lynx {

namespace {

// The width a section asks for before its panel gives it one.
constexpr int kNaturalWidth = 200;

QAccessibleInterface* SectionAccessible(const QString& className, QObject* object) {
  if (className == QLatin1String("lynx::TextSection") && object->isWidgetType())
    return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StaticText);
  return nullptr;
}

}  // namespace

TextSection::TextSection(QWidget* parent) : QWidget(parent) {
  static const bool installed = [] {
    QAccessible::installFactory(SectionAccessible);
    return true;
  }();
  (void)installed;
  document.setDocumentMargin(0);
  document.setDefaultFont(font());
  document.setUndoRedoEnabled(false);
  QSizePolicy policy(QSizePolicy::Preferred, QSizePolicy::Preferred);
  policy.setHeightForWidth(true);
  setSizePolicy(policy);
}

void TextSection::setText(const QString& text) {
  if (text == html) return;
  html = text;
  if (showing) return;
  showing = true;
  // Shown in the next turn of the event loop, with the panel's layout and
  // paint: a section set during the table's reveal costs the reveal nothing,
  // and of texts set in one turn only the last is laid out.
  QTimer::singleShot(0, this, [this] {
    showing = false;
    document.setHtml(html);
    Forget();
    setAccessibleName(document.toPlainText());
    updateGeometry();
    update();
  });
}

// The document lays itself out again at the width it had (setHtml, a new
// default font): only the heights and the picture are out of date.
void TextSection::Forget() {
  picture = QImage();
  heights.fill(QSize());
  nextHeight = 0;
}

void TextSection::LayOut(int width) const {
  if (width == document.textWidth()) return;
  document.setTextWidth(width);
  ++layouts;
}

int TextSection::heightForWidth(int width) const {
  for (const QSize& known : heights)
    if (known.isValid() && known.width() == width) return known.height();
  LayOut(width);
  const int height = static_cast<int>(std::ceil(document.size().height()));
  heights[static_cast<size_t>(nextHeight)] = QSize(width, height);
  nextHeight = (nextHeight + 1) % static_cast<int>(heights.size());
  return height;
}

QSize TextSection::sizeHint() const {
  // Side by side, sections share the room alike; the height is that of the
  // width the section has.
  return {kNaturalWidth, heightForWidth(width() > 0 ? width() : kNaturalWidth)};
}

QSize TextSection::minimumSizeHint() const {
  // Any width will do: the text wraps to it.
  return {0, 0};
}

void TextSection::paintEvent(QPaintEvent* event) {
  const qreal ratio = devicePixelRatioF();
  const QSize pixels = (QSizeF(size()) * ratio).toSize();
  if (picture.size() != pixels || picture.devicePixelRatio() != ratio) {
    LayOut(width());
    picture = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    picture.setDevicePixelRatio(ratio);
    picture.fill(Qt::transparent);
    QPainter drawing(&picture);
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(QPalette::WindowText));
    document.documentLayout()->draw(&drawing, context);
  }
  QPainter painter(this);
  painter.setClipRect(event->rect());
  painter.drawImage(QPoint(0, 0), picture);
}

void TextSection::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange) picture = QImage();
  if (event->type() == QEvent::FontChange) {
    document.setDefaultFont(font());
    Forget();
    updateGeometry();
  }
}

}  // namespace lynx
