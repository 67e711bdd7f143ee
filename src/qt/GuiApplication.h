#pragma once

#include <QApplication>
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

 private:
  std::unique_ptr<QApplication> app_;
  std::unique_ptr<GuiHost> host_;
  UiServices* previous_ = nullptr;
  QString family_;
};

}  // namespace crx::qt
