#include "renderer/ConversionCommand.h"

#include <optional>

#include "foundation/FileHelpers.h"
#include "platform/ConsoleHost.h"
#include "platform/ProgressLine.h"
#include "platform/UiServices.h"
#include "renderer/CTunepressDlg.h"

namespace crx::renderer {
namespace {

constexpr const char* kProgramName = "TunepressCRX";

// The console host of a conversion: the render's progress shows as percent
// lines on standard error, for the main program to read, instead of the
// console's ticks.
class ConversionHost final : public ConsoleHost {
 public:
  void ProgressStart() override { line_.emplace(kProgramName); }
  void ProgressStop() override { line_.reset(); }
  void ProgressTick() override {}
  void ShowPercent(int percent) {
    if (line_) line_->Show(percent);
  }

 private:
  std::optional<ProgressLine> line_;
};

}  // namespace

int RunConversionCommand(const std::vector<std::string>& args) {
  if (args.empty() || args[0].empty()) return 1;
  ConversionHost host;
  ScopedUi scope(host);
  std::string output;
  {
    CTunepressDlg dialog(args);
    dialog.SetSaveSettingsOnExit(false);
    dialog.SetPercentListener([&host](int percent) { host.ShowPercent(percent); });
    dialog.OnInitDialog();
    dialog.OnStartMessage();
    output = dialog.OutputPath();
  }
  return !output.empty() && FileExists(output) != 0 ? 0 : 1;
}

}  // namespace crx::renderer
