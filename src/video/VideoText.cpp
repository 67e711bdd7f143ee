#include "video/VideoText.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

#include "foundation/FileHelpers.h"

namespace crx {
namespace {
constexpr std::string_view kPlaceholder = "%s";
constexpr std::string_view kFullWidthBlank = "\u3000";
constexpr uint32_t kFirstHalfWidthKatakana = 0xFF61;
constexpr uint32_t kLastHalfWidthKatakana = 0xFF9F;

size_t Utf8Length(unsigned char lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 1;
}
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

size_t VideoText::LeadingBlanks(std::string_view text) {
  size_t n = 0;
  for (;;) {
    if (n < text.size() && text[n] == ' ') {
      ++n;
    } else if (text.substr(n).starts_with(kFullWidthBlank)) {
      n += kFullWidthBlank.size();
    } else {
      return n;
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

double VideoText::WidthInEms(std::string_view text) {
  double ems = 0;
  for (size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t len = std::min(Utf8Length(lead), text.size() - i);
    uint32_t cp = lead;
    if (len == 3) {
      cp = (lead & 0x0Fu) << 12 | (static_cast<unsigned char>(text[i + 1]) & 0x3Fu) << 6 |
           (static_cast<unsigned char>(text[i + 2]) & 0x3Fu);
    }
    const bool half =
        len == 1 || (len == 3 && cp >= kFirstHalfWidthKatakana && cp <= kLastHalfWidthKatakana);
    ems += half ? 0.5 : 1.0;
    i += len;
  }
  return ems;
}

}  // namespace crx
