#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <filesystem>

#include "AutoAnswer.h"
#include "ModalDriver.h"
#include "Ocr.h"
#include "WindowTests.h"
#include "app/CCantorixDlg.h"
#include "app/CResultDlg.h"
#include "app/DroppedKaraoke.h"
#include "foundation/FileHelpers.h"
#include "qt/CantorixWindow.h"
#include "support/audio/WavBuilder.h"
#include "support/karaoke/XfFileBuilder.h"
#include "support/platform/TempFolder.h"

namespace crx::test {
namespace {

namespace fs = std::filesystem;
using Dlg = CCantorixDlg;
QString U(std::string_view text) { return QString::fromUtf8(text.data(), text.size()); }

// A start folder with the dictionaries and a stand-in singer, the working
// folder in a temporary configuration home, and a short song.
struct MainUnderTest {
  TempFolder start, config, songs;
  std::string karaoke;
  std::unique_ptr<Dlg> dialog;
  std::unique_ptr<qt::CantorixWindow> window;

  explicit MainUnderTest(qt::GuiApplication& gui) {
    setenv("XDG_CONFIG_HOME", config.Path().c_str(), 1);
    for (const char* name : {"kanji.csv", "english.csv"}) {
      fs::create_symlink(std::string(CRX_START_FOLDER) + "/" + name, start.File(name));
    }
    // The singer writes a copy of a small WAV beside the vocal MIDI.
    WriteFileBytes(start.File("CantorixSinger"),
                   "#!/bin/sh\nhead -c 4000 /dev/zero > \"${1%.*}.wav\"\n");
    fs::permissions(start.File("CantorixSinger"), fs::perms::owner_all);
    XfFileBuilder song;
    song.Tempo(0, 500000);
    for (int i = 0; i < 8; ++i) song.Note(i * 480, 0, 60 + i, 100, 460);
    song.LyricsUtf8(0, 480, {"さ", "く", "ら", "さ", "く", "ら", "や", "よ"});
    karaoke = song.WriteTo(songs.File("song.mid"));
    ProgramLocations where{
        start.Path(), {start.File("CantorixSinger")}, {start.File("lame")}, {start.File("ed")}};
    dialog = std::make_unique<Dlg>(OutsidePrograms(where, ProgramWaits{300, 3000, 2, 10}));
    window = std::make_unique<qt::CantorixWindow>(*dialog);
    gui.Host().SetMainWindow(window.get());
    dialog->OnInitDialog();
    window->Sync();
    window->show();
  }
  ~MainUnderTest() {
    // Leaving midway asks; the answer is yes.
    AutoAnswer leave;
    window->close();
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->WorkerRunning(), 20000);
    dialog->OnDestroy();
    window.reset();
    dialog.reset();
    unsetenv("XDG_CONFIG_HOME");
  }
  // The enabled buttons as the window shows them: "x2 r1 e4", "A" for the
  // automatic run.
  std::string Buttons() const {
    std::string x = "x", r = " r", e = " e", a;
    for (int row = 0; row <= Dlg::kStepCount; ++row) {
      const Dlg::StepRow& s = Dlg::kRows[static_cast<size_t>(row)];
      const char step = static_cast<char>('1' + row);
      auto on = [&](int id) { return id != 0 && window->Control(id)->isEnabled(); };
      if (row == Dlg::kFullAutoRow) {
        if (on(s.executeId)) a = " A";
        continue;
      }
      if (on(s.executeId)) x += step;
      if (on(s.redoId)) r += step;
      if (on(s.editId)) e += step;
    }
    return x + r + e + a;
  }
  void Click(int step) {
    window->ClickControl(Dlg::kRows[static_cast<size_t>(step - 1)].executeId);
    QTRY_VERIFY_WITH_TIMEOUT(!window->Busy(), 20000);
    // Not WaitForWorker(): the worker's own requests need the GUI thread.
    QTRY_VERIFY_WITH_TIMEOUT(!dialog->WorkerRunning(), 20000);
    QTest::qWait(20);
  }
};

}  // namespace

void CantorixWindowTest::showsTheRowsAndTheModes() {
  MainUnderTest m(gui_);
  QCOMPARE(m.window->windowTitle(), U("歌声・伴奏合成ツール"));
  for (const Dlg::StepRow& row : Dlg::kRows) {
    auto* description = qobject_cast<QPlainTextEdit*>(m.window->Control(row.descriptionId));
    QCOMPARE(description->toPlainText(), U(row.description));
    QVERIFY(description->isReadOnly());
    QCOMPARE(static_cast<QPushButton*>(m.window->Control(row.executeId))->text(), U("実行"));
  }
  QCOMPARE(static_cast<QPushButton*>(m.window->Control(1017))->text(), U("やりなおし"));
  QCOMPARE(static_cast<QPushButton*>(m.window->Control(1025))->text(), U("編集"));
  auto* mode = qobject_cast<QComboBox*>(m.window->Control(Dlg::kModeBoxId));
  QCOMPARE(mode->count(), 4);
  QCOMPARE(mode->itemText(3), U("自動(wmv)"));
  QCOMPARE(m.Buttons(), std::string("x1 r e"));
  Screenshot(m.window.get(), "CCantorixDlg");
  // What a user reads, read back from the picture.
  if (std::optional<QString> read = ReadJapanese(m.window->grab().toImage())) {
    for (const char* shown : {"MP3ファイルを作成します", "ヘルプ", "STEP9"}) {
      QVERIFY2(read->contains(U(shown)), qPrintable(U(shown) + QStringLiteral(" in ") + *read));
    }
  }
  // Enter in the window does not quit.
  QVERIFY(!static_cast<QPushButton*>(m.window->Control(Dlg::kCloseId))->isDefault());
  m.window->Control(Dlg::kModeBoxId)->setFocus();
  QTest::keyClick(m.window.get(), Qt::Key_Return);
  QTest::qWait(20);
  QVERIFY(m.window->isVisible());
  // An automatic mode leaves only the automatic run; manual brings step 1 back.
  mode->setCurrentIndex(2);
  emit mode->activated(2);
  QCOMPARE(m.Buttons(), std::string("x r e A"));
  QCOMPARE(m.dialog->ModeSelection(), 2);
  mode->setCurrentIndex(0);
  emit mode->activated(0);
  QCOMPARE(m.Buttons(), std::string("x1 r e"));
}

void CantorixWindowTest::manualStepsClickedThrough() {
  MainUnderTest m(gui_);
  AutoAnswer answers;
  answers.pressDefaultButtons = true;
  QVERIFY(!m.window->windowTitle().contains(QStringLiteral("song.mid")));
  answers.File(U(m.karaoke));
  m.Click(1);
  QCOMPARE(m.Buttons(), std::string("x2 r1 e"));
  // The title names the song loaded.
  QVERIFY(m.window->windowTitle().startsWith(QStringLiteral("song.mid - ")));
  m.Click(2);
  QCOMPARE(m.Buttons(), std::string("x3 r12 e"));
  answers.File(U(m.songs.File("vocal.mid")));
  m.Click(3);
  QCOMPARE(m.Buttons(), std::string("x4 r123 e"));
  QVERIFY(FileExists(m.songs.File("vocal.mid")) != 0);
  m.Click(4);
  QCOMPARE(m.Buttons(), std::string("x5 r1234 e4"));
  // The plain-kana lyrics need no correction; each step's window was shown.
  QCOMPARE(answers.dialogs, (QStringList{"CMelodyDlg", "CLyricConvertDlg", "CExternalDlg"}));
  QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join('|')));
  // While a step runs no step button, mode box or 終了 can be clicked.
  const Dlg::StepRow& five = Dlg::kRows[4];
  m.window->ClickControl(five.executeId);
  QVERIFY(!m.window->Control(five.redoId - 1)->isEnabled());
  QVERIFY(!m.window->Control(Dlg::kModeBoxId)->isEnabled());
  QVERIFY(!m.window->Control(Dlg::kCloseId)->isEnabled());
  QTRY_VERIFY_WITH_TIMEOUT(!m.window->Busy(), 60000);
}

void CantorixWindowTest::aDroppedKaraokeFileIsLoadedAsStepOne() {
  MainUnderTest m(gui_);
  AutoAnswer answers;
  answers.pressDefaultButtons = true;
  // A folder, a text file: a message each, nothing loaded.
  WriteFileBytes(m.songs.File("notes.txt"), "さくら");
  m.window->DropPaths({U(m.songs.Path())});
  m.window->DropPaths({U(m.songs.File("notes.txt"))});
  QTRY_COMPARE_WITH_TIMEOUT(answers.messages.size(), 2, 10000);
  QCOMPARE(answers.messages[0], U(DroppedKaraoke::kFolderMessage));
  QCOMPARE(answers.messages[1], U(DroppedKaraoke::kNotMidiMessage));
  QCOMPARE(m.Buttons(), std::string("x1 r e"));
  // The karaoke file: loaded as step 1 loads it, melody range included.
  m.window->DropPaths({U(m.karaoke)});
  QTRY_VERIFY_WITH_TIMEOUT(!m.window->Busy(), 20000);
  QTRY_VERIFY_WITH_TIMEOUT(!m.dialog->WorkerRunning(), 20000);
  QCOMPARE(m.Buttons(), std::string("x2 r1 e"));
  QCOMPARE(QString::fromStdString(m.dialog->Flow().KaraokeMidiPath()), U(m.karaoke));
  QCOMPARE(answers.dialogs, QStringList{"CMelodyDlg"});
  QCOMPARE(answers.messages.size(), 2);
}

void CantorixWindowTest::stoppingOrClosingDuringARunStopsItsProgram() {
  MainUnderTest m(gui_);
  // A singer that would take long, and says when it has started.
  const std::string started = m.songs.File("started");
  WriteFileBytes(m.start.File("CantorixSinger"), "#!/bin/sh\n: > " + ShellQuote(started) +
                                                     "\necho part > \"${1%.*}.wav\"\n"
                                                     "sleep 30\n");
  AutoAnswer answers;
  answers.pressDefaultButtons = true;
  answers.File(U(m.karaoke));
  m.Click(1);
  m.Click(2);
  answers.File(U(m.songs.File("vocal.mid")));
  m.Click(3);
  const Dlg::StepRow& four = Dlg::kRows[3];
  QVERIFY(!m.window->StopButton()->isEnabled());
  // 中止 stops the step: it failed, and may be run again.
  m.window->ClickControl(four.executeId);
  QTRY_VERIFY_WITH_TIMEOUT(fs::exists(started), 20000);
  QVERIFY(m.window->StopButton()->isEnabled());
  m.window->StopButton()->click();
  QTRY_VERIFY_WITH_TIMEOUT(!m.window->Busy(), 10000);
  QCOMPARE(m.Buttons(), std::string("x4 r123 e"));
  QVERIFY(!fs::exists(m.songs.File("vocal.wav")));
  QVERIFY(m.window->isVisible());
  QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join('|')));
  // Closing stops it too, and then closes.
  fs::remove(started);
  m.window->ClickControl(four.executeId);
  QTRY_VERIFY_WITH_TIMEOUT(fs::exists(started), 20000);
  QElapsedTimer timer;
  timer.start();
  m.window->close();
  QVERIFY(m.window->isVisible());  // not before the run has stopped
  QTRY_VERIFY_WITH_TIMEOUT(!m.window->isVisible(), 10000);
  QVERIFY(timer.elapsed() < 10000);
  QVERIFY(!m.window->Busy());
  // Leaving in the middle of the steps was asked first (and answered yes).
  QCOMPARE(answers.messages, QStringList{U(Dlg::kQuitQuestion)});
  // The singer's half-written WAV is gone; the files of the steps before stay.
  QVERIFY(!fs::exists(m.songs.File("vocal.wav")));
  QVERIFY(fs::exists(m.songs.File("vocal.mid")));
}

void CantorixWindowTest::anAutomaticRunEndsWithTheListOfWhatItMade() {
  MainUnderTest m(gui_);
  // Stand-ins that leave real WAVs, so that the mix has something to mix.
  std::vector<uint8_t> second;
  for (int i = 0; i < 44100 * 2; ++i) second.push_back(static_cast<uint8_t>(i % 7 == 0 ? 40 : 0));
  const std::string source = m.songs.File("voice.source");
  WavBuilder().Data(second).WriteTo(source);
  // The renderer tells how far it is, and takes a moment.
  for (auto [name, target] :
       {std::pair{"CantorixSinger", "\"${1%.*}.wav\""},
        std::pair{"TunepressCRX", "\"$2\"; echo 'TunepressCRX: 50%' >&2; sleep 0.5"}}) {
    WriteFileBytes(m.start.File(name), "#!/bin/sh\ncp " + ShellQuote(source) + " " + target + "\n");
    fs::permissions(m.start.File(name), fs::perms::owner_all);
  }
  // What 再生 hands to the desktop is written down.
  const std::string opened = m.songs.File("opened");
  WriteFileBytes(m.start.File("opener"),
                 "#!/bin/sh\nprintf '%s' \"$1\" > " + ShellQuote(opened) + "\n");
  fs::permissions(m.start.File("opener"), fs::perms::owner_all);
  m.dialog->SetDesktopOpener(m.start.File("opener"));

  AutoAnswer answers;
  answers.pressDefaultButtons = true;
  answers.leftToTheTest << "CResultDlg";
  answers.File(U(m.karaoke));
  auto* mode = qobject_cast<QComboBox*>(m.window->Control(Dlg::kModeBoxId));
  mode->setCurrentIndex(1);
  emit mode->activated(1);
  // The list comes up inside the run's own wait: it is looked at from a timer.
  bool listSeen = false;
  const QString mix = U("合成WAV: ") + U(m.songs.File("song.wav"));
  const auto lookAtTheList = [&](QWidget* list) {
    QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join('|')));
    // Every file listed exists, the song's mix among them.
    auto* files = Child<QListWidget>(list, "files");
    QVERIFY(!files->findItems(mix, Qt::MatchExactly).isEmpty());
    for (int i = 0; i < files->count(); ++i) {
      const QString line = files->item(i)->text();
      QVERIFY2(fs::exists(line.mid(line.indexOf(QStringLiteral(": ")) + 2).toStdString()),
               qPrintable(line));
    }
    Screenshot(list, "CResultDlg");
    // The list holds a temporary folder's random name: the reader sees the
    // rest, which is the same at every run.
    QImage shot = list->grab().toImage();
    QPainter(&shot).fillRect(files->geometry(), Qt::white);
    if (std::optional<QString> read = ReadJapanese(shot)) {
      for (const char* shown : {"処理が終了しました", "再生", "フォルダを開く"}) {
        QVERIFY2(read->contains(U(shown)), qPrintable(U(shown) + QStringLiteral(" in ") + *read));
      }
    }
    files->setCurrentItem(files->findItems(mix, Qt::MatchExactly).front());
    Child<QPushButton>(list, "play")->click();
    QTRY_COMPARE_WITH_TIMEOUT(fs::exists(opened) ? U(ReadFileBytes(opened)) : QString(),
                              U(m.songs.File("song.wav")), 10000);
    listSeen = true;
  };
  QTimer poll;
  poll.setInterval(10);
  int barShowed = -1;
  bool renderRowMarked = false;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (m.window->ProgressBar()->isVisible()) barShowed = m.window->ProgressBar()->value();
    // The accompaniment's row is marked while the renderer works.
    if (m.window->RowLabel(4)->font().bold()) renderRowMarked = true;
    QWidget* list = QApplication::activeModalWidget();
    if (list == nullptr || list->objectName() != QStringLiteral("CResultDlg") ||
        !list->isVisible()) {
      return;
    }
    poll.stop();
    lookAtTheList(list);
    static_cast<QDialog*>(list)->accept();
  });
  poll.start();
  m.window->ClickControl(Dlg::kFullAutoId);
  QTRY_VERIFY_WITH_TIMEOUT(!m.window->Busy() && !m.dialog->WorkerRunning(), 60000);
  QVERIFY(listSeen);
  QCOMPARE(barShowed, 50);
  QVERIFY(renderRowMarked);
  QVERIFY(!m.window->RowLabel(4)->font().bold());
  QVERIFY(!m.window->ProgressBar()->isVisible());

  // The rows say what was made; the song waits in the recent list.
  auto* first = qobject_cast<QPlainTextEdit*>(m.window->Control(Dlg::kRows[0].descriptionId));
  QVERIFY(first->toPlainText().endsWith(U("完了：song.mid")));
  auto* mixRow = qobject_cast<QPlainTextEdit*>(m.window->Control(Dlg::kRows[5].descriptionId));
  QVERIFY(mixRow->toPlainText().endsWith(U("完了：song.wav")));
  QCOMPARE(m.dialog->RunningRow(), -1);
  mode->setCurrentIndex(0);
  emit mode->activated(0);
  QVERIFY(m.window->RecentButton()->isEnabled());
  emit m.window->RecentButton()->menu()->aboutToShow();
  const QList<QAction*> recent = m.window->RecentButton()->menu()->actions();
  QCOMPARE(recent.size(), 1);
  QVERIFY(recent.front()->text().startsWith(QStringLiteral("song.mid")));
}

}  // namespace crx::test
