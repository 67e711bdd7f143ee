#include "app/MessageAdvice.h"

#include <array>
#include <cstdint>

#include "foundation/FileFailure.h"
#include "foundation/GeneralError.h"
#include "karaoke/CSongData.h"
#include "karaoke/XfKaraokeData.h"
#include "midi/MidiMessages.h"

namespace crx {
namespace {

struct Advice {
  std::string_view tag;
  uint32_t code;
  std::string_view text;
};

constexpr std::string_view kBrokenMidi =
    "ファイルが途中で切れているか、MIDIファイルではありません。別のファイルを選んでください。";

constexpr std::string_view kNotFound =
    "ファイルが見つかりません。移動や削除をしていないか確かめ、もう一度選んでください。";

constexpr std::array kAdvice = {
    Advice{kGeneTag, kGeneFileNotFound, kNotFound},
    Advice{kGeneTag, kGeneOpenFailed,
           "ファイルを開けません。保存先のフォルダがあるか、書き込みが許されているかを"
           "確かめてください。"},
    Advice{kGeneTag, kGeneNoCurrentFolder,
           "保存先のフォルダがありません。フォルダを作るか、別のフォルダを選んでください。"},
    Advice{kGeneTag, kGeneFileSize, "ファイルが大きすぎるか空です。別のファイルを選んでください。"},
    Advice{kGeneTag, kGeneTooLarge, "ファイルが大きすぎます。別のファイルを選んでください。"},
    Advice{"MDTK", kMdtkInternal, kBrokenMidi},
    Advice{"MDTK", kMdtkBadChunkId, kBrokenMidi},
    Advice{"M0DT", kM0dtNotMidi, kBrokenMidi},
    Advice{"M1DT", kM1dtNotMidi, kBrokenMidi},
    Advice{"M1DT", kM1dtError, kBrokenMidi},
    Advice{XfKaraokeData::kTag, XfKaraokeData::kNotKaraoke,
           "歌詞の入ったカラオケ用のMIDIファイルを選んでください。"},
    Advice{FileFailure::kTag, FileFailure::kNoFolder,
           "保存先のフォルダがありません。フォルダを作るか、別の保存先を選んでください。"},
    Advice{FileFailure::kTag, FileFailure::kWriteDenied,
           "保存先に書き込む許可がないか、読み取り専用です。別の保存先を選んでください。"},
    Advice{FileFailure::kTag, FileFailure::kDiskFull,
           "保存先のディスクがいっぱいです。空きを作るか、別の保存先を選んでください。"},
    Advice{FileFailure::kTag, FileFailure::kNotFound, kNotFound},
    Advice{FileFailure::kTag, FileFailure::kReadDenied,
           "ファイルを読む許可がありません。ファイルの権限を確かめてください。"},
    Advice{FileFailure::kTag, FileFailure::kUnusable,
           "ファイルが壊れているか、形式が違います。作り直すか、別のファイルを選んでください。"},
    Advice{FileFailure::kTag, FileFailure::kCutShort,
           "ファイルが途中で切れています。作り直すか、別のファイルを選んでください。"},
    Advice{XfKaraokeData::kTag, XfKaraokeData::kNoLyrics,
           "このファイルには歌詞がありません。歌詞の入ったMIDIファイルを選んでください。"},
};

}  // namespace

std::string_view MessageAdvice::For(const Diagnostic& diagnostic) {
  if (diagnostic.tag.empty()) return {};
  for (const Advice& a : kAdvice) {
    if (diagnostic.Is(a.tag, a.code)) return a.text;
  }
  return {};
}

std::string MessageAdvice::WithAdvice(const Diagnostic& diagnostic) {
  const std::string_view advice = For(diagnostic);
  if (advice.empty()) return diagnostic.text;
  return diagnostic.text + "\n" + std::string(advice);
}

}  // namespace crx
