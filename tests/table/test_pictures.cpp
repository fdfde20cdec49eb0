// The pictures compiled into the program, the two sounds and the help
// documents: sizes, colour depths, cell grids, the exact layout of the masks.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QImage>
#include <QString>
#include <array>
#include <cstdint>

#include "resources/pictures.h"

namespace lynx {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlack = 0xFF000000;

// Depth classes: 16 = VGA palette in 4 bits, 256 = 8-bit palette,
// 2 = black and white in 1 bit, 32 = ARGB.
struct ExpectedPicture {
  const char* name;
  int width;
  int height;
  int colours;
};

constexpr std::array<ExpectedPicture, 34> kPictures = {{
    {"blank", 73, 98, 16},          {"card_mask", 73, 98, 16},       {"card_back", 73, 98, 16},
    {"card_joker", 73, 98, 16},     {"card_empty", 73, 98, 16},      {"card_big_mask", 146, 196, 16},
    {"digits_black", 117, 28, 16},  {"digits_red", 117, 28, 16},     {"face", 141, 148, 16},
    {"suits", 60, 30, 16},          {"suits_mask", 60, 30, 2},       {"suits_small", 44, 24, 16},
    {"btn_quit", 64, 40, 16},       {"btn_help", 64, 40, 16},        {"btn_sound", 64, 40, 16},
    {"btn_credits", 64, 40, 16},    {"btn_mode", 64, 40, 16},        {"btn_deal", 64, 40, 16},
    {"btn_draw", 64, 40, 256},      {"btn_bet_one", 64, 40, 16},     {"btn_max_bet", 64, 40, 16},
    {"marker_draw_small", 44, 28, 256}, {"marker_hold_small", 44, 28, 256},
    {"marker_draw_large", 66, 33, 16},  {"marker_hold_large", 66, 33, 16},
    {"title_help", 64, 40, 16},     {"title_about", 64, 40, 16},     {"title_catalog", 64, 40, 16},
    {"title_quit", 64, 40, 16},     {"game_jacks", 64, 47, 16},      {"game_joker", 64, 47, 16},
    {"game_deuces", 64, 47, 16},    {"icon32", 32, 32, 32},          {"icon256", 256, 256, 32},
}};

const std::array<QRgb, 16> kVga = {0xFF000000, 0xFF800000, 0xFF008000, 0xFF808000, 0xFF000080, 0xFF800080,
                                   0xFF008080, 0xFFC0C0C0, 0xFF808080, 0xFFFF0000, 0xFF00FF00, 0xFFFFFF00,
                                   0xFF0000FF, 0xFFFF00FF, 0xFF00FFFF, 0xFFFFFFFF};

QImage Rgb(const char* name) {
  return LoadPicture(QString::fromLatin1(name)).convertToFormat(QImage::Format_RGB32);
}

QRgb At(const QImage& image, int x, int y) { return image.pixel(x, y) | 0xFF000000; }

// Bit depth and colour type from the PNG header of the stored file.
std::pair<int, int> PngDepthAndType(const char* name) {
  QFile file(PicturePath(QString::fromLatin1(name)));
  if (!file.open(QIODevice::ReadOnly)) return {-1, -1};
  const QByteArray head = file.read(26);
  return {static_cast<unsigned char>(head[24]), static_cast<unsigned char>(head[25])};
}

TEST(Pictures, EveryPictureHasItsSizeAndColourDepth) {
  for (const ExpectedPicture& expected : kPictures) {
    SCOPED_TRACE(expected.name);
    const QImage image = LoadPicture(QString::fromLatin1(expected.name));
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.width(), expected.width);
    EXPECT_EQ(image.height(), expected.height);
    const auto [depth, type] = PngDepthAndType(expected.name);
    switch (expected.colours) {
      case 16: {
        EXPECT_EQ(depth, 4);
        EXPECT_EQ(type, 3);
        ASSERT_EQ(image.colorCount(), 16);
        for (int i = 0; i < 16; ++i) EXPECT_EQ(image.color(i) | 0xFF000000, kVga[static_cast<std::size_t>(i)]) << i;
        break;
      }
      case 256:
        EXPECT_EQ(depth, 8);
        EXPECT_EQ(type, 3);
        EXPECT_EQ(image.colorCount(), 256);
        break;
      case 2:
        EXPECT_EQ(depth, 1);
        EXPECT_EQ(type, 3);
        ASSERT_EQ(image.colorCount(), 2);
        EXPECT_EQ(image.color(0) | 0xFF000000, kBlack);
        EXPECT_EQ(image.color(1) | 0xFF000000, kWhite);
        break;
      default:
        EXPECT_EQ(depth, 8);
        EXPECT_EQ(type, 6);  // RGBA
        EXPECT_TRUE(image.hasAlphaChannel());
        break;
    }
  }
}

// The small mask's white pixels: the outer frame and, at each corner, the
// three pixels that round it off.
bool SmallMaskWhite(int x, int y) {
  if (x == 0 || y == 0 || x == 72 || y == 97) return true;
  const int cx = x <= 36 ? x : 72 - x;
  const int cy = y <= 48 ? y : 97 - y;
  return (cx == 1 && cy == 1) || (cx == 2 && cy == 1) || (cx == 1 && cy == 2);
}

TEST(Pictures, MasksHaveExactlyTheirBlackAndWhiteLayout) {
  const QImage small = Rgb("card_mask");
  int white = 0;
  for (int y = 0; y < 98; ++y) {
    for (int x = 0; x < 73; ++x) {
      const QRgb expected = SmallMaskWhite(x, y) ? kWhite : kBlack;
      ASSERT_EQ(At(small, x, y), expected) << x << "," << y;
      white += expected == kWhite ? 1 : 0;
    }
  }
  EXPECT_EQ(white, 2 * 73 + 2 * 96 + 4 * 3);

  // The large mask is the small one at twice the size: a two-pixel frame and
  // corners six pixels deep.
  const QImage big = Rgb("card_big_mask");
  for (int y = 0; y < 196; ++y)
    for (int x = 0; x < 146; ++x)
      ASSERT_EQ(At(big, x, y), SmallMaskWhite(x / 2, y / 2) ? kWhite : kBlack) << x << "," << y;
  EXPECT_EQ(At(big, 1, 100), kWhite);
  EXPECT_EQ(At(big, 2, 100), kBlack);
  EXPECT_EQ(At(big, 5, 2), kWhite);
  EXPECT_EQ(At(big, 6, 2), kBlack);
}

TEST(Pictures, CardImagesAreBlackOutsideTheOutline) {
  const QImage mask = Rgb("card_mask");
  for (const char* name : {"blank", "card_back", "card_joker", "card_empty"}) {
    SCOPED_TRACE(name);
    const QImage card = Rgb(name);
    for (int y = 0; y < 98; ++y)
      for (int x = 0; x < 73; ++x)
        if (At(mask, x, y) == kWhite) {
          ASSERT_EQ(At(card, x, y), kBlack) << x << "," << y;
        }
    // The outline itself: the second row and column, and the corner pixel
    // that turns it round.
    EXPECT_EQ(At(card, 36, 1), kBlack);
    EXPECT_EQ(At(card, 1, 50), kBlack);
    EXPECT_EQ(At(card, 71, 50), kBlack);
    EXPECT_EQ(At(card, 36, 96), kBlack);
    EXPECT_EQ(At(card, 2, 2), kBlack);
    EXPECT_EQ(At(card, 70, 95), kBlack);
  }
  // The blank is white everywhere inside its outline.
  const QImage blank = Rgb("blank");
  int whites = 0;
  for (int y = 0; y < 98; ++y)
    for (int x = 0; x < 73; ++x) whites += At(blank, x, y) == kWhite ? 1 : 0;
  EXPECT_EQ(whites, 69 * 94 - 4);
  // The empty position is grey with black dots; the back is mostly blue and red.
  const QImage empty = Rgb("card_empty");
  EXPECT_EQ(At(empty, 10, 10), 0xFF808080u);
  int dots = 0;
  for (int y = 3; y < 95; ++y)
    for (int x = 3; x < 70; ++x) dots += At(empty, x, y) == kBlack ? 1 : 0;
  EXPECT_GT(dots, 300);
}

// The cell at (x, y) of size w x h, and that cell turned by 180 degrees.
QImage Cell(const QImage& sheet, int x, int y, int w, int h) { return sheet.copy(x, y, w, h); }
QImage Turned(const QImage& image) { return image.mirrored(true, true); }

bool HasInk(const QImage& cell) {
  for (int y = 0; y < cell.height(); ++y)
    for (int x = 0; x < cell.width(); ++x)
      if (At(cell, x, y) != kWhite) return true;
  return false;
}

TEST(Pictures, RankGlyphsAndSuitsFillTheirCellGrids) {
  const struct {
    const char* name;
    int cells, w, h;
    QRgb ink;
  } sheets[] = {{"digits_black", 13, 9, 14, kBlack}, {"digits_red", 13, 9, 14, 0xFFFF0000},
                {"suits_small", 4, 11, 12, 0}};
  for (const auto& sheet : sheets) {
    SCOPED_TRACE(sheet.name);
    const QImage image = Rgb(sheet.name);
    for (int i = 0; i < sheet.cells; ++i) {
      const QImage upright = Cell(image, i * sheet.w, 0, sheet.w, sheet.h);
      EXPECT_TRUE(HasInk(upright)) << i;
      EXPECT_EQ(Cell(image, i * sheet.w, sheet.h, sheet.w, sheet.h), Turned(upright)) << i;
    }
    if (sheet.ink == 0) continue;
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = At(image, x, y);
        ASSERT_TRUE(p == kWhite || p == sheet.ink) << x << "," << y;
      }
  }
  // Pips: black clubs and spades, red hearts and diamonds, on white; the mask
  // is black exactly where a pip is.
  const QImage suits = Rgb("suits");
  const QImage mask = Rgb("suits_mask");
  const QRgb colours[4] = {kBlack, 0xFFFF0000, 0xFFFF0000, kBlack};
  for (int s = 0; s < 4; ++s) {
    const QImage upright = Cell(suits, s * 15, 0, 15, 15);
    EXPECT_EQ(Cell(suits, s * 15, 15, 15, 15), Turned(upright)) << s;
    int ink = 0;
    for (int y = 0; y < 30; ++y)
      for (int x = s * 15; x < s * 15 + 15; ++x) {
        const QRgb p = At(suits, x, y);
        ASSERT_TRUE(p == kWhite || p == colours[s]) << x << "," << y;
        ASSERT_EQ(At(mask, x, y), p == kWhite ? kWhite : kBlack) << x << "," << y;
        ink += p == kWhite ? 0 : 1;
      }
    EXPECT_GT(ink, 2 * 60) << s;
  }
}

TEST(Pictures, CourtPicturesKeepTheSuitMarkCornersWhite) {
  const QImage face = Rgb("face");
  const auto white = [&face](int x0, int y0) {
    for (int y = y0; y < y0 + 15; ++y)
      for (int x = x0; x < x0 + 15; ++x)
        if (At(face, x, y) != kWhite) return false;
    return true;
  };
  for (int row = 0; row < 2; ++row) {
    const int y = row * 74;
    // King (column 0): marks top left and bottom right.
    EXPECT_TRUE(white(2, y + 2)) << row;
    EXPECT_TRUE(white(31, y + 57)) << row;
    // Queen and jack: top right and bottom left.
    for (int col = 1; col <= 2; ++col) {
      EXPECT_TRUE(white(col * 47 + 31, y + 2)) << row << "," << col;
      EXPECT_TRUE(white(col * 47 + 2, y + 57)) << row << "," << col;
    }
    // Every cell holds a picture, and the rows differ (dressed by colour).
    for (int col = 0; col < 3; ++col) EXPECT_TRUE(HasInk(Cell(face, col * 47, y, 47, 74)));
  }
  for (int col = 0; col < 3; ++col)
    EXPECT_NE(Cell(face, col * 47, 0, 47, 74), Cell(face, col * 47, 74, 47, 74)) << col;
}

TEST(Pictures, ButtonsAndMarkersShowTheirFaces) {
  // Buttons: grey face inside a black edge with a white light top left.
  for (const char* name : {"btn_quit", "btn_help", "btn_sound", "btn_credits", "btn_mode", "btn_deal",
                           "btn_draw", "btn_bet_one", "btn_max_bet", "title_help", "title_about",
                           "title_catalog", "title_quit"}) {
    SCOPED_TRACE(name);
    const QImage b = Rgb(name);
    EXPECT_EQ(At(b, 0, 0), kBlack);
    EXPECT_EQ(At(b, 63, 39), kBlack);
    EXPECT_EQ(At(b, 1, 20), kWhite);
    EXPECT_EQ(At(b, 62, 20), 0xFF808080u);
    EXPECT_EQ(At(b, 5, 20), 0xFFC0C0C0u);
  }
  // Markers: Draw is black on white, Hold red on yellow.
  for (const char* name : {"marker_draw_small", "marker_draw_large"}) {
    const QImage m = Rgb(name);
    EXPECT_EQ(At(m, 3, 3), kWhite) << name;
    int black = 0;
    for (int y = 1; y < m.height() - 1; ++y)
      for (int x = 1; x < m.width() - 1; ++x) black += At(m, x, y) == kBlack ? 1 : 0;
    EXPECT_GT(black, 40) << name;
  }
  for (const char* name : {"marker_hold_small", "marker_hold_large"}) {
    const QImage m = Rgb(name);
    EXPECT_EQ(At(m, 3, 3), 0xFFFFFF00u) << name;
    int red = 0;
    for (int y = 1; y < m.height() - 1; ++y)
      for (int x = 1; x < m.width() - 1; ++x) red += At(m, x, y) == 0xFFFF0000u ? 1 : 0;
    EXPECT_GT(red, 40) << name;
  }
  // The icons have a transparent background round the card fan.
  const QImage icon = LoadPicture(u"icon256").convertToFormat(QImage::Format_ARGB32);
  EXPECT_EQ(qAlpha(icon.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(icon.pixel(128, 100)), 255);
}

QByteArray ReadData(const char* name) {
  QFile file(QStringLiteral(LYNX_SOURCE_DATA_DIR "/") + QLatin1String(name));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::uint32_t Le(const QByteArray& b, int at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}

struct Wav {
  int format = 0, channels = 0, rate = 0, byteRate = 0, blockAlign = 0, bits = 0;
  QByteArray data;
};

// Walks the RIFF chunks; an empty result when the file is not a WAVE file.
Wav ParseWav(const QByteArray& file) {
  Wav wav;
  if (file.size() < 12 || file.left(4) != "RIFF" || file.mid(8, 4) != "WAVE") return wav;
  if (Le(file, 4, 4) != static_cast<std::uint32_t>(file.size() - 8)) return wav;
  for (int at = 12; at + 8 <= file.size();) {
    const QByteArray id = file.mid(at, 4);
    const int size = static_cast<int>(Le(file, at + 4, 4));
    if (id == "fmt ") {
      wav.format = static_cast<int>(Le(file, at + 8, 2));
      wav.channels = static_cast<int>(Le(file, at + 10, 2));
      wav.rate = static_cast<int>(Le(file, at + 12, 4));
      wav.byteRate = static_cast<int>(Le(file, at + 16, 4));
      wav.blockAlign = static_cast<int>(Le(file, at + 20, 2));
      wav.bits = static_cast<int>(Le(file, at + 22, 2));
    } else if (id == "data") {
      wav.data = file.mid(at + 8, size);
    }
    at += 8 + size + (size % 2);
  }
  return wav;
}

TEST(DataFiles, SoundsAreShortMono16BitPcm) {
  const struct {
    const char* name;
    int minMs, maxMs;
  } sounds[] = {{"SND2.WAV", 100, 150}, {"SND0.WAV", 500, 1000}};
  for (const auto& sound : sounds) {
    SCOPED_TRACE(sound.name);
    const Wav wav = ParseWav(ReadData(sound.name));
    EXPECT_EQ(wav.format, 1);
    EXPECT_EQ(wav.channels, 1);
    EXPECT_EQ(wav.rate, 22050);
    EXPECT_EQ(wav.bits, 16);
    EXPECT_EQ(wav.blockAlign, 2);
    EXPECT_EQ(wav.byteRate, 44100);
    ASSERT_EQ(wav.data.size() % 2, 0);
    const int samples = static_cast<int>(wav.data.size() / 2);
    const int ms = samples * 1000 / 22050;
    EXPECT_GE(ms, sound.minMs);
    EXPECT_LE(ms, sound.maxMs);
    // Loud enough to hear, and ending in silence (no click at the end).
    int peak = 0;
    for (int i = 0; i < samples; ++i)
      peak = std::max(peak, std::abs(static_cast<std::int16_t>(Le(wav.data, 2 * i, 2))));
    EXPECT_GT(peak, 8000);
    EXPECT_LT(std::abs(static_cast<std::int16_t>(Le(wav.data, 2 * (samples - 1), 2))), 200);
  }
}

TEST(DataFiles, HelpDocumentsHoldTheirTopics) {
  const QString help = QString::fromUtf8(ReadData("ZEB.HLP"));
  for (const char* topic : {"41002", "41003", "41007", "41008"}) {
    EXPECT_TRUE(help.contains(QStringLiteral("<a name=\"%1\"").arg(QLatin1String(topic)))) << topic;
    EXPECT_TRUE(help.contains(QStringLiteral("id=\"%1\"").arg(QLatin1String(topic)))) << topic;
  }
  // The pages carry the pay tables and the controls a new player needs.
  for (const char* text : {"Royal Flush", "4 Deuces", "Kings or Better", "Jacks or Better", "Max Bet",
                           "Bet $1", "Pay-Off Loan", "Enter", "Hold"})
    EXPECT_TRUE(help.contains(QLatin1String(text))) << text;
  const QString catalog = QString::fromUtf8(ReadData("CATALOG.HLP"));
  EXPECT_TRUE(catalog.startsWith(QLatin1String("<!DOCTYPE html>")));
  EXPECT_TRUE(catalog.contains(QLatin1String("Deuces Wild")));
}

TEST(DataFiles, DataFilesLieNextToTheBuiltExecutables) {
  const QString bin = QCoreApplication::applicationDirPath();
  for (const char* name : {"SND2.WAV", "SND0.WAV", "ZEB.HLP", "CATALOG.HLP"}) {
    QFile copy(bin + QLatin1Char('/') + QLatin1String(name));
    ASSERT_TRUE(copy.open(QIODevice::ReadOnly)) << name;
    EXPECT_EQ(copy.readAll(), ReadData(name)) << name;
  }
}

}  // namespace
}  // namespace lynx
