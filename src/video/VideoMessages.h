#pragma once

#include <string_view>

namespace crx {

// The video maker's messages, word for word; "%s" takes a path or a name.
inline constexpr std::string_view kMsgUnknownFormat =
    "動画の形式がわかりません。拡張子を.wmvか.mp4にしてください: %s";
inline constexpr std::string_view kMsgWaveEmpty = "%sに音声がありません。";
inline constexpr std::string_view kMsgKaraokeUnreadable =
    "%sはカラオケ用MIDIファイルとして読めません。";
inline constexpr std::string_view kMsgNoLyrics = "%sに歌詞がないため、歌詞なしの動画を作ります。";
inline constexpr std::string_view kMsgSongInfoMissing =
    "楽曲情報ファイル%sがないため、タイトル画面なしで作ります。";
inline constexpr std::string_view kMsgSongInfoBroken =
    "楽曲情報ファイル%sが読めないため、タイトル画面なしで作ります。";
inline constexpr std::string_view kMsgBackgroundUnreadable =
    "背景画像%sが読めないため、白い背景で作ります。";
inline constexpr std::string_view kMsgFfmpegMissing =
    "ffmpegが見つかりません。ffmpegをインストールしてください。";
inline constexpr std::string_view kMsgEncoderMissing = "ffmpegにエンコーダー%sがありません。";
inline constexpr std::string_view kMsgSubtitleFilterMissing =
    "ffmpegに字幕フィルターassがありません。libass付きのffmpegをインストールしてください。";
inline constexpr std::string_view kMsgFontMissing =
    "日本語フォント(IPAGothic)が見つかりません。fonts-ipafont-gothicをインストールしてください。";
inline constexpr std::string_view kMsgCannotWrite = "%sに書き込めません。";
inline constexpr std::string_view kMsgTemporaryFailed = "作業用のファイルを作れません。";
inline constexpr std::string_view kMsgEncodeFailed = "%sの生成に失敗しました。";
inline constexpr std::string_view kMsgEncodeStopped = "動画の生成を中止しました。";

}  // namespace crx
