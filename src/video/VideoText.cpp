#include "video/VideoText.h"

#include <cctype>

#include "foundation/FileHelpers.h"

namespace crx {
namespace {
constexpr std::string_view kPlaceholder = "%s";
constexpr std::string_view kFullWidthBlank = "\u3000";
}  // namespace

std::string VideoText::WithArgument(std::string_view message, std::string_view argument) {
  std::string out(message);
  const size_t at = out.find(kPlaceholder);
  if (at != std::string::npos) out.replace(at, kPlaceholder.size(), argument);
  return out;
}

std::string_view VideoText::TrimBlanks(std::string_view text) {
  for (;;) {
    if (!text.empty() && text.front() == ' ') {
      text.remove_prefix(1);
    } else if (!text.empty() && text.back() == ' ') {
      text.remove_suffix(1);
    } else if (text.starts_with(kFullWidthBlank)) {
      text.remove_prefix(kFullWidthBlank.size());
    } else if (text.ends_with(kFullWidthBlank)) {
      text.remove_suffix(kFullWidthBlank.size());
    } else {
      return text;
    }
  }
}

std::string VideoText::LowerExtension(std::string_view path) {
  const std::string name = GetFileNameOfPath(path);
  const size_t dot = name.find_last_of('.');
  if (dot == std::string::npos) return {};
  std::string ext = name.substr(dot);
  for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return ext;
}

}  // namespace crx
