#include "app/LyricCorrectionDialogs.h"

#include "app/CTextEditDlg.h"
#include "karaoke/XfKaraokeData.h"
#include "lyrics/CLyricCorrection.h"
#include "platform/UiServices.h"

namespace crx {

int LyricCorrectionDialogs::Run(XfKaraokeData& song, int melodyChannel,
                                const std::string& dictionaryFolder, bool particlesAsSung) {
  if (song.LyricTrack() == nullptr) return 0;
  CLyricCorrection correction(*song.LyricTrack(), particlesAsSung);
  const size_t count = correction.Items().size();
  if (count == 0) return 0;
  correction.ProposeReadings(song, melodyChannel, dictionaryFolder);
  int shown = 0;
  for (size_t i = 0; i < count; ++i) {
    CTextEditDlg dialog(correction.ContextOf(i), correction.Items()[i].reading);
    dialog.SetPosition(static_cast<int>(i + 1), static_cast<int>(count));
    Ui().RunModal(dialog);
    ++shown;
    switch (dialog.Chosen()) {
      case CTextEditDlg::Choice::Skipped:
        correction.KeepWritten(i);
        break;
      case CTextEditDlg::Choice::AcceptAll:
        for (size_t rest = i; rest < count; ++rest) correction.AcceptProposal(rest);
        return shown;
      case CTextEditDlg::Choice::Confirmed:
      case CTextEditDlg::Choice::Closed:
        // The proposal as shown is the proposal; an edit is the user's lyric
        // (closed with the close box: as last edited).
        if (dialog.Edited()) {
          correction.Apply(i, dialog.Target());
        } else {
          correction.AcceptProposal(i);
        }
        break;
    }
  }
  return shown;
}

}  // namespace crx
