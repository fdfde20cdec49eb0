#pragma once
// The saved game: the credit balance, its loan part and the card-size switch
// kept between runs in section "Settings" of the profile file.

#include <QString>
#include <cstdint>
#include <optional>

#include "common/program_values.h"
#include "platform/services.h"

class QWidget;

namespace lynx {

inline const QString kSettingsSection = QStringLiteral("Settings");
inline const QString kCreditsKey = QStringLiteral("Credits");
inline const QString kBorrowedKey = QStringLiteral("Borrowed");
inline const QString kLargeCardsKey = QStringLiteral("LargeCards");
// The number of the balance change the file holds, in a section of its own so
// that [Settings] keeps exactly its three keys.
inline const QString kLedgerSection = QStringLiteral("Ledger");
inline const QString kChangeKey = QStringLiteral("Change");
// Set to 1 by a save made while the history's writes waited for another
// program's lock: the history may lag behind this file, and its hands left
// dealt may have been settled since; their stakes are in this file's credits.
inline const QString kHistoryBehindKey = QStringLiteral("HistoryBehind");
// The largest change number a store may hold: a million changes a second
// would take over thirty years to reach it. A larger one is damage.
constexpr std::int64_t kLargestLedgerChange = 1'000'000'000'000'000;

// The leading number of a profile value: leading blanks (spaces, tabs) are
// skipped, then an optional sign and decimal digits are read; the rest is
// ignored. Text without a numeric start gives 0. The whole value is read, and
// a number beyond 64 bits saturates at the 64-bit limits.
std::int64_t ParseLeadingNumber(const QString& text);

// Clamps a parsed value into what the program itself writes: 32-bit credits,
// and 0 or 1 for the card-size switch (negative gives 0, above 1 gives 1).
std::int32_t ClampToInt32(std::int64_t value);
std::int16_t ClampLargeCards(std::int64_t value);

// The saved balance a start goes on from: the settings file's, or the history
// journal's when that holds a newer change of the balance.
//  - Both keep the number of the change they hold: the greater number wins; on
//    a tie the settings file does (both then hold the same balance).
//  - A settings file without a number (edited by hand, or written by a version
//    that kept none), or with one above kLargestLedgerChange, cannot be compared: the journal wins
//    only when its run did not end through the save, as before the numbers were kept.
//  - A journal the history store does not offer (no file, a file it cannot
//    write) never wins. A balance of 0 or below is a balance like any other.
struct SavedBalance {
  std::int32_t credits = 0;
  std::int64_t creditsRead = 0;  // the settings file's number, before clamping
  // The loan part, known when the journal won; from the settings file it is
  // read only when the game is resumed.
  std::optional<std::int32_t> borrowed;
  std::int64_t change = 0;  // the newest change number either store holds
  bool fromJournal = false;
  bool runEndedCleanly = true;   // of the journal's run, when it won
  bool settingsUnsaved = false;  // that run ended, but its save failed
  // The settings file, saved while the history's writes waited on a lock,
  // won: the history's hands left dealt may be out of date (settled since)
  // and the file's credits hold their stakes; they must be dropped.
  bool dropJournalHands = false;
};
SavedBalance NewestSavedBalance(ProfileFile& profile, HistoryStore& history);

// Load: runs once at start-up, before any window is visible. Restores
// LargeCards and the change number; when the newest saved credits are above
// 0, asks whether to resume and on Yes restores Credits and Borrowed. When the
// journal's balance won, the player is told so first. parent may be null.
// True when the hands left dealt in the history must be dropped: a saved game
// was offered and declined, or the history lagged behind the settings file.
bool LoadSettings(ProgramValues& values, Services& services, QWidget* parent);

// Save: runs once at exit. When Credits > Borrowed > 0 and askQuestions is
// true, offers to pay off the loan first. Then writes Credits, Borrowed and
// LargeCards, in that order, and the next change number (kept in
// values.ledgerChange), in one write, whether or not anything was asked.
// False when the file could not be written (it keeps what it had).
// While the history's writes wait for a lock, the credits are written with
// the stakes in play given back and HistoryBehind set (see
// KeepBalanceWhileHistoryWaits).
bool SaveSettings(ProgramValues& values, Services& services, QWidget* parent, bool askQuestions);

// While the history's writes wait for another program's lock: writes the
// balance (with the stakes in play given back, since the hands they are on
// are dropped at the next start), the card size, the change number and
// HistoryBehind=1, so that a kill now loses no credit. Does nothing while
// the history writes. False when the file could not be written.
bool KeepBalanceWhileHistoryWaits(const ProgramValues& values, Services& services);

// What to tell the player when the save at exit failed: why, and what the
// next start will offer (read from the stores as they are now).
QString SaveFailedText(const ProgramValues& values, Services& services);

}  // namespace lynx
