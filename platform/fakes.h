#pragma once
// Fakes of the platform services for tests: they record what the program
// asked for and answer from a script.

#include <QMap>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <utility>
#include <vector>

#include "platform/services.h"

namespace lynx {

struct ShownDialog {
  DialogIcon icon;
  QString title;
  QString text;
  bool operator==(const ShownDialog&) const = default;
};

class FakeDialogs final : public Dialogs {
 public:
  void Info(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({DialogIcon::Information, title, text});
  }
  void Exclaim(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({DialogIcon::Exclamation, title, text});
  }
  bool Ask(QWidget*, const QString& title, const QString& text) override {
    shown.push_back({DialogIcon::Question, title, text});
    if (answers.empty()) return defaultAnswer;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }

  std::vector<ShownDialog> shown;
  std::deque<bool> answers;    // answers to Ask, in order
  bool defaultAnswer = false;  // once the script has run out
};

class FakeSound final : public SoundPlayer {
 public:
  void PlaySync(const QString& fileName) override {
    played.push_back(fileName);
    if (onPlay) onPlay(fileName);
  }
  QStringList played;
  // Called at each play, e.g. to look at the drawing surface at that moment.
  std::function<void(const QString&)> onPlay;
};

class FakeProfile final : public ProfileFile {
 public:
  QString ReadString(const QString& section, const QString& key,
                     const QString& defaultValue) override {
    reads.push_back(key);
    const auto it = values.find(Key(section, key));
    return it == values.end() ? defaultValue : *it;
  }
  bool WriteStrings(const QString& section, const Entries& entries) override {
    ++saves;
    for (const auto& [key, value] : entries) writes.push_back({key, value});
    if (readOnly) return false;
    for (const auto& [key, value] : entries) values[Key(section, key)] = value;
    return true;
  }
  static QString Key(const QString& section, const QString& key) {
    return section.toLower() + QLatin1Char('/') + key.toLower();
  }

  QMap<QString, QString> values;  // "section/key" in lower case -> value
  QStringList reads;
  std::vector<std::pair<QString, QString>> writes;  // (key, value) in order
  int saves = 0;                                    // calls that wrote, each all at once
  bool readOnly = false;
};

class FakeHelp final : public HelpViewer {
 public:
  void Open(const QString& file, int topic) override { opened.push_back({file, topic}); }
  std::vector<std::pair<QString, int>> opened;
};

class FakeScreen final : public ScreenInfo {
 public:
  FakeScreen(int w = 1024, int h = 768) : width(w), height(h) {}
  int Width() const override { return width; }
  int Height() const override { return height; }
  int width;
  int height;
};

// Returns the scripted values in turn, then starts over; counts re-seeds.
class SequenceSource final : public UniformSource {
 public:
  explicit SequenceSource(std::vector<float> v = {0.5f}) : values(std::move(v)) {}
  float Next() override {
    const float r = values[next % values.size()];
    ++next;
    return r;
  }
  void Reseed() override { ++reseeds; }
  std::vector<float> values;
  std::size_t next = 0;
  int reseeds = 0;
};

// All fakes together, with a Services view of them.
struct FakeServices {
  FakeDialogs dialogs;
  FakeSound sound;
  FakeProfile profile;
  FakeHelp help;
  FakeScreen screen;
  SequenceSource random;
  Services services{dialogs, sound, profile, help, screen, random};
};

}  // namespace lynx
