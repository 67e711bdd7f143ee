#include "foundation/SystemReason.h"

#include <array>
#include <cstring>

namespace crx {
namespace {

constexpr size_t kReasonBufferSize = 256;

// strerror_r comes in two shapes; both are taken.
[[maybe_unused]] const char* ReasonText(int result, const char* buffer) {
  return result == 0 ? buffer : "";
}
[[maybe_unused]] const char* ReasonText(const char* result, const char*) { return result; }

}  // namespace

std::string SystemReason(int errorNumber) {
  std::array<char, kReasonBufferSize> buffer{};
  const char* text =
      ReasonText(strerror_r(errorNumber, buffer.data(), buffer.size()), buffer.data());
  return text != nullptr ? std::string(text) : std::string();
}

std::string WithSystemReason(std::string_view text, int errorNumber) {
  std::string out(text);
  if (errorNumber == 0) return out;
  const std::string reason = SystemReason(errorNumber);
  if (!reason.empty()) out.append(" (").append(reason).append(")");
  return out;
}

}  // namespace crx
