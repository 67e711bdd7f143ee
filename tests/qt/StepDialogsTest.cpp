#include <QCheckBox>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "AutoAnswer.h"
#include "ModalDriver.h"
#include "Ocr.h"
#include "WindowTests.h"
#include "app/CConfigDlg.h"
#include "app/CEditDlg.h"
#include "app/CExternalDlg.h"
#include "app/CLyricConvertDlg.h"
#include "app/CMP3Dlg.h"
#include "app/CMelodyDlg.h"
#include "app/CTextEditDlg.h"
#include "app/CVideoDlg.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "support/karaoke/XfFileBuilder.h"

namespace crx::test {
namespace {

QString U(const char* text) { return QString::fromUtf8(text); }
std::string Sjis(std::string_view utf8) { return XfFileBuilder::Cp932(utf8); }

using PathField = std::array<char, kPathFieldSize>;
PathField Field(std::string_view text) {
  PathField f{};
  std::copy(text.begin(), text.end(), f.begin());
  return f;
}

// An empty file the file dialogs may pick.
QString Touch(const QTemporaryDir& dir, const char* name) {
  const QString path = dir.filePath(QString::fromLatin1(name));
  QFile(path).open(QIODevice::WriteOnly);
  return path;
}

// Japanese is typed through the input method: its committed text.
void Type(QWidget* field, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QApplication::sendEvent(field, &event);
}

}  // namespace

void DialogWidgetsTest::lyricCorrectionForwardsEditsAndTheParticleButton() {
  AutoAnswer answers;
  CTextEditDlg particle(Sjis("あいうわたしは"), Sjis("わたしは"));
  particle.SetPosition(3, 16);
  WhenModalOpens([](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("歌詞修正"));
    QCOMPARE(Child<QLabel>(w, "1008")->text(), U("3 / 16"));
    QCOMPARE(Child<QLabel>(w, "1009")->text(), U(CTextEditDlg::kHint.data()));
    QVERIFY(Child<QLineEdit>(w, "1003")->isReadOnly());
    QCOMPARE(Child<QLineEdit>(w, "1003")->text(), U("あいうわたしは"));
    QCOMPARE(Child<QLineEdit>(w, "1004")->text(), U("わたしは"));
    QCOMPARE(Child<QPushButton>(w, "1005")->text(), U("「は」を「わ」に変更"));
    QCOMPARE(Child<QPushButton>(w, "1006")->text(), U("スキップ"));
    QCOMPARE(Child<QPushButton>(w, "1007")->text(), U("すべて提案どおり"));
    // Enter confirms: the default button is 確定, never スキップ.
    QVERIFY(Child<QPushButton>(w, "1")->isDefault());
    QVERIFY(!Child<QPushButton>(w, "1006")->isDefault());
    Screenshot(w, "CTextEditDlg");
    if (std::optional<QString> read = ReadJapanese(w->grab().toImage())) {
      for (const char* shown : {"数文字前からのテキスト", "スキップ", "3/16"}) {
        QVERIFY2(read->contains(U(shown)), qPrintable(U(shown) + QStringLiteral(" in ") + *read));
      }
    }
    Child<QPushButton>(w, "1005")->click();
  });
  QCOMPARE(Ui().RunModal(particle), DialogResult::Ok);
  QCOMPARE(particle.Target(), Sjis("わたしわ"));
  QCOMPARE(particle.Chosen(), CTextEditDlg::Choice::Confirmed);

  // A kanji keeps the dialog open on Enter until the lyric is plain kana.
  CTextEditDlg kanji(Sjis("さくら"), Sjis("桜"));
  WhenModalOpens([&answers](QWidget* w) {
    QCOMPARE(Child<QPushButton>(w, "1005")->text(), U("修正を反映"));
    auto* target = Child<QLineEdit>(w, "1004");
    QTest::keyClick(target, Qt::Key_Return);
    QCOMPARE(answers.messages,
             QStringList{U("歌詞に漢字やアルファベット、記号が含まれています。")});
    QVERIFY(w->isVisible());
    target->clear();
    Type(target, U("さくら"));
    QTest::keyClick(target, Qt::Key_Return);
  });
  QCOMPARE(Ui().RunModal(kanji), DialogResult::Ok);
  QCOMPARE(kanji.Target(), Sjis("さくら"));
  QVERIFY(kanji.Edited());
  QCOMPARE(answers.messages.size(), 1);

  // スキップ and すべて提案どおり close at once, whatever the field holds.
  CTextEditDlg skipped(Sjis("空"), Sjis("空"));
  WhenModalOpens([](QWidget* w) { Child<QPushButton>(w, "1006")->click(); });
  Ui().RunModal(skipped);
  QCOMPARE(skipped.Chosen(), CTextEditDlg::Choice::Skipped);
  CTextEditDlg all(Sjis("空"), Sjis("そら"));
  WhenModalOpens([](QWidget* w) { Child<QPushButton>(w, "1007")->click(); });
  Ui().RunModal(all);
  QCOMPARE(all.Chosen(), CTextEditDlg::Choice::AcceptAll);
  QCOMPARE(answers.messages.size(), 1);
}

void DialogWidgetsTest::melodyAndReviewDialogsShowTheirValues() {
  AutoAnswer answers;
  CMelodyDlg melody(5, 20);
  WhenModalOpens([&answers](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("歌の音域"));
    auto* lowest = Child<QLineEdit>(w, "1030");
    auto* highest = Child<QLineEdit>(w, "1029");
    QVERIFY(lowest->isReadOnly());
    QCOMPARE(lowest->text(), U("5"));
    QCOMPARE(highest->text(), U("20"));
    bool reference = false;
    for (QLabel* l : w->findChildren<QLabel*>())
      reference = reference || l->text() == U("参考音域　60 - 72");
    QVERIFY(reference);
    // OK refuses a range no voice sings; the buttons move both notes.
    Child<QPushButton>(w, "1")->click();
    QCOMPARE(answers.messages, QStringList{U("音域が異常です。")});
    QVERIFY(w->isVisible());
    Child<QPushButton>(w, "1031")->click();
    Child<QPushButton>(w, "1031")->click();
    Child<QPushButton>(w, "1032")->click();
    QCOMPARE(lowest->text(), U("17"));
    QCOMPARE(highest->text(), U("32"));
    QCOMPARE(Child<QPushButton>(w, "1032")->text(), U("オクターブ下げる"));
    Screenshot(w, "CMelodyDlg");
    QTest::keyClick(w, Qt::Key_Return);
  });
  QCOMPARE(Ui().RunModal(melody), DialogResult::Ok);
  QCOMPARE(melody.Lowest(), 17);

  QTemporaryDir dir;
  Touch(dir, "kanji.csv");
  Touch(dir, "english.csv");
  XfFileBuilder b;
  b.Tempo(0, 500000).Note(0, 0, 60, 100, 470).Note(480, 0, 62, 100, 470);
  b.Note(960, 0, 64, 100, 470).LyricUtf8(0, "さ").LyricUtf8(480, "く").LyricUtf8(960, "/ら");
  XfKaraokeData song(b.WriteTo(dir.filePath(QStringLiteral("song.mid")).toStdString()));
  CVocaloid vocaloid;
  CLyricConvertDlg review(song, vocaloid, 0, dir.path().toStdString());
  WhenModalOpens([](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("歌詞確認"));
    auto* list = Child<QListWidget>(w, "1002");
    QCOMPARE(list->count(), 2);
    QCOMPARE(list->item(0)->text(), U("さく"));
    QCOMPARE(list->item(1)->text(), U("ら"));
    auto* notes = Child<QListWidget>(w, "1010");
    QCOMPARE(notes->count(), 3);
    QCOMPARE(notes->item(2)->text(), U("0:01.0  E4  ら"));
    QCOMPARE(Child<QPushButton>(w, "1011")->text(), U("歌詞修正に戻る"));
    Screenshot(w, "CLyricConvertDlg");
    Child<QPushButton>(w, "1")->click();
  });
  QCOMPARE(Ui().RunModal(review), DialogResult::Ok);
  QVERIFY(!review.BackToCorrection());
  WhenModalOpens([](QWidget* w) { Child<QPushButton>(w, "1011")->click(); });
  Ui().RunModal(review);
  QVERIFY(review.BackToCorrection());
}

void DialogWidgetsTest::stepDialogsShowTheirFieldsAndPickers() {
  QTemporaryDir dir;
  AutoAnswer answers;
  const std::string longPath = "/home/user/" + std::string(230, 'b') + "/背景.bmp";
  PathField background = Field(longPath);
  const QString image = Touch(dir, "sky.png");
  answers.File(image);
  CVideoDlg video("/s/mix.wav", "/s/song.mid", background, "/s/song.avi", dir.path().toStdString());
  WhenModalOpens([&](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("動画"));
    QVERIFY(Child<QLineEdit>(w, "1007")->isReadOnly());
    QCOMPARE(Child<QLineEdit>(w, "1010")->text(), U("/s/song.avi"));
    QCOMPARE(Child<QLineEdit>(w, "1009")->text(), QString::fromStdString(longPath));
    Screenshot(w, "CVideoDlg");
    Child<QPushButton>(w, "1039")->click();
    QCOMPARE(Child<QLineEdit>(w, "1009")->text(), image);
    Type(Child<QLineEdit>(w, "1034"), U("さくら"));
    Type(Child<QPlainTextEdit>(w, "1037"), U("さくら\nさくら"));
    Child<QPushButton>(w, "1")->click();
  });
  QCOMPARE(Ui().RunModal(video), DialogResult::Ok);
  QVERIFY(video.Written());
  QCOMPARE(video.TextOf(CVideoDlg::kTitle), std::string("さくら"));
  // The lyrics are stored with the line ends of the video maker.
  QCOMPARE(video.TextOf(CVideoDlg::kLyrics), std::string("さくら\r\nさくら"));
  QCOMPARE(QString::fromUtf8(background.data()), image);

  PathField program = Field("/opt/old/editor");
  const QString converter = Touch(dir, "Lumivoce");
  answers.File(converter);
  CExternalDlg external("/s/vocal.mid", "/s/vocal.wav", program);
  WhenModalOpens([&](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("歌声用ＷＡＶ出力"));
    QCOMPARE(Child<QLineEdit>(w, "1006")->text(), U("/s/vocal.mid"));
    QVERIFY(Child<QLineEdit>(w, "1008")->isReadOnly());
    Child<QPushButton>(w, "1009")->click();
    QCOMPARE(Child<QLineEdit>(w, "1008")->text(), converter);
    QCOMPARE(Child<QLabel>(w, "1010")->text(), QString::fromStdString(CExternalDlg::ExplanationFor(
                                                   converter.toStdString(), "/s/vocal.wav")));
    Screenshot(w, "CExternalDlg");
    QTest::keyClick(w, Qt::Key_Return);
  });
  QCOMPARE(Ui().RunModal(external), DialogResult::Ok);

  PathField encoder = Field("/usr/bin/enc");
  CMP3Dlg skip(encoder);
  WhenModalOpens([](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("MP3変換"));
    QCOMPARE(Child<QLineEdit>(w, "1021")->text(), U("/usr/bin/enc"));
    QCOMPARE(Child<QPushButton>(w, "1")->text(), U("実行"));
    Screenshot(w, "CMP3Dlg");
    Child<QPushButton>(w, "2")->click();
  });
  Ui().RunModal(skip);
  QCOMPARE(skip.Skip(), 1);
  CMP3Dlg run(encoder);
  WhenModalOpens([](QWidget* w) { QTest::keyClick(w, Qt::Key_Return); });
  Ui().RunModal(run);
  QCOMPARE(run.Skip(), 0);

  const QString newEncoder = Touch(dir, "encoder2");
  answers.File(newEncoder);
  CConfigDlg config({1, 0, 0, 1}, program, encoder);
  WhenModalOpens([&](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("設定"));
    QCOMPARE(Child<QLineEdit>(w, "1008")->text(), converter);
    QVERIFY(Child<QCheckBox>(w, "1020")->isChecked());
    QVERIFY(!Child<QCheckBox>(w, "1022")->isChecked());
    QCOMPARE(Child<QCheckBox>(w, "1021")->text(), U("削除"));
    Child<QCheckBox>(w, "1022")->setChecked(true);
    Child<QPushButton>(w, "1011")->click();
    QCOMPARE(Child<QLineEdit>(w, "1010")->text(), newEncoder);
    Screenshot(w, "CConfigDlg");
    Child<QPushButton>(w, "1")->click();
  });
  QCOMPARE(Ui().RunModal(config), DialogResult::Ok);
  QCOMPARE(config.Flags(), (DeleteFlags{1, 1, 0, 1}));
  QCOMPARE(QString::fromUtf8(encoder.data()), newEncoder);

  PathField editor = Field("/usr/bin/old");
  CEditDlg edit(editor, "/s/vocal.wav");
  WhenModalOpens([](QWidget* w) {
    QCOMPARE(w->windowTitle(), U("サウンド編集"));
    QVERIFY(Child<QLineEdit>(w, "1007")->isReadOnly());
    auto* field = Child<QLineEdit>(w, "1008");
    QVERIFY(!field->isReadOnly());
    field->selectAll();
    QTest::keyClicks(field, U("/usr/bin/sound-editor"));
    Screenshot(w, "CEditDlg");
    QTest::keyClick(field, Qt::Key_Return);
  });
  QCOMPARE(Ui().RunModal(edit), DialogResult::Ok);
  QCOMPARE(std::string(editor.data()), std::string("/usr/bin/sound-editor"));
  QVERIFY2(answers.messages.isEmpty(), qPrintable(answers.messages.join(QLatin1Char('|'))));
}

}  // namespace crx::test
