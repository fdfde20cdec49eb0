// The play cycle of the table window: load, deal, hold, draw, settle, the
// keys and mouse buttons, the demonstration code, help and leaving.

#include <QCoreApplication>
#include <QSignalSpy>

#include "tests/table/table_test_support.h"

namespace lynx::testing {
namespace {

using Play = TableTest;

TEST_F(Play, LoadShowsTheTableAsDrawnUpAndTheRoyalHand) {
  values.credits = 250;
  Open(kJacksOrBetter);
  EXPECT_EQ(window->objectName(), "LYNX");
  const TableState s = window->State();
  EXPECT_EQ(s.hand, (Hand{49, 50, 51, 52, 40}));
  EXPECT_FALSE(s.dealt);
  EXPECT_EQ(s.coinsIn, 0);
  EXPECT_EQ(s.lastCoinsIn, 0);
  EXPECT_EQ(s.winRow, -1);
  EXPECT_EQ(s.demoCode, 0);
  EXPECT_EQ(s.drawPos, 0);
  EXPECT_EQ(values.maxCoins, 5);
  EXPECT_EQ(window->Mess->text(), "Play 5 Coins");
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 1");  // kept until the first bet
  EXPECT_EQ(window->Label1[1]->text(), "Credits: 250");
  EXPECT_TRUE(window->Timer2->isActive());
  EXPECT_EQ(window->Timer2->interval(), 500);
  EXPECT_TRUE(window->Image8->pixmap().toImage() == window->Image9->pixmap().toImage());
  EXPECT_TRUE(LitCells().isEmpty());
  // Jacks or Better keeps the captions it is drawn with.
  EXPECT_EQ(window->Value[0]->text(), "Royal Flush");
  EXPECT_EQ(window->Value[8]->text(), "Jacks or Better");
  EXPECT_EQ(window->Value[9]->text(), "");
  EXPECT_EQ(window->Win5[0]->text(), "4000");
  EXPECT_EQ(window->Win4[0]->text(), "1000");
  EXPECT_EQ(window->Win3[3]->text(), "24");
  EXPECT_EQ(window->Win1[10]->text(), "");
  for (int k = 0; k < 5; ++k) {
    EXPECT_TRUE(ShowsCard(k, s.hand[static_cast<std::size_t>(k)]));
    EXPECT_TRUE(window->Image1[static_cast<std::size_t>(k)]->pixmap().toImage() ==
                window->Image2[0]->pixmap().toImage());
  }
  // Centred on the 1024 x 768 screen of the fakes.
  EXPECT_EQ(window->pos(), QPoint((1024 - 550) / 2, (768 - 390) / 2));
}

TEST_F(Play, LoadWritesTheCaptionsOfJokerWildAndDeucesWild) {
  Open(kJokerWild);
  EXPECT_EQ(window->Value[0]->text(), "Royal Flush (Natural)");
  EXPECT_EQ(window->Value[2]->text(), "Royal Flush (Joker)");
  EXPECT_EQ(window->Value[10]->text(), "Kings or Better");
  EXPECT_EQ(window->Win2[2]->text(), "200");
  EXPECT_EQ(window->Win5[1]->text(), "1000");
  EXPECT_EQ(window->Win5[0]->text(), "4000");
  EXPECT_EQ(window->Win1[10]->text(), "1");

  Open(kDeucesWild);
  EXPECT_EQ(window->Value[1]->text(), "4 Deuces");
  EXPECT_EQ(window->Value[9]->text(), "3 of a Kind");
  EXPECT_EQ(window->Value[10]->text(), "");
  EXPECT_EQ(window->Win5[1]->text(), "1000");
  EXPECT_EQ(window->Win3[4]->text(), "27");
  EXPECT_EQ(window->Win5[10]->text(), "");
}

TEST_F(Play, DealOrDrawWithoutAnyBetIsRefusedAndChangesNothing) {
  Open();
  Click(window->Image8);
  Key(Qt::Key_Return);
  Key(Qt::Key_Enter);
  PressSurface(Qt::RightButton, QPoint(450, 200));
  const ShownDialog refusal{DialogIcon::Information, kTitle, "You must place a bet first!"};
  EXPECT_EQ(fakes.dialogs.shown, (std::vector<ShownDialog>(4, refusal)));
  EXPECT_EQ(values.credits, 100);
  EXPECT_FALSE(window->State().dealt);
  EXPECT_EQ(window->State().hand, (Hand{49, 50, 51, 52, 40}));
  EXPECT_TRUE(fakes.sound.played.isEmpty());
}

TEST_F(Play, DealShowsEachCardBeforeItsSoundAndLightsADealtWinner) {
  Open();
  EnterDemoCode(2413);
  EXPECT_EQ(window->State().demoCode, 2413);
  int sounds = 0;
  const Hand royal{49, 50, 51, 52, 40};
  fakes.sound.onPlay = [&](const QString& name) {
    EXPECT_EQ(name, "SND2.WAV");
    // The card of this sound is on the surface; the ones after it are not yet.
    EXPECT_TRUE(ShowsCard(sounds, royal[static_cast<std::size_t>(sounds)])) << "sound " << sounds;
    for (int later = sounds + 1; later < 5; ++later) {
      const QRect area(window->CardOrigin(later), QSize(73, 98));
      EXPECT_EQ(window->Surface().pixel(area.center()), QColor(0, 0, 255).rgb());
    }
    EXPECT_EQ(window->Mess->text(), "");
    EXPECT_EQ(values.credits, 97);  // the stake is off before the first card
    ++sounds;
  };
  window->BetOne();
  window->BetOne();
  window->BetOne();
  Click(window->Image8);
  EXPECT_EQ(sounds, 5);
  const TableState s = window->State();
  EXPECT_TRUE(s.dealt);
  EXPECT_EQ(s.hand, royal);
  EXPECT_EQ(s.held, (std::array<bool, 5>{}));
  EXPECT_EQ(s.demoCode, 0);
  EXPECT_EQ(s.winRow, 0);
  EXPECT_EQ(values.credits, 97);  // nothing paid for the dealt hand
  EXPECT_EQ(window->Mess->text(), "");
  EXPECT_FALSE(window->Timer2->isActive());
  EXPECT_TRUE(window->Image8->pixmap().toImage() == window->Image4->pixmap().toImage());
  QStringList expectedLit = ColumnCells(3);
  expectedLit.insert(0, QStringLiteral("V0"));
  EXPECT_EQ(LitCells(), expectedLit);
}

TEST_F(Play, DrawTurnsDiscardsDownFirstAndPaysTheFinalHand) {
  Open();
  EnterDemoCode(2413);  // 10-A of spades, then 10-A of diamonds
  window->BetOne();
  window->BetOne();
  Click(window->Image8);
  // Keep the ten of spades only: 10s 10d Jd Qd Kd is a losing pair of tens.
  Click(window->Image1[0]);
  EXPECT_TRUE(window->Image1[0]->pixmap().toImage() == window->Image3[0]->pixmap().toImage());
  fakes.sound.played.clear();
  int sounds = 0;
  const Hand replacements{0, 36, 37, 38, 39};
  fakes.sound.onPlay = [&](const QString&) {
    ++sounds;
    const int showing = sounds;  // positions 1..sounds show replacements
    EXPECT_TRUE(ShowsCard(0, 49));
    for (int k = 1; k < 5; ++k) {
      if (k <= showing)
        EXPECT_TRUE(ShowsCard(k, replacements[static_cast<std::size_t>(k)])) << "sound " << sounds;
      else
        EXPECT_TRUE(ShowsBack(k)) << "sound " << sounds;
    }
  };
  Key(Qt::Key_Return);
  EXPECT_EQ(fakes.sound.played, QStringList(4, "SND2.WAV"));  // a loss plays no win sound
  const TableState s = window->State();
  EXPECT_FALSE(s.dealt);
  EXPECT_EQ(s.hand, (Hand{49, 36, 37, 38, 39}));
  EXPECT_EQ(s.drawPos, 9);
  EXPECT_EQ(s.winRow, -1);
  EXPECT_EQ(s.winAmount, 0);
  EXPECT_EQ(s.coinsIn, 0);
  EXPECT_EQ(s.lastCoinsIn, 2);
  EXPECT_EQ(values.credits, 98);
  EXPECT_EQ(window->Mess->text(), "Play 5 Coins");
  EXPECT_TRUE(window->Timer2->isActive());
  EXPECT_TRUE(LitCells().isEmpty());  // a loss leaves the table dark
  EXPECT_TRUE(window->Image1[0]->pixmap().toImage() == window->Image2[0]->pixmap().toImage());
  EXPECT_TRUE(window->Image8->pixmap().toImage() == window->Image9->pixmap().toImage());
}

TEST_F(Play, AWinIsPaidLitAnnouncedAndSoundedAfterTheCards) {
  Open();
  EnterDemoCode(2413);
  for (int i = 0; i < 4; ++i) window->BetOne();
  Click(window->Image8);
  for (int k = 0; k < 5; ++k) Click(window->Image1[static_cast<std::size_t>(k)]);
  fakes.sound.played.clear();
  fakes.sound.onPlay = [&](const QString& name) {
    EXPECT_EQ(name, "SND0.WAV");
    EXPECT_EQ(window->Label1[1]->text(), "Credits: 1096");  // credited before the sound
  };
  Click(window->Image8);
  // All five held: no card is taken and no card sound plays.
  EXPECT_EQ(fakes.sound.played, QStringList{"SND0.WAV"});
  const TableState s = window->State();
  EXPECT_EQ(s.drawPos, 5);
  EXPECT_EQ(s.hand, (Hand{49, 50, 51, 52, 40}));
  EXPECT_EQ(s.winRow, 0);
  EXPECT_EQ(s.winAmount, 1000);
  EXPECT_EQ(values.credits, 96 + 1000);
  EXPECT_EQ(window->Mess->text(), "Royal Flush pays 1000!");
  EXPECT_EQ(LitCells(), (QStringList{"V0", "W4:0"}));
  for (PictureButton* marker : window->Image1)
    EXPECT_TRUE(marker->pixmap().toImage() == window->Image2[0]->pixmap().toImage());
  // The held flags stay until the next deal; holds are ignored between games.
  EXPECT_EQ(s.held, (std::array<bool, 5>{true, true, true, true, true}));
  Click(window->Image1[2]);
  PressSurface(Qt::LeftButton, QPoint(200, 250));
  EXPECT_EQ(window->State().held, s.held);
}

TEST_F(Play, ANoBetDealReplaysTheLastStakeAndClearsTheLastWin) {
  Open();
  EnterDemoCode(2413);
  for (int i = 0; i < 3; ++i) window->BetOne();
  Click(window->Image8);
  for (int k = 0; k < 5; ++k) window->ToggleHold(k);
  Click(window->Image8);  // royal with 3 coins: 750
  EXPECT_EQ(values.credits, 97 + 750);
  EXPECT_EQ(LitCells(), (QStringList{"V0", "W3:0"}));

  fakes.random.values = {0.1f, 0.7f, 0.3f, 0.9f, 0.5f};
  Click(window->Image8);  // no new bet: three coins again
  const TableState s = window->State();
  EXPECT_TRUE(s.dealt);
  EXPECT_EQ(s.coinsIn, 3);
  EXPECT_EQ(values.credits, 97 + 750 - 3);
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 3");  // the coins line is not rewritten
  QStringList expected = ColumnCells(3);
  if (s.winRow > -1) expected.insert(s.winRow, QStringLiteral("V%1").arg(s.winRow));
  EXPECT_EQ(LitCells(), expected);
  // The hand comes from deck positions 1..5 of the new shuffle.
  for (int k = 0; k < 5; ++k) EXPECT_EQ(s.hand[static_cast<std::size_t>(k)], values.deck.At(k + 1));
}

TEST_F(Play, AReplayNeedsTheCreditsForTheLastStake) {
  Open();
  EnterDemoCode(3142);
  for (int i = 0; i < 3; ++i) window->BetOne();
  Click(window->Image8);
  Click(window->Image8);  // discard all: 6-10 of hearts, a straight flush
  EXPECT_EQ(window->State().lastCoinsIn, 3);
  values.credits = 2;
  fakes.dialogs.shown.clear();
  fakes.sound.played.clear();
  const QStringList litBefore = LitCells();
  Click(window->Image8);
  EXPECT_EQ(fakes.dialogs.shown,
            (std::vector<ShownDialog>{{DialogIcon::Information, kTitle,
                                       "You do not have enough credits to place this bet."}}));
  const TableState s = window->State();
  EXPECT_EQ(values.credits, 2);
  EXPECT_FALSE(s.dealt);
  EXPECT_EQ(s.coinsIn, 0);
  EXPECT_EQ(s.lastCoinsIn, 3);
  EXPECT_EQ(s.winRow, 1);
  EXPECT_EQ(s.hand, (Hand{19, 20, 21, 22, 23}));
  EXPECT_EQ(LitCells(), litBefore);
  EXPECT_TRUE(fakes.sound.played.isEmpty());
}

TEST_F(Play, HoldClicksFollowTheCardAreasOfTheSmallLayout) {
  Open();
  EnterDemoCode(3142);
  window->BetOne();
  // Before the deal nothing holds.
  PressSurface(Qt::LeftButton, QPoint(30, 237));
  Click(window->Image1[0]);
  window->ToggleHold(0);
  Key(Qt::Key_Return);
  ASSERT_TRUE(window->State().dealt);
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{}));

  // Edges of card 1 (x 30..101, y 237..331) and card 5 (350..421).
  PressSurface(Qt::LeftButton, QPoint(30, 237));
  PressSurface(Qt::LeftButton, QPoint(101, 331));  // releases it again
  PressSurface(Qt::LeftButton, QPoint(421, 300));
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{false, false, false, false, true}));
  // Between cards, above, below, and with the right button: nothing.
  for (QPoint p : {QPoint(102, 300), QPoint(109, 300), QPoint(29, 300), QPoint(422, 300),
                   QPoint(60, 236), QPoint(60, 332)})
    PressSurface(Qt::LeftButton, p);
  PressSurface(Qt::RightButton, QPoint(60, 300));
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{false, false, false, false, true}));
  // Markers toggle too, and show the face of the hold.
  Click(window->Image1[1]);
  Click(window->Image1[4]);
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{false, true, false, false, false}));
  EXPECT_TRUE(window->Image1[1]->pixmap().toImage() == window->Image3[0]->pixmap().toImage());
  EXPECT_TRUE(window->Image1[4]->pixmap().toImage() == window->Image2[0]->pixmap().toImage());
  // A right press on a marker or a left press off the cards does not deal or draw.
  QTest::mouseClick(window->Image1[2], Qt::RightButton);
  EXPECT_TRUE(window->State().dealt);
}

TEST_F(Play, HoldClicksFollowTheCardAreasOfTheLargeLayout) {
  Open(kDeucesWild, 1);
  EnterDemoCode(2413);
  window->BetOne();
  Key(Qt::Key_Enter);
  ASSERT_TRUE(window->State().dealt);
  PressSurface(Qt::LeftButton, QPoint(10, 237));   // card 1 from the left edge
  PressSurface(Qt::LeftButton, QPoint(306, 425));  // card 2 bottom right
  PressSurface(Qt::LeftButton, QPoint(155, 300));  // gap
  PressSurface(Qt::LeftButton, QPoint(618, 300));  // card 5
  PressSurface(Qt::LeftButton, QPoint(700, 426));  // below
  EXPECT_EQ(window->State().held, (std::array<bool, 5>{true, true, false, false, true}));
  EXPECT_TRUE(window->Image1[4]->pixmap().toImage() == window->Image3[1]->pixmap().toImage());
}

TEST_F(Play, RightPressesInThePayTableCornerDealAndDraw) {
  Open();
  window->BetOne();
  window->BetOne();
  PressSurface(Qt::RightButton, QPoint(451, 100));  // right of the corner
  PressSurface(Qt::RightButton, QPoint(100, 201));  // below it
  PressSurface(Qt::LeftButton, QPoint(100, 100));
  EXPECT_FALSE(window->State().dealt);
  PressSurface(Qt::RightButton, QPoint(450, 200));
  EXPECT_TRUE(window->State().dealt);
  // A right press on any pay cell draws; a left press does not.
  QTest::mousePress(window->Win5[10], Qt::LeftButton);
  EXPECT_TRUE(window->State().dealt);
  QTest::mousePress(window->Value[9], Qt::RightButton);
  EXPECT_FALSE(window->State().dealt);
  EXPECT_EQ(window->State().lastCoinsIn, 2);
  // And deals the next one with the same stake.
  const int creditsAfterDraw = values.credits;
  QTest::mousePress(window->Win2[4], Qt::RightButton);
  EXPECT_TRUE(window->State().dealt);
  EXPECT_EQ(values.credits, creditsAfterDraw - 2);
  // Right presses on headers and status lines do nothing.
  QTest::mousePress(window->Header[0], Qt::RightButton);
  QTest::mousePress(window->Mess, Qt::RightButton);
  EXPECT_TRUE(window->State().dealt);
}

TEST_F(Play, ReleasesOnThePayTableBuildTheDemoCodeWithinBounds) {
  Open();
  // Units on Win1, tens on Win2, hundreds on Win3, thousands on Win4;
  // Win5 and the hand names add nothing; any button counts.
  QTest::mouseRelease(window->Win2[0], Qt::RightButton);
  QTest::mouseRelease(window->Win4[1], Qt::LeftButton);
  QTest::mouseRelease(window->Win5[6], Qt::LeftButton);
  QTest::mouseRelease(window->Value[3], Qt::LeftButton);
  QTest::mouseRelease(window->Win1[2], Qt::MiddleButton);
  QTest::mouseRelease(window->Win3[3], Qt::LeftButton);
  EXPECT_EQ(window->State().demoCode, 2413);
  // A left press on the cells does not touch it.
  QTest::mousePress(window->Win1[0], Qt::LeftButton);
  EXPECT_EQ(window->State().demoCode, 2413);

  // A deal uses it up: a code that is not a demonstration shuffles.
  window->BetOne();
  Key(Qt::Key_Return);
  EXPECT_EQ(window->State().demoCode, 0);
}

TEST_F(Play, EveryDemonstrationCodeDealsItsHandInEveryGame) {
  struct Case {
    GameVariant variant;
    int code;
    Hand dealt;
  };
  const Case cases[] = {
      {kJacksOrBetter, 2413, {49, 50, 51, 52, 40}}, {kJacksOrBetter, 3142, {14, 15, 16, 17, 18}},
      {kJacksOrBetter, 4321, {1, 14, 27, 40, 15}},  {kJokerWild, 2413, {49, 50, 51, 52, 40}},
      {kJokerWild, 3142, {12, 25, 38, 51, 53}},     {kJokerWild, 4321, {49, 50, 51, 52, 53}},
      {kDeucesWild, 2413, {49, 50, 51, 52, 40}},    {kDeucesWild, 3142, {2, 15, 28, 41, 14}},
      {kDeucesWild, 4321, {28, 50, 51, 52, 2}}};
  for (const Case& c : cases) {
    Open(c.variant);
    EnterDemoCode(c.code);
    window->BetOne();
    Click(window->Image8);
    EXPECT_EQ(window->State().hand, c.dealt) << c.variant << " " << c.code;
    EXPECT_EQ(window->State().demoCode, 0);
    for (int k = 0; k < 5; ++k) EXPECT_TRUE(ShowsCard(k, c.dealt[static_cast<std::size_t>(k)]));
  }
}

TEST_F(Play, DemonstrationHandsArePaidAndAnnouncedByTheirGame) {
  struct Case {
    GameVariant variant;
    int code;
    int coins;
    std::array<bool, 5> hold;
    int row;
    int amount;
    const char* message;
  };
  const Case cases[] = {
      {kDeucesWild, 3142, 5, {true, true, true, true, false}, 1, 1000, "4 Deuces pays 1000!"},
      {kJokerWild,
       4321,
       2,
       {true, true, true, true, true},
       2,
       200,
       "Royal Flush (Joker) pays 200!"},
      {kJokerWild, 2413, 1, {true, true, false, false, false}, 9, 1, "2 Pair pays 1"},
      {kJacksOrBetter, 2413, 1, {true, true, false, false, false}, 7, 2, "2 Pair pays 2!"},
      {kJacksOrBetter,
       2413,
       5,
       {false, false, false, false, false},
       0,
       4000,
       "Royal Flush pays 4000!"},
      {kDeucesWild, 2413, 4, {true, true, true, true, true}, 0, 1000, "Royal Flush pays 1000!"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Open(c.variant);
    EnterDemoCode(c.code);
    for (int i = 0; i < c.coins; ++i) window->BetOne();
    if (c.coins < 5) window->DealOrDraw();
    for (int k = 0; k < 5; ++k)
      if (c.hold[static_cast<std::size_t>(k)]) window->ToggleHold(k);
    window->DealOrDraw();
    const TableState s = window->State();
    EXPECT_EQ(s.winRow, c.row);
    EXPECT_EQ(s.winAmount, c.amount);
    EXPECT_EQ(window->Mess->text(), c.message);
    EXPECT_EQ(values.credits, 100 - c.coins + c.amount);
    EXPECT_EQ(LitCells(), (QStringList{QStringLiteral("V%1").arg(c.row),
                                       QStringLiteral("W%1:%2").arg(c.coins).arg(c.row)}));
    values.credits = 100;
  }
}

TEST_F(Play, KeysDealDrawBetAndAskForHelp) {
  Open(kDeucesWild);
  QTest::keyClick(window.get(), 'b');
  QTest::keyClick(window.get(), 'B', Qt::ShiftModifier);
  EXPECT_EQ(window->State().coinsIn, 2);
  EXPECT_EQ(window->Label1[0]->text(), "Coins In: 2");
  QTest::keyClick(window.get(), Qt::Key_B, Qt::ControlModifier);
  EXPECT_EQ(window->State().coinsIn, 2);
  Key(Qt::Key_A);
  Key(Qt::Key_Space);
  EXPECT_FALSE(window->State().dealt);
  Key(Qt::Key_Enter);
  EXPECT_TRUE(window->State().dealt);
  Key(Qt::Key_B);  // ignored while a hand is dealt
  EXPECT_EQ(window->State().coinsIn, 2);
  Key(Qt::Key_Return);
  EXPECT_FALSE(window->State().dealt);

  Key(Qt::Key_F1);
  values.helpTopic = "41002";  // the picture reads the topic again
  Click(window->Image6);
  using Opened = std::vector<std::pair<QString, int>>;
  EXPECT_EQ(fakes.help.opened, (Opened{{"/data/ZEB.HLP", 41003}, {"/data/ZEB.HLP", 41002}}));
  EXPECT_TRUE(fakes.dialogs.shown.empty());
}

TEST_F(Play, QuitEscapeAndTheWindowManagerCloseTheTable) {
  Open();
  QSignalSpy finished(window.get(), &QDialog::finished);
  Click(window->Image7);
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(finished.count(), 1);

  Open();
  QSignalSpy finished2(window.get(), &QDialog::finished);
  Key(Qt::Key_Escape);
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(finished2.count(), 1);

  Open();
  QSignalSpy finished3(window.get(), &QDialog::finished);
  EXPECT_TRUE(window->close());
  EXPECT_TRUE(window->isHidden());
  EXPECT_EQ(finished3.count(), 1);
  EXPECT_EQ(window->result(), QDialog::Accepted);
}

TEST_F(Play, ExecReturnsWhenTheTableIsClosed) {
  Open();
  QTimer::singleShot(0, window.get(), [this] { Click(window->Image7); });
  EXPECT_EQ(window->exec(), QDialog::Accepted);
}

TEST_F(Play, InputDuringADealWaitsForItsEnd) {
  Open();
  EnterDemoCode(2413);
  window->BetOne();
  bool first = true;
  fakes.sound.onPlay = [&](const QString&) {
    if (!first) return;
    first = false;
    // Arrives while the first card sound plays: hold card 2, then draw,
    // then close the window from the window manager.
    Click(window->Image1[1]);
    Key(Qt::Key_Return);
    EXPECT_FALSE(window->close());  // not yet: the deal goes on
  };
  Click(window->Image8);
  // The deal ran to its end undisturbed.
  TableState s = window->State();
  EXPECT_TRUE(s.dealt);
  EXPECT_EQ(s.hand, (Hand{49, 50, 51, 52, 40}));
  EXPECT_EQ(s.held, (std::array<bool, 5>{}));
  EXPECT_FALSE(window->isHidden());
  EXPECT_EQ(fakes.sound.played.size(), 5);

  QCoreApplication::processEvents();
  s = window->State();
  EXPECT_FALSE(s.dealt);
  EXPECT_EQ(s.held, (std::array<bool, 5>{false, true, false, false, false}));
  EXPECT_EQ(s.hand, (Hand{36, 50, 37, 38, 39}));  // jacks: paid with the win sound
  EXPECT_EQ(fakes.sound.played.size(), 5 + 4 + 1);
  EXPECT_EQ(fakes.sound.played.back(), "SND0.WAV");
  EXPECT_TRUE(window->isHidden());
}

TEST_F(Play, SoundOffDealsAndDrawsInSilence) {
  Open();
  values.soundOn = 0;
  EnterDemoCode(2413);
  window->BetMax();
  for (int k = 0; k < 5; ++k) window->ToggleHold(k);
  window->DealOrDraw();
  EXPECT_EQ(values.credits, 95 + 4000);
  EXPECT_TRUE(fakes.sound.played.isEmpty());
  for (int k = 0; k < 5; ++k)
    EXPECT_TRUE(ShowsCard(k, window->State().hand[static_cast<std::size_t>(k)]));
}

TEST_F(Play, MessageBlinksUntilABetAndAgainAfterTheDraw) {
  Open();
  ASSERT_TRUE(window->Timer2->isActive());
  QSignalSpy ticks(window->Timer2, &QTimer::timeout);
  for (int i = 0; i < 2; ++i) {
    const bool hidden = window->Mess->isHidden();
    ASSERT_TRUE(ticks.wait(1000));
    EXPECT_EQ(window->Mess->isHidden(), !hidden);
  }
  window->BetOne();  // a bet stops the blinking
  EXPECT_FALSE(window->Timer2->isActive());
  window->DealOrDraw();
  EXPECT_FALSE(window->Timer2->isActive());
  window->DealOrDraw();
  EXPECT_TRUE(window->Timer2->isActive());
}

}  // namespace
}  // namespace lynx::testing
