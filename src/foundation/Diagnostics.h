#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace crx {

// How a diagnostic is to be shown: tagged module errors are system-modal
// boxes, the messages of the steps plain OK boxes.
enum class DiagnosticKind { ModuleError, Plain };

// One message of the core, as the user is to read it. Module errors carry
// their tag and code so that callers decide on codes, never on texts.
struct Diagnostic {
  DiagnosticKind kind = DiagnosticKind::Plain;
  std::string text;
  std::string tag;
  uint32_t code = 0;

  bool Is(std::string_view moduleTag, uint32_t moduleCode) const {
    return tag == moduleTag && code == moduleCode;
  }
};

// Where diagnostics go when no collector is open on the reporting thread.
// The layer that runs the core installs one that shows them.
class DiagnosticSink {
 public:
  virtual ~DiagnosticSink() = default;
  virtual void Deliver(const Diagnostic& diagnostic) = 0;
};

// Installs the sink (not owned; nullptr drops undelivered diagnostics) and
// returns the previous one.
DiagnosticSink* SetDiagnosticSink(DiagnosticSink* sink);

// Reports a diagnostic of the core: to the innermost collector open on this
// thread, else to the installed sink.
void Report(Diagnostic diagnostic);
void ReportPlain(std::string_view text);
void ReportModuleError(std::string_view text, std::string_view tag = {}, uint32_t code = 0);

// Collects the diagnostics reported on this thread while it lives, in order,
// for the caller to decide on and then show or pass on. Collectors nest; a
// collector belongs to the thread that made it.
class DiagnosticCollector {
 public:
  DiagnosticCollector();
  ~DiagnosticCollector();
  DiagnosticCollector(const DiagnosticCollector&) = delete;
  DiagnosticCollector& operator=(const DiagnosticCollector&) = delete;

  const std::vector<Diagnostic>& Items() const { return items_; }
  bool Contains(std::string_view tag, uint32_t code) const;
  bool Empty() const { return items_.empty(); }
  // Hands the collected diagnostics over and starts empty again.
  std::vector<Diagnostic> Take();
  // Passes the collected diagnostics on, in order, to the enclosing collector
  // or the sink, and starts empty again.
  void Forward();

  void Add(Diagnostic diagnostic) { items_.push_back(std::move(diagnostic)); }

 private:
  std::vector<Diagnostic> items_;
  DiagnosticCollector* outer_;
};

}  // namespace crx
