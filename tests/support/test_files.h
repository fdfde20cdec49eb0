#pragma once
// Whole files and games as tests write them and read them back.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>

#include "platform/history_store.h"
#include "tests/support/hand_text.h"

namespace lynx::testing_support {

// The bytes of the file at path, "<missing>" when it cannot be read.
inline QByteArray ReadAll(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return "<missing>";
  return file.readAll();
}

inline void WriteAll(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

// A settled game with its cards as text ("AS AD 7C 8H 2H").
inline GameRecord Game(GameVariant game, int coins, const char* dealt, int held, const char* final,
                       int row, int won, int creditsAfter) {
  GameRecord record;
  record.game = game;
  record.coins = coins;
  record.dealt = H(dealt);
  record.held = held;
  record.final = H(final);
  record.row = row;
  record.won = won;
  record.creditsAfter = creditsAfter;
  return record;
}

}  // namespace lynx::testing_support
