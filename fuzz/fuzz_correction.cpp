// Runs the lyric correction pass over lyric texts taken from the input (split
// at zero bytes). Each correction dialog is answered from the input too: its
// target is set from the next text, or the change button is pressed.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lyrics/CLyricCorrection.h"
#include "lyrics/CTextEditDlg.h"
#include "midi/MidiTrackData.h"
#include "platform/ScriptedHost.h"
#include "platform/TextCodec.h"

namespace {

constexpr size_t kMaxLyrics = 64;

struct Host : crx::ScriptedHost {
  std::vector<std::string> answers;
  size_t next = 0;
  void ShowMessage(std::string_view, crx::MessageKind) override {}
  crx::DialogResult RunModal(crx::DialogModel& dialog) override {
    if (!dialog.OnInitDialog()) return crx::DialogResult::Cancel;
    auto& edit = dynamic_cast<crx::CTextEditDlg&>(dialog);
    (void)edit.ContextText();
    const std::string answer = next < answers.size() ? answers[next++] : std::string();
    if (!answer.empty() && (answer[0] & 1)) {
      edit.OnChange();
    } else {
      edit.SetTargetText(crx::TextCodec::Cp932ToUtf8Lossy(answer));
    }
    return edit.OnOK() ? crx::DialogResult::Ok : crx::DialogResult::Cancel;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> texts;
  while (!input.empty() && texts.size() < 2 * kMaxLyrics) {
    const size_t zero = input.find('\0');
    texts.emplace_back(input.substr(0, zero));
    input = zero == std::string_view::npos ? std::string_view() : input.substr(zero + 1);
  }
  Host host;
  crx::ScopedUi scope(host);
  crx::MidiTrackData track;
  const size_t lyrics = (texts.size() + 1) / 2;
  for (size_t i = 0; i < lyrics; ++i) track.AppendMetaText(0x05, texts[i]);
  host.answers.assign(texts.begin() + static_cast<std::ptrdiff_t>(lyrics), texts.end());
  crx::CLyricCorrection::Run(track);
  return 0;
}
