#include "midi/MidiMessages.h"

#include <array>

namespace crx {

namespace {

constexpr std::array kMdtkTable = {
    ErrorEntry{kMdtkInternal, "Midiのトラックデータで内部エラーが発生しました。"},
    ErrorEntry{kMdtkUndefinedEvent, "未定義のMIDIイベントが含まれていました。"},
    ErrorEntry{kMdtkBadChannel, "チャネルに誤りがあります。"},
    ErrorEntry{kMdtkBadTempo, "テンポに誤りがあります。"},
    ErrorEntry{kMdtkTooManyEvents, "データの量が多すぎます。"},
    ErrorEntry{kMdtkBadChunkId, "MIDIファイルではないか、マックバイナリがついているファイルです。"},
    ErrorEntry{kMdtkEventTooLarge, "サイズが大きすぎるイベントが含まれています。"},
    ErrorEntry{kMdtkBadProgram, "プログラム・チェンジで不正な番号がありました。0に調整しました。"},
    ErrorEntry{kMdtkMultipleMasterVolume, "複数のマスターボリュームが設定されています。"},
    ErrorEntry{kMdtkAppendTempo, "Midiのトラックデータでテンポデータの異常が検出されました。"},
    ErrorEntry{kMdtkPolyPressure, "Midiのトラックデータでエラーが発生しました。"},
    ErrorEntry{kMdtkBadNoteNumber,
               "内部処理のエラーでノートナンバーが異常になりましたので０に修正しました。"},
    ErrorEntry{kMdtkBadDelta, "演奏データが異常です。"},
    ErrorEntry{kMdtkAppendFailed, "データの追加に失敗しました。"},
    ErrorEntry{kMdtkBadTimeSignature, "拍子に異常が発生しました。"},
    ErrorEntry{kMdtkAppendText, "データ追加に異常が発生しました。"},
};

constexpr std::array kM0dtTable = {
    ErrorEntry{kM0dtNotFormat0, "フォーマット0のファイルではありません。"},
    ErrorEntry{kM0dtTrackCount, "トラック数に誤りがあります。"},
    ErrorEntry{kM0dtNotMidi, "MIDIファイルではないか、ファイルにマックバイナリがついています。"},
    ErrorEntry{kM0dtInternal, "Midiのフォーマット0のデータで内部エラーが発生しました。"},
};

constexpr std::array kM1dtTable = {
    ErrorEntry{kM1dtError, "Midiのフォーマット１のデータでエラーが発生しました。"},
    ErrorEntry{kM1dtTrackCount, "トラック数のエラーです。"},
    ErrorEntry{kM1dtNotFormat1, "フォーマット１ではありません。"},
    ErrorEntry{kM1dtInternal, "Midiのフォーマット１のデータで内部エラーが発生しました。"},
    ErrorEntry{kM1dtNotMidi, "Midiファイルではないか、ファイルにマックバイナリがついています。"},
    ErrorEntry{kM1dtMultipleMasterVolume, "マスターボリュームが複数設定されています。"},
    ErrorEntry{kM1dtNoMasterVolume,
               "マスターボリュームが設定されていませんでしたので127を設定しました。"},
    ErrorEntry{kM1dtTooLarge, "データが大きすぎます。"},
};

constexpr std::array kMdevTable = {
    ErrorEntry{kMdevError, "MidiEventでエラーが発生しました。"},
};

constexpr std::array kMuevTable = {
    ErrorEntry{kMuevDataTooLarge,
               "イベントのデータサイズが大きすぎます。MFiの機種依存の音色設定が含まれている場合は"
               "問題ありません。"},
    ErrorEntry{kMuevDataError, "イベントのデータでエラーが発生しました。"},
};

}  // namespace

ModuleReporter& MdtkReporter() {
  static ModuleReporter reporter("MDTK", kMdtkTable,
                                 "Midiのトラックデータでエラーが発生しました。");
  return reporter;
}

ModuleReporter& M0dtReporter() {
  static ModuleReporter reporter("M0DT", kM0dtTable,
                                 "Midiのフォーマット0のデータでエラーが発生しました。");
  return reporter;
}

ModuleReporter& M1dtReporter() {
  static ModuleReporter reporter("M1DT", kM1dtTable,
                                 "Midiのフォーマット１のデータでエラーが発生しました。");
  return reporter;
}

ModuleReporter& MdevReporter() {
  static ModuleReporter reporter("MDEV", kMdevTable, "MidiEventでエラーが発生しました。");
  return reporter;
}

ModuleReporter& MuevReporter() {
  static ModuleReporter reporter("MUEV", kMuevTable, "イベントのデータでエラーが発生しました。");
  return reporter;
}

}  // namespace crx
