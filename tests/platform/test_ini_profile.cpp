// The settings file keeps a hand-edited file's look: only the written value
// changes, every other byte stays.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <csignal>
#include <cstring>

#include "platform/ini_profile.h"
#include "tests/support/test_files.h"

namespace lynx {
namespace {

using testing_support::ReadAll;
using testing_support::WriteAll;

class IniProfileTest : public testing::Test {
 protected:
  QString PathWith(const QByteArray& bytes) {
    const QString path = dir.filePath(QStringLiteral("ZEB.INI"));
    WriteAll(path, bytes);
    return path;
  }
  QTemporaryDir dir;
};

TEST_F(IniProfileTest, ReadsSectionsAndKeysWithoutRegardToCase) {
  IniProfileFile ini(
      PathWith("; saved game\n"
               "Credits=999\n"  // outside any section
               "[settings]\n"
               "  CREDITS =  245  \n"
               "Borrowed=100\n"
               "Path = a=b = c\n"
               "Long=123456789012345\n"
               "Empty=\n"
               ";LargeCards=1\n"
               "#LargeCards=2\n"
               "[Other]\n"
               "Credits=7\n"
               "[SETTINGS]\n"
               "LargeCards=1\n"
               "Credits=555\n"));
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "0"), "245");
  EXPECT_EQ(ini.ReadString("SETTINGS", "borrowed", "0"), "100");
  EXPECT_EQ(ini.ReadString("Settings", "Path", "0"), "a=b = c");
  EXPECT_EQ(ini.ReadString("Settings", "Long", "0"), "123456789012345");
  EXPECT_EQ(ini.ReadString("Settings", "Empty", "0"), "");
  EXPECT_EQ(ini.ReadString("other", "credits", "0"), "7");
  // Comments are not keys; a later section of the same name is not looked at.
  EXPECT_EQ(ini.ReadString("Settings", "LargeCards", "0"), "0");
  EXPECT_EQ(ini.ReadString("Settings", "Missing", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("Nowhere", "Credits", "dflt"), "dflt");
  EXPECT_EQ(ini.ReadString("", "Credits", "dflt"), "dflt");
}

TEST_F(IniProfileTest, MissingFileReadsDefaults) {
  IniProfileFile ini(dir.filePath("nothing/ZEB.INI"));
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "0"), "0");
  EXPECT_EQ(ini.ReadString("Settings", "Borrowed", "x"), "x");
  EXPECT_FALSE(QFile::exists(dir.filePath("nothing")));  // reading creates nothing
}

TEST_F(IniProfileTest, NewFileGetsTheSectionAndKeysInWriteOrder) {
  const QString path = dir.filePath("sub/folder/ZEB.INI");
  IniProfileFile ini(path);
  EXPECT_TRUE(ini.WriteString("Settings", "Credits", "245"));
  EXPECT_TRUE(ini.WriteString("Settings", "Borrowed", "100"));
  EXPECT_TRUE(ini.WriteString("Settings", "LargeCards", "1"));
  EXPECT_EQ(ReadAll(path), "[Settings]\nCredits=245\nBorrowed=100\nLargeCards=1\n");
  // Writing again changes values only.
  EXPECT_TRUE(ini.WriteString("settings", "credits", "-5"));
  EXPECT_EQ(ReadAll(path), "[Settings]\nCredits=-5\nBorrowed=100\nLargeCards=1\n");
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "0"), "-5");
}

TEST_F(IniProfileTest, ReplacesAValueInPlaceKeepingEverythingElse) {
  const QByteArray before =
      "; LYNX settings\n"
      "\n"
      "Credits=1\n"
      "[Other]\n"
      "credits=2\n"
      "\t[ Settings ]  \n"
      "odd line without equals\n"
      "  cReDiTs = 245 ; old\n"
      "=no key\n"
      "Borrowed=100\n"
      "# caf\xE9 latin-1 comment\n"
      "\n"
      "[Last]\n"
      "x = y   \n";
  const QString path = PathWith(before);
  IniProfileFile ini(path);
  ASSERT_TRUE(ini.WriteString("SETTINGS", "Credits", "300"));
  QByteArray expected = before;
  expected.replace("  cReDiTs = 245 ; old\n", "  cReDiTs=300\n");
  EXPECT_EQ(ReadAll(path), expected);

  ASSERT_TRUE(ini.WriteString("settings", "BORROWED", "0"));
  expected.replace("Borrowed=100\n", "Borrowed=0\n");
  EXPECT_EQ(ReadAll(path), expected);
}

TEST_F(IniProfileTest, NewKeyGoesAfterTheLastKeyOfItsSection) {
  const QString path = PathWith(
      "[Settings]\n"
      "Credits=1\n"
      "; closing comment\n"
      "\n"
      "[Empty]\n"
      "\n"
      "[Other]\n"
      "A=1\n");
  IniProfileFile ini(path);
  ASSERT_TRUE(ini.WriteString("settings", "LargeCards", "1"));
  ASSERT_TRUE(ini.WriteString("EMPTY", "K", "v"));
  ASSERT_TRUE(ini.WriteString("Other", "B", "2"));
  EXPECT_EQ(ReadAll(path),
            "[Settings]\n"
            "Credits=1\n"
            "LargeCards=1\n"
            "; closing comment\n"
            "\n"
            "[Empty]\n"
            "K=v\n"
            "\n"
            "[Other]\n"
            "A=1\n"
            "B=2\n");
}

TEST_F(IniProfileTest, NewSectionGoesAtTheEndOfTheFile) {
  // No line break after the last line: one is added before the new section.
  const QString path = PathWith("top=1\n[Other]\nA=1");
  IniProfileFile ini(path);
  ASSERT_TRUE(ini.WriteString("Settings", "Credits", "5"));
  EXPECT_EQ(ReadAll(path), "top=1\n[Other]\nA=1\n[Settings]\nCredits=5\n");
  // A key outside any section does not count for a section.
  EXPECT_EQ(ini.ReadString("Settings", "top", "0"), "0");
}

TEST_F(IniProfileTest, CrLfFileKeepsCrLf) {
  const QString path = PathWith("[Settings]\r\nCredits=1\r\n; note\r\n[Other]\r\nX=1");
  IniProfileFile ini(path);
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "0"), "1");
  EXPECT_EQ(ini.ReadString("Other", "X", "0"), "1");
  ASSERT_TRUE(ini.WriteString("Settings", "Credits", "2"));
  ASSERT_TRUE(ini.WriteString("Settings", "Borrowed", "3"));
  ASSERT_TRUE(ini.WriteString("Other", "Y", "4"));
  ASSERT_TRUE(ini.WriteString("New", "K", "v"));
  EXPECT_EQ(ReadAll(path),
            "[Settings]\r\nCredits=2\r\nBorrowed=3\r\n; note\r\n[Other]\r\nX=1\r\nY=4\r\n"
            "[New]\r\nK=v\r\n");
}

TEST_F(IniProfileTest, ByteOrderMarkIsKeptAndIgnored) {
  const QString path = PathWith("\xEF\xBB\xBF[Settings]\nCredits=5\n");
  IniProfileFile ini(path);
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "0"), "5");
  ASSERT_TRUE(ini.WriteString("Settings", "Borrowed", "1"));
  EXPECT_EQ(ReadAll(path), "\xEF\xBB\xBF[Settings]\nCredits=5\nBorrowed=1\n");
}

TEST_F(IniProfileTest, WriteKeepsTheFilePermissions) {
  const QString path = PathWith("[Settings]\nCredits=1\n");
  const QFile::Permissions own =
      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadUser | QFile::WriteUser;
  ASSERT_TRUE(QFile::setPermissions(path, own));
  IniProfileFile ini(path);
  ASSERT_TRUE(ini.WriteString("Settings", "Credits", "2"));
  EXPECT_EQ(QFile::permissions(path), own);
}

TEST_F(IniProfileTest, FailedWritesLeaveTheOldFile) {
  const QByteArray before = "[Settings]\nCredits=245\n";
  const QString path = PathWith(before);
  IniProfileFile ini(path);

  // Line breaks or '=' would corrupt the file.
  EXPECT_FALSE(ini.WriteString("Settings", "Credits", "1\nBorrowed=5"));
  EXPECT_FALSE(ini.WriteString("Settings", "Cre=dits", "1"));
  EXPECT_FALSE(ini.WriteString("Set\rtings", "Credits", "1"));
  EXPECT_FALSE(ini.WriteString("Settings", " ", "1"));
  EXPECT_EQ(ReadAll(path), before);

  // A file marked read-only stays as it is (also for the superuser).
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadUser));
  EXPECT_FALSE(ini.WriteString("Settings", "Credits", "1"));
  EXPECT_EQ(ReadAll(path), before);
  ASSERT_TRUE(QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner));

  // The folder cannot be made: a file stands where it should be.
  WriteAll(dir.filePath("plain"), "x");
  IniProfileFile blocked(dir.filePath("plain/ZEB.INI"));
  EXPECT_FALSE(blocked.WriteString("Settings", "Credits", "1"));
  EXPECT_EQ(ReadAll(dir.filePath("plain")), "x");

  // The path is a folder.
  ASSERT_TRUE(QDir(dir.path()).mkdir("folder.ini"));
  EXPECT_FALSE(IniProfileFile(dir.filePath("folder.ini")).WriteString("S", "K", "V"));
}

TEST_F(IniProfileTest, ReadOnlyFolderRefusesTheWrite) {
  if (geteuid() == 0) GTEST_SKIP() << "the superuser writes into read-only folders";
  const QByteArray before = "[Settings]\nCredits=245\n";
  const QString path = PathWith(before);
  ASSERT_TRUE(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
  IniProfileFile ini(path);
  const bool written = ini.WriteString("Settings", "Credits", "1");
  const QStringList entries = QDir(dir.path()).entryList(QDir::Files);
  QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(entries, QStringList{"ZEB.INI"});
}

TEST_F(IniProfileTest, ClassicRulesForQuotesDuplicateSectionsAndLineEnds) {
  // One pair of quotes around a value is taken off; the first [Settings] wins
  // for reading and writing; a CR-only file is read line by line and keeps CR.
  const QString path = PathWith(
      "[Settings]\r"
      "Credits=\"245\"\r"
      "Borrowed='\"7\"'\r"
      "Odd=\"x'\r"
      "[Settings]\r"
      "Credits=1\r"
      "LargeCards=1\r");
  IniProfileFile ini(path);
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "0"), "245");
  EXPECT_EQ(ini.ReadString("Settings", "Borrowed", "0"), "\"7\"");
  EXPECT_EQ(ini.ReadString("Settings", "Odd", "0"), "\"x'");
  EXPECT_EQ(ini.ReadString("Settings", "LargeCards", "0"), "0");
  ASSERT_TRUE(ini.WriteStrings("Settings", {{"Credits", "300"}, {"LargeCards", "1"}}));
  EXPECT_EQ(ReadAll(path),
            "[Settings]\rCredits=300\rBorrowed='\"7\"'\rOdd=\"x'\rLargeCards=1\r"
            "[Settings]\rCredits=1\rLargeCards=1\r");

  // Values that would lose their blanks or quotes are written in quotes.
  ASSERT_TRUE(ini.WriteStrings("New", {{"a", " x "}, {"b", "\"q\""}, {"c", "\""}, {"d", ""}}));
  EXPECT_TRUE(ReadAll(path).endsWith("[New]\ra=\" x \"\rb=\"\"q\"\"\rc=\"\rd=\r"));
  EXPECT_EQ(ini.ReadString("New", "a", "-"), " x ");
  EXPECT_EQ(ini.ReadString("New", "b", "-"), "\"q\"");
  EXPECT_EQ(ini.ReadString("New", "c", "-"), "\"");
  EXPECT_EQ(ini.ReadString("New", "d", "-"), "");
}

TEST_F(IniProfileTest, NamesAreTrimmedOfAsciiBlanksOnlyAndUnreadableNamesAreRefused) {
  // "à" is C3 A0 and "…" is E2 80 A6 ... 0x85 ends "Å" (C3 85): never blanks.
  const QString path = PathWith("[Settings]\nCr\xC3\xA0=1\nB\xC3\x85 = 2 \n");
  IniProfileFile ini(path);
  EXPECT_EQ(ini.ReadString("Settings", QString::fromUtf8("Cr\xC3\xA0"), "0"), "1");
  EXPECT_EQ(ini.ReadString("Settings", QString::fromUtf8("B\xC3\x85"), "0"), "2");
  EXPECT_EQ(ini.ReadString("Settings", "Cr", "0"), "0");
  ASSERT_TRUE(ini.WriteString("Settings", QString::fromUtf8("k\xC2\xA0"), "v\xC2\x85"));
  EXPECT_EQ(ini.ReadString("Settings", QString::fromUtf8("k\xC2\xA0"), "0"),
            QString::fromUtf8("v\xC2\x85"));

  const QByteArray before = ReadAll(path);
  for (const QString& name : {QStringLiteral(";k"), QStringLiteral("#k"), QStringLiteral("[k"),
                              QString(QChar(0xFEFF)) + "k", QStringLiteral(" \t ")}) {
    EXPECT_FALSE(ini.WriteString("Settings", name, "1")) << name.toStdString();
    EXPECT_FALSE(ini.WriteString(name, "Key", "1")) << name.toStdString();
  }
  EXPECT_FALSE(ini.WriteString("Set]tings", "Key", "1"));
  EXPECT_FALSE(ini.WriteString("Settings", QString(QChar(0xD800)), "1"));
  // One bad entry refuses the whole write.
  EXPECT_FALSE(ini.WriteStrings("Settings", {{"Credits", "5"}, {"Bad", "a\nb"}}));
  EXPECT_EQ(ReadAll(path), before);
}

TEST_F(IniProfileTest, OnlyRegularFilesUpToTheLimitAreRead) {
  const QString path = dir.filePath("ZEB.INI");
  IniProfileFile ini(path);

  // A FIFO without a writer would block a plain open; /dev/zero never ends.
  ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "d");
  EXPECT_FALSE(ini.WriteString("Settings", "Credits", "5"));
  EXPECT_FALSE(QFileInfo(path).isFile());
  ASSERT_TRUE(QFile::remove(path));

  ASSERT_TRUE(QFile::link("/dev/zero", path));
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "d");
  EXPECT_FALSE(ini.WriteString("Settings", "Credits", "5"));
  EXPECT_EQ(QFileInfo(path).symLinkTarget(), "/dev/zero");
  ASSERT_TRUE(QFile::remove(path));

  // At the limit the file is read; one byte more and it reads as missing and
  // is only replaced by a write.
  QByteArray big = "[Settings]\nCredits=9\n;";
  big += QByteArray(kMaxProfileBytes - big.size() - 1, 'x') + '\n';
  ASSERT_EQ(big.size(), kMaxProfileBytes);
  WriteAll(path, big);
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "9");
  WriteAll(path, big + 'x');
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "d");
  EXPECT_EQ(ReadAll(path).size(), kMaxProfileBytes + 1);
  ASSERT_TRUE(ini.WriteString("Settings", "Credits", "5"));
  EXPECT_EQ(ReadAll(path), "[Settings]\nCredits=5\n");
}

TEST_F(IniProfileTest, AFileThatIsNotTextIsMovedAsideAndANewOneStarted) {
  const QByteArray binary("[Settings]\nCredits=5\n\0\x01\xff", 24);
  const QString path = PathWith(binary);
  IniProfileFile ini(path);
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "d");
  const QString first = ini.MovedAsideTo();
  EXPECT_TRUE(first.startsWith(path + ".damaged-")) << first.toStdString();
  EXPECT_EQ(ReadAll(first), binary);
  EXPECT_FALSE(QFileInfo::exists(path));
  ASSERT_TRUE(ini.WriteString("Settings", "Credits", "7"));
  EXPECT_EQ(ReadAll(path), "[Settings]\nCredits=7\n");
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "7");
  EXPECT_EQ(ini.MovedAsideTo(), first);

  // In the same second the next one gets a name of its own.
  WriteAll(path, "x\x1b");
  EXPECT_EQ(ini.ReadString("Settings", "Credits", "d"), "d");
  EXPECT_NE(ini.MovedAsideTo(), first);
  EXPECT_EQ(ReadAll(ini.MovedAsideTo()), "x\x1b");
  EXPECT_EQ(ReadAll(first), binary);

  // Blanks and every kind of line end are text; DEL and escapes are not.
  EXPECT_TRUE(LooksLikeText("a\tb\r\n\v\f caf\xc3\xa9"));
  EXPECT_FALSE(LooksLikeText("a\x7f"));
  EXPECT_FALSE(LooksLikeText("\x08"));
  EXPECT_FALSE(LooksLikeText("\x0e"));
}

// Writes that fail part-way keep the old file byte for byte.
class FailingWriteTest : public IniProfileTest {
 protected:
  const QByteArray before = "; mine\n[Settings]\nCredits=245\nBorrowed=100\nLargeCards=1\n";
  const ProfileFile::Entries entries{
      {"Credits", "1000"}, {"Borrowed", "0"}, {"LargeCards", "0"}, {"Note", QString(64, 'n')}};
};

TEST_F(FailingWriteTest, AFileSizeLimitKeepsTheOldFile) {
  const QString path = PathWith(before);
  // The process may not write files beyond 16 bytes: every write of the new
  // file fails part-way, as on a full disk, without needing one.
  struct sigaction ignore {};
  struct sigaction old {};
  ignore.sa_handler = SIG_IGN;
  ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
  rlimit limit{};
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &limit), 0);
  const rlimit saved = limit;
  limit.rlim_cur = 16;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limit), 0);
  const bool written = IniProfileFile(path).WriteStrings("Settings", entries);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  ::sigaction(SIGXFSZ, &old, nullptr);
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadAll(path), before);
  EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"ZEB.INI"});
}

TEST_F(FailingWriteTest, AFullFileSystemKeepsTheOldFile) {
  const QString mountPoint = dir.filePath("full");
  ASSERT_TRUE(QDir(dir.path()).mkdir("full"));
  const QByteArray target = QFile::encodeName(mountPoint);
  if (::mount("lynx-test", target.constData(), "tmpfs", 0, "size=8k") != 0)
    GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
  const QString path = mountPoint + "/ZEB.INI";
  WriteAll(path, before);
  // Fill what is left of the file system.
  {
    QFile filler(mountPoint + "/filler");
    ASSERT_TRUE(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    const QByteArray block(512, 'f');
    while (filler.write(block) == block.size()) {
    }
  }
  const bool written = IniProfileFile(path).WriteStrings("Settings", entries);
  const QByteArray after = ReadAll(path);
  QStringList files = QDir(mountPoint).entryList(QDir::Files | QDir::Hidden);
  files.sort();
  ::umount2(target.constData(), MNT_DETACH);
  EXPECT_FALSE(written);
  EXPECT_EQ(after, before);
  EXPECT_EQ(files, (QStringList{"ZEB.INI", "filler"}));
}

TEST(IniDocumentTest, EmptyAndBlankInput) {
  IniDocument empty;
  EXPECT_EQ(empty.Text(), "");
  empty.Set("Settings", "Credits", "1");
  EXPECT_EQ(empty.Text(), "[Settings]\nCredits=1\n");

  IniDocument blank("\n\n");
  blank.Set("S", "K", "V");
  EXPECT_EQ(blank.Text(), "\n\n[S]\nK=V\n");
  QString value;
  EXPECT_TRUE(blank.Find("s", "k", &value));
  EXPECT_EQ(value, "V");
}

TEST(DefaultProfilePathTest, FollowsXdgConfigHome) {
  const bool wasSet = qEnvironmentVariableIsSet("XDG_CONFIG_HOME");
  const QByteArray old = qgetenv("XDG_CONFIG_HOME");
  const QString fallback = QDir::homePath() + "/.config/ZEB.INI";

  qputenv("XDG_CONFIG_HOME", "/tmp/lynx-config");
  EXPECT_EQ(DefaultProfilePath(), "/tmp/lynx-config/ZEB.INI");
  qputenv("XDG_CONFIG_HOME", "/tmp/lynx-config/");
  EXPECT_EQ(DefaultProfilePath(), "/tmp/lynx-config/ZEB.INI");
  qputenv("XDG_CONFIG_HOME", "relative/config");  // not absolute: ignored
  EXPECT_EQ(DefaultProfilePath(), fallback);
  qputenv("XDG_CONFIG_HOME", "");
  EXPECT_EQ(DefaultProfilePath(), fallback);
  qunsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(DefaultProfilePath(), fallback);

  if (wasSet) qputenv("XDG_CONFIG_HOME", old);
}

}  // namespace
}  // namespace lynx
