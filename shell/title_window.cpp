#include "shell/title_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QDialog>
#include <QFileInfo>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPainter>
#include <QPalette>
#include <QPen>
#include <cstdio>
#include <memory>
#include <optional>

#include "cards/card_painter.h"
#include "coach/tables_cache.h"
#include "platform/data_dir.h"
#include "shell/about_window.h"
#include "shell/review_windows.h"
#include "shell/settings.h"
#include "table/pay_editor.h"
#include "table/setting_saved.h"
#include "table/table_window.h"
#include "table/trainer_window.h"

namespace lynx {

namespace {

const QColor kBlue(0, 0, 255);
const QColor kYellow(255, 255, 0);
const QColor kWhite(255, 255, 255);

// The fan: ten to king of the fourth suit block, then its ace.
constexpr std::array<CardCode, 5> kFanCards{49, 50, 51, 52, 40};

QPixmap Picture(const char* name) {
  return QPixmap(QStringLiteral(":/pictures/%1.png").arg(QLatin1String(name)));
}

}  // namespace

TitleWindow::TitleWindow(ProgramValues& values, Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      values(values),
      services(services) {
  SetUpLook();
  MakeControls();
  ConnectPictures();
  // The window itself holds the focus when it opens: no picture shows the
  // focus frame until Tab is pressed.
  setFocus(Qt::OtherFocusReason);

  // Load.
  SetCaptionText(CaptionSteps(QString::fromStdString(values.lineBreak)).front());
  values.gameVariant = kJacksOrBetter;
  move((services.screen.Width() - width()) / 2, (services.screen.Height() - height()) / 2);
  StartTimers();
}

void TitleWindow::SetUpLook() {
  setObjectName(QStringLiteral("opening"));
  setWindowTitle(QStringLiteral("LYNX Video Poker"));
  setWindowIcon(QIcon(QStringLiteral(":/pictures/icon32.png")));
  setFixedSize(Twips(4920), Twips(4425));
  setFont(ClassicFont(8.25, true));
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, kBlue);
  setPalette(palette);
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);

  surface = QImage(size(), QImage::Format_RGB32);
  surface.fill(kBlue);
}

// The caption, the pictures and the labels under the game pictures, at their
// designed places.
void TitleWindow::MakeControls() {
  text2 = new ClassicLabel(this, QStringLiteral("text2"), TwipsRect(120, 2160, 3375, 735),
                           Qt::AlignHCenter, kBlue, kYellow, ClassicFont(12, true));

  auto makePicture = [this](const char* object, const char* picture, const QString& name,
                            QRect where) {
    auto* button = new PictureButton(this, QLatin1String(object), name, where);
    button->setPixmap(Picture(picture));
    return button;
  };
  Image5 =
      makePicture("Image5", "title_help", QStringLiteral("Help"), TwipsRect(3840, 160, 960, 600));
  Image6 =
      makePicture("Image6", "title_about", QStringLiteral("About"), TwipsRect(3840, 880, 960, 600));
  Image7 = makePicture("Image7", "title_catalog", QStringLiteral("Catalog"),
                       TwipsRect(3840, 1600, 960, 600));
  Image8 =
      makePicture("Image8", "title_quit", QStringLiteral("Quit"), TwipsRect(3840, 2320, 960, 600));
  Image2 = makePicture("Image2", "game_jacks", QStringLiteral("Jacks or Better"),
                       TwipsRect(480, 3240, 990, 735));
  Image3 = makePicture("Image3", "game_joker", QStringLiteral("Joker Wild"),
                       TwipsRect(1980, 3240, 990, 735));
  Image4 = makePicture("Image4", "game_deuces", QStringLiteral("Deuces Wild"),
                       TwipsRect(3480, 3240, 990, 735));

  auto makeLabel = [this](const char* object, const QString& text, QRect where) {
    return new ClassicLabel(this, QLatin1String(object), where, Qt::AlignHCenter, kBlue, kYellow,
                            font(), text);
  };
  Label1 = makeLabel("Label1", QStringLiteral("Jacks or Better"), TwipsRect(0, 4080, 1695, 375));
  Label2 = makeLabel("Label2", QStringLiteral("Joker Wild"), TwipsRect(1800, 4080, 1335, 375));
  Label3 = makeLabel("Label3", QStringLiteral("Deuces Wild"), TwipsRect(3240, 4080, 1455, 375));
}

void TitleWindow::ConnectPictures() {
  connect(Image2, &PictureButton::Clicked, this, [this] { ChooseGame(kJacksOrBetter); });
  connect(Image3, &PictureButton::Clicked, this, [this] { ChooseGame(kJokerWild); });
  connect(Image4, &PictureButton::Clicked, this, [this] { ChooseGame(kDeucesWild); });
  connect(Image5, &PictureButton::Clicked, this, &TitleWindow::ShowHelp);
  connect(Image6, &PictureButton::Clicked, this, &TitleWindow::ShowAbout);
  connect(Image7, &PictureButton::Clicked, this, &TitleWindow::ShowCatalog);
  connect(Image8, &PictureButton::Clicked, this, &QWidget::close);
  // Tab goes through the three games first, then Help, About, Catalog, Quit.
  const std::array<QWidget*, 7> tabOrder{Image2, Image3, Image4, Image5, Image6, Image7, Image8};
  for (std::size_t i = 1; i < tabOrder.size(); ++i) setTabOrder(tabOrder[i - 1], tabOrder[i]);
}

// The caption's steps, and the end's closing of modal windows (started when
// an end is asked).
void TitleWindow::StartTimers() {
  Timer2.setObjectName(QStringLiteral("Timer2"));
  Timer2.setInterval(kCaptionIntervalMs);
  connect(&Timer2, &QTimer::timeout, this, &TitleWindow::AdvanceCaption);
  Timer2.start();

  endTimer.setObjectName(QStringLiteral("endTimer"));
  endTimer.setInterval(100);
  connect(&endTimer, &QTimer::timeout, this, [this] {
    if (modalDepth == 0)
      endTimer.stop();
    else
      CloseModalWindows();
  });
}

TitleWindow::~TitleWindow() = default;

QStringList TitleWindow::CaptionSteps(const QString& lineBreak) {
  return {
      QStringLiteral("Quillon Software") + lineBreak + QStringLiteral("Presents"),
      QStringLiteral("LYNX Video Poker") + lineBreak + QStringLiteral("for Linux"),
      QStringLiteral("Free Software") + lineBreak + QStringLiteral("by its Developers"),
      QStringLiteral("To Play") + lineBreak + QStringLiteral("Choose Game Below"),
  };
}

int TitleWindow::CaptionStep() const {
  return static_cast<int>(CaptionSteps(QString::fromStdString(values.lineBreak)).indexOf(caption)) +
         1;
}

void TitleWindow::SetCaptionText(const QString& text) {
  caption = text;
  // The caption keeps turning while the window is hidden (a table is open),
  // but its label changes only where it can be seen: a hidden label that
  // renamed itself every few seconds would keep a screen reader talking.
  if (isVisible() || text2->text().isEmpty()) ShowCaption();
}

void TitleWindow::ShowCaption() {
  QString shown = caption;
  shown.replace(QString::fromStdString(values.lineBreak), QStringLiteral("\n"));
  text2->setText(shown);
}

void TitleWindow::showEvent(QShowEvent* event) {
  ShowCaption();
  QWidget::showEvent(event);
}

void TitleWindow::AdvanceCaption() {
  const QStringList steps = CaptionSteps(QString::fromStdString(values.lineBreak));
  const qsizetype at = steps.indexOf(caption);
  if (at < 0) return;
  SetCaptionText(steps[(at + 1) % steps.size()]);
}

QString TitleWindow::TableCaption(GameVariant variant) {
  switch (variant) {
    case kJokerWild:
      return QStringLiteral("LYNX Video Poker -- Joker Wild");
    case kDeucesWild:
      return QStringLiteral("LYNX Video Poker -- Deuces Wild");
    default:
      return QStringLiteral("LYNX Video Poker -- Jacks or Better");
  }
}

QString TitleWindow::HelpTopicFor(GameVariant variant) {
  switch (variant) {
    case kJokerWild:
      return QStringLiteral("41008");
    case kDeucesWild:
      return QStringLiteral("41003");
    default:
      return QStringLiteral("41007");
  }
}

void TitleWindow::ChooseGame(GameVariant variant) {
  if (modalDepth > 0 || endRequested || saveStarted) return;
  values.helpTopic = HelpTopicFor(variant).toStdString();
  values.gameVariant = variant;
  auto table = std::make_unique<TableWindow>(values, services, this);
  table->setWindowTitle(TableCaption(variant));
  // Modal to this window only, so that the help window opened from the
  // table can still be scrolled and clicked.
  table->setWindowModality(Qt::WindowModal);
  hide();
  emit TableOpened(*table);
  ++modalDepth;
  table->exec();
  --modalDepth;
  lastPlayed = MachineFactsChoice(variant);
  table.reset();  // every visit starts from a freshly loaded table window
  if (EndIfRequested()) return;
  show();
  activateWindow();
}

void TitleWindow::OpenTrainer(const QString& game) {
  if (modalDepth > 0 || endRequested || saveStarted) return;
  std::optional<TrainerChoice> choice;
  if (!game.isEmpty()) {
    choice = TrainerChoiceFor(game.toStdString(), SavedTrainerHands(services.profile));
    if (!choice) {
      services.dialogs.Exclaim(this, QString::fromStdString(values.programTitle),
                               QStringLiteral("There is no game called \"%1\" to train on. "
                                              "Choose one from the list.")
                                   .arg(game));
    }
  }
  if (!choice) choice = LastTrainerChoice(services.profile);
  // Made here when the program gave none: kept until the window goes.
  std::unique_ptr<TablesCache> ownTables;
  if (trainerTables == nullptr) ownTables = std::make_unique<TablesCache>();
  TablesCache& tables = trainerTables != nullptr ? *trainerTables : *ownTables;
  const auto setUp = [this, &tables](QWidget* parent, const std::optional<TrainerChoice>& from) {
    TrainerSetupDialog dialog(services.profile, tables, parent);
    if (from) dialog.Select(*from);
    connect(&dialog, &TrainerSetupDialog::GameFactsRequested, this,
            [this, &dialog](const TrainerChoice& shown) {
              emit GameFactsRequested(FactsChoiceOf(shown, kMaxCoins), &dialog);
            });
    ++modalDepth;
    const bool taken = dialog.exec() == QDialog::Accepted;
    --modalDepth;
    if (taken)
      TellSettingNotSaved(dialog.Remembered(), services, parent,
                          QString::fromStdString(values.programTitle), settingProblemTold);
    return taken ? std::optional<TrainerChoice>(dialog.Choice()) : std::nullopt;
  };
  if (!choice) choice = setUp(this, std::nullopt);
  if (!choice || EndIfRequested()) return;
  auto trainer = std::make_unique<TrainerWindow>(values, services, tables, *choice, this);
  trainer->setWindowModality(Qt::WindowModal);
  TrainerWindow* window = trainer.get();
  connect(window, &TrainerWindow::SetupRequested, this, [window, setUp] {
    if (const std::optional<TrainerChoice> next = setUp(window, window->Choice()))
      window->Choose(*next);
  });
  hide();
  emit TrainerOpened(*trainer);
  ++modalDepth;
  trainer->exec();
  --modalDepth;
  lastPlayed = FactsChoiceOf(trainer->Choice(), trainer->StakeCoins());
  trainer.reset();
  if (EndIfRequested()) return;
  show();
  activateWindow();
}

void TitleWindow::AskGameFacts() {
  if (endRequested || saveStarted) return;
  emit GameFactsRequested(lastPlayed ? *lastPlayed : MachineFactsChoice(values.gameVariant),
                          nullptr);
}

void TitleWindow::ShowHelp() {
  services.help.Open(QString::fromStdString(values.helpFile), kHelpTopic);
}

void TitleWindow::ShowAbout() {
  if (modalDepth > 0 || endRequested || saveStarted) return;
  auto about = std::make_unique<AboutWindow>(values, services.screen, windowIcon(), this);
  new HeldKeyFilter(about.get());  // Escape held from the table does not close it at once
  ++modalDepth;
  about->exec();
  --modalDepth;
  about.reset();
  EndIfRequested();
}

void TitleWindow::ShowCatalog() {
  const QString dir =
      values.programDir.empty() ? QStringLiteral("/") : QString::fromStdString(values.programDir);
  const QString found = FindFileNoCase(dir, QStringLiteral("CATALOG.HLP"));
  const QString name =
      found.isEmpty() ? QStringLiteral("CATALOG.HLP") : QFileInfo(found).fileName();
  services.help.Open(QString::fromStdString(values.programDir) + QLatin1Char('/') + name, 0);
}

void TitleWindow::SaveOnce(bool askQuestions) {
  if (saveStarted) return;
  saveStarted = true;
  const bool written = SaveSettings(values, services, this, askQuestions);
  saveWritten = true;
  emit SettingsSaved(written);
  // Somebody is there to read it only when the save may ask its question.
  if (!written) {
    const QString text = SaveFailedText(values, services);
    if (askQuestions)
      services.dialogs.Exclaim(this, QString::fromStdString(values.programTitle), text);
    else
      std::fprintf(stderr, "lynx-video-poker: %s\n", text.toLocal8Bit().constData());
  }
}

void TitleWindow::SaveBeforeExit() {
  if (saveWritten) return;
  // A save that started has its pay-off question open in a nested event loop
  // that exit() never returns to: the loan stays, as when the answer is No.
  saveStarted = true;
  const bool written = SaveSettings(values, services, this, false);
  saveWritten = true;
  emit SettingsSaved(written);
}

void TitleWindow::EndQuietly() {
  askOnSave = false;
  endRequested = true;
  // A modal window of ours returns to its opener, which then closes this
  // window; a save already under way finishes by itself.
  if (modalDepth > 0)
    CloseModalsUntilBack();
  else
    CloseModalWindows();
  if (modalDepth == 0 && !saveStarted) close();
}

void TitleWindow::CloseModalsUntilBack() {
  CloseModalWindows();
  if (modalDepth > 0) endTimer.start();
}

bool TitleWindow::EndIfRequested() {
  if (!endRequested) return false;
  endTimer.stop();
  close();
  return true;
}

void TitleWindow::PaintFan() {
  surface.fill(kBlue);
  for (int k = 0; k < static_cast<int>(kFanCards.size()); ++k) {
    DrawCardFace(surface, 10 + 38 * k, 20 + 3 * k, kFanCards[static_cast<std::size_t>(k)],
                 values.gameVariant);
  }
}

void TitleWindow::paintEvent(QPaintEvent*) {
  PaintFan();
  QPainter painter(this);
  painter.drawImage(0, 0, surface);
  painter.setRenderHint(QPainter::Antialiasing, false);
  painter.setPen(QPen(kWhite, 5, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(0, Twips(3120), Twips(5040), Twips(3120));
  painter.setPen(QPen(kWhite, 3, Qt::SolidLine, Qt::FlatCap));
  painter.drawLine(Twips(3640), 0, Twips(3640), Twips(3120));
}

void TitleWindow::closeEvent(QCloseEvent* event) {
  if (modalDepth > 0) {
    // A table or About window is still running from here: end when it returns.
    endRequested = true;
    event->ignore();
    CloseModalsUntilBack();
    return;
  }
  SaveOnce(askOnSave);
  Timer2.stop();
  endTimer.stop();
  event->accept();
  emit Closed();
}

void TitleWindow::keyPressEvent(QKeyEvent* event) {
  const bool plain =
      !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
  if (event->key() == Qt::Key_F1) {
    ShowHelp();
  } else if (event->key() == Qt::Key_F10 && event->modifiers() == Qt::ShiftModifier) {
    // The menu, as the Menu key opens it, where the keyboard has none.
    QContextMenuEvent menu(QContextMenuEvent::Keyboard, rect().center(),
                           mapToGlobal(rect().center()));
    contextMenuEvent(&menu);
  } else if (event->key() == Qt::Key_R && plain) {
    emit HistoryRequested();
  } else if (event->key() == Qt::Key_T && plain) {
    emit StatisticsRequested();
  } else if (event->key() == Qt::Key_F && plain && !event->isAutoRepeat()) {
    AskGameFacts();
  } else if (event->key() == Qt::Key_P && plain && !event->isAutoRepeat()) {
    OpenTrainer();
  } else if (event->key() >= Qt::Key_1 && event->key() <= Qt::Key_3 && plain &&
             !event->isAutoRepeat()) {
    // The games in the order of their pictures.
    ChooseGame(static_cast<GameVariant>(event->key() - Qt::Key_1 + 1));
  } else {
    QWidget::keyPressEvent(event);
  }
}

void TitleWindow::contextMenuEvent(QContextMenuEvent* event) {
  if (modalDepth > 0 || endRequested || saveStarted) return;
  QMenu menu(this);
  menu.setObjectName(QStringLiteral("TitleMenu"));
  connect(menu.addAction(QStringLiteral("&History\tR")), &QAction::triggered, this,
          &TitleWindow::HistoryRequested);
  connect(menu.addAction(QStringLiteral("&Statistics\tT")), &QAction::triggered, this,
          &TitleWindow::StatisticsRequested);
  connect(menu.addAction(QStringLiteral("&Error Log")), &QAction::triggered, this,
          &TitleWindow::ErrorLogRequested);
  menu.addSeparator();
  // The choices run after the menu has closed, so that a table or the About
  // window does not run inside the menu's own loop.
  const auto later = [this](auto action) {
    return [this, action] { QTimer::singleShot(0, this, action); };
  };
  connect(menu.addAction(QStringLiteral("&Jacks or Better")), &QAction::triggered, this,
          later([this] { ChooseGame(kJacksOrBetter); }));
  connect(menu.addAction(QStringLiteral("J&oker Wild")), &QAction::triggered, this,
          later([this] { ChooseGame(kJokerWild); }));
  connect(menu.addAction(QStringLiteral("&Deuces Wild")), &QAction::triggered, this,
          later([this] { ChooseGame(kDeucesWild); }));
  connect(menu.addAction(QStringLiteral("&Trainer: any game, 1 to 10 hands\tP")),
          &QAction::triggered, this, later([this] { OpenTrainer(); }));
  connect(menu.addAction(QStringLiteral("Game &facts: odds, variance, bankroll\tF")),
          &QAction::triggered, this, &TitleWindow::AskGameFacts);
  menu.addSeparator();
  connect(menu.addAction(QStringLiteral("Help\tF1")), &QAction::triggered, this,
          &TitleWindow::ShowHelp);
  connect(menu.addAction(QStringLiteral("&About")), &QAction::triggered, this,
          later([this] { ShowAbout(); }));
  connect(menu.addAction(QStringLiteral("&Quit")), &QAction::triggered, this,
          later([this] { close(); }));
  menu.exec(event->globalPos());
}

void CloseModalWindows() {
  // Each close takes the window off the modal stack at once, so the next one
  // comes up; the bound only guards against a window that refuses to close.
  for (int guard = 0; guard < 32; ++guard) {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr) return;
    modal->close();
    if (modal->isVisible()) {
      if (auto* dialog = qobject_cast<QDialog*>(modal)) {
        dialog->reject();
      } else {
        modal->hide();
      }
    }
  }
}

}  // namespace lynx
