#include "renderer/ConversionCommand.h"

#include "foundation/FileHelpers.h"
#include "platform/ConsoleHost.h"
#include "platform/UiServices.h"
#include "renderer/CTunepressDlg.h"

namespace crx::renderer {

int RunConversionCommand(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) return 1;
  ConsoleHost host;
  ScopedUi scope(host);
  std::string output;
  {
    CTunepressDlg dialog(args);
    dialog.SetSaveSettingsOnExit(false);
    dialog.OnInitDialog();
    dialog.OnStartMessage();
    output = dialog.OutputPath();
  }
  return !output.empty() && FileExists(output) != 0 ? 0 : 1;
}

}  // namespace crx::renderer
