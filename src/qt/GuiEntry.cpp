#include "qt/GuiEntry.h"

#include "qt/GuiApplication.h"
#include "qt/TunepressWindow.h"

namespace crx::qt {

int RunTunepressWindow(int argc, char** argv) {
  GuiApplication gui(argc, argv, "TunepressCRX", "org.cantorix.TunepressCRX");
  int code = 0;
  {
    tp::CTunepressDlg dialog;
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

}  // namespace crx::qt
