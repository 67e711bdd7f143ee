#pragma once

#include <array>
#include <string>
#include <string_view>

#include "foundation/FileHelpers.h"
#include "platform/DialogField.h"
#include "platform/DialogModel.h"

namespace crx {

// Step 8's dialog: the files of the video, its background image and the song
// information (title, composer, lyricist, lyrics) that OK writes to
// "song_info.lrd" in the working folder for the video maker. The texts are
// edited as UTF-8 and stored as CP932. Title, composer and lyricist open
// with what the user gave last for the same karaoke file, else with what the
// karaoke file itself names.
class CVideoDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 138;
  static constexpr std::string_view kCaption = "動画";
  static constexpr int kOkId = 1;
  static constexpr int kMixWavId = 1007;       // read only
  static constexpr int kKaraokeMidiId = 1008;  // read only
  static constexpr int kVideoId = 1010;        // read only
  static constexpr int kBackgroundId = 1009;
  static constexpr int kBackgroundBrowseId = 1039;
  static constexpr int kTitleId = 1034;
  static constexpr int kComposerId = 1035;
  static constexpr int kLyricistId = 1036;
  static constexpr int kLyricsId = 1037;  // multi-line, vertical scroll bar
  static constexpr std::string_view kMixWavLabel = "WAVEファイル";
  static constexpr std::string_view kKaraokeMidiLabel = "MIDIファイル";
  static constexpr std::string_view kVideoLabel = "動画ファイル";
  static constexpr std::string_view kBackgroundLabel = "背景画像";
  static constexpr std::string_view kTitleLabel = "タイトル";
  static constexpr std::string_view kComposerLabel = "作曲";
  static constexpr std::string_view kLyricistLabel = "作詞";
  static constexpr std::string_view kLyricsLabel = "歌詞";
  static constexpr std::string_view kBrowseCaption = "...";
  // Buffer sizes of the fields, the terminating zero included (CP932 bytes
  // for the texts).
  static constexpr size_t kShortTextBuffer = 33;
  static constexpr size_t kLyricsBuffer = 2048;
  static constexpr std::string_view kSongInfoFileName = "song_info.lrd";
  // The texts given last, with the karaoke file they were given for (UTF-8
  // lines: the path, title, composer, lyricist), in the working folder.
  static constexpr std::string_view kLastTextsFileName = "video_texts.txt";
  static constexpr std::string_view kImageFilter = "画像ファイル|*.bmp;*.png;*.jpg;*.jpeg|";
  static constexpr std::string_view kImageExtension = "bmp";
  static constexpr std::string_view kNotCp932Message =
      "%sにShift-JISで表せない文字が含まれています。";
  // What the new file's grid starts with.
  static constexpr int kDefaultNumerator = 4;
  static constexpr int kDefaultKeyIndex = 0;
  static constexpr int kDefaultMeasures = 4;
  static constexpr std::array<DialogField, 8> kFields = {{
      {kMixWavId, kMixWavLabel, true, 0},
      {kKaraokeMidiId, kKaraokeMidiLabel, true, 0},
      {kVideoId, kVideoLabel, true, 0},
      {kBackgroundId, kBackgroundLabel, false, kPathFieldSize},
      {kTitleId, kTitleLabel, false, kShortTextBuffer},
      {kComposerId, kComposerLabel, false, kShortTextBuffer},
      {kLyricistId, kLyricistLabel, false, kShortTextBuffer},
      {kLyricsId, kLyricsLabel, false, kLyricsBuffer},  // multi-line
  }};

  enum Text { kTitle, kComposer, kLyricist, kLyrics, kTextCount };

  CVideoDlg(std::string mixWavPath, std::string karaokeMidiPath,
            std::array<char, kPathFieldSize>& backgroundPath, std::string videoPath,
            std::string workFolder);

  const char* DialogName() const override { return "CVideoDlg"; }
  bool OnInitDialog() override;
  // Takes the background image and the four texts, then loads, fills and
  // writes the song-information file. A path too long or a text CP932 cannot
  // hold is refused and the dialog stays open.
  bool OnOK() override;

  // "..." 1039: an image file dialog whose choice goes straight into the
  // settings field.
  void OnBrowseBackground();

  const std::string& MixWavPath() const { return mixWavPath_; }
  const std::string& KaraokeMidiPath() const { return karaokeMidiPath_; }
  const std::string& VideoPath() const { return videoPath_; }
  const std::string& BackgroundText() const { return backgroundText_; }
  void SetBackgroundText(std::string text) { backgroundText_ = std::move(text); }
  const std::string& TextOf(Text field) const { return texts_.at(field); }
  void SetText(Text field, std::string utf8) { texts_.at(field) = std::move(utf8); }
  static std::string_view LabelOf(Text field);
  static size_t BufferOf(Text field);

  // The song-information file in the working folder: the video maker's
  // fifth argument, however the dialog was closed.
  const std::string& SongInfoPath() const { return songInfoPath_; }
  // True when OK wrote the file.
  bool Written() const { return written_; }

 private:
  std::string mixWavPath_;
  std::string karaokeMidiPath_;
  std::string videoPath_;
  std::array<char, kPathFieldSize>& backgroundPath_;
  std::string workFolder_;
  std::string backgroundText_;
  // Title, composer and lyricist as the dialog opens with them.
  void FillShortTexts();
  bool LoadLastTexts();
  void SaveLastTexts() const;

  std::array<std::string, kTextCount> texts_;
  std::string songInfoPath_;
  bool written_ = false;
};

}  // namespace crx
