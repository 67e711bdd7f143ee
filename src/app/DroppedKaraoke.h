#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace crx {

// What was dropped on the main window, checked before step 1 loads it: one
// karaoke MIDI file (".mid", ".midi", ".kar", or a file that starts as a
// MIDI file does).
class DroppedKaraoke {
 public:
  static constexpr std::string_view kSeveralMessage = "ファイルは1つずつドロップしてください。";
  static constexpr std::string_view kFolderMessage =
      "フォルダは読み込めません。カラオケ用のMIDIファイル（.mid）をドロップしてください。";
  static constexpr std::string_view kNotMidiMessage =
      "MIDIファイルではありません。カラオケ用のMIDIファイル（.mid）をドロップしてください。";
  static constexpr std::string_view kMissingMessage = "ドロップされたファイルが見つかりません。";
  static constexpr std::string_view kBusyMessage =
      "いまはファイルを読み込めません。処理が終わってからドロップしてください。";

  // The message for what cannot be loaded (UTF-8); empty for one MIDI file.
  static std::string_view Problem(const std::vector<std::string>& paths);
};

}  // namespace crx
