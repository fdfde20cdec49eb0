// lynx-preview: paints every card and picture into PNG files for a look by eye.
// Usage: lynx-preview <output folder>
//   cards_small_<game>.png, cards_large_<game>.png  every code 0..53 and the back on the table blue
//   cards_4x/<game>_<code>.png                       each small card enlarged four times
//   pictures_1x.png, pictures_4x.png                 buttons, markers and title pictures
//   pictures_4x/<name>.png                           each picture enlarged four times

#include <QDir>
#include <QGuiApplication>
#include <QPainter>
#include <cstdio>

#include "engine/card.h"
#include "resources/pictures.h"
#include "cards/card_painter.h"
#include "cards/card_sheet.h"

namespace {

constexpr QRgb kTableBlue = 0xFF0000FF;

QImage Enlarged(const QImage& image, int factor) {
  return image.scaled(image.size() * factor, Qt::IgnoreAspectRatio, Qt::FastTransformation);
}

bool Write(const QImage& image, const QString& path) {
  if (image.save(path, "PNG")) return true;
  std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
  return false;
}

// Every code 0..53 and then the back, eleven to a row.
QImage CardSheetPreview(lynx::GameVariant variant, bool large) {
  const int w = large ? lynx::kLargeCardWidth : lynx::kCardWidth;
  const int h = large ? lynx::kLargeCardHeight : lynx::kCardHeight;
  constexpr int kPerRow = 11;
  constexpr int kGap = 8;
  QImage surface((w + kGap) * kPerRow + kGap, (h + kGap) * 5 + kGap, QImage::Format_RGB32);
  surface.fill(kTableBlue);
  for (int i = 0; i <= 54; ++i) {
    const int x = kGap + (i % kPerRow) * (w + kGap);
    const int y = kGap + (i / kPerRow) * (h + kGap);
    if (i == 54) {
      large ? lynx::DrawCardBackLarge(surface, x, y) : lynx::DrawCardBack(surface, x, y);
    } else {
      const auto code = static_cast<lynx::CardCode>(i);
      large ? lynx::DrawCardFaceLarge(surface, x, y, code, variant)
            : lynx::DrawCardFace(surface, x, y, code, variant);
    }
  }
  return surface;
}

}  // namespace

int main(int argc, char** argv) {
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: lynx-preview <output folder>\n");
    return 2;
  }
  QDir out(QString::fromLocal8Bit(argv[1]));
  out.mkpath(QStringLiteral("cards_4x"));
  out.mkpath(QStringLiteral("pictures_4x"));
  bool ok = true;
  const char* games[3] = {"jacks", "joker", "deuces"};
  for (lynx::GameVariant variant = 1; variant <= 3; ++variant) {
    const QString game = QLatin1String(games[variant - 1]);
    ok &= Write(CardSheetPreview(variant, false), out.filePath("cards_small_" + game + ".png"));
    ok &= Write(CardSheetPreview(variant, true), out.filePath("cards_large_" + game + ".png"));
    for (int code = 0; code <= 53; ++code) {
      QImage one(lynx::kCardWidth + 4, lynx::kCardHeight + 4, QImage::Format_RGB32);
      one.fill(kTableBlue);
      lynx::DrawCardFace(one, 2, 2, static_cast<lynx::CardCode>(code), variant);
      ok &= Write(Enlarged(one, 4), out.filePath(QStringLiteral("cards_4x/%1_%2.png").arg(game).arg(code, 2, 10, QLatin1Char('0'))));
    }
  }
  QImage back(lynx::kCardWidth + 4, lynx::kCardHeight + 4, QImage::Format_RGB32);
  back.fill(kTableBlue);
  lynx::DrawCardBack(back, 2, 2);
  ok &= Write(Enlarged(back, 4), out.filePath(QStringLiteral("cards_4x/back.png")));

  const char* names[] = {"btn_quit", "btn_help", "btn_sound", "btn_credits", "btn_mode",
                         "btn_deal", "btn_draw", "btn_bet_one", "btn_max_bet",
                         "marker_draw_small", "marker_hold_small", "marker_draw_large",
                         "marker_hold_large", "title_help", "title_about", "title_catalog",
                         "title_quit", "game_jacks", "game_joker", "game_deuces", "icon32",
                         "icon256", "face", "digits_black", "digits_red", "suits", "suits_mask",
                         "suits_small", "card_mask", "blank"};
  // All small pictures side by side on the table blue, at 1x and 4x.
  QImage strip(8 + 9 * 72, 8 + 4 * 60, QImage::Format_RGB32);
  strip.fill(kTableBlue);
  {
    QPainter painter(&strip);
    int i = 0;
    for (const char* name : names) {
      const QImage picture = lynx::LoadPicture(QString::fromLatin1(name));
      if (picture.isNull()) {
        std::fprintf(stderr, "missing picture %s\n", name);
        ok = false;
        continue;
      }
      ok &= Write(Enlarged(picture.convertToFormat(QImage::Format_ARGB32), 4),
                  out.filePath(QStringLiteral("pictures_4x/%1.png").arg(QLatin1String(name))));
      if (picture.width() <= 66 && picture.height() <= 50) {
        painter.drawImage(8 + (i % 9) * 72, 8 + (i / 9) * 60, picture);
        ++i;
      }
    }
  }
  ok &= Write(strip, out.filePath(QStringLiteral("pictures_1x.png")));
  ok &= Write(Enlarged(strip, 4), out.filePath(QStringLiteral("pictures_4x.png")));
  std::printf("previews written to %s\n", qPrintable(out.absolutePath()));
  return ok ? 0 : 1;
}
