// One ledger: which of the settings file and the history journal a start
// goes on from, and what a failed save at the end tells the player. The
// cases with real files run on small file systems of their own (a tmpfs,
// where the test may mount one).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "platform/ini_profile.h"
#include "platform/sqlite_history.h"
#include "shell/history_recorder.h"
#include "shell/settings.h"
#include "shell/title_window.h"
#include "tests/support/fakes.h"

inline void PrintTo(const QString& text, std::ostream* out) {
  *out << '"' << text.toStdString() << '"';
}

namespace lynx {
namespace {

const QString kDied = QStringLiteral(
    "LYNX Video Poker did not close normally the last time it ran.  Your balance of %1 credits, "
    "as it stood after your last bet or game, has been restored.");
const QString kUnsaved = QStringLiteral(
    "The settings file could not be written when LYNX Video Poker last ended.  Your balance of %1 "
    "credits, as it stood after your last bet or game, has been restored.");

TEST(Ledger, TheStoreWithTheNewerChangeWins) {
  struct Case {
    const char* name;
    const char* settingsChange;  // null: no [Ledger] section
    std::optional<JournaledBalance> journal;
    bool journalReadOnly;
    int offered;  // 0: no question
    QString box;  // the information box before the question, if any
    std::int64_t change;
  };
  const JournaledBalance died{320, 40, false, 7};
  const Case cases[] = {
      {"journal newer", "5", died, false, 320, kDied.arg(320), 7},
      {"a tie goes to the settings file", "7", died, false, 150, {}, 7},
      {"history writes failed during the run", "9", died, false, 150, {}, 9},
      {"no number, run died", nullptr, died, false, 320, kDied.arg(320), 7},
      {"no number, clean end", nullptr, JournaledBalance{320, 40, true, 7}, false, 150, {}, 7},
      {"not a number", "x8", died, false, 320, kDied.arg(320), 7},
      {"not a number, clean end", "x8", JournaledBalance{320, 40, true, 7}, false, 150, {}, 7},
      // Past the counter's range: damaged, never a tie the journal loses for good.
      {"the counter's largest value, run died", "9223372036854775807", died, false, 320,
       kDied.arg(320), 7},
      {"past 64 bits, clean end",
       "99999999999999999999",
       JournaledBalance{320, 40, true, 7},
       false,
       150,
       {},
       7},
      {"just past the largest change", "1000000000000001", died, false, 320, kDied.arg(320), 7},
      {"the largest change", "1000000000000000", died, false, 150, {}, 1000000000000000},
      {"a journal of 0 credits", "3", JournaledBalance{0, 100, false, 4}, false, 0,
       QStringLiteral("LYNX Video Poker did not close normally the last time it ran.  Your "
                      "balance, as it stood after your last bet or game, was 0 credits, so a new "
                      "game starts."),
       4},
      {"settings file older after a clean end", "3", JournaledBalance{320, 40, true, 8}, false, 320,
       QStringLiteral("The settings file holds an older balance than the game history.  Your "
                      "balance of 320 credits, as it stood after your last bet or game, has been "
                      "restored."),
       8},
      {"a journal that cannot be written", "3", died, true, 150, {}, 3},
      {"no journal", "3", std::nullopt, false, 150, {}, 3},
      {"the save at the end failed", "5", JournaledBalance{320, 40, false, 7, true}, false, 320,
       kUnsaved.arg(320), 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeServices fake;
    fake.profile.values["settings/credits"] = "150";
    fake.profile.values["settings/borrowed"] = "100";
    if (c.settingsChange != nullptr) fake.profile.values["ledger/change"] = c.settingsChange;
    if (c.journal) {
      fake.history.balance = c.journal;
      fake.history.running = !c.journal->endedCleanly;
      fake.history.unsaved = c.journal->settingsUnsaved;
    }
    fake.history.readOnly = c.journalReadOnly;
    fake.dialogs.defaultAnswer = true;
    ProgramValues values;
    LoadSettings(values, fake.services, nullptr);

    std::vector<ShownDialog> expected;
    if (!c.box.isEmpty())
      expected.push_back({DialogIcon::Information, QStringLiteral("LYNX Video Poker"), c.box});
    if (c.offered > 0) {
      expected.push_back({DialogIcon::Question, QStringLiteral("Resume Saved Game?"),
                          QStringLiteral("The last time you played LYNX Video Poker, you had %1 "
                                         "credits.  Would you like to resume your last game?  "
                                         "(Click NO to start a new game)")
                              .arg(c.offered)});
    }
    EXPECT_EQ(fake.dialogs.shown, expected);
    EXPECT_EQ(values.credits, c.offered > 0 ? c.offered : 100);
    EXPECT_EQ(values.borrowed, c.offered == 320 ? 40 : 100);
    EXPECT_EQ(values.ledgerChange, c.change);
  }
}

TEST(Ledger, AnExitSaveThatFailsIsToldAndNeverMarksTheRunAsEnded) {
  FakeServices fake;
  ProgramValues values;
  values.credits = 130;
  HistoryRecorder recorder(values, fake.services);
  recorder.Start(nullptr);
  TitleWindow title(values, fake.services);
  QObject::connect(&title, &TitleWindow::SettingsSaved, &recorder, &HistoryRecorder::Finish);
  fake.profile.readOnly = true;
  fake.dialogs.answers = {false};  // the loan stays
  title.SaveOnce(true);
  ASSERT_EQ(fake.dialogs.shown.size(), 2u);
  EXPECT_EQ(fake.dialogs.shown[1],
            (ShownDialog{DialogIcon::Exclamation, QStringLiteral("LYNX Video Poker"),
                         QStringLiteral("Your balance of 130 credits could not be saved in the "
                                        "settings file (read-only file system).  The game "
                                        "history keeps it: the next start will offer 130 "
                                        "credits.")}));
  EXPECT_TRUE(fake.history.running);
  EXPECT_TRUE(fake.history.unsaved);
  EXPECT_EQ(fake.history.balance, (JournaledBalance{130, 100, true, values.ledgerChange}));

  // Written, the run ends cleanly with the save's change number in both.
  FakeServices saved;
  ProgramValues other;
  HistoryRecorder otherRecorder(other, saved.services);
  otherRecorder.Start(nullptr);
  TitleWindow otherTitle(other, saved.services);
  QObject::connect(&otherTitle, &TitleWindow::SettingsSaved, &otherRecorder,
                   &HistoryRecorder::Finish);
  otherTitle.SaveOnce(false);
  EXPECT_TRUE(saved.dialogs.shown.empty());
  EXPECT_FALSE(saved.history.running);
  EXPECT_EQ(saved.profile.values["ledger/change"], QString::number(other.ledgerChange));
  EXPECT_EQ(saved.history.balance->change, other.ledgerChange);
}

// A tmpfs mounted on a folder for the length of a test; Mounted() is false
// where the test may not mount one.
class SmallDisk {
 public:
  explicit SmallDisk(const QString& folder) : folder(folder) {
    QDir().mkpath(folder);
    mounted = ::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", MS_NOSUID | MS_NODEV,
                      "size=512k,mode=0700") == 0;
  }
  ~SmallDisk() {
    if (mounted) ::umount2(QFile::encodeName(folder).constData(), MNT_DETACH);
  }
  bool Mounted() const { return mounted; }
  // Takes every free byte.
  void Fill() const {
    QFile filler(folder + QStringLiteral("/filler"));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) return;
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
  }
  bool MakeReadOnly() const {
    return ::mount(nullptr, QFile::encodeName(folder).constData(), nullptr,
                   MS_REMOUNT | MS_RDONLY | MS_NOSUID | MS_NODEV, nullptr) == 0;
  }

 private:
  QString folder;
  bool mounted = false;
};

// One run of the program on real files: the settings load, the journal kept
// as the table's reports keep it, and the exit save.
struct PlayerRun {
  PlayerRun(const QString& config, const QString& data)
      : profile(config + QStringLiteral("/ZEB.INI")),
        store(data + QStringLiteral("/history.sqlite")) {}
  void Start() {
    dialogs.defaultAnswer = true;  // resume
    LoadSettings(values, services, nullptr);
    recorder.Start(nullptr);
  }
  // The credit meter changes, as after a bet, a win or credits added.
  void Play(int credits) {
    values.credits = credits;
    store.SaveBalance(values.credits, values.borrowed, NextLedgerChange(values));
  }
  bool Exit() {
    const bool written = SaveSettings(values, services, nullptr, false);
    recorder.Finish(written);
    return written;
  }

  FakeDialogs dialogs;
  FakeSound sound;
  IniProfileFile profile;
  FakeHelp help;
  FakeScreen screen;
  SequenceSource random;
  SqliteHistory store;
  Services services{dialogs, sound, profile, help, screen, random, store};
  ProgramValues values;
  HistoryRecorder recorder{values, services};
};

class LedgerFiles : public testing::Test {
 protected:
  QString Config() const { return dir.filePath(QStringLiteral("config")); }
  QString Data() const { return dir.filePath(QStringLiteral("data")); }
  static QString Offered(const PlayerRun& run) {
    for (const ShownDialog& d : run.dialogs.shown)
      if (d.icon == DialogIcon::Question) return d.text.section(QLatin1Char(' '), 10, 10);
    return QStringLiteral("nothing");
  }
  // A run that ends with saved credits, then one killed at killedAt.
  void SavedThenKilledAt(int saved, int killedAt) const {
    {
      PlayerRun run(Config(), Data());
      run.Start();
      run.Play(saved);
      EXPECT_TRUE(run.Exit());
    }
    PlayerRun killed(Config(), Data());
    killed.Start();
    killed.Play(killedAt);
  }
  QTemporaryDir dir;
};

TEST_F(LedgerFiles, ASettingsFileOnAFullDiskLeavesTheJournalToOfferTheBalance) {
  const SmallDisk disk(Config());
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  {
    PlayerRun run(Config(), Data());
    run.Start();
    run.Play(95);
    run.Play(130);
    disk.Fill();
    EXPECT_FALSE(run.Exit());
    EXPECT_EQ(SaveFailedText(run.values, run.services),
              QStringLiteral("Your balance of 130 credits could not be saved in the settings "
                             "file (No space left on device).  The game history keeps it: the "
                             "next start will offer 130 credits."));
  }
  PlayerRun next(Config(), Data());
  next.Start();
  EXPECT_EQ(next.dialogs.shown.front().text, kUnsaved.arg(130));
  EXPECT_EQ(next.values.credits, 130);
}

TEST_F(LedgerFiles, HistoryOnAFullDiskLeavesTheSettingsFileTheNewer) {
  const SmallDisk disk(Data());
  if (!disk.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  {
    PlayerRun run(Config(), Data());
    run.Start();
    run.Play(95);
    disk.Fill();
    run.Play(130);
    EXPECT_EQ(run.store.CurrentState(), SqliteHistory::State::ReadOnly);
    EXPECT_TRUE(run.Exit());
  }
  QFile::remove(Data() + QStringLiteral("/filler"));
  PlayerRun next(Config(), Data());
  next.Start();
  // No word of a run that died: the settings file holds the last balance.
  ASSERT_EQ(next.dialogs.shown.size(), 1u);
  EXPECT_EQ(Offered(next), QStringLiteral("130"));
}

TEST_F(LedgerFiles, ReadOnlyFoldersOfferTheSettingsAndTellTheFailedSave) {
  const SmallDisk config(Config());
  const SmallDisk data(Data());
  if (!config.Mounted() || !data.Mounted()) GTEST_SKIP() << "no tmpfs can be mounted here";
  SavedThenKilledAt(150, 170);  // the journal is the newer
  ASSERT_TRUE(config.MakeReadOnly() && data.MakeReadOnly());
  PlayerRun run(Config(), Data());
  run.Start();
  // A journal that cannot be written would offer its 170 at every start.
  EXPECT_EQ(run.dialogs.shown.size(), 2u);  // the question, then why the history is off
  EXPECT_EQ(Offered(run), QStringLiteral("150"));
  run.Play(160);
  EXPECT_FALSE(run.Exit());
  EXPECT_EQ(SaveFailedText(run.values, run.services),
            QStringLiteral("Your balance of 160 credits could not be saved in the settings file "
                           "(the file is read-only).  The next start will offer 150 credits, the "
                           "balance saved before."));
}

// A binary file saved over the settings: kept aside, said once, replaced at
// the end; the history's balance is the one offered meanwhile.
TEST_F(LedgerFiles, ASettingsFileThatIsNotTextIsKeptAsideAndReplaced) {
  SavedThenKilledAt(150, 170);
  const QString ini = Config() + QStringLiteral("/ZEB.INI");
  const QByteArray binary("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16);
  {
    QFile file(ini);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(binary) == binary.size());
  }
  PlayerRun run(Config(), Data());
  run.Start();
  const QString aside = run.profile.MovedAsideTo();
  ASSERT_FALSE(aside.isEmpty());
  ASSERT_GE(run.dialogs.shown.size(), 2u);
  EXPECT_EQ(run.dialogs.shown[0].text,
            QStringLiteral("The settings file was not a text file, so it could not be read.  It "
                           "has been kept as %1, and a new one is started.")
                .arg(aside));
  EXPECT_EQ(Offered(run), QStringLiteral("170"));
  QFile kept(aside);
  ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
  EXPECT_EQ(kept.readAll(), binary);
  EXPECT_TRUE(run.Exit());
  PlayerRun next(Config(), Data());
  next.Start();
  EXPECT_EQ(next.dialogs.shown.size(), 1u);  // the question alone
  EXPECT_EQ(Offered(next), QStringLiteral("170"));
}

TEST_F(LedgerFiles, ARunKilledWithNoCreditsLeftStartsANewGame) {
  SavedThenKilledAt(150, 0);
  PlayerRun next(Config(), Data());
  next.Start();
  EXPECT_EQ(Offered(next), QStringLiteral("nothing"));
  EXPECT_EQ(next.values.credits, 100);
  EXPECT_EQ(next.values.borrowed, 100);
}

}  // namespace
}  // namespace lynx
