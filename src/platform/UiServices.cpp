#include "platform/UiServices.h"

#include <atomic>

#include "foundation/Diagnostics.h"
#include "platform/ConsoleHost.h"

namespace crx {
namespace {

ConsoleHost& BuiltInHost() {
  static ConsoleHost host;
  return host;
}

std::atomic<UiServices*> g_host{nullptr};

// Shows the core's diagnostics through the installed host.
class HostSink final : public DiagnosticSink {
 public:
  void Deliver(const Diagnostic& d) override {
    Ui().ShowMessage(d.text, d.kind == DiagnosticKind::ModuleError ? MessageKind::ModuleError
                                                                   : MessageKind::Plain);
  }
};

void InstallHostSink() {
  static HostSink sink;
  static const bool installed = (SetDiagnosticSink(&sink), true);
  (void)installed;
}

// Every program that links the host routes the core's diagnostics to it from
// the start.
[[maybe_unused]] const bool g_sinkInstalled = (InstallHostSink(), true);

}  // namespace

UiServices& Ui() {
  InstallHostSink();
  UiServices* host = g_host.load();
  return host != nullptr ? *host : BuiltInHost();
}

UiServices* SetUi(UiServices* host) {
  InstallHostSink();
  return g_host.exchange(host);
}

void ShowDiagnostics(const std::vector<Diagnostic>& diagnostics) {
  for (const Diagnostic& d : diagnostics) {
    Ui().ShowMessage(d.text, d.kind == DiagnosticKind::ModuleError ? MessageKind::ModuleError
                                                                   : MessageKind::Plain);
  }
}

}  // namespace crx
