#include "shell/settings.h"

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

bool LoadSettings(ProgramValues& values, Services& services, QWidget* parent) {
  values.largeCards = ClampLargeCards(ReadNumber(services.profile, kLargeCardsKey));

  std::int32_t saved = ClampToInt32(ReadNumber(services.profile, kCreditsKey));
  // A run that ended without its save (killed, crashed, the power gone) left
  // a balance in the history journal that is newer than the settings file.
  std::optional<std::int32_t> journaledBorrowed;
  const std::optional<JournaledBalance> journal = services.history.Balance();
  if (journal && !journal->endedCleanly && journal->credits > 0) {
    saved = journal->credits;
    journaledBorrowed = journal->borrowed;
    services.dialogs.Info(parent, values.programTitle,
                          QStringLiteral("LYNX Video Poker did not close normally the last time it "
                                         "ran.  Your balance of ") +
                              QString::number(saved) +
                              QStringLiteral(" credits, as it stood after your last bet or game, "
                                             "has been restored."));
  }
  if (saved <= 0) return false;
  const QString question =
      QStringLiteral("The last time you played LYNX Video Poker, you had ") +
      QString::number(saved) +
      QStringLiteral(
          " credits.  Would you like to resume your last game?  (Click NO to start a new game)");
  if (!services.dialogs.Ask(parent, QStringLiteral("Resume Saved Game?"), question)) return true;
  values.credits = saved;
  values.borrowed = journaledBorrowed ? *journaledBorrowed
                                      : ClampToInt32(ReadNumber(services.profile, kBorrowedKey));
  return false;
}

void SaveSettings(ProgramValues& values, Services& services, QWidget* parent, bool askQuestions) {
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
  // One write for all three keys, so that no end of the program can leave a
  // new balance beside an old loan. A failed write keeps the old file whole.
  services.profile.WriteStrings(kSettingsSection,
                                {{kCreditsKey, QString::number(values.credits)},
                                 {kBorrowedKey, QString::number(values.borrowed)},
                                 {kLargeCardsKey, QString::number(values.largeCards)}});
}

}  // namespace lynx
