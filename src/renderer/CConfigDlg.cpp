#include "renderer/CConfigDlg.h"

#include <algorithm>
#include <charconv>

#include "foundation/FileHelpers.h"
#include "foundation/FixedField.h"
#include "platform/FileChooser.h"
#include "platform/Process.h"

namespace crx::renderer {

void CConfigDlg::SpinField::SetPosition(int32_t stored) {
  int32_t low = static_cast<int16_t>(static_cast<uint32_t>(stored) & 0xFFFFu);
  position = std::clamp(low, minimum, maximum);
  text = std::to_string(position);
}

int32_t CConfigDlg::SpinField::Read() const {
  size_t begin = text.find_first_not_of(" \t");
  size_t end = text.find_last_not_of(" \t");
  if (begin == std::string::npos) return position;
  const char* first = text.data() + begin;
  const char* last = text.data() + end + 1;
  if (*first == '+') ++first;
  int64_t value = 0;
  auto [ptr, ec] = std::from_chars(first, last, value);
  if (ptr != last || first == last) return position;
  if (ec == std::errc::result_out_of_range) return text[begin] == '-' ? minimum : maximum;
  if (ec != std::errc()) return position;
  return static_cast<int32_t>(std::clamp<int64_t>(value, minimum, maximum));
}

CConfigDlg::CConfigDlg(TunepressSettings& settings) : settings_(settings) {}

bool CConfigDlg::OnInitDialog() {
  volume.SetPosition(settings_.volume);
  mp3Link = ReadFixedField(settings_.mp3Link);
  for (int i = 0; i < TunepressSettings::kChannels; ++i) {
    channelBoxes[i] = settings_.channelFlags[i] != 0;
  }
  leadIn.SetPosition(settings_.leadInBeats);
  return true;
}

void CConfigDlg::OnBrowseMp3Link() {
  std::string chosen;
  if (SelectOpenFile(kBrowseExtension, kBrowseFilter, chosen) != 0) mp3Link = chosen;
}

bool CConfigDlg::OnOK() {
  // A link too long for its field is refused before anything is taken over.
  if (!StorePathField(settings_.mp3Link, mp3Link)) return false;
  for (int i = 0; i < TunepressSettings::kChannels; ++i) {
    settings_.channelFlags[i] = channelBoxes[i] ? 1 : 0;
  }
  settings_.leadInBeats = leadIn.Read();
  settings_.volume = volume.Read();
  SleepMs(kOkDelayMs);
  return true;
}

}  // namespace crx::renderer
