#pragma once
// The two sounds of the table: 16-bit mono PCM at 22050 Hz.

#include <QString>

namespace lynx::art {

constexpr int kSampleRate = 22050;

// The card snap (about 120 ms) played as each card turns face up.
void WriteCardSound(const QString& path);
// The bright win chime (about 0.8 s).
void WriteWinSound(const QString& path);

}  // namespace lynx::art
