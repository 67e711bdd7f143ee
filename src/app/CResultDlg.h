#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/DialogModel.h"

namespace crx {

// The end of a run: what the run made, each file with what it is, and two
// buttons for the chosen one: 再生 opens it with the desktop's own program
// for its kind, フォルダを開く opens its folder. Files the run named but that
// are gone (removed in step 9, or never made) are not listed.
class CResultDlg : public DialogModel {
 public:
  static constexpr std::string_view kCaption = "作成したファイル";
  static constexpr std::string_view kPlayCaption = "再生";
  static constexpr std::string_view kOpenFolderCaption = "フォルダを開く";
  static constexpr std::string_view kNothingMade = "作成されたファイルはありません。";
  static constexpr std::string_view kOpenFailedMessage = "ファイルを開けませんでした。";
  // The desktop's opener: it chooses the program by the file's kind.
  static constexpr const char* kDesktopOpener = "xdg-open";

  struct Entry {
    std::string_view kind;  // "MP3", "合成WAV", ...
    std::string path;
  };

  // heading: the first line shown ("処理が終了しました。"); opener: the
  // program that opens a file or folder (tests use a stand-in).
  CResultDlg(std::string heading, const std::vector<Entry>& candidates,
             std::string opener = kDesktopOpener);

  const char* DialogName() const override { return "CResultDlg"; }

  const std::string& Heading() const { return heading_; }
  // The files that exist, in the order given.
  const std::vector<Entry>& Files() const { return files_; }
  // One line per file: "MP3: /path/song.mp3".
  static std::string Line(const Entry& entry);

  int Selection() const { return selection_; }
  void Select(int index);
  // Opens the chosen file, or its folder. False (after a message naming the
  // path) when the opener could not be started or nothing is chosen.
  bool Play() const;
  bool OpenFolder() const;

 private:
  bool Open(const std::string& path) const;

  std::string heading_;
  std::vector<Entry> files_;
  std::string opener_;
  int selection_ = 0;
};

}  // namespace crx
