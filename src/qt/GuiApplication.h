#pragma once

#include <QApplication>
#include <QTranslator>
#include <memory>

#include "qt/GuiHost.h"

namespace crx::qt {

// The Qt application of one program with its GUI host installed: Japanese
// font chosen, every dialog widget registered. A program without a display
// ends here with a message on standard error and exit code 1.
class GuiApplication {
 public:
  GuiApplication(int& argc, char** argv, const char* programName, const char* iconName);
  ~GuiApplication();
  GuiApplication(const GuiApplication&) = delete;
  GuiApplication& operator=(const GuiApplication&) = delete;

  QApplication& App() { return *app_; }
  GuiHost& Host() { return *host_; }
  // The font family the windows use; empty when no Japanese font was found.
  const QString& JapaneseFamily() const { return family_; }

  // The first installed family that draws Japanese, preferring IPA Gothic.
  static QString FindJapaneseFamily();
  // The toolkit's own texts (file dialogs, standard buttons) are Japanese
  // when its translations are installed; else they stay as they are.
  bool ToolkitInJapanese() const { return translated_; }
  // Loads the toolkit's Japanese translations from the folder (empty: where
  // the toolkit keeps them). False when none are there.
  static bool LoadToolkitTranslations(QTranslator& translator, const QString& folder = {});

 private:
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<GuiHost> host_;
  UiServices* previous_ = nullptr;
  DiagnosticSink* previousSink_ = nullptr;
  QString family_;
  std::unique_ptr<QTranslator> translator_;
  bool translated_ = false;
};

}  // namespace crx::qt
