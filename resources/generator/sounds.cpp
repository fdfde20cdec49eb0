#include "sounds.h"

#include <QFile>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace lynx::art {
namespace {

void PutLe(QByteArray& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void WriteWav(const QString& path, const std::vector<double>& samples) {
  QByteArray data;
  for (double s : samples) {
    const double clipped = std::max(-1.0, std::min(1.0, s));
    const auto value = static_cast<std::int16_t>(std::lround(clipped * 32767.0));
    PutLe(data, static_cast<std::uint16_t>(value), 2);
  }
  QByteArray file;
  file.append("RIFF");
  PutLe(file, static_cast<std::uint32_t>(36 + data.size()), 4);
  file.append("WAVE");
  file.append("fmt ");
  PutLe(file, 16, 4);                   // chunk size
  PutLe(file, 1, 2);                    // PCM
  PutLe(file, 1, 2);                    // mono
  PutLe(file, kSampleRate, 4);          // samples per second
  PutLe(file, kSampleRate * 2, 4);      // bytes per second
  PutLe(file, 2, 2);                    // block align
  PutLe(file, 16, 2);                   // bits per sample
  file.append("data");
  PutLe(file, static_cast<std::uint32_t>(data.size()), 4);
  file.append(data);
  QFile out(path);
  if (!out.open(QIODevice::WriteOnly) || out.write(file) != file.size()) {
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    std::exit(1);
  }
}

// A fixed-seed noise source, so the files come out the same on every run.
class Noise {
 public:
  double Next() {
    state_ = state_ * 1664525u + 1013904223u;
    return static_cast<double>(state_ >> 8) / static_cast<double>(1u << 24) * 2.0 - 1.0;
  }

 private:
  std::uint32_t state_ = 12345u;
};

}  // namespace

void WriteCardSound(const QString& path) {
  // A card slapped on felt: a sharp noise crack, a dull thump under it, and a
  // short fade so the file ends in silence.
  const int count = kSampleRate * 120 / 1000;
  std::vector<double> samples(static_cast<std::size_t>(count));
  Noise noise;
  double low = 0.0;
  double band = 0.0;
  for (int i = 0; i < count; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double n = noise.Next();
    low += 0.08 * (n - low);                 // dull part
    band += 0.55 * (n - band);               // brighter part
    const double crack = (n - band) * std::exp(-t * 90.0);
    const double thump = low * 3.0 * std::exp(-t * 35.0) +
                         0.35 * std::sin(2 * std::numbers::pi * 140.0 * t) * std::exp(-t * 45.0);
    const double attack = std::min(1.0, i / 22.0);
    const double release = std::min(1.0, static_cast<double>(count - 1 - i) / 220.0);
    samples[static_cast<std::size_t>(i)] = 0.75 * attack * release * (0.9 * crack + thump);
  }
  WriteWav(path, samples);
}

void WriteWinSound(const QString& path) {
  // Four bell notes rising (C6, E6, G6, C7), each a struck tone with a few
  // inharmonic partials, ringing into each other.
  const int count = kSampleRate * 800 / 1000;
  std::vector<double> samples(static_cast<std::size_t>(count), 0.0);
  const double notes[4] = {1046.50, 1318.51, 1567.98, 2093.00};
  for (int k = 0; k < 4; ++k) {
    const int start = k * kSampleRate * 90 / 1000;
    for (int i = start; i < count; ++i) {
      const double t = static_cast<double>(i - start) / kSampleRate;
      const double f = notes[k];
      const double tone = std::sin(2 * std::numbers::pi * f * t) +
                          0.35 * std::sin(2 * std::numbers::pi * f * 2.76 * t) * std::exp(-t * 8.0) +
                          0.2 * std::sin(2 * std::numbers::pi * f * 5.40 * t) * std::exp(-t * 14.0);
      const double envelope = std::min(1.0, t * 400.0) * std::exp(-t * (k == 3 ? 4.5 : 6.5));
      samples[static_cast<std::size_t>(i)] += 0.22 * tone * envelope;
    }
  }
  for (int i = 0; i < 441; ++i) samples[static_cast<std::size_t>(count - 1 - i)] *= i / 441.0;
  WriteWav(path, samples);
}

}  // namespace lynx::art
