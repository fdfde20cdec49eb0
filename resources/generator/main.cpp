// lynx-make-resources: draws every picture of the game and writes the two
// sounds. Usage: lynx-make-resources <resources folder>
// Writes <folder>/pictures/*.png and <folder>/data/SND0.WAV, SND2.WAV. The
// help documents in <folder>/data are written by hand and left alone.

#include <QDir>
#include <QGuiApplication>
#include <cstdio>

#include "art.h"
#include "button_art.h"
#include "card_art.h"
#include "sounds.h"

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: lynx-make-resources <resources folder>\n");
    return 2;
  }
  namespace art = lynx::art;
  const QDir root(QString::fromLocal8Bit(argv[1]));
  root.mkpath(QStringLiteral("pictures"));
  root.mkpath(QStringLiteral("data"));
  const auto picture = [&root](const char* name) {
    return root.filePath(QStringLiteral("pictures/%1.png").arg(QLatin1String(name)));
  };

  art::Save(art::MakeBlank(), 16, picture("blank"));
  art::Save(art::MakeCardMask(), 16, picture("card_mask"));
  art::Save(art::MakeCardBack(), 16, picture("card_back"));
  art::Save(art::MakeJoker(), 16, picture("card_joker"));
  art::Save(art::MakeEmptyPosition(), 16, picture("card_empty"));
  art::Save(art::MakeBigCardMask(), 16, picture("card_big_mask"));
  art::Save(art::MakeDigits(art::kBlack), 16, picture("digits_black"));
  art::Save(art::MakeDigits(art::kRed), 16, picture("digits_red"));
  art::Save(art::MakeFace(), 16, picture("face"));
  const QImage suits = art::MakeSuits();
  art::Save(suits, 16, picture("suits"));
  art::Save(art::MakeSuitsMask(suits), 2, picture("suits_mask"));
  art::Save(art::MakeSuitsSmall(), 16, picture("suits_small"));

  for (const char* name :
       {"btn_quit", "btn_help", "btn_sound", "btn_credits", "btn_mode", "btn_deal", "btn_bet_one",
        "btn_max_bet", "title_help", "title_about", "title_catalog", "title_quit"}) {
    art::Save(art::MakeButton(QLatin1String(name)), 16, picture(name));
  }
  art::Save(art::MakeButton(QStringLiteral("btn_draw")), 256, picture("btn_draw"));
  art::Save(art::MakeMarker(true, false), 256, picture("marker_draw_small"));
  art::Save(art::MakeMarker(false, false), 256, picture("marker_hold_small"));
  art::Save(art::MakeMarker(true, true), 16, picture("marker_draw_large"));
  art::Save(art::MakeMarker(false, true), 16, picture("marker_hold_large"));
  art::Save(art::MakeGamePicture(1), 16, picture("game_jacks"));
  art::Save(art::MakeGamePicture(2), 16, picture("game_joker"));
  art::Save(art::MakeGamePicture(3), 16, picture("game_deuces"));
  // The desktop icon at every size the hicolor theme is given, each drawn at
  // its own size rather than scaled from another (icon32 and icon256 are the
  // windows' icons too).
  for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
    art::Save(art::MakeIcon(size), 32, picture(qPrintable(QStringLiteral("icon%1").arg(size))));
  }

  art::WriteCardSound(root.filePath(QStringLiteral("data/SND2.WAV")));
  art::WriteWinSound(root.filePath(QStringLiteral("data/SND0.WAV")));
  std::printf("pictures and sounds written under %s\n", qPrintable(root.absolutePath()));
  return 0;
}
