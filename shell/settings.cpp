#include "shell/settings.h"

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

std::int64_t ReadNumber(ProfileFile& profile, const QString& key) {
  return ParseLeadingNumber(profile.ReadString(kSettingsSection, key, QStringLiteral("0")));
}

}  // namespace

SavedBalance NewestSavedBalance(ProfileFile& profile, HistoryStore& history) {
  SavedBalance saved;
  saved.credits = ClampToInt32(ReadNumber(profile, kCreditsKey));
  // A number is only a number when the text starts with a digit.
  const QString changeText = profile.ReadString(kLedgerSection, kChangeKey, QString()).trimmed();
  std::optional<std::int64_t> settingsChange;
  if (!changeText.isEmpty() && changeText[0].isDigit())
    settingsChange = ParseLeadingNumber(changeText);
  saved.change = settingsChange.value_or(0);

  const std::optional<JournaledBalance> journal = history.Balance();
  if (!journal) return saved;
  const bool journalNewer =
      settingsChange ? journal->change > *settingsChange : !journal->endedCleanly;
  saved.change = std::max(saved.change, journal->change);
  if (!journalNewer) return saved;
  saved.credits = journal->credits;
  saved.borrowed = journal->borrowed;
  saved.fromJournal = true;
  saved.runEndedCleanly = journal->endedCleanly;
  saved.settingsUnsaved = journal->settingsUnsaved;
  return saved;
}

bool LoadSettings(ProgramValues& values, Services& services, QWidget* parent) {
  values.largeCards = ClampLargeCards(ReadNumber(services.profile, kLargeCardsKey));

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
    services.dialogs.Info(parent, values.programTitle, opening + text);
  }
  if (saved.credits <= 0) return false;
  const QString question =
      QStringLiteral("The last time you played LYNX Video Poker, you had ") +
      QString::number(saved.credits) +
      QStringLiteral(
          " credits.  Would you like to resume your last game?  (Click NO to start a new game)");
  if (!services.dialogs.Ask(parent, QStringLiteral("Resume Saved Game?"), question)) return true;
  values.credits = saved.credits;
  values.borrowed =
      saved.borrowed ? *saved.borrowed : ClampToInt32(ReadNumber(services.profile, kBorrowedKey));
  return false;
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
  return services.profile.WriteSections(
      {{kSettingsSection,
        {{kCreditsKey, QString::number(values.credits)},
         {kBorrowedKey, QString::number(values.borrowed)},
         {kLargeCardsKey, QString::number(values.largeCards)}}},
       {kLedgerSection, {{kChangeKey, QString::number(values.ledgerChange)}}}});
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
