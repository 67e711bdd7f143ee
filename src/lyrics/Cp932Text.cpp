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

}  // namespace crx
