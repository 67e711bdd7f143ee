// Installs a silent host so that the readers' messages go nowhere while fuzzing.
#include "platform/ScriptedHost.h"

namespace {

struct SilentHost : crx::ScriptedHost {
  void ShowMessage(std::string_view, crx::MessageKind) override {}
};

SilentHost g_host;
struct Install {
  Install() { crx::SetUi(&g_host); }
} g_install;

}  // namespace
