#include "app/VocalPipeline.h"

#include <array>
#include <mutex>
#include <string_view>

#include "karaoke/XfKaraokeData.h"
#include "lyrics/CVocaloid.h"
#include "lyrics/CVocaloidConvert.h"
#include "lyrics/CVocaloidConvertInternalData.h"
#include "platform/UiServices.h"
#include "vocal/CVocalistList.h"
#include "vocal/CVocaloidFileWriter.h"

namespace crx {
namespace {

// Passes every request on to the installed host and notes whether one of the
// conversion's limit messages went by.
class LimitWatch : public UiServices {
 public:
  explicit LimitWatch(UiServices& inner) : inner_(inner) {}

  bool LimitHit() const {
    std::lock_guard lock(mutex_);
    return limitHit_;
  }

  void ShowMessage(std::string_view text, MessageKind kind) override {
    static constexpr std::array<std::string_view, 3> kLimitMessages = {
        kTooManyNotesMessage, kTooManySyllablesMessage, kTooManyRecordsMessage};
    for (std::string_view limit : kLimitMessages) {
      if (text == limit) {
        std::lock_guard lock(mutex_);
        limitHit_ = true;
      }
    }
    inner_.ShowMessage(text, kind);
  }
  std::optional<std::string> OpenFileDialog(const FileDialogRequest& r) override {
    return inner_.OpenFileDialog(r);
  }
  std::optional<std::string> SaveFileDialog(const FileDialogRequest& r) override {
    return inner_.SaveFileDialog(r);
  }
  DialogResult RunModal(DialogModel& dialog) override { return inner_.RunModal(dialog); }
  void Beep() override { inner_.Beep(); }
  void ShowHelp(const std::string& path) override { inner_.ShowHelp(path); }
  void ProgressStart() override { inner_.ProgressStart(); }
  void ProgressStop() override { inner_.ProgressStop(); }
  void ProgressTick() override { inner_.ProgressTick(); }

 private:
  UiServices& inner_;
  mutable std::mutex mutex_;
  bool limitHit_ = false;
};

}  // namespace

bool VocalPipeline::IsSingable(const MelodyRange& range) {
  return CMelodyDlg::IsSingable(range.lowest, range.highest);
}

MelodyRangeChooser VocalPipeline::RangeDialog() {
  return [](MelodyRange& range) {
    CMelodyDlg dialog(range.lowest, range.highest);
    Ui().RunModal(dialog);
    range.lowest = dialog.Lowest();
    range.highest = dialog.Highest();
    return true;
  };
}

MelodyRangeChooser VocalPipeline::OctaveShift(int octaves) {
  return [octaves](MelodyRange& range) {
    CMelodyDlg dialog(range.lowest, range.highest);
    for (int i = 0; i < octaves; ++i) dialog.OnOctaveUp();
    for (int i = 0; i > octaves; --i) dialog.OnOctaveDown();
    range.lowest = dialog.Lowest();
    range.highest = dialog.Highest();
    return dialog.OnOK();
  };
}

bool VocalPipeline::LoadKaraokeMidi(const std::string& path, int melodyChannel,
                                    const MelodyRangeChooser& choose,
                                    std::unique_ptr<XfKaraokeData>& song, int& firstTempo,
                                    int& transpose) {
  song.reset();
  auto loaded = std::make_unique<XfKaraokeData>(path);
  if (loaded->MainTrack().Empty() || loaded->LyricTrack() == nullptr) return false;
  song = std::move(loaded);

  int tempo = 0;
  if (song->MainTrack().FirstTempo(tempo) == 1) firstTempo = tempo;

  MelodyRange before;
  song->MainTrack().NoteRange(melodyChannel, before.lowest, before.highest);
  MelodyRange after = before;
  if (choose && !choose(after)) return false;
  transpose = after.lowest - before.lowest;
  if (transpose != 0) song->MainTrack().Transpose(melodyChannel, transpose);
  return true;
}

ConversionOutcome VocalPipeline::ConvertLyrics(XfKaraokeData& song, CVocaloid& vocaloid,
                                               int melodyChannel,
                                               const std::string& dictionaryFolder,
                                               std::vector<std::string>& reviewLines) {
  LimitWatch watch(Ui());
  {
    ScopedUi scope(watch);
    CVocaloidConvert::Run(song, vocaloid, melodyChannel, dictionaryFolder, reviewLines);
  }
  ConversionOutcome outcome;
  outcome.limitHit = watch.LimitHit();
  for (const VocalNote& note : vocaloid.Notes()) {
    if (!note.IsEndRecord()) ++outcome.sungRecords;
  }
  return outcome;
}

bool VocalPipeline::WriteVocalMidi(const CVocaloid& vocaloid, const XfKaraokeData& song,
                                   const std::string& path, const std::string& voiceFolder) {
  CVocalistList voices(voiceFolder);
  return CVocaloidFileWriter::WriteVocalFile(vocaloid, voices, path, song.MainTrack());
}

}  // namespace crx
