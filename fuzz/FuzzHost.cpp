// Installs a silent host so that the readers' messages go nowhere and no
// dialog is ever answered while fuzzing.
#include "platform/UiServices.h"

namespace {

class SilentHost final : public crx::UiServices {
 public:
  void ShowMessage(std::string_view, crx::MessageKind) override {}
  std::optional<std::string> OpenFileDialog(const crx::FileDialogRequest&) override { return {}; }
  std::optional<std::string> SaveFileDialog(const crx::FileDialogRequest&) override { return {}; }
  crx::DialogResult RunModal(crx::DialogModel&) override { return crx::DialogResult::Cancel; }
  bool AskYesNo(std::string_view) override { return true; }
  void Beep() override {}
  void ShowHelp(const std::string&) override {}
  void ProgressStart() override {}
  void ProgressStop() override {}
  void ProgressTick() override {}
};

SilentHost g_host;
struct Install {
  Install() { crx::SetUi(&g_host); }
} g_install;

}  // namespace
