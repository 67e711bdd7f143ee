#include "foundation/Diagnostics.h"

#include <atomic>
#include <utility>

namespace crx {
namespace {

std::atomic<DiagnosticSink*> g_sink{nullptr};
thread_local DiagnosticCollector* t_innermost = nullptr;

void Deliver(Diagnostic diagnostic, DiagnosticCollector* collector) {
  if (collector != nullptr) {
    collector->Add(std::move(diagnostic));
    return;
  }
  if (DiagnosticSink* sink = g_sink.load()) sink->Deliver(diagnostic);
}

}  // namespace

DiagnosticSink* SetDiagnosticSink(DiagnosticSink* sink) { return g_sink.exchange(sink); }

void Report(Diagnostic diagnostic) { Deliver(std::move(diagnostic), t_innermost); }

void ReportPlain(std::string_view text) {
  Report({DiagnosticKind::Plain, std::string(text), {}, 0});
}

void ReportModuleError(std::string_view text, std::string_view tag, uint32_t code) {
  Report({DiagnosticKind::ModuleError, std::string(text), std::string(tag), code});
}

DiagnosticCollector::DiagnosticCollector() : outer_(t_innermost) { t_innermost = this; }

DiagnosticCollector::~DiagnosticCollector() { t_innermost = outer_; }

bool DiagnosticCollector::Contains(std::string_view tag, uint32_t code) const {
  for (const Diagnostic& d : items_) {
    if (d.Is(tag, code)) return true;
  }
  return false;
}

std::vector<Diagnostic> DiagnosticCollector::Take() { return std::exchange(items_, {}); }

void DiagnosticCollector::Forward() {
  for (Diagnostic& d : Take()) Deliver(std::move(d), outer_);
}

}  // namespace crx
