#pragma once

#include <string_view>

namespace crx {

// The fixed, untagged texts of the audio module, word for word.
inline constexpr std::string_view kMsgWaveFileError = "CWaveFile Error!";
inline constexpr std::string_view kMsgWaveOpenFailed = "WAVEファイルが開けませんでした。";
inline constexpr std::string_view kMsgUnsupportedRate =
    "このサンプリングレートに対応していません。";
inline constexpr std::string_view kMsgUnsupportedChannels = "このチャネル数に対応していません。";
inline constexpr std::string_view kMsgWaveMix = "CWaveMix";
inline constexpr std::string_view kMsgSameFileName = "同じファイル名は使用できません。";
inline constexpr std::string_view kMsgImageOpenFailed = "ファイルが開けませんでした。";
inline constexpr std::string_view kMsgImageNoSamples = "ファイルが見つかりませんでした。";
inline constexpr std::string_view kMsgAiffError = "Aiff Error";

}  // namespace crx
