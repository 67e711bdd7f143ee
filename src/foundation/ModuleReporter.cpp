#include "foundation/ModuleReporter.h"

#include <cstdio>

#include "foundation/Diagnostics.h"

namespace crx {

void CutToReportBuffer(std::string& text) {
  if (text.size() <= kReportBufferSize - 1) return;
  size_t cut = kReportBufferSize - 1;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  text.resize(cut);
}

std::string FormatTagged(std::string_view tag, uint32_t code, std::string_view message) {
  char digits[9];
  std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(code));
  std::string text;
  text.reserve(tag.size() + 9 + message.size());
  text.append(tag).append(digits).append(" ").append(message);
  CutToReportBuffer(text);
  return text;
}

int ShowModuleError(std::string_view text) {
  ReportModuleError(text);
  return 1;
}

ModuleReporter::ModuleReporter(std::string_view tag, std::span<const ErrorEntry> table,
                               std::string_view defaultMessage)
    : tag_(tag), table_(table), defaultMessage_(defaultMessage) {}

std::string_view ModuleReporter::MessageFor(uint32_t code) const {
  for (const ErrorEntry& e : table_) {
    if (e.code == code) return e.message;
  }
  return defaultMessage_;
}

std::string ModuleReporter::Format(uint32_t code) const {
  return FormatTagged(tag_, code, MessageFor(code));
}

int ModuleReporter::Report(uint32_t code) const {
  ReportModuleError(Format(code), tag_, code);
  return 1;
}

int ModuleReporter::ReportOnce(uint32_t code) {
  {
    std::lock_guard lock(mutex_);
    if (code == 0) {
      shown_.clear();
      return 0;
    }
    if (!shown_.insert(code).second) return 0;
  }
  return Report(code);
}

void ModuleReporter::Rearm() {
  std::lock_guard lock(mutex_);
  shown_.clear();
}

}  // namespace crx
