#include "app/CantorixCommand.h"
#ifdef CRX_WITH_GUI
#include "qt/GuiEntry.h"
#endif

int main(int argc, char** argv) {
#ifdef CRX_WITH_GUI
  if (argc == 1) return crx::qt::RunCantorixWindow(argc, argv);
#endif
  return crx::RunCantorixCommand(argc, argv);
}
