#pragma once

#include <QObject>

#include "qt/GuiApplication.h"

namespace crx::test {

// The GUI host: messages, file dialogs and modal dialogs, from any thread.
class GuiHostTest : public QObject {
  Q_OBJECT
 public:
  explicit GuiHostTest(qt::GuiApplication& gui) : gui_(gui) {}
 private slots:
  void japaneseFontIsFound();
  void messageFromWorkerWaitsForOk();
  void moduleErrorStaysOnTop();
  void fileDialogsFollowTheRequest();
  void fileDialogsAreJapaneseAndStartWhereAsked();
  void messagesCarryTheProgramsNameAndTheirAdvice();
  void dialogWithoutWidgetIsTakenAsItOpens();

 private:
  qt::GuiApplication& gui_;
};

// The widgets of the dialog classes, run through the host as the core runs them.
class DialogWidgetsTest : public QObject {
  Q_OBJECT
 public:
  explicit DialogWidgetsTest(qt::GuiApplication& gui) : gui_(gui) {}
 private slots:
  void mixDialogShowsAndTakesItsValues();
  void mixDialogEscapeKeepsTheValues();
  void rendererSettingsShowAndTakeTheirValues();
  void removeDialogTakesItsBoxes();
  void lyricCorrectionForwardsEditsAndTheParticleButton();
  void melodyAndReviewDialogsShowTheirValues();
  void stepDialogsShowTheirFieldsAndPickers();
  void aboutBox();

 private:
  qt::GuiApplication& gui_;
};

// The renderer's window with a real conversion.
class TunepressWindowTest : public QObject {
  Q_OBJECT
 public:
  explicit TunepressWindowTest(qt::GuiApplication& gui) : gui_(gui) {}
 private slots:
  void init();
  void cleanup();
  void showsItsButtons();
  void severalDroppedFilesAreRefused();
  void convertsADroppedMidiFile();
  void droppedFolderAndTextFileConvertNothing();

 private:
  qt::GuiApplication& gui_;
};

// The main window clicked through by hand with stand-in outside programs.
class CantorixWindowTest : public QObject {
  Q_OBJECT
 public:
  explicit CantorixWindowTest(qt::GuiApplication& gui) : gui_(gui) {}
 private slots:
  void showsTheRowsAndTheModes();
  void manualStepsClickedThrough();
  void aDroppedKaraokeFileIsLoadedAsStepOne();
  void stoppingOrClosingDuringARunStopsItsProgram();
  void anAutomaticRunEndsWithTheListOfWhatItMade();

 private:
  qt::GuiApplication& gui_;
};

}  // namespace crx::test
