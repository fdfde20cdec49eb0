// The built game program, run as a player runs it, with its own
// configuration folder: offscreen for the ways it ends on SIGTERM and the
// settings files it meets, and on a private X server (Xvfb), driven with
// xdotool, for what needs a real display: the display going away, the help
// window beside a table, and the resume question.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>
#include <regex>
#include <tuple>

#include "engine/deck.h"
#include "platform/sqlite_history.h"
#include "tests/support/x_session.h"

namespace {

using lynx::GameRecord;
using lynx::HandInProgress;
using lynx::kJacksOrBetter;
using lynx::SqliteHistory;
using lynx::e2e::GameProcess;
using lynx::e2e::Installed;
using lynx::e2e::PollUntil;
using lynx::e2e::ReadFile;
using lynx::e2e::WriteFile;
using lynx::e2e::XServer;

// The settings file's text without its [Ledger] section, which holds the
// change number of the balance saved (counted in other tests); "no number"
// when the section is missing.
std::string WithoutLedger(const std::string& text) {
  static const std::regex ledger("\\[Ledger\\]\nChange=[0-9]+\n");
  return std::regex_search(text, ledger) ? std::regex_replace(text, ledger, "") : "no number";
}

TEST(GameProgram, SigtermEndsItThroughTheSave) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  const QString ini = config.filePath(QStringLiteral("ZEB.INI"));

  // A first run: no saved game, no question; SIGTERM saves the start values.
  EXPECT_EQ(GameProcess(config.path(), {}).RunUntilSigterm(), "0");
  EXPECT_EQ(WithoutLedger(ReadFile(ini)), "[Settings]\nCredits=100\nBorrowed=100\nLargeCards=0\n");

  // A saved game: SIGTERM while the resume question may be up ends the
  // program without touching the saved game.
  const QByteArray saved = "[Settings]\nCredits=420\nBorrowed=100\nLargeCards=1\n";
  ASSERT_TRUE(WriteFile(ini, saved));
  EXPECT_EQ(GameProcess(config.path(), {}).RunUntilSigterm(), "0");
  EXPECT_EQ(ReadFile(ini), saved.toStdString());
}

mode_t TypeOf(const QString& path) {
  struct stat info {};
  return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? (info.st_mode & S_IFMT) : 0;
}

// A settings file that is not a regular file is neither read (a FIFO would
// block the start, a device of zeros would never end) nor replaced.
TEST(GameProgram, ASettingsFileThatIsNoRegularFileIsLeftAloneAndTheProgramEnds) {
  QTemporaryDir config;
  ASSERT_TRUE(config.isValid());
  const QString ini = config.filePath(QStringLiteral("ZEB.INI"));
  const QByteArray iniName = QFile::encodeName(ini);

  {
    SCOPED_TRACE("FIFO");
    ASSERT_EQ(::mkfifo(iniName.constData(), 0600), 0);
    EXPECT_EQ(GameProcess(config.path(), {}).RunUntilSigterm(), "0");
    EXPECT_EQ(TypeOf(ini), S_IFIFO);
    ASSERT_TRUE(QFile::remove(ini));
  }
  {
    SCOPED_TRACE("directory");
    ASSERT_TRUE(QDir(config.path()).mkdir(QStringLiteral("ZEB.INI")));
    EXPECT_EQ(GameProcess(config.path(), {}).RunUntilSigterm(), "0");
    EXPECT_EQ(TypeOf(ini), S_IFDIR);
    EXPECT_TRUE(QDir(ini).isEmpty());
    ASSERT_TRUE(QDir(config.path()).rmdir(QStringLiteral("ZEB.INI")));
  }
  {
    SCOPED_TRACE("link to a device of zeros");
    // The superuser could replace /dev/zero itself if the program wrote
    // through the link, so it gets a zero device of its own (the same major
    // and minor numbers) in the test's folder.
    QString zero = QStringLiteral("/dev/zero");
    if (::geteuid() == 0) {
      zero = config.filePath(QStringLiteral("zero"));
      ASSERT_EQ(::mknod(QFile::encodeName(zero).constData(), S_IFCHR | 0666, makedev(1, 5)), 0)
          << "cannot make a device node here";
    }
    ASSERT_TRUE(QFile::link(zero, ini));
    EXPECT_EQ(GameProcess(config.path(), {}).RunUntilSigterm(), "0");
    EXPECT_EQ(TypeOf(ini), S_IFLNK);
    EXPECT_EQ(QFile::symLinkTarget(ini), zero);
    EXPECT_EQ(TypeOf(zero), S_IFCHR);
  }
}

// The game on a display of its own. Skipped where Xvfb or xdotool are
// missing (scripts/install-deps installs them).
class GameOnX : public testing::Test {
 protected:
  // Window titles, and the game pictures of the title window (centres of
  // Image2 and Image8).
  const QString kTitleWindow = QStringLiteral("LYNX Video Poker");
  const QString kJacksTable = QStringLiteral("LYNX Video Poker -- Jacks or Better");
  const QString kHelpWindow = QStringLiteral("LYNX Video Poker Help");
  static constexpr int kJacksX = 65, kJacksY = 240;
  static constexpr int kQuitX = 288, kQuitY = 174;

  void SetUp() override {
    for (const char* tool : {"Xvfb", "xdotool"}) {
      if (!Installed(QLatin1String(tool)))
        GTEST_SKIP() << tool << " is not installed (scripts/install-deps installs it)";
    }
    ASSERT_TRUE(config.isValid());
    x = std::make_unique<XServer>();
    ASSERT_FALSE(x->Display().isEmpty()) << "Xvfb did not start";
  }

  QString Ini() const { return config.filePath(QStringLiteral("ZEB.INI")); }
  std::unique_ptr<GameProcess> StartGame() {
    return std::make_unique<GameProcess>(config.path(), x->Display());
  }
  // Clicks the Jacks or Better picture and returns the table's window.
  QString OpenTable() {
    const QString title = x->WaitForWindow(kTitleWindow);
    if (title.isEmpty() || !x->Click(title, kJacksX, kJacksY)) return {};
    return x->WaitForWindow(kJacksTable);
  }
  // Answers the resume question with its default button, Yes.
  bool Resume() {
    const QString question = x->WaitForWindow(QStringLiteral("Resume Saved Game?"));
    return !question.isEmpty() && x->Keys(question, {QStringLiteral("Return")});
  }

  QTemporaryDir config;
  std::unique_ptr<XServer> x;
};

TEST_F(GameOnX, TheDisplayGoingAwayDuringAGameSavesTheBalance) {
  auto game = StartGame();
  const QString table = OpenTable();
  ASSERT_FALSE(table.isEmpty()) << "no table window";
  // One coin and a deal leave 99 credits. F1 waits for the deal to finish,
  // so the help window coming up means the balance is 99.
  ASSERT_TRUE(
      x->Keys(table, {QStringLiteral("b"), QStringLiteral("Return"), QStringLiteral("F1")}));
  ASSERT_FALSE(x->WaitForWindow(kHelpWindow).isEmpty());
  x->Stop();
  EXPECT_EQ(game->WaitForEnd(10000), "1");  // Qt's exit status for a broken display
  EXPECT_EQ(WithoutLedger(ReadFile(Ini())), "[Settings]\nCredits=99\nBorrowed=100\nLargeCards=0\n");
}

TEST_F(GameOnX, TheDisplayGoingAwayWhileThePayOffQuestionIsUpSavesTheLoanUnpaid) {
  // Saved without the card-size key: the save adds it.
  ASSERT_TRUE(WriteFile(Ini(), "[Settings]\nCredits=250\nBorrowed=100\n"));
  auto game = StartGame();
  ASSERT_TRUE(Resume());
  const QString title = x->WaitForWindow(kTitleWindow);
  ASSERT_TRUE(!title.isEmpty() && x->Click(title, kQuitX, kQuitY));
  ASSERT_FALSE(x->WaitForWindow(QStringLiteral("Pay-Off Loan")).isEmpty());
  x->Stop();
  EXPECT_EQ(game->WaitForEnd(10000), "1");
  EXPECT_EQ(WithoutLedger(ReadFile(Ini())),
            "[Settings]\nCredits=250\nBorrowed=100\nLargeCards=0\n");
}

TEST_F(GameOnX, TheHelpWindowTakesInputWhileATableIsOpen) {
  if (!Installed(QStringLiteral("import")))
    GTEST_SKIP() << "ImageMagick's import is not installed (scripts/install-deps installs it)";
  auto game = StartGame();
  const QString table = OpenTable();
  ASSERT_FALSE(table.isEmpty()) << "no table window";
  ASSERT_TRUE(x->Keys(table, {QStringLiteral("F1")}));
  const QString help = x->WaitForWindow(kHelpWindow);
  ASSERT_FALSE(help.isEmpty());
  const QByteArray before = x->SteadyPicture(help);
  ASSERT_FALSE(before.isEmpty());
  // The wheel turned up over the text: the game's topic is scrolled to the
  // top of the window, and the document's start lies above it.
  bool turned = false;
  x->Xdotool({QStringLiteral("mousemove"), QStringLiteral("--sync"), QStringLiteral("--window"),
              help, QStringLiteral("300"), QStringLiteral("200"), QStringLiteral("click"),
              QStringLiteral("--repeat"), QStringLiteral("3"), QStringLiteral("4")},
             &turned);
  ASSERT_TRUE(turned);
  EXPECT_TRUE(PollUntil(
      [&] {
        const QByteArray now = x->Picture(help);
        return !now.isEmpty() && now != before;
      },
      3000, 100))
      << "the help window did not scroll";
  game->Terminate();
  EXPECT_EQ(game->WaitForEnd(10000), "0");
}

TEST_F(GameOnX, AGameKilledWithAHandDealtComesBackWithItsBalanceAndHand) {
  const QString historyPath =
      config.filePath(QStringLiteral("data/lynx-video-poker/history.sqlite"));
  auto game = StartGame();
  QString table = OpenTable();
  ASSERT_FALSE(table.isEmpty()) << "no table window";
  // Two coins, a deal, the first card held; F1 waits for all of it.
  ASSERT_TRUE(x->Keys(table, {QStringLiteral("b"), QStringLiteral("b"), QStringLiteral("Return")}));
  ASSERT_TRUE(x->Click(table, 60, 280));
  ASSERT_TRUE(x->Keys(table, {QStringLiteral("F1")}));
  ASSERT_FALSE(x->WaitForWindow(kHelpWindow).isEmpty());
  game->Kill();
  EXPECT_EQ(ReadFile(Ini()), "<missing>");  // the settings were never saved

  HandInProgress left;
  {
    SqliteHistory history(historyPath);
    ASSERT_EQ(history.Problem(), QString());
    const auto journal = history.Balance();
    ASSERT_TRUE(journal.has_value());
    EXPECT_EQ((std::tuple{journal->credits, journal->borrowed, journal->endedCleanly}),
              (std::tuple{98, 100, false}));
    const auto pending = history.PendingHand(kJacksOrBetter);
    ASSERT_TRUE(pending.has_value());
    EXPECT_EQ(pending->coins, 2);
    EXPECT_EQ(pending->held, 1);
    left = *pending;
  }

  // The next start says what it restored, offers it, and the table comes
  // back with the hand; its draw gives the cards the deck held. The coach
  // must not hold the draw back to warn about the one card held.
  ASSERT_TRUE(WriteFile(Ini(), "[Coach]\nWarn=0\n"));
  game = StartGame();
  const QString restored = x->WaitForWindow(kTitleWindow);
  ASSERT_FALSE(restored.isEmpty()) << "no restore message";
  ASSERT_TRUE(x->Keys(restored, {QStringLiteral("Return")}));
  ASSERT_TRUE(Resume()) << "no resume question";
  table = OpenTable();
  ASSERT_FALSE(table.isEmpty()) << "no table window";
  ASSERT_TRUE(x->Keys(table, {QStringLiteral("Return"), QStringLiteral("F1")}));
  ASSERT_FALSE(x->WaitForWindow(kHelpWindow).isEmpty());
  game->Terminate();
  EXPECT_EQ(game->WaitForEnd(10000), "0");

  SqliteHistory history(historyPath);
  ASSERT_EQ(history.GameCount(), 1);
  const GameRecord played = history.Games(0, 1).front();
  EXPECT_EQ(played.dealt, left.dealt);
  EXPECT_EQ(played.held, 1);
  EXPECT_EQ(played.coins, 2);
  EXPECT_EQ(played.final, lynx::DrawHand(left.deck, left.dealt, lynx::HoldMask::FromBits(1)));
  EXPECT_EQ(played.creditsAfter, 98 + played.won);
  EXPECT_FALSE(history.PendingHand(kJacksOrBetter).has_value());
  const auto journal = history.Balance();
  ASSERT_TRUE(journal.has_value());
  EXPECT_EQ((std::tuple{journal->credits, journal->borrowed, journal->endedCleanly}),
            (std::tuple{98 + played.won, 100, true}));
  // The save and the journal after it hold the same change number.
  EXPECT_EQ(ReadFile(Ini()),
            "[Coach]\nWarn=0\n[Settings]\nCredits=" + std::to_string(98 + played.won) +
                "\nBorrowed=100\nLargeCards=0\n[Ledger]\nChange=" +
                std::to_string(journal->change) + "\n");
}

// SIGTERM while a box of the start is up ends the program: before the resume
// question without writing, after it through the save.
TEST_F(GameOnX, SigtermWithAStartUpBoxUpEndsTheProgram) {
  const auto boxUp = [&] {
    const QByteArray found = x->Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                         QStringLiteral("--name"), '^' + kTitleWindow + '$'});
    return found.count('\n') == 2;  // the title window and the box
  };
  {
    SCOPED_TRACE("the journal's balance restored, before the question");
    const QString data = config.filePath(QStringLiteral("data/lynx-video-poker"));
    ASSERT_TRUE(QDir().mkpath(data));
    {
      SqliteHistory history(data + QStringLiteral("/history.sqlite"));
      history.BeginSession();  // a run that never ended
      history.SaveBalance(320, 40, 7);
    }
    const QByteArray saved = "[Settings]\nCredits=150\nBorrowed=100\nLargeCards=0\n";
    ASSERT_TRUE(WriteFile(Ini(), saved));
    auto game = StartGame();
    ASSERT_FALSE(x->WaitForWindow(kTitleWindow).isEmpty()) << "no box";
    game->Terminate();
    EXPECT_EQ(game->WaitForEnd(10000), "0");
    EXPECT_EQ(ReadFile(Ini()), saved.toStdString());
    ASSERT_TRUE(QDir(config.filePath(QStringLiteral("data"))).removeRecursively());
    ASSERT_TRUE(QFile::remove(Ini()));
  }
  {
    SCOPED_TRACE("the history is off, after the title window shows");
    ASSERT_TRUE(WriteFile(config.filePath(QStringLiteral("data")), "a file in the folder's way"));
    auto game = StartGame();
    ASSERT_TRUE(PollUntil(boxUp, 10000)) << "no box beside the title window";
    game->Terminate();
    EXPECT_EQ(game->WaitForEnd(10000), "0");
    EXPECT_EQ(WithoutLedger(ReadFile(Ini())),
              "[Settings]\nCredits=100\nBorrowed=100\nLargeCards=0\n");
  }
}

TEST_F(GameOnX, AQuotedCreditsValueIsReadAsItsNumber) {
  ASSERT_TRUE(WriteFile(Ini(), "[Settings]\nCredits=\"245\"\nBorrowed=100\nLargeCards=0\n"));
  auto game = StartGame();
  // The question comes only for a balance above 0; answered Yes, the balance
  // read is the one saved.
  ASSERT_TRUE(Resume()) << "no resume question";
  ASSERT_FALSE(x->WaitForWindow(kTitleWindow).isEmpty());
  game->Terminate();
  EXPECT_EQ(game->WaitForEnd(10000), "0");
  EXPECT_EQ(WithoutLedger(ReadFile(Ini())),
            "[Settings]\nCredits=245\nBorrowed=100\nLargeCards=0\n");
}

}  // namespace

namespace {

// Ten hands of Double Double Bonus on the trainer table, by keys with the
// hint: each hand a row with its own balance; then a deal left dealt when
// the game is killed comes back on the next start and draws from its deck.
TEST_F(GameOnX, TrainerTenHandsByKeysAndAKilledHandComesBack) {
  const QString historyPath =
      config.filePath(QStringLiteral("data/lynx-video-poker/history.sqlite"));
  const QString trainerTitle =
      QStringLiteral("LYNX Video Poker -- Trainer -- Double Double Bonus 9/6");
  const QStringList arguments{QStringLiteral("--trainer"), QStringLiteral("double-double-bonus")};
  ASSERT_TRUE(WriteFile(Ini(), "[Trainer]\nHands=10\nSpeed=instant\n"));
  auto game = std::make_unique<GameProcess>(config.path(), x->Display(), false, arguments);
  QString trainer = x->WaitForWindow(trainerTitle, 20000);
  ASSERT_FALSE(trainer.isEmpty()) << "no trainer window";
  // Five coins on ten hands, the best hold (once the coach has its tables,
  // which H waits for by saying so), the draw.
  ASSERT_TRUE(x->Keys(trainer, {QStringLiteral("m"), QStringLiteral("h")}));
  const auto rowsWritten = [&](std::int64_t count) {
    return PollUntil(
        [&] {
          SqliteHistory history(historyPath);
          return history.GameCount() >= count;
        },
        30000, 200);
  };
  ASSERT_TRUE(x->Keys(trainer, {QStringLiteral("Return")}));
  ASSERT_TRUE(rowsWritten(10)) << "the ten hands were not kept";
  std::int32_t balance = 0;
  {
    SqliteHistory history(historyPath);
    const std::vector<GameRecord> rows = history.Games(0, 20);
    ASSERT_EQ(rows.size(), 10u);
    // Newest first: the chain runs from the stake taken, 100 - 50.
    std::int32_t before = 50;
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
      EXPECT_EQ(row->hands, 10);
      EXPECT_EQ(row->coins, 5);
      EXPECT_EQ(row->libraryGame, "double-double-bonus");
      EXPECT_EQ(row->payTable, "9/6");
      EXPECT_EQ(row->dealt, rows.back().dealt);
      EXPECT_EQ(row->held, rows.back().held);
      EXPECT_FALSE(row->damaged);
      EXPECT_EQ(row->creditsAfter, before + row->won);
      before = row->creditsAfter;
    }
    balance = before;
    ASSERT_GE(balance, 50) << "too little left for the next deal";
    const auto journal = history.Balance();
    ASSERT_TRUE(journal.has_value());
    EXPECT_EQ(journal->credits, balance);
  }

  // With nothing won, the next stake would leave no credits, and a start
  // with none left asks nothing: a new game starts. A loan keeps some.
  if (balance == 50) {
    ASSERT_TRUE(x->Keys(trainer, {QStringLiteral("c")}));
    balance += 100;
  }

  // The next deal, two cards held, and a kill before the draw.
  ASSERT_TRUE(x->Keys(trainer, {QStringLiteral("m"), QStringLiteral("1"), QStringLiteral("2")}));
  lynx::TrainerHandInProgress left;
  ASSERT_TRUE(PollUntil(
      [&] {
        SqliteHistory history(historyPath);
        const auto pending = history.PendingTrainerHand();
        if (!pending || pending->held != 3) return false;
        left = *pending;
        return true;
      },
      10000, 100));
  game->Kill();
  EXPECT_EQ((std::tuple{left.game, left.table, left.hands, left.coins}),
            (std::tuple{std::string("double-double-bonus"), std::string("9/6"), 10, 5}));

  // Started again: the restore message and the resume question answered,
  // the trainer opens with the hand dealt, and its draw is kept.
  game = std::make_unique<GameProcess>(config.path(), x->Display(), false, arguments);
  const QString restored = x->WaitForWindow(kTitleWindow);
  ASSERT_FALSE(restored.isEmpty()) << "no restore message";
  ASSERT_TRUE(x->Keys(restored, {QStringLiteral("Return")}));
  ASSERT_TRUE(Resume()) << "no resume question";
  trainer = x->WaitForWindow(trainerTitle, 20000);
  ASSERT_FALSE(trainer.isEmpty()) << "no trainer window after the restart";
  ASSERT_TRUE(x->Keys(trainer, {QStringLiteral("Return")}));
  ASSERT_TRUE(rowsWritten(20)) << "the resumed hands were not kept";
  game->Terminate();
  EXPECT_EQ(game->WaitForEnd(10000), "0");

  SqliteHistory history(historyPath);
  const std::vector<GameRecord> rows = history.Games(0, 10);
  ASSERT_EQ(rows.size(), 10u);
  const GameRecord& first = rows.back();  // the dealt row's own draw
  EXPECT_EQ(first.dealt, left.dealt);
  EXPECT_EQ(first.held, 3);
  // The first hand draws positions 6, 7 and 8 of the deck journaled.
  EXPECT_EQ(first.final, (lynx::Hand{left.dealt[0], left.dealt[1], left.deck.cards[5],
                                     left.deck.cards[6], left.deck.cards[7]}));
  EXPECT_EQ(first.creditsAfter, balance - 50 + first.won);
  EXPECT_FALSE(history.PendingTrainerHand().has_value());
}

}  // namespace
