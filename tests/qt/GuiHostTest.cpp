#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <atomic>
#include <thread>

#include "ModalDriver.h"
#include "WindowTests.h"
#include "app/CMixDlg.h"
#include "platform/DialogModel.h"
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
