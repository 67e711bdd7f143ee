#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>
#include <atomic>
#include <thread>

#include "ModalDriver.h"
#include "WindowTests.h"
#include "app/CMixDlg.h"
#include "foundation/Diagnostics.h"
#include "midi/MidiMessages.h"
#include "platform/DialogModel.h"
#include "qt/GuiApplication.h"
#include "qt/GuiHost.h"

namespace crx::test {

void GuiHostTest::japaneseFontIsFound() {
  // Without it every Japanese text is drawn as boxes.
  QVERIFY(gui_.JapaneseFamily().startsWith(QStringLiteral("IPA")));
  QCOMPARE(QApplication::font().family(), gui_.JapaneseFamily());
}

void GuiHostTest::messageFromWorkerWaitsForOk() {
  std::atomic<bool> returned{false};
  QString shown;
  bool returnedWhileOpen = true;
  bool onGuiThread = false;
  WhenModalOpens([&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box != nullptr);
    onGuiThread = box->thread() == QApplication::instance()->thread();
    shown = box->text();
    QTest::qWait(150);
    returnedWhileOpen = returned;
    box->button(QMessageBox::Ok)->click();
  });
  std::thread worker([&] {
    Ui().ShowMessage("変換が終了しました。", MessageKind::Plain);
    returned = true;
  });
  QTRY_VERIFY_WITH_TIMEOUT(returned, 5000);
  worker.join();
  QCOMPARE(shown, QString::fromUtf8("変換が終了しました。"));
  QVERIFY(!returnedWhileOpen);
  QVERIFY(onGuiThread);
}

void GuiHostTest::moduleErrorStaysOnTop() {
  bool onTop = false;
  Qt::WindowModality modality = Qt::NonModal;
  WhenModalOpens([&](QWidget* modal) {
    onTop = modal->windowFlags().testFlag(Qt::WindowStaysOnTopHint);
    modality = modal->windowModality();
    qobject_cast<QMessageBox*>(modal)->button(QMessageBox::Ok)->click();
  });
  Ui().ShowMessage("MDTK00000001 ファイルが開けません", MessageKind::ModuleError);
  QVERIFY(onTop);
  QCOMPARE(modality, Qt::ApplicationModal);
}

void GuiHostTest::fileDialogsFollowTheRequest() {
  QCOMPARE(qt::GuiHost::FilterToQt("SMF files|*.mid|"), QStringLiteral("SMF files (*.mid)"));
  QCOMPARE(qt::GuiHost::FilterToQt("wav|*.wav|all|*.wav;*.aiff|"),
           QStringLiteral("wav (*.wav);;all (*.wav *.aiff)"));
  QCOMPARE(qt::GuiHost::FilterToQt("exe files|*.exe|"), QStringLiteral("exe files (*)"));

  QTemporaryDir dir;
  QStringList filters;
  QString suffix;
  bool confirms = false;
  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog != nullptr);
    filters = dialog->nameFilters();
    suffix = dialog->defaultSuffix();
    confirms = !dialog->testOption(QFileDialog::DontConfirmOverwrite);
    dialog->selectFile(dir.filePath(QStringLiteral("mix")));
    static_cast<QDialog*>(dialog)->accept();
  });
  std::optional<std::string> chosen;
  std::thread worker([&] {
    chosen = Ui().SaveFileDialog({"合成 wave files|*.wav|", "*.wav", false, true});
  });
  QTRY_VERIFY_WITH_TIMEOUT(chosen.has_value(), 5000);
  worker.join();
  QCOMPARE(filters, QStringList{QString::fromUtf8("合成 wave files (*.wav)")});
  QCOMPARE(suffix, QStringLiteral("wav"));
  QVERIFY(confirms);
  // The default extension is put on a name typed without one.
  QCOMPARE(QString::fromStdString(*chosen), dir.filePath(QStringLiteral("mix.wav")));

  WhenModalOpens([](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QCOMPARE(dialog->fileMode(), QFileDialog::ExistingFile);
    dialog->reject();
  });
  QVERIFY(!Ui().OpenFileDialog({"SMF files|*.mid|", "mid", true, false}).has_value());
}

void GuiHostTest::fileDialogsAreJapaneseAndStartWhereAsked() {
  // Without the translations the program still runs, in the toolkit's words.
  QTranslator none;
  QVERIFY(!qt::GuiApplication::LoadToolkitTranslations(none, QStringLiteral("/no/such/folder")));
  if (!gui_.ToolkitInJapanese()) QSKIP("the toolkit's Japanese translations are not installed");
  QTemporaryDir dir;
  QString title, folder, proposed, accept, cancel;
  WhenModalOpens([&](QWidget* modal) {
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    QVERIFY(dialog != nullptr);
    title = dialog->windowTitle();
    folder = dialog->directory().absolutePath();
    proposed = dialog->selectedFiles().value(0);
    for (QAbstractButton* b : dialog->findChild<QDialogButtonBox*>()->buttons()) {
      const auto role = dialog->findChild<QDialogButtonBox*>()->buttonRole(b);
      if (role == QDialogButtonBox::AcceptRole) accept = b->text();
      if (role == QDialogButtonBox::RejectRole) cancel = b->text();
    }
    dialog->reject();
  });
  std::atomic<bool> done{false};
  std::thread worker([&] {
    FileDialogRequest request{"歌声MIDI|*.mid|", "mid", false, true};
    request.title = "歌声MIDIファイルを保存";
    request.startFolder = dir.path().toStdString();
    request.proposedName = "ふるさと_歌声.mid";
    Ui().SaveFileDialog(request);
    done = true;
  });
  QTRY_VERIFY_WITH_TIMEOUT(done, 10000);
  worker.join();
  QCOMPARE(title, QString::fromUtf8("歌声MIDIファイルを保存"));
  QCOMPARE(QDir(folder), QDir(dir.path()));
  QCOMPARE(QFileInfo(proposed).fileName(), QString::fromUtf8("ふるさと_歌声.mid"));
  QVERIFY2(accept.contains(QString::fromUtf8("保存")), qPrintable(accept));
  QVERIFY2(cancel.contains(QString::fromUtf8("キャンセル")), qPrintable(cancel));

  // A start folder that is gone: the home folder (nothing was chosen since).
  WhenModalOpens([&](QWidget* modal) {
    folder = qobject_cast<QFileDialog*>(modal)->directory().absolutePath();
    qobject_cast<QFileDialog*>(modal)->reject();
  });
  FileDialogRequest gone{"SMF files|*.mid|", "mid", true, false};
  gone.startFolder = "/no/such/folder";
  QVERIFY(!Ui().OpenFileDialog(gone).has_value());
  QVERIFY(folder != QStringLiteral("/no/such/folder"));
  QVERIFY(QFileInfo(folder).isDir());
}

void GuiHostTest::messagesCarryTheProgramsNameAndTheirAdvice() {
  const QString name = QString::fromUtf8("歌声・伴奏合成ツール");
  gui_.Host().SetMessageTitle(name);
  QString title, text;
  int width = 0, titleWidth = 0;
  auto look = [&](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    QVERIFY(box != nullptr);
    title = box->windowTitle();
    text = box->text();
    width = box->sizeHint().width();
    titleWidth = box->fontMetrics().horizontalAdvance(title);
    box->button(QMessageBox::Ok)->click();
  };
  // A short message does not cut the title.
  WhenModalOpens(look);
  Ui().ShowMessage("済", MessageKind::Plain);
  QCOMPARE(title, name);
  QVERIFY2(width > titleWidth, qPrintable(QStringLiteral("%1 <= %2").arg(width).arg(titleWidth)));
  // A core's module error outside any collector: shown with its advice.
  WhenModalOpens(look);
  ReportModuleError("MDTK0D000001 内部エラー", "MDTK", kMdtkInternal);
  gui_.Host().SetMessageTitle({});
  QVERIFY(text.startsWith(QString::fromUtf8("MDTK0D000001 内部エラー\n")));
  QVERIFY(text.contains(QString::fromUtf8("途中で切れている")));
}

void GuiHostTest::dialogWithoutWidgetIsTakenAsItOpens() {
  struct Plain : DialogModel {
    const char* DialogName() const override { return "NoWidgetDlg"; }
    bool OnOK() override { return ++oks > 0; }
    int oks = 0;
  } plain;
  QCOMPARE(Ui().RunModal(plain), DialogResult::Ok);
  QCOMPARE(plain.oks, 1);
}

}  // namespace crx::test
