#pragma once
// A block of rich text that wraps to its width, for panels whose texts change
// with every game. A word-wrapped rich-text QLabel lays its document out again
// for every size question its layout asks and again for every paint; this one
// lays it out once per text and width and keeps the heights it worked out, so
// a new text costs one layout however often the panel is laid out or painted,
// and it is drawn once into a picture that every later paint copies.
// Screen readers read it as a label with its plain text.

#include <QImage>
#include <QTextDocument>
#include <QWidget>
#include <array>

namespace lynx {

class TextSection final : public QWidget {
  Q_OBJECT
 public:
  explicit TextSection(QWidget* parent = nullptr);

  // Shows html from the next turn of the event loop on; the same text again
  // changes nothing.
  void setText(const QString& html);
  QString text() const { return html; }
  // How many times the section has laid its text out to a new width.
  int Layouts() const { return layouts; }

  bool hasHeightForWidth() const override { return true; }
  int heightForWidth(int width) const override;
  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void Forget();
  // Lays the document out at width unless it already is.
  void LayOut(int width) const;

  QString html;
  mutable QTextDocument document;
  mutable int layouts = 0;
  // Heights already worked out, by width: a layout asks the same few widths.
  mutable std::array<QSize, 4> heights{};
  mutable int nextHeight = 0;
  // The text as last drawn; null when it must be drawn again.
  QImage picture;
  bool showing = false;  // a new text waits for the next turn
};

}  // namespace lynx
