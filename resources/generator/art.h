#pragma once
// Drawing helpers shared by the picture makers: the 16-colour palette, pixel
// sprites written as text, fonts, and saving at a given colour depth.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QString>
#include <initializer_list>
#include <map>

namespace lynx::art {

// The standard 16-colour VGA palette, in index order.
enum Vga {
  kBlack, kMaroon, kGreen, kOlive, kNavy, kPurple, kTeal, kSilver,
  kGrey, kRed, kLime, kYellow, kBlue, kFuchsia, kAqua, kWhite
};
QRgb VgaColor(int index);
QColor Colour(int index);

// A new 32-bit picture filled with palette colour fill.
QImage Canvas(int w, int h, int fill);

void Plot(QImage& image, int x, int y, int colour);
void FillRect(QImage& image, int x, int y, int w, int h, int colour);

// Draws a sprite given as rows of characters, top-left at (x, y). Characters:
// '.' and ' ' leave the pixel, '#' black, 'm' maroon, 'g' green, 'o' olive,
// 'n' navy, 'p' purple, 't' teal, 's' silver, 'G' grey, 'r' red, 'l' lime,
// 'y' yellow, 'b' blue, 'f' fuchsia, 'a' aqua, 'w' white; extra maps other
// characters (suit-dependent colours) to palette indices.
using Key = std::map<char, int>;
void Sprite(QImage& image, int x, int y, std::initializer_list<const char*> rows,
            const Key& extra = {});

// The same sprite turned by 180 degrees around its own box.
void SpriteRotated(QImage& image, int x, int y, std::initializer_list<const char*> rows,
                   const Key& extra = {});

// A painter on image with every kind of smoothing off.
void PixelPainter(QPainter& painter);

// Bold sans of the given pixel height (Liberation Sans, else DejaVu Sans), unsmoothed.
QFont BoldFont(int pixelSize);
QFont RegularFont(int pixelSize);

// Text centred horizontally in [x, x + w) with its baseline at baseline.
void CentredText(QImage& image, int x, int w, int baseline, const QString& text,
                 const QFont& font, int colour);

// Rotates the whole picture by 180 degrees.
QImage Rotated180(const QImage& image);

// Saving: 16 = the VGA palette as a 4-bit PNG; 256 = an 8-bit palette (the
// VGA colours first); 2 = black and white, 1 bit; 32 = ARGB. Every pixel must
// already be one of the palette's colours; a pixel that is not aborts the run.
void Save(const QImage& image, int colours, const QString& path);

}  // namespace lynx::art
