#include "shell/settings.h"

#include <QCoreApplication>
#include <QDir>
#include <QLocale>
#include <QStringList>
#include <algorithm>
#include <limits>
#include <optional>

#include "platform/history_store.h"

namespace lynx {

std::int64_t ParseLeadingNumber(const QString& text) {
  qsizetype i = 0;
  const qsizetype n = text.size();
  while (i < n && (text[i] == QLatin1Char(' ') || text[i] == QLatin1Char('\t'))) ++i;
  bool negative = false;
  if (i < n && (text[i] == QLatin1Char('+') || text[i] == QLatin1Char('-'))) {
    negative = text[i] == QLatin1Char('-');
    ++i;
  }
  // Accumulate towards the sign so that the most negative value fits too.
  constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max();
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  std::int64_t value = 0;
  for (; i < n && text[i] >= QLatin1Char('0') && text[i] <= QLatin1Char('9'); ++i) {
    const int digit = text[i].unicode() - u'0';
    if (negative) {
      if (value < (kMin + digit) / 10) return kMin;
      value = value * 10 - digit;
    } else {
      if (value > (kMax - digit) / 10) return kMax;
      value = value * 10 + digit;
    }
  }
  return value;
}

std::int32_t ClampToInt32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

std::int16_t ClampLargeCards(std::int64_t value) {
  if (value <= 0) return 0;
  return 1;
}

namespace {

std::int64_t ReadNumber(ProfileFile& profile, const QString& key,
                        const QString& section = kSettingsSection) {
  return ParseLeadingNumber(profile.ReadString(section, key, QStringLiteral("0")));
}

// The three keys and the change number, in one write; credits as given.
bool WriteBalance(const ProgramValues& values, Services& services, std::int32_t credits,
                  bool historyBehind) {
  ProfileFile::Entries ledger{{kChangeKey, QString::number(values.ledgerChange)}};
  // The mark is written when set, and cleared only where a file has it.
  if (historyBehind || ReadNumber(services.profile, kHistoryBehindKey, kLedgerSection) != 0)
    ledger.push_back(
        {kHistoryBehindKey, historyBehind ? QStringLiteral("1") : QStringLiteral("0")});
  return services.profile.WriteSections({{kSettingsSection,
                                          {{kCreditsKey, QString::number(credits)},
                                           {kBorrowedKey, QString::number(values.borrowed)},
                                           {kLargeCardsKey, QString::number(values.largeCards)}}},
                                         {kLedgerSection, ledger}});
}

// The credits with the stakes in play given back, within the meter's range.
std::int32_t CreditsWithStakes(const ProgramValues& values) {
  return ClampToInt32(std::int64_t{values.credits} + values.stakesInPlay);
}

}  // namespace

SavedBalance NewestSavedBalance(ProfileFile& profile, HistoryStore& history) {
  SavedBalance saved;
  saved.creditsRead = ReadNumber(profile, kCreditsKey);
  saved.credits = ClampToInt32(saved.creditsRead);
  // A number is only a number when the text starts with a digit. One past
  // the counter's range was edited by hand: counting on from it would stop at
  // the limit, where every later change ties with the file and loses to it.
  // Such a file is as damaged as one without a number.
  const QString changeText = profile.ReadString(kLedgerSection, kChangeKey, QString()).trimmed();
  std::optional<std::int64_t> settingsChange;
  if (!changeText.isEmpty() && changeText[0].isDigit()) {
    const std::int64_t change = ParseLeadingNumber(changeText);
    if (change <= kLargestLedgerChange) settingsChange = change;
  }
  saved.change = settingsChange.value_or(0);

  const std::optional<JournaledBalance> journal = history.Balance();
  if (!journal) return saved;
  const bool journalNewer =
      settingsChange ? journal->change > *settingsChange : !journal->endedCleanly;
  // Its credits hold the stakes of the hands left dealt: those go, also on a
  // tie (the history's last writes landed as the program closed).
  saved.dropJournalHands =
      !journalNewer && ReadNumber(profile, kHistoryBehindKey, kLedgerSection) != 0;
  if (journal->change <= kLargestLedgerChange)
    saved.change = std::max(saved.change, journal->change);
  if (!journalNewer) return saved;
  saved.credits = journal->credits;
  saved.borrowed = journal->borrowed;
  saved.fromJournal = true;
  saved.runEndedCleanly = journal->endedCleanly;
  saved.settingsUnsaved = journal->settingsUnsaved;
  return saved;
}

namespace {

// One sentence for a value of the settings file outside what the program
// keeps there, or nothing when it is inside.
QString OutOfRange(const QString& key, std::int64_t read, std::int64_t used) {
  if (read == used) return {};
  return QCoreApplication::translate(
             "lynx::Settings",
             "The settings file held %1 for %2, which is out of range; %3 is used instead.")
      .arg(QLocale::c().toString(static_cast<qlonglong>(read)), key,
           QLocale::c().toString(static_cast<qlonglong>(used)));
}

}  // namespace

bool LoadSettings(ProgramValues& values, Services& services, QWidget* parent) {
  const std::int64_t largeCards = ReadNumber(services.profile, kLargeCardsKey);
  values.largeCards = ClampLargeCards(largeCards);
  // Said once: the next save writes the values as they are used.
  QStringList corrected;
  corrected << OutOfRange(kLargeCardsKey, largeCards, values.largeCards);
  if (const QString aside = services.profile.MovedAsideTo(); !aside.isEmpty()) {
    services.dialogs.Info(
        parent, QString::fromStdString(values.programTitle),
        QCoreApplication::translate("lynx::Settings",
                                    "The settings file was not a text file, so it could not be "
                                    "read.  It has been kept as %1, and a new one is started.")
            .arg(QDir::toNativeSeparators(aside)));
  }
  const auto tellCorrected = [&] {
    corrected.removeAll(QString());
    if (!corrected.isEmpty())
      services.dialogs.Info(parent, QString::fromStdString(values.programTitle),
                            corrected.join(QStringLiteral("  ")));
  };

  const SavedBalance saved = NewestSavedBalance(services.profile, services.history);
  values.ledgerChange = saved.change;
  if (saved.fromJournal) {
    const QString opening =
        saved.settingsUnsaved ? QStringLiteral(
                                    "The settings file could not be written when LYNX Video Poker "
                                    "last ended.  ")
        : saved.runEndedCleanly
            ? QStringLiteral("The settings file holds an older balance than the game history.  ")
            : QStringLiteral("LYNX Video Poker did not close normally the last time it ran.  ");
    const QString text =
        saved.credits > 0
            ? QStringLiteral("Your balance of ") + QString::number(saved.credits) +
                  QStringLiteral(
                      " credits, as it stood after your last bet or game, has been "
                      "restored.")
            : QStringLiteral("Your balance, as it stood after your last bet or game, was ") +
                  QString::number(saved.credits) +
                  QStringLiteral(" credits, so a new game starts.");
    services.dialogs.Info(parent, QString::fromStdString(values.programTitle), opening + text);
  }
  if (saved.credits <= 0) {
    tellCorrected();
    return saved.dropJournalHands;
  }
  const QString question =
      QStringLiteral("The last time you played LYNX Video Poker, you had ") +
      QString::number(saved.credits) +
      QStringLiteral(
          " credits.  Would you like to resume your last game?  (Click NO to start a new game)");
  if (!services.dialogs.Ask(parent, QStringLiteral("Resume Saved Game?"), question)) {
    tellCorrected();
    return true;
  }
  values.credits = saved.credits;
  if (saved.borrowed) {
    values.borrowed = *saved.borrowed;
  } else {
    // The loan is a part of the balance: never below nothing.
    const std::int64_t borrowed = ReadNumber(services.profile, kBorrowedKey);
    values.borrowed = std::max(0, ClampToInt32(borrowed));
    corrected << OutOfRange(kCreditsKey, saved.creditsRead, values.credits)
              << OutOfRange(kBorrowedKey, borrowed, values.borrowed);
  }
  tellCorrected();
  return saved.dropJournalHands;
}

bool SaveSettings(ProgramValues& values, Services& services, QWidget* parent, bool askQuestions) {
  if (askQuestions && values.credits > values.borrowed && values.borrowed > 0) {
    const QString question =
        QStringLiteral("You have ") + QString::number(values.credits) +
        QStringLiteral(" credits of which ") + QString::number(values.borrowed) +
        QStringLiteral(" are borrowed.  Would you like to pay-off your loan balance?");
    if (services.dialogs.Ask(parent, QStringLiteral("Pay-Off Loan"), question)) {
      values.credits -= values.borrowed;
      values.borrowed = 0;
    }
  }
  // One write for all three keys and the change number, so that no end of
  // the program can leave a new balance beside an old loan or an old number.
  // The save is a change of its own: the journal, written after it with the
  // same number, then ties with it.
  NextLedgerChange(values);
  const bool behind = services.history.WritesWaiting();
  return WriteBalance(values, services, behind ? CreditsWithStakes(values) : values.credits,
                      behind);
}

bool KeepBalanceWhileHistoryWaits(const ProgramValues& values, Services& services) {
  if (!services.history.WritesWaiting()) return true;
  return WriteBalance(values, services, CreditsWithStakes(values), true);
}

QString SaveFailedText(const ProgramValues& values, Services& services) {
  const QString why = services.profile.WriteProblem();
  QString text = QStringLiteral("Your balance of ") + QString::number(values.credits) +
                 QStringLiteral(" credits could not be saved in the settings file") +
                 (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')) +
                 QStringLiteral(".  ");
  const SavedBalance next = NewestSavedBalance(services.profile, services.history);
  if (next.fromJournal && next.credits == values.credits) {
    text += QStringLiteral("The game history keeps it: the next start will offer ") +
            QString::number(next.credits) + QStringLiteral(" credits.");
  } else if (next.credits > 0) {
    text +=
        QStringLiteral("The next start will offer ") + QString::number(next.credits) +
        (next.credits == values.credits ? QStringLiteral(" credits.")
                                        : QStringLiteral(" credits, the balance saved before."));
  } else {
    text += QStringLiteral("The next start will begin a new game.");
  }
  return text;
}

}  // namespace lynx
