#pragma once

#include <QDialog>

namespace crx::qt {

// The about box: the program's icon, its name and version, and OK.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  static constexpr const char* kCantorixCaption = "バージョン情報 Cantorix";
  static constexpr const char* kCantorixText = "Cantorix, Version 1.0";
  static constexpr const char* kTunepressCaption = "バージョン情報 Tunepresser";
  static constexpr const char* kTunepressText = "Tunepresser, Version 1.0";
  // The entry of a window's context menu that opens it.
  static constexpr const char* kMenuEntry = "バージョン情報…";

  AboutBox(const QString& caption, const QString& text, QWidget* parent);
};

}  // namespace crx::qt
