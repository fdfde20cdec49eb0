// Finding the data folder and data files whatever the case of their names.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/data_dir.h"

namespace lynx {
namespace {

void Touch(const QString& path) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
}

TEST(DataDirTest, FindFileNoCase) {
  QTemporaryDir dir;
  const QString d = dir.path();
  Touch(d + "/Snd0.WAV");
  Touch(d + "/zeb.hlp");
  ASSERT_TRUE(QDir(d).mkdir("SND2.WAV"));  // a folder is not a data file

  EXPECT_EQ(FindFileNoCase(d, "SND0.WAV"), d + "/Snd0.WAV");
  EXPECT_EQ(FindFileNoCase(d, "snd0.wav"), d + "/Snd0.WAV");
  EXPECT_EQ(FindFileNoCase(d, "ZEB.HLP"), d + "/zeb.hlp");
  EXPECT_EQ(FindFileNoCase(d + "/", "Zeb.Hlp"), d + "/zeb.hlp");
  EXPECT_EQ(FindFileNoCase(d, "SND2.WAV"), "");
  EXPECT_EQ(FindFileNoCase(d, "SND0.WA"), "");
  EXPECT_EQ(FindFileNoCase(d + "/missing", "SND0.WAV"), "");
  EXPECT_EQ(FindFileNoCase("", "SND0.WAV"), "");

  // With two spellings on disk, the exact one wins.
  Touch(d + "/SND0.WAV");
  EXPECT_EQ(FindFileNoCase(d, "SND0.WAV"), d + "/SND0.WAV");
  EXPECT_EQ(FindFileNoCase(d, "Snd0.WAV"), d + "/Snd0.WAV");
}

TEST(DataDirTest, ExecutableFolderWhenItHoldsTheSounds) {
  QTemporaryDir dir;
  const QString bin = dir.path() + "/bin";
  ASSERT_TRUE(QDir().mkpath(bin));
  // Without the card sound: the installed share folder beside bin.
  EXPECT_EQ(FindDataDirectory(bin), dir.path() + "/share/lynx-video-poker");
  EXPECT_EQ(FindDataDirectory(bin + "/"), dir.path() + "/share/lynx-video-poker");
  Touch(bin + "/SND0.WAV");  // the win sound alone does not count
  EXPECT_EQ(FindDataDirectory(bin), dir.path() + "/share/lynx-video-poker");
  Touch(bin + "/snd2.wav");
  EXPECT_EQ(FindDataDirectory(bin), bin);
  EXPECT_EQ(FindDataDirectory(bin + "/"), bin);
  EXPECT_EQ(FindDataDirectory("/usr/bin"), "/usr/share/lynx-video-poker");
}

}  // namespace
}  // namespace lynx
