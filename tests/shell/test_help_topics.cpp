// The help documents against the program: every topic the windows open the
// help at is an anchor of ZEB.HLP, every link inside the documents leads to
// an anchor of its own document, the first topic leads to the trainer, and
// the topics name every key the tables play by.
#include <gtest/gtest.h>

#include <QFile>
#include <QKeyEvent>
#include <QRegularExpression>
#include <QSet>

#include "shell/title_window.h"
#include "table/table_window.h"
#include "table/trainer_window.h"

namespace lynx {
namespace {

QString Document(const char* name) {
  QFile file(QStringLiteral(LYNX_HELP_DOCUMENTS "/") + QLatin1String(name));
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromUtf8(file.readAll());
}

QSet<QString> Matches(const QString& text, const char* pattern) {
  QSet<QString> found;
  const QRegularExpression expression{QString::fromLatin1(pattern)};
  for (const QRegularExpressionMatch& m : expression.globalMatch(text)) found.insert(m.captured(1));
  return found;
}

// The topic that starts at anchor, up to the next topic.
QString Topic(const QString& document, const QString& anchor) {
  const qsizetype from = document.indexOf(QStringLiteral("id=\"%1\"").arg(anchor));
  if (from < 0) return {};
  const qsizetype to = document.indexOf(QStringLiteral("<h1>"), from);
  return document.mid(from, to < 0 ? -1 : to - from);
}

// The letters and digits a table plays by, as its OwnKey takes them.
QStringList KeysOf(bool (*ownKey)(const QKeyEvent&)) {
  QStringList keys;
  for (int key = Qt::Key_0; key <= Qt::Key_Z; ++key) {
    const QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    if (ownKey(press)) keys << QString(QChar(key));
  }
  return keys;
}

TEST(HelpTopics, EveryTopicAskedForAndEveryLinkIsAnAnchorOfItsDocument) {
  const QString zeb = Document("ZEB.HLP");
  ASSERT_FALSE(zeb.isEmpty());
  const QSet<QString> anchors = Matches(zeb, "id=\"([^\"]+)\"");
  std::vector<int> asked{TitleWindow::kHelpTopic, TrainerWindow::kHelpTopic};
  for (GameVariant game : {kJacksOrBetter, kJokerWild, kDeucesWild})
    asked.push_back(TitleWindow::HelpTopicFor(game).toInt());
  for (int topic : asked) EXPECT_TRUE(anchors.contains(QString::number(topic))) << topic;
  for (const QString& link : Matches(zeb, "href=\"#([^\"]+)\""))
    EXPECT_TRUE(anchors.contains(link)) << link.toStdString();

  const QString catalog = Document("CATALOG.HLP");
  ASSERT_FALSE(catalog.isEmpty());
  const QSet<QString> catalogAnchors = Matches(catalog, "id=\"([^\"]+)\"");
  for (const QString& link : Matches(catalog, "href=\"#([^\"]+)\""))
    EXPECT_TRUE(catalogAnchors.contains(link)) << link.toStdString();

  // A newcomer finds the trainer from the first topic.
  EXPECT_TRUE(Topic(zeb, QString::number(TitleWindow::kHelpTopic))
                  .contains(QStringLiteral("href=\"#%1\"").arg(TrainerWindow::kHelpTopic)));
}

TEST(HelpTopics, TheTopicsNameEveryKeyOfTheirTable) {
  const QString zeb = Document("ZEB.HLP");
  const QString trainer = Topic(zeb, QString::number(TrainerWindow::kHelpTopic));
  const QStringList trainerKeys = KeysOf(&TrainerWindow::OwnKey);
  EXPECT_EQ(trainerKeys.size(), 19);  // 1-5 and fourteen letters
  for (const QString& key : trainerKeys + QStringList{"Return", "F1", "Shift+F10", "Menu", "Esc"}) {
    if (key.size() == 1 && key[0].isDigit()) continue;  // "1 to 5"
    EXPECT_TRUE(trainer.contains("<b>" + key + "</b>")) << key.toStdString();
  }
  EXPECT_TRUE(trainer.contains("<b>1</b> to <b>5</b>"));

  // The machine's keys, and W, the coach panel's own.
  const QString machine = Topic(zeb, QStringLiteral("controls"));
  for (const QString& key : KeysOf(&TableWindow::OwnKey) +
                                QStringList{"W", "Enter", "F1", "Shift+F10", "Menu", "Esc"}) {
    if (key.size() == 1 && key[0].isDigit()) continue;  // "1 to 5"
    EXPECT_TRUE(machine.contains("<b>" + key + "</b>")) << key.toStdString();
  }
  EXPECT_TRUE(machine.contains("<b>1</b> to <b>5</b>"));
}

}  // namespace
}  // namespace lynx
