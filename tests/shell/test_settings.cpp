// The saved game between runs: the resume question at start, the loan
// question at exit, the three writes, and values a hand-edited file may hold.
#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <limits>

#include "platform/ini_profile.h"
#include "shell/settings.h"
#include "tests/support/fakes.h"

namespace lynx {
namespace {

const QString kResumeTitle = QStringLiteral("Resume Saved Game?");
const QString kPayOffTitle = QStringLiteral("Pay-Off Loan");

QString ResumeText(const QString& credits) {
  return QStringLiteral("The last time you played LYNX Video Poker, you had ") + credits +
         QStringLiteral(
             " credits.  Would you like to resume your last game?  (Click NO to start a new game)");
}

QString PayOffText(int credits, int borrowed) {
  return QStringLiteral(
             "You have %1 credits of which %2 are borrowed.  Would you like to "
             "pay-off your loan balance?")
      .arg(credits)
      .arg(borrowed);
}

class SettingsTest : public testing::Test {
 protected:
  void Saved(const char* credits, const char* borrowed, const char* largeCards) {
    if (credits)
      fake.profile.values[QStringLiteral("settings/credits")] = QString::fromLatin1(credits);
    if (borrowed)
      fake.profile.values[QStringLiteral("settings/borrowed")] = QString::fromLatin1(borrowed);
    if (largeCards)
      fake.profile.values[QStringLiteral("settings/largecards")] = QString::fromLatin1(largeCards);
  }
  QString Stored(const char* key) const {
    return fake.profile.values.value(QStringLiteral("settings/") + QLatin1String(key));
  }
  using Writes = std::vector<std::pair<QString, QString>>;
  static Writes ThreeWrites(const char* credits, const char* borrowed, const char* largeCards) {
    return {{QStringLiteral("Credits"), QString::fromLatin1(credits)},
            {QStringLiteral("Borrowed"), QString::fromLatin1(borrowed)},
            {QStringLiteral("LargeCards"), QString::fromLatin1(largeCards)}};
  }

  FakeServices fake;
  ProgramValues values;  // 100 credits, 100 borrowed, small cards
};

TEST(ParseLeadingNumber, ReadsTheLeadingNumberOfTheWholeValue) {
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("245")), 245);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("  \t-17")), -17);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("+8")), 8);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("12abc")), 12);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("3.9")), 3);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("1 2")), 1);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("abc")), 0);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("")), 0);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("-")), 0);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("- 5")), 0);
  // Not cut after 9 characters.
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("1234567890")), 1234567890);
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("   1234567")), 1234567);
  // Beyond 64 bits the value saturates instead of wrapping.
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("9223372036854775807")),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("9223372036854775808")),
            std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("-9223372036854775808")),
            std::numeric_limits<std::int64_t>::min());
  EXPECT_EQ(ParseLeadingNumber(QStringLiteral("-99999999999999999999999")),
            std::numeric_limits<std::int64_t>::min());
}

TEST(ClampSettings, KeepsValuesInsideWhatTheProgramWrites) {
  EXPECT_EQ(ClampToInt32(2147483647), 2147483647);
  EXPECT_EQ(ClampToInt32(2147483648LL), 2147483647);
  EXPECT_EQ(ClampToInt32(-2147483648LL), -2147483647 - 1);
  EXPECT_EQ(ClampToInt32(-2147483649LL), -2147483647 - 1);
  EXPECT_EQ(ClampLargeCards(0), 0);
  EXPECT_EQ(ClampLargeCards(1), 1);
  EXPECT_EQ(ClampLargeCards(2), 1);
  EXPECT_EQ(ClampLargeCards(65536), 1);  // a 16-bit cut would give 0
  EXPECT_EQ(ClampLargeCards(-1), 0);
}

TEST_F(SettingsTest, EmptyFileStartsANewGameWithoutAQuestion) {
  LoadSettings(values, fake.services, nullptr);
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(values.credits, 100);
  EXPECT_EQ(values.borrowed, 100);
  EXPECT_EQ(values.largeCards, 0);
  // LargeCards is read first, then Credits and its change number; Borrowed
  // only after a Yes.
  EXPECT_EQ(fake.profile.reads, (QStringList{QStringLiteral("LargeCards"),
                                             QStringLiteral("Credits"), QStringLiteral("Change")}));
}

TEST_F(SettingsTest, ResumeYesRestoresCreditsAndBorrowed) {
  Saved("150", "0", "1");
  fake.dialogs.answers = {true};
  LoadSettings(values, fake.services, nullptr);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0],
            (ShownDialog{DialogIcon::Question, kResumeTitle, ResumeText(QStringLiteral("150"))}));
  EXPECT_EQ(values.credits, 150);
  EXPECT_EQ(values.borrowed, 0);
  EXPECT_EQ(values.largeCards, 1);
  EXPECT_EQ(fake.profile.reads,
            (QStringList{QStringLiteral("LargeCards"), QStringLiteral("Credits"),
                         QStringLiteral("Change"), QStringLiteral("Borrowed")}));

  // No loan: no pay-off question at the next exit.
  SaveSettings(values, fake.services, nullptr, true);
  EXPECT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.profile.writes, ThreeWrites("150", "0", "1"));
}

TEST_F(SettingsTest, ResumeNoKeepsTheStartValuesAndTheNextSaveOverwritesTheOldGame) {
  Saved("245", "100", "1");
  fake.dialogs.answers = {false};
  LoadSettings(values, fake.services, nullptr);
  ASSERT_EQ(fake.dialogs.shown.size(), 1u);
  EXPECT_EQ(fake.dialogs.shown[0].text, ResumeText(QStringLiteral("245")));
  EXPECT_EQ(values.credits, 100);
  EXPECT_EQ(values.borrowed, 100);
  EXPECT_EQ(values.largeCards, 1);                      // restored whatever the answer
  EXPECT_EQ(Stored("credits"), QStringLiteral("245"));  // untouched until the save

  SaveSettings(values, fake.services, nullptr, true);
  EXPECT_EQ(fake.dialogs.shown.size(), 1u);  // 100 of 100 borrowed: no question
  EXPECT_EQ(Stored("credits"), QStringLiteral("100"));
  EXPECT_EQ(Stored("borrowed"), QStringLiteral("100"));
}

TEST_F(SettingsTest, NoResumeQuestionForZeroNegativeOrTextCredits) {
  for (const char* credits : {"0", "-5", "none", "", "  -0"}) {
    FakeServices local;
    local.profile.values[QStringLiteral("settings/credits")] = QString::fromLatin1(credits);
    local.profile.values[QStringLiteral("settings/largecards")] = QStringLiteral("x");
    ProgramValues v;
    LoadSettings(v, local.services, nullptr);
    EXPECT_TRUE(local.dialogs.shown.empty()) << credits;
    EXPECT_EQ(v.credits, 100) << credits;
    EXPECT_EQ(v.borrowed, 100) << credits;
    EXPECT_EQ(v.largeCards, 0) << credits;
  }
}

TEST_F(SettingsTest, LongAndOutOfRangeValuesAreReadWholeAndClamped) {
  // A ten-digit balance is read whole (not its first nine characters).
  Saved("1234567890", "  987654321x", "7");
  fake.dialogs.answers = {true};
  LoadSettings(values, fake.services, nullptr);
  EXPECT_EQ(fake.dialogs.shown.at(0).text, ResumeText(QStringLiteral("1234567890")));
  EXPECT_EQ(values.credits, 1234567890);
  EXPECT_EQ(values.borrowed, 987654321);
  EXPECT_EQ(values.largeCards, 1);
  // What was brought into range is said once, after the question.
  ASSERT_EQ(fake.dialogs.shown.size(), 2u);
  EXPECT_EQ(fake.dialogs.shown[1],
            (ShownDialog{DialogIcon::Information, QStringLiteral("LYNX Video Poker"),
                         QStringLiteral("The settings file held 7 for LargeCards, which is out of "
                                        "range; 1 is used instead.")}));

  // Beyond 32 bits: clamped to the largest balance, not wrapped to a negative one.
  FakeServices big;
  big.profile.values[QStringLiteral("settings/credits")] = QStringLiteral("99999999999");
  big.profile.values[QStringLiteral("settings/borrowed")] = QStringLiteral("-99999999999");
  big.profile.values[QStringLiteral("settings/largecards")] = QStringLiteral("-3");
  big.dialogs.answers = {true};
  ProgramValues v;
  LoadSettings(v, big.services, nullptr);
  EXPECT_EQ(big.dialogs.shown.at(0).text, ResumeText(QStringLiteral("2147483647")));
  EXPECT_EQ(v.credits, 2147483647);
  EXPECT_EQ(v.borrowed, 0);  // a loan is never below nothing
  EXPECT_EQ(v.largeCards, 0);
  ASSERT_EQ(big.dialogs.shown.size(), 2u);
  EXPECT_EQ(big.dialogs.shown[1].text,
            "The settings file held -3 for LargeCards, which is out of range; 0 is used instead.  "
            "The settings file held 99999999999 for Credits, which is out of range; 2147483647 is "
            "used instead.  The settings file held -99999999999 for Borrowed, which is out of "
            "range; 0 is used instead.");
  // Declined, only the card size is told.
  FakeServices declined;
  declined.profile.values = big.profile.values;
  declined.dialogs.answers = {false};
  ProgramValues d;
  LoadSettings(d, declined.services, nullptr);
  ASSERT_EQ(declined.dialogs.shown.size(), 2u);
  EXPECT_EQ(declined.dialogs.shown[1].text,
            "The settings file held -3 for LargeCards, which is out of range; 0 is used instead.");

  // 4294967396 would wrap to 100 as a 32-bit cut.
  FakeServices wrap;
  wrap.profile.values[QStringLiteral("settings/credits")] = QStringLiteral("4294967396");
  wrap.dialogs.answers = {true};
  ProgramValues w;
  LoadSettings(w, wrap.services, nullptr);
  EXPECT_EQ(w.credits, 2147483647);
}

TEST_F(SettingsTest, PayOffQuestionOnlyWhenCreditsAboveAPositiveLoan) {
  struct Case {
    int credits, borrowed;
    bool asked;
    bool answer;
    const char* savedCredits;
    const char* savedBorrowed;
  };
  const Case cases[] = {
      {250, 100, true, true, "150", "0"},     // Yes pays the loan off
      {250, 100, true, false, "250", "100"},  // No keeps both
      {100, 100, false, true, "100", "100"},  // break-even: no question
      {500, 0, false, true, "500", "0"},      // no loan
      {60, 100, false, true, "60", "100"},    // lost part of the loan
      {101, 100, true, true, "1", "0"},      {5, -3, false, true, "5", "-3"},
  };
  for (const Case& c : cases) {
    FakeServices local;
    local.dialogs.answers = {c.answer};
    ProgramValues v;
    v.credits = c.credits;
    v.borrowed = c.borrowed;
    v.largeCards = 1;
    SaveSettings(v, local.services, nullptr, true);
    SCOPED_TRACE(testing::Message() << c.credits << " of " << c.borrowed);
    if (c.asked) {
      ASSERT_EQ(local.dialogs.shown.size(), 1u);
      EXPECT_EQ(local.dialogs.shown[0], (ShownDialog{DialogIcon::Question, kPayOffTitle,
                                                     PayOffText(c.credits, c.borrowed)}));
    } else {
      EXPECT_TRUE(local.dialogs.shown.empty());
    }
    EXPECT_EQ(local.profile.writes, ThreeWrites(c.savedCredits, c.savedBorrowed, "1"));
  }
}

TEST_F(SettingsTest, ABalanceJournaledByARunThatDiedIsRestoredAndOffered) {
  Saved("150", "100", "1");
  // A clean end: the settings file is the newer, nothing is said.
  fake.history.balance = JournaledBalance{400, 100, true};
  fake.dialogs.answers = {false};
  EXPECT_TRUE(LoadSettings(values, fake.services, nullptr));
  EXPECT_EQ(fake.dialogs.shown.back().text, ResumeText(QStringLiteral("150")));

  // The run was killed after a game that left 320 credits and a loan of 40.
  fake.dialogs.shown.clear();
  fake.history.running = true;
  fake.history.balance = JournaledBalance{320, 40, true};
  fake.dialogs.answers = {true};
  EXPECT_FALSE(LoadSettings(values, fake.services, nullptr));
  ASSERT_EQ(fake.dialogs.shown.size(), 2u);
  EXPECT_EQ(fake.dialogs.shown[0],
            (ShownDialog{DialogIcon::Information, QStringLiteral("LYNX Video Poker"),
                         QStringLiteral("LYNX Video Poker did not close normally the last time it "
                                        "ran.  Your balance of 320 credits, as it stood after "
                                        "your last bet or game, has been restored.")}));
  EXPECT_EQ(fake.dialogs.shown[1].text, ResumeText(QStringLiteral("320")));
  EXPECT_EQ(values.credits, 320);
  EXPECT_EQ(values.borrowed, 40);
  EXPECT_EQ(values.largeCards, 1);
}

TEST_F(SettingsTest, SaveWithoutQuestionsKeepsTheLoan) {
  values.credits = 250;
  values.borrowed = 100;
  fake.dialogs.defaultAnswer = true;
  SaveSettings(values, fake.services, nullptr, false);
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(fake.profile.writes, ThreeWrites("250", "100", "0"));
  EXPECT_EQ(fake.profile.saves, 1);  // all three keys in one write: no half-saved game
}

TEST_F(SettingsTest, AFileThatCannotBeWrittenIsNotReportedAndKeepsItsGame) {
  Saved("777", "50", "1");
  fake.profile.readOnly = true;
  values.credits = 10;
  values.borrowed = 100;
  EXPECT_FALSE(SaveSettings(values, fake.services, nullptr, true));
  EXPECT_TRUE(fake.dialogs.shown.empty());
  EXPECT_EQ(fake.profile.writes, ThreeWrites("10", "100", "0"));
  EXPECT_EQ(Stored("credits"), QStringLiteral("777"));
  EXPECT_EQ(Stored("borrowed"), QStringLiteral("50"));
  EXPECT_EQ(Stored("largecards"), QStringLiteral("1"));
}

TEST(SettingsFile, ReadOnlySettingsFileKeepsItsBytesAndAWritableOneGetsTheKeysAndTheNumber) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("ZEB.INI"));
  const QByteArray before =
      "; my game\r\n[Settings]\r\nCredits=777\r\nBorrowed=50\r\nLargeCards=1\r\n";
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(before);
  }
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
  IniProfileFile ini(path);
  FakeServices fake;
  Services services{fake.dialogs, fake.sound,  ini,         fake.help,
                    fake.screen,  fake.random, fake.history};
  ProgramValues values;
  fake.dialogs.answers = {true};
  LoadSettings(values, services, nullptr);
  EXPECT_EQ(values.credits, 777);
  EXPECT_EQ(values.borrowed, 50);
  EXPECT_EQ(values.largeCards, 1);
  values.credits = 3;
  EXPECT_FALSE(SaveSettings(values, services, nullptr, true));
  EXPECT_EQ(ini.WriteProblem(), QStringLiteral("the file is read-only"));
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), before);
  file.close();

  const QString fresh = dir.filePath(QStringLiteral("new/ZEB.INI"));
  IniProfileFile freshIni(fresh);
  Services freshServices{fake.dialogs, fake.sound,  freshIni,    fake.help,
                         fake.screen,  fake.random, fake.history};
  EXPECT_TRUE(SaveSettings(values, freshServices, nullptr, false));
  EXPECT_EQ(freshIni.WriteProblem(), QString());
  QFile written(fresh);
  ASSERT_TRUE(written.open(QIODevice::ReadOnly));
  // Each save is a change of its own: the failed one was the first.
  EXPECT_EQ(written.readAll(),
            QByteArray("[Settings]\nCredits=3\nBorrowed=50\nLargeCards=1\n[Ledger]\nChange=2\n"));
}

}  // namespace
}  // namespace lynx
