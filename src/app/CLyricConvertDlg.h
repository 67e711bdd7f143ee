#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "lyrics/VocalNote.h"
#include "platform/DialogModel.h"

namespace crx {

class CVocaloid;
class XfKaraokeData;

// The lyric review dialog: as it opens it runs the whole lyric conversion of
// the song into the holder and lists the review lines and the sung notes
// (time, note name, syllable); OK closes it, "歌詞修正に戻る" closes it asking
// for the corrections again. The converted records stay in the holder for
// the vocal MIDI.
class CLyricConvertDlg : public DialogModel {
 public:
  static constexpr int kResourceId = 129;
  static constexpr std::string_view kCaption = "歌詞確認";
  static constexpr int kListId = 1002;
  static constexpr int kOkId = 1;
  static constexpr int kNotesId = 1010;
  static constexpr int kBackId = 1011;
  static constexpr std::string_view kNotesCaption = "歌う音符（時刻・音名・音節）:";
  static constexpr std::string_view kBackCaption = "歌詞修正に戻る";

  CLyricConvertDlg(XfKaraokeData& song, CVocaloid& vocaloid, int melodyChannel,
                   std::string dictionaryFolder);

  const char* DialogName() const override { return "CLyricConvertDlg"; }
  bool OnInitDialog() override;

  // The rows of list box 1002, in order (UTF-8).
  const std::vector<std::string>& Lines() const { return lines_; }
  // A line above the list on what was sung (the melody channel and why;
  // UTF-8); empty: none.
  void SetNote(std::string note) { note_ = std::move(note); }
  const std::string& Note() const { return note_; }
  // The words whose reading the melody chose, one text each (UTF-8), shown
  // under the list so the user sees where the tool decided.
  const std::vector<std::string>& MelodyChoices() const { return melodyChoices_; }
  static constexpr std::string_view kMelodyChoicesCaption = "旋律の音符の数で選んだ読み:";
  // One row per sung syllable: "0:03.5  F4  さ" (UTF-8).
  const std::vector<std::string>& NoteRows() const { return noteRows_; }

  // "歌詞修正に戻る": the dialog closes; the caller opens the corrections
  // again.
  bool OnBack();
  bool BackToCorrection() const { return back_; }

 private:
  static std::string NoteRow(double seconds, const VocalNote& note);

  XfKaraokeData& song_;
  CVocaloid& vocaloid_;
  int melodyChannel_;
  std::string dictionaryFolder_;
  std::vector<std::string> lines_;
  std::string note_;
  std::vector<std::string> melodyChoices_;
  std::vector<std::string> noteRows_;
  bool back_ = false;
};

}  // namespace crx
