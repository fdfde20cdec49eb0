#pragma once
// The saved game: the credit balance, its loan part and the card-size switch
// kept between runs in section "Settings" of the profile file.

#include <QString>
#include <cstdint>

#include "common/program_values.h"
#include "platform/services.h"

class QWidget;

namespace lynx {

inline const QString kSettingsSection = QStringLiteral("Settings");
inline const QString kCreditsKey = QStringLiteral("Credits");
inline const QString kBorrowedKey = QStringLiteral("Borrowed");
inline const QString kLargeCardsKey = QStringLiteral("LargeCards");

// The leading number of a profile value: leading blanks (spaces, tabs) are
// skipped, then an optional sign and decimal digits are read; the rest is
// ignored. Text without a numeric start gives 0. The whole value is read, and
// a number beyond 64 bits saturates at the 64-bit limits.
std::int64_t ParseLeadingNumber(const QString& text);

// Clamps a parsed value into what the program itself writes: 32-bit credits,
// and 0 or 1 for the card-size switch (negative gives 0, above 1 gives 1).
std::int32_t ClampToInt32(std::int64_t value);
std::int16_t ClampLargeCards(std::int64_t value);

// Load: runs once at start-up, before any window is visible. Restores
// LargeCards; when the saved credits are above 0, asks whether to resume and
// on Yes restores Credits and Borrowed. When the history journal says the last
// run ended without its save, its balance is the saved one, and the player is
// told so first. parent may be null. True when a saved game was offered and
// declined.
bool LoadSettings(ProgramValues& values, Services& services, QWidget* parent);

// Save: runs once at exit. When Credits > Borrowed > 0 and askQuestions is
// true, offers to pay off the loan first. Then writes Credits, Borrowed and
// LargeCards, in that order and in one write, whether or not anything was
// asked. A write that fails is not reported (the file keeps what it had).
void SaveSettings(ProgramValues& values, Services& services, QWidget* parent, bool askQuestions);

}  // namespace lynx
