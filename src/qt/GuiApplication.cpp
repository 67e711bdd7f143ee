#include "qt/GuiApplication.h"

#include <QFontDatabase>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qt/DialogWidgets.h"

namespace crx::qt {
namespace {

const char* g_programName = "Cantorix";

// A platform that cannot start (no X server, no Wayland) is fatal to Qt;
// the program says so plainly and ends with 1 instead of aborting.
void MessageHandler(QtMsgType type, const QMessageLogContext&, const QString& message) {
  const QByteArray text = message.toLocal8Bit();
  if (type == QtFatalMsg) {
    std::fprintf(stderr,
                 "%s: cannot open a window: %s\n"
                 "%s: no display? Run it on a desktop, or use its command line (--help).\n",
                 g_programName, text.constData(), g_programName);
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (type == QtDebugMsg) return;
  std::fprintf(stderr, "%s: %s\n", g_programName, text.constData());
}

bool HasDisplay() {
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  if (platform != nullptr && platform[0] != '\0') return true;
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && value[0] != '\0') return true;
  }
  return false;
}

}  // namespace

GuiApplication::GuiApplication(int& argc, char** argv, const char* programName,
                               const char* iconName) {
  g_programName = programName;
  qInstallMessageHandler(MessageHandler);
  if (!HasDisplay()) {
    std::fprintf(stderr,
                 "%s: no display (DISPLAY is not set): cannot open a window.\n"
                 "%s: use its command line instead (--help).\n",
                 programName, programName);
    std::exit(1);
  }
  app_ = std::make_unique<QApplication>(argc, argv);
  QApplication::setApplicationName(programName);
  QApplication::setWindowIcon(QIcon::fromTheme(iconName));

  family_ = FindJapaneseFamily();
  if (family_.isEmpty()) {
    std::fprintf(stderr,
                 "%s: warning: no Japanese font is installed (fonts-ipafont-gothic); "
                 "the texts may show as boxes.\n",
                 programName);
  } else {
    QFont font(family_);
    font.setPointSize(QApplication::font().pointSize());
    QApplication::setFont(font);
  }

  // Every text of ours is Japanese: the toolkit's are too, whatever the
  // locale, so that a file dialog does not answer in another language.
  translator_ = std::make_unique<QTranslator>();
  translated_ = LoadToolkitTranslations(*translator_);
  if (translated_) {
    QApplication::installTranslator(translator_.get());
  } else {
    std::fprintf(stderr,
                 "%s: note: the toolkit's Japanese translations are not installed "
                 "(qt6-translations-l10n); file dialogs show their own language.\n",
                 programName);
  }

  host_ = std::make_unique<GuiHost>();
  RegisterDialogWidgets(*host_);
  previous_ = SetUi(host_.get());
  // The core's diagnostics come up with a line on what to do.
  previousSink_ = SetDiagnosticSink(host_.get());
}

GuiApplication::~GuiApplication() {
  SetDiagnosticSink(previousSink_);
  SetUi(previous_);
  host_.reset();
  if (translated_) QApplication::removeTranslator(translator_.get());
  translator_.reset();
  app_.reset();
  qInstallMessageHandler(nullptr);
}

bool GuiApplication::LoadToolkitTranslations(QTranslator& translator, const QString& folder) {
  const QString where =
      folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
  const QLocale japanese(QLocale::Japanese, QLocale::Japan);
  for (const char* name : {"qtbase", "qt"}) {
    if (translator.load(japanese, QString::fromLatin1(name), QStringLiteral("_"), where)) {
      return true;
    }
  }
  return false;
}

QString GuiApplication::FindJapaneseFamily() {
  const QStringList families = QFontDatabase::families(QFontDatabase::Japanese);
  for (const char* preferred : {"IPAPGothic", "IPAGothic"}) {
    if (families.contains(QString::fromLatin1(preferred))) return QString::fromLatin1(preferred);
  }
  return families.isEmpty() ? QString() : families.front();
}

}  // namespace crx::qt
