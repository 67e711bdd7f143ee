#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include "AutoAnswer.h"
#include "ModalDriver.h"
#include "WindowTests.h"
#include "foundation/FileHelpers.h"
#include "qt/ProgressRing.h"
#include "qt/TunepressWindow.h"
#include "support/platform/TempFolder.h"
#include "support/renderer/RenderProbe.h"
#include "support/renderer/SmfBuilder.h"

namespace crx::test {
namespace {

QString U(std::string_view text) { return QString::fromUtf8(text.data(), text.size()); }

// A renderer window over a fresh current folder, as a user starts it.
struct RendererUnderTest {
  TempFolder dir;
  ScopedCurrentFolder here{dir.Path()};
  ScopedSoundFont font{kTestSoundFont};
  renderer::CTunepressDlg dialog;
  std::unique_ptr<qt::TunepressWindow> window;

  explicit RendererUnderTest(qt::GuiApplication& gui) {
    dialog.SetSaveSettingsOnExit(false);
    dialog.OnInitDialog();
    window = std::make_unique<qt::TunepressWindow>(dialog);
    gui.Host().SetMainWindow(window.get());
    gui.Host().SetProposedFile([this] { return dialog.ProposedWavPath(); });
    window->show();
    window->PostStartMessage();
    QTest::qWait(20);
  }
  std::string Song(const std::string& name) {
    SmfBuilder b;
    int t = b.AddTrack();
    b.Tempo(t, 0, 500000);
    b.Program(t, 0, 0, 0);
    for (int key : {60, 64, 67}) b.Note(t, 0, 0, key, 100, 2 * 480);
    const std::string path = dir.File(name);
    SmfBuilder::WriteFile(path, b.Format0());
    return path;
  }
  // Drops local files on the window as a file manager would.
  void Drop(const QStringList& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& p : paths) urls << QUrl::fromLocalFile(p);
    data.setUrls(urls);
    const QPointF at(window->width() / 2.0, window->height() / 2.0);
    QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &enter);
    QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window.get(), &drop);
  }
};

}  // namespace

void TunepressWindowTest::init() {
  if (FileExists(kTestSoundFont) == 0) QSKIP("timgm6mb-soundfont is missing");
}

void TunepressWindowTest::cleanup() {
  gui_.Host().SetMainWindow(nullptr);
  gui_.Host().SetProposedFile(nullptr);
}

void TunepressWindowTest::showsItsButtons() {
  RendererUnderTest r(gui_);
  QCOMPARE(r.window->windowTitle(), QStringLiteral("Tunepresser"));
  QCOMPARE(Child<QPushButton>(r.window.get(), "exit")->text(), U("   終  了"));
  QCOMPARE(Child<QPushButton>(r.window.get(), "convert")->text(), U("   変  換"));
  QCOMPARE(Child<QPushButton>(r.window.get(), "settings")->text(), U("   設　定"));
  Screenshot(r.window.get(), "CTunepressDlg");
  // The settings button runs the settings dialog's widget.
  QString caption;
  WhenModalOpens([&](QWidget* w) {
    caption = w->windowTitle();
    QTest::keyClick(w, Qt::Key_Escape);
  });
  Child<QPushButton>(r.window.get(), "settings")->click();
  QCOMPARE(caption, U("設定"));
  // Exit closes the window.
  Child<QPushButton>(r.window.get(), "exit")->click();
  QTRY_VERIFY(!r.window->isVisible());
}

void TunepressWindowTest::severalDroppedFilesAreRefused() {
  RendererUnderTest r(gui_);
  AutoAnswer answers;
  r.Drop({U(r.Song("a.mid")), U(r.Song("b.mid"))});
  QTRY_COMPARE(answers.messages, QStringList{U("複数のファイルは投入できません。")});
  QVERIFY(answers.proposedFiles.isEmpty());
  QCOMPARE(r.dialog.ProgressCounter(), 0);
}

void TunepressWindowTest::convertsADroppedMidiFile() {
  RendererUnderTest r(gui_);
  AutoAnswer answers;
  const std::string song = r.Song("song.mid");
  const QString wav = U(r.dir.File("out.wav"));
  answers.File(wav);
  r.Drop({U(song)});
  QTRY_VERIFY_WITH_TIMEOUT(!answers.messages.isEmpty(), 60000);
  QCOMPARE(answers.messages, QStringList{U("変換が終了しました。")});
  QCOMPARE(answers.proposedFiles, QStringList{U(r.dir.File("song.wav"))});
  std::optional<WavProbe> probe = WavProbe::Read(wav.toStdString());
  QVERIFY(probe.has_value());
  QCOMPARE(probe->sampleRate, 44100u);
  QVERIFY(probe->Seconds() > 0.9);
  QVERIFY(probe->Peak() > 0.01);
  // The ring followed the progress counter, and the buttons are back.
  QVERIFY(r.dialog.ProgressCounter() > 0);
  QCOMPARE(r.window->Progress()->Counter(), r.dialog.ProgressCounter());
  QVERIFY(Child<QPushButton>(r.window.get(), "convert")->isEnabled());
  QVERIFY(Child<QPushButton>(r.window.get(), "exit")->isEnabled());
  Screenshot(r.window.get(), "CTunepressDlg_after");
}

void TunepressWindowTest::droppedFolderAndTextFileConvertNothing() {
  RendererUnderTest r(gui_);
  AutoAnswer answers;
  const std::string text = r.dir.File("notes.txt");
  TempFolder folder;
  WriteFileBytes(text, "not a MIDI file");
  for (const std::string& dropped : {text, folder.Path()}) {
    answers.messages.clear();
    const QString wav = U(r.dir.File("x.wav"));
    answers.File(wav);
    r.Drop({U(dropped)});
    QTRY_VERIFY_WITH_TIMEOUT(answers.messages.contains(U("変換が終了しました。")), 20000);
    // A clear message before the end, and no WAV.
    QVERIFY2(answers.messages.size() >= 2, qPrintable(answers.messages.join('|')));
    QVERIFY(!QFile::exists(wav));
    QVERIFY(Child<QPushButton>(r.window.get(), "convert")->isEnabled());
  }
}

}  // namespace crx::test
