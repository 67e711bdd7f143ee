#include "lyrics/Cp932Text.h"

#include "platform/TextCodec.h"

namespace crx {

size_t Cp932Text::CharLength(std::string_view text, size_t i) {
  if (i + 1 < text.size() && TextCodec::IsCp932LeadByte(static_cast<unsigned char>(text[i]))) {
    return 2;
  }
  return 1;
}

std::string Cp932Text::FromUtf8(std::string_view utf8) {
  return TextCodec::Utf8ToCp932(utf8).value_or(std::string());
}

std::string_view Cp932Text::UpToZero(std::string_view data) {
  size_t zero = data.find('\0');
  return zero == std::string_view::npos ? data : data.substr(0, zero);
}

std::string_view Cp932Text::Head(std::string_view text, size_t maxBytes) {
  size_t end = 0;
  while (end < text.size()) {
    const size_t len = CharLength(text, end);
    if (end + len > maxBytes) break;
    end += len;
  }
  return text.substr(0, end);
}

std::string_view Cp932Text::Tail(std::string_view text, size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  const size_t earliest = text.size() - maxBytes;
  size_t start = 0;
  while (start < earliest) start += CharLength(text, start);
  return text.substr(start);
}

}  // namespace crx
