#pragma once
// The title window "opening": the program's home. Animated caption, a fan of
// cards, the three game pictures and the Help, About, Catalog and Quit
// pictures. Closing it ends the program and saves the settings, once.

#include <QImage>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QWidget>
#include <array>
#include <optional>

#include "common/program_values.h"
#include "platform/services.h"
#include "review/game_facts.h"
#include "table/table_controls.h"

namespace lynx {

class TableWindow;
class TablesCache;
class TrainerWindow;

class TitleWindow : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kHelpTopic = 41002;
  static constexpr int kCaptionIntervalMs = 3000;

  // Runs the window's load: caption step 1, GameVariant 1, centred on the
  // screen of services. The window is not shown yet.
  TitleWindow(ProgramValues& values, Services& services, QWidget* parent = nullptr);
  ~TitleWindow() override;

  // The four caption texts, lines joined by lineBreak; step k is at k - 1.
  static QStringList CaptionSteps(const QString& lineBreak);
  // 1..4 for the caption step text2 shows, 0 when it shows none of them.
  int CaptionStep() const;
  // The caption as the program composes it (lines joined by LineBreak).
  QString CaptionText() const { return caption; }
  // Replaces the caption (lines joined by LineBreak).
  void SetCaptionText(const QString& text);
  // The timer tick: the next caption step; the fourth is followed by the first.
  void AdvanceCaption();

  // Game choice: 1 Jacks or Better, 2 Joker Wild, 3 Deuces Wild. Hides this
  // window, runs a fresh table window modally, unloads it and comes back. The
  // table blocks this window only: the help window stays usable beside it.
  void ChooseGame(GameVariant variant);
  // The trainer table (the P key and the menu): the game named (a game of
  // the library), else the last one played there, else the one chosen in
  // the setup dialog. Runs modally like a table; returns when it closes.
  void OpenTrainer(const QString& game = QString());
  // The tables the trainer's hint and summary value hands with; until this
  // is called the trainer builds its own.
  void UseTables(TablesCache& tables) { trainerTables = &tables; }
  // The F key and the menu: the facts of the game played last this run (a
  // machine's or the trainer's), before any of the machine's current game.
  void AskGameFacts();
  // Help for this window: the help file at topic 41002, without blocking.
  void ShowHelp();
  // The About window, modal; returns when it has been closed.
  void ShowAbout();
  // The catalogue help document in the help viewer.
  void ShowCatalog();

  // The exit save: runs at most once per window, whatever asks for it.
  // askQuestions false saves without the pay-off question.
  void SaveOnce(bool askQuestions);
  bool Saved() const { return saveStarted; }
  // The save for a process that is ending through exit() from inside the
  // event loop (the display went away): without questions, and also when a
  // save is still waiting for its question to be answered, since that answer
  // never comes. Does nothing once a save has been written.
  void SaveBeforeExit();
  // Ends the program with nobody there to answer: closes any modal window
  // (table, About, a message box) first, then closes this window, which saves
  // without questions once the modal windows have unwound.
  void EndQuietly();
  // True while a table or About window runs modally from this window.
  bool InModal() const { return modalDepth > 0; }

  // The drawing surface (client-area size) the card fan is painted on.
  const QImage& Surface() const { return surface; }

  // Game picture captions of the table window, by variant 1..3.
  static QString TableCaption(GameVariant variant);
  static QString HelpTopicFor(GameVariant variant);

  // Controls, by their design names.
  ClassicLabel* text2 = nullptr;
  PictureButton* Image2 = nullptr;  // Jacks or Better
  PictureButton* Image3 = nullptr;  // Joker Wild
  PictureButton* Image4 = nullptr;  // Deuces Wild
  PictureButton* Image5 = nullptr;  // Help
  PictureButton* Image6 = nullptr;  // About
  PictureButton* Image7 = nullptr;  // Catalog
  PictureButton* Image8 = nullptr;  // Quit
  ClassicLabel* Label1 = nullptr;
  ClassicLabel* Label2 = nullptr;
  ClassicLabel* Label3 = nullptr;
  QTimer Timer2;
  // Runs while an end waits for a modal window to return: closes any modal
  // window that came up after the end was asked (a message box of an
  // operation that was under way), so the end never waits for an answer.
  QTimer endTimer;

 signals:
  // The window has been closed (and the settings saved): the program ends.
  void Closed();
  // A fresh table is about to run: connect to it now.
  void TableOpened(lynx::TableWindow& table);
  // A trainer table is about to run: connect to it now.
  void TrainerOpened(lynx::TrainerWindow& trainer);
  // The exit save has been made: written is false when the settings file
  // could not be written. Connected slots run before the save returns.
  void SettingsSaved(bool written);
  // The R and T keys and the context menu: the game history and statistics.
  void HistoryRequested();
  void StatisticsRequested();
  // The context menu's Error Log.
  void ErrorLogRequested();
  // The facts of a game are wanted, from the F key, the menu or the trainer's
  // setup; over is the modal window asked from, or null.
  void GameFactsRequested(const lynx::GameFactsChoice& choice, QWidget* over);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void showEvent(QShowEvent* event) override;
  // Right button: History, Statistics and the window's own choices, beside
  // the designed window rather than in it.
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  // The parts of the window's load.
  void SetUpLook();
  void MakeControls();
  void ConnectPictures();
  void StartTimers();
  // The caption on its label.
  void ShowCaption();
  // After a modal window has returned: end now if that was asked meanwhile.
  bool EndIfRequested();
  // Closes the modal windows now and keeps closing new ones until they return.
  void CloseModalsUntilBack();
  void PaintFan();

  ProgramValues& values;
  Services& services;
  TablesCache* trainerTables = nullptr;
  std::optional<GameFactsChoice> lastPlayed;  // the table played last this run
  QString settingProblemTold;  // the last reason a trainer table was not remembered
  QImage surface;
  QString caption;
  int modalDepth = 0;
  bool saveStarted = false;
  bool saveWritten = false;
  bool endRequested = false;
  bool askOnSave = true;
};

// Closes every visible modal window (innermost first), answering a question
// box with its escape button. Their exec() calls return once control is
// back in their event loops.
void CloseModalWindows();

}  // namespace lynx
