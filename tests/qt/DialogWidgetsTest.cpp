#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include "AutoAnswer.h"
#include "ModalDriver.h"
#include "WindowTests.h"
#include "app/CMixDlg.h"
#include "app/CRemoveDlg.h"
#include "qt/AboutBox.h"
#include "renderer/CConfigDlg.h"

namespace crx::test {
namespace {

QString U(const char* text) { return QString::fromUtf8(text); }

MixSettings SomeMix() {
  MixSettings s{};
  s.vocalVolume = 150;
  s.accompanimentVolume = 90;
  s.mixVolume = 100;
  s.vocalReverb = 4;
  s.accompanimentReverb = 0;
  s.mixReverb = 32;
  return s;
}

}  // namespace

void DialogWidgetsTest::mixDialogShowsAndTakesItsValues() {
  const std::string longPath = "/home/user/" + std::string(300, 'a') + "/歌声.wav";
  CMixDlg dialog(longPath, "/songs/acc.wav", "/songs/mix.wav", SomeMix());
  WhenModalOpens([&](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("合成"));
    auto* vocal = Child<QLineEdit>(w, "1011");
    QVERIFY(vocal->isReadOnly());
    QCOMPARE(vocal->text(), QString::fromStdString(longPath));  // whole, scrolling
    QCOMPARE(Child<QLineEdit>(w, "1008")->text(), U("/songs/acc.wav"));
    QCOMPARE(Child<QLineEdit>(w, "1009")->text(), U("/songs/mix.wav"));
    auto* volume = Child<QSpinBox>(w, "1012");
    QCOMPARE(volume->value(), 150);
    QCOMPARE(volume->maximum(), 200);
    QCOMPARE(Child<QSpinBox>(w, "1018")->value(), 4);
    auto* mixReverb = Child<QSpinBox>(w, "1022");
    QCOMPARE(mixReverb->maximum(), 32);
    // The arrow keys step the value; the range holds.
    volume->setFocus();
    QTest::keyClick(volume, Qt::Key_Up);
    QTest::keyClick(mixReverb, Qt::Key_Up);
    Child<QSpinBox>(w, "1020")->setValue(7);
    Screenshot(w, "CMixDlg");
    // Return presses the default button, OK.
    QTest::keyClick(volume, Qt::Key_Return);
  });
  QCOMPARE(Ui().RunModal(dialog), DialogResult::Ok);
  QCOMPARE(dialog.Settings().vocalVolume, 151);
  QCOMPARE(dialog.Settings().accompanimentReverb, 7);
  QCOMPARE(dialog.Settings().mixReverb, 32);
  QCOMPARE(dialog.Settings().accompanimentVolume, 90);
}

void DialogWidgetsTest::mixDialogEscapeKeepsTheValues() {
  CMixDlg dialog("v.wav", "a.wav", "m.wav", SomeMix());
  WhenModalOpens([](QWidget* w) {
    Child<QSpinBox>(w, "1012")->setValue(10);
    QTest::keyClick(w, Qt::Key_Escape);
  });
  QCOMPARE(Ui().RunModal(dialog), DialogResult::Cancel);
  QCOMPARE(dialog.Settings().vocalVolume, 150);
}

void DialogWidgetsTest::rendererSettingsShowAndTakeTheirValues() {
  renderer::TunepressSettings settings = renderer::TunepressSettings::Defaults();
  settings.channelFlags[2] = 0;
  settings.leadInBeats = 4;
  renderer::CConfigDlg dialog(settings);
  QTemporaryDir dir;
  const QString encoder = dir.filePath(QStringLiteral("encoder"));
  QFile(encoder).open(QIODevice::WriteOnly);
  AutoAnswer answers;
  answers.File(encoder);
  WhenModalOpens([&](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("設定"));
    for (const char* label :
         {"ボリューム調節", "MP3リンク", "チャネル選択", "曲頭ブランク", "拍"}) {
      bool found = false;
      for (QLabel* l : w->findChildren<QLabel*>()) found = found || l->text() == U(label);
      QVERIFY2(found, label);
    }
    auto* volume = Child<QSpinBox>(w, "1001");
    QCOMPARE(volume->value(), 70);
    QCOMPARE(volume->maximum(), 100);
    QCOMPARE(Child<QSpinBox>(w, "1022")->value(), 4);
    QVERIFY(Child<QCheckBox>(w, "1006")->isChecked());
    QVERIFY(!Child<QCheckBox>(w, "1008")->isChecked());
    QVERIFY(Child<QCheckBox>(w, "1021")->isChecked());
    QCOMPARE(Child<QPushButton>(w, "1003")->text(), U("    O  K"));
    // "..." chooses the program for the link field only.
    Child<QPushButton>(w, "1005")->click();
    QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(QLatin1Char('|'))));
    QCOMPARE(Child<QLineEdit>(w, "1004")->text(), encoder);
    Child<QCheckBox>(w, "1021")->setChecked(false);
    QTest::keyClick(volume, Qt::Key_Down);
    Screenshot(w, "tp_CConfigDlg");
    Child<QPushButton>(w, "1003")->click();
  });
  QCOMPARE(Ui().RunModal(dialog), DialogResult::Ok);
  QCOMPARE(settings.volume, 69);
  QCOMPARE(settings.channelFlags[15], 0);
  QCOMPARE(settings.channelFlags[2], 0);
  QCOMPARE(settings.channelFlags[0], 1);
  QCOMPARE(QString::fromLatin1(settings.mp3Link.data()), encoder);
}

void DialogWidgetsTest::removeDialogTakesItsBoxes() {
  CRemoveDlg dialog({"/s/vocal.mid", "/s/vocal.wav", "/s/acc.wav", "/s/mix.wav"}, {1, 0, 1, 0});
  WhenModalOpens([](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("不要ファイル削除"));
    QCOMPARE(Child<QLineEdit>(w, "1019")->text(), U("/s/vocal.mid"));
    QCOMPARE(Child<QLineEdit>(w, "1009")->text(), U("/s/mix.wav"));
    QVERIFY(Child<QCheckBox>(w, "1020")->isChecked());
    QVERIFY(!Child<QCheckBox>(w, "1022")->isChecked());
    QCOMPARE(Child<QCheckBox>(w, "1023")->text(), U("合成wav"));
    Child<QCheckBox>(w, "1023")->setChecked(true);
    Child<QCheckBox>(w, "1020")->setChecked(false);
    Screenshot(w, "CRemoveDlg");
    Child<QPushButton>(w, "1")->click();
  });
  QCOMPARE(Ui().RunModal(dialog), DialogResult::Ok);
  QCOMPARE(dialog.Flags(), (DeleteFlags{0, 0, 1, 1}));
}

void DialogWidgetsTest::aboutBox() {
  qt::AboutBox box(U(qt::AboutBox::kCantorixCaption), U(qt::AboutBox::kCantorixText), nullptr);
  box.show();
  QCOMPARE(box.windowTitle(), U("バージョン情報 Cantorix"));
  QCOMPARE(Child<QLabel>(&box, "text")->text(), U("Cantorix, Version 1.0"));
  Screenshot(&box, "AboutBox");
  QTest::keyClick(&box, Qt::Key_Return);
  QVERIFY(!box.isVisible());
}

}  // namespace crx::test
