// WAV playing times and the synchronous wait of the sound player.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QtEndian>

#include "platform/qt_sound.h"

namespace lynx {
namespace {

QByteArray Le16(quint16 v) {
  QByteArray b(2, '\0');
  qToLittleEndian(v, b.data());
  return b;
}
QByteArray Le32(quint32 v) {
  QByteArray b(4, '\0');
  qToLittleEndian(v, b.data());
  return b;
}
QByteArray Chunk(const QByteArray& id, const QByteArray& body) {
  QByteArray c = id + Le32(static_cast<quint32>(body.size())) + body;
  if (body.size() % 2 == 1) c += '\0';
  return c;
}
QByteArray Format(quint16 format, quint16 channels, quint32 rate, quint16 bits) {
  const quint16 align = static_cast<quint16>(channels * bits / 8);
  return Le16(format) + Le16(channels) + Le32(rate) + Le32(rate * align) + Le16(align) + Le16(bits);
}
QByteArray Riff(const QByteArray& chunks) {
  return "RIFF" + Le32(static_cast<quint32>(4 + chunks.size())) + "WAVE" + chunks;
}
// A silent PCM file of dataBytes sample bytes.
QByteArray Wav(quint32 rate, quint16 channels, quint16 bits, int dataBytes) {
  return Riff(Chunk("fmt ", Format(1, channels, rate, bits)) +
              Chunk("data", QByteArray(dataBytes, '\0')));
}

class SoundTest : public testing::Test {
 protected:
  QString Write(const QString& name, const QByteArray& bytes) {
    const QString path = dir.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    EXPECT_EQ(file.write(bytes), bytes.size());
    return path;
  }
  std::optional<int> Duration(const QByteArray& bytes) {
    return QtSoundPlayer::WavDurationMs(Write("t.wav", bytes));
  }
  QTemporaryDir dir;
};

TEST_F(SoundTest, DurationFromDataSizeAndByteRate) {
  EXPECT_EQ(Duration(Wav(22050, 1, 16, 4410)), 100);  // 2205 samples
  EXPECT_EQ(Duration(Wav(44100, 2, 16, 176400)), 1000);
  EXPECT_EQ(Duration(Wav(11025, 1, 8, 551)), 50);  // 49.98 ms rounds up
  EXPECT_EQ(Duration(Wav(8000, 1, 8, 3)), 0);      // 0.375 ms rounds down
  EXPECT_EQ(Duration(Riff(Chunk("fmt ", Format(3, 1, 48000, 32)) +
                          Chunk("data", QByteArray(9600, '\0')))),
            50);  // float samples
}

TEST_F(SoundTest, DurationSkipsOtherChunks) {
  // An odd-sized chunk before fmt (padded), a fact chunk, and a longer fmt.
  const QByteArray fmt = Format(1, 1, 22050, 16) + Le16(0);
  EXPECT_EQ(Duration(Riff(Chunk("LIST", QByteArray(5, 'x')) + Chunk("fmt ", fmt) +
                          Chunk("fact", Le32(2205)) + Chunk("data", QByteArray(4410, '\0')) +
                          Chunk("cue ", QByteArray(24, '\0')))),
            100);
}

TEST_F(SoundTest, DurationCountsOnlyTheBytesPresent) {
  QByteArray cut = Wav(22050, 1, 16, 4410);
  cut.chop(2205);
  EXPECT_EQ(Duration(cut), 50);
  // A streamed file with the data size left open.
  QByteArray open = Riff(Chunk("fmt ", Format(1, 1, 22050, 16))) + "data" + Le32(0xFFFFFFFF) +
                    QByteArray(2205, '\0');
  EXPECT_EQ(Duration(open), 50);
}

TEST_F(SoundTest, UnplayableFilesHaveNoDuration) {
  const QByteArray good = Wav(22050, 1, 16, 4410);
  EXPECT_EQ(Duration(good.left(20)), std::nullopt);  // cut inside the fmt chunk
  EXPECT_EQ(Duration(good.left(12)), std::nullopt);  // no chunks at all
  EXPECT_EQ(Duration(good.left(43)), std::nullopt);  // cut inside the data header
  EXPECT_EQ(Duration(""), std::nullopt);
  EXPECT_EQ(Duration("this is not a sound file at all, just text"), std::nullopt);
  QByteArray rifx = good;
  rifx.replace(0, 4, "RIFX");
  EXPECT_EQ(Duration(rifx), std::nullopt);
  QByteArray avi = good;
  avi.replace(8, 4, "AVI ");
  EXPECT_EQ(Duration(avi), std::nullopt);
  // data before fmt, fmt too short, compressed samples, no data chunk.
  EXPECT_EQ(Duration(Riff(Chunk("data", QByteArray(4410, '\0')) +
                          Chunk("fmt ", Format(1, 1, 22050, 16)))),
            std::nullopt);
  EXPECT_EQ(Duration(Riff(Chunk("fmt ", Format(1, 1, 22050, 16).left(14)) +
                          Chunk("data", QByteArray(4410, '\0')))),
            std::nullopt);
  EXPECT_EQ(
      Duration(Riff(Chunk("fmt ", Format(2, 1, 22050, 4)) + Chunk("data", QByteArray(4410, '\0')))),
      std::nullopt);
  EXPECT_EQ(Duration(Riff(Chunk("fmt ", Format(1, 1, 22050, 16)))), std::nullopt);
  EXPECT_EQ(QtSoundPlayer::WavDurationMs(dir.filePath("absent.wav")), std::nullopt);
}

TEST_F(SoundTest, MissingOrUnplayableFileReturnsAtOnce) {
  Write("BROKEN.WAV", "not a wave");
  Write("SND2.WAV", Wav(22050, 1, 16, 2205));  // 50 ms
  QtSoundPlayer player(dir.path());
  player.PlaySync("SND2.WAV");
  EXPECT_EQ(player.LastWaitMs(), 50);
  player.PlaySync("SND0.WAV");
  EXPECT_EQ(player.LastWaitMs(), 0);
  player.PlaySync("SND2.WAV");
  player.PlaySync("broken.wav");
  EXPECT_EQ(player.LastWaitMs(), 0);
  QtSoundPlayer nowhere(dir.filePath("no-such-folder"));
  nowhere.PlaySync("SND0.WAV");
  EXPECT_EQ(nowhere.LastWaitMs(), 0);
}

TEST_F(SoundTest, PlayWaitsForThePlayingTimeWhileTimersRun) {
  Write("Snd0.Wav", Wav(22050, 1, 16, 6615));  // 150 ms
  QtSoundPlayer player(dir.path());
  for (int round = 0; round < 2; ++round) {  // the second play reuses the effect
    bool timerFired = false;
    QTimer::singleShot(20, [&timerFired] { timerFired = true; });
    QElapsedTimer clock;
    clock.start();
    player.PlaySync("SND0.WAV");
    EXPECT_GE(clock.elapsed(), 140) << "round " << round;
    EXPECT_TRUE(timerFired) << "round " << round;
  }
}

TEST_F(SoundTest, FileReplacedOrRemovedBetweenPlays) {
  const QString path = Write("SND2.WAV", Wav(22050, 1, 16, 2205));  // 50 ms
  QtSoundPlayer player(dir.path());
  QElapsedTimer clock;
  clock.start();
  player.PlaySync("snd2.wav");
  EXPECT_GE(clock.elapsed(), 45);
  ASSERT_TRUE(QFile::remove(path));
  player.PlaySync("snd2.wav");
  EXPECT_EQ(player.LastWaitMs(), 0);
}

}  // namespace
}  // namespace lynx
