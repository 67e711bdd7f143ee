#include "qt/GuiEntry.h"

#include "qt/CantorixWindow.h"
#include "qt/GuiApplication.h"
#include "qt/TunepressWindow.h"

namespace crx::qt {

int RunTunepressWindow(int argc, char** argv) {
  // A MIDI file given alone (as the desktop passes it) is converted by hand.
  std::vector<std::string> commandLine(argv + 1, argv + argc);
  GuiApplication gui(argc, argv, "TunepressCRX", "org.cantorix.TunepressCRX");
  int code = 0;
  {
    renderer::CTunepressDlg dialog(commandLine);
    dialog.OnInitDialog();
    TunepressWindow window(dialog);
    gui.Host().SetMainWindow(&window);
    gui.Host().SetProposedFile([&dialog] { return dialog.ProposedWavPath(); });
    window.show();
    window.PostStartMessage();
    code = QApplication::exec();
    gui.Host().SetMainWindow(nullptr);
    gui.Host().SetProposedFile(nullptr);
  }
  return code;
}

int RunCantorixWindow(int argc, char** argv) {
  GuiApplication gui(argc, argv, "Cantorix", "org.cantorix.Cantorix");
  int code = 0;
  {
    CCantorixDlg dialog;
    CantorixWindow window(dialog);
    gui.Host().SetMainWindow(&window);
    // Its messages are titled with the name its users know it by.
    gui.Host().SetMessageTitle(
        QString::fromUtf8(CCantorixDlg::kCaption.data(), CCantorixDlg::kCaption.size()));
    // The start-up may ask for the singing-voice program before the window shows.
    dialog.OnInitDialog();
    window.Sync();
    window.show();
    code = QApplication::exec();
    dialog.WaitForWorker();
    dialog.OnDestroy();
    gui.Host().SetMainWindow(nullptr);
  }
  return code;
}

}  // namespace crx::qt
