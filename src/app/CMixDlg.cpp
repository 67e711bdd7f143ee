#include "app/CMixDlg.h"

#include <algorithm>
#include <charconv>

namespace crx {
namespace {

std::array<int32_t*, CMixDlg::kFieldCount> Values(MixSettings& s) {
  return {&s.vocalVolume, &s.accompanimentVolume, &s.mixVolume,
          &s.vocalReverb, &s.accompanimentReverb, &s.mixReverb};
}

// A whole decimal number, blanks around it allowed; nothing otherwise.
bool ParseNumber(std::string_view text, long long& out) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return false;
  const size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (begin != end && *begin == '+') ++begin;
  auto [ptr, ec] = std::from_chars(begin, end, out);
  return ec == std::errc() && ptr == end;
}

}  // namespace

CMixDlg::CMixDlg(std::string vocalWavPath, std::string accompanimentWavPath, std::string mixWavPath,
                 const MixSettings& settings)
    : vocalWavPath_(std::move(vocalWavPath)),
      accompanimentWavPath_(std::move(accompanimentWavPath)),
      mixWavPath_(std::move(mixWavPath)),
      settings_(settings) {}

bool CMixDlg::OnInitDialog() {
  const auto values = Values(settings_);
  for (size_t i = 0; i < kFieldCount; ++i) {
    positions_[i] = std::clamp<int>(*values[i], kSpinFields[i].minimum, kSpinFields[i].maximum);
    texts_[i] = std::to_string(positions_[i]);
  }
  return true;
}

bool CMixDlg::OnOK() {
  const auto values = Values(settings_);
  for (size_t i = 0; i < kFieldCount; ++i) {
    long long typed = 0;
    if (ParseNumber(texts_[i], typed)) {
      positions_[i] = static_cast<int>(
          std::clamp<long long>(typed, kSpinFields[i].minimum, kSpinFields[i].maximum));
    }
    texts_[i] = std::to_string(positions_[i]);
    *values[i] = positions_[i];
  }
  return true;
}

}  // namespace crx
