#include "art.h"

#include <QFile>
#include <QFontDatabase>
#include <QVector>
#include <algorithm>
#include <cstring>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace lynx::art {
namespace {

constexpr QRgb kVga[16] = {
    0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
    0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
    0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

int CharColour(char c, const Key& extra) {
  if (auto it = extra.find(c); it != extra.end()) return it->second;
  switch (c) {
    case '#': return kBlack;
    case 'm': return kMaroon;
    case 'g': return kGreen;
    case 'o': return kOlive;
    case 'n': return kNavy;
    case 'p': return kPurple;
    case 't': return kTeal;
    case 's': return kSilver;
    case 'G': return kGrey;
    case 'r': return kRed;
    case 'l': return kLime;
    case 'y': return kYellow;
    case 'b': return kBlue;
    case 'f': return kFuchsia;
    case 'a': return kAqua;
    case 'w': return kWhite;
    case '.':
    case ' ': return -1;
    default:
      std::fprintf(stderr, "sprite: unknown character '%c'\n", c);
      std::exit(1);
  }
}

QVector<QRgb> Palette256() {
  QVector<QRgb> table(kVga, kVga + 16);
  // A 6 x 6 x 6 colour cube and a grey ramp fill the rest.
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b) table.push_back(qRgb(r * 51, g * 51, b * 51));
  for (int i = 0; table.size() < 256; ++i) table.push_back(qRgb(8 + i * 10, 8 + i * 10, 8 + i * 10));
  return table;
}

QImage ToIndexed(const QImage& image, const QVector<QRgb>& table, const QString& path) {
  QImage out(image.size(), QImage::Format_Indexed8);
  out.setColorTable(table);
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      const QRgb pixel = image.pixel(x, y) | 0xFF000000;
      const int index = static_cast<int>(table.indexOf(pixel));
      if (index < 0) {
        std::fprintf(stderr, "%s: pixel (%d, %d) = #%06x is not in the palette\n",
                     qPrintable(path), x, y, pixel & 0xFFFFFF);
        std::exit(1);
      }
      out.setPixel(x, y, static_cast<uint>(index));
    }
  }
  return out;
}


std::uint32_t Crc32(const QByteArray& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char byte : bytes) {
    crc ^= static_cast<std::uint8_t>(byte);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return crc ^ 0xFFFFFFFFu;
}

void PutBe32(QByteArray& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.append(static_cast<char>((value >> shift) & 0xFF));
}

void Chunk(QByteArray& png, const char* type, const QByteArray& data) {
  PutBe32(png, static_cast<std::uint32_t>(data.size()));
  QByteArray typed(type);
  typed.append(data);
  png.append(typed);
  PutBe32(png, Crc32(typed));
}

// Writes an indexed picture as a palette PNG of 1, 4 or 8 bits per pixel with
// exactly the picture's colour table (Qt's own writer always uses 8 bits).
bool WriteIndexedPng(const QImage& indexed, int bits, const QString& path) {
  QByteArray header;
  PutBe32(header, static_cast<std::uint32_t>(indexed.width()));
  PutBe32(header, static_cast<std::uint32_t>(indexed.height()));
  header.append(static_cast<char>(bits));
  header.append(static_cast<char>(3));  // palette colour
  header.append(3, '\0');                // deflate, adaptive filters, no interlace
  QByteArray palette;
  for (const QRgb colour : indexed.colorTable()) {
    palette.append(static_cast<char>(qRed(colour)));
    palette.append(static_cast<char>(qGreen(colour)));
    palette.append(static_cast<char>(qBlue(colour)));
  }
  QByteArray raw;
  const int perByte = 8 / bits;
  for (int y = 0; y < indexed.height(); ++y) {
    raw.append('\0');  // filter: none
    const uchar* line = indexed.constScanLine(y);
    for (int x = 0; x < indexed.width(); x += perByte) {
      int byte = 0;
      for (int k = 0; k < perByte; ++k) {
        const int value = (x + k < indexed.width()) ? line[x + k] : 0;
        byte |= value << (8 - bits * (k + 1));
      }
      raw.append(static_cast<char>(byte));
    }
  }
  QByteArray png("\x89PNG\r\n\x1a\n", 8);
  Chunk(png, "IHDR", header);
  Chunk(png, "PLTE", palette);
  Chunk(png, "IDAT", qCompress(raw, 9).mid(4));  // qCompress puts a length before the zlib stream
  Chunk(png, "IEND", QByteArray());
  QFile file(path);
  return file.open(QIODevice::WriteOnly) && file.write(png) == png.size();
}

}  // namespace

QRgb VgaColor(int index) { return kVga[index]; }
QColor Colour(int index) { return QColor::fromRgb(kVga[index]); }

QImage Canvas(int w, int h, int fill) {
  QImage image(w, h, QImage::Format_ARGB32);
  image.fill(kVga[fill]);
  return image;
}

void Plot(QImage& image, int x, int y, int colour) {
  if (x >= 0 && y >= 0 && x < image.width() && y < image.height()) image.setPixel(x, y, kVga[colour]);
}

void FillRect(QImage& image, int x, int y, int w, int h, int colour) {
  for (int j = y; j < y + h; ++j)
    for (int i = x; i < x + w; ++i) Plot(image, i, j, colour);
}

void Sprite(QImage& image, int x, int y, std::initializer_list<const char*> rows, const Key& extra) {
  int j = 0;
  for (const char* row : rows) {
    for (int i = 0; row[i] != '\0'; ++i) {
      const int c = CharColour(row[i], extra);
      if (c >= 0) Plot(image, x + i, y + j, c);
    }
    ++j;
  }
}

void SpriteRotated(QImage& image, int x, int y, std::initializer_list<const char*> rows,
                   const Key& extra) {
  int width = 0;
  for (const char* row : rows) width = std::max(width, static_cast<int>(std::strlen(row)));
  const int height = static_cast<int>(rows.size());
  int j = 0;
  for (const char* row : rows) {
    for (int i = 0; row[i] != '\0'; ++i) {
      const int c = CharColour(row[i], extra);
      if (c >= 0) Plot(image, x + width - 1 - i, y + height - 1 - j, c);
    }
    ++j;
  }
}

void PixelPainter(QPainter& painter) {
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setRenderHint(QPainter::TextAntialiasing, false);
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

static QString SansFamily() {
  static QString family = [] {
    const char* files[] = {"/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf",
                           "/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf",
                           "/usr/share/fonts/truetype/liberation/LiberationSans-Bold.ttf",
                           "/usr/share/fonts/truetype/liberation/LiberationSans-Regular.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf",
                           "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf"};
    QString found;
    for (const char* file : files) {
      const int id = QFontDatabase::addApplicationFont(QString::fromLatin1(file));
      if (id >= 0 && found.isEmpty()) found = QFontDatabase::applicationFontFamilies(id).value(0);
    }
    if (found.isEmpty()) {
      std::fprintf(stderr, "no Liberation Sans or DejaVu Sans font found\n");
      std::exit(1);
    }
    return found;
  }();
  return family;
}

QFont BoldFont(int pixelSize) {
  QFont font(SansFamily());
  font.setPixelSize(pixelSize);
  font.setBold(true);
  font.setStyleStrategy(QFont::NoAntialias);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

QFont RegularFont(int pixelSize) {
  QFont font = BoldFont(pixelSize);
  font.setBold(false);
  return font;
}

void CentredText(QImage& image, int x, int w, int baseline, const QString& text, const QFont& font,
                 int colour) {
  QPainter painter(&image);
  PixelPainter(painter);
  painter.setFont(font);
  painter.setPen(Colour(colour));
  const QFontMetrics metrics(font);
  const QRect ink = metrics.tightBoundingRect(text);
  const int left = x + (w - ink.width()) / 2 - ink.left();
  painter.drawText(QPoint(left, baseline), text);
}

QImage Rotated180(const QImage& image) {
  QImage out = image;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      out.setPixel(image.width() - 1 - x, image.height() - 1 - y, image.pixel(x, y));
  return out;
}

void Save(const QImage& image, int colours, const QString& path) {
  bool written = false;
  if (colours == 16) {
    written = WriteIndexedPng(ToIndexed(image, QVector<QRgb>(kVga, kVga + 16), path), 4, path);
  } else if (colours == 256) {
    written = WriteIndexedPng(ToIndexed(image, Palette256(), path), 8, path);
  } else if (colours == 2) {
    written = WriteIndexedPng(ToIndexed(image, QVector<QRgb>{kVga[kBlack], kVga[kWhite]}, path), 1, path);
  } else {
    written = image.convertToFormat(QImage::Format_ARGB32).save(path, "PNG");
  }
  if (!written) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

}  // namespace lynx::art
