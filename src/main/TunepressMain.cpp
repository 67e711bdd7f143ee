#include "renderer/TunepressCommand.h"
#ifdef CRX_WITH_GUI
#include "qt/GuiEntry.h"
#endif

int main(int argc, char** argv) {
#ifdef CRX_WITH_GUI
  if (argc == 1 || (argc == 2 && argv[1][0] != '-')) return crx::qt::RunTunepressWindow(argc, argv);
#endif
  return crx::RunTunepressCommand(argc, argv);
}
