#include "platform/UiServices.h"

#include <atomic>

#include "platform/ConsoleHost.h"

namespace crx {
namespace {

ConsoleHost& BuiltInHost() {
  static ConsoleHost host;
  return host;
}

std::atomic<UiServices*> g_host{nullptr};

}  // namespace

UiServices& Ui() {
  UiServices* host = g_host.load();
  return host != nullptr ? *host : BuiltInHost();
}

UiServices* SetUi(UiServices* host) { return g_host.exchange(host); }

}  // namespace crx
